#include "AudioPort.h"

#include "EventMessage.h"
#include "Profile.h"
#include "Task.h"

#include <algorithm>
#include <cstring>

Vector<PortInfo> AudioOutPorts;
Vector<PortInfo> AudioInPorts;

namespace {

const QString NoDevice = QStringLiteral("(none)");

// The devices as InitAudioPorts last listed them, with their channels and
// rates, for play to open without listing. GUI thread only.
QList<AudioDeviceInfo> listedDevices;

// How often the GUI thread looks at what the audio thread reported: about
// once a block, as the device takes them.
int pollInterval(int frames, double rate)
{
    const double ms = rate > 0 ? 1000.0 * frames / rate : 10.0;
    return std::clamp(int(ms), 5, 50);
}

} // namespace

bool InitAudioPorts()
{
    AudioOutPorts.clear();
    AudioInPorts.clear();
    listedDevices = audioBackend()->devices();
    for (const AudioDeviceInfo& d : std::as_const(listedDevices)) {
        if (d.outputChannels > 0)
            AudioOutPorts.append(PortInfo(d.id, d.name));
        if (d.inputChannels > 0)
            AudioInPorts.append(PortInfo(d.id, d.name));
    }
    return !AudioOutPorts.isEmpty();
}

bool setBestSampleRateForDevice(unsigned long device, bool, bool, double wanted)
{
    const QList<AudioDeviceInfo> devices = audioBackend()->devices();
    const auto d = std::find_if(devices.begin(), devices.end(),
                                [&](const AudioDeviceInfo& info) { return (unsigned long)info.id == device; });
    if (d == devices.end() || d->rates.isEmpty())
        return false;
    // The device's rates are single values: each is its own lowest and
    // highest.
    double highest = -1.0;
    double best = -1.0;
    for (double r : d->rates) {
        highest = std::max(highest, r);
        if (r > wanted && (best < 0 || r < best))
            best = r;
    }
    if (best < 0)
        best = highest;
    if (audioBackend()->setNominalRate(d->id, best) != AudioStatusOk)
        return false;
    // The next play opens the device at its new rate.
    for (AudioDeviceInfo& listed : listedDevices)
        if (listed.name == d->name)
            listed.nominalRate = best;
    return true;
}

// --- AudioPort ---------------------------------------------------------------------------

AudioPort::AudioPort() : QObject(nullptr) {}

AudioPort::~AudioPort() = default;

void AudioPort::setName(const QString& name)
{
    close();
    m_name = name;
}

bool AudioPort::hasName() const
{
    return !m_name.isEmpty() && m_name != NoDevice;
}

void AudioPort::fromRegistry(const QString& key)
{
    setName(Profile::readProfileString(QString(), key, QString()));
}

void AudioPort::toRegistry(const QString& key)
{
    Profile::writeProfileString(QString(), key, m_name);
}

int AudioPort::idIn(const Vector<PortInfo>& ports) const
{
    for (const PortInfo& p : ports) {
        if (p.name == m_name)
            return p.id;
    }
    return -1;
}

// --- AudioOutPort ------------------------------------------------------------------------

// Opens and starts a port's stream on a worker, and hands it to the port on
// the port's thread.
class AudioOutPort::Opener : public Task
{
public:
    explicit Opener(AudioOutPort* port) : Task(QStringLiteral("Audio output")), m_port(port) {}
    ~Opener() override { safeTerminate(); }

    // Set by the port before the start; the job's results, read by the port
    // once the job is over.
    QString name;
    int channels = 0;
    double rate = 0;
    int status = AudioStatusOk;
    std::unique_ptr<AudioStream> stream;

protected:
    void run() override { status = m_port->CAStart(name, channels, rate, stream); }
    void finished() override { m_port->started(status, std::move(stream), !m_port->m_stopping); }

private:
    AudioOutPort* const m_port;
};

AudioOutPort::AudioOutPort()
{
    m_poll.setTimerType(Qt::PreciseTimer);
    connect(&m_poll, &QTimer::timeout, this, &AudioOutPort::poll);
}

AudioOutPort::~AudioOutPort()
{
    // An opening still under way ends first: its job uses the port.
    m_stopping = true;
    if (m_opener)
        m_opener->wait();
    CAStop();
}

bool AudioOutPort::isStarting() const
{
    return m_starting;
}

bool AudioOutPort::open(const AudioFormat&)
{
    close();
    if (!hasName())
        return false;
    const int device = id();
    if (device == -1)
        return false;
    m_deviceId = device;
    return true;
}

bool AudioOutPort::close()
{
    // A stream left running on a closed port could never be stopped again,
    // and would read the wave copy after the port is gone.
    if (m_stream || isStarting()) {
        stop();
        return true;
    }
    const bool opened = isOpened();
    if (opened)
        m_deviceId = 0;
    return opened;
}

int AudioOutPort::id() const
{
    return idIn(AudioOutPorts);
}

bool AudioOutPort::play(const AudioWave& wave, int start, int loop, int end)
{
    if (!wave.isValid())
        return false;
    // Opening ends a playback that still runs (and forgets its wave).
    open(wave);
    setStart(start);
    setEnd(end == -1 ? wave.sampleLength() - 1 : end);
    setLoop(loop);
    if (!isOpened())
        return false;

    // The device as it was listed: its outputs and the rate it runs at.
    const AudioDeviceInfo* device = findAudioDevice(listedDevices, m_name);
    if (!device || device->outputChannels <= 0) {
        m_error = AudioStatusNoDevice;
        close();
        return false;
    }
    m_wave = wave;
    m_playing = &wave;
    m_lastReport = std::min(start, wave.sampleLength());
    if (audioBackend()->opensAtOnce()) {
        std::unique_ptr<AudioStream> stream;
        const int status = CAStart(m_name, device->outputChannels, device->nominalRate, stream);
        return started(status, std::move(stream), false);
    }
    if (!m_opener || m_opener->isRunning()) {
        // Still running only when this play comes from a report of its end
        // (a failed opening's -1): that job goes once it has ended.
        if (m_opener)
            m_opener.release()->deleteLater();
        m_opener = std::make_unique<Opener>(this);
    }
    m_opener->name = m_name;
    m_opener->channels = device->outputChannels;
    m_opener->rate = device->nominalRate;
    if (!m_opener->startNonGui())
        return started(AudioStatusStartFailed, nullptr, false);
    m_starting = true;
    return true;
}

void AudioOutPort::stop()
{
    if (isStarting()) {
        // The stream comes to this thread as the job ends, and is closed
        // below; the job's end reports nothing of its own.
        m_stopping = true;
        m_opener->wait();
        m_stopping = false;
    }
    CAStop();
    emit audioPosChanged(-1);
    close();
    m_playing = nullptr;
}

int AudioOutPort::CAStart(const QString& name, int channels, double rate, std::unique_ptr<AudioStream>& stream)
{
    const int asked = std::max(1, BufferBytes / int(channels * sizeof(float)));
    int status = audioBackend()->open(name, channels, rate, asked, this, stream);
    if (status != AudioStatusOk) {
        stream.reset();
        return status;
    }
    m_channels = stream->channels();
    m_blockFrames = std::max(1, stream->frames());
    m_block = std::make_unique<float[]>(size_t(m_blockFrames) * size_t(m_channels));
    m_blockPos = std::make_unique<int[]>(size_t(m_blockFrames));
    m_length = m_wave.sampleLength();
    // A start past the wave ends playback after one block of silence; kept
    // there, the position cannot run past the largest int.
    m_position = std::min(start(), m_length);
    m_reported.store(m_position);
    m_finished.store(false);
    PrepareNextBlock();
    m_blockRead = 0;

    status = stream->start();
    if (status != AudioStatusOk)
        stream.reset();
    return status;
}

bool AudioOutPort::started(int status, std::unique_ptr<AudioStream> stream, bool report)
{
    m_starting = false;
    m_error = status;
    if (status != AudioStatusOk) {
        m_block.reset();
        m_blockPos.reset();
        m_wave.reset();
        m_playing = nullptr;
        m_deviceId = 0;
        if (report)
            emit audioPosChanged(-1);
        return false;
    }
    m_stream = std::move(stream);
    m_poll.start(pollInterval(m_blockFrames, m_stream->rate()));
    return true;
}

bool AudioOutPort::CAStop()
{
    m_poll.stop();
    if (!m_stream)
        return true;
    const int status = m_stream->stop();
    // Closing waits for a render in progress; only then are the blocks free.
    m_stream.reset();
    m_block.reset();
    m_blockPos.reset();
    m_wave.reset();
    if (status != AudioStatusOk) {
        m_error = status;
        return false;
    }
    return true;
}

void AudioOutPort::PrepareNextBlock()
{
    const int loopPoint = m_loop.load(std::memory_order_relaxed);
    const int endPoint = m_end.load(std::memory_order_relaxed);
    // A loop that ends where it starts, or before, would hold one frame
    // forever: it plays as no loop.
    const bool looping = loopPoint >= 0 && loopPoint < endPoint;
    const bool mono = m_wave.isMono();
    int pos = m_position;
    float* out = m_block.get();
    for (int f = 0; f < m_blockFrames; ++f) {
        if (looping && pos >= endPoint)
            pos = loopPoint;
        m_blockPos[f] = pos;
        const float left = m_wave.getPointF(0, pos);
        const float right = mono ? left : m_wave.getPointF(1, pos);
        *out++ = left;
        for (int k = 1; k < m_channels; ++k)
            *out++ = right;
        ++pos;
    }
    m_position = pos;
}

AudioSource::Result AudioOutPort::render(float* out, int frames)
{
    // The device may ask for more or fewer frames than a block: blocks are
    // handed out in pieces, and prepared as they run out.
    int written = 0;
    while (written < frames) {
        if (m_blockRead == m_blockFrames) {
            PrepareNextBlock();
            m_blockRead = 0;
        }
        const int n = std::min(frames - written, m_blockFrames - m_blockRead);
        std::memcpy(out + size_t(written) * size_t(m_channels), m_block.get() + size_t(m_blockRead) * size_t(m_channels),
                    size_t(n) * size_t(m_channels) * sizeof(float));
        m_blockRead += n;
        written += n;
    }
    // One block ahead: the next block is ready before the device asks, unless
    // the wave is over.
    if (m_blockRead == m_blockFrames && m_position <= m_length) {
        PrepareNextBlock();
        m_blockRead = 0;
    }
    const int position = m_blockRead < m_blockFrames ? m_blockPos[m_blockRead] : m_position;
    m_reported.store(position, std::memory_order_release);
    if (position > m_length) {
        m_finished.store(true, std::memory_order_release);
        return Drain;
    }
    return Continue;
}

void AudioOutPort::poll()
{
    if (!m_stream)
        return;
    const int position = m_reported.load(std::memory_order_acquire);
    const bool finished = m_finished.load(std::memory_order_acquire);
    if (position != m_lastReport) {
        m_lastReport = position;
        onMessage(MsgPosition, position, QVariant());
    }
    if (finished)
        onMessage(MsgStop, QVariant(), QVariant());
}

void AudioOutPort::onMessage(int message, const QVariant& first, const QVariant&)
{
    if (!isOpened())
        return;
    if (message == MsgStop)
        stop();
    else if (message == MsgPosition)
        emit audioPosChanged(first.toInt());
}

void AudioOutPort::customEvent(QEvent* event)
{
    if (event->type() != EventMessage::Type())
        return;
    const auto* m = static_cast<EventMessage*>(event);
    onMessage(m->id(), m->data(), m->source());
}

// --- AudioInPort -------------------------------------------------------------------------

AudioInPort::AudioInPort() = default;
AudioInPort::~AudioInPort() = default;

bool AudioInPort::open()
{
    close();
    if (!hasName())
        return false;
    return id() != -1;
}

int AudioInPort::id() const
{
    return idIn(AudioInPorts);
}

// --- AudioDevice -------------------------------------------------------------------------

AudioDevice::AudioDevice()
{
    InitAudioPorts();
}

AudioDevice::~AudioDevice() = default;

void AudioDevice::readPorts()
{
    m_in.fromRegistry(QStringLiteral("AudioIn"));
    m_out.fromRegistry(QStringLiteral("AudioOut"));
}

void AudioDevice::storePorts()
{
    m_in.toRegistry(QStringLiteral("AudioIn"));
    m_out.toRegistry(QStringLiteral("AudioOut"));
}

void AudioDevice::closePorts()
{
    m_in.close();
    m_out.close();
}
