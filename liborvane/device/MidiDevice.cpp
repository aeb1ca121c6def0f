#include "MidiDevice.h"

MidiDevice::MidiDevice(const QString& name, int delay) : m_name(name), m_delay(delay) {}

MidiDevice::~MidiDevice() = default;

Sysex* MidiDevice::createSysex()
{
    return nullptr;
}

unsigned int MidiDevice::getIndexedAddress(unsigned int, int)
{
    return 0xFFFFFFFF;
}
