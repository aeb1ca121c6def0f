// The system's MIDI through JACK, spoken to directly.
//
// The whole process is one JACK client, "ORVANE": listing, every input port
// and every output port live on it, so the server schedules one client of
// ours in every cycle, however many ports are open.
//
// JACK's process thread has a hard deadline in every cycle, and an input port
// reads the peer's own port buffer in place: a client that is late may find
// that buffer rewritten by the peer's next cycle while it reads. So the
// process callback takes no lock, allocates nothing and never waits: it
// copies each port's events into a ring of that port and wakes the client's
// "jack-midi-in" thread, which hands them to the port's receiver. It reads a
// buffer only as far as JACK still gives events: where the count it read
// first no longer holds, the rest of that cycle is gone (a loss), never made up
// from what was read before. What a full ring cannot take is dropped and
// reported, with the rest of a message whose start was dropped.
//
// Sent messages queue in a ring per output port, each whole, and go out in
// the next cycles, as many per cycle as the peer's buffer holds; a send waits
// for room rather than drop a message.
//
// Threads: everything public runs on any thread but JACK's; receivers are
// called on "jack-midi-in" only. Nothing here throws.
#pragma once

#include "MidiBackend.h"

#include <memory>
#include <mutex>

class JackClient;
struct _jack_client;

// Hands over a client that was opened only to find out whether a JACK server
// answers (HostMidiSystems): it becomes the next JACK client this process
// opens, so that finding the server costs no second client (opening one
// takes tens of milliseconds, closing one as many). One kept before is
// closed; one never taken is closed at exit. Null does nothing.
void KeepJackClient(_jack_client* client);

class JackMidiBackend : public MidiBackend
{
public:
    JackMidiBackend();
    ~JackMidiBackend() override;
    JackMidiBackend(const JackMidiBackend&) = delete;
    JackMidiBackend& operator=(const JackMidiBackend&) = delete;

    // The longest message one send takes: a system-exclusive message goes as
    // one JACK event, which must fit a port buffer of the peer's with room to
    // spare for what else the cycle carries. Less where the server's buffers
    // are smaller.
    static constexpr int MaxMessageSize = 16384 - 1 - 4;

    QString apiName() const override;
    int createClient() override;
    QList<MidiEndpoint> endpoints(MidiEndpointKind kind) override;
    int maxMessageSize() const override;
    int openOutput(int index, const QString& endpointName, const QString& portName,
                   std::unique_ptr<MidiOutputHandle>& handle) override;
    int openInput(int index, const QString& endpointName, const QString& portName,
                  MidiPacketReceiver* receiver, std::unique_ptr<MidiInputHandle>& handle) override;

private:
    // The client, made when there is none or the server dropped the last one;
    // null when no server answers.
    std::shared_ptr<JackClient> client();

    mutable std::mutex m_mutex;           // guards m_client
    std::shared_ptr<JackClient> m_client; // shared with the open ports, which outlive the backend
};
