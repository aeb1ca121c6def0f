#include "Buffer.h"
#include "Strings.h"

#include <QFile>
#include <QHash>
#include <QSaveFile>

#include <climits>
#include <cstring>
#include <functional>
#include <utility>

namespace {

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f' || c == u'\v';
}

} // namespace

Buffer::Buffer(int n) : m_bytes(n > 0 ? n : 0, '\0') {}

unsigned char* Buffer::data()
{
    return reinterpret_cast<unsigned char*>(m_bytes.data());
}

const unsigned char* Buffer::data() const
{
    return reinterpret_cast<const unsigned char*>(m_bytes.constData());
}

void Buffer::setAt(int i, int value)
{
    if (i < 0 || i >= size())
        return;
    m_bytes[i] = static_cast<char>(value & 0xFF);
}

void Buffer::allocate(int n)
{
    m_bytes = QByteArray(n > 0 ? n : 0, '\0');
}

void Buffer::reset()
{
    m_bytes.clear();
}

void Buffer::growFor(qsizetype extra)
{
    // QByteArray's own insert path may grow to the exact size; many small
    // appends (a dump built message by message, an archive written field by
    // field) then copy everything again each time. Double instead.
    const qsizetype needed = m_bytes.size() + extra;
    if (needed > m_bytes.capacity())
        m_bytes.reserve(qMax(needed, 2 * m_bytes.capacity()));
}

void Buffer::append(int byte)
{
    growFor(1);
    m_bytes.append(static_cast<char>(byte & 0xFF));
}

void Buffer::append(const unsigned char* bytes, int n)
{
    if (bytes == nullptr || n <= 0)
        return;
    const char* p = reinterpret_cast<const char*>(bytes);
    // Bytes of this very buffer would move when growFor reallocates; QByteArray
    // copies them safely itself.
    const std::less<const char*> before;
    if (!before(p, m_bytes.constData()) && before(p, m_bytes.constData() + m_bytes.size())) {
        m_bytes.append(p, n);
        return;
    }
    growFor(n);
    m_bytes.append(p, n);
}

void Buffer::append(const Buffer& other)
{
    growFor(other.m_bytes.size());
    m_bytes.append(other.m_bytes);
}

void Buffer::copy(const unsigned char* bytes, int n)
{
    if (bytes == nullptr || n <= 0)
        m_bytes.clear();
    else
        m_bytes = QByteArray(reinterpret_cast<const char*>(bytes), n);
    onNewData();
}

QByteArray SharedBytes(const QByteArray& block, qsizetype start, qsizetype count)
{
    start = qBound(qsizetype(0), start, block.size());
    count = qBound(qsizetype(0), count, block.size() - start);
    if (count == block.size())
        return block;
    if (count == 0)
        return QByteArray();
    QByteArray part = block;
    QByteArray::DataPointer& d = part.data_ptr();
    if (!d.d_ptr()) {
        // Bytes the array does not own (fromRawData) cannot be shared.
        return block.mid(start, count);
    }
    // The copy holds a reference to the block's storage; it is narrowed to
    // the part. Qt copies a shared array out before any change, and writes in
    // place only when nothing else refers to the storage.
    d.setBegin(d.data() + start);
    d.size = count;
    return part;
}

void Buffer::share(const QByteArray& block, qsizetype start, qsizetype count)
{
    m_bytes = SharedBytes(block, start, count);
    onNewData();
}

void Buffer::copy(const Buffer* src, int start, int count)
{
    if (src == nullptr) {
        m_bytes.clear();
    } else {
        const int total = src->size();
        if (start < 0)
            start = 0;
        if (start > total)
            start = total;
        const int left = total - start;
        if (count < 0 || count > left)
            count = left;
        // mid() builds a new array first, so copying from this very buffer is safe.
        m_bytes = src->m_bytes.mid(start, count);
    }
    onNewData();
}

bool Buffer::fromString(const QString& hex)
{
    // At most one byte for every two characters.
    QByteArray bytes(hex.size() / 2, Qt::Uninitialized);
    char* out = bytes.data();
    const char16_t* p = reinterpret_cast<const char16_t*>(hex.utf16());
    const char16_t* end = p + hex.size();
    bool ok = true;
    while (p < end) {
        if (isBlank(*p)) {
            ++p;
            continue;
        }
        // A byte is always a pair of digits: "F 0" or a lone trailing digit is malformed.
        const int hi = HexDigitValue(*p);
        const int lo = p + 1 < end ? HexDigitValue(p[1]) : -1;
        if (hi < 0 || lo < 0) {
            ok = false;
            break;
        }
        *out++ = static_cast<char>(hi << 4 | lo);
        p += 2;
    }
    if (ok) {
        bytes.truncate(out - bytes.constData());
        m_bytes = bytes;
    } else {
        m_bytes.clear();
    }
    onNewData();
    return ok;
}

bool Buffer::fromFile(const QString& path, int start, int count)
{
    QByteArray bytes;
    bool ok = false;
    QFile file(path);
    if (start >= 0 && count >= 0 && file.open(QIODevice::ReadOnly)) {
        const qint64 fileSize = file.size();
        // count 0 means "to the end"; a range the file does not hold is an error.
        const qint64 want = count > 0 ? qint64(count) : fileSize - start;
        if (start <= fileSize && want >= 0 && start + want <= fileSize && want <= INT_MAX &&
            file.seek(start)) {
            bytes = file.read(want);
            ok = bytes.size() == want;
        }
    }
    if (ok)
        m_bytes = bytes;
    else
        m_bytes.clear();
    onNewData();
    return ok;
}

QString Buffer::toString(int max) const
{
    static const char16_t digits[] = u"0123456789ABCDEF";
    const int total = size();
    const bool cut = max >= 0 && max < total;
    const int n = cut ? max : total;
    QString out;
    out.resize(n > 0 ? n * 3 - 1 : 0);
    char16_t* q = reinterpret_cast<char16_t*>(out.data());
    const unsigned char* p = data();
    for (int i = 0; i < n; ++i) {
        if (i > 0)
            *q++ = u' ';
        *q++ = digits[p[i] >> 4];
        *q++ = digits[p[i] & 0x0F];
    }
    if (cut)
        out += n > 0 ? QStringLiteral(" ...") : QStringLiteral("...");
    return out;
}

bool Buffer::toFile(const QString& path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // Not committing leaves any old file as it was.
    if (file.write(m_bytes) != m_bytes.size())
        return false;
    return file.commit();
}

quint32 Buffer::readValue(int offset, int n) const
{
    if (n > 4)
        n = 4;
    // A field wholly past the end reads 0; returning early also keeps
    // offset + i from overflowing near the end of the int range.
    if (offset > size())
        return 0;
    quint32 value = 0;
    for (int i = 0; i < n; ++i)
        value = value << 8 | quint32(at(offset + i));
    return value;
}

quint32 Buffer::readValueR(int offset, int n) const
{
    if (n > 4)
        n = 4;
    if (offset > size())
        return 0;
    quint32 value = 0;
    for (int i = n - 1; i >= 0; --i)
        value = value << 8 | quint32(at(offset + i));
    return value;
}

void Buffer::writeValue(int offset, quint32 value, int n)
{
    if (n > 4)
        n = 4;
    if (offset > size())
        return;
    for (int i = n - 1; i >= 0; --i) {
        setAt(offset + i, int(value & 0xFF));
        value >>= 8;
    }
}

void Buffer::writeValueR(int offset, quint32 value, int n)
{
    if (n > 4)
        n = 4;
    if (offset > size())
        return;
    for (int i = 0; i < n; ++i) {
        setAt(offset + i, int(value & 0xFF));
        value >>= 8;
    }
}

QString Buffer::readText(int offset, int n) const
{
    const int total = size();
    if (offset < 0 || offset >= total)
        return QString();
    int end = total;
    if (n >= 0 && n < total - offset)
        end = offset + n;
    const char* p = m_bytes.constData();
    int stop = offset;
    while (stop < end && p[stop] != '\0')
        ++stop;
    return QString::fromLatin1(p + offset, stop - offset);
}

void Buffer::writeText(int offset, const QString& text, int n)
{
    const QByteArray latin = text.toLatin1();
    if (n < 0)
        n = int(latin.size());
    // Only the part of the field inside the buffer is written; counting in 64
    // bits keeps a field near the end of the int range from overflowing.
    const qint64 first = qMax<qint64>(0, -qint64(offset));
    const qint64 last = qMin<qint64>(n, qint64(size()) - offset);
    for (qint64 i = first; i < last; ++i)
        setAt(int(offset + i), i < latin.size() ? static_cast<unsigned char>(latin.at(i)) : 0);
}

void Buffer::setBytes(const QByteArray& bytes)
{
    m_bytes = bytes;
    onNewData();
}

void Buffer::setBytes(QByteArray&& bytes)
{
    m_bytes = std::move(bytes);
    onNewData();
}

size_t qHash(const Buffer& buffer, size_t seed)
{
    return qHash(buffer.bytes(), seed);
}

quint32 qHash32(const Buffer& buffer)
{
    const quint64 h = qHash(buffer.bytes(), 0);
    return quint32(h ^ (h >> 32));
}
