// The device's traffic on the virtual bus: what clients receive and on which
// thread, bank selects turning into patch changes, pass-through between the
// main and auxiliary ports, connecting by identity reply and by the poll, and
// what the senders put on the cable.
#include "EventMessage.h"
#include "MidiDevice.h"
#include "MidiMessage.h"
#include "MidiPort.h"
#include "Patch.h"
#include "PortInfo.h"
#include "Profile.h"
#include "Task_Poller.h"
#include "TestBus.h"
#include "TestEnvironment.h"
#include "TestInstrument.h"
#include "TestSysex.h"
#include "VirtualMidiBus.h"
#include "Waiting.h"

#include <QElapsedTimer>
#include <QThread>

#include <functional>
#include <thread>

namespace {

QByteArray hex(const QString& text)
{
    return QByteArray::fromHex(text.toLatin1());
}

QStringList trafficHexList(const QList<QByteArray>& packets)
{
    QStringList list;
    for (const QByteArray& p : packets)
        list << QString::fromLatin1(p.toHex(' ').toUpper());
    return list;
}

// An instrument, a device with its main ports on it, and a client.
struct Rig
{
    explicit Rig(VirtualMidiBus& bus) : instrument(bus)
    {
        device.attach(instrument);
        bus.clearSent();
    }

    TestInstrument instrument;
    BusDevice device;
    RecordingClient client{&device};
};

using DeviceOp = std::function<void(BusDevice&)>;

} // namespace

Q_DECLARE_METATYPE(DeviceOp)

class TestDeviceTraffic : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;

private slots:
    void initTestCase()
    {
        bus = testBus();
        QVERIFY2(bus, "the tests run on the virtual MIDI bus (ORVANE_MIDI_BACKEND=virtual)");
    }

    void init()
    {
        // Devices store their port names when they go; every test starts
        // without any.
        resetBusAndPorts();
    }

    // Bank select MSB and LSB followed by a program change make a patch
    // change, handed on after the program change message and after a pause
    // that does not hold up the GUI thread.
    void bankSelectsMakePatchChanges_data()
    {
        QTest::addColumn<QString>("traffic");
        QTest::addColumn<QStringList>("patches");

        QTest::newRow("msb, lsb, program") << "B0 00 01 B0 20 02 C0 05" << QStringList{"001/002:006"};
        QTest::newRow("any channel") << "B3 00 01 B5 20 02 C9 05" << QStringList{"001/002:006"};
        QTest::newRow("lsb before msb") << "B0 20 02 B0 00 01 C0 05" << QStringList{"001/002:006"};
        QTest::newRow("no bank select") << "C0 05" << QStringList{};
        QTest::newRow("msb only") << "B0 00 01 C0 05" << QStringList{};
        QTest::newRow("lsb only") << "B0 20 02 C0 05" << QStringList{};
        QTest::newRow("second program change after one pair")
            << "B0 00 01 B0 20 02 C0 05 C0 06" << QStringList{"001/002:006"};
        QTest::newRow("two full selections")
            << "B0 00 01 B0 20 02 C0 05 B0 00 03 B0 20 04 C0 07" << QStringList{"001/002:006", "003/004:008"};
    }

    void bankSelectsMakePatchChanges()
    {
        QFETCH(QString, traffic);
        QFETCH(QStringList, patches);
        Rig rig(*bus);

        const QByteArray bytes = hex(traffic);
        rig.instrument.send(bytes);
        // A note a moment later: the patch change's pause must let it through.
        rig.instrument.sendHex(QStringLiteral("90 3C 40"), 5);

        qsizetype shorts = 1; // the note
        for (char b : bytes)
            shorts += quint8(b) >= 0x80 ? 1 : 0;
        QTRY_COMPARE_WITH_TIMEOUT(rig.client.texts(RecordingClient::Event::Short).size(), shorts, Waiting::EventMs);
        QTRY_COMPARE_WITH_TIMEOUT(rig.client.texts(RecordingClient::Event::PatchChange), patches, Waiting::EventMs);
        // Nothing more comes later: waits past the pause of every patch change
        // taken so far.
        QVERIFY(Waiting::passTimers(MidiDevice::PatchChangePauseMs * 2));
        QCOMPARE(rig.client.texts(RecordingClient::Event::PatchChange), patches);

        const QList<RecordingClient::Event> events = rig.client.events();
        QVERIFY(rig.client.allOn(QThread::currentThread()));
        qint64 lastProgram = -1;
        bool noteSeen = false;
        for (const RecordingClient::Event& e : events) {
            QCOMPARE(e.source, SourceDev);
            if (e.kind == RecordingClient::Event::Short && e.text.startsWith(u'C'))
                lastProgram = e.ms;
            if (e.kind == RecordingClient::Event::Short && e.text == QLatin1String("90 3C 40"))
                noteSeen = true;
            if (e.kind == RecordingClient::Event::PatchChange) {
                // After its program change, by the pause (timers may be a
                // little early), and after the note that came meanwhile.
                QVERIFY(lastProgram >= 0);
                QVERIFY2(e.ms - lastProgram >= 40, qPrintable(QString::number(e.ms - lastProgram)));
                QVERIFY(noteSeen);
            }
        }
    }

    // A burst reaches the clients whole and in order, short messages, system
    // exclusive and patch changes alike, and costs the GUI thread one posted
    // event for everything that came while it was busy.
    void burstArrivesInOneBatch()
    {
        Rig rig(*bus);
        struct EventCounter : QObject
        {
            int messages = 0;
            bool eventFilter(QObject*, QEvent* event) override
            {
                if (event->type() == EventMessage::Type())
                    ++messages;
                return false;
            }
        } counter;
        rig.device.installEventFilter(&counter);

        QList<QByteArray> packets;
        QStringList expected;
        for (int i = 0; i < 1500; ++i) {
            QByteArray m;
            if (i % 100 == 50)
                m = TestInstrument::parameterChange(0x100000 + unsigned(i & 0x7F), i & 0x7F);
            else
                m = hex(QStringLiteral("90 %1 %2")
                            .arg(i >> 7, 2, 16, QChar(u'0'))
                            .arg(i & 0x7F, 2, 16, QChar(u'0')));
            packets << m;
            expected << QString::fromLatin1(m.toHex(' ').toUpper());
        }
        packets << hex(QStringLiteral("B0 00 01 B0 20 02 C0 05"));
        expected << QStringLiteral("B0 00 01") << QStringLiteral("B0 20 02") << QStringLiteral("C0 05");
        bus->inject(rig.instrument.source(), packets);
        // The test is the GUI thread: nothing is handed over until it runs
        // its event loop again.
        QVERIFY(bus->waitIdle());

        QTRY_COMPARE_WITH_TIMEOUT(rig.client.texts(RecordingClient::Event::PatchChange),
                                  QStringList{QStringLiteral("001/002:006")}, 10000);
        QStringList received;
        for (const RecordingClient::Event& e : rig.client.events()) {
            if (e.kind != RecordingClient::Event::PatchChange)
                received << e.text;
        }
        QCOMPARE(received, expected);
        QVERIFY(rig.client.allOn(QThread::currentThread()));
        QCOMPARE(counter.messages, 1);
    }

    // A peer that sends faster than the GUI thread takes messages in fills
    // the hand-over up to its limit only: what waits arrives whole and in
    // order, what came on top is dropped and reported, and once the GUI
    // thread has caught up messages come through again.
    void floodIsBounded_data()
    {
        QTest::addColumn<int>("messageLimit");
        QTest::addColumn<int>("byteLimit");
        QTest::addColumn<QList<QByteArray>>("flood");
        QTest::addColumn<int>("kept");

        QList<QByteArray> notes;
        for (int i = 0; i < 300; ++i)
            notes << hex(QStringLiteral("90 %1 01").arg(i & 0x7F, 2, 16, QChar(u'0')));
        QTest::newRow("messages") << 100 << 1000 << notes << 100;
        QList<QByteArray> sysex;
        for (int i = 0; i < 5; ++i)
            sysex << hex(TestSysex::bulkDumpText(0x100000 + unsigned(i), QByteArray(20, char(i))));
        QTest::newRow("system-exclusive bytes") << 1000 << 3 * int(sysex.first().size()) << sysex << 3;
    }

    void floodIsBounded()
    {
        QFETCH(int, messageLimit);
        QFETCH(int, byteLimit);
        QFETCH(QList<QByteArray>, flood);
        QFETCH(int, kept);
        Rig rig(*bus);
        rig.device.setReceiveLimits(size_t(messageLimit), size_t(byteLimit));

        // The test is the GUI thread: nothing is taken in until it runs its
        // event loop again.
        bus->inject(rig.instrument.source(), flood);
        QVERIFY(bus->waitIdle());
        QTest::ignoreMessage(QtWarningMsg,
                             qPrintable(QStringLiteral("MIDI: %1: %2 received messages dropped, more came in "
                                                       "than the program could take")
                                            .arg(rig.device.name())
                                            .arg(flood.size() - kept)));
        QStringList expected = trafficHexList(flood.mid(0, kept));
        QTRY_COMPARE(rig.client.events().size(), qsizetype(kept));
        QStringList received;
        for (const RecordingClient::Event& e : rig.client.events())
            received << e.text;
        QCOMPARE(received, expected);

        rig.instrument.send(flood.last());
        expected << trafficHexList({flood.last()});
        QTRY_COMPARE(rig.client.events().size(), qsizetype(kept + 1));
        QCOMPARE(rig.client.events().last().text, expected.last());
    }

    // What arrives on one side is passed to the other: from the auxiliary input
    // to the main output (on the aux channel when one is set), from the main
    // input to the auxiliary output while the instrument has a keyboard.
    void passThrough_data()
    {
        QTest::addColumn<bool>("fromMain");
        QTest::addColumn<int>("auxChannel");
        QTest::addColumn<bool>("keyboard");
        QTest::addColumn<QString>("packet");
        QTest::addColumn<QStringList>("toMain");
        QTest::addColumn<QStringList>("toAux");

        const QStringList none;
        QTest::newRow("aux note to channel 3")
            << false << 3 << true << "90 3C 40" << QStringList{"93 3C 40"} << none;
        QTest::newRow("aux note keeps channel")
            << false << -1 << true << "95 3C 40" << QStringList{"95 3C 40"} << none;
        QTest::newRow("aux program change") << false << 3 << true << "C0 05" << QStringList{"C3 05"} << none;
        QTest::newRow("aux pitch bend")
            << false << 2 << true << "E0 00 40" << QStringList{"E2 00 40"} << none;
        QTest::newRow("aux clock unchanged")
            << false << 3 << true << "F8 90 3C 40" << QStringList{"F8", "93 3C 40"} << none;
        QTest::newRow("aux lone clock unchanged") << false << 3 << true << "F8" << QStringList{"F8"} << none;
        QTest::newRow("aux start stays") << false << 3 << true << "FA" << none << none;
        QTest::newRow("main lone clock to keyboard")
            << true << -1 << true << "F8" << none << QStringList{"F8"};
        QTest::newRow("main stop stays") << true << -1 << true << "FC" << none << none;
        QTest::newRow("aux song select stays") << false << 3 << true << "F3 05" << none << none;
        QTest::newRow("aux active sensing stays")
            << false << 3 << true << "FE 90 3C 40" << QStringList{"93 3C 40"} << none;
        QTest::newRow("main note to keyboard")
            << true << 3 << true << "90 3C 40" << none << QStringList{"90 3C 40"};
        QTest::newRow("main aftertouch to keyboard")
            << true << -1 << true << "D1 20" << none << QStringList{"D1 20"};
        QTest::newRow("main note without keyboard") << true << -1 << false << "90 3C 40" << none << none;
        QTest::newRow("main song select stays") << true << -1 << true << "F3 05" << none << none;
    }

    void passThrough()
    {
        QFETCH(bool, fromMain);
        QFETCH(int, auxChannel);
        QFETCH(bool, keyboard);
        QFETCH(QString, packet);
        QFETCH(QStringList, toMain);
        QFETCH(QStringList, toAux);

        TestInstrument instrument(*bus);
        const int auxSource = bus->addSource(QStringLiteral("Aux In"));
        const int auxDestination = bus->addDestination(QStringLiteral("Aux Out"));
        BusDevice device;
        device.keyboard = keyboard;
        device.setAuxChannel(auxChannel);
        device.auxIn()->setName(QStringLiteral("Aux In"));
        device.auxOut()->setName(QStringLiteral("Aux Out"));
        RecordingClient client(&device);
        device.attach(instrument);
        bus->clearSent();

        bus->inject(fromMain ? instrument.source() : auxSource, hex(packet));
        QVERIFY(bus->waitIdle());
        QCOMPARE(trafficHexList(bus->sentPackets(instrument.destination())), toMain);
        QCOMPARE(trafficHexList(bus->sentPackets(auxDestination)), toAux);

        // Pass-through is no echo: the clients see each received message
        // once, unchanged, from where it came.
        QString seen = packet;
        seen.remove(QStringLiteral("FE "));
        QTRY_COMPARE(client.texts(RecordingClient::Event::Short).join(u' '), seen);
        for (const RecordingClient::Event& e : client.events())
            QCOMPARE(e.source, fromMain ? SourceDev : SourceAux);
    }

    // Identity replies: an accepted one on the main input connects the device
    // and reaches no client; on another input it is an ordinary message.
    void identityReplies_data()
    {
        QTest::addColumn<bool>("onMain");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("connects");
        QTest::addColumn<int>("auxSysex");

        const QString accepted = TestSysex::identityReplyText(0);
        QString foreign = accepted;
        foreign.replace(QStringLiteral("02 43 7F"), QStringLiteral("02 41 7F"));
        QTest::newRow("accepted on main") << true << accepted << true << 0;
        QTest::newRow("rejected on main") << true << foreign << false << 0;
        QTest::newRow("accepted on aux") << false << accepted << false << 1;
    }

    void identityReplies()
    {
        QFETCH(bool, onMain);
        QFETCH(QString, reply);
        QFETCH(bool, connects);
        QFETCH(int, auxSysex);

        TestInstrument instrument(*bus);
        const int auxSource = bus->addSource(QStringLiteral("Aux In"));
        BusDevice device;
        device.auxIn()->setName(QStringLiteral("Aux In"));
        RecordingClient client(&device);
        device.attach(instrument);

        bus->inject(onMain ? instrument.source() : auxSource, hex(reply));
        QVERIFY(bus->waitIdle());
        // A marker behind it: once it is in, the reply has been handled.
        instrument.sendHex(QStringLiteral("90 3C 40"));
        QTRY_COMPARE(client.texts(RecordingClient::Event::Short).size(), qsizetype(1));

        if (connects) {
            QTRY_COMPARE(client.connects(), 1);
            QCOMPARE(device.connectionStatus(), QStringLiteral("TI-1 connected"));
        }
        QCOMPARE(device.isConnected(), connects);
        QCOMPARE(client.texts(RecordingClient::Event::Sysex).size(), qsizetype(auxSysex));
        QCOMPARE(client.texts(RecordingClient::Event::Sysex, SourceAux).size(), qsizetype(auxSysex));
        QCOMPARE(client.connects(), connects ? 1 : 0);
    }

    // The poll sends its requests and gives up; the device ends disconnected
    // with its ports closed, and disconnecting again is harmless.
    void pollGivesUp()
    {
        Rig rig(*bus);
        rig.instrument.setAnswersIdentity(false);
        rig.device.poller()->setInterval(10);

        rig.device.setPorts(rig.instrument.name(), rig.instrument.name());
        QVERIFY(rig.device.poller()->isRunning());
        QTRY_VERIFY_WITH_TIMEOUT(!rig.device.poller()->isRunning(), 10000);

        QCOMPARE(rig.instrument.identityRequests(), Task_Poller::DefaultRequests);
        QCOMPARE(trafficHexList(bus->sentPackets(rig.instrument.destination())).first(),
                 QStringLiteral("F0 7E 00 06 01 F7"));
        QVERIFY(!rig.device.isConnected());
        QVERIFY(!rig.device.midiIn()->isOpened());
        QVERIFY(!rig.device.midiOut()->isOpened());
        rig.device.disconnect();
        QVERIFY(!rig.device.isConnected());
        QCOMPARE(rig.client.connects(), 0);
        // The names chosen were stored.
        QCOMPARE(Profile::readProfileString(QString(), QStringLiteral("MidiIn")), rig.instrument.name());
    }

    // Once the instrument answers, the poll stops without another request and
    // the device stays connected with its ports open.
    void pollStopsWhenConnected()
    {
        Rig rig(*bus);
        rig.device.poller()->setInterval(100);
        rig.instrument.setIdentityDelay(150); // answers after the second request went out

        rig.device.setPorts(rig.instrument.name(), rig.instrument.name());
        QTRY_VERIFY_WITH_TIMEOUT(rig.device.isConnected(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!rig.device.poller()->isRunning(), 5000);
        // Waits for the requests still on the bus; no poll is left to send more.
        QVERIFY(Waiting::deliverAll(*bus));
        const int requests = rig.instrument.identityRequests();
        QVERIFY(requests >= 1 && requests < Task_Poller::DefaultRequests);
        QVERIFY(!rig.device.poller()->isRunning());
        QVERIFY(rig.device.isConnected());
        QVERIFY(rig.device.midiIn()->isOpened());
        QTRY_COMPARE(rig.client.connects(), 1);
        QVERIFY(rig.client.texts(RecordingClient::Event::Sysex, SourceDev).isEmpty());
    }

    // Connecting again with the poll replaces a poll still running.
    void connectRestartsThePoll()
    {
        Rig rig(*bus);
        rig.instrument.setAnswersIdentity(false);
        rig.device.poller()->setInterval(60000);

        rig.device.connect(true);
        QTRY_COMPARE(rig.instrument.identityRequests(), 1);
        rig.device.connect(true);
        QTRY_COMPARE(rig.instrument.identityRequests(), 2);
        QVERIFY(rig.device.poller()->isRunning());
        QVERIFY(rig.device.midiIn()->isOpened());

        // A disconnect does not wait out the pause.
        QElapsedTimer clock;
        clock.start();
        rig.device.disconnect();
        QVERIFY(!rig.device.poller()->isRunning());
        QVERIFY(clock.elapsed() < 60000);
    }

    // setPorts needs both names; with one missing nothing changes.
    void setPortsNeedsBothNames_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("no input") << QString() << QStringLiteral("X");
        QTest::newRow("no output") << QStringLiteral("X") << QString();
    }

    void setPortsNeedsBothNames()
    {
        QFETCH(QString, in);
        QFETCH(QString, out);
        Rig rig(*bus);

        rig.device.setPorts(in, out);
        QCOMPARE(rig.device.midiIn()->name(), rig.instrument.name());
        QCOMPARE(rig.device.midiOut()->name(), rig.instrument.name());
        QVERIFY(rig.device.midiIn()->isOpened());
        QVERIFY(!rig.device.poller()->isRunning());
        QCOMPARE(Profile::readProfileString(QString(), QStringLiteral("MidiIn")), QString());
        QCOMPARE(Profile::readProfileString(QString(), QStringLiteral("MidiOut")), QString());
    }

    // What the short-message senders put on the cable, and their echo to the
    // clients.
    void shortSends_data()
    {
        QTest::addColumn<DeviceOp>("op");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<int>("echoes");

        QStringList resets, localOff;
        for (int ch = 0; ch < 16; ++ch) {
            resets << QStringLiteral("B%1 79 00").arg(ch, 0, 16).toUpper();
            localOff << QStringLiteral("B%1 7A 00").arg(ch, 0, 16).toUpper();
        }

        QTest::newRow("note on, device channel")
            << DeviceOp([](BusDevice& d) { d.noteOn(60, 64); }) << QStringList{"93 3C 40"} << 1;
        QTest::newRow("note on, channel 5")
            << DeviceOp([](BusDevice& d) { d.noteOn(60, 64, 5); }) << QStringList{"95 3C 40"} << 1;
        QTest::newRow("note off, device channel")
            << DeviceOp([](BusDevice& d) { d.noteOff(60); }) << QStringList{"83 3C 00"} << 1;
        QTest::newRow("part volume") << DeviceOp([](BusDevice& d) { d.setPartVolume(2, 100); })
                                     << QStringList{"B2 07 64"} << 1;
        QTest::newRow("part volume -1")
            << DeviceOp([](BusDevice& d) { d.setPartVolume(2, -1); }) << QStringList{} << 0;
        QTest::newRow("reset controllers")
            << DeviceOp([](BusDevice& d) { d.resetControllers(); }) << resets << 16;
        QTest::newRow("local off") << DeviceOp([](BusDevice& d) { d.localControl(false); }) << localOff << 16;
        QTest::newRow("patch change, no echo")
            << DeviceOp([](BusDevice& d) { d.patchChange(Patch(1, 2, 5)); })
            << QStringList{"B3 00 01", "B3 20 02", "C3 05"} << 0;
        QTest::newRow("invalid patch")
            << DeviceOp([](BusDevice& d) { d.patchChange(Patch()); }) << QStringList{} << 0;
    }

    void shortSends()
    {
        QFETCH(DeviceOp, op);
        QFETCH(QStringList, sent);
        QFETCH(int, echoes);
        Rig rig(*bus);
        rig.device.setChannel(3);

        op(rig.device);
        QVERIFY(bus->waitIdle());
        QCOMPARE(trafficHexList(bus->sentPackets(rig.instrument.destination())), sent);
        // The echo comes at once, on the sending thread.
        QCOMPARE(rig.client.texts(RecordingClient::Event::Short, SourceGUI).size(), qsizetype(echoes));
        QVERIFY(rig.client.allOn(QThread::currentThread()));
    }

    // A send made by a background job reaches the clients' windows on the GUI
    // thread, in the order it was sent, never on the job's thread.
    void echoOfAJobOnTheGuiThread()
    {
        Rig rig(*bus);
        std::thread job([&] {
            rig.device.noteOn(60, 64, 0);
            rig.device.sendSysex(QStringLiteral("F0 43 10 7F 00 0A 00 01 02 F7"));
            rig.device.noteOff(60, 0);
        });
        job.join();
        QTRY_COMPARE(rig.client.events().size(), qsizetype(3));
        const QList<RecordingClient::Event> events = rig.client.events();
        QVERIFY(rig.client.allOn(QThread::currentThread()));
        QCOMPARE(events.at(0).kind, RecordingClient::Event::Short);
        QCOMPARE(events.at(1).kind, RecordingClient::Event::Sysex);
        QCOMPARE(events.at(2).kind, RecordingClient::Event::Short);
        for (const RecordingClient::Event& event : events)
            QCOMPARE(event.source, SourceGUI);
    }

    // The device number goes into byte 2 of what is sent, never into the
    // caller's message; the echo shows what went out.
    void sendSysexDeviceNumber_data()
    {
        QTest::addColumn<bool>("withId");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("sent");

        QTest::newRow("number put in") << true << "F0 43 10 7F 00 01 02 03 05 F7"
                                       << "F0 43 15 7F 00 01 02 03 05 F7";
        QTest::newRow("number kept") << true << "F0 43 12 7F 00 01 02 03 05 F7"
                                     << "F0 43 12 7F 00 01 02 03 05 F7";
        QTest::newRow("device without number") << false << "F0 43 10 7F 00 01 02 03 05 F7"
                                               << "F0 43 10 7F 00 01 02 03 05 F7";
    }

    void sendSysexDeviceNumber()
    {
        QFETCH(bool, withId);
        QFETCH(QString, message);
        QFETCH(QString, sent);
        Rig rig(*bus);
        rig.device.deviceId = withId;
        rig.device.setDeviceId(5);

        TestSysex stored;
        QVERIFY(stored.fromString(message));
        rig.device.sendSysex(&stored);
        QCOMPARE(stored.toString(-1), message);
        QVERIFY(bus->waitIdle());
        QCOMPARE(trafficHexList(bus->sentPackets(rig.instrument.destination())), QStringList{sent});
        QCOMPARE(rig.client.texts(RecordingClient::Event::Sysex, SourceGUI), QStringList{sent});

        // The hex form goes the same way.
        bus->clearSent();
        rig.device.sendSysex(message);
        QVERIFY(bus->waitIdle());
        QCOMPARE(trafficHexList(bus->sentPackets(rig.instrument.destination())), QStringList{sent});
    }

    // Messages for the never-send addresses, and empty ones, go nowhere.
    void sendSysexSkips()
    {
        Rig rig(*bus);
        rig.device.neverSend(0x010203);
        rig.device.sendSysex(QStringLiteral("F0 43 10 7F 00 01 02 03 05 F7"));
        rig.device.sendSysex(QString());
        rig.device.sendSysex(static_cast<Sysex*>(nullptr));
        rig.device.sendSysex(QStringLiteral("F0 43 10 7F 00 01 02 04 05 F7"));
        QVERIFY(bus->waitIdle());
        QCOMPARE(trafficHexList(bus->sentPackets(rig.instrument.destination())),
                 QStringList{"F0 43 10 7F 00 01 02 04 05 F7"});
        QCOMPARE(rig.client.texts(RecordingClient::Event::Sysex).size(), qsizetype(1));
    }

    // Parameter requests and changes; none for a parameter without an address.
    // A message the port does not take is no success: -1, no echo, and a
    // transmission stops there rather than leave a gap in the dump.
    void refusedSysexIsReported()
    {
        Rig rig(*bus);
        const QString small = TestSysex::bulkDumpText(0x100000, QByteArray(4, 1));
        const QString large = TestSysex::bulkDumpText(0x100100, QByteArray(40, 2));
        const int limit = int(hex(small).size());
        bus->setMaxMessageSize(limit);

        QCOMPARE(rig.device.sendSysex(small), limit);
        QCOMPARE(rig.device.sendSysex(large), -1);
        QCOMPARE(rig.device.sendSysex(QString()), 0);
        QVERIFY(!rig.device.transmitString(large + u' ' + small));
        QVERIFY(rig.device.transmitString(small + u' ' + small));
        QVERIFY(bus->waitIdle());
        QCOMPARE(trafficHexList(bus->sentPackets(rig.instrument.destination())), QStringList(3, small));
        QCOMPARE(rig.client.texts(RecordingClient::Event::Sysex, SourceGUI), QStringList(3, small));

        // Nor is a closed port.
        rig.device.disconnect();
        QCOMPARE(rig.device.sendSysex(small), -1);
        QVERIFY(!rig.device.transmitString(small));
        QCOMPARE(rig.client.texts(RecordingClient::Event::Sysex, SourceGUI).size(), qsizetype(3));
    }

    void parameterMessages()
    {
        Rig rig(*bus);
        MidiParam param(0x010203, 1, false, false);
        rig.device.paramRequest(param);
        rig.device.paramChange(param, 0x21);
        rig.device.paramRequest(MidiParam());
        rig.device.paramChange(MidiParam(), 1);
        QVERIFY(bus->waitIdle());
        QCOMPARE(trafficHexList(bus->sentPackets(rig.instrument.destination())),
                 (QStringList{"F0 43 30 7F 00 01 02 03 F7", "F0 43 10 7F 00 01 02 03 21 F7"}));
    }

    // Transmitting paces itself by the delay after every message while
    // connected, and does not wait at all while not connected.
    void transmitPacing()
    {
        Rig rig(*bus);
        const QString dump = TestSysex::bulkDumpText(TestSysex::HeaderAddress, QByteArray(1, 0)) + u' ' +
                             TestSysex::bulkDumpText(0x100000, QByteArray(4, 1)) + u' ' +
                             TestSysex::bulkDumpText(0x100100, QByteArray(4, 2)) + u' ' +
                             TestSysex::bulkDumpText(TestSysex::FooterAddress, QByteArray(1, 0));

        rig.device.setDelay(25);
        rig.device.setConnected(true);
        QElapsedTimer clock;
        clock.start();
        rig.device.transmitString(dump);
        QVERIFY2(clock.elapsed() >= 4 * 25 - 5, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(bus->waitIdle());
        QCOMPARE(bus->sentPackets(rig.instrument.destination()).size(), qsizetype(4));

        // Disconnected: the sends go out (the ports are open) without the
        // pause, however long it is set.
        rig.device.setConnected(false);
        rig.device.setDelay(10000);
        bus->clearSent();
        clock.restart();
        rig.device.transmitString(dump);
        QVERIFY(clock.elapsed() < 10000);
        QVERIFY(bus->waitIdle());
        QCOMPARE(bus->sentPackets(rig.instrument.destination()).size(), qsizetype(4));
    }

    // A file is sent as the messages it holds; an unreadable one sends nothing.
    void transmitFile()
    {
        Rig rig(*bus);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("dump.syx"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(hex(TestSysex::bulkDumpText(0x100000, QByteArray(4, 1)) + u' ' +
                       TestSysex::bulkDumpText(0x100100, QByteArray(4, 2))));
        file.close();

        rig.device.transmitFile(path);
        rig.device.transmitFile(dir.filePath(QStringLiteral("missing.syx")));
        QVERIFY(bus->waitIdle());
        QCOMPARE(bus->sentPackets(rig.instrument.destination()).size(), qsizetype(2));
    }
};

ORVANE_TEST_MAIN(TestDeviceTraffic)
#include "tst_devicetraffic.moc"
