// The drum kit editor's main window: a selection panel with six tool
// buttons under it, the kit's common panel to its right, the key selection
// panel, and the two panels of the selected drum key below (the key panel,
// flat, lies inside the second key panel's area and stays on top of it).
// Its commands cover the kit file and buffer, the selected key's copy,
// paste and swap, the effect blocks and the set-up and help group.
//
// The window is built whole by its constructor, on the instrument's device,
// and not shown; its size is fixed from its panels' sizes. The frame is
// here (VeskDrum.cpp), the commands and menus in VeskDrum_Commands.cpp, and
// what it does with the instrument (the editor's table for EditorWire) in
// VeskDrum_Wire.cpp.
//
// GUI thread only.
#pragma once

#include "EditorProgram.h"
#include "MidiCtrl.h"
#include "EditorWindow.h"
#include "Panel.h"
#include "ToolButton.h"
#include "VeskSysex.h"

#include <QBasicTimer>

#include <memory>

class MidiEdit;

class VeskDrum : public EditorWindow
{
    Q_OBJECT

public:
    enum Command
    {
        OpenCommand = 0,
        SaveCommand = 1,
        ReceiveCommand = 3,
        StoreCommand = 5,
        StoreToCommand = 6,
        ExitCommand = 8,
        InitCommand = 9,
        CopyKeyCommand = 11,
        PasteKeyCommand = 12,
        SwapKeyCommand = 13,
        ReverbCopy = 15,
        ChorusCopy = 16,
        Insert1Copy = 17,
        Insert2Copy = 18,
        ControlSetsCopy = 20,
        SysexToClipboardCommand = 22,
        SystemSettingsCommand = 23,
        KeyboardCommand = 24,
        MidiSetupCommand = 25,
        AutoconnectCommand = 26,
        AppearanceCommand = 28,
        ReadUserDrumKitsCommand = 30,
        AboutCommand = 32,
        ManualCommand = 33
    };
    static constexpr int ColorSchemeDefault = 6;
    // The kit's keys: notes 24 (C0) to 96 (C6), index = note - 24.
    static constexpr int FirstKey = 24;
    static constexpr int KeyCount = 73;
    static constexpr int ToolButtonGap = 10;
    // The key timer's pause after a note-on and after a selector change: a
    // run of notes or steps selects only its last key.
    static constexpr int AfterNoteMs = 350;
    static constexpr int AfterSelectorMs = 500;

    explicit VeskDrum(MidiDevice* device);
    // What sets the program apart at start-up, and its window on a device.
    static EditorProgramInfo programInfo();
    static std::unique_ptr<MidiEditorWindow> makeWindow(MidiDevice* device);
    ~VeskDrum() override;

    // "&Number" of the selection panel.
    MidiPatchEdit* patchEdit() override;
    void onCommand(int id) override;

    // --- the instrument (VeskDrum_Wire.cpp) -----------------------------------------
    static const EditorTraits& traits();
    // The edit buffer's bulk address.
    static int editBuffer() { return 0x2F00; }
    // "Cat:Name" of the selection panel.
    QString drumKitName() const { return m_wire.patchName(); }
    // To target; an invalid one is asked for.
    void storeDrumKit(Patch target) { m_wire.store(target); }
    // --- the keys (VeskDrum_Keys.cpp) --------------------------------------------------
    // The shown key's "&Wave" follows its wave memory, then the message goes
    // on to the panels.
    void OnSysex(Sysex* message, MidiSource source) override;
    // The control sets panel: its destinations take the insertion effects'
    // parameter names.
    void OnLoadPanel(Panel* panel) override;
    // A note-on (any channel, any source) selects its key 350 ms later.
    void OnMidiMessage(const MidiMessage& message, MidiSource source) override;
    // Selects key 36.
    void onLoadWindow() override;
    // The key selector; null when the key selection panel has none.
    MidiEdit* keyEdit() const;
    // Shows key (a note) on the selector, the caption and both key panels;
    // false when nothing changed or the note is no key of the kit (then the
    // key panels are cleared and the key commands disabled).
    bool selectKey(int key);
    int selectedKey() const { return currentKey; }
    // The key timer runs: a key is still to be selected.
    bool isKeyPending() const { return keyTimer.isActive(); }
    // The key timer's pauses, AfterNoteMs and AfterSelectorMs unless set; new
    // pauses apply from the next note or step on (tests hold the timer with a
    // long one).
    void setKeyDelays(int afterNoteMs, int afterSelectorMs)
    {
        m_afterNoteMs = afterNoteMs;
        m_afterSelectorMs = afterSelectorMs;
    }

    // The selected key (notes 24-96); nothing without one.
    void copyKey() { m_wire.copySubUnit(keyIndex()); }
    void pasteKey() { m_wire.pasteSubUnit(keyIndex()); }
    void swapKey() { m_wire.swapSubUnit(keyIndex()); }
    // A whole key is in the copy buffer (paste and swap have something to
    // send).
    bool hasCopiedKey() const { return m_wire.hasCopy(); }

    void createCommands();
    void createMenu();


    Panel& selection() { return selectionPanel; }
    Panel& common() { return commonPanel; }
    Panel& keySelection() { return keySelectionPanel; }
    Panel& key() { return keyPanel; }
    Panel& key2() { return keyPanel2; }
    ToolButton* toolButtons() { return buttons; }

public slots:
    // A control of the key selection panel changed.
    void newKeySelected(MidiCtrl* ctrl, int value, int data);

protected:
    // The key timer: selects the requested key and asks for its values.
    void timerEvent(QTimerEvent* event) override;

    ToolButton buttons[6];
    Panel selectionPanel{this};
    Panel commonPanel{this};
    Panel keySelectionPanel{this};
    Panel keyPanel{this};
    Panel keyPanel2{this};
    // -1 until a key is selected.
    int currentKey = -1;
    // The key the key timer will select.
    int requestedKey = -1;
    QBasicTimer keyTimer;
    int m_afterNoteMs = AfterNoteMs;
    int m_afterSelectorMs = AfterSelectorMs;
    // One drum key's messages, copied / taken aside by a swap.
    VeskSysex copyBuffer[5];
    VeskSysex swapBuffer[5];
    // Reverb, chorus, insertion effects, control sets.
    VeskSysex effectCopyBuffers[4];

private:
    // The selected key's index (note - 24), -1 without one.
    int keyIndex() const;
};
