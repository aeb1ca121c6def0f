#include "VeskDrum.h"

#include "Application.h"
#include "EditorCommands.h"
#include "EditorFrame.h"
#include "MidiDevice.h"

namespace {

const QString LayoutResource = QStringLiteral(":/VeskDrum/data/DrumEditor_ES.xml");

} // namespace

VeskDrum::VeskDrum(MidiDevice* device) : EditorWindow(device, traits())
{
    Win_SetIcon(this, 101);
    colors.fromRegistry(ColorSchemeDefault);
    currentKey = -1;
    createCommands();
    createMenu();
    createStatusBar();
    device->loadXml(LayoutResource);

    using EditorFrame::loadPanel;
    const QRect client = clientRect();
    const QPoint origin = EditorFrame::patchEditorOrigin(*this);
    loadPanel(selectionPanel, this, origin, true, QStringLiteral("Drum:Selection"),
              {.controlWidth = 140, .paddingX = 6, .paddingY = 2});
    const QRect sel = selectionPanel.geometry();
    EditorFrame::placeToolButtons(this, buttons, sel, origin.x(), ToolButtonGap);

    loadPanel(commonPanel, this, QPoint(sel.right() + 13, origin.y()), true, QStringLiteral("Drum:Common"),
              {.controlWidth = 104});
    const QRect com = commonPanel.geometry();

    loadPanel(keySelectionPanel, this, QPoint(origin.x(), sel.bottom() + 71), true,
              QStringLiteral("Drum:KeySelection"),
              {.marginLeft = 10, .marginTop = 5, .marginRight = 10, .marginBottom = 7});
    connect(&keySelectionPanel, &Panel::valueChanged, this, &VeskDrum::newKeySelected);
    loadPanel(keyPanel, this, QPoint(client.left() + 23, com.bottom() + 36), false, QStringLiteral("Drum:Key"),
              {.controlWidth = 85, .marginLeft = 2, .marginTop = 2, .marginRight = 2, .marginBottom = 2});
    loadPanel(keyPanel2, this, QPoint(origin.x(), com.bottom() + 13), true, QStringLiteral("Drum:Key2"),
              {.controlWidth = 85, .marginLeft = 11, .marginTop = 55, .marginRight = 11, .marginBottom = 10});
    // The key panel lies inside the second one's area and stays on top.
    keyPanel2.lower();

    m_wire.setSelectionPanel(&selectionPanel);
    m_wire.setBuffers(copyBuffer, swapBuffer, effectCopyBuffers);

    editorPanels.append(&selectionPanel);
    editorPanels.append(&commonPanel);
    editorPanels.append(&keySelectionPanel);
    editorPanels.append(&keyPanel);
    editorPanels.append(&keyPanel2);

    setFixedSize(EditorFrame::patchEditorSize(*this, sel, com, keyPanel2.geometry()));

    using namespace EditorCommands;
    enableIds(this,
              {ReverbCopy + PasteOffset, ChorusCopy + PasteOffset, Insert1Copy + PasteOffset,
               Insert2Copy + PasteOffset, ControlSetsCopy + PasteOffset},
              false);
    // No key is copied yet: pasting or swapping one would act on an empty
    // buffer.
    enableIds(this, {PasteKeyCommand, SwapKeyCommand}, false);
}

VeskDrum::~VeskDrum()
{
    keyTimer.stop();
}

MidiPatchEdit* VeskDrum::patchEdit()
{
    return selectionPanel.getPatchEdit(QStringLiteral("&Number"), 0);
}
