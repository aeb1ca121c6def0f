// Parameter addresses of the instrument and the shared MIDI number encodings.
#pragma once

#include <QString>

class MidiDevice;
class MidiMessage;

// One parameter of the instrument: where it lives in the device's address
// space, how many data bytes its value takes (7 or, with nibbles, 4 bits each),
// and the control change that also carries it, if any.
class MidiParam
{
public:
    int size = 1;
    bool nibbles = false;
    QString addressText; // hex, "xx" standing for the iterator byte: "31xx21"
    unsigned int baseAddress = 0xFFFFFFFF;
    int addressOffset = 0;
    int controllerNumber = -1;
    int midiChannel = -1;

    MidiParam() = default;
    // The size is stored as given; the fourth argument is not used.
    MidiParam(unsigned int address, int size, bool nibbles, bool);

    // Every field but addressText back to its initial value.
    void reset();
    void setSize(int n) { size = n > 0 ? n : 1; }

    // Largest raw value: 127 for one 7-bit byte, 16383 for two, 15 for one
    // nibble. Sizes whose value would not fit 32 bits give 0xFFFFFFFF.
    unsigned int calculateMaximum() const;
    // Raw value that stands for zero in values stored with an offset.
    int calculateSignedZero() const;

    // baseAddress + addressOffset, in unsigned 32-bit arithmetic.
    unsigned int address() const { return baseAddress + unsigned(addressOffset); }
    bool hasAddress() const { return address() != 0xFFFFFFFF; }
    void setAddress(unsigned int a) { baseAddress = a; }

    // The value as the hex data bytes of a parameter change.
    QString printMidiBytes(int value) const;

    bool hasChannel() const { return midiChannel != -1; }
    int channel() const { return midiChannel; }
    int controller() const { return controllerNumber; }
    // A control change on our channel for our controller number.
    bool matches(const MidiMessage& message) const;

    // A neighbour in the same block: baseAddress moved by n.
    MidiParam operator+(int n) const;

    // Resolves baseAddress for the iterator (part, element, layer) a panel
    // shows; without address text, an index pair is resolved by the device.
    // Panels that have no index pass -1 for both.
    void parseAddress(MidiDevice* device, int iterator, unsigned int indexBase, int index);
};

float volume_to_db(float v);   // ten decibels per doubling
float pressure_to_db(float v); // 20 log10
float power_to_db(float v);    // 10 log10

// A four-character code stored big-endian (UnpackUINT) or little-endian
// (UnpackUINT_R) as text.
QString UnpackUINT(unsigned int v);
QString UnpackUINT_R(unsigned int v);

// A 14-bit value as two 7-bit bytes in one int (high part in bits 8-14), and
// back (the low byte is not masked).
int Data7to8(int v);
int Data8to7(int v);

// Big-endian values over count bytes of 7 bits (4 with nibbles) or 8 bits.
// The bytes are masked to 7 bits in both 7-bit forms. A count below 1 gives 0;
// bytes that lie above bit 31 of the result add nothing, so any count is safe.
int ReadData7(const unsigned char* data, int count, bool nibbles);
int ReadData8(const unsigned char* data, int count);

// The value as count big-endian groups, each "%02X " (so a non-empty result
// ends with a blank). A count below 1 gives the empty text. Groups above bit 31
// of the value print as its sign: 00 for a positive value, all ones (7F, 0F,
// FF) for a negative one.
QString PrintData8(int value, int count);
QString PrintData7(int value, int count, bool nibbles);

// "patch" for 1, "patches" otherwise; withNumber gives "1 patch", "3 patches".
QString strPatches(int n, bool withNumber);
