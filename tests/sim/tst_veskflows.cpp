// The instrument's device moving whole patches through the simulated
// instrument on the virtual bus, with its own requests and transmission:
// every edit buffer in its mode and refused in another, every kind of patch
// location, blocks written to user locations and read back, store-all,
// parameters reaching the edit buffer, the instrument's mode reports, and
// each fault of the cable. A request that fails leaves the caller's dump as
// it was and says why; nothing the instrument stores changes.
#include "ProbeDevice.h"
#include "Simulator.h"
#include "TestBus.h"
#include "TestEnvironment.h"
#include "VeskOnSim.h"
#include "VeskSysex.h"

#include "BulkDump.h"
#include "VirtualMidiBus.h"

#include <QScopeGuard>

#include <functional>
#include <memory>
#include <thread>

using SimProbe::dumpBytes;
using SimVesk::patchName;

namespace {

// Long enough for any answer on a loaded machine; a request that is not
// answered fails after it.
constexpr int VeskFlowAnswerMs = 3000;
constexpr int VeskFlowNoAnswerMs = 400;

QString hex6(unsigned int address)
{
    return QStringLiteral("0x%1").arg(QString::number(address, 16).toUpper().rightJustified(6, u'0'));
}

QByteArray flowBulk(unsigned int address, const QString& data)
{
    VeskSysex message;
    message.prepareBulkDump(address, data);
    return message.bytes();
}

// Changes the messages of a whole edit buffer block (header to footer) and
// gives the error the device is to report for them.
using FlowEdit = std::function<QString(QList<QByteArray>& messages, const BulkDump& clean)>;

} // namespace

Q_DECLARE_METATYPE(FlowEdit)

class TestSimVeskFlows : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;
    std::unique_ptr<Sim::BusSimulator> sim;
    std::unique_ptr<Vesk> device;

    void start()
    {
        sim = std::make_unique<Sim::BusSimulator>(*bus);
        QVERIFY2(sim->isLoaded(), qPrintable(sim->error()));
        device = SimVesk::deviceOn(*sim);
        device->connect(false);
        QVERIFY(device->midiIn()->isOpened() && device->midiOut()->isOpened());
    }

    QString refusals() const { return (*sim)->refusals().join(QLatin1Char('\n')); }

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

    // Each edit buffer answers in the mode that owns it; asked in another
    // mode the request fails and the caller's dump keeps what it held.
    void editBuffers_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("wrongMode");
        QTest::addColumn<QString>("name");
        QTest::newRow("voice") << 0 << 1 << "SimV 0F00";
        QTest::newRow("drum kit") << 1 << 2 << "SimD 2800";
        QTest::newRow("PLG voice") << 2 << 4 << "SimG 1F00";
        QTest::newRow("performance") << 3 << 0 << "SimP 4F00";
        QTest::newRow("mix") << 4 << 1 << "SimM 5F00";
        QTest::newRow("master") << 5 << 3 << "SimS 7F00";
    }

    void editBuffers()
    {
        QFETCH(int, type);
        QFETCH(int, wrongMode);
        QFETCH(QString, name);
        start();
        BulkDump dump;
        dump.copyDump(device->initDump(0), device.get());
        const QByteArray old = dumpBytes(dump);
        device->setMode(wrongMode);
        QVERIFY(!device->syncEditBufferRequest(type, dump, VeskFlowNoAnswerMs));
        QCOMPARE(device->transferError(), QStringLiteral("Receive timeout!"));
        QCOMPARE(dumpBytes(dump), old);

        device->setModeByType(type);
        if (type == 1)
            device->patchChangeByType(1); // Voice mode answers for the kit selected
        QVERIFY2(device->syncEditBufferRequest(type, dump, VeskFlowAnswerMs), qPrintable(device->transferError()));
        QCOMPARE(device->transferError(), QString());
        QCOMPARE(dump.size(), device->initDump(type)->size() + 2);
        QCOMPARE(patchName(*device, type, dump), name);
    }

    // A patch of every kind of location, the device switching to its mode
    // itself; banks without blocks fail at once.
    void locations_data()
    {
        QTest::addColumn<int>("bank");
        QTest::addColumn<int>("program");
        QTest::addColumn<QString>("name"); // empty: no block
        QTest::newRow("preset voice") << 0x3F05 << 0x42 << "SimV 0542";
        QTest::newRow("GM voice") << 0x0000 << 0 << "SimV 0600";
        QTest::newRow("user voice") << 0x3F09 << 0x7F << "SimV 097F";
        QTest::newRow("PLG user voice") << 0x3F19 << 5 << "SimG 1905";
        QTest::newRow("preset drum kit") << 0x3F20 << 1 << "SimD 2001";
        QTest::newRow("GM drum kit") << 0x7F00 << 0 << "SimD 2100";
        QTest::newRow("user drum kit") << 0x3F28 << 0x1F << "SimD 281F";
        QTest::newRow("performance") << 0x3F40 << 0x10 << "SimP 4010";
        QTest::newRow("master") << 0x7F7F << 0x7F << "SimS 707F";
        QTest::newRow("multi") << 0x7F7E << 2 << "";
        QTest::newRow("mixing voice") << 0x3F3C << 0 << "";
        QTest::newRow("PLG preset") << 0x3F46 << 0 << "";
    }

    void locations()
    {
        QFETCH(int, bank);
        QFETCH(int, program);
        QFETCH(QString, name);
        start();
        const Patch patch(static_cast<unsigned short>(bank), program);
        const int type = device->bankType(patch.bank.word());
        BulkDump dump;
        if (name.isEmpty()) {
            QVERIFY(!device->syncPatchRequest(patch, dump, true));
            QCOMPARE(device->transferError(), QStringLiteral("No block holds this patch"));
            return;
        }
        QVERIFY2(device->syncPatchRequest(patch, dump, true), qPrintable(device->transferError()));
        QCOMPARE(dump.size(), device->initDump(type)->size() + 2);
        QCOMPARE(patchName(*device, type, dump), name);
    }

    // A block read from one location, renamed and changed, sent to a user
    // location or an edit buffer and read back equal. The performance block
    // the instrument is never sent keeps what the location held.
    void writeReadBack_data()
    {
        QTest::addColumn<int>("bank");
        QTest::addColumn<int>("program");
        QTest::addColumn<int>("targetBank"); // -1: the edit buffer
        QTest::addColumn<int>("targetProgram");
        QTest::newRow("voice") << 0x3F00 << 3 << 0x3F08 << 5;
        QTest::newRow("voice to the edit buffer") << 0x3F09 << 1 << -1 << 0;
        QTest::newRow("drum kit") << 0x3F20 << 2 << 0x3F28 << 7;
        QTest::newRow("PLG voice") << 0x3F18 << 0 << 0x3F1A << 3;
        QTest::newRow("performance") << 0x3F40 << 1 << 0x3F40 << 9;
        QTest::newRow("master") << 0x7F7F << 1 << 0x7F7F << 4;
    }

    void writeReadBack()
    {
        QFETCH(int, bank);
        QFETCH(int, program);
        QFETCH(int, targetBank);
        QFETCH(int, targetProgram);
        start();
        const Patch source(static_cast<unsigned short>(bank), program);
        const int type = device->bankType(source.bank.word());
        std::unique_ptr<PatchDump> dump(device->createPatchDump(type));
        QVERIFY2(device->syncPatchRequest(source, *dump, true), qPrintable(device->transferError()));
        device->strip(dump.get());
        dump->setName(QStringLiteral("Written"));
        dump->last()->setDataAt(0, dump->last()->dataAt(0) ^ 1);
        Sysex* hidden = dump->getSysex(Vesk::NeverSendAddress);
        if (hidden)
            hidden->setDataAt(0, hidden->dataAt(0) ^ 1);

        const Patch target(static_cast<unsigned short>(targetBank), targetProgram);
        const unsigned int block =
            targetBank < 0 ? unsigned(Vesk::getEditBuffer(type)) : device->getBulkControl(target);
        if (targetBank < 0)
            device->toEditBuffer(dump.get());
        else
            device->patchTransmit(target, dump.get(), false);
        QTRY_COMPARE((*sim)->counters().writes, 1);
        QVERIFY2((*sim)->refusals().isEmpty(), qPrintable(refusals()));
        QCOMPARE((*sim)->name(block), QStringLiteral("Written   "));
        QCOMPARE((*sim)->inspect([](const Sim::Instrument& i) { return i.unstored().size(); }),
                 targetBank < 0 ? 0 : 1);

        std::unique_ptr<PatchDump> back(device->createPatchDump(type));
        if (targetBank < 0)
            QVERIFY2(device->syncEditBufferRequest(type, *back, VeskFlowAnswerMs),
                     qPrintable(device->transferError()));
        else
            QVERIFY2(device->syncPatchRequest(target, *back, true), qPrintable(device->transferError()));
        device->strip(back.get());
        if (hidden)
            hidden->setDataAt(0, hidden->dataAt(0) ^ 1);
        QCOMPARE(back->bulkCompare(dump.get()), 0);
    }

    // A message the cable does not take ends the block there: without its
    // footer the instrument drops the write, where with it it would store the
    // block with that part of the old patch left in. The next block goes in
    // whole.
    void refusedMessageEndsTheBlock()
    {
        start();
        std::unique_ptr<PatchDump> dump(device->createPatchDump(0));
        QVERIFY2(device->syncPatchRequest(Patch(0x3F08, 1), *dump, true),
                 qPrintable(device->transferError()));
        device->strip(dump.get());
        dump->setName(QStringLiteral("Refused"));
        const QByteArray stored = (*sim)->image(0x0805);
        // The common block, first and the one with the name, is the longest
        // message of a voice.
        bus->setMaxMessageSize(int(dump->first()->size()) - 1);
        bus->clearSent();

        device->patchTransmit(Patch(0x3F08, 5), dump.get(), false);
        QVERIFY(bus->waitIdle());
        QCOMPARE(bus->sentPackets(sim->destination()).size(), qsizetype(1)); // the header
        QCOMPARE((*sim)->counters().writes, 0);
        QCOMPARE((*sim)->image(0x0805), stored);

        bus->setMaxMessageSize(MidiNoSizeLimit);
        device->patchTransmit(Patch(0x3F08, 5), dump.get(), false);
        QTRY_COMPARE((*sim)->counters().writes, 1);
        QCOMPARE((*sim)->name(0x0805), QStringLiteral("Refused   "));
    }

    // Store-all: the instrument writes everything, and the device waits for
    // it before it goes on.
    void storeAll()
    {
        start();
        device->initVoice(0x0802);
        QTRY_COMPARE((*sim)->counters().writes, 1);
        QCOMPARE((*sim)->inspect([](const Sim::Instrument& i) { return i.unstored(); }),
                 QSet<unsigned int>{0x0802});
        device->storeAllPatches();
        QCOMPARE((*sim)->counters().storeAll, 1);
        QVERIFY((*sim)->inspect([](const Sim::Instrument& i) { return i.unstored().isEmpty(); }));
        QCOMPARE((*sim)->name(0x0802), QStringLiteral("Init Voice"));
    }

    // A parameter change lands in the edit buffer: the parameter request and
    // the edit buffer's block both show it, in a common block and in an
    // element's sub-block.
    void parameterInEditBuffer()
    {
        start();
        device->setModeByType(0);
        const MidiParam category(0x40700C, 1, false, false);
        const MidiParam element(0x410125, 1, false, false); // element 1, sub-block byte 5
        device->paramChange(category, 5);
        device->paramChange(element, 0x33);
        QCOMPARE(device->syncParamRequest(category, VeskFlowAnswerMs), 5);
        QCOMPARE(device->syncParamRequest(element, VeskFlowAnswerMs), 0x33);

        BulkDump dump;
        QVERIFY2(device->syncEditBufferRequest(0, dump, VeskFlowAnswerMs), qPrintable(device->transferError()));
        Sysex* common = dump.getSysex(0x407000);
        Sysex* sub = dump.getSysex(0x410120);
        QVERIFY(common && sub);
        QCOMPARE(common->getParameterData(category), 5);
        QCOMPARE(sub->getParameterData(element), 0x33);
    }

    // The instrument's own mode changes reach the device, which then knows
    // it need not switch before asking for a patch of that mode.
    void modeReports()
    {
        start();
        (*sim)->selectMode(1);
        QTRY_COMPARE(device->mode(), 1);
        const int changes = (*sim)->counters().parameterChanges;
        BulkDump dump;
        QVERIFY2(device->syncPatchRequest(Patch(0x3F40, 2), dump, true), qPrintable(device->transferError()));
        QCOMPARE(patchName(*device, 3, dump), QStringLiteral("SimP 4002"));
        QCOMPARE((*sim)->counters().parameterChanges, changes);

        (*sim)->selectMode(4);
        QTRY_COMPARE(device->mode(), 4);
        QVERIFY2(device->syncEditBufferRequest(5, dump, VeskFlowAnswerMs), qPrintable(device->transferError()));
        QCOMPARE((*sim)->counters().parameterChanges, changes);
    }

    // Under each fault of the cable the edit buffer request either brings
    // the whole block or fails saying what went wrong, with the caller's dump
    // as it was and nothing stored on the instrument; the next request is
    // answered properly. "at" is the message whose address the error names
    // (the middle one is message 19 of 39).
    void faults_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("error"); // empty: the request succeeds
        QTest::addColumn<int>("at");
        QTest::newRow("drop") << int(Sim::Fault::Drop) << -1 << "Receive timeout!" << -1;
        QTest::newRow("delay within the timeout") << int(Sim::Fault::Delay) << 300 << "" << -1;
        QTest::newRow("delay past the timeout") << int(Sim::Fault::Delay) << 1500 << "Receive timeout!" << -1;
        QTest::newRow("truncate") << int(Sim::Fault::Truncate) << -1 << "Block %1 missing" << 19;
        QTest::newRow("header truncated")
            << int(Sim::Fault::Truncate) << 0 << "Header of block 0x0F00 missing" << -1;
        QTest::newRow("footer truncated")
            << int(Sim::Fault::Truncate) << 38 << "Receive timeout! Only 38 of 39 messages arrived" << -1;
        QTest::newRow("checksum") << int(Sim::Fault::BadChecksum) << -1 << "Checksum error in block %1" << 19;
        QTest::newRow("header checksum")
            << int(Sim::Fault::BadChecksum) << 0 << "Checksum error in block %1" << 0;
        QTest::newRow("garbage") << int(Sim::Fault::Garbage) << -1 << "" << -1;
        QTest::newRow("twice") << int(Sim::Fault::Twice) << -1 << "" << -1;
        QTest::newRow("disconnect") << int(Sim::Fault::Disconnect) << -1
                                    << "Receive timeout! Only 19 of 39 messages arrived" << -1;
    }

    void faults()
    {
        QFETCH(int, fault);
        QFETCH(int, value);
        QFETCH(QString, error);
        QFETCH(int, at);
        start();
        BulkDump clean;
        QVERIFY2(device->syncEditBufferRequest(0, clean, VeskFlowAnswerMs), qPrintable(device->transferError()));
        const QByteArray cleanBytes = dumpBytes(clean);
        const QByteArray stored = (*sim)->image(0x0F00);
        if (at >= 0)
            error = error.arg(hex6(clean.at(at)->address()));

        (*sim)->setFault(Sim::BulkReply, Sim::Fault(fault), value, 1);
        BulkDump dump;
        dump.copyDump(&clean, device.get());
        dump.first()->setAddress(0x0E0801); // an old dump, told apart from the answer
        const QByteArray old = dumpBytes(dump);
        QCOMPARE(device->syncEditBufferRequest(0, dump, 1000), error.isEmpty());
        QCOMPARE(device->transferError(), error);
        QCOMPARE(dumpBytes(dump), error.isEmpty() ? cleanBytes : old);
        QCOMPARE((*sim)->image(0x0F00), stored);
        QCOMPARE((*sim)->counters().writes, 0);

        if (fault == int(Sim::Fault::Disconnect)) {
            QVERIFY(!device->syncEditBufferRequest(0, dump, VeskFlowNoAnswerMs));
            QCOMPARE(device->transferError(), QStringLiteral("Receive timeout!"));
            (*sim)->setOnline(true);
        }
        // What is still on its way (a late or second copy) passes first.
        QVERIFY(bus->waitIdle(VeskFlowAnswerMs));
        QVERIFY2(device->syncEditBufferRequest(0, dump, VeskFlowAnswerMs), qPrintable(device->transferError()));
        QCOMPARE(dumpBytes(dump), cleanBytes);
    }

    // A late reply to a request that gave up comes in while the next request
    // waits: it is the block asked for before, not the one now awaited.
    void lateReplyOfAnotherBlock()
    {
        start();
        (*sim)->setFault(Sim::BulkReply, Sim::Fault::Delay, 2500, 1);
        BulkDump dump;
        QVERIFY(!device->syncEditBufferRequest(0, dump, 1000));
        // The reply to this one queues behind the late one on the cable.
        const bool ok = device->syncPatchRequest(Patch(0x3F08, 5), dump, false);
        if (ok) // only when the machine stalled until the late reply had passed
            QCOMPARE(patchName(*device, 0, dump), QStringLiteral("SimV 0805"));
        else
            QCOMPARE(device->transferError(), QStringLiteral("Block 0x0F00 came instead of 0x0805"));
        QVERIFY(bus->waitIdle(VeskFlowAnswerMs));
    }

    // Answers no instrument of ours gives, checked all the same: a block of
    // the wrong size, one the type does not have, one twice, two out of
    // order, several missing.
    void craftedAnswers_data()
    {
        QTest::addColumn<FlowEdit>("edit");
        QTest::newRow("a block a byte short") << FlowEdit([](QList<QByteArray>& m, const BulkDump& clean) {
            const Sysex* block = clean.at(5);
            m[5] = flowBulk(block->address(), block->dataToString().chopped(3));
            return QStringLiteral("Block %1 holds %2 data bytes, not %3")
                .arg(hex6(block->address()))
                .arg(block->dataSize() - 1)
                .arg(block->dataSize());
        });
        QTest::newRow("a foreign block") << FlowEdit([](QList<QByteArray>& m, const BulkDump&) {
            m[5] = flowBulk(0x467000, QStringLiteral("01 02"));
            return QStringLiteral("Unexpected block 0x467000");
        });
        QTest::newRow("a block twice") << FlowEdit([](QList<QByteArray>& m, const BulkDump& clean) {
            m[6] = m[5];
            return QStringLiteral("Block %1 arrived twice").arg(hex6(clean.at(5)->address()));
        });
        QTest::newRow("two blocks swapped") << FlowEdit([](QList<QByteArray>& m, const BulkDump& clean) {
            m.swapItemsAt(5, 6);
            return QStringLiteral("Block %1 out of order").arg(hex6(clean.at(6)->address()));
        });
        QTest::newRow("blocks missing") << FlowEdit([](QList<QByteArray>& m, const BulkDump& clean) {
            m.remove(5, 5);
            return QStringLiteral("Block %1 and 4 more missing").arg(hex6(clean.at(5)->address()));
        });
    }

    void craftedAnswers()
    {
        QFETCH(FlowEdit, edit);
        start();
        BulkDump clean;
        QVERIFY2(device->syncEditBufferRequest(0, clean, VeskFlowAnswerMs), qPrintable(device->transferError()));
        QList<QByteArray> answer;
        for (const Sysex* message : clean.list())
            answer << message->bytes();
        const QString error = edit(answer, clean);

        // The instrument's own answer is lost; ours comes once the request is
        // out, so the device is waiting for it.
        (*sim)->setFault(Sim::BulkReply, Sim::Fault::Drop, -1, 1);
        BulkDump dump;
        bool ok = true;
        std::thread worker([&] { ok = device->syncEditBufferRequest(0, dump, VeskFlowAnswerMs); });
        auto joined = qScopeGuard([&] { worker.join(); });
        QTRY_COMPARE((*sim)->counters().bulkRequests, 2);
        QVERIFY(bus->inject(sim->source(), answer));
        joined.dismiss();
        worker.join();
        QVERIFY(!ok);
        QCOMPARE(device->transferError(), error);
        QVERIFY(dump.isEmpty());
    }

    // Only one request waits at a time: a second one fails at once and says
    // so, the first one goes on.
    void secondRequestRefused()
    {
        start();
        BulkDump waiting;
        bool ok = true;
        // No master edit buffer in Voice mode: this one waits its whole time.
        std::thread worker([&] { ok = device->syncEditBufferRequest(5, waiting, 1500); });
        auto joined = qScopeGuard([&] { worker.join(); });
        QTRY_COMPARE((*sim)->counters().bulkRequests, 1);
        BulkDump dump;
        QVERIFY(!device->syncPatchRequest(Patch(0x3F08, 1), dump, false));
        QCOMPARE(device->transferError(), QStringLiteral("Another request is waiting for its answer"));
        joined.dismiss();
        worker.join();
        QVERIFY(!ok);
        QCOMPARE(device->transferError(), QStringLiteral("Receive timeout!"));
    }

    // A block that comes damaged is not altered and sent back: the
    // instrument would store it as it stands.
    void alteredResendOnlyOfWholeBlocks_data()
    {
        QTest::addColumn<int>("fault");
        QTest::newRow("truncate") << int(Sim::Fault::Truncate);
        QTest::newRow("checksum") << int(Sim::Fault::BadChecksum);
        QTest::newRow("none") << int(Sim::Fault::None);
    }

    void alteredResendOnlyOfWholeBlocks()
    {
        QFETCH(int, fault);
        start();
        VeskSysex altered;
        altered.copy(device->initDump(0)->first(), 0, -1);
        altered.storeDataText(QStringLiteral("Altered"), 0, 10, ' ');
        (*sim)->setFault(Sim::BulkReply, Sim::Fault(fault), -1, 1);
        const bool whole = fault == int(Sim::Fault::None);
        QCOMPARE(device->bulkTransmitAltered(0x0803, &altered, VeskFlowAnswerMs), whole);
        QVERIFY(bus->waitIdle(VeskFlowAnswerMs));
        QCOMPARE((*sim)->counters().bulkDumps, whole ? 39 : 0);
        QCOMPARE((*sim)->name(0x0803), whole ? QStringLiteral("Altered   ") : QStringLiteral("SimV 0803 "));
    }

    // The device's own parameter requests under the faults: no answer in
    // time gives -1 (the receive channel then falls back to 0), a stray or
    // repeated answer does no harm.
    void parameterFaults_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("mode"); // what syncGetMode gives
        QTest::newRow("drop") << int(Sim::Fault::Drop) << -1;
        QTest::newRow("truncate") << int(Sim::Fault::Truncate) << -1;
        QTest::newRow("delay") << int(Sim::Fault::Delay) << 0;
        QTest::newRow("garbage") << int(Sim::Fault::Garbage) << 0;
        QTest::newRow("twice") << int(Sim::Fault::Twice) << 0;
        QTest::newRow("disconnect") << int(Sim::Fault::Disconnect) << -1;
    }

    void parameterFaults()
    {
        QFETCH(int, fault);
        QFETCH(int, mode);
        start();
        device->paramChange(MidiParam(Vesk::ReceiveChannelAddress, 1, false, false), 6);
        (*sim)->setFault(Sim::ParameterReply, Sim::Fault(fault), fault == int(Sim::Fault::Delay) ? 200 : -1,
                         2);
        QCOMPARE(device->syncGetMode(mode < 0 ? VeskFlowNoAnswerMs : VeskFlowAnswerMs), mode);
        device->updateRcvChannel();
        QCOMPARE(device->channel(), mode < 0 ? 0 : 6);
        // A pulled cable let no request through, so its fault is still armed.
        (*sim)->clearFaults();
        (*sim)->setOnline(true);
        QVERIFY(bus->waitIdle(VeskFlowAnswerMs));
        QCOMPARE(device->syncGetMode(VeskFlowAnswerMs), 0);
    }
};

ORVANE_TEST_MAIN(TestSimVeskFlows)
#include "tst_veskflows.moc"
