// The job that refreshes the user patch names: what it asks the instrument
// for and in which order, what it shows, where the names go (the device's
// banks and their files, once per bank, on the GUI thread), and how each way
// of ending is told: completed, cancelled, a time-out, a request slot taken
// by another request, a damaged block, a patch the device cannot address
// (each also to the window's hook, after the names taken are stored), and
// the window going first (no hook).
#include "BulkDump.h"
#include "DeviceBank.h"
#include "IniFile.h"
#include "Task_ReceiveBanks.h"
#include "TestBus.h"
#include "TestEnvironment.h"
#include "VeskRig.h"
#include "VeskSysex.h"
#include "Waiting.h"

#include <QFile>
#include <QPointer>

#include <memory>
#include <thread>

namespace {

constexpr unsigned short UserA = 0x3F09;
constexpr unsigned short UserB = 0x3F08;
constexpr unsigned short Multis = 0x7F7E; // user patches the device has no block for
constexpr int EndMs = 10000;

QByteArray frame(unsigned int address)
{
    VeskSysex message;
    message.prepareBulkDump(address, QString());
    return QByteArray::fromHex(message.toString(-1).toLatin1());
}

// An instrument holding the voice in every user voice location, named
// "Voice <program>", that leaves the blocks of the programs in `silent`
// unanswered.
TestInstrument::BulkScript namedVoices(const QList<QByteArray>& voice, const QList<int>& silent = {})
{
    return [voice, silent](unsigned int header) -> QList<QByteArray> {
        const unsigned int block = header - VeskSysex::HeaderOffset;
        const int program = int(block & 0xFF);
        if (voice.isEmpty() || silent.contains(program))
            return {};
        VeskSysex common;
        common.fromString(QString::fromLatin1(voice.first().toHex()));
        common.storeDataText(QStringLiteral("Voice %1").arg(program), 0, VeskSysex::NameSize, ' ');
        return QList<QByteArray>{frame(header), QByteArray::fromHex(common.toString(-1).toLatin1())} +
               voice.mid(1) + QList<QByteArray>{frame(block + VeskSysex::FooterOffset)};
    };
}

// What the job's display shows; calls come on the GUI thread.
class Display : public TaskUi
{
public:
    void begin(Task*, const QString& title, int maximum) override { begins << qMakePair(title, maximum); }
    void message(Task*, const QString& text) override { texts << text; }
    void step(Task* task, int pos) override
    {
        steps << pos;
        if (onStep)
            onStep(task, pos);
    }
    void end(Task*, const QString& text, bool failed) override
    {
        endText = text;
        this->failed = failed;
        ended = true;
    }

    QList<QPair<QString, int>> begins;
    QStringList texts;
    QList<int> steps;
    std::function<void(Task*, int)> onStep;
    QString endText;
    bool failed = false;
    bool ended = false;
};

class Banks
{
public:
    Banks() : rig(*testBus())
    {
        for (unsigned short word : {UserA, UserB, Multis}) {
            QFile::remove(rig.device.getUserBankFile(word));
            rig.device.deleteBank(word);
        }
        BulkDump initial;
        QVERIFY(initial.fromFile(QStringLiteral(":/vesk/data/init/voice.syx"), &rig.device));
        for (int i = 0; i < initial.size(); ++i)
            voice << QByteArray::fromHex(initial.at(i)->toString(-1).toLatin1());
        rig.instrument.setBulkScript(namedVoices(voice));
        Task::setUi(&display);
    }
    ~Banks() { Task::setUi(nullptr); }

    // A user bank of count patches, all unnamed.
    void add(unsigned short word, const QString& name, int count)
    {
        set.append(rig.device.createSharedBank(name, word, count));
    }
    // Each block comes 150 ms after its request: the job is still under way
    // when the test acts.
    void answerSlowly()
    {
        TestInstrument::BulkReply slow;
        slow.delayMs = 150;
        rig.instrument.setBulkReply(slow);
    }
    // Starts the job on the set; false when none started.
    bool start()
    {
        task = Task_ReceiveBanks::receiveBanks(&rig.client, set, false, [this] {
            ++hooks;
            if (set.size() > 0)
                namesAtHook << name(set.bankAt(0)->bankWord(), 0) << name(set.bankAt(0)->bankWord(), 1);
        });
        if (task)
            QObject::connect(task, &Task_ReceiveBanks::ended, [this](int end) { outcome = end; });
        return task;
    }
    bool waitEnd()
    {
        return QTest::qWaitFor([this] { return display.ended && !task; }, EndMs);
    }
    QString name(unsigned short word, int program) { return rig.device.getBank(word)->patchName(program); }
    // The names the bank's user bank file holds for programs 0..count-1.
    QStringList fileNames(unsigned short word, int count)
    {
        IniFile file;
        file.loadFile(rig.device.getUserBankFile(word));
        const IniSection* section = file.section(rig.device.getBank(word)->name());
        QStringList names;
        for (int p = 0; section && p < count; ++p)
            names << section->numValue(p);
        return names;
    }
    // The job failed for that reason, said so, and the window heard of the
    // end once all the same.
    void expectFailure(Task_ReceiveBanks::Outcome reason, const QString& text)
    {
        QCOMPARE(outcome, int(reason));
        QCOMPARE(display.endText, text);
        QVERIFY(display.failed);
        QCOMPARE(hooks, 1);
    }
    QStringList requests()
    {
        QStringList list;
        for (const QString& text : rig.received()) {
            if (text.startsWith(QLatin1String("F0 43 20")))
                list << text.mid(15, 8);
        }
        return list;
    }

    VeskRig rig;
    QList<QByteArray> voice; // the initial voice's messages
    Display display;
    BankSet set;
    QPointer<Task_ReceiveBanks> task;
    int hooks = 0;
    // The first bank's names of programs 0 and 1 as the hook found them.
    QStringList namesAtHook;
    int outcome = -1;
};

} // namespace

class TestReceiveBanks : public QObject
{
    Q_OBJECT

private slots:
    void init() { resetVeskTest(); }

    // Banks in the set's order, programs ascending; each bank's names go to
    // the device when the bank is done, not one by one.
    void receivesEveryPatch()
    {
        Banks b;
        b.add(UserA, QStringLiteral("TESTA"), 3);
        b.add(UserB, QStringLiteral("TESTB"), 2);
        QStringList shownMeanwhile;
        b.display.onStep = [&](Task*, int) { shownMeanwhile << b.name(UserA, 0); };
        QVERIFY(b.start());
        QVERIFY(b.waitEnd());

        QCOMPARE(b.requests(), (QStringList{"0E 09 00", "0E 09 01", "0E 09 02", "0E 08 00", "0E 08 01"}));
        QCOMPARE(b.display.begins, (QList<QPair<QString, int>>{{QStringLiteral("Receive Banks"), 5}}));
        QCOMPARE(b.display.texts.size(), 6);
        QCOMPARE(b.display.texts.first(), QStringLiteral("Receiving 5 patches..."));
        QVERIFY(b.display.texts.at(1).startsWith(QLatin1String("TESTA:001 (A01) ")));
        QVERIFY(b.display.texts.at(1).endsWith(QLatin1String(":Voice 0")));
        QVERIFY(b.display.texts.at(5).startsWith(QLatin1String("TESTB:002 (A02) ")));
        QCOMPARE(b.display.steps, (QList<int>{1, 2, 3, 4, 5}));

        const QString voice0 = b.name(UserA, 0);
        QVERIFY(voice0.endsWith(QLatin1String(":Voice 0")));
        QCOMPARE(shownMeanwhile, (QStringList{"---", "---", "---", voice0, voice0}));
        QCOMPARE(b.fileNames(UserA, 3), (QStringList{voice0, b.name(UserA, 1), b.name(UserA, 2)}));
        QVERIFY(b.name(UserB, 1).endsWith(QLatin1String(":Voice 1")));
        QCOMPARE(b.fileNames(UserB, 2).last(), b.name(UserB, 1));

        QCOMPARE(b.outcome, int(Task_ReceiveBanks::Completed));
        QCOMPARE(b.hooks, 1);
        QVERIFY(!b.display.failed && b.display.endText.isEmpty());
    }

    void howManyPatches()
    {
        Banks b;
        QVERIFY(!b.start()); // no patch: no job, no hook
        QVERIFY(b.display.begins.isEmpty());
        b.add(UserA, QStringLiteral("TESTA"), 1);
        QVERIFY(b.start());
        QVERIFY(b.waitEnd());
        QCOMPARE(b.display.texts.first(), QStringLiteral("Receiving 1 patch..."));
        QCOMPARE(b.hooks, 1);
    }

    // The instrument stops answering at program 2: the names before it stay,
    // the progress stands at 2, and the window, told of the end, finds them.
    void timeout()
    {
        Banks b;
        b.rig.instrument.setBulkScript(namedVoices(b.voice, {2}));
        b.add(UserA, QStringLiteral("TESTA"), 4);
        QVERIFY(b.start());
        QVERIFY(b.waitEnd());
        b.expectFailure(Task_ReceiveBanks::TimedOut, QStringLiteral("Receive timeout!"));
        QCOMPARE(b.display.steps, (QList<int>{1, 2}));
        QCOMPARE(b.requests().size(), 3);
        QVERIFY(b.name(UserA, 1).endsWith(QLatin1String(":Voice 1")));
        QCOMPARE(b.name(UserA, 2), QStringLiteral("---"));
        QCOMPARE(b.fileNames(UserA, 2), (QStringList{b.name(UserA, 0), b.name(UserA, 1)}));
        QCOMPARE(b.namesAtHook, (QStringList{b.name(UserA, 0), b.name(UserA, 1)}));
    }

    // Another request holds the device's one request slot: the job is
    // refused at once and says so, without a time-out.
    void busy()
    {
        Banks b;
        b.add(UserA, QStringLiteral("TESTA"), 2);
        // Address 1 is never answered: the request holds the slot until the
        // test answers it.
        std::thread holder(
            [&] { b.rig.device.syncParamRequest(MidiParam(0x000001, 1, false, false), Waiting::EventMs); });
        // Waits for the holding request to have gone out.
        QTRY_VERIFY_WITH_TIMEOUT(b.rig.instrument.parameterRequests() == 1, Waiting::EventMs);
        QVERIFY(b.start());
        QVERIFY(b.waitEnd());
        b.rig.instrument.send(TestInstrument::parameterChange(0x000001, 0));
        holder.join();
        b.expectFailure(Task_ReceiveBanks::Busy, QString::fromLatin1(Task_ReceiveBanks::BusyText));
        QVERIFY(b.requests().isEmpty());
    }

    // A block that comes damaged (a checksum wrong) is no time-out: the job
    // ends with the patch and what the device found wrong with it.
    void damagedBlock()
    {
        Banks b;
        QList<QByteArray> damaged = b.voice;
        QByteArray& last = damaged.last();
        last[last.size() - 2] = char((last.at(last.size() - 2) + 1) & 0x7F);
        b.rig.instrument.setBulkScript(namedVoices(damaged));
        b.add(UserA, QStringLiteral("TESTA"), 2);
        QVERIFY(b.start());
        QVERIFY(b.waitEnd());
        const QString patch = b.rig.device.printPatch(Patch(UserA, 0), Patch::OneBasedGrouped);
        QVERIFY(b.rig.device.transferError().startsWith(QLatin1String("Checksum error in block")));
        b.expectFailure(Task_ReceiveBanks::Rejected, patch + QStringLiteral(": ") + b.rig.device.transferError());
        QCOMPARE(b.name(UserA, 0), QStringLiteral("---"));
    }

    // A bank of user patches the device has no block for: nothing is asked.
    void unaddressable()
    {
        Banks b;
        b.add(Multis, QStringLiteral("TMULTI"), 2);
        QVERIFY(b.start());
        QVERIFY(b.waitEnd());
        const QString patch = b.rig.device.printPatch(Patch(Multis, 0), Patch::OneBasedGrouped);
        b.expectFailure(Task_ReceiveBanks::Unaddressable, QStringLiteral("Cannot receive %1!").arg(patch));
        QVERIFY(b.requests().isEmpty());
    }

    // A cancel while a request is under way drops that patch's name; the
    // names taken before stay.
    void cancel()
    {
        Banks b;
        b.answerSlowly();
        b.add(UserA, QStringLiteral("TESTA"), 4);
        b.display.onStep = [](Task* task, int pos) {
            if (pos == 1)
                task->cancel();
        };
        QVERIFY(b.start());
        QVERIFY(b.waitEnd());
        QCOMPARE(b.outcome, int(Task_ReceiveBanks::Canceled));
        QVERIFY(!b.display.failed && b.display.endText.isEmpty());
        QCOMPARE(b.display.steps, QList<int>{1});
        QVERIFY(b.name(UserA, 0).endsWith(QLatin1String(":Voice 0")));
        QCOMPARE(b.name(UserA, 1), QStringLiteral("---"));
        QCOMPARE(b.hooks, 1);
        QCOMPARE(b.namesAtHook, (QStringList{b.name(UserA, 0), QStringLiteral("---")}));
    }

    // The window goes while the job runs: the job stops, keeps what it took
    // and calls no hook of the window.
    void windowGoes()
    {
        Banks b;
        // Each block a second late: the job is far from done at its first step.
        TestInstrument::BulkReply slow;
        slow.delayMs = 1000;
        b.rig.instrument.setBulkReply(slow);
        b.add(UserA, QStringLiteral("TESTA"), 4);
        auto window = std::make_unique<RecordingClient>(&b.rig.device);
        // The window goes at the job's first step, while the job runs.
        b.display.onStep = [&window](Task*, int) { window.reset(); };
        int hooks = 0;
        QPointer<Task_ReceiveBanks> task =
            Task_ReceiveBanks::receiveBanks(window.get(), b.set, false, [&] { ++hooks; });
        QVERIFY(task);
        // Waits for the job to end.
        QTRY_VERIFY_WITH_TIMEOUT(!task, Waiting::EventMs);
        QVERIFY(!window);
        QCOMPARE(hooks, 0);
        QVERIFY(b.display.steps.size() < 4);
    }
};

ORVANE_TEST_MAIN(TestReceiveBanks)
#include "tst_receivebanks.moc"
