// Parameter controls on a panel of an editor window whose device talks to
// the scripted test instrument over the virtual bus: the bytes a control sends
// are read back as the instrument received them, and the instrument's messages
// are handed to a control as its panel would.
#pragma once

#include "MidiClient.h"
#include "PanelFixture.h"
#include "TestInstrument.h"

#include <QStringList>

#include <memory>

class VirtualMidiBus;

class ControlRig
{
public:
    // Needs the virtual bus (testBus()); starts it empty, without saved
    // ports.
    ControlRig();
    ~ControlRig();

    // Hex texts ("F0 43 10 ...") of the packets the instrument received since
    // the rig was made or last cleared, once the bus delivered them all.
    QStringList sent() const;
    void clearSent();

    // A message of the test instrument from its hex text, as the device's
    // clients are handed it.
    static std::unique_ptr<TestSysex> message(const QString& hex);
    // A parameter change of the instrument for one address.
    static std::unique_ptr<TestSysex> parameterChange(unsigned int address, int value, int size = 1);

    VirtualMidiBus& bus;
    TestInstrument instrument;
    BusDevice device;
    MessageWindow window;
    MidiClient client;
    ProbePanel* panel; // a child of the window
};
