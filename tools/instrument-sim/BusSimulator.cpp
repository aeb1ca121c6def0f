#include "Simulator.h"

#include "VirtualMidiBus.h"

namespace Sim {

BusSimulator::BusSimulator(VirtualMidiBus& bus, const QString& name, const Options& options)
    : m_bus(bus), m_name(name)
{
    m_destination = bus.addDestination(name);
    m_source = bus.addSource(name);
    const int source = m_source;
    VirtualMidiBus* b = &bus;
    m_sim = std::make_shared<Simulator>(
        [b, source](const QByteArray& packet, int delayMs) { b->inject(source, packet, delayMs); });
    if (!m_sim->load(options, &m_error) && m_error.isEmpty())
        m_error = QStringLiteral("the initial patches could not be read");
    std::shared_ptr<Simulator> sim = m_sim;
    bus.setResponder(m_destination, [sim](VirtualMidiBus&, const QByteArray& packet) {
        sim->receive(reinterpret_cast<const unsigned char*>(packet.constData()), int(packet.size()));
    });
}

BusSimulator::~BusSimulator()
{
    m_bus.setResponder(m_destination, {});
    m_sim->detach();
}

} // namespace Sim
