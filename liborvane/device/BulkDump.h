// An ordered list of system-exclusive messages that together form one dump.
#pragma once

#include "Containers.h"

#include <QByteArray>
#include <QString>

#include <atomic>

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
//
// A dump read from a library document (fromStoredBlock) keeps its bytes in the
// document's block and makes its message objects only when they are first
// asked for: a library of 100,000 patches costs little more than its file.
// Only the first message (name, category, the duplicate search's hash) is made
// at once. The count, the first message, the stored form, the raw bytes and
// their size are answered from the block; every other list operation, and
// every change, first makes the messages. The list operations are this
// class's own, hiding the container's of the same names; only code that
// takes the dump as its container (a QList<Sysex*>& of it, a call qualified
// with the container's name) passes them by, and finds a stored dump empty:
// such code goes through list(). Making the messages changes nothing a
// caller can see, and may happen on any thread that reads the dump: it is
// guarded by a lock of its own, so a job reading a dump and the GUI thread
// painting it do not race.
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

    // --- the message list ----------------------------------------------------
    using List = QList<Sysex*>;
    using iterator = List::iterator;
    using const_iterator = List::const_iterator;
    using value_type = Sysex*;

    qsizetype size() const;
    qsizetype count() const { return size(); }
    qsizetype count(Sysex* msg) const { return messages().count(msg); }
    qsizetype length() const { return size(); }
    bool isEmpty() const { return size() == 0; }
    bool empty() const { return isEmpty(); }
    // The first message (null in an empty dump); no other message is made.
    Sysex* first() const;
    Sysex* constFirst() const { return first(); }
    Sysex* front() const { return first(); }
    Sysex* last() const;
    Sysex* constLast() const { return last(); }
    Sysex* back() const { return last(); }
    Sysex* at(qsizetype i) const { return messages().at(i); }
    Sysex* operator[](qsizetype i) const { return messages().at(i); }
    Sysex* value(qsizetype i) const { return messages().value(i); }
    qsizetype indexOf(Sysex* msg) const { return messages().indexOf(msg); }
    bool contains(Sysex* msg) const { return messages().contains(msg); }

    const_iterator begin() const { return messages().cbegin(); }
    const_iterator end() const { return messages().cend(); }
    const_iterator cbegin() const { return begin(); }
    const_iterator cend() const { return end(); }
    const_iterator constBegin() const { return begin(); }
    const_iterator constEnd() const { return end(); }
    iterator begin() { return editable().begin(); }
    iterator end() { return editable().end(); }

    // The whole list, made if it was not yet.
    const List& list() const { return messages(); }
    List& list() { return editable(); }

    // Changes of the list; the dump owns what it is given and deletes what
    // it gives back only when the caller does not take it (takeAt and the
    // like hand the message over).
    void append(Sysex* msg) { editable().append(msg); }
    void append(const List& msgs) { editable().append(msgs); }
    void prepend(Sysex* msg) { editable().prepend(msg); }
    void insert(qsizetype i, Sysex* msg) { editable().insert(i, msg); }
    void removeAt(qsizetype i) { editable().removeAt(i); }
    bool removeOne(Sysex* msg) { return editable().removeOne(msg); }
    qsizetype removeAll(Sysex* msg) { return editable().removeAll(msg); }
    Sysex* takeAt(qsizetype i) { return editable().takeAt(i); }
    Sysex* takeFirst() { return editable().takeFirst(); }
    Sysex* takeLast() { return editable().takeLast(); }
    void reserve(qsizetype n) { editable().reserve(n); }
    void squeeze() { editable().squeeze(); }
    // Exchanges the two dumps' messages, made or stored (a patch dump keeps
    // its comment).
    void swapMessages(BulkDump& other);

    // Takes count bytes of block from start on (clipped to the block) as the
    // dump's stored form, as fromBlock does, but without making the message
    // objects: the dump shares the block and makes them on first use. Every
    // message is analysed now, so a dump is never found damaged later: when
    // any run is no message of the device, the dump is filled at once as
    // fromBlock fills it. Gives the number of bytes left out, as fromBlock.
    qsizetype fromStoredBlock(const QByteArray& block, qsizetype start, qsizetype count, MidiDevice* dev);
    // Whether the message objects are still to be made (for tests and
    // benchmarks; nothing else needs to know).
    bool isStored() const { return m_stored.load(std::memory_order_acquire); }

    // The messages as a value that shares their bytes with the dump, for
    // keeping a dump's state aside (an undo step) and putting it back. A
    // stored dump gives its stored form as it is, without making anything;
    // a made one the bytes of its messages.
    struct Content
    {
        QByteArray head;      // the first message, when checked
        QByteArray rest;      // the other messages back to back; all of them when not checked
        qsizetype count = 0;  // messages
        bool checked = false; // every message known to be one of the device
    };
    Content content() const;
    // Takes a content back, stored: the messages are made on first use.
    // Bytes not checked are checked first, as fromStoredBlock does.
    void setContent(const Content& content, MidiDevice* dev);

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
    // The list, made first when the dump still holds only its stored bytes.
    const List& messages() const
    {
        if (isStored())
            makeMessages();
        return *this;
    }
    List& editable()
    {
        if (isStored())
            makeMessages();
        return *this;
    }
    void makeMessages() const;
    // Drops the stored bytes without making messages of them.
    void dropStored();
    void takeStored(Sysex* head, const QByteArray& rest, qsizetype count, MidiDevice* dev);

    // The stored form while the messages are not made: the first message,
    // made, and the bytes of the others back to back, each one a message of
    // m_device, shared with the block they were read from. Written by
    // takeStored before any other thread can see the dump; left as they are
    // when the messages are made, so a reader that found the dump stored
    // still finds them; cleared with the messages.
    Sysex* m_head = nullptr;
    QByteArray m_rest;
    MidiDevice* m_device = nullptr;
    qsizetype m_count = 0;
    // Set while the messages are not made; cleared, under the lock, by
    // whichever thread makes them.
    mutable std::atomic<bool> m_stored{false};
};
