// The instrument's device on the virtual bus, with the scripted test
// instrument at the other end of its main ports and a client that records
// what the device hands on.
//
// The instrument's own messages share the test instrument's wire form (the
// same framing, maker byte and model id), so the test instrument answers the
// device's parameter requests as they are; bulk requests are answered from a
// script (TestInstrument::setBulkScript). What the device sends is read back
// from the bus as the instrument received it.
#pragma once

#include "TestInstrument.h"
#include "Vesk.h"

#include <QMetaType>
#include <QStringList>

#include <functional>

class VirtualMidiBus;

struct VeskRig
{
    // The device's ports open on the instrument; with Delay 0, so no pause
    // holds the tests up unless a test sets one. Everything sent while
    // opening is forgotten.
    explicit VeskRig(VirtualMidiBus& bus);

    // Hex texts ("F0 43 10 ...") of the packets the instrument received since
    // the rig was made or last cleared, after the bus delivered them all.
    QStringList received() const;
    void clearReceived();

    VirtualMidiBus& bus;
    TestInstrument instrument;
    Vesk device;
    RecordingClient client{&device};
};

// Each test starts from an empty bus and a device profile without saved
// ports, delay or device number (devices store theirs when they go).
void resetVeskTest();

// Hex text of bytes as the device and the bus print them.
QString hexText(const QByteArray& bytes);

// Something done to the instrument's model, as a column of data-driven tests.
using VeskOp = std::function<void(Vesk&)>;
Q_DECLARE_METATYPE(VeskOp)
