// A panel of parameter controls in an editor window.
//
// The controls and the layout from panel data come with the editor windows;
// what stands here is the panel's link to its window's client: registration
// when laid out, removal when cleared, and the hooks through which the client
// hands it incoming messages.
#pragma once

#include <QPointer>
#include <QWidget>

class MidiClient;
class MidiMessage;
class Sysex;

class Panel : public QWidget
{
public:
    // A null client marks a panel that is not attached to a client.
    explicit Panel(MidiClient* client, QWidget* parent = nullptr);
    ~Panel() override;

    MidiClient* client() const { return m_client; }
    // The client while it exists, else null.
    MidiClient* liveClient() const;

    // Pass the message to the panel's controls.
    virtual void OnSysex(Sysex* message);
    virtual void OnMidiMessage(const MidiMessage& message);
    // Replaces the item list of the panel's edit controls at address.
    virtual void setAddressItems(unsigned int address, const QString& items);

    // After laying out: registers with the client, unless a header panel.
    void fit();
    // Unregisters from the client, then empties the panel.
    void clear();
    // Fills this panel as the header of another; a header never registers.
    void loadAsHeader(Panel* owner);
    bool isHeader() const { return m_header; }

private:
    MidiClient* m_client;
    // Goes null when the client is destroyed, which may be before this panel.
    QPointer<QObject> m_clientToken;
    bool m_header = false;
};

// A secondary window holding one panel whose section can change.
class PanelDlg : public QWidget
{
public:
    PanelDlg(MidiClient* client, QWidget* parent = nullptr);
    ~PanelDlg() override;

    Panel* panel() const { return m_panel; }
    // Unregisters the panel before another section is loaded into it.
    void changeSection(int section);
    int section() const { return m_section; }

private:
    Panel* m_panel;
    int m_section = -1;
};
