// The librarian on a machine without a MIDI system: it says so in its status
// bar and, once, in a message box naming what it tried and what to do. Then a
// JACK server (a private one) and the simulator start, the simulator choosing
// its MIDI system by the same rule as the suite, and Autoconnect finds the
// instrument without a restart. The simulator alone, with no system, ends
// with the same advice.
#include "JackServer.h"
#include "MidiBackend.h"
#include "Profile.h"
#include "Prompts.h"
#include "ScriptedMidiSystems.h"
#include "SimProcess.h"
#include "TestEnvironment.h"
#include "Vesk.h"
#include "VeskLib.h"
#include "VeskLib_Program.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>

namespace {

constexpr int ConnectMs = 30000;

// Made before the process's MIDI backend and gone after it.
JackServer& connectServer()
{
    static JackServer instance;
    return instance;
}

// The message boxes about the MIDI system (other boxes, such as a job's end
// text, are not counted).
int midiSystemBoxes(const ScriptedPrompts& prompts)
{
    int n = 0;
    for (const ScriptedPrompts::Call& call : prompts.calls()) {
        if (call.kind == ScriptedPrompts::Kind::Error && call.text.contains(QLatin1String("MIDI system")))
            ++n;
    }
    return n;
}

} // namespace

class TestLibrarianConnect : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QProcess sim;
    QByteArray simOutput;

    // The simulator as the README starts it (no --api), in an environment
    // that offers it no ALSA sequencer (an ALSA configuration that defines
    // none, as on a machine without one) and only the private JACK server.
    void prepareSim(QProcess& process, const QStringList& arguments)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("ORVANE_MIDI_BACKEND"));
        env.insert(QStringLiteral("ALSA_CONFIG_PATH"), dir.filePath(QStringLiteral("no-sequencer.conf")));
        env.insert(QStringLiteral("JACK_DEFAULT_SERVER"), connectServer().name());
        env.insert(QStringLiteral("JACK_NO_START_SERVER"), QStringLiteral("1"));
        process.setProcessEnvironment(env);
        process.setProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/instrument-sim"));
        process.setArguments(arguments);
    }

    bool waitForSim(const QByteArray& text)
    {
        QElapsedTimer clock;
        clock.start();
        while (!simOutput.contains(text)) {
            if (clock.hasExpired(ConnectMs) || sim.state() != QProcess::Running)
                return false;
            sim.waitForReadyRead(100);
            simOutput += sim.readAllStandardOutput();
        }
        return true;
    }

private slots:
    void initTestCase()
    {
        // Nothing named: the librarian chooses as a user's does.
        qunsetenv("ORVANE_MIDI_BACKEND");
        connectServer();
        QVERIFY(dir.isValid());
        QFile conf(dir.filePath(QStringLiteral("no-sequencer.conf")));
        QVERIFY(conf.open(QIODevice::WriteOnly));
    }

    void cleanupTestCase()
    {
        QuitSimulator(sim);
    }

    void simulatorWithoutSystemSaysWhatToDo()
    {
        QProcess lone;
        prepareSim(lone, {});
        lone.start();
        QVERIFY(lone.waitForFinished(ConnectMs));
        QCOMPARE(lone.exitStatus(), QProcess::NormalExit);
        QCOMPARE(lone.exitCode(), 1);
        const QString said = QString::fromLocal8Bit(lone.readAllStandardError());
        QVERIFY2(said.contains(QLatin1String("no MIDI system")) &&
                     said.contains(QLatin1String("jackd -d dummy")),
                 qPrintable(said));
    }

    void connectsOnceAServerStarts()
    {
        ScriptedPrompts prompts;
        ScriptedMidiSystems systems(false, false);
        Profile::setIdentity(VeskLib::Title, QStringLiteral("Tamsel"), QStringLiteral("2.8.0"));
        Profile::settings()->clear();
        Profile::writeProfileInt(QString(), QStringLiteral("OnStart"), 0);
        Vesk device;
        RegisterLibrarianResources();
        auto window = std::make_unique<VeskLib>(&device);
        window->show();
        QVERIFY(QTest::qWaitFor([&] { return window->isLoaded(); }, ConnectMs));

        QTRY_COMPARE_WITH_TIMEOUT(midiSystemBoxes(prompts), 1, ConnectMs);
        const QString text = prompts.last(ScriptedPrompts::Kind::Error).text;
        for (const char* says : {"ALSA sequencer", "no JACK server", "jackd -d dummy", "Autoconnect"})
            QVERIFY2(text.contains(QLatin1String(says)), qPrintable(text));
        QCOMPARE(window->statusLabel()->text(), QStringLiteral("Not connected: no MIDI system"));

        // Autoconnect with still nothing there: the box is not shown again.
        window->onCommand(VeskLib::cmdAutoconnect);
        QTRY_VERIFY_WITH_TIMEOUT(!device.isAutoConnecting(), ConnectMs);
        QCOMPARE(window->statusLabel()->text(), QStringLiteral("Not connected: no MIDI system"));
        QCOMPARE(midiSystemBoxes(prompts), 1);

        QString error;
        if (!connectServer().start(&error))
            QSKIP(qPrintable(QStringLiteral("no JACK server for this test: %1").arg(error)));
        systems.jack = true;
        prepareSim(sim, {"--in", "csim-in", "--out", "csim-out"});
        sim.start();
        QVERIFY2(sim.waitForStarted(ConnectMs), qPrintable(sim.errorString()));
        QVERIFY2(waitForSim("ready csim-in:in csim-out:out"),
                 qPrintable(QString::fromLocal8Bit(simOutput + sim.readAllStandardError())));

        window->onCommand(VeskLib::cmdAutoconnect);
        QTRY_COMPARE_WITH_TIMEOUT(window->statusLabel()->text(), QStringLiteral("Vesk ES6 connected"),
                                  ConnectMs);
        QCOMPARE(midiBackend()->apiName(), QStringLiteral("jack"));
        QCOMPARE(Profile::readProfileString(QString(), QStringLiteral("MidiOut"), QString()),
                 QStringLiteral("csim-in:in"));
        QCOMPARE(midiSystemBoxes(prompts), 1);
        window.reset();
    }
};

ORVANE_TEST_MAIN(TestLibrarianConnect)
#include "tst_connect.moc"
