// The standalone instrument-sim over a private JACK server, at the wire rate
// of a MIDI cable: the framework's device finds it, reads edit buffers and
// patch locations (a whole drum kit among them), writes a block and reads it
// back, stores everything, sets and reads parameters, and hears the
// instrument's reports. Then the instrument's own device does the same with
// its own requests and transmission, and meets the cable's faults. Waits are
// generous and nothing is timed but what the product fixes itself: the
// machine running it may be slow and busy.
#include "JackServer.h"
#include "ProbeDevice.h"
#include "TestEnvironment.h"
#include "TestInstrument.h"
#include "VeskOnSim.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>

using SimProbe::dumpBytes;
using SimProbe::dumpName;
using SimProbe::ProbeDevice;

namespace {

// Generous for a paced block (a drum kit takes about 2.7 s on the wire).
constexpr int PacedAnswerMs = 20000;
constexpr int StartMs = 20000;
// What the drum kit editor gives its edit buffer request.
constexpr int DrumEditorMs = 3500;

// Made before the MIDI backend's JACK client and gone after it.
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
    std::unique_ptr<Vesk> vesk;

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

    // The program's state once every command sent before has been carried
    // out: its status line.
    QByteArray status()
    {
        const qsizetype seen = output.count("; requests:");
        if (!command("status"))
            return {};
        QElapsedTimer clock;
        clock.start();
        while (output.count("; requests:") == seen && !clock.hasExpired(StartMs) &&
               program.state() == QProcess::Running) {
            program.waitForReadyRead(200);
            output += program.readAllStandardOutput();
        }
        const qsizetype at = output.lastIndexOf("; requests:");
        const qsizetype start = output.lastIndexOf('\n', at) + 1;
        return output.mid(start, output.indexOf('\n', at) - start);
    }

    static int counter(const QByteArray& status, const char* name)
    {
        const QRegularExpression number(QStringLiteral("%1 (\\d+)").arg(QLatin1String(name)));
        const auto match = number.match(QString::fromLatin1(status));
        return match.hasMatch() ? match.captured(1).toInt() : -1;
    }

    // The instrument's own device in place of the framework's: it finds the
    // instrument by its identity poll.
    bool veskConnected()
    {
        if (vesk)
            return vesk->isConnected();
        device.reset();
        vesk = std::make_unique<Vesk>();
        vesk->setDelay(10);
        vesk->midiIn()->setName(QStringLiteral("vsim-out:out"));
        vesk->midiOut()->setName(QStringLiteral("vsim-in:in"));
        vesk->connect(true);
        return QTest::qWaitFor([this] { return vesk->isConnected(); }, StartMs);
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
        vesk.reset();
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

    void veskConnects()
    {
        QVERIFY(veskConnected());
        QCOMPARE(vesk->model(), QStringLiteral("Vesk ES6"));
        QCOMPARE(vesk->connectionStatus(), QStringLiteral("Vesk ES6 connected"));
    }

    // One whole drum kit at the wire rate (about 2.7 s) comes within the drum
    // kit editor's time, selected and asked for as the editor does it.
    void veskDrumKit()
    {
        QVERIFY(veskConnected());
        vesk->updateRcvChannel();
        vesk->setModeByType(1);
        vesk->patchChangeByType(1);
        BulkDump dump;
        QElapsedTimer clock;
        clock.start();
        QVERIFY2(vesk->syncEditBufferRequest(1, dump, DrumEditorMs), qPrintable(vesk->transferError()));
        qInfo("a drum kit at the wire rate over JACK to the instrument's device: %lld ms", clock.elapsed());
        QCOMPARE(dump.size(), 375);
        QCOMPARE(SimVesk::patchName(*vesk, 1, dump), QStringLiteral("SimD 2800"));
    }

    // Every edit buffer in its mode and one refused in another; a patch of
    // each kind of location but drum kits (at the wire rate their block takes
    // most of the 3 s a patch request has), the device switching modes itself.
    void veskEditBuffersAndLocations()
    {
        QVERIFY(veskConnected());
        // Each selected first, into its edit buffer.
        const QList<QPair<Patch, QString>> selected{{Patch(0x3F08, 1), "SimV 0801"},
                                                    {Patch(0x3F18, 2), "SimG 1802"},
                                                    {Patch(0x3F40, 6), "SimP 4006"},
                                                    {Patch(Vesk::MultiBank, 2), "SimM S002"},
                                                    {Patch(Vesk::MasterBank, 5), "SimS 7005"}};
        BulkDump dump;
        for (const auto& [patch, name] : selected) {
            const int type = vesk->bankType(patch.bank.word());
            vesk->setModeByType(type);
            vesk->patchChange(patch);
            QVERIFY2(vesk->syncEditBufferRequest(type, dump, PacedAnswerMs),
                     qPrintable(vesk->transferError()));
            QCOMPARE(SimVesk::patchName(*vesk, type, dump), name);
        }
        QVERIFY(!vesk->syncEditBufferRequest(0, dump, 1500));
        QCOMPARE(vesk->transferError(), QStringLiteral("Receive timeout!"));
        QCOMPARE(SimVesk::patchName(*vesk, 5, dump), QStringLiteral("SimS 7005"));

        const QList<QPair<Patch, QString>> locations{{Patch(0x3F09, 0x7F), "SimV 097F"},
                                                     {Patch(0x3F19, 5), "SimG 1905"},
                                                     {Patch(0x3F40, 0x10), "SimP 4010"},
                                                     {Patch(0x7F7F, 0x7F), "SimS 707F"}};
        for (const auto& [patch, name] : locations) {
            QVERIFY2(vesk->syncPatchRequest(patch, dump, true), qPrintable(vesk->transferError()));
            QCOMPARE(SimVesk::patchName(*vesk, vesk->bankType(patch.bank.word()), dump), name);
        }
    }

    // A voice renamed, sent to a user location and read back equal; then
    // everything stored.
    void veskWriteReadBack()
    {
        QVERIFY(veskConnected());
        const QByteArray before = status();
        std::unique_ptr<PatchDump> dump(vesk->createPatchDump(0));
        QVERIFY2(vesk->syncPatchRequest(Patch(0x3F08, 3), *dump, true), qPrintable(vesk->transferError()));
        vesk->strip(dump.get());
        dump->setName(QStringLiteral("Vesk JACK"));
        vesk->patchTransmit(Patch(0x3F08, 0x0A), dump.get(), false);

        std::unique_ptr<PatchDump> back(vesk->createPatchDump(0));
        QVERIFY2(vesk->syncPatchRequest(Patch(0x3F08, 0x0A), *back, true), qPrintable(vesk->transferError()));
        vesk->strip(back.get());
        QCOMPARE(back->bulkCompare(dump.get()), 0);
        QCOMPARE(back->name(false), QStringLiteral("Vesk JACK"));

        vesk->storeAllPatches();
        const QByteArray after = status();
        QCOMPARE(counter(after, "writes"), counter(before, "writes") + 1);
        QCOMPARE(counter(after, "store-all"), counter(before, "store-all") + 1);
    }

    // A parameter change lands in the edit buffer, as its request and the
    // block show.
    void veskParameters()
    {
        QVERIFY(veskConnected());
        vesk->setModeByType(0);
        vesk->patchChangeByType(0);
        const MidiParam category(0x40700C, 1, false, false);
        vesk->paramChange(category, 7);
        QCOMPARE(vesk->syncParamRequest(category, PacedAnswerMs), 7);
        BulkDump dump;
        QVERIFY2(vesk->syncEditBufferRequest(0, dump, PacedAnswerMs), qPrintable(vesk->transferError()));
        QVERIFY(dump.getSysex(0x407000));
        QCOMPARE(dump.getSysex(0x407000)->getParameterData(category), 7);
    }

    // The instrument's mode change and master selection reach the device.
    void veskReports()
    {
        QVERIFY(veskConnected());
        RecordingClient client(vesk.get());
        QVERIFY(command("mode 1"));
        QTRY_COMPARE_WITH_TIMEOUT(vesk->mode(), 1, PacedAnswerMs);
        QVERIFY(command("master 3"));
        QTRY_VERIFY_WITH_TIMEOUT(
            client.texts(RecordingClient::Event::PatchChange).contains(Patch(Vesk::MasterBank, 3).toString()),
            PacedAnswerMs);
    }

    // Under the cable's faults the voice edit buffer either comes whole or
    // the request fails saying why, and the instrument stores nothing.
    void veskFaults_data()
    {
        QTest::addColumn<QByteArray>("fault");
        QTest::addColumn<QString>("error"); // %1: the address of the middle message
        QTest::newRow("drop") << QByteArray("drop") << "Receive timeout!";
        QTest::newRow("truncate") << QByteArray("truncate") << "Block %1 missing";
        QTest::newRow("checksum") << QByteArray("checksum") << "Checksum error in block %1";
        QTest::newRow("garbage") << QByteArray("garbage") << "";
        QTest::newRow("twice") << QByteArray("twice") << "";
        QTest::newRow("disconnect") << QByteArray("disconnect")
                                    << "Receive timeout! Only 19 of 39 messages arrived";
    }

    void veskFaults()
    {
        QFETCH(QByteArray, fault);
        QFETCH(QString, error);
        QVERIFY(veskConnected());
        vesk->setModeByType(0);
        vesk->patchChangeByType(0);
        BulkDump clean;
        QVERIFY2(vesk->syncEditBufferRequest(0, clean, PacedAnswerMs), qPrintable(vesk->transferError()));
        if (error.contains(QLatin1String("%1")))
            error = error.arg(QStringLiteral("0x") + QString::number(clean.at(19)->address(), 16).toUpper());
        const int writes = counter(status(), "writes");

        QVERIFY(command("fault bulk " + fault + " -1 1"));
        QVERIFY(!status().isEmpty());
        BulkDump dump;
        QCOMPARE(vesk->syncEditBufferRequest(0, dump, 3000), error.isEmpty());
        QCOMPARE(vesk->transferError(), error);
        if (error.isEmpty())
            QCOMPARE(dump.bulkCompare(&clean), 0);
        else
            QVERIFY(dump.isEmpty());

        RecordingClient client(vesk.get());
        QVERIFY(command("online"));
        // A note played now leaves the instrument behind whatever is still on
        // the cable (a second copy): waits for it to arrive.
        QVERIFY(command("note 0 1"));
        QTRY_VERIFY_WITH_TIMEOUT(!client.texts(RecordingClient::Event::Short, SourceDev)
                                      .filter(QRegularExpression(QStringLiteral("^9. 00 01$")))
                                      .isEmpty(),
                                 PacedAnswerMs);
        QCOMPARE(counter(status(), "writes"), writes);
        QVERIFY2(vesk->syncEditBufferRequest(0, dump, PacedAnswerMs), qPrintable(vesk->transferError()));
        QCOMPARE(dump.bulkCompare(&clean), 0);
    }
};

ORVANE_TEST_MAIN(TestSimJack)
#include "tst_jack.moc"
