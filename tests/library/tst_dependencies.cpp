// Which patches of a Ridev Library use which, on the instrument's own dumps:
// the maps, the walks (cycles included), the tips and colours of the patch
// list, and references following the patches they name when rows move.
#include "Dependencies.h"
#include "DependencyOptions.h"
#include "TestEnvironment.h"
#include "Vesk.h"
#include "VeskAll_Library.h"
#include "VeskDump.h"
#include "VeskRig.h"
#include "LibraryBanks.h"

#include <memory>

namespace {


Patch referenceAt(const Sysex* message, int pos)
{
    return Patch(message->dataAt(pos), message->dataAt(pos + 1), message->dataAt(pos + 2));
}

QList<uint> packed(const PatchList* list)
{
    return list ? QList<uint>(list->cbegin(), list->cend()) : QList<uint>();
}

QList<uint> packed(std::initializer_list<Patch> patches)
{
    QList<uint> list;
    for (const Patch& p : patches)
        list.append(p.toUInt());
    return list;
}

} // namespace

class TestDependencies : public QObject
{
    Q_OBJECT

    std::unique_ptr<Vesk> m_device;
    std::unique_ptr<VeskAll_Library> m_library;
    Dependencies m_deps;

    PatchDump* slot(unsigned short bank, int program) { return m_library->getPatchDump(Patch(bank, program)); }

    void voice(unsigned short bank, int program, const QString& name)
    {
        PatchDump* dump = slot(bank, program);
        dump->init();
        dump->setName(name);
    }
    // A performance whose parts name these patches; part n is switched on
    // unless on[n] is false.
    void performance(int program, const QString& name, const QList<Patch>& parts, const QList<bool>& on = {})
    {
        PatchDump* dump = slot(Perf, program);
        dump->init();
        dump->setName(name);
        for (int n = 0; n < parts.size(); ++n) {
            Sysex* part = dump->getSysex(0x310000 + unsigned(n) * 0x100);
            part->setDataAt(0, parts.at(n).bank.msb);
            part->setDataAt(1, parts.at(n).bank.lsb);
            part->setDataAt(2, parts.at(n).program);
            part->setDataAt(31, on.value(n, true) ? 1 : 0);
        }
    }
    void master(int program, const QString& name, const Patch& calls)
    {
        PatchDump* dump = slot(Master, program);
        dump->init();
        dump->setName(name);
        dump->first()->setDataAt(14, calls.bank.msb);
        dump->first()->setDataAt(15, calls.bank.lsb);
        dump->first()->setDataAt(16, calls.program);
    }
    Patch masterCalls(int program) { return referenceAt(slot(Master, program)->first(), 14); }
    Patch partOf(int program, int part) { return referenceAt(slot(Perf, program)->getSysex(0x310000 + part * 0x100), 0); }
    QList<uint> allChildren(const Patch& p)
    {
        PatchList out;
        m_deps.getAllChildren(p, &out);
        return packed(&out);
    }

private slots:
    void initTestCase()
    {
        resetVeskTest();
        m_device = std::make_unique<Vesk>();
    }
    void init() { m_library = std::make_unique<VeskAll_Library>(m_device.get()); }
    void cleanup()
    {
        m_deps.calculate(nullptr);
        m_library.reset();
    }
    void cleanupTestCase() { m_device.reset(); }

    void usersAndUsed();
    void walksEndOnCycles();
    void tipsAndColours();
    void movedRowsArePointedAt();
    void movedMastersArePointedAtOnce();
    void exchangedRowsArePointedAt();
};

void TestDependencies::usersAndUsed()
{
    voice(User1, 5, QStringLiteral("Piano"));
    QVERIFY((m_deps.calculate(m_library.get()), m_deps.isEmpty()));

    // Parts 1 and 3 use the same user voice; part 2 is switched off, part 4
    // plays a preset voice.
    performance(0, QStringLiteral("Split"), {Patch(User1, 5), Patch(User2, 1), Patch(User1, 5), Patch(0x3F00, 0)},
                {true, false, true, true});
    performance(7, QStringLiteral("Layer"), {Patch(User1, 5), Patch(User2, 3)});
    performance(2, QStringLiteral("Duo"), {Patch(User1, 5)});
    master(0, QStringLiteral("Show"), Patch(Perf, 7));
    m_deps.calculate(m_library.get());
    QVERIFY(!m_deps.isEmpty());
    QCOMPARE(packed(m_deps.getChildren(Patch(Perf, 0))), packed({Patch(User1, 5)}));
    // Parents in bank and program order.
    QCOMPARE(packed(m_deps.getParents(Patch(User1, 5))), packed({Patch(Perf, 0), Patch(Perf, 2), Patch(Perf, 7)}));
    QCOMPARE(m_deps.getParents(Patch(User2, 1)), nullptr);
    QCOMPARE(m_deps.getChildren(Patch(User1, 5)), nullptr);
    // Every level: the performance, then its voices.
    QCOMPARE(allChildren(Patch(Master, 0)), packed({Patch(Perf, 7), Patch(User1, 5), Patch(User2, 3)}));
    PatchList users;
    m_deps.getAllParents(Patch(User2, 3), &users);
    QCOMPARE(packed(&users), packed({Patch(Perf, 7), Patch(Master, 0)}));
}

void TestDependencies::walksEndOnCycles()
{
    // A master calling itself, and two calling each other.
    master(3, QStringLiteral("Self"), Patch(Master, 3));
    master(10, QStringLiteral("Ping"), Patch(Master, 11));
    master(11, QStringLiteral("Pong"), Patch(Master, 10));
    m_deps.calculate(m_library.get());
    QCOMPARE(allChildren(Patch(Master, 3)), packed({Patch(Master, 3)}));
    QCOMPARE(allChildren(Patch(Master, 10)), packed({Patch(Master, 11), Patch(Master, 10)}));
    PatchList users;
    m_deps.getAllParents(Patch(Master, 11), &users);
    QCOMPARE(packed(&users), packed({Patch(Master, 10), Patch(Master, 11)}));
    QVERIFY(m_deps.tipText(Patch(Master, 3), m_library.get()).contains(QStringLiteral("Used by:")));
}

void TestDependencies::tipsAndColours()
{
    voice(User1, 0, QStringLiteral("Piano"));
    performance(1, QStringLiteral("Split"), {Patch(User1, 0)});
    master(2, QStringLiteral("Show"), Patch(Perf, 1));
    m_deps.calculate(m_library.get());
    const QString piano = slot(User1, 0)->name(true);
    const QString split = slot(Perf, 1)->name(true);
    QCOMPARE(m_deps.tipText(Patch(Perf, 1), m_library.get()),
             QStringLiteral("Uses:\n  USER1:001 (A01) %1\nUsed by:\n  MASTER:003 (A03) Show").arg(piano));
    QCOMPARE(m_deps.tipText(Patch(User1, 0), m_library.get()),
             QStringLiteral("Used by:\n  PERF:002 (A02) %1\n  MASTER:003 (A03) Show").arg(split));
    QCOMPARE(m_deps.tipText(Patch(User1, 1), m_library.get()), QStringLiteral("No dependencies"));

    const DependencyOptions options;
    auto colour = [&](const Patch& p) {
        return options.color(m_deps.getParents(p) != nullptr, m_deps.getChildren(p) != nullptr);
    };
    QCOMPARE(colour(Patch(User1, 0)), QColor(255, 0, 0));   // used by others
    QCOMPARE(colour(Patch(Master, 2)), QColor(0, 0, 255));  // uses others
    QCOMPARE(colour(Patch(Perf, 1)), QColor(255, 0, 255));  // both
    QCOMPARE(colour(Patch(User1, 1)), QColor(Qt::black));
}

void TestDependencies::movedRowsArePointedAt()
{
    // Row 5 of USER1 goes to row 9: rows 6 to 9 move up a row.
    for (int row = 0; row < 12; ++row)
        voice(User1, row, QStringLiteral("V%1").arg(row));
    performance(0, QStringLiteral("A"), {Patch(User1, 5), Patch(User1, 9), Patch(User1, 2), Patch(User2, 5)});
    master(0, QStringLiteral("M"), Patch(User1, 7));
    m_deps.calculate(m_library.get());

    BankPatchGroup* group = m_library->getBankPatchGroup(User1);
    int target = 10;
    ints rows{5};
    QVERIFY(group->reorganize(target, rows));
    m_deps.updateParents(group, m_library.get());
    // Each reference names the row where its voice went.
    QCOMPARE(partOf(0, 0), Patch(User1, 9));
    QCOMPARE(partOf(0, 1), Patch(User1, 8));
    QCOMPARE(partOf(0, 2), Patch(User1, 2));
    QCOMPARE(partOf(0, 3), Patch(User2, 5));
    QCOMPARE(masterCalls(0), Patch(User1, 6));
    QCOMPARE(slot(User1, 9)->name(false), QStringLiteral("V5"));
}

void TestDependencies::movedMastersArePointedAtOnce()
{
    // The masters' own bank is moved: 1 and 2 change places. Master 0 calls
    // 1, master 1 calls 2 (and goes to row 2 itself), master 5 calls 5.
    master(0, QStringLiteral("M0"), Patch(Master, 1));
    master(1, QStringLiteral("M1"), Patch(Master, 2));
    master(2, QStringLiteral("M2"), Patch(User1, 0));
    master(5, QStringLiteral("M5"), Patch(Master, 5));
    m_deps.calculate(m_library.get());

    BankPatchGroup* group = m_library->getBankPatchGroup(Master);
    int target = 1;
    ints rows{2};
    QVERIFY(group->reorganize(target, rows));
    QCOMPARE(group->moveMap().mid(0, 3), (ints{0, 2, 1}));
    m_deps.updateParents(group, m_library.get());
    QCOMPARE(slot(Master, 2)->name(false), QStringLiteral("M1"));
    QCOMPARE(masterCalls(0), Patch(Master, 2)); // M1, now at row 2
    QCOMPARE(masterCalls(2), Patch(Master, 1)); // M1 calls M2, now at row 1
    QCOMPARE(masterCalls(1), Patch(User1, 0));
    QCOMPARE(masterCalls(5), Patch(Master, 5));
}

void TestDependencies::exchangedRowsArePointedAt()
{
    voice(User1, 2, QStringLiteral("One"));
    voice(User2, 7, QStringLiteral("Two"));
    performance(0, QStringLiteral("A"), {Patch(User1, 2), Patch(User2, 7), Patch(User2, 2)});
    master(0, QStringLiteral("M"), Patch(User2, 7));
    m_deps.calculate(m_library.get());

    // The two dumps change places, as a swap between the banks leaves them.
    BankPatchGroup* one = m_library->getBankPatchGroup(User1);
    BankPatchGroup* two = m_library->getBankPatchGroup(User2);
    one->patchDumpAt(2)->QList<Sysex*>::swap(*two->patchDumpAt(7));
    ints rows1{2};
    ints rows2{7};
    m_deps.updateParents(one, &rows1, two, &rows2, m_library.get());
    QCOMPARE(partOf(0, 0), Patch(User2, 7));
    QCOMPARE(partOf(0, 1), Patch(User1, 2));
    QCOMPARE(partOf(0, 2), Patch(User2, 2));
    QCOMPARE(masterCalls(0), Patch(User1, 2));
}

ORVANE_TEST_MAIN(TestDependencies)
#include "tst_dependencies.moc"
