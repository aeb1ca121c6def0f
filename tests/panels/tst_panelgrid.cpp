// The panel object and its grid: defaults, where each new item is placed in
// a vertical and a horizontal panel, the frame's size around the items, the
// caption bar, registration with the client, and the cell queries.
#include "LayoutRig.h"
#include "MidiLabel.h"
#include "Panel.h"
#include "TestEnvironment.h"

#include <QLineEdit>

namespace {

LabelInfo cell(const QString& title = QStringLiteral("A"), int width = 0, int height = 0)
{
    LabelInfo info;
    info.title = title;
    info.width = width;
    info.height = height;
    return info;
}

// Adds n titled cells of the given width.
void addCells(Panel& panel, int n, int width = 0)
{
    for (int i = 0; i < n; ++i)
        panel.addControl(new MidiLabel(&panel, cell(QStringLiteral("C%1").arg(i), width)));
}

QRect geometryAt(const Panel& panel, int index)
{
    return panel.widgetAt(index) ? panel.widgetAt(index)->geometry() : QRect();
}

} // namespace

class TestPanelGrid : public QObject
{
    Q_OBJECT

private slots:
    void defaults()
    {
        LayoutRig rig;
        Panel panel(&rig.client);
        QCOMPARE(panel.marginLeft(), 9);
        QCOMPARE(panel.marginTop(), 9);
        QCOMPARE(panel.marginRight(), 9);
        QCOMPARE(panel.marginBottom(), 12);
        QCOMPARE(panel.controlWidth(), 90);
        QCOMPARE(panel.controlHeight(), 19);
        QCOMPARE(panel.paddingX(), 8);
        QCOMPARE(panel.paddingY(), 2);
        QCOMPARE(panel.captionWidth(), 23);
        QCOMPARE(panel.rowsPerColumn(), 24);
        QVERIFY(panel.isVertical() && !panel.isHorizontal());
        QCOMPARE(panel.baseAddress(), 0xFFFFFFFFu);
        QCOMPARE(panel.iterator(), -1);
        QCOMPARE(panel.currentTab(), -1);
        QVERIFY(panel.enabled() && !panel.isHeader() && !panel.caption());
        QCOMPARE(panel.geometry(), QRect(0, 0, 0, 0));
        QVERIFY(rig.client.panelList().isEmpty());

        panel.setMargins(-1, 5, -1, -1);
        QCOMPARE(panel.marginTop(), 6);
        QCOMPARE(panel.marginLeft(), 9);
        QCOMPARE(panel.marginRight(), 9);
        QCOMPARE(panel.marginBottom(), 12);
    }

    void emptyPanel()
    {
        LayoutRig rig;
        Panel panel(&rig.client);
        QVERIFY(panel.isEmpty());
        QCOMPARE(panel.columnCount(), 1);
        QCOMPARE(panel.cellIndex(0, 0), -1);
        QVERIFY(!panel.itemAt(0) && !panel.widgetAt(0) && !panel.itemAtCell(0, 0));
        // Asking an empty panel for its last control gives nothing.
        QVERIFY(!panel.lastControl());
        QCOMPARE(panel.calcWidth(), 19);
        QCOMPARE(panel.calcHeight(), 21);
        panel.init(&rig.window, QPoint(0, 0), true);
        QCOMPARE(panel.calcHeight(), 42);
    }

    // Three cells in one column below a caption bar.
    void threeCells()
    {
        LayoutRig rig;
        Panel panel(&rig.client);
        panel.init(&rig.window, QPoint(5, 6), true);
        QCOMPARE(panel.parentWidget(), &rig.window);
        QCOMPARE(panel.parentWindow(), &rig.window);
        addCells(panel, 3);
        panel.fit();
        QCOMPARE(geometryAt(panel, 0), QRect(9, 30, 90, 19));
        QCOMPARE(geometryAt(panel, 1), QRect(9, 51, 90, 19));
        QCOMPARE(geometryAt(panel, 2), QRect(9, 72, 90, 19));
        QCOMPARE(panel.calcHeight(), 103);
        QCOMPARE(panel.calcWidth(), 107);
        QCOMPARE(panel.geometry(), QRect(5, 6, 107, 103));
        QCOMPARE(panel.caption()->geometry(), QRect(0, 0, 107, 21));
        QCOMPARE(panel.lastControl(), panel.widgetAt(2));
        QVERIFY(!panel.isFlat());
        QCOMPARE(panel.sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
        QCOMPARE(panel.sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
        panel.setMinimumSize();
        QCOMPARE(panel.minimumSize(), QSize(107, 103));
    }

    // A title longer than the cells are wide widens the frame to show it
    // whole (the bar's indent and as much room again after the text); the
    // cells stay where they are. A short title leaves the cells' width.
    void captionWiderThanCells()
    {
        LayoutRig rig;
        Panel panel(&rig.client);
        panel.init(&rig.window, QPoint(5, 6), true);
        addCells(panel, 3);
        panel.setTitle(QStringLiteral("A title far wider than the cells below it"));
        panel.fit();
        QVERIFY(panel.caption()->barWidth() > 107);
        QCOMPARE(panel.width(), panel.caption()->barWidth());
        QCOMPARE(panel.caption()->width(), panel.width());
        QCOMPARE(geometryAt(panel, 0), QRect(9, 30, 90, 19));
        panel.setTitle(QStringLiteral("Cells"));
        panel.fit();
        QCOMPARE(panel.width(), 107);
    }

    void columns_data()
    {
        QTest::addColumn<int>("items");
        QTest::addColumn<int>("columns");
        QTest::newRow("1") << 1 << 1;
        QTest::newRow("24") << 24 << 1;
        QTest::newRow("25") << 25 << 2;
        QTest::newRow("48") << 48 << 2;
        QTest::newRow("49") << 49 << 3;
    }
    void columns()
    {
        QFETCH(int, items);
        QFETCH(int, columns);
        LayoutRig rig;
        Panel panel(&rig.client);
        addCells(panel, items);
        QCOMPARE(panel.columnCount(), columns);
        QCOMPARE(panel.cellIndex(columns - 1, 0), (columns - 1) * 24);
        QCOMPARE(panel.cellIndex(columns, 0), -1);
        QCOMPARE(panel.cellIndex(0, 24), -1);
        QCOMPARE(panel.cellIndex(-1, 0), -1);
        QCOMPARE(panel.cellIndex(0, -1), -1);
        // The cell after the last item is outside the grid.
        QCOMPARE(panel.cellIndex((items) / 24, items % 24), -1);
        QCOMPARE(panel.itemAtCell(0, 0), panel.itemAt(0));
    }

    // A new column starts right of the widest item of the one before, but an
    // item that wraps or spans columns does not widen its column.
    void columnWidths()
    {
        LayoutRig rig;
        Panel panel(&rig.client);
        addCells(panel, 3);
        panel.addControl(new MidiLabel(&panel, cell(QStringLiteral("wide"), 120)));
        LabelInfo span = cell(QStringLiteral("span"));
        span.cols = 3;
        span.wrap = true;
        panel.addControl(new MidiLabel(&panel, span));
        QCOMPARE(geometryAt(panel, 4).width(), 286);
        LabelInfo wraps = cell(QStringLiteral("wraps"), 400);
        wraps.wrap = true;
        panel.addControl(new MidiLabel(&panel, wraps));
        addCells(panel, 24 - 6 + 1);
        QCOMPARE(panel.columnWidth(0), 120);
        QCOMPARE(geometryAt(panel, 24), QRect(9 + 120 + 8, 9, 90, 19));

        // Offsets move the item alone.
        LabelInfo moved = cell(QStringLiteral("moved"));
        moved.x = 3;
        moved.y = -2;
        panel.addControl(new MidiLabel(&panel, moved));
        QCOMPARE(geometryAt(panel, 25), QRect(137 + 3, 30 - 2, 90, 19));
        panel.addControl(new MidiLabel(&panel, cell()));
        QCOMPARE(geometryAt(panel, 26).topLeft(), QPoint(137, 51));
        addCells(panel, 48 - 27 + 1);
        QCOMPARE(geometryAt(panel, 48).topLeft(), QPoint(137 + 90 + 8, 9));
        QCOMPARE(panel.columnWidth(1), 90);
    }

    // Separators and fillers at the foot of a column take no height; between
    // controls they do.
    void separatorsAtTheFoot()
    {
        LayoutRig rig;
        Panel panel(&rig.client);
        addCells(panel, 1);
        panel.addControl(new MidiLabel(&panel, cell(QStringLiteral(" "), 0, 10)));
        addCells(panel, 1);
        const int between = panel.calcHeight();
        QCOMPARE(between, 19 + 2 + 10 + 2 + 19 + 9 + 12);
        panel.addControl(new MidiLabel(&panel, cell(QStringLiteral(" "), 0, 10)));
        panel.addControl(new MidiLabel(&panel, cell(QString(), 1)));
        QCOMPARE(panel.calcHeight(), between);
        QVERIFY(panel.isSeparator(3) && panel.isSeparator(4) && panel.isSeparator(-1) &&
                panel.isSeparator(5));
        QVERIFY(!panel.isSeparator(0));
    }

    void horizontalRow()
    {
        LayoutRig rig;
        Panel panel(&rig.client);
        panel.setOrientation(0);
        panel.init(&rig.window, QPoint(0, 40), true);
        addCells(panel, 1);
        addCells(panel, 1, 60);
        panel.addControl(new MidiLabel(&panel, cell(QStringLiteral(" "), 10)));
        LabelInfo hidden = cell(QStringLiteral("hidden"));
        hidden.hidden = true;
        panel.addControl(new MidiLabel(&panel, hidden));
        addCells(panel, 1);
        QCOMPARE(geometryAt(panel, 0), QRect(25, 0, 90, 19));
        QCOMPARE(geometryAt(panel, 1).x(), 25 + 92);
        QCOMPARE(geometryAt(panel, 2).x(), 25 + 92 + 62);
        // After the separator only its width; the hidden item takes no room.
        QCOMPARE(geometryAt(panel, 3).x(), 25 + 92 + 62 + 10);
        QCOMPARE(geometryAt(panel, 4).x(), 25 + 92 + 62 + 10);
        QVERIFY(panel.widgetAt(3)->isHidden());

        panel.fit();
        // A row is sized coarsely: every item at the default width.
        QCOMPARE(panel.geometry(), QRect(0, 40, 5 * 90, 19));
        QCOMPARE(panel.caption()->geometry(), QRect(0, 0, 23, 19));
        QVERIFY(panel.isFlat());
    }

    // A row of a tabbed panel shows no texts of its own, only separators; a
    // vertical panel builds every label.
    void labelsOfARow()
    {
        LayoutRig rig;
        Panel row(&rig.client);
        row.setOrientation(0);
        row.CreateLabel(cell(QStringLiteral("Type")));
        row.CreateLabel(cell(QString()));
        row.CreateLabel(cell(QStringLiteral("  ")));
        QVERIFY(row.isEmpty());
        row.CreateLabel(cell(QStringLiteral(" ")));
        QCOMPARE(row.itemCount(), 1);

        Panel column(&rig.client);
        for (const QString& title : {QStringLiteral("Type"), QString(), QStringLiteral(" ")})
            column.CreateLabel(cell(title));
        QCOMPARE(column.itemCount(), 3);
    }

    void registration()
    {
        LayoutRig rig;
        Panel panel(&rig.client);
        panel.init(&rig.window, QPoint(), false);
        QCOMPARE(rig.client.panelList().count(&panel), 1);
        QVERIFY(panel.isFlat() && !panel.caption());
        panel.fit();
        QCOMPARE(rig.client.panelList().count(&panel), 1);
        addCells(panel, 2);
        panel.clear();
        QVERIFY(panel.isEmpty());
        QVERIFY(rig.client.panelList().isEmpty());

        // A panel without a client lays out all the same.
        Panel lone(nullptr);
        lone.init(&rig.window, QPoint(), true);
        addCells(lone, 2);
        lone.fit();
        QCOMPARE(lone.geometry().height(), 2 * 21 - 2 + 9 + 12 + 21);
    }

    // The panel's colour scheme goes to its frame, caption and controls.
    void colourScheme()
    {
        LayoutRig rig;
        Panel panel(&rig.client);
        ColorManager own;
        panel.setColorManager(&own);
        QCOMPARE(panel.colorManager(), &own);
        // Initialising drops an own scheme: the client's is used.
        panel.init(&rig.window, QPoint(), true);
        QCOMPARE(panel.colorManager(), &rig.client.colorManager());
        QCOMPARE(panel.caption()->colorManager(), &rig.client.colorManager());
        QCOMPARE(panel.Colored::colorManager(), &rig.client.colorManager());
        auto* label = new MidiLabel(&panel, cell());
        panel.addControl(label);
        QCOMPARE(label->colorManager(), &rig.client.colorManager());
    }

    void enabledFlag()
    {
        LayoutRig rig;
        Panel panel(&rig.client);
        auto* label = new MidiLabel(&panel, cell());
        panel.addControl(label);
        panel.setEnabled(false);
        QVERIFY(!panel.enabled() && label->isGrayed());
        // Greyed, not disabled: the widget still works.
        QVERIFY(label->isEnabled());
        panel.setEnabled(true);
        QVERIFY(!label->isGrayed());
    }

    void selectedItem()
    {
        LayoutRig rig;
        auto* elsewhere = new QLineEdit(&rig.window);
        Panel panel(&rig.client);
        panel.init(&rig.window, QPoint(0, 40), true);
        addCells(panel, 3);
        panel.widgetAt(2)->setFocusPolicy(Qt::StrongFocus);
        rig.window.show();
        QVERIFY(QTest::qWaitForWindowActive(&rig.window));
        elsewhere->setFocus();
        QCOMPARE(panel.selectedItemIndex(), -1);
        QVERIFY(!panel.hasFocus());
        panel.widgetAt(2)->setFocus();
        QCOMPARE(panel.selectedItemIndex(), 2);
        QVERIFY(panel.hasFocus());
    }
};

ORVANE_TEST_MAIN(TestPanelGrid)
#include "tst_panelgrid.moc"
