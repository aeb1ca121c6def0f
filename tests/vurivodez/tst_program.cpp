// The librarian as a user starts it, offscreen, against the simulated
// instrument: instrument-sim on a private JACK server (its dummy driver needs
// no sound hardware), the librarian on JACK with its saved ports naming the
// simulator's. It finds the instrument, takes over a library file from a
// second start (which returns 0 at once), opens a file named on its command
// line, and ends cleanly on the desktop's SIGTERM, its settings written.
#include "JackServer.h"
#include "SimProcess.h"
#include "TestEnvironment.h"

#include "Archive.h"
#include "Vesk.h"
#include "VeskAll_Library.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>

namespace {

constexpr int StartMs = 30000;

JackServer& jackServer()
{
    static JackServer instance;
    return instance;
}

const QString Title = QStringLiteral("Vesk ES Ridev Vurivodez");

} // namespace

class TestLibrarianProgram : public QObject
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

    int identityRequests()
    {
        const qsizetype from = simOutput.size();
        sim.write("status\n");
        sim.waitForBytesWritten(5000);
        if (!waitForSim("; requests:", from, StartMs))
            return -1;
        waitForSim("\n", simOutput.indexOf("; requests:", from), StartMs);
        const auto match = QRegularExpression(QStringLiteral("identity (\\d+)"))
                               .match(QString::fromLatin1(simOutput.mid(from)));
        return match.hasMatch() ? match.captured(1).toInt() : -1;
    }

    static void prepare(QProcess& process, const QStringList& arguments)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("ORVANE_MIDI_BACKEND"), QStringLiteral("jack"));
        process.setProcessEnvironment(env);
        process.setProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/VeskLib"));
        process.setArguments(arguments);
    }

    // An empty library of the kind, saved as the program saves it.
    QString library(const char* name, int type)
    {
        const QString path = files.filePath(QLatin1String(name));
        Vesk device;
        std::unique_ptr<LibraryFolder> tree(CreateVeskLibrary(type, &device));
        return tree->storeFile(path) ? path : QString();
    }

    static QStringList recentFiles()
    {
        QSettings settings(QStringLiteral("Tamsel"), Title);
        return settings.value(QStringLiteral("RecentFiles")).toStringList();
    }

    static bool ends(QProcess& process)
    {
        process.terminate();
        return process.waitForFinished(StartMs) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }

private slots:
    void initTestCase()
    {
        QString error;
        if (!jackServer().start(&error))
            QSKIP(qPrintable(QStringLiteral("no JACK server for this test: %1").arg(error)));
        QVERIFY(files.isValid());
        sim.setProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/instrument-sim"));
        sim.setArguments({"--api", "jack", "--in", "lsim-in", "--out", "lsim-out"});
        sim.start();
        QVERIFY2(sim.waitForStarted(StartMs), qPrintable(sim.errorString()));
        QVERIFY2(waitForSim("ready lsim-in:in lsim-out:out", 0, StartMs),
                 qPrintable(QString::fromLocal8Bit(simOutput + sim.readAllStandardError())));
    }

    void init()
    {
        QSettings settings(QStringLiteral("Tamsel"), Title);
        settings.clear();
        settings.setValue(QStringLiteral("MidiIn"), QStringLiteral("lsim-out:out"));
        settings.setValue(QStringLiteral("MidiOut"), QStringLiteral("lsim-in:in"));
        settings.setValue(QStringLiteral("Delay"), 0);
        settings.setValue(QStringLiteral("OnStart"), 0);
    }

    void cleanupTestCase()
    {
        QuitSimulator(sim);
    }

    void startHandOverAndExit()
    {
        const int identityBefore = identityRequests();
        QProcess first;
        prepare(first, {});
        first.start();
        QVERIFY2(first.waitForStarted(StartMs), qPrintable(first.errorString()));
        QVERIFY(QTest::qWaitFor([&] { return identityRequests() > identityBefore; }, StartMs));

        // A second start hands its library over and ends at once with 0; the
        // first opens it (and lists it among the recent files).
        const QString path = library("handed.all", 0);
        QVERIFY(!path.isEmpty());
        QProcess second;
        prepare(second, {path});
        second.start();
        QVERIFY(second.waitForFinished(StartMs));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QVERIFY2(second.exitCode() == 0, second.readAllStandardError().constData());
        QCOMPARE(first.state(), QProcess::Running);
        QVERIFY(QTest::qWaitFor([&] { return recentFiles().value(0) == path; }, StartMs));

        // The desktop ends it: its settings are written, the sanitizers find
        // nothing.
        QVERIFY2(ends(first), first.readAllStandardError().right(4000).constData());
        QSettings settings(QStringLiteral("Tamsel"), Title);
        QVERIFY(settings.contains(QStringLiteral("EditorsBar")));
    }

    void fileOnTheCommandLine()
    {
        // The file wins over OnStart ("Load last loaded library" here).
        QSettings(QStringLiteral("Tamsel"), Title).setValue(QStringLiteral("OnStart"), 3);
        const QString path = library("named.vlib", 1);
        QProcess process;
        prepare(process, {path});
        process.start();
        QVERIFY(process.waitForStarted(StartMs));
        QVERIFY(QTest::qWaitFor([&] { return recentFiles().value(0) == path; }, StartMs));
        QVERIFY2(ends(process), process.readAllStandardError().right(4000).constData());
    }
};

ORVANE_TEST_MAIN(TestLibrarianProgram)
#include "tst_program.moc"
