// The virtual MIDI bus the device tests run on.
#pragma once

class VirtualMidiBus;

// The profile keys under which a device keeps its six port names.
extern const char* const DevicePortKeys[6];

// The bus, choosing the virtual backend when nothing else was chosen; null
// when another backend is in use.
VirtualMidiBus* testBus();

// Empties the bus and forgets the port names earlier devices stored, so each
// test starts without endpoints and without saved ports.
void resetBusAndPorts();
