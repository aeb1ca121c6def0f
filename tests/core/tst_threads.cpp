#include "TestEnvironment.h"

#include "EventMessage.h"
#include "MySignal.h"
#include "Timing.h"

#include <QThread>

#include <atomic>
#include <latch>
#include <memory>
#include <vector>

namespace {

// Runs fn on a thread of its own and joins it when dropped.
class Worker
{
public:
    explicit Worker(std::function<void()> fn) : m_thread(QThread::create(std::move(fn)))
    {
        m_thread->start();
    }
    ~Worker() { m_thread->wait(); }

private:
    std::unique_ptr<QThread> m_thread;
};

struct Seen
{
    int id = 0;
    QVariant data;
    QVariant source;
    QThread* thread = nullptr;
};

// Swallows message 111, as a client's filter does with connection notices.
class Filter : public QObject
{
public:
    QList<Seen> seen;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != EventMessage::Type())
            return false;
        auto* m = static_cast<EventMessage*>(event);
        seen.append({m->id(), m->data(), m->source(), QThread::currentThread()});
        return m->id() == 111;
    }
};

class Target : public QObject
{
public:
    QList<int> ids;
    void customEvent(QEvent* event) override
    {
        if (event->type() == EventMessage::Type())
            ids.append(static_cast<EventMessage*>(event)->id());
    }
};

} // namespace

class TestThreads : public QObject
{
    Q_OBJECT

private slots:
    void signalWaits()
    {
        MySignal s(10);
        QVERIFY(s.wait(0)); // nothing armed: nothing to wait for

        s.signal(true);
        QVERIFY(s.isOccupied());
        QVERIFY(!s.wait(20));
        QVERIFY(s.isOccupied());

        // The reply came before the requester got to wait.
        s.signal(false);
        QVERIFY(!s.isOccupied());
        QVERIFY(s.wait(0));
    }

    void signalClearedFromAnotherThread()
    {
        MySignal s(10);
        s.signal(true);
        {
            Worker receiver([&] {
                Sleep(20);
                s.signal(false);
            });
            QVERIFY(s.wait(10000));
        }

        // Cleared and at once armed again by the next request before the
        // waiter woke: the waiter's own request was still answered.
        s.signal(true);
        {
            Worker receiver([&] {
                Sleep(20);
                s.signal(false);
                s.signal(true);
            });
            QVERIFY(s.wait(10000));
        }
        QVERIFY(s.isOccupied());
    }

    void tryOccupyHasOneWinner()
    {
        MySignal s(10);
        constexpr int threads = 8;
        for (int round = 0; round < 50; ++round) {
            std::atomic<int> winners{0};
            std::latch go(threads);
            {
                std::vector<std::unique_ptr<Worker>> workers;
                for (int i = 0; i < threads; ++i)
                    workers.push_back(std::make_unique<Worker>([&] {
                        go.arrive_and_wait();
                        if (s.tryOccupy())
                            ++winners;
                    }));
            }
            QCOMPARE(winners.load(), 1);
            QVERIFY(s.isOccupied());
            QVERIFY(!s.tryOccupy());
            s.signal(false);
        }
    }

    void postMessageCrossesThreads()
    {
        Target target;
        Filter filter;
        target.installEventFilter(&filter);

        {
            Worker midi([&] {
                PostMessage(&target, 111, QVariant(), QVariant(0));
                PostMessage(&target, 2, QStringLiteral("F0 7E 7F 06 01 F7"), QVariant(1));
                PostMessage(nullptr, 3, QVariant(1), QVariant(1));
            });
        }
        QTRY_COMPARE_WITH_TIMEOUT(target.ids.size(), 1, 10000);

        QCOMPARE(filter.seen.size(), 2);
        QCOMPARE(filter.seen[0].id, 111);
        QCOMPARE(filter.seen[0].source, QVariant(0));
        QCOMPARE(filter.seen[1].id, 2);
        QCOMPARE(filter.seen[1].data.toString(), QStringLiteral("F0 7E 7F 06 01 F7"));
        QCOMPARE(filter.seen[1].source.toInt(), 1);
        QCOMPARE(filter.seen[0].thread, QCoreApplication::instance()->thread());
        QCOMPARE(target.ids, QList<int>{2}); // 111 stopped at the filter

        // A message for an object that goes before it is handled is dropped.
        auto* gone = new Target;
        PostMessage(gone, 1, QVariant(0x90), QVariant(0));
        delete gone;
        QCoreApplication::processEvents();
    }

    void pointerInVariant()
    {
        int panel = 0;
        QCOMPARE(VarToPointer(PointerToVar(&panel)), static_cast<void*>(&panel));
        QCOMPARE(VarToPointer(PointerToVar(nullptr)), nullptr);
        QCOMPARE(VarToPointer(QVariant(1234)), nullptr);
        QCOMPARE(VarToPointer(QVariant()), nullptr);
    }

    void stopWatch_data()
    {
        // Tap times in ms; -1 stands for reset().
        QTest::addColumn<int>("n");
        QTest::addColumn<QList<qint64>>("taps");
        QTest::addColumn<QList<long>>("laps");
        QTest::addColumn<long>("ms");

        QTest::newRow("no tap") << 16 << QList<qint64>{} << QList<long>{} << 0L;
        QTest::newRow("first tap starts") << 16 << QList<qint64>{1000} << QList<long>{-1} << 0L;
        QTest::newRow("average") << 16 << QList<qint64>{0, 500, 1000, 1600} << QList<long>{-1, 500, 500, 600}
                                 << 533L;
        QTest::newRow("keeps last n")
            << 2 << QList<qint64>{0, 100, 600, 1100} << QList<long>{-1, 100, 500, 500} << 500L;
        QTest::newRow("reset restarts")
            << 16 << QList<qint64>{0, 3000, -1, 3100, 3600} << QList<long>{-1, 3000, -1, 500} << 500L;
        QTest::newRow("same millisecond") << 16 << QList<qint64>{40, 40} << QList<long>{-1, 0} << 0L;
    }

    void stopWatch()
    {
        QFETCH(int, n);
        QFETCH(QList<qint64>, taps);
        QFETCH(QList<long>, laps);
        QFETCH(long, ms);

        qint64 clock = 0;
        StopWatch watch(n, [&] { return clock; });
        QList<long> got;
        for (qint64 t : taps) {
            if (t < 0) {
                watch.reset();
                continue;
            }
            clock = t;
            got.append(watch.lap());
        }
        QCOMPARE(got, laps);
        QCOMPARE(watch.ms(), ms);
    }

    void stopWatchRealClock()
    {
        StopWatch watch(16);
        QCOMPARE(watch.lap(), -1L);
        Sleep(30);
        QVERIFY(watch.lap() >= 30);
    }

    void timeToTempo_data()
    {
        QTest::addColumn<long>("ms");
        QTest::addColumn<double>("bpm");
        QTest::newRow("120") << 500L << 120.0;
        QTest::newRow("60") << 1000L << 60.0;
        QTest::newRow("below 30") << 2001L << 60000.0 / 2001;
        QTest::newRow("zero") << 0L << 0.0;
        QTest::newRow("no lap") << -1L << 0.0;
    }

    void timeToTempo()
    {
        QFETCH(long, ms);
        QFETCH(double, bpm);
        QCOMPARE(TimeToTempo(ms), bpm);
    }

    void varPointer()
    {
        // Never bound: an ordinary int.
        VarPointer own;
        QVERIFY(!own.isNull());
        own = -5;
        QCOMPARE(int(own), -5);

        qint32 i32 = 7;
        qint16 i16 = 0;
        quint8 u8 = 0;
        qint64 i64 = 0;
        VarPointer p;
        p.init(&i32, 4);
        QCOMPARE(int(p), 7);
        p = 300;
        QCOMPARE(i32, 300);
        p.init(&i16, 2);
        p = -2;
        QCOMPARE(i16, qint16(-2));
        QCOMPARE(int(p), -2);
        p.init(&u8, 1);
        p = 200;
        QCOMPARE(u8, quint8(200));
        QCOMPARE(int(p), 200);
        p.init(&i64, 8);
        p = -70000;
        QCOMPARE(i64, qint64(-70000));

        // Bound to nothing: null, and writes go nowhere.
        p.init(nullptr, 4);
        QVERIFY(p.isNull());
        p = 9;
        QCOMPARE(int(p), 0);

        // A size it cannot hold is neither written nor read.
        char three[3] = {1, 2, 3};
        p.init(three, 3);
        QVERIFY(!p.isNull());
        p = 0;
        QCOMPARE(three[0], char(1));
        QCOMPARE(int(p), 0);
    }
};

ORVANE_TEST_GUILESS_MAIN(TestThreads)
#include "tst_threads.moc"
