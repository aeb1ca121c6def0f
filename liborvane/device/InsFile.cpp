// Instrument definition files (.ins): the banks of one instrument model and
// the patch names of those banks, taken over as the device's voice banks.
//
// The part of the format read here:
//   .Patch Names
//   [Pianos]                 one section of patch names per bank,
//   0=Grand                  keyed by program 0..127
//   .Instrument Definitions
//   [Model X]                one section per model
//   Patch[0]=Pianos          bank MSB * 128 + LSB = title of its names section
//   Patch[*]=1..128          wildcard: names no bank
#include "BankInfo.h"
#include "IniFile.h"
#include "MidiDevice.h"
#include "MidiParam.h"
#include "Profile.h"
#include "Prompts.h"
#include "Strings.h"
#include "VarArgs.h"

#include <QList>
#include <QRegularExpression>

#include <algorithm>

namespace {
const QString VoicesTitle = QStringLiteral("VOICES");
const QString ProfileSection = QStringLiteral("MidiDevice");
const QString ModelsGroup = QStringLiteral("Instrument Definitions");
const QString NamesGroup = QStringLiteral("Patch Names");

// Real files often title a model and the patch names of its bank alike, so
// sections are looked up with their group: a model among the definitions, a
// bank's names under "Patch Names" (or, in a file that groups them otherwise,
// any section of that title that is no model). A file without group lines
// still finds its sections by title alone.
const IniSection* modelSection(const IniFile& file, const QString& model)
{
    if (const IniSection* s = file.section(model, ModelsGroup))
        return s;
    const IniSection* s = file.section(model);
    return s && s->group().isEmpty() ? s : nullptr;
}

const IniSection* namesSection(const IniFile& file, const QString& title)
{
    if (const IniSection* s = file.section(title, NamesGroup))
        return s;
    const IniSection* s = file.section(title);
    return s && s->group() != ModelsGroup ? s : nullptr;
}
} // namespace

bool BankLessThan(const BankInfo& a, const BankInfo& b)
{
    return a.bank.word() < b.bank.word();
}

bool MidiDevice::loadInsFile(const QString& file, const QString& model)
{
    IniFile definitions;
    if (!definitions.loadFile(file))
        return false;

    QString chosen = model;
    if (chosen.isEmpty()) {
        const QStringList models = definitions.getSectionNames(ModelsGroup);
        if (models.size() == 1)
            chosen = models.first();
        else if (models.size() > 1)
            chosen = ChoseItem(nullptr, QStringLiteral("Select model"), QStringLiteral("Instrument model:"),
                               models, -1);
    }
    if (chosen.isEmpty())
        return false;

    // Looked up before anything changes: a model the file does not define (a
    // stale profile, a file edited since) must neither drop the voice banks
    // nor rename the device, whose name becomes its data folder.
    const IniSection* models = modelSection(definitions, chosen);
    if (!models)
        return false;

    static const QRegularExpression bankKey(
        QRegularExpression::anchoredPattern(QStringLiteral("Patch\\[(.*)\\]")));
    QList<BankInfo> banks;
    for (const QString& key : models->types()) {
        const QRegularExpressionMatch match = bankKey.match(key);
        if (!match.hasMatch())
            continue;
        // The wildcard "*" and anything else that is not a bank number (a
        // negative one included) names no bank. Numbers above 16383 keep
        // their low 14 bits, as MSB and LSB carry 7 bits each.
        const int number = StringToInt(match.captured(1), false, -1);
        if (number < 0)
            continue;
        banks.append(BankInfo{Bank(static_cast<unsigned short>(Data7to8(number))), models->value(key)});
    }
    std::stable_sort(banks.begin(), banks.end(), BankLessThan);

    // The banks the old list named leave the registry; the new list makes its
    // own when it is next loaded.
    deleteBankSet(VoicesTitle);
    m_name = trimmed(chosen);

    auto* voices = new IniSection(VoicesTitle);
    voices->add(new IniLine(QStringLiteral("Ridev"), int(banks.size())));
    voices->add(new IniLine(QStringLiteral("Size"), 2));
    for (int i = 0; i < banks.size(); ++i) {
        const BankInfo& info = banks.at(i);
        // The names section replaces one of the same title in the device data;
        // a bank whose section the file lacks keeps what the data has.
        if (const IniSection* names = namesSection(definitions, info.name))
            m_ini.add(info.name, names->createCopy());
        voices->add(new IniLine(i, VarArgs::format("%d,%d,%s", info.bank.msb, info.bank.lsb, info.name)));
    }
    m_ini.add(VoicesTitle, voices);

    Profile::writeProfileString(ProfileSection, QStringLiteral("InsFile"), file);
    Profile::writeProfileString(ProfileSection, QStringLiteral("InsModel"), chosen);
    return true;
}

bool MidiDevice::loadInsFile()
{
    const QString path =
        PromptFileOpen(nullptr, QStringLiteral("Instrument Definition Files (*.ins)"),
                       QStringLiteral("Select Instrument Definition File"), QString(), QStringLiteral("ins"));
    if (path.isEmpty())
        return false;
    return loadInsFile(path, QString());
}
