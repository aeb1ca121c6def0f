#include "FakeAudioBackend.h"

#include "AudioPort.h"

#include <algorithm>

class FakeAudioStream : public AudioStream
{
public:
    FakeAudioStream(FakeAudioBackend* backend, AudioSource* source, int channels, double rate, int frames)
        : m_backend(backend), m_source(source), m_channels(channels), m_rate(rate), m_frames(frames)
    {
    }
    ~FakeAudioStream() override
    {
        if (m_backend->m_inRender)
            ++m_backend->m_stopsInsideRender;
        if (m_backend->m_stream == this)
            m_backend->m_stream = nullptr;
    }

    int channels() const override { return m_channels; }
    double rate() const override { return m_rate; }
    int frames() const override { return m_frames; }
    int start() override
    {
        if (m_backend->m_refuseStart)
            return AudioStatusStartFailed;
        m_drained = false;
        m_running = true;
        return AudioStatusOk;
    }
    int stop() override
    {
        if (m_backend->m_inRender)
            ++m_backend->m_stopsInsideRender;
        m_running = false;
        return AudioStatusOk;
    }

    FakeAudioBackend* const m_backend;
    AudioSource* const m_source;
    const int m_channels;
    const double m_rate;
    const int m_frames;
    // Set by start (on a worker when opens are slow) and stop, read by the
    // test.
    std::atomic<bool> m_running{false};
    bool m_drained = false;
};

FakeAudioBackend::FakeAudioBackend() = default;

FakeAudioBackend::~FakeAudioBackend() = default;

void FakeAudioBackend::addDevice(const QString& name, int outputs, int inputs, const QList<double>& rates)
{
    AudioDeviceInfo d;
    d.id = int(m_devices.size()) + 1;
    d.name = name;
    d.outputChannels = outputs;
    d.inputChannels = inputs;
    d.rates = rates;
    std::sort(d.rates.begin(), d.rates.end());
    d.nominalRate = rates.isEmpty() ? 0.0 : rates.first();
    m_devices.append(d);
}

void FakeAudioBackend::clearDevices()
{
    m_devices.clear();
}

bool FakeAudioBackend::isRunning() const
{
    const FakeAudioStream* s = m_stream.load();
    return s && s->m_running;
}

bool FakeAudioBackend::drained() const
{
    const FakeAudioStream* s = m_stream.load();
    return s && s->m_drained;
}

double FakeAudioBackend::nominalRate(const QString& name) const
{
    const AudioDeviceInfo* d = findAudioDevice(m_devices, name);
    return d ? d->nominalRate : 0.0;
}

void FakeAudioBackend::holdOpens(bool hold)
{
    QMutexLocker lock(&m_mutex);
    m_hold = hold;
    if (!hold)
        m_released.wakeAll();
}

int FakeAudioBackend::heldOpens() const
{
    QMutexLocker lock(&m_mutex);
    return m_held;
}

FakeAudioBackend::Opened FakeAudioBackend::lastOpen() const
{
    QMutexLocker lock(&m_mutex);
    return m_lastOpen;
}

std::vector<float> FakeAudioBackend::pump(int frames)
{
    if (!isRunning() || frames < 0)
        return {};
    std::vector<float> out(size_t(frames) * size_t(m_stream.load()->m_channels), -9.0f);
    pumpInto(out.data(), frames);
    return out;
}

bool FakeAudioBackend::pumpInto(float* out, int frames)
{
    if (!isRunning() || frames < 0)
        return false;
    FakeAudioStream* s = m_stream.load();
    if (s->m_drained) {
        std::fill(out, out + size_t(frames) * size_t(s->m_channels), 0.0f);
        return true;
    }
    m_inRender = true;
    const AudioSource::Result r = s->m_source->render(out, frames);
    m_inRender = false;
    // The stream may be gone now, if the render stopped it.
    if (m_stream == s && r == AudioSource::Drain)
        s->m_drained = true;
    return true;
}

QList<AudioDeviceInfo> FakeAudioBackend::devices()
{
    return m_devices;
}

int FakeAudioBackend::setNominalRate(int id, double rate)
{
    for (AudioDeviceInfo& d : m_devices) {
        if (d.id != id)
            continue;
        if (!d.rates.contains(rate))
            return AudioStatusBadRate;
        d.nominalRate = rate;
        return AudioStatusOk;
    }
    return AudioStatusNoDevice;
}

int FakeAudioBackend::open(const QString& name, int channels, double rate, int frames, AudioSource* source,
                           std::unique_ptr<AudioStream>& stream)
{
    stream.reset();
    {
        QMutexLocker lock(&m_mutex);
        ++m_held;
        while (m_hold)
            m_released.wait(&m_mutex);
        --m_held;
    }
    const AudioDeviceInfo* d = findAudioDevice(m_devices, name);
    if (!d || d->outputChannels < 1)
        return AudioStatusNoDevice;
    if (m_refuseOpen || !source || channels < 1 || channels > d->outputChannels || frames < 1 ||
        !d->rates.contains(rate))
        return AudioStatusOpenFailed;
    auto made = std::make_unique<FakeAudioStream>(this, source, channels, rate,
                                                  m_acceptedFrames > 0 ? m_acceptedFrames : frames);
    m_stream = made.get();
    QMutexLocker lock(&m_mutex);
    m_lastOpen = {name, channels, rate, frames};
    stream = std::move(made);
    return AudioStatusOk;
}

FakeSpeakers::FakeSpeakers()
{
    fake.addDevice(QStringLiteral("Speakers"), 2, 0, {44100.0});
    setAudioBackend(&fake);
    m_device = std::make_unique<AudioDevice>();
    m_device->out()->setName(QStringLiteral("Speakers"));
}

FakeSpeakers::~FakeSpeakers()
{
    m_device.reset();
    setAudioBackend(nullptr);
}
