// The five editor windows as their programs build them, on the instrument's
// device against the simulated instrument on the virtual bus, for the
// editors' tests. Header-only.
#pragma once

#include "EditorProgram.h"
#include "MidiEditorWindow.h"
#include "Profile.h"
#include "Simulator.h"
#include "TestEnvironment.h"
#include "TestBus.h"
#include "Vesk.h"
#include "VeskDrum.h"
#include "VeskMaster.h"
#include "VeskMix.h"
#include "VeskPerf.h"
#include "VeskVoice.h"
#include "VirtualMidiBus.h"

#include <QList>
#include <QSettings>
#include <QtTest>

#include <memory>

// An editor window with its panel list open to the test.
template <class Window>
class Probe : public Window
{
public:
    using Window::Window;
    QList<AbstractPanel*> listedPanels() const
    {
        QList<AbstractPanel*> list;
        for (AbstractPanel* panel : this->editorPanels)
            list.append(panel);
        return list;
    }
};

// The simulator, and the instrument's device whose saved ports name it, as
// a program finds them at its start.
struct EditorRig
{
    explicit EditorRig(VirtualMidiBus& bus)
    {
        resetBusAndPorts();
        sim = std::make_unique<Sim::BusSimulator>(bus, QStringLiteral("Vesk Sim"));
    }

    // The program's window as its program builds it: under the program's
    // identity, whose settings start empty but for the simulator's ports,
    // with its resources registered first.
    template <class Window>
    std::unique_ptr<Probe<Window>> build()
    {
        const EditorProgramInfo info = Window::programInfo();
        Profile::setIdentity(info.title, EditorOrganisation, EditorVersion);
        Profile::settings()->clear();
        Profile::writeProfileString(QString(), QStringLiteral("MidiIn"), sim->name());
        Profile::writeProfileString(QString(), QStringLiteral("MidiOut"), sim->name());
        Profile::writeProfileInt(QString(), QStringLiteral("Delay"), 0);
        device = std::make_unique<Vesk>();
        RegisterEditorResources(info);
        return std::make_unique<Probe<Window>>(device.get());
    }

    // Made first, gone last.
    std::unique_ptr<Sim::BusSimulator> sim;
    std::unique_ptr<Vesk> device;
};
