// Editing the patch list of a library view: cells in place, new, initialised
// and deleted patches, paste, swap and drag and drop as rows before and
// after (with the users of moved bank programs following them), child
// patches coming along, keys, the back button and the context menu, the
// program change on the bus, properties and duplicates of the selection.
#include "BanksTreeCtrl.h"
#include "DependencyOptions.h"
#include "DuplicatePatchesDlg.h"
#include "EventMessage.h"
#include "LibraryFixture.h"
#include "LibraryView.h"
#include "MidiEdit.h"
#include "PatchClipboard.h"
#include "PatchDump.h"
#include "Prompts.h"
#include "PropertiesDlg.h"
#include "TestBus.h"
#include "TestEnvironment.h"
#include "Vesk.h"
#include "VeskAll_Library.h"
#include "VeskRig.h"
#include "VirtualMidiBus.h"
#include "VoicesListView.h"
#include "LibraryBanks.h"

#include <QLineEdit>
#include <QMouseEvent>

#include <memory>

namespace {


// The commands a window was posted.
class PostedCommands : public QObject
{
public:
    explicit PostedCommands(QObject* window) { window->installEventFilter(this); }
    QList<int> ids;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == CommandEvent::Type()) {
            ids.append(static_cast<CommandEvent*>(event)->id());
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

QString shortName(PatchDump* dump)
{
    return !dump ? QStringLiteral("?") : dump->isEmpty() ? QStringLiteral("-") : dump->name(false);
}

QString rowsOf(PatchGroup* group, int count)
{
    QStringList out;
    for (int row = 0; row < count; ++row)
        out << shortName(group->patchDumpAt(row));
    return out.join(QLatin1Char(' '));
}

QString selectedRows(VoicesListView* list)
{
    ints rows = list->selectedItems(true);
    std::sort(rows.begin(), rows.end());
    QStringList out;
    for (int row : rows)
        out << QString::number(row);
    return out.join(QLatin1Char(' '));
}

} // namespace

class TestVoicesListEdit : public QObject
{
    Q_OBJECT

    std::unique_ptr<Vesk> m_device;
    std::unique_ptr<VeskAll_Library> m_ridev;
    std::unique_ptr<VeskVLib_Library> m_vlib;
    DependencyOptions m_options;

    PatchDump* slot(unsigned short bank, int program) { return m_ridev->getPatchDump(Patch(bank, program)); }
    PatchGroup* bank(unsigned short word) { return m_ridev->getBankPatchGroup(word); }
    PatchGroup* voices() { return m_vlib->getTypePatchGroup(0); }

    std::unique_ptr<LibraryView> viewOf(Library* document, Library* shown)
    {
        auto view = std::make_unique<LibraryView>(document, &m_options);
        view->setWindowTitle(QStringLiteral("Library[*]"));
        view->updateView(false);
        view->voicesList()->setLibrary(shown);
        return view;
    }
    static void select(VoicesListView* list, const QList<int>& rows)
    {
        list->clearSelection();
        for (int row : rows)
            list->setRowSelected(row, true);
    }
    static void copy(PatchClipboard& clipboard, LibraryView* view, PatchGroup* group, const QList<int>& rows)
    {
        clipboard.init(view, group);
        for (int row : rows)
            clipboard.add(group->patchDumpAt(row), row);
    }
    // The names of the patches the performance's first two parts play.
    QString partNames()
    {
        PatchDump* performance = slot(Perf, 0);
        return shortName(m_ridev->getPatchDump(PartOf(performance, 0))) + QLatin1Char(' ') +
               shortName(m_ridev->getPatchDump(PartOf(performance, 1)));
    }

private slots:
    void initTestCase()
    {
        resetVeskTest();
        m_device = std::make_unique<Vesk>();
    }
    void init()
    {
        m_options = DependencyOptions();
        m_ridev = std::make_unique<VeskAll_Library>(m_device.get());
        m_vlib = std::make_unique<VeskVLib_Library>(m_device.get());
        const QStringList user1{"A", "B", "C", "D", "E", "F"};
        for (int row = 0; row < user1.size(); ++row)
            MakePatch(slot(User1, row), user1.at(row));
        const QStringList user2{"P", "Q", "R"};
        for (int row = 0; row < user2.size(); ++row)
            MakePatch(slot(User2, row), user2.at(row));
        MakePatch(slot(Perf, 0), QStringLiteral("Split"));
        SetParts(slot(Perf, 0), {Patch(User1, 4), Patch(User1, 0)});
        for (const char* name : {"V1", "V2", "V3", "V4"})
            AppendPatch(voices(), QString::fromLatin1(name));
    }
    void cleanup()
    {
        m_ridev.reset();
        m_vlib.reset();
    }
    void cleanupTestCase() { m_device.reset(); }

    void bankRowsBeforeAndAfter_data();
    void bankRowsBeforeAndAfter();
    void typeRowsBeforeAndAfter_data();
    void typeRowsBeforeAndAfter();
    void childPatches_data();
    void childPatches();
    void childPatchesNotAsked();
    void cellsInPlace();
    void newInitialiseDelete();
    void keysMouseAndMenu();
    void programChangeOnTheBus();
    void propertiesAndDuplicatesOfTheSelection();
};

void TestVoicesListEdit::bankRowsBeforeAndAfter_data()
{
    // USER1 rows 0-7, USER1 row 128, USER2 rows 0-2; then the names of the
    // patches the performance's parts play (first USER1 4 "E", then USER1 0
    // "A"): a moved patch keeps its users.
    QTest::addColumn<QString>("op");
    QTest::addColumn<QString>("rows");
    QTest::addColumn<QString>("parts");
    QTest::addColumn<bool>("modified");
    const QString before = QStringLiteral("A B C D E F - - | - | P Q R");
    QTest::newRow("paste overwrites from the caret") << "paste USER2 0-1 at 2"
                                                     << "A B P Q E F - - | - | P Q R"
                                                     << "E A" << true;
    QTest::newRow("paste without a caret starts at slot 0") << "paste USER2 0-1, no caret"
                                                            << "P Q C D E F - - | - | P Q R"
                                                            << "E P" << true;
    QTest::newRow("paste at the last slot writes that slot only") << "paste USER2 0-2 at 127"
                                                                  << "A B C D E F - - | P | P Q R"
                                                                  << "E A" << true;
    QTest::newRow("swap within a bank") << "swap USER1 0-1 at 5"
                                        << "F - C D E A B - | - | P Q R"
                                        << "E A" << true;
    QTest::newRow("swap between banks") << "swap USER1 0-1 at USER2 1"
                                        << "Q R C D E F - - | - | P A B"
                                        << "E A" << true;
    QTest::newRow("overlapping swap refused") << "swap USER1 0-3 at 2" << before << "E A" << false;
    QTest::newRow("swap takes the rows as they are now") << "rename A, swap USER1 0-1 at 4"
                                                         << "E F C D A2 B - - | - | P Q R"
                                                         << "E A2" << true;
    QTest::newRow("drag copy reads its rows first") << "select USER1 0-2, copy to 1"
                                                    << "A A B C E F - - | - | P Q R"
                                                    << "E A" << true;
    QTest::newRow("drag move") << "select USER1 4-5, move to 0"
                               << "E F A B C D - - | - | P Q R"
                               << "E A" << true;
    QTest::newRow("paste into a folder") << "paste USER2 0-1 into a folder" << before << "E A" << false;
    QTest::newRow("paste of another kind") << "paste PERF 0 at 2" << before << "E A" << false;
}

void TestVoicesListEdit::bankRowsBeforeAndAfter()
{
    QFETCH(QString, op);
    QFETCH(QString, rows);
    QFETCH(QString, parts);
    QFETCH(bool, modified);
    ScriptedPrompts prompts;
    auto view = viewOf(m_ridev.get(), bank(User1));
    VoicesListView* list = view->voicesList();
    PatchClipboard clipboard;

    if (op == "paste USER2 0-1 at 2") {
        copy(clipboard, view.get(), bank(User2), {0, 1});
        list->setCurSel(2, 0);
        list->pastePatches(clipboard, false);
        QCOMPARE(selectedRows(list), QStringLiteral("2 3"));
        QCOMPARE(list->curSel(), 3);
    } else if (op == "paste USER2 0-1, no caret") {
        copy(clipboard, view.get(), bank(User2), {0, 1});
        list->setCurrentIndex(QModelIndex());
        list->pastePatches(clipboard, false);
    } else if (op == "paste USER2 0-2 at 127") {
        copy(clipboard, view.get(), bank(User2), {0, 1, 2});
        list->setCurSel(127, 0);
        list->pastePatches(clipboard, false);
    } else if (op == "swap USER1 0-1 at 5") {
        copy(clipboard, view.get(), bank(User1), {0, 1});
        list->setCurSel(5, 0);
        list->pastePatches(clipboard, true);
    } else if (op == "swap USER1 0-1 at USER2 1") {
        copy(clipboard, view.get(), bank(User1), {0, 1});
        list->setLibrary(bank(User2));
        list->setCurSel(1, 0);
        list->pastePatches(clipboard, true);
    } else if (op == "swap USER1 0-3 at 2") {
        copy(clipboard, view.get(), bank(User1), {0, 1, 2, 3});
        list->setCurSel(2, 0);
        list->pastePatches(clipboard, true);
        QCOMPARE(prompts.count(ScriptedPrompts::Kind::Warning), 1);
    } else if (op == "rename A, swap USER1 0-1 at 4") {
        copy(clipboard, view.get(), bank(User1), {0, 1});
        slot(User1, 0)->setName(QStringLiteral("A2"));
        list->setCurSel(4, 0);
        list->pastePatches(clipboard, true);
    } else if (op == "select USER1 0-2, copy to 1") {
        select(list, {0, 1, 2});
        list->onDropCopy(1, list);
        QCOMPARE(selectedRows(list), QStringLiteral("1 2 3"));
    } else if (op == "select USER1 4-5, move to 0") {
        select(list, {4, 5});
        list->onDropMove(0);
        QCOMPARE(selectedRows(list), QStringLiteral("0 1"));
        QCOMPARE(list->curSel(), 0);
    } else if (op == "paste USER2 0-1 into a folder") {
        copy(clipboard, view.get(), bank(User2), {0, 1});
        list->setLibrary(m_ridev.get());
        list->setCurSel(2, 0);
        list->pastePatches(clipboard, false);
    } else if (op == "paste PERF 0 at 2") {
        copy(clipboard, view.get(), bank(Perf), {0});
        list->setCurSel(2, 0);
        list->pastePatches(clipboard, false);
    } else {
        QFAIL("unknown op");
    }

    const QString after =
        rowsOf(bank(User1), 8) + " | " + shortName(slot(User1, 127)) + " | " + rowsOf(bank(User2), 3);
    QCOMPARE(after, rows);
    QCOMPARE(partNames(), parts);
    QCOMPARE(view->isWindowModified(), modified);
    QCOMPARE(bank(User1)->itemCount(), 128);
}

void TestVoicesListEdit::typeRowsBeforeAndAfter_data()
{
    QTest::addColumn<QString>("op");
    QTest::addColumn<QString>("rows");
    QTest::addColumn<QString>("selected");
    QTest::newRow("paste without a caret appends") << "paste A-B, no caret"
                                                   << "V1 V2 V3 V4 A B"
                                                   << "4 5";
    QTest::newRow("paste inserts at the caret") << "paste A-B at 1"
                                                << "V1 A B V2 V3 V4"
                                                << "1 2";
    QTest::newRow("drop rows 2 and 3 on row 0") << "move 2-3 to 0"
                                                << "V3 V4 V1 V2"
                                                << "0 1";
    QTest::newRow("drag copy within the group") << "copy 0-1 to 1"
                                                << "V1 V1 V2 V2 V3 V4"
                                                << "1 2";
    QTest::newRow("paste after the source view closed") << "paste A-B, source closed"
                                                        << "V1 V2 V3 V4 A B"
                                                        << "4 5";
}

void TestVoicesListEdit::typeRowsBeforeAndAfter()
{
    QFETCH(QString, op);
    QFETCH(QString, rows);
    QFETCH(QString, selected);
    auto source = std::make_unique<VeskAll_Library>(m_device.get());
    MakePatch(source->getPatchDump(Patch(User1, 0)), QStringLiteral("A"));
    MakePatch(source->getPatchDump(Patch(User1, 1)), QStringLiteral("B"));
    auto sourceView = viewOf(source.get(), source->getBankPatchGroup(User1));
    auto view = viewOf(m_vlib.get(), voices());
    VoicesListView* list = view->voicesList();
    PatchClipboard clipboard;
    copy(clipboard, sourceView.get(), source->getBankPatchGroup(User1), {0, 1});

    if (op == "paste A-B, no caret") {
        list->setCurrentIndex(QModelIndex());
        list->pastePatches(clipboard, false);
    } else if (op == "paste A-B at 1") {
        list->setCurSel(1, 0);
        list->pastePatches(clipboard, false);
    } else if (op == "move 2-3 to 0") {
        select(list, {2, 3});
        list->onDropMove(0);
    } else if (op == "copy 0-1 to 1") {
        select(list, {0, 1});
        list->onDropCopy(1, list);
    } else if (op == "paste A-B, source closed") {
        // The main window tells the clipboard, then the view and its
        // document go.
        clipboard.viewClosed(sourceView.get());
        sourceView.reset();
        source.reset();
        list->setCurrentIndex(QModelIndex());
        list->pastePatches(clipboard, false);
    } else {
        QFAIL("unknown op");
    }
    QCOMPARE(rowsOf(voices(), voices()->itemCount()), rows);
    QCOMPARE(selectedRows(list), selected);
    QVERIFY(view->isWindowModified());
}

void TestVoicesListEdit::childPatches_data()
{
    QTest::addColumn<int>("option");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("drag");
    QTest::addColumn<bool>("copied");
    QTest::addColumn<QString>("question"); // "text/title"; "" for none
    QTest::newRow("always") << 0 << false << false << true << "";
    QTest::newRow("asked, yes") << 1 << true << false << true
                                << "Do you also want to paste child patches?/Paste";
    QTest::newRow("asked, no") << 1 << false << false << false
                               << "Do you also want to paste child patches?/Paste";
    QTest::newRow("never") << 2 << true << false << false << "";
    QTest::newRow("dragged, asked, yes")
        << 1 << true << true << true << "Do you also want to copy child patches?/Drag and Drop";
}

void TestVoicesListEdit::childPatches()
{
    QFETCH(int, option);
    QFETCH(bool, answer);
    QFETCH(bool, drag);
    QFETCH(bool, copied);
    QFETCH(QString, question);
    ScriptedPrompts prompts;
    prompts.script(ScriptedPrompts::Kind::YesNo, answer);
    m_options.PasteChildren = option;
    // The master calls up the performance, which plays USER1 4 and 0: a
    // child and two grandchildren.
    MakePatch(slot(Master, 0), QStringLiteral("Stage"));
    SetMasterCall(slot(Master, 0), Patch(Perf, 0));
    auto sourceView = viewOf(m_ridev.get(), bank(Master));
    VeskAll_Library target(m_device.get());
    auto targetView = viewOf(&target, target.getBankPatchGroup(Master));
    VoicesListView* list = targetView->voicesList();

    if (drag) {
        select(sourceView->voicesList(), {0});
        list->onDropCopy(5, sourceView->voicesList());
    } else {
        PatchClipboard clipboard;
        copy(clipboard, sourceView.get(), bank(Master), {0});
        list->setCurSel(5, 0);
        list->pastePatches(clipboard, false);
    }
    QCOMPARE(shortName(target.getPatchDump(Patch(Master, 5))), QStringLiteral("Stage"));
    QCOMPARE(shortName(target.getPatchDump(Patch(Perf, 0))),
             copied ? QStringLiteral("Split") : QStringLiteral("-"));
    QCOMPARE(rowsOf(target.getBankPatchGroup(User1), 6),
             copied ? QStringLiteral("A - - - E -") : "- - - - - -");
    const ScriptedPrompts::Call asked = prompts.last(ScriptedPrompts::Kind::YesNo);
    QCOMPARE(question.isEmpty() ? QString() : asked.text + QLatin1Char('/') + asked.title, question);
    QCOMPARE(prompts.count(ScriptedPrompts::Kind::YesNo), question.isEmpty() ? 0 : 1);
}

void TestVoicesListEdit::childPatchesNotAsked()
{
    ScriptedPrompts prompts;
    m_options.PasteChildren = 1;
    auto view = viewOf(m_ridev.get(), bank(Perf));
    VoicesListView* list = view->voicesList();
    PatchClipboard clipboard;

    // Within one view.
    copy(clipboard, view.get(), bank(Perf), {0});
    list->setCurSel(1, 0);
    list->pastePatches(clipboard, false);
    QCOMPARE(rowsOf(bank(Perf), 2), QStringLiteral("Split Split"));

    // Patches that use none; patches of a Voice Library.
    VeskAll_Library target(m_device.get());
    auto targetView = viewOf(&target, target.getBankPatchGroup(User1));
    copy(clipboard, view.get(), bank(User1), {0, 1});
    targetView->voicesList()->pastePatches(clipboard, false);
    auto voiceView = viewOf(m_vlib.get(), voices());
    copy(clipboard, voiceView.get(), voices(), {0});
    targetView->voicesList()->setCurSel(2, 0);
    targetView->voicesList()->pastePatches(clipboard, false);
    QCOMPARE(rowsOf(target.getBankPatchGroup(User1), 3), QStringLiteral("A B V1"));
    QCOMPARE(prompts.count(ScriptedPrompts::Kind::YesNo), 0);

    // A document without the voices' bank: the performance comes, the
    // voices it plays have no slot and are left out.
    m_options.PasteChildren = 0;
    VeskPerfLibrary performances(m_device.get());
    auto perfView = viewOf(&performances, performances.getBankPatchGroup(Perf));
    copy(clipboard, view.get(), bank(Perf), {0});
    perfView->voicesList()->setCurSel(3, 0);
    perfView->voicesList()->pastePatches(clipboard, false);
    QCOMPARE(shortName(performances.getPatchDump(Patch(Perf, 3))), QStringLiteral("Split"));
    QVERIFY(perfView->isWindowModified());
}

void TestVoicesListEdit::cellsInPlace()
{
    MakePatch(slot(User1, 0), QStringLiteral("Piano"), QStringLiteral("Ap:A.PIANO"), QStringLiteral("warm"));
    auto view = viewOf(m_ridev.get(), bank(User1));
    view->show();
    QVERIFY(QTest::qWaitForWindowExposed(view.get()));
    VoicesListView* list = view->voicesList();
    auto typeInto = [&](int row, int column, const QString& text) {
        list->setCurSel(row, 0);
        list->editSelectedItem(column);
        auto* line = qobject_cast<QLineEdit*>(list->indexWidget(list->model()->index(row, column)));
        QVERIFY(line);
        line->setText(text);
        QTest::keyClick(line, Qt::Key_Return);
        // The editor takes Return after the key's event.
        QTRY_VERIFY(!list->indexWidget(list->model()->index(row, column)));
    };

    // The unchanged name and comment change nothing.
    typeInto(0, VoicesListView::NameColumn, QStringLiteral("Piano"));
    typeInto(0, VoicesListView::CommentColumn, QStringLiteral("warm"));
    QVERIFY(!view->isWindowModified());

    typeInto(0, VoicesListView::NameColumn, QStringLiteral("Grand Piano!"));
    QCOMPARE(slot(User1, 0)->name(false), QStringLiteral("Grand Pian"));
    QVERIFY(view->isWindowModified());
    typeInto(0, VoicesListView::NameColumn, QStringLiteral("EP"));
    QCOMPARE(list->itemText(0, VoicesListView::NameColumn), QStringLiteral("EP"));
    QCOMPARE(slot(User1, 0)->first()->dataAt(2), 0x20);
    // An empty slot takes a comment.
    typeInto(100, VoicesListView::CommentColumn, QStringLiteral("free"));
    QCOMPARE(slot(User1, 100)->comment(), QStringLiteral("free"));
    QVERIFY(slot(User1, 100)->isEmpty());

    // The category list opens at once; when it closes the choice is stored.
    ScriptedPrompts prompts;
    list->setCurSel(0, 0);
    list->editSelectedItem(VoicesListView::CategoryColumn);
    auto* category =
        qobject_cast<MidiEdit*>(list->indexWidget(list->model()->index(0, VoicesListView::CategoryColumn)));
    QVERIFY(category);
    QCOMPARE(category->text(), QStringLiteral("Ap:A.PIANO"));
    category->selectTableData(QStringLiteral("Kb:E.PIANO"));
    QTRY_COMPARE(slot(User1, 0)->printCategory(true), QStringLiteral("Kb:E.PIANO"));
    QCOMPARE(prompts.count(ScriptedPrompts::Kind::Popup), 1);
}

void TestVoicesListEdit::newInitialiseDelete()
{
    ScriptedPrompts prompts;
    auto view = viewOf(m_vlib.get(), voices());
    view->show();
    QVERIFY(QTest::qWaitForWindowExposed(view.get()));
    VoicesListView* list = view->voicesList();

    list->newPatch();
    QCOMPARE(voices()->itemCount(), 5);
    QCOMPARE(list->curSel(), 4);
    QVERIFY(!voices()->patchDumpAt(4)->isEmpty());
    QVERIFY(list->indexWidget(list->model()->index(4, VoicesListView::NameColumn)));
    QVERIFY(view->isWindowModified());

    // Deleting asks first; No keeps everything.
    select(list, {1});
    prompts.script(ScriptedPrompts::Kind::YesNo, false);
    list->deleteSelectedPatches();
    QCOMPARE(prompts.last(ScriptedPrompts::Kind::YesNo).text,
             QStringLiteral("Are you sure you want to delete the selected patch?"));
    QCOMPARE(prompts.last(ScriptedPrompts::Kind::YesNo).title, QStringLiteral("Delete"));
    QCOMPARE(voices()->itemCount(), 5);
    // A type group drops the rows, the caret goes to row 0.
    select(list, {1, 2});
    list->moveCaret(2, 0);
    prompts.script(ScriptedPrompts::Kind::YesNo, true);
    list->deleteSelectedPatches();
    QCOMPARE(prompts.last(ScriptedPrompts::Kind::YesNo).text,
             QStringLiteral("Are you sure you want to delete the selected patches?"));
    QCOMPARE(rowsOf(voices(), voices()->itemCount()), QStringLiteral("V1 V4 Init Voice"));
    QCOMPARE(list->curSel(), 0);

    // A bank group keeps its slots, emptied; initialising fills them again.
    list->setLibrary(bank(User1));
    select(list, {0, 2});
    prompts.script(ScriptedPrompts::Kind::YesNo, true);
    list->deleteSelectedPatches();
    QCOMPARE(rowsOf(bank(User1), 4), QStringLiteral("- B - D"));
    QCOMPARE(bank(User1)->itemCount(), 128);
    select(list, {0, 1});
    list->initSelectedPatches();
    QCOMPARE(rowsOf(bank(User1), 4), QStringLiteral("Init Voice Init Voice - D"));
}

void TestVoicesListEdit::keysMouseAndMenu()
{
    auto view = viewOf(m_ridev.get(), m_ridev.get());
    VoicesListView* list = view->voicesList();
    PostedCommands posted(view.get());

    // Return on a folder row opens it; the back button comes back up.
    list->setCurSel(0, 0);
    list->onEnter();
    Library* voicesFolder = m_ridev->children().at(0);
    QCOMPARE(view->selectedLibrary(), voicesFolder);
    list->setCurSel(0, 0);
    list->onEnter();
    QCOMPARE(view->selectedLibrary(), bank(User1));
    QMouseEvent back(QEvent::MouseButtonPress, QPointF(5, 5), list->viewport()->mapToGlobal(QPointF(5, 5)),
                     Qt::XButton1, Qt::XButton1, Qt::NoModifier);
    QCoreApplication::sendEvent(list->viewport(), &back);
    QCOMPARE(view->selectedLibrary(), voicesFolder);

    // The context menu is the main window's, for a group only.
    QContextMenuEvent onFolder(QContextMenuEvent::Mouse, QPoint(5, 5));
    QCoreApplication::sendEvent(list->viewport(), &onFolder);
    list->setLibrary(bank(User1));
    QContextMenuEvent onGroup(QContextMenuEvent::Mouse, QPoint(5, 5));
    QCoreApplication::sendEvent(list->viewport(), &onGroup);
    QTRY_COMPARE(posted.ids, QList<int>{cmdPatchContextMenu});
    QVERIFY(cmdPatchContextMenu >= QEvent::User);
}

void TestVoicesListEdit::programChangeOnTheBus()
{
    VirtualMidiBus* bus = testBus();
    QVERIFY(bus);
    VeskRig rig(*bus);
    VeskAll_Library ridev(&rig.device);
    VeskVLib_Library vlib(&rig.device);
    AppendPatch(vlib.getTypePatchGroup(0), QStringLiteral("V1"));
    auto view = viewOf(&ridev, ridev.getBankPatchGroup(User2));
    VoicesListView* list = view->voicesList();

    // No caret: nothing.
    list->setCurrentIndex(QModelIndex());
    list->sendProgramChange();
    QVERIFY(rig.received().isEmpty());

    // A voice: the voice mode, then bank and program on the channel.
    list->setCurSel(17, 0);
    list->sendProgramChange();
    const QStringList voice = rig.received();
    QVERIFY(voice.size() >= 3);
    QCOMPARE(voice.mid(voice.size() - 3), (QStringList{"B0 00 3F", "B0 20 09", "C0 11"}));
    rig.clearReceived();

    // A master: its selection goes as a parameter change.
    list->setLibrary(ridev.getBankPatchGroup(Master));
    list->setCurSel(2, 0);
    list->sendProgramChange();
    QVERIFY(rig.received().last().startsWith(QStringLiteral("F0 43 10 7F 00 0A 00 00 02")));
    rig.clearReceived();

    // A Voice Library's voice calls up the first user voice.
    auto voiceView = viewOf(&vlib, vlib.getTypePatchGroup(0));
    voiceView->voicesList()->setCurSel(0, 0);
    voiceView->voicesList()->sendProgramChange();
    const QStringList user = rig.received();
    QCOMPARE(user.mid(user.size() - 3), (QStringList{"B0 00 3F", "B0 20 08", "C0 00"}));
}

void TestVoicesListEdit::propertiesAndDuplicatesOfTheSelection()
{
    ScriptedPrompts prompts;
    MakePatch(slot(User1, 1), QStringLiteral("B"), QStringLiteral("Ap:A.PIANO"), QStringLiteral("old"));
    auto view = viewOf(m_ridev.get(), bank(User1));
    VoicesListView* list = view->voicesList();

    // The user fills in the comment only; cancelled, nothing changes.
    select(list, {0, 1});
    prompts.onDialog([](QDialog* dialog) {
        if (auto* properties = qobject_cast<PropertiesDlg*>(dialog))
            properties->commentEdit()->setText(QStringLiteral("both"));
    });
    prompts.script(ScriptedPrompts::Kind::Dialog, int(QDialog::Rejected));
    list->selectedPatchesProperties();
    QCOMPARE(prompts.last(ScriptedPrompts::Kind::Dialog).text, QStringLiteral("PropertiesDlg"));
    QVERIFY(!view->isWindowModified());
    QCOMPARE(slot(User1, 1)->comment(), QStringLiteral("old"));
    // Accepted: only the comment changes, names and categories stay.
    prompts.script(ScriptedPrompts::Kind::Dialog, int(QDialog::Accepted));
    list->selectedPatchesProperties();
    prompts.onDialog(nullptr);
    QCOMPARE(prompts.count(ScriptedPrompts::Kind::Dialog), 2);
    QCOMPARE(rowsOf(bank(User1), 2), QStringLiteral("A B"));
    QCOMPARE(slot(User1, 1)->printCategory(true), QStringLiteral("Ap:A.PIANO"));
    QCOMPARE(slot(User1, 0)->comment(), QStringLiteral("both"));
    QCOMPARE(slot(User1, 1)->comment(), QStringLiteral("both"));
    QVERIFY(view->isWindowModified());

    // Duplicates among the selected rows of a type group: the first copy
    // stays, the rows close up.
    voices()->patchDumpAt(3)->copyPatchDump(voices()->patchDumpAt(1), m_device.get());
    auto voiceView = viewOf(m_vlib.get(), voices());
    select(voiceView->voicesList(), {3, 2, 1});
    prompts.script(ScriptedPrompts::Kind::YesNo, true);
    int offered = -1;
    prompts.onDialog([&offered](QDialog* dialog) {
        if (auto* duplicates = qobject_cast<DuplicatePatchesDlg*>(dialog))
            offered = duplicates->listView()->rows();
    });
    prompts.script(ScriptedPrompts::Kind::Dialog, int(QDialog::Accepted));
    voiceView->voicesList()->removeDuplicatePatches();
    prompts.onDialog(nullptr);
    QCOMPARE(offered, 2);
    QCOMPARE(rowsOf(voices(), voices()->itemCount()), QStringLiteral("V1 V2 V3"));
    QCOMPARE(voiceView->voicesList()->curSel(), 0);
}

ORVANE_TEST_MAIN(TestVoicesListEdit)
#include "tst_voiceslistedit.moc"
