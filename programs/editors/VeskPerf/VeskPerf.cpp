#include "VeskPerf.h"

#include "PartPanels.h"

#include "Application.h"
#include "EditorCommands.h"
#include "EditorFrame.h"
#include "MidiDevice.h"

namespace {

const QString LayoutResource = QStringLiteral(":/VeskPerf/data/PerformanceEditor_ES.xml");

} // namespace

VeskPerf::VeskPerf(MidiDevice* device) : EditorWindow(device, traits())
{
    Win_SetIcon(this, 101);
    colors.fromRegistry(ColorSchemeDefault);
    createCommands();
    createMenu();
    createStatusBar();
    device->loadXml(LayoutResource);

    const QPoint origin = EditorFrame::patchEditorOrigin(*this);
    EditorFrame::loadPanel(selectionPanel, this, origin, true, QStringLiteral("Perf:Selection"));
    const QRect sel = selectionPanel.geometry();
    EditorFrame::placeToolButtons(this, buttons, sel, origin.x(), ToolButtonGap);

    EditorFrame::loadPanel(commonPanel, this, QPoint(sel.right() + 13, origin.y()), true,
                           QStringLiteral("Perf:Common"), {.controlWidth = 100});
    const QRect com = commonPanel.geometry();

    partsTab.init(this, QStringLiteral("Performance Parts"), QPoint(origin.x(), com.bottom() + PartsTabGap),
                  sel.width() + com.width() + 12);
    for (int part = 0; part < Parts; ++part) {
        partsTab.addPanel(QStringLiteral("Perf:Part"), part, 60, 19, 23, QString(), 0);
        partsTab.addSep(1);
    }
    partsTab.addSep(6);
    for (int part = 0; part < PlgParts; ++part)
        partsTab.addPanel(QStringLiteral("Perf:PLGPart"), part, 60, 19, 23, QString(), 0);
    updatePLGPanels();
    partsTab.fit();
    partsTab.selectTab(0);

    m_wire.setSelectionPanel(&selectionPanel);
    m_wire.setBuffers(copyBuffer, swapBuffer, effectCopyBuffers);

    editorPanels.append(&selectionPanel);
    editorPanels.append(&commonPanel);
    editorPanels.append(&partsTab);

    setFixedSize(EditorFrame::patchEditorSize(*this, sel, com, partsTab.geometry()));

    using namespace EditorCommands;
    enableRange(this, CopyPartBase + 1, CopyPartBase + Parts, true);
    enableRange(this, CopyPartBase + 1 + PasteOffset, CopyPartBase + Parts + PasteOffset, false);
    enableRange(this, CopyPartBase + 1 + SwapOffset, CopyPartBase + Parts + SwapOffset, false);
    enableIds(this, {ReverbCopy + PasteOffset, ChorusCopy + PasteOffset, MasterEffectCopy + PasteOffset}, false);
}

VeskPerf::~VeskPerf() = default;

MidiPatchEdit* VeskPerf::patchEdit()
{
    return selectionPanel.getPatchEdit(QStringLiteral("&Number"), 0);
}

void VeskPerf::updatePLGPanels()
{
    PartPanels::updatePlgRows(*m_wire.device(), partsTab, Parts);
}

int VeskPerf::nextPanel(bool back)
{
    // Landing on the parts tab shows the first part.
    const int index = EditorWindow::nextPanel(back);
    if (index >= 0)
        editorPanels.at(index)->setFocus(0);
    return index;
}
