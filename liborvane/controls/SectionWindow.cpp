#include "SectionWindow.h"

#include "CommonInfo.h"
#include "Panel.h"

PanelDlg* OpenSectionWindow(Panel* panel, const LaunchInfo& info, unsigned int base)
{
    if (!panel || !info.hasSection())
        return nullptr;
    // The window takes the panel's client, so its own panel sends and
    // receives like every panel of the editor.
    auto* window = new PanelDlg(panel->liveClient(), panel->panelWindow());
    window->setWindowFlag(Qt::Window);
    (void)base;
    window->show();
    return window;
}
