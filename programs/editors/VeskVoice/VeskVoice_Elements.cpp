// The voice editor's element panels: each element's "Wave" follows its wave
// memory, and the control sets name their destinations after the voice's
// insertion effects (ElementPanels.h).
#include "VeskVoice.h"

#include "ElementPanels.h"
#include "Vesk.h"

namespace {

const ElementPanels::WaveLists Waves{"Wave", 0, "WaveList", 1, "UserWaveList"};
const QString ControlSets = QStringLiteral("Voice:Controllers|-1");
constexpr unsigned int InsertionTypeA = 0x400300;
constexpr unsigned int InsertionTypeB = 0x400400;
constexpr int Elements = 4;

} // namespace

void VeskVoice::OnSysex(Sysex* message, MidiSource source)
{
    // The items switch before the panels take the message's wave number.
    for (int e = 0; e < Elements && e < partsTab.panelCount(); ++e)
        ElementPanels::followWaveMemory(message, VOICE_ELM_PART(e, 0) + 1, partsTab.panel(e), Waves);
    EditorWindow::OnSysex(message, source);
}

void VeskVoice::OnLoadPanel(Panel* panel)
{
    if (!panel || panel->internalName() != ControlSets)
        return;
    ElementPanels::changeTableTexts(device, QStringLiteral("CTRL_DEST"), InsertionTypeA,
                                    QStringLiteral("InsA"), 4, 16);
    ElementPanels::changeTableTexts(device, QStringLiteral("CTRL_DEST"), InsertionTypeB,
                                    QStringLiteral("InsB"), 20, 16);
}
