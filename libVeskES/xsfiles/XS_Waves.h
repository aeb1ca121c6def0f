// The wave banks of an XS-family document: one XS_WaveBank per bank number
// (1 "USR", 2 "FL1", 3 "FL2"; 0 for waveforms whose id fits no bank of the
// model), all held by one XS_Waves in the order they were created.
//
// A bank holds waveform slots, filled or empty, and owns them; XS_Waves owns
// its banks. The i-th waveform with data, counted bank by bank and slot by
// slot, is what getByIndex gives. A file ties its waveform items together by
// item index instead: the "EWFM" entry that item i was read from carries
// dataIndex i + 1, and getByDataIndex finds its waveform wherever its id
// placed it, whatever order the file lists its ids in.
#pragma once

#include "XS_Lists.h"
#include "XS_Waveform.h"

#include <QString>

class XS_WaveBank
{
public:
    explicit XS_WaveBank(int id) : m_id(id) {}
    ~XS_WaveBank();
    XS_WaveBank(const XS_WaveBank&) = delete;
    XS_WaveBank& operator=(const XS_WaveBank&) = delete;

    int id() const { return m_id; }
    // Waveforms with data.
    int count() const;
    // Index of the last waveform with data; -1 when none has.
    int lastIndex() const;

    SlotList<XS_Waveform*> waves; // owned slots, in order

private:
    int m_id;
};

class XS_Waves
{
public:
    XS_Waves() = default;
    ~XS_Waves();
    XS_Waves(const XS_Waves&) = delete;
    XS_Waves& operator=(const XS_Waves&) = delete;

    int count() const;
    // The i-th waveform with data; null past the last.
    XS_Waveform* getByIndex(int i) const;
    // The waveform whose "EWFM" entry was read from item i of the file;
    // null when none was.
    XS_Waveform* getByDataIndex(int i) const;
    // The first waveform with that id, with or without data.
    XS_Waveform* lookupWave(int id) const;
    XS_WaveBank* getBank(int id) const;
    XS_WaveBank* createBank(int id);
    // Id 0: false, w stays the caller's. An id already held: that waveform
    // becomes a copy of w, which stays the caller's. Otherwise w is appended
    // to the bank of its id and the bank owns it. False when memory runs out
    // (a waveform being overwritten is left without data).
    bool addWave(const QString& model, XS_Waveform* w);
    // The id of the first waveform with data, the same name and the same
    // sample size as w (w itself included), not listed in exclude; 0 when
    // none.
    int findSimilar(const XS_Waveform* w, const ints* exclude = nullptr) const;
    // Empties every waveform; slots and banks stay.
    void deleteData();
    // Deletes every bank and its waveforms.
    void removeBanks() { DeleteItems(m_banks); }

    const QList<XS_WaveBank*>& banks() const { return m_banks; }

private:
    template <typename Visit>
    XS_Waveform* find(Visit visit) const;

    VectorEx<XS_WaveBank*> m_banks; // owned, in creation order
};
