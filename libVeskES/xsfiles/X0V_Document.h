// The all-data native file of the XS-family instruments: the user voices,
// drum kits and user waveforms of one instrument in the tagged-chunk
// container (XS_Document), with the editing operations the librarian runs on
// them and the import of sampled sound into waveforms.
//
// Chunks and records: "EVCE"/"DVCE" hold a voice's entry and data, and
// "EWFM", "EWIM", "DWFM", "DWIM" a waveform's two entries, keybank table and
// sample data. Item i of "DVCE" belongs to the voice whose entry was item i
// of "EVCE", and item i of the three other waveform chunks to the waveform
// whose "EWFM" entry was item i: records are paired by item index, wherever
// their ids place them in the banks. A data item whose entry placed nothing
// (an id of 0, a missing entry) is kept as a raw item of its chunk and
// dropped with the chunk's items after the load. Once both voice chunks (all
// four waveform chunks) are there, the records live in the slots and the
// chunks' items are freed; storing rebuilds them, one item per record with
// data, in bank and slot order, with the catalogue fields filled in.
//
// A load starts from empty slots. A damaged file is refused with the
// container's reason and leaves no record behind (every slot empty, no
// chunk). Look-ups by item index, by id and of the i-th record are indexed
// while loading and storing, so a full document (4,224 waveform slots) loads
// and stores in time linear in its records.
//
// Editing keeps a bank's slot count: deleting empties a slot, moving
// exchanges slots, and every operation that changes which slot holds a
// waveform renumbers the bank and rewrites the references of every voice.
// Slot indexes and bank numbers come from the user and are checked.
//
// Everything runs on the GUI thread (it may show message boxes and the busy
// cursor); nothing throws.
#pragma once

#include "XS_ARP.h"
#include "XS_Document.h"
#include "XS_Voice.h"
#include "XS_Waves.h"

#include <QHash>
#include <QString>

class Sample;

class X0V_Document : public XS_Document
{
public:
    X0V_Document() = default;
    ~X0V_Document() override;
    X0V_Document(const X0V_Document&) = delete;
    X0V_Document& operator=(const X0V_Document&) = delete;

    // The container's clearDocument, then every voice and waveform emptied;
    // banks and slots stay.
    void clearDocument() override;
    // The type, and the empty slots of its model: voice banks 0x3F08.. of
    // 128, 32 drum kits (0x3F28), and 1,024 ("Vesk XS") or 4,224 ("Vesk XF")
    // waveform slots. Old banks are deleted first. A new document is
    // newDocument(type) (its chunks), then initSlots(type).
    void initSlots(int type);
    // Drops element references to waveforms the document lacks; says so.
    void validateDocument() override;
    // The container's result; "Illegal file" also for item data that do not
    // fit their records. A failed load leaves every slot empty.
    bool loadDocument(Archive& archive) override;
    // validateVoices, validateWaves, then the container's store.
    bool storeDocument(Archive& archive) override;
    // Megabytes of sample data of all waveforms.
    double estimatedSizeMB() const override;
    void readChunkItem(XS_Chunk* chunk, int i, Archive& archive) override;
    void writeChunkItem(XS_Chunk* chunk, int i, Archive& archive) override;

    // One item per voice with data in "EVCE" and "DVCE", data sizes and
    // offsets from 12, and the content name "cat1:cat2:name". Nothing
    // without both chunks.
    void validateVoices();
    // One item per waveform with data in each waveform chunk, sizes and
    // offsets of the two entries. Nothing without all four chunks.
    void validateWaves();
    // Empties every waveform that no voice uses; how many.
    int removeUnusedWaveforms();

    // "Voice"/"Voices" and so on, with "%d " before it when withCount.
    static QString strVoices(int n, bool withCount);
    static QString strWaveforms(int n, bool withCount);
    static QString strKeybanks(int n, bool withCount);

    // --- voices (X0V_Voices.cpp) ---
    bool addVoice(XS_Voice* voice) { return voices.addVoice(voice); }
    bool hasVoiceChunk() const { return getChunk(QStringLiteral("EVCE")) != nullptr; }
    // Slot i gets the id of (bank word, i).
    void fixVoiceIndexes(XS_VoiceBank* bank);
    // Empties the voices at the slot indexes of the bank word; indexes
    // outside the bank are passed over.
    void deleteVoices(int bank, const ints& indexes);
    // Moves the voices at the indexes as one block to position; false for a
    // missing bank, a refused selection, or (recording the order) no move.
    bool reorganizeVoices(int bank, int& position, const ints& indexes);
    // Copies the voices into consecutive slots of the bank word from start
    // (-1 for 0), and the waveforms they use into the first wave bank with
    // room after its last used slot, sharing waveforms the document already
    // has (same name and size); the voices' references follow. How many
    // voices were pasted; 0, and nothing changed, on a refusal.
    int pasteVoices(int bank, int start, const QList<XS_Voice*>& voices, QList<XS_Waveform*> waves);
    // Asks for "USR", "FL1" or "FL2": 1, 2, 3, or 0 when cancelled.
    static int choseWaveBank(const QString& text);

    // --- waveforms (X0V_Waves.cpp) ---
    bool hasWaveChunk() const { return getChunk(QStringLiteral("EWFM")) != nullptr; }
    bool addWave(XS_Waveform* waveform) { return waves.addWave(model(), waveform); }
    // Copies of the waveforms into consecutive slots from start (-1 for 0),
    // each given its slot's id; stops at the bank's last slot. How many.
    int pasteWaves(int bank, int start, const QList<XS_Waveform*>& waveforms);
    // Empties the waveforms at the indexes; their voices use a similar
    // waveform (same name and size) where there is one.
    void deleteWaves(int bank, const ints& indexes);
    // Slot n - 1 gets the id of number n; every voice follows.
    void fixWaveIndexes(XS_WaveBank* bank);
    // Moves the waveforms at the indexes of bank from into the slots after
    // the last used one of bank to; false, and nothing changed, without room.
    bool moveWaves(const ints& indexes, int from, int to);
    bool reorganizeWaves(int bank, int& position, const ints& indexes);

    // --- import (X0V_Import.cpp) ---
    // A WAV or AIFF file as one more keybank of the waveform; null, and the
    // waveform unchanged, when the file gives no sample of 8 or 16 bits.
    XS_Keybank* importKeybank(XS_Waveform& waveform, const QString& path);
    // A WAV or AIFF file as one waveform into slot index of bank, or each
    // instrument of an instrument file (SoundFont 2, DLS, sampler program)
    // as one waveform, in name order, into the slots from index. How many
    // waveforms were imported.
    int importWaveform(int bank, int index, const QString& path);

    XS_Waves waves;
    XS_Voices voices;
    VectorEx<XS_ARP*> arps; // never filled

private:
    // The owner of item i of a voice or waveform data chunk, read from item
    // i of the entry chunk; null when the entry placed nothing.
    XS_Voice* voiceOfItem(int i) const;
    XS_Waveform* waveOfItem(int i) const;
    void readWaveEntry(int i, Archive& archive);
    // Reads a data item that has no owner as a raw item of the chunk.
    void readRawItem(XS_Chunk* chunk, int i, Archive& archive);
    // Deletes the items of the chunks when all of them are there.
    bool freeItems(const QStringList& tags);
    // Makes count empty items in each chunk.
    void rebuildItems(const QList<XS_Chunk*>& chunks, int count);
    // The chunks of tags the document holds, in the order of tags.
    QList<XS_Chunk*> presentChunks(const QStringList& tags) const;

    // While loading: the record each entry item went to, and the waveforms
    // by id. While storing: the records with data, in bank and slot order.
    QList<XS_Voice*> m_voiceItems;
    QList<XS_Waveform*> m_waveItems;
    QHash<int, XS_Waveform*> m_wavesById;
    bool m_storing = false;
    bool m_damaged = false; // while loading: an item did not fit its record
};
