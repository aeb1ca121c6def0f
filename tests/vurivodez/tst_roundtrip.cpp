// The librarian's whole road against the simulated instrument: Receive All
// into a new Ridev Library, save, close, open again, rename a voice in its
// cell, transmit it, and the instrument's memory holds the new name.
#include "LibrarianRig.h"

#include "BankSelectDlg.h"
#include "Dialog.h"
#include "Library.h"
#include "PatchDump.h"

#include <QLineEdit>
#include <QTemporaryDir>

class TestLibrarianRoundTrip : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;

private slots:
    void initTestCase()
    {
        bus = testBus();
        QVERIFY(bus);
    }

    void receiveSaveReopenRenameTransmit()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("received.all"));
        LibrarianRig rig(*bus);
        auto window = rig.build();
        ScriptedPrompts prompts;
        QVERIFY(showLoaded(*window));
        QVERIFY(waitConnected(*window));
        window->onCommand(VeskLib::cmdNewRidevLibrary);
        LibraryView* view = window->currentLibraryView();

        // Receive All, of the first user bank: every program into its slot.
        QString offered;
        prompts.onDialog([&offered](QDialog* d) {
            auto* dialog = qobject_cast<BankSelectDlg*>(d);
            if (!dialog)
                return;
            offered = dialog->windowTitle();
            dialog->onLink(QStringLiteral("none"));
            dialog->checkList()->setChecked(0, true);
        });
        prompts.script(ScriptedPrompts::Kind::Dialog, int(QDialog::Accepted));
        window->onCommand(VeskLib::cmdReceiveAll);
        prompts.onDialog(nullptr);
        QCOMPARE(offered, QStringLiteral("Receive All"));
        QVERIFY(QTest::qWaitFor([&] { return view->isWindowModified(); }, 120000));
        BankPatchGroup* user1 = view->library()->getBankPatchGroup(0x3F08);
        for (int program : {0, 5, 127})
            QCOMPARE(user1->patchDumpAt(program)->name(false), rig.sim->sim().name(0x0800 + program).trimmed());
        QVERIFY(view->canUndo());

        // Save, close, open again.
        prompts.script(ScriptedPrompts::Kind::FileSave, path);
        window->onCommand(VeskLib::cmdSave);
        QVERIFY(!view->isWindowModified());
        window->onCommand(VeskLib::cmdClose);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(window->views().isEmpty());
        window->openFile(path);
        view = window->currentLibraryView();
        QVERIFY(view);
        user1 = view->library()->getBankPatchGroup(0x3F08);
        QCOMPARE(user1->patchDumpAt(5)->name(false), rig.sim->sim().name(0x0805).trimmed());

        // Rename program 5 in its cell.
        view->selectPatch(Patch(0x3F08, 5));
        VoicesListView* list = view->voicesList();
        window->onCommand(VeskLib::cmdRename);
        auto* line = qobject_cast<QLineEdit*>(list->indexWidget(list->model()->index(5, 0)));
        QVERIFY(line);
        line->setText(QStringLiteral("Renamed"));
        QTest::keyClick(line, Qt::Key_Return);
        QTRY_COMPARE(user1->patchDumpAt(5)->name(false), QStringLiteral("Renamed"));
        QVERIFY(view->isWindowModified());

        // Transmit it: the instrument holds the new name.
        list->setCurSel(5, 0);
        window->onUpdateUi();
        QVERIFY(window->command(VeskLib::cmdTransmit)->isEnabled());
        window->onCommand(VeskLib::cmdTransmit);
        QTRY_VERIFY_WITH_TIMEOUT(rig.sim->sim().name(0x0805) == QStringLiteral("Renamed   "), 60000);
        QCOMPARE(rig.sim->sim().name(0x0804).trimmed(), user1->patchDumpAt(4)->name(false));
        // The rename is in the file once saved again.
        window->onCommand(VeskLib::cmdSave);
        window->onCommand(VeskLib::cmdCloseAll);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        window->openFile(path);
        QCOMPARE(window->currentLibraryView()->library()->getBankPatchGroup(0x3F08)->patchDumpAt(5)->name(false),
                 QStringLiteral("Renamed"));
    }

    void transmitAllOnlyForARidevLibrary()
    {
        LibrarianRig rig(*bus);
        auto window = rig.build();
        ScriptedPrompts prompts;
        window->newFile(1);
        window->onUpdateUi();
        QVERIFY(!window->command(VeskLib::cmdTransmitAll)->isEnabled());
        // Even when triggered, nothing shows; Receive All of a Voice
        // Library offers the device's voice banks.
        int dialogs = 0;
        QStringList texts;
        prompts.onDialog([&](QDialog* dialog) {
            ++dialogs;
            for (QLabel* label : dialog->findChildren<QLabel*>())
                texts << label->text();
        });
        prompts.script(ScriptedPrompts::Kind::Dialog, int(QDialog::Rejected));
        window->onCommand(VeskLib::cmdTransmitAll);
        window->onCommand(VeskLib::cmdReceiveAll);
        QCOMPARE(dialogs, 1);
        QVERIFY2(texts.contains(QStringLiteral("Select voice banks to receive:")), qPrintable(texts.join('|')));
    }
};

ORVANE_TEST_MAIN(TestLibrarianRoundTrip)
#include "tst_roundtrip.moc"
