#include "SysexSignal.h"

SysexSignal::SysexSignal(MidiDevice* device, int n) : MySignal(n), m_device(device) {}
void SysexSignal::init() {}
MidiInPort* SysexSignal::requestId(MidiOutPort*, int)
{
    return nullptr;
}
bool SysexSignal::requestBulkDump(unsigned int, BulkDump&, int)
{
    return false;
}
int SysexSignal::requestParameter(MidiParam, int)
{
    return -1;
}
bool SysexSignal::OnId(Sysex*, MidiInPort*)
{
    return false;
}
bool SysexSignal::OnData(Sysex*)
{
    return false;
}
