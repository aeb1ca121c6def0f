// Synchronous requests: a reply awaited with a timeout.
#pragma once

#include "MidiParam.h"
#include "MySignal.h"

class BulkDump;
class MidiDevice;
class MidiInPort;
class MidiOutPort;
class Sysex;

// Turns an identity, bulk or parameter request into a blocking call. The
// device owns one, so at most one request waits per device; a second one made
// meanwhile fails at once. The requests run on the caller's thread; OnId and
// OnData run on the receive thread.
class SysexSignal : public MySignal
{
public:
    SysexSignal(MidiDevice* device, int n);

    // Disarms everything and frees the signal.
    void init();

    // The input on which an accepted identity reply came; null on timeout or
    // when another request is pending.
    MidiInPort* requestId(MidiOutPort* out, int timeoutMs);
    // True when the last message of the bulk arrived in time; target keeps what
    // did arrive.
    bool requestBulkDump(unsigned int address, BulkDump& target, int timeoutMs);
    // The value; -1 on timeout, when busy, or when the parameter has no address.
    int requestParameter(MidiParam param, int timeoutMs);

    // True when the message was the awaited reply and has been consumed.
    bool OnId(Sysex* message, MidiInPort* in);
    bool OnData(Sysex* message);

private:
    MidiDevice* const m_device;
};
