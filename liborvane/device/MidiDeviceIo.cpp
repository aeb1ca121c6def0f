// The device's traffic: connection, sending, and the receive path.
#include "MidiDevice.h"

#include "MidiClient.h"
#include "Sysex.h"

void MidiDevice::connect(bool) {}
void MidiDevice::disconnect()
{
    setConnected(false);
}
void MidiDevice::setPorts(const QString&, const QString&) {}
void MidiDevice::setConnected(bool connected)
{
    m_connected = connected;
    notifyClients();
}
void MidiDevice::idRequest() {}
void MidiDevice::idRequest(MidiOutPort*) {}
void MidiDevice::sendShort(const MidiMessage&) {}
void MidiDevice::noteOn(int, int, int) {}
void MidiDevice::noteOff(int, int) {}
void MidiDevice::resetControllers() {}
void MidiDevice::localControl(bool) {}
void MidiDevice::patchChange(Patch) {}
void MidiDevice::patchChange(Patch, int) {}
void MidiDevice::sendSysex(Sysex*) {}
void MidiDevice::sendSysex(const QString&) {}
void MidiDevice::transmitFile(const QString&) {}
void MidiDevice::transmitString(const QString&) {}
void MidiDevice::paramRequest(MidiParam) {}
void MidiDevice::paramChange(MidiParam, int) {}
QString MidiDevice::displaySysex(Sysex*)
{
    return QString();
}
void MidiDevice::waitRequest() {}
void MidiDevice::waitTransmit() {}
QString MidiDevice::bankNumber(unsigned short)
{
    return QString();
}
void MidiDevice::setPartVolume(int, int) {}
void MidiDevice::OnShortMessage(MidiInPort*, unsigned int) {}
void MidiDevice::OnLongMessage(MidiInPort*, unsigned char*, int) {}
void MidiDevice::customEvent(QEvent*) {}
void MidiDevice::PostMidiMessage(const MidiMessage&, MidiSource) {}
void MidiDevice::PostSysex(Sysex*, MidiSource) {}
void MidiDevice::PostPatchChange(Patch, MidiSource) {}
