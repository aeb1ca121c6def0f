// The enabling rules of a panel: a check box or combo switches the items
// that name it in "enable" by its value, with the voice editor's tempo sync
// and user step sequence as fixtures.
#include "LayoutRig.h"
#include "MidiCheckBox.h"
#include "MidiEdit.h"
#include "MidiRange.h"
#include "Panel.h"
#include "TestEnvironment.h"

#include <memory>

namespace {

// Step k of the sequence is usable from the first entry of "Ridev Steps"
// (2|3|4|6|8|12|16 steps) that has k steps on.
QString stepsSection()
{
    const int firstEntry[17] = {0, 0, 0, 1, 2, 3, 3, 4, 4, 5, 5, 5, 5, 6, 6, 6, 6};
    QString xml = QStringLiteral(R"(<section name="Voice:LFO:User">
        <combo title="Ridev Steps" address="400020" items="2|3|4|6|8|12|16"/>)");
    for (int step = 1; step <= 16; ++step) {
        QStringList values;
        for (int entry = firstEntry[step]; entry <= 6; ++entry)
            values << QString::number(entry);
        const QString rule = step <= 2 ? QString()
                                       : QStringLiteral(R"( enable="Ridev Steps" enable_values="%1")")
                                             .arg(values.join(QLatin1Char('|')));
        xml += QStringLiteral(R"(<edit title="Step %1" address="4000%2"%3/>)")
                   .arg(step)
                   .arg(0x30 + step, 2, 16, QLatin1Char('0'))
                   .arg(rule);
    }
    return xml + QStringLiteral("</section>");
}

const char* const Lfo = R"(<section name="Voice:LFO">
    <check title="Tempo Sync" address="400010"/>
    <edit title="LFO Speed" address="400011" enable="Tempo Sync" enable_values="0"/>
    <combo title="LFO Tempo Speed" address="400012" items="1/16|1/8|1/4" enable="Tempo Sync"/>
    <edit title="Odd" address="400013" enable="Tempo Sync" enable_values="||x|1"/>
    <range title="Keys" low="400014" high="400015"/>
    <edit title="Follows Keys" address="400016" enable="Keys"/>
    <edit title="Delay" address="400017" enable="Depth" enable_values="0"/>
    <combo title="Depth" address="400018" items="a|b" enable="Tempo Sync" enable_values="0"/>
  </section>)";

class Rules
{
public:
    Rules()
    {
        QVERIFY(rig.load(QStringLiteral(R"(<section title="VoiceEditor">%1%2</section>)")
                             .arg(QLatin1String(Lfo), stepsSection())
                             .toUtf8()));
        lfo.init(&rig.window, QPoint(), true);
        lfo.loadSection(QStringLiteral("Voice:LFO"), -1);
        steps.init(&rig.window, QPoint(0, 300), true);
        steps.loadSection(QStringLiteral("Voice:LFO:User"), -1);
    }
    // Whether the control's widget and its caption label (the item before
    // it in a vertical panel) are enabled: both or neither, else a failure.
    static bool enabled(Panel& panel, const QString& title)
    {
        MidiCtrl* ctrl = panel.getItem(title, -1, 0);
        int index = 0;
        while (panel.itemAt(index) != ctrl)
            ++index;
        const bool on = ctrl->widget()->isEnabled();
        if (panel.widgetAt(index - 1)->isEnabled() != on)
            QTest::qFail(qPrintable(title + QStringLiteral(": the caption does not follow")), __FILE__,
                         __LINE__);
        return on;
    }
    MidiCheckBox* sync()
    {
        return dynamic_cast<MidiCheckBox*>(lfo.getItem(QStringLiteral("Tempo Sync"), -1, 0));
    }
    MidiEdit* edit(Panel& panel, const QString& title) { return panel.getEdit(title, 0); }

    LayoutRig rig;
    Panel lfo{&rig.client};
    Panel steps{&rig.client};
};

} // namespace

class TestPanelEnabling : public QObject
{
    Q_OBJECT

private slots:
    void tempoSync()
    {
        Rules r;
        // Nothing is switched before the driver's first value.
        for (const char* title : {"LFO Speed", "LFO Tempo Speed", "Odd"})
            QVERIFY(r.lfo.getItem(QLatin1String(title), -1, 0)->widget()->isEnabled());

        r.sync()->setValue(0);
        QVERIFY(Rules::enabled(r.lfo, QStringLiteral("LFO Speed")));
        QVERIFY(!Rules::enabled(r.lfo, QStringLiteral("LFO Tempo Speed")));
        // Empty pieces and words match no value, 0 included.
        QVERIFY(!r.lfo.getEdit(QStringLiteral("Odd"), 0)->isEnabled());

        r.sync()->setValue(1);
        QVERIFY(!r.lfo.getEdit(QStringLiteral("LFO Speed"), 0)->isEnabled());
        QVERIFY(Rules::enabled(r.lfo, QStringLiteral("LFO Tempo Speed")));
        QVERIFY(r.lfo.getEdit(QStringLiteral("Odd"), 0)->isEnabled());

        // The same value again re-evaluates nothing.
        r.lfo.getEdit(QStringLiteral("LFO Speed"), 0)->setEnabled(true);
        r.sync()->setValue(1);
        QVERIFY(r.lfo.getEdit(QStringLiteral("LFO Speed"), 0)->isEnabled());

        // A value from the instrument drives like the user's.
        std::unique_ptr<Sysex> message(r.rig.device.createSysex());
        message->prepareParameterChange(MidiParam(0x400010, 1, false, false), 0);
        r.lfo.OnSysex(message.get());
        QVERIFY(Rules::enabled(r.lfo, QStringLiteral("LFO Speed")));
        QVERIFY(!r.lfo.getEdit(QStringLiteral("LFO Tempo Speed"), 0)->isEnabled());
    }

    void stepCount_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<int>("usable"); // steps 1..usable enabled, the rest disabled
        QTest::newRow("2 steps") << 0 << 2;
        QTest::newRow("6 steps") << 3 << 6;
        QTest::newRow("8 steps") << 4 << 8;
        QTest::newRow("12 steps") << 5 << 12;
        QTest::newRow("16 steps") << 6 << 16;
    }
    // The combo drives by its entry index, not by the entry's text.
    void stepCount()
    {
        QFETCH(int, entry);
        QFETCH(int, usable);
        Rules r;
        r.edit(r.steps, QStringLiteral("Ridev Steps"))->setValue(6);
        r.edit(r.steps, QStringLiteral("Ridev Steps"))->setValue(entry);
        for (int step = 1; step <= 16; ++step)
            QCOMPARE(Rules::enabled(r.steps, QStringLiteral("Step %1").arg(step)), step <= usable);
    }

    // Only the driver's own panel, only edits and check boxes with a value,
    // and a driver that is disabled itself still drives.
    void whatDrives()
    {
        Rules r;
        // "Tempo Sync" of another panel: the steps panel has no dependant of
        // it, and its own dependants are not those of another panel.
        Panel other(&r.rig.client);
        other.init(&r.rig.window, QPoint(0, 600), true);
        other.loadSection(QStringLiteral("Voice:LFO"), -1);
        dynamic_cast<MidiCheckBox*>(other.getItem(QStringLiteral("Tempo Sync"), -1, 0))->setValue(1);
        QVERIFY(r.lfo.getEdit(QStringLiteral("LFO Speed"), 0)->isEnabled());

        // A range has no driving value.
        auto* keys = r.lfo.getRange(QStringLiteral("Keys"), 0);
        keys->setLowValue(1);
        r.lfo.changeEnabling(keys);
        QVERIFY(r.lfo.getEdit(QStringLiteral("Follows Keys"), 0)->isEnabled());

        // "Depth" is disabled by tempo sync and still switches "Delay".
        r.sync()->setValue(1);
        QVERIFY(!r.lfo.getEdit(QStringLiteral("Depth"), 0)->isEnabled());
        r.edit(r.lfo, QStringLiteral("Depth"))->setValue(1);
        QVERIFY(!r.lfo.getEdit(QStringLiteral("Delay"), 0)->isEnabled());
        r.edit(r.lfo, QStringLiteral("Depth"))->setValue(0);
        QVERIFY(r.lfo.getEdit(QStringLiteral("Delay"), 0)->isEnabled());
    }

    // Forgetting the values leaves the dependants as they are; the next value
    // applies the rule again.
    void resetKeepsTheState()
    {
        Rules r;
        r.sync()->setValue(1);
        r.lfo.resetValues();
        QVERIFY(!r.lfo.getEdit(QStringLiteral("LFO Speed"), 0)->isEnabled());
        r.sync()->setValue(1);
        QVERIFY(!r.lfo.getEdit(QStringLiteral("LFO Speed"), 0)->isEnabled());
        QVERIFY(r.lfo.getEdit(QStringLiteral("LFO Tempo Speed"), 0)->isEnabled());
    }
};

ORVANE_TEST_MAIN(TestPanelEnabling)
#include "tst_panelenabling.moc"
