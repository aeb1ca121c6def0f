#include "MidiClient.h"

#include "EventMessage.h"
#include "MidiBackend.h"
#include "MidiDevice.h"
#include "MidiSystems.h"
#include "Panel.h"
#include "Prompts.h"
#include "VarArgs.h"

#include <QWidget>

bool MidiClient_Proxy::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == EventMessage::Type() &&
        static_cast<EventMessage*>(event)->id() == MidiClient::ConnectMessage) {
        client->OnConnect();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

MidiClient::MidiClient(const QString& name, MidiDevice* device, QWidget* window)
    : device(device), connected(false), proxy(this), window(window), name(name)
{
    window->installEventFilter(&proxy);
    device->addClient(this);
    PostConnect();
}

MidiClient::~MidiClient()
{
    device->removeClient(this);
    removePanels();
}

void MidiClient::PostConnect()
{
    const bool state = device->isConnected();
    // While not connected, a change of the reason (the MIDI system went, or
    // one appeared) is news to the window as well.
    const QString problem = state ? QString() : currentMidiSystemProblem().text;
    if (state == connected && problem == reportedProblem)
        return;
    connected = state;
    reportedProblem = problem;
    PostMessage(window, ConnectMessage, QVariant(0), QVariant(0));
}

QString MidiClient::connectionText() const
{
    if (!device->isConnected()) {
        const MidiSystemProblem problem = currentMidiSystemProblem();
        if (!problem.isEmpty())
            return device->connectionStatus() + QStringLiteral(": ") + problem.brief;
    }
    return device->connectionStatus();
}

void MidiClient::reportMidiSystem()
{
    if (problemShown)
        return;
    const MidiSystemProblem problem = currentMidiSystemProblem();
    if (problem.isEmpty())
        return;
    // Once: later failures show in the status bar only.
    problemShown = true;
    Prompts::current()->error(window, problem.text, QString());
}

void MidiClient::addPanel(Panel* panel)
{
    if (!panels.contains(panel))
        panels.append(panel);
}

void MidiClient::removePanel(Panel* panel)
{
    panels.removeOne(panel);
}

void MidiClient::removePanels()
{
    panels.clear();
}

bool MidiClient::isPanelValid(int index) const
{
    if (index < 0 || index >= panels.size())
        return false;
    const Panel* panel = panels.at(index);
    return panel && panel->client();
}

void MidiClient::setAddressItems(unsigned int address, const QString& items)
{
    for (int i = 0; i < panels.size(); ++i) {
        if (Panel* panel = panels.at(i))
            panel->setAddressItems(address, items);
    }
}

QList<QPointer<Panel>> MidiClient::panelsNow() const
{
    QList<QPointer<Panel>> now;
    now.reserve(panels.size());
    for (Panel* panel : panels)
        now.append(panel);
    return now;
}

bool MidiClient::isStillListed(const Panel* panel, int index) const
{
    // The list as it was when the walk began is the common case: no search.
    if (index >= panels.size() || panels.at(index) != panel)
        index = int(panels.indexOf(panel));
    return isPanelValid(index);
}

void MidiClient::forEachListedPanel(const std::function<void(Panel*)>& call)
{
    const QList<QPointer<Panel>> now = panelsNow();
    for (int i = 0; i < now.size(); ++i) {
        Panel* panel = now.at(i);
        if (panel && isStillListed(panel, i))
            call(panel);
    }
}

void MidiClient::OnMidiMessage(const MidiMessage& message, MidiSource)
{
    forEachListedPanel([&](Panel* panel) { panel->OnMidiMessage(message); });
}

void MidiClient::OnSysex(Sysex* message, MidiSource source)
{
    // The program's own sends never come back to the panels this way.
    if (source == SourceGUI)
        return;
    forEachListedPanel([&](Panel* panel) { panel->OnSysex(message); });
}

QString PrintMidiSource(MidiSource source)
{
    switch (source) {
    case SourceDev:
        return QStringLiteral("SourceDev");
    case SourceAux:
        return QStringLiteral("SourceAux");
    case SourceGUI:
        return QStringLiteral("SourceGUI");
    }
    return VarArgs::format("%d", int(source));
}
