// An ordered list of system-exclusive messages that together form one dump.
#pragma once

#include "Containers.h"

#include <QString>

class Archive;
class Buffer;
class MidiDevice;
class Sysex;

// What the instrument sends in answer to a bulk request, what is sent back to
// it, what a raw file holds and the body of every patch in a library document.
//
// The dump owns its messages: each one was made for it by the device
// (MidiDevice::createSysex), so it is of the instrument's own message class and
// analyses itself, and each one is deleted by the dump when the dump is
// cleared, refilled or destroyed. Null entries are never stored. Order matters:
// it is the order of sending and of the stored form.
//
// Stored form (library documents hold it byte for byte): a 32-bit int with the
// total number of message bytes, then the bytes of every message in list order,
// with no count and no per-message length. The reader splits the bytes again at
// every F7.
class BulkDump : public VectorEx<Sysex*>
{
public:
    BulkDump() = default;
    // Two dumps never share their messages.
    BulkDump(const BulkDump&) = delete;
    BulkDump& operator=(const BulkDump&) = delete;
    ~BulkDump() override;

    // Reads the stored form and splits it into messages. The stored total is
    // checked against what the archive still holds before anything is
    // allocated: a negative total, a total larger than the rest of the archive
    // or a short archive give false, leave the dump empty and the archive
    // failed.
    virtual bool fromArchive(Archive& ar, MidiDevice* dev);
    virtual void toArchive(Archive& ar);
    // Replaces the content with copies of src's messages, made by dev. Nothing
    // happens when src is this dump or null.
    virtual void copyDump(BulkDump* src, MidiDevice* dev);

    // Deletes every message, empties the list, then onClear().
    void clear();

    // Appends a copy of msg made by dev; nothing when dev makes no message. The
    // caller keeps msg.
    void addNew(Sysex* msg, MidiDevice* dev);
    // Refills the dump from a raw stream: one message for every run of bytes
    // up to and including an F7. Runs the instrument does not recognise (bytes
    // standing between messages become the front of the next run) are dropped
    // unless keepInvalid is set; bytes after the last F7 are ignored. A device
    // that makes no message stops the walk. The messages share the stream's
    // bytes (Buffer::share) until they are changed.
    void fromBuffer(const Buffer* bytes, MidiDevice* dev, bool keepInvalid);
    // The same over count bytes of block from start on (clipped to the
    // block). Gives the number of bytes left out: runs not kept and bytes
    // after the last F7.
    qsizetype fromBlock(const QByteArray& block, qsizetype start, qsizetype count, MidiDevice* dev,
                        bool keepInvalid);
    // A raw file from byte start on; false (and an empty dump) when it cannot
    // be read.
    bool fromFile(const QString& path, MidiDevice* dev, int start = 0, bool keepInvalid = false);
    // Hex text; false (and an empty dump) when the text is malformed.
    bool fromString(const QString& hex, MidiDevice* dev);
    // Takes msg out of the caller's hands: the first message with msg's address
    // is deleted and msg is appended at the end of the list.
    void replace(Sysex* msg);

    // The first message in list order with that address; null when none.
    Sysex* getSysex(unsigned int address) const;
    // Bytes of all messages, and data bytes of all messages.
    int getRidevSize() const;
    int getRidevDataSize() const;
    // Every byte of every message in order.
    void toBuffer(Buffer& out) const;
    // The data regions only, without headers, addresses, checksums, F0 and F7.
    void toDataBuffer(Buffer& out) const;
    // Raw files, written atomically; false when the file could not be written.
    bool toFile(const QString& path) const;
    bool toDataFile(const QString& path) const;
    // The hex text of every message, each followed by "\n".
    QString toString() const;
    // One line per message: "address : data bytes", or with full unset
    // "address : data size".
    QString analyse(bool full) const;
    // The number of differing bytes between two dumps of the same shape (0:
    // identical); -1 when other is null or the message counts or the size of
    // any pair of messages differ.
    int bulkCompare(const BulkDump* other) const;

    // Sends every message in order, each followed by the device's pause. Stops
    // at a message the port does not take, so the instrument never gets a dump
    // with a gap, and then gives false. Never-send messages are skipped.
    bool sendToSynth(MidiDevice* dev) const;
    // Recomputes every checksum after direct writes into the bytes.
    void fix();

private:
    void deleteMessages();
};
