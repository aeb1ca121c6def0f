#include "PlgBoards.h"

#include "IniFile.h"
#include "MidiDevice.h"
#include "PlgSetupDlg.h"
#include "Vesk.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QStringList>

namespace {

const QString PlgSection = QStringLiteral("PLG");

QString slotSection(int slot)
{
    return QStringLiteral("PLG%1").arg(slot + 1);
}

// The title of a bank's name section: the name of a direct bank (the entry
// less its "MM,LL," numbers), the entry itself otherwise.
QString sectionOfEntry(const QString& entry)
{
    return entry.indexOf(QLatin1Char(',')) > 0 ? entry.mid(6) : entry;
}

// A bank entry the slots translate ("USER", "PRE1".."PRE3").
bool isSymbolic(const QString& entry)
{
    return PlgBoards::translatePLGBankName(entry, 0) != entry;
}

// The section titles a board's bank may not take: those of the device's own
// tables, and those the slots are loaded as. Loading the slot would replace
// the section of that title whole, so a bank named after, say, the voice bank
// set would take that set's place in every program until the board was
// removed.
bool isReservedTitle(const QString& title)
{
    static const QSet<QString> reserved = [] {
        QSet<QString> titles;
        for (const char* resource : {":/orvane/data/data.ini", ":/vesk/data/data_ES.ini"}) {
            IniFile tables;
            tables.loadFile(QString::fromLatin1(resource));
            for (auto it = tables.cbegin(); it != tables.cend(); ++it)
                titles.insert(it.key());
        }
        for (int s = 0; s < PlgBoards::SlotCount; ++s) {
            titles.insert(slotSection(s));
            for (const char* entry : {"USER", "PRE1", "PRE2", "PRE3"})
                titles.insert(sectionOfEntry(PlgBoards::translatePLGBankName(QString::fromLatin1(entry), s)));
        }
        return titles;
    }();
    return reserved.contains(title);
}

QString illegal(const QString& path, const QString& why)
{
    return QStringLiteral("Illegal file\n\n%1\n\n%2").arg(QDir::toNativeSeparators(path), why);
}

} // namespace

QString PlgBoards::plgFileName(MidiDevice* device, int slot)
{
    // Both at once: a "%" in the folder's path must stay as it is.
    return QStringLiteral("%1/plg%2.ini")
        .arg(device ? device->dataFolder() : QString(), QString::number(slot + 1));
}

QString PlgBoards::plgName(MidiDevice* device, int slot)
{
    const IniSection* section = device ? device->ini()->section(slotSection(slot)) : nullptr;
    return section ? section->value(QStringLiteral("Name")) : QString();
}

void PlgBoards::loadPLG(MidiDevice* device)
{
    if (!device)
        return;
    for (int s = 0; s < SlotCount; ++s) {
        device->deleteBankSet(slotSection(s));
        // Written as the board gave its names, escapes undone by nothing.
        device->ini()->loadFile(plgFileName(device, s), IniFile::Verbatim);
    }
}

QString PlgBoards::translatePLGBankName(const QString& entry, int slot)
{
    const int n = slot + 1;
    if (entry == QLatin1String("USER"))
        return QStringLiteral("%1,%2,P%3-USER").arg(63).arg(24 + slot).arg(n);
    for (int k = 1; k <= 3; ++k) {
        if (entry == QStringLiteral("PRE%1").arg(k))
            return QStringLiteral("%1,%2,P%3-PRE%4").arg(63).arg(70 + 3 * slot + k - 1).arg(n).arg(k);
    }
    return entry;
}

bool PlgBoards::readBoard(const QString& path, IniFile& board, QString* name, QString* error)
{
    QString why;
    const IniSection* plg = nullptr;
    if (!QFileInfo(path).isFile()) {
        why = QStringLiteral("File not found\n\n%1").arg(QDir::toNativeSeparators(path));
    } else if (!board.loadFile(path, IniFile::Verbatim)) {
        why = QStringLiteral("Cannot open file\n\n%1").arg(QDir::toNativeSeparators(path));
    } else if (!(plg = board.section(PlgSection))) {
        why = illegal(path, QStringLiteral("It has no [PLG] section: it is no board definition."));
    } else {
        const int banks = plg->intValue(QStringLiteral("Ridev"));
        if (banks < 0 || banks > MaxBanks)
            why = illegal(
                path,
                QStringLiteral("The board lists %1 banks; a board has 0 to %2.").arg(banks).arg(MaxBanks));
        for (int i = 0; why.isEmpty() && i < banks; ++i) {
            const IniSection* names = board.section(sectionOfEntry(plg->numValue(i)));
            const int voices = names ? names->intValue(QStringLiteral("Ridev")) : 0;
            if (voices < 0 || voices > MaxVoices)
                why = illegal(path,
                              QStringLiteral("Bank [%1] lists %2 voices; a bank has 0 to %3.")
                                  .arg(names->title(), QString::number(voices), QString::number(MaxVoices)));
            else if (names && !isSymbolic(plg->numValue(i)) && isReservedTitle(names->title()))
                why = illegal(path, QStringLiteral("Bank [%1] has the name of one of the instrument's own "
                                                   "tables, which installing the board would replace.")
                                        .arg(names->title()));
        }
    }
    if (!why.isEmpty()) {
        if (error)
            *error = why;
        return false;
    }
    if (name)
        *name = plg->value(QStringLiteral("Name"));
    return true;
}

QByteArray PlgBoards::installedText(const IniFile* board, int slot)
{
    QStringList lines;
    lines << QStringLiteral("[%1]").arg(slotSection(slot));
    const IniSection* plg = board ? board->section(PlgSection) : nullptr;
    if (!plg) {
        lines << QStringLiteral("Name=") << QStringLiteral("Ridev=0");
    } else {
        const int banks = qBound(0, plg->intValue(QStringLiteral("Ridev")), MaxBanks);
        // Names and banks go over as the board file has them: both files are
        // read verbatim, so a backslash in a name is no escape.
        lines << QStringLiteral("Name=") + plg->value(QStringLiteral("Name"))
              << QStringLiteral("Ridev=%1").arg(banks);
        for (int i = 0; i < banks; ++i)
            lines << QStringLiteral("%1=%2").arg(i).arg(translatePLGBankName(plg->numValue(i), slot));
        lines << QString();
        for (int i = 0; i < banks; ++i) {
            const QString entry = plg->numValue(i);
            const IniSection* names = board->section(sectionOfEntry(entry));
            if (!names)
                continue;
            const int voices = qBound(0, names->intValue(QStringLiteral("Ridev")), MaxVoices);
            lines << QStringLiteral("[%1]").arg(sectionOfEntry(translatePLGBankName(entry, slot)))
                  << QStringLiteral("Ridev=%1").arg(voices);
            for (int j = 0; j < voices; ++j) {
                const QString name = names->numValue(j);
                if (!name.isEmpty())
                    lines << QStringLiteral("%1=%2").arg(j).arg(name);
            }
            lines << QString();
        }
    }
    QByteArray text;
    for (const QString& line : lines)
        text += line.toLatin1() + '\n';
    return text;
}

bool PlgBoards::createPLGFile(MidiDevice* device, int slot, const QString& path, QString* error)
{
    if (path.isEmpty())
        return true;
    IniFile board;
    const bool none = path == noBoard();
    if (!none && !readBoard(path, board, nullptr, error))
        return false;

    const QString target = plgFileName(device, slot);
    QSaveFile file(target);
    const QByteArray text = installedText(none ? nullptr : &board, slot);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("Cannot save file\n\n%1").arg(QDir::toNativeSeparators(target));
        return false;
    }
    return true;
}

QString PlgBoards::boardFolder()
{
    // The trailing "/" keeps the file prompt from taking the last part for a
    // file name when the folder is missing.
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/vesk/plg")) +
           QLatin1Char('/');
}

// --- The instrument's members ------------------------------------------------------

QString Vesk::plgFileName(int slot)
{
    return PlgBoards::plgFileName(this, slot);
}

QString Vesk::plgName(int slot)
{
    return PlgBoards::plgName(this, slot);
}

void Vesk::loadPLG()
{
    PlgBoards::loadPLG(this);
}

QString Vesk::translatePLGBankName(const QString& entry, int slot)
{
    return PlgBoards::translatePLGBankName(entry, slot);
}

bool Vesk::createPLGFile(int slot, const QString& path, QString* error)
{
    return PlgBoards::createPLGFile(this, slot, path, error);
}

bool Vesk::plgSetup(QWidget* parent)
{
    return RunPlgSetup(this, parent);
}
