// Building the controls of a section: the class each element builds, the
// descriptor its control keeps, tool tips and accessible texts, the caption
// label and its mnemonic buddy, and hidden controls.
#include "ControlFactory.h"
#include "LayoutRig.h"
#include "MidiCheckBox.h"
#include "MidiEdit.h"
#include "MidiLabel.h"
#include "MidiPatchEdit.h"
#include "MidiRange.h"
#include "Panel.h"
#include "PanelXml.h"
#include "TestEnvironment.h"

namespace {

QString layoutPath(const char* name)
{
    return QStringLiteral(ORVANE_SOURCE_DIR "/tests/panels/layouts/") + QLatin1String(name);
}

// A vertical panel on the rig's window loaded with one section whose body
// is given.
class Built
{
public:
    explicit Built(const QString& body) : panel(&rig.client)
    {
        QVERIFY(rig.load(QStringLiteral("<section name=\"S\">%1</section>").arg(body).toUtf8()));
        panel.init(&rig.window, QPoint(), true);
        panel.loadSection(QStringLiteral("S"), 2);
    }
    QWidget* widget(int i) const { return panel.widgetAt(i); }
    LayoutRig rig;
    Panel panel;
};

QWidget* buddyOf(const Panel& panel, int index)
{
    auto* label = qobject_cast<QLabel*>(panel.widgetAt(index));
    return label ? label->buddy() : nullptr;
}

} // namespace

class TestPanelControls : public QObject
{
    Q_OBJECT

private slots:
    void everyControlElementBuilds()
    {
        QStringList controls = PanelCaptionedElements() + QStringList{"check", "button", "label", "header"};
        for (const QString& element : controls)
            QVERIFY2(ControlFactory::isBuilt(element), qPrintable(element));

        LayoutRig rig;
        QVERIFY(rig.device.xml()->loadFile(layoutPath("editor.xml")));
        QVERIFY(rig.device.ini()->loadFile(layoutPath("tables.ini")));
        Panel panel(&rig.client);
        panel.loadSection(QStringLiteral("Test:Common"), -1);
        QList<int> types;
        for (int i = 0; i < panel.itemCount(); ++i)
            types << panel.itemAt(i)->type();
        QCOMPARE(types,
                 (QList<int>{0, 0, 0, 2, 0, 2, 0, 2, 0, 3, 0, 4, 0, 6, 5, 1, 0, 7, 0, 0, 0, 0, 5, 0, 0, 2}));
        QVERIFY(static_cast<MidiEdit*>(panel.itemAt(5))->editInfo().combo);
        for (int i = 0; i < panel.itemCount(); ++i)
            QCOMPARE(panel.widgetAt(i)->parentWidget(), panel.frame());
    }

    // A record of another kind than the element's builds nothing.
    void wrongRecord()
    {
        LayoutRig rig;
        Panel panel(&rig.client);
        QTest::ignoreMessage(QtWarningMsg, "No control is built for \"edit\" from this record");
        QVERIFY(!ControlFactory::create(&panel, QStringLiteral("edit"), LabelInfo()));
        QTest::ignoreMessage(QtWarningMsg, "No control is built for \"gauge\" from this record");
        panel.addControl(ControlFactory::create(&panel, QStringLiteral("gauge"), EditInfo()));
        QVERIFY(panel.isEmpty());
    }

    void tipsAndAccessibleTexts_data()
    {
        QTest::addColumn<QString>("element");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("tip");
        QTest::addColumn<QString>("accessible");
        QTest::newRow("tap tempo") << R"(<edit title="Tempo" tempo="1" tip="Own" address="300028"/>)" << 1
                                   << "Tap Tempo (Space)"
                                   << "Tap Tempo (Space)";
        QTest::newRow("its caption") << R"(<edit title="Tempo" tempo="1" tip="Own" address="300028"/>)" << 0
                                     << "Own"
                                     << "Own";
        QTest::newRow("key") << R"(<check title="mLAN Monitor" key="F8" address="300014"/>)" << 0
                             << "mLAN Monitor (F8)"
                             << "mLAN Monitor";
        QTest::newRow("key and mnemonic")
            << R"(<check title="&amp;Use" key="F6" tip="Part on"/>)" << 0 << "&Use (F6)"
            << "Part on";
        QTest::newRow("title only") << R"(<label title="&amp;Number"/>)" << 0 << ""
                                    << "Number";
    }
    void tipsAndAccessibleTexts()
    {
        QFETCH(QString, element);
        QFETCH(int, index);
        QFETCH(QString, tip);
        QFETCH(QString, accessible);
        const Built b(element);
        QCOMPARE(b.widget(index)->toolTip(), tip);
        QCOMPARE(b.widget(index)->accessibleName(), accessible);
    }

    void controlDescriptors()
    {
        const Built b(QStringLiteral(R"(
            <check title="S" solo="1" mute="1" part="1x"/>
            <range title="R" low="31xx07" high="31xx08" address="300000" index="4" items="NOTENAME"/>
            <combo title="C" no_title="1" address="300001"/>
            <edit address="300002"/>)"));
        QCOMPARE(b.panel.itemCount(), 1 + 2 + 1 + 1);
        auto* check = static_cast<MidiCheckBox*>(b.panel.itemAt(0));
        QVERIFY(check->checkInfo().solo && !check->checkInfo().mute);
        QCOMPARE(check->checkInfo().part, 0x12);
        auto* range = static_cast<MidiRange*>(b.panel.itemAt(2));
        QCOMPARE(range->param(true)->address(), 0x310207u);
        QCOMPARE(range->param(false)->address(), 0x310208u);
        QCOMPARE(b.panel.itemAt(3)->type(), int(MidiCtrl::EditType));
        QCOMPARE(b.panel.itemAt(4)->type(), int(MidiCtrl::EditType));
    }

    // "&Number" hands the keyboard focus to the patch control after it; the
    // caption is bold by "header" only, "bold" stays with the control.
    void captionOfAPatch()
    {
        const Built b(QStringLiteral(R"(
            <patch title="&amp;Number" width="72" no_names="1" bold="1" banks="VOICES"/>
            <patch title="&amp;Other" header="1"/>)"));
        auto* caption = static_cast<MidiLabel*>(b.panel.itemAt(0));
        auto* patch = static_cast<MidiPatchEdit*>(b.panel.itemAt(1));
        QCOMPARE(caption->text(), QStringLiteral("&Number"));
        QVERIFY(!caption->info.bold);
        QVERIFY(patch->info.bold);
        QCOMPARE(buddyOf(b.panel, 0), b.widget(1));
        QCOMPARE(caption->geometry().size(), QSize(72, 19));
        QVERIFY(static_cast<MidiLabel*>(b.panel.itemAt(2))->info.bold);
    }

    // The buddy is the control after a "&" label one or two items back; a
    // control further on takes it over, three items back is too far.
    void mnemonicBuddies()
    {
        const Built b(QStringLiteral(R"(
            <label title="&amp;Mode"/><label title="plain"/><check title="one"/>
            <label title="&amp;Far"/><label title="a"/><label title="b"/><check title="two"/>
            <label title="&amp;Shared"/><check title="first"/><check title="second"/>)"));
        QCOMPARE(buddyOf(b.panel, 0), b.widget(2));
        QVERIFY(!buddyOf(b.panel, 1));
        QVERIFY(!buddyOf(b.panel, 3));
        QCOMPARE(buddyOf(b.panel, 7), b.widget(9));
    }

    // Controls found by title: exact titles, never a label, from a start
    // index on.
    void lookUps()
    {
        const Built b(QStringLiteral(R"(
            <label title="Cat"/><combo title="Cat" address="300000"/>
            <edit title="&amp;Number" address="300001"/>
            <check title="Twice"/><check title="Twice"/>
            <range title="R"/><string title="N" chars="4"/><patch title="P" banks="VOICES"/>)"));
        const Panel& p = b.panel;
        QCOMPARE(p.getWidget(QStringLiteral("Cat"), -1, 0), b.widget(2));
        QVERIFY(!p.getItem(QStringLiteral("Cat"), MidiCtrl::LabelType, 0));
        QVERIFY(!p.getEdit(QStringLiteral("Number"), 0));
        QCOMPARE(p.getEdit(QStringLiteral("&Number"), 0), p.itemAt(4));
        QVERIFY(!p.getCheckBox(QStringLiteral("&Number"), 0));
        // The second argument is where the search starts, not a count.
        QCOMPARE(p.getCheckBox(QStringLiteral("Twice"), 0), p.itemAt(5));
        QCOMPARE(p.getCheckBox(QStringLiteral("Twice"), 6), p.itemAt(6));
        QVERIFY(!p.getCheckBox(QStringLiteral("Twice"), 7));
        QVERIFY(!p.getEdit(QStringLiteral("&Number"), p.itemCount()));
        QVERIFY(!p.getItem(QStringLiteral("Twice"), -1, -1));
        QVERIFY(p.getRange(QStringLiteral("R"), 0));
        QVERIFY(p.getStringEdit(QStringLiteral("N"), 0));
        QVERIFY(p.getPatchEdit(QStringLiteral("P"), 0));
    }

    // A hidden control and its caption keep their cells unseen.
    void hiddenControls()
    {
        const Built b(
            QStringLiteral(R"(<edit title="H" hidden="1" address="300000"/><check title="After"/>)"));
        QCOMPARE(b.panel.itemCount(), 3);
        QVERIFY(b.widget(0)->isHidden() && b.widget(1)->isHidden());
        QVERIFY(!b.widget(2)->isHidden());
        QCOMPARE(b.widget(2)->y(), 30 + 2 * 21);
    }
};

ORVANE_TEST_MAIN(TestPanelControls)
#include "tst_panelcontrols.moc"
