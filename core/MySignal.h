// A one-shot hand-over between a thread that waits for a reply and the thread
// that receives it.
#pragma once

#include <QMutex>
#include <QWaitCondition>

// The requesting thread arms the signal (signal(true) or tryOccupy()), sends
// its request and waits; the receive thread clears it (signal(false)) when the
// reply is in. The wait blocks on a condition variable, so it works on any
// thread, event loop or not, and a clear that comes before the wait is not lost.
class MySignal
{
public:
    // n is accepted for the callers that pass it; the wait needs no tuning.
    explicit MySignal(int n = 10);
    MySignal(const MySignal&) = delete;
    MySignal& operator=(const MySignal&) = delete;

    // true arms (a reply is awaited); false clears and wakes the waiter.
    void signal(bool pending);
    bool isOccupied() const;
    // Arms the signal unless it is armed already, in one step: of two threads
    // trying at once, exactly one gets true.
    bool tryOccupy();
    // True when the latest arming has been cleared, before the call or within
    // ms milliseconds; false on timeout. A negative ms does not wait.
    bool wait(int ms);

    int count() const { return m_n; }

private:
    void arm();

    const int m_n;
    // All below: armed by the requesting thread, cleared by the receive thread.
    mutable QMutex m_mutex;
    QWaitCondition m_cleared;
    bool m_pending = false;
    // Counting arms and recording which one was cleared lets a waiter tell that
    // its own arming was answered even if the signal was armed again before it
    // woke.
    quint64 m_armed = 0;
    quint64 m_clearedUpTo = 0;
};
