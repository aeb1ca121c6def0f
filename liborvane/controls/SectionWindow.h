// How a control opens the section window its descriptor names: the value
// controls and the buttons come here, so the window is made in one place.
#pragma once

class LaunchInfo;
class Panel;
class PanelDlg;

// A new window for the controls of panel, shown on info's section (the
// sub-section info's value picks) with base as the base address of its
// parameters (0xFFFFFFFF: none). Null without a panel or a section. The
// window is a top-level child of the panel's window; the caller keeps it and
// deletes it only to replace a closed one.
PanelDlg* OpenSectionWindow(Panel* panel, const LaunchInfo& info, unsigned int base);
