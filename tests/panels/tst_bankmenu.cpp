// The bank pop-up menu: both layouts as built, and the patch it gives through
// a scripted pop-up.
#include "BankMenu.h"
#include "DeviceBank.h"
#include "Prompts.h"
#include "TestEnvironment.h"
#include "TestSysex.h"

#include <QAction>
#include <QCursor>

#include <memory>

namespace {

using Kind = ScriptedPrompts::Kind;

const char* const BankMenuFixture = R"(
[SET]
Ridev=3
0=63,00,PRE1
1=63,01,PRE2
2=63,02,PRE3

[ONE]
Ridev=1
0=63,01,PRE2

[PRE1]
Ridev=4
0=Ap:Grand
1=Ap:Rock & Roll
2=Pd:Warm
3=NoGroup

[PRE2]
Ridev=3
0=Pd:Soft
1=:Odd
2=Ap:Never

[PRE3]
Ridev=2
0=Plain
1=Ap:Never
)";

// Every entry of a menu as "sub-menu/text", with its data and check mark, and
// the checked sub-menus.
struct BankMenuShape
{
    QStringList entries;
    QList<unsigned int> data;
    QStringList checked;
};

void describe(const QMenu* menu, const QString& prefix, BankMenuShape& shape)
{
    for (const QAction* a : menu->actions()) {
        const QString path = prefix.isEmpty() ? a->text() : prefix + u'/' + a->text();
        if (a->isChecked())
            shape.checked << path;
        if (const QMenu* sub = a->menu()) {
            describe(sub, path, shape);
        } else {
            shape.entries << path;
            shape.data << a->data().toUInt();
        }
    }
}

BankMenuShape shapeOf(const QMenu& menu)
{
    BankMenuShape shape;
    describe(&menu, QString(), shape);
    return shape;
}

unsigned int packed(unsigned short word, int program)
{
    return Patch(word, program).toUInt();
}

} // namespace

class TestBankMenu : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDevice> m_device;
    BankSet m_set;

private slots:
    void initTestCase()
    {
        m_device = std::make_unique<TestDevice>(QStringLiteral("Menu ES"));
        m_device->ini()->loadText(QString::fromUtf8(BankMenuFixture));
        m_set.load(m_device.get(), QStringLiteral("SET"));
        QCOMPARE(m_set.size(), 3);
    }

    void cleanupTestCase()
    {
        m_set.clear();
        m_device.reset();
    }

    void plainLayout()
    {
        BankMenu menu;
        menu.loadBanks(Patch(0x3F01, 2), m_set);
        const BankMenuShape shape = shapeOf(menu);
        QCOMPARE(shape.entries,
                 (QStringList{"PRE1/001  Ap:Grand", "PRE1/002  Ap:Rock && Roll", "PRE1/003  Pd:Warm",
                              "PRE1/004  NoGroup", "PRE2/001  Pd:Soft", "PRE2/002  :Odd",
                              "PRE2/003  Ap:Never", "PRE3/001  Plain", "PRE3/002  Ap:Never"}));
        QCOMPARE(shape.data.at(0), packed(0x3F00, 0));
        QCOMPARE(shape.data.at(6), packed(0x3F01, 2));
        QCOMPARE(shape.checked, (QStringList{"PRE2", "PRE2/003  Ap:Never"}));

        // Loading again replaces the entries.
        menu.loadBanks(Patch(), m_set);
        QCOMPARE(menu.actions().size(), 3);
    }

    void plainLayoutOfOneBank()
    {
        BankSet one(m_device.get(), QStringLiteral("ONE"));
        BankMenu menu;
        menu.loadBanks(Patch(0x3F01, 0), one);
        const BankMenuShape shape = shapeOf(menu);
        QCOMPARE(shape.entries, (QStringList{"001  Pd:Soft", "002  :Odd", "003  Ap:Never"}));
        QCOMPARE(shape.checked, QStringList{"001  Pd:Soft"});
    }

    void fullBankNumbersItsPrograms()
    {
        BankSet full;
        full.append(m_device->createSharedBank(QStringLiteral("FULL"), 0x3F10, 128));
        BankMenu menu;
        menu.loadBanks(Patch(), full);
        QCOMPARE(menu.actions().size(), 128);
        QCOMPARE(menu.actions().first()->text(), QStringLiteral("001  ---"));
        QCOMPARE(menu.actions().last()->text(), QStringLiteral("128  ---"));
        QCOMPARE(menu.actions().last()->data().toUInt(), packed(0x3F10, 127));
    }

    void groupedLayout()
    {
        BankMenu menu;
        menu.loadBanks2(Patch(0x3F00, 1), m_set);
        const BankMenuShape shape = shapeOf(menu);
        // PRE1 stops at "NoGroup", PRE2 at ":Odd", PRE3 gives nothing.
        QCOMPARE(shape.entries, (QStringList{"Ap/PRE1:Ap:Grand", "Ap/PRE1:Ap:Rock && Roll", "Pd/PRE1:Pd:Warm",
                                             "Pd/PRE2:Pd:Soft"}));
        QCOMPARE(shape.data, (QList<unsigned int>{packed(0x3F00, 0), packed(0x3F00, 1), packed(0x3F00, 2),
                                                  packed(0x3F01, 0)}));
        QCOMPARE(shape.checked, (QStringList{"Ap", "Ap/PRE1:Ap:Rock && Roll"}));
    }

    void nothingCheckedOutsideTheSet_data()
    {
        QTest::addColumn<bool>("grouped");
        QTest::addColumn<Patch>("current");
        QTest::newRow("plain, other bank") << false << Patch(0x3F05, 0);
        QTest::newRow("plain, invalid") << false << Patch();
        QTest::newRow("grouped, other bank") << true << Patch(0x3F05, 0);
        QTest::newRow("grouped, invalid") << true << Patch();
        // A current patch without a group marks no group.
        QTest::newRow("grouped, ungrouped name") << true << Patch(0x3F00, 3);
    }

    void nothingCheckedOutsideTheSet()
    {
        QFETCH(bool, grouped);
        QFETCH(Patch, current);
        BankMenu menu;
        if (grouped)
            menu.loadBanks2(current, m_set);
        else
            menu.loadBanks(current, m_set);
        QVERIFY(!menu.isEmpty());
        QCOMPARE(shapeOf(menu).checked, QStringList());
    }

    void getPatchThroughThePopup()
    {
        ScriptedPrompts prompts;
        QWidget anchor;
        anchor.setGeometry(100, 200, 80, 24);

        prompts.script(Kind::Popup, packed(0x3F01, 0));
        const Patch picked = BankMenu::getPatch(&anchor, m_set, Patch(), true);
        QVERIFY(picked.isValid());
        QCOMPARE(picked.toUInt(), packed(0x3F01, 0));
        QCOMPARE(prompts.last(Kind::Popup).pos, anchor.mapToGlobal(QPoint(0, 24)));
        QCOMPARE(prompts.last(Kind::Popup).items, (QStringList{"Ap", "Pd"}));

        // Without a parent, at the mouse pointer; closing gives the invalid patch.
        QVERIFY(!BankMenu::getPatch(nullptr, m_set, Patch(), false).isValid());
        QCOMPARE(prompts.last(Kind::Popup).pos, QCursor::pos());
        QCOMPARE(prompts.last(Kind::Popup).items, (QStringList{"PRE1", "PRE2", "PRE3"}));

        // An empty set is not even shown.
        const int shown = prompts.count(Kind::Popup);
        QVERIFY(!BankMenu::getPatch(nullptr, BankSet(), Patch(), false).isValid());
        QCOMPARE(prompts.count(Kind::Popup), shown);
    }
};

ORVANE_TEST_MAIN(TestBankMenu)
#include "tst_bankmenu.moc"
