// The system's audio through RtAudio: the devices of JACK, PulseAudio and
// ALSA, in RtAudio's order of those systems, listed together as one machine's
// devices. A name found under two systems opens the first.
//
// RtAudio reports failures by throwing; every call is made here inside a
// catch, and its warnings are not printed. A stream owns an RtAudio object of
// its own; the streams of our process (JACK clients named OwnClientName) are
// not listed as devices.
//
// Listing asks every system and probes every device (with JACK, a client
// connection each): devices() does it, and keeps what it found; setting a
// rate and opening look the device up there, so that opening (on a worker)
// lists nothing unless the device is not in the last listing. Before it
// opens, the device at the kept index is checked to still bear the name.
#pragma once

#include "AudioBackend.h"

#include <QHash>
#include <QMutex>

class RtAudioBackend : public AudioBackend
{
public:
    RtAudioBackend();
    ~RtAudioBackend() override;
    RtAudioBackend(const RtAudioBackend&) = delete;
    RtAudioBackend& operator=(const RtAudioBackend&) = delete;

    // The JACK client name of our streams.
    static constexpr const char* OwnClientName = "ORVANE audio";
    // Our own client, also as JACK renames a second one ("ORVANE audio-01").
    static bool isOwnClient(const QString& name);

    QList<AudioDeviceInfo> devices() override;
    bool opensAtOnce() const override { return false; }
    int setNominalRate(int id, double rate) override;
    int open(const QString& name, int channels, double rate, int frames, AudioSource* source,
             std::unique_ptr<AudioStream>& stream) override;

private:
    struct Entry
    {
        AudioDeviceInfo info;
        int api = 0;   // RtAudio::Api
        int index = 0; // the device's index under that system
    };
    // Asks the systems; keeps and returns what they list.
    QList<Entry> list();
    // The last listing (listing first when there is none).
    QList<Entry> listed();

    // Guards the members below: the GUI thread lists and sets rates, a
    // worker opens.
    QMutex m_mutex;
    // The last listing, written by list(), read by setNominalRate and open.
    QList<Entry> m_entries;
    bool m_listed = false;
    // The rate chosen for a device by name (setNominalRate); a device without
    // one runs at its preferred rate. Written by setNominalRate, read by list().
    QHash<QString, double> m_rates;
};
