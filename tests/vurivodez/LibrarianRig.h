// The librarian's window as its program builds it, on the instrument's
// device against the simulated instrument on the virtual bus, with the
// prompts and the launcher scripted, for the librarian's tests. Header-only.
#pragma once

#include "Launcher.h"
#include "LibraryView.h"
#include "Profile.h"
#include "Prompts.h"
#include "Simulator.h"
#include "TestBus.h"
#include "TestEnvironment.h"
#include "Vesk.h"
#include "VeskLib.h"
#include "VeskLib_Program.h"
#include "VirtualMidiBus.h"
#include "VoicesListView.h"
#include "Waiting.h"

#include <QApplication>
#include <QtTest>

#include <memory>

// Records what would have started instead of starting it; a program whose
// name is in refuse "cannot be started".
class RecordingLauncher : public Launcher
{
public:
    struct Start
    {
        QString program;
        QStringList arguments;
        QByteArray fileBytes; // the first argument's content when it was started
    };
    RecordingLauncher() { m_replaced = Launcher::install(this); }
    ~RecordingLauncher() override { Launcher::install(m_replaced); }

    bool execute(const QString& program, const QStringList& arguments) override
    {
        Start start{program, arguments, {}};
        if (!arguments.isEmpty()) {
            QFile file(arguments.first());
            if (file.open(QIODevice::ReadOnly))
                start.fileBytes = file.readAll();
        }
        starts.append(start);
        return !refuse.contains(QFileInfo(program).fileName());
    }
    bool shellOpen(const QString& path) override
    {
        opened.append(path);
        return false;
    }

    QList<Start> starts;
    QStringList opened;
    QStringList refuse;

private:
    Launcher* m_replaced = nullptr;
};

// The simulator, the device whose saved ports name it, and the window.
struct LibrarianRig
{
    explicit LibrarianRig(VirtualMidiBus& bus)
    {
        resetBusAndPorts();
        sim = std::make_unique<Sim::BusSimulator>(bus, QStringLiteral("Vesk Sim"));
    }

    // Settings start empty but for the simulator's ports and what settings
    // adds; OnStart 0 unless given, so each test opens what it needs.
    std::unique_ptr<VeskLib> build(const std::function<void()>& settings = {})
    {
        Profile::setIdentity(VeskLib::Title, QStringLiteral("Tamsel"), QStringLiteral("2.8.0"));
        Profile::settings()->clear();
        Profile::writeProfileString(QString(), QStringLiteral("MidiIn"), sim->name());
        Profile::writeProfileString(QString(), QStringLiteral("MidiOut"), sim->name());
        Profile::writeProfileInt(QString(), QStringLiteral("Delay"), 0);
        Profile::writeProfileInt(QString(), QStringLiteral("OnStart"), 0);
        if (settings)
            settings();
        if (!device)
            device = std::make_unique<Vesk>();
        RegisterLibrarianResources();
        return std::make_unique<VeskLib>(device.get());
    }

    // Made first, gone last.
    std::unique_ptr<Sim::BusSimulator> sim;
    std::unique_ptr<Vesk> device;
};

// Shows the window and lets its first action after start-up run.
inline bool showLoaded(VeskLib& window)
{
    window.show();
    return QTest::qWaitFor([&] { return window.isLoaded(); }, Waiting::EventMs);
}

inline bool waitConnected(VeskLib& window)
{
    return QTest::qWaitFor([&] { return window.midiDevice()->isConnected(); }, 10000);
}
