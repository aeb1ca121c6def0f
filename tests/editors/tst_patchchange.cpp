// Program changes that read the edit buffer: the voice and drum kit
// editors' fall-back when the edit buffer does not answer after the mode
// switch either (program 0 of the first user bank is selected and its echo
// reads again, once; an instrument that stays silent ends the read instead
// of starting one after another), and program changes from the instrument.
#include "EditorKinds.h"
#include "MidiPatchEdit.h"
#include "MidiString.h"
#include "Prompts.h"
#include "TestInstrument.h"
#include "Waiting.h"

#include <QElapsedTimer>

using Kind = ScriptedPrompts::Kind;

class TestEditorPatchChange : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;
    std::unique_ptr<EditorRig> rig;
    std::unique_ptr<ScriptedPrompts> prompts;

    Sim::BusSimulator& sim() { return *rig->sim; }

private slots:
    void initTestCase()
    {
        bus = testBus();
        QVERIFY2(bus, "the tests run on the virtual MIDI bus (ORVANE_MIDI_BACKEND=virtual)");
    }

    void init()
    {
        prompts = std::make_unique<ScriptedPrompts>();
        rig = std::make_unique<EditorRig>(*bus);
        QVERIFY2(rig->sim->isLoaded(), qPrintable(rig->sim->error()));
    }

    void cleanup()
    {
        rig.reset();
        prompts.reset();
    }

    // The drum kit edit buffer answers only while a drum kit plays: after
    // the switch fails too, the editor selects the first user kit, and that
    // selection's echo reads it.
    void drumKitFallsBackToTheFirstUserKit()
    {
        auto window = Wire::build(*rig, QStringLiteral("drum"));
        QVERIFY(Wire::showConnected(*window));
        const QString request = QStringLiteral("request 0E2F00");
        QCOMPARE(Wire::withoutWaveAsks(Wire::received(*bus, sim())),
                 (QStringList{"ask 00000A", request, Wire::setMode(0), request, Wire::setMode(0), "B0 00 3F", "B0 20 28", "C0 00",
                              request}));
        QCOMPARE(Wire::shownName(*window), sim()->name(0x2800).trimmed());
        QCOMPARE(window->selectedPatch().toUInt(), Patch(0x3F28, 0).toUInt());
    }

    // An instrument that never answers the edit buffer: one fall-back, whose
    // echo reads once more (switching the mode first), and then the first
    // connection ends. Afterwards every switch is asked for, the echo's read
    // too, and a no ends it.
    void silentInstrumentFallsBackOnce()
    {
        sim()->setFault(Sim::BulkReply, Sim::Fault::Drop, -1, -1);
        auto window = Wire::build(*rig, QStringLiteral("voice"));
        QVERIFY(Wire::showConnected(*window, 60000));
        // The fall-back's echo read ran inside the connection; no later read
        // waits.
        QVERIFY(!window->isSelectPending());
        const QString request = QStringLiteral("request 0E0F00");
        QCOMPARE(Wire::received(*bus, sim()),
                 (QStringList{"ask 00000A", request, Wire::setMode(0), request, Wire::setMode(0), "B0 00 3F", "B0 20 08", "C0 00",
                              request, Wire::setMode(0), request}));
        QCOMPARE(prompts->count(Kind::YesNo), 0);

        sim()->clearReceived();
        prompts->script(Kind::YesNo, true);
        prompts->script(Kind::YesNo, false);
        window->MidiReceive();
        QCOMPARE(Wire::received(*bus, sim()), (QStringList{request, Wire::setMode(0), request, Wire::setMode(0), "B0 00 3F",
                                                           "B0 20 08", "C0 00", request}));
        QCOMPARE(prompts->count(Kind::YesNo), 2);
        QCOMPARE(prompts->last(Kind::YesNo).text, QStringLiteral("Do you want to switch to Voice mode?"));
    }

    void programChanges_data()
    {
        QTest::addColumn<QString>("editor");
        QTest::addColumn<QList<uint>>("patches"); // packed; 7F7Fpp: a master selected
        QTest::addColumn<uint>("shown");          // shown before, packed; 0: as read
        QTest::addColumn<int>("reads");
        QTest::newRow("voice: two changes, one read") << "voice" << QList<uint>{0x3F0803, 0x3F0805} << 0u << 1;
        QTest::newRow("performance: a voice bank is no performance") << "perf" << QList<uint>{0x3F0803} << 0u << 0;
        QTest::newRow("performance: a performance is read")
            << "perf" << QList<uint>{0x3F4002} << 0u << 1;
        QTest::newRow("master: the master shown is not read again")
            << "master" << QList<uint>{0x7F7F02} << 0x7F7F02u << 0;
        QTest::newRow("master: another master is read") << "master" << QList<uint>{0x7F7F03} << 0x7F7F02u << 1;
    }

    // Program changes from the instrument are shown at once and read once,
    // the pause after the last of them, when the editor edits that bank. The
    // earlier changes hold the pause long, so that no stall of a loaded
    // machine splits the run; the last one restarts it at its own length.
    void programChanges()
    {
        QFETCH(QString, editor);
        QFETCH(QList<uint>, patches);
        QFETCH(uint, shown);
        QFETCH(int, reads);
        Wire::answerFor(sim(), editor);
        auto window = Wire::build(*rig, editor);
        QVERIFY(Wire::showConnected(*window));
        if (shown)
            window->patchEdit()->setPatch(Patch(shown));
        // A client after the window: it hears each change once the window has.
        RecordingClient heard(rig->device.get());
        sim()->clearReceived();
        QElapsedTimer sinceLast;
        for (qsizetype i = 0; i < patches.size(); ++i) {
            const Patch patch(patches.at(i));
            window->setSelectDelay(i + 1 < patches.size() ? Waiting::HoldMs : MidiEditorWindow::SelectDelayMs);
            sinceLast.start();
            if (patch.bank.word() == 0x7F7F)
                sim()->selectMaster(patch.program);
            else
                sim()->selectPatch(patch.bank.word(), patch.program);
            // Waits for the window to have taken the change.
            QTRY_VERIFY_WITH_TIMEOUT(heard.texts(RecordingClient::Event::PatchChange).size() > i, Waiting::EventMs);
        }
        if (!reads)
            QVERIFY(!window->isSelectPending());
        // Waits for the pause to end in the read.
        QTRY_COMPARE_WITH_TIMEOUT(window->isSelectPending(), false, Waiting::EventMs);
        const QStringList texts = Wire::received(*bus, sim());
        QCOMPARE(texts.count(Wire::request(Wire::kind(editor).editBuffer)), reads);
        if (reads) {
            QVERIFY2(sinceLast.elapsed() >= MidiEditorWindow::SelectDelayMs - 20,
                     qPrintable(QString::number(sinceLast.elapsed())));
            QCOMPARE(window->selectedPatch().toUInt(), patches.last());
        }
    }
};

ORVANE_TEST_MAIN(TestEditorPatchChange)
#include "tst_patchchange.moc"
