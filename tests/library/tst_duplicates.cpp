// Finding identical patches and removing copies: the groups the search
// lists (bytes compared, not hashes alone), the "Remove Duplicates" dialog
// with its ticks and its question, and removal that never leaves a
// performance or master pointing at an emptied patch.
#include "Dependencies.h"
#include "DuplicatePatchesDlg.h"
#include "Duplicates.h"
#include "LibraryFixture.h"
#include "PatchDump.h"
#include "Prompts.h"
#include "Sysex.h"
#include "TestEnvironment.h"
#include "Vesk.h"
#include "VeskAll_Library.h"
#include "VeskRig.h"
#include "LibraryBanks.h"

#include <memory>

namespace {


using Row = DuplicateItem<PatchDumpItem>;

// "row:group:ticked" of each table row, slots by their row in their group.
QStringList describe(const DuplicateItems<PatchDumpItem>& items)
{
    QStringList out;
    for (const Row& row : items)
        out << QStringLiteral("%1:%2:%3").arg(row.item.row).arg(row.group).arg(row.ticked ? 1 : 0);
    return out;
}

// Two different messages under the same 32-bit hash: a voice's first
// message with four name bytes counted up until two hashes meet.
std::pair<QByteArray, QByteArray> collidingMessages(const QByteArray& base)
{
    QHash<quint32, QByteArray> seen;
    QByteArray bytes = base;
    Buffer buffer;
    for (quint32 n = 0; n < (1u << 24); ++n) {
        for (int k = 0; k < 4; ++k)
            bytes[9 + k] = char(0x20 + (n >> (6 * k)) % 64);
        buffer.setBytes(bytes);
        const quint32 hash = qHash32(buffer);
        auto it = seen.constFind(hash);
        if (it != seen.constEnd())
            return {it.value(), bytes};
        seen.insert(hash, bytes);
    }
    return {};
}

// Changes one data byte of the dump's second message.
void changeLaterMessage(PatchDump* dump)
{
    Sysex* message = dump->at(1);
    message->setDataAt(0, (message->dataAt(0) + 1) & 0x7F);
}

} // namespace

class TestDuplicates : public QObject
{
    Q_OBJECT

    std::unique_ptr<Vesk> m_device;
    std::unique_ptr<VeskVLib_Library> m_vlib;
    std::unique_ptr<VeskAll_Library> m_ridev;

    PatchGroup* voices() { return m_vlib->getTypePatchGroup(0); }
    PatchDump* slot(unsigned short bank, int program) { return m_ridev->getPatchDump(Patch(bank, program)); }
    PatchDump* copyOf(PatchGroup* group, int row)
    {
        PatchDump* dump = m_device->createPatchDump(group->patchType());
        dump->copyPatchDump(group->patchDumpAt(row), m_device.get());
        group->addPatchDump(dump);
        return dump;
    }
    DuplicateItems<PatchDumpItem> table(Library* library)
    {
        Duplicates<PatchDumpItem> found;
        library->calcDuplicates(found);
        DuplicateItems<PatchDumpItem> items;
        found.toTable(items);
        return items;
    }

private slots:
    void initTestCase()
    {
        resetVeskTest();
        m_device = std::make_unique<Vesk>();
    }
    void init()
    {
        m_vlib = std::make_unique<VeskVLib_Library>(m_device.get());
        m_ridev = std::make_unique<VeskAll_Library>(m_device.get());
    }
    void cleanup()
    {
        m_vlib.reset();
        m_ridev.reset();
    }
    void cleanupTestCase() { m_device.reset(); }

    void groupsOfIdenticalPatches();
    void equalHashesAreNoDuplicates();
    void dialogRowsAndTicks();
    void questionAndRemoval();
    void nothingFoundOrTicked();
    void usersFollowTheCopyThatStays();
};

void TestDuplicates::groupsOfIdenticalPatches()
{
    PatchGroup* group = voices();
    AppendPatch(group, QStringLiteral("One"));        // 0
    copyOf(group, 0);                                 // 1
    AppendPatch(group, QStringLiteral("Two"));        // 2
    changeLaterMessage(copyOf(group, 2));             // 3: the same first message only
    copyOf(group, 0);                                 // 4
    AppendPatch(group, QStringLiteral("Three"));      // 5
    copyOf(group, 5);                                 // 6
    group->addPatchDump(nullptr);                     // 7, 8: empty slots are alike
    group->addPatchDump(nullptr);
    AppendPatch(m_vlib->getTypePatchGroup(1), QStringLiteral("Kit"));

    QCOMPARE(describe(table(m_vlib.get())), (QStringList{"0:1:0", "1:1:1", "4:1:1", "5:2:0", "6:2:1"}));

    // Both kinds of group, across groups, in library order.
    MakePatch(slot(User2, 3), QStringLiteral("Pad"));
    MakePatch(slot(User1, 7), QStringLiteral("Pad"));
    MakePatch(slot(Perf, 0), QStringLiteral("Pad"));
    const DuplicateItems<PatchDumpItem> items = table(m_ridev.get());
    QCOMPARE(describe(items), (QStringList{"7:1:0", "3:1:1"}));
    QCOMPARE(items.first().item.group->name(), QStringLiteral("USER1"));
}

void TestDuplicates::equalHashesAreNoDuplicates()
{
    PatchGroup* group = voices();
    const QByteArray base = AppendPatch(group, QStringLiteral("Base"))->first()->bytes();
    const auto [one, two] = collidingMessages(base);
    QVERIFY2(!one.isEmpty(), "no two messages with the same hash found");
    QVERIFY(one != two);
    group->clear();
    for (const QByteArray& bytes : {one, two}) {
        // One message each: the hash of the first message and of all bytes
        // agree for both dumps.
        PatchDump* dump = m_device->createPatchDump(0);
        Sysex* message = m_device->createSysex();
        message->setBytes(bytes);
        dump->append(message);
        group->addPatchDump(dump);
    }
    AppendPatch(group, QStringLiteral("Real"));
    copyOf(group, 2);
    const PatchDumpItem a(0, group);
    const PatchDumpItem b(1, group);
    QCOMPARE(a.hash1(), b.hash1());
    QCOMPARE(a.hash2(), b.hash2());
    QVERIFY(!a.sameContent(b));

    QCOMPARE(describe(table(m_vlib.get())), (QStringList{"2:1:0", "3:1:1"}));
}

void TestDuplicates::dialogRowsAndTicks()
{
    ScriptedPrompts prompts;
    MakePatch(slot(User1, 0), QStringLiteral("Lead"), QStringLiteral("Ld:HARD"));
    MakePatch(slot(User1, 17), QStringLiteral("Lead"), QStringLiteral("Ld:HARD"));
    PatchGroup* group = voices();
    AppendPatch(group, QStringLiteral("Bell"));
    copyOf(group, 0);
    copyOf(group, 0);

    DuplicatePatchesDlg dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Remove Duplicates"));
    QCOMPARE(dialog.size(), QSize(500, 440));
    Duplicates<PatchDumpItem> found;
    m_ridev->calcDuplicates(found);
    m_vlib->calcDuplicates(found);
    QVERIFY(dialog.setData(found));
    DuplicatePatchesListView* list = dialog.listView();
    QCOMPARE(list->rows(), 5);
    QCOMPARE(list->columns(), 2);
    struct Expected
    {
        QString patch;
        QString name;
        QColor background;
        bool ticked;
    };
    const QColor white(QStringLiteral("white"));
    const QColor blue(232, 240, 249);
    const QList<Expected> expected{{"USER1 001 (A01)", "Ld:Lead", white, false},
                                   {"USER1 018 (B02)", "Ld:Lead", white, true},
                                   {"Normal Voices 1", voices()->patchDumpAt(0)->name(true), blue, false},
                                   {"Normal Voices 2", voices()->patchDumpAt(0)->name(true), blue, true},
                                   {"Normal Voices 3", voices()->patchDumpAt(0)->name(true), blue, true}};
    for (int row = 0; row < expected.size(); ++row) {
        QCOMPARE(list->itemText(row, 0), expected.at(row).patch);
        QCOMPARE(list->itemText(row, 1), expected.at(row).name);
        QCOMPARE(list->itemBkColor(row, 1), expected.at(row).background);
        QCOMPARE(list->isItemChecked(row, 0), expected.at(row).ticked);
        QCOMPARE(list->itemIconIndex(row), -1);
    }
    QCOMPARE(list->itemFlags(0, 0), 49);
    QCOMPARE(list->itemFlags(0, 1), 33);
    QCOMPARE(list->headerText(0), QStringLiteral("Patch"));
    QCOMPARE(list->headerText(1), QStringLiteral("Name"));
    QCOMPARE(list->headerWidth(0), 150);
    QCOMPARE(list->headerWidth(1), 200);

    // setItemChecked flips, whatever it is asked for.
    list->setItemChecked(1, 1, true);
    QVERIFY(!list->isItemChecked(1, 0));
    dialog.selectNone();
    for (int row = 0; row < 5; ++row)
        QVERIFY(!list->isItemChecked(row, 0));
    dialog.selectAll();
    for (int row = 0; row < 5; ++row)
        QCOMPARE(list->isItemChecked(row, 0), expected.at(row).ticked);
}

void TestDuplicates::questionAndRemoval()
{
    ScriptedPrompts prompts;
    PatchGroup* group = voices();
    AppendPatch(group, QStringLiteral("Keep"));
    copyOf(group, 0)->setComment(QStringLiteral("copy"));
    copyOf(group, 0);
    copyOf(group, 0);
    AppendPatch(group, QStringLiteral("After"));

    DuplicatePatchesDlg dialog;
    Duplicates<PatchDumpItem> found;
    m_vlib->calcDuplicates(found);
    QVERIFY(dialog.setData(found));

    // No: the dialog stays open, its ticks and the patches as they were.
    prompts.script(ScriptedPrompts::Kind::YesNo, false);
    dialog.accept();
    QCOMPARE(prompts.last(ScriptedPrompts::Kind::YesNo).text,
             QStringLiteral("Are you sure you want to delete 3 patches?"));
    QCOMPARE(prompts.last(ScriptedPrompts::Kind::YesNo).title, QString());
    QCOMPARE(dialog.result(), 0);
    QCOMPARE(group->nonEmptyPatchesCount(), 5);
    QVERIFY(dialog.listView()->isItemChecked(3, 0));

    dialog.listView()->setItemChecked(2, 0, false);
    dialog.listView()->setItemChecked(3, 0, false);
    prompts.script(ScriptedPrompts::Kind::YesNo, true);
    dialog.accept();
    QCOMPARE(prompts.last(ScriptedPrompts::Kind::YesNo).text,
             QStringLiteral("Are you sure you want to delete 1 patch?"));
    QCOMPARE(dialog.result(), 1);
    QVERIFY(group->patchDumpAt(1)->isEmpty());
    QCOMPARE(group->patchDumpAt(1)->comment(), QString());

    // The caller drops the emptied rows of a type group; the others close
    // up in their order.
    PatchDump* after = group->patchDumpAt(4);
    m_vlib->removeEmptyPatches();
    QCOMPARE(group->itemCount(), 4);
    QCOMPARE(group->patchDumpAt(3), after);
}

void TestDuplicates::nothingFoundOrTicked()
{
    ScriptedPrompts prompts;
    AppendPatch(voices(), QStringLiteral("Alone"));
    {
        DuplicatePatchesDlg dialog;
        Duplicates<PatchDumpItem> found;
        m_vlib->calcDuplicates(found);
        QVERIFY(!dialog.setData(found));
        QCOMPARE(prompts.count(ScriptedPrompts::Kind::Info), 1);
        QCOMPARE(prompts.last(ScriptedPrompts::Kind::Info).text, QStringLiteral("No duplicates found"));
        QCOMPARE(prompts.last(ScriptedPrompts::Kind::Info).title, QStringLiteral("Remove Duplicates"));
    }
    copyOf(voices(), 0);
    DuplicatePatchesDlg dialog;
    Duplicates<PatchDumpItem> found;
    m_vlib->calcDuplicates(found);
    QVERIFY(dialog.setData(found));
    dialog.selectNone();
    dialog.accept();
    QCOMPARE(dialog.result(), 1);
    QCOMPARE(prompts.count(ScriptedPrompts::Kind::YesNo), 0);
    QCOMPARE(voices()->nonEmptyPatchesCount(), 2);
}

void TestDuplicates::usersFollowTheCopyThatStays()
{
    ScriptedPrompts prompts;
    // A voice and its copy; a performance plays the copy. A second voice
    // whose two copies are both ticked, each played by a performance. A
    // performance copied, the copy called up by a master.
    MakePatch(slot(User1, 0), QStringLiteral("Piano"));
    MakePatch(slot(User1, 5), QStringLiteral("Piano"));
    MakePatch(slot(User1, 10), QStringLiteral("Bass"));
    MakePatch(slot(User2, 10), QStringLiteral("Bass"));
    MakePatch(slot(Perf, 0), QStringLiteral("Split"));
    SetParts(slot(Perf, 0), {Patch(User1, 5), Patch(User2, 10)});
    MakePatch(slot(Perf, 1), QStringLiteral("Layer"));
    SetParts(slot(Perf, 1), {Patch(User1, 10), Patch(User1, 0)});
    MakePatch(slot(Perf, 2), QStringLiteral("Copy"));
    MakePatch(slot(Perf, 3), QStringLiteral("Copy"));
    MakePatch(slot(Master, 0), QStringLiteral("Show"));
    SetMasterCall(slot(Master, 0), Patch(Perf, 3));

    Dependencies dependencies;
    dependencies.calculate(m_ridev.get());
    DuplicatePatchesDlg dialog;
    Duplicates<PatchDumpItem> found;
    m_ridev->calcDuplicates(found);
    QVERIFY(dialog.setData(found));
    dialog.setDependencies(&dependencies, m_ridev.get());
    DuplicatePatchesListView* list = dialog.listView();
    QCOMPARE(list->itemText(2, 0), QStringLiteral("USER1 011 (A11)"));
    list->setItemChecked(2, 0, true); // every copy of "Bass" ticked
    prompts.script(ScriptedPrompts::Kind::YesNo, true);
    dialog.accept();

    // "Bass" at USER1 11 stays: its users play it, the users of its copy
    // too, and the user hears why.
    QCOMPARE(prompts.last(ScriptedPrompts::Kind::YesNo).text,
             QStringLiteral("Are you sure you want to delete 3 patches?"));
    QVERIFY(slot(User1, 5)->isEmpty());
    QVERIFY(slot(User2, 10)->isEmpty());
    QVERIFY(slot(Perf, 3)->isEmpty());
    QVERIFY(!slot(User1, 10)->isEmpty());
    QCOMPARE(PartOf(slot(Perf, 0), 0).toUInt(), Patch(User1, 0).toUInt());
    QCOMPARE(PartOf(slot(Perf, 0), 1).toUInt(), Patch(User1, 10).toUInt());
    QCOMPARE(PartOf(slot(Perf, 1), 0).toUInt(), Patch(User1, 10).toUInt());
    QCOMPARE(MasterCall(slot(Master, 0)).toUInt(), Patch(Perf, 2).toUInt());
    QCOMPARE(prompts.last(ScriptedPrompts::Kind::Info).text,
             QStringLiteral("1 patch kept: other patches use it, and every copy of it was chosen for removal."));

    // Nothing uses an emptied slot now.
    dependencies.calculate(m_ridev.get());
    for (const Patch& gone : {Patch(User1, 5), Patch(User2, 10), Patch(Perf, 3)})
        QVERIFY(!dependencies.getParents(gone));
}

ORVANE_TEST_MAIN(TestDuplicates)
#include "tst_duplicates.moc"
