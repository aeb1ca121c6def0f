// The editors' commands as the simulated instrument sees them: a patch file
// saved byte for byte as the instrument answered and opened again, files
// that are no patch of the editor refused, saves that cannot read or
// write, store to a user program (and refused for any other), initialise,
// the mix editor's GM reset, the bank-name reads, and the set-up and help
// commands through the prompts.
#include "DeviceBank.h"
#include "KeyboardDlg.h"
#include "EditorKinds.h"
#include "MidiPatchEdit.h"
#include "PanelDlg.h"
#include "Paths.h"
#include "ProgressDlg.h"
#include "ProgressWindows.h"
#include "Prompts.h"
#include "TransferRig.h"
#include "Waiting.h"

#include <QDialog>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>

using Kind = ScriptedPrompts::Kind;

namespace {

// The simulator's answer to a request for block, byte for byte.
QByteArray simAnswer(Sim::BusSimulator& sim, unsigned int block)
{
    Sim::Reply reply;
    sim->modify([&](Sim::Instrument& i) { reply = i.sendBlock(block); });
    return reply.messages.join();
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray simBulk(unsigned int address, const QByteArray& data)
{
    return Sim::bulkDump(address, data);
}

// The error boxes shown, but for the start-up file a test's own arguments
// may name.
QStringList errors(const ScriptedPrompts& prompts)
{
    QStringList texts;
    for (const ScriptedPrompts::Call& c : prompts.calls()) {
        if (c.kind == Kind::Error && !c.text.startsWith(QLatin1String("File not found")))
            texts.append(c.text);
    }
    return texts;
}

QStringList requestsOnly(const QStringList& texts)
{
    QStringList requests;
    for (const QString& t : texts) {
        if (t.startsWith(QLatin1String("request ")))
            requests.append(t);
    }
    return requests;
}

} // namespace

class TestEditorCommands : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;
    std::unique_ptr<EditorRig> rig;
    std::unique_ptr<ScriptedPrompts> prompts;

    Sim::BusSimulator& sim() { return *rig->sim; }

    // The editor connected to an instrument in its mode, the log emptied.
    std::unique_ptr<MidiEditorWindow> connected(const QString& editor)
    {
        Wire::answerFor(sim(), editor);
        auto window = Wire::build(*rig, editor);
        if (!Wire::showConnected(*window))
            return nullptr;
        Wire::take(*bus, sim());
        return window;
    }

private slots:
    void initTestCase()
    {
        bus = testBus();
        QVERIFY2(bus, "the tests run on the virtual MIDI bus (ORVANE_MIDI_BACKEND=virtual)");
    }

    void init()
    {
        prompts = std::make_unique<ScriptedPrompts>();
        rig = std::make_unique<EditorRig>(*bus);
        QVERIFY2(rig->sim->isLoaded(), qPrintable(rig->sim->error()));
    }

    void cleanup()
    {
        rig.reset();
        prompts.reset();
    }

    // The saved file is the instrument's answer as it came, the name of the
    // performance offered; opened again it goes back whole and is read.
    void saveAndOpenAgain()
    {
        auto window = connected(QStringLiteral("perf"));
        QVERIFY(window);
        auto* perf = static_cast<VeskPerf*>(window.get());
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("saved.prf"));
        const QByteArray answer = simAnswer(sim(), 0x4F00);
        prompts->script(Kind::FileSave, path);
        perf->onCommand(VeskPerf::SaveCommand);
        QCOMPARE(Wire::take(*bus, sim()), QStringList{"request 0E4F00"});
        QCOMPARE(fileBytes(path), answer);
        const ScriptedPrompts::Call save = prompts->last(Kind::FileSave);
        QCOMPARE(save.title, QStringLiteral("Save Performance"));
        QCOMPARE(save.filter, QStringLiteral("Performance Files (*.prf)"));
        QString proposal = perf->performanceName();
        MakeValidFilename(proposal);
        QVERIFY(perf->performanceName().contains(QLatin1Char(':')));
        QCOMPARE(save.start, proposal);

        const QByteArray saved = sim()->image(0x4F00);
        sim()->selectPatch(0x3F40, 5);
        QVERIFY(sim()->image(0x4F00) != saved);
        prompts->script(Kind::FileOpen, path);
        perf->onCommand(VeskPerf::OpenCommand);
        QCOMPARE(Wire::take(*bus, sim()),
                 Wire::blockTexts(*rig->device, 3, 0x4F00) + QStringList{"request 0E4F00"});
        QCOMPARE(sim()->image(0x4F00), saved);
        QCOMPARE(prompts->last(Kind::FileOpen).title, QStringLiteral("Load Performance"));
        QVERIFY(errors(*prompts).isEmpty());
    }

    void refusedFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("why");
        const Sim::Options options;
        Sim::Instrument instrument;
        QVERIFY(instrument.load(options, nullptr));
        const QByteArray voice = instrument.sendBlock(0x0F00).messages.join();
        QList<QByteArray> perf = instrument.sendBlock(0x4F00).messages;
        const QByteArray storeAll = simBulk(0x110000, QByteArray());

        QTest::newRow("a voice") << voice << "The file is addressed to block 0x0F00, not to the performance edit buffer 0x4F00.";
        QTest::newRow("a user location")
            << instrument.sendBlock(0x4003).messages.join()
            << "The file is addressed to block 0x4003, not to the performance edit buffer 0x4F00.";
        QList<QByteArray> withStore = perf;
        withStore.insert(withStore.size() - 1, storeAll);
        QTest::newRow("store-all inside") << withStore.join() << "The file is no performance of this instrument: Unexpected block 0x110000.";
        QTest::newRow("store-all after it") << (perf.join() + storeAll)
                                            << "The file does not end with the footer of the performance edit buffer.";
        QList<QByteArray> missing = perf;
        missing.removeAt(3);
        QTest::newRow("a block missing") << missing.join() << "missing";
        QList<QByteArray> withChange = perf;
        withChange.insert(2, Sim::parameterChange(0x300000, "A"));
        QTest::newRow("a parameter change") << withChange.join() << "Message 3 of the file is no bulk dump";
        QTest::newRow("another maker") << QByteArray::fromHex("F041100042F7")
                                       << "Message 1 of the file is no bulk dump of this instrument.";
        QTest::newRow("text starting AC") << QByteArray("AC: not a patch\n")
                                          << "The file does not start with a system-exclusive message.";
    }

    // Only the editor's own edit buffer, header to footer, of this
    // instrument is sent; anything else is refused with the reason and
    // nothing goes out.
    void refusedFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, why);
        auto window = connected(QStringLiteral("perf"));
        QVERIFY(window);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("file.prf"));
        QVERIFY(writeBytes(path, bytes));
        const QByteArray before = sim()->image(0x4F00);
        prompts->script(Kind::FileOpen, path);
        window->onCommand(VeskPerf::OpenCommand);
        QCOMPARE(Wire::take(*bus, sim()), QStringList());
        const QStringList shown = errors(*prompts);
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().startsWith(QStringLiteral("Illegal file\n\n") + GetCompactPath(path, -1) + "\n\n"),
                 qPrintable(shown.first()));
        QVERIFY2(shown.first().contains(why), qPrintable(shown.first()));
        QCOMPARE(sim()->image(0x4F00), before);
    }

    // A save that gets no edit buffer, or cannot write, says so and leaves
    // no file.
    void saveFailures()
    {
        auto window = connected(QStringLiteral("perf"));
        QVERIFY(window);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("nothing.prf"));
        sim()->selectMode(Sim::VoiceMode);
        prompts->script(Kind::FileSave, path);
        window->onCommand(VeskPerf::SaveCommand);
        QCOMPARE(errors(*prompts), QStringList{"Could not receive data to save\n\nReceive timeout!"});
        QVERIFY(!QFile::exists(path));

        prompts->clear();
        sim()->selectMode(Sim::PerformanceMode);
        const QString unwritable = dir.filePath(QStringLiteral("no folder/saved.prf"));
        prompts->script(Kind::FileSave, unwritable);
        window->onCommand(VeskPerf::SaveCommand);
        QCOMPARE(errors(*prompts), QStringList{"Cannot save file\n\n" + GetCompactPath(unwritable, -1)});
        QVERIFY(!QFile::exists(unwritable));
    }

    void partialAnswerIsNotSaved_data()
    {
        QTest::addColumn<int>("fault"); // in Wire::answerFaults()
        const QList<Wire::AnswerFault> faults = Wire::answerFaults();
        for (int i = 0; i < faults.size(); ++i)
            QTest::addRow("%s", faults[i].name) << i;
    }

    // An edit buffer that did not come whole is not saved over the old
    // file: the save says why and the file keeps its bytes. The next save
    // writes the instrument's answer.
    void partialAnswerIsNotSaved()
    {
        QFETCH(int, fault);
        auto window = connected(QStringLiteral("perf"));
        QVERIFY(window);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("saved.prf"));
        prompts->script(Kind::FileSave, path);
        window->onCommand(VeskPerf::SaveCommand);
        const QByteArray old = fileBytes(path);
        QCOMPARE(old, simAnswer(sim(), 0x4F00));
        sim()->modify([](Sim::Instrument& i) { i.setImage(0x4F00, i.image(0x4003)); });

        const Wire::AnswerFault hit = Wire::answerFaults().at(fault);
        const QList<QByteArray> answer = Wire::answerOf(sim().sim(), 0x4F00);
        sim()->setFault(Sim::BulkReply, hit.fault, hit.value(answer), 1);
        prompts->script(Kind::FileSave, path);
        window->onCommand(VeskPerf::SaveCommand);
        QCOMPARE(errors(*prompts),
                 QStringList{"Could not receive data to save\n\n" + hit.reasonFor(0x4F00, answer)});
        QCOMPARE(fileBytes(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"saved.prf"});

        QVERIFY(bus->waitIdle(5000));
        prompts->clear();
        prompts->script(Kind::FileSave, path);
        window->onCommand(VeskPerf::SaveCommand);
        QVERIFY(errors(*prompts).isEmpty());
        QCOMPARE(fileBytes(path), simAnswer(sim(), 0x4F00));
        QVERIFY(fileBytes(path) != old);
    }

    // Without an instrument, open, save, initialise and the resets neither
    // prompt nor send.
    void nothingWithoutConnection()
    {
        sim()->setOnline(false);
        auto voice = Wire::build(*rig, QStringLiteral("voice"));
        QVERIFY(!rig->device->isConnected());
        for (int id : {VeskVoice::OpenCommand, VeskVoice::SaveCommand, VeskVoice::InitCommand})
            voice->onCommand(id);
        voice.reset();
        auto mix = Wire::build(*rig, QStringLiteral("mix"));
        for (int id : {VeskMix::ResetMixCommand, VeskMix::GmResetCommand})
            mix->onCommand(id);
        QCOMPARE(prompts->calls().size(), 0);
        bus->waitIdle();
        for (const QByteArray& sent : bus->sentPackets(sim().destination()))
            QCOMPARE(Wire::describe(sent), QString());
    }

    // Store to USER1:001: the edit buffer is read, sent to the location
    // header to footer, stored and selected, and the device's user bank
    // takes the voice's name. The editor does not read again.
    void storeToUserProgram()
    {
        auto window = connected(QStringLiteral("voice"));
        QVERIFY(window);
        auto* voice = static_cast<VeskVoice*>(window.get());
        const int channel = sim()->inspect([](const Sim::Instrument& i) { return i.receiveChannel(); });
        const QString cc = QStringLiteral("B%1").arg(channel, 0, 16).toUpper();
        const QByteArray edited = sim()->image(0x0F00);
        voice->patchEdit()->setPatch(Patch(0x3F08, 0));
        prompts->script(Kind::YesNo, true);
        voice->onCommand(VeskVoice::StoreCommand);
        const QStringList expected = QStringList{"request 0E0F00"} + Wire::blockTexts(*rig->device, 0, 0x0800) +
                                     QStringList{"dump 110000", cc + " 00 3F", cc + " 20 08",
                                                 QStringLiteral("C%1 00").arg(channel, 0, 16).toUpper()};
        QCOMPARE(Wire::withoutWaveAsks(Wire::take(*bus, sim())), expected);
        QCOMPARE(prompts->last(Kind::YesNo).text, QStringLiteral("Overwrite USER1:001 (A01)?"));
        QCOMPARE(prompts->last(Kind::YesNo).title, QString());
        QCOMPARE(sim()->image(0x0800), edited);
        QVERIFY(sim()->inspect([](const Sim::Instrument& i) { return i.unstored().isEmpty(); }));
        QCOMPARE(sim()->counters().storeAll, 1);
        QCOMPARE(rig->device->getBank(0x3F08)->patchName(0), voice->voiceName());
        QVERIFY(voice->voiceName().contains(QStringLiteral(":SimV 0F00")));
    }

    // A store whose read of the edit buffer gets no answer says so and sends
    // nothing. Answered late, the store shows its progress, and Cancel
    // pressed while it waited stops it before anything is sent or stored.
    void storeStopsWithoutTheEditBuffer()
    {
        auto window = connected(QStringLiteral("voice"));
        QVERIFY(window);
        window->patchEdit()->setPatch(Patch(0x3F08, 0));
        const QByteArray stored = sim()->image(0x0800);

        sim()->setFault(Sim::BulkReply, Sim::Fault::Drop, -1, 1);
        prompts->script(Kind::YesNo, true);
        window->onCommand(VeskVoice::StoreCommand);
        QCOMPARE(errors(*prompts),
                 QStringList{QStringLiteral("Receive timeout!\n\nNothing was stored to USER1:001 (A01).")});
        QCOMPARE(prompts->last(Kind::Error).title, QStringLiteral("Store"));
        QCOMPARE(Wire::withoutWaveAsks(Wire::take(*bus, sim())), QStringList{"request 0E0F00"});

        sim()->setFault(Sim::BulkReply, Sim::Fault::Delay, 1500, 1);
        prompts->script(Kind::YesNo, true);
        auto seen = cancelWhenShown();
        window->onCommand(VeskVoice::StoreCommand);
        QVERIFY(seen->found && seen->canceled);
        QCOMPARE(seen->title, QStringLiteral("Store"));
        QCOMPARE(seen->text, QStringLiteral("Receiving edit buffer..."));
        QVERIFY(!shownProgress());
        QVERIFY(bus->waitIdle());
        QCOMPARE(Wire::withoutWaveAsks(Wire::take(*bus, sim())), QStringList{"request 0E0F00"});
        QCOMPARE(sim()->counters().storeAll, 0);
        QCOMPARE(sim()->image(0x0800), stored);
        QCOMPARE(errors(*prompts).size(), 1);
    }

    void storeRefused_data()
    {
        QTest::addColumn<uint>("target");
        QTest::addColumn<QString>("shown");
        QTest::newRow("a preset") << 0x3F0000u << "PRE1:001 (A01)";
        QTest::newRow("GM") << 0x000005u << "GM:006 (A06)";
        // The voice editor's device knows no drum kit bank by name.
        QTest::newRow("the user drum kits") << 0x3F2800u << "063/040:001 (A01)";
    }

    // Only a program of the voice user banks takes a voice: any other
    // target is refused before anything is asked or sent.
    void storeRefused()
    {
        QFETCH(uint, target);
        QFETCH(QString, shown);
        auto window = connected(QStringLiteral("voice"));
        QVERIFY(window);
        const QByteArray editBuffer = sim()->image(0x0F00);
        window->patchEdit()->setPatch(Patch(target));
        window->onCommand(VeskVoice::StoreCommand);
        QCOMPARE(Wire::take(*bus, sim()), QStringList());
        QCOMPARE(prompts->count(Kind::YesNo), 0);
        const QStringList shownErrors = errors(*prompts);
        QCOMPARE(shownErrors.size(), 1);
        QVERIFY2(shownErrors.first().startsWith(QStringLiteral("Cannot store to ") + shown + "\n\n"),
                 qPrintable(shownErrors.first()));
        QCOMPARE(sim()->image(0x0F00), editBuffer);
    }

    // "Store to" with the bank menu closed asks and sends nothing.
    void storeToMenuClosed()
    {
        auto window = connected(QStringLiteral("drum"));
        QVERIFY(window);
        window->onCommand(VeskDrum::StoreToCommand);
        QCOMPARE(prompts->count(Kind::Popup), 1);
        QCOMPARE(prompts->count(Kind::YesNo), 0);
        QCOMPARE(Wire::take(*bus, sim()), QStringList());
    }

    void initialise_data()
    {
        QTest::addColumn<QString>("editor");
        QTest::addColumn<int>("command");
        QTest::newRow("voice") << "voice" << int(VeskVoice::InitCommand);
        QTest::newRow("drum kit") << "drum" << int(VeskDrum::InitCommand);
        QTest::newRow("performance") << "perf" << int(VeskPerf::InitCommand);
        QTest::newRow("master") << "master" << int(VeskMaster::InitCommand);
        QTest::newRow("mix") << "mix" << int(VeskMix::ResetMixCommand);
    }

    // The initial patch goes to the edit buffer as one block and is read
    // back: the instrument's edit buffer is the initial patch afterwards.
    void initialise()
    {
        QFETCH(QString, editor);
        QFETCH(int, command);
        const Wire::Kind kind = Wire::kind(editor);
        auto window = connected(editor);
        QVERIFY(window);
        const unsigned int first = rig->device->initDump(kind.dumpType)->first()->address();
        Wire::setBlockBytes(sim(), kind.editBuffer, first, Wire::pattern(200, 3));
        const QByteArray initial = sim()->inspect([&](const Sim::Instrument& i) {
            return i.memory().layout(Sim::PatchType(kind.dumpType)).init;
        });
        QVERIFY(sim()->image(kind.editBuffer) != initial);
        window->onCommand(command);
        QCOMPARE(Wire::withoutAsks(Wire::withoutWaveAsks(Wire::take(*bus, sim()))),
                 Wire::blockTexts(*rig->device, kind.dumpType, kind.editBuffer) +
                     QStringList{Wire::request(kind.editBuffer)});
        QCOMPARE(sim()->image(kind.editBuffer), initial);
    }

    // GM System On resets the mix, which is then read.
    void gmReset()
    {
        auto window = connected(QStringLiteral("mix"));
        QVERIFY(window);
        Wire::setBlockBytes(sim(), 0x5F00, 0x370000, Wire::pattern(40, 5));
        window->onCommand(VeskMix::GmResetCommand);
        QCOMPARE(Wire::withoutAsks(Wire::take(*bus, sim())), (QStringList{"GM on", "request 0E5F00"}));
        QCOMPARE(sim()->image(0x5F00),
                 sim()->inspect([](const Sim::Instrument& i) { return i.memory().layout(Sim::Mix).init; }));
    }

    void bankReads_data()
    {
        QTest::addColumn<QString>("editor");
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("title");
        QTest::addColumn<unsigned int>("firstBlock");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("last"); // the last message after the names
        QTest::newRow("drum kit: the user kits")
            << "drum" << int(VeskDrum::ReadUserDrumKitsCommand) << "Receive Voices" << 0x2800u << 32 << "";
        QTest::newRow("performance: the performances, then Performance mode again")
            << "perf" << int(VeskPerf::ReadPerformancesCommand) << "Receive Performances" << 0x4000u << 128
            << "set 0A0001 01";
        QTest::newRow("mix: no multis") << "mix" << int(VeskMix::ReadMultisCommand) << "" << 0u << 0 << "";
    }

    // The ticked banks' programs are requested one by one, each at its
    // location; the editors that leave their mode set it again afterwards.
    void bankReads()
    {
        QFETCH(QString, editor);
        QFETCH(int, command);
        QFETCH(QString, title);
        QFETCH(unsigned int, firstBlock);
        QFETCH(int, count);
        QFETCH(QString, last);
        auto window = connected(editor);
        QVERIFY(window);
        TaskRecorder display;
        prompts->script(Kind::Dialog, int(QDialog::Accepted));
        window->onCommand(command);
        QStringList expected;
        for (int p = 0; p < count; ++p)
            expected.append(Wire::request(firstBlock + unsigned(p)));
        const auto done = [&] {
            const QStringList texts = Wire::received(*bus, sim());
            return requestsOnly(texts).size() == count && (last.isEmpty() || texts.endsWith(last));
        };
        QTRY_VERIFY_WITH_TIMEOUT(done(), 60000);
        // Waits for the job to end: nothing can ask after it.
        QTRY_VERIFY_WITH_TIMEOUT(count == 0 || display.allEnded(), Waiting::EventMs);
        QCOMPARE(requestsOnly(Wire::received(*bus, sim())), expected);
        QCOMPARE(prompts->count(Kind::Dialog), count ? 1 : 0);
        if (count)
            QCOMPARE(prompts->last(Kind::Dialog).title, title);
    }

    // A bank read that the instrument stops answering at the sixth kit shows
    // its progress with five steps, then tells the user why it stopped.
    void bankReadStopsAtAFault()
    {
        TaskDisplay display;
        auto window = connected(QStringLiteral("drum"));
        QVERIFY(window);
        sim()->setFault(Sim::BulkReply, Sim::Fault::Drop, -1, -1, 5);
        prompts->script(Kind::Dialog, int(QDialog::Accepted));
        window->onCommand(VeskDrum::ReadUserDrumKitsCommand);
        QTRY_VERIFY_WITH_TIMEOUT(shownProgress() && seeProgress(shownProgress()).value == 5, 30000);
        QCOMPARE(seeProgress(shownProgress()).title, QStringLiteral("Receive Banks"));
        QTRY_COMPARE_WITH_TIMEOUT(errors(*prompts).size(), 1, 30000);
        QVERIFY2(errors(*prompts).first().startsWith(QStringLiteral("Receive timeout!")),
                 qPrintable(errors(*prompts).first()));
        QCOMPARE(prompts->last(Kind::Error).title, QStringLiteral("Receive Banks"));
        QVERIFY(!shownProgress());
        QCOMPARE(requestsOnly(Wire::received(*bus, sim())).size(), 6);
    }

    // The settings and help commands through the prompts; an id of no
    // command of the window does nothing.
    void settingsAndHelp()
    {
        auto window = connected(QStringLiteral("voice"));
        QVERIFY(window);
        prompts->script(Kind::Document, true);
        window->onCommand(VeskVoice::ManualCommand);
        QCOMPARE(prompts->last(Kind::Document).text, QCoreApplication::applicationDirPath() + "/VeskVoice.pdf");
        // The about box shows the program's picture.
        QDir::setSearchPaths(QStringLiteral("VeskVoice"), {QStringLiteral(":/VeskVoice/images")});
        bool pictured = false;
        prompts->onDialog([&pictured](QDialog* d) {
            auto* box = qobject_cast<QMessageBox*>(d);
            pictured = box && !box->iconPixmap().isNull();
        });
        window->onCommand(VeskVoice::AboutCommand);
        prompts->onDialog({});
        QCOMPARE(prompts->last(Kind::Dialog).title, QStringLiteral("About Vesk ES Voice Editor"));
        QVERIFY(pictured);
        window->onCommand(VeskVoice::MidiSetupCommand);
        QCOMPARE(prompts->last(Kind::Dialog).text, QStringLiteral("MidiSetupDlg"));
        window->onCommand(VeskVoice::SystemSettingsCommand);
        PanelDlg* settings = window->findChild<PanelDlg*>();
        QVERIFY(settings);
        QCOMPARE(settings->windowTitle(), QStringLiteral("System Settings"));
        window->onCommand(VeskVoice::KeyboardCommand);
        QVERIFY(window->keyboard() && window->keyboard()->isVisible());
        const int before = prompts->calls().size();
        window->onCommand(2);
        QCOMPARE(prompts->calls().size(), before);
        QCOMPARE(Wire::withoutAsks(Wire::take(*bus, sim())).filter(QStringLiteral("request")), QStringList());
    }
};

ORVANE_TEST_MAIN(TestEditorCommands)
#include "tst_commands.moc"
