#include "BusPanelRig.h"

#include "MidiTypes.h"
#include "TestBus.h"
#include "VeskRig.h"
#include "VirtualMidiBus.h"

#include <QApplication>
#include <QTest>

namespace {

VirtualMidiBus& freshBus()
{
    resetBusAndPorts();
    return *testBus();
}

} // namespace

BusPanelRig::BusPanelRig()
    : bus(freshBus()), instrument(bus), client(QStringLiteral("Test Editor"), &device, &window),
      panel(new ProbePanel(&client, &window))
{
    device.attach(instrument);
    window.resize(400, 300);
    clearSent();
}

BusPanelRig::~BusPanelRig()
{
    delete panel;
}

QStringList BusPanelRig::sent() const
{
    bus.waitIdle();
    QStringList list;
    for (const QByteArray& packet : bus.sentPackets(instrument.destination()))
        list.append(hexText(packet));
    return list;
}

void BusPanelRig::clearSent()
{
    bus.waitIdle();
    bus.clearSent();
}

std::unique_ptr<TestSysex> BusPanelRig::message(const QByteArray& bytes)
{
    auto sysex = std::make_unique<TestSysex>();
    sysex->fromString(QString::fromLatin1(bytes.toHex()));
    return sysex;
}

std::unique_ptr<TestSysex> BusPanelRig::parameterChange(unsigned int address, int value, int size)
{
    return message(TestInstrument::parameterChange(address, value, size));
}

QString BusPanelRig::change(unsigned int address, int value, int size)
{
    return hexText(TestInstrument::parameterChange(address, value, size));
}

QString BusPanelRig::request(unsigned int address)
{
    return hexText(
        QByteArray::fromHex(Sysex::FormatSysex(QString::fromLatin1(TestSysex::ParameterRequestTemplate),
                                               QStringLiteral("7F 00"), address)
                                .toLatin1()));
}

bool showAndActivate(QWidget& window)
{
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return false;
    QApplication::setActiveWindow(&window);
    return QTest::qWaitForWindowActive(&window);
}
