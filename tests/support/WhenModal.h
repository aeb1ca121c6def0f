// Lets a test act on a modal window from inside its event loop: exec() blocks
// the test, so the action is queued first and runs once a window of the given
// class is the active modal one.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

// Runs action on the first active modal window that is a Window (any widget
// for the default), once, from a timer polling every 5 ms.
template <class Window = QWidget>
void whenModal(std::function<void(Window*)> action)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
        if (!window)
            return;
        timer->stop();
        timer->deleteLater();
        action(window);
    });
    timer->start();
}
