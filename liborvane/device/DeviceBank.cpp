// Banks and bank sets: the names table of a bank and the navigation rules of
// the patch menus, patch selectors and multi-bank transfers. The bank registry
// of the device and the user bank files live in MidiDeviceBanks.cpp.
#include "DeviceBank.h"

#include "DeviceTable.h"
#include "IniFile.h"
#include "Library.h"
#include "MidiDevice.h"
#include "MidiParam.h"
#include "MidiTypes.h"

namespace {

const QString UnnamedSlot = QStringLiteral("---");

// Bank words are 16 bits, so no bank set can list more distinct banks than
// this; a damaged "Ridev" must not make the loader run for billions of lines.
constexpr int MaxSetLines = 65536;

int clampCount(int count)
{
    Limit(count, 1, DeviceBank::MaxPrograms);
    return count;
}

// Calls visit(bankWord, bankName) for every line 0..Ridev-1 of the bank-set
// section name. The lines read "MSB,LSB,NAME" whatever the section's "Size"
// says; a line that is missing names no bank.
template <typename Visit>
void forEachSetLine(MidiDevice* device, const QString& name, Visit visit)
{
    if (!device)
        return;
    IniSection* section = device->ini()->section(name);
    if (!section)
        return;
    int total = section->intValue(QStringLiteral("Ridev"));
    Limit(total, 0, MaxSetLines);
    const int hex = section->intValue(QStringLiteral("Hex"));
    for (int i = 0; i < total; ++i) {
        TableData line;
        line.ParseIniLine(section, i, 2, hex);
        if (line.value < 0)
            continue;
        visit(static_cast<unsigned short>(Data7to8(line.value) & 0xFFFF), line.text);
    }
}

} // namespace

// DeviceBank -------------------------------------------------------------------

DeviceBank::DeviceBank(MidiDevice* device, const QString& name, unsigned short bankWord, int count)
    : m_name(name), m_bank(bankWord), m_count(clampCount(count))
{
    for (QString& slot : m_names)
        slot = UnnamedSlot;
    if (!device)
        return;
    fromIniFile(device->ini());
    readUserPatches(device);
}

int DeviceBank::count() const
{
    QMutexLocker lock(&m_lock);
    return m_count;
}

QString DeviceBank::patchName(int program) const
{
    if (program < 0 || program >= MaxPrograms)
        return QString();
    QMutexLocker lock(&m_lock);
    return m_names[program];
}

void DeviceBank::fromIniFile(IniFile* ini)
{
    const IniSection* section = ini ? ini->section(m_name) : nullptr;
    if (!section)
        return;
    const int total = section->intValue(QStringLiteral("Ridev"));
    QMutexLocker lock(&m_lock);
    if (total != 0)
        m_count = clampCount(total);
    for (int k = 0; k < MaxPrograms; ++k) {
        if (const IniLine* line = section->findLine(k))
            m_names[k] = line->value();
    }
}

// BankSet ----------------------------------------------------------------------

BankSet::BankSet(MidiDevice* device, const QString& name)
{
    load(device, name);
}

BankSet::BankSet(Library* library)
{
    load(library);
}

void BankSet::load(MidiDevice* device, const QString& name)
{
    clear();
    forEachSetLine(device, name, [this, device](unsigned short word, const QString& bankName) {
        append(device->createSharedBank(bankName, word, DeviceBank::MaxPrograms));
    });
}

void BankSet::load(Library* library)
{
    clear();
    loadLibrary(library);
}

void BankSet::loadLibrary(Library* node)
{
    if (!node)
        return;
    if (!node->children().isEmpty()) {
        for (Library* child : node->children())
            loadLibrary(child);
        return;
    }
    if (node->type() != BankPatchGroup::Type)
        return;
    MidiDevice* device = node->device();
    if (!device)
        return;
    const unsigned short word = static_cast<BankPatchGroup*>(node)->bank().word();
    append(device->createSharedBank(device->bankName(word), word, DeviceBank::MaxPrograms));
}

void BankSet::deleteSet(MidiDevice* device, const QString& name)
{
    forEachSetLine(device, name, [device](unsigned short word, const QString&) { device->deleteBank(word); });
}

DeviceBank* BankSet::bankAt(int i) const
{
    return i >= 0 && i < size() ? at(i).get() : nullptr;
}

int BankSet::indexOf(unsigned short bankWord) const
{
    for (int i = 0; i < size(); ++i) {
        if (at(i) && at(i)->bankWord() == bankWord)
            return i;
    }
    return -1;
}

DeviceBank* BankSet::find(unsigned short bankWord) const
{
    return bankAt(indexOf(bankWord));
}

unsigned short BankSet::nextBank(unsigned short bankWord, bool forward) const
{
    const int n = int(size());
    const int i = indexOf(bankWord);
    if (n < 2 || i < 0)
        return bankWord;
    const DeviceBank* bank = bankAt(forward ? (i + 1) % n : (i + n - 1) % n);
    return bank ? bank->bankWord() : bankWord;
}

Patch BankSet::firstPatchOfBank(unsigned short bankWord) const
{
    return Patch(bankWord, 0);
}

Patch BankSet::lastPatchOfBank(unsigned short bankWord) const
{
    const DeviceBank* bank = find(bankWord);
    return Patch(bankWord, bank ? bank->count() - 1 : DeviceBank::MaxPrograms - 1);
}

Patch BankSet::patchOfNextBank(Patch patch, bool forward) const
{
    const unsigned short word = nextBank(patch.bank.word(), forward);
    const DeviceBank* bank = find(word);
    const int last = bank ? bank->count() - 1 : DeviceBank::MaxPrograms - 1;
    int program = patch.program;
    Limit(program, 0, last);
    return Patch(word, program);
}

Patch BankSet::firstPatch() const
{
    const DeviceBank* bank = bankAt(0);
    return bank ? Patch(bank->bankWord(), 0) : Patch();
}

Patch BankSet::nextPatch(Patch patch) const
{
    const unsigned short word = patch.bank.word();
    const DeviceBank* bank = find(word);
    if (!bank)
        return firstPatch();
    // A program beyond the bank's count (a patch from elsewhere) moves on to
    // the next bank too, rather than counting up into the next bank's LSB.
    if (patch.program >= bank->count() - 1)
        return Patch(nextBank(word), 0);
    return Patch(word, patch.program + 1);
}

Patch BankSet::prevPatch(Patch patch) const
{
    const unsigned short word = patch.bank.word();
    if (!find(word))
        return firstPatch();
    if (patch.program > 0)
        return Patch(word, patch.program - 1);
    return lastPatchOfBank(prevBank(word));
}

int BankSet::ridevPatchesCount() const
{
    int total = 0;
    for (const auto& bank : *this) {
        if (bank)
            total += bank->count();
    }
    return total;
}

QString BankSet::patchName(Patch patch) const
{
    const DeviceBank* bank = find(patch.bank.word());
    if (!bank)
        return QString();
    const QString name = bank->patchName(patch.program);
    return name == UnnamedSlot ? QString() : name;
}
