// The value control's keys, type-ahead, tap tempo, mouse, wheel and drop-down
// list, driven by real events offscreen; what reaches the instrument is read
// from the bus.
#include "BusPanelRig.h"
#include "MidiEdit.h"
#include "Pointer.h"
#include "Prompts.h"
#include "TestEnvironment.h"
#include "Waiting.h"

#include <QCursor>
#include <QMouseEvent>
#include <QWheelEvent>

namespace {

EditInfo inputRangeInfo(int min, int max, bool list = false)
{
    EditInfo info;
    info.title = QStringLiteral("Level");
    info.param.setAddress(0x300100);
    info.param.min = min;
    info.param.max = max;
    info.param.setSize(max > 127 ? 2 : 1);
    info.combo = list;
    return info;
}

// Sends a key press; true when the control accepted it.
bool pressInput(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = QString())
{
    QKeyEvent event(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(w, &event);
    return event.isAccepted();
}

void mouse(QWidget* w, QEvent::Type type, const QPoint& pos, Qt::MouseButton button,
           Qt::MouseButtons held = Qt::NoButton)
{
    if (held == Qt::NoButton && type != QEvent::MouseButtonRelease)
        held = button;
    QMouseEvent event(type, pos, w->mapToGlobal(pos), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

bool wheel(QWidget* w, int delta)
{
    QWheelEvent event(QPointF(5, 5), QPointF(w->mapToGlobal(QPoint(5, 5))), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &event);
    return event.isAccepted();
}

} // namespace

class TestMidiEditInput : public QObject
{
    Q_OBJECT

private slots:
    // The navigation keys of slider and list (a list has its first item at
    // the top), range jumps on a grid through the middle, and the keys the
    // control leaves to the panel.
    void keys_data()
    {
        QTest::addColumn<bool>("list");
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("mods");
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("accepted");

        const int none = Qt::NoModifier;
        QTest::newRow("slider up") << false << 0 << 127 << 10 << int(Qt::Key_Up) << none << 11 << true;
        QTest::newRow("slider down") << false << 0 << 127 << 10 << int(Qt::Key_Down) << none << 9 << true;
        QTest::newRow("list up") << true << 0 << 127 << 10 << int(Qt::Key_Up) << none << 9 << true;
        QTest::newRow("list down") << true << 0 << 127 << 10 << int(Qt::Key_Down) << none << 11 << true;
        QTest::newRow("right") << true << 0 << 127 << 10 << int(Qt::Key_Right) << none << 11 << true;
        QTest::newRow("left") << false << 0 << 127 << 10 << int(Qt::Key_Left) << none << 9 << true;
        QTest::newRow("slider home") << false << 0 << 127 << 10 << int(Qt::Key_Home) << none << 127 << true;
        QTest::newRow("slider end") << false << 0 << 127 << 10 << int(Qt::Key_End) << none << 0 << true;
        QTest::newRow("list home") << true << 0 << 127 << 10 << int(Qt::Key_Home) << none << 0 << true;
        QTest::newRow("list end") << true << 0 << 127 << 10 << int(Qt::Key_End) << none << 127 << true;
        QTest::newRow("up from no value") << false << 0 << 127 << -1 << int(Qt::Key_Up) << none << 0 << true;
        QTest::newRow("down from no value")
            << false << 5 << 127 << -1 << int(Qt::Key_Down) << none << 5 << true;
        QTest::newRow("up at max") << false << 0 << 127 << 127 << int(Qt::Key_Up) << none << 127 << true;
        QTest::newRow("ctrl up") << false << 0 << 127 << 10 << int(Qt::Key_Up) << int(Qt::ControlModifier)
                                 << 10 << false;
        QTest::newRow("shift up") << false << 0 << 127 << 10 << int(Qt::Key_Up) << int(Qt::ShiftModifier)
                                  << 10 << false;
        QTest::newRow("keypad up") << false << 0 << 127 << 10 << int(Qt::Key_Up) << int(Qt::KeypadModifier)
                                   << 11 << true;
        QTest::newRow("page up from 100")
            << false << 0 << 127 << 100 << int(Qt::Key_PageUp) << none << 127 << true;
        QTest::newRow("page down from 100")
            << false << 0 << 127 << 100 << int(Qt::Key_PageDown) << none << 96 << true;
        QTest::newRow("page down from 96")
            << false << 0 << 127 << 96 << int(Qt::Key_PageDown) << none << 64 << true;
        QTest::newRow("list page up goes down")
            << true << 0 << 127 << 100 << int(Qt::Key_PageUp) << none << 96 << true;
        QTest::newRow("page up at max")
            << false << 0 << 127 << 127 << int(Qt::Key_PageUp) << none << 127 << false;
        QTest::newRow("page down at min")
            << false << 0 << 127 << 0 << int(Qt::Key_PageDown) << none << 0 << false;
        QTest::newRow("1..300 from 1") << false << 1 << 300 << 1 << int(Qt::Key_PageUp) << none << 76 << true;
        QTest::newRow("1..300 from 200")
            << false << 1 << 300 << 200 << int(Qt::Key_PageUp) << none << 226 << true;
        QTest::newRow("1..300 from 226")
            << false << 1 << 300 << 226 << int(Qt::Key_PageDown) << none << 151 << true;
        QTest::newRow("1..300 to the end")
            << false << 1 << 300 << 290 << int(Qt::Key_PageUp) << none << 300 << true;
        QTest::newRow("a digit is typed, not used")
            << false << 0 << 127 << 10 << int(Qt::Key_5) << none << 10 << false;
    }
    void keys()
    {
        QFETCH(bool, list);
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(int, start);
        QFETCH(int, key);
        QFETCH(int, mods);
        QFETCH(int, expected);
        QFETCH(bool, accepted);

        BusPanelRig rig;
        MidiEdit edit(rig.panel, inputRangeInfo(min, max, list));
        edit.setValue(start);
        const QString text = key == Qt::Key_5 ? QStringLiteral("5") : QString();
        QCOMPARE(pressInput(&edit, key, Qt::KeyboardModifiers(mods), text), accepted);
        QCOMPARE(edit.value(), expected);
        QCOMPARE(rig.sent().size(), expected == start ? 0 : 2);
    }

    // Characters typed quickly spell a value in the shown units or an item,
    // taken once the typing stops; a value outside the range is dropped.
    void typeAhead()
    {
        BusPanelRig rig;
        MidiEdit edit(rig.panel, inputRangeInfo(0, 127));
        QTest::keyClicks(&edit, QStringLiteral("64"));
        QCOMPARE(edit.value(), -1);
        QTRY_COMPARE_WITH_TIMEOUT(edit.value(), 64, Waiting::EventMs);
        QCOMPARE(rig.sent().size(), 2);

        rig.clearSent();
        QTest::keyClicks(&edit, QStringLiteral("200"));
        QVERIFY(edit.isTypingAhead());
        // Waits for the typing to be taken.
        QTRY_VERIFY_WITH_TIMEOUT(!edit.isTypingAhead(), Waiting::EventMs);
        QCOMPARE(edit.value(), 64);
        QVERIFY(rig.sent().isEmpty());

        EditInfo info = inputRangeInfo(0, -1, true);
        info.param.loadItems(&rig.device, QStringLiteral("mic|line|off"), 0, -1);
        MidiEdit list(rig.panel, info);
        QTest::keyClicks(&list, QStringLiteral("li"));
        QTRY_COMPARE_WITH_TIMEOUT(list.text(), QStringLiteral("line"), Waiting::EventMs);
    }

    // Taps at 500 ms give 120 beats per minute; a tap after more than two
    // seconds blanks the value, sends nothing and starts a new measure.
    void tapTempo()
    {
        BusPanelRig rig;
        EditInfo info = inputRangeInfo(1, 300);
        info.tempo = true;
        info.param.setAddress(0x300028);
        info.param.defaultVal = 120;
        MidiEdit edit(rig.panel, info);
        qint64 now = 0;
        edit.setTapClock([&now] { return now; });
        edit.setValue(90);
        auto tapAt = [&](qint64 ms) {
            now = ms;
            return pressInput(&edit, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
        };

        QVERIFY(!tapAt(0)); // the first tap only starts the measure
        QCOMPARE(edit.value(), -1);
        QVERIFY(rig.sent().isEmpty());
        QVERIFY(!tapAt(500));
        QCOMPARE(edit.value(), 120);
        QCOMPARE(rig.sent(), QStringList({"F0 43 10 7F 00 30 00 28 00 78 F7", "F0 43 30 7F 00 30 00 28 F7"}));
        tapAt(900); // laps 500 and 400: 450 ms a beat
        QCOMPARE(edit.value(), 133);

        rig.clearSent();
        tapAt(3000);
        QCOMPARE(edit.value(), -1);
        QCOMPARE(edit.text(), QString());
        QVERIFY(rig.sent().isEmpty());
        tapAt(3600);
        QCOMPARE(edit.value(), 100);

        // Any other key starts a new measure; a double click keeps the tempo.
        pressInput(&edit, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        tapAt(4100);
        QCOMPARE(edit.value(), -1);
        edit.setValue(110);
        mouse(&edit, QEvent::MouseButtonDblClick, QPoint(40, 15), Qt::LeftButton);
        QCOMPARE(edit.value(), 110);
    }

    // Presses: the slider strip takes the value under the mouse and drags
    // it; the middle button (or left and right together) sets the default;
    // the extra buttons step; list arrows step, the rest opens the list.
    void mousePresses()
    {
        BusPanelRig rig;
        MidiEdit edit(rig.panel, inputRangeInfo(0, 127));
        edit.resize(90, 19);
        mouse(&edit, QEvent::MouseButtonPress, QPoint(3, 15), Qt::LeftButton);
        QCOMPARE(edit.value(), 0);
        mouse(&edit, QEvent::MouseMove, QPoint(86, 15), Qt::NoButton, Qt::LeftButton);
        QCOMPARE(edit.value(), 127);
        mouse(&edit, QEvent::MouseButtonRelease, QPoint(86, 15), Qt::LeftButton);
        mouse(&edit, QEvent::MouseMove, QPoint(3, 15), Qt::NoButton);
        QCOMPARE(edit.value(), 127); // the drag has ended

        mouse(&edit, QEvent::MouseButtonPress, QPoint(40, 5), Qt::MiddleButton);
        QCOMPARE(edit.value(), 64);
        edit.setValue(10);
        mouse(&edit, QEvent::MouseButtonPress, QPoint(40, 5), Qt::RightButton,
              Qt::LeftButton | Qt::RightButton);
        QCOMPARE(edit.value(), 64);
        mouse(&edit, QEvent::MouseButtonPress, QPoint(40, 5), Qt::BackButton);
        QCOMPARE(edit.value(), 63);
        mouse(&edit, QEvent::MouseButtonPress, QPoint(40, 5), Qt::ForwardButton);
        mouse(&edit, QEvent::MouseButtonPress, QPoint(40, 5), Qt::ForwardButton);
        QCOMPARE(edit.value(), 65);
        edit.setValue(10);
        mouse(&edit, QEvent::MouseButtonDblClick, QPoint(40, 5), Qt::LeftButton);
        QCOMPARE(edit.value(), 64);

        MidiEdit list(rig.panel, inputRangeInfo(0, 5, true));
        list.resize(90, 19);
        mouse(&list, QEvent::MouseButtonPress, QPoint(85, 3), Qt::LeftButton); // previous, no value
        QCOMPARE(list.value(), -1);
        mouse(&list, QEvent::MouseButtonPress, QPoint(85, 15), Qt::LeftButton); // next
        QCOMPARE(list.value(), 0);
        mouse(&list, QEvent::MouseButtonDblClick, QPoint(85, 15), Qt::LeftButton);
        QCOMPARE(list.value(), 1);
        mouse(&list, QEvent::MouseButtonPress, QPoint(85, 3), Qt::LeftButton);
        QCOMPARE(list.value(), 0);
    }

    // A press off the strip hides the pointer and drags the value with its
    // travel; the release shows it again.
    void relativeDrag()
    {
        BusPanelRig rig;
        MidiEdit edit(rig.panel, inputRangeInfo(0, 127));
        edit.resize(90, 19);
        edit.setValue(10);
        const QPoint start = edit.mapToGlobal(QPoint(40, 5));
        QCursor::setPos(start);
        if (QCursor::pos() != start)
            QSKIP("the platform cannot place the pointer");
        mouse(&edit, QEvent::MouseButtonPress, QPoint(40, 5), Qt::LeftButton);
        QVERIFY(IsMouseHidden());
        mouse(&edit, QEvent::MouseMove, QPoint(72, 5), Qt::NoButton, Qt::LeftButton);
        QCOMPARE(edit.value(), 26); // two pixels a step over 128 values
        mouse(&edit, QEvent::MouseMove, QPoint(30, 5), Qt::NoButton, Qt::LeftButton);
        QCOMPARE(edit.value(), 5);
        mouse(&edit, QEvent::MouseButtonRelease, QPoint(30, 5), Qt::LeftButton);
        QVERIFY(!IsMouseHidden());
        QCOMPARE(QCursor::pos(), start);

        // Losing the focus ends a drag too.
        mouse(&edit, QEvent::MouseButtonPress, QPoint(40, 5), Qt::LeftButton);
        QVERIFY(IsMouseHidden());
        QFocusEvent out(QEvent::FocusOut, Qt::OtherFocusReason);
        QApplication::sendEvent(&edit, &out);
        QVERIFY(!IsMouseHidden());
    }

    void wheelSteps()
    {
        BusPanelRig rig;
        MidiEdit edit(rig.panel, inputRangeInfo(0, 127));
        edit.setValue(10);
        QVERIFY(wheel(&edit, 120));
        QCOMPARE(edit.value(), 11);
        QVERIFY(wheel(&edit, 480)); // one step, whatever the size
        QCOMPARE(edit.value(), 12);
        QVERIFY(!wheel(&edit, 0));
        QCOMPARE(edit.value(), 12);

        MidiEdit list(rig.panel, inputRangeInfo(0, 127, true));
        list.setValue(10);
        wheel(&list, 120);
        QCOMPARE(list.value(), 9);
    }

    // The list opens under the control and takes the value picked; a second
    // request right after it closed is ignored.
    void dropDownAndGuard()
    {
        BusPanelRig rig;
        ScriptedPrompts prompts;
        MidiEdit list(rig.panel, inputRangeInfo(0, 5, true));
        list.resize(90, 19);
        prompts.script(ScriptedPrompts::Kind::Popup, 4);
        mouse(&list, QEvent::MouseButtonPress, QPoint(20, 5), Qt::LeftButton);
        QCOMPARE(prompts.count(ScriptedPrompts::Kind::Popup), 1);
        QCOMPARE(prompts.last(ScriptedPrompts::Kind::Popup).pos, list.mapToGlobal(QPoint(0, 19)));
        QCOMPARE(list.value(), 4);
        QCOMPARE(rig.sent().size(), 2);

        QVERIFY(list.isDropDownGuarded());
        list.dropDown();
        QVERIFY(pressInput(&list, Qt::Key_Down, Qt::AltModifier));
        QCOMPARE(prompts.count(ScriptedPrompts::Kind::Popup), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!list.isDropDownGuarded(), Waiting::EventMs);
        list.dropDown(); // closed without a choice
        QCOMPARE(prompts.count(ScriptedPrompts::Kind::Popup), 2);
        QCOMPARE(list.value(), 4);
    }

    // The in-place list editor: opens its list after the current event,
    // closes once a choice is made and is deleted; its guard's timer goes
    // with it.
    void asyncDropDownClosesEditor()
    {
        BusPanelRig rig;
        ScriptedPrompts prompts;
        QWidget cell;
        auto* editor = new MidiEdit(&cell, &rig.device, true, QStringLiteral("Category"));
        editor->setAttribute(Qt::WA_DeleteOnClose);
        editor->setItems(QStringLiteral("Piano|Organ|Strings"), 0, -1);
        int chosen = -1;
        editor->setVariable(&chosen, sizeof chosen);
        const QPointer<MidiEdit> watch(editor);
        prompts.script(ScriptedPrompts::Kind::Popup, 2);

        editor->asyncDropDown();
        QCOMPARE(prompts.count(ScriptedPrompts::Kind::Popup), 0);
        QTRY_VERIFY_WITH_TIMEOUT(watch.isNull(), Waiting::EventMs);
        QCOMPARE(chosen, 2);
        // Waits past the guard's time: nothing may touch the deleted editor.
        QVERIFY(Waiting::passTimers(MidiEdit::DropDownGuardMs * 2));
        QCOMPARE(prompts.count(ScriptedPrompts::Kind::Popup), 1);
    }
};

ORVANE_TEST_MAIN(TestMidiEditInput)
#include "tst_midieditinput.moc"
