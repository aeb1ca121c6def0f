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
#include "MidiRange.h"
#include "Pointer.h"
#include "Prompts.h"
#include "TestEnvironment.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
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

void pressAt(QWidget* w, const QPoint& pos)
{
    QMouseEvent event(QEvent::MouseButtonPress, pos, w->mapToGlobal(pos), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

// A window of the device that rebuilds its panel on every patch change, and
// so deletes the selector whose change it is told of.
class RebuildingWindow : public QWidget, public MidiClient
{
public:
    explicit RebuildingWindow(MidiDevice* device) : MidiClient(QStringLiteral("Rebuilding"), device, this) {}
    void OnPatchChange(Patch, MidiSource) override { delete victim.data(); }

    QPointer<QWidget> victim;
};

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

    // The device's own patch selector tells every window of a patch picked
    // from its menu or stepped to with its arrows; a window that rebuilds
    // its panel then deletes the selector before the step has returned.
    void deletedByPatchChange()
    {
        BusPanelRig rig;
        rig.device.ini()->loadText(QString::fromUtf8(TeardownBanks));
        RebuildingWindow window(&rig.device);
        ScriptedPrompts prompts;
        PatchEditInfo info;
        info.title = QStringLiteral("&Number");
        info.banks = QStringLiteral("SET");

        auto* menuPick = new MidiPatchEdit(rig.panel, info);
        window.victim = menuPick;
        prompts.script(ScriptedPrompts::Kind::Popup, Patch(63, 0, 0).toUInt());
        menuPick->dropDown(false);
        QVERIFY(window.victim.isNull());

        auto* arrowStep = new MidiPatchEdit(rig.panel, info);
        arrowStep->resize(120, 19);
        window.victim = arrowStep;
        pressAt(arrowStep, QPoint(115, 15));
        QMouseEvent release(QEvent::MouseButtonRelease, QPoint(115, 15),
                            arrowStep->mapToGlobal(QPoint(115, 15)), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(arrowStep, &release);
        QVERIFY(window.victim.isNull());
    }

    // A relative drag hides the pointer for the whole program; a control
    // deleted in the middle of one shows it again on its way out.
    void deletedDuringDrag_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("value control") << int(MidiCtrl::EditType);
        QTest::newRow("range") << int(MidiCtrl::RangeType);
        QTest::newRow("envelope") << int(MidiCtrl::EgType);
    }
    void deletedDuringDrag()
    {
        QFETCH(int, kind);
        BusPanelRig rig;
        QWidget* control = nullptr;
        QPoint grip(5, 2); // off the slider strip and the range's bar
        if (kind == MidiCtrl::EditType) {
            EditInfo info;
            info.param.setAddress(0x300100);
            info.param.max = 127;
            control = new MidiEdit(rig.panel, info);
            control->resize(90, 19);
        } else if (kind == MidiCtrl::RangeType) {
            RangeInfo info;
            info.low.setAddress(0x300107);
            info.high.setAddress(0x300108);
            info.low.max = info.high.max = 127;
            control = new MidiRange(rig.panel, info);
            control->resize(108, 19);
        } else {
            EgInfo info;
            info.nodes = QStringLiteral("Attack;ATK;address=410024;address=410029");
            auto* eg = new MidiEgCtrl(rig.panel, info);
            eg->resize(220, 140);
            eg->nodes()[0].time.value = 64;
            eg->nodes()[0].level.value = 100;
            grip = eg->getDrawPoint(0);
            control = eg;
        }
        pressAt(control, grip);
        QVERIFY(IsMouseHidden());
        delete control;
        QVERIFY(!IsMouseHidden());
    }
};

ORVANE_TEST_MAIN(TestControlTeardown)
#include "tst_controlteardown.moc"
