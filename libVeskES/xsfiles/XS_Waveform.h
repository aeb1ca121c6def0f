// A user waveform of the XS-family instruments: a named, numbered list of
// keybanks with their sample data.
//
// In a file a waveform is four items at the same index of four chunks: an
// "EWFM" catalogue entry, an "EWIM" catalogue entry, a "DWFM" item (the
// keybank table) and a "DWIM" item (the sample data). XS_Waveform holds the
// two entries and one XS_DWFIM, which owns the keybanks and reads and writes
// the two data items:
//   DWFM  size (32-bit BE, the bytes that follow: 4 + 68 x count),
//         keybank count (16-bit LE), pitch offset (16-bit LE),
//         the 68-byte keybank records in table order
//   DWIM  size (32-bit BE), sample count (32-bit BE: 1 per mono and 2 per
//         stereo keybank), then per keybank its left block and, for a stereo
//         one, its right block (each a 32-bit BE length and the bytes)
// The keybank count comes from the DWFM item; the DWIM item is read into the
// keybanks already there. Stored sizes and the sample count are not used by
// the readers.
//
// Waveform ids per model: "Vesk XS" bank 1 "USR" ids 1-1024; "Vesk XF" bank 1
// "USR" 1-128, bank 2 "FL1" 129-2176, bank 3 "FL2" 2177-4224; no ids for any
// other model. Id 0 is no id.
#pragma once

#include "XS_Entry.h"
#include "XS_Keybank.h"
#include "XS_Lists.h"

#include <QString>

class Archive;
class AudioDevice;

class XS_DWFIM
{
public:
    XS_DWFIM() = default;
    XS_DWFIM(const XS_DWFIM& other);
    XS_DWFIM& operator=(const XS_DWFIM& other);
    ~XS_DWFIM();

    // Deletes every keybank; the pitch offset stays.
    void reset();
    int keybankCount() const { return int(keybanks.size()); }
    // Channel blocks of the sample data: 1 per mono keybank, 2 per stereo one.
    int sampleCount() const;
    // The sizes the two items declare.
    void calcSizes(int& dwfmSize, int& dwimSize) const;

    void writeWFM(Archive& archive) const;
    // Replaces the keybanks with the records read. A record cut short by the
    // end of the archive is dropped; false then.
    bool readWFM(Archive& archive);
    void writeWIM(Archive& archive) const;
    // Reads the sample data into the keybanks there; sampleCount() after it,
    // or -1 when the archive ended early.
    int readWIM(Archive& archive);

    QString toString() const;

    int pitch_offset = 0;
    SlotList<XS_Keybank*> keybanks; // owned, in table order
};

class XS_Waveform
{
public:
    explicit XS_Waveform(const QString& name = QString());
    XS_Waveform(const QString& name, int bank, int number, const QString& model);
    XS_Waveform(const XS_Waveform&) = default;
    XS_Waveform& operator=(const XS_Waveform&) = default;
    ~XS_Waveform();

    // A new, empty user waveform: "New Waveform", entry sizes of an empty
    // table.
    void create();
    // Entry sizes or offsets, or at least one keybank.
    bool hasData() const;
    // Empties name, entry sizes and offsets and deletes the keybanks; id,
    // file names and pitch offset stay.
    void deleteData();

    int id() const { return int(wfm.content_number); }
    // Both entries' number and file names.
    void setId(int id);
    void setName(const QString& name);
    // The listed name without a number prefix of one to three digits
    // ("12:Piano" gives "Piano").
    QString name() const;

    int number(const QString& model) const { return NumberOf(id(), model); }
    int bank(const QString& model) const { return BankOf(id(), model); }
    QString bankName(const QString& model) const { return BankNameOf(id(), model); }
    static int NumberOf(int id, const QString& model);
    static int BankOf(int id, const QString& model);
    static int MakeId(int bank, int number, const QString& model);
    // "USR", "FL1", "FL2", or the bank number as text.
    static QString BankName(int bank, const QString& model);
    static QString BankNameOf(int id, const QString& model) { return BankName(BankOf(id, model), model); }

    SlotList<XS_Keybank*>& keybanks() { return table.keybanks; }
    const SlotList<XS_Keybank*>& keybanks() const { return table.keybanks; }
    // Bytes of sample data of keybank i, or 0 for an index outside the table.
    int sampleSizeOf(int i) const;
    int ridevSize() const;

    // Single notes over neighbouring keys, one keybank each: from note (or,
    // with -1, from the first keybank's root key) upward, 127 followed by 0.
    static void CreateSlices(const QList<XS_Keybank*>& list, int note);
    void createSlices(int note) { CreateSlices(table.keybanks, note); }
    // At least two keybanks, each a single note, each a step of one up or
    // down from the one before.
    bool hasSlices() const;
    // Plays the slices one after the other, lowest note first when the
    // table rises and last keybank first when it falls, once through.
    // The slices play as one wave of the first keybank's rate, 16 bits,
    // stereo when any slice is: 8-bit slices are widened and a mono slice
    // takes both sides. False without slices or when the port refuses.
    bool playSlices(AudioDevice* device);

    // Takes the keybank; an unnamed waveform becomes "New Waveform".
    void addKeybank(XS_Keybank* keybank);
    // Inserts copies of the keybanks as one block at pos (0..count); the
    // source stays the caller's. False, and nothing changed, for a position
    // outside the table or when memory runs out.
    bool pasteKeybanks(int pos, const QList<XS_Keybank*>& source);
    // Deletes the keybanks at the indexes; indexes outside the table and
    // repeats are skipped.
    void deleteKeybanks(const ints& indexes);
    // Moves the keybanks at the indexes as one block to pos, which ends as
    // the block's first index; see SlotList::reorganize for the result.
    bool reorganizeKeybanks(int& pos, const ints& indexes);

    // Both entries (with model "Vesk XF"), the DWFM item, the DWIM item.
    void toArchive(Archive& archive) const;
    bool fromArchive(Archive& archive);

    QString info() const;

    XS_Entry wfm;   // the "EWFM" entry
    XS_Entry wim;   // the "EWIM" entry
    XS_DWFIM table; // the keybanks

private:
    // The wave playSlices handed to the output port, kept so that the port
    // can tell it is the one playing.
    AudioWave m_slicesWave;
};
