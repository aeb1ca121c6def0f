// Header rows: one plain label over each item of a source row, at the item's
// x and width and the header's own height, on the item's tab; out of the
// client's panel list until a section is loaded into the panel again.
#include "LayoutRig.h"
#include "MidiCtrl.h"
#include "MidiLabel.h"
#include "Panel.h"
#include "TestEnvironment.h"

namespace {

const char* const RowsLayout = R"(<section>
  <section name="Row:Part" title="Pxx">
    <edit title="Volume" address="31xx01"/>
    <edit title="Hid" address="31xx02" hidden="1" bold="1" tip="A tip" header="1"/>
    <tab title="Voice"/>
    <sep width="6"/>
    <edit title="Pan" address="31xx03"/>
    <tab title="Zone"/>
    <edit title="Note" address="31xx04"/>
  </section>
  <section name="Row:Knob" title="Kxx"><edit title="Assign" address="51xx00"/></section>
  <section name="Row:Empty" title="Exx"/>
</section>)";

// A horizontal panel on the rig's window: a row of 60 x 22 cells behind a
// 23-pixel caption, or a header of the default 90 x 19 cells.
class Row : public Panel
{
public:
    Row(LayoutRig& rig, const QString& section) : Panel(&rig.client)
    {
        setOrientation(0);
        if (!section.isEmpty())
            setControlSize(60, 22);
        init(&rig.window, QPoint(9, 51), true);
        if (!section.isEmpty())
            loadSection(section, 0);
    }
};

QStringList titles(const Panel& panel)
{
    QStringList list;
    for (int i = 0; i < panel.itemCount(); ++i)
        list << panel.itemAt(i)->gInfo()->title;
    return list;
}

} // namespace

class TestPanelHeader : public QObject
{
    Q_OBJECT

private slots:
    void labelsOverTheColumns()
    {
        LayoutRig rig;
        QVERIFY(rig.load(RowsLayout));
        Row row(rig, QStringLiteral("Row:Part"));
        Row header(rig, QString());
        QVERIFY(rig.client.panelList().contains(&header));

        header.loadAsHeader(&row);
        QVERIFY(header.isHeader());
        QVERIFY(!rig.client.panelList().contains(&header));
        QVERIFY(rig.client.panelList().contains(&row));
        QVERIFY(header.caption()->isHidden());
        QCOMPARE(titles(header), (QStringList{"Volume", "Hid", " ", "Pan", "Note"}));
        for (int i = 0; i < header.itemCount(); ++i) {
            const QRect column = row.widgetAt(i)->geometry();
            QCOMPARE(header.widgetAt(i)->geometry(), QRect(column.x(), 0, column.width(), 19));
            QCOMPARE(header.itemAt(i)->gInfo()->tab, row.itemAt(i)->gInfo()->tab);
            QCOMPARE(header.itemAt(i)->type(), int(MidiCtrl::LabelType));
        }
        QCOMPARE(header.widgetAt(0)->x(), 25);
        QCOMPARE(header.size(), QSize(5 * 90, 19));

        // Of an item a label takes the title and the tab only.
        auto* hid = static_cast<MidiLabel*>(header.itemAt(1));
        QVERIFY(!hid->info.hidden && !hid->info.bold && !hid->info.header);
        QVERIFY(hid->info.tip.isEmpty());
        QVERIFY(hid->isVisibleTo(&header));

        // The current tab's headings and the tab-less ones show.
        header.selectTab(0);
        QList<bool> shown;
        for (int i = 0; i < header.itemCount(); ++i)
            shown << header.widgetAt(i)->isVisibleTo(&header);
        QCOMPARE(shown, (QList<bool>{true, true, true, true, false}));
    }

    // A second call builds the labels of the new source only; an empty
    // source leaves an empty header; a loaded section makes the panel an
    // ordinary one again.
    void rebuilt()
    {
        LayoutRig rig;
        QVERIFY(rig.load(RowsLayout));
        Row part(rig, QStringLiteral("Row:Part"));
        Row knob(rig, QStringLiteral("Row:Knob"));
        Row empty(rig, QStringLiteral("Row:Empty"));
        Row header(rig, QString());
        header.loadAsHeader(&part);
        header.loadAsHeader(&knob);
        QCOMPARE(titles(header), QStringList{"Assign"});
        header.loadAsHeader(&empty);
        QVERIFY(header.isEmpty());
        QVERIFY(!rig.client.panelList().contains(&header));

        header.loadSection(QStringLiteral("Row:Knob"), 1);
        QVERIFY(!header.isHeader());
        QVERIFY(rig.client.panelList().contains(&header));
    }
};

ORVANE_TEST_MAIN(TestPanelHeader)
#include "tst_panelheader.moc"
