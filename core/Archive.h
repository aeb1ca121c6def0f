// A byte stream over a file or over a Buffer, for documents and file formats.
#pragma once

#include "Buffer.h"

#include <QList>
#include <QString>

#include <memory>

class QFileDevice;

// Every integer the stream writes on its own account (<<, writeInt, writeUINT,
// writeWORD, lengths of strings and buffers, putSize) is big-endian; the "R"
// readers and writers are the little-endian exceptions that file formats ask
// for by name.
//
// Reading past the end gives 0 or "" and marks the archive failed; the read
// position then moves to the end, so a loop that waits for eof() always stops.
// A length read from the stream is checked against remaining() before anything
// is allocated for it.
//
// Writing a file goes through a temporary file that replaces the old one only
// when close() succeeds: a write that failed, a discard() or an archive
// destroyed without close() leave the old file as it was.
class Archive
{
public:
    Archive();
    // Reads and writes the buffer itself, from position 0. Writing past its end
    // grows it. The buffer must outlive the archive.
    explicit Archive(Buffer& buffer);
    // Reads the buffer; every write fails.
    explicit Archive(const Buffer& buffer);
    Archive(Buffer&&) = delete;
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;
    ~Archive();

    bool readFile(const QString& path);  // false when the file cannot be opened
    bool writeFile(const QString& path); // false when it cannot be created
    // Creates and opens a new file in the temporary folder, for reading and
    // writing, and returns its path ("" on failure). Every write reaches the
    // disk at once, so another program may read the file while it stays open.
    // close() removes it.
    QString openTempFile(const QString& prefix);
    void openBuffer(Buffer& buffer);
    void openBuffer(const Buffer& buffer);
    void openBuffer(Buffer&&) = delete;
    // Ends the stream. For a written file: replaces the old file with the new
    // one, or keeps the old one and returns false when anything failed.
    bool close();
    // Ends the stream without committing a written file.
    void discard();
    bool isOpen() const { return m_mode != Mode::Closed; }

    // The library document mode. Our encoding is the same in both modes.
    void setMFC(bool on = true) { m_mfc = on; }
    bool isMFC() const { return m_mfc; }

    // Set by a read past the end, a length larger than what is left, or a
    // failed write; cleared when the archive is opened again.
    bool failed() const { return m_failed; }
    bool ok() const { return !m_failed; }

    QString filename() const { return m_path; }

    qint64 pos() const { return m_pos; }
    qint64 size() const;
    qint64 remaining() const;
    // From the start of the data. A read-only archive stops at its end; a
    // writable one may go past it, and the gap is zero-filled by the next write.
    bool seek(qint64 position);
    bool skip(qint64 count);
    bool eof() const { return m_pos >= size(); }
    bool reached(qint64 position) const { return m_pos >= position || eof(); }

    // Readers.
    int readBYTE();
    unsigned short readWORD();      // big-endian
    unsigned int readUINT();        // big-endian
    int readInt();                  // big-endian
    unsigned int readValueR(int n); // n bytes, little-endian; the low 32 bits when n > 4
    double readFloat80();           // 80-bit IEEE extended, big-endian
    QString readPString();          // count byte, characters, pad to an even total
    // n bytes (n -1: the rest) read whole; the text is the Latin-1 characters
    // before the first zero byte.
    QString readText(int n);
    unsigned int readVarLength(); // MIDI variable-length quantity, at most 4 bytes
    // A uint32 length and that many bytes, as writeBuffer wrote them. False, and
    // the buffer emptied, when the length exceeds what is left.
    bool readBuffer(Buffer& buffer);
    // Exactly count raw bytes; false (and nothing read) when fewer are left.
    bool readRaw(void* dst, qint64 count);

    // Writers, mirroring the readers.
    void writeBYTE(int value);
    void writeWORD(unsigned int value);
    void writeUINT(unsigned int value);
    void writeInt(int value);
    void writeValueR(unsigned int value, int n);
    void writeFloat80(double value);
    void writePString(const QString& text); // at most 255 characters
    // n -1: the characters only; else a field of n bytes, cut or zero-filled.
    void writeText(const QString& text, int n = -1);
    void writeVarLength(unsigned int value); // values above 0x0FFFFFFF are clipped
    void writeBuffer(const Buffer& buffer);  // uint32 length, then the bytes
    void writeRaw(const void* src, qint64 count);

    // Back-patched sizes. willPutSize() writes a 4-byte placeholder; putSize()
    // (big-endian) or putSizeR() (little-endian) fills the last one still open
    // with the count of bytes written after it. They nest.
    void willPutSize();
    void putSize();
    void putSizeR();

    Archive& operator<<(int value);            // 32 bits
    Archive& operator<<(unsigned int value);   // 32 bits
    Archive& operator<<(unsigned short value); // 16 bits
    Archive& operator<<(unsigned char value);  // 8 bits
    Archive& operator<<(const QString& text);  // uint32 byte count, then UTF-8
    Archive& operator<<(const Buffer& buffer); // the bytes only, no length

    Archive& operator>>(int& value);
    Archive& operator>>(unsigned int& value);
    Archive& operator>>(unsigned short& value);
    Archive& operator>>(unsigned char& value);
    Archive& operator>>(QString& text);
    // Fills the buffer's whole size and then lets it analyse the new bytes.
    // When fewer bytes are left, nothing is read, the buffer becomes zero bytes
    // of the same size and the archive fails.
    Archive& operator>>(Buffer& buffer);

private:
    enum class Mode
    {
        Closed,
        ReadFile,
        WriteFile,
        TempFile,
        Memory
    };

    void reset();
    bool canRead() const;
    bool canWrite() const;
    // Marks the archive failed and moves to the end, so scanning loops stop.
    void failRead();
    bool readExact(char* dst, qint64 count);
    void writeExact(const char* src, qint64 count);
    void putSizeAs(bool bigEndian);

    Mode m_mode = Mode::Closed;
    std::unique_ptr<QFileDevice> m_file;
    Buffer* m_buffer = nullptr;            // writable memory target
    const Buffer* m_constBuffer = nullptr; // memory source (same as m_buffer when writable)
    QString m_path;
    qint64 m_pos = 0;
    qint64 m_fileSize = 0; // file modes: bytes in the file
    QList<qint64> m_sizeMarks;
    bool m_failed = false;
    bool m_mfc = false;
};
