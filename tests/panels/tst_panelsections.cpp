// Loading a section of the panel data into a panel: which cells each element
// adds, conditions, tabs, templates and includes, the caption with its
// iterator, the loaders' look-ups and names, and what the loaded panel shows
// and announces.
#include "ControlFactory.h"
#include "LayoutRig.h"
#include "MidiCtrl.h"
#include "MidiLabel.h"
#include "Panel.h"
#include "Patch.h"
#include "TestEnvironment.h"

namespace {

QString sectionLayoutPath(const char* name)
{
    return QStringLiteral(ORVANE_SOURCE_DIR "/tests/panels/layouts/") + QLatin1String(name);
}

// A rig whose device holds the test layouts and their tables.
class LayoutsRig : public LayoutRig
{
public:
    LayoutsRig()
    {
        ok = device.xml()->loadFile(sectionLayoutPath("effects.xml")) &&
             device.xml()->loadFile(sectionLayoutPath("editor.xml")) &&
             device.ini()->loadFile(sectionLayoutPath("tables.ini"));
    }
    bool ok = false;
};

// The titles of the items, in cell order.
QStringList sectionTitles(const Panel& panel)
{
    QStringList list;
    for (int i = 0; i < panel.itemCount(); ++i)
        list << panel.itemAt(i)->gInfo()->title;
    return list;
}

QList<int> tabs(const Panel& panel)
{
    QList<int> list;
    for (int i = 0; i < panel.itemCount(); ++i)
        list << panel.itemAt(i)->gInfo()->tab;
    return list;
}

// A panel on the rig's window loaded with one section named "S" whose body
// is given.
// Counts the children added to the object it watches.
class ChildCounter : public QObject
{
public:
    int count = 0;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ChildAdded)
            ++count;
        return QObject::eventFilter(watched, event);
    }
};

class OneSection
{
public:
    // outside: elements beside the section, such as templates.
    OneSection(const QString& body, bool horizontal = false, const QString& conditions = QString(),
               const QString& outside = QString())
        : panel(&rig.client)
    {
        QVERIFY(rig.load(QStringLiteral("<section><section name=\"S\">%1</section>%2</section>")
                             .arg(body, outside)
                             .toUtf8()));
        if (horizontal)
            panel.setOrientation(0);
        panel.init(&rig.window, QPoint(), true);
        panel.loadSection(QStringLiteral("S"), -1, conditions);
    }
    LayoutRig rig;
    Panel panel;
};

} // namespace

class TestPanelSections : public QObject
{
    Q_OBJECT

private slots:
    // Every element kind of a vertical section, in document order.
    void everyElementKind()
    {
        LayoutsRig rig;
        QVERIFY(rig.ok);
        Panel panel(&rig.client);
        panel.init(&rig.window, QPoint(), true);
        panel.loadSection(QStringLiteral("Test:Common"), -1);
        QCOMPARE(panel.title(), QStringLiteral("Common"));
        QCOMPARE(panel.internalName(), QStringLiteral("Test:Common|-1"));
        QCOMPARE(rig.client.panelList().count(&panel), 1);
        const QStringList expected = {"General",
                                      "Type",
                                      "&Volume",
                                      "&Volume",
                                      "Mode",
                                      "Mode",
                                      "Tempo",
                                      "Tempo",
                                      "Key Range",
                                      "Key Range",
                                      "Name",
                                      "Name",
                                      "&Number",
                                      "&Number",
                                      "mLAN Monitor",
                                      "Edit...",
                                      "AEG",
                                      "AEG",
                                      "",
                                      " ",
                                      "",
                                      "",
                                      "Inside a disabled element",
                                      "",
                                      "Pan",
                                      "Pan"};
        QCOMPARE(sectionTitles(panel), expected);
        // The header, and the caption labels before the titled controls.
        auto* header = static_cast<MidiLabel*>(panel.itemAt(0));
        QVERIFY(header->info.header && header->info.bold);
        for (int i : {2, 4, 6, 8, 10, 12, 16, 24})
            QCOMPARE(panel.itemAt(i)->type(), int(MidiCtrl::LabelType));
        // The line gap and the separator keep the element's size.
        QCOMPARE(panel.widgetAt(18)->geometry().size(), QSize(1, 7));
        QCOMPARE(panel.widgetAt(19)->width(), 10);
        // The column fill ends the first column; "Pan" heads the second, its
        // caption bold by "header".
        QCOMPARE(panel.columnCount(), 2);
        QCOMPARE(panel.itemAtCell(1, 0)->gInfo()->title, QStringLiteral("Pan"));
        QVERIFY(static_cast<MidiLabel*>(panel.itemAtCell(1, 0))->info.bold);
    }

    void cellsPerElement_data()
    {
        QTest::addColumn<QString>("element");
        QTest::addColumn<int>("vertical");
        QTest::addColumn<int>("horizontal");
        QTest::newRow("titled edit") << R"(<edit title="A"/>)" << 2 << 1;
        QTest::newRow("edit without title") << R"(<edit title="A" no_title="1"/>)" << 1 << 1;
        QTest::newRow("edit, empty title") << R"(<edit/>)" << 1 << 1;
        QTest::newRow("titled range") << R"(<range title="A"/>)" << 2 << 1;
        QTest::newRow("titled eg") << R"(<eg title="A"/>)" << 2 << 1;
        QTest::newRow("titled check") << R"(<check title="A"/>)" << 1 << 1;
        QTest::newRow("titled button") << R"(<button title="A"/>)" << 1 << 1;
        QTest::newRow("header") << R"(<header title="A"/>)" << 1 << 0;
        QTest::newRow("label") << R"(<label title="A"/>)" << 1 << 0;
        QTest::newRow("separator") << R"(<separator/>)" << 1 << 1;
        QTest::newRow("line gap") << R"(<br/>)" << 1 << 0;
        QTest::newRow("paragraph gap") << R"(<p/>)" << 2 << 0;
        QTest::newRow("hyperlink") << R"(<hyperlink title="A"/>)" << 0 << 0;
        QTest::newRow("disabled edit") << R"(<_edit title="A"/>)" << 0 << 0;
        QTest::newRow("disabled combo") << R"(<combo1 title="A"/>)" << 0 << 0;
        QTest::newRow("other case") << R"(<Edit title="A"/>)" << 0 << 0;
    }
    void cellsPerElement()
    {
        QFETCH(QString, element);
        QFETCH(int, vertical);
        QFETCH(int, horizontal);
        QCOMPARE(OneSection(element).panel.itemCount(), vertical);
        QCOMPARE(OneSection(element, true).panel.itemCount(), horizontal);
    }

    void columnFill_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::newRow("empty panel") << 0 << 0;
        QTest::newRow("five items") << 5 << 24;
        QTest::newRow("full column") << 24 << 24;
        QTest::newRow("second column") << 25 << 48;
    }
    void columnFill()
    {
        QFETCH(int, before);
        QFETCH(int, after);
        const QString body =
            QStringLiteral("<label title=\"L\"/>").repeated(before) + QStringLiteral("<col/>");
        QCOMPARE(OneSection(body).panel.itemCount(), after);
        QCOMPARE(OneSection(QStringLiteral("<edit/>").repeated(before) + QStringLiteral("<column/>"), true)
                     .panel.itemCount(),
                 before);
    }

    // A condition drops its element, never its children; tabs and includes
    // are not tested at all.
    void conditions()
    {
        const QString body = QStringLiteral(R"(
            <check title="Always"/>
            <label title="Outer" condition="insfx"><check title="Inner"/></label>
            <check title="Case" condition="INSFX"/>
            <tab title="T" condition="nothing"/>
            <include template="Tmpl" condition="nothing"/>
            <template name="Tmpl"><check title="From template"/></template>)");
        QCOMPARE(sectionTitles(OneSection(body).panel),
                 (QStringList{"Always", "Inner", "From template", "From template"}));
        const OneSection passed(body, false, QStringLiteral("x insfx y"));
        QCOMPARE(sectionTitles(passed.panel),
                 (QStringList{"Always", "Outer", "Inner", "From template", "From template"}));
        QCOMPARE(passed.panel.tabCount(), 1);
    }

    // A row of a tabbed panel: every tab's cells start at the same place.
    void tabsOfARow()
    {
        LayoutsRig rig;
        Panel row(&rig.client);
        row.setOrientation(0);
        row.init(&rig.window, QPoint(), true);
        row.loadSection(QStringLiteral("Test:Part"), 2);
        QCOMPARE(row.tabCount(), 2);
        QCOMPARE(row.tabName(1), QStringLiteral("Zone"));
        QVERIFY(row.tabName(2).isEmpty() && row.tabName(-1).isEmpty());
        QCOMPARE(sectionTitles(row), (QStringList{"Use", "Volume", " ", "Pan", "Note", "M"}));
        QCOMPARE(tabs(row), (QList<int>{-1, 0, 0, 0, 1, 1}));
        QList<int> xs;
        for (int i = 0; i < row.itemCount(); ++i)
            xs << row.widgetAt(i)->x();
        QCOMPARE(xs, (QList<int>{25, 117, 209, 215, 117, 209}));
        QCOMPARE(row.title(), QStringLiteral("P3"));

        // The same section stacked: the tabs' cells follow one another.
        Panel column(&rig.client);
        column.loadSection(QStringLiteral("Test:Part"), 2);
        QCOMPARE(tabs(column), (QList<int>{-1, 0, 0, 0, 0, 0, 1, 1, 1}));
    }

    // Templates expand in place, an include inside a template too, under the
    // scope the sub-section is looked up in.
    void includes()
    {
        LayoutsRig rig;
        Panel panel(&rig.client);
        panel.setBaseAddress(0x400100);
        panel.init(&rig.window, QPoint(), true);
        panel.loadSubSection(QStringLiteral("Effects Parameters"), QStringLiteral("value"),
                             QStringLiteral("0130"), -1, QString());
        QCOMPARE(sectionTitles(panel), (QStringList{"Reverb Time", "Reverb Time", "Canyon Depth", "Canyon Depth",
                                             "Output Level", "Output Level"}));
        QCOMPARE(panel.title(), QStringLiteral("Plate"));
        QCOMPARE(panel.internalName(), QStringLiteral("Effects Parameters|-1|400100"));
        QVERIFY(panel.loadErrors().isEmpty());

        panel.loadSubSection(QStringLiteral("Effect Types"), QStringLiteral("value"), QStringLiteral("0100"),
                             -1, QStringLiteral("insfx"));
        QCOMPARE(sectionTitles(panel),
                 (QStringList{"Reverb Time", "Reverb Time", "Dry/Wet Balance", "Dry/Wet Balance"}));
        QCOMPARE(panel.title(), QStringLiteral("Hall 1"));

        // A scope the document lacks holds nothing, even where a section with
        // that value exists elsewhere.
        panel.loadSubSection(QStringLiteral("No Such Scope"), QStringLiteral("value"), QStringLiteral("0100"),
                             -1, QString());
        QVERIFY(panel.isEmpty());
        QVERIFY(panel.title().isEmpty());

        QVERIFY(OneSection(QStringLiteral(R"(<include template=""/><include template="Missing"/>)"))
                    .panel.isEmpty());

        // Of two templates with one name, the first in document order counts,
        // however deep it sits; a file loaded later does not replace it.
        OneSection twice(
            QStringLiteral(R"(<include template="Dup"/>)"), false, QString(),
            QStringLiteral(R"(<group><template name="Dup"><check title="first"/></template></group>
                             <template name="Dup"><check title="second"/></template>)"));
        QCOMPARE(sectionTitles(twice.panel), QStringList{"first"});
        QVERIFY(twice.rig.load(R"(<template name="Dup"><check title="later"/></template>)"));
        twice.panel.loadSection(QStringLiteral("S"), -1);
        QCOMPARE(sectionTitles(twice.panel), QStringList{"first"});
    }

    // A template that includes itself, directly or through another, is
    // expanded once and the load says why it stopped.
    void includeCycles()
    {
        const OneSection direct(
            QStringLiteral(R"(<include template="A"/>)"), false, QString(),
            QStringLiteral(R"(<template name="A"><check title="a"/><include template="A"/></template>)"));
        QCOMPARE(sectionTitles(direct.panel), (QStringList{"a"}));
        QCOMPARE(direct.panel.loadErrors(), (QStringList{"Template \"A\" includes itself"}));

        const OneSection mutual(QStringLiteral(R"(<include template="A"/>)"), false, QString(),
                                QStringLiteral(R"(
            <template name="A"><check title="a"/><include template="B"/></template>
            <template name="B"><check title="b"/><include template="A"/></template>)"));
        QCOMPARE(mutual.panel.loadErrors(), (QStringList{"Template \"A\" includes itself"}));
        QCOMPARE(sectionTitles(mutual.panel), (QStringList{"a", "b"}));

        // A long chain without a cycle stops at the nesting limit.
        QString chain;
        for (int i = 0; i < 40; ++i)
            chain += QStringLiteral("<template name=\"T%1\"><include template=\"T%2\"/></template>")
                         .arg(i)
                         .arg(i + 1);
        const OneSection deep(QStringLiteral("<include template=\"T0\"/>"), false, QString(), chain);
        QCOMPARE(deep.panel.loadErrors().size(), 1);
        QVERIFY(deep.panel.loadErrors().at(0).startsWith(QLatin1String("Templates nested deeper than 32")));
    }

    // Templates that include another one twice at every level grow without
    // a cycle, and templates nested inside deep elements grow deep: the load
    // stops at a limit far above any real layout, builds nothing and says
    // why, in bounded time, memory and stack.
    void expansionLimits_data()
    {
        QTest::addColumn<QString>("outside");
        QTest::addColumn<QString>("error");

        // T0 includes T1 twice, T1 includes T2 twice... the last holds leaf.
        const auto doubling = [](int levels, const QString& leaf) {
            QString text;
            for (int i = 0; i < levels; ++i)
                text += QStringLiteral("<template name=\"T%1\"><include template=\"T%2\"/>"
                                       "<include template=\"T%2\"/></template>")
                            .arg(i)
                            .arg(i + 1);
            return text + QStringLiteral("<template name=\"T%1\">%2</template>").arg(levels).arg(leaf);
        };
        QTest::newRow("doubling templates")
            << doubling(30, QStringLiteral("<check title=\"c\"/>"))
            << QStringLiteral("The section expands to more than %1 elements").arg(Panel::MaxSectionElements);
        // Twenty levels of edits, 1.7 KB: a million cells when expanded.
        QTest::newRow("twenty doubling levels")
            << doubling(20, QStringLiteral("<edit title=\"e\"/>"))
            << QStringLiteral("The section builds more than %1 cells").arg(Panel::MaxSectionCells);
        // Each column break after a cell fills the rest of the column.
        QTest::newRow("columns of templates")
            << doubling(12, QStringLiteral("<check title=\"c\"/><col/>"))
            << QStringLiteral("The section builds more than %1 cells").arg(Panel::MaxSectionCells);

        // Each template holds its include 900 elements deep.
        QString deep;
        for (int i = 0; i < 30; ++i)
            deep += QStringLiteral("<template name=\"T%1\">%2<include template=\"T%3\"/>%4</template>")
                        .arg(i)
                        .arg(QStringLiteral("<g>").repeated(900))
                        .arg(i + 1)
                        .arg(QStringLiteral("</g>").repeated(900));
        QTest::newRow("deep templates")
            << deep
            << QStringLiteral("Sections and templates nested deeper than %1").arg(Panel::MaxSectionDepth);
    }
    void expansionLimits()
    {
        QFETCH(QString, outside);
        QFETCH(QString, error);
        OneSection loaded(QStringLiteral(R"(<check title="first"/><include template="T0"/>)"), false,
                          QString(), outside);
        QCOMPARE(loaded.panel.itemCount(), 0);
        QCOMPARE(loaded.panel.loadErrors().size(), 1);
        QVERIFY2(loaded.panel.loadErrors().at(0).startsWith(error),
                 qPrintable(loaded.panel.loadErrors().at(0)));

        // The walk counts before it builds: loading the section again makes
        // not one control, not even the one before the include.
        ChildCounter added;
        loaded.panel.installEventFilter(&added);
        loaded.panel.loadSection(QStringLiteral("S"), -1);
        loaded.panel.removeEventFilter(&added);
        QCOMPARE(added.count, 0);
        QCOMPARE(loaded.panel.loadErrors().size(), 1);

        // The panel loads the next section as usual.
        QVERIFY(loaded.rig.load("<section name=\"Small\"><check title=\"s\"/></section>"));
        loaded.panel.loadSection(QStringLiteral("Small"), -1);
        QCOMPARE(sectionTitles(loaded.panel), QStringList{"s"});
        QVERIFY(loaded.panel.loadErrors().isEmpty());
    }

    void captions_data()
    {
        QTest::addColumn<QString>("attributes");
        QTest::addColumn<int>("iterator");
        QTest::addColumn<bool>("horizontal");
        QTest::addColumn<QString>("caption");
        QTest::newRow("xx") << R"(title="xx")" << 0 << false << "1";
        QTest::newRow("Pxx") << R"(title="Pxx")" << 1 << true << "P2";
        QTest::newRow("empty title") << "" << 3 << false << "4";
        QTest::newRow("no iterator") << R"(title="xx")" << -1 << false << "xx";
        QTest::newRow("row keeps its title") << R"(title="Common" type="Element")" << 0 << true << "Common";
        QTest::newRow("default type") << R"(title="Common")" << 0 << false << "Part 1 - Common";
        QTest::newRow("element") << R"(title="Pitch Envelope" type="Element")" << 0 << false
                                 << "Element 1 - Pitch Envelope";
        QTest::newRow("offset") << R"(title="Zone" type="Zone" offset="0x10")" << 1 << false
                                << "Zone 18 - Zone";
        QTest::newRow("key") << R"(title="AEG" type="Key" offset="24")" << 2 << false
                             << "Key " + Note::name(26) + " - AEG";
        QTest::newRow("key past the notes")
            << R"(title="AEG" type="Key" offset="120")" << 8 << false << "Key (invalid note) - AEG";
        QTest::newRow("xx over type") << R"(title="Kxx" type="Key" offset="24")" << 2 << false << "K3";
    }
    void captions()
    {
        QFETCH(QString, attributes);
        QFETCH(int, iterator);
        QFETCH(bool, horizontal);
        QFETCH(QString, caption);
        LayoutRig rig;
        QVERIFY(rig.load(QStringLiteral("<section name=\"S\" %1/>").arg(attributes).toUtf8()));
        Panel panel(&rig.client);
        if (horizontal)
            panel.setOrientation(0);
        panel.init(&rig.window, QPoint(), true);
        panel.loadSection(QStringLiteral("S"), iterator);
        QCOMPARE(panel.title(), caption);
        QCOMPARE(panel.iterator(), iterator);
    }

    // The last section read names the panel.
    void nestedSectionNamesThePanel()
    {
        QCOMPARE(
            OneSection(QStringLiteral(R"(<check/><section title="Inner"><check/></section>)")).panel.title(),
            QStringLiteral("Inner"));
    }

    // Each load starts afresh; base address, current tab and checkpoint stay.
    void loadingAgain()
    {
        LayoutsRig rig;
        Panel panel(&rig.client);
        panel.init(&rig.window, QPoint(), true);
        panel.setBaseAddress(0x300100);
        panel.loadSection(QStringLiteral("Test:Part"), 0);
        panel.selectTab(1);
        panel.checkPoint();
        panel.loadSection(QStringLiteral("No Such Section"), 5);
        QVERIFY(panel.isEmpty());
        QVERIFY(panel.title().isEmpty());
        QCOMPARE(panel.tabCount(), 0);
        QCOMPARE(panel.iterator(), 5);
        QCOMPARE(panel.internalName(), QStringLiteral("|5|300100"));
        QCOMPARE(panel.baseAddress(), 0x300100u);
        QCOMPARE(panel.currentTab(), 1);
        QCOMPARE(rig.client.panelList().count(&panel), 1);

        panel.setBaseAddress(0xFFFFFFFF);
        panel.loadSection(QStringLiteral("Missing"), -1);
        QCOMPARE(panel.internalName(), QStringLiteral("Missing|-1"));

        // Without a client there is no document: the panel stays as it was.
        Panel lone(nullptr);
        lone.loadXmlSection(QString(), QStringLiteral("name"), QStringLiteral("Test:Part"), 3, QString());
        QCOMPARE(lone.iterator(), -1);
        QVERIFY(lone.internalName().isEmpty());
        lone.loadXmlElement(nullptr, QString());
        QVERIFY(lone.isEmpty());
    }

    // A row of a tabbed panel is announced by its unit and number, every other
    // panel by its title.
    void accessibleTexts()
    {
        LayoutRig rig;
        QVERIFY(rig.load(QByteArrayLiteral(R"(<section name="Row" title="xx" type="Element"/>)")));
        Panel row(&rig.client);
        row.setOrientation(0);
        row.init(&rig.window, QPoint(), true);
        row.loadSection(QStringLiteral("Row"), 3);
        QCOMPARE(row.caption()->accessibleName(), QStringLiteral("4"));
        QCOMPARE(row.accessibleName(), QStringLiteral("Element 4"));
        row.updateAccessibility(QStringLiteral("Parts - Voice"));
        QCOMPARE(row.caption()->accessibleName(), QStringLiteral("Parts - Voice"));
        QCOMPARE(row.accessibleName(), QStringLiteral("Element 4"));

        row.loadSection(QStringLiteral("Row"), -1);
        QCOMPARE(row.accessibleName(), QStringLiteral("xx"));
        QCOMPARE(row.caption()->accessibleName(), QStringLiteral("xx"));

        Panel bare(&rig.client);
        bare.setOrientation(0);
        bare.init(&rig.window, QPoint(), false);
        bare.loadSection(QStringLiteral("Row"), 3);
        QCOMPARE(bare.accessibleName(), QStringLiteral("4"));
    }

    // Which items show for the current tab.
    void visibility()
    {
        const OneSection s(QStringLiteral(R"(
            <check title="All"/>
            <tab title="One"/><check title="One"/><check title="One hidden" hidden="1"/>
            <tab title="Two"/><check title="Two"/>)"));
        const Panel& panel = s.panel;
        auto shown = [&] {
            QStringList list;
            for (int i = 0; i < panel.itemCount(); ++i) {
                if (!panel.widgetAt(i)->isHidden())
                    list << panel.itemAt(i)->gInfo()->title;
            }
            return list;
        };
        QCOMPARE(shown(), (QStringList{"All", "One", "Two"}));
        const_cast<Panel&>(panel).selectTab(1);
        QCOMPARE(shown(), (QStringList{"All", "Two"}));
        const_cast<Panel&>(panel).selectTab(0);
        QCOMPARE(shown(), (QStringList{"All", "One"}));
        const_cast<Panel&>(panel).selectTab(7);
        QCOMPARE(shown(), (QStringList{"All"}));
        const_cast<Panel&>(panel).selectTab(-1);
        const_cast<Panel&>(panel).showControl(0, false);
        QCOMPARE(shown(), (QStringList{"One", "Two"}));
    }
};

ORVANE_TEST_MAIN(TestPanelSections)
#include "tst_panelsections.moc"
