#include "DeviceBank.h"
#include "Library.h"
#include "LibraryView.h"
#include "TestEnvironment.h"
#include "TestSysex.h"

#include <memory>

namespace {

const char* const Fixture = R"(
[VOICES]
Ridev=3
0=63,00,Lib ES PRE1
1=63,08,USER1
2=63,40,DR:USR

[DR:USR]
Ridev=32
)";

constexpr unsigned short Pre1 = 0x3F00;
constexpr unsigned short LibraryUser1 = 0x3F08;

// The test instrument, with a patch type per bank: 1 for the drum bank, 0
// for the others.
class LibraryDevice : public TestDevice
{
public:
    LibraryDevice() : TestDevice(QStringLiteral("Lib ES")) { ini()->loadText(QString::fromUtf8(Fixture)); }
    int bankType(unsigned short bank) override { return bank == 0x3F28 ? 1 : 0; }
};

// A dump holding a voice named name, or an empty one.
PatchDump* voice(MidiDevice* device, const QString& name = QString())
{
    auto* dump = new TestPatchDump(device, TestPatchDump::Voice);
    if (!name.isEmpty()) {
        dump->init();
        dump->setName(name);
    }
    return dump;
}

BankPatchGroup* bankGroup(MidiDevice* device, unsigned short word, const QStringList& names)
{
    auto* group = new BankPatchGroup(device, Bank(word).toString(), 0, Bank(word));
    for (const QString& name : names)
        group->addPatchDump(voice(device, name));
    return group;
}

QStringList names(const PatchGroup* group)
{
    QStringList list;
    for (PatchDump* dump : group->dumps())
        list.append(dump->name(false));
    return list;
}

} // namespace

class TestLibrary : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LibraryDevice> m_device;

private slots:
    void initTestCase() { m_device = std::make_unique<LibraryDevice>(); }
    void cleanupTestCase() { m_device.reset(); }
    void typeCodes();
    void lookupsAreDepthFirst();
    void counts();
    void clearAndRemoveEmpty();
    void addPatchDump();
    void addBankSet();
    void reorganize_data();
    void reorganize();
    void setPatchDump();
    void viewIsItsMdiViewBase();
};

void TestLibrary::typeCodes()
{
    MidiDevice* dev = m_device.get();
    LibraryFolder empty(dev, QStringLiteral("empty"));
    QCOMPARE(empty.type(), 0);
    QCOMPARE(empty.itemCount(), 0);
    QCOMPARE(empty.ridevPatchesCount(), 0);
    QCOMPARE(empty.nonEmptyPatchesCount(), 0);

    // Only the first child decides.
    LibraryFolder types(dev, QStringLiteral("types"));
    types.children().append(new TypePatchGroup(dev, QStringLiteral("t"), 0));
    types.children().append(new BankPatchGroup(dev, QStringLiteral("b"), 0, Bank(Pre1)));
    QCOMPARE(types.type(), 1);

    LibraryFolder banks(dev, QStringLiteral("banks"));
    banks.children().append(new BankPatchGroup(dev, QStringLiteral("b"), 0, Bank(Pre1)));
    banks.children().append(new TypePatchGroup(dev, QStringLiteral("t"), 0));
    QCOMPARE(banks.type(), 2);

    // A folder of folders is plain, whatever they hold.
    LibraryFolder root(dev, QStringLiteral("root"));
    auto* inner = new LibraryFolder(dev, QStringLiteral("inner"));
    inner->children().append(new BankPatchGroup(dev, QStringLiteral("b"), 0, Bank(Pre1)));
    root.children().append(inner);
    QCOMPARE(inner->type(), 2);
    QCOMPARE(root.type(), 0);

    QCOMPARE(BankPatchGroup(dev, QString(), 0, Bank(Pre1)).type(), 3);
    QCOMPARE(TypePatchGroup(dev, QString(), 0).type(), 4);
}

void TestLibrary::lookupsAreDepthFirst()
{
    MidiDevice* dev = m_device.get();
    // root
    //   A: PRE1 (2 rows: a0 a1), types "Voices" of type 0
    //   (null)
    //   B: PRE1 (4 rows: b0 b1 <empty> b3), USER1 (1 row: u0), "Voices" of type 1
    LibraryFolder root(dev, QStringLiteral("root"));
    auto* a = new LibraryFolder(dev, QStringLiteral("A"));
    a->children().append(bankGroup(dev, Pre1, {"a0", "a1"}));
    a->children().append(new TypePatchGroup(dev, QStringLiteral("Voices"), 0));
    auto* b = new LibraryFolder(dev, QStringLiteral("B"));
    BankPatchGroup* laterPre1 = bankGroup(dev, Pre1, {"b0", "b1", "", "b3"});
    b->children().append(laterPre1);
    b->children().append(bankGroup(dev, LibraryUser1, {"u0"}));
    b->children().append(new TypePatchGroup(dev, QStringLiteral("Voices"), 1));
    root.children().append(a);
    root.children().append(nullptr);
    root.children().append(b);

    auto nameAt = [&root](unsigned short word, int program) {
        PatchDump* dump = root.getPatchDump(Patch(word, program));
        return dump ? dump->name(false) : QStringLiteral("<null>");
    };
    QCOMPARE(nameAt(Pre1, 0), QStringLiteral("a0"));
    QCOMPARE(nameAt(Pre1, 1), QStringLiteral("a1"));
    // Beyond the first group's rows the search goes on to the next group of
    // that bank; an empty slot is a dump all the same.
    QCOMPARE(nameAt(Pre1, 2), QStringLiteral("(empty)"));
    QCOMPARE(nameAt(Pre1, 3), QStringLiteral("b3"));
    QCOMPARE(nameAt(Pre1, 4), QStringLiteral("<null>"));
    QCOMPARE(nameAt(LibraryUser1, 0), QStringLiteral("u0"));
    QCOMPARE(nameAt(0x0102, 0), QStringLiteral("<null>"));
    QCOMPARE(root.getPatchDump(Patch()), nullptr);
    // A group is a tree of its own.
    QCOMPARE(Library::getPatchDump(laterPre1, Patch(Pre1, 0))->name(false), QStringLiteral("b0"));
    QCOMPARE(Library::getPatchDump(nullptr, Patch(Pre1, 0)), nullptr);

    QCOMPARE(root.getBankPatchGroup(Pre1), a->children().at(0));
    QCOMPARE(root.getBankPatchGroup(LibraryUser1), b->children().at(1));
    QCOMPARE(root.getBankPatchGroup(0x0102), nullptr);
    QCOMPARE(root.getTypePatchGroup(0), a->children().at(1));
    QCOMPARE(root.getTypePatchGroup(1), b->children().at(2));
    QCOMPARE(root.getTypePatchGroup(2), nullptr);
    QCOMPARE(root.getLibrary(QStringLiteral("Voices")), a->children().at(1));
    QCOMPARE(root.getLibrary(QStringLiteral("root")), &root);
    QCOMPARE(root.getLibrary(QStringLiteral("none")), nullptr);
}

void TestLibrary::counts()
{
    MidiDevice* dev = m_device.get();
    LibraryFolder root(dev, QStringLiteral("root"));
    auto* bank = bankGroup(dev, Pre1, {"x", "", "y", ""});
    auto* types = new TypePatchGroup(dev, QStringLiteral("t"), 0);
    types->addPatchDump(voice(dev, QStringLiteral("z")));
    types->addPatchDump(voice(dev));
    auto* folder = new LibraryFolder(dev, QStringLiteral("f"));
    folder->children().append(bank);
    folder->children().append(types);
    root.children().append(folder);

    QCOMPARE(bank->itemCount(), 4);
    QCOMPARE(bank->ridevPatchesCount(), 4);
    QCOMPARE(bank->nonEmptyPatchesCount(), 2);
    // A type group counts its empty dumps as patches.
    QCOMPARE(types->nonEmptyPatchesCount(), 2);
    QCOMPARE(folder->itemCount(), 2);
    QCOMPARE(root.itemCount(), 1);
    QCOMPARE(root.ridevPatchesCount(), 6);
    QCOMPARE(root.nonEmptyPatchesCount(), 4);
}

void TestLibrary::clearAndRemoveEmpty()
{
    MidiDevice* dev = m_device.get();
    LibraryFolder root(dev, QStringLiteral("root"));
    auto* bank = bankGroup(dev, Pre1, {"x", "", "y"});
    auto* types = new TypePatchGroup(dev, QStringLiteral("t"), 0);
    for (const QString& name : QStringList{"", "a", "", "", "b", "c", ""})
        types->addPatchDump(voice(dev, name));
    root.children().append(bank);
    root.children().append(types);

    // Bank slots stay; empty dumps leave the type group, the others keep
    // their order.
    root.removeEmptyPatches();
    QCOMPARE(names(bank), (QStringList{"x", "(empty)", "y"}));
    QCOMPARE(names(types), (QStringList{"a", "b", "c"}));

    PatchDump* slot = bank->patchDumpAt(0);
    root.clear();
    QCOMPARE(bank->itemCount(), 3);
    QCOMPARE(bank->patchDumpAt(0), slot);
    QCOMPARE(bank->nonEmptyPatchesCount(), 0);
    QCOMPARE(types->itemCount(), 0);
    QCOMPARE(root.ridevPatchesCount(), 3);
}

void TestLibrary::addPatchDump()
{
    MidiDevice* dev = m_device.get();
    TypePatchGroup group(dev, QStringLiteral("t"), 0);
    QVERIFY(group.addPatchDump(voice(dev, QStringLiteral("b"))));
    QVERIFY(group.addPatchDump(voice(dev, QStringLiteral("a")), 0));
    QVERIFY(group.addPatchDump(voice(dev, QStringLiteral("c")), 2));
    QVERIFY(group.addPatchDump(voice(dev, QStringLiteral("end")), 99));
    // A null dump becomes the device's new dump of the group's type.
    QVERIFY(group.addPatchDump(nullptr, 1));
    QCOMPARE(names(&group), (QStringList{"a", "(empty)", "b", "c", "end"}));
    QCOMPARE(group.patchDumpAt(1)->type(), 0);
    QCOMPARE(group.patchDumpAt(-1), nullptr);
    QCOMPARE(group.patchDumpAt(5), nullptr);

    // A group without a device cannot make one.
    TypePatchGroup orphan(nullptr, QStringLiteral("o"), 0);
    QVERIFY(!orphan.addPatchDump(nullptr));
    QCOMPARE(orphan.itemCount(), 0);
}

void TestLibrary::addBankSet()
{
    MidiDevice* dev = m_device.get();
    LibraryFolder folder(dev, QStringLiteral("Ridev"));
    folder.addBankSet(QStringLiteral("NO_SUCH"));
    QCOMPARE(folder.itemCount(), 0);

    folder.addBankSet(QStringLiteral("VOICES"));
    QCOMPARE(folder.itemCount(), 3);
    QCOMPARE(folder.type(), 2);
    const QList<QString> expectedNames{"PRE1", "USER1", "DR:USR"};
    const QList<int> expectedRows{128, 128, 32};
    const QList<int> expectedTypes{0, 0, 1};
    for (int i = 0; i < 3; ++i) {
        auto* group = static_cast<BankPatchGroup*>(folder.children().at(i));
        QCOMPARE(group->type(), 3);
        QCOMPARE(group->name(), expectedNames.at(i));
        QCOMPARE(group->itemCount(), expectedRows.at(i));
        QCOMPARE(group->patchType(), expectedTypes.at(i));
        QCOMPARE(group->patchDumpAt(0)->type(), expectedTypes.at(i));
        QCOMPARE(group->nonEmptyPatchesCount(), 0);
    }
    QCOMPARE(static_cast<BankPatchGroup*>(folder.children().at(2))->bank().word(), 0x3F28);
    QCOMPARE(folder.getPatchDump(Patch(0x3F28, 31)),
             static_cast<PatchGroup*>(folder.children().at(2))->patchDumpAt(31));
    QCOMPARE(folder.getPatchDump(Patch(0x3F28, 32)), nullptr);

    // The folder's bank groups give back the same set.
    const BankSet set(&folder);
    QCOMPARE(set.size(), 3);
    QCOMPARE(set.find(LibraryUser1), dev->getBank(LibraryUser1));
}

void TestLibrary::reorganize_data()
{
    QTest::addColumn<ints>("rows");
    QTest::addColumn<int>("target");
    QTest::addColumn<QStringList>("order");
    QTest::addColumn<int>("newTarget");
    QTest::addColumn<ints>("moveMap");
    QTest::addColumn<bool>("moved");

    QTest::newRow("two rows to the top")
        << ints{5, 2} << 0 << QStringList{"d5", "d2", "d0", "d1", "d3", "d4"} << 0 << ints{2, 3, 1, 4, 5, 0}
        << true;
    QTest::newRow("down past others")
        << ints{1} << 4 << QStringList{"d0", "d2", "d3", "d1", "d4", "d5"} << 3 << ints{0, 3, 1, 2, 4, 5} << true;
    QTest::newRow("to the end")
        << ints{0} << 6 << QStringList{"d1", "d2", "d3", "d4", "d5", "d0"} << 5 << ints{5, 0, 1, 2, 3, 4} << true;
    QTest::newRow("onto its own place")
        << ints{3} << 3 << QStringList{"d0", "d1", "d2", "d3", "d4", "d5"} << 3 << ints{0, 1, 2, 3, 4, 5}
        << false;
    QTest::newRow("rows outside and repeated are left out")
        << ints{9, 4, -1, 4} << 0 << QStringList{"d4", "d0", "d1", "d2", "d3", "d5"} << 0
        << ints{1, 2, 3, 4, 0, 5} << true;
}

void TestLibrary::reorganize()
{
    QFETCH(ints, rows);
    QFETCH(int, target);
    QFETCH(QStringList, order);
    QFETCH(int, newTarget);
    QFETCH(ints, moveMap);
    QFETCH(bool, moved);
    MidiDevice* dev = m_device.get();
    const QStringList six{"d0", "d1", "d2", "d3", "d4", "d5"};

    // A bank group keeps the map from old to new rows.
    std::unique_ptr<BankPatchGroup> bank(bankGroup(dev, Pre1, six));
    QVERIFY(bank->trackMoves());
    int bankTarget = target;
    QCOMPARE(bank->reorganize(bankTarget, rows), moved);
    QCOMPARE(names(bank.get()), order);
    QCOMPARE(bankTarget, newTarget);
    QCOMPARE(bank->moveMap(), moveMap);
    QCOMPARE(bank->previousOrder().size(), 6);

    // A type group moves the same way, keeps no map and always answers true.
    TypePatchGroup types(dev, QStringLiteral("t"), 0);
    for (const QString& name : six)
        types.addPatchDump(voice(dev, name));
    QVERIFY(!types.trackMoves());
    int typeTarget = target;
    QVERIFY(types.reorganize(typeTarget, rows));
    QCOMPARE(names(&types), order);
    QCOMPARE(typeTarget, newTarget);
    QVERIFY(types.moveMap().isEmpty() && types.previousOrder().isEmpty());

    // An empty bank group has nothing to move.
    BankPatchGroup empty(dev, QStringLiteral("e"), 0, Bank(LibraryUser1));
    int emptyTarget = 0;
    ints none{0};
    QVERIFY(!empty.reorganize(emptyTarget, none));
}

void TestLibrary::setPatchDump()
{
    MidiDevice* dev = m_device.get();
    std::unique_ptr<BankPatchGroup> bank(bankGroup(dev, Pre1, {"a", "b"}));
    PatchDump* slot = bank->patchDumpAt(1);
    PatchDump* received = voice(dev, QStringLiteral("new"));
    received->setComment(QStringLiteral("note"));
    // The row keeps its object and takes the new content.
    QVERIFY(bank->setPatchDump(1, received));
    QCOMPARE(bank->patchDumpAt(1), slot);
    QCOMPARE(names(bank.get()), (QStringList{"a", "new"}));
    QCOMPARE(slot->comment(), QStringLiteral("note"));
    // Outside the rows the dump is dropped (the sanitizers see it freed).
    QVERIFY(!bank->setPatchDump(2, voice(dev, QStringLiteral("x"))));
    QVERIFY(!bank->setPatchDump(0, nullptr));
    QCOMPARE(bank->itemCount(), 2);
}

void TestLibrary::viewIsItsMdiViewBase()
{
    LibraryView view;
    MdiView* base = &view;
    QCOMPARE(static_cast<void*>(base), static_cast<void*>(&view));
}

ORVANE_TEST_MAIN(TestLibrary)
#include "tst_library.moc"
