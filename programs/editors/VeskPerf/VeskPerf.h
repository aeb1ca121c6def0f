// The performance editor's main window: a selection panel with six tool
// buttons under it, the performance's common panel to its right and, below
// them, the "Performance Parts" tab with a row per part (four) and per
// plug-in part (three). Its commands cover the performance file and buffer,
// the parts' copy, paste and swap, the voice copier, the effect blocks, the
// bank reads, the plug-in board set-up and the set-up and help group.
//
// The window is built whole by its constructor, on the instrument's device,
// and not shown; its size is fixed from its panels' sizes. The frame is
// here (VeskPerf.cpp), the commands and menus in VeskPerf_Commands.cpp, and
// what it does with the instrument (the editor's table for EditorWire) in
// VeskPerf_Wire.cpp.
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

class VeskPerf : public EditorWindow
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
        VoiceCopierCommand = 11,
        CopyPartBase = 11, // part n (1..4) at base + n; paste + 1000, swap + 1500
        ReverbCopy = 112,
        ChorusCopy = 113,
        MasterEffectCopy = 114,
        SysexToClipboardCommand = 116,
        SystemSettingsCommand = 117,
        KeyboardCommand = 118,
        ReadVoicesCommand = 119,
        ReadPerformancesCommand = 120,
        PlgSetupCommand = 121,
        MidiSetupCommand = 122,
        AutoconnectCommand = 123,
        AppearanceCommand = 125,
        AboutCommand = 126,
        ManualCommand = 127
    };
    static constexpr int Parts = 4;
    static constexpr int PlgParts = 3;
    static constexpr int ColorSchemeDefault = 0;
    static constexpr int ToolButtonGap = 18;
    static constexpr int PartsTabGap = 14;

    explicit VeskPerf(MidiDevice* device);
    // What sets the program apart at start-up, and its window on a device.
    static EditorProgramInfo programInfo();
    static std::unique_ptr<MidiEditorWindow> makeWindow(MidiDevice* device);
    ~VeskPerf() override;

    // "&Number" of the selection panel.
    MidiPatchEdit* patchEdit() override;
    void onCommand(int id) override;

    void createCommands();
    void createMenu();
    // Titles and enables the plug-in part rows by the boards fitted.
    void updatePLGPanels();
    // The base's step, then the parts tab (if landed on) shows the first
    // part.
    int nextPanel(bool back) override;
    // The voice copier: a voice into a part of the performance.
    void v2p();

    // --- the instrument (VeskPerf_Wire.cpp) -----------------------------------------
    static const EditorTraits& traits();
    void onBanksReceived() override;
    // "Cat:Name" of the selection panel.
    QString performanceName() const { return m_wire.patchName(); }
    // To target; an invalid one is asked for.
    void storePerformance(Patch target) { m_wire.store(target); }
    // Part 0-3.
    void copyPart(int part) { m_wire.copySubUnit(part); }
    void pastePart(int part) { m_wire.pasteSubUnit(part); }
    void swapPart(int part) { m_wire.swapSubUnit(part); }

    Panel& selection() { return selectionPanel; }
    Panel& common() { return commonPanel; }
    TabPanel& parts() { return partsTab; }
    ToolButton* toolButtons() { return buttons; }

protected:
    ToolButton buttons[6];
    Panel selectionPanel{this};
    Panel commonPanel{this};
    TabPanel partsTab{this};
    // One part's message, copied / taken aside by a swap.
    VeskSysex copyBuffer[1];
    VeskSysex swapBuffer[1];
    // Reverb, chorus, master effect.
    VeskSysex effectCopyBuffers[3];
};
