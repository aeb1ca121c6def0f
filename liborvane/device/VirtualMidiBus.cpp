#include "VirtualMidiBus.h"

#include "MidiReceiveThread.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <queue>
#include <thread>
#include <vector>

#ifdef __linux__
#include <pthread.h>
#endif

namespace {
using Clock = std::chrono::steady_clock;
} // namespace

struct VirtualMidiBus::Impl
{
    // One input port open on a source. The delivery thread holds mutex while it
    // calls the receiver, so closing the port waits for a running delivery. The
    // mutex is recursive because a receiver may close its own port.
    struct Connection
    {
        std::recursive_mutex mutex;
        bool open = true; // written under mutex by the closing thread, read under it by the bus thread
        MidiPacketReceiver* receiver = nullptr;
    };

    struct Endpoint
    {
        QString name;
        bool readable = true;
        bool alive = true; // false once removed or reset; its ports are dead then
        int openStatus = MidiStatusOk;
        bool sendFails = false;
        QList<QByteArray> sent;
        Responder responder;
        std::vector<std::shared_ptr<Connection>> connections;
        int openOutputs = 0;
    };
    using EndpointPtr = std::shared_ptr<Endpoint>;

    struct Item
    {
        Clock::time_point due;
        quint64 seq = 0;
        EndpointPtr endpoint;
        QByteArray packet;
        bool respond = false; // a sent packet for the responder, not a delivery
    };
    struct Later
    {
        bool operator()(const Item& a, const Item& b) const
        {
            return a.due != b.due ? a.due > b.due : a.seq > b.seq;
        }
    };

    class OutputHandle : public MidiOutputHandle
    {
    public:
        OutputHandle(std::shared_ptr<Impl> bus, EndpointPtr endpoint)
            : m_bus(std::move(bus)), m_endpoint(std::move(endpoint))
        {
        }
        ~OutputHandle() override
        {
            std::lock_guard lock(m_bus->mutex);
            --m_endpoint->openOutputs;
        }
        int send(const unsigned char* data, int size) override
        {
            if (!data || size <= 0)
                return MidiStatusInvalid;
            std::lock_guard lock(m_bus->mutex);
            if (!m_endpoint->alive)
                return MidiStatusNoEndpoint;
            if (m_endpoint->sendFails)
                return MidiStatusSendFailed;
            if (size > m_bus->maxMessageSize)
                return MidiStatusTooLarge;
            const QByteArray packet(reinterpret_cast<const char*>(data), size);
            m_endpoint->sent.append(packet);
            if (m_endpoint->responder)
                m_bus->enqueueLocked(m_endpoint, packet, Clock::now(), true);
            return MidiStatusOk;
        }

    private:
        std::shared_ptr<Impl> m_bus;
        EndpointPtr m_endpoint;
    };

    class InputHandle : public MidiInputHandle
    {
    public:
        InputHandle(std::shared_ptr<Impl> bus, EndpointPtr endpoint, std::shared_ptr<Connection> connection)
            : m_bus(std::move(bus)), m_endpoint(std::move(endpoint)), m_connection(std::move(connection))
        {
        }
        ~InputHandle() override
        {
            {
                // Waits for a delivery that is calling the receiver right now.
                std::lock_guard guard(m_connection->mutex);
                m_connection->open = false;
            }
            std::lock_guard lock(m_bus->mutex);
            auto& list = m_endpoint->connections;
            std::erase(list, m_connection);
        }

    private:
        std::shared_ptr<Impl> m_bus;
        EndpointPtr m_endpoint;
        std::shared_ptr<Connection> m_connection;
    };

    // Everything below is guarded by mutex, apart from the thread object
    // (made by the constructor, joined by the destructor).
    mutable std::mutex mutex;
    std::condition_variable wake; // new work or stop, for the delivery thread
    std::condition_variable idle; // the queue ran empty, for waitIdle and reset
    QList<EndpointPtr> sources;
    QList<EndpointPtr> destinations;
    int clientFailure = MidiStatusOk;
    int maxMessageSize = MidiNoSizeLimit;
    std::priority_queue<Item, std::vector<Item>, Later> queue;
    quint64 nextSeq = 0;
    bool busy = false;   // the delivery thread is handling an item
    quint64 handled = 0; // items the delivery thread has handled so far
    bool stop = false;
    VirtualMidiBus* owner = nullptr; // handed to responders; null once the bus is gone
    std::thread thread;
    std::thread::id threadId;

    QList<EndpointPtr>& list(MidiEndpointKind kind)
    {
        return kind == MidiEndpointKind::Source ? sources : destinations;
    }
    const QList<EndpointPtr>& list(MidiEndpointKind kind) const
    {
        return kind == MidiEndpointKind::Source ? sources : destinations;
    }
    EndpointPtr at(MidiEndpointKind kind, int index) const
    {
        const auto& l = list(kind);
        return index >= 0 && index < l.size() ? l.at(index) : nullptr;
    }

    // The endpoint listed at index when it still has that name, else the first
    // readable endpoint of that name.
    EndpointPtr resolve(MidiEndpointKind kind, int index, const QString& name) const
    {
        const EndpointPtr e = at(kind, index);
        if (e && e->readable && e->name == name)
            return e;
        for (const EndpointPtr& other : list(kind)) {
            if (other->readable && other->name == name)
                return other;
        }
        return nullptr;
    }

    void enqueueLocked(const EndpointPtr& endpoint, const QByteArray& packet, Clock::time_point due,
                       bool respond)
    {
        queue.push(Item{due, nextSeq++, endpoint, packet, respond});
        wake.notify_one();
    }

    void deliver(const Item& item)
    {
        if (item.respond) {
            Responder responder;
            VirtualMidiBus* bus = nullptr;
            {
                std::lock_guard lock(mutex);
                if (item.endpoint->alive)
                    responder = item.endpoint->responder;
                bus = owner;
            }
            if (responder && bus)
                responder(*bus, item.packet);
            return;
        }
        std::vector<std::shared_ptr<Connection>> targets;
        {
            std::lock_guard lock(mutex);
            if (item.endpoint->alive)
                targets = item.endpoint->connections;
        }
        const auto* data = reinterpret_cast<const unsigned char*>(item.packet.constData());
        for (const auto& connection : targets) {
            std::lock_guard guard(connection->mutex);
            if (connection->open)
                connection->receiver->receivePacket(data, int(item.packet.size()));
        }
    }

    void run()
    {
#ifdef __linux__
        pthread_setname_np(pthread_self(), "midi-vbus");
#endif
        std::unique_lock lock(mutex);
        while (!stop) {
            if (queue.empty()) {
                wake.wait(lock);
                continue;
            }
            const Clock::time_point due = queue.top().due;
            if (due > Clock::now()) {
                wake.wait_until(lock, due);
                continue;
            }
            const Item item = queue.top();
            queue.pop();
            busy = true;
            lock.unlock();
            deliver(item);
            lock.lock();
            busy = false;
            ++handled;
            if (queue.empty())
                idle.notify_all();
        }
        busy = false;
        idle.notify_all();
    }

    bool onDeliveryThread() const
    {
        return std::this_thread::get_id() == threadId;
    }
};

VirtualMidiBus::VirtualMidiBus() : d(std::make_shared<Impl>())
{
    d->owner = this;
    // The thread keeps the state alive for as long as it runs.
    d->thread = std::thread([impl = d] { impl->run(); });
    d->threadId = d->thread.get_id();
}

VirtualMidiBus::~VirtualMidiBus()
{
    {
        std::lock_guard lock(d->mutex);
        d->stop = true;
        d->owner = nullptr;
        d->queue = {};
        d->wake.notify_all();
    }
    if (d->thread.joinable()) {
        if (d->onDeliveryThread())
            d->thread.detach();
        else
            d->thread.join();
    }
}

VirtualMidiBus* VirtualMidiBus::instance()
{
    return dynamic_cast<VirtualMidiBus*>(midiBackend());
}

void VirtualMidiBus::reset()
{
    std::unique_lock lock(d->mutex);
    for (const auto& e : d->sources)
        e->alive = false;
    for (const auto& e : d->destinations)
        e->alive = false;
    d->sources.clear();
    d->destinations.clear();
    d->clientFailure = MidiStatusOk;
    d->maxMessageSize = MidiNoSizeLimit;
    d->queue = {};
    if (d->onDeliveryThread())
        return;
    d->idle.wait(lock, [this] { return !d->busy; });
    lock.unlock();
    // What the bus delivered before reaches the ports' owners now, not after
    // the reset.
    MidiReceiveThread::instance().waitIdle(10000);
}

int VirtualMidiBus::addEndpoint(MidiEndpointKind kind, const QString& name)
{
    std::lock_guard lock(d->mutex);
    auto e = std::make_shared<Impl::Endpoint>();
    e->name = name;
    d->list(kind).append(e);
    return int(d->list(kind).size()) - 1;
}

bool VirtualMidiBus::removeEndpoint(MidiEndpointKind kind, int index)
{
    std::lock_guard lock(d->mutex);
    const auto e = d->at(kind, index);
    if (!e)
        return false;
    e->alive = false;
    d->list(kind).removeAt(index);
    return true;
}

bool VirtualMidiBus::renameEndpoint(MidiEndpointKind kind, int index, const QString& name)
{
    std::lock_guard lock(d->mutex);
    const auto e = d->at(kind, index);
    if (!e)
        return false;
    e->name = name;
    return true;
}

bool VirtualMidiBus::setEndpointReadable(MidiEndpointKind kind, int index, bool readable)
{
    std::lock_guard lock(d->mutex);
    const auto e = d->at(kind, index);
    if (!e)
        return false;
    e->readable = readable;
    return true;
}

int VirtualMidiBus::endpointCount(MidiEndpointKind kind) const
{
    std::lock_guard lock(d->mutex);
    return int(d->list(kind).size());
}

int VirtualMidiBus::endpointIndex(MidiEndpointKind kind, const QString& name) const
{
    std::lock_guard lock(d->mutex);
    const auto& l = d->list(kind);
    for (int i = 0; i < l.size(); ++i) {
        if (l.at(i)->name == name)
            return i;
    }
    return -1;
}

int VirtualMidiBus::openPortCount(MidiEndpointKind kind, int index) const
{
    std::lock_guard lock(d->mutex);
    const auto e = d->at(kind, index);
    if (!e)
        return 0;
    return kind == MidiEndpointKind::Source ? int(e->connections.size()) : e->openOutputs;
}

void VirtualMidiBus::setClientFailure(int status)
{
    std::lock_guard lock(d->mutex);
    d->clientFailure = status;
}

void VirtualMidiBus::setMaxMessageSize(int size)
{
    std::lock_guard lock(d->mutex);
    d->maxMessageSize = size > 0 ? size : MidiNoSizeLimit;
}

int VirtualMidiBus::maxMessageSize() const
{
    std::lock_guard lock(d->mutex);
    return d->maxMessageSize;
}

bool VirtualMidiBus::setOpenFailure(MidiEndpointKind kind, int index, int status)
{
    std::lock_guard lock(d->mutex);
    const auto e = d->at(kind, index);
    if (!e)
        return false;
    e->openStatus = status;
    return true;
}

bool VirtualMidiBus::setSendFailure(int destination, bool fail)
{
    std::lock_guard lock(d->mutex);
    const auto e = d->at(MidiEndpointKind::Destination, destination);
    if (!e)
        return false;
    e->sendFails = fail;
    return true;
}

bool VirtualMidiBus::inject(int source, const QList<QByteArray>& packets, int delayMs)
{
    std::lock_guard lock(d->mutex);
    const auto e = d->at(MidiEndpointKind::Source, source);
    if (!e)
        return false;
    const Clock::time_point due = Clock::now() + std::chrono::milliseconds(qMax(0, delayMs));
    for (const QByteArray& packet : packets)
        d->enqueueLocked(e, packet, due, false);
    return true;
}

bool VirtualMidiBus::waitIdle(int timeoutMs)
{
    MidiReceiveThread& receiver = MidiReceiveThread::instance();
    if (d->onDeliveryThread() || receiver.isCurrentThread())
        return false;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(qMax(0, timeoutMs));
    auto left = [&] {
        return int(qMax<qint64>(
            0, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count()));
    };
    for (;;) {
        quint64 handled = 0;
        {
            std::unique_lock lock(d->mutex);
            if (!d->idle.wait_until(lock, deadline, [this] { return d->queue.empty() && !d->busy; }))
                return false;
            handled = d->handled;
        }
        // What the bus delivered still has to pass the ports' receive thread.
        if (!receiver.waitIdle(left()))
            return false;
        // Its hooks may have sent to a responder meanwhile, and the bus may
        // have answered and delivered the answer while we waited: settled
        // only when the bus has handled nothing since.
        std::lock_guard lock(d->mutex);
        if (d->queue.empty() && !d->busy && d->handled == handled)
            return true;
    }
}

QList<QByteArray> VirtualMidiBus::sentPackets(int destination) const
{
    std::lock_guard lock(d->mutex);
    const auto e = d->at(MidiEndpointKind::Destination, destination);
    return e ? e->sent : QList<QByteArray>();
}

QByteArray VirtualMidiBus::sentBytes(int destination) const
{
    QByteArray all;
    for (const QByteArray& packet : sentPackets(destination))
        all += packet;
    return all;
}

void VirtualMidiBus::clearSent()
{
    std::lock_guard lock(d->mutex);
    for (const auto& e : d->destinations)
        e->sent.clear();
}

bool VirtualMidiBus::setResponder(int destination, Responder responder)
{
    std::lock_guard lock(d->mutex);
    const auto e = d->at(MidiEndpointKind::Destination, destination);
    if (!e)
        return false;
    e->responder = std::move(responder);
    return true;
}

QString VirtualMidiBus::apiName() const
{
    return QStringLiteral("virtual");
}

int VirtualMidiBus::createClient()
{
    std::lock_guard lock(d->mutex);
    return d->clientFailure;
}

QList<MidiEndpoint> VirtualMidiBus::endpoints(MidiEndpointKind kind)
{
    std::lock_guard lock(d->mutex);
    QList<MidiEndpoint> result;
    const auto& l = d->list(kind);
    for (int i = 0; i < l.size(); ++i) {
        if (l.at(i)->readable)
            result.append(MidiEndpoint{i, l.at(i)->name});
    }
    return result;
}

int VirtualMidiBus::openOutput(int index, const QString& endpointName, const QString& /*portName*/,
                               std::unique_ptr<MidiOutputHandle>& handle)
{
    std::lock_guard lock(d->mutex);
    const auto e = d->resolve(MidiEndpointKind::Destination, index, endpointName);
    if (!e)
        return MidiStatusNoEndpoint;
    if (e->openStatus != MidiStatusOk)
        return e->openStatus;
    ++e->openOutputs;
    handle = std::make_unique<Impl::OutputHandle>(d, e);
    return MidiStatusOk;
}

int VirtualMidiBus::openInput(int index, const QString& endpointName, const QString& /*portName*/,
                              MidiPacketReceiver* receiver, std::unique_ptr<MidiInputHandle>& handle)
{
    if (!receiver)
        return MidiStatusInvalid;
    std::lock_guard lock(d->mutex);
    const auto e = d->resolve(MidiEndpointKind::Source, index, endpointName);
    if (!e)
        return MidiStatusNoEndpoint;
    if (e->openStatus != MidiStatusOk)
        return e->openStatus;
    auto connection = std::make_shared<Impl::Connection>();
    connection->receiver = receiver;
    e->connections.push_back(connection);
    handle = std::make_unique<Impl::InputHandle>(d, e, connection);
    return MidiStatusOk;
}
