#include "Timing.h"

#include <QThread>

#include <cstring>

void Sleep(int ms)
{
    if (ms > 0)
        QThread::msleep(static_cast<unsigned long>(ms));
}

StopWatch::StopWatch(int n, Clock clock) : m_n(qMax(1, n)), m_clock(std::move(clock))
{
    m_timer.start();
}

qint64 StopWatch::now() const
{
    return m_clock ? m_clock() : m_timer.elapsed();
}

long StopWatch::lap()
{
    const qint64 t = now();
    if (m_last < 0) {
        m_last = t;
        return -1;
    }
    // A clock that steps back gives a lap of 0 rather than a negative time.
    const long elapsed = static_cast<long>(qMax<qint64>(0, t - m_last));
    m_last = t;
    m_laps.append(elapsed);
    while (m_laps.size() > m_n)
        m_laps.removeFirst();
    return elapsed;
}

long StopWatch::ms() const
{
    if (m_laps.isEmpty())
        return 0;
    long long sum = 0;
    for (long l : m_laps)
        sum += l;
    const long long count = m_laps.size();
    return static_cast<long>((sum + count / 2) / count);
}

void StopWatch::reset()
{
    m_last = -1;
    m_laps.clear();
}

double TimeToTempo(long ms)
{
    if (ms <= 0)
        return 0.0;
    return 60000.0 / static_cast<double>(ms);
}

void VarPointer::init(void* address, int size)
{
    m_bound = true;
    m_address = address;
    m_size = size;
}

VarPointer& VarPointer::operator=(int value)
{
    if (!m_bound) {
        m_own = value;
        return *this;
    }
    if (!m_address)
        return *this;
    // memcpy: the outside variable may sit at any alignment.
    switch (m_size) {
    case 1: {
        const quint8 v = static_cast<quint8>(value);
        std::memcpy(m_address, &v, sizeof v);
        break;
    }
    case 2: {
        const qint16 v = static_cast<qint16>(value);
        std::memcpy(m_address, &v, sizeof v);
        break;
    }
    case 4: {
        const qint32 v = value;
        std::memcpy(m_address, &v, sizeof v);
        break;
    }
    case 8: {
        const qint64 v = value;
        std::memcpy(m_address, &v, sizeof v);
        break;
    }
    default:
        break;
    }
    return *this;
}

VarPointer::operator int() const
{
    if (!m_bound)
        return m_own;
    if (!m_address)
        return 0;
    switch (m_size) {
    case 1: {
        quint8 v;
        std::memcpy(&v, m_address, sizeof v);
        return v;
    }
    case 2: {
        qint16 v;
        std::memcpy(&v, m_address, sizeof v);
        return v;
    }
    case 4: {
        qint32 v;
        std::memcpy(&v, m_address, sizeof v);
        return v;
    }
    case 8: {
        qint64 v;
        std::memcpy(&v, m_address, sizeof v);
        return static_cast<int>(v);
    }
    default:
        return 0;
    }
}
