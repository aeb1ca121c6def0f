// The librarian's main window: any number of library documents (Ridev
// Libraries and Voice Libraries), each in its own LibraryView, over the
// instrument's device.
//
// The window is driven by the command ids below (VeskLib_Commands.cpp): the
// menus and tool bars are filled from ranges of them, onCommand carries
// them out on the library view in front, and onUpdateUi recomputes which are
// enabled, shown and ticked. It starts the editor programs, empty or with the
// current patch in a patch file (VeskLib_Editors.cpp), imports the
// instrument's native files (VeskLib_Import.cpp) and keeps the patches
// copied from a view for pasting into any view.
//
// The settings record (properties) is loaded when the window is built and
// stored when it goes; its dependency options are handed to every view,
// which reads them at each paint and paste. GUI thread only.
#pragma once

#include "Archive.h"
#include "MdiParent.h"
#include "MidiClient.h"
#include "PatchClipboard.h"
#include "VeskLib_Properties.h"

#include <QLabel>
#include <QString>

#include <functional>

class ES_Document;
class LibraryView;
class MidiDevice;
class PatchDump;
class QMenu;
class QToolBar;

class VeskLib : public MdiParent, public MidiClient
{
    Q_OBJECT

public:
    // The command ids.
    enum Command
    {
        cmdNew = 0,
        cmdNewRidevLibrary = 1,
        cmdNewVoiceLibrary = 2,
        cmdOpen = 3,
        cmdSave = 4,
        cmdSaveAs = 5,
        cmdClose = 6,
        cmdCloseAll = 7,
        cmdImportNative = 12,
        cmdExportNames = 13,
        cmdExportInsFile = 14,
        cmdExit = 17,
        cmdUndo = 18,
        cmdRedo = 19,
        cmdTransmitAll = 21,
        cmdReceiveAll = 22,
        cmdRemoveDuplicates = 24,
        cmdSelectAll = 26,
        cmdInvertSelection = 27,
        cmdSearch = 29,
        cmdSendToEditBuffer = 30,
        cmdReceiveFromEditBuffer = 31,
        cmdEdit = 32,
        cmdTransmit = 34,
        cmdReceive = 35,
        cmdTransmitChildren = 37,
        cmdReceiveChildren = 38,
        cmdCopy = 40,
        cmdPaste = 41,
        cmdSwap = 42,
        cmdNewPatch = 44,
        cmdInitialize = 45,
        cmdRename = 46,
        cmdDelete = 47,
        cmdProgramChange = 49,
        cmdRemoveDuplicatePatches = 50,
        cmdSortByName = 51,
        cmdSortByCategory = 52,
        cmdSortByComment = 53,
        cmdProperties = 55,
        cmdUpFolder = 56,
        cmdEditorsToolbar = 58,
        cmdVoiceEditor = 59,
        cmdDrumEditor = 60,
        cmdPerformanceEditor = 61,
        cmdMixEditor = 62,
        cmdMasterEditor = 63,
        cmdMidiSetup = 65,
        cmdAutoconnect = 66,
        cmdPreferences = 68,
        cmdAbout = 69,
        cmdManual = 70
    };

    // The program's name, which also names its settings store.
    static const QString Title;

    explicit VeskLib(MidiDevice* device);
    ~VeskLib() override;

    // The view in front; null when no document is open.
    LibraryView* currentLibraryView() const;
    VeskLib_Properties& properties() { return m_properties; }
    PatchClipboard& clipboard() { return m_clipboard; }
    QToolBar* editorsBar() const { return m_editorsBar; }
    QLabel* statusLabel() { return &m_statusLabel; }
    QMenu* patchMenu() const { return m_patchMenu; }

    // The file the program was started with (its first argument; "" for
    // none), opened by onLoadWindow in place of the OnStart action.
    void setStartFile(const QString& path) { m_startFile = path; }

    // --- hooks -------------------------------------------------------------------
    void onLoadWindow() override;
    void onUpdateUi() override;
    void onCommand(int id) override;
    void onMessage(int id, const QVariant& data, const QVariant& source) override;
    MdiView* createView(int type) override;
    void viewClosed(MdiView* view) override;
    void OnConnect() override;

    // --- commands ----------------------------------------------------------------
    bool allowSwap() const;
    void copyPatches();
    void pastePatches(bool swap);
    // Writes every group's name listing of the current view's document into
    // a text file the user names; says so when the file cannot be written.
    void exportNames();
    // The instrument definition file of the current view's document.
    void exportInsFile();

    // --- the editors (VeskLib_Editors.cpp) ------------------------------------
    // Starts the editor of the patch type with file ("" for none); nothing for
    // a type without an editor. A failed start is reported.
    void startEditor(int type, const QString& file);
    // The current patch into a patch file, handed to its editor.
    void editCurrentPatch();
    // The patch file of a dump: the bulk header of its type's edit buffer,
    // its messages, the bulk footer.
    static Buffer patchFileBytes(PatchDump* dump);
    // The editor program of a patch type ("VeskVoice"); "" for none.
    static QString editorProgram(int type);
    // Its program's title ("Vesk ES Voice Editor"); "" for none.
    QString editorTitle(int type) const;
    // The organisation all programs of the suite run under.
    static inline const QString EditorOrganisation = QStringLiteral("Tamsel");
    // Where the editor programs lie: beside the librarian.
    static QString editorFolder();
    // The path of the last patch file; "" before the first.
    QString patchFilePath() const { return m_patchFilePath; }

    // --- native import (VeskLib_Import.cpp) ----------------------------------
    void ImportNativeFile();
    void ImportNativeFile(const QString& path);
    // False when nothing was imported (the file refused, or no section of
    // the document's kind found).
    bool ImportNativeFile_ES(const QString& path);
    int ImportNativeBanks_ES(ES_Document& doc, const QString& fileModel, const QString& tag,
                             const QString& bankSet, PatchDump* templ, PatchDump* work);
    int ImportNativeType_ES(ES_Document& doc, const QString& fileModel, const QString& tag, int patchType,
                            PatchDump* templ, PatchDump* work);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createCommands();
    void createMenu();
    void createToolbar();
    void createStatusBar();
    bool onViewCommand(int id, LibraryView* view);
    void showPatchContextMenu();
    void patchSearch(LibraryView* view);
    void receiveAll(LibraryView* view);
    void transmitAll(LibraryView* view);
    void toggleEditorsBar();
    bool adaptEntry(const Buffer& entry, const QString& fileModel, PatchDump* templ, PatchDump* work);

    QToolBar* m_editorsBar = nullptr;
    PatchClipboard m_clipboard;
    QMenu* m_newMenu = nullptr;
    QMenu* m_patchMenu = nullptr;
    QAction* m_sortAction = nullptr;
    QLabel m_statusLabel;
    VeskLib_Properties m_properties;
    Archive m_tempArchive;
    QString m_patchFilePath;
    QString m_startFile;
    QMenu* m_dockMenu = nullptr;
};
