// The progress the programs show: the jobs' display (a window once a job has
// run for a moment, its steps, Cancel, the end text through the prompts in
// force) and the progress of work that holds the GUI thread (shown late,
// Cancel taken in between its steps).
#include "TestEnvironment.h"

#include "ProgressDlg.h"
#include "ProgressWindows.h"
#include "Prompts.h"
#include "Task.h"
#include "Timing.h"

#include <QElapsedTimer>
#include <QPointer>

#include <functional>

namespace {

// A job whose body the test gives.
class ShownJob : public Task
{
public:
    explicit ShownJob(std::function<void(ShownJob&)> body) : Task(QStringLiteral("ShownJob")), m_body(std::move(body))
    {
    }
    ~ShownJob() override { safeTerminate(); }

protected:
    void run() override { m_body(*this); }

private:
    std::function<void(ShownJob&)> m_body;
};

using Kind = ScriptedPrompts::Kind;

} // namespace

class TestProgress : public QObject
{
    Q_OBJECT

private slots:
    void jobEndText_data()
    {
        QTest::addColumn<int>("ending"); // 0 abort, 1 complete, 2 nothing, 3 abort without text
        QTest::addColumn<int>("errors");
        QTest::addColumn<int>("infos");
        QTest::newRow("failed") << 0 << 1 << 0;
        QTest::newRow("completed with a text") << 1 << 0 << 1;
        QTest::newRow("completed") << 2 << 0 << 0;
        QTest::newRow("stopped by the program") << 3 << 0 << 0;
    }

    // A job's end text reaches the user through the prompts in force, under
    // the job's title; its window goes.
    void jobEndText()
    {
        QFETCH(int, ending);
        QFETCH(int, errors);
        QFETCH(int, infos);
        ScriptedPrompts prompts;
        TaskDisplay display;
        QCOMPARE(Task::ui(), &display);
        ShownJob job([ending](ShownJob& j) {
            if (ending == 0)
                j.abort(QStringLiteral("Receive timeout!"));
            else if (ending == 1)
                j.complete(QStringLiteral("Vesk ES connected!"));
            else if (ending == 3)
                j.abort(QString());
        });
        QVERIFY(job.start(QStringLiteral("Receive All"), 3));
        QVERIFY(display.window(&job));
        QTRY_VERIFY_WITH_TIMEOUT(!job.isRunning(), 30000);
        QVERIFY(!display.window(&job));
        QCOMPARE(prompts.count(Kind::Error), errors);
        QCOMPARE(prompts.count(Kind::Info), infos);
        if (errors)
            QCOMPARE(prompts.last(Kind::Error).text, QStringLiteral("Receive timeout!"));
        if (infos)
            QCOMPARE(prompts.last(Kind::Info).text, QStringLiteral("Vesk ES connected!"));
        const QString title = errors ? prompts.last(Kind::Error).title : prompts.last(Kind::Info).title;
        if (errors + infos)
            QCOMPARE(title, QStringLiteral("Receive All"));
    }

    // A long job shows its window with its text and steps; Cancel stops it,
    // and a cancelled job ends without a box. A job started without a
    // display (startNonGui) shows nothing.
    void longJobShowsItsStepsAndCancels()
    {
        ScriptedPrompts prompts;
        TaskDisplay display;
        ShownJob job([](ShownJob& j) {
            j.message(QStringLiteral("Receiving 5 patches..."));
            j.step();
            j.step();
            while (!j.wasCanceled())
                Sleep(1);
        });
        QVERIFY(job.start(QStringLiteral("Receive All"), 5));
        QTRY_VERIFY_WITH_TIMEOUT(shownProgress() && seeProgress(shownProgress()).value == 2, 30000);
        const ProgressSeen seen = seeProgress(shownProgress());
        QCOMPARE(seen.title, QStringLiteral("Receive All"));
        QCOMPARE(seen.text, QStringLiteral("Receiving 5 patches..."));
        QVERIFY(pressCancel(shownProgress()));
        QTRY_VERIFY_WITH_TIMEOUT(!job.isRunning(), 30000);
        QTRY_VERIFY(!shownProgress());
        QCOMPARE(prompts.calls().size(), 0);

        ShownJob quiet([](ShownJob& j) {
            while (!j.wasCanceled())
                Sleep(1);
        });
        QVERIFY(quiet.startNonGui());
        QVERIFY(!display.window(&quiet));
        quiet.safeTerminate();
    }

    // A program that ends closes every window: a job's window does not hold
    // it up, and the job is cancelled.
    void endingProgramClosesTheWindow()
    {
        ScriptedPrompts prompts;
        TaskDisplay display;
        ShownJob job([](ShownJob& j) {
            while (!j.wasCanceled())
                Sleep(1);
        });
        QVERIFY(job.start(QStringLiteral("Transmit All"), 4));
        QTRY_VERIFY_WITH_TIMEOUT(shownProgress(), 30000);
        QVERIFY(shownProgress()->close());
        QVERIFY(job.wasCanceled());
        QTRY_VERIFY_WITH_TIMEOUT(!job.isRunning(), 30000);
        QCOMPARE(prompts.calls().size(), 0);
    }

    // A job deleted while it runs takes its window along; the display that
    // goes puts back the one it replaced.
    void deletedJobAndDisplay()
    {
        ScriptedPrompts prompts;
        TaskDisplay outer;
        QPointer<QWidget> window;
        {
            TaskDisplay inner;
            auto job = std::make_unique<ShownJob>([](ShownJob& j) {
                while (!j.wasCanceled())
                    Sleep(1);
            });
            QVERIFY(job->start(QStringLiteral("Transmit"), 1));
            window = inner.window(job.get());
            QVERIFY(window);
            job.reset();
            QTRY_VERIFY(!window);
        }
        QCOMPARE(Task::ui(), &outer);
        QCOMPARE(prompts.calls().size(), 0);
    }

    // Work on the GUI thread: a delayed window shows at the first call after
    // the delay; a click on Cancel made meanwhile is taken in by
    // wasCanceled(). Work without Cancel never runs the event loop.
    void workOnTheGuiThread()
    {
        ScriptedPrompts prompts;
        QWidget parent;
        {
            ProgressDlg progress(&parent, QStringLiteral("Receive"), 2, 0,
                                 ProgressDlg::Cancelable | ProgressDlg::Delayed);
            progress.message(QStringLiteral("Receiving edit buffer..."));
            QVERIFY(!shownProgress());
            QElapsedTimer clock;
            clock.start();
            // The work holds the thread past the delay.
            while (!clock.hasExpired(ProgressShowDelayMs))
                Sleep(10);
            auto seen = cancelWhenShown();
            QVERIFY(progress.wasCanceled());
            QVERIFY(seen->found && seen->canceled);
            QCOMPARE(seen->title, QStringLiteral("Receive"));
            QCOMPARE(seen->text, QStringLiteral("Receiving edit buffer..."));
            QVERIFY(progress.wasCanceled());
        }
        QVERIFY(!shownProgress());

        bool ran = false;
        {
            ProgressDlg progress(&parent, QStringLiteral("Voice Copier"), 3, 0);
            QVERIFY(shownProgress());
            QMetaObject::invokeMethod(qApp, [&ran] { ran = true; }, Qt::QueuedConnection);
            progress.step();
            QVERIFY(!progress.wasCanceled());
            QVERIFY(!ran);
            QCOMPARE(progress.stepsDone(), 1);
            progress.abort(QStringLiteral("Time out!"));
            QVERIFY(!shownProgress());
        }
        QCOMPARE(prompts.count(Kind::Error), 1);
        QCOMPARE(prompts.last(Kind::Error).text, QStringLiteral("Time out!"));
        QCOMPARE(prompts.last(Kind::Error).title, QStringLiteral("Voice Copier"));
        QTRY_VERIFY(ran);
    }
};

ORVANE_TEST_MAIN(TestProgress)
#include "tst_progress.moc"
