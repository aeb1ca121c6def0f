// Byte arrays with a hex text form.
#pragma once

#include <QByteArray>
#include <QString>

// A growable byte array with value semantics. Replacing the whole content
// (copy, fromString, fromFile) calls the virtual onNewData() once afterwards,
// which is how a system-exclusive message re-analyses itself. Copying a Buffer
// never calls it. Every access is bounds-checked: reads outside give 0, writes
// outside are ignored.
class Buffer
{
public:
    Buffer() = default;
    explicit Buffer(int n); // n zero bytes
    Buffer(const Buffer&) = default;
    Buffer& operator=(const Buffer&) = default;
    virtual ~Buffer() = default;

    int size() const { return int(m_bytes.size()); }
    bool isEmpty() const { return m_bytes.isEmpty(); }
    unsigned char* data();
    const unsigned char* data() const;

    // 0 outside the buffer. Inline: message analysis reads bytes one by one.
    int at(int i) const { return i >= 0 && i < size() ? static_cast<unsigned char>(m_bytes.at(i)) : 0; }
    void setAt(int i, int value); // stores the low 8 bits; ignored outside the buffer
    unsigned char operator[](int i) const { return static_cast<unsigned char>(at(i)); }

    void allocate(int n); // n zero bytes, ready to be overwritten; no onNewData
    void reset();         // empty; no onNewData
    void append(int byte);
    void append(const unsigned char* bytes, int n);
    void append(const Buffer& other);
    // Room for n bytes without changing the content, so many appends stay cheap.
    void reserve(int n) { m_bytes.reserve(n > 0 ? n : 0); }
    int capacity() const { return int(m_bytes.capacity()); }

    // Replace the whole content, then onNewData().
    void copy(const unsigned char* bytes, int n);
    // count bytes of block from start on (clipped to the block), without a
    // copy: the bytes stay shared with block until either side changes them,
    // and the block's storage lives as long as any part of it is shared. Many
    // small buffers cut from one large block so cost no allocation each.
    void share(const QByteArray& block, qsizetype start, qsizetype count);
    void copy(const Buffer* src, int start = 0, int count = -1); // count -1: to the end; null src: empty
    // Hex text: two hex digits a byte, white space between bytes optional, either
    // case. Returns false (and leaves the buffer empty) on malformed text.
    bool fromString(const QString& hex);
    // Whole file when start and count are 0. False and empty on error.
    bool fromFile(const QString& path, int start = 0, int count = 0);

    // "F0 7E 7F 09 01 F7": upper-case pairs, single blanks, no trailing blank.
    // max >= 0 covers only the first max bytes and then marks the cut with " ...".
    QString toString(int max = -1) const;
    // Writes the raw bytes atomically; false on error.
    bool toFile(const QString& path) const;

    // Fixed-width fields at an offset.
    quint32 readValue(int offset, int n) const;  // big-endian, n 1..4
    quint32 readValueR(int offset, int n) const; // little-endian, n 1..4
    void writeValue(int offset, quint32 value, int n);
    void writeValueR(int offset, quint32 value, int n);
    QString readText(int offset, int n = -1) const;         // Latin-1 up to the first zero byte
    void writeText(int offset, const QString& text, int n); // zero-filled field of n bytes

    const QByteArray& bytes() const { return m_bytes; }
    void setBytes(const QByteArray& bytes); // replace, then onNewData()
    void setBytes(QByteArray&& bytes);     // the same, taking the array over

    bool operator==(const Buffer& other) const { return m_bytes == other.m_bytes; }
    bool operator!=(const Buffer& other) const { return m_bytes != other.m_bytes; }

protected:
    virtual void onNewData() {}

private:
    void growFor(qsizetype extra);

    QByteArray m_bytes;
};

// count bytes of block from start on (clipped to the block), sharing the
// block's storage as Buffer::share does.
QByteArray SharedBytes(const QByteArray& block, qsizetype start, qsizetype count);

size_t qHash(const Buffer& buffer, size_t seed = 0);
// The 32-bit hash used for duplicate detection; equal bytes give equal values.
quint32 qHash32(const Buffer& buffer);
