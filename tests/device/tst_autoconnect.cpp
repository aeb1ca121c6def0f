// The search for the instrument on the virtual bus: which destination wins,
// what the search shows on its way, what it leaves in the device and the
// profile, and the searches that fail, are cancelled, are started twice or
// lose their device.
#include "MidiDevice.h"
#include "Profile.h"
#include "Task.h"
#include "Task_AutoConnector.h"
#include "TestBus.h"
#include "TestEnvironment.h"
#include "TestInstrument.h"
#include "VirtualMidiBus.h"

#include <memory>

namespace {

const QByteArray IdentityRequest = QByteArray::fromHex("F07E000601F7");
// Long enough for every search here: each dead destination costs 500 ms.
constexpr int SearchEndMs = 10000;

// The instrument's device, with its search within reach.
class SearchDevice : public BusDevice
{
public:
    Task_AutoConnector* connector() { return m_autoConnector.get(); }
};

// A display that writes down what the search shows.
class RecordingUi : public TaskUi
{
public:
    QStringList calls;
    bool cancelOnMessage = false;

    void begin(Task*, const QString& title, int maximum) override
    {
        calls << QStringLiteral("begin %1 %2").arg(title).arg(maximum);
    }
    void message(Task* task, const QString& text) override
    {
        calls << text;
        if (cancelOnMessage)
            task->cancel();
    }
    void step(Task*, int pos) override { calls << QStringLiteral("step %1").arg(pos); }
    void end(Task*, const QString& text, bool failed) override
    {
        calls << QStringLiteral("end %1%2").arg(text, failed ? QStringLiteral(" (failed)") : QString());
    }
};

int identityRequests(VirtualMidiBus& bus, int destination)
{
    return int(bus.sentPackets(destination).count(IdentityRequest));
}

int openPorts(VirtualMidiBus& bus)
{
    int n = 0;
    for (MidiEndpointKind kind : {MidiEndpointKind::Source, MidiEndpointKind::Destination}) {
        for (int i = 0; i < bus.endpointCount(kind); ++i)
            n += bus.openPortCount(kind, i);
    }
    return n;
}

} // namespace

class TestAutoConnect : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;
    RecordingUi ui;

private slots:
    void initTestCase()
    {
        bus = testBus();
        QVERIFY2(bus, "the tests run on the virtual MIDI bus (ORVANE_MIDI_BACKEND=virtual)");
    }

    void init()
    {
        resetBusAndPorts();
        ui = RecordingUi();
        Task::setUi(&ui);
    }

    void cleanup() { Task::setUi(nullptr); }

    // Each destination is asked in turn until one answers; the pair found
    // becomes the device's main ports and is saved, and the device connects.
    void findsTheAnsweringDestination_data()
    {
        QTest::addColumn<bool>("instrumentFirst");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<int>("deadRequests");

        QTest::newRow("answer on the second")
            << false
            << QStringList({"begin Autoconnect 2", "Trying Dead Out...", "step 1", "Trying Synth...",
                            "end TI-1 connected!"})
            << 1;
        QTest::newRow("answer on the first")
            << true << QStringList({"begin Autoconnect 2", "Trying Synth...", "end TI-1 connected!"}) << 0;
    }

    void findsTheAnsweringDestination()
    {
        QFETCH(bool, instrumentFirst);
        QFETCH(QStringList, calls);
        QFETCH(int, deadRequests);
        bus->addSource(QStringLiteral("Dead In"));
        int dead = instrumentFirst ? -1 : bus->addDestination(QStringLiteral("Dead Out"));
        TestInstrument instrument(*bus, QStringLiteral("Synth"));
        if (instrumentFirst)
            dead = bus->addDestination(QStringLiteral("Dead Out"));
        SearchDevice device;
        QCOMPARE(device.connectionStatus(), QStringLiteral("Not connected"));

        device.autoConnect();
        QVERIFY(device.isAutoConnecting());
        QTRY_VERIFY_WITH_TIMEOUT(!device.isAutoConnecting(), SearchEndMs);

        QCOMPARE(ui.calls, calls);
        QCOMPARE(identityRequests(*bus, dead), deadRequests);
        QVERIFY(device.connector()->found());
        QCOMPARE(device.connector()->inName(), QStringLiteral("Synth"));
        QCOMPARE(device.connector()->outName(), QStringLiteral("Synth"));
        QCOMPARE(device.midiIn()->name(), QStringLiteral("Synth"));
        QCOMPARE(device.midiOut()->name(), QStringLiteral("Synth"));
        QCOMPARE(Profile::readProfileString(QString(), QStringLiteral("MidiIn")), QStringLiteral("Synth"));
        QCOMPARE(Profile::readProfileString(QString(), QStringLiteral("MidiOut")), QStringLiteral("Synth"));
        QTRY_VERIFY(device.isConnected());
        QCOMPARE(device.connectionStatus(), QStringLiteral("TI-1 connected"));
        // Only the device's own pair is open now; the trial ports are gone.
        QCOMPARE(openPorts(*bus), 2);
    }

    // Without any answer the search fails visibly and leaves the device
    // disconnected, its ports closed. Without any destination it fails at
    // once and nothing is opened.
    void failsWithoutAnswer_data()
    {
        QTest::addColumn<bool>("destinations");
        QTest::addColumn<QStringList>("calls");

        QTest::newRow("nobody answers")
            << true
            << QStringList({"begin Autoconnect 2", "Trying Synth...", "step 1", "Trying Dead Out...",
                            "step 2", "end Connection failed (failed)"});
        QTest::newRow("no destination")
            << false << QStringList({"begin Autoconnect 0", "end Connection failed (failed)"});
    }

    void failsWithoutAnswer()
    {
        QFETCH(bool, destinations);
        QFETCH(QStringList, calls);
        SearchDevice device;
        std::unique_ptr<TestInstrument> instrument;
        if (destinations) {
            instrument = std::make_unique<TestInstrument>(*bus, QStringLiteral("Synth"));
            bus->addDestination(QStringLiteral("Dead Out"));
            device.attach(*instrument, true);
            QTRY_VERIFY(device.isConnected());
            instrument->setAnswersIdentity(false);
        } else {
            bus->addSource(QStringLiteral("Lonely In"));
        }

        device.autoConnect();
        QTRY_VERIFY_WITH_TIMEOUT(!device.isAutoConnecting(), SearchEndMs);

        QCOMPARE(ui.calls, calls);
        QVERIFY(!device.connector()->found());
        QVERIFY(device.connector()->inName().isEmpty());
        QVERIFY(!device.isConnected());
        QCOMPARE(device.connectionStatus(), QStringLiteral("Not connected"));
        QCOMPARE(openPorts(*bus), 0);
    }

    // A second search while one runs would delete the ports the first is
    // using: it is refused, and the first goes on to its end.
    void secondSearchRefused()
    {
        const int dead = bus->addDestination(QStringLiteral("Dead Out"));
        SearchDevice device;

        device.autoConnect();
        QVERIFY(device.isAutoConnecting());
        device.autoConnect();
        QVERIFY(!device.connector()->connect(&device));
        QCOMPARE(bus->openPortCount(MidiEndpointKind::Destination, dead), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!device.isAutoConnecting(), SearchEndMs);

        QCOMPARE(ui.calls, QStringList({"begin Autoconnect 1", "Trying Dead Out...", "step 1",
                                        "end Connection failed (failed)"}));
        QCOMPARE(identityRequests(*bus, dead), 1);

        // Once it is over, a new search may start.
        QVERIFY(device.connector()->connect(&device));
        QTRY_VERIFY_WITH_TIMEOUT(!device.isAutoConnecting(), SearchEndMs);
        QCOMPARE(identityRequests(*bus, dead), 2);
    }

    // Cancelled while the first destination is asked: the later ones are not.
    void cancelEndsTheSearch()
    {
        const int first = bus->addDestination(QStringLiteral("Dead One"));
        const int second = bus->addDestination(QStringLiteral("Dead Two"));
        SearchDevice device;
        ui.cancelOnMessage = true;

        device.autoConnect();
        QTRY_VERIFY_WITH_TIMEOUT(!device.isAutoConnecting(), SearchEndMs);

        QCOMPARE(ui.calls, QStringList({"begin Autoconnect 2", "Trying Dead One...", "step 1",
                                        "end Connection failed (failed)"}));
        QCOMPARE(identityRequests(*bus, first), 1);
        QCOMPARE(identityRequests(*bus, second), 0);
    }

    // A device destroyed mid-search ends the search first; nothing is left
    // open, nothing reaches the gone device, and the search ends without a
    // text: the program is going, there is nobody to tell.
    void deviceGoneMidSearch()
    {
        bus->addSource(QStringLiteral("Dead In"));
        bus->addDestination(QStringLiteral("Dead Out"));
        auto device = std::make_unique<SearchDevice>();
        device->autoConnect();
        QVERIFY(device->isAutoConnecting());
        QCOMPARE(openPorts(*bus), 2);

        device.reset();

        QCOMPARE(openPorts(*bus), 0);
        QCOMPARE(ui.calls.last(), QStringLiteral("end  (failed)"));
    }
};

ORVANE_TEST_GUILESS_MAIN(TestAutoConnect)
#include "tst_autoconnect.moc"
