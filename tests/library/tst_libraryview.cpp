// The library view over the instrument's documents: its folder tree and
// patch list together, the selection reported to the main window, patches
// selected from outside, the patches the selection uses, and duplicate
// removal over a library read from its file.
#include "BanksTreeCtrl.h"
#include "DependencyOptions.h"
#include "DuplicatePatchesDlg.h"
#include "EventMessage.h"
#include "LibraryFixture.h"
#include "LibraryView.h"
#include "PatchDump.h"
#include "Prompts.h"
#include "TestEnvironment.h"
#include "Vesk.h"
#include "VeskAll_Library.h"
#include "VeskRig.h"
#include "VoicesListView.h"
#include "LibraryBanks.h"

#include <QSignalSpy>

#include <memory>

namespace {


// The messages a window was posted, as (id, first value); the second
// values in sources.
class PostedMessages : public QObject
{
public:
    explicit PostedMessages(QObject* window) { window->installEventFilter(this); }
    QList<QPair<int, int>> messages;
    QList<int> sources;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == EventMessage::Type()) {
            const auto* message = static_cast<EventMessage*>(event);
            messages.append({message->id(), message->data().toInt()});
            sources.append(message->source().toInt());
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

QStringList itemNames(QTreeWidgetItem* item, int depth = 0)
{
    QStringList out{QString(depth * 2, QLatin1Char(' ')) + item->text(0) + (item->isExpanded() ? "" : " (closed)")};
    for (int i = 0; i < item->childCount(); ++i)
        out << itemNames(item->child(i), depth + 1);
    return out;
}

} // namespace

class TestLibraryView : public QObject
{
    Q_OBJECT

    std::unique_ptr<Vesk> m_device;
    std::unique_ptr<VeskAll_Library> m_ridev;
    std::unique_ptr<VeskVLib_Library> m_vlib;
    DependencyOptions m_options;

    PatchDump* slot(unsigned short bank, int program) { return m_ridev->getPatchDump(Patch(bank, program)); }

private slots:
    void initTestCase()
    {
        resetVeskTest();
        m_device = std::make_unique<Vesk>();
    }
    void init()
    {
        m_ridev = std::make_unique<VeskAll_Library>(m_device.get());
        m_vlib = std::make_unique<VeskVLib_Library>(m_device.get());
    }
    void cleanup()
    {
        m_ridev.reset();
        m_vlib.reset();
    }
    void cleanupTestCase() { m_device.reset(); }

    void newViewShowsTheRoot();
    void treeWalks();
    void folderAndSelection();
    void selectPatchFromOutside();
    void updateViewAndCaret();
    void childPatchesOfTheSelection();
    void removeDuplicatesInALibraryFile();
};

void TestLibraryView::newViewShowsTheRoot()
{
    LibraryView view(m_ridev.get(), &m_options);
    QCOMPARE(view.pos(), QPoint(200, 200));
    QCOMPARE(view.size(), QSize(600, 360));
    QCOMPARE(view.accessibleName(), QStringLiteral("Library View"));
    QCOMPARE(view.library(), m_ridev.get());
    QCOMPARE(view.banksTree()->maximumWidth(), 176);
    QCOMPARE(view.banksTree()->library(), m_ridev.get());
    QCOMPARE(view.selectedLibrary(), m_ridev.get());
    QCOMPARE(view.banksTree()->selectedNode(), m_ridev.get());
    QCOMPARE(itemNames(view.banksTree()->root()),
             (QStringList{"Ridev Library", "  Voices", "    USER1", "    USER2", "    DR:USR", "    P1-USER",
                          "    P2-USER", "    P3-USER", "  Performances", "    PERF", "  Masters", "    MASTER"}));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QCOMPARE(view.banksTree()->width(), 176);
    QCOMPARE(view.voicesList()->geometry().left(), 176 + 2);
    QCOMPARE(view.voicesList()->rows(), 3);
}

void TestLibraryView::treeWalks()
{
    // A root without children: one item, selected and expanded.
    LibraryFolder alone(m_device.get(), QStringLiteral("Alone"));
    BanksTreeCtrl single;
    single.setLibrary(&alone);
    QCOMPARE(single.topLevelItemCount(), 1);
    QCOMPARE(single.selectedNode(), &alone);
    QVERIFY(single.root()->isExpanded());

    // Names twice: the first, depth-first, each node before its children.
    LibraryFolder root(m_device.get(), QStringLiteral("Root"));
    auto* a = new LibraryFolder(m_device.get(), QStringLiteral("A"));
    auto* b = new LibraryFolder(m_device.get(), QStringLiteral("B"));
    auto* x1 = new TypePatchGroup(m_device.get(), QStringLiteral("X"), 0);
    auto* x2 = new TypePatchGroup(m_device.get(), QStringLiteral("X"), 0);
    auto* y = new TypePatchGroup(m_device.get(), QStringLiteral("Y"), 0);
    a->children() << x1;
    b->children() << y << x2;
    root.children() << a << b;
    BanksTreeCtrl tree;
    tree.setLibrary(&root);
    QSignalSpy changed(&tree, &QTreeWidget::itemSelectionChanged);
    QVERIFY(root.selectToTree(x2, &tree));
    QCOMPARE(tree.selectedNode(), x1);
    QCOMPARE(changed.count(), 1);
    QVERIFY(root.selectToTree(y, &tree));
    QCOMPARE(tree.selectedNode(), y);
    TypePatchGroup nowhere(m_device.get(), QStringLiteral("Z"), 0);
    QVERIFY(!root.selectToTree(&nowhere, &tree));
    QCOMPARE(tree.selectedNode(), y);
    QCOMPARE(changed.count(), 2);

    // Moving up and down as the list and the "Up Folder" command do.
    QVERIFY(tree.canGoUp());
    QVERIFY(tree.navigateUp());
    QCOMPARE(tree.selectedNode(), b);
    QVERIFY(tree.selectChild(1));
    QCOMPARE(tree.selectedNode(), x2);
    QVERIFY(!tree.selectChild(0));
    QVERIFY(tree.selectParent());
    QVERIFY(tree.selectParent());
    QCOMPARE(tree.selectedNode(), &root);
    QVERIFY(!tree.canGoUp());
    QVERIFY(!tree.selectParent());
}

void TestLibraryView::folderAndSelection()
{
    MakePatch(slot(User1, 0), QStringLiteral("One"));
    MakePatch(slot(User1, 1), QStringLiteral("Two"));
    LibraryView view(m_ridev.get(), &m_options);
    PostedMessages posted(view.mdiParent());
    VoicesListView* list = view.voicesList();

    // Rows of a folder hold no patch.
    list->setRowSelected(1, true);
    QTRY_COMPARE(posted.messages.size(), 1);
    QCOMPARE(posted.messages.last(), qMakePair(LibraryView::SelectionMessage, 0));
    QCOMPARE(posted.sources.last(), 0);

    // The tree's selection shows its node.
    view.banksTree()->selectItem(view.banksTree()->root()->child(0)->child(0));
    QCOMPARE(view.selectedLibrary(), m_ridev->getLibrary(QStringLiteral("USER1")));
    posted.messages.clear();
    list->setRowSelected(5, true); // empty slots only
    QTRY_VERIFY(!posted.messages.isEmpty());
    QCOMPARE(posted.messages.last().second, 0);
    list->setRowSelected(0, true);
    list->setRowSelected(1, true);
    QTRY_COMPARE(posted.messages.last().second, 2);
    QCOMPARE(list->selectedItems(true).size(), 3);
    QCOMPARE(list->selectedPatchDumps(false).size(), 2);
    QVERIFY(list->validPatchSelected());
    QVERIFY(list->validPatchesSelected());
}

void TestLibraryView::selectPatchFromOutside()
{
    for (int i = 0; i < 5; ++i)
        AppendPatch(m_vlib->getTypePatchGroup(1), QStringLiteral("Kit %1").arg(i));
    LibraryView voices(m_vlib.get(), &m_options);
    voices.selectPatch(QStringLiteral("Drum Kits"), 3);
    Library* kits = m_vlib->getLibrary(QStringLiteral("Drum Kits"));
    QCOMPARE(voices.banksTree()->selectedNode(), kits);
    QCOMPARE(voices.selectedLibrary(), kits);
    QCOMPARE(voices.voicesList()->curSel(), 3);
    QCOMPARE(voices.voicesList()->currentDump()->name(false), QStringLiteral("Kit 3"));
    voices.selectPatch(QStringLiteral("No Such Node"), 1);
    QCOMPARE(voices.selectedLibrary(), kits);
    QCOMPARE(voices.voicesList()->curSel(), 3);

    LibraryView banks(m_ridev.get(), &m_options);
    banks.selectPatch(Patch(User2, 5));
    QCOMPARE(banks.selectedLibrary(), m_ridev->getBankPatchGroup(User2));
    QCOMPARE(banks.banksTree()->selectedNode(), m_ridev->getBankPatchGroup(User2));
    QCOMPARE(banks.voicesList()->curSel(), 5);
    QCOMPARE(banks.voicesList()->patchAt(5).toUInt(), Patch(User2, 5).toUInt());
    banks.selectPatch(Patch(0x3F00, 1)); // a preset bank: no group
    QCOMPARE(banks.selectedLibrary(), m_ridev->getBankPatchGroup(User2));
}

void TestLibraryView::updateViewAndCaret()
{
    LibraryView view(m_ridev.get(), &m_options);
    view.selectPatch(Patch(User1, 7));
    MakePatch(slot(Perf, 0), QStringLiteral("Split"));
    SetParts(slot(Perf, 0), {Patch(User1, 7)});
    QCOMPARE(view.getParents(Patch(User1, 7)), nullptr);
    view.updateView(false);
    QCOMPARE(view.voicesList()->curSel(), 7);
    QVERIFY(view.getParents(Patch(User1, 7)));
    QVERIFY(view.getChildren(Patch(Perf, 0)));
    view.updateView(true);
    QCOMPARE(view.voicesList()->curSel(), 0);
}

void TestLibraryView::childPatchesOfTheSelection()
{
    MakePatch(slot(User1, 0), QStringLiteral("Voice"));
    MakePatch(slot(User1, 1), QStringLiteral("Other"));
    MakePatch(slot(Perf, 0), QStringLiteral("A"));
    SetParts(slot(Perf, 0), {Patch(User1, 0), Patch(User1, 1)});
    MakePatch(slot(Perf, 1), QStringLiteral("B"));
    SetParts(slot(Perf, 1), {Patch(User1, 0)});
    LibraryView view(m_ridev.get(), &m_options);
    view.updateView(false);

    view.selectPatch(Patch(User1, 0));
    view.voicesList()->setRowSelected(1, true);
    QVERIFY(view.childPatches().isEmpty()); // voices use nothing

    view.selectPatch(Patch(Perf, 0));
    view.voicesList()->setRowSelected(1, true);
    const PatchList children = view.childPatches();
    QCOMPARE(QList<uint>(children.cbegin(), children.cend()),
             (QList<uint>{Patch(User1, 0).toUInt(), Patch(User1, 1).toUInt()}));
}

void TestLibraryView::removeDuplicatesInALibraryFile()
{
    ScriptedPrompts prompts;
    PatchGroup* group = m_vlib->getTypePatchGroup(0);
    for (const char* name : {"Bell", "Bell", "Pad", "Bell", "Pad", "Keys"})
        AppendPatch(group, QString::fromLatin1(name));
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("copies.vlib"));
    QVERIFY(m_vlib->storeFile(path));
    VeskVLib_Library read(m_device.get());
    QVERIFY(read.loadFile(path));

    LibraryView view(&read, &m_options);
    QSignalSpy changed(&view, &MdiView::documentChanged);
    view.selectPatch(QStringLiteral("Normal Voices"), 4);
    prompts.script(ScriptedPrompts::Kind::YesNo, true);
    prompts.script(ScriptedPrompts::Kind::Dialog, int(QDialog::Accepted));
    view.removeDuplicates();
    // The dialog is a question of the prompts in force, over its view.
    QCOMPARE(prompts.count(ScriptedPrompts::Kind::Dialog), 1);
    QCOMPARE(prompts.last(ScriptedPrompts::Kind::Dialog).text, QStringLiteral("DuplicatePatchesDlg"));
    QCOMPARE(prompts.last(ScriptedPrompts::Kind::Dialog).parent.data(), &view);
    QCOMPARE(prompts.last(ScriptedPrompts::Kind::YesNo).text,
             QStringLiteral("Are you sure you want to delete 3 patches?"));
    PatchGroup* shown = read.getTypePatchGroup(0);
    QStringList names;
    for (PatchDump* dump : shown->dumps())
        names << dump->name(false);
    QCOMPARE(names, (QStringList{"Bell", "Pad", "Keys"}));
    QCOMPARE(view.voicesList()->rows(), 3);
    QCOMPARE(view.voicesList()->curSel(), 0); // rows closed up
    QVERIFY(view.isWindowModified());
    QCOMPARE(changed.count(), 1);

    // A bank group keeps its slots, and the caret.
    MakePatch(slot(User1, 2), QStringLiteral("Twin"));
    MakePatch(slot(User2, 9), QStringLiteral("Twin"));
    LibraryView banks(m_ridev.get(), &m_options);
    banks.selectPatch(Patch(User2, 9));
    prompts.script(ScriptedPrompts::Kind::YesNo, true);
    prompts.script(ScriptedPrompts::Kind::Dialog, int(QDialog::Accepted));
    banks.removeDuplicates();
    QVERIFY(slot(User2, 9)->isEmpty());
    QCOMPARE(banks.voicesList()->rows(), 128);
    QCOMPARE(banks.voicesList()->curSel(), 9);

    // Cancelled, or nothing to remove: nothing changes.
    MakePatch(slot(User2, 9), QStringLiteral("Twin"));
    LibraryView again(m_ridev.get(), &m_options);
    prompts.script(ScriptedPrompts::Kind::Dialog, int(QDialog::Rejected));
    again.removeDuplicates();
    QVERIFY(!slot(User2, 9)->isEmpty());
    QVERIFY(!again.isWindowModified());
    slot(User2, 9)->clear();
    again.removeDuplicates();
    QCOMPARE(prompts.last(ScriptedPrompts::Kind::Info).text, QStringLiteral("No duplicates found"));
    QVERIFY(!again.isWindowModified());
}

ORVANE_TEST_MAIN(TestLibraryView)
#include "tst_libraryview.moc"
