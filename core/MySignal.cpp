#include "MySignal.h"

#include <QDeadlineTimer>
#include <QMutexLocker>

MySignal::MySignal(int n) : m_n(n) {}

void MySignal::arm()
{
    m_pending = true;
    ++m_armed;
}

void MySignal::signal(bool pending)
{
    QMutexLocker lock(&m_mutex);
    if (pending) {
        arm();
        return;
    }
    m_pending = false;
    m_clearedUpTo = m_armed;
    m_cleared.wakeAll();
}

bool MySignal::isOccupied() const
{
    QMutexLocker lock(&m_mutex);
    return m_pending;
}

bool MySignal::tryOccupy()
{
    QMutexLocker lock(&m_mutex);
    if (m_pending)
        return false;
    arm();
    return true;
}

bool MySignal::wait(int ms)
{
    QMutexLocker lock(&m_mutex);
    const quint64 awaited = m_armed;
    const QDeadlineTimer deadline(std::chrono::milliseconds(qMax(0, ms)));
    while (m_clearedUpTo < awaited) {
        if (!m_cleared.wait(&m_mutex, deadline))
            return m_clearedUpTo >= awaited;
    }
    return true;
}
