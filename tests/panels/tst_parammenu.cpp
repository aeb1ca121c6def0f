// The value pop-up menu: its entries, sub-menus and check marks as built, and
// the value it gives through a scripted pop-up.
#include "DeviceTable.h"
#include "ParamMenu.h"
#include "Prompts.h"
#include "TestEnvironment.h"

#include <QAction>
#include <QMenu>

namespace {

using Kind = ScriptedPrompts::Kind;

// One leaf of a built menu: the titles of the sub-menus above it and its own
// text joined by "/", its value and its check mark.
struct MenuLeaf
{
    QString path;
    int value;
    bool checked;
};

void collectLeaves(const QMenu* menu, const QString& prefix, QList<MenuLeaf>& out, QStringList* checkedMenus)
{
    for (const QAction* a : menu->actions()) {
        const QString path = prefix.isEmpty() ? a->text() : prefix + u'/' + a->text();
        if (const QMenu* sub = a->menu()) {
            if (checkedMenus && a->isChecked())
                *checkedMenus << path;
            collectLeaves(sub, path, out, checkedMenus);
        } else {
            out.append({path, a->data().toInt(), a->isChecked()});
        }
    }
}

QList<MenuLeaf> leavesOf(const QMenu& menu, QStringList* checkedMenus = nullptr)
{
    QList<MenuLeaf> out;
    collectLeaves(&menu, QString(), out, checkedMenus);
    return out;
}

QStringList topTexts(const QMenu& menu)
{
    QStringList texts;
    for (const QAction* a : menu.actions())
        texts << a->text();
    return texts;
}

void addEntry(DeviceTable& table, const QString& path, const QString& text)
{
    TableData d(int(table.size()) * 10, text);
    d.path = path;
    table.append(d);
}

} // namespace

class TestParamMenu : public QObject
{
    Q_OBJECT

private slots:
    void rangeOfNumbers()
    {
        ParamMenu menu;
        menu.init(nullptr, 2, -1, 3);
        const QList<MenuLeaf> leaves = leavesOf(menu);
        QCOMPARE(leaves.size(), 5);
        QStringList texts;
        for (const MenuLeaf& l : leaves) {
            texts << l.path;
            QCOMPARE(l.value, l.path.toInt());
            QCOMPARE(l.checked, l.value == 2);
        }
        QCOMPARE(texts, (QStringList{"-1", "0", "1", "2", "3"}));
        for (const QAction* a : menu.actions())
            QVERIFY(a->isCheckable() && a->isEnabled());

        // Building again replaces the entries.
        menu.init(nullptr, 0, 0, 1);
        QCOMPARE(topTexts(menu), (QStringList{"0", "1"}));
    }

    void emptyRanges_data()
    {
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<bool>("withTable");
        QTest::newRow("one value") << 5 << 5 << false;
        QTest::newRow("reversed") << 5 << 4 << false;
        QTest::newRow("no table, max -1") << 0 << -1 << false;
        QTest::newRow("empty table, max -1") << 0 << -1 << true;
    }

    void emptyRanges()
    {
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(bool, withTable);
        DeviceTable table;
        ScriptedPrompts prompts;
        QCOMPARE(ParamMenu::getValue(nullptr, QPoint(), withTable ? &table : nullptr, min, min, max),
                 std::nullopt);
        // An empty menu is not even shown.
        QCOMPARE(prompts.count(Kind::Popup), 0);
    }

    void tablePathsAndMarks()
    {
        DeviceTable table;
        addEntry(table, "Reverb", "Hall 1");        // 0
        addEntry(table, "", "Thru");                // 1
        addEntry(table, "Chorus|Flange", "Fl & 1"); // 2
        addEntry(table, "Reverb", "Hall 2");        // 3
        addEntry(table, "Chorus|Flange", "Fl 2");   // 4
        addEntry(table, "Chorus", "Cho 1");         // 5
        addEntry(table, "x||y", "deep");            // 6

        ParamMenu menu;
        QStringList checkedMenus;
        // Values -1 and 7 lie outside the table: numbers at the top level.
        menu.init(&table, 4, -1, 7);
        const QList<MenuLeaf> leaves = leavesOf(menu, &checkedMenus);

        QCOMPARE(topTexts(menu), (QStringList{"-1", "Reverb", "Thru", "Chorus", "x", "7"}));
        QStringList paths;
        QList<int> values;
        QStringList checkedLeaves;
        for (const MenuLeaf& l : leaves) {
            paths << l.path;
            values << l.value;
            if (l.checked)
                checkedLeaves << l.path;
        }
        QCOMPARE(paths, (QStringList{"-1", "Reverb/Hall 1", "Reverb/Hall 2", "Thru", "Chorus/Flange/Fl && 1",
                                     "Chorus/Flange/Fl 2", "Chorus/Cho 1", "x//y/deep", "7"}));
        // The data is the table index, not the entry's own value.
        QCOMPARE(values, (QList<int>{-1, 0, 3, 1, 2, 4, 5, 6, 7}));
        // The check mark runs down the path to the current value, nowhere else.
        QCOMPARE(checkedLeaves, QStringList{"Chorus/Flange/Fl 2"});
        QCOMPARE(checkedMenus, (QStringList{"Chorus", "Chorus/Flange"}));
    }

    void fullSubMenusSplit_data()
    {
        QTest::addColumn<bool>("throughInit");
        QTest::newRow("init") << true;
        QTest::newRow("appendItem") << false;
    }

    void fullSubMenusSplit()
    {
        QFETCH(bool, throughInit);
        DeviceTable table;
        for (int i = 0; i < 300; ++i)
            addEntry(table, "Pad", QString::number(i));
        addEntry(table, "", "last");

        ParamMenu menu;
        const int current = 280;
        if (throughInit) {
            menu.init(&table, current, 0, 300);
        } else {
            for (int v = 0; v <= 300; ++v) {
                QStringList path = table.at(v).fullPathName().split(u'|');
                ParamMenu::appendItem(&menu, &path, v, current);
                QVERIFY(path.isEmpty());
            }
        }
        const QList<QAction*> top = menu.actions();
        QCOMPARE(topTexts(menu), (QStringList{"Pad", "Pad", "last"}));
        QCOMPARE(top.at(0)->menu()->actions().size(), 256);
        QCOMPARE(top.at(1)->menu()->actions().size(), 44);
        QCOMPARE(top.at(1)->menu()->actions().first()->data().toInt(), 256);
        QVERIFY(!top.at(0)->isChecked());
        QVERIFY(top.at(1)->isChecked());
        // The top level has no cap.
        ParamMenu numbers;
        numbers.init(nullptr, 0, 0, 999);
        QCOMPARE(numbers.actions().size(), 1000);
    }

    void appendItemIgnoresNullAndEmpty()
    {
        QMenu menu;
        ParamMenu::appendItem(&menu, nullptr, 1, 1);
        QStringList empty;
        ParamMenu::appendItem(&menu, &empty, 1, 1);
        QVERIFY(menu.isEmpty());
    }

    void wideRangesAreCapped_data()
    {
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        const int cap = ParamMenu::MaxEntries;
        QTest::newRow("range of the cap, whole") << 0 << cap - 1 << 5 << 0 << cap - 1;
        QTest::newRow("three-byte, current inside")
            << 0 << (1 << 21) - 1 << 1000000 << 1000000 - cap / 2 << 1000000 + cap / 2 - 1;
        QTest::newRow("current near the low end") << 0 << (1 << 21) - 1 << 3 << 0 << cap - 1;
        QTest::newRow("current near the high end")
            << 0 << (1 << 21) - 1 << (1 << 21) - 2 << (1 << 21) - cap << (1 << 21) - 1;
        QTest::newRow("current outside") << -100 << (1 << 28) << -1000 << -100 << -100 + cap - 1;
        QTest::newRow("whole int range") << INT_MIN << INT_MAX << 0 << -cap / 2 << cap / 2 - 1;
    }

    void wideRangesAreCapped()
    {
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(int, current);
        QFETCH(int, first);
        QFETCH(int, last);
        int f = 0;
        int l = 0;
        ParamMenu::entryWindow(current, min, max, f, l);
        QCOMPARE(f, first);
        QCOMPARE(l, last);
    }

    void capBuildsAroundCurrent()
    {
        ParamMenu menu;
        menu.init(nullptr, 1000000, 0, (1 << 21) - 1);
        const QList<QAction*> actions = menu.actions();
        QCOMPARE(actions.size(), ParamMenu::MaxEntries);
        QCOMPARE(actions.first()->data().toInt(), 1000000 - ParamMenu::MaxEntries / 2);
        int checked = 0;
        for (const QAction* a : actions) {
            if (a->isChecked()) {
                ++checked;
                QCOMPARE(a->data().toInt(), 1000000);
            }
        }
        QCOMPARE(checked, 1);
    }

    void getValueDistinguishesCancelFromMinusOne()
    {
        ScriptedPrompts prompts;
        QWidget parent;
        prompts.script(Kind::Popup, -1);
        QCOMPARE(ParamMenu::getValue(&parent, QPoint(30, 40), nullptr, 0, -5, 5), std::optional<int>(-1));
        const ScriptedPrompts::Call call = prompts.last(Kind::Popup);
        QCOMPARE(call.pos, QPoint(30, 40));
        QCOMPARE(call.parent.data(), &parent);
        QCOMPARE(call.items.size(), 11);

        // Closed without a choice.
        QCOMPARE(ParamMenu::getValue(&parent, QPoint(), nullptr, 0, -5, 5), std::nullopt);
    }

    void getValueWithTableEndsAtLastEntry()
    {
        DeviceTable table;
        addEntry(table, "A", "a0");
        addEntry(table, "A", "a1");
        addEntry(table, "B", "b & c");
        ScriptedPrompts prompts;
        prompts.script(Kind::Popup, 2);
        QCOMPARE(ParamMenu::getValue(nullptr, QPoint(), &table, 0, 0, -1), std::optional<int>(2));
        QCOMPARE(prompts.last(Kind::Popup).items, (QStringList{"A", "B"}));
        // A value outside the range is no entry to pick: the menu closes.
        prompts.script(Kind::Popup, 3);
        QCOMPARE(ParamMenu::getValue(nullptr, QPoint(), &table, 0, 0, -1), std::nullopt);
    }
};

ORVANE_TEST_MAIN(TestParamMenu)
#include "tst_parammenu.moc"
