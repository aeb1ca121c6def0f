// The test audio backend: devices the test declares, and streams whose
// callback runs only when the test pumps it, on the test's own thread, so
// every block the port hands out can be inspected.
//
// Install it with setAudioBackend(&fake) before the ports list the devices,
// and uninstall it (setAudioBackend(nullptr)) before it is destroyed.
#pragma once

#include "AudioBackend.h"

#include <QList>
#include <QMutex>
#include <QString>
#include <QWaitCondition>

#include <atomic>

#include <memory>
#include <vector>

class AudioDevice;
class FakeAudioStream;

class FakeAudioBackend : public AudioBackend
{
public:
    FakeAudioBackend();
    ~FakeAudioBackend() override;
    FakeAudioBackend(const FakeAudioBackend&) = delete;
    FakeAudioBackend& operator=(const FakeAudioBackend&) = delete;

    // A device; its nominal rate starts as the first rate offered (0 when
    // it offers none). Ids follow the order of adding, from 1.
    void addDevice(const QString& name, int outputs, int inputs, const QList<double>& rates = {44100.0});
    void clearDevices();

    // What the next opens and starts do.
    void setRefuseOpen(bool refuse) { m_refuseOpen = refuse; }
    void setRefuseStart(bool refuse) { m_refuseStart = refuse; }
    // The frames per block a stream accepts; 0 takes what is asked.
    void setAcceptedFrames(int frames) { m_acceptedFrames = frames; }
    // Opens that take time, as the system's do: opensAtOnce() is false, so
    // the port opens on a worker, and while held each open waits until
    // released (holdOpens(false)), as a system's open waits on its server.
    void setSlowOpens(bool slow) { m_slowOpens = slow; }
    void holdOpens(bool hold);
    // How many opens wait now.
    int heldOpens() const;

    // Runs the running stream's render once for frames frames and gives
    // what it wrote, frames x channels floats; silence after a drain; empty
    // when no stream runs.
    std::vector<float> pump(int frames);
    // As pump, into out (frames x channels floats), allocating nothing;
    // false when no stream runs.
    bool pumpInto(float* out, int frames);
    // Whether a stream is open, and whether it runs.
    bool isOpen() const { return m_stream != nullptr; }
    bool isRunning() const;
    // Whether the running stream's source has drained.
    bool drained() const;
    // How often a stream was stopped or closed while its render ran.
    int stopsInsideRender() const { return m_stopsInsideRender; }
    // What the last successful open asked for and was given.
    struct Opened
    {
        QString name;
        int channels = 0;
        double rate = 0;
        int frames = 0; // as asked
    };
    Opened lastOpen() const;
    // The rate a device runs at now; 0 for a name not listed.
    double nominalRate(const QString& name) const;

    QList<AudioDeviceInfo> devices() override;
    bool opensAtOnce() const override { return !m_slowOpens; }
    int setNominalRate(int id, double rate) override;
    int open(const QString& name, int channels, double rate, int frames, AudioSource* source,
             std::unique_ptr<AudioStream>& stream) override;

private:
    friend class FakeAudioStream;

    // Set by the test while no open runs; read by open, on a worker when
    // opens are slow.
    QList<AudioDeviceInfo> m_devices;
    bool m_refuseOpen = false;
    bool m_refuseStart = false;
    int m_acceptedFrames = 0;
    bool m_slowOpens = false;
    // Guards the gate of held opens and what an open leaves for the test.
    mutable QMutex m_mutex;
    QWaitCondition m_released;
    bool m_hold = false;
    int m_held = 0;
    Opened m_lastOpen;
    // The open stream (the last one opened): set by open, on a worker when
    // opens are slow, cleared by the stream's destructor on the port's
    // thread; the test reads it.
    std::atomic<FakeAudioStream*> m_stream{nullptr};
    bool m_inRender = false;
    int m_stopsInsideRender = 0;
};

// The fake backend with one stereo output, "Speakers", installed for the
// rig's life, and an AudioDevice whose output port plays on it.
class FakeSpeakers
{
public:
    FakeSpeakers();
    ~FakeSpeakers();
    FakeSpeakers(const FakeSpeakers&) = delete;
    FakeSpeakers& operator=(const FakeSpeakers&) = delete;

    FakeAudioBackend fake;
    AudioDevice* device() const { return m_device.get(); }

private:
    std::unique_ptr<AudioDevice> m_device;
};
