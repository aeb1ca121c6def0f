#include "Panel.h"

#include "EventMessage.h"
#include "MidiClient.h"

Panel::Panel(MidiClient* client, QWidget* parent)
    : QWidget(parent), m_client(client), m_clientToken(client ? client->lifetimeToken() : nullptr)
{
}

Panel::~Panel()
{
    // A destroyed panel must not stay in its client's list; a client that is
    // already gone has no list to leave.
    if (MidiClient* client = liveClient())
        client->removePanel(this);
}

MidiClient* Panel::liveClient() const
{
    return m_clientToken ? m_client : nullptr;
}

QWidget* Panel::panelWindow() const
{
    MidiClient* client = liveClient();
    return client ? client->clientWindow() : nullptr;
}

ColorManager* Panel::colorManager() const
{
    if (m_colors)
        return m_colors;
    MidiClient* client = liveClient();
    return client ? &client->colorManager() : nullptr;
}

void Panel::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    // Every control paints its own greyed look; each is asked to repaint.
    update();
    for (QWidget* child : findChildren<QWidget*>())
        child->update();
}

void Panel::onPanelSelected(bool selected)
{
    PostMessage(panelWindow(), PanelSelectedMessage, PointerToVar(this), selected);
}

int Panel::selectFirstItem(int, int)
{
    return -1;
}

void Panel::requestGroup(int) {}

void Panel::onValueChanged(MidiCtrl* ctrl, int value, int which)
{
    emit valueChanged(ctrl, value, which);
}

void Panel::OnSysex(Sysex*) {}

void Panel::OnMidiMessage(const MidiMessage&) {}

void Panel::setAddressItems(unsigned int, const QString&) {}

void Panel::fit()
{
    if (MidiClient* client = liveClient(); client && !m_header)
        client->addPanel(this);
}

void Panel::clear()
{
    if (MidiClient* client = liveClient())
        client->removePanel(this);
}

void Panel::loadAsHeader(Panel*)
{
    m_header = true;
}

PanelDlg::PanelDlg(MidiClient* client, QWidget* parent) : QWidget(parent), m_panel(new Panel(client, this)) {}

PanelDlg::~PanelDlg() = default;

void PanelDlg::changeSection(int section)
{
    if (MidiClient* client = m_panel->liveClient())
        client->removePanel(m_panel);
    m_section = section;
}
