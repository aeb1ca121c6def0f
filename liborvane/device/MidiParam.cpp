#include "MidiParam.h"

#include "MidiDevice.h"
#include "MidiMessage.h"
#include "Strings.h"
#include "VarArgs.h"

#include <cmath>

MidiParam::MidiParam(unsigned int address, int size, bool nibbles, bool)
{
    reset();
    baseAddress = address;
    this->size = size;
    this->nibbles = nibbles;
}

void MidiParam::reset()
{
    size = 1;
    nibbles = false;
    baseAddress = 0xFFFFFFFF;
    addressOffset = 0;
    controllerNumber = -1;
    midiChannel = -1;
}

unsigned int MidiParam::calculateMaximum() const
{
    if (size <= 0)
        return 0;
    // A size taken unchecked from panel data must not shift past 32 bits.
    const long long bits = static_cast<long long>(nibbles ? 4 : 7) * size;
    if (bits >= 32)
        return 0xFFFFFFFF;
    return (1u << bits) - 1;
}

int MidiParam::calculateSignedZero() const
{
    const unsigned long long half = (static_cast<unsigned long long>(calculateMaximum()) + 1) / 2;
    return half > 0x7FFFFFFF ? 0x7FFFFFFF : int(half);
}

QString MidiParam::printMidiBytes(int value) const
{
    return PrintData7(value, size, nibbles);
}

bool MidiParam::matches(const MidiMessage& message) const
{
    if (!message.isController() || midiChannel == -1)
        return false;
    return message.channel() == midiChannel && message.data1 == controllerNumber;
}

MidiParam MidiParam::operator+(int n) const
{
    MidiParam p(*this);
    p.baseAddress += unsigned(n);
    return p;
}

void MidiParam::parseAddress(MidiDevice* device, int iterator, unsigned int indexBase, int index)
{
    baseAddress = 0xFFFFFFFF;
    if (!addressText.isEmpty())
        baseAddress = ParseIterator(addressText, iterator);
    if (!hasAddress() && indexBase != 0xFFFFFFFF && index != -1 && device)
        baseAddress = device->getIndexedAddress(indexBase, index);
}

float volume_to_db(float v)
{
    return float(10.0 * LogBase(v, 2.0));
}

float pressure_to_db(float v)
{
    return float(20.0 * std::log10(double(v)));
}

float power_to_db(float v)
{
    return float(10.0 * std::log10(double(v)));
}

namespace {
QString fourChars(unsigned int a, unsigned int b, unsigned int c, unsigned int d)
{
    const QChar chars[4] = {QChar(a & 0xFF), QChar(b & 0xFF), QChar(c & 0xFF), QChar(d & 0xFF)};
    return QString(chars, 4);
}

// Group i of count (0 = most significant) of a value, with w bits a group.
// A group that lies wholly above bit 31 is the sign fill, as a wider
// arithmetic shift would give.
unsigned int group(int value, int i, int count, int w)
{
    const long long shift = static_cast<long long>(w) * (count - 1 - i);
    if (shift >= 32)
        return value < 0 ? 0xFFFFFFFF : 0;
    return unsigned(value >> shift);
}

int readGroups(const unsigned char* data, int count, int w, unsigned int mask)
{
    if (count < 1 || !data)
        return 0;
    unsigned int result = 0;
    for (int i = 0; i < count; ++i) {
        const long long shift = static_cast<long long>(w) * (count - 1 - i);
        if (shift < 32)
            result += (data[i] & mask) << shift;
    }
    return int(result);
}

QString printGroups(int value, int count, int w, unsigned int mask)
{
    QString text;
    if (count < 1)
        return text;
    text.reserve(3 * count);
    static const char hex[] = "0123456789ABCDEF";
    for (int i = 0; i < count; ++i) {
        const unsigned int byte = group(value, i, count, w) & mask;
        text.append(QLatin1Char(hex[byte >> 4]));
        text.append(QLatin1Char(hex[byte & 0x0F]));
        text.append(QLatin1Char(' '));
    }
    return text;
}
} // namespace

QString UnpackUINT(unsigned int v)
{
    return fourChars(v >> 24, v >> 16, v >> 8, v);
}

QString UnpackUINT_R(unsigned int v)
{
    return fourChars(v, v >> 8, v >> 16, v >> 24);
}

int Data7to8(int v)
{
    return (v & 0x7F) + int((unsigned(v) << 1) & 0x7F00);
}

int Data8to7(int v)
{
    return (v & 0xFF) + ((v >> 8) & 0xFF) * 128;
}

int ReadData7(const unsigned char* data, int count, bool nibbles)
{
    return readGroups(data, count, nibbles ? 4 : 7, 0x7F);
}

int ReadData8(const unsigned char* data, int count)
{
    return readGroups(data, count, 8, 0xFF);
}

QString PrintData8(int value, int count)
{
    return printGroups(value, count, 8, 0xFF);
}

QString PrintData7(int value, int count, bool nibbles)
{
    return nibbles ? printGroups(value, count, 4, 0x0F) : printGroups(value, count, 7, 0x7F);
}

QString strPatches(int n, bool withNumber)
{
    const QString word = n == 1 ? QStringLiteral("patch") : QStringLiteral("patches");
    if (!withNumber)
        return word;
    return VarArgs::format(QStringLiteral("%d %s"), n, word);
}
