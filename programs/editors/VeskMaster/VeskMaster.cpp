#include "VeskMaster.h"

#include "Application.h"
#include "EditorCommands.h"
#include "EditorFrame.h"
#include "MidiDevice.h"

namespace {

const QString LayoutResource = QStringLiteral(":/VeskMaster/data/MasterEditor_ES.xml");

} // namespace

VeskMaster::VeskMaster(MidiDevice* device) : EditorWindow(device, traits())
{
    Win_SetIcon(this, 101);
    colors.fromRegistry(ColorSchemeDefault);
    createCommands();
    createMenu();
    createStatusBar();
    device->loadXml(LayoutResource);

    const QPoint origin = EditorFrame::patchEditorOrigin(*this);
    EditorFrame::loadPanel(selectionPanel, this, origin, true, QStringLiteral("Master:Selection"),
                           {.controlWidth = 170});
    const QRect sel = selectionPanel.geometry();
    EditorFrame::placeToolButtons(this, buttons, sel, origin.x(), ToolButtonGap);

    EditorFrame::loadPanel(commonPanel, this, QPoint(sel.right() + 13, origin.y()), true,
                           QStringLiteral("Master:Common"), {.controlWidth = 170});
    const QRect com = commonPanel.geometry();

    partsTab.init(this, QStringLiteral("Master Parts"), QPoint(origin.x(), com.bottom() + PartsTabGap),
                  sel.width() + com.width() + 12);
    for (int zone = 0; zone < Zones; ++zone) {
        partsTab.addPanel(QStringLiteral("Master:Zone"), zone, 60, 19, 23, QString(), 0);
        partsTab.addSep(1);
    }
    partsTab.fit();
    partsTab.selectTab(0);

    m_wire.setSelectionPanel(&selectionPanel);
    m_wire.setBuffers(copyBuffer, swapBuffer, nullptr);

    editorPanels.append(&selectionPanel);
    editorPanels.append(&commonPanel);
    editorPanels.append(&partsTab);

    setFixedSize(EditorFrame::patchEditorSize(*this, sel, com, partsTab.geometry()));

    using namespace EditorCommands;
    enableRange(this, CopyZoneBase + 1, CopyZoneBase + Zones, true);
    enableRange(this, CopyZoneBase + 1 + PasteOffset, CopyZoneBase + Zones + PasteOffset, false);
    enableRange(this, CopyZoneBase + 1 + SwapOffset, CopyZoneBase + Zones + SwapOffset, false);
}

VeskMaster::~VeskMaster() = default;

MidiPatchEdit* VeskMaster::patchEdit()
{
    return selectionPanel.getPatchEdit(QStringLiteral("&Number"), 0);
}
