// The patch list of a library view, on the instrument's two documents: what
// each kind of node shows (headers, widths, texts, flags, colours, icons,
// tips), and sorting a whole group or its selected rows, with the users of
// moved bank programs following them.
#include "Colors.h"
#include "DependencyOptions.h"
#include "LibraryFixture.h"
#include "LibraryView.h"
#include "PatchDump.h"
#include "TestEnvironment.h"
#include "Vesk.h"
#include "VeskAll_Library.h"
#include "VeskRig.h"
#include "VoicesListView.h"
#include "LibraryBanks.h"

#include <QHeaderView>
#include <QSignalSpy>

#include <memory>

namespace {


const QString Empty = QStringLiteral("(empty)");

} // namespace

class TestVoicesList : public QObject
{
    Q_OBJECT

    std::unique_ptr<Vesk> m_device;
    std::unique_ptr<VeskAll_Library> m_ridev;
    std::unique_ptr<VeskVLib_Library> m_vlib;
    DependencyOptions m_options;

    PatchDump* slot(unsigned short bank, int program) { return m_ridev->getPatchDump(Patch(bank, program)); }
    PatchGroup* voices() { return m_vlib->getTypePatchGroup(0); }
    Library* node(const QString& name)
    {
        Library* found = m_ridev->getLibrary(name);
        return found ? found : m_vlib->getLibrary(name);
    }
    // A view of the document holding the node, showing the node.
    std::unique_ptr<LibraryView> viewOf(Library* shown)
    {
        Library* document = m_ridev->getLibrary(shown->name()) == shown ? static_cast<Library*>(m_ridev.get())
                                                                        : static_cast<Library*>(m_vlib.get());
        auto view = std::make_unique<LibraryView>(document, &m_options);
        view->updateView(false);
        view->voicesList()->setLibrary(shown);
        return view;
    }
    static QStringList names(PatchGroup* group)
    {
        QStringList out;
        for (PatchDump* dump : group->dumps())
            out << dump->name(false);
        return out;
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
        MakePatch(slot(User1, 0), QStringLiteral("Piano 1"), QStringLiteral("Ap:A.PIANO"), QStringLiteral("warm"));
        MakePatch(slot(Master, 0), QStringLiteral("Stage"));
        AppendPatch(voices(), QStringLiteral("Pad 10"));
        AppendPatch(voices(), QStringLiteral("Pad 2"));
        AppendPatch(voices(), QStringLiteral("Pad 1"));
    }
    void cleanup()
    {
        m_ridev.reset();
        m_vlib.reset();
    }
    void cleanupTestCase() { m_device.reset(); }

    void columnsOfEachKind_data();
    void columnsOfEachKind();
    void cellTexts_data();
    void cellTexts();
    void cellFlags_data();
    void cellFlags();
    void coloursIconsAndTips();
    void sortOrders_data();
    void sortOrders();
    void sortableColumns();
    void sortingBankProgramsMovesTheirUsers();
    void sortingTheSelectionKeepsRowsAndMovesUsers();
};

void TestVoicesList::columnsOfEachKind_data()
{
    QTest::addColumn<QString>("node");
    QTest::addColumn<QString>("headers");
    QTest::addColumn<QList<int>>("widths");
    QTest::newRow("folder of folders") << "Ridev Library" << "Folder|||" << QList<int>{180, 0, 0, 0};
    QTest::newRow("folder of bank groups") << "Voices" << "Bank|MSB/LSB|Patches|" << QList<int>{180, 100, 60, 0};
    QTest::newRow("folder of type groups") << "Voice Library" << "Folder|Patches||" << QList<int>{180, 60, 0, 0};
    QTest::newRow("bank group") << "USER1" << "Patch|Number|Category|Comments" << QList<int>{180, 85, 117, 72};
    QTest::newRow("type group") << "Normal Voices" << "Patch|Number|Category|Comments"
                                << QList<int>{180, 85, 117, 72};
}

void TestVoicesList::columnsOfEachKind()
{
    QFETCH(QString, node);
    QFETCH(QString, headers);
    QFETCH(QList<int>, widths);
    auto view = viewOf(this->node(node));
    VoicesListView* list = view->voicesList();
    QCOMPARE(list->columns(), 4);
    QStringList texts;
    QList<int> shown;
    for (int column = 0; column < 4; ++column) {
        texts << list->headerText(column);
        shown << list->headerWidth(column);
        // What the table shows: the model's header and the column's width.
        QCOMPARE(list->model()->headerData(column, Qt::Horizontal).toString(), texts.last());
        QCOMPARE(list->isColumnHidden(column), widths.at(column) == 0);
        if (widths.at(column))
            QCOMPARE(list->columnWidth(column), widths.at(column));
    }
    QCOMPARE(texts.join(QLatin1Char('|')), headers);
    QCOMPARE(shown, widths);
}

void TestVoicesList::cellTexts_data()
{
    QTest::addColumn<QString>("node");
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("texts"); // columns 0 to 3
    QTest::newRow("patch") << "USER1" << 0 << QStringList{"Piano 1", "001 (A01)", "Ap:A.PIANO", "warm"};
    QTest::newRow("empty slot") << "USER1" << 1 << QStringList{Empty, "002 (A02)", "", ""};
    QTest::newRow("second group of 16") << "USER1" << 16 << QStringList{Empty, "017 (B01)", "", ""};
    QTest::newRow("last program") << "USER1" << 127 << QStringList{Empty, "128 (H16)", "", ""};
    QTest::newRow("master") << "MASTER" << 0 << QStringList{"Stage", "001 (A01)", "", ""};
    QTest::newRow("type group row") << "Normal Voices" << 2 << QStringList{"Pad 1", "3", "--", ""};
    QTest::newRow("bank") << "Voices" << 0 << QStringList{"USER1", "063/008", "128", ""};
    QTest::newRow("user drum bank") << "Voices" << 2 << QStringList{"DR:USR", "063/040", "32", ""};
    QTest::newRow("master bank") << "Masters" << 0 << QStringList{"MASTER", "", "128", ""};
    QTest::newRow("folder of folders") << "Ridev Library" << 1 << QStringList{"Performances", "", "", ""};
    QTest::newRow("type group folder") << "Voice Library" << 0 << QStringList{"Normal Voices", "3", "", ""};
    QTest::newRow("past the rows") << "Normal Voices" << 3 << QStringList{"", "4", "", ""};
}

void TestVoicesList::cellTexts()
{
    QFETCH(QString, node);
    QFETCH(int, row);
    QFETCH(QStringList, texts);
    auto view = viewOf(this->node(node));
    QStringList shown;
    for (int column = 0; column < 4; ++column)
        shown << view->voicesList()->itemText(row, column);
    QCOMPARE(shown, texts);
    if (row < view->voicesList()->rows())
        QCOMPARE(view->voicesList()->model()->index(row, 0).data().toString(), texts.first());
}

void TestVoicesList::cellFlags_data()
{
    QTest::addColumn<QString>("node");
    QTest::addColumn<int>("row");
    QTest::addColumn<QList<int>>("flags"); // columns 0 to 3
    QTest::newRow("patch") << "USER1" << 0 << QList<int>{39, 0, 34, 34};
    QTest::newRow("empty slot") << "USER1" << 1 << QList<int>{37, 0, 32, 34};
    QTest::newRow("master: no category") << "MASTER" << 0 << QList<int>{39, 0, 32, 34};
    QTest::newRow("folder row") << "Voices" << 0 << QList<int>{33, 0, 0, 0};
}

void TestVoicesList::cellFlags()
{
    QFETCH(QString, node);
    QFETCH(int, row);
    QFETCH(QList<int>, flags);
    auto view = viewOf(this->node(node));
    QList<int> shown;
    for (int column = 0; column < 4; ++column)
        shown << view->voicesList()->itemFlags(row, column);
    QCOMPARE(shown, flags);
}

void TestVoicesList::coloursIconsAndTips()
{
    // Performance 0 plays user voice 0 and a master calls it up; performance
    // 1 plays user voice 0 too; voice 2 is used by nothing.
    MakePatch(slot(User1, 2), QStringLiteral("Alone"));
    MakePatch(slot(Perf, 0), QStringLiteral("Split"));
    SetParts(slot(Perf, 0), {Patch(User1, 0)});
    MakePatch(slot(Perf, 1), QStringLiteral("Layer"));
    SetParts(slot(Perf, 1), {Patch(User1, 0)});
    SetMasterCall(slot(Master, 0), Patch(Perf, 0));

    auto view = viewOf(node(QStringLiteral("USER1")));
    VoicesListView* list = view->voicesList();
    QCOMPARE(list->itemColor(0, 0), m_options.Color1); // used by others
    QCOMPARE(list->itemColor(2, 3), QColor()); // the list's own text colour
    QCOMPARE(list->itemColor(1, 0), QColor(160, 160, 160)); // empty
    QCOMPARE(list->itemIconIndex(0), 3);
    QCOMPARE(list->itemIconIndex(1), 3); // an empty slot keeps its kind's icon
    QCOMPARE(list->itemTip(2), QStringLiteral("No dependencies"));
    QVERIFY(list->itemTip(0).startsWith(QStringLiteral("Used by:\n  PERF:001 (A01) ")));
    QVERIFY(list->itemTip(0).contains(QStringLiteral("\n  MASTER:001 (A01) ")));
    // Shown in that colour, darkened just enough to read on the list.
    const QColor shown = list->model()->index(0, 0).data(Qt::ForegroundRole).value<QColor>();
    QVERIFY(ContrastRatio(shown, list->palette().color(QPalette::Base)) >= ReadableContrast);
    QCOMPARE(shown.hue(), m_options.Color1.hue());
    QVERIFY(!list->model()->index(2, 0).data(Qt::ForegroundRole).isValid());

    m_options.Colorize = false;
    QCOMPARE(list->itemColor(0, 0), QColor());
    QCOMPARE(list->itemColor(1, 0), QColor(160, 160, 160));
    m_options.Colorize = true;

    list->setLibrary(node(QStringLiteral("PERF")));
    QCOMPARE(list->itemColor(0, 0), m_options.Color3); // uses voices, a master uses it
    QCOMPARE(list->itemColor(1, 0), m_options.Color2); // uses a voice
    QCOMPARE(list->itemIconIndex(0), 6);
    list->setLibrary(node(QStringLiteral("MASTER")));
    QCOMPARE(list->itemColor(0, 0), m_options.Color2);
    QCOMPARE(list->itemIconIndex(0), 8);
    list->setLibrary(node(QStringLiteral("DR:USR")));
    QCOMPARE(list->itemIconIndex(0), 4);

    // Type groups and folders are never coloured and have no tips.
    list->setLibrary(node(QStringLiteral("Voices")));
    QCOMPARE(list->itemIconIndex(0), 0);
    QCOMPARE(list->itemTip(0), QString());
    QCOMPARE(list->itemColor(0, 0), QColor());
    auto other = viewOf(voices());
    QCOMPARE(other->voicesList()->itemTip(0), QString());
    QCOMPARE(other->voicesList()->itemColor(0, 0), QColor());
}

void TestVoicesList::sortOrders_data()
{
    // Each patch as "name/category/comment" ("(empty)": an empty slot); the
    // result as the patches' first positions.
    QTest::addColumn<QStringList>("patches");
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("ascending");
    QTest::addColumn<QList<int>>("order");
    const QStringList named{"Pad 10//", "(empty)//", "Pad 2//", "bass//", "Pad 1//"};
    QTest::newRow("numbers inside names") << named << 0 << true << QList<int>{3, 4, 2, 0, 1};
    QTest::newRow("names descending, empty last") << named << 0 << false << QList<int>{0, 2, 4, 3, 1};
    const QStringList categorised{"A/Ld:HARD/", "(empty)//", "B/Ap:A.PIANO/", "C/Kb:E.PIANO/"};
    QTest::newRow("category") << categorised << 2 << true << QList<int>{2, 3, 0, 1};
    QTest::newRow("category descending") << categorised << 2 << false << QList<int>{0, 3, 2, 1};
    const QStringList commented{"A//b", "B//", "(empty)//", "C//a", "D//"};
    QTest::newRow("comment, none last") << commented << 3 << true << QList<int>{3, 0, 1, 4, 2};
    QTest::newRow("comment descending, none last") << commented << 3 << false << QList<int>{0, 3, 1, 4, 2};
    const QStringList same{"Same//1", "Other//", "Same//2", "Same//3"};
    QTest::newRow("equal names keep their order") << same << 0 << true << QList<int>{1, 0, 2, 3};
    QTest::newRow("equal names descending") << same << 0 << false << QList<int>{0, 2, 3, 1};
}

void TestVoicesList::sortOrders()
{
    QFETCH(QStringList, patches);
    QFETCH(int, column);
    QFETCH(bool, ascending);
    QFETCH(QList<int>, order);
    PatchGroup* group = voices();
    group->clear();
    QHash<PatchDump*, int> position;
    for (const QString& patch : std::as_const(patches)) {
        const QStringList parts = patch.split(QLatin1Char('/'));
        PatchDump* dump = nullptr;
        if (parts.at(0) == Empty) {
            group->addPatchDump(nullptr);
            dump = group->dumps().last();
        } else {
            dump = AppendPatch(group, parts.at(0), parts.at(1), parts.at(2));
        }
        position.insert(dump, int(position.size()));
    }
    auto view = viewOf(group);
    QSignalSpy changed(view.get(), &MdiView::documentChanged);
    view->voicesList()->sort(column, ascending);
    QList<int> sorted;
    for (PatchDump* dump : group->dumps())
        sorted << position.value(dump);
    QCOMPARE(sorted, order);
    QVERIFY(view->isWindowModified());
    QCOMPARE(changed.count(), 1);
}

void TestVoicesList::sortableColumns()
{
    auto view = viewOf(voices());
    VoicesListView* list = view->voicesList();
    QVERIFY(list->enableSort(0));
    QVERIFY(!list->enableSort(1));
    QVERIFY(list->enableSort(2));
    QVERIFY(list->enableSort(3));

    list->setLibrary(m_vlib.get());
    QVERIFY(!list->enableSort(0));
    list->sort(0, true);
    QVERIFY(!view->isWindowModified());
    QCOMPARE(m_vlib->children().first(), voices());

    // A click on the name header sorts the group, a second one the other way.
    list->setLibrary(voices());
    QTest::mouseClick(list->horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(list->horizontalHeader()->sectionViewportPosition(0) + 5, 5));
    QCOMPARE(names(voices()), (QStringList{"Pad 1", "Pad 2", "Pad 10"}));
    QTest::mouseClick(list->horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(list->horizontalHeader()->sectionViewportPosition(0) + 5, 5));
    QCOMPARE(names(voices()), (QStringList{"Pad 10", "Pad 2", "Pad 1"}));
}

void TestVoicesList::sortingBankProgramsMovesTheirUsers()
{
    MakePatch(slot(User1, 0), QStringLiteral("Zed"));
    MakePatch(slot(User1, 1), QStringLiteral("Alpha"));
    MakePatch(slot(Perf, 0), QStringLiteral("Split"));
    SetParts(slot(Perf, 0), {Patch(User1, 0), Patch(User1, 1)});

    auto view = viewOf(node(QStringLiteral("USER1")));
    view->voicesList()->sort(0, true);
    QCOMPARE(slot(User1, 0)->name(false), QStringLiteral("Alpha"));
    QCOMPARE(slot(User1, 1)->name(false), QStringLiteral("Zed"));
    QCOMPARE(PartOf(slot(Perf, 0), 0).toUInt(), Patch(User1, 1).toUInt());
    QCOMPARE(PartOf(slot(Perf, 0), 1).toUInt(), Patch(User1, 0).toUInt());
}

void TestVoicesList::sortingTheSelectionKeepsRowsAndMovesUsers()
{
    MakePatch(slot(User1, 2), QStringLiteral("C"));
    MakePatch(slot(User1, 5), QStringLiteral("A"));
    MakePatch(slot(User1, 9), QStringLiteral("B"));
    MakePatch(slot(Perf, 0), QStringLiteral("Split"));
    SetParts(slot(Perf, 0), {Patch(User1, 5), Patch(User1, 9), Patch(User1, 0)});

    auto view = viewOf(node(QStringLiteral("USER1")));
    VoicesListView* list = view->voicesList();
    QSignalSpy changed(view.get(), &MdiView::documentChanged);
    list->sortSelected(0);
    QVERIFY(!view->isWindowModified());
    QCOMPARE(changed.count(), 0);

    // Selected bottom to top: the sorted patches still fill the rows top to
    // bottom, and the performance follows the voices it plays.
    for (int row : {9, 5, 2})
        list->setRowSelected(row, true);
    list->sortSelected(0);
    QCOMPARE(slot(User1, 2)->name(false), QStringLiteral("A"));
    QCOMPARE(slot(User1, 5)->name(false), QStringLiteral("B"));
    QCOMPARE(slot(User1, 9)->name(false), QStringLiteral("C"));
    QCOMPARE(slot(User1, 0)->name(false), QStringLiteral("Piano 1"));
    QCOMPARE(PartOf(slot(Perf, 0), 0).toUInt(), Patch(User1, 2).toUInt());
    QCOMPARE(PartOf(slot(Perf, 0), 1).toUInt(), Patch(User1, 5).toUInt());
    QCOMPARE(PartOf(slot(Perf, 0), 2).toUInt(), Patch(User1, 0).toUInt());
    QVERIFY(view->isWindowModified());
    QCOMPARE(changed.count(), 1);
    // The tip follows too once the view is updated.
    QVERIFY(list->itemTip(2).startsWith(QStringLiteral("Used by:")));
    QCOMPARE(list->itemTip(9), QStringLiteral("No dependencies"));
}

ORVANE_TEST_MAIN(TestVoicesList)
#include "tst_voiceslist.moc"
