#include "VeskMix.h"

#include "Application.h"
#include "EditorCommands.h"
#include "EditorFrame.h"
#include "MidiDevice.h"
#include "MidiEdit.h"

namespace {

const QString LayoutResource = QStringLiteral(":/VeskMix/data/MixEditor_ES.xml");

} // namespace

VeskMix::VeskMix(MidiDevice* device) : EditorWindow(device, traits())
{
    Win_SetIcon(this, 101);
    colors.fromRegistry(ColorSchemeDefault);
    currentPart = 0;
    mixMode = -1;
    createCommands();
    createMenu();
    createToolbar();
    createStatusBar();
    device->loadXml(LayoutResource);

    const QRect client = clientRect();
    const int toolBar = toolBarHeight(mainToolBar());
    const QPoint origin(client.left() + 14, client.top() + toolBar + 16);

    partsTab.init(this, QStringLiteral("Mixing Parts"), origin, PartsTabWidth);
    for (int part = 0; part < Parts; ++part) {
        partsTab.addPanel(QStringLiteral("Mix:Part"), part, 60, 19, 23, QString(), 0);
        // The part's volume follows the part mixer, which holds it back
        // while the part is muted.
        if (MidiEdit* volume = partsTab.panel(part)->getEdit(QStringLiteral("Volume"), 0))
            volume->setMixPart(device->mixPart(part));
        partsTab.addSep(1);
    }
    partsTab.addSep(4);
    // The mixer keeps records for the sixteen parts only: the plug-in parts'
    // volumes stay unbound.
    for (int part = 0; part < PlgParts; ++part)
        partsTab.addPanel(QStringLiteral("Mix:PLGPart"), part, 60, 19, 23, QString(), 0);
    updatePLGPanels();
    partsTab.fit();
    partsTab.selectTab(0);

    // The panels on the right stand 12 pixels right of the parts tab: at 777
    // for the tab's 751, further when the tab had to grow to show its widest
    // tab.
    const int right = origin.x() + partsTab.width() + 12;
    EditorFrame::loadPanel(commonPanel, this, QPoint(right, origin.y()), true, QStringLiteral("Mix:Common"),
                           {.controlWidth = 116});
    const QRect com = commonPanel.geometry();
    EditorFrame::loadPanel(systemPanel, this, QPoint(right, com.bottom() + 13), true,
                           QStringLiteral("Mix:System1"), {.controlWidth = 116, .marginBottom = 9});

    m_wire.setRereadPanel(&systemPanel);
    m_wire.setMixMode(&mixMode);
    m_wire.setBuffers(copyBuffer, swapBuffer, effectCopyBuffers);

    editorPanels.append(&commonPanel);
    editorPanels.append(&systemPanel);
    editorPanels.append(&partsTab);

    setFixedSize(partsTab.width() + com.width() + 40, partsTab.geometry().height() + 55 + toolBar + client.top());

    using namespace EditorCommands;
    enableRange(this, CopyPartBase + 1, CopyPartBase + Parts, true);
    enableRange(this, CopyPartBase + 1 + PasteOffset, CopyPartBase + Parts + PasteOffset, false);
    enableRange(this, CopyPartBase + 1 + SwapOffset, CopyPartBase + Parts + SwapOffset, false);
    enableIds(this, {ReverbCopy + PasteOffset, ChorusCopy + PasteOffset, MasterEffectCopy + PasteOffset}, false);
    // Multis have no block the instrument sends: reading their names could
    // only fail. The command stays on no menu and does nothing.
    enableCommand(ReadMultisCommand, false);
    setFilePath(QString());
}

VeskMix::~VeskMix()
{
    // The transmission sends from the device, which outlives the window, and
    // reports to the window: it ends before the window goes.
    endTransmission();
}
