#include "VeskRig.h"

#include "Profile.h"
#include "TestBus.h"
#include "VirtualMidiBus.h"

#include <QSettings>

void resetVeskTest()
{
    resetBusAndPorts();
    auto settings = Profile::settings();
    settings->remove(QStringLiteral("Delay"));
    settings->remove(QStringLiteral("DeviceId"));
    settings->sync();
}

QString hexText(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

VeskRig::VeskRig(VirtualMidiBus& bus) : bus(bus), instrument(bus)
{
    device.setDelay(0);
    device.midiIn()->setName(instrument.name());
    device.midiOut()->setName(instrument.name());
    device.connect(false);
    clearReceived();
}

QStringList VeskRig::received() const
{
    bus.waitIdle();
    QStringList list;
    for (const QByteArray& packet : bus.sentPackets(instrument.destination()))
        list.append(hexText(packet));
    return list;
}

void VeskRig::clearReceived()
{
    bus.waitIdle();
    bus.clearSent();
}
