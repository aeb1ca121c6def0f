#include "Task_Poller.h"

#include "MidiDevice.h"
#include "Timing.h"

#include <QElapsedTimer>

namespace {
// How often a pause looks whether it may end early.
constexpr int PauseSliceMs = 10;
} // namespace

Task_Poller::Task_Poller() : Task(QStringLiteral("Task_Poller")) {}

Task_Poller::~Task_Poller()
{
    safeTerminate();
}

void Task_Poller::poll(MidiDevice* device)
{
    m_device = device;
    startNonGui();
}

void Task_Poller::run()
{
    if (!m_device)
        return;
    const int interval = m_interval;
    for (int left = m_requests; left > 0; --left) {
        if (wasCanceled() || m_device->isConnected())
            return;
        m_device->idRequest();
        pause(interval);
        if (wasCanceled())
            return;
    }
}

void Task_Poller::pause(int ms)
{
    QElapsedTimer clock;
    clock.start();
    for (qint64 left = ms; left > 0; left = ms - clock.elapsed()) {
        if (wasCanceled() || m_device->isConnected())
            return;
        Sleep(int(qMin<qint64>(left, PauseSliceMs)));
    }
}

void Task_Poller::finished()
{
    // Runs on the owning thread, so disconnect may stop this very task: that
    // returns at once for a task that is ending.
    if (m_device && !m_device->isConnected())
        m_device->disconnect();
}
