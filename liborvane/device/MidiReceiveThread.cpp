#include "MidiReceiveThread.h"

#include "MidiPort.h"

#include <chrono>

#ifdef __linux__
#include <pthread.h>
#endif

namespace {
// A burst of large messages leaves big buffers behind; above this they are
// given back once the burst is handled.
constexpr size_t KeptBytes = size_t(4) << 20;
} // namespace

MidiReceiveThread& MidiReceiveThread::instance()
{
    // Never destroyed: an input port still open when the process ends may
    // get a packet from its backend while static objects are destroyed.
    static MidiReceiveThread* const thread = new MidiReceiveThread;
    return *thread;
}

MidiReceiveThread::MidiReceiveThread()
{
    m_packets.reserve(1024);
    m_bytes.reserve(16384);
    m_batch.reserve(1024);
    m_batchBytes.reserve(16384);
    std::lock_guard lock(m_mutex);
    m_thread = std::thread([this] { run(); });
    m_threadId = m_thread.get_id();
    m_thread.detach();
}

void MidiReceiveThread::queue(MidiInPort* port, const unsigned char* data, int size)
{
    if (!port || !data || size <= 0)
        return;
    {
        std::lock_guard lock(m_mutex);
        m_packets.push_back(Packet{port, int(m_bytes.size()), size});
        m_bytes.insert(m_bytes.end(), data, data + size);
    }
    m_wake.notify_one();
}

void MidiReceiveThread::forget(MidiInPort* port)
{
    std::unique_lock lock(m_mutex);
    for (Packet& p : m_packets) {
        if (p.port == port)
            p.port = nullptr;
    }
    if (isCurrentThread()) {
        // Called from a hook: the rest of the batch must skip the port too.
        lock.unlock();
        for (Packet& p : m_batch) {
            if (p.port == port)
                p.port = nullptr;
        }
        return;
    }
    if (m_busy) {
        const unsigned long long batch = m_done;
        m_idle.wait(lock, [&] { return !m_busy || m_done != batch; });
    }
}

bool MidiReceiveThread::waitIdle(int timeoutMs)
{
    if (isCurrentThread())
        return false;
    std::unique_lock lock(m_mutex);
    return m_idle.wait_for(lock, std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs),
                           [&] { return m_packets.empty() && !m_busy; });
}

void MidiReceiveThread::run()
{
#ifdef __linux__
    pthread_setname_np(pthread_self(), "midi-receive");
#endif
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&] { return !m_packets.empty(); });
        // Everything queued so far, in one go: the backend threads go on
        // queueing into the emptied lists meanwhile.
        m_batch.swap(m_packets);
        m_batchBytes.swap(m_bytes);
        m_busy = true;
        lock.unlock();

        // By index and by copy: a hook may forget a port of this batch.
        for (size_t i = 0; i < m_batch.size(); ++i) {
            const Packet p = m_batch[i];
            if (p.port)
                p.port->ReceiveProc(m_batchBytes.data() + p.offset, p.size);
        }
        m_batch.clear();
        m_batchBytes.clear();
        if (m_batchBytes.capacity() > KeptBytes)
            m_batchBytes.shrink_to_fit();
        if (m_batch.capacity() > KeptBytes / sizeof(Packet))
            m_batch.shrink_to_fit();

        lock.lock();
        m_busy = false;
        ++m_done;
        m_idle.notify_all();
    }
}
