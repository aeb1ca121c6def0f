#include "JackMidiBackend.h"

#include "RtMidiBackend.h"

#include <QDebug>

#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <utility>
#include <vector>

#include <pthread.h>
#include <semaphore.h>

namespace {

using Clock = std::chrono::steady_clock;

const char* const ClientName = "ORVANE";

// Each message in a ring: its size, then its bytes.
using RecordSize = quint32;

// What an input port's ring holds while its thread is kept from running: about
// 80 cycles of a peer that fills its whole buffer (32 KiB) every cycle.
constexpr size_t InputRingBytes = size_t(2) << 20;
// Several messages of the largest size queue behind each other.
constexpr size_t OutputRingBytes = size_t(64) << 10;
// How long a send waits for room in its ring, and closing an output for what
// it queued to go out: many cycles even at JACK's longest periods.
constexpr auto SendWait = std::chrono::seconds(2);
constexpr auto FlushWait = std::chrono::seconds(1);
// How long a port change waits for a process cycle that may still use the
// old ports; past it the old ones are kept, never freed under the cycle.
constexpr auto CycleWait = std::chrono::seconds(5);
// How long opening a port waits for the server to take up its connection.
constexpr auto ConnectWait = std::chrono::seconds(2);
// What the peer's port buffer keeps for itself and another event.
constexpr int BufferOverhead = 64;

// JACK writes its pages when it first touches them: done here, not in a
// cycle.
jack_ringbuffer_t* makeRing(size_t bytes)
{
    jack_ringbuffer_t* ring = jack_ringbuffer_create(bytes);
    if (!ring)
        return nullptr;
    jack_ringbuffer_mlock(ring); // where the system allows it
    jack_ringbuffer_data_t parts[2];
    jack_ringbuffer_get_write_vector(ring, parts);
    for (const jack_ringbuffer_data_t& part : parts) {
        if (part.buf)
            std::memset(part.buf, 0, part.len);
    }
    return ring;
}

// The size of the next whole message in ring, or false while there is none.
bool nextRecord(jack_ringbuffer_t* ring, RecordSize& size)
{
    return jack_ringbuffer_peek(ring, reinterpret_cast<char*>(&size), sizeof size) == sizeof size &&
           jack_ringbuffer_read_space(ring) >= sizeof size + size;
}

bool writeRecord(jack_ringbuffer_t* ring, const unsigned char* data, RecordSize size)
{
    if (jack_ringbuffer_write_space(ring) < sizeof size + size)
        return false;
    // The size goes first: the reader takes a message only once all of it is
    // there.
    jack_ringbuffer_write(ring, reinterpret_cast<const char*>(&size), sizeof size);
    jack_ringbuffer_write(ring, reinterpret_cast<const char*>(data), size);
    return true;
}

struct InputPort
{
    jack_port_t* port = nullptr;
    jack_ringbuffer_t* ring = nullptr;      // written by JACK's thread, read by "jack-midi-in"
    MidiPacketReceiver* receiver = nullptr; // called on "jack-midi-in" only
    std::atomic<int> dropped{0};            // counted by JACK's thread, reported by "jack-midi-in"
    // JACK's thread only: a message was dropped, and with it the events that
    // continue it (a system-exclusive message cut into several).
    bool skipping = false;
};

struct OutputPort
{
    jack_port_t* port = nullptr;
    jack_ringbuffer_t* ring = nullptr; // written by the sender (one at a time), read by JACK's thread
};

// The ports one process cycle serves; never changed once published.
struct PortTable
{
    std::vector<InputPort*> inputs;
    std::vector<OutputPort*> outputs;
};

} // namespace

class JackClient
{
public:
    // Null when no JACK server answers.
    static std::shared_ptr<JackClient> open();
    ~JackClient();
    JackClient(const JackClient&) = delete;
    JackClient& operator=(const JackClient&) = delete;

    // False once the server closed the client.
    bool alive() const { return !m_gone.load(); }
    int maxMessageSize() const { return m_maxMessageSize; }
    QList<MidiEndpoint> endpoints(MidiEndpointKind kind);

    // A status code; on success port is open and connected to the endpoint.
    int addInput(const QString& source, const QString& name, MidiPacketReceiver* receiver,
                 InputPort*& port);
    int addOutput(const QString& destination, const QString& name, OutputPort*& port);
    // Once they return, no cycle and no receiver call uses the port any more.
    void removeInput(InputPort* port);
    void removeOutput(OutputPort* port);
    int send(OutputPort& port, const unsigned char* data, int size);

private:
    explicit JackClient(jack_client_t* jack);

    static int onProcess(jack_nframes_t frames, void* self);
    static void onShutdown(void* self);
    void process(jack_nframes_t frames);
    bool readInput(InputPort& in, jack_nframes_t frames);
    void writeOutput(OutputPort& out, jack_nframes_t frames);

    void drainLoop();
    void drain(InputPort& in, std::vector<unsigned char>& record);

    void waitConnected(jack_port_t* port);
    // The caller holds m_portsMutex.
    jack_port_t* registerPort(const QString& wanted, unsigned long flags);
    bool publishPorts();
    bool waitForCycle();

    jack_client_t* m_jack;
    int m_maxMessageSize = JackMidiBackend::MaxMessageSize;
    std::atomic<bool> m_gone{false}; // set by JACK's thread when the server closes the client

    // Port changes are made under m_portsMutex on a copy, then published whole
    // to the process cycle through m_table.
    std::mutex m_portsMutex;
    PortTable m_ports;                         // guarded by m_portsMutex
    std::unique_ptr<PortTable> m_published;    // guarded by m_portsMutex; what m_table points to
    std::atomic<const PortTable*> m_table{nullptr}; // read by JACK's thread
    // Counted up as a cycle starts and as it ends: odd while one runs.
    std::atomic<unsigned long long> m_cycle{0};

    sem_t m_wake; // posted by JACK's thread after a cycle that received
    std::atomic<bool> m_stop{false};
    // Held by "jack-midi-in" while it hands messages on, so removing an input
    // waits for a call to its receiver.
    std::mutex m_drainMutex;
    std::vector<InputPort*> m_draining; // guarded by m_drainMutex
    std::thread m_drainThread;
};

JackClient::JackClient(jack_client_t* jack) : m_jack(jack)
{
    sem_init(&m_wake, 0, 0);
    m_published = std::make_unique<PortTable>();
    m_table = m_published.get();
    // A message must fit an empty port buffer of the peer's, whatever the
    // server makes them.
    const size_t buffer = jack_port_type_get_buffer_size(jack, JACK_DEFAULT_MIDI_TYPE);
    if (buffer > 0 && int(buffer) - BufferOverhead < m_maxMessageSize)
        m_maxMessageSize = qMax(1, int(buffer) - BufferOverhead);
}

namespace {

// The client KeepJackClient holds for the next open; closed at exit when
// nobody took it. Any thread, under mutex.
struct KeptClient
{
    std::mutex mutex;
    jack_client_t* client = nullptr;

    ~KeptClient()
    {
        if (client)
            jack_client_close(client);
    }

    jack_client_t* take()
    {
        std::lock_guard lock(mutex);
        return std::exchange(client, nullptr);
    }
};

KeptClient& keptClient()
{
    static KeptClient kept;
    return kept;
}

} // namespace

void KeepJackClient(jack_client_t* client)
{
    if (!client)
        return;
    KeptClient& kept = keptClient();
    jack_client_t* old = nullptr;
    {
        std::lock_guard lock(kept.mutex);
        old = std::exchange(kept.client, client);
    }
    if (old)
        jack_client_close(old);
}

std::shared_ptr<JackClient> JackClient::open()
{
    jack_client_t* jack = keptClient().take();
    if (!jack) {
        jack_status_t status{};
        jack = jack_client_open(ClientName, JackNoStartServer, &status);
    }
    if (!jack)
        return nullptr;
    std::shared_ptr<JackClient> client(new JackClient(jack));
    client->m_drainThread = std::thread([c = client.get()] { c->drainLoop(); });
    if (jack_set_process_callback(jack, &JackClient::onProcess, client.get()) != 0)
        return nullptr;
    jack_on_shutdown(jack, &JackClient::onShutdown, client.get());
    if (jack_activate(jack) != 0) {
        qWarning("MIDI: cannot start the JACK client");
        return nullptr;
    }
    return client;
}

JackClient::~JackClient()
{
    // Deactivating waits for a cycle in progress; none runs after it.
    jack_deactivate(m_jack);
    jack_client_close(m_jack);
    m_stop = true;
    sem_post(&m_wake);
    if (m_drainThread.joinable())
        m_drainThread.join();
    sem_destroy(&m_wake);
    // Ports still open belong to handles that hold this client: none is left.
}

int JackClient::onProcess(jack_nframes_t frames, void* self)
{
    static_cast<JackClient*>(self)->process(frames);
    return 0;
}

void JackClient::onShutdown(void* self)
{
    static_cast<JackClient*>(self)->m_gone = true;
}

void JackClient::process(jack_nframes_t frames)
{
    ++m_cycle;
    const PortTable* table = m_table.load();
    bool received = false;
    for (InputPort* in : table->inputs)
        received = readInput(*in, frames) || received;
    for (OutputPort* out : table->outputs)
        writeOutput(*out, frames);
    ++m_cycle;
    if (received)
        sem_post(&m_wake);
}

bool JackClient::readInput(InputPort& in, jack_nframes_t frames)
{
    void* buffer = jack_port_get_buffer(in.port, frames);
    if (!buffer)
        return false;
    bool wrote = false;
    const quint32 count = jack_midi_get_event_count(buffer);
    for (quint32 i = 0; i < count; ++i) {
        jack_midi_event_t event;
        // The buffer is the peer's own. In a cycle that runs late the peer may
        // already be writing its next one into it, and the count read above no
        // longer holds: what JACK no longer gives is not there to hand on.
        if (jack_midi_event_get(&event, buffer, i) != 0)
            break;
        if (event.size == 0 || !event.buffer)
            continue;
        const unsigned char first = event.buffer[0];
        // The rest of a message whose start was dropped: data bytes, or the
        // closing F7, that would end up in the next message.
        if (in.skipping && (first < 0x80 || first == 0xF7)) {
            ++in.dropped;
            continue;
        }
        in.skipping = false;
        if (!writeRecord(in.ring, event.buffer, RecordSize(event.size))) {
            ++in.dropped;
            in.skipping = true;
            continue;
        }
        wrote = true;
    }
    return wrote;
}

void JackClient::writeOutput(OutputPort& out, jack_nframes_t frames)
{
    void* buffer = jack_port_get_buffer(out.port, frames);
    if (!buffer)
        return;
    jack_midi_clear_buffer(buffer);
    const size_t room = jack_midi_max_event_size(buffer);
    RecordSize size = 0;
    while (nextRecord(out.ring, size)) {
        if (size > jack_midi_max_event_size(buffer)) {
            if (size <= room)
                break; // the buffer is full: the rest goes in the next cycle
            // Larger than the whole buffer (sends keep below it): it never goes.
            jack_ringbuffer_read_advance(out.ring, sizeof size + size);
            continue;
        }
        jack_midi_data_t* event = jack_midi_event_reserve(buffer, 0, size);
        if (!event)
            break;
        jack_ringbuffer_read_advance(out.ring, sizeof size);
        jack_ringbuffer_read(out.ring, reinterpret_cast<char*>(event), size);
    }
}

void JackClient::drainLoop()
{
#ifdef __linux__
    pthread_setname_np(pthread_self(), "jack-midi-in");
#endif
    std::vector<unsigned char> record;
    for (;;) {
        while (sem_wait(&m_wake) != 0 && errno == EINTR) {
        }
        if (m_stop)
            return;
        std::lock_guard lock(m_drainMutex);
        for (InputPort* in : m_draining)
            drain(*in, record);
    }
}

void JackClient::drain(InputPort& in, std::vector<unsigned char>& record)
{
    RecordSize size = 0;
    while (nextRecord(in.ring, size)) {
        jack_ringbuffer_read_advance(in.ring, sizeof size);
        record.resize(size);
        jack_ringbuffer_read(in.ring, reinterpret_cast<char*>(record.data()), size);
        in.receiver->receivePacket(record.data(), int(size));
    }
    if (const int dropped = in.dropped.exchange(0))
        qWarning("MIDI: %s could not keep up: %d messages dropped", jack_port_name(in.port), dropped);
}

QList<MidiEndpoint> JackClient::endpoints(MidiEndpointKind kind)
{
    // Sources are ports that send (JACK's outputs), destinations ports that
    // receive.
    const unsigned long flags = kind == MidiEndpointKind::Source ? JackPortIsOutput : JackPortIsInput;
    const char** ports = jack_get_ports(m_jack, nullptr, JACK_DEFAULT_MIDI_TYPE, flags);
    QList<MidiEndpoint> result;
    if (!ports)
        return result;
    for (int i = 0; ports[i]; ++i) {
        const QString name = QString::fromUtf8(ports[i]);
        if (name.isEmpty() || RtMidiBackend::isOwnPort(name))
            continue;
        result.append(MidiEndpoint{i, name});
    }
    jack_free(ports);
    return result;
}

jack_port_t* JackClient::registerPort(const QString& wanted, unsigned long flags)
{
    const QString base = ownMidiPortName(wanted);
    const QByteArray client = jack_get_client_name(m_jack);
    // One client holds every port, and JACK takes one name once per client:
    // a second port on the same endpoint gets a number.
    for (int n = 1; n < 1000; ++n) {
        const QByteArray name = (n == 1 ? base : QStringLiteral("%1-%2").arg(base).arg(n)).toUtf8();
        if (jack_port_by_name(m_jack, (client + ':' + name).constData()))
            continue;
        return jack_port_register(m_jack, name.constData(), JACK_DEFAULT_MIDI_TYPE, flags, 0);
    }
    return nullptr;
}

void JackClient::waitConnected(jack_port_t* port)
{
    // The server takes up a new connection in a later cycle; until then the
    // peer does not read our buffer nor we its, and what is sent right after
    // opening would be lost.
    const Clock::time_point deadline = Clock::now() + ConnectWait;
    while (jack_port_connected(port) < 1 && alive() && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

bool JackClient::waitForCycle()
{
    const unsigned long long cycle = m_cycle.load();
    if (cycle % 2 == 0)
        return true;
    const Clock::time_point deadline = Clock::now() + CycleWait;
    while (m_cycle.load() == cycle) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

bool JackClient::publishPorts()
{
    auto next = std::make_unique<PortTable>(m_ports);
    m_table = next.get();
    // A cycle that started before still reads the old table.
    if (!waitForCycle()) {
        qWarning("MIDI: the JACK cycle does not end; the ports it used are kept");
        (void)m_published.release();
        m_published = std::move(next);
        return false;
    }
    m_published = std::move(next);
    return true;
}

int JackClient::addInput(const QString& source, const QString& name, MidiPacketReceiver* receiver,
                         InputPort*& result)
{
    auto in = std::make_unique<InputPort>();
    in->receiver = receiver;
    in->ring = makeRing(InputRingBytes);
    if (!in->ring)
        return MidiStatusPortFailed;
    {
        std::lock_guard lock(m_portsMutex);
        in->port = registerPort(name, JackPortIsInput);
        if (!in->port) {
            jack_ringbuffer_free(in->ring);
            return MidiStatusPortFailed;
        }
        {
            std::lock_guard drainLock(m_drainMutex);
            m_draining.push_back(in.get());
        }
        m_ports.inputs.push_back(in.get());
        publishPorts();
    }
    InputPort* port = in.release();
    if (jack_connect(m_jack, source.toUtf8().constData(), jack_port_name(port->port)) != 0) {
        removeInput(port);
        return MidiStatusConnectFailed;
    }
    waitConnected(port->port);
    result = port;
    return MidiStatusOk;
}

int JackClient::addOutput(const QString& destination, const QString& name, OutputPort*& result)
{
    auto out = std::make_unique<OutputPort>();
    out->ring = makeRing(OutputRingBytes);
    if (!out->ring)
        return MidiStatusPortFailed;
    {
        std::lock_guard lock(m_portsMutex);
        out->port = registerPort(name, JackPortIsOutput);
        if (!out->port) {
            jack_ringbuffer_free(out->ring);
            return MidiStatusPortFailed;
        }
        m_ports.outputs.push_back(out.get());
        publishPorts();
    }
    OutputPort* port = out.release();
    if (jack_connect(m_jack, jack_port_name(port->port), destination.toUtf8().constData()) != 0) {
        removeOutput(port);
        return MidiStatusConnectFailed;
    }
    waitConnected(port->port);
    result = port;
    return MidiStatusOk;
}

void JackClient::removeInput(InputPort* in)
{
    bool unused;
    {
        std::lock_guard lock(m_portsMutex);
        std::erase(m_ports.inputs, in);
        unused = publishPorts();
    }
    {
        // Waits for the receiver's call in progress.
        std::lock_guard lock(m_drainMutex);
        std::erase(m_draining, in);
    }
    if (!unused)
        return; // a cycle that never ended may still read it
    jack_port_unregister(m_jack, in->port);
    jack_ringbuffer_free(in->ring);
    delete in;
}

void JackClient::removeOutput(OutputPort* out)
{
    // What was sent last goes out first.
    const Clock::time_point deadline = Clock::now() + FlushWait;
    while (alive() && jack_ringbuffer_read_space(out->ring) > 0 && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    bool unused;
    {
        std::lock_guard lock(m_portsMutex);
        std::erase(m_ports.outputs, out);
        unused = publishPorts();
    }
    if (!unused)
        return; // a cycle that never ended may still read it
    jack_port_unregister(m_jack, out->port);
    jack_ringbuffer_free(out->ring);
    delete out;
}

int JackClient::send(OutputPort& out, const unsigned char* data, int size)
{
    const Clock::time_point deadline = Clock::now() + SendWait;
    for (;;) {
        if (!alive())
            return MidiStatusSendFailed;
        if (writeRecord(out.ring, data, RecordSize(size)))
            return MidiStatusOk;
        // Full: the next cycles make room.
        if (Clock::now() > deadline)
            return MidiStatusSendFailed;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
}

namespace {

class JackInputHandle : public MidiInputHandle
{
public:
    JackInputHandle(std::shared_ptr<JackClient> client, InputPort* port)
        : m_client(std::move(client)), m_port(port)
    {
    }
    ~JackInputHandle() override { m_client->removeInput(m_port); }

private:
    std::shared_ptr<JackClient> m_client;
    InputPort* m_port;
};

class JackOutputHandle : public MidiOutputHandle
{
public:
    JackOutputHandle(std::shared_ptr<JackClient> client, OutputPort* port)
        : m_client(std::move(client)), m_port(port)
    {
    }
    ~JackOutputHandle() override { m_client->removeOutput(m_port); }

    int send(const unsigned char* data, int size) override
    {
        if (!data || size <= 0)
            return MidiStatusInvalid;
        if (size > m_client->maxMessageSize())
            return MidiStatusTooLarge;
        return m_client->send(*m_port, data, size);
    }

private:
    std::shared_ptr<JackClient> m_client;
    OutputPort* m_port;
};

} // namespace

JackMidiBackend::JackMidiBackend() = default;

JackMidiBackend::~JackMidiBackend() = default;

QString JackMidiBackend::apiName() const
{
    return QStringLiteral("jack");
}

std::shared_ptr<JackClient> JackMidiBackend::client()
{
    std::lock_guard lock(m_mutex);
    // A client the server dropped stays with the ports still open on it.
    if (!m_client || !m_client->alive())
        m_client = JackClient::open();
    return m_client;
}

int JackMidiBackend::maxMessageSize() const
{
    std::lock_guard lock(m_mutex);
    return m_client ? m_client->maxMessageSize() : MaxMessageSize;
}

int JackMidiBackend::createClient()
{
    return client() ? MidiStatusOk : MidiStatusClientFailed;
}

QList<MidiEndpoint> JackMidiBackend::endpoints(MidiEndpointKind kind)
{
    const std::shared_ptr<JackClient> c = client();
    return c ? c->endpoints(kind) : QList<MidiEndpoint>();
}

int JackMidiBackend::openOutput(int index, const QString& endpointName, const QString& portName,
                                std::unique_ptr<MidiOutputHandle>& handle)
{
    const std::shared_ptr<JackClient> c = client();
    if (!c)
        return MidiStatusClientFailed;
    if (resolveMidiEndpoint(c->endpoints(MidiEndpointKind::Destination), index, endpointName) < 0)
        return MidiStatusNoEndpoint;
    OutputPort* port = nullptr;
    const int status = c->addOutput(endpointName, portName, port);
    if (status != MidiStatusOk)
        return status;
    handle = std::make_unique<JackOutputHandle>(c, port);
    return MidiStatusOk;
}

int JackMidiBackend::openInput(int index, const QString& endpointName, const QString& portName,
                               MidiPacketReceiver* receiver, std::unique_ptr<MidiInputHandle>& handle)
{
    if (!receiver)
        return MidiStatusInvalid;
    const std::shared_ptr<JackClient> c = client();
    if (!c)
        return MidiStatusClientFailed;
    if (resolveMidiEndpoint(c->endpoints(MidiEndpointKind::Source), index, endpointName) < 0)
        return MidiStatusNoEndpoint;
    InputPort* port = nullptr;
    const int status = c->addInput(endpointName, portName, receiver, port);
    if (status != MidiStatusOk)
        return status;
    handle = std::make_unique<JackInputHandle>(c, port);
    return MidiStatusOk;
}
