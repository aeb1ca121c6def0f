// A panel of an editor window whose device talks to the scripted test
// instrument over the virtual bus, for tests of controls: what a control
// sends is read back as the instrument received it, and messages of the
// instrument are handed to a control the way its panel would.
#pragma once

#include "MidiClient.h"
#include "PanelFixture.h"
#include "TestInstrument.h"

#include <QStringList>

#include <memory>

class VirtualMidiBus;

class BusPanelRig
{
public:
    // Needs the virtual bus (testBus()); starts it empty, without saved
    // ports, and opens the device on the instrument.
    BusPanelRig();
    ~BusPanelRig();

    // Hex texts ("F0 43 10 ...") of the packets the instrument received since
    // the rig was made or last cleared, once the bus delivered them all.
    QStringList sent() const;
    void clearSent();

    // A message of the test instrument from its hex text or bytes.
    static std::unique_ptr<TestSysex> message(const QByteArray& bytes);
    // The instrument's parameter change, and the texts of the device's
    // parameter change and request, for one address.
    static std::unique_ptr<TestSysex> parameterChange(unsigned int address, int value, int size = 1);
    static QString change(unsigned int address, int value, int size = 1);
    static QString request(unsigned int address);

    VirtualMidiBus& bus;
    TestInstrument instrument;
    BusDevice device;
    MessageWindow window;
    MidiClient client;
    ProbePanel* panel; // a child of the window
};

// Shows the window and makes it the active one, for tests of focus, wheel
// and pointer; false when the platform did not.
bool showAndActivate(QWidget& window);
