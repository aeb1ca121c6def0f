#include "Task.h"

#include <QDeadlineTimer>
#include <QMutexLocker>
#include <QThread>

std::atomic<TaskUi*> Task::s_ui{nullptr};

Task::Task(const QString& name)
{
    setObjectName(name);
}

Task::~Task()
{
    m_canceled.store(true);
    if (!m_thread)
        return;
    if (onWorker()) {
        // Destroyed from inside its own job, which the class forbids (the
        // worker still touches the task after run()). At least do not make
        // the thread join itself: release it once it has run out.
        connect(m_thread, &QThread::finished, m_thread, &QObject::deleteLater);
        m_thread = nullptr;
        return;
    }
    m_thread->wait();
    delete m_thread;
}

void Task::setUi(TaskUi* ui)
{
    s_ui.store(ui);
}

TaskUi* Task::ui()
{
    return s_ui.load();
}

bool Task::start(const QString& title, int maximum, int)
{
    return launch(true, title, maximum);
}

bool Task::startNonGui()
{
    return launch(false, QString(), 0);
}

bool Task::launch(bool gui, const QString& title, int maximum)
{
    if (QThread::currentThread() != thread()) {
        qWarning("Task %s: started from a thread that does not own it", qPrintable(objectName()));
        return false;
    }
    // One run at a time: the owner stops a running job before starting it again.
    if (m_state.load() != Idle)
        return false;

    m_gui = gui;
    m_maximum = qMax(0, maximum);
    m_pos.store(0);
    m_canceled.store(false);
    {
        QMutexLocker lock(&m_mutex);
        m_endText.clear();
        m_failed = false;
        m_runReturned = false;
    }
    const quint64 generation = ++m_generation;
    m_state.store(Running);
    starting();

    if (gui) {
        if (TaskUi* display = s_ui.load())
            display->begin(this, title, m_maximum);
    }

    m_thread = QThread::create([this, generation] { workerMain(generation); });
    m_thread->setObjectName(objectName());
    m_worker.store(m_thread);
    m_thread->start();
    return true;
}

void Task::workerMain(quint64 generation)
{
    run();
    {
        QMutexLocker lock(&m_mutex);
        m_runReturned = true;
        m_returned.wakeAll();
    }
    // finished() belongs on the owning thread; a wait() there may already have
    // ended this run, and then the notice is dropped.
    QMetaObject::invokeMethod(
        this, [this, generation] { endRun(generation); }, Qt::QueuedConnection);
}

void Task::endRun(quint64 generation)
{
    if (generation != m_generation.load() || m_state.load() != Running)
        return;
    m_state.store(Ending);

    // run() has returned; the thread only has to run out.
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    m_worker.store(nullptr);

    finished();

    if (m_gui) {
        if (TaskUi* display = s_ui.load()) {
            QString text;
            bool failed;
            {
                QMutexLocker lock(&m_mutex);
                text = m_endText;
                failed = m_failed;
            }
            display->end(this, text, failed);
        }
    }

    m_state.store(Idle);
    if (m_autoDelete)
        deleteLater();
}

bool Task::onWorker() const
{
    return QThread::currentThread() == m_worker.load();
}

bool Task::showsProgress(quint64 generation) const
{
    return m_gui && generation == m_generation.load() && m_state.load() != Idle;
}

void Task::toDisplay(std::function<void(TaskUi*)> call)
{
    if (!m_gui || !s_ui.load())
        return;
    const quint64 generation = m_generation.load();
    auto deliver = [this, generation, call = std::move(call)] {
        if (TaskUi* display = s_ui.load(); display && showsProgress(generation))
            call(display);
    };
    if (QThread::currentThread() == thread())
        deliver();
    else
        QMetaObject::invokeMethod(this, std::move(deliver), Qt::QueuedConnection);
}

void Task::message(const QString& text)
{
    toDisplay([this, text](TaskUi* display) { display->message(this, text); });
}

void Task::step()
{
    const int pos = ++m_pos;
    toDisplay([this, pos](TaskUi* display) { display->step(this, pos); });
}

void Task::abort(const QString& text)
{
    {
        QMutexLocker lock(&m_mutex);
        m_endText = text;
        m_failed = true;
    }
    m_canceled.store(true);
}

void Task::complete(const QString& text)
{
    QMutexLocker lock(&m_mutex);
    m_endText = text;
    m_failed = false;
}

bool Task::wait(int ms)
{
    // Idle, or inside finished(): nothing to wait for.
    if (m_state.load() != Running)
        return true;
    if (onWorker())
        return false;
    {
        QMutexLocker lock(&m_mutex);
        const QDeadlineTimer deadline =
            ms < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(std::chrono::milliseconds(ms));
        while (!m_runReturned) {
            if (!m_returned.wait(&m_mutex, deadline))
                break;
        }
        if (!m_runReturned)
            return false;
    }
    if (QThread::currentThread() == thread())
        endRun(m_generation.load());
    return true;
}

void Task::safeTerminate()
{
    if (m_state.load() != Running)
        return;
    cancel();
    if (onWorker())
        return;
    wait(-1);
}
