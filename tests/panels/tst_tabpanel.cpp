// The tabbed panel: its geometry with and without tabs, the header row and
// the tab strip built from its rows, a tab change (caption, shown cells,
// focus), the Ctrl-key moves between rows and controls, the messages of its
// rows and caption on their way to the window, and a panel without rows.
#include "EventMessage.h"
#include "LayoutRig.h"
#include "MidiCtrl.h"
#include "MidiTabCtrl.h"
#include "PanelFixture.h"
#include "TabPanel.h"
#include "TestEnvironment.h"

namespace {

// Rows of a master editor: a switch before the tabs, two columns on
// "General", two on "MIDI" with a separator between them; rows of one tab
// and of none; and a row with nothing that takes the focus.
const char* const MasterLayout = R"(<section title="Master">
  <section name="Master:Zone" title="Zxx" type="Zone">
    <check title="Sw" address="50xx00"/>
    <tab title="General"/>
    <edit title="Level" address="50xx01"/>
    <edit title="Pan" address="50xx02"/>
    <tab title="MIDI"/>
    <edit title="Channel" address="50xx03"/>
    <sep width="6"/>
    <edit title="Bank" address="50xx04"/>
  </section>
  <section name="Master:Solo" title="Sxx">
    <edit title="Note" address="52xx00"/>
    <tab title="Only"/>
    <edit title="Gate" address="52xx01"/>
  </section>
  <section name="Master:Knob" title="Kxx"><edit title="Assign" address="51xx00"/></section>
  <section name="Master:Blank" title="Bxx"><sep width="10"/></section>
</section>)";

// Items of a "Master:Zone" row.
enum ZoneItem
{
    Sw,
    Level,
    Pan,
    Channel,
    Separator,
    BankSelect
};

// A master editor in miniature with a tabbed panel of rows built the way
// the editors build theirs: 60 x 19 cells behind a 23-pixel caption, the
// first row naming the columns, one pixel between rows.
class MasterRig
{
public:
    explicit MasterRig(const QStringList& sections = {}, int rows = 4, int width = 600)
        : client(QStringLiteral("Master Editor"), &device, &window), tabs(&client)
    {
        QVERIFY(device.xml()->loadData(MasterLayout));
        window.resize(700, 420);
        tabs.init(&window, QStringLiteral("Master Parts"), QPoint(5, 6), width);
        for (int i = 0; i < rows; ++i) {
            tabs.addPanel(sections.value(i, sections.value(0, QStringLiteral("Master:Zone"))), i, 60, 19, 23,
                          QString(), 0);
            tabs.addSep(1);
        }
        tabs.fit();
    }

    // Shows the window and gives it the keyboard.
    bool activate()
    {
        window.show();
        return QTest::qWaitForWindowActive(&window);
    }

    // The focused row and item, (-1, -1) for none.
    QPair<int, int> focus() const
    {
        const int row = tabs.selectedPanel();
        return {row, row == -1 ? -1 : tabs.panel(row)->selectedItemIndex()};
    }

    void focusOn(int row, int item)
    {
        if (QWidget* w = QApplication::focusWidget())
            w->clearFocus();
        if (row != -1)
            tabs.panel(row)->widgetAt(item)->setFocus(Qt::OtherFocusReason);
    }

    LayoutDevice device;
    MessageWindow window;
    MidiClient client;
    TabPanel tabs;
};

QStringList tabTitles(Panel* panel)
{
    QStringList list;
    for (int i = 0; i < panel->itemCount(); ++i)
        list << panel->itemAt(i)->gInfo()->title;
    return list;
}

QList<int> rowTops(const TabPanel& tabs)
{
    QList<int> tops;
    for (int i = 0; i < tabs.panelCount(); ++i)
        tops << tabs.panel(i)->y();
    return tops;
}

} // namespace

class TestTabPanel : public QObject
{
    Q_OBJECT

private slots:
    // The frame ends 16 pixels below the last row, 34 with a tab strip; the
    // strip sits at the foot and shows only for two tabs or more, its first
    // tab over the first column that belongs to a tab.
    void layout_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("tabCount");
        QTest::addColumn<bool>("strip");
        QTest::newRow("two tabs") << "Master:Zone" << 173 << 2 << true;
        QTest::newRow("one tab") << "Master:Solo" << 155 << 1 << false;
        QTest::newRow("no tab") << "Master:Knob" << 155 << 0 << false;
    }
    void layout()
    {
        QFETCH(QString, section);
        QFETCH(int, height);
        QFETCH(int, tabCount);
        QFETCH(bool, strip);
        MasterRig rig({section});
        TabPanel& tabs = rig.tabs;
        QCOMPARE(tabs.internalName(), QStringLiteral("tab|Master Parts"));
        QCOMPARE(tabs.title(), QStringLiteral("Master Parts"));
        QCOMPARE(tabs.panelCount(), 4);
        QCOMPARE(rowTops(tabs), (QList<int>{51, 73, 95, 117}));
        QCOMPARE(tabs.panel(0)->x(), 9);
        QCOMPARE(tabs.headerPanel()->pos(), QPoint(9, 30));
        QCOMPARE(tabs.nextRowY(), 139);
        QCOMPARE(tabs.geometry(), QRect(5, 6, 600, height));
        QCOMPARE(tabs.tabCount(), tabCount);
        QCOMPARE(tabs.tabStrip()->count(), tabCount);
        QCOMPARE(tabs.tabStrip()->isVisibleTo(&tabs), strip);
        QCOMPARE(tabs.tabHeight(), strip ? 18 : 0);
        if (strip)
            QCOMPARE(tabs.tabStrip()->geometry(), QRect(0, height - 18, 600, 18));
        // "Level" (and "Gate") stand at x 87 of their row.
        if (tabCount > 0)
            QCOMPARE(tabs.tabStrip()->tabRect(0).x(), 87 + 9);
        QVERIFY(!tabs.panel(4) && !tabs.panel(-1));
    }

    // A frame given less width than a tab's cells grows to show the widest
    // tab whole ("MIDI": its bank column ends furthest right), with the
    // right margin after it; rows, header and strip end at the frame's inner
    // edge and the tabs lie inside the strip.
    void growsToWidestTab()
    {
        MasterRig rig({}, 4, 120);
        TabPanel& tabs = rig.tabs;
        const QWidget* bank = tabs.panel(0)->widgetAt(BankSelect);
        QCOMPARE(tabs.contentWidth(), 9 + bank->x() + bank->width() + 9);
        QCOMPARE(tabs.width(), tabs.contentWidth());
        for (int r = 0; r < tabs.panelCount(); ++r)
            QCOMPARE(tabs.panel(r)->width(), tabs.width() - 18);
        QCOMPARE(tabs.headerPanel()->width(), tabs.width() - 18);
        QCOMPARE(tabs.tabStrip()->width(), tabs.width());
        QCOMPARE(tabs.caption()->width(), tabs.width());
        QVERIFY(tabs.tabStrip()->rect().contains(tabs.tabStrip()->tabRect(1)));
    }

    // A gap added between rows moves the rows after it, and the foot.
    void addSep()
    {
        LayoutDevice device;
        QWidget window;
        MidiClient client(QStringLiteral("Master Editor"), &device, &window);
        QVERIFY(device.xml()->loadData(MasterLayout));
        TabPanel tabs(&client);
        tabs.init(&window, QStringLiteral("Master Parts"), QPoint(), 600);
        for (int i = 0; i < 3; ++i) {
            if (i == 2)
                tabs.addSep(5);
            tabs.addPanel(QStringLiteral("Master:Knob"), i, 60, 19, 23, QString(), 0);
        }
        tabs.fit();
        QCOMPARE(rowTops(tabs), (QList<int>{51, 72, 98}));
        QCOMPARE(tabs.height(), 51 + 3 * 21 + 5 + 16);
    }

    // Without rows: nothing to count, fit keeps the provisional height, no
    // focus to find or give, and a tab change (the strip keeps the tabs of
    // rows deleted by a second init) names the strip's tab and moves nothing.
    void withoutRows()
    {
        MasterRig rig({}, 0);
        TabPanel& tabs = rig.tabs;
        QCOMPARE(tabs.tabCount(), 0);
        QCOMPARE(tabs.panelCount(), 0);
        QCOMPARE(tabs.height(), 121);
        QVERIFY(!tabs.hasFocus());
        QCOMPARE(tabs.selectFirstItem(0, 0), -1);
        QVERIFY(!tabs.selectPanel(0));
        QVERIFY(!tabs.processCtrlKey(Qt::Key_1, Qt::NoModifier));
        QVERIFY(!tabs.processCtrlKey(Qt::Key_Home, Qt::NoModifier));

        MasterRig again;
        again.tabs.init(&again.window, QStringLiteral("Master Parts"), QPoint(), 600);
        QCOMPARE(again.tabs.panelCount(), 0);
        QCOMPARE(again.tabs.tabStrip()->count(), 2);
        again.tabs.selectTab(1);
        QCOMPARE(again.tabs.caption()->text(), QStringLiteral("Master Parts - MIDI"));
    }

    // The header names the first row's columns over them and, like the
    // strip, is built once; the rows hear MIDI, the header does not.
    void headerRow()
    {
        MasterRig rig;
        Panel* header = rig.tabs.headerPanel();
        QVERIFY(header->isHeader());
        QCOMPARE(tabTitles(header), (QStringList{"Sw", "Level", "Pan", "Channel", " ", "Bank"}));
        QList<QRect> labels;
        for (int i = 0; i < header->itemCount(); ++i)
            labels << header->widgetAt(i)->geometry();
        QCOMPARE(labels, (QList<QRect>{QRect(25, 0, 60, 19), QRect(87, 0, 60, 19), QRect(149, 0, 60, 19),
                                       QRect(87, 0, 60, 19), QRect(149, 0, 6, 19), QRect(155, 0, 60, 19)}));
        QList<Panel*> rows;
        for (int i = 0; i < rig.tabs.panelCount(); ++i)
            rows << rig.tabs.panel(i);
        QCOMPARE(rig.client.panelList().list(), rows);
    }

    // A tab names itself in the caption and shows its cells and the tab-less
    // ones, in the header and every row; the focus goes back into the row
    // that had it, at its first control (row 0 when none had it).
    void tabChange()
    {
        MasterRig rig;
        QVERIFY(rig.activate());
        TabPanel& tabs = rig.tabs;
        tabs.selectTab(0);
        QCOMPARE(tabs.caption()->text(), QStringLiteral("Master Parts - General"));
        QCOMPARE(tabs.caption()->accessibleName(), QStringLiteral("Master Parts - General"));
        QCOMPARE(tabs.accessibleName(), QStringLiteral("Master Parts - General"));
        QCOMPARE(tabs.headerPanel()->accessibleName(), QStringLiteral("Master Parts - General"));
        for (Panel* panel : {tabs.headerPanel(), tabs.panel(0), tabs.panel(3)}) {
            QCOMPARE(panel->currentTab(), 0);
            QVERIFY(panel->widgetAt(Sw)->isVisible());
            QVERIFY(panel->widgetAt(Level)->isVisible());
            QVERIFY(!panel->widgetAt(Channel)->isVisible());
        }
        QCOMPARE(rig.focus(), qMakePair(0, int(Sw)));

        rig.focusOn(2, Pan);
        tabs.selectTab(1);
        QCOMPARE(tabs.caption()->text(), QStringLiteral("Master Parts - MIDI"));
        QVERIFY(tabs.panel(1)->widgetAt(BankSelect)->isVisible());
        QVERIFY(!tabs.headerPanel()->widgetAt(Pan)->isVisible());
        QCOMPARE(rig.focus(), qMakePair(2, int(Sw)));

        // No such tab: nothing changes.
        tabs.selectTab(2);
        QCOMPARE(tabs.caption()->text(), QStringLiteral("Master Parts - MIDI"));
    }

    // Ctrl with a digit picks a row (Shift: ten more), Up and Down the row
    // before or after, each in the column of the focused control; Left,
    // Right, Home and End move within the focused row. A row that does not
    // exist leaves the key unhandled.
    void ctrlKeys_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("focusRow"); // -1: no row has the focus
        QTest::addColumn<int>("focusItem");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("handled");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("item");
        const int none = Qt::NoModifier;
        const int shift = Qt::ShiftModifier;
        QTest::newRow("1 keeps the column")
            << 4 << 2 << int(Pan) << int(Qt::Key_1) << none << true << 0 << int(Pan);
        QTest::newRow("1 without focus") << 4 << -1 << 0 << int(Qt::Key_1) << none << true << 0 << int(Sw);
        QTest::newRow("4") << 4 << 0 << int(Level) << int(Qt::Key_4) << none << true << 3 << int(Level);
        QTest::newRow("5 of 4 rows") << 4 << 0 << int(Level) << int(Qt::Key_5) << none << false << 0
                                     << int(Level);
        QTest::newRow("0 is the tenth") << 12 << -1 << 0 << int(Qt::Key_0) << none << true << 9 << int(Sw);
        QTest::newRow("shift 1 is the eleventh")
            << 12 << -1 << 0 << int(Qt::Key_1) << shift << true << 10 << int(Sw);
        QTest::newRow("shift 1 of 4 rows")
            << 4 << 1 << int(Pan) << int(Qt::Key_1) << shift << false << 1 << int(Pan);
        QTest::newRow("up") << 4 << 2 << int(Level) << int(Qt::Key_Up) << none << true << 1 << int(Level);
        QTest::newRow("up on the first row")
            << 4 << 0 << int(Pan) << int(Qt::Key_Up) << none << true << 0 << int(Pan);
        QTest::newRow("up without focus") << 4 << -1 << 0 << int(Qt::Key_Up) << none << true << 0 << int(Sw);
        QTest::newRow("down") << 4 << 1 << int(Pan) << int(Qt::Key_Down) << none << true << 2 << int(Pan);
        QTest::newRow("down on the last row")
            << 4 << 3 << int(Pan) << int(Qt::Key_Down) << none << false << 3 << int(Pan);
        QTest::newRow("down without focus")
            << 4 << -1 << 0 << int(Qt::Key_Down) << none << true << 0 << int(Sw);
        QTest::newRow("right") << 4 << 1 << int(Sw) << int(Qt::Key_Right) << none << true << 1 << int(Level);
        QTest::newRow("right past the tab")
            << 4 << 1 << int(Pan) << int(Qt::Key_Right) << none << true << 1 << int(Pan);
        QTest::newRow("left") << 4 << 1 << int(Level) << int(Qt::Key_Left) << none << true << 1 << int(Sw);
        QTest::newRow("home") << 4 << 1 << int(Pan) << int(Qt::Key_Home) << none << true << 1 << int(Sw);
        QTest::newRow("end before the other tab")
            << 4 << 1 << int(Sw) << int(Qt::Key_End) << none << true << 1 << int(Pan);
        for (int key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Home, Qt::Key_End})
            QTest::addRow("%s without focus", qPrintable(QKeySequence(key).toString()))
                << 4 << -1 << 0 << key << none << false << -1 << -1;
        QTest::newRow("other key") << 4 << 1 << int(Level) << int(Qt::Key_A) << none << false << 1
                                   << int(Level);
    }
    void ctrlKeys()
    {
        QFETCH(int, rows);
        QFETCH(int, focusRow);
        QFETCH(int, focusItem);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, handled);
        QFETCH(int, row);
        QFETCH(int, item);
        MasterRig rig({}, rows);
        QVERIFY(rig.activate());
        rig.tabs.selectTab(0);
        rig.focusOn(focusRow, focusItem);
        QCOMPARE(rig.focus(), qMakePair(focusRow, focusRow == -1 ? -1 : focusItem));
        QCOMPARE(rig.tabs.processCtrlKey(key, modifiers), handled);
        QCOMPARE(rig.focus(), qMakePair(row, item));
    }

    // Moving to a shorter row hands it a column it may not have: the walk
    // wraps within that row, and a row with nothing to focus ends the walk.
    void shorterRows()
    {
        MasterRig rig(
            {QStringLiteral("Master:Zone"), QStringLiteral("Master:Knob"), QStringLiteral("Master:Blank")},
            3);
        QVERIFY(rig.activate());
        rig.tabs.selectTab(1);
        rig.focusOn(0, BankSelect);
        QVERIFY(rig.tabs.processCtrlKey(Qt::Key_Down, Qt::NoModifier));
        QCOMPARE(rig.focus(), qMakePair(1, 0));
        QVERIFY(!rig.tabs.selectPanel(2));
        QVERIFY(!rig.tabs.processCtrlKey(Qt::Key_3, Qt::NoModifier));
        QCOMPARE(rig.focus(), qMakePair(1, 0));
    }

    // Rows tell the tab panel's frame when they gain or lose the focus, and
    // the frame tells the window; the captions report their double clicks
    // with their own panel. A click on the tab panel's caption focuses the
    // first row.
    void messagesReachTheWindow()
    {
        MasterRig rig;
        QVERIFY(rig.activate());
        rig.tabs.selectTab(0);
        PanelFixture::deliver();
        rig.window.messages.clear();

        rig.focusOn(1, Level);
        PanelFixture::deliver();
        QList<QPair<Panel*, bool>> selected;
        for (const PostedMessage& m : std::as_const(rig.window.messages)) {
            if (m.id == AbstractPanel::PanelSelectedMessage)
                selected << qMakePair(static_cast<Panel*>(VarToPointer(m.data)), m.source.toBool());
        }
        QCOMPARE(selected,
                 (QList<QPair<Panel*, bool>>{{rig.tabs.panel(0), false}, {rig.tabs.panel(1), true}}));

        rig.window.messages.clear();
        QTest::mouseDClick(rig.tabs.caption(), Qt::LeftButton);
        QTest::mouseDClick(rig.tabs.panel(2)->caption(), Qt::LeftButton);
        PanelFixture::deliver();
        QList<void*> clicked;
        for (const PostedMessage& m : std::as_const(rig.window.messages)) {
            if (m.id == AbstractPanel::CaptionDoubleClickMessage)
                clicked << VarToPointer(m.data);
        }
        QCOMPARE(clicked, (QList<void*>{&rig.tabs, rig.tabs.panel(2)}));

        rig.focusOn(3, Pan);
        QTest::mousePress(rig.tabs.caption(), Qt::LeftButton);
        QCOMPARE(rig.focus(), qMakePair(0, int(Sw)));
    }

    // The enabled flag goes to the header and every row; no widget is
    // disabled.
    void setEnabled()
    {
        MasterRig rig;
        rig.tabs.setEnabled(false);
        QVERIFY(!rig.tabs.headerPanel()->enabled());
        for (int i = 0; i < rig.tabs.panelCount(); ++i)
            QVERIFY(!rig.tabs.panel(i)->enabled());
        QVERIFY(rig.tabs.panel(0)->widgetAt(Level)->isEnabled());
        rig.tabs.setEnabled(true);
        QVERIFY(rig.tabs.panel(3)->enabled() && rig.tabs.headerPanel()->enabled());
    }
};

ORVANE_TEST_MAIN(TestTabPanel)
#include "tst_tabpanel.moc"
