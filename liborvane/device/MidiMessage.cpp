#include "MidiMessage.h"

#include "Patch.h"
#include "VarArgs.h"

void MidiMessage::setChannel(int channel)
{
    if (unsigned(channel) > 15)
        return;
    status = static_cast<unsigned char>((status & 0xF0) | channel);
}

void MidiMessage::noteOn(int note, int velocity, int channel)
{
    setMessage(0x90, static_cast<unsigned char>(note), static_cast<unsigned char>(velocity));
    setChannel(channel);
}

void MidiMessage::noteOff(int note, int channel)
{
    setMessage(0x80, static_cast<unsigned char>(note), 0);
    setChannel(channel);
}

void MidiMessage::controller(int number, int value, int channel)
{
    setMessage(0xB0, static_cast<unsigned char>(number), static_cast<unsigned char>(value));
    setChannel(channel);
}

void MidiMessage::localControl(bool on, int channel)
{
    controller(122, on ? 127 : 0, channel);
}

void MidiMessage::songSelect(int song)
{
    setMessage(0xF3, static_cast<unsigned char>(song), 63);
}

int MidiMessage::size() const
{
    if (isTuneRequest() || isRealtime())
        return 1;
    // A time code quarter frame (F1) has one data byte, like song select.
    if (isProgramChange() || isChannelAfterTouch() || isSongSelect() || status == 0xF1)
        return 2;
    return 3;
}

QString MidiMessage::toString() const
{
    const int ch = channel() + 1;
    const int d1 = data1;
    const int d2 = data2;

    if (isNoteOn())
        return VarArgs::format(QStringLiteral("%02d: Note On %s %d"), ch, Note::name(d1), d2);
    if (isNoteOff())
        return VarArgs::format(QStringLiteral("%02d: Note Off %s %d"), ch, Note::name(d1), d2);
    if (isController()) {
        if (d1 == 0)
            return VarArgs::format(QStringLiteral("%02d: Bank Change MSB = %02X"), ch, d2);
        if (d1 == 32)
            return VarArgs::format(QStringLiteral("%02d: Bank Change LSB = %02X"), ch, d2);
        return VarArgs::format(QStringLiteral("%02d: CC#%d = %d"), ch, d1, d2);
    }
    if (isProgramChange())
        return VarArgs::format(QStringLiteral("%02d: Program Change = %d"), ch, d1);
    if (isPolyAfterTouch())
        return VarArgs::format(QStringLiteral("%02d: Aftertouch %s %d"), ch, Note::name(d1), d2);
    if (isChannelAfterTouch())
        return VarArgs::format(QStringLiteral("%02d: Channel Aftertouch %d"), ch, d1);
    if (isPitchBend())
        return VarArgs::format(QStringLiteral("%02d: Pitch Bend %d %d"), ch, d1, d2);
    if (isSongSelect())
        return VarArgs::format(QStringLiteral("Song Select %d"), d1);
    if (isSongPosition())
        return VarArgs::format(QStringLiteral("Song Pos %d %d"), d1, d2);
    if (isTuneRequest())
        return QStringLiteral("Tune Request");
    if (status == 0xFA)
        return QStringLiteral("Start");
    if (status == 0xFC)
        return QStringLiteral("Stop");
    if (status == 0xFB)
        return QStringLiteral("Continue");
    return VarArgs::format(QStringLiteral("%02X %02X %02X"), int(status), d1, d2);
}
