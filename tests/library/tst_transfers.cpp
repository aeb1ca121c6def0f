// The library's transfer jobs against the simulated instrument on the virtual
// bus: a selection and child patches, and every way a transfer can go wrong:
// no answer, a late one, a block without footer or without content, a second
// request while one waits, an output that refuses, a cancel, the owner going.
// Nothing received is lost without a word, a failed transfer leaves the
// library as it was from the failed patch on, and the library changes on the
// GUI thread only.
#include "DeviceBank.h"
#include "LibraryTasks.h"
#include "TestBus.h"
#include "TestEnvironment.h"
#include "TransferSim.h"
#include "LibraryBanks.h"
#include "Waiting.h"

#include <QElapsedTimer>
#include <QThread>

namespace {

constexpr unsigned short Pre1 = 0x3F00;
constexpr int VoiceMessages = 39; // header, 37 blocks, footer
constexpr int AnswerMs = 3000;
// The longest a job here takes: a few answers, a time-out, a store-all.
constexpr int TransferEndMs = 20000;

} // namespace

class TestTransfers : public QObject, public TransferSim::SimTransferRig
{
    Q_OBJECT

    PatchGroup* user1() { return library->getBankPatchGroup(User1); }
    // Slots 0 to n-1 of USER1 hold voices named "Before <row>".
    void fillUser1(int n)
    {
        for (int row = 0; row < n; ++row) {
            PatchDump* dump = user1()->patchDumpAt(row);
            dump->init();
            dump->setName(QStringLiteral("Before %1").arg(row));
        }
    }

    QStringList user1Names(int n)
    {
        QStringList names;
        for (int row = 0; row < n; ++row)
            names << user1()->patchDumpAt(row)->name(false);
        return names;
    }

private slots:
    void initTestCase()
    {
        bus = testBus();
        QVERIFY2(bus, "the tests run on the virtual MIDI bus (ORVANE_MIDI_BACKEND=virtual)");
    }

    void init() { resetBusAndPorts(); }

    void cleanup() { stop(); }

    // The worker never touches the library: with the GUI thread held up until
    // the instrument has answered everything, the slots are as they were;
    // they change when the GUI thread takes the patches, in the order asked,
    // each slot keeping its comment.
    void selectionChangesOnTheGuiThread()
    {
        start(0);
        user1()->patchDumpAt(2)->setComment(QStringLiteral("mine"));
        QVERIFY(static_cast<BankPatchGroup*>(user1())->receivePatches({5, 2}, owner.get()));

        // Waits, without running the event loop, for the second request and
        // for every answer to have reached the device.
        QElapsedTimer clock;
        clock.start();
        while ((*sim)->counters().bulkRequests < 2 && clock.elapsed() < Waiting::EventMs)
            QThread::msleep(5);
        QVERIFY(bus->waitIdle(Waiting::EventMs));
        // A moment for the worker to hand the patches over. The GUI thread
        // handles nothing meanwhile, so the slots cannot change the right
        // way: however long the pause, it cannot fail a sound job.
        QThread::msleep(300);
        QVERIFY(user1()->patchDumpAt(5)->isEmpty());
        QVERIFY(user1()->patchDumpAt(2)->isEmpty());
        QVERIFY(owner->received.isEmpty());

        QVERIFY(ended(TransferEndMs));
        QCOMPARE(owner->received, (QStringList{"USER1:5", "USER1:2"}));
        QCOMPARE(owner->offThread, 0);
        QCOMPARE(user1()->patchDumpAt(2)->name(false), simName(User1, 2));
        QCOMPARE(user1()->patchDumpAt(2)->comment(), QStringLiteral("mine"));
        QCOMPARE(display->last().messages,
                 (QStringList{"Receiving 2 patches...", shownPatch(User1, 5), shownPatch(User1, 2)}));
        QCOMPARE(owner->ends, QList<bool>{false});
    }

    // The third of six patches fails: the first two are in the library, the
    // failed one and those after it keep what they held, and the end text
    // names the failed patch.
    void failedReceive_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("wireRate");
        QTest::addColumn<int>("failed"); // the patch that fails, 0-based
        QTest::addColumn<QString>("reason");
        QTest::newRow("no answer") << int(Sim::Fault::Drop) << -1 << false << 2 << "";
        QTest::newRow("no answer to the first") << int(Sim::Fault::Drop) << -1 << false << 0 << "";
        QTest::newRow("late answer") << int(Sim::Fault::Delay) << AnswerMs + 500 << true << 2 << "";
        QTest::newRow("block without footer")
            << int(Sim::Fault::Omit) << VoiceMessages - 1 << false << 2 << ": Only 38 of 39 messages arrived";
        QTest::newRow("empty block") << int(Sim::Fault::Hollow) << -1 << false << 2
                                     << ": Block 0x407000 and 36 more missing";
    }

    void failedReceive()
    {
        QFETCH(int, fault);
        QFETCH(int, value);
        QFETCH(bool, wireRate);
        QFETCH(int, failed);
        QFETCH(QString, reason);
        start(0);
        fillUser1(6);
        (*sim)->setPacing(wireRate);
        (*sim)->setFault(Sim::BulkReply, Sim::Fault(fault), value, 1, failed);

        QVERIFY(static_cast<BankPatchGroup*>(user1())->receivePatches({0, 1, 2, 3, 4, 5}, owner.get()));
        QVERIFY(ended(TransferEndMs));
        const TaskRecorder::Shown& shown = display->last();
        QVERIFY(shown.failed);
        QCOMPARE(shown.endText, QStringLiteral("Receive timeout!\n\nUSER1:%1 (A%2)%3")
                                    .arg(failed + 1, 3, 10, QLatin1Char('0'))
                                    .arg(failed + 1, 2, 10, QLatin1Char('0'))
                                    .arg(reason));
        QCOMPARE(shown.steps, failed);
        QCOMPARE((*sim)->counters().bulkRequests, failed + 1);
        QStringList expected;
        for (int row = 0; row < 6; ++row)
            expected << (row < failed ? simName(User1, row) : QStringLiteral("Before %1").arg(row));
        QCOMPARE(user1Names(6), expected);
        QCOMPARE(owner->ends, failed > 0 ? QList<bool>{false} : QList<bool>());
    }

    // The device takes one synchronous request at a time: a receive started
    // while another waits for its answer fails at once and says why; the
    // first goes on.
    void secondRequestWhileOneWaits()
    {
        start(0);
        fillUser1(2);
        (*sim)->setFault(Sim::BulkReply, Sim::Fault::Delay, 1500, 1);
        auto* group = static_cast<BankPatchGroup*>(user1());
        QVERIFY(group->receivePatches({0}, owner.get()));
        QTRY_COMPARE_WITH_TIMEOUT((*sim)->counters().bulkRequests, 1, AnswerMs);
        QVERIFY(group->receivePatches({1}, owner.get()));

        QVERIFY(ended(TransferEndMs));
        QCOMPARE(display->shown.size(), 2);
        QCOMPARE(display->shown[1].endText,
                 QStringLiteral("Receive timeout!\n\nUSER1:002 (A02): Another request is waiting for its answer"));
        QCOMPARE(display->shown[0].endText, QString());
        QCOMPARE(user1Names(2), (QStringList{simName(User1, 0), "Before 1"}));
        QCOMPARE((*sim)->counters().bulkRequests, 1);
    }

    // A transmission with the device disconnected, or through an output that
    // does not take the message, sends nothing more, no store-all either,
    // and ends saying which patch and why.
    void refusedTransmit_data()
    {
        QTest::addColumn<bool>("disconnect");
        QTest::addColumn<QString>("reason");
        QTest::newRow("disconnected") << true << "The MIDI output \"Vesk Sim\" is not open";
        QTest::newRow("output refuses") << false << "The MIDI output \"Vesk Sim\" did not take the message";
    }

    void refusedTransmit()
    {
        QFETCH(bool, disconnect);
        QFETCH(QString, reason);
        start(0);
        fillUser1(2);
        if (disconnect)
            device->disconnect();
        else
            bus->setSendFailure(sim->destination(), true);
        QVERIFY(static_cast<BankPatchGroup*>(user1())->transmitPatches({0, 1}, owner.get()));
        QVERIFY(ended(TransferEndMs));
        QVERIFY(display->last().failed);
        QCOMPARE(display->last().endText, QStringLiteral("Transmit failed!\n\n%1: %2").arg(shownPatch(User1, 0), reason));
        QCOMPARE(display->last().steps, 0);
        const Sim::Instrument::Counters n = (*sim)->counters();
        QCOMPARE(n.bulkDumps, 0);
        QCOMPARE(n.storeAll, 0);
    }

    // A cancelled transmission ends without the store-all message, whichever
    // job it is.
    void cancelSendsNoStoreAll_data()
    {
        QTest::addColumn<int>("job");
        QTest::newRow("Transmit") << 0;
        QTest::newRow("Transmit All") << 1;
        QTest::newRow("Transmit Child Patches") << 2;
    }

    void cancelSendsNoStoreAll()
    {
        QFETCH(int, job);
        start(0);
        fillUser1(3);
        // Slow enough that the cancel comes while the second patch goes out.
        device->setDelay(10);
        display->onStep = [](Task* task, int pos) {
            if (pos == 1)
                task->cancel();
        };
        PatchList children;
        for (int row = 0; row < 3; ++row)
            children.add(Patch(User1, row));
        const bool started =
            job == 0   ? static_cast<BankPatchGroup*>(user1())->transmitPatches({0, 1, 2}, owner.get())
            : job == 1 ? library->transmitAll(BankSet(device.get(), QStringLiteral("VOICES_USER")), owner.get())
                       : Task_TransmitChildren::begin(owner.get(), children);
        QVERIFY(started);
        QVERIFY(ended(TransferEndMs));
        QVERIFY(!display->last().failed);
        QCOMPARE(display->last().maximum, 3);
        QVERIFY(display->last().steps < 3);
        QVERIFY(bus->waitIdle(Waiting::EventMs));
        QVERIFY((*sim)->counters().writes >= 1);
        QCOMPARE((*sim)->counters().storeAll, 0);
    }

    // Ending the owner's transfers (its view closes, its document goes)
    // stops the job between two requests; nothing reaches the owner
    // afterwards, and the document and device may go at once.
    void closingTheOwnerEndsTheTransfer()
    {
        start(0);
        (*sim)->setPacing(true);
        QVERIFY(Task_ReceiveAll::begin(owner.get(), BankSet(library.get())));
        QTRY_VERIFY_WITH_TIMEOUT(display->last().steps >= 2, 10000);
        QVERIFY(owner->isTransferring());

        owner->endTransfers();
        QVERIFY(!owner->isTransferring());
        QVERIFY(display->allEnded());
        const QStringList received = owner->received;
        const int requests = (*sim)->counters().bulkRequests;
        QVERIFY(requests < 10);
        library.reset();
        device.reset();
        // Waits for what was on the cable and what was posted before to arrive.
        QVERIFY(Waiting::deliverAll(*bus));
        QCOMPARE(owner->received, received);
        QCOMPARE(owner->ends, QList<bool>());
        QCOMPARE((*sim)->counters().bulkRequests, requests);
    }

    // Child patches: one without a slot in the library takes a step and no
    // request; in the other direction a missing or empty dump is left out
    // without a step, and the rest are stored.
    void childPatches()
    {
        start(0);
        fillUser1(1);
        PatchList wanted;
        wanted.add(Patch(User1, 4));
        wanted.add(Patch(Pre1, 0));
        wanted.add(Patch(User2, 10));
        QVERIFY(Task_ReceiveChildren::begin(owner.get(), wanted));
        QVERIFY(ended(TransferEndMs));
        QCOMPARE(display->last().title, QStringLiteral("Receive Child Patches"));
        QCOMPARE(display->last().steps, 3);
        QCOMPARE(display->last().endText, QString());
        QCOMPARE((*sim)->counters().bulkRequests, 2);
        QCOMPARE(owner->received, (QStringList{"USER1:4", "USER2:10"}));
        QCOMPARE(slot(User2, 10)->name(false), simName(User2, 10));

        PatchList sent;
        sent.add(Patch(User1, 0));
        sent.add(Patch(User1, 5)); // empty
        sent.add(Patch(Pre1, 0));  // no slot
        QVERIFY(Task_TransmitChildren::begin(owner.get(), sent));
        QVERIFY(ended(TransferEndMs));
        QCOMPARE(display->last().maximum, 3);
        QCOMPARE(display->last().steps, 1);
        QCOMPARE(display->last().endText, QString());
        QCOMPARE(simName(User1, 0), QStringLiteral("Before 0"));
        QCOMPARE((*sim)->counters().writes, 1);
        QCOMPARE((*sim)->counters().storeAll, 1);
    }

    // Nothing to move starts nothing.
    void nothingToDo()
    {
        start(0);
        const BankSet voices(device.get(), QStringLiteral("VOICES_USER"));
        QCOMPARE(library->countNonEmptyPatches(voices), 0);
        QVERIFY(!library->transmitAll(voices, owner.get()));
        QVERIFY(!Task_ReceiveAll::begin(owner.get(), BankSet()));
        QVERIFY(!Task_ReceiveChildren::begin(owner.get(), PatchList()));
        // Waits for anything posted or sent meanwhile to have arrived.
        QVERIFY(Waiting::deliverAll(*bus));
        QCOMPARE(display->shown.size(), 0);
        QCOMPARE((*sim)->counters().bulkDumps + (*sim)->counters().bulkRequests, 0);
    }
};

ORVANE_TEST_MAIN(TestTransfers)
#include "tst_transfers.moc"
