// Synchronous requests on the virtual bus: bulk dumps answered whole, late,
// partly or never; parameter values; identity replies on any input; one
// request at a time per device; and replies that come after the caller gave
// up.
#include "BulkDump.h"
#include "MidiDevice.h"
#include "MidiParam.h"
#include "MidiPort.h"
#include "Profile.h"
#include "TestBus.h"
#include "TestEnvironment.h"
#include "TestInstrument.h"
#include "TestSysex.h"
#include "VirtualMidiBus.h"
#include "Waiting.h"

#include <QElapsedTimer>

#include <atomic>
#include <memory>
#include <thread>

namespace {

constexpr unsigned int BlockAddress = 0x100000;

QStringList texts(const BulkDump& dump)
{
    QStringList list;
    for (const Sysex* message : dump)
        list << message->toString(-1);
    return list;
}

QStringList syncHexTexts(const QList<QByteArray>& messages)
{
    QStringList list;
    for (const QByteArray& m : messages)
        list << QString::fromLatin1(m.toHex(' ').toUpper());
    return list;
}

// An instrument, a device with its main ports on it, and a client.
struct SyncRig
{
    explicit SyncRig(VirtualMidiBus& bus) : instrument(bus) { device.attach(instrument); }

    TestInstrument instrument;
    BusDevice device;
    RecordingClient client{&device};
};

} // namespace

Q_DECLARE_METATYPE(TestInstrument::BulkReply)

class TestSyncRequest : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;

private slots:
    void initTestCase()
    {
        bus = testBus();
        QVERIFY2(bus, "the tests run on the virtual MIDI bus (ORVANE_MIDI_BACKEND=virtual)");
    }

    void init() { resetBusAndPorts(); }

    // The request empties the target first; what arrives in time is kept,
    // whether or not the footer made it.
    void bulkRequest_data()
    {
        QTest::addColumn<TestInstrument::BulkReply>("reply");
        QTest::addColumn<int>("timeout");
        QTest::addColumn<bool>("complete");
        QTest::addColumn<int>("kept"); // messages of the reply found in the target

        TestInstrument::BulkReply whole;
        QTest::newRow("whole") << whole << 3000 << true << 5;

        TestInstrument::BulkReply split = whole;
        split.packetSize = 7;
        QTest::newRow("split over packets") << split << 3000 << true << 5;

        TestInstrument::BulkReply onePacket = whole;
        onePacket.packetSize = 4096;
        QTest::newRow("all in one packet") << onePacket << 3000 << true << 5;

        TestInstrument::BulkReply paced = whole;
        paced.gapMs = 5;
        paced.blocks = 10;
        QTest::newRow("paced") << paced << 3000 << true << 12;

        TestInstrument::BulkReply headerless = whole;
        headerless.header = false;
        QTest::newRow("without header") << headerless << 3000 << true << 4;

        TestInstrument::BulkReply late = whole;
        late.delayMs = 300;
        QTest::newRow("late") << late << 50 << false << 0;

        TestInstrument::BulkReply partial = whole;
        partial.count = 3;
        QTest::newRow("partial") << partial << 150 << false << 3;

        TestInstrument::BulkReply never = whole;
        never.answer = false;
        QTest::newRow("never") << never << 100 << false << 0;
    }

    void bulkRequest()
    {
        QFETCH(TestInstrument::BulkReply, reply);
        QFETCH(int, timeout);
        QFETCH(bool, complete);
        QFETCH(int, kept);
        SyncRig rig(*bus);
        rig.instrument.setBulkReply(reply);

        BulkDump target;
        target.fromString(TestSysex::bulkDumpText(0x200000, QByteArray(2, 9)), &rig.device);
        QCOMPARE(target.size(), qsizetype(1));

        QCOMPARE(rig.device.syncBulkRequest(BlockAddress, target, timeout), complete);
        QCOMPARE(rig.instrument.bulkRequests(), 1);
        const QStringList expected = syncHexTexts(rig.instrument.bulkMessages(BlockAddress));
        QCOMPARE(texts(target), expected.mid(0, kept));

        // The request itself was echoed; nothing of a reply taken into the
        // target reached the clients.
        QCOMPARE(rig.client.texts(RecordingClient::Event::Sysex, SourceGUI),
                 QStringList{TestSysex::bulkRequestText(BlockAddress)});
        QVERIFY(bus->waitIdle());
        // What came too late takes the ordinary way to the clients.
        const QStringList late = expected.mid(kept, reply.answer ? -1 : 0);
        QTRY_COMPARE(rig.client.texts(RecordingClient::Event::Sysex, SourceDev), late);
    }

    // A parameter change the user makes on the instrument while a dump comes
    // in goes to the clients and not into the dump.
    void foreignMessageDuringBulk()
    {
        SyncRig rig(*bus);
        const QByteArray change = TestInstrument::parameterChange(0x010203, 0x11);
        TestInstrument::BulkReply reply;
        reply.inserts = {{2, change}};
        rig.instrument.setBulkReply(reply);

        BulkDump target;
        QVERIFY(rig.device.syncBulkRequest(BlockAddress, target, 3000));
        QCOMPARE(texts(target), syncHexTexts(rig.instrument.bulkMessages(BlockAddress)));
        QTRY_COMPARE(rig.client.texts(RecordingClient::Event::Sysex, SourceDev), syncHexTexts({change}));
    }

    // One request at a time: while one waits, the others fail at once, send
    // nothing and leave their target alone.
    void secondRequestRefused()
    {
        SyncRig rig(*bus);
        TestInstrument::BulkReply slow;
        slow.delayMs = 300;
        rig.instrument.setBulkReply(slow);
        rig.instrument.setParameter(0x010203, 5);

        BulkDump first;
        std::atomic<bool> firstResult{false};
        std::thread waiter([&] { firstResult = rig.device.syncBulkRequest(BlockAddress, first, 5000); });
        QTRY_COMPARE(rig.instrument.bulkRequests(), 1);

        BulkDump second;
        second.fromString(TestSysex::bulkDumpText(0x200000, QByteArray(2, 9)), &rig.device);
        const QStringList secondBefore = texts(second);
        QVERIFY(!rig.device.syncBulkRequest(BlockAddress, second, 5000));
        QCOMPARE(texts(second), secondBefore);
        QCOMPARE(rig.device.syncParamRequest(MidiParam(0x010203, 1, false, false), 5000), -1);
        QVERIFY(!rig.device.syncIdRequest(rig.device.midiOut(), 5000));

        waiter.join();
        QVERIFY(firstResult);
        QCOMPARE(first.size(), qsizetype(5));
        QCOMPARE(rig.instrument.bulkRequests(), 1);
        QCOMPARE(rig.instrument.parameterRequests(), 0);
        QCOMPARE(rig.instrument.identityRequests(), 0);

        // Free again afterwards.
        QCOMPARE(rig.device.syncParamRequest(MidiParam(0x010203, 1, false, false), 3000), 5);
    }

    // Two threads asking at the same moment: never may one get the other's
    // answer, and every request sent is one that was armed.
    void racingRequests()
    {
        SyncRig rig(*bus);
        rig.instrument.setParameter(0x010101, 11);
        rig.instrument.setParameter(0x010102, 22);
        rig.instrument.setParameterDelay(100);

        int answered = 0;
        for (int round = 0; round < 5; ++round) {
            std::atomic<int> ready{0};
            int results[2] = {0, 0};
            auto ask = [&](int i) {
                ++ready;
                while (ready.load() < 2) {
                }
                results[i] = rig.device.syncParamRequest(MidiParam(0x010101 + i, 1, false, false), 2000);
            };
            std::thread a(ask, 0);
            std::thread b(ask, 1);
            a.join();
            b.join();
            QVERIFY2(results[0] == -1 || results[0] == 11, qPrintable(QString::number(results[0])));
            QVERIFY2(results[1] == -1 || results[1] == 22, qPrintable(QString::number(results[1])));
            answered += (results[0] != -1) + (results[1] != -1);
            QVERIFY(results[0] != -1 || results[1] != -1);
        }
        QCOMPARE(rig.instrument.parameterRequests(), answered);
    }

    // A refused thread that asks again at once must not slip in between the
    // reply to a waiting request and that request's return: it would take the
    // signal over, and the two requests would lose each other's answers.
    void requestsAskedAgainAtOnce()
    {
        SyncRig rig(*bus);
        rig.instrument.setParameter(0x010101, 11);
        rig.instrument.setParameter(0x010102, 22);

        // Each thread asks until it has had 30 answers; a refusal returns at
        // once, so the other thread keeps knocking while one waits. The clock
        // only ends a run that lost answers.
        std::atomic<int> answered{0};
        std::atomic<int> wrong{0};
        QElapsedTimer clock;
        clock.start();
        auto ask = [&](int i) {
            const int expected = i == 0 ? 11 : 22;
            for (int mine = 0; mine < 30 && clock.elapsed() < 20000;) {
                const int result =
                    rig.device.syncParamRequest(MidiParam(0x010101 + i, 1, false, false), 2000);
                if (result == expected) {
                    ++mine;
                    ++answered;
                } else if (result != -1) {
                    ++wrong;
                }
            }
        };
        std::thread a(ask, 0);
        std::thread b(ask, 1);
        a.join();
        b.join();
        QCOMPARE(wrong.load(), 0);
        // Every request that went out was answered in time, so every one of
        // them returned its value.
        QVERIFY(bus->waitIdle());
        QCOMPARE(rig.instrument.parameterRequests(), answered.load());
    }

    void parameterRequest_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("value");
        QTest::newRow("one byte") << 1 << 42;
        QTest::newRow("two bytes") << 2 << 300;
    }

    void parameterRequest()
    {
        QFETCH(int, size);
        QFETCH(int, value);
        SyncRig rig(*bus);
        rig.instrument.setParameter(0x010203, value, size);

        QCOMPARE(rig.device.syncParamRequest(MidiParam(0x010203, size, false, false), 3000), value);
        QCOMPARE(rig.instrument.parameterRequests(), 1);
        // Waits for everything on the bus to reach the client.
        QVERIFY(Waiting::deliverAll(*bus));
        QVERIFY(rig.client.texts(RecordingClient::Event::Sysex, SourceDev).isEmpty());
    }

    // A reply for another address is not taken for the awaited one: it goes to
    // the clients, and the request times out.
    void parameterReplyForAnotherAddress()
    {
        SyncRig rig(*bus);
        const QByteArray other = TestInstrument::parameterChange(0x010204, 7);
        rig.instrument.send(other, 20);

        QCOMPARE(rig.device.syncParamRequest(MidiParam(0x010203, 1, false, false), 150), -1);
        QTRY_COMPARE(rig.client.texts(RecordingClient::Event::Sysex, SourceDev), syncHexTexts({other}));
    }

    // Nothing can answer a parameter without an address: the call returns at
    // once, sends nothing and leaves the device free.
    void parameterWithoutAddress()
    {
        SyncRig rig(*bus);
        rig.instrument.setParameter(0x010203, 9);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(rig.device.syncParamRequest(MidiParam(), 10000), -1);
        QVERIFY(clock.elapsed() < 10000);
        QCOMPARE(rig.instrument.parameterRequests(), 0);
        QCOMPARE(rig.device.syncParamRequest(MidiParam(0x010203, 1, false, false), 3000), 9);
    }

    // The caller's dump may be gone as soon as the request returns: a reply
    // still streaming in must not write into it.
    void replyAfterTheCallerGaveUp()
    {
        SyncRig rig(*bus);
        TestInstrument::BulkReply reply;
        reply.blocks = 40;
        reply.gapMs = 2;
        rig.instrument.setBulkReply(reply);

        for (int round = 0; round < 3; ++round) {
            auto target = std::make_unique<BulkDump>();
            QVERIFY(!rig.device.syncBulkRequest(BlockAddress, *target, 25));
            target.reset();
            QVERIFY(bus->waitIdle());
        }
        // The rest of every reply reached the clients, each footer last.
        QTRY_VERIFY(rig.client.texts(RecordingClient::Event::Sysex, SourceDev).size() >= 3);
        QCOMPARE(rig.client.texts(RecordingClient::Event::Sysex, SourceDev).last(),
                 syncHexTexts(rig.instrument.bulkMessages(BlockAddress)).last());
    }

    // An identity request is answered by an accepted reply on any input, which
    // it consumes; a rejected one goes the ordinary way.
    void identityRequest_data()
    {
        QTest::addColumn<bool>("onAux");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("main input") << false << true;
        QTest::newRow("auxiliary input") << true << true;
        QTest::newRow("rejected on auxiliary input") << true << false;
    }

    void identityRequest()
    {
        QFETCH(bool, onAux);
        QFETCH(bool, accepted);

        TestInstrument instrument(*bus);
        bus->addSource(QStringLiteral("Other In"));
        BusDevice device;
        // With the instrument on the auxiliary input, the main input listens
        // to some other source.
        device.auxIn()->setName(onAux ? instrument.name() : QStringLiteral("Other In"));
        device.midiIn()->setName(onAux ? QStringLiteral("Other In") : instrument.name());
        device.midiOut()->setName(instrument.name());
        RecordingClient client(&device);
        device.connect(false);

        QString reply = TestSysex::identityReplyText(0);
        if (!accepted) {
            instrument.setAnswersIdentity(false);
            reply.replace(QStringLiteral("02 43 7F"), QStringLiteral("02 41 7F"));
            instrument.sendHex(reply, 20);
        }

        MidiInPort* port = device.syncIdRequest(device.midiOut(), accepted ? 3000 : 150);
        QCOMPARE(instrument.identityRequests(), 1);
        MidiInPort* expected = accepted ? (onAux ? device.auxIn() : device.midiIn()) : nullptr;
        QCOMPARE(port, expected);
        // A reply the request consumed neither connects the device nor reaches
        // a client.
        QVERIFY(!device.isConnected());
        // Waits for everything on the bus to reach the client.
        QVERIFY(Waiting::deliverAll(*bus));
        QCOMPARE(client.texts(RecordingClient::Event::Sysex, SourceAux),
                 accepted ? QStringList() : QStringList{reply});
        QCOMPARE(client.connects(), 0);
    }
};

ORVANE_TEST_MAIN(TestSyncRequest)
#include "tst_syncrequest.moc"
