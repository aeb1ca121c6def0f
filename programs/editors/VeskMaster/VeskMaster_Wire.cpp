// The master editor and the instrument: its table for the shared
// operations (EditorWindow, EditorWire) and what it does besides.
#include "VeskMaster.h"

#include "MidiParam.h"
#include "Vesk.h"

namespace {
// The master's "Enable Zones": 1 when its zones are in use.
constexpr unsigned int EnableZonesAddress = 0x330011;
} // namespace

const EditorTraits& VeskMaster::traits()
{
    static const EditorTraits table = [] {
        EditorTraits t;
        t.dumpType = 5;
        t.patchKind = "master";
        t.receiveTimeoutMs = 2000;
        t.mode = 4;
        t.switchQuestion = "Do you want to switch to Master mode?";
        t.isOwnBank = &Vesk::isMasterBank;
        t.ignoresSamePatch = true;
        t.openTitle = "Load Master";
        t.saveTitle = "Save Master";
        t.fileFilter = "Master Files (*.mst);;";
        t.storeBankSet = "MASTERS";
        t.nameHasCategory = false;
        t.initialise = [](Vesk& device) { device.initMaster(); };
        t.setPatchEditorIds<VeskMaster>();
        t.systemSection = "Master:System";
        t.aboutImage = "VeskMaster:VeskMaster.png";
        t.manualPattern = "%s/VeskMaster.pdf";
        t.bankReads = {
            {ReadUserBanksCommand, "USER_BANKS", "Receive User Banks", "Select user banks to receive:", true}};
        t.subUnits.count = Zones;
        t.subUnits.blocks = 1;
        t.subUnits.block = [](int i, int) { return 0x320000u + (unsigned(i) << 8); };
        t.subUnits.timeoutMs = 2000;
        t.subUnits.firstCopyId = CopyZoneBase + 1;
        t.captionNumber = EditorTraits::CaptionNumber::Iterator;
        return t;
    }();
    return table;
}

void VeskMaster::onBanksReceived()
{
    // The common panel has no "Multi" selector; a missing one is skipped.
    m_wire.banksReceived({&commonPanel},
                         {QStringLiteral("Voice"), QStringLiteral("Performance"), QStringLiteral("Multi")}, 4);
}

void VeskMaster::OnSysex(Sysex* message, MidiSource source)
{
    enableZones(message);
    EditorWindow::OnSysex(message, source);
}

void VeskMaster::enableZones(Sysex* message)
{
    if (!message || !message->hasData())
        return;
    const int zones = message->getParameterData(MidiParam(EnableZonesAddress, 1, false, false));
    if (zones >= 0)
        partsTab.setEnabled(zones == 1);
}
