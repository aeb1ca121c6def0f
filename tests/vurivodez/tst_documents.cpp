// The librarian's documents: new, save (an untitled one asks where), close
// (a modified one asks first), open (a file already open comes to the front,
// a file that is no library opens nothing), undo and redo, a file handed over
// by a second start, the search, and the export of the patch names.
#include "LibrarianRig.h"
#include "LibraryFixture.h"

#include "Library.h"
#include "ParamSearchDlg.h"
#include "PatchDump.h"

#include <QMdiArea>
#include <QTemporaryDir>
#include <QTreeWidget>

class TestLibrarianDocuments : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;
    QTemporaryDir dir;

    QString path(const char* name) { return dir.filePath(QLatin1String(name)); }

private slots:
    void initTestCase()
    {
        bus = testBus();
        QVERIFY(bus);
        QVERIFY(dir.isValid());
    }

    void saveCloseAndOpen()
    {
        LibrarianRig rig(*bus);
        auto window = rig.build();
        ScriptedPrompts prompts;
        window->onCommand(VeskLib::cmdNewRidevLibrary);
        LibraryView* view = window->currentLibraryView();
        QCOMPARE(view->windowTitle(), QStringLiteral("Ridev Library 1[*]"));
        MakePatch(view->library()->getBankPatchGroup(0x3F09)->patchDumpAt(5), QStringLiteral("Keep Me"));
        view->setWindowModified(true);

        // Untitled: Save asks where, proposing the document's name; the
        // extension is added.
        prompts.script(ScriptedPrompts::Kind::FileSave, path("mine"));
        window->onCommand(VeskLib::cmdSave);
        QCOMPARE(prompts.last(ScriptedPrompts::Kind::FileSave).start, QStringLiteral("Ridev Library 1.all"));
        QCOMPARE(view->filePath(), path("mine.all"));
        QVERIFY(!view->isWindowModified());
        QCOMPARE(view->windowTitle(), QStringLiteral("mine.all[*]"));
        QCOMPARE(window->recentFiles().value(0), path("mine.all"));
        // Titled: Save writes without asking.
        view->setWindowModified(true);
        window->onCommand(VeskLib::cmdSave);
        QCOMPARE(prompts.count(ScriptedPrompts::Kind::FileSave), 1);

        // Close asks for a modified document; Cancel keeps it open.
        view->setWindowModified(true);
        prompts.script(ScriptedPrompts::Kind::Save, int(PromptSaveCancel));
        window->onCommand(VeskLib::cmdClose);
        QCOMPARE(window->views().size(), 1);
        prompts.script(ScriptedPrompts::Kind::Save, int(PromptSaveDiscard));
        window->onCommand(VeskLib::cmdClose);
        // Waits for what the close posted to have been handled.
        QVERIFY(Waiting::drainPosted());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(window->views().isEmpty());
        QCOMPARE(window->currentLibraryView(), nullptr);

        // Open: the saved content; a second open of the same file brings the
        // open view to the front.
        prompts.script(ScriptedPrompts::Kind::FilesOpen, QStringList{path("mine.all")});
        window->onCommand(VeskLib::cmdOpen);
        QCOMPARE(window->views().size(), 1);
        view = window->currentLibraryView();
        QCOMPARE(view->documentType(), 0);
        QCOMPARE(view->library()->getBankPatchGroup(0x3F09)->patchDumpAt(5)->name(false), QStringLiteral("Keep Me"));
        QVERIFY(prompts.last(ScriptedPrompts::Kind::FilesOpen).filter.startsWith(
            QLatin1String("Ridev Vurivodez Files (*.all *.vlib)")));
        window->openFile(path("mine.all"));
        QCOMPARE(window->views().size(), 1);
    }

    void filesThatAreNoLibraryOpenNothing()
    {
        LibrarianRig rig(*bus);
        auto window = rig.build();
        ScriptedPrompts prompts;
        QFile text(path("readme.all"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("no library here\n");
        text.close();
        window->openFile(path("readme.all"));
        window->openFile(path("missing.vlib"));
        QVERIFY(window->views().isEmpty());
        QCOMPARE(prompts.count(ScriptedPrompts::Kind::Error), 2);
        QVERIFY(prompts.calls().at(0).text.startsWith(QLatin1String("Cannot open file")));
    }

    void secondStartHandsItsFileOver()
    {
        LibrarianRig rig(*bus);
        auto window = rig.build();
        ScriptedPrompts prompts;
        prompts.script(ScriptedPrompts::Kind::FileSave, path("handed.vlib"));
        window->newFile(1);
        QVERIFY(window->currentLibraryView()->saveAs());
        window->closeAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        window->onInstanceData(path("handed.vlib"));
        QCOMPARE(window->views().size(), 1);
        QCOMPARE(window->currentLibraryView()->documentType(), 1);
    }

    void undoAndRedo()
    {
        LibrarianRig rig(*bus);
        auto window = rig.build();
        window->newFile(0);
        LibraryView* view = window->currentLibraryView();
        window->onUpdateUi();
        QVERIFY(!window->command(VeskLib::cmdUndo)->isEnabled());
        PatchDump* slot = view->library()->getBankPatchGroup(0x3F08)->patchDumpAt(0);
        MakePatch(slot, QStringLiteral("Step One"));
        view->undoCheck();
        MakePatch(view->library()->getBankPatchGroup(0x3F08)->patchDumpAt(0), QStringLiteral("Step Two"));
        view->undoCheck();
        window->onUpdateUi();
        QVERIFY(window->command(VeskLib::cmdUndo)->isEnabled());
        const auto name = [&] { return view->library()->getBankPatchGroup(0x3F08)->patchDumpAt(0)->name(false); };
        window->onCommand(VeskLib::cmdUndo);
        QCOMPARE(name(), QStringLiteral("Step One"));
        window->onCommand(VeskLib::cmdUndo);
        QVERIFY(view->library()->getBankPatchGroup(0x3F08)->patchDumpAt(0)->isEmpty());
        QVERIFY(!view->canUndo());
        window->onCommand(VeskLib::cmdRedo);
        window->onCommand(VeskLib::cmdRedo);
        QCOMPARE(name(), QStringLiteral("Step Two"));
        QVERIFY(!view->canRedo());
        // A new step after an undo drops what was undone.
        window->onCommand(VeskLib::cmdUndo);
        view->undoCheck();
        QVERIFY(!view->canRedo());
    }

    void copyPasteAndSwapBetweenViews()
    {
        LibrarianRig rig(*bus);
        auto window = rig.build();
        ScriptedPrompts prompts;
        window->newFile(0);
        LibraryView* source = window->currentLibraryView();
        BankPatchGroup* user1 = source->library()->getBankPatchGroup(0x3F08);
        MakePatch(user1->patchDumpAt(0), QStringLiteral("One"));
        MakePatch(user1->patchDumpAt(2), QStringLiteral("Three"));
        source->updateView(false);

        // A folder shown: copy leaves the clipboard as it was.
        source->selectPatch(QStringLiteral("Voices"), 0);
        window->onCommand(VeskLib::cmdCopy);
        QVERIFY(window->clipboard().dumps()->isEmpty());

        // Three rows, one of them empty: two patches.
        source->selectPatch(Patch(0x3F08, 0));
        VoicesListView* list = source->voicesList();
        for (int row : {0, 1, 2})
            list->setRowSelected(row, true);
        window->onCommand(VeskLib::cmdCopy);
        QCOMPARE(window->clipboard().dumps()->size(), 2);
        QVERIFY(window->allowSwap());

        // Another view: swap does nothing, paste works.
        window->newFile(0);
        LibraryView* target = window->currentLibraryView();
        QVERIFY(target != source);
        QVERIFY(!window->allowSwap());
        target->selectPatch(Patch(0x3F09, 4));
        window->onCommand(VeskLib::cmdSwap);
        QVERIFY(target->library()->getBankPatchGroup(0x3F09)->patchDumpAt(4)->isEmpty());
        window->onCommand(VeskLib::cmdPaste);
        QCOMPARE(target->library()->getBankPatchGroup(0x3F09)->patchDumpAt(4)->name(false), QStringLiteral("One"));

        // The source closes: the copies stay and still paste.
        source->setWindowModified(false);
        QVERIFY(source->closeView());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(window->clipboard().view(), nullptr);
        QCOMPARE(window->clipboard().dumps()->size(), 2);
        target->selectPatch(Patch(0x3F09, 10));
        window->onCommand(VeskLib::cmdPaste);
        QCOMPARE(target->library()->getBankPatchGroup(0x3F09)->patchDumpAt(10)->name(false), QStringLiteral("One"));
    }

    void patchContextMenu()
    {
        LibrarianRig rig(*bus);
        auto window = rig.build();
        ScriptedPrompts prompts;
        window->newFile(0);
        window->currentLibraryView()->selectPatch(Patch(0x3F08, 0));
        prompts.script(ScriptedPrompts::Kind::Popup, QVariant());
        window->onCommand(cmdPatchContextMenu);
        QCOMPARE(prompts.count(ScriptedPrompts::Kind::Popup), 1);
        // No default action remains afterwards.
        QCOMPARE(window->patchMenu()->defaultAction(), nullptr);
    }

    // Search: the row the user picks is the patch the view selects once the
    // dialog is accepted; cancelled, the selection stays.
    void searchSelectsThePatchChosen()
    {
        LibrarianRig rig(*bus);
        auto window = rig.build();
        ScriptedPrompts prompts;
        window->newFile(0);
        LibraryView* view = window->currentLibraryView();
        BankPatchGroup* user2 = view->library()->getBankPatchGroup(0x3F09);
        MakePatch(view->library()->getBankPatchGroup(0x3F08)->patchDumpAt(0), QStringLiteral("First"));
        MakePatch(user2->patchDumpAt(6), QStringLiteral("Wanted"));
        view->updateView(false);
        view->selectPatch(Patch(0x3F08, 0));

        QStringList rows;
        prompts.onDialog([&rows](QDialog* dialog) {
            auto* search = qobject_cast<ParamSearchDlg*>(dialog);
            if (!search)
                return;
            QTreeWidget* list = search->list();
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                rows << list->topLevelItem(i)->text(0);
                if (rows.last().contains(QLatin1String("Wanted")))
                    list->setCurrentItem(list->topLevelItem(i));
            }
        });
        prompts.script(ScriptedPrompts::Kind::Dialog, int(QDialog::Rejected));
        window->onCommand(VeskLib::cmdSearch);
        QCOMPARE(prompts.last(ScriptedPrompts::Kind::Dialog).text, QStringLiteral("ParamSearchDlg"));
        QCOMPARE(rows.size(), 2);
        QCOMPARE(view->selectedLibrary(), view->library()->getBankPatchGroup(0x3F08));
        QCOMPARE(view->voicesList()->curSel(), 0);

        prompts.script(ScriptedPrompts::Kind::Dialog, int(QDialog::Accepted));
        window->onCommand(VeskLib::cmdSearch);
        QCOMPARE(prompts.count(ScriptedPrompts::Kind::Dialog), 2);
        QCOMPARE(view->selectedLibrary(), user2);
        QCOMPARE(view->voicesList()->curSel(), 6);
    }

    void exportNames()
    {
        LibrarianRig rig(*bus);
        auto window = rig.build();
        ScriptedPrompts prompts;
        window->newFile(1);
        LibraryView* view = window->currentLibraryView();
        AppendPatch(view->library()->getTypePatchGroup(0), QStringLiteral("Lead"), QString(), QStringLiteral("bright"));
        AppendPatch(view->library()->getTypePatchGroup(1), QStringLiteral("Kit"));

        // A library never saved proposes what the extension change makes of
        // no path.
        prompts.script(ScriptedPrompts::Kind::FileSave, path("names.txt"));
        window->onCommand(VeskLib::cmdExportNames);
        const ScriptedPrompts::Call asked = prompts.last(ScriptedPrompts::Kind::FileSave);
        QCOMPARE(asked.title, QStringLiteral("Export"));
        QCOMPARE(asked.start, QStringLiteral("Untitled.txt"));
        QFile file(path("names.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        QCOMPARE(QString::fromUtf8(file.readAll()),
                 QStringLiteral("Normal Voices\n\n   1\t\t%1\t\tbright\n\nDrum Kits\n\n   1\t\t%2\t\t\n\n")
                     .arg(view->library()->getTypePatchGroup(0)->patchDumpAt(0)->name(true),
                          view->library()->getTypePatchGroup(1)->patchDumpAt(0)->name(true)));

        // A file that cannot be written is reported (the old content stays).
        prompts.script(ScriptedPrompts::Kind::FileSave, dir.filePath(QStringLiteral("no/such/folder/names.txt")));
        window->onCommand(VeskLib::cmdExportNames);
        QCOMPARE(prompts.count(ScriptedPrompts::Kind::Error), 1);
        QVERIFY(prompts.last(ScriptedPrompts::Kind::Error).text.startsWith(QLatin1String("Cannot save file")));

        // The instrument definition file has its command too.
        prompts.script(ScriptedPrompts::Kind::FileSave, path("names.ins"));
        window->onCommand(VeskLib::cmdExportInsFile);
        QFile ins(path("names.ins"));
        QVERIFY(ins.open(QIODevice::ReadOnly | QIODevice::Text));
        QVERIFY(ins.readAll().endsWith("Patch[*]=1..128\n"));
    }
};

ORVANE_TEST_MAIN(TestLibrarianDocuments)
#include "tst_documents.moc"
