// The seam between the audio output port and the system's audio service.
//
// A backend lists the machine's audio devices (name, channel counts and the
// sample rates each offers), keeps the rate each device is to run at, and
// opens an output stream on a device by name. A stream hands its callback
// blocks of interleaved 32-bit float frames to fill, on the backend's own
// audio thread. Two backends exist: the system's (RtAudioBackend: JACK,
// PulseAudio and ALSA through RtAudio) and, in the tests, a fake whose
// callback runs when the test pumps it. The process's backend is the
// system's unless a test installs another (setAudioBackend).
//
// Threads: everything here is called from the GUI thread, except
// AudioSource::render, which runs on the audio thread between start and
// stop, and, for a backend whose opens take time (opensAtOnce() false),
// open and the stream's start, which the port calls on a Task worker while
// the GUI thread goes on (the backend guards what they share with the rest).
// Nothing here throws; every failure is a status code (0 is success).
#pragma once

#include <QList>
#include <QString>

#include <memory>

// Status codes of backend calls; the port keeps the last one in its error.
enum AudioBackendStatus : int
{
    AudioStatusOk = 0,
    AudioStatusNoDevice = 1,    // no device of that name (any longer), or it has no outputs
    AudioStatusOpenFailed = 2,  // the device refused the stream (channels, rate, float frames)
    AudioStatusStartFailed = 3, // the stream did not start
    AudioStatusStopFailed = 4,  // the stream did not stop cleanly (it is closed all the same)
    AudioStatusBadRate = 5      // a rate the device does not offer
};

// One device as the backend lists it.
struct AudioDeviceInfo
{
    int id = 0;             // 1, 2, ... in listing order; never 0, which means "no device"
    QString name;           // the device's own name, as ports compare it
    int outputChannels = 0; // 0 for a device that only records
    int inputChannels = 0;  // 0 for a device that only plays
    QList<double> rates;    // the rates the device offers, ascending
    double nominalRate = 0; // the rate a stream on it runs at
};

// What a stream calls on the audio thread. render fills frames frames of
// interleaved floats, channels per frame as the stream was opened, and says
// whether to go on. It must return quickly, allocate nothing and take no
// lock. After Drain the stream plays what it was given and then silence,
// never calling render again, until it is stopped.
class AudioSource
{
public:
    enum Result
    {
        Continue, // more follows
        Drain     // these were the last frames
    };
    virtual Result render(float* out, int frames) = 0;

protected:
    ~AudioSource() = default;
};

// An open output stream. Destroying it closes it: once the destructor has
// returned the source is never called again.
class AudioStream
{
public:
    virtual ~AudioStream() = default;

    // What the device accepted: channels per frame, frames per second and
    // frames per block (a device may still ask for other block sizes).
    virtual int channels() const = 0;
    virtual double rate() const = 0;
    virtual int frames() const = 0;

    // Status codes. start begins calling the source; stop ends the calls
    // (a render in progress is waited for) and plays out what was given.
    virtual int start() = 0;
    virtual int stop() = 0;
};

class AudioBackend
{
public:
    virtual ~AudioBackend() = default;

    // The devices as the system lists them now. Listing can take long (each
    // audio system is asked, each device probed): the ports list once, when
    // they are made, and again only when the user asks (the setup dialog).
    virtual QList<AudioDeviceInfo> devices() = 0;

    // Whether open and start return at once. The system's do not (a sound
    // server is reached, a device opened): the port calls them on a worker,
    // so that Play does not hold the window.
    virtual bool opensAtOnce() const = 0;

    // Makes the device listed under id (in the last listing) run at rate
    // from the next stream on: AudioStatusNoDevice for an id that is not listed,
    // AudioStatusBadRate for a rate it does not offer.
    virtual int setNominalRate(int id, double rate) = 0;

    // Opens a stream of channels float channels at rate on the output of
    // the device called name, asking for blocks of frames frames. source
    // must outlive the stream. A status code; on success stream holds it,
    // stopped.
    virtual int open(const QString& name, int channels, double rate, int frames, AudioSource* source,
                     std::unique_ptr<AudioStream>& stream) = 0;
};

// The backend of this process: the one a test installed, else the system's,
// made on first use. Never null.
AudioBackend* audioBackend();
// Installs backend for this process (not owned); null goes back to the
// system's. Only while no port has a stream open.
void setAudioBackend(AudioBackend* backend);

// The first device of that name in the list; null when there is none.
const AudioDeviceInfo* findAudioDevice(const QList<AudioDeviceInfo>& devices, const QString& name);
