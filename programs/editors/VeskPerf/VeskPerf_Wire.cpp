// The performance editor and the instrument: its table for the shared
// operations (EditorWindow, EditorWire) and what it does besides.
#include "VeskPerf.h"

#include "Vesk.h"
#include "VoiceCopier.h"
#include "VoiceCopierInfo.h"

const EditorTraits& VeskPerf::traits()
{
    static const EditorTraits table = [] {
        EditorTraits t;
        t.dumpType = 3;
        t.patchKind = "performance";
        t.receiveTimeoutMs = 2000;
        t.mode = 1;
        t.switchQuestion = "Do you want to switch to Performance mode?";
        t.isOwnBank = &Vesk::isPerformanceBank;
        t.openTitle = "Load Performance";
        t.saveTitle = "Save Performance";
        t.fileFilter = "Performance Files (*.prf);;";
        t.storeBankSet = "PERFORMANCES";
        t.initialise = [](Vesk& device) { device.initPerformance(); };
        t.setPatchEditorIds<VeskPerf>();
        t.systemSection = "Perf:System";
        t.aboutImage = "VeskPerf:VeskPerf.png";
        t.manualPattern = "%s/VeskPerf.pdf";
        t.bankReads = {
            {ReadVoicesCommand, "VOICES_USER_ALL", "Receive Voices", "Select voice banks to receive:", true},
            {ReadPerformancesCommand, "PERFORMANCES", "Receive Performances", "Select performance banks to receive:",
             true},
        };
        t.effects = {
            {ReverbCopy, 0x300100, 0, false, 2000, 2000},
            {ChorusCopy, 0x300200, 1, false, 2000, 2000},
            {MasterEffectCopy, 0x301100, 2, false, 2000, 2000},
        };
        t.subUnits.count = Parts;
        t.subUnits.blocks = 1;
        t.subUnits.block = [](int i, int) { return 0x310000u + (unsigned(i) << 8); };
        t.subUnits.timeoutMs = 2000;
        t.subUnits.firstCopyId = CopyPartBase + 1;
        t.captionNumber = EditorTraits::CaptionNumber::Title;
        t.unitSection = "Perf:Part";
        return t;
    }();
    return table;
}

void VeskPerf::onBanksReceived()
{
    m_wire.banksReceived(EditorWire::rowsOf(partsTab), {QStringLiteral("Voice")}, 1);
}

void VeskPerf::v2p()
{
    VoiceCopier::run(*this, VoiceCopierInfo::Performance);
}
