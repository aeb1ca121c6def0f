// The framework's block and parameter requests against the simulated
// instrument on the virtual bus: edit buffers and patch locations read in the
// right mode and refused in the wrong one, a block written and read back,
// store-all, parameters, the instrument's own reports, and each fault of the
// cable. The device is a plain one for the protocol (ProbeDevice.h) until the
// instrument's own device requests and sends blocks.
#include "ProbeDevice.h"
#include "Simulator.h"
#include "TestBus.h"
#include "TestEnvironment.h"
#include "TestInstrument.h"

#include "VirtualMidiBus.h"
#include "Waiting.h"

#include <memory>

using SimProbe::dumpBytes;
using SimProbe::dumpName;
using SimProbe::ProbeDevice;

namespace {

// Long enough for any answer on a loaded machine; a request that is not
// answered fails after it.
constexpr int FlowAnswerMs = 3000;
constexpr int FlowNoAnswerMs = 400;

} // namespace

class TestSimFlows : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;
    std::unique_ptr<Sim::BusSimulator> sim;
    std::unique_ptr<ProbeDevice> device;

    // A simulator and a device connected to it, without the identity poll.
    void start(const Sim::Options& options = Sim::Options())
    {
        sim = std::make_unique<Sim::BusSimulator>(*bus, QStringLiteral("Vesk Sim"), options);
        QVERIFY2(sim->isLoaded(), qPrintable(sim->error()));
        device = std::make_unique<ProbeDevice>();
        device->attach(sim->name(), sim->name(), false);
        QVERIFY(device->midiIn()->isOpened() && device->midiOut()->isOpened());
    }

    bool request(unsigned int block, BulkDump& dump, int timeoutMs = FlowAnswerMs)
    {
        return device->syncBulkRequest(block, dump, timeoutMs);
    }

private slots:
    void initTestCase()
    {
        bus = testBus();
        QVERIFY2(bus, "the tests run on the virtual MIDI bus (ORVANE_MIDI_BACKEND=virtual)");
    }

    void init() { resetBusAndPorts(); }

    void cleanup()
    {
        device.reset();
        sim.reset();
    }

    void editBuffers_data()
    {
        QTest::addColumn<unsigned int>("block");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("wrongMode");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("name");
        QTest::newRow("voice") << 0x0F00u << 0 << 1 << 39 << "SimV 0F00";
        QTest::newRow("PLG voice") << 0x1F00u << 0 << 4 << 11 << "SimG 1F00";
        QTest::newRow("performance") << 0x4F00u << 1 << 0 << 22 << "SimP 4F00";
        QTest::newRow("mix, Pattern") << 0x5F00u << 2 << 1 << 34 << "SimM 5F00";
        QTest::newRow("mix, Song") << 0x5F00u << 3 << 4 << 34 << "SimM 5F00";
        QTest::newRow("master") << 0x7F00u << 4 << 3 << 7 << "SimS 7F00";
    }

    void editBuffers()
    {
        QFETCH(unsigned int, block);
        QFETCH(int, mode);
        QFETCH(int, wrongMode);
        QFETCH(int, count);
        QFETCH(QString, name);
        start();
        BulkDump dump;
        device->setMode(wrongMode);
        QVERIFY(!request(block, dump, FlowNoAnswerMs));
        QCOMPARE(dump.count(), 0);

        device->setMode(mode);
        QVERIFY(request(block, dump));
        QCOMPARE(dump.count(), count);
        QVERIFY(dump.at(0)->isHeader() && dump.at(count - 1)->isFooter());
        QCOMPARE(dump.at(0)->address(), block + 0x0E0000);
        QCOMPARE(dumpName(dump), name);
    }

    // The drum kit's edit buffer answers once a kit is selected.
    void drumEditBuffer()
    {
        start();
        BulkDump dump;
        QVERIFY(!request(0x2F00, dump, FlowNoAnswerMs));
        device->patchChange(Patch(0x3F, 0x28, 4));
        QVERIFY(request(0x2F00, dump));
        QCOMPARE(dump.count(), 375);
        QCOMPARE(dumpName(dump), QStringLiteral("SimD 2804"));
    }

    void locations_data()
    {
        QTest::addColumn<unsigned int>("block");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("name");
        QTest::newRow("preset voice") << 0x0542u << 0 << 39 << "SimV 0542";
        QTest::newRow("GM voice") << 0x0600u << 0 << 39 << "SimV 0600";
        QTest::newRow("user voice") << 0x097Fu << 0 << 39 << "SimV 097F";
        QTest::newRow("PLG user voice") << 0x1905u << 0 << 11 << "SimG 1905";
        QTest::newRow("preset drum kit") << 0x2001u << 0 << 375 << "SimD 2001";
        QTest::newRow("GM drum kit") << 0x2100u << 0 << 375 << "SimD 2100";
        QTest::newRow("user drum kit") << 0x281Fu << 0 << 375 << "SimD 281F";
        QTest::newRow("performance") << 0x4010u << 1 << 22 << "SimP 4010";
        QTest::newRow("master") << 0x707Fu << 4 << 7 << "SimS 707F";
    }

    void locations()
    {
        QFETCH(unsigned int, block);
        QFETCH(int, mode);
        QFETCH(int, count);
        QFETCH(QString, name);
        start();
        device->setMode(mode);
        BulkDump dump;
        QVERIFY(request(block, dump));
        QCOMPARE(dump.count(), count);
        QCOMPARE(dumpName(dump), name);
        // Every message is whole and its checksum right.
        for (int i = 0; i < dump.count(); ++i)
            QCOMPARE(Sysex::CalculateChecksum(dump.at(i), 5), dump.at(i)->at(dump.at(i)->size() - 2));
    }

    // A block read from one location, renamed and sent to another with its
    // own header and footer, reads back equal; store-all reaches the
    // instrument.
    void writeReadBack()
    {
        start();
        BulkDump dump;
        QVERIFY(request(0x0803, dump));
        dump.at(1)->storeDataText(QStringLiteral("Copied"), 0, 10, ' ');
        dump.at(0)->setAddress(0x0E0805);
        dump.at(dump.count() - 1)->setAddress(0x0F0805);
        for (int i = 0; i < dump.count(); ++i)
            device->sendSysex(dump.at(i));
        QTRY_COMPARE((*sim)->counters().writes, 1);
        QCOMPARE((*sim)->name(0x0805), QStringLiteral("Copied    "));
        QVERIFY((*sim)->refusals().isEmpty());

        BulkDump back;
        QVERIFY(request(0x0805, back));
        QCOMPARE(dumpBytes(back), dumpBytes(dump));

        device->sendSysex(QStringLiteral("F0 43 00 7F 00 00 00 11 00 00 6F F7"));
        QTRY_COMPARE((*sim)->counters().storeAll, 1);
        QVERIFY((*sim)->inspect([](const Sim::Instrument& i) { return i.unstored().isEmpty(); }));
    }

    void parameters()
    {
        start();
        device->setParameter(0x00000A, 5);
        QCOMPARE(device->requestParameter(0x00000A), 5);
        // A two-byte parameter of the performance edit buffer: 02 48.
        QCOMPARE(device->requestParameter(0x301100, 2), 0x02 * 128 + 0x48);
        device->setParameter(0x40700C, 3);
        QCOMPARE(device->requestParameter(0x40700C), 3);
        QCOMPARE(device->requestParameter(0x500000, 1, FlowNoAnswerMs), -1);
        device->setMode(2);
        QCOMPARE(device->requestParameter(0x0A0001), 2);
        QCOMPARE((*sim)->mode(), 2);
    }

    // What the instrument reports on its own reaches the device's clients.
    void reports()
    {
        start();
        RecordingClient client(device.get());
        (*sim)->selectMode(1);
        (*sim)->selectMaster(3);
        (*sim)->selectMulti(2);
        (*sim)->selectPatch(0x3F08, 5);
        (*sim)->editParameter(0x400000, QByteArray(1, 0x11));
        QVERIFY((*sim)->sendBlock(0x0F00));
        QTRY_COMPARE(client.texts(RecordingClient::Event::PatchChange).size(), 1);
        QTRY_COMPARE(client.texts(RecordingClient::Event::Sysex, SourceDev).size(), 3 + 39);
        const QStringList sysex = client.texts(RecordingClient::Event::Sysex, SourceDev);
        QCOMPARE(sysex.mid(0, 3),
                 QStringList({"F0 43 10 7F 00 0A 00 01 01 F7", "F0 43 10 7F 00 0A 00 00 03 F7",
                              "F0 43 10 7F 00 40 00 00 11 F7"}));
        QVERIFY(client.texts(RecordingClient::Event::Short, SourceDev).contains(QStringLiteral("F3 02")));
        QCOMPARE(client.texts(RecordingClient::Event::PatchChange).first(), Patch(0x3F08, 5).toString());
        QCOMPARE((*sim)->mode(), 1);
    }

    // Under each fault the request fails or shows the damage, nothing the
    // instrument stores changes, and the next request is answered properly.
    void faults_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("completes");
        QTest::addColumn<int>("count");    // messages of a completed request
        QTest::addColumn<bool>("damaged"); // a message with a wrong checksum arrived
        QTest::newRow("drop") << int(Sim::Fault::Drop) << -1 << false << 0 << false;
        QTest::newRow("delay within the timeout") << int(Sim::Fault::Delay) << 300 << true << 39 << false;
        QTest::newRow("delay past the timeout") << int(Sim::Fault::Delay) << 1500 << false << 0 << false;
        // A message cut short is dropped by the port: the block arrives one
        // message short.
        QTest::newRow("truncate") << int(Sim::Fault::Truncate) << -1 << true << 38 << false;
        QTest::newRow("footer truncated") << int(Sim::Fault::Truncate) << 38 << false << 0 << false;
        QTest::newRow("checksum") << int(Sim::Fault::BadChecksum) << -1 << true << 39 << true;
        QTest::newRow("garbage") << int(Sim::Fault::Garbage) << -1 << true << 39 << false;
        QTest::newRow("twice") << int(Sim::Fault::Twice) << -1 << true << 39 << false;
        QTest::newRow("disconnect") << int(Sim::Fault::Disconnect) << -1 << false << 0 << false;
    }

    void faults()
    {
        QFETCH(int, fault);
        QFETCH(int, value);
        QFETCH(bool, completes);
        QFETCH(int, count);
        QFETCH(bool, damaged);
        start();
        BulkDump clean;
        QVERIFY(request(0x0803, clean));
        const QByteArray stored = (*sim)->image(0x0803);

        (*sim)->setFault(Sim::BulkReply, Sim::Fault(fault), value, 1);
        BulkDump dump;
        QCOMPARE(request(0x0803, dump, 1000), completes);
        if (completes) {
            QCOMPARE(dump.count(), count);
            bool badChecksum = false;
            for (int i = 0; i < dump.count(); ++i)
                badChecksum |=
                    Sysex::CalculateChecksum(dump.at(i), 5) != dump.at(i)->at(dump.at(i)->size() - 2);
            QCOMPARE(badChecksum, damaged);
            if (count == clean.count() && !damaged)
                QCOMPARE(dumpBytes(dump), dumpBytes(clean));
        }
        QCOMPARE((*sim)->image(0x0803), stored);

        if (fault == int(Sim::Fault::Disconnect)) {
            QVERIFY(!(*sim)->isOnline());
            QVERIFY(!request(0x0803, dump, FlowNoAnswerMs));
            (*sim)->setOnline(true);
        }
        // Waits for what is still on its way (a late or second copy) to pass.
        QVERIFY(Waiting::deliverAll(*bus));
        BulkDump again;
        QVERIFY(request(0x0803, again));
        QCOMPARE(dumpBytes(again), dumpBytes(clean));
    }

    void parameterFaults()
    {
        start();
        (*sim)->setFault(Sim::ParameterReply, Sim::Fault::Drop, -1, 1);
        QCOMPARE(device->requestParameter(0x0A0001, 1, FlowNoAnswerMs), -1);
        QCOMPARE(device->requestParameter(0x0A0001), 0);
        (*sim)->setFault(Sim::ParameterReply, Sim::Fault::Garbage, -1, 1);
        QCOMPARE(device->requestParameter(0x00000A), 0);
    }

    // At the wire rate a whole drum kit takes about 2.7 s and still comes
    // within the drum editor's 3.5 s.
    void pacedDrumKit()
    {
        start();
        (*sim)->setPacing(true);
        device->patchChange(Patch(0x3F, 0x28, 0));
        BulkDump dump;
        QVERIFY(request(0x2F00, dump, 3500));
        QCOMPARE(dump.count(), 375);
        QCOMPARE(dumpName(dump), QStringLiteral("SimD 2800"));
    }
};

ORVANE_TEST_MAIN(TestSimFlows)
#include "tst_flows.moc"
