#include "TestEnvironment.h"
#include "Waiting.h"

#include "Task.h"
#include "Timing.h"

#include <QPointer>
#include <QThread>

#include <atomic>
#include <functional>

namespace {

// A job whose body and end hook the test supplies; it records where and how
// often run() and finished() came.
class ProbeTask : public Task
{
public:
    using Hook = std::function<void(ProbeTask&)>;

    explicit ProbeTask(Hook body = {}, Hook onFinished = {})
        : Task(QStringLiteral("ProbeTask")), m_body(std::move(body)), m_onFinished(std::move(onFinished))
    {
    }
    ~ProbeTask() override { safeTerminate(); }

    std::atomic<int> runs{0};
    std::atomic<QThread*> runThread{nullptr};
    int finishedCount = 0;
    QThread* finishedThread = nullptr;
    bool runningInFinished = false;

protected:
    void run() override
    {
        runThread.store(QThread::currentThread());
        ++runs;
        if (m_body)
            m_body(*this);
    }
    void finished() override
    {
        ++finishedCount;
        finishedThread = QThread::currentThread();
        runningInFinished = isRunning();
        if (m_onFinished)
            m_onFinished(*this);
    }

private:
    Hook m_body;
    Hook m_onFinished;
};

// A display that writes down every call, and the thread it came on.
class RecordingUi : public TaskUi
{
public:
    QStringList calls;
    bool offThread = false;

    void begin(Task*, const QString& title, int maximum) override
    {
        note(QStringLiteral("begin %1 %2").arg(title).arg(maximum));
    }
    void message(Task*, const QString& text) override { note(QStringLiteral("message ") + text); }
    void step(Task*, int pos) override { note(QStringLiteral("step %1").arg(pos)); }
    void end(Task*, const QString& text, bool failed) override
    {
        note(QStringLiteral("end %1 %2").arg(text, failed ? QStringLiteral("failed") : QStringLiteral("ok")));
    }

private:
    void note(const QString& call)
    {
        if (QThread::currentThread() != QCoreApplication::instance()->thread())
            offThread = true;
        calls << call;
    }
};

void spinUntilCanceled(ProbeTask& t)
{
    while (!t.wasCanceled())
        Sleep(1);
}

} // namespace

class TestTask : public QObject
{
    Q_OBJECT

private:
    RecordingUi m_ui;

private slots:
    void init()
    {
        m_ui = RecordingUi();
        Task::setUi(&m_ui);
    }
    void cleanup() { Task::setUi(nullptr); }

    void endsOnceOnOwnerThread_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("normal") << "normal"
                                << QStringList{"begin Job 3", "message Working", "step 1", "step 2",
                                               "end  ok"};
        QTest::newRow("complete in run")
            << "complete in run"
            << QStringList{"begin Job 3", "message Working", "step 1", "step 2", "end Done ok"};
        QTest::newRow("canceled") << "canceled" << QStringList{"begin Job 3", "message Working", "end  ok"};
        QTest::newRow("abort in run")
            << "abort in run" << QStringList{"begin Job 3", "message Working", "end Receive timeout! failed"};
        // The auto-connection ends its job from finished(), after run() returned.
        QTest::newRow("complete in finished")
            << "complete in finished"
            << QStringList{"begin Job 3", "message Working", "step 1", "step 2", "end ES6 connected! ok"};
        QTest::newRow("abort in finished") << "abort in finished"
                                           << QStringList{"begin Job 3", "message Working", "step 1",
                                                          "step 2", "end Connection failed failed"};
    }

    void endsOnceOnOwnerThread()
    {
        QFETCH(QString, ending);
        QFETCH(QStringList, expected);

        ProbeTask task(
            [ending](ProbeTask& t) {
                t.message(QStringLiteral("Working"));
                if (ending == QLatin1String("canceled")) {
                    spinUntilCanceled(t);
                    return;
                }
                if (ending == QLatin1String("abort in run")) {
                    t.abort(QStringLiteral("Receive timeout!"));
                    if (!t.wasCanceled())
                        t.step(); // abort must also stop the job
                    return;
                }
                t.step();
                t.step();
                if (ending == QLatin1String("complete in run"))
                    t.complete(QStringLiteral("Done"));
            },
            [ending](ProbeTask& t) {
                if (ending == QLatin1String("complete in finished"))
                    t.complete(QStringLiteral("ES6 connected!"));
                else if (ending == QLatin1String("abort in finished"))
                    t.abort(QStringLiteral("Connection failed"));
            });

        QVERIFY(task.start(QStringLiteral("Job"), 3, 0));
        QVERIFY(task.isRunning());
        if (ending == QLatin1String("canceled"))
            task.cancel();

        QTRY_COMPARE_WITH_TIMEOUT(task.finishedCount, 1, 10000);
        QVERIFY(task.runThread.load() != QCoreApplication::instance()->thread());
        QCOMPARE(task.finishedThread, QCoreApplication::instance()->thread());
        QVERIFY(task.runningInFinished);
        QVERIFY(!task.isRunning());

        // Late events must not bring a second end or stray progress: waits for
        // everything the job posted to have been handled.
        QVERIFY(Waiting::drainPosted());
        QCOMPARE(task.finishedCount, 1);
        QCOMPARE(m_ui.calls, expected);
        QVERIFY(!m_ui.offThread);
    }

    void safeTerminateNeverJoinsItself()
    {
        std::atomic<bool> inRunReturned{false};
        std::atomic<bool> inRunWaitResult{true};
        bool inFinishedReturned = false;
        ProbeTask task(
            [&](ProbeTask& t) {
                t.safeTerminate();
                inRunWaitResult = t.wait(-1);
                inRunReturned = true;
            },
            [&](ProbeTask& t) {
                // The identity poll disconnects its device from here, and the
                // disconnect stops the poll.
                t.safeTerminate();
                QVERIFY(t.wait(-1));
                inFinishedReturned = true;
            });

        QVERIFY(task.startNonGui());
        QTRY_VERIFY_WITH_TIMEOUT(inRunReturned.load(), 10000);
        QVERIFY(!inRunWaitResult.load());
        QVERIFY(task.wasCanceled()); // safeTerminate in the job still asks it to stop
        QTRY_COMPARE_WITH_TIMEOUT(task.finishedCount, 1, 10000);
        QVERIFY(inFinishedReturned);
        QVERIFY(m_ui.calls.isEmpty()); // a job without display shows nothing

        // On a task that is not running it is a no-op, before and after a run.
        ProbeTask idle;
        idle.safeTerminate();
        QVERIFY(idle.wait(0));
        task.safeTerminate();
        QCOMPARE(task.finishedCount, 1);
    }

    void safeTerminateEndsTheRunOnTheSpot()
    {
        // The job keeps reporting progress until told to stop.
        ProbeTask task([](ProbeTask& t) {
            while (!t.wasCanceled()) {
                t.step();
                Sleep(1);
            }
        });
        QVERIFY(task.start(QStringLiteral("Poll"), 0, 0));
        QTRY_VERIFY_WITH_TIMEOUT(task.pos() >= 3, 10000);

        task.safeTerminate();
        QCOMPARE(task.finishedCount, 1);
        QVERIFY(!task.isRunning());
        QVERIFY(m_ui.calls.last().startsWith(QLatin1String("end")));

        // Progress the stopped job posted before it returned is dropped.
        const int calls = int(m_ui.calls.size());
        // Waits for everything the job posted to have been handled.
        QVERIFY(Waiting::drainPosted());
        QCOMPARE(m_ui.calls.size(), calls);
        QCOMPARE(task.finishedCount, 1);

        // The owner can start it again at once.
        QVERIFY(task.startNonGui());
        QVERIFY(!task.wasCanceled());
        task.safeTerminate();
        QCOMPARE(task.finishedCount, 2);
        QCOMPARE(task.runs.load(), 2);
    }

    void restartsAfterFinishRefusesWhileRunning()
    {
        std::atomic<bool> release{false};
        ProbeTask task([&](ProbeTask& t) {
            t.step();
            while (!release.load())
                Sleep(1);
        });

        QVERIFY(task.start(QStringLiteral("Receive Banks"), 5, 0));
        QVERIFY(!task.start(QStringLiteral("Receive Banks"), 5, 0));
        QVERIFY(!task.startNonGui());
        release = true;
        QTRY_COMPARE_WITH_TIMEOUT(task.finishedCount, 1, 10000);
        QCOMPARE(task.runs.load(), 1);
        QCOMPARE(task.pos(), 1);

        release = false;
        QVERIFY(task.start(QStringLiteral("Again"), 7, 0));
        QCOMPARE(task.maximum(), 7);
        release = true;
        QTRY_COMPARE_WITH_TIMEOUT(task.finishedCount, 2, 10000);
        QCOMPARE(task.runs.load(), 2);
        QCOMPARE(task.pos(), 1); // counted afresh for the new run
        QCOMPARE(m_ui.calls.count(QStringLiteral("begin Again 7")), 1);
    }

    void autoDeleteAfterFinished()
    {
        int finishedBeforeDelete = 0;
        auto* task = new ProbeTask({}, [&](ProbeTask&) { ++finishedBeforeDelete; });
        QPointer<ProbeTask> guard(task);
        task->autoDelete();
        QVERIFY(task->start(QStringLiteral("Transmit"), 1, 0));
        QTRY_VERIFY_WITH_TIMEOUT(guard.isNull(), 10000);
        QCOMPARE(finishedBeforeDelete, 1);
        QCOMPARE(m_ui.calls.last(), QStringLiteral("end  ok"));
    }

    void destructorStopsTheWorker()
    {
        // No safeTerminate of its own: the base must stop the worker, or the
        // thread object would be destroyed while running.
        struct Spinner : Task
        {
            Spinner() : Task(QStringLiteral("Spinner")) {}
            std::atomic<bool> started{false};
            void run() override
            {
                started = true;
                while (!wasCanceled())
                    Sleep(1);
            }
        };
        auto* task = new Spinner;
        QVERIFY(task->startNonGui());
        QTRY_VERIFY_WITH_TIMEOUT(task->started.load(), 10000);
        delete task;
    }

    void startFromAnotherThreadRefused()
    {
        ProbeTask task;
        std::atomic<bool> started{true};
        QTest::ignoreMessage(QtWarningMsg, "Task ProbeTask: started from a thread that does not own it");
        QThread* other = QThread::create([&] { started = task.startNonGui(); });
        other->start();
        QVERIFY(other->wait(10000));
        delete other;
        QVERIFY(!started.load());
        QCOMPARE(task.runs.load(), 0);
    }
};

ORVANE_TEST_GUILESS_MAIN(TestTask)
#include "tst_task.moc"
