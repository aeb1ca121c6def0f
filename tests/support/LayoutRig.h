// What panels built from layouts need in tests: a device of the test
// instrument whose indexed parameters lie two bytes apart, as effect
// parameters do, and an editor window in miniature (a window, its client on
// that device) on which panels are made.
#pragma once

#include "MidiClient.h"
#include "TestSysex.h"

#include <QByteArray>
#include <QWidget>

// Entry n under a base address is base + 2 * n. The look-ups are counted
// (TestDevice::indexedAddressCalls) so a test can tell whether the device was
// asked.
class LayoutDevice : public TestDevice
{
public:
    using TestDevice::TestDevice;

    unsigned int getIndexedAddress(unsigned int base, int index) override
    {
        ++indexedAddressCalls;
        return base + 2u * unsigned(index);
    }
};

class LayoutRig
{
public:
    LayoutRig() : client(QStringLiteral("Layout Editor"), &device, &window) { window.resize(800, 600); }

    // Adds a layout file, given as its text, to the device's document; false
    // when it is not well-formed.
    bool load(const QByteArray& xml) { return device.xml()->loadData(xml); }

    LayoutDevice device;
    QWidget window;
    MidiClient client;
};
