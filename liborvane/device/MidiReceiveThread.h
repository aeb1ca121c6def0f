// The receive thread: where received MIDI becomes messages and reaches the
// owners of the input ports.
//
// A backend delivers what arrives on a thread of its own: RtMidi's ALSA input
// thread, the JACK backend's "jack-midi-in" (JACK's own process thread only
// fills a ring per port), the virtual bus's delivery thread. So that none of
// them waits on the owners, an input port's backend callback does no more
// than copy the bytes into the queue here (a short critical section) and
// return. One thread of our own, "midi-receive", takes what has queued up in
// one go, assembles the packets into messages (MidiInPort::ReceiveProc) and
// runs the owners' hooks (IMidiPortOwner), packet after packet in the order
// they came, for every input port of the process.
//
// Threads: queue() runs on any backend thread; forget() and waitIdle() on the
// threads that close ports or wait for traffic; everything else on the
// receive thread. Nothing here throws.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

class MidiInPort;

class MidiReceiveThread
{
public:
    // The one receive thread of the process, started on first use and kept
    // until the process ends: backend threads may still deliver while static
    // objects go.
    static MidiReceiveThread& instance();

    MidiReceiveThread(const MidiReceiveThread&) = delete;
    MidiReceiveThread& operator=(const MidiReceiveThread&) = delete;

    // Backend thread: copies one received packet of port and wakes the
    // receive thread. Never waits for the receive thread's work.
    void queue(MidiInPort* port, const unsigned char* data, int size);

    // Once it returns, nothing queued for port reaches it any more: queued
    // packets are dropped and a packet being handled for it right now is
    // waited for. The caller must not hold anything the owners' receive hooks
    // wait for. On the receive thread itself (a hook closing a port) it only
    // drops, since nothing else can be running there.
    void forget(MidiInPort* port);

    // Waits until nothing is queued or being handled; false if that did not
    // happen within timeoutMs, or when called on the receive thread.
    bool waitIdle(int timeoutMs);

    bool isCurrentThread() const { return std::this_thread::get_id() == m_threadId; }

private:
    // One packet: its port (null once forgotten) and where its bytes lie.
    struct Packet
    {
        MidiInPort* port;
        int offset;
        int size;
    };

    MidiReceiveThread();
    ~MidiReceiveThread() = delete; // lives as long as the process
    void run();

    // What the backends have queued and the receive thread not yet taken,
    // oldest first: appended by backend threads, taken whole by the receive
    // thread, edited by forget(); all under m_mutex. The two lists swap with
    // the batch below, so after the first bursts nothing is allocated.
    std::mutex m_mutex;
    std::condition_variable m_wake; // something was queued
    std::condition_variable m_idle; // a batch is done
    std::vector<Packet> m_packets;
    std::vector<unsigned char> m_bytes;
    bool m_busy = false;           // under m_mutex: the receive thread is handling a batch
    unsigned long long m_done = 0; // under m_mutex: batches handled so far

    // The batch being handled: the receive thread's own, also edited by
    // forget() when that runs on the receive thread.
    std::vector<Packet> m_batch;
    std::vector<unsigned char> m_batchBytes;

    std::thread m_thread;
    std::thread::id m_threadId; // set before the thread runs, then only read
};
