// The mix editor's main window: the tool bar "Main" at the top, the
// "Mixing Parts" tab on the left with a row per part (sixteen) and per
// plug-in part (three), the mix's common panel and its system panel on the
// right. Its commands cover the mix document, refresh and the two resets,
// the voice copier, the parts' copy, paste and swap, the effect blocks, the
// bank reads, the plug-in board set-up and the set-up and help group.
//
// The window is built whole by its constructor, on the instrument's device,
// and not shown; its size is fixed from its panels' sizes. The frame is
// here (VeskMix.cpp), the commands, menus and tool bar in
// VeskMix_Commands.cpp, what it does with the instrument (the editor's
// table for EditorWire) in VeskMix_Wire.cpp, the window over its parts in
// VeskMix_Parts.cpp, and the mix document and its companion library in
// VeskMix_Document.cpp.
//
// GUI thread only.
#pragma once

#include "DocTemplate.h"
#include "EditorProgram.h"
#include "EditorWindow.h"
#include "Panel.h"
#include "TabPanel.h"
#include "VeskAll_Library.h"
#include "VeskMix_Document.h"
#include "VeskSysex.h"

#include <QPointer>
#include <QString>

#include <memory>

class MixDump;
class QToolBar;

class VeskMix : public EditorWindow
{
    Q_OBJECT

public:
    enum Command
    {
        NewCommand = 0,
        OpenCommand = 1,
        SaveCommand = 2,
        SaveAsCommand = 3,
        CloseCommand = 4,
        ExitCommand = 7,
        RefreshCommand = 8,
        ResetMixCommand = 10,
        GmResetCommand = 11,
        VoiceCopierCommand = 13,
        CopyPartBase = 65, // part n (1..16) at base + n; paste + 1000, swap + 1500
        ReverbCopy = 166,
        ChorusCopy = 167,
        MasterEffectCopy = 168,
        SysexToClipboardCommand = 170,
        SystemSettingsCommand = 171,
        KeyboardCommand = 172,
        ReadUserVoicesCommand = 173,
        ReadMultisCommand = 174,
        PlgSetupCommand = 175,
        MidiSetupCommand = 176,
        AutoconnectCommand = 177,
        AppearanceCommand = 179,
        AboutCommand = 180,
        ManualCommand = 181
    };
    static constexpr int Parts = 16;
    static constexpr int PlgParts = 3;
    static constexpr int ColorSchemeDefault = 2;
    // The parts tab's width unless its widest tab needs more.
    static constexpr int PartsTabWidth = 751;

    explicit VeskMix(MidiDevice* device);
    // What sets the program apart at start-up, and its window on a device.
    static EditorProgramInfo programInfo();
    static std::unique_ptr<MidiEditorWindow> makeWindow(MidiDevice* device);
    ~VeskMix() override;

    // The mix editor has no patch selector.
    MidiPatchEdit* patchEdit() override { return nullptr; }
    void onCommand(int id) override;

    void createCommands();
    void createMenu();
    void createToolbar();
    // Titles and enables the plug-in part rows by the boards fitted.
    void updatePLGPanels();
    // The voice copier: a voice into a part of the mix.
    void v2p();

    // --- the instrument (VeskMix_Wire.cpp) ------------------------------------------
    static const EditorTraits& traits();
    void onBanksReceived() override;
    // The mix mode chooser: true when a mix mode is now known.
    bool songOrPattern() { return m_wire.chooseMixMode(); }
    // Part 0-15.
    void copyPart(int part) { m_wire.copySubUnit(part); }
    void pastePart(int part) { m_wire.pasteSubUnit(part); }
    void swapPart(int part) { m_wire.swapSubUnit(part); }

    Panel& common() { return commonPanel; }
    Panel& system() { return systemPanel; }
    TabPanel& parts() { return partsTab; }
    int mode() const { return mixMode; }
    int selectedPart() const { return currentPart; }

    // --- the mix document (VeskMix_Document.cpp) ---------------------------------
    // The commands New, Open, Save, Save As and Close.
    void newFile();
    void openFile();
    bool save();
    bool saveAs();
    void closeFile();
    // Opens the named mix file (first connection, recent files, a second
    // start). Until the mix has been read from the instrument the path is
    // kept, and opened once it has been.
    void openFile(const QString& path) override;
    // Receives the mix and the user voices it uses, then writes the mix at
    // path and the companion library. True when both files were written
    // whole; an answer that did not come whole writes neither.
    bool saveFile(const QString& path);
    // The document's path, title, recent-file entry and companion path; the
    // modified mark is cleared.
    void setFilePath(const QString& path);
    // True when the current document may be abandoned (asks when modified).
    bool mayClose();
    // Empties every slot of the companion library.
    void newLibrary();
    // Receives the user voices mix uses into voices (header and footer
    // taken off), from the instrument's Voice mode; "" when every one came
    // whole, otherwise why one did not.
    QString receiveUserVoices(MixDump& mix, ReceivedVoices& voices);
    // Fills the companion library with voices, and nothing else, and writes
    // it; "" when all went well, otherwise what failed.
    QString saveLibrary(const ReceivedVoices& voices);
    // Loads the companion library and offers to send its user voices.
    void openLibrary();

    QString documentPath() const { return filePath; }
    QString companionFile() const { return companionPath; }
    VeskAll_Library& companion() { return companionLibrary; }
    // True while a document operation runs: others are refused meanwhile.
    bool isDocumentBusy() const { return m_documentBusy; }
    // The running transmission of the companion's user voices, or null.
    Task_TransmitUserPatches* transmission() const { return m_transmission; }
    // The path handed to openFile before the mix was read; "" when none.
    QString pendingOpen() const { return m_pendingOpen; }
    // Whether the program's own edits of the mix mark the document modified:
    // while there is a document and no document operation runs.
    bool marksEdits() const { return !filePath.isEmpty() && !m_documentBusy; }

    // --- the window over its parts (VeskMix_Parts.cpp) -----------------------------
    // 4201: a mix part row activated becomes the current part (keyboard and
    // auxiliary input on its channel); deactivated, the auxiliary input keeps
    // its own channels. The plug-in part rows change nothing.
    void onMessage(int id, const QVariant& data, const QVariant& source) override;
    // The user's own edits of the mix blocks mark an open file modified.
    void OnSysex(Sysex* message, MidiSource source) override;
    void checkWindowModified(Sysex* message);
    // No part soloed or muted: in the records, on the instrument, on screen.
    void cancelSoloMute();
    // Every row's "Voice" shows its names again / sends its patch again.
    void updatePatchEdits();
    void reselectVoices();
    // The patch of a row's "Voice"; invalid without the row or selector.
    Patch partPatch(int part) const;
    // The base's step, then the parts tab (if landed on) shows the current
    // part.
    int nextPanel(bool back) override;

    // Reads the mix into the panels (EditorWindow); then opens a file that
    // was waiting for the mix to be read.
    void MidiReceive() override;

protected:
    // Ctrl+C, Ctrl+V and Ctrl+B: copy, paste and swap of the current part.
    void keyPressEvent(QKeyEvent* event) override;
    // The mix part a row names (its iterator); -1 for another panel.
    int partOfRow(const QVariant& panel) const;
    // Asks before a modified document goes, clears mute and solo; stops a
    // transmission of user voices before the window goes.
    void closeEvent(QCloseEvent* event) override;

    Panel commonPanel{this};
    Panel systemPanel{this};
    TabPanel partsTab{this};
    // One part's message, copied / taken aside by a swap.
    VeskSysex copyBuffer[1];
    VeskSysex swapBuffer[1];
    // Reverb, chorus, master effect.
    VeskSysex effectCopyBuffers[3];
    // The mix mode chosen in this window's life (2 Pattern, 3 Song); -1 none.
    int mixMode = -1;
    int currentPart = 0;
    // The mix document and its companion library of user voices; empty for
    // none.
    QString filePath;
    DocTemplate docTemplate{QStringLiteral("Mix Files"), QStringLiteral("Mix"), QStringLiteral("mix")};
    QString companionPath;
    VeskAll_Library companionLibrary{device};

private:
    friend class Task_TransmitUserPatches;
    friend class DocumentOperation;
    // Opens path; with ask, asks first whether the current document may go.
    void openNamed(const QString& path, bool ask);
    // Sends the user voices of the companion's VOICES_USER_ALL banks.
    bool transmitUserVoices(int count);
    // A transmission has ended (Task_TransmitUserPatches::finished).
    void userVoicesSent(Task_TransmitUserPatches* task);
    // Waits for a running transmission to end: what a document operation
    // sends must not come between a voice's messages.
    void finishTransmission();
    // Cancels a running transmission and waits for it; it reports nothing
    // to the window afterwards.
    void endTransmission();

    bool m_documentBusy = false;
    QString m_pendingOpen;
    QPointer<Task_TransmitUserPatches> m_transmission;
};
