#include "DeviceBank.h"
#include "IniFile.h"
#include "Paths.h"
#include "TestEnvironment.h"
#include "TestSysex.h"

#include <QDir>
#include <QFile>
#include <memory>

namespace {

const char* const UserBanksFixture = R"(
[VOICES]
Ridev=4
0=63,00,PRESET1
1=63,08,USER1
2=63,09,USER2
3=63,40,DR:USR

[PRESET1]
Ridev=128
0=Ap:ConcertGnd

[USER1]
Ridev=128
0=Init Voice
1=From INI

[DR:USR]
Ridev=32
)";

constexpr unsigned short PresetBank1 = 0x3F00;
constexpr unsigned short UserBank1 = 0x3F08;
constexpr unsigned short User2 = 0x3F09;
constexpr unsigned short DrumUserBank = 0x3F28;

// The test instrument with user banks: MSB 63 with an LSB of 8 or more.
class UserBankDevice : public TestDevice
{
public:
    UserBankDevice() : TestDevice(QStringLiteral("User ES")) { ini()->loadText(QString::fromUtf8(UserBanksFixture)); }
    bool isUserBank(unsigned short bank) override { return (bank >> 8) == 63 && (bank & 0xFF) >= 8; }
};

QString readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

void writeFile(const QString& path, const QString& text)
{
    QVERIFY(StringToFile(text, path));
}

// The file as a bank of this name would read it back.
QString nameInFile(const QString& path, const QString& bank, int program)
{
    IniFile file;
    if (!file.loadFile(path) || !file.section(bank))
        return QStringLiteral("<no section>");
    const IniLine* line = file.section(bank)->findLine(program);
    return line ? line->value() : QStringLiteral("<no line>");
}

} // namespace

class TestUserBanks : public QObject
{
    Q_OBJECT

private:
    // Building a device takes a moment: the tests that need no second one
    // share this one, its banks dropped before each test.
    std::unique_ptr<UserBankDevice> m_device;

private slots:
    void initTestCase() { m_device = std::make_unique<UserBankDevice>(); }
    void cleanupTestCase() { m_device.reset(); }
    void init();
    void filePaths();
    void firstRenameWritesWholeFile();
    void refusedRenames_data();
    void refusedRenames();
    void oddNamesRoundTrip_data();
    void oddNamesRoundTrip();
    void fileWinsOverIniData();
    void damagedFileCounts_data();
    void damagedFileCounts();
    void smallBankWritesItsCountOnly();
    void renamesOfTwoProgramsMerge();
    void failedWriteKeepsTheName();
    void updateUserPatchName();
};

void TestUserBanks::init()
{
    // Each test starts without user bank files.
    QDir folder(m_device->dataFolder());
    QVERIFY(folder.removeRecursively() && folder.mkpath(QStringLiteral(".")));
    m_device->deleteBankSet(QStringLiteral("VOICES"));
    QCOMPARE(m_device->bankCount(), 0);
}

void TestUserBanks::filePaths()
{
    UserBankDevice& device = *m_device;
    QVERIFY(device.dataFolder().endsWith(QStringLiteral("/CMidiDevice/User ES")));
    QCOMPARE(device.getUserBankFile(0x3F08), device.dataFolder() + QStringLiteral("/3F08.ini"));
    QCOMPARE(device.getUserBankFile(0x7F7F), device.dataFolder() + QStringLiteral("/7F7F.ini"));
    QCOMPARE(device.getUserBankFile(0x0000), device.dataFolder() + QStringLiteral("/0000.ini"));
    QCOMPARE(device.getUserBankFile(0x000A), device.dataFolder() + QStringLiteral("/000A.ini"));
    QCOMPARE(device.getMacroFile(), device.dataFolder() + QStringLiteral("/macro.dat"));
}

void TestUserBanks::firstRenameWritesWholeFile()
{
    UserBankDevice& device = *m_device;
    device.loadBankSet(QStringLiteral("VOICES"));
    QVERIFY(device.updateUserPatchName(Patch(UserBank1, 5), QStringLiteral("Lead Saw")));
    QCOMPARE(device.getBank(UserBank1)->patchName(5), QStringLiteral("Lead Saw"));

    const QStringList lines = readFile(device.getUserBankFile(UserBank1)).split(u'\n');
    QCOMPARE(lines.size(), 4 + 128 + 1); // the last line end leaves an empty tail
    QCOMPARE(lines.mid(0, 4), (QStringList{"[USER1]", "Ridev=128", "Size=2", "Hex=0"}));
    QCOMPARE(lines.at(4), QStringLiteral("0=Init Voice"));
    QCOMPARE(lines.at(5), QStringLiteral("1=From INI"));
    QCOMPARE(lines.at(6), QStringLiteral("2=---"));
    QCOMPARE(lines.at(9), QStringLiteral("5=Lead Saw"));
    QCOMPARE(lines.at(4 + 127), QStringLiteral("127=---"));
    QCOMPARE(lines.last(), QString());
}

void TestUserBanks::refusedRenames_data()
{
    QTest::addColumn<int>("word");
    QTest::addColumn<int>("program");
    QTest::addColumn<QString>("name");

    QTest::newRow("preset bank") << int(PresetBank1) << 0 << "New";
    QTest::newRow("placeholder") << int(UserBank1) << 1 << "---";
    QTest::newRow("empty dump name") << int(UserBank1) << 1 << "(empty)";
    QTest::newRow("program 128") << int(UserBank1) << 128 << "New";
    QTest::newRow("negative program") << int(UserBank1) << -1 << "New";
}

void TestUserBanks::refusedRenames()
{
    QFETCH(int, word);
    QFETCH(int, program);
    QFETCH(QString, name);
    UserBankDevice& device = *m_device;
    const BankSet set(&device, QStringLiteral("VOICES"));
    DeviceBank* bank = set.find(static_cast<unsigned short>(word));
    const QString before = bank->patchName(1);

    QVERIFY(!bank->setPatchName(&device, program, name));
    QCOMPARE(bank->patchName(1), before);
    QCOMPARE(bank->patchName(0),
             word == PresetBank1 ? QStringLiteral("Ap:ConcertGnd") : QStringLiteral("Init Voice"));
    QVERIFY(!QFile::exists(device.getUserBankFile(static_cast<unsigned short>(word))));
}

void TestUserBanks::oddNamesRoundTrip_data()
{
    QTest::addColumn<QString>("name");

    QTest::newRow("equals") << "a=b";
    QTest::newRow("leading equals") << "=x";
    QTest::newRow("comment mark") << ";x";
    QTest::newRow("section mark") << "[y]";
    QTest::newRow("group mark") << ".z";
    QTest::newRow("leading blank") << " lead";
    QTest::newRow("trailing blank") << "trail ";
    QTest::newRow("only blanks") << "   ";
    QTest::newRow("tab") << "\ttab\t";
    QTest::newRow("backslash") << "back\\slash";
    QTest::newRow("escape look-alike") << "\\n\\s";
    QTest::newRow("line break") << "two\nlines";
    QTest::newRow("carriage return") << "cr\r";
    QTest::newRow("empty") << "";
    QTest::newRow("not Latin-1") << QStringLiteral("Flöte ♪");
}

void TestUserBanks::oddNamesRoundTrip()
{
    QFETCH(QString, name);
    UserBankDevice& device = *m_device;
    device.loadBankSet(QStringLiteral("VOICES"));
    QVERIFY(device.updateUserPatchName(Patch(UserBank1, 7), name));
    QVERIFY(device.updateUserPatchName(Patch(UserBank1, 8), QStringLiteral("Neighbour")));

    // The bank made afresh reads the names back exactly from its file, as a
    // program started later does, and the line after the odd one is intact.
    device.deleteBank(UserBank1);
    const DeviceBank* bank = device.createBank(QStringLiteral("USER1"), UserBank1, 128);
    QCOMPARE(bank->patchName(7), name);
    QCOMPARE(bank->patchName(8), QStringLiteral("Neighbour"));
    QCOMPARE(bank->patchName(9), QStringLiteral("---"));
    QCOMPARE(bank->count(), 128);
}

void TestUserBanks::fileWinsOverIniData()
{
    UserBankDevice& device = *m_device;
    writeFile(device.getUserBankFile(UserBank1), QStringLiteral("[USER1]\nRidev=64\n1=From file\n200=Ignored\n"));
    writeFile(device.getUserBankFile(User2), QStringLiteral("[SOMETHING ELSE]\nRidev=16\n0=Other title\n"));
    // A preset bank never reads a file, even one that is there.
    writeFile(device.getUserBankFile(PresetBank1), QStringLiteral("[PRESET1]\nRidev=8\n0=Not mine\n"));

    const BankSet set(&device, QStringLiteral("VOICES"));
    const DeviceBank* user1 = set.find(UserBank1);
    QCOMPARE(user1->count(), 64);
    QCOMPARE(user1->patchName(0), QStringLiteral("Init Voice")); // not in the file: the INI data's
    QCOMPARE(user1->patchName(1), QStringLiteral("From file"));
    QCOMPARE(user1->patchName(2), QStringLiteral("---"));
    // A file titled otherwise is not this bank's.
    QCOMPARE(set.find(User2)->count(), 128);
    QCOMPARE(set.find(User2)->patchName(0), QStringLiteral("---"));
    QCOMPARE(set.find(PresetBank1)->count(), 128);
    QCOMPARE(set.find(PresetBank1)->patchName(0), QStringLiteral("Ap:ConcertGnd"));
}

void TestUserBanks::damagedFileCounts_data()
{
    QTest::addColumn<QString>("ridev");
    QTest::addColumn<int>("count");

    QTest::newRow("500") << "500" << 128;
    QTest::newRow("129") << "129" << 128;
    QTest::newRow("negative") << "-5" << 1;
    QTest::newRow("zero keeps the INI count") << "0" << 128;
    QTest::newRow("not a number") << "many" << 128;
    QTest::newRow("huge") << "99999999999" << 128;
}

void TestUserBanks::damagedFileCounts()
{
    QFETCH(QString, ridev);
    QFETCH(int, count);
    UserBankDevice& device = *m_device;
    writeFile(device.getUserBankFile(UserBank1),
              QStringLiteral("[USER1]\nRidev=%1\n3=Three\n127=Last\n").arg(ridev));

    const BankSet set(&device, QStringLiteral("VOICES"));
    DeviceBank* bank = set.find(UserBank1);
    QCOMPARE(bank->count(), count);
    QCOMPARE(bank->patchName(127), QStringLiteral("Last"));
    QCOMPARE(set.lastPatchOfBank(UserBank1).program, count - 1);

    // A rename writes a file of at most 128 programs.
    QVERIFY(bank->setPatchName(&device, 0, QStringLiteral("Zero")));
    IniFile file;
    QVERIFY(file.loadFile(device.getUserBankFile(UserBank1)));
    QCOMPARE(file.section(QStringLiteral("USER1"))->intValue(QStringLiteral("Ridev")), count);
    QCOMPARE(file.section(QStringLiteral("USER1"))->count(), 3 + count);
}

void TestUserBanks::smallBankWritesItsCountOnly()
{
    UserBankDevice& device = *m_device;
    const BankSet set(&device, QStringLiteral("VOICES"));
    DeviceBank* drums = set.find(DrumUserBank);
    QCOMPARE(drums->count(), 32);

    // Beyond the count: the table only, no file.
    QVERIFY(drums->setPatchName(&device, 40, QStringLiteral("Beyond")));
    QCOMPARE(drums->patchName(40), QStringLiteral("Beyond"));
    QVERIFY(!QFile::exists(device.getUserBankFile(DrumUserBank)));

    QVERIFY(drums->setPatchName(&device, 31, QStringLiteral("Kit 32")));
    IniFile file;
    QVERIFY(file.loadFile(device.getUserBankFile(DrumUserBank)));
    const IniSection* section = file.section(QStringLiteral("DR:USR"));
    QVERIFY(section);
    QCOMPARE(section->value(QStringLiteral("Ridev")), QStringLiteral("32"));
    QCOMPARE(section->numValue(31), QStringLiteral("Kit 32"));
    QVERIFY(!section->findLine(32));
    QVERIFY(!section->findLine(40));
}

// Two programs of the suite (two devices of the same name) renaming
// programs of the same bank: each rename keeps the other's.
void TestUserBanks::renamesOfTwoProgramsMerge()
{
    UserBankDevice first;
    UserBankDevice second;
    QCOMPARE(first.dataFolder(), second.dataFolder());
    const BankSet firstSet(&first, QStringLiteral("VOICES"));
    const BankSet secondSet(&second, QStringLiteral("VOICES"));
    const QString path = first.getUserBankFile(UserBank1);

    QVERIFY(first.updateUserPatchName(Patch(UserBank1, 1), QStringLiteral("First's")));
    QVERIFY(second.updateUserPatchName(Patch(UserBank1, 2), QStringLiteral("Second's")));
    QVERIFY(first.updateUserPatchName(Patch(UserBank1, 3), QStringLiteral("First's again")));

    QCOMPARE(nameInFile(path, QStringLiteral("USER1"), 1), QStringLiteral("First's"));
    QCOMPARE(nameInFile(path, QStringLiteral("USER1"), 2), QStringLiteral("Second's"));
    QCOMPARE(nameInFile(path, QStringLiteral("USER1"), 3), QStringLiteral("First's again"));
    QCOMPARE(nameInFile(path, QStringLiteral("USER1"), 0), QStringLiteral("Init Voice"));

    // Each program's table holds what it read and renamed itself.
    QCOMPARE(secondSet.find(UserBank1)->patchName(1), QStringLiteral("From INI"));
    QCOMPARE(firstSet.find(UserBank1)->patchName(2), QStringLiteral("---"));

    // A later rename of a program the other renamed wins in the file.
    QVERIFY(second.updateUserPatchName(Patch(UserBank1, 1), QStringLiteral("Second wins")));
    QCOMPARE(nameInFile(path, QStringLiteral("USER1"), 1), QStringLiteral("Second wins"));
    QCOMPARE(nameInFile(path, QStringLiteral("USER1"), 3), QStringLiteral("First's again"));
    QVERIFY(!QFile::exists(path + QStringLiteral(".lock")));
}

void TestUserBanks::failedWriteKeepsTheName()
{
    UserBankDevice& device = *m_device;
    device.loadBankSet(QStringLiteral("VOICES"));
    // A folder where the file belongs: nothing can be written there.
    QVERIFY(QDir().mkpath(device.getUserBankFile(UserBank1)));
    QVERIFY(!device.updateUserPatchName(Patch(UserBank1, 4), QStringLiteral("Unsaved")));
    QCOMPARE(device.getBank(UserBank1)->patchName(4), QStringLiteral("Unsaved"));
    QVERIFY(QFileInfo(device.getUserBankFile(UserBank1)).isDir());
}

void TestUserBanks::updateUserPatchName()
{
    UserBankDevice& device = *m_device;
    // No bank in the registry: nothing happens, no file.
    QVERIFY(!device.updateUserPatchName(Patch(User2, 0), QStringLiteral("Nobody")));
    QVERIFY(!QFile::exists(device.getUserBankFile(User2)));
    QCOMPARE(device.bankCount(), 0);

    // The registry's bank is renamed, also when no set holds it any more.
    device.loadBankSet(QStringLiteral("VOICES"));
    QVERIFY(device.updateUserPatchName(Patch(User2, 0), QStringLiteral("Somebody")));
    QCOMPARE(device.getBank(User2)->patchName(0), QStringLiteral("Somebody"));
    QCOMPARE(nameInFile(device.getUserBankFile(User2), QStringLiteral("USER2"), 0),
             QStringLiteral("Somebody"));

    // A bank made again after it was dropped reads the file.
    device.deleteBank(User2);
    QCOMPARE(device.createBank(QStringLiteral("USER2"), User2, 128)->patchName(0),
             QStringLiteral("Somebody"));
}

ORVANE_TEST_GUILESS_MAIN(TestUserBanks)
#include "tst_userbanks.moc"
