// The device's block traffic as the instrument sees it on the bus: requests,
// framed transmission with a pause after every message, stripping, the
// altered re-send, the store-all message, the initial patches, and whole
// patches received from a scripted instrument, altered and sent back.
#include "BulkDump.h"
#include "TestBus.h"
#include "TestEnvironment.h"
#include "Vesk.h"
#include "VeskRig.h"
#include "VeskSysex.h"
#include "VirtualMidiBus.h"

#include <QElapsedTimer>
#include <QFile>

#include <functional>
#include <memory>

namespace {

QString bulk(unsigned int address, const QString& data = QString())
{
    VeskSysex message;
    message.prepareBulkDump(address, data);
    return message.toString(-1);
}

void addBulk(BulkDump& dump, unsigned int address, const QString& data = QString())
{
    auto* message = new VeskSysex;
    message->prepareBulkDump(address, data);
    dump.append(message);
}

QStringList textsOf(const BulkDump& dump)
{
    QStringList list;
    for (const Sysex* message : dump)
        list << message->toString(-1);
    return list;
}

// The stored initial patch of a type, message by message, as the instrument
// keeps it in its memory.
QList<QByteArray> storedPatch(const QString& type)
{
    QFile file(QStringLiteral(":/vesk/data/init/%1.syx").arg(type));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    QList<QByteArray> messages;
    qsizetype start = 0;
    for (qsizetype f7 = bytes.indexOf('\xF7'); f7 >= 0; f7 = bytes.indexOf('\xF7', start)) {
        messages.append(bytes.mid(start, f7 - start + 1));
        start = f7 + 1;
    }
    return messages;
}

QByteArray frame(unsigned int address)
{
    return QByteArray::fromHex(bulk(address).toLatin1());
}

// An instrument that answers a bulk request for a block with the stored
// patch of the block's type, framed by the block's header and footer.
TestInstrument::BulkScript holdingInitialPatches()
{
    return [](unsigned int header) -> QList<QByteArray> {
        const unsigned int block = header - VeskSysex::HeaderOffset;
        QString type;
        if (block == 0x0F00 || (block >= 0x0800 && block < 0x0A00))
            type = QStringLiteral("voice");
        else if (block >= 0x2800 && block < 0x2880)
            type = QStringLiteral("drum");
        else if (block >= 0x4000 && block < 0x4080)
            type = QStringLiteral("performance");
        else
            return {};
        return QList<QByteArray>{frame(header)} + storedPatch(type) +
               QList<QByteArray>{frame(block + 0x0F0000)};
    };
}

} // namespace

class TestVeskTransfer : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;

private slots:
    void initTestCase()
    {
        bus = testBus();
        QVERIFY2(bus, "the tests run on the virtual MIDI bus (ORVANE_MIDI_BACKEND=virtual)");
    }

    void init() { resetVeskTest(); }

    void sends_data()
    {
        QTest::addColumn<VeskOp>("op");
        QTest::addColumn<QStringList>("packets");

        QTest::newRow("bulk request")
            << VeskOp([](Vesk& d) { d.bulkRequest(0x4000); }) << QStringList{"F0 43 22 7F 00 0E 40 00 F7"};
        QTest::newRow("bulk request, no block")
            << VeskOp([](Vesk& d) { d.bulkRequest(Vesk::NoBulkAddress); }) << QStringList{};
        QTest::newRow("patch request") << VeskOp([](Vesk& d) { d.patchRequest(Patch(0x3F28, 3), false); })
                                       << QStringList{"F0 43 22 7F 00 0E 28 03 F7"};
        QTest::newRow("patch request with its mode")
            << VeskOp([](Vesk& d) { d.patchRequest(Patch(0x7F7F, 2), true); })
            << QStringList{"F0 43 12 7F 00 0A 00 01 04 F7", "F0 43 22 7F 00 0E 70 02 F7"};
        QTest::newRow("multi: its mode, no request")
            << VeskOp([](Vesk& d) { d.patchRequest(Patch(0x7F7E, 2), true); })
            << QStringList{"F0 43 12 7F 00 0A 00 01 03 F7"};
        // The mode goes out even when the patch then has no block to ask for.
        QTest::newRow("synchronous, no block") << VeskOp([](Vesk& d) {
            BulkDump dump;
            QVERIFY(!d.syncPatchRequest(Patch(0x3F3C, 0), dump, true));
        }) << QStringList{"F0 43 12 7F 00 0A 00 01 03 F7"};
        QTest::newRow("edit buffer of no type") << VeskOp([](Vesk& d) {
            BulkDump dump;
            QVERIFY(!d.syncEditBufferRequest(6, dump, 3000));
        }) << QStringList{};
        QTest::newRow("bulk buffer") << VeskOp([](Vesk& d) { d.sendBulkBuffer(0x0E0800, "01 02"); })
                                     << QStringList{bulk(0x0E0800, "01 02").replace(6, 2, "02")};
        QTest::newRow("bulk buffer, no address")
            << VeskOp([](Vesk& d) { d.sendBulkBuffer(Vesk::NoBulkAddress, nullptr); }) << QStringList{};
    }

    void sends()
    {
        QFETCH(VeskOp, op);
        QFETCH(QStringList, packets);
        VeskRig rig(*bus);
        rig.device.setDeviceId(2);
        op(rig.device);
        QCOMPARE(rig.received(), packets);
    }

    // The store-all message, then 2500 ms for the instrument to write.
    void storeAll()
    {
        VeskRig rig(*bus);
        QElapsedTimer clock;
        clock.start();
        rig.device.storeAllPatches();
        QVERIFY(clock.elapsed() >= 2490);
        QCOMPARE(rig.received(), QStringList{"F0 43 00 7F 00 00 00 11 00 00 6F F7"});
    }

    // A block goes out framed by its header and footer, with the device's
    // pause after each of them and after every message; empty dumps send
    // nothing to a patch or edit buffer, but a framed empty block to a block.
    void framing_data()
    {
        QTest::addColumn<int>("messages");
        QTest::addColumn<VeskOp>("op");
        QTest::addColumn<QStringList>("packets");

        QStringList three{bulk(0x0E0F00)};
        for (unsigned int a : {0x407000u, 0x400000u, 0x400040u})
            three << bulk(a, "01 02 03");
        three << bulk(0x0F0F00);
        QTest::newRow("three messages to 0F00") << 3 << VeskOp([](Vesk& d) {
            VoiceDump dump(&d);
            for (unsigned int a : {0x407000u, 0x400000u, 0x400040u})
                dump.addBulkDump(a, "01 02 03");
            d.bulkTransmit(0x0F00, &dump);
        }) << three;
        QTest::newRow("empty dump to a block") << 0 << VeskOp([](Vesk& d) {
            BulkDump dump;
            d.bulkTransmit(0x0F00, &dump);
        }) << QStringList{bulk(0x0E0F00), bulk(0x0F0F00)};
        QTest::newRow("no dump") << -2 << VeskOp([](Vesk& d) { d.bulkTransmit(0x0F00, nullptr); })
                                 << QStringList{};
        QTest::newRow("empty dump to a patch") << -2 << VeskOp([](Vesk& d) {
            BulkDump dump;
            d.patchTransmit(Patch(0x3F08, 0), &dump, false);
        }) << QStringList{};
        QTest::newRow("empty dump to the edit buffer") << -2 << VeskOp([](Vesk& d) {
            VoiceDump dump(&d);
            d.toEditBuffer(&dump);
        }) << QStringList{};
        QTest::newRow("to a patch without block") << -2 << VeskOp([](Vesk& d) {
            MasterDump dump(&d);
            dump.addBulkDump(0x330000, "00");
            d.patchTransmit(Patch(0x7F7E, 0), &dump, false);
        }) << QStringList{};
        QTest::newRow("to PERF 4") << 1 << VeskOp([](Vesk& d) {
            PerformanceDump dump(&d);
            dump.addBulkDump(0x300000, "00");
            d.patchTransmit(Patch(0x3F40, 3), &dump, false);
        }) << QStringList{bulk(0x0E4003), bulk(0x300000, "00"), bulk(0x0F4003)};
        QTest::newRow("to the master edit buffer") << 1 << VeskOp([](Vesk& d) {
            MasterDump dump(&d);
            dump.addBulkDump(0x330000, "00");
            d.toEditBuffer(&dump);
        }) << QStringList{bulk(0x0E7F00), bulk(0x330000, "00"), bulk(0x0F7F00)};
    }

    void framing()
    {
        QFETCH(int, messages);
        QFETCH(VeskOp, op);
        QFETCH(QStringList, packets);
        VeskRig rig(*bus);
        rig.device.setDelay(30);
        rig.device.setConnected(true);
        QElapsedTimer clock;
        clock.start();
        op(rig.device);
        const qint64 elapsed = clock.elapsed();
        QCOMPARE(rig.received(), packets);
        // One pause after each message sent, header and footer included.
        const int sent = messages + 2;
        QVERIFY2(elapsed >= sent * 30 - 5, qPrintable(QString::number(elapsed)));
        QVERIFY2(sent > 0 || elapsed < 25, qPrintable(QString::number(elapsed)));
    }

    void strip_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");

        QTest::newRow("empty") << 0 << 0;
        QTest::newRow("one message") << 1 << 1;
        QTest::newRow("header and footer") << 2 << 0;
        QTest::newRow("a received block") << 5 << 3;
    }

    void strip()
    {
        QFETCH(int, before);
        QFETCH(int, after);
        Vesk device;
        BulkDump dump;
        for (int i = 0; i < before; ++i)
            addBulk(dump, 0x400000 + unsigned(i) * 0x100, "01");
        device.strip(&dump);
        QCOMPARE(int(dump.size()), after);
        if (after > 1) {
            QCOMPARE(dump.first()->address(), 0x400100u);
            QCOMPARE(dump.last()->address(), 0x400000u + unsigned(after) * 0x100);
        }
        device.strip(nullptr);
    }

    // The altered messages replace the data of the messages of the same
    // address; the dump goes out as it stands, with its own header and
    // footer. An altered message with no place in the dump is reported.
    void transmitAltered()
    {
        VeskRig rig(*bus);
        BulkDump dump;
        addBulk(dump, 0x0E0800);
        addBulk(dump, 0x407000, "01 02 03 04");
        addBulk(dump, 0x400000, "05 06");
        addBulk(dump, 0x0F0800);
        VeskSysex altered[2];
        altered[0].prepareBulkDump(0x400000, "15 16");
        altered[1].prepareBulkDump(0x400100, "17");
        QVERIFY(!rig.device.bulkTransmitAltered(&dump, altered, 2));
        const QStringList expected{bulk(0x0E0800), bulk(0x407000, "01 02 03 04"), bulk(0x400000, "15 16"),
                                   bulk(0x0F0800)};
        QCOMPARE(rig.received(), expected);
        rig.clearReceived();
        QVERIFY(rig.device.bulkTransmitAltered(&dump, altered, 1));
        QCOMPARE(rig.received(), expected);
        QVERIFY(!rig.device.bulkTransmitAltered(nullptr, altered, 1));
    }

    // Requested, altered and sent back: the block as received but for the
    // altered data. Nothing goes back when the block does not come.
    void requestAndTransmitAltered()
    {
        VeskRig rig(*bus);
        rig.instrument.setBulkScript(holdingInitialPatches());
        const QList<QByteArray> stored = storedPatch(QStringLiteral("voice"));
        QCOMPARE(stored.size(), 37);

        auto common = std::make_unique<VeskSysex>();
        common->copy(reinterpret_cast<const unsigned char*>(stored.at(0).constData()),
                     int(stored.at(0).size()));
        common->storeDataText(QStringLiteral("Altered"), 0, 10, ' ');
        QVERIFY(rig.device.bulkTransmitAltered(0x0800, common.get(), 3000));

        QStringList expected{"F0 43 20 7F 00 0E 08 00 F7", bulk(0x0E0800), common->toString(-1)};
        for (int i = 1; i < stored.size(); ++i)
            expected << hexText(stored.at(i));
        expected << bulk(0x0F0800);
        QCOMPARE(rig.received(), expected);

        // The array form, one altered message missing from the block.
        rig.clearReceived();
        VeskSysex altered[2];
        altered[0].prepareBulkDump(0x400040, "11 22 33 44");
        altered[1].prepareBulkDump(0x4C0000, "01");
        QVERIFY(!rig.device.bulkTransmitAltered(0x0800, altered, 2, 3000));
        const QStringList sent = rig.received();
        QCOMPARE(sent.size(), 40);
        QCOMPARE(sent.at(4), altered[0].toString(-1));

        // No answer: the request only.
        rig.clearReceived();
        QVERIFY(!rig.device.bulkTransmitAltered(0x7000, altered, 2, 200));
        QCOMPARE(rig.received(), QStringList{"F0 43 20 7F 00 0E 70 00 F7"});
    }

    // The initial patches go to a given block or to their edit buffer; the
    // performance's block 302000 is never sent.
    void initialPatches_data()
    {
        QTest::addColumn<VeskOp>("op");
        QTest::addColumn<uint>("block");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("count");

        QTest::newRow("voice") << VeskOp([](Vesk& d) { d.initVoice(0x0805); }) << 0x0805u << 0 << 37;
        QTest::newRow("drum kit") << VeskOp([](Vesk& d) { d.initDrumVoice(0x2F00); }) << 0x2F00u << 1 << 373;
        QTest::newRow("PLG voice") << VeskOp([](Vesk& d) { d.initPlgVoice(0x1900); }) << 0x1900u << 2 << 9;
        QTest::newRow("performance") << VeskOp([](Vesk& d) { d.initPerformance(); }) << 0x4F00u << 3 << 19;
        QTest::newRow("mix") << VeskOp([](Vesk& d) { d.initMix(); }) << 0x5F00u << 4 << 32;
        QTest::newRow("master") << VeskOp([](Vesk& d) { d.initMaster(); }) << 0x7F00u << 5 << 5;
    }

    void initialPatches()
    {
        QFETCH(VeskOp, op);
        QFETCH(uint, block);
        QFETCH(int, type);
        QFETCH(int, count);
        VeskRig rig(*bus);
        op(rig.device);
        QStringList expected{bulk(block + 0x0E0000)};
        for (const Sysex* message : *rig.device.initDump(type)) {
            if (message->address() != Vesk::NeverSendAddress)
                expected << message->toString(-1);
        }
        expected << bulk(block + 0x0F0000);
        QCOMPARE(expected.size(), count + 2);
        QCOMPARE(rig.received(), expected);
    }

    // A voice, a drum kit and a performance requested from an instrument that
    // holds the initial patches, stripped, altered in two messages and sent
    // back to their places: the instrument receives exactly the blocks as we
    // hold them, framed for their places.
    void roundTrip_data()
    {
        QTest::addColumn<int>("bank");
        QTest::addColumn<int>("program");
        QTest::addColumn<int>("count");

        QTest::newRow("voice") << 0x3F08 << 4 << 37;
        QTest::newRow("drum kit") << 0x3F28 << 0 << 373;
        QTest::newRow("performance") << 0x3F40 << 127 << 20;
    }

    void roundTrip()
    {
        QFETCH(int, bank);
        QFETCH(int, program);
        QFETCH(int, count);
        VeskRig rig(*bus);
        rig.instrument.setBulkScript(holdingInitialPatches());
        const Patch patch(static_cast<unsigned short>(bank), program);
        const unsigned int block = rig.device.getBulkControl(patch);

        std::unique_ptr<PatchDump> dump(rig.device.createPatchDump(rig.device.bankType(patch.bank.word())));
        QVERIFY(rig.device.syncPatchRequest(patch, *dump, false));
        QCOMPARE(int(dump->size()), count + 2);
        QCOMPARE(dump->first()->address(), block + 0x0E0000);
        QCOMPARE(dump->last()->address(), block + 0x0F0000);
        rig.device.strip(dump.get());
        QCOMPARE(int(dump->size()), count);
        QCOMPARE(dump->bulkCompare(rig.device.initDump(dump->type())), 0);

        dump->setName(QStringLiteral("Round Trip"));
        dump->last()->setDataAt(0, dump->last()->dataAt(0) ^ 1);
        rig.clearReceived();
        rig.device.patchTransmit(patch, dump.get(), false);

        QStringList expected{bulk(block + 0x0E0000)};
        for (const QString& text : textsOf(*dump)) {
            if (!text.startsWith(QLatin1String("F0 43 00 7F 00 00 44 30 20 00")))
                expected << text;
        }
        expected << bulk(block + 0x0F0000);
        QCOMPARE(rig.received(), expected);
        QCOMPARE(dump->name(false), QStringLiteral("Round Trip"));
    }
};

ORVANE_TEST_MAIN(TestVeskTransfer)
#include "tst_vesktransfer.moc"
