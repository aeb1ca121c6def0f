// The instrument's own device against the simulated instrument on the virtual
// bus: identity and automatic connection, modes set, read and reported,
// program change for each kind of bank, parameters and the system settings,
// and the instrument's reports reaching the device's clients. The two sides
// read the protocol independently, so a misreading on either shows here.
#include "Simulator.h"
#include "TestBus.h"
#include "TestEnvironment.h"
#include "TestInstrument.h"
#include "Vesk.h"
#include "VeskOnSim.h"
#include "VeskSysex.h"

#include "Task_Poller.h"
#include "VirtualMidiBus.h"

#include <memory>

namespace {

// The device with its identity poll within reach.
class PolledVesk : public Vesk
{
public:
    Task_Poller* poller() { return m_poller.get(); }
};

constexpr int VeskAnswerMs = 3000;

MidiParam simParam(unsigned int address, int size = 1)
{
    return MidiParam(address, size, false, false);
}

} // namespace

class TestSimVesk : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;
    std::unique_ptr<Sim::BusSimulator> sim;
    std::unique_ptr<PolledVesk> device;

    void start(const Sim::Options& options = Sim::Options())
    {
        sim = std::make_unique<Sim::BusSimulator>(*bus, QStringLiteral("Vesk Sim"), options);
        QVERIFY2(sim->isLoaded(), qPrintable(sim->error()));
        device = SimVesk::deviceOn<PolledVesk>(*sim);
    }

    // What the device sent has reached the simulator.
    void settle() { QVERIFY(bus->waitIdle(VeskAnswerMs)); }

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

    void identity_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("instrumentDevice");
        QTest::addColumn<int>("deviceId");
        QTest::addColumn<QString>("connected"); // the model, or empty for no connection
        QTest::newRow("ES6") << 0x69 << 0 << 0 << "Vesk ES6";
        QTest::newRow("ES7, device 9") << 0x6A << 9 << 9 << "Vesk ES7";
        QTest::newRow("ES8") << 0x6B << 0 << 0 << "Vesk ES8";
        QTest::newRow("device numbers differ") << 0x6A << 3 << 0 << "";
        QTest::newRow("another model") << 0x6C << 0 << 0 << "";
    }

    void identity()
    {
        QFETCH(int, model);
        QFETCH(int, instrumentDevice);
        QFETCH(int, deviceId);
        QFETCH(QString, connected);
        Sim::Options options;
        options.model = model;
        options.device = instrumentDevice;
        start(options);
        device->setDeviceId(deviceId);
        device->poller()->setInterval(50);
        device->poller()->setRequestCount(4);
        device->connect(true);
        if (connected.isEmpty()) {
            // The poll ends unconnected and closes the ports.
            QTRY_VERIFY_WITH_TIMEOUT(!device->midiOut()->isOpened(), 10000);
            QVERIFY(!device->isConnected());
            QCOMPARE(device->connectionStatus(), QStringLiteral("Not connected"));
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(device->isConnected(), 10000);
            QCOMPARE(device->model(), connected);
            QCOMPARE(device->connectionStatus(), connected + QStringLiteral(" connected"));
        }
    }

    // The poll asks again after a lost or broken reply.
    void identityRetried_data()
    {
        QTest::addColumn<int>("fault");
        QTest::newRow("dropped") << int(Sim::Fault::Drop);
        QTest::newRow("truncated") << int(Sim::Fault::Truncate);
        QTest::newRow("late") << int(Sim::Fault::Delay);
    }

    void identityRetried()
    {
        QFETCH(int, fault);
        start();
        (*sim)->setFault(Sim::IdentityReply, Sim::Fault(fault), fault == int(Sim::Fault::Delay) ? 700 : -1,
                         2);
        device->poller()->setInterval(200);
        device->connect(true);
        QTRY_VERIFY_WITH_TIMEOUT(device->isConnected(), 10000);
        QVERIFY((*sim)->counters().identityRequests >= 2);
    }

    void autoConnect()
    {
        bus->addSource(QStringLiteral("Dead In"));
        bus->addDestination(QStringLiteral("Dead Out"));
        sim = std::make_unique<Sim::BusSimulator>(*bus);
        device = std::make_unique<PolledVesk>();
        device->autoConnect();
        QTRY_VERIFY_WITH_TIMEOUT(device->isConnected() && !device->isAutoConnecting(), 10000);
        QCOMPARE(device->midiOut()->name(), sim->name());
        QCOMPARE(device->model(), QStringLiteral("Vesk ES6"));
    }

    void modes()
    {
        start();
        device->connect(false);
        device->setMode(1);
        QCOMPARE(device->syncGetMode(VeskAnswerMs), 1);
        QCOMPARE((*sim)->mode(), 1);
        device->setModeByBank(Vesk::MixVoiceBank);
        QCOMPARE(device->syncGetMode(VeskAnswerMs), 3);
        device->setModeByType(5);
        QCOMPARE(device->syncGetMode(VeskAnswerMs), 4);

        // The instrument's own mode change reaches the device.
        (*sim)->selectMode(2);
        QTRY_COMPARE(device->mode(), 2);
        QCOMPARE(device->syncGetMode(VeskAnswerMs), 2);
    }

    // Each kind of bank is selected its own way, and the instrument takes it
    // into the edit buffer of its type.
    void programChange()
    {
        start();
        device->connect(false);
        device->setModeByType(0);
        device->patchChange(Patch(0x3F08, 7), 0);
        device->patchChangeByType(1); // the first user drum kit
        settle();
        QCOMPARE((*sim)->name(0x0F00), QStringLiteral("SimV 0807 "));
        QCOMPARE((*sim)->name(0x2F00), QStringLiteral("SimD 2800 "));

        device->setModeByType(4);
        device->patchChange(Patch(Vesk::MultiBank, 2), 0);
        settle();
        QCOMPARE((*sim)->name(0x5F00), QStringLiteral("SimM S002 "));

        device->setModeByType(5);
        device->patchChange(Patch(Vesk::MasterBank, 5), 0);
        settle();
        QCOMPARE((*sim)->name(0x7F00), QStringLiteral("SimS 7005 "));
        QVERIFY2((*sim)->refusals().isEmpty(), qPrintable((*sim)->refusals().join(QLatin1Char('\n'))));
    }

    void parameters()
    {
        start();
        device->connect(false);
        device->paramChange(simParam(Vesk::ReceiveChannelAddress), 5);
        device->updateRcvChannel();
        QCOMPARE(device->channel(), 5);
        device->setLocalOn(false);
        settle();
        QVERIFY(!(*sim)->inspect([](const Sim::Instrument& i) { return i.localControl(); }));

        // A two-byte type reads as high byte * 128 + low byte.
        QCOMPARE(device->syncParamRequest(simParam(0x301100, 2), VeskAnswerMs), 0x02 * 128 + 0x48);
        device->setPartVolume(17, 100);
        device->setPartVolume(3, 90);
        QCOMPARE(device->syncParamRequest(simParam(0x37610D), VeskAnswerMs), 100);
        QCOMPARE(device->syncParamRequest(simParam(0x37030D), VeskAnswerMs), 90);
    }

    // Every byte of every block the instrument sends is found by the device
    // in the message of that block, at its offset.
    void windowsMatchTheBlocks()
    {
        start();
        const QStringList mismatches = (*sim)->inspect([](const Sim::Instrument& instrument) {
            QStringList out;
            VeskSysex message;
            for (int t = 0; t < Sim::TypeCount; ++t) {
                for (const Sim::Layout::Block& b : instrument.memory().layout(Sim::PatchType(t)).blocks) {
                    for (int i = 0; i < b.size; ++i) {
                        unsigned int base = 0, offset = 0;
                        message.getBulkBaseAndOffset(b.address + unsigned(i), base, offset);
                        if (base != b.address || offset != unsigned(i))
                            out << QStringLiteral("%1+%2").arg(b.address, 6, 16).arg(i);
                    }
                }
            }
            return out;
        });
        QVERIFY2(mismatches.isEmpty(), qPrintable(mismatches.mid(0, 10).join(QLatin1Char(' '))));
    }

    // Reports from the instrument's panel: a master selection and a song
    // select become patch changes, a mode report changes the device's mode.
    void reports()
    {
        start();
        device->connect(false);
        RecordingClient client(device.get());
        (*sim)->selectMaster(3);
        (*sim)->selectMulti(2);
        (*sim)->selectMode(4);
        QTRY_COMPARE(client.texts(RecordingClient::Event::PatchChange).size(), 2);
        QCOMPARE(client.texts(RecordingClient::Event::PatchChange),
                 QStringList({Patch(Vesk::MasterBank, 3).toString(), Patch(Vesk::MultiBank, 2).toString()}));
        QTRY_COMPARE(device->mode(), 4);
    }
};

ORVANE_TEST_MAIN(TestSimVesk)
#include "tst_vesk.moc"
