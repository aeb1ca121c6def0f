#include "TestBus.h"

#include "MidiBackend.h"
#include "Profile.h"
#include "VirtualMidiBus.h"

const char* const DevicePortKeys[6] = {"MidiIn", "MidiOut", "MidiIn2", "MidiOut2", "AuxIn", "AuxOut"};

VirtualMidiBus* testBus()
{
    if (qEnvironmentVariableIsEmpty("ORVANE_MIDI_BACKEND"))
        qputenv("ORVANE_MIDI_BACKEND", "virtual");
    return VirtualMidiBus::instance();
}

void resetBusAndPorts()
{
    if (VirtualMidiBus* bus = testBus())
        bus->reset();
    for (const char* key : DevicePortKeys)
        Profile::writeProfileString(QString(), QString::fromLatin1(key), QString());
}
