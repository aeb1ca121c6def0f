// The librarian's commands: the table of ids with their texts, shortcuts and
// icons, the dispatch, the enable and visibility rules, copy, paste and swap
// between views, and the export of names.
#include "VeskLib.h"

#include "Application.h"
#include "BankSelectDlg.h"
#include "BanksTreeCtrl.h"
#include "DeviceBank.h"
#include "Launcher.h"
#include "Library.h"
#include "LibraryView.h"
#include "MidiDevice.h"
#include "MidiSetupDlg.h"
#include "ParamSearchDlg.h"
#include "Paths.h"
#include "PatchDump.h"
#include "PatchGroupList.h"
#include "PreferencesDlg.h"
#include "Prompts.h"
#include "VoicesListView.h"
#include "WaitCursor.h"

#include <QAction>
#include <QCursor>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMenuBar>
#include <QSaveFile>
#include <QToolBar>

void VeskLib::createCommands()
{
    struct Entry
    {
        int id;
        const char* text;
        QKeySequence key;
        const char* icon;
    };
    const auto tr = [](const char* key) { return QKeySequence(VeskLib::tr(key)); };
    const Entry entries[] = {
        {cmdNewRidevLibrary, "New &Ridev Library", {}, "vesklib:RidevLibrary.png"},
        {cmdNewVoiceLibrary, "New &Voice Library", {}, "vesklib:VoiceLibrary.png"},
        {cmdNew, "&New...", QKeySequence::New, "core:gnu/cc-new2.png"},
        {cmdOpen, "&Open...", QKeySequence::Open, "core:gnu/cc-open2.png"},
        {cmdClose, "&Close", {}, ""},
        {cmdCloseAll, "Close All", {}, ""},
        {cmdSave, "&Save", QKeySequence::Save, "core:save2.png"},
        {cmdSaveAs, "Save &As...", QKeySequence::SaveAs, ""},
        {cmdExit, "E&xit", {}, ""},
        {cmdImportNative, "Import Native File...", {}, ":/vesk/images/vesk.png"},
        {cmdExportNames, "Export Patches Names...", {}, ""},
        {cmdExportInsFile, "Export Instrument Definition File...", {}, ""},
        {cmdUndo, "&Undo", QKeySequence::Undo, "core:sl2/undo.png"},
        {cmdRedo, "&Redo", QKeySequence::Redo, "core:sl2/redo.png"},
        {cmdTransmitAll, "&Transmit All...", {}, "core:misc/up.png"},
        {cmdReceiveAll, "Recei&ve All...", {}, "core:misc/down.png"},
        {cmdRemoveDuplicates, "Remove &Duplicates...", {}, ""},
        {cmdSelectAll, "Select &All", QKeySequence::SelectAll, ""},
        {cmdInvertSelection, "&Invert Selection", {}, ""},
        {cmdSearch, "&Search...", QKeySequence(Qt::Key_F3), "core:gnu/nv-find.png"},
        {cmdEditorsToolbar, "&Editors Toolbar", {}, ""},
        {cmdUpFolder, "&Up Folder", {}, "core:gnu/gn-undo.png"},
        {cmdVoiceEditor, "&Voice Editor", {}, "vesklib:VeskVoice-small.png"},
        {cmdDrumEditor, "&Drum Kit Editor", {}, "vesklib:VeskDrum-small.png"},
        {cmdPerformanceEditor, "&Performance Editor", {}, "vesklib:VeskPerf.png"},
        {cmdMixEditor, "&Mix Editor", {}, "vesklib:VeskMix.png"},
        {cmdMasterEditor, "Ma&ster Editor", {}, "vesklib:VeskMaster.png"},
        {cmdNewPatch, "&New Patch", {}, ""},
        {cmdEdit, "Edit", {}, ""},
        {cmdSendToEditBuffer, "Send to &Edit Buffer", tr("Enter"), ""},
        {cmdReceiveFromEditBuffer, "Receive &from Edit Buffer", {}, ""},
        {cmdTransmit, "&Transmit", tr("Ctrl+Right"), "core:to.png"},
        {cmdReceive, "&Receive", tr("Ctrl+Left"), "core:from.png"},
        {cmdTransmitChildren, "Transmit Child Patches", {}, ""},
        {cmdReceiveChildren, "Receive Child Patches", {}, ""},
        {cmdCopy, "&Copy", QKeySequence::Copy, "core:copy2.png"},
        {cmdPaste, "&Paste", QKeySequence::Paste, "core:paste2.png"},
        {cmdSwap, "&Swap", tr("Ctrl+B"), ""},
        {cmdInitialize, "&Initialize", tr("Ctrl+I"), ""},
        {cmdRename, "Rena&me", {}, ""},
        {cmdDelete, "&Delete", QKeySequence::Delete, ""},
        {cmdProgramChange, "Send Pro&gram Change", QKeySequence(Qt::Key_F8), ""},
        {cmdRemoveDuplicatePatches, "Remove D&uplicates...", {}, ""},
        {cmdSortByName, "Sort by Name", {}, ""},
        {cmdSortByCategory, "Sort by Category", {}, ""},
        {cmdSortByComment, "Sort by Comment", {}, ""},
        {cmdProperties, "Pr&operties", {}, "core:properties.png"},
        {cmdPreferences, "&Preferences...", {}, "core:nuvola/options.png"},
        {cmdMidiSetup, "&MIDI Setup...", tr("Ctrl+M"), "core:midi2.png"},
        {cmdAutoconnect, "Auto&connect", {}, ""},
        {cmdManual, "&Manual", QKeySequence::HelpContents, "core:nuvola/pdf.png"},
        {cmdAbout, "&About", {}, ""},
    };
    for (const Entry& e : entries) {
        createCommand(e.id, QString::fromLatin1(e.text), e.key, QString::fromLatin1(e.icon));
        if (e.id == cmdEditorsToolbar)
            command(e.id)->setCheckable(true);
    }
}

void VeskLib::onUpdateUi()
{
    LibraryView* view = currentLibraryView();
    VoicesListView* list = view ? view->voicesList() : nullptr;
    const bool VIEW = view != nullptr;
    const bool RIDEV = VIEW && view->documentType() == 0;
    const bool VOICE = VIEW && view->documentType() == 1;
    const bool ROW = VIEW && list->curSel() != -1;
    PatchDump* current = VIEW ? list->currentDump() : nullptr;
    const bool DUMP = current && !current->isEmpty();
    const bool ONE = VIEW && list->validPatchSelected();
    const bool MANY = VIEW && list->validPatchesSelected();
    Library* node = VIEW ? view->selectedLibrary() : nullptr;
    const bool GROUP = node && node->children().isEmpty();
    const bool CLIP = !m_clipboard.dumps()->isEmpty();
    const bool NOROW = VOICE && !ROW;

    enableCommand(cmdSave, VIEW);
    for (int id : {cmdSaveAs, cmdClose, cmdCloseAll, cmdImportNative, cmdExportNames, cmdExportInsFile})
        showCommand(id, VIEW);
    enableCommand(cmdUndo, VIEW && view->canUndo());
    enableCommand(cmdRedo, VIEW && view->canRedo());
    enableCommand(cmdTransmitAll, RIDEV);
    for (int id : {cmdReceiveAll, cmdRemoveDuplicates, cmdSelectAll, cmdInvertSelection, cmdSearch})
        enableCommand(id, VIEW);
    enableCommand(cmdUpFolder, VIEW && view->banksTree()->canGoUp());
    checkCommand(cmdEditorsToolbar, m_editorsBar->isVisible());
    m_patchMenu->menuAction()->setVisible(VIEW);

    for (int id : {cmdSendToEditBuffer, cmdEdit}) {
        enableCommand(id, DUMP);
        hideCommand(id, NOROW);
    }
    enableCommand(cmdReceiveFromEditBuffer, ROW || (VOICE && GROUP));
    for (int id : {cmdTransmit, cmdTransmitChildren}) {
        enableCommand(id, ONE);
        hideCommand(id, VOICE);
    }
    for (int id : {cmdReceive, cmdReceiveChildren}) {
        enableCommand(id, ROW);
        hideCommand(id, VOICE);
    }
    enableCommand(cmdCopy, ONE);
    enableCommand(cmdPaste, CLIP);
    enableCommand(cmdSwap, CLIP);
    hideCommand(cmdSwap, VOICE);
    enableCommand(cmdNewPatch, true);
    showCommand(cmdNewPatch, NOROW && GROUP);
    enableCommand(cmdInitialize, ROW);
    hideCommand(cmdInitialize, NOROW);
    enableCommand(cmdRename, DUMP);
    hideCommand(cmdRename, NOROW);
    enableCommand(cmdDelete, ONE);
    hideCommand(cmdDelete, NOROW);
    enableCommand(cmdProgramChange, ROW);
    hideCommand(cmdProgramChange, VOICE);
    for (int id : {cmdRemoveDuplicatePatches, cmdSortByName, cmdSortByCategory, cmdSortByComment}) {
        enableCommand(id, MANY);
        hideCommand(id, NOROW);
    }
    m_sortAction->setEnabled(MANY);
    m_sortAction->setVisible(!NOROW);
    enableCommand(cmdProperties, ONE);
    hideCommand(cmdProperties, NOROW);
    menuBar()->update();
}

void VeskLib::onCommand(int id)
{
    switch (id) {
    case cmdNewRidevLibrary:
        newFile(0);
        return;
    case cmdNewVoiceLibrary:
        newFile(1);
        return;
    case cmdNew:
        RunPopupMenu(m_newMenu, QCursor::pos());
        return;
    case cmdOpen:
        openFile();
        return;
    case cmdExit:
        close();
        return;
    case cmdEditorsToolbar:
        toggleEditorsBar();
        return;
    default:
        break;
    }
    if (LibraryView* view = currentLibraryView()) {
        if (onViewCommand(id, view))
            return;
    }
    switch (id) {
    case cmdVoiceEditor:
        startEditor(0, QString());
        break;
    case cmdDrumEditor:
        startEditor(1, QString());
        break;
    case cmdPerformanceEditor:
        startEditor(3, QString());
        break;
    case cmdMixEditor:
        startEditor(4, QString());
        break;
    case cmdMasterEditor:
        startEditor(5, QString());
        break;
    case cmdMidiSetup: {
        MidiSetupDlg dialog(midiDevice());
        RunDialog(&dialog);
        break;
    }
    case cmdAutoconnect:
        midiDevice()->autoConnect();
        break;
    case cmdPreferences: {
        PreferencesDlg dialog(m_properties);
        RunDialog(&dialog);
        break;
    }
    case cmdAbout:
        Application::about(QStringLiteral("vesklib:VeskLib.png"));
        break;
    case cmdManual: {
        const QString manual = QCoreApplication::applicationDirPath() + QStringLiteral("/VeskLib.pdf");
        if (!ShellOpen(manual))
            error(this, QStringLiteral("Cannot open the manual\n\n%1").arg(manual));
        break;
    }
    default:
        break;
    }
}

// The commands on the view in front; false for an id that is none of them.
bool VeskLib::onViewCommand(int id, LibraryView* view)
{
    VoicesListView* list = view->voicesList();
    switch (id) {
    case cmdSave:
        view->save();
        break;
    case cmdSaveAs:
        view->saveAs();
        break;
    case cmdClose:
        view->closeView();
        break;
    case cmdCloseAll:
        closeAll();
        break;
    case cmdImportNative:
        ImportNativeFile();
        break;
    case cmdExportNames:
        exportNames();
        break;
    case cmdExportInsFile:
        exportInsFile();
        break;
    case cmdUpFolder:
        view->banksTree()->navigateUp();
        break;
    case cmdCopy:
        copyPatches();
        break;
    case cmdPaste:
        pastePatches(false);
        break;
    case cmdSwap:
        pastePatches(true);
        break;
    case cmdUndo:
        view->undo();
        break;
    case cmdRedo:
        view->redo();
        break;
    case cmdSelectAll:
        list->selectAll();
        break;
    case cmdInvertSelection: {
        QItemSelectionModel* selection = list->selectionModel();
        for (int row = 0; row < list->rows(); ++row)
            list->setRowSelected(row, !selection->isRowSelected(row, QModelIndex()));
        break;
    }
    case cmdSearch:
        patchSearch(view);
        break;
    case cmdTransmitAll:
        transmitAll(view);
        break;
    case cmdReceiveAll:
        receiveAll(view);
        break;
    case cmdRemoveDuplicates:
        view->removeDuplicates();
        break;
    case cmdEdit:
        editCurrentPatch();
        break;
    case cmdSendToEditBuffer:
        list->sendToEditBuffer();
        break;
    case cmdReceiveFromEditBuffer:
        list->receiveFromEditBuffer();
        break;
    case cmdInitialize:
        list->initSelectedPatches();
        break;
    case cmdDelete:
        list->deleteSelectedPatches();
        break;
    case cmdRename:
        list->editSelectedItem(0);
        break;
    case cmdTransmit:
        list->transmitSelectedPatches();
        break;
    case cmdReceive:
        list->receiveSelectedPatches();
        break;
    case cmdRemoveDuplicatePatches:
        list->removeDuplicatePatches();
        break;
    case cmdProperties:
        list->selectedPatchesProperties();
        break;
    case cmdProgramChange:
        list->sendProgramChange();
        break;
    case cmdNewPatch:
        list->newPatch();
        break;
    case cmdTransmitChildren:
        view->transmitChildren();
        break;
    case cmdReceiveChildren:
        view->receiveChildren();
        break;
    case cmdSortByName:
        list->sortSelected(0);
        break;
    case cmdSortByCategory:
        list->sortSelected(2);
        break;
    case cmdSortByComment:
        list->sortSelected(3);
        break;
    default:
        if (id != cmdPatchContextMenu)
            return false;
        showPatchContextMenu();
        break;
    }
    return true;
}

// The patch menu over the list, with fresh states, its default the send to
// the edit buffer (what a double click on a patch does).
void VeskLib::showPatchContextMenu()
{
    onUpdateUi();
    m_patchMenu->setDefaultAction(command(cmdSendToEditBuffer));
    RunPopupMenu(m_patchMenu, QCursor::pos());
    m_patchMenu->setDefaultAction(nullptr);
}

void VeskLib::toggleEditorsBar()
{
    m_properties.EditorsBar = !m_properties.EditorsBar;
    m_editorsBar->setVisible(m_properties.EditorsBar);
    autoUpdateUi();
}

void VeskLib::transmitAll(LibraryView* view)
{
    if (view->documentType() != 0)
        return;
    const BankSet banks = BankSelectDlg::getBanks(BankSet(view->library()), QStringLiteral("Transmit All"),
                                                  QStringLiteral("Select which banks to transmit:"), this);
    if (!banks.isEmpty())
        view->transmitAll(banks);
}

void VeskLib::receiveAll(LibraryView* view)
{
    BankSet banks;
    if (view->documentType() == 0)
        banks = BankSelectDlg::getBanks(BankSet(view->library()), QStringLiteral("Receive All"),
                                        QStringLiteral("Select which banks to receive:"), this);
    else
        banks = BankSelectDlg::getBanks(BankSet(midiDevice(), QStringLiteral("VOICES")), QStringLiteral("Receive All"),
                                        QStringLiteral("Select voice banks to receive:"), this);
    if (!banks.isEmpty())
        view->receiveAll(banks);
}

void VeskLib::patchSearch(LibraryView* view)
{
    PatchGroupList groups(view->library());
    if (groups.isEmpty())
        return;
    ParamSearchDlg dialog(midiDevice(), &groups);
    if (RunDialog(&dialog) != QDialog::Accepted)
        return;
    if (groups.first()->type() == Library::BankGroup)
        view->selectPatch(dialog.patch());
    else
        view->selectPatch(dialog.selectedGroup, int(dialog.selectedValue));
}

void VeskLib::copyPatches()
{
    LibraryView* view = currentLibraryView();
    if (!view)
        return;
    auto* group = dynamic_cast<PatchGroup*>(view->selectedLibrary());
    if (!group || !group->children().isEmpty())
        return;
    const ints rows = view->voicesList()->selectedItems(false);
    m_clipboard.init(view, group);
    for (int row : rows)
        m_clipboard.add(group->patchDumpAt(row), row);
    autoUpdateUi();
}

bool VeskLib::allowSwap() const
{
    return !m_clipboard.dumps()->isEmpty() && m_clipboard.view() &&
           static_cast<MdiView*>(m_clipboard.view()) == currentView() && m_clipboard.patchGroup() &&
           m_clipboard.patchGroup()->type() == Library::BankGroup;
}

void VeskLib::pastePatches(bool swap)
{
    if (swap && !allowSwap())
        return;
    if (m_clipboard.dumps()->isEmpty())
        return;
    LibraryView* view = currentLibraryView();
    if (!view)
        return;
    view->voicesList()->pastePatches(m_clipboard, swap);
    autoUpdateUi();
}

void VeskLib::exportNames()
{
    LibraryView* view = currentLibraryView();
    if (!view || !view->library())
        return;
    const QString path = PromptFileSave(this, QStringLiteral("Text Files (*.txt)"), QStringLiteral("Export"),
                                        ChangeExtension(view->filePath(), QStringLiteral("txt")));
    if (path.isEmpty())
        return;
    QString text;
    const PatchGroupList groups(view->library());
    for (PatchGroup* group : groups)
        text += group->printNames();
    // The whole listing or nothing: an old file stays until the new one is
    // complete.
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text) || file.write(bytes) != bytes.size() || !file.commit())
        error(this, QStringLiteral("Cannot save file\n\n%1").arg(path), QStringLiteral("Export"));
}

void VeskLib::exportInsFile()
{
    LibraryView* view = currentLibraryView();
    if (!view || !view->library())
        return;
    const QString path =
        PromptFileSave(this, QStringLiteral("Instrument Definition Files (*.ins)"), QStringLiteral("Export"),
                       ChangeExtension(view->filePath(), QStringLiteral("ins")));
    if (path.isEmpty())
        return;
    if (!view->library()->generateInsFile(path, Title))
        error(this, QStringLiteral("Cannot save file\n\n%1").arg(path), QStringLiteral("Export"));
}
