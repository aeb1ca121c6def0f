// The drum kit editor and the instrument: its table for the shared
// operations (EditorWindow, EditorWire) and what it does besides.
#include "VeskDrum.h"

#include "Vesk.h"

namespace {

// The drum keys: notes 24 (C0) to 96 (C6).

} // namespace

const EditorTraits& VeskDrum::traits()
{
    static const EditorTraits table = [] {
        EditorTraits t;
        t.dumpType = 1;
        t.patchKind = "drum kit";
        t.receiveTimeoutMs = 3500;
        t.mode = 0;
        t.switchQuestion = "Do you want to switch to Voice mode?";
        t.fallbackBank = 0x3F28;
        t.readsReceiveChannel = true;
        t.isOwnBank = &Vesk::isDrumBank;
        t.selectorReadsAnyBank = true;
        t.openTitle = "Load Drum Kit";
        t.saveTitle = "Save Drum Kit";
        t.fileFilter = "Drum Kit Files (*.drm);;";
        t.storeBankSet = "DRUMS_USER";
        t.initialise = [](Vesk& device) { device.initDrumVoice(unsigned(editBuffer())); };
        t.setPatchEditorIds<VeskDrum>();
        t.systemSection = "Drum:System";
        t.aboutImage = "VeskDrum:VeskDrum.png";
        t.manualPattern = "%s/VeskDrum.pdf";
        t.bankReads = {
            {ReadUserDrumKitsCommand, "DRUMS_USER", "Receive Voices", "Select voice banks to receive:", true}};
        // The control sets are copied within 3000 ms, every other block and
        // every paste within 3500 ms.
        t.effects = {
            {ReverbCopy, 0x460100, 0, false, 3500, 3500},
            {ChorusCopy, 0x460200, 1, false, 3500, 3500},
            {Insert1Copy, 0x460300, 2, true, 3500, 3500},
            {Insert2Copy, 0x460400, 2, true, 3500, 3500},
            {ControlSetsCopy, 0x460500, 3, false, 3000, 3500},
        };
        t.subUnits.count = KeyCount;
        t.subUnits.blocks = 5;
        t.subUnits.block = [](int i, int j) { return unsigned(DRUM_KEY_PART(i, j)); };
        t.subUnits.timeoutMs = 3000;
        t.subUnits.copyId = CopyKeyCommand;
        t.subUnits.pasteId = PasteKeyCommand;
        t.subUnits.swapId = SwapKeyCommand;
        t.subUnits.rereadAfterFailedPaste = true;
        return t;
    }();
    return table;
}
