// The parameter search dialog: the filter language as tables of cases, and
// each source as the user sees it (title, columns, rows and their values),
// the type-ahead pause, choosing, preview, OK and Cancel.
#include "DeviceBank.h"
#include "Library.h"
#include "ListCtrl.h"
#include "ParamSearchDlg.h"
#include "PatchGroupList.h"
#include "TestEnvironment.h"
#include "TestSysex.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTimer>

#include <memory>

namespace {

const char* const SearchFixture = R"(
[SET]
Ridev=2
0=63,00,PRE1
1=63,01,PRE2

[PRE1]
Ridev=128
0=Ap:Full Grand
1=Ap:Bright Grand
2=---
3=(empty)
4=
127=Pd:Warm Pad

[PRE2]
Ridev=3
0=Seq:Up:Oct
1=Plain Name
2=Ap:Grand Hall
)";

QStringList column(const ListCtrl* list, int c)
{
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts.append(list->itemText(row, c));
    return texts;
}

QStringList headers(const ListCtrl* list)
{
    QStringList texts;
    for (int c = 0; c < list->columnCount(); ++c)
        texts.append(list->headerItem()->text(c));
    return texts;
}

quint32 packed(unsigned short word, int program)
{
    return quint32(Patch(word, program));
}

// A named voice of the test instrument: "Cat<category>:<name>" with its
// category.
PatchDump* namedDump(MidiDevice* device, const QString& name, int category)
{
    auto* dump = new TestPatchDump(device);
    dump->init();
    dump->setName(name);
    dump->first()->setDataAt(TestSysex::CategoryPos, category);
    return dump;
}

} // namespace

class TestParamSearch : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDevice> device;
    BankSet set;

private slots:
    void initTestCase()
    {
        device = std::make_unique<TestDevice>(QStringLiteral("Search ES"));
        device->ini()->loadText(QString::fromUtf8(SearchFixture));
        set.load(device.get(), QStringLiteral("SET"));
        QCOMPARE(set.size(), 2);
    }

    void cleanupTestCase()
    {
        set.clear();
        device.reset();
    }

    // --- the filter language ---------------------------------------------------------

    void parseFilters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("name");
        // Without ':' the category is left as it was ("kept").
        QTest::newRow("name only") << "grand"
                                   << "kept"
                                   << "grand";
        QTest::newRow("empty") << ""
                               << "kept"
                               << "";
        QTest::newRow("category only") << "ap:"
                                       << "ap"
                                       << "";
        QTest::newRow("both") << "ap:gr"
                              << "ap"
                              << "gr";
        QTest::newRow("lone colon") << ":"
                                    << ""
                                    << "";
        QTest::newRow("name after colon") << ":x"
                                          << ""
                                          << "x";
        QTest::newRow("second colon cuts") << "ap:gr:x"
                                           << "ap"
                                           << "gr";
        QTest::newRow("item with two colons") << "Seq:Up:Oct"
                                              << "Seq"
                                              << "Up";
    }

    void parseFilters()
    {
        QFETCH(QString, text);
        QFETCH(QString, category);
        QFETCH(QString, name);
        QString gotCategory = QStringLiteral("kept");
        QString gotName = QStringLiteral("kept");
        ParamSearchDlg::parseFilters(text, gotCategory, gotName);
        QCOMPARE(gotCategory, category);
        QCOMPARE(gotName, name);
    }

    void match_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("filter"); // as typed
        QTest::addColumn<bool>("matches");
        QTest::newRow("name") << "Ap:Full Grand"
                              << "grand" << true;
        QTest::newRow("case ignored") << "Ap:Full Grand"
                                      << "GRAND" << true;
        QTest::newRow("names only without colon") << "Ap:Full Grand"
                                                  << "ap" << false;
        QTest::newRow("category") << "Ap:Full Grand"
                                  << "ap:" << true;
        QTest::newRow("both") << "Ap:Full Grand"
                              << "ap:full" << true;
        QTest::newRow("other category") << "Pd:Warm Pad"
                                        << "ap:w" << false;
        QTest::newRow("lone colon") << "Ap:Full Grand"
                                    << ":" << true;
        QTest::newRow("empty") << "Ap:Full Grand"
                               << "" << true;
        QTest::newRow("no category in item") << "Full Grand"
                                             << "ap:" << false;
        QTest::newRow("plain item, name") << "Full Grand"
                                          << "ll gr" << true;
        QTest::newRow("filter's third part dropped") << "Ap:Full Grand"
                                                     << "ap:gr:x" << true;
        QTest::newRow("item's third part not searched") << "Seq:Up:Oct"
                                                        << "seq:oct" << false;
        QTest::newRow("item's second part") << "Seq:Up:Oct"
                                            << "seq:up" << true;
    }

    void match()
    {
        QFETCH(QString, item);
        QFETCH(QString, filter);
        QFETCH(bool, matches);
        QString category;
        QString name;
        ParamSearchDlg::parseFilters(filter.toLower(), category, name);
        QCOMPARE(ParamSearchDlg::match(item, category, name), matches);
    }

    // --- bank set ------------------------------------------------------------------------

    void bankSetRows()
    {
        ParamSearchDlg dlg(device.get(), &set);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Patch Browser"));
        QCOMPARE(dlg.filterBox()->historyKey(), QStringLiteral("Patches"));
        const ListCtrl* list = dlg.list();
        QCOMPARE(headers(list), QStringList({"Name", "Cat", "Program", "Bank"}));
        // Named slots only, in source order.
        QCOMPARE(column(list, 0),
                 QStringList({"Full Grand", "Bright Grand", "Warm Pad", "Up", "Plain Name", "Grand Hall"}));
        QCOMPARE(column(list, 1), QStringList({"Ap", "Ap", "Pd", "Seq", "", "Ap"}));
        QCOMPARE(column(list, 2),
                 QStringList({"001 (A01)", "002 (A02)", "128 (H16)", "001 (A01)", "002 (A02)", "003 (A03)"}));
        QCOMPARE(column(list, 3), QStringList({"PRE1", "PRE1", "PRE1", "PRE2", "PRE2", "PRE2"}));
        QCOMPARE(list->itemData(2), packed(0x3F00, 127));
        QCOMPARE(list->itemData(5), packed(0x3F01, 2));
        QCOMPARE(list->curSel(), -1);

        dlg.loadFiltered(QStringLiteral("ap:gr"));
        QCOMPARE(column(list, 0), QStringList({"Full Grand", "Bright Grand", "Grand Hall"}));
        dlg.loadFiltered(QStringLiteral("GRAND"));
        QCOMPARE(list->count(), 3);
        dlg.loadFiltered(QStringLiteral("ap"));
        QCOMPARE(list->count(), 0);
    }

    // Choosing sets the value; a rebuilt list keeps it though no row shows
    // selected; OK returns it.
    void choosingAndAccepting()
    {
        ParamSearchDlg dlg(device.get(), &set);
        QCOMPARE(dlg.selectedValue, ParamSearchDlg::NoValue);
        QVERIFY(!dlg.patch().isValid());

        dlg.list()->setCurSel(3);
        QCOMPARE(dlg.selectedValue, packed(0x3F01, 0));
        QCOMPARE(dlg.selectedGroup, QStringLiteral("PRE2"));
        QCOMPARE(quint32(dlg.patch()), packed(0x3F01, 0));

        dlg.loadFiltered(QStringLiteral("pad"));
        QCOMPARE(dlg.list()->curSel(), -1);
        QCOMPARE(dlg.selectedValue, packed(0x3F01, 0));

        QTreeWidgetItem* item = dlg.list()->topLevelItem(0);
        emit dlg.list()->itemDoubleClicked(item, 0); // the row is not selected: nothing
        QCOMPARE(dlg.result(), 0);
        dlg.list()->setCurSel(0);
        emit dlg.list()->itemDoubleClicked(item, 0);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.selectedValue, packed(0x3F00, 127));
    }

    // The list is rebuilt once, TypeAheadMs after the last keystroke; the
    // filter joins the history.
    void typeAhead()
    {
        ParamSearchDlg dlg(device.get(), &set);
        QSignalSpy fired(dlg.typeAheadTimer(), &QTimer::timeout);
        QLineEdit* edit = dlg.filterBox()->lineEdit();
        QTest::keyClicks(edit, QStringLiteral("gra"));
        QCOMPARE(dlg.list()->count(), 6);
        QVERIFY(dlg.typeAheadTimer()->isActive());
        QTest::qWait(ParamSearchDlg::TypeAheadMs / 2);
        QTest::keyClicks(edit, QStringLiteral("nd"));
        QTest::qWait(ParamSearchDlg::TypeAheadMs / 2);
        QCOMPARE(fired.count(), 0);
        QTRY_COMPARE(dlg.list()->count(), 3);
        QTest::qWait(50);
        QCOMPARE(fired.count(), 1);
        QCOMPARE(dlg.filterBox()->history().value(0), QStringLiteral("grand"));
        QCOMPARE(edit->text(), QStringLiteral("grand"));
    }

    // --- library -----------------------------------------------------------------------

    // A library that mixes a bank group and a type group: the columns follow
    // the first group, each row keeps its own group's numbering and value,
    // and the result is read by the chosen row's own group.
    void libraryMixingGroups()
    {
        LibraryFolder root(device.get(), QStringLiteral("Library"));
        auto* bank = new BankPatchGroup(device.get(), QStringLiteral("USER1"), 0, Bank(0x3F, 0x08));
        bank->addPatchDump(namedDump(device.get(), QStringLiteral("Grand"), 1));
        bank->addPatchDump(new TestPatchDump(device.get())); // an empty slot
        bank->addPatchDump(namedDump(device.get(), QStringLiteral("Organ"), 2));
        auto* types = new TypePatchGroup(device.get(), QStringLiteral("Voices"), 0);
        types->addPatchDump(namedDump(device.get(), QStringLiteral("Strings"), 3));
        types->addPatchDump(namedDump(device.get(), QStringLiteral("Grand 2"), 1));
        root.children().append(bank);
        root.children().append(types);
        PatchGroupList groups(&root);
        QCOMPARE(groups.size(), 2);

        ParamSearchDlg dlg(device.get(), &groups);
        const ListCtrl* list = dlg.list();
        QCOMPARE(headers(list), QStringList({"Name", "Cat", "Program", "Bank"}));
        QCOMPARE(column(list, 0), QStringList({"Grand", "Organ", "Strings", "Grand 2"}));
        QCOMPARE(column(list, 1), QStringList({"Cat1", "Cat2", "Cat3", "Cat1"}));
        QCOMPARE(column(list, 2), QStringList({"001 (A01)", "003 (A03)", "1", "2"}));
        QCOMPARE(column(list, 3), QStringList({"USER1", "USER1", "Voices", "Voices"}));
        QCOMPARE(list->itemData(1), packed(0x3F08, 2));
        QCOMPARE(list->itemData(3), 1u);

        dlg.list()->setCurSel(3);
        QCOMPARE(dlg.selectedValue, 1u);
        QCOMPARE(dlg.selectedGroup, QStringLiteral("Voices"));
        QCOMPARE(dlg.selectedPatchGroup(), types);
        QCOMPARE(dlg.selectedGroupType(), int(Library::TypeGroup));
        dlg.list()->setCurSel(1);
        QCOMPARE(dlg.selectedGroupType(), int(Library::BankGroup));
        QCOMPARE(quint32(dlg.patch()), packed(0x3F08, 2));

        dlg.loadFiltered(QStringLiteral("cat1:"));
        QCOMPARE(column(list, 0), QStringList({"Grand", "Grand 2"}));

        // A library led by a type group titles its columns after it.
        PatchGroupList typesFirst;
        typesFirst.append(types);
        typesFirst.append(bank);
        ParamSearchDlg byType(device.get(), &typesFirst);
        QCOMPARE(headers(byType.list()), QStringList({"Name", "Cat", "Program", "Group"}));
        QCOMPARE(byType.list()->columnWidth(2), 55);
        QCOMPARE(column(byType.list(), 2), QStringList({"1", "2", "001 (A01)", "003 (A03)"}));
    }
};

ORVANE_TEST_MAIN(TestParamSearch)
#include "tst_paramsearch.moc"
