// The progress of a long operation on the GUI thread: nothing shows until
// the operation has run for the delay, then a window that starts where the
// operation stands and follows it in hundredths; with no delay it shows at
// once.
#include "DelayedProgress.h"
#include "TestEnvironment.h"

#include <QDialog>
#include <QProgressBar>

class TestDelayedProgress : public QObject
{
    Q_OBJECT

    static QProgressBar* barOf(const QString& title)
    {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->isVisible() && widget->windowTitle() == title)
                return widget->findChild<QProgressBar*>();
        }
        return nullptr;
    }

private slots:
    void cleanup() { DelayedProgress::setDelay(500); }

    void showsOnlyAfterTheDelay()
    {
        DelayedProgress::setDelay(200);
        DelayedProgress progress(QStringLiteral("Slow"), QStringLiteral("Working"), 100000);
        progress.setDone(5);
        QVERIFY(!progress.isShown());
        QVERIFY(!barOf(QStringLiteral("Slow")));
        // Reported on, the operation's window appears once the delay is past,
        // at the hundredth it has reached.
        qint64 done = 1000;
        QTRY_VERIFY_WITH_TIMEOUT((progress.setDone(done += 1000), progress.isShown()), 30000);
        QProgressBar* bar = barOf(QStringLiteral("Slow"));
        QVERIFY(bar);
        QCOMPARE(bar->value(), int(done * 100 / 100000));
        progress.setDone(100000);
        QCOMPARE(bar->value(), 100);
        progress.setText(QStringLiteral("Almost"));
        QCOMPARE(progress.messages(), (QStringList{"Working", "Almost"}));
    }

    void noDelayShowsAtOnce()
    {
        DelayedProgress::setDelay(0);
        {
            DelayedProgress progress(QStringLiteral("Quick"), QStringLiteral("Reading"), 0);
            QVERIFY(progress.isShown());
            // Nothing to count: the bar stays where it is.
            progress.setDone(10);
            QCOMPARE(barOf(QStringLiteral("Quick"))->value(), 0);
        }
        QVERIFY(!barOf(QStringLiteral("Quick")));
    }
};

ORVANE_TEST_MAIN(TestDelayedProgress)
#include "tst_delayedprogress.moc"
