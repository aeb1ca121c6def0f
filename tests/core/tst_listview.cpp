// The table that asks its owner for what it shows: only the rows on screen
// are asked for, a check box click reaches the owner once, a header click
// sorts (the other way at the next click), and a refresh keeps the
// selection of the rows that are still there.
#include "ListView.h"
#include "TestEnvironment.h"

#include <QHeaderView>
#include <QSignalSpy>

namespace {

class CountingList : public ListView
{
public:
    int rowCount = 1000000;
    int textCalls = 0;
    QList<QPair<int, bool>> sorts;
    QList<QPair<int, bool>> checks;
    QSet<int> ticked;

    int rows() override { return rowCount; }
    int columns() override { return 3; }
    QString headerText(int column) override { return QStringLiteral("Column %1").arg(column); }
    int headerWidth(int column) override { return column == 2 ? 0 : 120; }
    int itemFlags(int, int column) override
    {
        return column == 0 ? int(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable)
                           : int(Qt::ItemIsEnabled);
    }
    QString itemText(int row, int column) override
    {
        ++textCalls;
        return QStringLiteral("%1/%2").arg(row).arg(column);
    }
    bool isItemChecked(int row, int) override { return ticked.contains(row); }
    void setItemChecked(int row, int column, bool value) override
    {
        checks.append({row * 10 + column, value});
        if (value)
            ticked.insert(row);
        else
            ticked.remove(row);
    }
    bool enableSort(int column) override { return column == 0; }
    void sort(int column, bool ascending) override { sorts.append({column, ascending}); }
};

} // namespace

class TestListView : public QObject
{
    Q_OBJECT

private slots:
    void asksForTheRowsOnScreenOnly()
    {
        CountingList list;
        list.resize(400, 300);
        list.updateContents(true);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        list.grab();
        QCOMPARE(list.model()->rowCount(), 1000000);
        QVERIFY(list.textCalls > 0);
        QVERIFY2(list.textCalls < 2000, qPrintable(QString::number(list.textCalls)));
        QCOMPARE(list.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Column 1"));
        QCOMPARE(list.columnWidth(0), 120);
        QVERIFY(list.isColumnHidden(2));

        list.textCalls = 0;
        list.scrollToBottom();
        list.grab();
        QVERIFY(list.textCalls > 0 && list.textCalls < 2000);
        QVERIFY(list.model()->index(999999, 1).data().toString() == QStringLiteral("999999/1"));
    }

    void checkBoxesAndHeaderClicks()
    {
        CountingList list;
        list.rowCount = 10;
        list.resize(400, 300);
        list.updateContents(true);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));

        // One click on a check box: one call, asking for the other state.
        const QRect cell = list.visualRect(list.model()->index(2, 0));
        const QPoint box(cell.left() + 10, cell.center().y());
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, box);
        QCOMPARE(list.checks, (QList<QPair<int, bool>>{{20, true}}));
        QCOMPARE(list.model()->index(2, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        QCOMPARE(list.model()->index(2, 1).data(Qt::CheckStateRole), QVariant());

        QHeaderView* header = list.horizontalHeader();
        auto clickHeader = [&](int column) {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(column) + 5, 5));
        };
        clickHeader(0);
        clickHeader(0);
        clickHeader(1); // not sortable
        clickHeader(0);
        QCOMPARE(list.sorts, (QList<QPair<int, bool>>{{0, true}, {0, false}, {0, true}}));
    }

    void selectionAndCaret()
    {
        CountingList list;
        list.rowCount = 10;
        list.updateContents(true);
        QSignalSpy changed(&list, qOverload<>(&ListView::selectionChanged));
        QCOMPARE(list.curSel(), -1);
        list.setCurSel(4, 0);
        QCOMPARE(list.curSel(), 4);
        list.setRowSelected(8, true);
        list.setRowSelected(6, true);
        QCOMPARE(changed.count(), 3);
        // Only the selectable column is reported: one index a row.
        QCOMPARE(list.selectionModel()->selectedIndexes().size(), 3);

        list.moveCaret(1, 0);
        QCOMPARE(list.curSel(), 1);
        QCOMPARE(list.selectionModel()->selectedRows().size(), 3);

        // Changed rows keep their selection; rows gone from the end leave it.
        list.rowCount = 7;
        list.updateContents(false);
        QCOMPARE(list.model()->rowCount(), 7);
        QList<int> rows;
        for (const QModelIndex& index : list.selectionModel()->selectedRows())
            rows << index.row();
        std::sort(rows.begin(), rows.end());
        QCOMPARE(rows, (QList<int>{4, 6}));

        // Other rows: nothing selected, no caret.
        list.updateContents(true);
        QVERIFY(!list.selectionModel()->hasSelection());
        QCOMPARE(list.curSel(), -1);

        list.addIcon(QStringLiteral("core:dup.png"));
        QVERIFY(!list.icon(0).isNull());
        QVERIFY(list.icon(1).isNull());
        QVERIFY(!list.icon(2).isNull());
    }
};

ORVANE_TEST_MAIN(TestListView)
#include "tst_listview.moc"
