// The voices and drum kits of an XS-family file, and their banks.
//
// XS_Voice is a catalogue entry plus the voice's data as the instrument
// stores it, and the model the data belong to. Its id is the packed program
// number, (bank word << 8) + program. Of the data only these places are
// touched here (S, the element size, is 140 for "Vesk XS" and 144 for
// "Vesk XF" and "V90 XS"):
//   4    20   name
//   32   4    category 1 main, sub; category 2 main, sub (7 bits each)
//   404  4    element count, BE
//   408 + (S + 4) x e    element e: its length S (BE), used flag (+4),
//                        wave memory (+5), wave number (+S, 16-bit LE)
// Voice data come from files, so every access is checked against the data
// held: a field outside the data reads as empty and is never written, the
// element count is cut to the elements that the data hold, and an element
// index past it is ignored (it would land in the data after the elements).
//
// XS_VoiceBank holds the voices of one bank word and owns them; XS_Voices
// holds the banks, in the order they were created, and owns them.
#pragma once

#include "Buffer.h"
#include "Patch.h"
#include "XS_Entry.h"
#include "XS_Lists.h"

#include <QString>

class Archive;
class PatchDump;
class Vesk;
class XS_Voices;
class XS_Waves;

class XS_Voice : public XS_Entry
{
public:
    static constexpr int NameOffset = 4;
    static constexpr int NameSize = 20;
    static constexpr int CategoryOffset = 32;
    static constexpr int ElementCountOffset = 404;
    static constexpr int FirstElementOffset = 408;

    explicit XS_Voice(const QString& model = QString()) : model(model) {}

    Buffer data;   // empty: the voice has no data
    QString model; // "Vesk XS", "Vesk XF", "V90 XS" or "Vesk Rack XS"

    bool hasData() const { return !data.isEmpty(); }
    void deleteData() { data.reset(); }

    int id() const { return int(content_number); }
    // Also the file name, "%06X-Voice.vce".
    void setId(int id);
    Patch patch() const { return Patch(quint32(content_number)); }
    void setPatch(const Patch& patch) { content_number = patch.toUInt(); }

    unsigned short bank() const { return static_cast<unsigned short>((content_number & 0xFFFF00) >> 8); }
    int bankType() const { return BankType(bank()); }
    QString bankName() const { return BankName(model, bank()); }
    // 1 user voice bank, 2 user drum bank, 0 any other.
    static int BankType(unsigned short bankWord);
    // "USER1".. for the model's user voice banks, "DR:USER"; "" otherwise.
    static QString BankName(const QString& model, unsigned short bankWord);
    static int MaxVoiceBanks(const QString& model);

    QString name() const;
    void setName(const QString& name);
    // (main << 7) + sub; -1 without data.
    int getCategory1() const { return readCategory(0); }
    int getCategory2() const { return readCategory(2); }
    void setCategory1(int value) { writeCategory(0, value); }
    void setCategory2(int value) { writeCategory(2, value); }
    // The instrument's name of category 1; "" without data or instrument.
    QString printCategory(const Vesk* device) const;
    // Category 1 by its full name; unknown names change nothing.
    void setCategory(const QString& name, Vesk* device);

    // The whole data of the default voice or drum kit; entry and model stay.
    void initVoice();
    void initDrumKit();

    static int elementSize(const QString& model);
    static int arpPartSize(const QString& model);
    static int elementOffset(const QString& model, int element);
    // -1 without data; else the stored count, at most the elements the data
    // hold for the model's element size.
    int elementCount(const QString& model) const;

    // Element fields at the offsets of the voice's own model; an element
    // outside elementCount reads 0 and is not written.
    bool isElementUsed(int element) const;
    void setElementUsed(int element, bool used);
    int elementMem(int element) const;
    void setElementMem(int element, int memory);
    int elementWave(int element) const;
    void setElementWave(int element, int wave);

    // The waveform id an element plays, 0 for none.
    int elementWaveform(const QString& model, int element) const;
    // Id below 1 clears the used flag; else memory and number of the id.
    void setElementWaveform(const QString& model, int element, int id);
    // The distinct waveform ids of all elements, ascending.
    ints waveforms(const QString& model) const;
    // rel_filenames: "%04d-Waveform.wfm" for each id of waveforms().
    void updateWaveformInfo(const QString& model);
    // Clears every element whose waveform the waves lack or hold without
    // data; true when any was cleared.
    bool removeInvalidWaveforms(const QString& documentModel, const XS_Waves& waves);
    // Element waveforms found in from become the id at the same index of to.
    void remapWaveforms(const QString& model, const ints& from, const ints& to);
    // "USR:5|Piano|..." of the voice's waveforms, sorted as text.
    QString waveformInfo(const QString& documentModel, const XS_Waves& waves) const;
    // Becomes a copy of the voice with that patch; false when there is none.
    bool readPatch(const XS_Voices* voices, const Patch& patch);

    QString info() const;
    // The model, the entry under it, the data.
    bool toArchive(Archive& archive) const;
    // Reads the model; the rest only when it is the voice's own (an empty
    // model is taken from the archive). False when the archive failed.
    bool fromArchive(Archive& archive);

    bool toPatchDump(const QString&, PatchDump*) const { return hasData(); }
    bool fromPatchDump(const QString&, PatchDump*) const { return hasData(); }

private:
    // Whether the data hold bytes [offset, offset + size).
    bool holds(int offset, int size) const;
    int readCategory(int at) const;
    void writeCategory(int at, int value);
    // Offset of a field of a valid element under the model; -1 otherwise.
    int elementField(const QString& model, int element, int field, int size) const;
    void initData(const QString& resource);
};

class XS_VoiceBank
{
public:
    explicit XS_VoiceBank(int bankWord) : bankId(bankWord) {}
    ~XS_VoiceBank();
    XS_VoiceBank(const XS_VoiceBank&) = delete;
    XS_VoiceBank& operator=(const XS_VoiceBank&) = delete;

    int id() const { return bankId; }
    // Voices with data.
    int count() const;

    SlotList<XS_Voice*> voices; // owned, in the order added
    int bankId;
};

class XS_Voices
{
public:
    XS_Voices() = default;
    ~XS_Voices();
    XS_Voices(const XS_Voices&) = delete;
    XS_Voices& operator=(const XS_Voices&) = delete;

    XS_VoiceBank* getBank(unsigned short bankWord) const;
    XS_VoiceBank* createBank(unsigned short bankWord);
    // Id 0: false, not taken. An id already held: that voice becomes a copy
    // and the voice stays the caller's (false). Otherwise the voice joins the
    // bank of its bank word, which owns it (true).
    bool addVoice(XS_Voice* voice);
    // The first voice with that id, with or without data.
    XS_Voice* lookupVoice(int id) const;
    // The i-th voice with data, bank by bank; null past the last.
    XS_Voice* getByIndex(int i) const;
    int count() const;
    void deleteData();
    // Deletes every bank and its voices.
    void removeBanks() { DeleteItems(m_banks); }

    const QList<XS_VoiceBank*>& banks() const { return m_banks; }

private:
    VectorEx<XS_VoiceBank*> m_banks; // owned, in creation order
};
