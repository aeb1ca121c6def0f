// The short pause after a control's pop-up menu closed during which the
// control opens no other one.
//
// The mouse press that dismisses a pop-up menu over its own control reaches
// the control right after the menu has gone; without the pause it would open
// the menu again at once. A control arms its guard when its menu returns and
// asks it before opening one.
//
// The guard lives inside its control and ends with it: the pause runs on a
// timer of the GUI thread that belongs to the guard, so nothing touches the
// control after it is gone and no other thread ever sees the flag. GUI thread
// only.
#pragma once

#include <QBasicTimer>
#include <QObject>

class DropDownGuard : public QObject
{
public:
    // The pause after a menu closed.
    static constexpr int PauseMs = 50;

    DropDownGuard() = default;
    ~DropDownGuard() override;

    // Starts (or restarts) the pause.
    void arm(int ms = PauseMs);
    // The pause is running: no menu now.
    bool isActive() const { return m_timer.isActive(); }

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    QBasicTimer m_timer;
};
