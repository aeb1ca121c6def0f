#include "DelayedProgress.h"

#include "ProgressDlg.h"

#include <QApplication>

namespace {
// Set by tests before an operation; read on the GUI thread.
int g_delay = ProgressShowDelayMs;
} // namespace

DelayedProgress::DelayedProgress(const QString& title, const QString& text, qint64 total)
    : m_title(title), m_text(text), m_total(total)
{
    m_clock.start();
    if (g_delay <= 0)
        show();
}

DelayedProgress::~DelayedProgress() = default;

int DelayedProgress::delay()
{
    return g_delay;
}

void DelayedProgress::setDelay(int ms)
{
    g_delay = ms;
}

void DelayedProgress::setDone(qint64 done)
{
    if (m_total <= 0)
        return;
    const int percent = int(qBound<qint64>(0, done, m_total) * 100 / m_total);
    if (percent <= m_percent)
        return;
    const int steps = percent - m_percent;
    m_percent = percent;
    if (!m_window) {
        if (m_clock.elapsed() >= g_delay)
            show();
        return;
    }
    for (int i = 0; i < steps; ++i)
        m_window->step();
}

void DelayedProgress::setText(const QString& text)
{
    m_text = text;
    if (m_window)
        m_window->message(text);
}

QStringList DelayedProgress::messages() const
{
    return m_window ? m_window->messages() : QStringList();
}

void DelayedProgress::show()
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    // The window starts where the operation stands.
    m_window = std::make_unique<ProgressDlg>(m_title, 100, m_percent);
    m_window->message(m_text);
}
