// The in-process MIDI bus the other tests play the instrument on, and port
// discovery over it.
#include "MidiMessage.h"
#include "MidiPort.h"
#include "PortInfo.h"
#include "TestBus.h"
#include "TestEnvironment.h"
#include "VirtualMidiBus.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QThread>

#include <atomic>

namespace {

QByteArray busHex(const char* text)
{
    return QByteArray::fromHex(text);
}

QString busHexText(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

// Keeps what an input port hands on, as hex text, with the receiving thread.
class BusRecorder : public IMidiPortOwner
{
public:
    void OnShortMessage(MidiInPort*, unsigned int message) override
    {
        const MidiMessage m(message);
        const char bytes[3] = {char(m.status), char(m.data1), char(m.data2)};
        add(busHexText(QByteArray(bytes, m.size())));
    }
    void OnLongMessage(MidiInPort*, unsigned char* data, int length) override
    {
        add(busHexText(QByteArray(reinterpret_cast<const char*>(data), length)));
    }
    QStringList events() const
    {
        QMutexLocker lock(&m_mutex);
        return m_events;
    }
    QThread* lastThread() const
    {
        QMutexLocker lock(&m_mutex);
        return m_thread;
    }

private:
    void add(const QString& event)
    {
        QMutexLocker lock(&m_mutex);
        m_events << event;
        m_thread = QThread::currentThread();
    }
    mutable QMutex m_mutex;
    QStringList m_events;
    QThread* m_thread = nullptr;
};

QStringList busNames(const Vector<PortInfo>& ports)
{
    QStringList result;
    for (const PortInfo& p : ports)
        result << QStringLiteral("%1:%2").arg(p.id).arg(p.name);
    return result;
}

} // namespace

class TestVirtualBus : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;

private slots:
    void initTestCase()
    {
        bus = testBus();
        QVERIFY2(bus, "the tests run on the virtual MIDI bus (ORVANE_MIDI_BACKEND=virtual)");
        QCOMPARE(midiBackend()->apiName(), QStringLiteral("virtual"));
    }

    void init()
    {
        bus->reset();
        MidiInPorts.clear();
        MidiOutPorts.clear();
    }

    void discovery()
    {
        bus->addSource(QStringLiteral("Keyboard"));
        bus->addSource(QStringLiteral("Hidden"));
        bus->addSource(QStringLiteral("Synth Out"));
        bus->addSource(QStringLiteral("Keyboard"));
        bus->setEndpointReadable(MidiEndpointKind::Source, 1, false);

        // Sources but no destination: nothing to talk to.
        QVERIFY(!InitMidiPorts());
        // An unreadable name leaves a gap; the others keep the system's index,
        // duplicates stay in order.
        QCOMPARE(busNames(MidiInPorts), (QStringList{"0:Keyboard", "2:Synth Out", "3:Keyboard"}));
        QVERIFY(MidiOutPorts.isEmpty());

        bus->addDestination(QStringLiteral("Synth In"));
        QVERIFY(InitMidiPorts());
        QCOMPARE(busNames(MidiOutPorts), QStringList{"0:Synth In"});

        // The lists are rebuilt, not extended.
        bus->removeEndpoint(MidiEndpointKind::Source, 0);
        bus->renameEndpoint(MidiEndpointKind::Source, 1, QStringLiteral("Synth Out 2"));
        InitMidiPorts();
        QCOMPARE(busNames(MidiInPorts), (QStringList{"1:Synth Out 2", "2:Keyboard"}));

        // The unreadable source cannot be opened by any name either.
        BusRecorder owner;
        MidiInPort hidden(&owner);
        hidden.setName(QStringLiteral("Hidden"));
        QVERIFY(!hidden.open());
    }

    void portOnAGapIndex()
    {
        const int a = bus->addSource(QStringLiteral("A"));
        bus->addSource(QStringLiteral("B"));
        const int c = bus->addSource(QStringLiteral("C"));
        bus->setEndpointReadable(MidiEndpointKind::Source, 1, false);
        InitMidiPorts();

        BusRecorder owner;
        MidiInPort port(&owner);
        port.setName(QStringLiteral("C"));
        QCOMPARE(port.id(), 2);
        QVERIFY(port.open());
        bus->inject(a, busHex("90 01 01"));
        bus->inject(c, busHex("90 03 03"));
        QVERIFY(bus->waitIdle());
        QCOMPARE(owner.events(), QStringList{"90 03 03"});
    }

    void packetsKeepTheirBoundaries()
    {
        const int dst = bus->addDestination(QStringLiteral("Synth In"));
        InitMidiPorts();
        MidiOutPort out;
        out.setName(QStringLiteral("Synth In"));
        QVERIFY(out.open());

        out.noteOn(60, 100, 0);
        out.sendSysex(QStringLiteral("F0 01 02 F7"));
        QCOMPARE(bus->sentPackets(dst), (QList<QByteArray>{busHex("903C64"), busHex("F00102F7")}));
        QCOMPARE(bus->sentBytes(dst), busHex("903C64F00102F7"));
        bus->clearSent();
        QVERIFY(bus->sentPackets(dst).isEmpty());
    }

    void deliveryOrderAndThread()
    {
        const int src = bus->addSource(QStringLiteral("Synth Out"));
        InitMidiPorts();
        BusRecorder owner;
        MidiInPort port(&owner);
        port.setName(QStringLiteral("Synth Out"));
        QVERIFY(port.open());

        // A delayed packet comes after one injected later without delay;
        // packets of one call keep their order.
        QElapsedTimer timer;
        timer.start();
        bus->inject(src, busHex("90 01 01"), 80);
        bus->inject(src, {busHex("90 02 02"), busHex("90 03 03")});
        QVERIFY(bus->waitIdle());
        QVERIFY(timer.elapsed() >= 80);
        QCOMPARE(owner.events(), (QStringList{"90 02 02", "90 03 03", "90 01 01"}));
        // Never the test's (the GUI's) thread: a synchronous request may be
        // blocking it while the reply comes in.
        QVERIFY(owner.lastThread() != nullptr);
        QVERIFY(owner.lastThread() != QThread::currentThread());
    }

    void responderAnswersOnASource()
    {
        // A scripted instrument: answers an identity request on its own
        // source, split over two packets, after a delay.
        const int src = bus->addSource(QStringLiteral("Synth Out"));
        const int dst = bus->addDestination(QStringLiteral("Synth In"));
        InitMidiPorts();

        std::atomic<QThread*> responderThread{nullptr}; // written on the bus thread
        bus->setResponder(dst, [&](VirtualMidiBus& b, const QByteArray& packet) {
            responderThread = QThread::currentThread();
            if (packet == busHex("F0 7E 00 06 01 F7"))
                b.inject(src, {busHex("F0 7E 00 06 02 43"), busHex("00 41 01 02 00 00 00 01 F7")}, 20);
        });

        BusRecorder owner;
        MidiInPort in(&owner);
        MidiOutPort out;
        in.setName(QStringLiteral("Synth Out"));
        out.setName(QStringLiteral("Synth In"));
        QVERIFY(in.open());
        QVERIFY(out.open());

        out.noteOn(60, 1, 0); // not answered
        out.requestId(0);
        QTRY_COMPARE(owner.events(), QStringList{"F0 7E 00 06 02 43 00 41 01 02 00 00 00 01 F7"});
        QVERIFY(responderThread.load() && responderThread.load() != QThread::currentThread());

        // Without a responder the destination only records.
        bus->setResponder(dst, {});
        out.requestId(0);
        QVERIFY(bus->waitIdle());
        QCOMPARE(owner.events().size(), 1);
        QCOMPARE(bus->sentPackets(dst).size(), 3);
    }

    // A port's owner that sends on, and a responder that answers what it
    // sent: waitIdle returns only once the answer has reached the owner too,
    // however the bus and the receive thread interleave.
    void waitIdleCoversAnswersToHooks()
    {
        const int src = bus->addSource(QStringLiteral("Synth Out"));
        const int dst = bus->addDestination(QStringLiteral("Synth In"));
        InitMidiPorts();
        bus->setResponder(dst, [src](VirtualMidiBus& b, const QByteArray& packet) {
            b.inject(src, busHex("80") + packet.mid(1));
        });

        // Sends a note-off request on for every note-on it hears.
        struct Echoer : BusRecorder
        {
            MidiOutPort* out = nullptr;
            void OnShortMessage(MidiInPort* port, unsigned int message) override
            {
                BusRecorder::OnShortMessage(port, message);
                if (MidiMessage(message).isNoteOn())
                    out->sendShort(message);
            }
        } owner;
        MidiOutPort out;
        out.setName(QStringLiteral("Synth In"));
        QVERIFY(out.open());
        owner.out = &out;
        MidiInPort in(&owner);
        in.setName(QStringLiteral("Synth Out"));
        QVERIFY(in.open());

        for (int i = 0; i < 500; ++i) {
            const char note[3] = {char(0x90), char(i & 0x7F), char(1 + (i >> 7))};
            bus->inject(src, QByteArray(note, 3));
            QVERIFY(bus->waitIdle());
            QCOMPARE(owner.events().size(), 2 * (i + 1));
            QVERIFY(owner.events().last().startsWith(QLatin1String("80")));
        }
    }

    void removedEndpointsKillTheirPorts()
    {
        const int src = bus->addSource(QStringLiteral("Synth Out"));
        bus->addDestination(QStringLiteral("Synth In"));
        bus->addDestination(QStringLiteral("Other In"));
        InitMidiPorts();
        BusRecorder owner;
        MidiInPort in(&owner);
        MidiOutPort out;
        in.setName(QStringLiteral("Synth Out"));
        out.setName(QStringLiteral("Synth In"));
        QVERIFY(in.open());
        QVERIFY(out.open());

        // Renaming keeps open ports attached.
        bus->renameEndpoint(MidiEndpointKind::Destination, 0, QStringLiteral("Renamed"));
        QCOMPARE(out.sendSysex(QStringLiteral("F0 01 F7")), 3);
        QCOMPARE(bus->sentPackets(0).size(), 1);

        // Removal: the later endpoint moves down, the open port goes dead.
        bus->removeEndpoint(MidiEndpointKind::Destination, 0);
        QCOMPARE(bus->endpointIndex(MidiEndpointKind::Destination, QStringLiteral("Other In")), 0);
        QCOMPARE(out.sendSysex(QStringLiteral("F0 01 F7")), 0);
        QVERIFY(bus->sentPackets(0).isEmpty());

        bus->inject(src, busHex("90 01 01"), 30);
        bus->removeEndpoint(MidiEndpointKind::Source, src);
        QVERIFY(bus->waitIdle());
        QVERIFY(owner.events().isEmpty());
    }

    void resetClearsEverything()
    {
        const int src = bus->addSource(QStringLiteral("Synth Out"));
        const int dst = bus->addDestination(QStringLiteral("Synth In"));
        InitMidiPorts();
        BusRecorder owner;
        MidiInPort in(&owner);
        MidiOutPort out;
        in.setName(QStringLiteral("Synth Out"));
        out.setName(QStringLiteral("Synth In"));
        QVERIFY(in.open());
        QVERIFY(out.open());
        bus->setSendFailure(dst, true);
        bus->setClientFailure(MidiStatusClientFailed);
        bus->inject(src, busHex("90 01 01"), 200);

        bus->reset();
        QCOMPARE(bus->endpointCount(MidiEndpointKind::Source), 0);
        QCOMPARE(bus->endpointCount(MidiEndpointKind::Destination), 0);
        QVERIFY(bus->waitIdle(0));
        QCOMPARE(midiBackend()->createClient(), int(MidiStatusOk));
        // Ports left open are dead, not dangling.
        QCOMPARE(out.sendSysex(QStringLiteral("F0 01 F7")), 0);
        // Nothing is queued: the dropped note and the dead send never come.
        QVERIFY(bus->waitIdle());
        QVERIFY(owner.events().isEmpty());

        // A new endpoint of the same name is a fresh one.
        const int dst2 = bus->addDestination(QStringLiteral("Synth In"));
        InitMidiPorts();
        QVERIFY(out.open());
        QCOMPARE(out.sendSysex(QStringLiteral("F0 01 F7")), 3);
        QCOMPARE(bus->sentPackets(dst2).size(), 1);
    }
};

ORVANE_TEST_GUILESS_MAIN(TestVirtualBus)
#include "tst_virtualbus.moc"
