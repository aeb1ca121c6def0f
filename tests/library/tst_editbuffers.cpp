// The edit-buffer jobs against the simulated instrument on the virtual bus:
// the edit buffer into the current patch or appended to a type group, the
// cases without a target, a receive that gets no answer, and a patch sent to
// the edit buffer, also through an output that refuses it.
#include "EditBufferTasks.h"
#include "TestBus.h"
#include "TestEnvironment.h"
#include "TransferSim.h"
#include "LibraryBanks.h"

namespace {

constexpr unsigned int VoiceEditBuffer = 0x0F00;
constexpr int EditBufferEndMs = 10000;

} // namespace

class TestEditBuffers : public QObject, public TransferSim::SimTransferRig
{
    Q_OBJECT

    // Slot row of USER1 holds a voice named "Before <row>", with a comment.
    PatchDump* filledSlot(int row)
    {
        PatchDump* dump = library->getPatchDump(Patch(User1, row));
        dump->init();
        dump->setName(QStringLiteral("Before %1").arg(row));
        dump->setComment(QStringLiteral("mine"));
        return dump;
    }

private slots:
    void initTestCase()
    {
        bus = testBus();
        QVERIFY2(bus, "the tests run on the virtual MIDI bus (ORVANE_MIDI_BACKEND=virtual)");
    }

    void init() { resetBusAndPorts(); }

    void cleanup() { stop(); }

    void receive_data()
    {
        QTest::addColumn<int>("kind");       // 0 Ridev Library, 1 Voice Library
        QTest::addColumn<QString>("shown");  // the node shown; "" the root
        QTest::addColumn<int>("current");    // the current row, -1 none
        QTest::addColumn<bool>("answered");  // the instrument answers
        QTest::addColumn<QString>("target"); // where the edit buffer goes, "" nowhere
        QTest::addColumn<int>("requests");
        QTest::addColumn<int>("steps");
        QTest::addColumn<QString>("endText");
        QTest::newRow("current patch of a bank group")
            << 0 << "USER1" << 4 << true << "USER1:4" << 1 << 1 << "";
        QTest::newRow("type group without a current patch")
            << 1 << "Normal Voices" << -1 << true << "Normal Voices:0 appended" << 1 << 1 << "";
        QTest::newRow("bank group without a current patch") << 0 << "USER1" << -1 << true << "" << 0 << 1 << "";
        QTest::newRow("folder") << 0 << "" << -1 << true << "" << 0 << 0 << "";
        QTest::newRow("no answer") << 0 << "USER1" << 4 << false << "" << 1 << 0 << "Receive timeout!";
    }

    void receive()
    {
        QFETCH(int, kind);
        QFETCH(QString, shown);
        QFETCH(int, current);
        QFETCH(bool, answered);
        QFETCH(QString, target);
        QFETCH(int, requests);
        QFETCH(int, steps);
        QFETCH(QString, endText);
        start(kind);
        Library* node = shown.isEmpty() ? library.get() : library->getLibrary(shown);
        QVERIFY(node);
        PatchDump* before = kind == 0 ? filledSlot(4) : nullptr;
        PatchDump* currentDump = current >= 0 ? static_cast<PatchGroup*>(node)->patchDumpAt(current) : nullptr;
        if (!answered)
            (*sim)->setFault(Sim::BulkReply, Sim::Fault::Drop);

        QVERIFY(Task_ReceiveFromEditBuffer::begin(owner.get(), node, currentDump));
        QVERIFY(ended(EditBufferEndMs));
        QCOMPARE(display->last().title, QStringLiteral("Receive from Edit Buffer"));
        QCOMPARE(display->last().messages.first(), QStringLiteral("Receiving from edit buffer..."));
        QCOMPARE(display->last().endText, endText);
        QCOMPARE(display->last().steps, steps);
        QCOMPARE((*sim)->counters().bulkRequests, requests);
        QCOMPARE(owner->received, target.isEmpty() ? QStringList() : QStringList{target});
        QCOMPARE(owner->ends, target.isEmpty() ? QList<bool>() : QList<bool>{target.endsWith("appended")});
        if (before && !target.startsWith(QLatin1String("USER1"))) {
            QCOMPARE(before->name(false), QStringLiteral("Before 4"));
        } else {
            auto* group = static_cast<PatchGroup*>(node);
            PatchDump* got = group->patchDumpAt(current >= 0 ? current : group->itemCount() - 1);
            QCOMPARE(got->name(false), (*sim)->name(VoiceEditBuffer).trimmed());
            QCOMPARE(got->size(), device->initDump(0)->size());
            if (before)
                QCOMPARE(got->comment(), QStringLiteral("mine"));
        }
    }

    // The patch goes to the edit buffer of its type, and is not stored;
    // an output that does not take it ends the job with the reason.
    void send_data()
    {
        QTest::addColumn<bool>("refused");
        QTest::newRow("sent") << false;
        QTest::newRow("output refuses") << true;
    }

    void send()
    {
        QFETCH(bool, refused);
        start(0);
        PatchDump* dump = filledSlot(0);
        QVERIFY(!Task_SendToEditBuffer::begin(owner.get(), device.get(), library->getPatchDump(Patch(User1, 1))));
        if (refused)
            bus->setSendFailure(sim->destination(), true);
        QVERIFY(Task_SendToEditBuffer::begin(owner.get(), device.get(), dump));
        QVERIFY(ended(EditBufferEndMs));
        QVERIFY(bus->waitIdle(EditBufferEndMs));
        QCOMPARE(display->last().title, QStringLiteral("Send to Edit Buffer"));
        QCOMPARE(display->last().messages, QStringList{"Sending to edit buffer..."});
        QCOMPARE(display->last().failed, refused);
        const Sim::Instrument::Counters n = (*sim)->counters();
        QCOMPARE(n.storeAll, 0);
        if (refused) {
            QCOMPARE(display->last().endText,
                     QStringLiteral("Transmit failed!\n\n%1: The MIDI output \"Vesk Sim\" did not take the message")
                         .arg(dump->name(true)));
            QCOMPARE(n.writes, 0);
        } else {
            QCOMPARE(display->last().steps, 1);
            QCOMPARE(n.writes, 1);
            QCOMPARE((*sim)->name(VoiceEditBuffer).trimmed(), QStringLiteral("Before 0"));
        }
    }
};

ORVANE_TEST_MAIN(TestEditBuffers)
#include "tst_editbuffers.moc"
