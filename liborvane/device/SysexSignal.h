// Synchronous requests: a reply awaited with a timeout.
#pragma once

#include "MidiParam.h"
#include "MySignal.h"

#include <QMutex>

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
    // did arrive. Whatever came before the footer counts: a reply that lost
    // its header or a block still ends here, as this knows no block's layout.
    // Callers that keep or write what came ask through the instrument's
    // syncPatchRequest or syncEditBufferRequest, which take a block only whole.
    bool requestBulkDump(unsigned int address, BulkDump& target, int timeoutMs);
    // The value; -1 on timeout, when busy, or when the parameter has no address.
    int requestParameter(MidiParam param, int timeoutMs);

    // True when the message was the awaited reply and has been consumed.
    bool OnId(Sysex* message, MidiInPort* in);
    bool OnData(Sysex* message);

private:
    // Clears what is awaited; the caller holds m_lock. The occupation of the
    // signal is left alone.
    void disarm();
    // Takes the signal for one request and arms it, in one step; false when
    // another request holds it.
    bool occupy();
    // Waits for the armed reply, then disarms it; the request keeps the signal
    // until its init(). True when the reply came, even if it came just as the
    // time ran out.
    bool finish(int timeoutMs);

    MidiDevice* const m_device;

    // Everything below is armed and disarmed by the requesting thread and
    // written by the receive thread, both under m_lock. Holding it while a
    // reply is copied into m_dump means that once the request has disarmed,
    // nothing writes into the caller's dump any more.
    mutable QMutex m_lock;
    MidiParam m_param;              // the parameter whose value is awaited
    int m_value = -1;               // its value, as the reply held it
    BulkDump* m_dump = nullptr;     // the caller's dump being filled; not owned
    bool m_idPending = false;       // an identity reply is awaited
    MidiInPort* m_idPort = nullptr; // where the accepted identity reply came
    bool m_answered = false;        // the awaited reply is in
    // A request holds the signal from occupy() to its closing init(). The
    // reply only wakes the waiter: the signal stays taken until the request
    // has read its result, so no other request can arm in between and swap
    // the answers.
    bool m_busy = false;
};
