#include "Archive.h"

#include "Paths.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryFile>

#include <climits>
#include <cmath>
#include <cstring>

namespace {

void putBigEndian(unsigned char* p, quint64 value, int n)
{
    for (int i = n - 1; i >= 0; --i) {
        p[i] = static_cast<unsigned char>(value & 0xFF);
        value >>= 8;
    }
}

quint64 getBigEndian(const unsigned char* p, int n)
{
    quint64 value = 0;
    for (int i = 0; i < n; ++i)
        value = value << 8 | p[i];
    return value;
}

} // namespace

Archive::Archive() = default;

Archive::Archive(Buffer& buffer)
{
    openBuffer(buffer);
}

Archive::Archive(const Buffer& buffer)
{
    openBuffer(buffer);
}

Archive::~Archive()
{
    discard();
}

void Archive::reset()
{
    m_mode = Mode::Closed;
    m_file.reset();
    m_buffer = nullptr;
    m_constBuffer = nullptr;
    m_path.clear();
    m_pos = 0;
    m_fileSize = 0;
    m_sizeMarks.clear();
}

bool Archive::readFile(const QString& path)
{
    discard();
    m_failed = false;
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly))
        return false;
    m_fileSize = file->size();
    m_file = std::move(file);
    m_path = path;
    m_mode = Mode::ReadFile;
    return true;
}

bool Archive::writeFile(const QString& path)
{
    discard();
    m_failed = false;
    auto file = std::make_unique<QSaveFile>(path);
    if (!file->open(QIODevice::WriteOnly))
        return false;
    m_file = std::move(file);
    m_path = path;
    m_mode = Mode::WriteFile;
    return true;
}

QString Archive::openTempFile(const QString& prefix)
{
    discard();
    m_failed = false;
    auto file = std::make_unique<QTemporaryFile>(QDir::tempPath() + QLatin1Char('/') +
                                                 SafeFolderName(prefix) + QStringLiteral("XXXXXX"));
    file->setAutoRemove(true);
    if (!file->open())
        return QString();
    m_path = file->fileName();
    m_file = std::move(file);
    m_mode = Mode::TempFile;
    return m_path;
}

void Archive::openBuffer(Buffer& buffer)
{
    discard();
    m_failed = false;
    m_buffer = &buffer;
    m_constBuffer = &buffer;
    m_mode = Mode::Memory;
}

void Archive::openBuffer(const Buffer& buffer)
{
    discard();
    m_failed = false;
    m_constBuffer = &buffer;
    m_mode = Mode::Memory;
}

bool Archive::close()
{
    bool ok = true;
    if (m_mode == Mode::WriteFile) {
        // A stream that failed anywhere is not committed: the old file stays.
        // The buffered rest is written out first and checked on its own:
        // commit() takes a failed last write (a full disk, a file size
        // limit) for success and would put a cut file in place of the old.
        auto* file = static_cast<QSaveFile*>(m_file.get());
        ok = !m_failed && file->flush() && file->error() == QFileDevice::NoError && file->commit();
    } else if (m_file) {
        m_file->close();
    }
    if (!ok)
        m_failed = true;
    reset();
    return ok;
}

void Archive::discard()
{
    // Destroying an uncommitted QSaveFile removes its temporary file.
    reset();
}

qint64 Archive::size() const
{
    switch (m_mode) {
    case Mode::Memory:
        return m_constBuffer->size();
    case Mode::ReadFile:
    case Mode::WriteFile:
    case Mode::TempFile:
        return m_fileSize;
    case Mode::Closed:
        break;
    }
    return 0;
}

qint64 Archive::remaining() const
{
    const qint64 left = size() - m_pos;
    return left > 0 ? left : 0;
}

bool Archive::canRead() const
{
    return m_mode == Mode::ReadFile || m_mode == Mode::TempFile || m_mode == Mode::Memory;
}

bool Archive::canWrite() const
{
    return m_mode == Mode::WriteFile || m_mode == Mode::TempFile || (m_mode == Mode::Memory && m_buffer);
}

bool Archive::seek(qint64 position)
{
    if (!isOpen() || position < 0)
        return false;
    bool ok = true;
    if (!canWrite() && position > size()) {
        position = size();
        ok = false;
    }
    // A file device never goes past its end; writeExact fills the gap first.
    if (m_file && !m_file->seek(qMin(position, m_fileSize)))
        ok = false;
    m_pos = position;
    return ok;
}

bool Archive::skip(qint64 count)
{
    if (count < 0 && -count > m_pos)
        return false;
    return seek(m_pos + count);
}

void Archive::failRead()
{
    m_failed = true;
    if (canRead() && m_pos < size())
        seek(size());
}

bool Archive::readExact(char* dst, qint64 count)
{
    if (count < 0 || !canRead()) {
        m_failed = true;
        return false;
    }
    if (count > remaining()) {
        failRead();
        return false;
    }
    if (count == 0)
        return true;
    if (m_mode == Mode::Memory) {
        std::memcpy(dst, m_constBuffer->data() + m_pos, size_t(count));
    } else if (m_file->read(dst, count) != count) {
        failRead();
        return false;
    }
    m_pos += count;
    return true;
}

void Archive::writeExact(const char* src, qint64 count)
{
    if (count < 0 || !canWrite()) {
        m_failed = true;
        return;
    }
    if (count == 0)
        return;
    if (m_mode == Mode::Memory) {
        Buffer& buffer = *m_buffer;
        if (m_pos + count > INT_MAX) {
            m_failed = true;
            return;
        }
        const int at = int(m_pos);
        if (at > buffer.size()) {
            const QByteArray gap(at - buffer.size(), '\0');
            buffer.append(reinterpret_cast<const unsigned char*>(gap.constData()), int(gap.size()));
        }
        const int over = qMin(int(count), buffer.size() - at);
        if (over > 0)
            std::memcpy(buffer.data() + at, src, size_t(over));
        if (over < count)
            buffer.append(reinterpret_cast<const unsigned char*>(src) + over, int(count) - over);
    } else {
        if (m_pos > m_fileSize) {
            const QByteArray gap(m_pos - m_fileSize, '\0');
            if (!m_file->seek(m_fileSize) || m_file->write(gap) != gap.size()) {
                m_failed = true;
                return;
            }
        }
        if (m_file->write(src, count) != count) {
            m_failed = true;
            return;
        }
        // Another program reads the temporary file while it stays open.
        if (m_mode == Mode::TempFile && !m_file->flush())
            m_failed = true;
    }
    m_pos += count;
    if (m_pos > m_fileSize)
        m_fileSize = m_pos;
}

bool Archive::readRaw(void* dst, qint64 count)
{
    return readExact(static_cast<char*>(dst), count);
}

void Archive::writeRaw(const void* src, qint64 count)
{
    writeExact(static_cast<const char*>(src), count);
}

int Archive::readBYTE()
{
    unsigned char b = 0;
    return readExact(reinterpret_cast<char*>(&b), 1) ? b : 0;
}

unsigned short Archive::readWORD()
{
    unsigned char b[2];
    return readExact(reinterpret_cast<char*>(b), 2) ? static_cast<unsigned short>(getBigEndian(b, 2)) : 0;
}

unsigned int Archive::readUINT()
{
    unsigned char b[4];
    return readExact(reinterpret_cast<char*>(b), 4) ? static_cast<unsigned int>(getBigEndian(b, 4)) : 0;
}

int Archive::readInt()
{
    return static_cast<int>(readUINT());
}

unsigned int Archive::readValueR(int n)
{
    if (n <= 0)
        return 0;
    if (n > remaining()) {
        failRead();
        return 0;
    }
    unsigned char b[4];
    const int kept = qMin(n, 4);
    if (!readExact(reinterpret_cast<char*>(b), kept))
        return 0;
    skip(n - kept);
    unsigned int value = 0;
    for (int i = kept - 1; i >= 0; --i)
        value = value << 8 | b[i];
    return value;
}

double Archive::readFloat80()
{
    unsigned char b[10];
    if (!readExact(reinterpret_cast<char*>(b), 10))
        return 0.0;
    const unsigned int signExp = static_cast<unsigned int>(getBigEndian(b, 2));
    const quint64 mantissa = getBigEndian(b + 2, 8);
    const bool negative = signExp & 0x8000;
    const int exponent = int(signExp & 0x7FFF);
    double value;
    if (exponent == 0 && mantissa == 0)
        value = 0.0;
    else if (exponent == 0x7FFF)
        value = (mantissa << 1) == 0 ? HUGE_VAL : std::nan("");
    else
        // The integer bit is explicit: value = mantissa / 2^63 * 2^(exponent - bias).
        value = std::ldexp(double(mantissa), exponent - 16383 - 63);
    return negative ? -value : value;
}

QString Archive::readPString()
{
    if (eof()) {
        failRead();
        return QString();
    }
    const int count = readBYTE();
    QByteArray text(count, '\0');
    if (!readExact(text.data(), count))
        return QString();
    // The count byte and the characters together take an even number of bytes.
    if ((count + 1) % 2 != 0 && remaining() > 0)
        skip(1);
    return QString::fromLatin1(text.constData(), qstrnlen(text.constData(), size_t(count)));
}

QString Archive::readText(int n)
{
    qint64 count = n;
    if (n == -1)
        count = remaining();
    if (count <= 0)
        return QString();
    if (count > remaining()) {
        failRead();
        return QString();
    }
    QByteArray field(count, Qt::Uninitialized);
    if (!readExact(field.data(), count))
        return QString();
    return QString::fromLatin1(field.constData(), qsizetype(qstrnlen(field.constData(), size_t(count))));
}

unsigned int Archive::readVarLength()
{
    unsigned int value = 0;
    for (int i = 0; i < 4; ++i) {
        if (eof()) {
            failRead();
            return 0;
        }
        const int b = readBYTE();
        value = value << 7 | unsigned(b & 0x7F);
        if (!(b & 0x80))
            return value;
    }
    // A quantity never takes more than four bytes; a fifth is not part of it.
    m_failed = true;
    return value;
}

bool Archive::readBuffer(Buffer& buffer)
{
    if (remaining() < 4) {
        failRead();
        buffer.setBytes(QByteArray());
        return false;
    }
    const unsigned int length = readUINT();
    if (length > INT_MAX || qint64(length) > remaining()) {
        failRead();
        buffer.setBytes(QByteArray());
        return false;
    }
    QByteArray bytes(qsizetype(length), Qt::Uninitialized);
    if (!readExact(bytes.data(), length)) {
        buffer.setBytes(QByteArray());
        return false;
    }
    buffer.setBytes(bytes);
    return true;
}

void Archive::writeBYTE(int value)
{
    const char b = static_cast<char>(value & 0xFF);
    writeExact(&b, 1);
}

void Archive::writeWORD(unsigned int value)
{
    unsigned char b[2];
    putBigEndian(b, value, 2);
    writeExact(reinterpret_cast<const char*>(b), 2);
}

void Archive::writeUINT(unsigned int value)
{
    unsigned char b[4];
    putBigEndian(b, value, 4);
    writeExact(reinterpret_cast<const char*>(b), 4);
}

void Archive::writeInt(int value)
{
    writeUINT(static_cast<unsigned int>(value));
}

void Archive::writeValueR(unsigned int value, int n)
{
    for (int i = 0; i < n; ++i) {
        writeBYTE(i < 4 ? int(value & 0xFF) : 0);
        value = i < 4 ? value >> 8 : 0;
    }
}

void Archive::writeFloat80(double value)
{
    unsigned char b[10] = {};
    unsigned int signExp = std::signbit(value) ? 0x8000 : 0;
    quint64 mantissa = 0;
    const double magnitude = std::fabs(value);
    if (std::isnan(value)) {
        signExp |= 0x7FFF;
        mantissa = Q_UINT64_C(0xC000000000000000);
    } else if (std::isinf(value)) {
        signExp |= 0x7FFF;
        mantissa = Q_UINT64_C(0x8000000000000000);
    } else if (magnitude != 0.0) {
        int e = 0;
        const double fraction = std::frexp(magnitude, &e); // magnitude = fraction * 2^e, fraction in [0.5, 1)
        mantissa = static_cast<quint64>(std::ldexp(fraction, 64));
        signExp |= unsigned(e - 1 + 16383);
    }
    putBigEndian(b, signExp, 2);
    putBigEndian(b + 2, mantissa, 8);
    writeExact(reinterpret_cast<const char*>(b), 10);
}

void Archive::writePString(const QString& text)
{
    const QByteArray latin = text.toLatin1().left(255);
    const int count = int(latin.size());
    writeBYTE(count);
    writeExact(latin.constData(), count);
    if ((count + 1) % 2 != 0)
        writeBYTE(0);
}

void Archive::writeText(const QString& text, int n)
{
    const QByteArray latin = text.toLatin1();
    if (n < 0) {
        writeExact(latin.constData(), latin.size());
        return;
    }
    const qint64 chars = qMin<qint64>(n, latin.size());
    writeExact(latin.constData(), chars);
    if (n > chars) {
        const QByteArray filler(n - chars, '\0');
        writeExact(filler.constData(), filler.size());
    }
}

void Archive::writeVarLength(unsigned int value)
{
    if (value > 0x0FFFFFFF)
        value = 0x0FFFFFFF;
    unsigned char b[4];
    int n = 0;
    // Seven bits a byte, most significant group first, the high bit set on all but the last.
    unsigned char groups[4];
    do {
        groups[n++] = static_cast<unsigned char>(value & 0x7F);
        value >>= 7;
    } while (value != 0 && n < 4);
    for (int i = 0; i < n; ++i)
        b[i] = static_cast<unsigned char>(groups[n - 1 - i] | (i < n - 1 ? 0x80 : 0));
    writeExact(reinterpret_cast<const char*>(b), n);
}

void Archive::writeBuffer(const Buffer& buffer)
{
    writeUINT(static_cast<unsigned int>(buffer.size()));
    writeExact(reinterpret_cast<const char*>(buffer.data()), buffer.size());
}

void Archive::willPutSize()
{
    m_sizeMarks.append(m_pos);
    writeUINT(0);
}

void Archive::putSizeAs(bool bigEndian)
{
    if (m_sizeMarks.isEmpty() || !canWrite()) {
        m_failed = true;
        return;
    }
    const qint64 mark = m_sizeMarks.takeLast();
    const qint64 end = m_pos;
    qint64 count = end - (mark + 4);
    if (count < 0)
        count = 0;
    if (count > qint64(UINT_MAX))
        count = qint64(UINT_MAX);
    if (!seek(mark)) {
        m_failed = true;
        return;
    }
    if (bigEndian)
        writeUINT(static_cast<unsigned int>(count));
    else
        writeValueR(static_cast<unsigned int>(count), 4);
    seek(end);
}

void Archive::putSize()
{
    putSizeAs(true);
}

void Archive::putSizeR()
{
    putSizeAs(false);
}

Archive& Archive::operator<<(int value)
{
    writeInt(value);
    return *this;
}

Archive& Archive::operator<<(unsigned int value)
{
    writeUINT(value);
    return *this;
}

Archive& Archive::operator<<(unsigned short value)
{
    writeWORD(value);
    return *this;
}

Archive& Archive::operator<<(unsigned char value)
{
    writeBYTE(value);
    return *this;
}

Archive& Archive::operator<<(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    writeUINT(static_cast<unsigned int>(utf8.size()));
    writeExact(utf8.constData(), utf8.size());
    return *this;
}

Archive& Archive::operator<<(const Buffer& buffer)
{
    writeExact(reinterpret_cast<const char*>(buffer.data()), buffer.size());
    return *this;
}

Archive& Archive::operator>>(int& value)
{
    value = readInt();
    return *this;
}

Archive& Archive::operator>>(unsigned int& value)
{
    value = readUINT();
    return *this;
}

Archive& Archive::operator>>(unsigned short& value)
{
    value = readWORD();
    return *this;
}

Archive& Archive::operator>>(unsigned char& value)
{
    value = static_cast<unsigned char>(readBYTE());
    return *this;
}

Archive& Archive::operator>>(QString& text)
{
    text.clear();
    const unsigned int length = readUINT();
    if (length == 0)
        return *this;
    // The stated length is checked before anything is allocated for it.
    if (qint64(length) > remaining() || length > INT_MAX) {
        failRead();
        return *this;
    }
    QByteArray utf8(qsizetype(length), Qt::Uninitialized);
    if (readExact(utf8.data(), length))
        text = QString::fromUtf8(utf8);
    return *this;
}

Archive& Archive::operator>>(Buffer& buffer)
{
    const int n = buffer.size();
    if (n > remaining()) {
        failRead();
        buffer.setBytes(QByteArray(n, '\0'));
        return *this;
    }
    QByteArray bytes(n, Qt::Uninitialized);
    if (!readExact(bytes.data(), n))
        bytes.fill('\0');
    buffer.setBytes(bytes);
    return *this;
}
