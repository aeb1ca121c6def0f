#include "Sysex.h"

#include <QLatin1StringView>

void Sysex::onNewData()
{
    resetAnalysis();
    analyse();
}

void Sysex::resetAnalysis()
{
    m_type = -1;
    m_address = 0xFFFFFFFF;
    m_dataStart = -1;
    m_dataLength = 0;
    m_checksumStart = -1;
}

bool Sysex::isId() const
{
    return isSysex() && size() >= 6 && at(1) == 0x7E && at(3) == 0x06 && at(4) == 0x02;
}

int Sysex::dataIndex(int i) const
{
    if (m_dataStart < 0 || i < 0 || i >= m_dataLength)
        return -1;
    // Whatever the analysis claimed, the region never reaches the closing F7
    // nor, in a message with a checksum, the checksum byte.
    const int end = size() - (m_checksumStart != -1 ? 2 : 1);
    const long long index = static_cast<long long>(m_dataStart) + i;
    return index < end ? int(index) : -1;
}

int Sysex::dataAt(int i) const
{
    const int index = dataIndex(i);
    return index < 0 ? 255 : at(index);
}

void Sysex::setDataAt(int i, int value)
{
    const int index = dataIndex(i);
    if (index < 0)
        return;
    setAt(index, value & 0x7F);
    updateChecksum();
}

void Sysex::copyDataToBuffer(int pos, Buffer* dst, int dstPos, int count) const
{
    if (!dst || count < 1)
        return;
    for (int k = 0; k < count; ++k) {
        const int index = dataIndex(pos + k);
        if (index >= 0)
            dst->setAt(dstPos + k, at(index));
    }
}

void Sysex::copyDataFromBuffer(int pos, const Buffer* src, int srcPos, int count)
{
    if (src) {
        for (int k = 0; k < count; ++k) {
            const int index = dataIndex(pos + k);
            const int from = srcPos + k;
            if (index >= 0 && from >= 0 && from < src->size())
                setAt(index, src->at(from) & 0x7F);
        }
    }
    updateChecksum();
}

void Sysex::copyData(const Sysex* src, int from, int to)
{
    if (src) {
        if (from == -1)
            from = 0;
        if (to == -1)
            to = qMin(dataSize(), src->dataSize());
        // Past this region nothing is written, however far the caller asks.
        to = qMin(to, dataSize());
        for (int i = qMax(from, 0); i < to; ++i) {
            const int index = dataIndex(i);
            const int srcIndex = src->dataIndex(i);
            // A stored patch of another model may carry any byte: only seven
            // bits of it may reach a message sent to the instrument.
            if (index >= 0 && srcIndex >= 0)
                setAt(index, src->at(srcIndex) & 0x7F);
        }
    }
    updateChecksum();
}

void Sysex::dataToBuffer(Buffer* dst) const
{
    if (!dst)
        return;
    int length = 0;
    while (length < m_dataLength && dataIndex(length) >= 0)
        ++length;
    dst->copy(length > 0 ? data() + m_dataStart : nullptr, length);
}

QString Sysex::dataToString() const
{
    Buffer buffer;
    dataToBuffer(&buffer);
    return buffer.toString(-1);
}

QString Sysex::readDataText(int pos, int width) const
{
    if (pos < 0 || width < 0 || static_cast<long long>(pos) + width > dataSize())
        return QString();
    QString text(width, QChar());
    for (int k = 0; k < width; ++k)
        text[k] = QChar::fromLatin1(char(dataAt(pos + k)));
    return text;
}

void Sysex::storeDataText(const QString& text, int pos, int width, char pad)
{
    if (width < 1 || pos < 0 || static_cast<long long>(pos) + width > dataSize())
        return;
    for (int k = 0; k < width; ++k) {
        int value = static_cast<unsigned char>(pad);
        if (k < text.size()) {
            const char16_t c = text.at(k).unicode();
            value = c > 0xFF ? 0 : c;
        }
        const int index = dataIndex(pos + k);
        if (index >= 0)
            setAt(index, value & 0x7F);
    }
    updateChecksum();
}

int Sysex::getParameterData(const MidiParam& param)
{
    if (hasData() && m_dataStart < 0)
        return -1;
    const int pos = getParameterPos(param);
    if (pos < 0)
        return -1;
    // The whole value must lie in the data region; a position from a
    // message of another layout must not read past it.
    const int count = param.size;
    if (count > 0 && (static_cast<long long>(pos) + count > dataSize() || dataIndex(pos) < 0 ||
                      dataIndex(pos + count - 1) < 0))
        return -1;
    return ReadData7(data() + m_dataStart + pos, count, param.nibbles);
}

bool Sysex::parameterSpan(unsigned long long& first, unsigned long long& end)
{
    if (!isValid() || !hasData() || m_address == 0xFFFFFFFF || dataSize() <= 0)
        return false;
    first = m_address;
    end = first + unsigned(dataSize());
    return true;
}

QString Sysex::printAnalysis()
{
    return VarArgs::format(QStringLiteral("%08X : %s"), m_address, dataToString());
}

int Sysex::CalculateChecksum(const Buffer* b, int start)
{
    if (!b)
        return 0;
    const int n = b->size();
    const int end = n - 2;
    if (start < 0 || start >= n || end < 0 || end >= n || end <= start)
        return 0;
    unsigned int sum = 0;
    for (int i = start; i < end; ++i)
        sum += unsigned(b->at(i)) & 0xFF;
    return int((128 - (sum % 128)) % 128);
}

void Sysex::SetChecksum(Buffer* b, int value)
{
    if (b)
        b->setAt(b->size() - 2, value);
}

void Sysex::UpdateChecksum(Buffer* b, int start)
{
    SetChecksum(b, CalculateChecksum(b, start));
}

void Sysex::updateChecksum()
{
    if (m_checksumStart != -1)
        UpdateChecksum(this, m_checksumStart);
}

namespace {
// The value of a width or start digit; -1 when the character is missing or not
// a digit 0-9.
int digitAt(const QString& text, qsizetype i)
{
    if (i >= text.size())
        return -1;
    const char16_t c = text.at(i).unicode();
    return c >= u'0' && c <= u'9' ? int(c - u'0') : -1;
}
} // namespace

QString Sysex::FormatSysexV(const QString& templ, const QList<QVariant>& args)
{
    static const QString countMark = QStringLiteral("[#]");
    static const QString checksumMark = QStringLiteral("[*]");

    QString result;
    result.reserve(templ.size() + 64);
    qsizetype next = 0; // next argument
    auto take = [&]() -> QVariant { return next < args.size() ? args.at(next++) : QVariant(); };

    int countWidth = -1;
    int checksumStart = -1;
    bool checksumWanted = false;
    int countedSize = 0;

    qsizetype i = 0;
    while (i < templ.size()) {
        const QChar c = templ.at(i);
        const QChar code = i + 1 < templ.size() ? templ.at(i + 1) : QChar();
        if (c == u'%') {
            if (code == u'M') {
                result += take().toString();
                i += 2;
            } else if (code == u'A') {
                const unsigned int value = take().toUInt();
                const int width = digitAt(templ, i + 2);
                if (width > 0)
                    result += PrintData8(int(value), width);
                i += 3;
            } else if (code == u'D') {
                const QString text = take().toString();
                result += text;
                if (countWidth != -1) {
                    Buffer counted;
                    counted.fromString(text);
                    countedSize = counted.size();
                }
                i += 2;
            } else {
                take();
                i += 2;
            }
        } else if (c == u'#') {
            countWidth = qMax(digitAt(templ, i + 1), 0);
            result += countMark;
            i += 2;
        } else if (c == u'*') {
            checksumStart = digitAt(templ, i + 1);
            checksumWanted = true;
            result += checksumMark;
            i += 2;
        } else {
            result += c;
            ++i;
        }
    }

    if (countWidth != -1)
        result.replace(countMark, PrintData7(countedSize, countWidth, false));

    if (checksumWanted) {
        QString zeroed = result;
        zeroed.replace(checksumMark, QStringLiteral("00"));
        Buffer bytes;
        bytes.fromString(zeroed);
        // A start that was not a digit has no range, and so gives 00.
        const int checksum = checksumStart < 0 ? 0 : CalculateChecksum(&bytes, checksumStart);
        result.replace(checksumMark, PrintData7(checksum, 1, false));
    }

    return result.simplified();
}
