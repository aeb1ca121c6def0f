// The catalogue record of one stored object of the XS-family files: a voice
// or drum kit, either half of a waveform, or an arpeggio. Each item of an
// entry chunk ("EVCE", "EWFM", "EWIM") is one entry; the object's bulk data
// lies in the matching data chunk.
//
// Layout (numbers 32-bit big-endian), written and read with the document's
// model, which decides whether the filter byte is there:
//   size     bytes that follow, up to the end of the entry (back-patched)
//   owner, data_size, time, data_offset, content_number
//   filter   1 byte, only for "Vesk XF"
//   favorite 1 byte
//   content_name, filename   texts in the archive's text form
//   rel_filenames            texts, as many as fill the size; no count
// The fixed part after the size field is 22 bytes for "Vesk XF" and 21 for
// every other model. Reading uses the stored size only to know where the
// related names end; nothing else is checked, and failures show as a failed
// archive.
#pragma once

#include <QString>
#include <QStringList>

class Archive;

class XS_Entry
{
public:
    XS_Entry() = default;

    quint32 owner = 0;
    quint32 data_size = 0;   // bytes of the object's data
    quint32 time = 0;
    quint32 data_offset = 0; // of the object's item, from its data chunk's first byte
    quint32 content_number = 0;
    quint8 filter = 0;       // stored only for "Vesk XF"
    quint8 favorite = 0;
    QString content_name;
    QString filename;
    QStringList rel_filenames;
    // Not stored: 1 + the index of the entry chunk's item this entry was read
    // from, which ties a data item to its entry; 0 when not read from a file.
    int dataIndex = 0;

    static bool HasFilter(const QString& model);

    // False when the archive failed.
    bool toArchive(const QString& model, Archive& archive) const;
    // Appends the related names to those already held.
    void fromArchive(const QString& model, Archive& archive);
    // Ten lines, each ending in a line feed.
    QString toString() const;
};
