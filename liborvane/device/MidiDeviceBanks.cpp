// The device's bank registry, the bank and patch texts, and the user bank
// files that keep the names of the instrument's user banks between runs.
//
// A user bank file is "<data folder>/<bank word as %04X>.ini", shared by every
// program of the suite (they all build the device with the same name). It
// holds one section titled with the bank's name:
//   [USER1]
//   Ridev=128      the bank's patch count
//   Size=2
//   Hex=0
//   0=...          one line per program 0..Ridev-1, "---" for unnamed slots
// Names are written through the INI writer's escapes, so any text survives.
#include "DeviceBank.h"
#include "IniFile.h"
#include "MidiDevice.h"
#include "Paths.h"
#include "Strings.h"
#include "VarArgs.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

namespace {

const QString UnnamedSlot = QStringLiteral("---");
// What a patch dump without data calls itself.
const QString EmptyDumpName = QStringLiteral("(empty)");

// Another program of the suite holds the file for one read and one write; a
// lock older than this was left by a program that died.
constexpr int FileLockWaitMs = 2000;
constexpr int FileLockStaleMs = 10000;

} // namespace

// The registry ---------------------------------------------------------------

DeviceBank* MidiDevice::getBank(unsigned short bankWord) const
{
    return sharedBank(bankWord).get();
}

std::shared_ptr<DeviceBank> MidiDevice::sharedBank(unsigned short bankWord) const
{
    QMutexLocker lock(&m_banksLock);
    return m_banks.value(bankWord);
}

DeviceBank* MidiDevice::createBank(const QString& name, unsigned short bankWord, int count)
{
    return createSharedBank(name, bankWord, count).get();
}

std::shared_ptr<DeviceBank> MidiDevice::createSharedBank(const QString& name, unsigned short bankWord,
                                                         int count)
{
    if (std::shared_ptr<DeviceBank> bank = sharedBank(bankWord))
        return bank;
    // Built outside the lock: the bank reads the INI data and its file, and
    // asks this device whether it is a user bank.
    auto bank = std::make_shared<DeviceBank>(this, name, bankWord, count);
    QMutexLocker lock(&m_banksLock);
    // Another thread may have created the word meanwhile; the first one stays.
    auto it = m_banks.constFind(bankWord);
    if (it != m_banks.constEnd() && it.value())
        return it.value();
    m_banks.insert(bankWord, bank);
    return bank;
}

void MidiDevice::addBank(unsigned short bankWord, DeviceBank* bank)
{
    // A bank that a set or this registry shares already joins its owners;
    // only a bank nobody owns yet is taken over.
    std::shared_ptr<DeviceBank> owned;
    if (bank) {
        owned = bank->weak_from_this().lock();
        if (!owned)
            owned.reset(bank);
    }
    QMutexLocker lock(&m_banksLock);
    if (owned)
        m_banks.insert(bankWord, owned);
    else
        m_banks.remove(bankWord);
}

void MidiDevice::deleteBank(unsigned short bankWord)
{
    QMutexLocker lock(&m_banksLock);
    m_banks.remove(bankWord);
}

int MidiDevice::bankCount() const
{
    QMutexLocker lock(&m_banksLock);
    return int(m_banks.size());
}

void MidiDevice::loadBankSet(const QString& name)
{
    BankSet set(this, name);
}

void MidiDevice::deleteBankSet(const QString& name)
{
    BankSet::deleteSet(this, name);
}

// Bank and patch texts ---------------------------------------------------------

QString MidiDevice::bankName(unsigned short bankWord) const
{
    const DeviceBank* bank = getBank(bankWord);
    if (!bank)
        return Bank(bankWord).toString();
    QString name = bank->name();
    if (!m_name.isEmpty() && name.contains(m_name)) {
        name.remove(m_name, Qt::CaseSensitive);
        trim(name);
    }
    return name;
}

QString MidiDevice::printPatch(Patch patch, Patch::ProgramNumberType type) const
{
    if (!patch.isValid())
        return QString();
    return VarArgs::format("%s:%s", bankName(patch.bank.word()), patch.printProgram(type));
}

// User bank files --------------------------------------------------------------

QString MidiDevice::getUserBankFile(unsigned short bankWord) const
{
    return VarArgs::format("%s/%04X.ini", m_dataFolder, unsigned(bankWord));
}

QString MidiDevice::getMacroFile() const
{
    return VarArgs::format("%s/macro.dat", m_dataFolder);
}

bool MidiDevice::updateUserPatchName(Patch patch, const QString& name)
{
    // Held for the call: the registry may drop the bank meanwhile.
    const std::shared_ptr<DeviceBank> bank = sharedBank(patch.bank.word());
    return bank && bank->setPatchName(this, patch.program, name);
}

bool MidiDevice::updateUserPatchNames(unsigned short bankWord, const QMap<int, QString>& names)
{
    const std::shared_ptr<DeviceBank> bank = sharedBank(bankWord);
    return bank && bank->setPatchNames(this, names);
}

void DeviceBank::readUserPatches(MidiDevice* device)
{
    if (!device || !device->isUserBank(bankWord()))
        return;
    IniFile file;
    if (file.loadFile(device->getUserBankFile(bankWord())))
        fromIniFile(&file);
}

bool DeviceBank::setPatchName(MidiDevice* device, int program, const QString& name)
{
    return setPatchNames(device, {{program, name}});
}

bool DeviceBank::setPatchNames(MidiDevice* device, const QMap<int, QString>& names)
{
    if (!device || !device->isUserBank(bankWord()))
        return false;
    QMap<int, QString> taken;
    for (auto it = names.cbegin(); it != names.cend(); ++it) {
        if (it.value() != UnnamedSlot && it.value() != EmptyDumpName && it.key() >= 0 &&
            it.key() < MaxPrograms)
            taken.insert(it.key(), it.value());
    }
    if (taken.isEmpty())
        return false;
    int count = 0;
    {
        QMutexLocker lock(&m_lock);
        for (auto it = taken.cbegin(); it != taken.cend(); ++it)
            m_names[it.key()] = it.value();
        count = m_count;
    }
    // The file holds programs 0..count-1 only.
    if (taken.firstKey() >= count)
        return true;

    const QString path = device->getUserBankFile(bankWord());
    QMutexLocker fileLock(&m_fileLock);
    // Other programs of the suite write the same file: hold it for the read,
    // the merge and the write. When the lock cannot be had, the merge still
    // keeps what the file held a moment ago.
    QDir().mkpath(QFileInfo(path).path());
    QLockFile lockFile(path + QStringLiteral(".lock"));
    lockFile.setStaleLockTime(FileLockStaleMs);
    const bool locked = lockFile.tryLock(FileLockWaitMs);
    IniFile file;
    file.loadFile(path);
    const bool written = StringToFile(mergedFileText(&file, taken), path);
    if (locked)
        lockFile.unlock();
    return written;
}

QString DeviceBank::mergedFileText(IniFile* file, const QMap<int, QString>& names) const
{
    const IniSection* current = file ? file->section(m_name) : nullptr;
    QMutexLocker lock(&m_lock);
    IniSection section(m_name);
    section.add(new IniLine(QStringLiteral("Ridev"), m_count));
    section.add(new IniLine(QStringLiteral("Size"), 2));
    section.add(new IniLine(QStringLiteral("Hex"), 0));
    for (int k = 0; k < m_count; ++k) {
        const IniLine* line = current ? current->findLine(k) : nullptr;
        const auto renamed = names.constFind(k);
        section.add(new IniLine(k, renamed != names.cend() ? *renamed : line ? line->value() : m_names[k]));
    }
    QString text = section.printTitle();
    text += section.printLine(QStringLiteral("Ridev"));
    text += section.printLine(QStringLiteral("Size"));
    text += section.printLine(QStringLiteral("Hex"));
    for (int k = 0; k < m_count; ++k)
        text += section.printLine(k);
    return text;
}
