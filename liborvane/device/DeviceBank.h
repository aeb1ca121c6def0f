// The instrument's banks as the framework models them, and ordered sets of
// them that menus, controls, dialogs and the transfer jobs walk.
//
// A bank is selected by a bank MSB and LSB; its bank word (MSB << 8 | LSB) is
// its key in the device's bank registry, which holds at most one DeviceBank per
// word. A bank has a name ("PRE1", "USER1"), which also titles its section in
// the device INI data and in its user bank file, a patch count of 1..128, and
// the names of its 128 program slots ("---" for a slot nobody named).
//
// Ownership. The registry and every BankSet share their banks through
// std::shared_ptr. Deleting a bank from the registry (deleteBank, addBank
// replacing it, deleteBankSet, a new instrument definition) only drops the
// registry's reference: a set that a menu or control still holds keeps its
// banks alive and valid, with the names they had, until the set is reloaded or
// destroyed. Such a bank is no longer the device's: a later createBank of its
// word makes a new one. Nothing ever reaches freed memory, and a set may even
// outlive the device.
#pragma once

#include "Containers.h"
#include "Patch.h"

#include <QMap>
#include <QMutex>
#include <QString>
#include <memory>

class IniFile;
class Library;
class MidiDevice;

// Derives from enable_shared_from_this so that a bank handed to
// MidiDevice::addBank that is shared already keeps one owner count.
class DeviceBank : public std::enable_shared_from_this<DeviceBank>
{
public:
    // Programs of a bank and slots of the names table.
    static constexpr int MaxPrograms = 128;

    // Made by MidiDevice::createBank only. The count is clamped to 1..128;
    // then the bank's section of the device INI data and, for user banks, its
    // user bank file are applied, the file last.
    DeviceBank(MidiDevice* device, const QString& name, unsigned short bankWord, int count);
    DeviceBank(const DeviceBank&) = delete;
    DeviceBank& operator=(const DeviceBank&) = delete;

    QString name() const { return m_name; }
    Bank bank() const { return m_bank; }
    unsigned short bankWord() const { return m_bank.word(); }
    // Programs 0..count()-1 are the bank's patches.
    int count() const;

    // The stored name of the slot, "---" included; "" for a program outside
    // 0..127.
    QString patchName(int program) const;

    // Applies the section titled with the bank's name: a non-zero "Ridev"
    // becomes the count (clamped to 1..128: a hand-edited file may hold
    // anything), and every line keyed 0..127 replaces that slot's name. A
    // missing section (or null ini) changes nothing.
    void fromIniFile(IniFile* ini);

    // For a user bank of the device, applies its user bank file; nothing when
    // the bank is not a user bank or there is no file yet.
    void readUserPatches(MidiDevice* device);

    // Renames one slot of a user bank and records it in the bank's user bank
    // file. Refused (false, nothing changes) for a bank that is not a user
    // bank, for the placeholders "---" and "(empty)" (so a received empty slot
    // never overwrites a known name) and for a program outside 0..127. A
    // program at or beyond the count changes the table only. The file is
    // re-read first and only this program's line changes, so renames that
    // another program of the suite wrote meanwhile survive; it is replaced
    // atomically. False when it could not be written (the table keeps the new
    // name).
    bool setPatchName(MidiDevice* device, int program, const QString& name);
    // The same for several slots (program to name) at once: the file is
    // read, merged and written once. Refused names are left out; false when
    // none is left or the file could not be written.
    bool setPatchNames(MidiDevice* device, const QMap<int, QString>& names);

private:
    // The whole file text: this bank's section with every program from 0 to
    // count-1, each taken from names when it renames it, else from the file's
    // section when that names it, else from the table.
    QString mergedFileText(IniFile* file, const QMap<int, QString>& names) const;

    const QString m_name;
    const Bank m_bank;
    // Count and names are written by the GUI thread and by transfer jobs that
    // rename patches, read by every thread that prints patches; under m_lock.
    int m_count = MaxPrograms;
    QString m_names[MaxPrograms];
    mutable QMutex m_lock;
    // Serialises this process's read, merge and write of the bank's file.
    QMutex m_fileLock;
};

// An ordered list of the device's banks, in loading order (a bank named twice
// is listed twice). It shares the banks with the registry (see above); a copy
// of a set holds the same banks.
class BankSet : public VectorEx<std::shared_ptr<DeviceBank>>
{
public:
    BankSet() = default;
    // Loaded from the device INI data section of that name.
    BankSet(MidiDevice* device, const QString& name);
    // Loaded from the bank groups of a library tree.
    explicit BankSet(Library* library);

    // Replaces the content with the banks listed by the section name of the
    // device INI data, each line "i=MSB,LSB,NAME" (decimal, or hexadecimal
    // when the section's "Hex" is non-zero), lines 0..Ridev-1. Every bank is
    // created in the device's registry when it is not there yet. A missing
    // section gives an empty set; a missing line adds nothing.
    void load(MidiDevice* device, const QString& name);
    // Replaces the content with the banks of the library's bank groups,
    // depth-first in tree order.
    void load(Library* library);
    // Appends the banks of the bank groups under node; a null node adds none.
    void loadLibrary(Library* node);

    // Deletes from the device's registry every bank the section lists.
    static void deleteSet(MidiDevice* device, const QString& name);

    // The bank at position i, or null.
    DeviceBank* bankAt(int i) const;
    // Position of the first bank with that word, or -1.
    int indexOf(unsigned short bankWord) const;
    // The first bank with that word, or null.
    DeviceBank* find(unsigned short bankWord) const;

    // The word of the next (or previous) bank, wrapping around the ends; the
    // word itself when it is not in the set or the set has fewer than 2 banks.
    unsigned short nextBank(unsigned short bankWord, bool forward) const;
    unsigned short nextBank(unsigned short bankWord) const { return nextBank(bankWord, true); }
    unsigned short prevBank(unsigned short bankWord) const { return nextBank(bankWord, false); }

    // Program 0 of the word, whether it is in the set or not.
    Patch firstPatchOfBank(unsigned short bankWord) const;
    // The last program of the bank, 127 when the word is not in the set.
    Patch lastPatchOfBank(unsigned short bankWord) const;
    // The same program in the next (previous) bank, lowered to that bank's
    // last program when it has fewer.
    Patch patchOfNextBank(Patch patch, bool forward) const;
    Patch patchOfNextBank(Patch patch) const { return patchOfNextBank(patch, true); }
    Patch patchOfPrevBank(Patch patch) const { return patchOfNextBank(patch, false); }

    // Program 0 of the first bank; the invalid Patch() for an empty set.
    Patch firstPatch() const;
    // Steps through the programs of every bank, wrapping from the last bank to
    // the first. A patch whose bank is not in the set gives firstPatch().
    Patch nextPatch(Patch patch) const;
    Patch prevPatch(Patch patch) const;

    // The sum of the banks' counts, duplicates included.
    int ridevPatchesCount() const;
    // The slot's name; "" when the bank is not in the set, the program is
    // outside 0..127 or the slot is unnamed ("---" or empty).
    QString patchName(Patch patch) const;
};
