// A list's header on a refresh: texts that changed are shown, and a header
// whose texts stayed is left alone (painting it asks the selection about
// every row of a column, which costs a walk of every row of a large list).
#include "ListView.h"
#include "TestEnvironment.h"

#include <QHeaderView>
#include <QSignalSpy>

class TestListHeader : public QObject
{
    Q_OBJECT

    class HeaderList : public ListView
    {
    public:
        QString first = QStringLiteral("Patch");
        int rows() override { return 1000; }
        int columns() override { return 2; }
        QString headerText(int column) override { return column == 0 ? first : QStringLiteral("Number"); }
        int headerWidth(int) override { return 100; }
    };

private slots:
    void refreshTellsOnlyChangedTexts()
    {
        HeaderList list;
        list.updateContents(true);
        QSignalSpy told(list.model(), &QAbstractItemModel::headerDataChanged);

        list.updateContents(false);
        QCOMPARE(told.count(), 0);

        list.first = QStringLiteral("Bank");
        list.updateContents(false);
        QCOMPARE(told.count(), 1);
        QCOMPARE(list.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Bank"));

        // A reset starts from the texts it shows.
        list.first = QStringLiteral("Folder");
        list.updateContents(true);
        list.updateContents(false);
        QCOMPARE(told.count(), 1);
        QCOMPARE(list.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Folder"));
    }
};

ORVANE_TEST_MAIN(TestListHeader)
#include "tst_listheader.moc"
