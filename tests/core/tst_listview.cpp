// The table that asks its owner for what it shows: only the rows on screen
// are asked for, a check box click reaches the owner once, a header click
// sorts (the other way at the next click), and a refresh keeps the
// selection of the rows that are still there; cells are edited through the
// owner's editor and commit, keys and drops reach the owner's hooks.
#include "ListView.h"
#include "TestEnvironment.h"

#include <QDropEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QSignalSpy>

#include <memory>

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

// Rows of column 0 draggable, column 1 editable; records what reaches the
// editing and dropping hooks.
class EditingList : public ListView
{
public:
    QStringList events;
    using ListView::dropEvent;

    int rows() override { return 5; }
    int columns() override { return 2; }
    int itemFlags(int, int column) override
    {
        return column == 0 ? int(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled)
                           : int(Qt::ItemIsEnabled | Qt::ItemIsEditable);
    }
    QString itemText(int row, int column) override { return QStringLiteral("%1/%2").arg(row).arg(column); }
    void onEnter() override { events << QStringLiteral("enter %1").arg(curSel()); }
    void onBack() override { events << QStringLiteral("back"); }
    void onDropMove(int row) override { events << QStringLiteral("move %1").arg(row); }
    void onDropCopy(int row, QWidget* source) override
    {
        events << QStringLiteral("copy %1 from %2").arg(row).arg(source == this ? "self" : "other");
    }
    void commitData(QWidget* editor) override
    {
        const QModelIndex cell = editedIndex();
        auto* line = qobject_cast<QLineEdit*>(editor);
        events << QStringLiteral("commit %1/%2 %3").arg(cell.row()).arg(cell.column()).arg(line ? line->text() : "");
    }
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

    void editorsAndKeys()
    {
        EditingList list;
        list.updateContents(true);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        list.setCurSel(2, 0);

        // Column 0 is not editable: no editor.
        list.editSelectedItem(0);
        QVERIFY(!list.indexWidget(list.model()->index(2, 0)));
        list.editSelectedItem(1);
        auto* line = qobject_cast<QLineEdit*>(list.indexWidget(list.model()->index(2, 1)));
        QVERIFY(line);
        QCOMPARE(line->text(), QStringLiteral("2/1"));
        line->setText(QStringLiteral("new"));
        QTest::keyClick(line, Qt::Key_Return);
        QTRY_COMPARE(list.events, QStringList{"commit 2/1 new"});

        // An editor that closes itself is committed too.
        list.events.clear();
        list.setCurSel(3, 0);
        list.editSelectedItem(1);
        auto* self = list.indexWidget(list.model()->index(3, 1));
        QVERIFY(self);
        self->close();
        QTRY_COMPARE(list.events, QStringList{"commit 3/1 3/1"});
        QTRY_VERIFY(!list.indexWidget(list.model()->index(3, 1)));

        // Return and Backspace without an editor reach the hooks.
        list.events.clear();
        list.setFocus();
        QTest::keyClick(&list, Qt::Key_Return);
        QTest::keyClick(&list, Qt::Key_Backspace);
        QCOMPARE(list.events, (QStringList{"enter 3", "back"}));
    }

    void dropsReachTheHooks_data()
    {
        QTest::addColumn<bool>("fromOther");
        // The drop's action: a drag from a ListView proposes a move, Ctrl
        // makes it a copy.
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("event");
        const int move = Qt::MoveAction;
        const int copy = Qt::CopyAction;
        QTest::newRow("own rows moved") << false << move << 1 << "move 1";
        QTest::newRow("own rows copied with Ctrl") << false << copy << 3 << "copy 3 from self";
        QTest::newRow("another list's rows copied") << true << move << 0 << "copy 0 from other";
        QTest::newRow("below the last row") << false << move << -1 << "move 5";
    }

    void dropsReachTheHooks()
    {
        QFETCH(bool, fromOther);
        QFETCH(int, action);
        QFETCH(int, row);
        QFETCH(QString, event);
        EditingList list;
        EditingList other;
        for (EditingList* l : {&list, &other}) {
            l->setDragDropMode(QAbstractItemView::DragDrop);
            l->resize(300, 400);
            l->updateContents(true);
            l->show();
        }
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        EditingList& source = fromOther ? other : list;
        const QModelIndexList dragged{source.model()->index(1, 0)};
        std::unique_ptr<QMimeData> data(source.model()->mimeData(dragged));
        const QPoint at = row < 0 ? QPoint(5, list.viewport()->height() - 2)
                                  : list.visualRect(list.model()->index(row, 0)).center();
        QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        drop.setDropAction(Qt::DropAction(action));
        list.dropEvent(&drop);
        // The hook runs once the drop is over.
        QVERIFY(list.events.isEmpty());
        QTRY_COMPARE(list.events, QStringList{event});
        QVERIFY(other.events.isEmpty());
    }
};

ORVANE_TEST_MAIN(TestListView)
#include "tst_listview.moc"
