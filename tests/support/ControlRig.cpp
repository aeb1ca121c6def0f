#include "ControlRig.h"

#include "TestBus.h"
#include "VirtualMidiBus.h"

namespace {

VirtualMidiBus& resetBus()
{
    resetBusAndPorts();
    VirtualMidiBus* bus = testBus();
    Q_ASSERT_X(bus, "ControlRig", "the control tests run on the virtual MIDI bus");
    return *bus;
}

} // namespace

ControlRig::ControlRig()
    : bus(resetBus()), instrument(bus), client(QStringLiteral("Test Editor"), &device, &window),
      panel(new ProbePanel(&client, &window))
{
    device.attach(instrument);
    window.resize(400, 300);
    panel->resize(400, 300);
    clearSent();
}

ControlRig::~ControlRig()
{
    delete panel;
}

QStringList ControlRig::sent() const
{
    bus.waitIdle();
    QStringList list;
    for (const QByteArray& packet : bus.sentPackets(instrument.destination()))
        list.append(QString::fromLatin1(packet.toHex(' ').toUpper()));
    return list;
}

void ControlRig::clearSent()
{
    bus.waitIdle();
    bus.clearSent();
}

std::unique_ptr<TestSysex> ControlRig::message(const QString& hex)
{
    auto sysex = std::make_unique<TestSysex>();
    sysex->fromString(hex);
    return sysex;
}

std::unique_ptr<TestSysex> ControlRig::parameterChange(unsigned int address, int value, int size)
{
    return message(QString::fromLatin1(TestInstrument::parameterChange(address, value, size).toHex()));
}
