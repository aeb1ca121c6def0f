// The search dialog's other sources beside the patch browser: a value
// control's items table (title, columns, the values the parameter accepts,
// preview on the instrument, OK and Cancel) and a library's patch groups
// (mixed bank and type groups); and the filter splitting as a table of cases.
#include "ComboBox.h"
#include "BusPanelRig.h"
#include "DeviceTable.h"
#include "Library.h"
#include "MidiEdit.h"
#include "ParamSearchDlg.h"
#include "PatchGroupList.h"
#include "Prompts.h"
#include "TestEnvironment.h"

#include <QContextMenuEvent>
#include <QTreeWidget>

#include <memory>

namespace {

QStringList column(const QTreeWidget* list, int c)
{
    QStringList texts;
    for (int row = 0; row < list->topLevelItemCount(); ++row)
        texts.append(list->topLevelItem(row)->text(c));
    return texts;
}

QStringList headers(const QTreeWidget* list)
{
    QStringList texts;
    for (int c = 0; c < list->columnCount(); ++c)
        texts.append(list->headerItem()->text(c));
    return texts;
}

unsigned rowData(const QTreeWidget* list, int row)
{
    return list->topLevelItem(row)->data(0, Qt::UserRole).toUInt();
}

// Entries whose data is not their index; the last lies past the range the
// control is given.
void addArpTable(MidiDevice& device)
{
    auto* table = new DeviceTable;
    table->append(TableData(0x10, QStringLiteral("Seq:UpOct1")));
    table->append(TableData(0x20, QStringLiteral("Seq:Down")));
    table->append(TableData(0x30, QStringLiteral("Ap:Grand:Oct")));
    table->append(TableData(0x40, QStringLiteral("Seq:Never")));
    device.addTable(QStringLiteral("ARP"), table);
}

const QString Change = QStringLiteral("F0 43 10 7F 00 30 02 00 %1 F7");
const QString Request = QStringLiteral("F0 43 30 7F 00 30 02 00 F7");

// A named voice of the test instrument, "Cat<category>:<name>".
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

    std::unique_ptr<BusPanelRig> rig;

    // A list control on parameter 30 02 00 over the ARP table, values 0..2.
    std::unique_ptr<MidiEdit> arpControl(const QString& title, const QString& separator)
    {
        addArpTable(rig->device);
        EditInfo info;
        info.title = title;
        info.combo = true;
        info.param.setAddress(0x300200);
        info.param.cat_sep = separator;
        info.param.loadItems(&rig->device, QStringLiteral("ARP"), 0, 2);
        return std::make_unique<MidiEdit>(rig->panel, info);
    }

private slots:
    void init() { rig = std::make_unique<BusPanelRig>(); }
    void cleanup() { rig.reset(); }

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
        QTest::newRow("case kept") << "Seq:Up:Oct"
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

    // --- value search -----------------------------------------------------------------

    void valueSearchLayout_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("windowTitle");
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("values");
        const QStringList names{"UpOct1", "Down", "Grand"};
        QTest::newRow("untitled, no separator") << ""
                                                << ""
                                                << "Parameter Search" << QStringList{"Parameter", "Value"}
                                                << names << QStringList{"10 ", "20 ", "30 "};
        QTest::newRow("titled, separator") << "Arp & Type"
                                           << ":"
                                           << "Arp & Type Parameters" << QStringList{"Name", "Cat", "Value"}
                                           << names << QStringList{"10 ", "20 ", "30 "};
    }

    // One row per value the parameter accepts (the table's fourth entry lies
    // past its maximum), split at ':' for display; the window title names the
    // history.
    void valueSearchLayout()
    {
        QFETCH(QString, title);
        QFETCH(QString, separator);
        QFETCH(QString, windowTitle);
        QFETCH(QStringList, columns);
        QFETCH(QStringList, names);
        QFETCH(QStringList, values);
        const auto edit = arpControl(title, separator);
        ParamSearchDlg dlg(edit.get());
        QCOMPARE(dlg.windowTitle(), windowTitle);
        QCOMPARE(dlg.filterBox()->historyName(), windowTitle);
        QCOMPARE(headers(dlg.list()), columns);
        QCOMPARE(column(dlg.list(), 0), names);
        QCOMPARE(column(dlg.list(), columns.size() - 1), values);
        if (columns.size() == 3)
            QCOMPARE(column(dlg.list(), 1), QStringList({"Seq", "Seq", "Ap"}));
        QCOMPARE(rowData(dlg.list(), 2), 0x30u);

        dlg.loadFiltered(QStringLiteral("seq:"));
        QCOMPARE(column(dlg.list(), 0), QStringList({"UpOct1", "Down"}));
        dlg.loadFiltered(QStringLiteral("oct"));
        QCOMPARE(column(dlg.list(), 0), QStringList({"UpOct1"}));
    }

    // Each row chosen is sent at once; OK keeps the last; Cancel sends the
    // opening value again, also when nothing was previewed.
    void valuePreviewOkCancel()
    {
        const auto edit = arpControl(QString(), QStringLiteral(":"));
        edit->setValue(1);
        rig->clearSent();
        {
            ParamSearchDlg dlg(edit.get());
            QCOMPARE(dlg.openingValue(), 0x20u);
            QTreeWidget* list = dlg.list();
            list->setCurrentItem(list->topLevelItem(2));
            QCOMPARE(edit->value(), 2);
            list->setCurrentItem(list->topLevelItem(0));
            dlg.accept();
            QCOMPARE(edit->value(), 0);
            QCOMPARE(rig->sent(), QStringList({Change.arg("30"), Request, Change.arg("10"), Request}));
        }
        rig->clearSent();
        {
            ParamSearchDlg dlg(edit.get());
            dlg.list()->setCurrentItem(dlg.list()->topLevelItem(2));
            dlg.reject();
            QCOMPARE(edit->value(), 0);
            QCOMPARE(rig->sent(), QStringList({Change.arg("30"), Request, Change.arg("10"), Request}));
        }
        rig->clearSent();
        {
            // Nothing previewed: the value stands, so nothing goes out.
            ParamSearchDlg dlg(edit.get());
            dlg.reject();
            QCOMPARE(edit->value(), 0);
            QVERIFY(rig->sent().isEmpty());
        }
    }

    // The list control's context menu runs the value search: the row the
    // user picks stays on OK; on Cancel the value goes back.
    void contextMenuRunsTheValueSearch()
    {
        const auto edit = arpControl(QString(), QStringLiteral(":"));
        edit->setValue(1);
        ScriptedPrompts prompts;
        prompts.onDialog([](QDialog* dialog) {
            if (auto* search = qobject_cast<ParamSearchDlg*>(dialog))
                search->list()->setCurrentItem(search->list()->topLevelItem(2));
        });
        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(5, 5));
        prompts.script(ScriptedPrompts::Kind::Dialog, int(QDialog::Rejected));
        QApplication::sendEvent(edit.get(), &menu);
        QCOMPARE(prompts.last(ScriptedPrompts::Kind::Dialog).text, QStringLiteral("ParamSearchDlg"));
        QCOMPARE(edit->value(), 1);
        prompts.script(ScriptedPrompts::Kind::Dialog, int(QDialog::Accepted));
        QApplication::sendEvent(edit.get(), &menu);
        QCOMPARE(prompts.count(ScriptedPrompts::Kind::Dialog), 2);
        QCOMPARE(edit->value(), 2);
    }

    // A control without a value has nothing to go back to.
    void valueCancelWithoutOpeningValue()
    {
        const auto edit = arpControl(QString(), QString());
        rig->clearSent();
        ParamSearchDlg dlg(edit.get());
        QCOMPARE(dlg.openingValue(), ParamSearchDlg::NoValue);
        dlg.reject();
        QCOMPARE(edit->value(), -1);
        QVERIFY(rig->sent().isEmpty());
    }

    // --- library ------------------------------------------------------------------------

    // A library that mixes a bank group and a type group: the columns follow
    // the first group, each row keeps its own group's numbering and value,
    // and the chosen row's own group tells how to read the value.
    void libraryMixingGroups()
    {
        MidiDevice* device = &rig->device;
        LibraryFolder root(device, QStringLiteral("Library"));
        auto* bank = new BankPatchGroup(device, QStringLiteral("USER1"), 0, Bank(0x3F, 0x08));
        bank->addPatchDump(namedDump(device, QStringLiteral("Grand"), 1));
        bank->addPatchDump(new TestPatchDump(device)); // an empty slot
        bank->addPatchDump(namedDump(device, QStringLiteral("Organ"), 2));
        auto* types = new TypePatchGroup(device, QStringLiteral("Voices"), 0);
        types->addPatchDump(namedDump(device, QStringLiteral("Strings"), 3));
        types->addPatchDump(namedDump(device, QStringLiteral("Grand 2"), 1));
        root.children().append(bank);
        root.children().append(types);
        const PatchGroupList groups(&root);
        QCOMPARE(groups.size(), 2);

        ParamSearchDlg dlg(device, &groups);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Patch Browser"));
        QCOMPARE(dlg.filterBox()->historyName(), QStringLiteral("Patches"));
        QTreeWidget* list = dlg.list();
        QCOMPARE(headers(list), QStringList({"Name", "Cat", "Program", "Bank"}));
        QCOMPARE(column(list, 0), QStringList({"Grand", "Organ", "Strings", "Grand 2"}));
        QCOMPARE(column(list, 1), QStringList({"Cat1", "Cat2", "Cat3", "Cat1"}));
        QCOMPARE(column(list, 2), QStringList({"001 (A01)", "003 (A03)", "1", "2"}));
        QCOMPARE(column(list, 3), QStringList({"USER1", "USER1", "Voices", "Voices"}));
        QCOMPARE(rowData(list, 1), Patch(0x3F08, 2).toUInt());
        QCOMPARE(rowData(list, 3), 1u);

        list->setCurrentItem(list->topLevelItem(3));
        QCOMPARE(dlg.selectedValue, 1u);
        QCOMPARE(dlg.selectedGroup, QStringLiteral("Voices"));
        QCOMPARE(dlg.selectedPatchGroup(), types);
        QCOMPARE(dlg.selectedGroupType(), int(Library::TypeGroup));
        list->setCurrentItem(list->topLevelItem(1));
        QCOMPARE(dlg.selectedGroupType(), int(Library::BankGroup));
        QCOMPARE(dlg.patch(), Patch(0x3F08, 2));

        dlg.loadFiltered(QStringLiteral("cat1:"));
        QCOMPARE(column(list, 0), QStringList({"Grand", "Grand 2"}));
        QCOMPARE(dlg.selectedPatchGroup(), bank); // a rebuild keeps the choice

        // A library led by a type group titles its columns after it.
        PatchGroupList typesFirst;
        typesFirst.append(types);
        typesFirst.append(bank);
        ParamSearchDlg byType(device, &typesFirst);
        QCOMPARE(headers(byType.list()), QStringList({"Name", "Cat", "Program", "Group"}));
        QCOMPARE(byType.list()->columnWidth(2), 55);
        QCOMPARE(column(byType.list(), 2), QStringList({"1", "2", "001 (A01)", "003 (A03)"}));
    }
};

ORVANE_TEST_MAIN(TestParamSearch)
#include "tst_paramsearch.moc"
