#include "PartPanels.h"

#include "MidiPatchEdit.h"
#include "Panel.h"
#include "TabPanel.h"
#include "Vesk.h"

namespace PartPanels {

namespace {
constexpr int Slots = 3;
}

void updatePlgRows(Vesk& device, TabPanel& tab, int firstPlgRow)
{
    device.loadPLG();
    for (int n = 0; n < Slots; ++n) {
        const int index = firstPlgRow + n;
        Panel* row = index < tab.panelCount() ? tab.panel(index) : nullptr;
        if (!row)
            continue;
        if (MidiPatchEdit* voice = row->getPatchEdit(QStringLiteral("Voice"), 0))
            voice->reloadBanks(QStringLiteral("PLG%1").arg(n + 1));
        const QString board = device.plgName(n);
        row->setTitle(board.isEmpty() ? QStringLiteral("--") : board.right(2));
    }
}

} // namespace PartPanels
