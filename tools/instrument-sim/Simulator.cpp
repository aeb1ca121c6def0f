#include "Simulator.h"

namespace Sim {

Simulator::Simulator(Sender sender) : m_sender(std::move(sender))
{
    m_clock.start();
}

bool Simulator::load(const Options& options, QString* error)
{
    QMutexLocker lock(&m_mutex);
    m_wire = Wire();
    m_stream.reset();
    return m_instrument.load(options, error);
}

void Simulator::detach()
{
    QMutexLocker lock(&m_mutex);
    m_sender = nullptr;
}

void Simulator::send(const Reply& reply)
{
    const QList<Packet> packets = m_wire.schedule(reply, m_clock.nsecsElapsed() / 1000);
    if (!m_sender)
        return;
    for (const Packet& p : packets)
        m_sender(p.bytes, p.delayMs);
}

void Simulator::receive(const unsigned char* data, int size)
{
    QMutexLocker lock(&m_mutex);
    // A pulled cable carries nothing in either direction.
    if (!m_wire.isOnline() || !data || size <= 0)
        return;
    QList<QByteArray> messages;
    m_stream.feed(data, size, messages);
    for (const QByteArray& m : messages) {
        QList<Reply> replies;
        m_instrument.receive(m, replies);
        for (const Reply& r : replies)
            send(r);
    }
}

void Simulator::selectMode(int mode)
{
    QMutexLocker lock(&m_mutex);
    send(m_instrument.selectMode(mode));
}

void Simulator::selectMaster(int program)
{
    QMutexLocker lock(&m_mutex);
    send(m_instrument.selectMaster(program));
}

void Simulator::selectMulti(int number)
{
    QMutexLocker lock(&m_mutex);
    send(m_instrument.selectMulti(number));
}

void Simulator::selectPatch(unsigned short bankWord, int program)
{
    QMutexLocker lock(&m_mutex);
    send(m_instrument.selectPatch(bankWord, program));
}

void Simulator::editParameter(unsigned int address, const QByteArray& data)
{
    QMutexLocker lock(&m_mutex);
    send(m_instrument.editParameter(address, data));
}

bool Simulator::sendBlock(unsigned int block)
{
    QMutexLocker lock(&m_mutex);
    const Reply reply = m_instrument.sendBlock(block);
    if (reply.messages.isEmpty())
        return false;
    send(reply);
    return true;
}

void Simulator::playNote(int note, int velocity)
{
    QMutexLocker lock(&m_mutex);
    send(m_instrument.playNote(note, velocity));
}

void Simulator::setPacing(bool on)
{
    QMutexLocker lock(&m_mutex);
    m_wire.setPacing(on);
}

void Simulator::setFault(ReplyKind kind, Fault fault, int value, int times, int after)
{
    QMutexLocker lock(&m_mutex);
    m_wire.setFault(kind, {fault, value, times, after});
}

void Simulator::clearFaults()
{
    QMutexLocker lock(&m_mutex);
    m_wire.clearFaults();
}

bool Simulator::isOnline() const
{
    QMutexLocker lock(&m_mutex);
    return m_wire.isOnline();
}

void Simulator::setOnline(bool online)
{
    QMutexLocker lock(&m_mutex);
    m_wire.setOnline(online);
    m_stream.reset();
}

int Simulator::mode() const
{
    return inspect([](const Instrument& i) { return i.mode(); });
}

QString Simulator::name(unsigned int block) const
{
    return inspect([block](const Instrument& i) { return i.name(block); });
}

QByteArray Simulator::image(unsigned int block) const
{
    return inspect([block](const Instrument& i) { return i.image(block); });
}

Instrument::Counters Simulator::counters() const
{
    return inspect([](const Instrument& i) { return i.counters(); });
}

QStringList Simulator::refusals() const
{
    return inspect([](const Instrument& i) { return i.refusals(); });
}

QList<QByteArray> Simulator::received() const
{
    return inspect([](const Instrument& i) { return i.received(); });
}

void Simulator::clearReceived()
{
    modify([](Instrument& i) { i.clearReceived(); });
}

} // namespace Sim
