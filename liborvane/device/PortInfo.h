// The system's MIDI endpoints by index and name.
#pragma once

#include "Containers.h"

#include <QString>

// One source or destination as discovery found it.
struct PortInfo
{
    QString name; // the endpoint's own name, as ports compare it
    int id = -1;  // the endpoint's index among the system's sources (or destinations)

    PortInfo() = default;
    PortInfo(int id, const QString& name) : name(name), id(id) {}
};

// Sources and destinations in the system's order, rebuilt only by
// InitMidiPorts. An endpoint whose name cannot be read is missing, so indices
// may have gaps; duplicate names stay, and a port opens the first of them.
// No lock: they are rebuilt and read only while ports are being connected, a
// search is prepared or the MIDI set-up is shown, never on a receive thread.
extern Vector<PortInfo> MidiInPorts;
extern Vector<PortInfo> MidiOutPorts;

// Rebuilds both lists from the MIDI system, looking for one first when the
// process has none that opens (rescanMidiSystems); true when at least one
// destination exists.
bool InitMidiPorts();

// Display names of an endpoint. The MIDI systems we run on give a name and
// nothing above it (no device, entity or connection to follow), so both are
// the endpoint's own name; external says the endpoint belongs to an external
// device and changes nothing here.
QString EndpointName(const PortInfo& endpoint, bool external);
QString ConnectedEndpointName(const PortInfo& endpoint);
