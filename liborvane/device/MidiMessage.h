// One MIDI channel or system message of at most three bytes.
#pragma once

#include <QString>

// A plain three-byte value. It crosses threads in its packed form
// (status | data1 << 8 | data2 << 16), which is also what the output port
// sends. Nothing is validated: every byte value can be stored, and a message
// of one or two bytes still carries (and keeps) all three.
class MidiMessage
{
public:
    unsigned char status = 0;
    unsigned char data1 = 0;
    unsigned char data2 = 0;

    MidiMessage() = default;
    explicit MidiMessage(unsigned int packed) { setValue(packed); }
    MidiMessage(unsigned char status, unsigned char data1, unsigned char data2)
    {
        setMessage(status, data1, data2);
    }

    void setMessage(unsigned char s, unsigned char d1, unsigned char d2)
    {
        status = s;
        data1 = d1;
        data2 = d2;
    }
    void setValue(unsigned int packed)
    {
        status = Status(packed);
        data1 = Data1(packed);
        data2 = Data2(packed);
    }
    operator unsigned int() const
    {
        return unsigned(status) | (unsigned(data1) << 8) | (unsigned(data2) << 16);
    }

    static unsigned char Status(unsigned int packed) { return packed & 0xFF; }
    static unsigned char Data1(unsigned int packed) { return (packed >> 8) & 0xFF; }
    static unsigned char Data2(unsigned int packed) { return (packed >> 16) & 0xFF; }

    // 0-based channel; meaningful for channel messages only.
    int channel() const { return status & 0x0F; }
    // Channels outside 0..15 (negative ones included) leave the status alone.
    void setChannel(int channel);

    // The builders rewrite all three bytes; an out-of-range channel leaves the
    // message on channel index 0.
    void noteOn(int note, int velocity, int channel);
    void noteOff(int note, int channel);
    void controller(int number, int value, int channel);
    void localControl(bool on, int channel);
    // The third byte (63) is kept: the output port always sends three bytes.
    void songSelect(int song);

    bool isNoteOn() const { return kind() == 0x90 && data2 != 0; }
    bool isNoteOff() const { return kind() == 0x80 || (kind() == 0x90 && data2 == 0); }
    bool isPolyAfterTouch() const { return kind() == 0xA0; }
    bool isController() const { return kind() == 0xB0; }
    bool isControllerReset() const { return isController() && data1 == 121; }
    bool isProgramChange() const { return kind() == 0xC0; }
    bool isChannelAfterTouch() const { return kind() == 0xD0; }
    bool isPitchBend() const { return kind() == 0xE0; }
    bool isSongPosition() const { return status == 0xF2; }
    bool isSongSelect() const { return status == 0xF3; }
    bool isTuneRequest() const { return status == 0xF6; }
    bool isClock() const { return status == 0xF8; }
    bool isActiveSensing() const { return status == 0xFE; }
    bool isRealtime() const { return status > 0xF7; }

    // Bytes on the wire; the input port uses it to know when a message is whole.
    int size() const;

    // One line for event lists and monitors, channels printed 01..16.
    QString toString() const;

private:
    int kind() const { return status & 0xF0; }
};
