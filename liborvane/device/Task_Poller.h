// The identity poll that follows a connection.
#pragma once

#include "Task.h"

class MidiDevice;

// Asks the instrument for its identity every 500 ms, at most 15 times, until
// the device counts as connected; a poll that ends unconnected disconnects the
// device.
class Task_Poller : public Task
{
public:
    Task_Poller();
    ~Task_Poller() override;

    void poll(MidiDevice* device);

protected:
    void run() override;
    void finished() override;

private:
    MidiDevice* m_device = nullptr;
};
