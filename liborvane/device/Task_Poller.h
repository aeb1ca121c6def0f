// The identity poll that follows a connection.
#pragma once

#include "Task.h"

#include <atomic>

class MidiDevice;

// Asks the instrument for its identity every 500 ms, at most 15 times, until
// the device counts as connected; a poll that ends unconnected disconnects the
// device.
class Task_Poller : public Task
{
public:
    static constexpr int DefaultInterval = 500;
    static constexpr int DefaultRequests = 15;

    Task_Poller();
    ~Task_Poller() override;

    void poll(MidiDevice* device);

    // The pause after each request and the most requests one poll sends; the
    // next poll uses them. Values below 1 count as 1.
    void setInterval(int ms) { m_interval = ms < 1 ? 1 : ms; }
    void setRequestCount(int n) { m_requests = n < 1 ? 1 : n; }
    int interval() const { return m_interval; }
    int requestCount() const { return m_requests; }

protected:
    void run() override;
    void finished() override;

private:
    // Sleeps up to ms, but wakes early once the poll is cancelled or the device
    // has connected, so neither waits out the pause.
    void pause(int ms);

    MidiDevice* m_device = nullptr; // set by poll on the owning thread, read by the job
    // Set on the owning thread, read by the job.
    std::atomic<int> m_interval{DefaultInterval};
    std::atomic<int> m_requests{DefaultRequests};
};
