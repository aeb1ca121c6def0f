// The standalone instrument-sim over a private JACK server, at the wire rate
// of a MIDI cable: the framework's device finds it, reads edit buffers and
// patch locations (a whole drum kit among them), writes a block and reads it
// back, stores everything, sets and reads parameters, and hears the
// instrument's reports. Waits are generous and nothing is timed: the machine
// running it may be slow and busy.
#include "JackServer.h"
#include "ProbeDevice.h"
#include "TestEnvironment.h"
#include "TestInstrument.h"

#include <QElapsedTimer>
#include <QProcess>

using SimProbe::dumpBytes;
using SimProbe::dumpName;
using SimProbe::ProbeDevice;

namespace {

// Generous for a paced block (a drum kit takes about 2.7 s on the wire).
constexpr int PacedAnswerMs = 20000;
constexpr int StartMs = 20000;

// Made before the MIDI backend's JACK clients and gone after them.
JackServer& simJackServer()
{
    static JackServer instance;
    return instance;
}

} // namespace

class TestSimJack : public QObject
{
    Q_OBJECT

    QProcess program;
    QByteArray output; // what the program printed so far
    std::unique_ptr<ProbeDevice> device;

    // Waits until the program has printed text.
    bool waitForOutput(const QByteArray& text, int timeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        while (!output.contains(text)) {
            if (clock.hasExpired(timeoutMs) || program.state() != QProcess::Running)
                return false;
            program.waitForReadyRead(200);
            output += program.readAllStandardOutput();
        }
        return true;
    }

    bool command(const QByteArray& line)
    {
        return program.write(line + '\n') == line.size() + 1 && program.waitForBytesWritten(5000);
    }

    bool request(unsigned int block, BulkDump& dump, int timeoutMs = PacedAnswerMs)
    {
        return device->syncBulkRequest(block, dump, timeoutMs);
    }

private slots:
    void initTestCase()
    {
        // Before anything opens the MIDI system: this process runs on JACK.
        qputenv("ORVANE_MIDI_BACKEND", "jack");
        QString error;
        if (!simJackServer().start(&error))
            QSKIP(qPrintable(QStringLiteral("no JACK server for this test: %1").arg(error)));

        const QString path = QCoreApplication::applicationDirPath() + QStringLiteral("/instrument-sim");
        QVERIFY2(QFile::exists(path), "instrument-sim is built with the tests");
        program.setProgram(path);
        program.setArguments({"--api", "jack", "--in", "vsim-in", "--out", "vsim-out", "--pace"});
        program.setProcessChannelMode(QProcess::SeparateChannels);
        program.start();
        QVERIFY2(program.waitForStarted(StartMs), qPrintable(program.errorString()));
        QVERIFY2(waitForOutput("ready vsim-in:in vsim-out:out", StartMs),
                 qPrintable(QString::fromLocal8Bit(output + program.readAllStandardError())));

        device = std::make_unique<ProbeDevice>();
        device->attach(QStringLiteral("vsim-out:out"), QStringLiteral("vsim-in:in"), true);
        QTRY_VERIFY_WITH_TIMEOUT(device->isConnected(), StartMs);
        QCOMPARE(device->model(), QStringLiteral("Vesk ES6"));
    }

    void cleanupTestCase()
    {
        device.reset();
        if (program.state() != QProcess::Running)
            return;
        command("quit");
        if (!program.waitForFinished(10000)) {
            program.kill();
            program.waitForFinished(5000);
            QFAIL("instrument-sim did not quit");
        }
        // A crash or a leak report shows in the exit code.
        QVERIFY2(program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0,
                 program.readAllStandardError().constData());
    }

    // One whole drum kit at the wire rate.
    void drumKit()
    {
        device->patchChange(Patch(0x3F, 0x28, 2));
        BulkDump dump;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(request(0x2F00, dump));
        qInfo("a drum kit at the wire rate over JACK: %lld ms", clock.elapsed());
        QCOMPARE(dump.count(), 375);
        QCOMPARE(dumpName(dump), QStringLiteral("SimD 2802"));
    }

    void modes()
    {
        BulkDump dump;
        device->setMode(1);
        QVERIFY(!request(0x0F00, dump, 1500));
        QVERIFY(request(0x4005, dump));
        QCOMPARE(dumpName(dump), QStringLiteral("SimP 4005"));
        device->setMode(4);
        QVERIFY(request(0x7F00, dump));
        QCOMPARE(dump.count(), 7);
        // Back in Voice mode a drum kit is still selected, until a voice is.
        device->setMode(0);
        QVERIFY(request(0x2F00, dump));
        device->patchChange(Patch(0x3F, 0x08, 1));
        QVERIFY(request(0x0F00, dump));
        QCOMPARE(dump.count(), 39);
        QCOMPARE(dumpName(dump), QStringLiteral("SimV 0801"));
    }

    void writeReadBack()
    {
        BulkDump dump;
        QVERIFY(request(0x0803, dump));
        dump.at(1)->storeDataText(QStringLiteral("Over JACK"), 0, 10, ' ');
        dump.at(0)->setAddress(0x0E0806);
        dump.at(dump.count() - 1)->setAddress(0x0F0806);
        for (int i = 0; i < dump.count(); ++i)
            device->sendSysex(dump.at(i));
        device->sendSysex(QStringLiteral("F0 43 00 7F 00 00 00 11 00 00 6F F7")); // store all

        BulkDump back;
        QVERIFY(request(0x0806, back));
        QCOMPARE(dumpBytes(back), dumpBytes(dump));
        QVERIFY(command("status"));
        QVERIFY2(waitForOutput("writes 1, store-all 1", StartMs), output.constData());
    }

    void parameters()
    {
        device->setParameter(0x00000A, 5);
        QCOMPARE(device->requestParameter(0x00000A, 1, PacedAnswerMs), 5);
        device->setParameter(0x00000A, 0);
        QCOMPARE(device->requestParameter(0x00000A, 1, PacedAnswerMs), 0);
    }

    void reports()
    {
        RecordingClient client(device.get());
        QVERIFY(command("mode 3"));
        QTRY_VERIFY_WITH_TIMEOUT(client.texts(RecordingClient::Event::Sysex, SourceDev)
                                     .contains(QStringLiteral("F0 43 10 7F 00 0A 00 01 03 F7")),
                                 PacedAnswerMs);
        QVERIFY(command("multi 4"));
        QTRY_VERIFY_WITH_TIMEOUT(
            client.texts(RecordingClient::Event::Short, SourceDev).contains(QStringLiteral("F3 04")),
            PacedAnswerMs);
    }
};

ORVANE_TEST_MAIN(TestSimJack)
#include "tst_jack.moc"
