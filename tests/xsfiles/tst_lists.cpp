// Editing slot lists by index sets.
#include "TestEnvironment.h"
#include "XS_Lists.h"

#include <QTest>

namespace {

QString letters(const QList<QChar>& list)
{
    return QString(list.constData(), list.size());
}

QList<QChar> listOf(const QString& text)
{
    return QList<QChar>(text.cbegin(), text.cend());
}

} // namespace

class TestLists : public QObject
{
    Q_OBJECT

private slots:
    void sortList()
    {
        ints list{3, 1, 2, 1};
        SortList<ints, std::less<int>>(list);
        QCOMPARE(list, (ints{1, 1, 2, 3}));
        SortList<ints, std::greater<int>>(list);
        QCOMPARE(list, (ints{3, 2, 1, 1}));
    }

    void removeItems_data()
    {
        QTest::addColumn<ints>("indexes");
        QTest::addColumn<QString>("left");
        QTest::newRow("some outside") << ints{1, 3, 9} << "PRT";
        QTest::newRow("repeated") << ints{3, 1, 3} << "PRT";
        QTest::newRow("all, any order") << ints{2, 0, 4, 1, 3} << "";
        QTest::newRow("negative") << ints{-1} << "PQRST";
    }

    void removeItems()
    {
        QFETCH(ints, indexes);
        QFETCH(QString, left);
        QList<QChar> list = listOf(QStringLiteral("PQRST"));
        RemoveItems(list, indexes);
        QCOMPARE(letters(list), left);
    }

    void reorganize_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("position");
        QTest::addColumn<ints>("indexes");
        QTest::addColumn<QString>("result");
        QTest::addColumn<int>("newPosition");
        QTest::newRow("ends to the middle") << "PQRST" << 3 << ints{0, 4} << "QRPTS" << 2;
        QTest::newRow("to the front, as given") << "PQRST" << 0 << ints{3, 1} << "SQPRT" << 0;
        QTest::newRow("to the end") << "01234" << 5 << ints{0, 1} << "23401" << 3;
        QTest::newRow("nothing") << "PQRST" << 2 << ints{} << "PQRST" << 2;
    }

    void reorganize()
    {
        QFETCH(QString, list);
        QFETCH(int, position);
        QFETCH(ints, indexes);
        QFETCH(QString, result);
        QFETCH(int, newPosition);
        QList<QChar> items = listOf(list);
        QVERIFY(Reorganize(items, position, indexes));
        QCOMPARE(letters(items), result);
        QCOMPARE(position, newPosition);
    }

    // A selection with an index outside the list or twice the same index is
    // refused as a whole.
    void reorganizeRefusesBadSelections_data()
    {
        QTest::addColumn<ints>("indexes");
        QTest::newRow("past the end") << ints{1, 5};
        QTest::newRow("negative") << ints{-1};
        QTest::newRow("repeated") << ints{2, 2};
    }

    void reorganizeRefusesBadSelections()
    {
        QFETCH(ints, indexes);
        QList<QChar> items = listOf(QStringLiteral("PQRST"));
        int position = 1;
        QVERIFY(!Reorganize(items, position, indexes));
        QCOMPARE(letters(items), QStringLiteral("PQRST"));
        QCOMPARE(position, 1);

        SlotList<int*> recorded;
        int values[5] = {};
        for (int& v : values)
            recorded.append(&v);
        recorded.setKeepOrder(true);
        QVERIFY(!recorded.reorganize(position, indexes));
        QCOMPARE(recorded.at(0), &values[0]);
    }
};

ORVANE_TEST_GUILESS_MAIN(TestLists)
#include "tst_lists.moc"
