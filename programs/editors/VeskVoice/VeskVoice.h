// The voice editor's main window: a selection panel with six tool buttons
// under it, the voice's common panel to its right and, below them, the
// "Voice Elements" tab with one row per element (four). Its commands cover
// the voice file and buffer, the elements' copy, paste and swap, the effect
// blocks and the set-up and help group.
//
// The window is built whole by its constructor, on the instrument's device,
// and not shown; its size is fixed from its panels' sizes. Its parts live
// in files of their own: the frame here (VeskVoice.cpp), the commands and
// menus in VeskVoice_Commands.cpp, and what it does with the instrument (the
// editor's table for EditorWire) in VeskVoice_Wire.cpp.
//
// GUI thread only.
#pragma once

#include "EditorProgram.h"
#include "EditorWindow.h"
#include "Panel.h"
#include "TabPanel.h"
#include "ToolButton.h"
#include "VeskSysex.h"

#include <memory>

class VeskVoice : public EditorWindow
{
    Q_OBJECT

public:
    // Command ids.
    enum Command
    {
        OpenCommand = 0,
        SaveCommand = 1,
        ReceiveCommand = 3,
        StoreCommand = 5,
        StoreToCommand = 6,
        ExitCommand = 8,
        InitCommand = 9,
        CopyElementBase = 10, // element n (1..4) at base + n; paste + 1000, swap + 1500
        ReverbCopy = 61,
        ChorusCopy = 62,
        Insert1Copy = 63,
        Insert2Copy = 64,
        ControlSetsCopy = 66,
        SysexToClipboardCommand = 68,
        SystemSettingsCommand = 69,
        KeyboardCommand = 70,
        MidiSetupCommand = 71,
        AutoconnectCommand = 72,
        AppearanceCommand = 74,
        ReadUserVoicesCommand = 76,
        AboutCommand = 78,
        ManualCommand = 79
    };
    static constexpr int Elements = 4;
    static constexpr int ColorSchemeDefault = 3;
    static constexpr int ToolButtonGap = 22;
    static constexpr int PartsTabGap = 14;

    // The window, whole but not shown.
    explicit VeskVoice(MidiDevice* device);
    // What sets the program apart at start-up, and its window on a device.
    static EditorProgramInfo programInfo();
    static std::unique_ptr<MidiEditorWindow> makeWindow(MidiDevice* device);
    ~VeskVoice() override;

    // "&Number" of the selection panel.
    MidiPatchEdit* patchEdit() override;

    // --- the instrument (VeskVoice_Wire.cpp) ---------------------------------------
    static const EditorTraits& traits();
    // The edit buffer's bulk address.
    static int editBuffer() { return 0x0F00; }
    // "Cat:Name" of the selection panel.
    QString voiceName() const { return m_wire.patchName(); }
    // To target; an invalid one is asked for.
    void storeVoice(Patch target) { m_wire.store(target); }
    // Element 0-3.
    void copyElement(int element) { m_wire.copySubUnit(element); }
    void pasteElement(int element) { m_wire.pasteSubUnit(element); }
    void swapElement(int element) { m_wire.swapSubUnit(element); }
    // Each element's "Wave" offers the list of the memory a message names
    // for it, then the message goes on to the panels.
    void OnSysex(Sysex* message, MidiSource source) override;
    // The control sets panel: its destinations take the insertion effects'
    // parameter names.
    void OnLoadPanel(Panel* panel) override;
    // Pastes seven element blocks onto the element; the buffer keeps its
    // addresses.
    void pasteElementBuffers(const VeskSysex* buffer, int element) { m_wire.pasteBuffers(buffer, element); }

    void createCommands();
    void createMenu();

    // For the tests.
    Panel& selection() { return selectionPanel; }
    Panel& common() { return commonPanel; }
    TabPanel& parts() { return partsTab; }
    ToolButton* toolButtons() { return buttons; }

protected:
    ToolButton buttons[6];
    Panel selectionPanel{this};
    Panel commonPanel{this};
    TabPanel partsTab{this};
    // One element's messages, copied / taken aside by a swap.
    VeskSysex copyBuffer[7];
    VeskSysex swapBuffer[7];
    // Reverb, chorus, insertion effects, control sets.
    VeskSysex effectCopyBuffers[4];
};
