// Instrument definition files: which keys name banks, the "VOICES" list and
// the patch-name sections they leave in the device, the model choice, loads
// that must change nothing, and the load a device makes when it is built.
#include "BankInfo.h"
#include "DeviceBank.h"
#include "IniFile.h"
#include "MidiDevice.h"
#include "Paths.h"
#include "Profile.h"
#include "Prompts.h"
#include "TestEnvironment.h"
#include "TestSysex.h"

#include <QDir>
#include <QFile>
#include <QSettings>

#include <algorithm>

namespace {

using Kind = ScriptedPrompts::Kind;

// The worked shape of a definition: two patch-name sections, one model whose
// keys come out of bank order, and keys that name no bank.
const char* const OneModel = R"(; our own test definition
.Patch Names
[Pianos]
0=Grand
1=Upright
[Strings]
0=Ensemble
[Unused]
0=Nobody
.Instrument Definitions
[TI Model One]
Patch[8193]=Strings
Patch[0]=Pianos
Patch[*]=1..128
Patch[16384]=Wrapped
Control[7]=Volume
)";

const char* const ThreeModels = R"(.Patch Names
[Alpha Names]
0=A0
[Beta Names]
0=B0
.Instrument Definitions
[Alpha]
Patch[0]=Alpha Names
[Beta]
Patch[129]=Beta Names
[Gamma]
Patch[*]=1..128
)";

QString profile(const char* key)
{
    return Profile::readProfileString(QStringLiteral("MidiDevice"), QString::fromLatin1(key));
}

// The lines of a section in file order, "key=value".
QStringList lines(const IniSection* section)
{
    QStringList list;
    if (!section)
        return list;
    for (const QString& key : section->types())
        list << key + QLatin1Char('=') + section->value(key);
    return list;
}

QStringList voices(MidiDevice& device)
{
    return lines(device.ini()->section(QStringLiteral("VOICES")));
}

BankInfo info(unsigned short word, const char* name)
{
    return BankInfo{Bank(word), QString::fromLatin1(name)};
}

} // namespace

class TestInsFile : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    QString write(const QString& name, const QString& text)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return QString();
        file.write(text.toUtf8());
        return path;
    }

private slots:
    // Every device reads the profile when it is built; each test starts
    // without a saved definition.
    void init() { Profile::settings()->clear(); }

    // A file with one model loads it without asking; the banks come out in
    // bank order (equal words in file order), each names section is copied,
    // and the bank set built from the list finds the names.
    void loadsTheOnlyModel()
    {
        const QString path = write(QStringLiteral("one.ins"), QString::fromLatin1(OneModel));
        TestDevice device;
        ScriptedPrompts prompts;

        QVERIFY(device.loadInsFile(path, QString()));

        QCOMPARE(prompts.calls().size(), 0);
        QCOMPARE(voices(device),
                 QStringList({"Ridev=3", "Size=2", "0=0,0,Pianos", "1=0,0,Wrapped", "2=64,1,Strings"}));
        QCOMPARE(lines(device.ini()->section(QStringLiteral("Pianos"))),
                 QStringList({"0=Grand", "1=Upright"}));
        QCOMPARE(lines(device.ini()->section(QStringLiteral("Strings"))), QStringList({"0=Ensemble"}));
        QVERIFY(!device.ini()->section(QStringLiteral("Unused")));
        QCOMPARE(device.name(), QStringLiteral("TI Model One"));
        QCOMPARE(profile("InsFile"), path);
        QCOMPARE(profile("InsModel"), QStringLiteral("TI Model One"));

        const BankSet set(&device, QStringLiteral("VOICES"));
        QCOMPARE(set.size(), 3);
        QCOMPARE(set.bankAt(0)->bankWord(), quint16(0x0000));
        QCOMPARE(set.bankAt(2)->bankWord(), quint16(0x4001));
        // The two lines of word 0 are one bank, made by the first.
        QCOMPARE(set.bankAt(1), set.bankAt(0));
        QCOMPARE(set.bankAt(0)->name(), QStringLiteral("Pianos"));
        QCOMPARE(set.patchName(Patch(0x4001, 0)), QStringLiteral("Ensemble"));
        QCOMPARE(set.patchName(Patch(0x0000, 1)), QStringLiteral("Upright"));
    }

    // A model whose bank's patch names carry the model's own title, as real
    // files have it: the reader keeps both sections, and the bank gets its
    // names rather than the model's keys.
    void namesTitledLikeTheModel()
    {
        const QString path = write(QStringLiteral("same.ins"), QStringLiteral(".Patch Names\n"
                                                                              "[TI Clone]\n"
                                                                              "0=Grand\n"
                                                                              "1=Strings\n"
                                                                              ".Instrument Definitions\n"
                                                                              "[TI Clone]\n"
                                                                              "Patch[0]=TI Clone\n"));
        IniFile file;
        QVERIFY(file.loadFile(path));
        QCOMPARE(lines(file.section(QStringLiteral("TI Clone"), QStringLiteral("Patch Names"))),
                 QStringList({"0=Grand", "1=Strings"}));
        QCOMPARE(lines(file.section(QStringLiteral("TI Clone"), QStringLiteral(".Instrument Definitions"))),
                 QStringList({"Patch[0]=TI Clone"}));
        QCOMPARE(file.getSectionNames(QStringLiteral("Patch Names")), QStringList{"TI Clone"});
        QCOMPARE(file.getSectionNames(QStringLiteral("Instrument Definitions")), QStringList{"TI Clone"});

        TestDevice device;
        QVERIFY(device.loadInsFile(path, QString()));
        QCOMPARE(voices(device), QStringList({"Ridev=1", "Size=2", "0=0,0,TI Clone"}));
        QCOMPARE(lines(device.ini()->section(QStringLiteral("TI Clone"))),
                 QStringList({"0=Grand", "1=Strings"}));
        const BankSet set(&device, QStringLiteral("VOICES"));
        QCOMPARE(set.size(), 1);
        QCOMPARE(set.patchName(Patch(0x0000, 1)), QStringLiteral("Strings"));
    }

    // One key per file: what it adds to "VOICES" (nothing for keys that name
    // no bank). The settings are written either way.
    void bankKeys_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("line"); // "" for no bank

        QTest::newRow("bank 0") << "Patch[0]"
                                << "0,0,Names";
        QTest::newRow("MSB and LSB") << "Patch[8193]"
                                     << "64,1,Names";
        QTest::newRow("highest") << "Patch[16383]"
                                 << "127,127,Names";
        QTest::newRow("beyond 14 bits") << "Patch[16385]"
                                        << "0,1,Names";
        QTest::newRow("leading zero") << "Patch[01]"
                                      << "0,1,Names";
        QTest::newRow("wildcard") << "Patch[*]"
                                  << "";
        QTest::newRow("minus one") << "Patch[-1]"
                                   << "";
        QTest::newRow("other negative") << "Patch[-5]"
                                        << "";
        QTest::newRow("lower case") << "patch[0]"
                                    << "";
        QTest::newRow("not a number") << "Patch[1a]"
                                      << "";
        QTest::newRow("empty number") << "Patch[]"
                                      << "";
        QTest::newRow("too large") << "Patch[99999999999]"
                                   << "";
        QTest::newRow("text before") << "XPatch[3]"
                                     << "";
        QTest::newRow("text after") << "Patch[3]x"
                                    << "";
        QTest::newRow("other key") << "Control[7]"
                                   << "";
    }

    void bankKeys()
    {
        QFETCH(QString, key);
        QFETCH(QString, line);
        const QString path = write(QStringLiteral("key.ins"),
                                   QStringLiteral(".Instrument Definitions\n[Model]\n%1=Names\n").arg(key));
        TestDevice device;

        QVERIFY(device.loadInsFile(path, QStringLiteral("Model")));

        QStringList expected{"Ridev=" + QString::number(line.isEmpty() ? 0 : 1), "Size=2"};
        if (!line.isEmpty())
            expected << "0=" + line;
        QCOMPARE(voices(device), expected);
        QCOMPARE(profile("InsFile"), path);
        QCOMPARE(profile("InsModel"), QStringLiteral("Model"));
    }

    // Several models: the chooser lists them in file order; the answer is
    // loaded, a cancelled choice loads nothing.
    void choosesAmongModels_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("expected"); // VOICES lines; empty when nothing loads

        QTest::newRow("second model") << "Beta" << QStringList({"Ridev=1", "Size=2", "0=1,1,Beta Names"});
        QTest::newRow("model without banks") << "Gamma" << QStringList({"Ridev=0", "Size=2"});
        QTest::newRow("cancelled") << "" << QStringList();
    }

    void choosesAmongModels()
    {
        QFETCH(QString, answer);
        QFETCH(QStringList, expected);
        const QString path = write(QStringLiteral("three.ins"), QString::fromLatin1(ThreeModels));
        TestDevice device;
        ScriptedPrompts prompts;
        prompts.script(Kind::Item, answer);

        QCOMPARE(device.loadInsFile(path, QString()), !expected.isEmpty());

        QCOMPARE(prompts.count(Kind::Item), 1);
        const ScriptedPrompts::Call call = prompts.last(Kind::Item);
        QCOMPARE(call.title, QStringLiteral("Select model"));
        QCOMPARE(call.text, QStringLiteral("Instrument model:"));
        QCOMPARE(call.items, QStringList({"Alpha", "Beta", "Gamma"}));
        QCOMPARE(call.initial, -1);
        QVERIFY(!call.parent);

        QCOMPARE(voices(device), expected);
        QCOMPARE(device.name(), expected.isEmpty() ? QStringLiteral("Test Instrument") : answer);
        QCOMPARE(profile("InsModel"), expected.isEmpty() ? QString() : answer);
    }

    // A load that cannot go ahead leaves the device as it was: the voice
    // list, the banks it made, the name and the settings.
    void failedLoadChangesNothing_data()
    {
        QTest::addColumn<QString>("file"); // under the test folder; "" for no file name
        QTest::addColumn<QString>("text"); // written there; "" writes no file
        QTest::addColumn<QString>("model");

        QTest::newRow("model the file lacks") << "other.ins" << QString::fromLatin1(ThreeModels) << "Delta";
        QTest::newRow("no model section") << "other.ins"
                                          << "[Loose]\nPatch[0]=X\n"
                                          << "";
        QTest::newRow("missing file") << "missing.ins"
                                      << ""
                                      << "Alpha";
        QTest::newRow("no file name") << ""
                                      << ""
                                      << "Alpha";
    }

    void failedLoadChangesNothing()
    {
        QFETCH(QString, file);
        QFETCH(QString, text);
        QFETCH(QString, model);
        const QString first = write(QStringLiteral("one.ins"), QString::fromLatin1(OneModel));
        QString path = file.isEmpty() ? QString() : dir.filePath(file);
        if (!text.isEmpty())
            path = write(file, text);
        QFile::remove(dir.filePath(QStringLiteral("missing.ins")));

        TestDevice device;
        QVERIFY(device.loadInsFile(first, QString()));
        device.loadBankSet(QStringLiteral("VOICES"));
        const IniSection* before = device.ini()->section(QStringLiteral("VOICES"));
        const QStringList beforeLines = voices(device);
        ScriptedPrompts prompts;

        QVERIFY(!device.loadInsFile(path, model));

        QCOMPARE(device.ini()->section(QStringLiteral("VOICES")), before);
        QCOMPARE(voices(device), beforeLines);
        QVERIFY(device.getBank(0x4001));
        QVERIFY(device.getBank(0x0000));
        QCOMPARE(device.name(), QStringLiteral("TI Model One"));
        QCOMPARE(profile("InsFile"), first);
        QCOMPARE(profile("InsModel"), QStringLiteral("TI Model One"));
        QCOMPARE(prompts.calls().size(), 0);
    }

    // A names section replaces a section of the same title in the device
    // data; one titled "VOICES" is copied and then replaced by the new list.
    // A later load drops the banks of the earlier list from the registry.
    void replacesSectionsAndBanks()
    {
        TestDevice device;
        QVERIFY(device.ini()->section(QStringLiteral("BankNo")));
        const QString first = write(QStringLiteral("one.ins"), QString::fromLatin1(OneModel));
        QVERIFY(device.loadInsFile(first, QString()));
        device.loadBankSet(QStringLiteral("VOICES"));
        QVERIFY(device.getBank(0x4001));

        const QString path = write(QStringLiteral("clash.ins"), QStringLiteral(".Patch Names\n"
                                                                               "[BankNo]\n0=Mine\n"
                                                                               "[VOICES]\n0=Not a bank list\n"
                                                                               ".Instrument Definitions\n"
                                                                               "[Clash]\n"
                                                                               "Patch[0]=BankNo\n"
                                                                               "Patch[1]=VOICES\n"));
        QVERIFY(device.loadInsFile(path, QString()));

        QCOMPARE(lines(device.ini()->section(QStringLiteral("BankNo"))), QStringList({"0=Mine"}));
        QCOMPARE(voices(device), QStringList({"Ridev=2", "Size=2", "0=0,0,BankNo", "1=0,1,VOICES"}));
        QVERIFY(!device.getBank(0x4001));
        QVERIFY(!device.getBank(0x0000));
        QCOMPARE(device.name(), QStringLiteral("Clash"));
    }

    // The model's blanks go from the device name only: the lookup and the
    // saved model keep them.
    void blanksAroundTheModel()
    {
        const QString path = write(QStringLiteral("blanks.ins"),
                                   QStringLiteral(".Instrument Definitions\n[  Spaced  ]\nPatch[2]=X\n"));
        TestDevice device;

        QVERIFY(!device.loadInsFile(path, QStringLiteral("Spaced")));
        QVERIFY(device.loadInsFile(path, QStringLiteral("  Spaced  ")));

        QCOMPARE(device.name(), QStringLiteral("Spaced"));
        QCOMPARE(profile("InsModel"), QStringLiteral("  Spaced  "));
        QCOMPARE(voices(device).last(), QStringLiteral("0=0,2,X"));
    }

    // The file prompt: cancelled, nothing is written; a chosen file with
    // several models asks for the model next.
    void promptsForTheFile()
    {
        const QString path = write(QStringLiteral("three.ins"), QString::fromLatin1(ThreeModels));
        TestDevice device;
        ScriptedPrompts prompts;

        QVERIFY(!device.loadInsFile());
        QCOMPARE(prompts.count(Kind::FileOpen), 1);
        QCOMPARE(prompts.last(Kind::FileOpen).title, QStringLiteral("Select Instrument Definition File"));
        QCOMPARE(prompts.last(Kind::FileOpen).filter,
                 QtFileFilter(QStringLiteral("Instrument Definition Files (*.ins)")));
        QCOMPARE(prompts.count(Kind::Item), 0);
        QVERIFY(!Profile::settings()->childGroups().contains(QStringLiteral("MidiDevice")));

        prompts.script(Kind::FileOpen, path);
        prompts.script(Kind::Item, QStringLiteral("Alpha"));
        QVERIFY(device.loadInsFile());
        QCOMPARE(prompts.count(Kind::Item), 1);
        QCOMPARE(device.name(), QStringLiteral("Alpha"));
        QCOMPARE(profile("InsFile"), path);
    }

    // A device built with a saved definition loads it before it names its
    // data folder, which follows the model but never leaves the suite's
    // data folder, whatever the file calls its model.
    void constructorLoadsTheSavedDefinition_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("savedModel");
        QTest::addColumn<bool>("asks");      // whether the model chooser is shown
        QTest::addColumn<QString>("answer"); // its answer
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("folder"); // under CMidiDevice

        QTest::newRow("saved model") << QString::fromLatin1(ThreeModels) << "Beta" << false << ""
                                     << "Beta"
                                     << "Beta";
        QTest::newRow("no saved model, one in the file") << QString::fromLatin1(OneModel) << "" << false << ""
                                                         << "TI Model One"
                                                         << "TI Model One";
        QTest::newRow("no saved model, chooser while building")
            << QString::fromLatin1(ThreeModels) << "" << true << "Gamma"
            << "Gamma"
            << "Gamma";
        QTest::newRow("chooser cancelled") << QString::fromLatin1(ThreeModels) << "" << true << ""
                                           << "Test Instrument"
                                           << "Test Instrument";
        QTest::newRow("saved model gone from the file")
            << QString::fromLatin1(ThreeModels) << "Delta" << false << ""
            << "Test Instrument"
            << "Test Instrument";
        QTest::newRow("model climbing out") << ".Instrument Definitions\n[../../Escape]\nPatch[0]=X\n"
                                            << "../../Escape" << false << ""
                                            << "../../Escape"
                                            << "Escape";
        QTest::newRow("model with separators") << ".Instrument Definitions\n[a/b\\c]\nPatch[0]=X\n"
                                               << "" << false << ""
                                               << "a/b\\c"
                                               << "abc";
        QTest::newRow("model of dots") << ".Instrument Definitions\n[..]\nPatch[0]=X\n"
                                       << "" << false << ""
                                       << ".."
                                       << "_";
    }

    void constructorLoadsTheSavedDefinition()
    {
        QFETCH(QString, text);
        QFETCH(QString, savedModel);
        QFETCH(bool, asks);
        QFETCH(QString, answer);
        QFETCH(QString, name);
        QFETCH(QString, folder);
        const QString path = write(QStringLiteral("saved.ins"), text);
        Profile::writeProfileString(QStringLiteral("MidiDevice"), QStringLiteral("InsFile"), path);
        Profile::writeProfileString(QStringLiteral("MidiDevice"), QStringLiteral("InsModel"), savedModel);
        ScriptedPrompts prompts;
        prompts.script(Kind::Item, answer);

        TestDevice device;

        QCOMPARE(device.name(), name);
        QCOMPARE(device.dataFolder(), GetTamselFolder() + QStringLiteral("/CMidiDevice/") + folder);
        QVERIFY(QDir(device.dataFolder()).exists());
        QCOMPARE(device.ini()->section(QStringLiteral("VOICES")) != nullptr, name != "Test Instrument");
        QCOMPARE(prompts.count(Kind::Item), asks ? 1 : 0);
    }

    // Bank words ascending; equal words are neither less nor greater, so the
    // stable sort keeps them in the order they were read.
    void bankOrder()
    {
        QVERIFY(BankLessThan(info(0x0000, "a"), info(0x3F00, "b")));
        QVERIFY(BankLessThan(info(0x3F00, "a"), info(0x3F01, "b")));
        QVERIFY(!BankLessThan(info(0x3F01, "a"), info(0x3F00, "b")));
        QVERIFY(!BankLessThan(info(0x3F00, "a"), info(0x3F00, "b")));
        QVERIFY(!BankLessThan(info(0x3F00, "b"), info(0x3F00, "a")));

        QList<BankInfo> banks{info(0x3F01, "late"), info(0x3F00, "first"), info(0x0000, "zero"),
                              info(0x3F00, "second"), info(0x3F00, "third")};
        std::stable_sort(banks.begin(), banks.end(), BankLessThan);
        QStringList names;
        for (const BankInfo& b : banks)
            names << b.name;
        QCOMPARE(names, QStringList({"zero", "first", "second", "third", "late"}));
    }
};

ORVANE_TEST_GUILESS_MAIN(TestInsFile)
#include "tst_insfile.moc"
