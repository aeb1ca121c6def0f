// The master editor's main window: a selection panel with six tool buttons
// under it, the master's common panel to its right and, below them, the
// "Master Parts" tab with a row per zone (four). Its commands cover the
// master file and buffer, the zones' copy, paste and swap, the bank read
// and the set-up and help group.
//
// The window is built whole by its constructor, on the instrument's device,
// and not shown; its size is fixed from its panels' sizes. The frame is
// here (VeskMaster.cpp), the commands and menus in VeskMaster_Commands.cpp,
// and what it does with the instrument (the editor's table for EditorWire)
// in VeskMaster_Wire.cpp.
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

class VeskMaster : public EditorWindow
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
        CopyZoneBase = 9, // zone n (1..4) at base + n; paste + 1000, swap + 1500
        SystemSettingsCommand = 60,
        KeyboardCommand = 61,
        SysexToClipboardCommand = 63,
        MidiSetupCommand = 64,
        AutoconnectCommand = 65,
        AppearanceCommand = 67,
        ReadUserBanksCommand = 69,
        AboutCommand = 70,
        ManualCommand = 71
    };
    static constexpr int Zones = 4;
    static constexpr int ColorSchemeDefault = 7;
    static constexpr int ToolButtonGap = 18;
    static constexpr int PartsTabGap = 13;

    explicit VeskMaster(MidiDevice* device);
    // What sets the program apart at start-up, and its window on a device.
    static EditorProgramInfo programInfo();
    static std::unique_ptr<MidiEditorWindow> makeWindow(MidiDevice* device);
    ~VeskMaster() override;

    // "&Number" of the selection panel.
    MidiPatchEdit* patchEdit() override;

    // --- the instrument (VeskMaster_Wire.cpp) ---------------------------------------
    static const EditorTraits& traits();
    void onBanksReceived() override;
    // enableZones, then the message goes on to the panels.
    void OnSysex(Sysex* message, MidiSource source) override;
    // A message carrying "Enable Zones" (330011) enables the parts tab for
    // 1 and disables it for any other value.
    void enableZones(Sysex* message);
    // The name of the selection panel.
    QString masterName() const { return m_wire.patchName(); }
    // To target; an invalid one is asked for.
    void storeMaster(Patch target) { m_wire.store(target); }
    // Zone 0-3.
    void copyZone(int zone) { m_wire.copySubUnit(zone); }
    void pasteZone(int zone) { m_wire.pasteSubUnit(zone); }
    void swapZone(int zone) { m_wire.swapSubUnit(zone); }

    void createCommands();
    void createMenu();

    Panel& selection() { return selectionPanel; }
    Panel& common() { return commonPanel; }
    TabPanel& parts() { return partsTab; }
    ToolButton* toolButtons() { return buttons; }

protected:
    ToolButton buttons[6];
    Panel selectionPanel{this};
    Panel commonPanel{this};
    TabPanel partsTab{this};
    // One zone's message, copied / taken aside by a swap.
    VeskSysex copyBuffer[1];
    VeskSysex swapBuffer[1];
};
