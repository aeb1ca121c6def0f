#include "VeskVoice.h"

#include "Application.h"
#include "EditorCommands.h"
#include "EditorFrame.h"
#include "MidiDevice.h"

namespace {

const QString LayoutResource = QStringLiteral(":/VeskVoice/data/VoiceEditor_ES.xml");

} // namespace

VeskVoice::VeskVoice(MidiDevice* device) : EditorWindow(device, traits())
{
    Win_SetIcon(this, 101);
    colors.fromRegistry(ColorSchemeDefault);
    createCommands();
    createMenu();
    createStatusBar();
    device->loadXml(LayoutResource);

    const QPoint origin = EditorFrame::patchEditorOrigin(*this);
    EditorFrame::loadPanel(selectionPanel, this, origin, true, QStringLiteral("Voice:Selection"));
    const QRect sel = selectionPanel.geometry();
    EditorFrame::placeToolButtons(this, buttons, sel, origin.x(), ToolButtonGap);

    EditorFrame::loadPanel(commonPanel, this, QPoint(sel.right() + 13, origin.y()), true,
                           QStringLiteral("Voice:Common"), {.controlWidth = 108});
    const QRect com = commonPanel.geometry();

    partsTab.init(this, QStringLiteral("Voice Elements"), QPoint(origin.x(), com.bottom() + PartsTabGap),
                  sel.width() + com.width() + 12);
    for (int element = 0; element < Elements; ++element) {
        partsTab.addPanel(QStringLiteral("Voice:Elem"), element, 60, 19, 23, QString(), 0);
        partsTab.addSep(1);
    }
    partsTab.fit();
    partsTab.selectTab(0);

    m_wire.setSelectionPanel(&selectionPanel);
    m_wire.setBuffers(copyBuffer, swapBuffer, effectCopyBuffers);

    editorPanels.append(&selectionPanel);
    editorPanels.append(&commonPanel);
    editorPanels.append(&partsTab);

    setFixedSize(EditorFrame::patchEditorSize(*this, sel, com, partsTab.geometry()));

    using namespace EditorCommands;
    enableRange(this, CopyElementBase + 1, CopyElementBase + Elements, true);
    enableRange(this, CopyElementBase + 1 + PasteOffset, CopyElementBase + Elements + PasteOffset, false);
    enableRange(this, CopyElementBase + 1 + SwapOffset, CopyElementBase + Elements + SwapOffset, false);
    enableIds(this,
              {ReverbCopy + PasteOffset, ChorusCopy + PasteOffset, Insert1Copy + PasteOffset,
               Insert2Copy + PasteOffset, ControlSetsCopy + PasteOffset},
              false);
}

VeskVoice::~VeskVoice() = default;

MidiPatchEdit* VeskVoice::patchEdit()
{
    return selectionPanel.getPatchEdit(QStringLiteral("&Number"), 0);
}
