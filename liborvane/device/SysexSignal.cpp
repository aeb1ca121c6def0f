#include "SysexSignal.h"

#include "BulkDump.h"
#include "MidiDevice.h"
#include "Sysex.h"

namespace {

// Each thread's own: a request runs on the thread that asks and blocks it.
thread_local MidiDevice::SyncOutcome lastOutcome = MidiDevice::SyncNone;

void noteOutcome(bool busy, bool answered)
{
    lastOutcome = busy       ? MidiDevice::SyncBusy
                  : answered ? MidiDevice::SyncAnswered
                             : MidiDevice::SyncTimedOut;
}

} // namespace

MidiDevice::SyncOutcome MidiDevice::lastSyncOutcome()
{
    return lastOutcome;
}

void MidiDevice::clearSyncOutcome()
{
    lastOutcome = SyncNone;
}

void MidiDevice::rejectSyncReply()
{
    lastOutcome = SyncRejected;
}

SysexSignal::SysexSignal(MidiDevice* device, int n) : MySignal(n), m_device(device)
{
    init();
}

void SysexSignal::init()
{
    QMutexLocker lock(&m_lock);
    disarm();
    m_busy = false;
    // Under the lock: a request that takes the signal next must not have its
    // arming cleared by this.
    signal(false);
}

bool SysexSignal::occupy()
{
    QMutexLocker lock(&m_lock);
    if (m_busy)
        return false;
    m_busy = true;
    disarm();
    signal(true);
    return true;
}

void SysexSignal::disarm()
{
    m_param.reset();
    m_value = -1;
    m_dump = nullptr;
    m_idPending = false;
    m_idPort = nullptr;
    m_answered = false;
}

bool SysexSignal::finish(int timeoutMs)
{
    wait(timeoutMs);
    bool answered;
    {
        QMutexLocker lock(&m_lock);
        answered = m_answered;
        // The result fields are read by the caller before init() runs again;
        // only the kind of request is disarmed here.
        m_idPending = false;
        m_dump = nullptr;
        m_param.reset();
    }
    return answered;
}

MidiInPort* SysexSignal::requestId(MidiOutPort* out, int timeoutMs)
{
    // Testing and arming in one step: of two threads asking at once, one waits
    // and the other is refused.
    if (!occupy()) {
        noteOutcome(true, false);
        return nullptr;
    }
    {
        QMutexLocker lock(&m_lock);
        m_idPending = true;
    }
    m_device->idRequest(out);

    MidiInPort* port = nullptr;
    const bool answered = finish(timeoutMs);
    if (answered) {
        QMutexLocker lock(&m_lock);
        port = m_idPort;
    }
    init();
    noteOutcome(false, answered);
    return port;
}

bool SysexSignal::requestBulkDump(unsigned int address, BulkDump& target, int timeoutMs)
{
    if (!occupy()) {
        noteOutcome(true, false);
        return false;
    }

    {
        QMutexLocker lock(&m_lock);
        target.clear();
        m_dump = &target;
    }
    m_device->bulkRequest(address);

    const bool complete = finish(timeoutMs);
    init();
    noteOutcome(false, complete);
    return complete;
}

int SysexSignal::requestParameter(MidiParam param, int timeoutMs)
{
    // Nothing is sent for a parameter without an address, so no answer can
    // come: do not block the caller for the whole timeout.
    if (!param.hasAddress())
        return -1;
    if (!occupy()) {
        noteOutcome(true, false);
        return -1;
    }
    {
        QMutexLocker lock(&m_lock);
        m_param = param;
    }
    m_device->paramRequest(param);

    int value = -1;
    const bool answered = finish(timeoutMs);
    if (answered) {
        QMutexLocker lock(&m_lock);
        value = m_value;
    }
    init();
    noteOutcome(false, answered);
    return value;
}

bool SysexSignal::OnId(Sysex* message, MidiInPort* in)
{
    QMutexLocker lock(&m_lock);
    if (!m_idPending || !message || !message->isId() || !m_device->checkId(message))
        return false;
    // The first accepted reply names the port; later ones are still consumed
    // while the request waits.
    if (!m_answered) {
        m_idPort = in;
        m_answered = true;
        signal(false);
    }
    return true;
}

bool SysexSignal::OnData(Sysex* message)
{
    if (!message)
        return false;
    QMutexLocker lock(&m_lock);
    if (m_param.hasAddress() && !m_answered && message->address() == m_param.address()) {
        m_value = message->getParameterData(m_param);
        m_answered = true;
        signal(false);
        return true;
    }
    // Once the block's last message is in, what follows (a second copy of the
    // block, a message the user sent meanwhile) is not part of the reply: it
    // would land in the caller's dump until the request has woken and
    // disarmed.
    if (!m_dump || m_answered || !message->isValid() || !message->isBulkDump())
        return false;
    m_dump->addNew(message, m_device);
    if (message->isLastOfBulk()) {
        m_answered = true;
        signal(false);
    }
    return true;
}
