// Whole banks through the library's transfer jobs, against the simulated
// instrument on the virtual bus: a Ridev Library received from the
// instrument's memory and transmitted into a fresh instrument, and banks
// received into the type groups of a Voice Library.
#include "DeviceBank.h"
#include "LibraryTasks.h"
#include "TestBus.h"
#include "TestEnvironment.h"
#include "TransferSim.h"
#include "LibraryBanks.h"

using TransferSim::differences;

namespace {

// 736 patches each way, on a loaded machine under the sanitizers.
constexpr int WholeRidevMs = 100000;
constexpr int EndMs = 20000;

} // namespace

class TestTransferAll : public QObject, public TransferSim::SimTransferRig
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        bus = testBus();
        QVERIFY2(bus, "the tests run on the virtual MIDI bus (ORVANE_MIDI_BACKEND=virtual)");
    }

    void init() { resetBusAndPorts(); }
    void cleanup() { stop(); }

    // Receive All asks for each of the 736 patches once and the library then
    // holds the instrument's memory; Transmit All puts it into a fresh
    // instrument, slot for slot, and stores it with its last message.
    void ridevLibraryInAndOut()
    {
        start(0);
        TransferSim::renameUserLocations(sim->sim());
        PatchDump* commented = slot(User1, 7);
        commented->setComment(QStringLiteral("keep me"));
        const BankSet banks(library.get());

        QVERIFY(Task_ReceiveAll::begin(owner.get(), banks));
        QVERIFY(ended(WholeRidevMs));
        const TaskRecorder::Shown in = display->last();
        QCOMPARE(in.title, QStringLiteral("Receive All"));
        QCOMPARE(in.endText, QString());
        QCOMPARE(in.maximum, 736);
        QCOMPARE(in.steps, 736);
        QCOMPARE(in.messages.first(), QStringLiteral("Receiving 736 patches..."));
        QCOMPARE(in.messages.last(), shownPatch(0x7F7F, 127));
        QCOMPARE((*sim)->counters().bulkRequests, 736);
        QCOMPARE(differences(sim->sim(), library.get()), QStringList());
        QCOMPARE(commented->name(false), QStringLiteral("Mine 0807"));
        QCOMPARE(commented->comment(), QStringLiteral("keep me"));
        QCOMPARE(device->getBank(User1)->patchName(7), commented->name(true));
        QCOMPARE(owner->received.size(), 736);
        QCOMPARE(owner->offThread, 0);
        QCOMPARE(owner->ends, QList<bool>{false});

        QString error;
        QVERIFY2((*sim)->load(Sim::Options(), &error), qPrintable(error));
        QVERIFY(!differences(sim->sim(), library.get()).isEmpty());
        QVERIFY(library->transmitAll(banks, owner.get()));
        QVERIFY(ended(WholeRidevMs));
        const TaskRecorder::Shown out = display->last();
        QCOMPARE(out.title, QStringLiteral("Transmit All"));
        QCOMPARE(out.endText, QString());
        QCOMPARE(out.steps, 736);
        QCOMPARE(out.messages.first(), QStringLiteral("Transmitting 736 patches..."));
        QCOMPARE(differences(sim->sim(), library.get()), QStringList());
        const Sim::Instrument::Counters n = (*sim)->counters();
        QCOMPARE(n.writes, 736);
        QCOMPARE(n.storeAll, 1);
        // Stored after the last write: nothing is left unstored.
        QVERIFY((*sim)->inspect([](const Sim::Instrument& i) { return i.unstored().isEmpty(); }));
        QCOMPARE((*sim)->refusals(), QStringList());
        QCOMPARE(owner->ends.size(), 1);
    }

    // A bank without a bank group goes to the type group of its patch type,
    // one new patch per program in program order; a bank with neither is
    // not asked for, and the progress ends below its maximum.
    void banksIntoTypeGroups()
    {
        start(1);
        BankSet banks(device.get(), QStringLiteral("PERFORMANCES"));
        banks.append(BankSet(device.get(), QStringLiteral("DRUMS_USER")));
        QVERIFY(Task_ReceiveAll::begin(owner.get(), banks));
        QVERIFY(ended(EndMs));
        QCOMPARE(display->last().endText, QString());
        QCOMPARE(display->last().maximum, 160);
        QCOMPARE(display->last().steps, 32);
        QCOMPARE((*sim)->counters().bulkRequests, 32);
        PatchGroup* kits = library->getTypePatchGroup(1);
        QCOMPARE(kits->itemCount(), 32);
        for (int row = 0; row < 32; ++row)
            QCOMPARE(kits->patchDumpAt(row)->name(false), simName(0x3F28, row));
        QCOMPARE(owner->received.first(), QStringLiteral("Drum Kits:0 appended"));
        QCOMPARE(owner->ends, QList<bool>{true});
    }
};

ORVANE_TEST_MAIN(TestTransferAll)
#include "tst_transferall.moc"
