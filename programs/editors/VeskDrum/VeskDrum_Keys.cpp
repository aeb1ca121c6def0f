// The drum kit editor's keys: the key selector and played notes pick the
// key both key panels address, after a quiet spell on one shared timer (a
// run of notes or a turn of the selector switches once); the key's "&Wave"
// follows its wave memory and the control sets name their destinations after
// the kit's insertion effects (ElementPanels.h).
#include "VeskDrum.h"

#include "EditorCommands.h"
#include "ElementPanels.h"
#include "MidiEdit.h"
#include "Patch.h"
#include "Vesk.h"

#include <QTimerEvent>

namespace {

const ElementPanels::WaveLists Waves{"&Wave", 0, "DrumWaveList", 2, "UserWaveList"};
const QString ControlSets = QStringLiteral("Drum:Controllers|-1");
constexpr unsigned int InsertionTypeA = 0x460300;
constexpr unsigned int InsertionTypeB = 0x460400;
constexpr int LoadedKey = 36;

} // namespace

int VeskDrum::keyIndex() const
{
    const int index = currentKey - FirstKey;
    return index >= 0 && index < KeyCount ? index : -1;
}

MidiEdit* VeskDrum::keyEdit() const
{
    return qobject_cast<MidiEdit*>(keySelectionPanel.widgetAt(0));
}

void VeskDrum::OnSysex(Sysex* message, MidiSource source)
{
    // Only the shown key's wave memory matters: the wave control serves it.
    const int index = keyIndex();
    if (index >= 0)
        ElementPanels::followWaveMemory(message, unsigned(DRUM_KEY_PART(index, 0)) + 1, &keyPanel, Waves);
    EditorWindow::OnSysex(message, source);
}

void VeskDrum::OnLoadPanel(Panel* panel)
{
    if (!panel || panel->internalName() != ControlSets)
        return;
    ElementPanels::changeTableTexts(device, QStringLiteral("CTRL_DEST"), InsertionTypeA,
                                    QStringLiteral("InsA"), 4, 16);
    ElementPanels::changeTableTexts(device, QStringLiteral("CTRL_DEST"), InsertionTypeB,
                                    QStringLiteral("InsB"), 20, 16);
}

void VeskDrum::OnMidiMessage(const MidiMessage& message, MidiSource source)
{
    // Any channel and any source: the instrument's pads, the auxiliary
    // keyboard and the on-screen keyboard all pick keys.
    if (message.isNoteOn()) {
        keyTimer.stop();
        requestedKey = message.data1;
        keyTimer.start(m_afterNoteMs, this);
    }
    EditorWindow::OnMidiMessage(message, source);
}

void VeskDrum::newKeySelected(MidiCtrl*, int value, int)
{
    keyTimer.stop();
    requestedKey = value;
    keyTimer.start(m_afterSelectorMs, this);
}

void VeskDrum::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == keyTimer.timerId()) {
        keyTimer.stop();
        if (selectKey(requestedKey)) {
            keyPanel.MidiReceive();
            keyPanel2.MidiReceive();
        }
    }
    EditorWindow::timerEvent(event);
}

void VeskDrum::onLoadWindow()
{
    selectKey(LoadedKey);
    EditorWindow::onLoadWindow();
}

bool VeskDrum::selectKey(int key)
{
    MidiEdit* selector = keyEdit();
    if (!selector || key == currentKey)
        return false;
    selector->setValue(key);
    currentKey = key;
    keyPanel2.setTitle(QStringLiteral("Drum Key %1").arg(Note::name(key)));
    using namespace EditorCommands;
    const int index = keyIndex();
    if (index < 0) {
        // No key of the kit: nothing to show, and nothing the key commands
        // could copy from or paste onto.
        for (Panel* panel : {&keyPanel, &keyPanel2}) {
            panel->setIter(-1);
            panel->resetValues();
        }
        enableIds(this, {CopyKeyCommand, PasteKeyCommand, SwapKeyCommand}, false);
        return false;
    }
    keyPanel.setIter(index);
    keyPanel2.setIter(index);
    enableIds(this, {CopyKeyCommand}, true);
    enableIds(this, {PasteKeyCommand, SwapKeyCommand}, hasCopiedKey());
    keyPanel.repaint();
    keyPanel2.repaint();
    return true;
}
