// The mixer state of the sixteen parts of a multi-part setup.
#pragma once

#include "Containers.h"

#include <memory>

// One part's mixer record.
struct Part
{
    bool solo = false;  // the user soloed this part
    bool mute = false;  // the user muted this part
    bool muted = false; // the mute state last applied
    int volume = -1;    // sent when the part is unmuted; -1 none
};

// The device's part records. Each record lives in an allocation of its own, so
// the address a caller holds stays valid when the list grows (the instrument
// appends records for its plug-in board parts after the framework's sixteen).
class MixParts : public Vector<std::shared_ptr<Part>>
{
public:
    void addPart() { append(std::make_shared<Part>()); }
    Part* part(int index) const { return index >= 0 && index < size() ? at(index).get() : nullptr; }
};
