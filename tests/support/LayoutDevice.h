// A test instrument device whose indexed parameters lie two bytes apart, as
// effect parameters do: entry n under a base address is base + 2 * n. Panels
// built from layouts in tests run against it; it counts the indexed-address
// look-ups (TestDevice::indexedAddressCalls) so a test can tell whether the
// device was asked.
#pragma once

#include "TestSysex.h"

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
