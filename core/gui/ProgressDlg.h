// How long work shows its progress: a small window with a title, the current
// action, a bar of steps and, where the work can stop, a Cancel button.
//
// ProgressDlg is for an operation run on the GUI thread (an import, an
// editor's read, the voice copier). It lives from construction to
// destruction. Without Cancel it never runs the event loop, so nothing else
// can start in the middle of the operation; it paints itself at each call.
// With Cancel the window is application-modal and wasCanceled() lets the
// pending events run, so that a click on Cancel (made while the operation
// waited) is taken in: the operation asks between its steps and stops before
// the next request or send. A delayed window shows only once the operation
// has taken longer than ShowDelayMs, at its next call. abort ends it with a
// reason, shown to the user through the prompts in force (Prompts.h).
//
// TaskDisplay is the display of the worker jobs (Task.h): one window per
// job, shown once the job has run for ShowDelayMs, with Cancel; the end text
// of a job that failed goes to the user as an error box, that of a job that
// completed with a text as an information box, both through the prompts in
// force. A job that was cancelled, or ended without a text, ends silently.
// The programs install one at start.
//
// GUI thread only.
#pragma once

#include "Task.h"

#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QString>
#include <QStringList>

class ProgressWindow;
class QWidget;

// How long work runs before its window shows.
constexpr int ProgressShowDelayMs = 500;

class ProgressDlg
{
public:
    enum Option
    {
        Plain = 0,
        Cancelable = 1, // a Cancel button; wasCanceled() takes in its click
        Delayed = 2     // shown only after ProgressShowDelayMs
    };

    // start: the steps already done. options: Option flags.
    ProgressDlg(QWidget* parent, const QString& title, int steps, int start = 0, int options = Plain);
    // The same, belonging to the active window.
    ProgressDlg(const QString& title, int steps, int start = 0, int options = Plain);
    ~ProgressDlg();
    ProgressDlg(const ProgressDlg&) = delete;
    ProgressDlg& operator=(const ProgressDlg&) = delete;

    // The line of text above the bar.
    void message(const QString& text);
    // One step further.
    void step();
    // Closes the window and shows text as the reason; later calls do nothing.
    void abort(const QString& text);
    // Whether the user pressed Cancel (or closed the window), or the program
    // was asked to end. Runs the pending events first; always false without
    // a Cancel button.
    bool wasCanceled();

    QString text() const;
    int value() const { return m_done; }
    int stepsDone() const { return m_done; }
    bool isAborted() const { return m_aborted; }
    // Every text shown, in order.
    QStringList messages() const { return m_messages; }

private:
    // Shows a delayed window once its time has come, and paints it.
    void update();

    QWidget* m_parent;
    QString m_title;
    ProgressWindow* m_window = nullptr; // owned; deleted with the dialog
    QElapsedTimer m_clock;
    QStringList m_messages;
    int m_done = 0;
    int m_options = Plain;
    bool m_aborted = false;
    bool m_quitting = false; // the program was asked to end meanwhile
};

class TaskDisplay : public TaskUi
{
public:
    // Puts itself in force for the jobs (Task::setUi); destroying it puts
    // back the display it replaced.
    TaskDisplay();
    ~TaskDisplay() override;
    TaskDisplay(const TaskDisplay&) = delete;
    TaskDisplay& operator=(const TaskDisplay&) = delete;

    void begin(Task* task, const QString& title, int maximum) override;
    void message(Task* task, const QString& text) override;
    void step(Task* task, int pos) override;
    void end(Task* task, const QString& text, bool failed) override;

    // The window of a running job (shown or not yet); null when there is none.
    QWidget* window(Task* task) const;

private:
    struct Shown
    {
        QPointer<ProgressWindow> window;
        QPointer<QWidget> parent; // where the end text goes
        QString title;
    };
    void drop(Task* task);

    TaskUi* m_replaced = nullptr;
    QHash<Task*, Shown> m_shown;
};
