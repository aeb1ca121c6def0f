// The main window base: commands created once and dispatched through one
// hook from actions, menus, tool bars and posted commands; menus filled from
// id ranges; the state hook; the load hook after the first show; posted
// messages; dropped files.
#include "EventMessage.h"
#include "MainWindow.h"
#include "TestEnvironment.h"
#include "Waiting.h"

#include <QAction>
#include <QMenu>
#include <QMimeData>
#include <QToolBar>
#include <QUrl>

namespace {

class RecordingMainWindow : public MainWindow
{
public:
    RecordingMainWindow() : MainWindow(QSize(320, 200)) {}
    using MainWindow::dropEvent;

    void onLoadWindow() override { log.append(QStringLiteral("load")); }
    void onUpdateUi() override { ++updates; }
    void openFile(const QString& path) override { log.append(QStringLiteral("open:") + path); }
    void onCommand(int id) override { log.append(QStringLiteral("command:%1").arg(id)); }
    void onMessage(int id, const QVariant& data, const QVariant& source) override
    {
        log.append(QStringLiteral("message:%1:%2:%3").arg(id).arg(data.toInt()).arg(source.toInt()));
    }

    QStringList log;
    int updates = 0;
};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void commandsDispatch()
    {
        RecordingMainWindow window;
        QAction* save = window.createCommand(12, QStringLiteral("&Save"), QKeySequence::Save,
                                             QStringLiteral("core:save.png"));
        QVERIFY(!save->icon().isNull());
        QCOMPARE(save->shortcut(), QKeySequence(QKeySequence::Save));
        // Created once: a second call gives the same command, unchanged.
        QCOMPARE(window.createCommand(12, QStringLiteral("Other")), save);
        QCOMPARE(save->text(), QStringLiteral("&Save"));

        save->trigger();
        PostCommand(&window, 13);
        PostMessage(&window, 4201, 7, 1);
        QTRY_COMPARE(window.log, QStringList({QStringLiteral("command:12"), QStringLiteral("command:13"),
                                              QStringLiteral("message:4201:7:1")}));
        // Each command is followed by a state update, merged into one.
        QTRY_VERIFY(window.updates >= 1);

        window.enableCommand(12, false);
        QVERIFY(!save->isEnabled());
        window.showCommand(12, false);
        QVERIFY(!save->isVisible());
        window.hideCommand(12, false);
        QVERIFY(save->isVisible());
        window.checkCommand(12, true);
        QVERIFY(save->isChecked());
        QCOMPARE(window.command(99), nullptr);
        window.enableCommand(99, false); // nothing to do
    }

    // Menus and tool bars take the created ids of a range in id order; a
    // menu shows the gaps.
    void menusFromRanges()
    {
        RecordingMainWindow window;
        window.createCommand(22, QStringLiteral("C"));
        window.createCommand(20, QStringLiteral("A"));
        window.createCommand(21, QStringLiteral("B"));
        window.createCommand(30, QStringLiteral("Outside"));
        QMenu* menu = window.addMenu(QStringLiteral("&File"));
        window.addCommands(menu, 19, 25);
        QAction* subAction = nullptr;
        QMenu* sub = window.addCommands(menu, QStringLiteral("More"), 30, 30, &subAction);
        QStringList texts;
        for (QAction* a : menu->actions())
            texts.append(a->isSeparator() ? QStringLiteral("-") : a->text());
        // The ids without a command, before and after, each show as one
        // separator.
        QCOMPARE(texts, QStringList({QStringLiteral("-"), QStringLiteral("A"), QStringLiteral("B"),
                                     QStringLiteral("C"), QStringLiteral("-"), QStringLiteral("More")}));
        QCOMPARE(subAction, sub->menuAction());
        QCOMPARE(sub->actions().value(0), window.command(30));

        QToolBar bar;
        window.addCommands(&bar, 21, 22);
        QCOMPARE(bar.actions().size(), 2);
        QCOMPARE(window.addCommand(&bar, 99), nullptr);

        // A menu built here refreshes the states before it opens.
        const int before = window.updates;
        emit menu->aboutToShow();
        QCOMPARE(window.updates, before + 1);
    }

    void loadsOnceAfterShow()
    {
        RecordingMainWindow window;
        QVERIFY(!window.isLoaded());
        window.show();
        QVERIFY(window.log.isEmpty()); // after the window has appeared, not during show
        QTRY_VERIFY(window.isLoaded());
        window.hide();
        window.show();
        // Waits for a load posted by the second show, if any, to have run.
        QVERIFY(Waiting::drainPosted());
        QCOMPARE(window.log, QStringList({QStringLiteral("load")}));
    }

    void dropOpensFiles()
    {
        RecordingMainWindow window;
        window.setAcceptDrops(true);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.voi")), QUrl(QStringLiteral("http://x/y")),
                      QUrl::fromLocalFile(QStringLiteral("/tmp/b.voi"))});
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        window.dropEvent(&drop);
        QVERIFY(drop.isAccepted());
        QCOMPARE(window.log,
                 QStringList({QStringLiteral("open:/tmp/a.voi"), QStringLiteral("open:/tmp/b.voi")}));
    }
};

ORVANE_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
