// What the transfer tests need of the simulated instrument: its locations as
// the device would receive them, and the instrument's device on it, connected,
// with a library document and its owner. Header-only and inline, for the
// library's transfer test files.
#pragma once

#include "../sim/VeskOnSim.h"
#include "Library.h"
#include "PatchDump.h"
#include "PatchGroupList.h"
#include "Simulator.h"
#include "Sysex.h"
#include "TransferRig.h"
#include "Vesk.h"
#include "VeskAll_Library.h"

#include "VirtualMidiBus.h"

#include <QStringList>
#include <QTest>

#include <memory>

namespace TransferSim {

// The bulk address of a patch location; 0 for a bank the simulator lacks.
inline unsigned int location(unsigned short bankWord, int program)
{
    for (const Sim::Bank& bank : Sim::banks()) {
        if (bank.bankWord == bankWord)
            return bank.firstBlock + unsigned(program);
    }
    return 0;
}

// The messages of a location or edit buffer, header and footer left out, as
// the instrument sends them.
inline QList<QByteArray> blocks(const Sim::Simulator& sim, unsigned int block)
{
    return sim.inspect([block](const Sim::Instrument& instrument) {
        QList<QByteArray> out;
        const Sim::Memory& memory = instrument.memory();
        const int type = memory.typeOf(block);
        const QByteArray* image = memory.image(block);
        if (type < 0 || !image)
            return out;
        for (const Sim::Layout::Block& b : memory.layout(Sim::PatchType(type)).blocks)
            out << Sim::bulkDump(b.address, image->mid(b.offset, b.size), instrument.device());
        return out;
    });
}

inline QList<QByteArray> blocks(const BulkDump* dump)
{
    QList<QByteArray> out;
    for (const Sysex* message : dump->list())
        out << message->bytes();
    return out;
}

// "group:row" of every bank group slot whose messages differ from the
// instrument's location.
inline QStringList differences(const Sim::Simulator& sim, Library* library)
{
    QStringList out;
    for (PatchGroup* group : PatchGroupList(library)) {
        if (group->type() != Library::BankGroup)
            continue;
        const unsigned short word = static_cast<BankPatchGroup*>(group)->bank().word();
        for (int row = 0; row < group->itemCount(); ++row) {
            if (blocks(group->patchDumpAt(row)) != blocks(sim, location(word, row)))
                out << QStringLiteral("%1:%2").arg(group->name()).arg(row);
        }
    }
    return out;
}

// Gives every user location a name of its own ("Mine 0803"), so that the
// instrument's memory differs from a fresh one.
inline void renameUserLocations(Sim::Simulator& sim)
{
    sim.modify([](Sim::Instrument& instrument) {
        for (const Sim::Bank& bank : Sim::banks()) {
            if (!bank.user)
                continue;
            for (int p = 0; p < bank.count; ++p) {
                const unsigned int block = bank.firstBlock + unsigned(p);
                QByteArray image = instrument.image(block);
                const QByteArray name =
                    "Mine " + QByteArray::number(block, 16).toUpper().rightJustified(4, '0');
                image.replace(0, name.size(), name);
                instrument.setImage(block, image);
            }
        }
    });
}


// The instrument's device connected to the simulator on the virtual bus, a
// library document of it with a test owner, and the jobs' display. One per
// test: start() builds it, stop() takes it down, owner first.
struct SimTransferRig
{
    VirtualMidiBus* bus = nullptr;
    std::unique_ptr<Sim::BusSimulator> sim;
    std::unique_ptr<Vesk> device;
    std::unique_ptr<LibraryFolder> library;
    std::unique_ptr<TestTransferOwner> owner;
    std::unique_ptr<TaskRecorder> display;

    // kind 0: a Ridev Library, 1: a Voice Library.
    void start(int kind)
    {
        sim = std::make_unique<Sim::BusSimulator>(*bus);
        QVERIFY2(sim->isLoaded(), qPrintable(sim->error()));
        device = SimVesk::deviceOn(*sim);
        device->connect(true);
        QTRY_VERIFY_WITH_TIMEOUT(device->isConnected(), 10000);
        library.reset(CreateVeskLibrary(kind, device.get()));
        owner = std::make_unique<TestTransferOwner>(library.get());
        display = std::make_unique<TaskRecorder>();
    }

    void stop()
    {
        owner.reset();
        library.reset();
        display.reset();
        device.reset();
        sim.reset();
    }

    // Whether every job begun has ended within ms.
    bool ended(int ms)
    {
        return QTest::qWaitFor([this] { return display->allEnded(); }, ms);
    }

    PatchDump* slot(unsigned short bank, int program) { return library->getPatchDump(Patch(bank, program)); }
    // What the progress shows for the patch in its slot.
    QString shownPatch(unsigned short bank, int program)
    {
        return device->printPatch(Patch(bank, program), Patch::OneBasedGrouped) + QLatin1Char(' ') +
               slot(bank, program)->name(true);
    }
    // The name of the instrument's location.
    QString simName(unsigned short bank, int program)
    {
        return (*sim)->name(location(bank, program)).trimmed();
    }
};

} // namespace TransferSim
