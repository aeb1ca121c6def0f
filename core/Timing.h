// Sleeping, tap timing and integer bindings.
#pragma once

#include <QElapsedTimer>
#include <QList>

#include <functional>

// Blocks the calling thread, whichever it is, for ms milliseconds.
void Sleep(int ms);

// Times a series of taps. lap() gives the time since the previous tap and
// keeps the last n of them; ms() is their average, the beat time.
class StopWatch
{
public:
    // A clock giving milliseconds from any fixed origin; the default is a
    // monotonic clock.
    using Clock = std::function<qint64()>;

    explicit StopWatch(int n = 16, Clock clock = Clock());

    // Milliseconds since the previous lap; -1 for the first lap after
    // construction or reset(), which only starts the measure.
    long lap();
    // The average of the kept laps, rounded; 0 when there are none.
    long ms() const;
    // Forgets every lap; the next lap() starts a new measure.
    void reset();

private:
    qint64 now() const;

    int m_n;
    Clock m_clock;
    QElapsedTimer m_timer;
    qint64 m_last = -1; // time of the previous lap, -1 for none
    QList<long> m_laps;
};

// Beats per minute for a beat time in milliseconds; 0 for a time of 0 or less
// (two taps within one millisecond), so no caller divides by zero.
double TimeToTempo(long ms);

// Binds a value to an outside integer of 1, 2, 4 or 8 bytes. A VarPointer that
// was never bound holds the value itself: it takes every value written and
// gives it back. Bound to null it is null: writes are ignored and it reads 0.
// Bound with another size, writes are ignored and it reads 0 as well.
// One-byte variables are read as unsigned (0..255), wider ones as signed.
class VarPointer
{
public:
    VarPointer() = default;

    void init(void* address, int size);
    bool isNull() const { return m_bound && !m_address; }

    VarPointer& operator=(int value);
    operator int() const;

private:
    bool m_bound = false;
    void* m_address = nullptr;
    int m_size = 0;
    int m_own = 0; // the value while nothing is bound
};
