// The mix editor's documents against the simulated instrument, in a
// temporary folder: the mix file is the instrument's answer byte for byte,
// the companion library holds exactly the user voices the parts play, and
// opening sends both back; every refusal leaves the current document and
// the old files as they were.
#include "DeviceBank.h"
#include "EditorWindows.h"
#include "MidiEdit.h"
#include "MidiCheckBox.h"
#include "MixParts.h"
#include "ProgressDlg.h"
#include "ProgressWindows.h"
#include "Prompts.h"
#include "VeskMix_Document.h"
#include "WireRig.h"

#include <QPointer>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>

namespace {

constexpr int MixConnectMs = 10000;
constexpr int SendMs = 20000;

using Kind = ScriptedPrompts::Kind;

// Bank words and the simulator's bulk address of their program 0.
constexpr unsigned short User1 = 0x3F08, User2 = 0x3F09, DrumUser = 0x3F28, Preset1 = 0x3F00;
unsigned int locationOf(Patch patch)
{
    switch (patch.bank.word()) {
    case User1:
        return 0x0800u + unsigned(patch.program);
    case User2:
        return 0x0900u + unsigned(patch.program);
    case DrumUser:
        return 0x2800u + unsigned(patch.program);
    default:
        return 0;
    }
}

// The user voices the test mix plays: part 2 repeats part 0's.
const QList<Patch> UsedVoices = {Patch(User1, 5), Patch(User2, 10), Patch(DrumUser, 3)};

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QByteArray bytes3(int a, int b, int c)
{
    QByteArray out;
    out.append(char(a)).append(char(b)).append(char(c));
    return out;
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The data bytes of a dump's messages, laid end to end as the simulator
// keeps a location.
QByteArray dataOf(BulkDump* dump)
{
    Buffer data;
    dump->toDataBuffer(data);
    return data.bytes();
}

// Non-empty slots of a library, as patches.
QList<Patch> filledSlots(Library* library)
{
    QList<Patch> out;
    for (unsigned short word : {User1, User2, DrumUser}) {
        BankPatchGroup* group = library->getBankPatchGroup(word);
        for (int row = 0; group && row < group->itemCount(); ++row) {
            if (!group->patchDumpAt(row)->isEmpty())
                out.append(Patch(word, row));
        }
    }
    return out;
}

// Runs f with files limited to limit bytes: a write beyond fails as on a
// full disk.
template <typename F>
auto withFileLimit(rlim_t limit, F f)
{
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = limit;
    setrlimit(RLIMIT_FSIZE, &small);
    auto result = f();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    return result;
}

} // namespace

class TestMixDocument : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;
    std::unique_ptr<EditorRig> rig;
    std::unique_ptr<Probe<VeskMix>> window;
    std::unique_ptr<ScriptedPrompts> prompts;
    std::unique_ptr<QTemporaryDir> dir;

    Sim::Simulator& sim() { return rig->sim->sim(); }
    QString file(const QString& name) const { return dir->filePath(name); }

    // The mix the instrument holds: every part on a preset but the test's.
    void setMix()
    {
        for (int part = 0; part < VeskMix::Parts; ++part) {
            Patch voice(Preset1, part);
            if (part < 3)
                voice = UsedVoices[part == 2 ? 0 : part];
            if (part == 7)
                voice = UsedVoices[2];
            sim().editParameter(0x370000u + unsigned(part) * 0x100u,
                                bytes3(voice.bank.msb, voice.bank.lsb, voice.program));
        }
        for (int plg = 0; plg < VeskMix::PlgParts; ++plg)
            sim().editParameter(0x376000u + unsigned(plg) * 0x100u, bytes3(0x3F, 0, plg));
    }

    // The window, shown and connected, with the mix read.
    void open(int mode = Sim::SongMode)
    {
        sim().selectMode(mode);
        window = rig->build<VeskMix>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTRY_VERIFY_WITH_TIMEOUT(window->isConnectedOnce(), MixConnectMs);
        // The first connection opens the program's first argument: the test
        // program's arguments name no mix file, so what it said is forgotten.
        prompts->clear();
    }

    // The mix as the instrument answers for it now.
    QByteArray mixAnswer()
    {
        MixDump dump(rig->device.get());
        if (!rig->device->syncBulkRequest(MixFile::BulkAddress, dump, 3000))
            return QByteArray();
        Buffer bytes;
        dump.toBuffer(bytes);
        return bytes.bytes();
    }

    // Saves the test mix as song.mix (through Save As).
    bool saveSong()
    {
        prompts->script(Kind::FileSave, file(QStringLiteral("song.mix")));
        return window->saveAs();
    }

    // The window open on song.mix, saved, and the instrument's mix edited
    // since: a save now would change the file.
    bool savedThenEdited()
    {
        open();
        if (!window || !window->isConnectedOnce() || !saveSong())
            return false;
        sim().editParameter(0x37050D, QByteArray(1, char(9)));
        return true;
    }

    // The document's state, for "nothing changed" checks.
    QStringList state() const
    {
        return {window->documentPath(), window->companionFile(), window->windowTitle(),
                QString::number(window->isWindowModified())};
    }

private slots:
    void initTestCase()
    {
        bus = testBus();
        QVERIFY2(bus, "the tests run on the virtual MIDI bus (ORVANE_MIDI_BACKEND=virtual)");
    }

    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        rig = std::make_unique<EditorRig>(*bus);
        QVERIFY2(rig->sim->isLoaded(), qPrintable(rig->sim->error()));
        prompts = std::make_unique<ScriptedPrompts>();
        setMix();
    }

    void cleanup()
    {
        window.reset();
        prompts.reset();
        rig.reset();
        dir.reset();
    }

    void saveThenOpenSendsBoth()
    {
        open();
        QVERIFY(window->partPatch(0).isValid());
        QCOMPARE(window->windowTitle(), QStringLiteral("Vesk ES Mix Editor"));
        // Voices of an earlier document are no part of this one's companion.
        BankPatchGroup* user2 = window->companion().getBankPatchGroup(User2);
        QVERIFY(user2);
        user2->patchDumpAt(100)->init();
        QVERIFY(!user2->patchDumpAt(100)->isEmpty());

        // What the user does while the save waits on the instrument starts
        // nothing and closes nothing.
        QTimer::singleShot(0, window.get(), [this]() {
            window->close();
            window->saveAs();
        });
        QVERIFY(saveSong());
        QVERIFY(window->isVisible());
        QCOMPARE(prompts->count(Kind::FileSave), 1);
        QCOMPARE(prompts->count(Kind::Error), 0);

        const QString song = file(QStringLiteral("song.mix"));
        QCOMPARE(window->documentPath(), song);
        QCOMPARE(window->companionFile(), file(QStringLiteral("song.all")));
        QCOMPARE(window->windowTitle(), QStringLiteral("Vesk ES Mix Editor - [song.mix[*]]"));
        QVERIFY(!window->isWindowModified());
        QCOMPARE(window->recentFiles().value(0), song);
        QCOMPARE(prompts->last(Kind::FileSave).filter, QStringLiteral("Mix Files (*.mix)"));
        const QByteArray savedMix = readAll(song);
        QCOMPARE(savedMix, mixAnswer());

        // The companion: exactly the used voices, each as the instrument
        // holds it.
        VeskAll_Library companion(rig->device.get());
        QVERIFY(companion.loadFile(file(QStringLiteral("song.all"))));
        QCOMPARE(filledSlots(&companion), UsedVoices);
        QHash<unsigned int, QByteArray> savedVoices;
        for (const Patch& voice : UsedVoices) {
            savedVoices[locationOf(voice)] = sim().image(locationOf(voice));
            QCOMPARE(dataOf(companion.getPatchDump(voice)), savedVoices[locationOf(voice)]);
        }
        // The save took the instrument back to the mix's mode.
        QCOMPARE(sim().mode(), int(Sim::SongMode));

        // The instrument's voices and mix change; Close keeps none of the
        // document's voices.
        for (const Patch& voice : UsedVoices)
            sim().modify([&](Sim::Instrument& i) {
                i.setImage(locationOf(voice), i.image(locationOf(voice) + 1));
            });
        sim().editParameter(0x37050D, QByteArray(1, char(17)));
        window->closeFile();
        QCOMPARE(window->companion().nonEmptyPatchesCount(), 0);
        QCOMPARE(window->windowTitle(), QStringLiteral("Vesk ES Mix Editor"));

        // Open sends the mix and, once accepted, the voices with their
        // header and footer, then stores them.
        const int storesBefore = sim().counters().storeAll;
        prompts->script(Kind::OkCancel, true);
        window->openFile(song);
        QCOMPARE(prompts->count(Kind::OkCancel), 1);
        QCOMPARE(prompts->last(Kind::OkCancel).text,
                 QStringLiteral("'song.mix' contains User Voices.\n\nDo you want to load them now?"));
        QCOMPARE(prompts->last(Kind::OkCancel).title, QStringLiteral("Load User Voices"));
        QPointer<Task_TransmitUserPatches> task = window->transmission();
        QVERIFY(task);
        QCOMPARE(task->patchCount(), UsedVoices.size());
        QTRY_VERIFY_WITH_TIMEOUT(!task, SendMs);
        QVERIFY(!window->isWindowModified());
        QCOMPARE(prompts->count(Kind::Error), 0);
        QCOMPARE(sim().counters().storeAll, storesBefore + 1);
        for (const Patch& voice : UsedVoices)
            QCOMPARE(sim().image(locationOf(voice)), savedVoices[locationOf(voice)]);
        QVERIFY(sim().inspect([](const Sim::Instrument& i) { return i.unstored().isEmpty(); }));
        QCOMPARE(mixAnswer(), savedMix);
        QCOMPARE(window->documentPath(), song);
        // The names sent are the device's names of those slots.
        const QString sentName = rig->device->getBank(User1)->patchName(5);
        QCOMPARE(sentName.trimmed(), Sim::Memory::nameOf(savedVoices[0x0805]).trimmed());
    }

    void newIsUntitledAndSavedThroughSaveAs()
    {
        open();
        QVERIFY(saveSong());
        QCOMPARE(window->companion().nonEmptyPatchesCount(), UsedVoices.size());
        window->onCommand(VeskMix::NewCommand);
        QCOMPARE(window->windowTitle(), QStringLiteral("Vesk ES Mix Editor - [Untitled[*]]"));
        QVERIFY(window->companionFile().isEmpty());
        QCOMPARE(window->companion().nonEmptyPatchesCount(), 0);
        // The initial mix was sent and read back.
        QVERIFY(window->partPatch(0).isValid());
        QVERIFY(window->partPatch(0) != UsedVoices[0]);
        // Save asks for a path, from the folder of the last mix file.
        prompts->clear();
        QVERIFY(!window->save());
        QCOMPARE(prompts->count(Kind::FileSave), 1);
        QVERIFY(prompts->last(Kind::FileSave).start.startsWith(dir->path()));
    }

    void openRefusesWhatIsNoMix_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        // A user voice's block and the store-all message: a file of them is
        // no mix and would overwrite the user banks.
        const QByteArray storeAll = QByteArray::fromHex("F043107F00110000F7");
        QTest::newRow("no F7") << QByteArray::fromHex("F043007F000001370000") << "Illegal file";
        QTest::newRow("nothing") << QByteArray() << "Illegal file";
        QTest::newRow("text") << QByteArray("A mix? No.\n") << "Illegal file";
        QTest::newRow("store all") << storeAll << "Illegal file";
        QTest::newRow("a user voice's header after the mix's")
            << QByteArray::fromHex("F043007F0000000E5F0013F7F043007F0000000E080565F7") << "Illegal file";
        QTest::newRow("too large") << QByteArray(MixFile::MaxSize + 1, char(0xF7)) << "Illegal file";
        QTest::newRow("missing") << QByteArray("<missing>") << "File not found";
    }

    void openRefusesWhatIsNoMix()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        open();
        QVERIFY(saveSong());
        const QStringList before = state();
        const QString path = file(QStringLiteral("other.mix"));
        if (bytes != "<missing>")
            QVERIFY(writeAll(path, bytes));
        window->storeMRU(path);
        window->storeMRU(window->documentPath());
        const auto counters = sim().counters();
        window->openFile(path);
        QCOMPARE(prompts->count(Kind::Error), 1);
        QVERIFY2(prompts->last(Kind::Error).text.startsWith(message + QStringLiteral("\n\n")),
                 qPrintable(prompts->last(Kind::Error).text));
        QCOMPARE(state(), before);
        QCOMPARE(sim().counters().bulkDumps, counters.bulkDumps);
        QCOMPARE(sim().counters().storeAll, counters.storeAll);
        QCOMPARE(window->recentFiles().contains(path), message != QLatin1String("File not found"));
    }

    void openAcceptsAMixWithTrailingBytesAndNoCompanion()
    {
        open();
        QVERIFY(saveSong());
        QByteArray bytes = readAll(file(QStringLiteral("song.mix")));
        const QByteArray mix = bytes;
        // A volume of part 5 changed in the file, and bytes after the last F7.
        QVERIFY(QFile::copy(file(QStringLiteral("song.mix")), file(QStringLiteral("plain.mix"))));
        QVERIFY(writeAll(file(QStringLiteral("plain.mix")), bytes + QByteArray("\x01\x02tail", 6)));
        sim().editParameter(0x37050D, QByteArray(1, char(3)));
        window->openFile(file(QStringLiteral("plain.mix")));
        QCOMPARE(prompts->count(Kind::Error), 0);
        // No companion: nothing asked, nothing sent, the library empty.
        QCOMPARE(prompts->count(Kind::OkCancel), 0);
        QVERIFY(!window->transmission());
        QCOMPARE(window->companion().nonEmptyPatchesCount(), 0);
        QCOMPARE(window->windowTitle(), QStringLiteral("Vesk ES Mix Editor - [plain.mix[*]]"));
        QCOMPARE(mixAnswer(), mix);
    }

    void openWaitsForTheMix()
    {
        // In Voice mode the instrument does not answer for its mix.
        open(Sim::VoiceMode);
        QVERIFY(!window->partPatch(0).isValid());
        window->setFilePath(QStringLiteral("Untitled"));
        const QStringList before = state();
        QVERIFY(writeAll(file(QStringLiteral("later.mix")),
                         QByteArray::fromHex("F043007F0000000E5F0013F7F043007F0000000F5F0012F7")));

        // The command says why and keeps the document; no file is asked for.
        window->onCommand(VeskMix::OpenCommand);
        QCOMPARE(prompts->count(Kind::Error), 1);
        QCOMPARE(prompts->count(Kind::FileOpen), 0);
        QCOMPARE(state(), before);

        // A path handed over waits, silently, until the mix has been read.
        window->openFile(file(QStringLiteral("later.mix")));
        QCOMPARE(prompts->count(Kind::Error), 1);
        QCOMPARE(window->pendingOpen(), file(QStringLiteral("later.mix")));
        QCOMPARE(state(), before);
        sim().selectMode(Sim::SongMode);
        window->MidiReceive();
        QTRY_COMPARE(window->documentPath(), file(QStringLiteral("later.mix")));
        QVERIFY(window->pendingOpen().isEmpty());
    }

    void partialAnswersAreNotSaved_data()
    {
        QTest::addColumn<int>("fault"); // in Wire::answerFaults()
        QTest::addColumn<bool>("voice"); // the answer hit: the mix's, or that of the first voice it uses
        const QList<Wire::AnswerFault> faults = Wire::answerFaults();
        for (int i = 0; i < faults.size(); ++i) {
            QTest::addRow("mix: %s", faults[i].name) << i << false;
            QTest::addRow("voice: %s", faults[i].name) << i << true;
        }
    }

    // An answer that did not come whole, the mix's or that of a voice it
    // uses, writes neither file and says why; the document, its companion
    // library and both old files stay as they were. The next save, with the
    // cable mended, writes the instrument's answers byte for byte.
    void partialAnswersAreNotSaved()
    {
        QFETCH(int, fault);
        QFETCH(bool, voice);
        QVERIFY(savedThenEdited());
        const QString song = file(QStringLiteral("song.mix"));
        const QString companion = file(QStringLiteral("song.all"));
        const QByteArray oldMix = readAll(song), oldCompanion = readAll(companion);
        // A voice the mix plays is no longer what the companion holds either.
        const unsigned int voiceLocation = locationOf(UsedVoices[0]);
        sim().modify([&](Sim::Instrument& i) { i.setImage(voiceLocation, i.image(voiceLocation + 1)); });
        window->setWindowModified(true);
        const QStringList before = state();

        // The voices are asked for after the mix, the first one first.
        const Wire::AnswerFault hit = Wire::answerFaults().at(fault);
        const unsigned int block = voice ? voiceLocation : MixFile::BulkAddress;
        const QList<QByteArray> answer = Wire::answerOf(sim(), block);
        sim().setFault(Sim::BulkReply, hit.fault, hit.value(answer), 1, voice ? 1 : 0);
        QString expected = hit.reasonFor(block, answer);
        if (voice)
            expected = QStringLiteral("User voice %1: %2")
                           .arg(rig->device->printPatch(UsedVoices[0], Patch::OneBasedGrouped), expected);

        QVERIFY(!window->save());
        QCOMPARE(prompts->count(Kind::Error), 1);
        QCOMPARE(prompts->last(Kind::Error).text, QStringLiteral("Could not receive data to save\n\n") + expected);
        QCOMPARE(readAll(song), oldMix);
        QCOMPARE(readAll(companion), oldCompanion);
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList({"song.all", "song.mix"}));
        QCOMPARE(state(), before);
        QCOMPARE(filledSlots(&window->companion()), UsedVoices);
        // The instrument is left in the mix's mode.
        QCOMPARE(sim().mode(), int(Sim::SongMode));

        QVERIFY(bus->waitIdle(SendMs));
        prompts->clear();
        QVERIFY(window->save());
        QCOMPARE(prompts->count(Kind::Error), 0);
        QCOMPARE(readAll(song), mixAnswer());
        VeskAll_Library written(rig->device.get());
        QVERIFY(written.loadFile(companion));
        QCOMPARE(dataOf(written.getPatchDump(UsedVoices[0])), sim().image(voiceLocation));
    }

    // The voices' requests show their progress; Cancel stops the save before
    // the next request, and neither file is written nor anything said.
    void saveCanBeCanceled()
    {
        QVERIFY(savedThenEdited());
        const QString song = file(QStringLiteral("song.mix"));
        const QString companion = file(QStringLiteral("song.all"));
        const QByteArray oldMix = readAll(song), oldCompanion = readAll(companion);
        window->setWindowModified(true);
        QVERIFY(bus->waitIdle(SendMs));
        Wire::take(*bus, *rig->sim);

        // The first voice answers late enough for the window to show.
        sim().setFault(Sim::BulkReply, Sim::Fault::Delay, 800, 1, 1);
        auto seen = cancelWhenShown();
        QVERIFY(!window->save());
        QVERIFY(seen->found && seen->canceled);
        QCOMPARE(seen->title, QStringLiteral("Save"));
        QCOMPARE(seen->text, QStringLiteral("Receiving %1...")
                                 .arg(rig->device->printPatch(UsedVoices[0], Patch::OneBasedGrouped)));
        QVERIFY(!shownProgress());
        QCOMPARE(prompts->count(Kind::Error), 0);
        QCOMPARE(readAll(song), oldMix);
        QCOMPARE(readAll(companion), oldCompanion);
        QVERIFY(window->isWindowModified());
        // The mix and the first voice were asked for, no other voice.
        QVERIFY(bus->waitIdle(SendMs));
        const QStringList sent = Wire::take(*bus, *rig->sim);
        QCOMPARE(sent.filter(QStringLiteral("request")).size(), 2);
        QCOMPARE(sim().mode(), int(Sim::SongMode));
    }

    void saveFailuresKeepTheOldFiles()
    {
        QVERIFY(savedThenEdited());
        const QString song = file(QStringLiteral("song.mix"));
        const QString companion = file(QStringLiteral("song.all"));
        const QByteArray oldMix = readAll(song), oldCompanion = readAll(companion);
        window->setWindowModified(true);

        // The disk takes 256 bytes a file: the mix file is not written.
        QVERIFY(!withFileLimit(256, [this]() { return window->save(); }));
        QVERIFY(prompts->last(Kind::Error).text.startsWith(QStringLiteral("Cannot save file\n\n")));
        QVERIFY(window->isWindowModified());
        QCOMPARE(readAll(song), oldMix);
        QCOMPARE(readAll(companion), oldCompanion);
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList({"song.all", "song.mix"}));

        // A folder that cannot be written: Save As follows, and its cancel is
        // the save's outcome.
        prompts->clear();
        window->setFilePath(file(QStringLiteral("no/such/folder.mix")));
        QVERIFY(!window->save());
        QCOMPARE(prompts->count(Kind::Error), 1);
        QVERIFY(prompts->last(Kind::Error).text.startsWith(QStringLiteral("Cannot save file\n\n")));
        QCOMPARE(prompts->count(Kind::FileSave), 1);
    }

    void theSavePromptsAnswers_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<bool>("saved");
        QTest::newRow("save") << int(PromptSaveSave) << true << true;
        QTest::newRow("discard") << int(PromptSaveDiscard) << true << false;
        QTest::newRow("cancel") << int(PromptSaveCancel) << false << false;
        QTest::newRow("escape, some other answer") << 1 << false << false;
        QTest::newRow("a closed prompt") << -1 << false << false;
    }

    void theSavePromptsAnswers()
    {
        QFETCH(int, answer);
        QFETCH(bool, closed);
        QFETCH(bool, saved);
        open();
        QVERIFY(saveSong());
        const QByteArray before = readAll(file(QStringLiteral("song.mix")));
        // A volume edit of the program marks the document.
        window->parts().panel(4)->getEdit(QStringLiteral("Volume"), 0)->changeValue(21);
        QVERIFY(window->isWindowModified());
        prompts->script(Kind::Save, answer);
        window->closeFile();
        QCOMPARE(prompts->count(Kind::Save), 1);
        QCOMPARE(window->documentPath().isEmpty(), closed);
        QCOMPARE(readAll(file(QStringLiteral("song.mix"))) != before, saved);
    }

    void theSavesOwnSoloMuteResetMarksNothing()
    {
        open();
        QVERIFY(saveSong());
        // Part 3 soloed on the instrument: the save clears it, which sends
        // the parts' volumes.
        MidiCheckBox* solo = window->parts().panel(3)->getCheckBox(QStringLiteral("S"), 0);
        QVERIFY(solo);
        solo->changeValue(1);
        window->setWindowModified(false);
        sim().setFault(Sim::BulkReply, Sim::Fault::Drop, -1, 1);
        QVERIFY(!window->save());
        QVERIFY(!window->isWindowModified());
        QCOMPARE(solo->value(), 0);
        QVERIFY(!rig->device->mixPart(3)->solo);
    }

    // The voices' transmission shows its progress; Cancel while they go
    // out sends nothing more and stores nothing.
    void cancelledVoicesAreNotStored()
    {
        TaskDisplay display;
        open();
        QVERIFY(saveSong());
        window->closeFile();
        // The instrument's voices change meanwhile.
        for (const Patch& voice : UsedVoices)
            sim().modify([&](Sim::Instrument& i) {
                i.setImage(locationOf(voice), i.image(locationOf(voice) + 1));
            });
        const unsigned int last = locationOf(UsedVoices.last());
        const QByteArray changed = sim().image(last);
        const int storesBefore = sim().counters().storeAll;
        prompts->script(Kind::OkCancel, true);
        window->openFile(file(QStringLiteral("song.mix")));
        // The device's pause after each message: the voices take seconds.
        rig->device->setDelay(300);
        QPointer<Task_TransmitUserPatches> task = window->transmission();
        QVERIFY(task);
        QTRY_VERIFY_WITH_TIMEOUT(shownProgress(), SendMs);
        QCOMPARE(seeProgress(shownProgress()).title, QStringLiteral("Load User Voices"));
        QVERIFY(pressCancel(shownProgress()));
        QTRY_VERIFY_WITH_TIMEOUT(!task, SendMs);
        QVERIFY(bus->waitIdle());
        QCOMPARE(sim().counters().storeAll, storesBefore);
        // The last voice never went out.
        QCOMPARE(sim().image(last), changed);
        QCOMPARE(prompts->count(Kind::Error), 0);
    }

    void closingTheWindowEndsTheTransmission()
    {
        open();
        QVERIFY(saveSong());
        window->closeFile();
        // A slow cable keeps the voices on the way while the window goes.
        sim().setPacing(true);
        prompts->script(Kind::OkCancel, true);
        window->openFile(file(QStringLiteral("song.mix")));
        QPointer<Task_TransmitUserPatches> task = window->transmission();
        QVERIFY(task);
        QVERIFY(window->close());
        QVERIFY(!task || !task->isRunning());
        window.reset();
        QTRY_VERIFY(!task);
    }
};

ORVANE_TEST_MAIN(TestMixDocument)
#include "tst_mixdocument.moc"
