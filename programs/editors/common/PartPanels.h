// The plug-in part rows of the performance and mix editors' parts tab: each
// follows the board fitted in its slot (its "Voice" selector lists the
// slot's banks, its caption is the board's suffix, "--" for an empty slot).
// GUI thread only.
#pragma once

class TabPanel;
class Vesk;

namespace PartPanels {

// Reloads the slots' boards and re-points rows firstPlgRow..+2 of tab (a row
// or a selector that is missing is skipped).
void updatePlgRows(Vesk& device, TabPanel& tab, int firstPlgRow);

} // namespace PartPanels
