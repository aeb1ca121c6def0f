// An editor whose MIDI system cannot be opened says so in its status bar and,
// the first time only, in a message box that names the system and what to
// do; once the system opens again, connecting finds the instrument and the
// status bar says so.
#include "EditorKinds.h"
#include "Prompts.h"

namespace {

int editorSystemBoxes(const ScriptedPrompts& prompts)
{
    int n = 0;
    for (const ScriptedPrompts::Call& call : prompts.calls()) {
        if (call.kind == ScriptedPrompts::Kind::Error && call.text.contains(QLatin1String("MIDI bus")))
            ++n;
    }
    return n;
}

} // namespace

class TestEditorMidiSystem : public QObject
{
    Q_OBJECT

private slots:
    void saysWhyItCannotConnect()
    {
        VirtualMidiBus* bus = testBus();
        QVERIFY2(bus, "the tests run on the virtual MIDI bus (ORVANE_MIDI_BACKEND=virtual)");
        ScriptedPrompts prompts;
        EditorRig rig(*bus);
        Wire::answerFor(*rig.sim, QStringLiteral("voice"));
        bus->setClientFailure(MidiStatusClientFailed);
        auto window = rig.build<VeskVoice>();
        window->show();

        const QString down = QStringLiteral("Not connected: the virtual MIDI bus cannot be opened");
        QTRY_COMPARE_WITH_TIMEOUT(window->connectionLabel()->text(), down, 30000);
        QTRY_COMPARE_WITH_TIMEOUT(editorSystemBoxes(prompts), 1, 30000);
        QVERIFY(prompts.last(ScriptedPrompts::Kind::Error).text.contains(QLatin1String("ORVANE_MIDI_BACKEND")));

        // Failing again: the status bar, no second box.
        rig.device->connect(true);
        QCOMPARE(window->connectionLabel()->text(), down);

        bus->setClientFailure(MidiStatusOk);
        rig.device->connect(true);
        QTRY_COMPARE_WITH_TIMEOUT(window->connectionLabel()->text(), QStringLiteral("Vesk ES6 connected"), 30000);
        QCOMPARE(editorSystemBoxes(prompts), 1);
        window.reset();
        bus->reset();
    }
};

ORVANE_TEST_MAIN(TestEditorMidiSystem)
#include "tst_midisystem.moc"
