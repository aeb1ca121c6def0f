#include "Panel.h"

#include "MidiClient.h"

Panel::Panel(MidiClient* client, QWidget* parent) : QWidget(parent), m_client(client) {}

Panel::~Panel()
{
    if (m_client)
        m_client->removePanel(this);
}

void Panel::OnSysex(Sysex*) {}

void Panel::OnMidiMessage(const MidiMessage&) {}

void Panel::setAddressItems(unsigned int, const QString&) {}

void Panel::fit()
{
    if (m_client && !m_header)
        m_client->addPanel(this);
}

void Panel::clear()
{
    if (m_client)
        m_client->removePanel(this);
}

void Panel::loadAsHeader(Panel*)
{
    m_header = true;
}

PanelDlg::PanelDlg(MidiClient* client, QWidget* parent) : QWidget(parent), m_panel(new Panel(client, this)) {}

PanelDlg::~PanelDlg() = default;

void PanelDlg::changeSection(int section)
{
    if (MidiClient* client = m_panel->client())
        client->removePanel(m_panel);
    m_section = section;
}
