// Reading a library file: the whole file is taken into memory, checked from
// end to end and indexed before a single group of the tree changes, then each
// group fetches its own record. The dumps keep their bytes in the file's
// block (BulkDump::fromStoredBlock) and make their messages when first asked
// for, so a loaded library costs little more memory than its file.
//
// Layout (every integer big-endian, as Archive writes it):
//   file   := model:string record*            nothing after the last record
//   record := bank:uint16 count:int32 dump*   in a file of bank groups
//           | name:string count:int32 dump*   in a file of type groups
//   dump   := size:int32 bytes[size] comment:string
//   string := length:uint32 UTF-8 bytes[length]
// A dump's bytes are its system-exclusive messages back to back; an empty
// slot is a size of 0 and an empty comment. A file holds records of one kind
// only, the kind of the tree that wrote it.
//
// A file is taken only when it is that whole and nothing else: a count or a
// size that is negative or larger than what is left, a record cut short, or
// bytes after the last record make it damaged (or not a library of this
// kind), and open() refuses it before anything was read into the tree.
//
// The reader belongs to one load on the GUI thread.
#pragma once

#include "Archive.h"
#include "Buffer.h"

#include <QByteArray>
#include <QHash>
#include <QString>

class DelayedProgress;
class MidiDevice;
class PatchDump;

class LibraryReader
{
public:
    // The records a file is checked for.
    enum class Records
    {
        Any,  // a tree without groups: bank records or type records
        Bank, // bank groups
        Type  // type groups
    };

    explicit LibraryReader(MidiDevice* device);
    LibraryReader(const LibraryReader&) = delete;
    LibraryReader& operator=(const LibraryReader&) = delete;

    // Takes the file's bytes and checks them whole. False when they are not
    // a library file with records of that kind.
    bool open(const QByteArray& bytes, Records kind);

    MidiDevice* device() const { return m_device; }
    // The name of the model that wrote the file.
    QString model() const { return m_model; }
    // A file of another model: its dumps are converted as they are read. A
    // file without a model name is taken as ours.
    bool isForeign() const { return m_foreign; }

    // Where the count of the first record of that bank or name stands, or
    // -1 when the file has none.
    qint64 bankRecord(unsigned short bankWord) const { return m_banks.value(bankWord, -1); }
    qint64 typeRecord(const QString& name) const { return m_types.value(name, -1); }
    // Reading starts at a record's count.
    bool seek(qint64 position) { return m_ar.seek(position); }
    int readCount();
    // Refills dump from the next dump record, converting it when the file
    // is another model's. False when the conversion found nothing it could
    // take over: the dump is then emptied and counted as not converted. A
    // dump whose bytes were not all messages of the device keeps those that
    // were and is counted as trimmed.
    bool readDump(PatchDump* dump);
    void skipDump();

    // What the reading of dumps could not keep.
    int notConverted() const { return m_notConverted; }
    int trimmed() const { return m_trimmed; }

    // The load's progress, moved on as dump records are read or passed.
    void setProgress(DelayedProgress* progress);

private:
    bool check(Records kind);
    void dumpPassed();

    MidiDevice* m_device;
    Buffer m_data; // the whole file
    Archive m_ar;  // over m_data
    QString m_model;
    bool m_foreign = false;
    QHash<unsigned short, qint64> m_banks;
    QHash<QString, qint64> m_types;
    int m_notConverted = 0;
    int m_trimmed = 0;
    DelayedProgress* m_progress = nullptr;
    qint64 m_dumpRecords = 0; // in the whole file
    qint64 m_dumpsRead = 0;
};
