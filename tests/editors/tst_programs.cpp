// The five editor programs as a user starts them, offscreen, against the
// simulated instrument: instrument-sim on a private JACK server (its dummy
// driver needs no sound hardware), each program on JACK with its saved
// ports naming the simulator's. Each program starts, finds the instrument,
// takes a second start's file and ends cleanly on the desktop's SIGTERM;
// the second start hands its file over and returns 0.
#include "JackServer.h"
#include "SimInstrument.h"
#include "SimProcess.h"
#include "TestEnvironment.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>

namespace {

constexpr int StartMs = 30000;

// Made before this process's first JACK client and gone after it.
JackServer& jackServer()
{
    static JackServer instance;
    return instance;
}

struct Program
{
    const char* name;
    const char* title;
    // The edit buffer its patch files hold; 0: none (the mix editor's files
    // are mix documents).
    unsigned int editBuffer;
};

const Program Programs[] = {
    {"VeskVoice", "Vesk ES Voice Editor", 0x0F00},   {"VeskDrum", "Vesk ES Drum Kit Editor", 0x2F00},
    {"VeskPerf", "Vesk ES Performance Editor", 0x4F00}, {"VeskMaster", "Vesk ES Master Editor", 0x7F00},
    {"VeskMix", "Vesk ES Mix Editor", 0},
};

} // namespace

class TestEditorPrograms : public QObject
{
    Q_OBJECT

    QProcess sim;
    QByteArray simOutput;
    QTemporaryDir files;

    bool waitForSim(const QByteArray& text, qsizetype from, int timeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        while (simOutput.indexOf(text, from) == -1) {
            if (clock.hasExpired(timeoutMs) || sim.state() != QProcess::Running)
                return false;
            sim.waitForReadyRead(100);
            simOutput += sim.readAllStandardOutput();
        }
        return true;
    }

    // The simulator's status line, once every message sent before reached it.
    QString simStatus()
    {
        const qsizetype from = simOutput.size();
        sim.write("status\n");
        sim.waitForBytesWritten(5000);
        if (!waitForSim("; requests:", from, StartMs))
            return QString();
        waitForSim("\n", simOutput.indexOf("; requests:", from), StartMs);
        const qsizetype at = simOutput.indexOf("mode ", from);
        return QString::fromLatin1(simOutput.mid(at, simOutput.indexOf('\n', at) - at));
    }

    int simCounter(const char* name)
    {
        const auto match = QRegularExpression(QStringLiteral("%1 (\\d+)").arg(QLatin1String(name)))
                               .match(simStatus());
        return match.hasMatch() ? match.captured(1).toInt() : -1;
    }

    // The program as its desktop entry starts it, offscreen, on JACK.
    static void prepare(QProcess& process, const Program& program, const QStringList& arguments)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("ORVANE_MIDI_BACKEND"), QStringLiteral("jack"));
        process.setProcessEnvironment(env);
        process.setProgram(QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                           QLatin1String(program.name));
        process.setArguments(arguments);
    }

    // A patch file of the program: its edit buffer as the instrument sends
    // it, header to footer.
    QString patchFile(const Program& program)
    {
        const QString path = files.filePath(QLatin1String(program.name) + QStringLiteral(".syx"));
        Sim::Instrument instrument;
        if (!instrument.load(Sim::Options(), nullptr))
            return QString();
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return QString();
        file.write(instrument.sendBlock(program.editBuffer ? program.editBuffer : 0x0F00).messages.join());
        return path;
    }

private slots:
    void initTestCase()
    {
        QString error;
        if (!jackServer().start(&error))
            QSKIP(qPrintable(QStringLiteral("no JACK server for this test: %1").arg(error)));
        QVERIFY(files.isValid());
        sim.setProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/instrument-sim"));
        sim.setArguments({"--api", "jack", "--in", "esim-in", "--out", "esim-out"});
        sim.start();
        QVERIFY2(sim.waitForStarted(StartMs), qPrintable(sim.errorString()));
        QVERIFY2(waitForSim("ready esim-in:in esim-out:out", 0, StartMs),
                 qPrintable(QString::fromLocal8Bit(simOutput + sim.readAllStandardError())));

        // Every program's saved ports name the simulator's.
        for (const Program& program : Programs) {
            QSettings settings(QStringLiteral("Tamsel"), QLatin1String(program.title));
            settings.setValue(QStringLiteral("MidiIn"), QStringLiteral("esim-out:out"));
            settings.setValue(QStringLiteral("MidiOut"), QStringLiteral("esim-in:in"));
            settings.setValue(QStringLiteral("Delay"), 0);
        }
    }

    void cleanupTestCase()
    {
        QuitSimulator(sim);
    }

    void startHandOverAndExit_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < int(std::size(Programs)); ++i)
            QTest::newRow(Programs[i].name) << i;
    }

    void startHandOverAndExit()
    {
        QFETCH(int, index);
        const Program& program = Programs[index];
        const int identityBefore = simCounter("identity");

        QProcess first;
        prepare(first, program, {});
        first.start();
        QVERIFY2(first.waitForStarted(StartMs), qPrintable(first.errorString()));
        // It finds the instrument by its identity request.
        QVERIFY(QTest::qWaitFor([&] { return simCounter("identity") > identityBefore; }, StartMs));

        // A second start hands its file to the first and ends at once with 0.
        const int writesBefore = simCounter("writes");
        QProcess second;
        prepare(second, program, {patchFile(program)});
        second.start();
        QVERIFY(second.waitForFinished(StartMs));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QVERIFY2(second.exitCode() == 0, second.readAllStandardError().constData());
        QCOMPARE(first.state(), QProcess::Running);
        // The patch editors send their patch file to the instrument's edit
        // buffer (the mix editor reads its file as a mix document).
        if (program.editBuffer)
            QVERIFY(QTest::qWaitFor([&] { return simCounter("writes") > writesBefore; }, StartMs));

        // The desktop ends it: windows close, settings are written, and the
        // sanitizers find nothing.
        first.terminate();
        QVERIFY(first.waitForFinished(StartMs));
        QCOMPARE(first.exitStatus(), QProcess::NormalExit);
        QVERIFY2(first.exitCode() == 0, first.readAllStandardError().right(4000).constData());
    }
};

ORVANE_TEST_MAIN(TestEditorPrograms)
#include "tst_programs.moc"
