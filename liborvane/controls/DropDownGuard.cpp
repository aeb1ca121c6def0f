#include "DropDownGuard.h"

#include <QTimerEvent>

DropDownGuard::~DropDownGuard() = default;

void DropDownGuard::arm(int ms)
{
    m_timer.start(ms, this);
}

void DropDownGuard::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_timer.timerId())
        m_timer.stop();
    else
        QObject::timerEvent(event);
}
