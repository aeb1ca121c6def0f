#include "SectionWindow.h"

#include "CommonInfo.h"
#include "Panel.h"
#include "PanelDlg.h"

PanelDlg* OpenSectionWindow(Panel* panel, const LaunchInfo& info, unsigned int base)
{
    if (!panel || !info.hasSection())
        return nullptr;
    // The window takes the panel's client, so its own panel sends and
    // receives like every panel of the editor.
    auto* window = new PanelDlg(panel->panelWindow(), panel->liveClient());
    // A window that loaded nothing has closed itself; the control would only
    // keep an empty window to delete at its next request.
    if (!window->init(info, base)) {
        delete window;
        return nullptr;
    }
    return window;
}
