// Which MIDI system a process speaks to: the rule as a table over what the
// machine offers and what the environment names, the texts that tell the user
// what to do, and a process that starts with no system and takes up a JACK
// server (a private one) that starts after it.
#include "JackServer.h"
#include "MidiBackend.h"
#include "MidiSystems.h"
#include "PortInfo.h"
#include "ScriptedMidiSystems.h"
#include "TestEnvironment.h"

Q_DECLARE_METATYPE(MidiSystem)

namespace {

// Made before the process's MIDI backend and gone after it.
JackServer& systemsServer()
{
    static JackServer instance;
    return instance;
}

bool isListed(const Vector<PortInfo>& ports, const QString& name)
{
    for (const PortInfo& p : ports) {
        if (p.name == name)
            return true;
    }
    return false;
}

} // namespace

class TestMidiSystems : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // This process chooses as a user's program does: nothing named.
        qunsetenv("ORVANE_MIDI_BACKEND");
        systemsServer();
    }

    void choice_data()
    {
        QTest::addColumn<QString>("named");
        QTest::addColumn<bool>("alsa");
        QTest::addColumn<bool>("jack");
        QTest::addColumn<MidiSystem>("system");
        QTest::addColumn<bool>("isNamed");
        QTest::addColumn<int>("alsaAsked");
        QTest::addColumn<int>("jackAsked");

        // A system that opens is taken whether it has ports or not; ALSA
        // first, and JACK is not asked once ALSA opened.
        QTest::newRow("both open") << "" << true << true << MidiSystem::Alsa << false << 1 << 0;
        QTest::newRow("ALSA only") << "" << true << false << MidiSystem::Alsa << false << 1 << 0;
        QTest::newRow("JACK only") << "" << false << true << MidiSystem::Jack << false << 1 << 1;
        QTest::newRow("neither") << "" << false << false << MidiSystem::None << false << 1 << 1;
        // A named system is taken as it is, and nothing is asked.
        QTest::newRow("jack named, no server")
            << "jack" << true << false << MidiSystem::Jack << true << 0 << 0;
        QTest::newRow("alsa named, no sequencer")
            << "alsa" << false << true << MidiSystem::Alsa << true << 0 << 0;
        QTest::newRow("virtual named")
            << "virtual" << false << false << MidiSystem::Virtual << true << 0 << 0;
        QTest::newRow("named in capitals") << " JACK " << true << true << MidiSystem::Jack << true << 0 << 0;
        // A name of no system is passed over.
        QTest::newRow("unknown name") << "coremidi" << false << true << MidiSystem::Jack << false << 1 << 1;
    }

    void choice()
    {
        QFETCH(QString, named);
        QFETCH(bool, alsa);
        QFETCH(bool, jack);
        QFETCH(MidiSystem, system);
        QFETCH(bool, isNamed);
        QFETCH(int, alsaAsked);
        QFETCH(int, jackAsked);

        ScriptedMidiSystems systems(alsa, jack);
        const MidiSystemChoice choice = chooseMidiSystem(named, systems);
        QCOMPARE(choice.system, system);
        QCOMPARE(choice.named, isNamed);
        QCOMPARE(choice.warning.contains(QLatin1String("coremidi")), named == QLatin1String("coremidi"));
        QCOMPARE(systems.alsaAsked.load(), alsaAsked);
        QCOMPARE(systems.jackAsked.load(), jackAsked);
    }

    void problemsSayWhatToDo_data()
    {
        QTest::addColumn<MidiSystem>("system");
        QTest::addColumn<bool>("named");
        QTest::addColumn<QString>("brief");
        QTest::addColumn<QStringList>("says");

        const QString start = QStringLiteral("jackd -d dummy");
        const QString then = QStringLiteral("MIDI Setup, or use Autoconnect");
        QTest::newRow("none") << MidiSystem::None << false << "no MIDI system"
                              << QStringList{"ALSA sequencer", "no JACK server", start, "modprobe snd-seq",
                                             then};
        QTest::newRow("ALSA named") << MidiSystem::Alsa << true << "the ALSA sequencer cannot be opened"
                                    << QStringList{"/dev/snd/seq", "modprobe snd-seq", start,
                                                   "without ORVANE_MIDI_BACKEND", then};
        QTest::newRow("JACK chosen") << MidiSystem::Jack << false << "no JACK server is running"
                                     << QStringList{"No JACK server", start, then};
        QTest::newRow("JACK named") << MidiSystem::Jack << true << "no JACK server is running"
                                    << QStringList{start, "modprobe snd-seq", "without ORVANE_MIDI_BACKEND"};
    }

    void problemsSayWhatToDo()
    {
        QFETCH(MidiSystem, system);
        QFETCH(bool, named);
        QFETCH(QString, brief);
        QFETCH(QStringList, says);

        const MidiSystemProblem problem = midiSystemProblem(system, named);
        QCOMPARE(problem.brief, brief);
        for (const QString& s : says)
            QVERIFY2(problem.text.contains(s), qPrintable(s + QStringLiteral(" in: ") + problem.text));
        // Only a named system is left by starting without the name.
        if (!named)
            QVERIFY(!problem.text.contains(QLatin1String("ORVANE_MIDI_BACKEND")));
    }

    void serverThatStartsLaterIsTakenUp()
    {
        ScriptedMidiSystems systems(false, false);
        // Nothing opens: the empty bus stands in, and says why.
        QCOMPARE(midiBackend()->apiName(), QStringLiteral("virtual"));
        QCOMPARE(currentMidiSystemProblem().brief, QStringLiteral("no MIDI system"));
        QVERIFY(!InitMidiPorts());
        // Every listing looked for a system again.
        QCOMPARE(systems.jackAsked.load(), 2);

        QString error;
        if (!systemsServer().start(&error))
            QSKIP(qPrintable(QStringLiteral("no JACK server for this test: %1").arg(error)));
        JackMidiPeer peer;
        QVERIFY2(peer.open(QStringLiteral("laterin"), QStringLiteral("laterout"), &error), qPrintable(error));
        systems.jack = true;

        QVERIFY(InitMidiPorts());
        QCOMPARE(midiBackend()->apiName(), QStringLiteral("jack"));
        QVERIFY(currentMidiSystemProblem().isEmpty());
        QVERIFY(isListed(MidiOutPorts, peer.inputName()));
        QVERIFY(isListed(MidiInPorts, peer.outputName()));

        // A system in use that opens is kept: nothing is asked any more.
        const int asked = systems.alsaAsked.load();
        QVERIFY(InitMidiPorts());
        QCOMPARE(systems.alsaAsked.load(), asked);
    }
};

ORVANE_TEST_GUILESS_MAIN(TestMidiSystems)
#include "tst_midisystems.moc"
