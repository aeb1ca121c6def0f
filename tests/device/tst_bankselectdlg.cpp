// The bank select dialog offscreen: what it shows, what OK gives after the
// links and ticks, Cancel, and the modal call answered through the prompts.
#include "BankSelectDlg.h"
#include "DeviceBank.h"
#include "Prompts.h"
#include "TestEnvironment.h"
#include "TestSysex.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace {

const QString AllLink = QStringLiteral("<a href='all'>All</a>");
const QString NoneLink = QStringLiteral("<a href='none'>None</a>");

QLabel* label(const QDialog& dlg, const QString& text)
{
    for (QLabel* l : dlg.findChildren<QLabel*>()) {
        if (l->text() == text)
            return l;
    }
    return nullptr;
}

// Follows a link the way a click does: through the label's signal.
void follow(const QDialog& dlg, const QString& link, const QString& target)
{
    QLabel* l = label(dlg, link);
    QVERIFY(l);
    emit l->linkActivated(target);
}

QStringList lineTexts(const CheckListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text() + (list->checked(i) ? QStringLiteral(" +") : QStringLiteral(" -"));
    return texts;
}

QStringList names(const BankSet& set)
{
    QStringList list;
    for (int i = 0; i < set.size(); ++i)
        list << set.bankAt(i)->name();
    return list;
}

} // namespace

class TestBankSelectDlg : public QObject
{
    Q_OBJECT

    TestDevice* device = nullptr;
    BankSet offered;

private slots:
    void init()
    {
        device = new TestDevice;
        offered.clear();
        offered.append(device->createSharedBank(QStringLiteral("USER1"), 0x3F08, 128));
        offered.append(device->createSharedBank(QStringLiteral("USER2"), 0x3F09, 128));
        offered.append(device->createSharedBank(QStringLiteral("USER3"), 0x3F0A, 128));
    }

    void cleanup()
    {
        offered.clear();
        delete device;
        device = nullptr;
    }

    void shows()
    {
        QWidget parent;
        BankSelectDlg dlg(offered, QStringLiteral("Receive Banks"), QStringLiteral("Banks to receive:"),
                          &parent);

        QCOMPARE(dlg.windowTitle(), QStringLiteral("Receive Banks"));
        QCOMPARE(dlg.parentWidget(), &parent);
        QVERIFY(label(dlg, QStringLiteral("Banks to receive:")));
        QVERIFY(label(dlg, AllLink));
        QVERIFY(label(dlg, NoneLink));
        QCOMPARE(lineTexts(dlg.checkList()), QStringList({"USER1 +", "USER2 +", "USER3 +"}));
        QVERIFY(dlg.chosen().isEmpty());

        const BankSet empty;
        BankSelectDlg nothing(empty, QString(), QString(), nullptr);
        QCOMPARE(nothing.checkList()->count(), 0);
        follow(nothing, AllLink, QStringLiteral("all"));
        nothing.buttons()->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(nothing.result(), 1);
        QVERIFY(nothing.chosen().isEmpty());
    }

    // OK gives the ticked banks in the offered order, whatever order they
    // were ticked in.
    void okAfterLinksAndTicks_data()
    {
        QTest::addColumn<QStringList>("actions"); // "all", "none", or a line index to toggle
        QTest::addColumn<QStringList>("chosen");

        QTest::newRow("untouched") << QStringList() << QStringList({"USER1", "USER2", "USER3"});
        QTest::newRow("none") << QStringList({"none"}) << QStringList();
        QTest::newRow("none, then two ticked backwards")
            << QStringList({"none", "2", "0"}) << QStringList({"USER1", "USER3"});
        QTest::newRow("one unticked") << QStringList({"1"}) << QStringList({"USER1", "USER3"});
        QTest::newRow("none, then all")
            << QStringList({"none", "all"}) << QStringList({"USER1", "USER2", "USER3"});
    }

    void okAfterLinksAndTicks()
    {
        QFETCH(QStringList, actions);
        QFETCH(QStringList, chosen);
        BankSelectDlg dlg(offered, QStringLiteral("Banks"), QStringLiteral("Which banks?"), nullptr);
        CheckListWidget* list = dlg.checkList();
        for (const QString& action : actions) {
            if (action == QLatin1String("all"))
                follow(dlg, AllLink, action);
            else if (action == QLatin1String("none"))
                follow(dlg, NoneLink, action);
            else
                list->setChecked(action.toInt(), !list->checked(action.toInt()));
        }

        dlg.buttons()->button(QDialogButtonBox::Ok)->click();

        QCOMPARE(dlg.result(), 1);
        QCOMPARE(names(dlg.chosen()), chosen);
        // The same bank objects as offered, not copies.
        for (const auto& bank : dlg.chosen())
            QVERIFY(offered.contains(bank));
    }

    void cancelGivesNothing()
    {
        BankSelectDlg dlg(offered, QStringLiteral("Banks"), QStringLiteral("Which banks?"), nullptr);
        follow(dlg, NoneLink, QStringLiteral("none"));
        dlg.checkList()->setChecked(1, true);

        dlg.buttons()->button(QDialogButtonBox::Cancel)->click();

        QCOMPARE(dlg.result(), 0);
        QVERIFY(dlg.chosen().isEmpty());
    }

    // The modal call, answered the ways a user can.
    void getBanks_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("chosen");

        QTest::newRow("OK") << "ok" << QStringList({"USER1", "USER2", "USER3"});
        QTest::newRow("OK after one unticked") << "untick" << QStringList({"USER1", "USER3"});
        QTest::newRow("Cancel") << "cancel" << QStringList();
        QTest::newRow("window closed") << "close" << QStringList();
    }

    void getBanks()
    {
        QFETCH(QString, answer);
        QFETCH(QStringList, chosen);
        QWidget parent;
        ScriptedPrompts prompts;
        prompts.onDialog([&](QDialog* dialog) {
            auto* dlg = qobject_cast<BankSelectDlg*>(dialog);
            if (!dlg)
                return;
            if (answer == QLatin1String("untick"))
                dlg->checkList()->setChecked(1, false);
            if (answer == QLatin1String("close")) {
                // Only a window on screen can be closed by its frame.
                dlg->show();
                dlg->close();
            }
        });
        const bool ok = answer == QLatin1String("ok") || answer == QLatin1String("untick");
        if (answer != QLatin1String("close"))
            prompts.script(ScriptedPrompts::Kind::Dialog, int(ok ? QDialog::Accepted : QDialog::Rejected));

        const BankSet result =
            BankSelectDlg::getBanks(offered, QStringLiteral("Send Banks"), QStringLiteral("Send:"), &parent);

        QCOMPARE(prompts.count(ScriptedPrompts::Kind::Dialog), 1);
        QCOMPARE(prompts.last(ScriptedPrompts::Kind::Dialog).title, QStringLiteral("Send Banks"));
        QCOMPARE(prompts.last(ScriptedPrompts::Kind::Dialog).parent.data(), &parent);
        QCOMPARE(names(result), chosen);
        if (!result.isEmpty())
            QCOMPARE(result.bankAt(0), offered.bankAt(0));
    }
};

ORVANE_TEST_MAIN(TestBankSelectDlg)
#include "tst_bankselectdlg.moc"
