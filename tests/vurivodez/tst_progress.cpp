// The librarian's transfers as the user sees them, against the simulated
// instrument's faults: Receive All shows its progress and says why it
// stopped; Cancel during Transmit All sends nothing more and stores nothing;
// an editor being started shows that it is starting.
#include "LibrarianRig.h"

#include "BankSelectDlg.h"
#include "Dialog.h"
#include "Instance.h"
#include "Library.h"
#include "LibraryFixture.h"
#include "PatchDump.h"
#include "ProgressDlg.h"
#include "ProgressWindows.h"

#include <QLocalServer>
#include <QStatusBar>

namespace {

using Kind = ScriptedPrompts::Kind;
constexpr unsigned short User1 = 0x3F08;

// Answers the bank dialog of Receive All or Transmit All with the first
// user bank alone.
void chooseFirstUserBank(ScriptedPrompts& prompts)
{
    prompts.onDialog([](QDialog* d) {
        auto* dialog = qobject_cast<BankSelectDlg*>(d);
        if (!dialog)
            return;
        dialog->onLink(QStringLiteral("none"));
        dialog->checkList()->setChecked(0, true);
    });
    prompts.script(Kind::Dialog, int(QDialog::Accepted));
}

} // namespace

class TestLibrarianProgress : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;

private slots:
    void initTestCase()
    {
        bus = testBus();
        QVERIFY(bus);
    }

    // The instrument stops answering at the fourth voice: the window shows
    // the job with three steps, then "Receive timeout!" and the patch reach
    // the user; the three voices are in, the fourth slot is as it was.
    void receiveAllStopsAtAFault()
    {
        LibrarianRig rig(*bus);
        auto window = rig.build();
        ScriptedPrompts prompts;
        TaskDisplay display;
        QVERIFY(showLoaded(*window));
        QVERIFY(waitConnected(*window));
        window->onCommand(VeskLib::cmdNewRidevLibrary);
        LibraryView* view = window->currentLibraryView();
        BankPatchGroup* user1 = view->library()->getBankPatchGroup(User1);
        MakePatch(user1->patchDumpAt(3), QStringLiteral("Kept"));

        rig.sim->sim().setFault(Sim::BulkReply, Sim::Fault::Drop, -1, -1, 3);
        chooseFirstUserBank(prompts);
        window->onCommand(VeskLib::cmdReceiveAll);
        prompts.onDialog(nullptr);

        QTRY_VERIFY_WITH_TIMEOUT(shownProgress() && seeProgress(shownProgress()).value == 3, 30000);
        const ProgressSeen seen = seeProgress(shownProgress());
        QCOMPARE(seen.title, QStringLiteral("Receive All"));
        QVERIFY2(seen.text.startsWith(QStringLiteral("USER1:003 (A03) ")), qPrintable(seen.text));
        QTRY_COMPARE_WITH_TIMEOUT(prompts.count(Kind::Error), 1, 30000);
        const ScriptedPrompts::Call shown = prompts.last(Kind::Error);
        QVERIFY2(shown.text.startsWith(QStringLiteral("Receive timeout!\n\nUSER1:004 (A04)")), qPrintable(shown.text));
        QCOMPARE(shown.title, QStringLiteral("Receive All"));
        QVERIFY(!shownProgress());
        for (int program = 0; program < 3; ++program)
            QCOMPARE(user1->patchDumpAt(program)->name(false), rig.sim->sim().name(0x0800 + program).trimmed());
        QCOMPARE(user1->patchDumpAt(3)->name(false), QStringLiteral("Kept"));
        QVERIFY(user1->patchDumpAt(4)->isEmpty());
        QVERIFY(view->isWindowModified());
    }

    // Cancel while Transmit All sends: the voice under way goes out whole,
    // nothing after it, and no store-all message.
    void cancelledTransmitAllSendsNothingMore()
    {
        LibrarianRig rig(*bus);
        auto window = rig.build();
        ScriptedPrompts prompts;
        TaskDisplay display;
        QVERIFY(showLoaded(*window));
        QVERIFY(waitConnected(*window));
        window->onCommand(VeskLib::cmdNewRidevLibrary);
        LibraryView* view = window->currentLibraryView();
        BankPatchGroup* user1 = view->library()->getBankPatchGroup(User1);
        for (int program = 0; program < user1->itemCount(); ++program)
            MakePatch(user1->patchDumpAt(program), QStringLiteral("Sent %1").arg(program));
        // The device's pause after each message: the job takes seconds.
        window->midiDevice()->setDelay(5);
        const QByteArray last = rig.sim->sim().image(0x0800 + 127);

        chooseFirstUserBank(prompts);
        window->onCommand(VeskLib::cmdTransmitAll);
        prompts.onDialog(nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(shownProgress() && seeProgress(shownProgress()).value >= 2, 60000);
        QCOMPARE(seeProgress(shownProgress()).title, QStringLiteral("Transmit All"));
        QVERIFY(pressCancel(shownProgress()));
        QTRY_VERIFY_WITH_TIMEOUT(!view->isTransferring(), 30000);
        QVERIFY(!shownProgress());

        // The job is over: what it sent has all arrived once the bus is idle.
        bus->waitIdle();
        QCOMPARE(rig.sim->sim().counters().storeAll, 0);
        // Voices 1 and 2 went out; the cancel came long before the last one.
        QCOMPARE(rig.sim->sim().name(0x0800 + 1).trimmed(), QStringLiteral("Sent 1"));
        QCOMPARE(rig.sim->sim().image(0x0800 + 127), last);
        QCOMPARE(prompts.count(Kind::Error), 0);
    }

    // An editor being started: the status line says so until the editor
    // answers as its program's running instance.
    void editorStartShowsUntilTheEditorRuns()
    {
        LibrarianRig rig(*bus);
        auto window = rig.build();
        ScriptedPrompts prompts;
        RecordingLauncher launcher;
        QVERIFY(showLoaded(*window));
        window->onCommand(VeskLib::cmdVoiceEditor);
        QCOMPARE(launcher.starts.size(), 1);
        QCOMPARE(window->statusBar()->currentMessage(), QStringLiteral("Starting the Vesk ES Voice Editor..."));
        QVERIFY(QGuiApplication::overrideCursor());

        // The editor's instance comes up.
        QLocalServer editor;
        const QString name = Instance::socketName(VeskLib::EditorOrganisation, QStringLiteral("Vesk ES Voice Editor"));
        QLocalServer::removeServer(name);
        QVERIFY(editor.listen(name));
        QTRY_COMPARE_WITH_TIMEOUT(window->statusBar()->currentMessage(), QString(), 30000);
        QVERIFY(!QGuiApplication::overrideCursor());
        QCOMPARE(prompts.calls().size(), 0);

        // A start the system refuses is told at once, and nothing waits.
        launcher.refuse << QStringLiteral("VeskDrum");
        window->onCommand(VeskLib::cmdDrumEditor);
        QCOMPARE(prompts.count(Kind::Error), 1);
        QVERIFY(prompts.last(Kind::Error).text.startsWith(QStringLiteral("Cannot start the editor")));
        QVERIFY(!QGuiApplication::overrideCursor());
    }
};

ORVANE_TEST_MAIN(TestLibrarianProgress)
#include "tst_progress.moc"
