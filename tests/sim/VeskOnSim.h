// What the simulator's test files need to read the instrument's own device's
// blocks as a user sees them. Header-only and inline.
#pragma once

#include "BulkDump.h"
#include "MidiPort.h"
#include "Simulator.h"
#include "Vesk.h"

#include <memory>

namespace SimVesk {

// The patch name the device reads from a received block (header and footer
// included) of a dump type.
inline QString patchName(Vesk& device, int type, BulkDump& received)
{
    std::unique_ptr<PatchDump> patch(device.createPatchDump(type));
    patch->copyDump(&received, &device);
    device.strip(patch.get());
    return patch->name(false);
}

// The instrument's device (or a test's subclass of it) on the simulator's
// ports, sending without pauses; not connected yet.
template <class Device = Vesk>
std::unique_ptr<Device> deviceOn(const Sim::BusSimulator& sim)
{
    auto device = std::make_unique<Device>();
    device->setDelay(0);
    device->midiIn()->setName(sim.name());
    device->midiOut()->setName(sim.name());
    return device;
}

} // namespace SimVesk
