// What a program tells about its own start when asked to: with
// ORVANE_EXIT_AFTER_PAINT set in its environment, a program writes
// "painted <peak kB>\n" to its standard output as soon as its main window
// has painted for the first time (the peak being the process's highest
// resident size so far), then ends its event loop as a quit does. The
// start-up benchmark times programs this way; without the variable nothing
// changes.
//
// Qt only, and all inline: the benchmark's bare Qt program, which links
// nothing of ours, reports through the same code.
//
// GUI thread only.
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QWidget>

#include <cstdio>

// The variable's name.
inline constexpr const char* ExitAfterPaintVariable = "ORVANE_EXIT_AFTER_PAINT";

namespace FirstPaintDetail {

// The process's peak resident size in kB (VmHWM); -1 when unknown.
inline long long peakKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

class Watch : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // The window's children paint in the same pass: the report goes
            // once the whole pass is done, as a posted event ahead of any
            // posted before (a connection notice, whose handling may wait on
            // the instrument, comes after the paint but not before the
            // report).
            QCoreApplication::postEvent(this, new QEvent(QEvent::User), Qt::HighEventPriority);
        }
        return false;
    }

    bool event(QEvent* event) override
    {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        std::printf("painted %lld\n", peakKb());
        std::fflush(stdout);
        QCoreApplication::quit();
        return true;
    }
};

} // namespace FirstPaintDetail

// The peak in kB from a program's output that holds its report; -1 when the
// output holds none.
inline long long PaintedPeakKb(const QByteArray& output)
{
    const qsizetype at = output.indexOf("painted ");
    const qsizetype end = at < 0 ? -1 : output.indexOf('\n', at);
    if (end < 0)
        return -1;
    bool ok = false;
    const long long kb = output.mid(at + 8, end - at - 8).trimmed().toLongLong(&ok);
    return ok ? kb : -1;
}

// Watches window when the variable is set; call right after showing it.
inline void ExitAfterFirstPaintWhenAsked(QWidget* window)
{
    if (window && qEnvironmentVariableIsSet(ExitAfterPaintVariable))
        window->installEventFilter(new FirstPaintDetail::Watch(window));
}
