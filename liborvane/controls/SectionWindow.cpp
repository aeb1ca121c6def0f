#include "SectionWindow.h"

#include "CommonInfo.h"
#include "Panel.h"

PanelDlg* OpenSectionWindow(Panel* panel, const LaunchInfo& info, unsigned int base)
{
    if (!panel || !info.hasSection())
        return nullptr;
    // The window takes the panel's client, so its own panel sends and
    // receives like every panel of the editor. The section window here does
    // not load sections yet: the section and the base address are the ones
    // it is to load once it does; every opener already passes them.
    auto* window = new PanelDlg(panel->liveClient(), panel->panelWindow());
    window->setWindowFlag(Qt::Window);
    Q_UNUSED(base);
    window->show();
    return window;
}
