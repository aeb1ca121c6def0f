// The progress of an operation that holds the GUI thread and is mostly quick
// but may take long (a library of 100,000 patches read from a slow disk or
// written back): a progress window (ProgressDlg) that appears only once the
// operation has run for delay() milliseconds, so that a quick one shows
// nothing at all.
//
// The operation counts in units of its own (bytes, patches) and reports how
// far it is as often as it likes: the bar moves in hundredths, and the clock
// is read only when a hundredth is reached, so a report costs next to
// nothing.
//
// GUI thread only. Without a widget application (a tool, a non-GUI test) no
// window is ever shown.
#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <memory>

class ProgressDlg;

class DelayedProgress
{
public:
    // An operation of total units; text is the line above the bar.
    DelayedProgress(const QString& title, const QString& text, qint64 total);
    ~DelayedProgress();
    DelayedProgress(const DelayedProgress&) = delete;
    DelayedProgress& operator=(const DelayedProgress&) = delete;

    // done units are done.
    void setDone(qint64 done);
    // A new line above the bar.
    void setText(const QString& text);

    // Whether the window is showing, and the lines it showed.
    bool isShown() const { return m_window != nullptr; }
    QStringList messages() const;

    // How long an operation runs before its window appears: the programs'
    // usual delay (ProgressShowDelayMs) unless set (a test sets 0 to see the
    // window at once).
    static int delay();
    static void setDelay(int ms);

private:
    void show();

    QString m_title;
    QString m_text;
    QElapsedTimer m_clock;
    qint64 m_total;
    int m_percent = 0;
    std::unique_ptr<ProgressDlg> m_window;
};
