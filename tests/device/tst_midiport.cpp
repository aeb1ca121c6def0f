// Input and output ports on the virtual MIDI bus: how received packets become
// messages, what the senders put on the cable, opening by name, and closing
// while data arrives.
#include "Buffer.h"
#include "MidiMessage.h"
#include "MidiPort.h"
#include "Patch.h"
#include "PortInfo.h"
#include "RtMidiBackend.h"
#include "TestBus.h"
#include "TestEnvironment.h"
#include "VirtualMidiBus.h"

#include <QMutex>
#include <QScopeGuard>
#include <QSemaphore>
#include <QThread>

#include <atomic>
#include <functional>
#include <thread>

namespace {

QByteArray portHex(const QString& text)
{
    return QByteArray::fromHex(text.toLatin1());
}

QString portHexText(const unsigned char* data, int size)
{
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(data), size).toHex(' ').toUpper());
}

QStringList portHexList(const QList<QByteArray>& packets)
{
    QStringList result;
    for (const QByteArray& p : packets)
        result << QString::fromLatin1(p.toHex(' ').toUpper());
    return result;
}

// Records what an input port hands on, as hex text: short messages with the
// bytes their kind has, system-exclusive messages whole.
class PortRecorder : public IMidiPortOwner
{
public:
    void OnShortMessage(MidiInPort*, unsigned int message) override
    {
        const MidiMessage m(message);
        const unsigned char bytes[3] = {m.status, m.data1, m.data2};
        add(portHexText(bytes, m.size()));
    }
    void OnLongMessage(MidiInPort*, unsigned char* data, int length) override { add(portHexText(data, length)); }

    QStringList events() const
    {
        QMutexLocker lock(&m_mutex);
        return m_events;
    }
    bool allOffThread(QThread* thread) const
    {
        QMutexLocker lock(&m_mutex);
        return !m_threads.contains(thread);
    }

private:
    void add(const QString& event)
    {
        QMutexLocker lock(&m_mutex);
        m_events << event;
        m_threads << QThread::currentThread();
    }

    mutable QMutex m_mutex;
    QStringList m_events;
    QList<QThread*> m_threads;
};

using SendOp = std::function<void(MidiOutPort&)>;

} // namespace

Q_DECLARE_METATYPE(SendOp)

class TestMidiPort : public QObject
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
        bus->reset();
        MidiInPorts.clear();
        MidiOutPorts.clear();
    }

    void receivePackets_data()
    {
        QTest::addColumn<QStringList>("packets");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("two notes in one packet")
            << QStringList{"90 3C 40 80 3C 00"} << QStringList{"90 3C 40", "80 3C 00"};
        QTest::newRow("program change at its second byte") << QStringList{"C0 05"} << QStringList{"C0 05"};
        QTest::newRow("tune request alone") << QStringList{"F6"} << QStringList{"F6"};
        QTest::newRow("sysex over three packets")
            << QStringList{"F0 43 10", "4C 00 00", "7E 00 F7"} << QStringList{"F0 43 10 4C 00 00 7E 00 F7"};
        QTest::newRow("notes around a sysex in one packet")
            << QStringList{"90 3C 40 F0 01 02 F7 80 3C 00"}
            << QStringList{"90 3C 40", "F0 01 02 F7", "80 3C 00"};
        QTest::newRow("two sysex in one packet")
            << QStringList{"F0 01 F7 F0 02 F7"} << QStringList{"F0 01 F7", "F0 02 F7"};
        QTest::newRow("clock inside a sysex")
            << QStringList{"F0 01 F8 02 F7"} << QStringList{"F8", "F0 01 02 F7"};
        QTest::newRow("clock packet while a sysex is open")
            << QStringList{"F0 01", "F8", "02 F7"} << QStringList{"F8", "F0 01 02 F7"};
        QTest::newRow("lost F7, then a note")
            << QStringList{"F0 01 02", "90 3C 40", "03 F7"} << QStringList{"90 3C 40"};
        QTest::newRow("status inside a sysex packet")
            << QStringList{"F0 01 C0 05 F7"} << QStringList{"C0 05"};
        QTest::newRow("new F0 drops the open sysex")
            << QStringList{"F0 01 02", "F0 03 F7"} << QStringList{"F0 03 F7"};
        QTest::newRow("data byte before a status") << QStringList{"3C 90 3C 40"} << QStringList{"90 3C 40"};
        QTest::newRow("clock inside a note") << QStringList{"90 F8 3C 40"} << QStringList{"F8", "90 3C 40"};
        QTest::newRow("status restarts a message")
            << QStringList{"90 3C B0 07 64"} << QStringList{"B0 07 64"};
        QTest::newRow("running status not followed")
            << QStringList{"90 3C 40 3E 40"} << QStringList{"90 3C 40"};
        QTest::newRow("no message across packets") << QStringList{"90 3C", "40"} << QStringList{};
        QTest::newRow("stray F7") << QStringList{"F7 90 3C 40"} << QStringList{"90 3C 40"};
        QTest::newRow("active sensing alone") << QStringList{"FE"} << QStringList{};
        QTest::newRow("active sensing before a note")
            << QStringList{"FE 90 3C 40"} << QStringList{"90 3C 40"};
        // Each real-time byte comes as a packet of its own.
        QTest::newRow("lone real-time bytes") << QStringList{"F8", "FA", "F8", "FB", "FC", "FF"}
                                              << QStringList{"F8", "FA", "F8", "FB", "FC", "FF"};
        QTest::newRow("clock before a note") << QStringList{"F8 90 3C 40"} << QStringList{"F8", "90 3C 40"};
        QTest::newRow("empty packet") << QStringList{"", "90 3C 40"} << QStringList{"90 3C 40"};
    }

    void receivePackets()
    {
        QFETCH(QStringList, packets);
        QFETCH(QStringList, expected);

        const int src = bus->addSource(QStringLiteral("Synth Out"));
        InitMidiPorts();
        PortRecorder owner;
        MidiInPort port(&owner);
        port.setName(QStringLiteral("Synth Out"));
        QVERIFY(port.open());

        QList<QByteArray> raw;
        for (const QString& p : packets)
            raw << portHex(p);
        bus->inject(src, raw);
        QVERIFY(bus->waitIdle());
        QCOMPARE(owner.events(), expected);
        QVERIFY(owner.allOffThread(QThread::currentThread()));
    }

    // System common messages have the length their status gives them, on the
    // way in and out: a message of the wrong length loses its data byte or
    // swallows the status after it.
    void systemCommonLengths_data()
    {
        QTest::addColumn<QString>("message");
        QTest::newRow("time code quarter frame") << "F1 05";
        QTest::newRow("song position") << "F2 01 02";
        QTest::newRow("song select") << "F3 05";
        QTest::newRow("tune request") << "F6";
    }

    void systemCommonLengths()
    {
        QFETCH(QString, message);
        const int src = bus->addSource(QStringLiteral("Synth Out"));
        const int dst = bus->addDestination(QStringLiteral("Synth In"));
        InitMidiPorts();
        PortRecorder owner;
        MidiInPort in(&owner);
        in.setName(QStringLiteral("Synth Out"));
        QVERIFY(in.open());
        MidiOutPort out;
        out.setName(QStringLiteral("Synth In"));
        QVERIFY(out.open());

        // Twice and then a note, all in one packet.
        bus->inject(src, portHex(message + u' ' + message + QStringLiteral(" 90 3C 40")));
        QVERIFY(bus->waitIdle());
        QCOMPARE(owner.events(), (QStringList{message, message, QStringLiteral("90 3C 40")}));

        const QByteArray bytes = portHex(message);
        unsigned int packed = 0;
        for (int i = 0; i < bytes.size(); ++i)
            packed |= unsigned(quint8(bytes.at(i))) << (8 * i);
        out.sendShort(packed);
        QCOMPARE(portHexList(bus->sentPackets(dst)), QStringList{message});
    }

    void oversizeSysex()
    {
        // The longest message that fits is handed on whole; one byte more is
        // dropped without touching memory past the buffer, and the traffic
        // after it is unharmed.
        const int src = bus->addSource(QStringLiteral("Synth Out"));
        InitMidiPorts();
        PortRecorder owner;
        MidiInPort port(&owner);
        port.setName(QStringLiteral("Synth Out"));
        QVERIFY(port.open());

        auto sysex = [](int total) {
            QByteArray m(total, '\x11');
            m[0] = char(0xF0);
            m[total - 1] = char(0xF7);
            return m;
        };
        const QByteArray fits = sysex(MidiInPort::SysexLimit);
        const QByteArray tooLong = sysex(MidiInPort::SysexLimit + 1);
        // Split the long one over packets too: the limit holds across packets.
        bus->inject(src, {fits, tooLong.left(1000), tooLong.mid(1000), portHex("90 3C 40")});
        QVERIFY(bus->waitIdle());
        const QStringList events = owner.events();
        QCOMPARE(events.size(), 2);
        QCOMPARE(events.at(0), QString::fromLatin1(fits.toHex(' ').toUpper()));
        QCOMPARE(events.at(1), QStringLiteral("90 3C 40"));
    }

    void sends_data()
    {
        QTest::addColumn<SendOp>("op");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("program change is two bytes")
            << SendOp([](MidiOutPort& p) { p.programChange(5, 0); }) << QStringList{"C0 05"};
        QTest::newRow("program change without channel")
            << SendOp([](MidiOutPort& p) { p.programChange(5, -1); }) << QStringList{};
        QTest::newRow("channel cut to four bits")
            << SendOp([](MidiOutPort& p) { p.noteOn(60, 100, 17); }) << QStringList{"91 3C 64"};
        QTest::newRow("note off") << SendOp([](MidiOutPort& p) { p.noteOff(60, 2); })
                                  << QStringList{"82 3C 00"};
        QTest::newRow("data byte cut to seven bits")
            << SendOp([](MidiOutPort& p) { p.controllerChange(7, 200, 0); }) << QStringList{"B0 07 48"};
        QTest::newRow("song select") << SendOp([](MidiOutPort& p) { p.songSelect(3); })
                                     << QStringList{"F3 03"};
        QTest::newRow("channel pressure")
            << SendOp([](MidiOutPort& p) { p.sendShort(0xD0, 0x50, 0x22); }) << QStringList{"D0 50"};
        QTest::newRow("packed message")
            << SendOp([](MidiOutPort& p) { p.sendShort(0x403C90u); }) << QStringList{"90 3C 40"};
        QTest::newRow("no status byte")
            << SendOp([](MidiOutPort& p) { p.sendShort(0x3Cu); }) << QStringList{};
        QTest::newRow("F0 is no short message")
            << SendOp([](MidiOutPort& p) { p.sendShort(0xF0, 1, 2); }) << QStringList{};
        QTest::newRow("patch change") << SendOp([](MidiOutPort& p) { p.patchChange(1, 2, 5, 0); })
                                      << QStringList{"B0 00 01", "B0 20 02", "C0 05"};
        QTest::newRow("bank out of range sends only the program")
            << SendOp([](MidiOutPort& p) { p.patchChange(0, 200, 5, 0); }) << QStringList{"C0 05"};
        QTest::newRow("program out of range sends only the bank")
            << SendOp([](MidiOutPort& p) { p.patchChange(1, 2, 128, 0); })
            << QStringList{"B0 00 01", "B0 20 02"};
        QTest::newRow("patch change without channel")
            << SendOp([](MidiOutPort& p) { p.patchChange(1, 2, 5, -1); }) << QStringList{};
        QTest::newRow("patch") << SendOp([](MidiOutPort& p) { p.patchChange(Patch(1, 2, 5), 3); })
                               << QStringList{"B3 00 01", "B3 20 02", "C3 05"};
        QTest::newRow("patch without channel")
            << SendOp([](MidiOutPort& p) { p.patchChange(Patch(1, 2, 5), -1); }) << QStringList{};
        QTest::newRow("invalid patch")
            << SendOp([](MidiOutPort& p) { p.patchChange(Patch(-1, 2, 5), 0); }) << QStringList{};
        QTest::newRow("notes off") << SendOp([](MidiOutPort& p) { p.notesOff(4); })
                                   << QStringList{"B4 7B 00", "B4 78 00"};
        QTest::newRow("identity request 0")
            << SendOp([](MidiOutPort& p) { p.requestId(0); }) << QStringList{"F0 7E 00 06 01 F7"};
        QTest::newRow("identity request 15")
            << SendOp([](MidiOutPort& p) { p.requestId(15); }) << QStringList{"F0 7E 0F 06 01 F7"};
        QTest::newRow("identity request 16")
            << SendOp([](MidiOutPort& p) { p.requestId(16); }) << QStringList{};
        QTest::newRow("GM on") << SendOp([](MidiOutPort& p) { p.initGM(); })
                               << QStringList{"F0 7E 7F 09 01 F7"};
        QTest::newRow("XG on") << SendOp([](MidiOutPort& p) { p.initXG(); })
                               << QStringList{"F0 43 10 4C 00 00 7E 00 F7"};
        QTest::newRow("sysex from text")
            << SendOp([](MidiOutPort& p) { QCOMPARE(p.sendSysex(QStringLiteral("F0 01 02 F7")), 4); })
            << QStringList{"F0 01 02 F7"};
        QTest::newRow("empty sysex") << SendOp([](MidiOutPort& p) {
            Buffer empty;
            QCOMPARE(p.sendSysex(&empty), 0);
            QCOMPARE(p.sendSysex(QString()), 0);
            QCOMPARE(p.sendSysex(static_cast<const unsigned char*>(nullptr), 4), 0);
        }) << QStringList{};
        QTest::newRow("malformed text")
            << SendOp([](MidiOutPort& p) { QCOMPARE(p.sendSysex(QStringLiteral("F0 0")), 0); })
            << QStringList{};

        QStringList reset;
        QStringList allOff;
        for (int ch = 0; ch < 16; ++ch) {
            reset << QStringLiteral("B%1 79 00").arg(ch, 0, 16).toUpper();
            allOff << QStringLiteral("B%1 7B 00").arg(ch, 0, 16).toUpper()
                   << QStringLiteral("B%1 78 00").arg(ch, 0, 16).toUpper();
        }
        QTest::newRow("reset controllers") << SendOp([](MidiOutPort& p) { p.resetControllers(); }) << reset;
        QTest::newRow("all notes off") << SendOp([](MidiOutPort& p) { p.allNotesOff(); }) << allOff;
    }

    void sends()
    {
        QFETCH(SendOp, op);
        QFETCH(QStringList, expected);

        const int dst = bus->addDestination(QStringLiteral("Synth In"));
        InitMidiPorts();
        MidiOutPort port;
        port.setName(QStringLiteral("Synth In"));
        QVERIFY(port.open());
        op(port);
        QCOMPARE(portHexList(bus->sentPackets(dst)), expected);
    }

    void longSysexGoesWhole()
    {
        const int dst = bus->addDestination(QStringLiteral("Synth In"));
        InitMidiPorts();
        MidiOutPort port;
        port.setName(QStringLiteral("Synth In"));
        QVERIFY(port.open());

        QByteArray dump(3000, '\x22');
        dump[0] = char(0xF0);
        dump[dump.size() - 1] = char(0xF7);
        QCOMPARE(port.sendSysex(reinterpret_cast<const unsigned char*>(dump.constData()), int(dump.size())),
                 int(dump.size()));
        QCOMPARE(bus->sentPackets(dst), QList<QByteArray>{dump});

        // A send the system refuses is reported, not counted as sent.
        bus->setSendFailure(dst, true);
        QCOMPARE(port.sendSysex(reinterpret_cast<const unsigned char*>(dump.constData()), int(dump.size())),
                 0);
        QCOMPARE(bus->sentPackets(dst).size(), 1);

        port.close();
        bus->setSendFailure(dst, false);
        QCOMPARE(port.sendSysex(QStringLiteral("F0 01 F7")), 0);
        port.noteOn(60, 100, 0);
        QCOMPARE(bus->sentPackets(dst).size(), 1);
    }

    void openByName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("opens");

        QTest::newRow("empty") << QString() << false;
        QTest::newRow("none") << QStringLiteral("(none)") << false;
        QTest::newRow("unknown") << QStringLiteral("Nothing Here") << false;
        QTest::newRow("listed") << QStringLiteral("Synth") << true;
        QTest::newRow("case matters") << QStringLiteral("synth") << false;
    }

    void openByName()
    {
        QFETCH(QString, name);
        QFETCH(bool, opens);

        bus->addSource(QStringLiteral("Synth"));
        bus->addDestination(QStringLiteral("Synth"));
        InitMidiPorts();
        // A refused open of a port without a name never reaches the system.
        bus->setClientFailure(MidiStatusClientFailed);
        if (opens)
            bus->setClientFailure(MidiStatusOk);

        PortRecorder owner;
        MidiInPort in(&owner);
        MidiOutPort out;
        in.setName(name);
        out.setName(name);
        QCOMPARE(in.open(), opens);
        QCOMPARE(out.open(), opens);
        QCOMPARE(in.isOpened(), opens);
        QCOMPARE(out.isOpened(), opens);
        QCOMPARE(in.status(), int(MidiStatusOk));
        QCOMPARE(out.status(), int(MidiStatusOk));
        QCOMPARE(bus->openPortCount(MidiEndpointKind::Source, 0), opens ? 1 : 0);
        QCOMPARE(bus->openPortCount(MidiEndpointKind::Destination, 0), opens ? 1 : 0);
    }

    void setNameAndReopenClose()
    {
        bus->addSource(QStringLiteral("A"));
        bus->addDestination(QStringLiteral("A"));
        InitMidiPorts();
        PortRecorder owner;
        MidiInPort in(&owner);
        MidiOutPort out;
        in.setName(QStringLiteral("A"));
        out.setName(QStringLiteral("A"));
        QVERIFY(in.open());
        QVERIFY(out.open());
        // Opening again replaces the port: still one open on the endpoint.
        QVERIFY(in.open());
        QVERIFY(out.open());
        QCOMPARE(bus->openPortCount(MidiEndpointKind::Source, 0), 1);
        QCOMPARE(bus->openPortCount(MidiEndpointKind::Destination, 0), 1);

        in.setName(QStringLiteral("A"));
        out.setName(QStringLiteral("A"));
        QVERIFY(!in.isOpened());
        QVERIFY(!out.isOpened());
        QCOMPARE(bus->openPortCount(MidiEndpointKind::Source, 0), 0);
        QCOMPARE(bus->openPortCount(MidiEndpointKind::Destination, 0), 0);
    }

    void equalsComparesOpenPorts()
    {
        bus->addSource(QStringLiteral("A"));
        InitMidiPorts();
        PortRecorder owner;
        MidiInPort a(&owner);
        MidiInPort b(&owner);
        a.setName(QStringLiteral("A"));
        b.setName(QStringLiteral("A"));
        QVERIFY(a.open());
        QVERIFY(b.open());
        QVERIFY(a.equals(&a));
        QVERIFY(!a.equals(&b));
        QVERIFY(!a.equals(nullptr));
    }

    void duplicateNamesOpenTheFirst()
    {
        const int src0 = bus->addSource(QStringLiteral("Twin"));
        const int src1 = bus->addSource(QStringLiteral("Twin"));
        const int dst0 = bus->addDestination(QStringLiteral("Twin"));
        const int dst1 = bus->addDestination(QStringLiteral("Twin"));
        QVERIFY(InitMidiPorts());
        QCOMPARE(MidiInPorts.size(), 2);
        QCOMPARE(MidiOutPorts.size(), 2);

        PortRecorder owner;
        MidiInPort in(&owner);
        MidiOutPort out;
        in.setName(QStringLiteral("Twin"));
        out.setName(QStringLiteral("Twin"));
        QVERIFY(in.open());
        QVERIFY(out.open());
        out.noteOn(60, 1, 0);
        bus->inject(src1, portHex("90 3D 01"));
        bus->inject(src0, portHex("90 3C 01"));
        QVERIFY(bus->waitIdle());
        QCOMPARE(owner.events(), QStringList{"90 3C 01"});
        QCOMPARE(bus->sentPackets(dst0).size(), 1);
        QCOMPARE(bus->sentPackets(dst1).size(), 0);
    }

    void renumberedEndpointsStillFound()
    {
        // Listed at index 1; when the endpoint in front goes away before the
        // port opens, the port still finds its endpoint by name.
        bus->addDestination(QStringLiteral("Gone"));
        bus->addDestination(QStringLiteral("Synth"));
        InitMidiPorts();
        QCOMPARE(MidiOutPorts.at(1).id, 1);
        bus->removeEndpoint(MidiEndpointKind::Destination, 0);

        MidiOutPort out;
        out.setName(QStringLiteral("Synth"));
        QVERIFY(out.open());
        out.noteOn(60, 1, 0);
        QCOMPARE(portHexList(bus->sentPackets(0)), QStringList{"90 3C 01"});

        // An endpoint that is gone altogether fails with its status.
        out.setName(QStringLiteral("Gone"));
        QVERIFY(!out.open());
        QCOMPARE(out.status(), int(MidiStatusNoEndpoint));
    }

    void failuresOnDemand()
    {
        bus->addSource(QStringLiteral("In"));
        bus->addDestination(QStringLiteral("Out"));
        InitMidiPorts();
        PortRecorder owner;
        MidiInPort in(&owner);
        MidiOutPort out;
        in.setName(QStringLiteral("In"));
        out.setName(QStringLiteral("Out"));

        bus->setClientFailure(MidiStatusClientFailed);
        QVERIFY(!in.open());
        QVERIFY(!out.open());
        QCOMPARE(in.status(), int(MidiStatusClientFailed));
        QCOMPARE(out.status(), int(MidiStatusClientFailed));

        // The client is tried again on the next open.
        bus->setClientFailure(MidiStatusOk);
        bus->setOpenFailure(MidiEndpointKind::Source, 0, MidiStatusConnectFailed);
        bus->setOpenFailure(MidiEndpointKind::Destination, 0, MidiStatusPortFailed);
        QVERIFY(!in.open());
        QVERIFY(!out.open());
        QCOMPARE(in.status(), int(MidiStatusConnectFailed));
        QCOMPARE(out.status(), int(MidiStatusPortFailed));
        QVERIFY(!in.isOpened());
        QVERIFY(!out.isOpened());

        bus->setOpenFailure(MidiEndpointKind::Source, 0, MidiStatusOk);
        bus->setOpenFailure(MidiEndpointKind::Destination, 0, MidiStatusOk);
        QVERIFY(in.open());
        QVERIFY(out.open());
        QCOMPARE(in.status(), int(MidiStatusOk));
    }

    void noCallbackAfterClose()
    {
        // A thread keeps injecting while the port is opened, closed and
        // destroyed over and over; the owner must never be called once close
        // (or the destructor) has returned.
        const int src = bus->addSource(QStringLiteral("Busy"));
        InitMidiPorts();

        struct Guarded : IMidiPortOwner
        {
            std::atomic<bool> closed{false};
            std::atomic<int> calls{0};
            std::atomic<int> late{0};
            void OnShortMessage(MidiInPort*, unsigned int) override
            {
                if (closed)
                    ++late;
                ++calls;
                std::this_thread::sleep_for(std::chrono::microseconds(50));
                if (closed)
                    ++late;
            }
            void OnLongMessage(MidiInPort*, unsigned char*, int) override { OnShortMessage(nullptr, 0); }
        } owner;

        std::atomic<bool> stop{false};
        std::thread feeder([&] {
            while (!stop) {
                bus->inject(src, {portHex("90 3C 40"), portHex("F0 01 02 F7")});
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            }
        });

        for (int round = 0; round < 200; ++round) {
            owner.closed = false;
            if (round % 2 == 0) {
                MidiInPort port(&owner);
                port.setName(QStringLiteral("Busy"));
                QVERIFY(port.open());
                std::this_thread::sleep_for(std::chrono::microseconds(300));
                port.close();
                owner.closed = true;
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            } else {
                auto* port = new MidiInPort(&owner);
                port->setName(QStringLiteral("Busy"));
                QVERIFY(port->open());
                std::this_thread::sleep_for(std::chrono::microseconds(300));
                delete port;
                owner.closed = true;
            }
        }
        stop = true;
        feeder.join();
        QVERIFY(bus->waitIdle());
        QVERIFY(owner.calls > 0);
        QCOMPARE(owner.late.load(), 0);
    }

    void hooksNeverHoldUpTheBackend()
    {
        // The owner's first hook blocks. The backend must still take every
        // packet and go on with its other work (here a responder on the bus
        // thread), and once the hook returns the owner gets everything in order,
        // on a thread that is neither the backend's nor the test's.
        const int src = bus->addSource(QStringLiteral("Busy"));
        const int dst = bus->addDestination(QStringLiteral("Echo"));
        InitMidiPorts();

        struct Blocking : IMidiPortOwner
        {
            QSemaphore entered;
            QSemaphore release;
            QMutex mutex;
            QStringList events;
            QThread* thread = nullptr;
            void OnShortMessage(MidiInPort*, unsigned int message) override
            {
                {
                    QMutexLocker lock(&mutex);
                    events << QString::number(message, 16);
                    thread = QThread::currentThread();
                    if (events.size() > 1)
                        return;
                }
                entered.release();
                release.tryAcquire(1, 20000);
            }
            void OnLongMessage(MidiInPort*, unsigned char*, int) override {}
        } owner;
        // Lets the hook go even when a check below fails.
        auto unblock = qScopeGuard([&] { owner.release.release(); });

        std::atomic<QThread*> responderThread{nullptr};
        bus->setResponder(
            dst, [&](VirtualMidiBus&, const QByteArray&) { responderThread = QThread::currentThread(); });
        MidiInPort port(&owner);
        port.setName(QStringLiteral("Busy"));
        QVERIFY(port.open());
        MidiOutPort out;
        out.setName(QStringLiteral("Echo"));
        QVERIFY(out.open());

        QList<QByteArray> packets;
        QStringList expected;
        for (int i = 0; i < 1000; ++i) {
            const unsigned int note = 0x90u | (unsigned(i >> 7) << 8) | (unsigned(i & 0x7F) << 16);
            packets << QByteArray(reinterpret_cast<const char*>(&note), 3);
            expected << QString::number(note, 16);
        }
        bus->inject(src, packets);
        QVERIFY(owner.entered.tryAcquire(1, 10000));
        // Queued behind all 1000 packets on the bus thread.
        out.sendShort(0x00403C90u);
        QTRY_VERIFY_WITH_TIMEOUT(responderThread.load() != nullptr, 10000);

        unblock.dismiss();
        owner.release.release();
        QVERIFY(bus->waitIdle());
        QMutexLocker lock(&owner.mutex);
        QCOMPARE(owner.events, expected);
        QVERIFY(owner.thread != responderThread.load());
        QVERIFY(owner.thread != QThread::currentThread());
    }

    void concurrentSendsKeepMessagesWhole()
    {
        // Three threads send on one port at once (GUI, a task and MIDI thru
        // do); every message arrives in one piece.
        const int dst = bus->addDestination(QStringLiteral("Shared"));
        InitMidiPorts();
        MidiOutPort out;
        out.setName(QStringLiteral("Shared"));
        QVERIFY(out.open());

        const int perThread = 300;
        auto work = [&](int kind) {
            for (int i = 0; i < perThread; ++i) {
                if (kind == 0)
                    out.patchChange(1, 2, i & 0x7F, 0);
                else if (kind == 1)
                    out.sendSysex(QStringLiteral("F0 43 10 4C 00 00 7E 00 F7"));
                else
                    out.noteOn(i & 0x7F, 1, 5);
            }
        };
        std::thread a(work, 0), b(work, 1), c(work, 2);
        a.join();
        b.join();
        c.join();

        const QList<QByteArray> sent = bus->sentPackets(dst);
        QCOMPARE(sent.size(), perThread * 5);
        // A patch change keeps its three messages together.
        for (int i = 0; i < sent.size(); ++i) {
            if (sent.at(i) == portHex("B0 00 01")) {
                QVERIFY(i + 2 < sent.size());
                QCOMPARE(sent.at(i + 1), portHex("B0 20 02"));
                QCOMPARE(sent.at(i + 2).left(1), portHex("C0"));
            }
        }
    }

    void alsaNamesLoseTheirNumbers_data()
    {
        QTest::addColumn<QString>("listed");
        QTest::addColumn<QString>("stored");

        QTest::newRow("through port") << QStringLiteral("Midi Through:Midi Through Port-0 14:0")
                                      << QStringLiteral("Midi Through:Midi Through Port-0");
        QTest::newRow("usb interface")
            << QStringLiteral("USB MIDI:USB MIDI MIDI 1 24:0") << QStringLiteral("USB MIDI:USB MIDI MIDI 1");
        QTest::newRow("high numbers") << QStringLiteral("Synth:Port 128:15") << QStringLiteral("Synth:Port");
        QTest::newRow("utf-8 name") << QStringLiteral("Gerät:Ausgang 20:1")
                                    << QStringLiteral("Gerät:Ausgang");
        QTest::newRow("no numbers") << QStringLiteral("Synth:Port-1") << QStringLiteral("Synth:Port-1");
        QTest::newRow("numbers not at the end")
            << QStringLiteral("Synth 14:0:Port") << QStringLiteral("Synth 14:0:Port");
        QTest::newRow("numbers without blank")
            << QStringLiteral("Synth:Port14:0") << QStringLiteral("Synth:Port14:0");
        QTest::newRow("jack name") << QStringLiteral("peer:out") << QStringLiteral("peer:out");
        QTest::newRow("empty") << QString() << QString();
    }

    void alsaNamesLoseTheirNumbers()
    {
        QFETCH(QString, listed);
        QFETCH(QString, stored);
        QCOMPARE(RtMidiBackend::stripClientPortNumbers(listed), stored);
    }

    void ownPortsAreNotEndpoints_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("own");

        QTest::newRow("our client") << QStringLiteral("ORVANE:Synth Out") << true;
        QTest::newRow("our second jack client") << QStringLiteral("ORVANE-01:Synth Out") << true;
        QTest::newRow("similar client") << QStringLiteral("ORVANEX:Out") << false;
        QTest::newRow("our name as port") << QStringLiteral("peer:ORVANE") << false;
        QTest::newRow("other client") << QStringLiteral("Midi Through:Midi Through Port-0") << false;
    }

    void ownPortsAreNotEndpoints()
    {
        QFETCH(QString, name);
        QFETCH(bool, own);
        QCOMPARE(RtMidiBackend::isOwnPort(name), own);
    }

    void unavailableSystemIsAStatus()
    {
        // Where the MIDI system cannot be opened (no sound devices here), the
        // RtMidi backend answers with a status instead of throwing.
        RtMidiBackend alsa(RtMidiBackend::Alsa);
        if (alsa.createClient() == MidiStatusOk)
            QSKIP("this machine has an ALSA sequencer");
        QVERIFY(alsa.endpoints(MidiEndpointKind::Source).isEmpty());
        QVERIFY(alsa.endpoints(MidiEndpointKind::Destination).isEmpty());
        std::unique_ptr<MidiOutputHandle> out;
        QCOMPARE(alsa.openOutput(0, QStringLiteral("Synth"), QStringLiteral("Synth"), out),
                 int(MidiStatusClientFailed));
        QVERIFY(!out);
    }
};

ORVANE_TEST_GUILESS_MAIN(TestMidiPort)
#include "tst_midiport.moc"
