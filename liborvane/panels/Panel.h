// A panel of parameter controls in an editor window.
//
// The controls and the layout from panel data come with the editor windows;
// what stands here is the panel's link to its window's client: registration
// when laid out, removal when cleared, the hooks through which the client
// hands it incoming messages, and what its controls and caption ask of it:
// the widget they are drawn on, the colour scheme, the enabled flag that
// greys them, and the messages that tell the window about selection and
// caption clicks.
#pragma once

#include <QPointer>
#include <QWidget>

class ColorManager;
class MidiClient;
class MidiCtrl;
class MidiMessage;
class Sysex;

class Panel : public QWidget
{
    Q_OBJECT

public:
    // Messages posted to the panel's window, each with the panel as its first
    // value (PointerToVar).
    enum PanelMessage
    {
        PanelSelectedMessage = 4201,      // a control gained (true) or lost (false) the focus
        CaptionDoubleClickMessage = 4202, // the caption was double-clicked; second value 0
        CaptionMenuMessage = 4203         // a context menu was asked for on the caption; second value 0
    };

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

    // The widget the panel's controls and caption are children of.
    QWidget* frame() { return this; }
    // The window that hears about selection and caption clicks: the client's
    // window; null without a client.
    QWidget* panelWindow() const;

    // 0: one row of cells (a row of a tabbed panel); 1: vertical, the default.
    void setOrientation(int orientation) { m_orientation = orientation; }
    virtual bool isHorizontal() const { return m_orientation == 0; }

    // The panel's own colour scheme when it was given one, else its client's;
    // null for neither. The manager is not owned.
    ColorManager* colorManager() const;
    void setColorManager(ColorManager* manager) { m_colors = manager; }

    // The enabled flag greys the panel's controls without disabling any
    // widget: they still take the focus and keys. Setting a new state
    // repaints the panel and everything on it. (It stands in front of
    // QWidget::setEnabled, which still disables the panel's widget when
    // called as such.)
    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled);

    // A control of the panel gained or lost the keyboard focus: tells the
    // window (PanelSelectedMessage), after the current event.
    void onPanelSelected(bool selected);
    // Gives the focus to the first control from item on that takes it; its
    // index, or -1 when none does. The panel here holds no controls of its
    // own: -1.
    virtual int selectFirstItem(int item, int second);
    // Has every control of the request group (every control for -1) ask the
    // instrument for its value. The panel here holds no controls of its own:
    // nothing to ask.
    virtual void requestGroup(int group);

    // A control's value changed by the user (which: 0, or 1 for the high end
    // of a range): emits valueChanged.
    void onValueChanged(MidiCtrl* ctrl, int value, int which);

signals:
    void valueChanged(MidiCtrl* ctrl, int value, int which);

private:
    MidiClient* m_client;
    // Goes null when the client is destroyed, which may be before this panel.
    QPointer<QObject> m_clientToken;
    bool m_header = false;
    int m_orientation = 1;
    bool m_enabled = true;
    ColorManager* m_colors = nullptr;
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
