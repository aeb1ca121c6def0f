// Controls that go while one of their own modal menus or drags is running:
// an incoming message that reloads a panel, or a window closing, deletes them
// from inside the menu's event loop or in the middle of a drag. Nothing may
// touch the control, or the menu it was the parent of, afterwards, and the
// pointer a drag hid must come back. The menus run for real here (Qt's own
// pop-up menus offscreen), not through scripted answers.
#include "BusPanelRig.h"
#include "MidiEdit.h"
#include "MidiEgCtrl.h"
#include "MidiPatchEdit.h"
#include "TestEnvironment.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPointer>
#include <QTimer>

namespace {

const char* const TeardownBanks = R"(
[SET]
Ridev=1
0=63,00,PRE1

[PRE1]
0=Ap:Grand
)";

// Deletes widget once a pop-up menu of the application is open, from inside
// the menu's own event loop.
void deleteWhileMenuOpen(QWidget* widget)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, widget] {
        if (!qobject_cast<QMenu*>(QApplication::activePopupWidget()))
            return;
        timer->stop();
        timer->deleteLater();
        delete widget;
    });
    timer->start();
}

} // namespace

class TestControlTeardown : public QObject
{
    Q_OBJECT

private slots:
    // The value list, the bank menu and the envelope's Copy/Paste menu each
    // close with their control, and the control's caller returns quietly.
    void deletedDuringMenu()
    {
        BusPanelRig rig;
        rig.device.ini()->loadText(QString::fromUtf8(TeardownBanks));

        EditInfo listInfo;
        listInfo.title = QStringLiteral("Type");
        listInfo.combo = true;
        listInfo.param.setAddress(0x300100);
        listInfo.param.max = 5;
        QPointer<MidiEdit> list = new MidiEdit(rig.panel, listInfo);
        deleteWhileMenuOpen(list);
        list->dropDown();
        QVERIFY(list.isNull());

        PatchEditInfo patchInfo;
        patchInfo.title = QStringLiteral("Voice");
        patchInfo.banks = QStringLiteral("SET");
        QPointer<MidiPatchEdit> patch = new MidiPatchEdit(rig.panel, patchInfo);
        deleteWhileMenuOpen(patch);
        patch->dropDown(false);
        QVERIFY(patch.isNull());

        EgInfo egInfo;
        egInfo.title = QStringLiteral("Amp Envelope");
        egInfo.nodes = QStringLiteral("Attack;ATK;address=410024;address=410029");
        QPointer<MidiEgCtrl> eg = new MidiEgCtrl(rig.panel, egInfo);
        deleteWhileMenuOpen(eg);
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), eg->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(eg, &event);
        QVERIFY(eg.isNull());

        QVERIFY(rig.sent().isEmpty());
    }
};

ORVANE_TEST_MAIN(TestControlTeardown)
#include "tst_controlteardown.moc"
