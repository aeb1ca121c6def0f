#include "RtAudioBackend.h"

#include <QDebug>

#include <RtAudio.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <optional>
#include <utility>

namespace {

// Runs call, catching what RtAudio throws (RtAudioError is a
// std::runtime_error); false when it threw. Failures to list devices are
// common (a system without a server) and go to the debug output only.
template <typename Call>
bool guarded(Call call, bool quiet = false)
{
    try {
        call();
        return true;
    } catch (const std::exception& e) {
        if (quiet)
            qDebug("Audio: %s", e.what());
        else
            qWarning("Audio: %s", e.what());
    }
    return false;
}

// One RtAudio object on a system, quiet about warnings; null when RtAudio
// cannot make it.
std::unique_ptr<RtAudio> makeRtAudio(RtAudio::Api api)
{
    std::unique_ptr<RtAudio> audio;
    guarded([&] {
        audio = std::make_unique<RtAudio>(api);
        audio->showWarnings(false);
    }, true);
    return audio;
}

// The systems RtAudio was built with, in its own order; its placeholder
// "dummy" system has no devices worth listing.
std::vector<RtAudio::Api> systems()
{
    std::vector<RtAudio::Api> apis;
    RtAudio::getCompiledApi(apis);
    apis.erase(std::remove(apis.begin(), apis.end(), RtAudio::RTAUDIO_DUMMY), apis.end());
    return apis;
}

class RtAudioStream : public AudioStream
{
public:
    RtAudioStream(std::unique_ptr<RtAudio> audio, AudioSource* source, int channels, double rate)
        : m_audio(std::move(audio)), m_source(source), m_channels(channels), m_rate(rate)
    {
    }

    // Opens the stream on the device with this object as the callback's
    // data; m_frames becomes what the device accepted. A status code.
    int open(unsigned int device, int frames)
    {
        RtAudio::StreamParameters params;
        params.deviceId = device;
        params.nChannels = unsigned(m_channels);
        params.firstChannel = 0;
        RtAudio::StreamOptions options;
        options.streamName = RtAudioBackend::OwnClientName;
        unsigned int accepted = unsigned(frames);
        if (!guarded([&] {
                m_audio->openStream(&params, nullptr, RTAUDIO_FLOAT32, unsigned(m_rate), &accepted, &callback,
                                    this, &options);
            }))
            return AudioStatusOpenFailed;
        m_frames = accepted > 0 ? int(accepted) : frames;
        return AudioStatusOk;
    }

    ~RtAudioStream() override
    {
        // Closing waits for a callback in progress (JACK deactivates the
        // client, ALSA and PulseAudio join their thread).
        guarded([&] {
            if (m_audio->isStreamOpen())
                m_audio->closeStream();
        });
    }

    int channels() const override { return m_channels; }
    double rate() const override { return m_rate; }
    int frames() const override { return m_frames; }

    int start() override
    {
        m_drained.store(false);
        return guarded([&] { m_audio->startStream(); }) ? AudioStatusOk : AudioStatusStartFailed;
    }

    int stop() override
    {
        return guarded([&] {
            if (m_audio->isStreamRunning())
                m_audio->stopStream();
        }) ? AudioStatusOk
           : AudioStatusStopFailed;
    }

    // RtAudio's callback, on its audio thread. A drained stream keeps
    // running on silence until the port stops it from its own thread:
    // letting RtAudio stop the stream itself would race its own stopping
    // thread against our close.
    static int callback(void* out, void*, unsigned int frames, double, RtAudioStreamStatus, void* user)
    {
        auto* self = static_cast<RtAudioStream*>(user);
        auto* floats = static_cast<float*>(out);
        if (self->m_drained.load(std::memory_order_relaxed)) {
            std::fill(floats, floats + size_t(frames) * size_t(self->m_channels), 0.0f);
            return 0;
        }
        if (self->m_source->render(floats, int(frames)) == AudioSource::Drain)
            self->m_drained.store(true, std::memory_order_relaxed);
        return 0;
    }

private:
    std::unique_ptr<RtAudio> m_audio;
    AudioSource* const m_source;
    const int m_channels;
    const double m_rate;
    int m_frames = 0; // set once by open
    // Set by the audio thread when the source has drained; reset by start
    // before the audio thread runs.
    std::atomic<bool> m_drained{false};
};

} // namespace

RtAudioBackend::RtAudioBackend() = default;
RtAudioBackend::~RtAudioBackend() = default;

bool RtAudioBackend::isOwnClient(const QString& name)
{
    const QString own = QString::fromLatin1(OwnClientName);
    if (name == own)
        return true;
    if (!name.startsWith(own + QLatin1Char('-')))
        return false;
    const QString number = name.mid(own.size() + 1);
    return !number.isEmpty() && std::all_of(number.begin(), number.end(), [](QChar c) { return c.isDigit(); });
}

QList<RtAudioBackend::Entry> RtAudioBackend::list()
{
    QHash<QString, double> rates;
    {
        QMutexLocker lock(&m_mutex);
        rates = m_rates;
    }
    QList<Entry> out;
    for (RtAudio::Api api : systems()) {
        std::unique_ptr<RtAudio> audio = makeRtAudio(api);
        if (!audio)
            continue;
        unsigned int count = 0;
        guarded([&] { count = audio->getDeviceCount(); }, true);
        for (unsigned int i = 0; i < count; ++i) {
            // A device that cannot be probed is left out; the others stay.
            RtAudio::DeviceInfo d;
            if (!guarded([&] { d = audio->getDeviceInfo(i); }, true))
                continue;
            const QString name = QString::fromStdString(d.name);
            if (!d.probed || name.isEmpty() || (api == RtAudio::UNIX_JACK && isOwnClient(name)))
                continue;
            Entry e;
            e.api = int(api);
            e.index = int(i);
            e.info.id = int(out.size()) + 1;
            e.info.name = name;
            e.info.outputChannels = int(d.outputChannels);
            e.info.inputChannels = int(d.inputChannels);
            for (unsigned int r : d.sampleRates)
                e.info.rates.append(double(r));
            std::sort(e.info.rates.begin(), e.info.rates.end());
            const auto chosen = rates.constFind(name);
            if (chosen != rates.constEnd() && e.info.rates.contains(*chosen))
                e.info.nominalRate = *chosen;
            else if (d.preferredSampleRate != 0)
                e.info.nominalRate = double(d.preferredSampleRate);
            else if (!e.info.rates.isEmpty())
                e.info.nominalRate = e.info.rates.last();
            out.append(e);
        }
    }
    QMutexLocker lock(&m_mutex);
    m_entries = out;
    m_listed = true;
    return out;
}

QList<RtAudioBackend::Entry> RtAudioBackend::listed()
{
    {
        QMutexLocker lock(&m_mutex);
        if (m_listed)
            return m_entries;
    }
    return list();
}

QList<AudioDeviceInfo> RtAudioBackend::devices()
{
    QList<AudioDeviceInfo> out;
    for (const Entry& e : list())
        out.append(e.info);
    return out;
}

int RtAudioBackend::setNominalRate(int id, double rate)
{
    for (const Entry& e : listed()) {
        if (e.info.id != id)
            continue;
        if (!e.info.rates.contains(rate))
            return AudioStatusBadRate;
        QMutexLocker lock(&m_mutex);
        m_rates.insert(e.info.name, rate);
        // The kept listing runs the device at its new rate too.
        for (Entry& kept : m_entries)
            if (kept.info.name == e.info.name)
                kept.info.nominalRate = rate;
        return AudioStatusOk;
    }
    return AudioStatusNoDevice;
}

namespace {

// Whether the device RtAudio has at index under its system still bears
// the name (devices come and go between a listing and an open).
bool stillNamed(RtAudio& audio, int index, const QString& name)
{
    RtAudio::DeviceInfo d;
    return guarded([&] { d = audio.getDeviceInfo(unsigned(index)); }, true) && d.probed &&
           QString::fromStdString(d.name) == name;
}

} // namespace

int RtAudioBackend::open(const QString& name, int channels, double rate, int frames, AudioSource* source,
                         std::unique_ptr<AudioStream>& stream)
{
    stream.reset();
    if (!source || channels < 1 || rate < 1.0 || frames < 1)
        return AudioStatusOpenFailed;
    const auto find = [&](const QList<Entry>& entries) {
        const auto e = std::find_if(entries.begin(), entries.end(), [&](const Entry& entry) {
            return entry.info.name == name && entry.info.outputChannels > 0;
        });
        return e == entries.end() ? std::optional<Entry>() : std::optional<Entry>(*e);
    };
    std::optional<Entry> entry = find(listed());
    std::unique_ptr<RtAudio> audio = entry ? makeRtAudio(RtAudio::Api(entry->api)) : nullptr;
    if (!audio || !stillNamed(*audio, entry->index, name)) {
        // Not where the last listing had it: list again.
        entry = find(list());
        if (!entry)
            return AudioStatusNoDevice;
        audio = makeRtAudio(RtAudio::Api(entry->api));
        if (!audio)
            return AudioStatusOpenFailed;
    }

    auto made = std::make_unique<RtAudioStream>(std::move(audio), source, channels, rate);
    const int status = made->open(unsigned(entry->index), frames);
    if (status != AudioStatusOk)
        return status;
    stream = std::move(made);
    return AudioStatusOk;
}
