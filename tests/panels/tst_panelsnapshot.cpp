// A panel's value snapshot (which controls count, checkpoint, modified) and
// its teardown (clear and destruction, with and without a client).
#include "LayoutRig.h"
#include "MidiCheckBox.h"
#include "MidiEdit.h"
#include "MidiPatchEdit.h"
#include "MidiRange.h"
#include "MidiString.h"
#include "Panel.h"
#include "TestEnvironment.h"

#include <QPointer>
#include <memory>

namespace {

// One control of every kind, in this order: edit, check box, range, string,
// patch selector, envelope, button.
const char* const Body = R"(
    <edit title="E" address="300000"/>
    <check title="C" address="300001"/>
    <range title="R" low="300002" high="300003"/>
    <string title="S" address="300010" chars="4"/>
    <patch title="P" address="300020" banks="VOICES"/>
    <eg title="G" nodes="A;A;address=300030 max=99;address=300031 max=99"/>
    <button title="B" sysex="F0 43 10 7F 00 00 00 00 00 F7"/>)";

class Snapshot
{
public:
    explicit Snapshot(const char* body = Body) : panel(&rig.client)
    {
        QVERIFY(
            rig.load(QStringLiteral("<section name=\"S\">%1</section>").arg(QLatin1String(body)).toUtf8()));
        panel.init(&rig.window, QPoint(), true);
        panel.loadSection(QStringLiteral("S"), -1);
    }
    template <class Ctrl>
    Ctrl* find(const QString& title)
    {
        return dynamic_cast<Ctrl*>(panel.getItem(title, -1, 0));
    }
    // Hands an incoming parameter change to every control, as the panel's
    // routing does.
    void receive(unsigned int address, int data)
    {
        std::unique_ptr<Sysex> message(rig.device.createSysex());
        message->prepareParameterChange(MidiParam(address, 1, false, false), data);
        for (int i = 0; i < panel.itemCount(); ++i)
            panel.itemAt(i)->OnSysex(message.get());
    }

    LayoutRig rig;
    Panel panel;
};

} // namespace

class TestPanelSnapshot : public QObject
{
    Q_OBJECT

private slots:
    void valuesInCellOrder()
    {
        Snapshot s;
        // Edit, check box, then the range's high and low ends; the other
        // kinds add nothing.
        QCOMPARE(s.panel.getValues(), (QList<int>{-1, -1, -1, -1}));
        s.find<MidiEdit>(QStringLiteral("E"))->setValue(5);
        s.find<MidiCheckBox>(QStringLiteral("C"))->setValue(1);
        s.find<MidiRange>(QStringLiteral("R"))->setLowValue(10);
        s.find<MidiRange>(QStringLiteral("R"))->setHighValue(20);
        QCOMPARE(s.panel.getValues(), (QList<int>{5, 1, 20, 10}));
    }

    void modified()
    {
        Snapshot s;
        // Before the first checkpoint: modified as soon as there is a value
        // control, values or not.
        QVERIFY(s.panel.isModified());
        QVERIFY(!Snapshot(R"(<label title="L"/><string title="S" chars="4"/>)").panel.isModified());
        s.panel.checkPoint();
        QVERIFY(!s.panel.isModified());

        auto* range = s.find<MidiRange>(QStringLiteral("R"));
        range->setLowValue(3);
        QVERIFY(s.panel.isModified());
        s.panel.checkPoint();
        range->setHighValue(9);
        QVERIFY(s.panel.isModified());
        s.panel.checkPoint();

        // Names, patches and envelopes are not part of the snapshot.
        s.find<MidiString>(QStringLiteral("S"))->setChar(0, 'A');
        s.find<MidiPatchEdit>(QStringLiteral("P"))->setPatch(Patch(0x3F08, 3));
        QVERIFY(!s.panel.isModified());

        // Values from the instrument count like the user's.
        s.receive(0x300000, 42);
        QCOMPARE(s.find<MidiEdit>(QStringLiteral("E"))->value(), 42);
        QVERIFY(s.panel.isModified());
        s.panel.checkPoint();

        // Forgetting the values is a change.
        for (int i = 0; i < s.panel.itemCount(); ++i)
            s.panel.itemAt(i)->resetValues();
        QVERIFY(s.panel.isModified());
        QCOMPARE(s.panel.getValues(), (QList<int>{-1, -1, -1, -1}));
    }

    void clearing()
    {
        Snapshot s;
        s.panel.checkPoint();
        const QList<int> checkpoint = s.panel.checkPointValues();
        QPointer<QWidget> control = s.panel.widgetAt(1);
        QPointer<QWidget> caption = s.panel.caption();
        const int tabs = s.panel.tabCount();
        s.panel.selectTab(0);
        s.panel.clear();
        QVERIFY(control.isNull());
        QVERIFY(s.panel.isEmpty());
        QVERIFY(s.rig.client.panelList().isEmpty());
        // An empty snapshot against the one kept.
        QCOMPARE(s.panel.checkPointValues(), checkpoint);
        QVERIFY(s.panel.isModified());
        QCOMPARE(s.panel.tabCount(), tabs);
        QCOMPARE(s.panel.currentTab(), 0);
        QCOMPARE(s.panel.iterator(), -1);
        QVERIFY(!caption.isNull());

        // Clearing an empty panel only takes it out of the client's list.
        s.panel.fit();
        s.panel.clear();
        QVERIFY(s.rig.client.panelList().isEmpty());
    }

    void withoutClient()
    {
        LayoutRig rig;
        Panel panel(nullptr);
        auto* edit = new MidiEdit(&panel, EditInfo());
        QVERIFY(!edit->device());
        QPointer<QWidget> watch = edit;
        panel.addControl(edit);
        panel.clear();
        QVERIFY(watch.isNull());
        QVERIFY(panel.isEmpty());
    }

    void destruction()
    {
        auto s = std::make_unique<Snapshot>();
        QPointer<QWidget> control = s->panel.widgetAt(3);
        QPointer<QWidget> caption = s->panel.caption();
        s->panel.widgetAt(1)->setFocus();
        QCOMPARE(s->rig.client.panelList().size(), 1);
        Panel* panel = new Panel(&s->rig.client, &s->rig.window);
        panel->loadSection(QStringLiteral("S"), -1);
        delete panel;
        QCOMPARE(s->rig.client.panelList().size(), 1);
        s.reset();
        QVERIFY(control.isNull() && caption.isNull());
    }
};

ORVANE_TEST_MAIN(TestPanelSnapshot)
#include "tst_panelsnapshot.moc"
