// A window's link to the device.
#pragma once

#include "ColorManager.h"
#include "Containers.h"
#include "MidiTypes.h"
#include "Patch.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class MidiClient;
class MidiDevice;
class MidiMessage;
class Panel;
class QWidget;
class Sysex;

// The event filter on the client's window: it turns the connection notice into
// a call of the client's OnConnect and keeps it from the window.
class MidiClient_Proxy : public QObject
{
public:
    explicit MidiClient_Proxy(MidiClient* client) : client(client) {}
    bool eventFilter(QObject* watched, QEvent* event) override;

    MidiClient* client;
};

// Every window that talks to the instrument is a client of its device. The
// device hands it every incoming message on the GUI thread (and the program's
// own sends as an echo, on the sending thread) and tells it of every change of
// the connection state. The base passes messages on to the window's registered
// panels.
class MidiClient
{
public:
    // The id of the connection notice posted to the window.
    static constexpr int ConnectMessage = 111;

    // device and window must not be null.
    MidiClient(const QString& name, MidiDevice* device, QWidget* window);
    virtual ~MidiClient();
    MidiClient(const MidiClient&) = delete;
    MidiClient& operator=(const MidiClient&) = delete;

    virtual void OnConnect() {}
    virtual void OnMidiMessage(const MidiMessage& message, MidiSource source);
    virtual void OnSysex(Sysex* message, MidiSource source);
    virtual void OnPatchChange(Patch, MidiSource) {}
    virtual void MidiReceive() {}
    virtual void OnLoadPanel(Panel*) {}

    // Posts the connection notice to the window when the device's state differs
    // from the one last reported, or, while not connected, the MIDI system's
    // problem (MidiBackend.h) does.
    void PostConnect();
    // What the window's status bar shows: the device's connection status,
    // and while not connected, why the MIDI system cannot be used.
    QString connectionText() const;
    // GUI thread, window shown: the first time this client finds the MIDI
    // system unusable, says so in a message box through the prompts in force.
    void reportMidiSystem();

    void addPanel(Panel* panel);
    void removePanel(Panel* panel);
    void removePanels();
    bool isPanelValid(int index) const;
    void setAddressItems(unsigned int address, const QString& items);

    const Vector<Panel*>& panelList() const { return panels; }
    MidiDevice* midiDevice() const { return device; }
    QWidget* clientWindow() const { return window; }
    QString clientName() const { return name; }
    bool reportedConnected() const { return connected; }
    ColorManager& colorManager() { return colors; }
    // An object that lives exactly as long as this client: a panel watches it
    // (QPointer) so that it never calls a client that is already gone. A
    // window that is a client owns its panels as child widgets, and those are
    // destroyed only after the client part of the window.
    QObject* lifetimeToken() { return &proxy; }

protected:
    // Hands something to every panel: a panel may leave the list while it
    // handles it (a section window switching its section leaves and joins
    // again at the end), so the walk follows the list as it stood when it
    // began, and calls only the panels still listed when their turn comes. A
    // panel added during the walk is not called.
    void forEachListedPanel(const std::function<void(Panel*)>& call);

    Vector<Panel*> panels;
    MidiDevice* device;
    // The state last reported to the window. Written by whichever thread
    // reports (the device reports on the GUI thread).
    bool connected;
    // The MIDI system's problem last reported with the state; same thread.
    QString reportedProblem;
    // The message box about the MIDI system was shown. GUI thread.
    bool problemShown = false;
    MidiClient_Proxy proxy;
    QWidget* window;
    QString name;
    ColorManager colors;

private:
    // The panels as listed now, each watched: one deleted during a walk
    // reads as null.
    QList<QPointer<Panel>> panelsNow() const;
    // The panel is still in the list and valid; index is where the walk
    // found it, looked at first.
    bool isStillListed(const Panel* panel, int index) const;
};

// "SourceDev", "SourceAux", "SourceGUI", or the number.
QString PrintMidiSource(MidiSource source);
