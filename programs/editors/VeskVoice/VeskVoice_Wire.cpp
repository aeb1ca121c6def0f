// The voice editor and the instrument: its table for the shared
// operations (EditorWindow, EditorWire) and what it does besides.
#include "VeskVoice.h"

#include "Vesk.h"

const EditorTraits& VeskVoice::traits()
{
    static const EditorTraits table = [] {
        EditorTraits t;
        t.dumpType = 0;
        t.patchKind = "voice";
        t.receiveTimeoutMs = 3000;
        t.mode = 0;
        t.switchQuestion = "Do you want to switch to Voice mode?";
        t.fallbackBank = 0x3F08;
        t.readsReceiveChannel = true;
        t.isOwnBank = &Vesk::isVoiceBank;
        t.selectorReadsAnyBank = true;
        t.openTitle = "Load Voice";
        t.saveTitle = "Save Voice";
        t.fileFilter = "Voice Files (*.voi);;";
        t.storeBankSet = "VOICES_USER";
        t.initialise = [](Vesk& device) { device.initVoice(unsigned(editBuffer())); };
        t.setPatchEditorIds<VeskVoice>();
        t.systemSection = "Voice:System";
        t.aboutImage = "VeskVoice:VeskVoice.png";
        t.manualPattern = "%s/VeskVoice.pdf";
        t.bankReads = {{ReadUserVoicesCommand, "VOICES_USER", "Receive Voices", "Select voice banks to receive:", true}};
        t.effects = {
            {ReverbCopy, 0x400100, 0, false, 3000, 3000},
            {ChorusCopy, 0x400200, 1, false, 3000, 3000},
            {Insert1Copy, 0x400300, 2, true, 3000, 3000},
            {Insert2Copy, 0x400400, 2, true, 3000, 3000},
            {ControlSetsCopy, 0x400500, 3, false, 3000, 3000},
        };
        t.subUnits.count = Elements;
        t.subUnits.blocks = 7;
        t.subUnits.block = [](int i, int j) { return VOICE_ELM_PART(i, j); };
        t.subUnits.timeoutMs = 3000;
        t.subUnits.firstCopyId = CopyElementBase + 1;
        t.subUnits.waitCursorOnCopy = false;
        t.subUnits.waitCursorOnSwap = false;
        t.subUnits.rereadAfterFailedPaste = true;
        t.captionNumber = EditorTraits::CaptionNumber::Iterator;
        return t;
    }();
    return table;
}
