// The patch browser: the filter language, the rows of a bank set, the
// type-ahead rebuild and its history, and the choice read back without a
// control.
#include "ComboBox.h"
#include "DeviceBank.h"
#include "ParamSearchDlg.h"
#include "TestEnvironment.h"
#include "TestSysex.h"
#include "Waiting.h"

#include <QLineEdit>
#include <QTreeWidget>

#include <memory>

namespace {

const char* const BrowserBanks = R"(
[SET]
Ridev=2
0=63,00,PRE1
1=63,01,PRE2

[PRE1]
Ridev=6
0=Ap:Full Grand
1=---
2=(empty)
3=Seq:Up:Oct
4=Plain Grand
5=St:Strings&Pad

[PRE2]
Ridev=2
1=Ap:Rock Piano
)";

QStringList dialogColumn(const QTreeWidget* list, int c)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(c);
    return texts;
}

} // namespace

class TestParamSearchDlg : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDevice> m_device;
    BankSet m_set;

private slots:
    void initTestCase()
    {
        m_device = std::make_unique<TestDevice>(QStringLiteral("Browser ES"));
        m_device->ini()->loadText(QString::fromUtf8(BrowserBanks));
        m_set.load(m_device.get(), QStringLiteral("SET"));
    }
    void cleanupTestCase()
    {
        m_set.clear();
        m_device.reset();
    }

    void match_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("matches");
        QTest::newRow("name") << "grand"
                              << "Ap:Full Grand" << true;
        QTest::newRow("upper case filter") << "GRAND"
                                           << "Ap:Full Grand" << true;
        QTest::newRow("names only") << "ap"
                                    << "Ap:Full Grand" << false;
        QTest::newRow("category") << "ap:"
                                  << "Ap:Full Grand" << true;
        QTest::newRow("category of a plain name") << "ap:"
                                                  << "Plain" << false;
        QTest::newRow("both") << "ap:gr:x"
                              << "Ap:Full Grand" << true;
        QTest::newRow("both, other category") << "st:gr"
                                              << "Ap:Full Grand" << false;
        QTest::newRow("lone colon") << ":"
                                    << "Plain" << true;
        QTest::newRow("empty") << ""
                               << "Seq:Up:Oct" << true;
        QTest::newRow("past the second colon") << "oct"
                                               << "Seq:Up:Oct" << false;
    }
    void match()
    {
        QFETCH(QString, filter);
        QFETCH(QString, item);
        QFETCH(bool, matches);
        QString category;
        QString name;
        ParamSearchDlg::parseFilters(filter.toLower(), category, name);
        QCOMPARE(ParamSearchDlg::match(item, category, name), matches);
    }

    // Every named patch in source order; placeholders never show. Names are
    // split into name and category; the data is the packed patch.
    void rows()
    {
        ParamSearchDlg dialog(m_device.get(), &m_set);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Patch Browser"));
        const QTreeWidget* list = dialog.list();
        QCOMPARE(list->headerItem()->text(2), QStringLiteral("Program"));
        QCOMPARE(dialogColumn(list, 0),
                 (QStringList{"Full Grand", "Up", "Plain Grand", "Strings&Pad", "Rock Piano"}));
        QCOMPARE(dialogColumn(list, 1), (QStringList{"Ap", "Seq", "", "St", "Ap"}));
        QCOMPARE(dialogColumn(list, 2),
                 (QStringList{"001 (A01)", "004 (A04)", "005 (A05)", "006 (A06)", "002 (A02)"}));
        QCOMPARE(dialogColumn(list, 3), (QStringList{"PRE1", "PRE1", "PRE1", "PRE1", "PRE2"}));
        QCOMPARE(list->topLevelItem(4)->data(0, Qt::UserRole).toUInt(), Patch(0x3F01, 1).toUInt());
        QVERIFY(list->selectedItems().isEmpty());

        dialog.loadFiltered(QStringLiteral("ap:"));
        QCOMPARE(dialogColumn(list, 0), (QStringList{"Full Grand", "Rock Piano"}));
        dialog.loadFiltered(QStringLiteral("grand"));
        QCOMPARE(dialogColumn(list, 0), (QStringList{"Full Grand", "Plain Grand"}));
    }

    // Without a control a row only sets the choice, which stays when a
    // rebuild empties the selection.
    void choiceWithoutControl()
    {
        ParamSearchDlg dialog(m_device.get(), &m_set);
        QVERIFY(!dialog.patch().isValid());
        QTreeWidget* list = dialog.list();
        list->setCurrentItem(list->topLevelItem(4));
        QCOMPARE(dialog.patch(), Patch(0x3F01, 1));
        QCOMPARE(dialog.selectedGroup, QStringLiteral("PRE2"));
        dialog.loadFiltered(QStringLiteral("grand"));
        QCOMPARE(dialog.patch(), Patch(0x3F01, 1));

        // A double click on no row does nothing.
        list->clearSelection();
        emit list->itemDoubleClicked(nullptr, 0);
        QCOMPARE(dialog.result(), 0);
    }

    // Typing rebuilds the list once, 600 ms after the last key; the filter
    // joins the history all patch browsers share.
    void typeAhead()
    {
        {
            ParamSearchDlg dialog(m_device.get(), &m_set);
            QTest::keyClicks(dialog.filterBox()->lineEdit(), "piano");
            QCOMPARE(dialog.list()->topLevelItemCount(), 5);
            QTRY_COMPARE_WITH_TIMEOUT(dialog.list()->topLevelItemCount(), 1, Waiting::EventMs);
            QCOMPARE(dialog.filterBox()->history(), QStringList{"piano"});
        }
        ParamSearchDlg next(m_device.get(), &m_set);
        QCOMPARE(next.filterBox()->history(), QStringList{"piano"});
        QCOMPARE(next.filterBox()->currentText(), QString());
        QCOMPARE(next.list()->topLevelItemCount(), 5);
    }
};

ORVANE_TEST_MAIN(TestParamSearchDlg)
#include "tst_paramsearchdlg.moc"
