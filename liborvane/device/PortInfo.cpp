#include "PortInfo.h"

#include "MidiBackend.h"

Vector<PortInfo> MidiInPorts;
Vector<PortInfo> MidiOutPorts;

namespace {

void fill(Vector<PortInfo>& ports, MidiEndpointKind kind)
{
    ports.clear();
    const QList<MidiEndpoint> endpoints = midiBackend()->endpoints(kind);
    for (const MidiEndpoint& e : endpoints) {
        // "(none)" stands for no port in the set-up; an endpoint of that name
        // could never be chosen or opened.
        if (e.name.isEmpty() || e.name == QLatin1String("(none)"))
            continue;
        ports.append(PortInfo(e.index, e.name));
    }
}

} // namespace

bool InitMidiPorts()
{
    // A system that was not there at start is taken up here.
    rescanMidiSystems();
    fill(MidiInPorts, MidiEndpointKind::Source);
    fill(MidiOutPorts, MidiEndpointKind::Destination);
    return !MidiOutPorts.isEmpty();
}

QString EndpointName(const PortInfo& endpoint, bool /*external*/)
{
    return endpoint.name;
}

QString ConnectedEndpointName(const PortInfo& endpoint)
{
    return endpoint.name;
}
