// Audio ports on the process's audio backend (AudioBackend.h): an output port
// that plays a wave, with an optional loop, and reports where it is; an input
// port that only finds its device; and AudioDevice, one of each, whose device
// names are kept in the program's settings.
//
// A port stands for one device, known by its name; the empty name and
// "(none)" both mean "no device". The name is looked up in the device lists
// (AudioOutPorts, AudioInPorts) each time the port opens. The devices are
// listed once (InitAudioPorts, when an AudioDevice is made, and again when the
// user asks): listing asks every audio system and probes every device, which
// takes long on some machines, so Play does not list them.
//
// Threads. Everything is called on the GUI thread, which owns the ports. The
// output port's render runs on the backend's audio thread: it reads the
// port's own copy of the wave and the start, loop and end points (atomics,
// so the wave editor may move them during playback; the next prepared block
// takes them) and hands the position and the end of the wave back through
// two atomics. A timer on the GUI thread turns them into audioPosChanged and,
// at the end, into the port's own stop message: the audio thread allocates
// nothing, takes no lock, and never stops or frees anything itself.
//
// Opening and starting the stream reaches a sound server or a device, which
// can take a large part of a second: with such a backend (the system's), play
// hands them to a Task worker and returns at once, and the stream is handed
// back to the GUI thread when it runs. Until then the port counts as opened
// and playing; a device that then fails to open or start ends the playback
// as stop() does (audioPosChanged(-1)), with error() telling why. A stop (or
// a close, or another play) while the stream is being opened waits for the
// opening to end, then closes the stream.
#pragma once

#include "AudioBackend.h"
#include "AudioWave.h"
#include "Containers.h"
#include "PortInfo.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariant>

#include <atomic>
#include <memory>

// The devices with at least one output, and those with at least one input,
// in the backend's order (a device with both is in both). Rebuilt only by
// InitAudioPorts, on the GUI thread.
extern Vector<PortInfo> AudioOutPorts;
extern Vector<PortInfo> AudioInPorts;

// Rebuilds both lists from the backend; true when a device can play.
bool InitAudioPorts();

// Sets the rate of the device whose id the backend lists: the lowest rate it
// offers above wanted, or its highest when it offers none above. The rate is
// the device's own, for both directions, so output and the third argument
// change nothing. False when the device is not listed, offers no rate or
// refuses it.
bool setBestSampleRateForDevice(unsigned long device, bool output, bool ignored, double wanted);

class AudioPort : public QObject
{
    Q_OBJECT

public:
    AudioPort();
    ~AudioPort() override;

    // Returns what isOpened() returned before.
    virtual bool close() = 0;
    virtual bool isOpened() const = 0;
    // The device's id in the port's list; -1 when the name is not listed.
    virtual int id() const = 0;

    // Closes the port, then keeps the name.
    void setName(const QString& name);
    QString name() const { return m_name; }
    bool hasName() const;

    // Status of the last backend call (AudioBackendStatus); 0 is none.
    int error() const { return m_error; }
    bool checkError() const { return m_error != AudioStatusOk; }

    // The device name saved under key in the top level of the settings.
    void fromRegistry(const QString& key);
    void toRegistry(const QString& key);

protected:
    // The first entry of ports with our name, -1 for none.
    int idIn(const Vector<PortInfo>& ports) const;

    int m_error = AudioStatusOk;
    QString m_name;
};

class AudioOutPort : public AudioPort, private AudioSource
{
    Q_OBJECT

public:
    // The port's own messages (PostMessage), handled on its thread.
    enum Message
    {
        MsgStop = 12,    // stop playback, as stop() does
        MsgPosition = 13 // report the position in the first value
    };

    // The buffer asked of the device: 512 stereo frames.
    static constexpr int BufferBytes = 4096;

    AudioOutPort();
    // Ends a playback that is still running, without reports.
    ~AudioOutPort() override;

    // Resolves the name to a device; false without a name or a listed
    // device. The format plays no part: the device's own format is used.
    bool open(const AudioFormat& format);
    // Ends a running playback first (stop(), which reports -1).
    bool close() override;
    bool isOpened() const override { return m_deviceId != 0; }
    bool equals(const AudioOutPort* other) const { return other && other->m_deviceId == m_deviceId; }
    int id() const override;

    // Plays a copy of the wave from start; with a loop (loop >= 0 and before
    // end) frames [loop, end) repeat until stop, otherwise playback ends on
    // its own after the wave. end -1 is the wave's last frame. Each wave
    // frame is one device frame at the device's rate, every device channel
    // taking the wave's channel of the same number, or its last. A playback
    // that is running is ended first. False, with the port closed, when the
    // wave is empty, the device is not listed, or (with a backend that opens
    // at once) the device cannot be opened or started; with the system's
    // backend those last two end the playback later (see above).
    bool play(const AudioWave& wave, int start, int loop, int end);
    // The stream is being opened on a worker: the port is opened and plays
    // nothing yet.
    bool isStarting() const;
    // Stops the device, reports -1, closes the port.
    void stop();
    // Whether wave (not null) is the one handed to the last play.
    bool isPlaying(const AudioWave* wave) const { return wave && wave == m_playing; }

    // The points; while playing, the next prepared block takes them.
    void setStart(int start) { m_start.store(start, std::memory_order_relaxed); }
    void setLoop(int loop) { m_loop.store(loop, std::memory_order_relaxed); }
    void setEnd(int end) { m_end.store(end, std::memory_order_relaxed); }
    int start() const { return m_start.load(std::memory_order_relaxed); }
    int loop() const { return m_loop.load(std::memory_order_relaxed); }
    int end() const { return m_end.load(std::memory_order_relaxed); }

    // While the port is opened: MsgStop stops, MsgPosition emits
    // audioPosChanged(first); others are ignored.
    void onMessage(int message, const QVariant& first, const QVariant& second);

signals:
    // The frame of the wave playing now; -1 when playback has stopped.
    // Emitted on the port's thread.
    void audioPosChanged(int position);

protected:
    void customEvent(QEvent* event) override;

private:
    class Opener;

    // Fills the next block from the wave, one block ahead of the device.
    // Audio thread (the opening thread before the stream starts).
    void PrepareNextBlock();
    // The audio thread's call: hands out exactly the frames asked.
    Result render(float* out, int frames) override;
    // Opens the stream on the device, sets up the blocks and starts it; a
    // status code, stream empty unless it runs. On the GUI thread, or on the
    // opener's worker while the GUI thread keeps off the render state.
    int CAStart(const QString& name, int channels, double rate, std::unique_ptr<AudioStream>& stream);
    // On the GUI thread once CAStart is done: takes the running stream, or
    // closes the port (reporting -1 when report is set). What play returns.
    bool started(int status, std::unique_ptr<AudioStream> stream, bool report);
    // Stops and closes the stream, then frees the blocks; false when the
    // device reported an error on stopping. True at once without a stream.
    bool CAStop();
    // The GUI thread's timer: reports the position the audio thread left,
    // and stops at the end of the wave.
    void poll();

    // GUI thread only.
    int m_deviceId = 0; // the opened device; 0 = closed
    std::unique_ptr<AudioStream> m_stream;
    std::unique_ptr<Opener> m_opener; // made on the first play that opens on a worker
    bool m_starting = false;          // the opener's job runs and has not handed its stream over
    bool m_stopping = false;          // a stop waits for the opener: its end reports nothing
    const AudioWave* m_playing = nullptr; // only compared
    int m_lastReport = -1;
    QTimer m_poll{this};

    // Written by the GUI thread while no stream runs (the wave) and by
    // whichever thread runs CAStart (the rest), then read (and the block
    // cursor written) only by the audio thread until the stream is closed.
    AudioWave m_wave; // the port's own copy; shares the caller's bytes until one side changes them
    int m_length = 0; // frames of m_wave
    int m_channels = 0;
    int m_blockFrames = 0;
    std::unique_ptr<float[]> m_block;   // m_blockFrames interleaved frames of m_channels
    std::unique_ptr<int[]> m_blockPos;  // the wave frame of each block frame
    int m_blockRead = 0;                // block frames already handed out
    int m_position = 0;                 // the wave frame the next prepared block starts at

    // Written by the GUI thread, read by the audio thread once per block.
    std::atomic<int> m_start{0};
    std::atomic<int> m_loop{-1};
    std::atomic<int> m_end{-1};
    // Written by the audio thread, read by the GUI thread's timer.
    std::atomic<int> m_reported{0};     // the wave frame the device gets next
    std::atomic<bool> m_finished{false}; // the wave has been played out
};

class AudioInPort : public AudioPort
{
    Q_OBJECT

public:
    AudioInPort();
    ~AudioInPort() override;

    // Nothing is recorded: open only checks that the name is listed.
    bool open();
    bool close() override { return isOpened(); }
    bool isOpened() const override { return true; }
    bool equals(const AudioInPort*) const { return false; }
    int id() const override;
};

class AudioDevice
{
public:
    // Reads the machine's devices (InitAudioPorts).
    AudioDevice();
    ~AudioDevice();
    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;

    // Device names from and to the settings' "AudioIn" and "AudioOut".
    void readPorts();
    void storePorts();
    void closePorts();

    AudioInPort* in() { return &m_in; }
    AudioOutPort* out() { return &m_out; }

private:
    AudioInPort m_in;
    AudioOutPort m_out;
};
