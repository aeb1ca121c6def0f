// Worker jobs with progress, cancel and an end text.
#pragma once

#include <QMutex>
#include <QObject>
#include <QString>
#include <QWaitCondition>

#include <atomic>
#include <functional>

class QThread;
class Task;

// How jobs started with Task::start() are shown: a progress display with a
// title, a message line, a bar and a cancel button. The GUI layer installs one
// with Task::setUi(); with none installed nothing is shown. Every call comes on
// the thread that owns the task. begin, message and step must not block (no
// nested event loop): the job is already running; end may show a message box.
// The display cancels a job by calling Task::cancel().
class TaskUi
{
public:
    virtual ~TaskUi() = default;
    virtual void begin(Task* task, const QString& title, int maximum) = 0;
    virtual void message(Task* task, const QString& text) = 0;
    virtual void step(Task* task, int pos) = 0;
    // The job is over and finished() has returned. text is what abort() or
    // complete() left ("" when neither was called); failed is true after abort().
    virtual void end(Task* task, const QString& text, bool failed) = 0;
};

// A job whose run() executes on a worker thread of its own. After run() has
// returned, however it ended, finished() is called once on the thread that
// owns the task object, then the display gets its end call, then an
// auto-deleting task is deleteLater'd. The task can be started again once that
// is done.
//
// Subclasses whose run() uses their own members must stop the job in their
// destructor (safeTerminate()), because those members are gone by the time
// ~Task stops the worker. The job must not delete its own task: the worker
// still reports the end of run() to the task afterwards. autoDelete() is
// the way for a task to go once it is done.
class Task : public QObject
{
    Q_OBJECT

public:
    explicit Task(const QString& name);
    ~Task() override;

    // Start the job, with a progress display counting to maximum. The third
    // argument is reserved and ignored. False when the task is still running
    // (or ending) or when called from a thread that does not own the task.
    bool start(const QString& title, int maximum, int reserved = 0);
    // Start the job without any display.
    bool startNonGui();

    // For the job: the display's message line, one step of progress, the steps
    // done, the maximum given to start, and whether it should stop. Callable
    // from any thread.
    void message(const QString& text);
    void step();
    int pos() const { return m_pos.load(); }
    int maximum() const { return m_maximum; }
    bool wasCanceled() const { return m_canceled.load(); }

    // Asks the job to stop; run() sees it through wasCanceled(). Any thread.
    void cancel() { m_canceled.store(true); }

    // End texts, from run() or from finished(); the last call wins. abort()
    // marks the job failed and also asks it to stop.
    void abort(const QString& text);
    void complete(const QString& text);

    // Delete the task (deleteLater) once finished() has run.
    void autoDelete() { m_autoDelete = true; }

    // True from start until finished() has returned.
    bool isRunning() const { return m_state.load() != Idle; }

    // Waits up to ms milliseconds (negative: no limit) for run() to return;
    // true when it has, or when the task is not running. On the owning thread
    // a run that has returned is ended on the spot (finished(), the display's
    // end), so the task is idle and can be started again when this returns
    // true. On the task's own worker thread, or from inside finished(), it
    // never waits: the job cannot wait for itself.
    bool wait(int ms = -1);
    // cancel(), then wait() without a limit. Returns at once on the worker
    // thread, inside finished(), or for a task that is not running.
    void safeTerminate();

    // The display for every job; null shows nothing.
    static void setUi(TaskUi* ui);
    static TaskUi* ui();

protected:
    // On the owning thread, once start() has taken the job and before run()
    // begins on the worker: where a job takes copies of what it needs from
    // objects that only the owning thread may touch. The base does nothing.
    virtual void starting() {}
    // The job, on the worker thread.
    virtual void run() = 0;
    // The job is over, on the owning thread. The base does nothing.
    virtual void finished() {}

private:
    enum State
    {
        Idle,
        Running,
        Ending
    };

    bool launch(bool gui, const QString& title, int maximum);
    void workerMain(quint64 generation);
    void endRun(quint64 generation);
    bool onWorker() const;
    bool showsProgress(quint64 generation) const;
    // Hands call to the display on the owning thread (at once when already
    // there), unless this run has ended or shows no display by then.
    void toDisplay(std::function<void(TaskUi*)> call);

    // Written on the owning thread only, while no run is going; the job reads
    // m_maximum and m_gui.
    QThread* m_thread = nullptr;
    int m_maximum = 0;
    bool m_gui = false;
    bool m_autoDelete = false;

    // Read from any thread to recognise the worker (never dereferenced there).
    std::atomic<QThread*> m_worker{nullptr};
    // Written on the owning thread, read anywhere.
    std::atomic<int> m_state{Idle};
    // Written by the worker (step) and read anywhere.
    std::atomic<int> m_pos{0};
    // Set from any thread (cancel, abort), cleared by start.
    std::atomic<bool> m_canceled{false};
    // Counts starts, so display events and the end notice of an earlier run are
    // dropped. Written by start on the owning thread, read by the job.
    std::atomic<quint64> m_generation{0};

    // Guards the end text (written by the job or finished(), read when the run
    // ends) and m_runReturned (set by the worker, awaited by wait()).
    mutable QMutex m_mutex;
    QWaitCondition m_returned;
    bool m_runReturned = true;
    QString m_endText;
    bool m_failed = false;

    static std::atomic<TaskUi*> s_ui;
};
