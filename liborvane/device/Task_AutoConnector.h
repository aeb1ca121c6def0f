// The search for the instrument among the system's MIDI ports.
#pragma once

#include "Task.h"

#include <QMutex>
#include <QString>

#include <atomic>
#include <memory>
#include <vector>

class MidiDevice;
class MidiInPort;
class MidiOutPort;

// Opens every source and every destination the system lists, sends an
// identity request through each destination in turn and takes the first one
// that gets an answer the device accepts, with the source the answer came on,
// as the device's main ports. Shown as the task "Autoconnect": "Trying
// <port>..." per destination, then "<model> connected!" or "Connection
// failed".
class Task_AutoConnector : public Task
{
public:
    // How long each destination has to answer.
    static constexpr int DefaultTimeout = 500;

    Task_AutoConnector();
    ~Task_AutoConnector() override;

    // Closes the device's ports and starts the search. Refused (false) while
    // a search is running: its trial ports are still in use. With no
    // destination at all the search ends at once as failed, and the device is
    // left as it was.
    bool connect(MidiDevice* device);
    // Ends a running search without handing its result to the device; the
    // trial ports are closed when this returns. For the device's teardown.
    void stop();

    // Both names of the pair found are known. They stay until the next search.
    bool found() const;
    QString inName() const;
    QString outName() const;

    // How long each destination has to answer, from the next search on.
    // Values below 1 count as 1.
    void setTimeout(int ms) { m_timeout = ms < 1 ? 1 : ms; }
    int timeout() const { return m_timeout; }

protected:
    void run() override;
    void finished() override;

private:
    // The trial ports, one per source and per destination. Made by connect and
    // deleted by finished, both on the owning thread; the job only reads them
    // in between.
    std::vector<std::unique_ptr<MidiInPort>> m_ins;
    std::vector<std::unique_ptr<MidiOutPort>> m_outs;
    MidiDevice* m_device = nullptr; // not owned; set by connect before the job starts

    // Written by the job, read by the owning thread; under m_namesLock.
    mutable QMutex m_namesLock;
    QString m_inName;
    QString m_outName;

    // Set on the owning thread, read by the job.
    std::atomic<int> m_timeout{DefaultTimeout};
    // Set by stop() so that finished() leaves the device alone.
    bool m_dropResult = false;
};
