// Our ports over a real MIDI transport: a private JACK server, and a JACK
// peer on the far end of the cable.
#include "JackMidiBackend.h"
#include "JackServer.h"
#include "MidiDevice.h"
#include "MidiPort.h"
#include "MidiSystems.h"
#include "PortInfo.h"
#include "TestEnvironment.h"
#include "TestInstrument.h"
#include "TestSysex.h"

#include <QHash>
#include <QMutex>

#include <dlfcn.h>

#include <atomic>
#include <cstdint>

// JACK's event count, as our MIDI layer reads it, passes through here: a test
// may make it claim more events than the buffer holds, as a count read just
// before the peer rewrote its buffer does in a cycle that runs late.
namespace {
std::atomic<uint32_t> staleExtra{0}; // events claimed beyond the real count
std::atomic<int> countCalls{0};      // counts taken while staleExtra was set
} // namespace

extern "C" uint32_t jack_midi_get_event_count(void* buffer)
{
    using Count = uint32_t (*)(void*);
    static const auto real = reinterpret_cast<Count>(dlsym(RTLD_NEXT, "jack_midi_get_event_count"));
    const uint32_t count = real(buffer);
    const uint32_t extra = staleExtra.load();
    if (extra == 0 || count == 0)
        return count;
    ++countCalls;
    return count + extra;
}

namespace {

// Keeps what our input port hands on, one entry per message.
class Recorder : public IMidiPortOwner
{
public:
    void OnShortMessage(MidiInPort*, unsigned int message) override
    {
        const char bytes[3] = {char(message & 0xFF), char((message >> 8) & 0xFF),
                               char((message >> 16) & 0xFF)};
        add(QByteArray(bytes, 3));
    }
    void OnLongMessage(MidiInPort*, unsigned char* data, int length) override
    {
        add(QByteArray(reinterpret_cast<const char*>(data), length));
    }
    QList<QByteArray> messages() const
    {
        QMutexLocker lock(&m_mutex);
        return m_messages;
    }

private:
    void add(const QByteArray& m)
    {
        QMutexLocker lock(&m_mutex);
        m_messages << m;
    }
    mutable QMutex m_mutex;
    QList<QByteArray> m_messages;
};

QByteArray bigSysex()
{
    QByteArray m(1500, 0);
    m[0] = char(0xF0);
    for (int i = 1; i < m.size() - 1; ++i)
        m[i] = char(i & 0x7F);
    m[m.size() - 1] = char(0xF7);
    return m;
}

QString hexText(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

// A burst as a sequencer sends it: note-ons that carry their own sequence
// number (channel and both data bytes), with a 256-byte system-exclusive
// message, numbered too, in place of every 500th.
QList<QByteArray> numberedBurst(int count)
{
    QList<QByteArray> burst;
    for (int i = 0; i < count; ++i) {
        if (i % 500 == 499) {
            QByteArray m(256, 0);
            m[0] = char(0xF0);
            m[1] = char((i >> 7) & 0x7F);
            m[2] = char(i & 0x7F);
            for (int k = 3; k < m.size() - 1; ++k)
                m[k] = char(k & 0x7F);
            m[m.size() - 1] = char(0xF7);
            burst << m;
        } else {
            const char note[3] = {char(0x90 | ((i >> 14) & 0x0F)), char((i >> 7) & 0x7F), char(i & 0x7F)};
            burst << QByteArray(note, 3);
        }
    }
    return burst;
}

// How a received list differs from the sent one, each message told by its
// sequence number (they are all distinct): numbers never seen, arrivals of a
// number seen before (or of none sent), and first arrivals after a later one.
struct SequenceCount
{
    int lost = 0;
    int duplicates = 0;
    int reordered = 0;

    SequenceCount(const QStringList& sent, const QStringList& received)
    {
        QHash<QString, int> number;
        for (int i = 0; i < sent.size(); ++i)
            number.insert(sent.at(i), i);
        QList<bool> seen(sent.size(), false);
        int distinct = 0;
        int highest = -1;
        for (const QString& m : received) {
            const int n = number.value(m, -1);
            if (n < 0 || seen[n]) {
                ++duplicates;
                continue;
            }
            seen[n] = true;
            ++distinct;
            if (n < highest)
                ++reordered;
            highest = qMax(highest, n);
        }
        lost = int(sent.size()) - distinct;
    }
    QString text() const
    {
        return QStringLiteral("%1 lost, %2 duplicates, %3 reordered").arg(lost).arg(duplicates).arg(reordered);
    }
    bool exact() const { return lost == 0 && duplicates == 0 && reordered == 0; }
};

QStringList hexTexts(const QList<QByteArray>& messages)
{
    QStringList texts;
    for (const QByteArray& m : messages)
        texts << hexText(m);
    return texts;
}

} // namespace

// The MIDI backend keeps a JACK client of its own until the process ends; the
// server is made before the backend and so outlives it, and the client closes
// while it still runs.
JackServer& server()
{
    static JackServer instance;
    return instance;
}

class TestJack : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Before anything opens the MIDI system: this process runs on JACK.
        qputenv("ORVANE_MIDI_BACKEND", "jack");
        QString error;
        if (!server().start(&error))
            QSKIP(qPrintable(QStringLiteral("no JACK server for this test: %1").arg(error)));
        QCOMPARE(midiBackend()->createClient(), int(MidiStatusOk));
        QCOMPARE(midiBackend()->apiName(), QStringLiteral("jack"));
    }

    void roundTrip()
    {
        JackMidiPeer peer;
        QString error;
        QVERIFY2(peer.open(QStringLiteral("peerin"), QStringLiteral("peerout"), &error), qPrintable(error));

        QVERIFY(InitMidiPorts());
        auto listed = [](const Vector<PortInfo>& ports, const QString& name) {
            for (const PortInfo& p : ports) {
                if (p.name == name)
                    return true;
            }
            return false;
        };
        // JACK names are listed as they are.
        QVERIFY(listed(MidiOutPorts, peer.inputName()));
        QVERIFY(listed(MidiInPorts, peer.outputName()));

        Recorder owner;
        MidiInPort in(&owner);
        MidiOutPort out;
        in.setName(peer.outputName());
        out.setName(peer.inputName());
        QVERIFY(in.open());
        QVERIFY(out.open());
        // Our own ports are not offered as endpoints.
        InitMidiPorts();
        for (const PortInfo& p : MidiInPorts)
            QVERIFY2(!p.name.startsWith(QLatin1String("ORVANE")), qPrintable(p.name));
        for (const PortInfo& p : MidiOutPorts)
            QVERIFY2(!p.name.startsWith(QLatin1String("ORVANE")), qPrintable(p.name));

        const QByteArray dump = bigSysex();
        // Out: our port to the peer.
        out.noteOn(60, 100, 0);
        QCOMPARE(out.sendSysex(reinterpret_cast<const unsigned char*>(dump.constData()), int(dump.size())),
                 int(dump.size()));
        out.programChange(5, 1);
        out.controllerChange(7, 100, 2);
        const QList<QByteArray> sent{QByteArray::fromHex("903C64"), dump, QByteArray::fromHex("C105"),
                                     QByteArray::fromHex("B20764")};
        QTRY_COMPARE_WITH_TIMEOUT(peer.received().size(), sent.size(), 10000);
        QCOMPARE(peer.received(), sent);

        // In: the peer to our port. Short messages reach the owner packed in
        // three bytes; real-time bytes, which JACK carries as events of their
        // own, are messages too (only active sensing is dropped).
        for (const QByteArray& m : sent)
            QVERIFY(peer.send(m));
        for (const char* realtime : {"F8", "FA", "FE", "FC"})
            QVERIFY(peer.send(QByteArray::fromHex(realtime)));
        const QList<QByteArray> expected{QByteArray::fromHex("903C64"), dump,
                                         QByteArray::fromHex("C10500"), QByteArray::fromHex("B20764"),
                                         QByteArray::fromHex("F80000"), QByteArray::fromHex("FA0000"),
                                         QByteArray::fromHex("FC0000")};
        QTRY_COMPARE_WITH_TIMEOUT(owner.messages().size(), expected.size(), 10000);
        QCOMPARE(owner.messages(), expected);

        in.close();
        out.close();
        peer.close();
    }

    // RtMidi's JACK output drops a message that does not fit its queue without
    // a word: the port knows the limit and refuses a longer message whole.
    void largestMessage()
    {
        JackMidiPeer peer;
        QString error;
        QVERIFY2(peer.open(QStringLiteral("bigin"), QStringLiteral("bigout"), &error), qPrintable(error));
        QVERIFY(InitMidiPorts());
        MidiOutPort out;
        out.setName(peer.inputName());
        QVERIFY(out.open());

        const int limit = midiBackend()->maxMessageSize();
        QVERIFY(limit < MidiNoSizeLimit);
        QByteArray fits(limit, '\x15');
        fits[0] = char(0xF0);
        fits[limit - 1] = char(0xF7);
        QByteArray over = fits;
        over.insert(1, '\x16');

        const auto bytes = [](const QByteArray& m) {
            return reinterpret_cast<const unsigned char*>(m.constData());
        };
        QCOMPARE(out.sendSysex(bytes(fits), int(fits.size())), limit);
        QTRY_COMPARE_WITH_TIMEOUT(peer.received().size(), 1, 10000);
        QCOMPARE(peer.received().first(), fits);

        QCOMPARE(out.sendSysex(bytes(over), int(over.size())), 0);
        // Something after it shows that nothing of it went out.
        out.noteOn(60, 1, 0);
        QTRY_COMPARE_WITH_TIMEOUT(peer.received().size(), 2, 10000);
        QCOMPARE(peer.received().last(), QByteArray::fromHex("903C01"));
        out.close();
        peer.close();
    }

    // Thousands of messages in one go, more than one JACK cycle carries, reach
    // the device's client on the GUI thread: every one, once, in order, the
    // system-exclusive ones among them whole.
    void burstReachesClientsInOrder()
    {
        JackMidiSender sender;
        QString error;
        QVERIFY2(sender.open(QStringLiteral("burst"), &error), qPrintable(error));
        InitMidiPorts();

        TestDevice device;
        device.midiIn()->setName(sender.outputName());
        device.connect(false);
        QVERIFY(device.midiIn()->isOpened());
        RecordingClient client(&device);

        const QList<QByteArray> burst = numberedBurst(6000);
        const QStringList expected = hexTexts(burst);

        QVERIFY(sender.send(burst));
        // Generous: a loaded machine may take its time, but must lose nothing.
        QTRY_VERIFY_WITH_TIMEOUT(client.events().size() >= burst.size(), 60000);
        QVERIFY(sender.allSent());
        QCOMPARE(sender.dropped(), 0);

        QStringList received;
        for (const RecordingClient::Event& e : client.events()) {
            QCOMPARE(e.source, SourceDev);
            received << e.text;
        }
        const SequenceCount count(expected, received);
        QVERIFY2(count.exact(), qPrintable(count.text()));
        QCOMPARE(received, expected);
        QVERIFY(client.allOn(QThread::currentThread()));
        device.disconnect();
    }

    // A cycle that runs late may read a count of events that the peer's next
    // cycle no longer has in its buffer: what is not there is not handed on,
    // and nothing read before stands in for it.
    void staleEventCountHandsOnNothingTwice()
    {
        JackMidiSender sender;
        QString error;
        QVERIFY2(sender.open(QStringLiteral("stale"), &error), qPrintable(error));
        InitMidiPorts();
        Recorder owner;
        MidiInPort in(&owner);
        in.setName(sender.outputName());
        QVERIFY(in.open());

        // More than one cycle carries, so that several cycles end short.
        const QList<QByteArray> burst = numberedBurst(4000);
        countCalls = 0;
        staleExtra = 5;
        QVERIFY(sender.send(burst));
        QTRY_VERIFY_WITH_TIMEOUT(sender.allSent(), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(owner.messages().size() >= burst.size(), 30000);
        staleExtra = 0;
        QVERIFY2(countCalls >= 2, "the event count was not read through the test's hook");
        // A marker after the burst: once it is heard, every cycle before it
        // has handed on all it would, repeats included.
        const QByteArray marker = QByteArray::fromHex("9F7F7F");
        QVERIFY(sender.send(marker));
        QTRY_VERIFY_WITH_TIMEOUT(owner.messages().contains(marker), 30000);

        const SequenceCount count(hexTexts(burst + QList<QByteArray>{marker}), hexTexts(owner.messages()));
        QVERIFY2(count.exact(), qPrintable(count.text()));
        in.close();
    }

    // Listing, every input and every output port are one JACK client: the
    // server schedules one client of ours in every cycle.
    void oneClientPerProcess()
    {
        JackMidiPeer peer;
        QString error;
        QVERIFY2(peer.open(QStringLiteral("onein"), QStringLiteral("oneout"), &error), qPrintable(error));
        QVERIFY(InitMidiPorts());
        Recorder owner;
        MidiInPort in(&owner);
        MidiInPort second(&owner);
        MidiOutPort out;
        in.setName(peer.outputName());
        second.setName(peer.outputName());
        out.setName(peer.inputName());
        QVERIFY(in.open());
        QVERIFY(second.open());
        QVERIFY(out.open());
        InitMidiPorts();

        QVERIFY(JackServer::hasClient(QStringLiteral("ORVANE")));
        QVERIFY(!JackServer::hasClient(QStringLiteral("ORVANE-01")));

        // Both inputs on the one endpoint get what it sends.
        QVERIFY(peer.send(QByteArray::fromHex("903C64")));
        QTRY_COMPARE_WITH_TIMEOUT(owner.messages().size(), 2, 10000);
        out.noteOn(61, 1, 0);
        QTRY_COMPARE_WITH_TIMEOUT(peer.received().size(), 1, 10000);
        in.close();
        second.close();
        out.close();
    }

    // Sends faster than JACK's cycles take them wait for room: none is
    // dropped, and they go out whole and in order.
    void sendsWaitForRoom()
    {
        JackMidiPeer peer;
        QString error;
        QVERIFY2(peer.open(QStringLiteral("roomin"), QStringLiteral("roomout"), &error), qPrintable(error));
        QVERIFY(InitMidiPorts());
        MidiOutPort out;
        out.setName(peer.inputName());
        QVERIFY(out.open());

        // Far more than the port queues at once.
        QList<QByteArray> sent;
        for (int i = 0; i < 120; ++i) {
            QByteArray m = bigSysex();
            m[1] = char(i);
            sent << m;
            QCOMPARE(out.sendSysex(reinterpret_cast<const unsigned char*>(m.constData()), int(m.size())),
                     int(m.size()));
        }
        QTRY_COMPARE_WITH_TIMEOUT(peer.received().size(), sent.size(), 30000);
        QCOMPARE(peer.received(), sent);
        out.close();
        peer.close();
    }

    // A port closed while a burst comes in: once close returns its owner hears
    // nothing more, and the port opens again.
    void closeDuringBurst()
    {
        JackMidiSender sender;
        QString error;
        QVERIFY2(sender.open(QStringLiteral("closing"), &error), qPrintable(error));
        InitMidiPorts();
        Recorder owner;
        MidiInPort in(&owner);
        in.setName(sender.outputName());
        QVERIFY(in.open());

        QVERIFY(sender.send(numberedBurst(30000)));
        QTRY_VERIFY_WITH_TIMEOUT(!owner.messages().isEmpty(), 30000);
        in.close();
        const qsizetype heard = owner.messages().size();
        QTRY_VERIFY_WITH_TIMEOUT(sender.allSent(), 30000);
        // Waits for the sender to run a few more cycles: what was on its way
        // has passed the closed port.
        const int cycle = sender.cycles();
        QTRY_VERIFY_WITH_TIMEOUT(sender.cycles() >= cycle + 3, 30000);
        QCOMPARE(owner.messages().size(), heard);

        QVERIFY(in.open());
        QVERIFY(sender.send(QByteArray::fromHex("9F7F7F")));
        QTRY_VERIFY_WITH_TIMEOUT(owner.messages().size() > heard, 10000);
        QCOMPARE(owner.messages().last(), QByteArray::fromHex("9F7F7F"));
        in.close();
    }

    // The client that found the server is the one the next backend opens:
    // finding a server costs no second client. (This process's own backend
    // holds "ORVANE" already, so the probe's is "ORVANE-01".)
    void probeClientServesTheBackend()
    {
        HostMidiSystems host;
        QVERIFY(host.jackServerRunning());
        QVERIFY(JackServer::hasClient(QStringLiteral("ORVANE-01")));
        {
            JackMidiBackend backend;
            QCOMPARE(backend.createClient(), int(MidiStatusOk));
            QVERIFY(!JackServer::hasClient(QStringLiteral("ORVANE-02")));
            QVERIFY(JackServer::hasClient(QStringLiteral("ORVANE-01")));
        }
        // It closes with the backend that took it.
        QTRY_VERIFY_WITH_TIMEOUT(!JackServer::hasClient(QStringLiteral("ORVANE-01")), 10000);
    }
};

ORVANE_TEST_MAIN(TestJack)
#include "tst_jack.moc"
