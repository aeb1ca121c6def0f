// How a control opens the section window its descriptor names: the value
// controls and the buttons come here, so the window is made in one place.
#pragma once

class LaunchInfo;
class Panel;
class PanelDlg;

// A new window for the controls of panel, shown on info's section (the
// sub-section info's value picks) with base as the base address of its
// parameters (0xFFFFFFFF: none). The window is a child of the panel's window
// and shows at once; the caller keeps it and deletes it only to replace a
// closed one. Null without a panel or a section, and when the section (or
// the sub-section) holds no control: that window is gone already.
PanelDlg* OpenSectionWindow(Panel* panel, const LaunchInfo& info, unsigned int base);
