#include "DeviceBank.h"
#include "Library.h"
#include "TestEnvironment.h"
#include "TestSysex.h"

#include <memory>

namespace {

// Bank sets and bank sections as an instrument's INI data writes them, and the
// damaged shapes a hand-edited definition may hold.
const char* const Fixture = R"(
[VOICES]
Ridev=5
0=63,00,PRESET1
1=63,01,PRESET2
2=63,08,USER1
3=63,09,USER2
4=63,40,DR:USR

[VOICES_USER]
Ridev=2
0=63,08,USER1
1=63,09,USER2

[HEX_SET]
Hex=1
Ridev=2
0=3F,08,Ignored name
1=7F,7F,LAST

[ONE]
Ridev=1
0=63,00,PRESET1

[THREE]
Ridev=3
0=63,00,PRESET1
1=63,01,PRESET2
2=63,40,DR:USR

[TWICE]
Ridev=3
0=63,00,PRESET1
1=63,01,PRESET2
2=63,00,PRESET1

[GAPS]
Ridev=4
0=63,00,PRESET1
2=63,01,PRESET2

[HUGE_SET]
Ridev=2000000000
0=63,00,PRESET1

[NAMED]
Ridev=1
0=63,50,Bank ES PLG

[DAMAGED]
Ridev=2
0=63,60,HUGE
1=63,61,NEGATIVE

[PRESET1]
Ridev=128
0=Ap:ConcertGnd
1=
5=---
127=Last One
128=Never read

[PRESET2]
Ridev=64

[DR:USR]
Ridev=32

[HUGE]
Ridev=500
3=Three

[NEGATIVE]
Ridev=-5
)";

std::unique_ptr<TestDevice> makeDevice()
{
    auto device = std::make_unique<TestDevice>(QStringLiteral("Bank ES"));
    device->ini()->loadText(QString::fromUtf8(Fixture));
    return device;
}

constexpr unsigned short Preset1 = 0x3F00;
constexpr unsigned short Preset2 = 0x3F01;
constexpr unsigned short User1 = 0x3F08;
constexpr unsigned short DrumUser = 0x3F28;

QList<unsigned short> words(const BankSet& set)
{
    QList<unsigned short> list;
    for (const auto& bank : set)
        list.append(bank->bankWord());
    return list;
}

} // namespace

class TestBanks : public QObject
{
    Q_OBJECT

private:
    // For the tests that only read: a device costs a moment to build.
    std::unique_ptr<TestDevice> m_device;

private slots:
    void initTestCase() { m_device = makeDevice(); }
    void cleanupTestCase() { m_device.reset(); }
    void loadsSetsFromIniSections_data();
    void loadsSetsFromIniSections();
    void banksTakeTheirSections();
    void damagedCountsAreClamped();
    void setsShareTheRegistryBanks();
    void createBankKeepsTheExistingBank();
    void navigation_data();
    void navigation();
    void emptySet();
    void patchNames_data();
    void patchNames();
    void ridevPatchesCount();
    void bankNameAndPrintPatch();
    void setOutlivesDeletedBanks();
    void setOutlivesDevice();
    void addAndDeleteBank();
    void loadsFromLibraryTree();
};

void TestBanks::loadsSetsFromIniSections_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QList<unsigned short>>("expected");

    QTest::newRow("decimal lines") << "VOICES"
                                   << QList<unsigned short>{Preset1, Preset2, User1, 0x3F09, DrumUser};
    QTest::newRow("hexadecimal lines") << "HEX_SET" << QList<unsigned short>{User1, 0x7F7F};
    QTest::newRow("bank listed twice") << "TWICE" << QList<unsigned short>{Preset1, Preset2, Preset1};
    QTest::newRow("missing lines add nothing") << "GAPS" << QList<unsigned short>{Preset1, Preset2};
    QTest::newRow("absurd Ridev") << "HUGE_SET" << QList<unsigned short>{Preset1};
    QTest::newRow("missing section") << "NO_SUCH" << QList<unsigned short>{};
    QTest::newRow("empty name") << "" << QList<unsigned short>{};
}

void TestBanks::loadsSetsFromIniSections()
{
    QFETCH(QString, section);
    QFETCH(QList<unsigned short>, expected);
    TestDevice* device = m_device.get();
    const BankSet set(device, section);
    QCOMPARE(words(set), expected);
    for (unsigned short word : expected)
        QVERIFY(device->getBank(word));
}

void TestBanks::banksTakeTheirSections()
{
    auto device = makeDevice();
    const BankSet set(device.get(), QStringLiteral("VOICES"));

    const DeviceBank* preset1 = set.find(Preset1);
    QVERIFY(preset1);
    QCOMPARE(preset1->name(), QStringLiteral("PRESET1"));
    QCOMPARE(preset1->count(), 128);
    QCOMPARE(preset1->patchName(0), QStringLiteral("Ap:ConcertGnd"));
    QCOMPARE(preset1->patchName(1), QString());
    QCOMPARE(preset1->patchName(2), QStringLiteral("---"));
    QCOMPARE(preset1->patchName(127), QStringLiteral("Last One"));

    QCOMPARE(set.find(Preset2)->count(), 64);
    // A section with a total and no lines: its count, all slots unnamed.
    const DeviceBank* drums = set.find(DrumUser);
    QCOMPARE(drums->count(), 32);
    QCOMPARE(drums->patchName(0), QStringLiteral("---"));
    QCOMPARE(set.lastPatchOfBank(DrumUser), Patch(DrumUser, 31));
    // No section at all: the count given and every slot unnamed.
    QCOMPARE(set.find(User1)->count(), 128);
    QCOMPARE(set.find(User1)->patchName(7), QStringLiteral("---"));

    // The name of a set line is the bank's name, also when a later set names
    // the same word otherwise.
    const BankSet hex(device.get(), QStringLiteral("HEX_SET"));
    QCOMPARE(hex.find(User1)->name(), QStringLiteral("USER1"));
}

void TestBanks::damagedCountsAreClamped()
{
    auto device = makeDevice();
    const BankSet set(device.get(), QStringLiteral("DAMAGED"));
    const DeviceBank* huge = set.find(0x3F3C);
    const DeviceBank* negative = set.find(0x3F3D);
    QCOMPARE(huge->count(), 128);
    QCOMPARE(huge->patchName(3), QStringLiteral("Three"));
    QCOMPARE(negative->count(), 1);

    // Walking never leaves the table: the last program is 127 and the next
    // step goes to the next bank.
    QCOMPARE(set.lastPatchOfBank(0x3F3C), Patch(0x3F3C, 127));
    QCOMPARE(set.nextPatch(Patch(0x3F3C, 127)), Patch(0x3F3D, 0));
    QCOMPARE(set.ridevPatchesCount(), 129);

    // A count given at creation is clamped too.
    QCOMPARE(device->createBank(QStringLiteral("X"), 0x0101, 1000)->count(), 128);
    QCOMPARE(device->createBank(QStringLiteral("Y"), 0x0102, 0)->count(), 1);
}

void TestBanks::setsShareTheRegistryBanks()
{
    auto device = makeDevice();
    const BankSet voices(device.get(), QStringLiteral("VOICES"));
    const BankSet user(device.get(), QStringLiteral("VOICES_USER"));
    QCOMPARE(user.size(), 2);
    QCOMPARE(user.find(User1), voices.find(User1));
    QCOMPARE(user.find(0x3F09), voices.find(0x3F09));
    QCOMPARE(device->getBank(User1), voices.find(User1));
    QCOMPARE(device->bankCount(), 5);

    // A copy holds the same banks.
    const BankSet copy = voices;
    QCOMPARE(copy.find(Preset2), voices.find(Preset2));

    // Loading again replaces the content.
    BankSet reloaded = voices;
    reloaded.load(device.get(), QStringLiteral("ONE"));
    QCOMPARE(words(reloaded), QList<unsigned short>{Preset1});

    device->loadBankSet(QStringLiteral("HEX_SET"));
    QVERIFY(device->getBank(0x7F7F));
}

void TestBanks::createBankKeepsTheExistingBank()
{
    auto device = makeDevice();
    DeviceBank* first = device->createBank(QStringLiteral("PRESET2"), Preset2, 128);
    DeviceBank* second = device->createBank(QStringLiteral("OTHER"), Preset2, 16);
    QCOMPARE(second, first);
    QCOMPARE(second->name(), QStringLiteral("PRESET2"));
    QCOMPARE(second->count(), 64);
    QCOMPARE(device->bankCount(), 1);
}

// A set of three banks (PRESET1 128, PRESET2 64, DR:USR 32), a set of one
// bank, and a set listing PRESET1 twice.
void TestBanks::navigation_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("op");
    QTest::addColumn<uint>("from");
    QTest::addColumn<uint>("expected");

    auto p = [](unsigned short word, int program) { return uint(Patch(word, program).toUInt()); };
    const unsigned short outside = 0x0505;

    // Banks (the patch's program is not used).
    QTest::newRow("next bank") << "THREE"
                               << "nextBank" << p(Preset1, 0) << p(Preset2, 0);
    QTest::newRow("next bank wraps") << "THREE"
                                     << "nextBank" << p(DrumUser, 0) << p(Preset1, 0);
    QTest::newRow("prev bank wraps") << "THREE"
                                     << "prevBank" << p(Preset1, 0) << p(DrumUser, 0);
    QTest::newRow("prev bank") << "THREE"
                               << "prevBank" << p(Preset2, 0) << p(Preset1, 0);
    QTest::newRow("next bank outside") << "THREE"
                                       << "nextBank" << p(outside, 0) << p(outside, 0);
    QTest::newRow("prev bank outside") << "THREE"
                                       << "prevBank" << p(outside, 0) << p(outside, 0);
    QTest::newRow("next bank of one") << "ONE"
                                      << "nextBank" << p(Preset1, 0) << p(Preset1, 0);
    QTest::newRow("prev bank of one") << "ONE"
                                      << "prevBank" << p(Preset1, 0) << p(Preset1, 0);
    QTest::newRow("twice continues after first copy") << "TWICE"
                                                      << "nextBank" << p(Preset1, 0) << p(Preset2, 0);
    QTest::newRow("twice back from first copy") << "TWICE"
                                                << "prevBank" << p(Preset1, 0) << p(Preset1, 0);

    // First and last patch of a bank.
    QTest::newRow("first of bank") << "THREE"
                                   << "firstOfBank" << p(Preset2, 50) << p(Preset2, 0);
    QTest::newRow("first of bank outside") << "THREE"
                                           << "firstOfBank" << p(outside, 9) << p(outside, 0);
    QTest::newRow("last of 128") << "THREE"
                                 << "lastOfBank" << p(Preset1, 0) << p(Preset1, 127);
    QTest::newRow("last of 64") << "THREE"
                                << "lastOfBank" << p(Preset2, 0) << p(Preset2, 63);
    QTest::newRow("last of 32") << "THREE"
                                << "lastOfBank" << p(DrumUser, 0) << p(DrumUser, 31);
    QTest::newRow("last outside") << "THREE"
                                  << "lastOfBank" << p(outside, 0) << p(outside, 127);

    // The same program in the next bank, lowered where that bank is smaller.
    QTest::newRow("into 64 gives 63") << "THREE"
                                      << "ofNextBank" << p(Preset1, 100) << p(Preset2, 63);
    QTest::newRow("into 128 keeps 100") << "THREE"
                                        << "ofNextBank" << p(DrumUser, 100) << p(Preset1, 100);
    QTest::newRow("into 64 keeps 10") << "THREE"
                                      << "ofNextBank" << p(Preset1, 10) << p(Preset2, 10);
    QTest::newRow("back into 32 gives 31") << "THREE"
                                           << "ofPrevBank" << p(Preset1, 100) << p(DrumUser, 31);
    QTest::newRow("of next bank outside") << "THREE"
                                          << "ofNextBank" << p(outside, 5) << p(outside, 5);

    // Patch steps.
    QTest::newRow("next patch") << "THREE"
                                << "nextPatch" << p(Preset1, 5) << p(Preset1, 6);
    QTest::newRow("next patch at end of 64") << "THREE"
                                             << "nextPatch" << p(Preset2, 63) << p(DrumUser, 0);
    QTest::newRow("next patch wraps") << "THREE"
                                      << "nextPatch" << p(DrumUser, 31) << p(Preset1, 0);
    QTest::newRow("next patch past count") << "THREE"
                                           << "nextPatch" << p(Preset2, 100) << p(DrumUser, 0);
    QTest::newRow("prev patch") << "THREE"
                                << "prevPatch" << p(Preset2, 5) << p(Preset2, 4);
    QTest::newRow("prev patch to smaller bank") << "THREE"
                                                << "prevPatch" << p(Preset1, 0) << p(DrumUser, 31);
    QTest::newRow("prev patch from 0 of 64") << "THREE"
                                             << "prevPatch" << p(Preset2, 0) << p(Preset1, 127);
    QTest::newRow("next patch outside") << "THREE"
                                        << "nextPatch" << p(outside, 3) << p(Preset1, 0);
    QTest::newRow("prev patch outside") << "THREE"
                                        << "prevPatch" << p(outside, 3) << p(Preset1, 0);
    QTest::newRow("one bank next wraps") << "ONE"
                                         << "nextPatch" << p(Preset1, 127) << p(Preset1, 0);
    QTest::newRow("one bank prev wraps") << "ONE"
                                         << "prevPatch" << p(Preset1, 0) << p(Preset1, 127);
    QTest::newRow("twice from second copy") << "TWICE"
                                            << "nextPatch" << p(Preset1, 127) << p(Preset2, 0);
}

void TestBanks::navigation()
{
    QFETCH(QString, section);
    QFETCH(QString, op);
    QFETCH(uint, from);
    QFETCH(uint, expected);
    TestDevice* device = m_device.get();
    const BankSet set(device, section);
    const Patch patch(from);
    const unsigned short word = patch.bank.word();

    Patch result;
    if (op == "nextBank")
        result = Patch(set.nextBank(word), 0);
    else if (op == "prevBank")
        result = Patch(set.prevBank(word), 0);
    else if (op == "firstOfBank")
        result = set.firstPatchOfBank(word);
    else if (op == "lastOfBank")
        result = set.lastPatchOfBank(word);
    else if (op == "ofNextBank")
        result = set.patchOfNextBank(patch);
    else if (op == "ofPrevBank")
        result = set.patchOfPrevBank(patch);
    else if (op == "nextPatch")
        result = set.nextPatch(patch);
    else if (op == "prevPatch")
        result = set.prevPatch(patch);
    else
        QFAIL("unknown operation");
    QCOMPARE(result.print(Patch::ZeroBased), Patch(expected).print(Patch::ZeroBased));
}

void TestBanks::emptySet()
{
    auto device = makeDevice();
    const BankSet set(device.get(), QStringLiteral("NO_SUCH"));
    QVERIFY(!set.firstPatch().isValid());
    QVERIFY(!set.nextPatch(Patch(Preset1, 0)).isValid());
    QVERIFY(!set.prevPatch(Patch(Preset1, 0)).isValid());
    QCOMPARE(set.ridevPatchesCount(), 0);
    QCOMPARE(set.nextBank(Preset1), Preset1);
    QCOMPARE(set.bankAt(0), nullptr);
}

void TestBanks::patchNames_data()
{
    QTest::addColumn<int>("word");
    QTest::addColumn<int>("program");
    QTest::addColumn<QString>("setName");  // BankSet::patchName
    QTest::addColumn<QString>("bankName"); // DeviceBank::patchName

    QTest::newRow("named") << int(Preset1) << 0 << "Ap:ConcertGnd"
                           << "Ap:ConcertGnd";
    QTest::newRow("empty line") << int(Preset1) << 1 << ""
                                << "";
    QTest::newRow("placeholder line") << int(Preset1) << 5 << ""
                                      << "---";
    QTest::newRow("no line") << int(Preset1) << 6 << ""
                             << "---";
    QTest::newRow("last") << int(Preset1) << 127 << "Last One"
                          << "Last One";
    QTest::newRow("program 128") << int(Preset1) << 128 << ""
                                 << "";
    QTest::newRow("program 1000") << int(Preset1) << 1000 << ""
                                  << "";
    QTest::newRow("negative program") << int(Preset1) << -1 << ""
                                      << "";
    QTest::newRow("bank not in set") << int(User1) << 0 << ""
                                     << "";
}

void TestBanks::patchNames()
{
    QFETCH(int, word);
    QFETCH(int, program);
    QFETCH(QString, setName);
    QFETCH(QString, bankName);
    TestDevice* device = m_device.get();
    const BankSet set(device, QStringLiteral("THREE"));
    // Fields set directly: the packed constructor would carry a large
    // program into the bank.
    Patch patch;
    patch.bank = Bank(static_cast<unsigned short>(word));
    patch.program = program;
    QCOMPARE(set.patchName(patch), setName);
    if (DeviceBank* bank = set.find(static_cast<unsigned short>(word)))
        QCOMPARE(bank->patchName(program), bankName);
}

void TestBanks::ridevPatchesCount()
{
    auto device = makeDevice();
    QCOMPARE(BankSet(device.get(), QStringLiteral("THREE")).ridevPatchesCount(), 128 + 64 + 32);
    QCOMPARE(BankSet(device.get(), QStringLiteral("TWICE")).ridevPatchesCount(), 128 + 64 + 128);
}

void TestBanks::bankNameAndPrintPatch()
{
    auto device = makeDevice();
    device->loadBankSet(QStringLiteral("VOICES"));
    device->loadBankSet(QStringLiteral("NAMED"));
    QCOMPARE(device->bankName(Preset1), QStringLiteral("PRESET1"));
    QCOMPARE(device->bankName(0x3F32), QStringLiteral("PLG"));
    QCOMPARE(device->bankName(0x4F01), QStringLiteral("079/001"));

    QCOMPARE(device->printPatch(Patch(Preset1, 0), Patch::OneBasedGrouped),
             QStringLiteral("PRESET1:001 (A01)"));
    QCOMPARE(device->printPatch(Patch(0x3F32, 17), Patch::Grouped), QStringLiteral("PLG:B02"));
    QCOMPARE(device->printPatch(Patch(0x4F01, 127), Patch::ZeroBased), QStringLiteral("079/001:127"));
    QCOMPARE(device->printPatch(Patch(), Patch::OneBased), QString());
}

// A set held by a menu keeps working after the registry dropped its banks.
void TestBanks::setOutlivesDeletedBanks()
{
    auto device = makeDevice();
    const BankSet held(device.get(), QStringLiteral("VOICES"));
    const DeviceBank* before = held.find(Preset1);

    device->deleteBankSet(QStringLiteral("VOICES"));
    QCOMPARE(device->bankCount(), 0);
    QCOMPARE(device->getBank(Preset1), nullptr);

    // The set still reads its banks: names, counts, navigation.
    QCOMPARE(held.size(), 5);
    QCOMPARE(held.patchName(Patch(Preset1, 0)), QStringLiteral("Ap:ConcertGnd"));
    QCOMPARE(held.lastPatchOfBank(Preset2), Patch(Preset2, 63));
    QCOMPARE(held.nextPatch(Patch(DrumUser, 31)), Patch(Preset1, 0));
    QCOMPARE(held.ridevPatchesCount(), 128 + 64 + 128 + 128 + 32);

    // A fresh load makes new banks of the device.
    const BankSet fresh(device.get(), QStringLiteral("VOICES"));
    QVERIFY(fresh.find(Preset1) != before);
    QCOMPARE(device->getBank(Preset1), fresh.find(Preset1));
    QCOMPARE(device->bankName(Preset1), QStringLiteral("PRESET1"));

    // A set shares its banks with others: deleting one set's banks leaves the
    // other set readable too.
    const BankSet user(device.get(), QStringLiteral("VOICES_USER"));
    device->deleteBankSet(QStringLiteral("VOICES"));
    QCOMPARE(user.find(User1)->name(), QStringLiteral("USER1"));
}

void TestBanks::setOutlivesDevice()
{
    auto device = makeDevice();
    const BankSet held(device.get(), QStringLiteral("THREE"));
    device.reset();
    QCOMPARE(held.patchName(Patch(Preset1, 127)), QStringLiteral("Last One"));
    QCOMPARE(held.prevPatch(Patch(Preset1, 0)), Patch(DrumUser, 31));
}

void TestBanks::addAndDeleteBank()
{
    auto device = makeDevice();
    const BankSet held(device.get(), QStringLiteral("ONE"));

    // Replacing a bank under its word: the set keeps the old one.
    auto* replacement = new DeviceBank(device.get(), QStringLiteral("REPLACED"), Preset1, 16);
    device->addBank(Preset1, replacement);
    QCOMPARE(device->getBank(Preset1), replacement);
    QCOMPARE(device->bankName(Preset1), QStringLiteral("REPLACED"));
    QCOMPARE(held.find(Preset1)->name(), QStringLiteral("PRESET1"));
    QCOMPARE(held.lastPatchOfBank(Preset1), Patch(Preset1, 127));

    // Storing the very bank again keeps it.
    device->addBank(Preset1, replacement);
    QCOMPARE(device->getBank(Preset1), replacement);
    QCOMPARE(device->getBank(Preset1)->name(), QStringLiteral("REPLACED"));

    device->deleteBank(Preset1);
    QCOMPARE(device->getBank(Preset1), nullptr);
    device->deleteBank(Preset1);
    QCOMPARE(device->bankCount(), 0);
    QCOMPARE(held.find(Preset1)->count(), 128);

    // A bank that is shared already (by the set, or by the registry under
    // another word) is shared once more, never owned twice.
    device->addBank(0x0707, held.find(Preset1));
    device->addBank(0x0708, device->getBank(0x0707));
    device->deleteBank(0x0707);
    QCOMPARE(device->getBank(0x0708), held.find(Preset1));
    QCOMPARE(device->getBank(0x0708)->name(), QStringLiteral("PRESET1"));

    // Storing a null bank removes the word.
    device->addBank(0x0708, nullptr);
    QCOMPARE(device->bankCount(), 0);
}

void TestBanks::loadsFromLibraryTree()
{
    auto device = makeDevice();
    device->loadBankSet(QStringLiteral("VOICES"));
    TestDevice* dev = device.get();

    // root
    //   folder A: bank group PRESET2, type group, bank group USER1
    //   (null child)
    //   bank group of a word the registry lacks
    //   empty folder
    //   bank group PRESET2 again
    LibraryFolder root(dev, QStringLiteral("root"));
    auto* a = new LibraryFolder(dev, QStringLiteral("A"));
    a->children().append(new BankPatchGroup(dev, QStringLiteral("p2"), 0, Bank(Preset2)));
    a->children().append(new TypePatchGroup(dev, QStringLiteral("voices"), 0));
    a->children().append(new BankPatchGroup(dev, QStringLiteral("u1"), 0, Bank(User1)));
    root.children().append(a);
    root.children().append(nullptr);
    root.children().append(new BankPatchGroup(dev, QStringLiteral("new"), 0, Bank(0x0203)));
    root.children().append(new LibraryFolder(dev, QStringLiteral("empty")));
    root.children().append(new BankPatchGroup(dev, QStringLiteral("p2 again"), 0, Bank(Preset2)));

    const BankSet set(&root);
    QCOMPARE(words(set), (QList<unsigned short>{Preset2, User1, 0x0203, Preset2}));
    QCOMPARE(set.find(Preset2), device->getBank(Preset2));
    // A word the registry did not have is created under the device's text
    // for it.
    QCOMPARE(set.find(0x0203)->name(), QStringLiteral("002/003"));
    QCOMPARE(set.find(0x0203)->count(), 128);

    BankSet none(static_cast<Library*>(nullptr));
    QCOMPARE(none.size(), 0);
    // A leaf on its own is a tree too.
    none.load(a->children().at(2));
    QCOMPARE(words(none), QList<unsigned short>{User1});
}

ORVANE_TEST_GUILESS_MAIN(TestBanks)
#include "tst_banks.moc"
