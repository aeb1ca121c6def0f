#include "RtMidiBackend.h"

#include <QDebug>
#include <QRegularExpression>

#include <RtMidi.h>

#include <atomic>
#include <exception>

namespace {

const char* const ClientName = "ORVANE";

// Receives RtMidi's errors in place of exceptions and of its own printing.
// RtMidi may report from its input thread, hence the atomics.
struct ErrorSink
{
    std::atomic<int> errors{0};
    // RtMidi reports a message it could not send only as a warning.
    std::atomic<int> warnings{0};
};

void onRtMidiError(RtMidiError::Type type, const std::string& text, void* userData)
{
    auto* sink = static_cast<ErrorSink*>(userData);
    if (type == RtMidiError::WARNING || type == RtMidiError::DEBUG_WARNING) {
        qDebug("MIDI: %s", text.c_str());
        if (sink && type == RtMidiError::WARNING)
            ++sink->warnings;
        return;
    }
    qWarning("MIDI: %s", text.c_str());
    if (sink)
        ++sink->errors;
}

RtMidi::Api toRtApi(RtMidiBackend::Api api)
{
    switch (api) {
    case RtMidiBackend::Alsa:
        return RtMidi::LINUX_ALSA;
    case RtMidiBackend::Jack:
        return RtMidi::UNIX_JACK;
    case RtMidiBackend::Default:
        break;
    }
    return RtMidi::UNSPECIFIED;
}

RtMidiBackend::Api fromRtApi(RtMidi::Api api)
{
    switch (api) {
    case RtMidi::LINUX_ALSA:
        return RtMidiBackend::Alsa;
    case RtMidi::UNIX_JACK:
        return RtMidiBackend::Jack;
    default:
        return RtMidiBackend::Default;
    }
}

// The endpoints one RtMidi object sees, as discovery lists them. A name that
// cannot be read (RtMidi gives an empty one) leaves a gap.
QList<MidiEndpoint> listPorts(RtMidi& midi, bool strip)
{
    QList<MidiEndpoint> result;
    const unsigned count = midi.getPortCount();
    for (unsigned i = 0; i < count; ++i) {
        const std::string raw = midi.getPortName(i);
        if (raw.empty())
            continue;
        const QString name = QString::fromStdString(raw);
        if (RtMidiBackend::isOwnPort(name))
            continue;
        result.append(MidiEndpoint{int(i), strip ? RtMidiBackend::stripClientPortNumbers(name) : name});
    }
    return result;
}

class RtOutputHandle : public MidiOutputHandle
{
public:
    RtOutputHandle(std::unique_ptr<RtMidiOut> out, std::unique_ptr<ErrorSink> sink, int maxSize)
        : m_sink(std::move(sink)), m_out(std::move(out)), m_maxSize(maxSize)
    {
    }
    ~RtOutputHandle() override
    {
        try {
            m_out->closePort();
        } catch (const std::exception& e) {
            qWarning("MIDI: %s", e.what());
        }
        m_out.reset();
    }
    int send(const unsigned char* data, int size) override
    {
        if (!data || size <= 0)
            return MidiStatusInvalid;
        // RtMidi would drop it without a word.
        if (size > m_maxSize)
            return MidiStatusTooLarge;
        m_sink->errors = 0;
        m_sink->warnings = 0;
        try {
            m_out->sendMessage(data, size_t(size));
        } catch (const std::exception& e) {
            qWarning("MIDI: %s", e.what());
            return MidiStatusSendFailed;
        }
        return m_sink->errors == 0 && m_sink->warnings == 0 ? MidiStatusOk : MidiStatusSendFailed;
    }

private:
    std::unique_ptr<ErrorSink> m_sink; // outlives m_out, which reports to it
    std::unique_ptr<RtMidiOut> m_out;
    const int m_maxSize;
};

// What RtMidi's input thread reaches through its callback. The thread holds
// mutex while it hands a message on (the receiver only queues it), so closing
// waits for a hand-over in progress; recursive so that closing from within a
// receiver stays safe.
struct InputGuard
{
    std::recursive_mutex mutex;
    bool open = true; // cleared under mutex by the closing thread
    MidiPacketReceiver* receiver = nullptr;
    ErrorSink sink;
};

void onRtMidiMessage(double /*timeStamp*/, std::vector<unsigned char>* message, void* userData)
{
    auto* guard = static_cast<InputGuard*>(userData);
    if (!guard || !message || message->empty())
        return;
    std::lock_guard lock(guard->mutex);
    if (guard->open)
        guard->receiver->receivePacket(message->data(), int(message->size()));
}

class RtInputHandle : public MidiInputHandle
{
public:
    RtInputHandle(std::unique_ptr<RtMidiIn> in, std::unique_ptr<InputGuard> guard)
        : m_guard(std::move(guard)), m_in(std::move(in))
    {
    }
    ~RtInputHandle() override
    {
        {
            std::lock_guard lock(m_guard->mutex);
            m_guard->open = false;
        }
        try {
            m_in->cancelCallback();
            m_in->closePort();
        } catch (const std::exception& e) {
            qWarning("MIDI: %s", e.what());
        }
        // Stops RtMidi's input thread; only then may the guard go.
        m_in.reset();
    }

private:
    std::unique_ptr<InputGuard> m_guard;
    std::unique_ptr<RtMidiIn> m_in;
};

} // namespace

RtMidiBackend::RtMidiBackend(Api api) : m_requested(api), m_current(api) {}

RtMidiBackend::~RtMidiBackend() = default;

QString RtMidiBackend::stripClientPortNumbers(const QString& name)
{
    static const QRegularExpression numbers(QStringLiteral(" \\d+:\\d+$"));
    QString result = name;
    result.remove(numbers);
    return result;
}

bool RtMidiBackend::isOwnPort(const QString& name)
{
    static const QRegularExpression own(QStringLiteral("^ORVANE(-\\d+)?:"));
    return own.match(name).hasMatch();
}

QString RtMidiBackend::apiName() const
{
    std::lock_guard lock(m_mutex);
    switch (m_current) {
    case Alsa:
        return QStringLiteral("alsa");
    case Jack:
        return QStringLiteral("jack");
    case Default:
        break;
    }
    return QStringLiteral("default");
}

bool RtMidiBackend::stripsNumbers() const
{
    // Until the client exists the default API is not known; on Linux it is
    // ALSA, and JACK names do not end in numbers of that form anyway.
    return m_current != Jack;
}

bool RtMidiBackend::portSettings(Api& api, bool& strip)
{
    if (createClient() != MidiStatusOk)
        return false;
    std::lock_guard lock(m_mutex);
    api = m_current;
    strip = stripsNumbers();
    return true;
}

int RtMidiBackend::maxMessageSize() const
{
    std::lock_guard lock(m_mutex);
    return m_current == Jack ? JackMaxMessageSize : MidiNoSizeLimit;
}

QString RtMidiBackend::normalizedName(const QString& name) const
{
    std::lock_guard lock(m_mutex);
    return stripsNumbers() ? stripClientPortNumbers(name) : name;
}

int RtMidiBackend::createClient()
{
    std::lock_guard lock(m_mutex);
    if (m_listIn && m_listOut)
        return MidiStatusOk;
    try {
        auto in = std::make_unique<RtMidiIn>(toRtApi(m_requested), ClientName);
        in->setErrorCallback(onRtMidiError, nullptr);
        // With the default API, both objects must use the one RtMidi chose.
        const RtMidi::Api chosen = in->getCurrentApi();
        auto out = std::make_unique<RtMidiOut>(chosen, ClientName);
        out->setErrorCallback(onRtMidiError, nullptr);
        m_listIn = std::move(in);
        m_listOut = std::move(out);
        m_current = fromRtApi(chosen);
    } catch (const std::exception& e) {
        qWarning("MIDI: cannot open the MIDI system: %s", e.what());
        m_listIn.reset();
        m_listOut.reset();
        return MidiStatusClientFailed;
    }
    return MidiStatusOk;
}

QList<MidiEndpoint> RtMidiBackend::endpoints(MidiEndpointKind kind)
{
    if (createClient() != MidiStatusOk)
        return {};
    std::lock_guard lock(m_mutex);
    try {
        // Sources are what an input object can open, destinations an output's.
        if (kind == MidiEndpointKind::Source)
            return listPorts(*m_listIn, stripsNumbers());
        return listPorts(*m_listOut, stripsNumbers());
    } catch (const std::exception& e) {
        qWarning("MIDI: %s", e.what());
    }
    return {};
}

int RtMidiBackend::openOutput(int index, const QString& endpointName, const QString& portName,
                              std::unique_ptr<MidiOutputHandle>& handle)
{
    Api api;
    bool strip;
    if (!portSettings(api, strip))
        return MidiStatusClientFailed;
    try {
        auto sink = std::make_unique<ErrorSink>();
        auto out = std::make_unique<RtMidiOut>(toRtApi(api), ClientName);
        out->setErrorCallback(onRtMidiError, sink.get());
        const int i = resolveMidiEndpoint(listPorts(*out, strip), index, endpointName);
        if (i < 0)
            return MidiStatusNoEndpoint;
        sink->errors = 0;
        out->openPort(unsigned(i), ownMidiPortName(portName).toStdString());
        if (sink->errors != 0 || !out->isPortOpen())
            return MidiStatusConnectFailed;
        const int maxSize = api == Jack ? JackMaxMessageSize : MidiNoSizeLimit;
        handle = std::make_unique<RtOutputHandle>(std::move(out), std::move(sink), maxSize);
    } catch (const std::exception& e) {
        qWarning("MIDI: cannot open output %s: %s", qUtf8Printable(endpointName), e.what());
        return MidiStatusPortFailed;
    }
    return MidiStatusOk;
}

int RtMidiBackend::openInput(int index, const QString& endpointName, const QString& portName,
                             MidiPacketReceiver* receiver, std::unique_ptr<MidiInputHandle>& handle)
{
    if (!receiver)
        return MidiStatusInvalid;
    Api api;
    bool strip;
    if (!portSettings(api, strip))
        return MidiStatusClientFailed;
    try {
        auto guard = std::make_unique<InputGuard>();
        guard->receiver = receiver;
        auto in = std::make_unique<RtMidiIn>(toRtApi(api), ClientName);
        in->setErrorCallback(onRtMidiError, &guard->sink);
        const int i = resolveMidiEndpoint(listPorts(*in, strip), index, endpointName);
        if (i < 0)
            return MidiStatusNoEndpoint;
        // The instrument's dumps are system-exclusive, and clock passes through.
        in->ignoreTypes(false, false, false);
        in->setCallback(onRtMidiMessage, guard.get());
        guard->sink.errors = 0;
        in->openPort(unsigned(i), ownMidiPortName(portName).toStdString());
        if (guard->sink.errors != 0 || !in->isPortOpen()) {
            {
                std::lock_guard lock(guard->mutex);
                guard->open = false;
            }
            in.reset();
            return MidiStatusConnectFailed;
        }
        handle = std::make_unique<RtInputHandle>(std::move(in), std::move(guard));
    } catch (const std::exception& e) {
        qWarning("MIDI: cannot open input %s: %s", qUtf8Printable(endpointName), e.what());
        return MidiStatusPortFailed;
    }
    return MidiStatusOk;
}
