// The mix editor and the instrument: its table for the shared
// operations (EditorWindow, EditorWire) and what it does besides.
#include "VeskMix.h"

#include "Vesk.h"

const EditorTraits& VeskMix::traits()
{
    static const EditorTraits table = [] {
        EditorTraits t;
        t.dumpType = 4;
        t.patchKind = "mix";
        t.receiveTimeoutMs = 3000;
        // The mode is the mix mode chosen in the window's life.
        t.mode = -1;
        t.initialise = [](Vesk& device) { device.initMix(); };
        t.ids.receive = RefreshCommand;
        t.ids.exit = ExitCommand;
        t.ids.initialise = ResetMixCommand;
        t.ids.gmReset = GmResetCommand;
        t.setClosingIds<VeskMix>();
        t.systemSection = "Mix:System";
        t.aboutImage = "VeskMix:VeskMix.png";
        t.manualPattern = "%s/VeskMix.pdf";
        t.bankReads = {
            {ReadUserVoicesCommand, "VOICES_USER_ALL", "Receive Voices", "Select voice banks to receive:", true}};
        t.effects = {
            {ReverbCopy, 0x360100, 0, false, 3000, 3000},
            {ChorusCopy, 0x360200, 1, false, 3000, 3000},
            {MasterEffectCopy, 0x361100, 2, false, 3000, 3000},
        };
        t.subUnits.count = Parts;
        t.subUnits.blocks = 1;
        t.subUnits.block = [](int i, int) { return 0x370000u + (unsigned(i) << 8); };
        t.subUnits.timeoutMs = 3000;
        t.subUnits.firstCopyId = CopyPartBase + 1;
        t.subUnits.keepsChannel = true;
        t.captionNumber = EditorTraits::CaptionNumber::Title;
        t.unitSection = "Mix:Part";
        t.captionShortcuts = true;
        return t;
    }();
    return table;
}

void VeskMix::onBanksReceived()
{
    m_wire.banksReceived(EditorWire::rowsOf(partsTab), {QStringLiteral("Voice")}, mixMode);
}
