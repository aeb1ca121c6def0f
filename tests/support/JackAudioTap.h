// A JACK client of our own with audio inputs that records every frame it
// gets: the far end of an audio cable. Our audio backend lists it as a device
// named after the client, with as many outputs as the tap has inputs.
#pragma once

#include <QString>

#include <atomic>
#include <vector>

struct _jack_client;
struct _jack_port;

class JackAudioTap
{
public:
    JackAudioTap() = default;
    ~JackAudioTap();
    JackAudioTap(const JackAudioTap&) = delete;
    JackAudioTap& operator=(const JackAudioTap&) = delete;

    // A client with inputs "in_1" .. "in_<channels>" that keeps up to
    // capacity frames of each; later frames are counted, not kept.
    bool open(const QString& client, int channels, int capacity, QString* error);
    void close();

    // The server's rate and period.
    int rate() const;
    int period() const;
    // Frames the server has run through the tap since it opened.
    qint64 frames() const { return m_frames.load(std::memory_order_acquire); }
    // The frames kept of one input (those kept so far).
    std::vector<float> recorded(int channel) const;

private:
    static int onProcess(unsigned int frames, void* self);

    _jack_client* m_jack = nullptr;
    std::vector<_jack_port*> m_ports;
    // Filled by the JACK thread up to m_frames, read by the test below it.
    std::vector<std::vector<float>> m_data;
    std::atomic<qint64> m_frames{0};
};
