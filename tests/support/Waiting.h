// Waiting for events in tests, never for a fixed time: a loaded machine under
// the sanitizers may take seconds for what takes milliseconds alone, so a
// test waits for the event it needs, with a limit that a passing test never
// reaches. Header-only.
//
// A check that something did not happen waits for a later event that proves
// the moment passed: a marker posted behind what is under test (drainPosted),
// a message sent after it and heard by a client registered after the window,
// or a product timer seen stopped.
#pragma once

#include "VirtualMidiBus.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace Waiting {

// The limit for an event expected to come: a message, a read, a change of a
// window.
constexpr int EventMs = 30000;
// A pause held this long never ends inside a test: set on a product timer
// while a test builds up a run of input, so that no stall splits the run.
constexpr int HoldMs = 600000;

// Runs the event loop until a marker posted now has been handled: whatever
// was posted to this thread before it (a queued call, a zero timer, a posted
// message) has been handled too. False if the limit passed first.
inline bool drainPosted(int timeoutMs = EventMs)
{
    auto reached = std::make_shared<bool>(false);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [reached] { *reached = true; }, Qt::QueuedConnection);
    return QTest::qWaitFor([reached] { return *reached; }, timeoutMs);
}

// Runs the event loop until a timer started now for ms has fired. Timers of
// this thread fire in the order they fall due, so every one due earlier (a
// product pause shorter than ms, started before) has fired first: the
// check that such a pause did nothing harmful waits for this, not for a
// time. False if the limit passed first.
inline bool passTimers(int ms, int timeoutMs = EventMs)
{
    auto fired = std::make_shared<bool>(false);
    QTimer::singleShot(ms, Qt::PreciseTimer, QCoreApplication::instance(), [fired] { *fired = true; });
    return QTest::qWaitFor([fired] { return *fired; }, ms + timeoutMs);
}

// Waits until the bus has delivered everything queued on it (answers on
// their way included) and this thread has handled what the ports posted to
// it: every message sent so far has reached the clients of the devices,
// but for a program change, which the device hands on after a pause of
// its own. False if the limit passed first.
inline bool deliverAll(VirtualMidiBus& bus, int timeoutMs = EventMs)
{
    return bus.waitIdle(timeoutMs) && drainPosted(timeoutMs);
}

} // namespace Waiting
