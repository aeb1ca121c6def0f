// The range control: both ends set, sent, requested and received over the
// bus; the pushed end of a range whose ends never cross; learning from notes
// and typed text; keys, wheel and mouse; the bar's geometry and the marked
// keys.
#include "BusPanelRig.h"
#include "MidiMessage.h"
#include "MidiRange.h"
#include "Piano.h"
#include "Pointer.h"
#include "TestEnvironment.h"
#include "Waiting.h"

#include <QImage>
#include <QPainter>
#include <QSignalSpy>

#include <memory>

namespace {

using Reports = QList<QPair<int, int>>;

constexpr unsigned int LowAddress = 0x310007;
constexpr unsigned int HighAddress = 0x310008;

enum Look
{
    Bar,
    Classic,
    Keys
};

RangeInfo rangeInfo(int min = 0, int max = 127, bool noReverse = false)
{
    RangeInfo info;
    info.title = QStringLiteral("Key Range");
    for (ParamInfo* p : {&info.low, &info.high}) {
        p->min = min;
        p->max = max;
    }
    info.low.setAddress(LowAddress);
    info.high.setAddress(HighAddress);
    info.no_reverse = noReverse;
    return info;
}

// The (value, which) pairs the panel reported.
Reports reports(const QSignalSpy& spy)
{
    Reports list;
    for (const QList<QVariant>& args : spy)
        list.append({args.at(1).toInt(), args.at(2).toInt()});
    return list;
}

QStringList changeAndRequest(unsigned int address, int value)
{
    return {BusPanelRig::change(address, value), BusPanelRig::request(address)};
}

QImage rangePicture(MidiRange& range)
{
    QImage image(range.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    range.paint(&p, range.rect());
    return image;
}

} // namespace

class TestMidiRange : public QObject
{
    Q_OBJECT

    std::unique_ptr<BusPanelRig> rig;

    MidiRange* make(const RangeInfo& info, int low = -1, int high = -1)
    {
        auto* range = new MidiRange(rig->panel, info);
        range->setGeometry(0, 0, 108, 19);
        range->setLowValue(low);
        range->setHighValue(high);
        rig->clearSent();
        return range;
    }

private slots:
    void init() { rig = std::make_unique<BusPanelRig>(); }
    void cleanup() { rig.reset(); }

    // Only the changed end is sent (change, then request) and reported,
    // unless no_reverse pushed the other end along: then that end goes out
    // and is reported after it.
    void userChange_data()
    {
        QTest::addColumn<bool>("noReverse");
        QTest::addColumn<bool>("low");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("shownLow");
        QTest::addColumn<int>("shownHigh");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<Reports>("reported");
        QTest::newRow("crossing allowed")
            << false << true << 80 << 80 << 72 << changeAndRequest(LowAddress, 80) << Reports{{80, 0}};
        QTest::newRow("low pushes high")
            << true << true << 80 << 80 << 80
            << changeAndRequest(LowAddress, 80) + changeAndRequest(HighAddress, 80)
            << Reports{{80, 0}, {80, 1}};
        QTest::newRow("high pushes low")
            << true << false << 50 << 50 << 50
            << changeAndRequest(HighAddress, 50) + changeAndRequest(LowAddress, 50)
            << Reports{{50, 1}, {50, 0}};
        QTest::newRow("no push needed")
            << true << true << 65 << 65 << 72 << changeAndRequest(LowAddress, 65) << Reports{{65, 0}};
        QTest::newRow("clamped up") << false << true << 200 << 127 << 72 << changeAndRequest(LowAddress, 127)
                                    << Reports{{127, 0}};
        QTest::newRow("clamped down")
            << false << false << -5 << 60 << 0 << changeAndRequest(HighAddress, 0) << Reports{{0, 1}};
        QTest::newRow("unchanged") << true << true << 60 << 60 << 72 << QStringList() << Reports();
    }
    void userChange()
    {
        QFETCH(bool, noReverse);
        QFETCH(bool, low);
        QFETCH(int, value);
        QFETCH(int, shownLow);
        QFETCH(int, shownHigh);
        QFETCH(QStringList, sent);
        QFETCH(Reports, reported);

        MidiRange* range = make(rangeInfo(0, 127, noReverse), 60, 72);
        QSignalSpy spy(rig->panel, &Panel::valueChanged);
        range->changeValue(low, value);
        QCOMPARE(range->value(true), shownLow);
        QCOMPARE(range->value(false), shownHigh);
        QCOMPARE(rig->sent(), sent);
        QCOMPARE(reports(spy), reported);
    }

    // An end without a value that no_reverse fills in for the display is not
    // sent: what the instrument holds there is not known.
    void unknownEndIsNotPushedOut()
    {
        MidiRange* range = make(rangeInfo(0, 127, true));
        range->changeLowValue(40);
        QCOMPARE(range->value(false), 40);
        QCOMPARE(rig->sent(), changeAndRequest(LowAddress, 40));
    }

    // Values from the instrument are shown, never sent back or reported.
    void incoming()
    {
        MidiRange* range = make(rangeInfo(0, 127, true));
        QSignalSpy spy(rig->panel, &Panel::valueChanged);
        // A low end arriving before the high end fills it in.
        range->OnSysex(BusPanelRig::parameterChange(LowAddress, 70).get());
        QCOMPARE(range->value(false), 70);
        range->OnSysex(BusPanelRig::parameterChange(HighAddress, 60).get());
        QCOMPARE(range->value(true), 60);
        QCOMPARE(range->value(false), 60);
        QCOMPARE(range->text(), QStringLiteral("60|60"));

        // A message for neither end changes nothing and leaves the waiting.
        range->startWaiting(true);
        range->OnSysex(BusPanelRig::parameterChange(0x310009, 5).get());
        range->OnSysex(nullptr);
        QVERIFY(range->isWaiting(true));
        QCOMPARE(range->value(true), 60);
        QVERIFY(rig->sent().isEmpty());
        QCOMPARE(spy.count(), 0);
    }

    void defaultsAndRequests()
    {
        RangeInfo info = rangeInfo(1, 127);
        info.low.velocity = info.high.velocity = true;
        MidiRange* range = make(info, 20, 100);
        range->changeToDefaultValues();
        QCOMPARE(rig->sent(), changeAndRequest(LowAddress, 1) + changeAndRequest(HighAddress, 127));

        rig->clearSent();
        range->MidiReceive();
        QCOMPARE(rig->sent(),
                 (QStringList{BusPanelRig::request(LowAddress), BusPanelRig::request(HighAddress)}));

        rig->clearSent();
        range->info.no_request = true;
        range->MidiReceive();
        QVERIFY(rig->sent().isEmpty());
    }

    // A variable bound to null blanks the control and refuses values; without
    // a device a change is shown but goes nowhere.
    void variablesAndNoDevice()
    {
        MidiRange* range = make(rangeInfo(), 10, 20);
        range->setLowVariable(nullptr, 4);
        QCOMPARE(range->value(true), -1);
        QCOMPARE(range->value(false), -1);
        QVERIFY(!range->setLowValue(30));
        int high = 0;
        range->setHighVariable(&high, 4);
        range->changeHighValue(90);
        QCOMPARE(high, 90);

        Panel loose(nullptr);
        MidiRange alone(&loose, rangeInfo());
        alone.changeLowValue(5);
        QCOMPARE(alone.value(true), 5);
        alone.MidiReceive();
        QVERIFY(rig->sent() == changeAndRequest(HighAddress, 90));
    }

    void learnFromNotes()
    {
        RangeInfo keys = rangeInfo();
        keys.low.note = keys.high.note = true;
        MidiRange* range = make(keys, 40, 80);
        QSignalSpy spy(rig->panel, &Panel::valueChanged);

        range->startWaiting(true);
        range->OnMidiMessage(MidiMessage(0x90, 60, 0));  // note-on with velocity 0
        range->OnMidiMessage(MidiMessage(0x80, 61, 64)); // note-off
        QVERIFY(range->isWaiting(true));
        range->OnMidiMessage(MidiMessage(0x93, 60, 100));
        QVERIFY(!range->isWaiting(true));
        QCOMPARE(range->value(true), 60);
        QCOMPARE(rig->sent(), changeAndRequest(LowAddress, 60));
        QCOMPARE(reports(spy), (Reports{{60, 0}}));
        // Not waiting: a note changes nothing.
        range->OnMidiMessage(MidiMessage(0x90, 30, 100));
        QCOMPARE(range->value(true), 60);

        RangeInfo velocities = rangeInfo(1, 127);
        velocities.low.velocity = velocities.high.velocity = true;
        MidiRange* vrange = make(velocities, 1, 127);
        vrange->startWaiting(false);
        vrange->OnMidiMessage(MidiMessage(0x90, 60, 90));
        QCOMPARE(vrange->value(false), 90);
        QCOMPARE(vrange->value(true), 1);
    }

    void learnFromTypedText()
    {
        RangeInfo info = rangeInfo();
        info.low.note = info.high.note = true;
        MidiRange* range = make(info, 40, 80);
        QVERIFY(showAndActivate(rig->window));
        range->setFocus();

        // Not waiting: digits change nothing and pass on.
        QTest::keyClicks(range, "12");
        // Waits for any typing to be over.
        QTRY_VERIFY_WITH_TIMEOUT(!range->isTyping(), Waiting::EventMs);
        QCOMPARE(range->value(true), 40);

        QTest::keyClick(range, Qt::Key_F2);
        QTest::keyClicks(range, "200"); // outside the range: dropped
        QVERIFY(range->isTyping());
        // Waits for the typing to be taken.
        QTRY_VERIFY_WITH_TIMEOUT(!range->isTyping(), Waiting::EventMs);
        QVERIFY(range->isWaiting(true));
        QVERIFY(rig->sent().isEmpty());
        QTest::keyClicks(range, "64");
        QTRY_COMPARE_WITH_TIMEOUT(range->value(true), 64, Waiting::EventMs);
        QVERIFY(!range->isWaiting(true));
        QCOMPARE(rig->sent(), changeAndRequest(LowAddress, 64));
    }

    // F2 waits for the low end, then the high end; Escape ends the waiting
    // and passes the key on. A range of other values does not learn.
    void learningKeys()
    {
        RangeInfo info = rangeInfo(1, 127);
        info.low.velocity = info.high.velocity = true;
        MidiRange* range = make(info, 10, 20);
        QKeyEvent f2(QEvent::KeyPress, Qt::Key_F2, Qt::NoModifier);
        QApplication::sendEvent(range, &f2);
        QVERIFY(range->isWaiting(true));
        QApplication::sendEvent(range, &f2);
        QVERIFY(range->isWaiting(false) && !range->isWaiting(true));
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(range, &escape);
        QVERIFY(!range->isWaiting(false));
        QVERIFY(!escape.isAccepted());

        MidiRange* plain = make(rangeInfo(), 10, 20);
        QApplication::sendEvent(plain, &f2);
        QVERIFY(!plain->isWaiting(true));
        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(5, 5));
        QApplication::sendEvent(plain, &menu);
        QVERIFY(!plain->isWaiting(true));
        QApplication::sendEvent(range, &menu);
        QVERIFY(range->isWaiting(true));
    }

    // The text of the end waited for blinks, hidden first; the other stays.
    void blinkingEnd()
    {
        RangeInfo info = rangeInfo();
        info.low.note = info.high.note = true;
        MidiRange* range = make(info, 40, 80);
        const QImage still = rangePicture(*range);
        range->startWaiting(false);
        QVERIFY(!range->blinkOn());
        const QImage hidden = rangePicture(*range);
        const int half = range->width() / 2;
        QCOMPARE(hidden.copy(0, 0, half, 19), still.copy(0, 0, half, 19));
        QVERIFY(hidden.copy(half, 0, half, 19) != still.copy(half, 0, half, 19));
        QTRY_VERIFY_WITH_TIMEOUT(range->blinkOn(), Waiting::EventMs);
        QCOMPARE(rangePicture(*range), still);
    }

    void keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("newLow");
        QTest::addColumn<int>("newHigh");
        QTest::addColumn<bool>("accepted");
        const int none = Qt::NoModifier;
        QTest::newRow("Up") << int(Qt::Key_Up) << none << 60 << 61 << 100 << true;
        QTest::newRow("Shift+Up") << int(Qt::Key_Up) << int(Qt::ShiftModifier) << 60 << 60 << 101 << true;
        QTest::newRow("Left") << int(Qt::Key_Left) << none << 60 << 59 << 100 << true;
        QTest::newRow("Home") << int(Qt::Key_Home) << none << 60 << 127 << 100 << true;
        QTest::newRow("End") << int(Qt::Key_End) << none << 60 << 0 << 100 << true;
        QTest::newRow("PageUp from 100") << int(Qt::Key_PageUp) << none << 100 << 127 << 100 << true;
        QTest::newRow("PageDown from 100") << int(Qt::Key_PageDown) << none << 100 << 96 << 100 << true;
        QTest::newRow("PageDown from 96") << int(Qt::Key_PageDown) << none << 96 << 64 << 100 << true;
        QTest::newRow("PageUp at max") << int(Qt::Key_PageUp) << none << 127 << 127 << 100 << false;
        QTest::newRow("PageDown at min") << int(Qt::Key_PageDown) << none << 0 << 0 << 100 << false;
        QTest::newRow("Ctrl+Up") << int(Qt::Key_Up) << int(Qt::ControlModifier) << 60 << 60 << 100 << false;
        QTest::newRow("other key") << int(Qt::Key_A) << none << 60 << 60 << 100 << false;
        QTest::newRow("no value yet") << int(Qt::Key_Down) << none << -1 << 0 << 100 << true;
    }
    void keys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, low);
        QFETCH(int, newLow);
        QFETCH(int, newHigh);
        QFETCH(bool, accepted);
        MidiRange* range = make(rangeInfo(), low, 100);
        QKeyEvent event(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers));
        QApplication::sendEvent(range, &event);
        QCOMPARE(range->value(true), newLow);
        QCOMPARE(range->value(false), newHigh);
        QCOMPARE(event.isAccepted(), accepted);
    }

    void wheelAndDoubleClick()
    {
        MidiRange* range = make(rangeInfo(), 60, 100);
        QVERIFY(showAndActivate(rig->window));
        QWheelEvent wheel(QPointF(5, 5), range->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 240),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(range, &wheel);
        QCOMPARE(range->value(true), 61);
        QVERIFY(range->hasFocus());

        rig->clearSent();
        QTest::mouseDClick(range, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        QCOMPARE(range->value(true), 0);
        QCOMPARE(range->value(false), 127);
        QCOMPARE(rig->sent().mid(rig->sent().size() - 4),
                 changeAndRequest(LowAddress, 0) + changeAndRequest(HighAddress, 127));
    }

    // A press on the bar sets the low end, the drag the high end.
    void dragOnTheBar()
    {
        MidiRange* range = make(rangeInfo(), 60, 100);
        QVERIFY(showAndActivate(rig->window));
        const QRect bar = range->sliderRect(); // x 30..77
        QTest::mousePress(range, Qt::LeftButton, Qt::NoModifier, QPoint(bar.left(), 10));
        QCOMPARE(range->value(true), 0);
        QCOMPARE(range->dragMode(), int(MidiRange::DragSlider));
        QTest::mouseMove(range, QPoint(bar.right(), 10));
        QCOMPARE(range->value(false), 127);
        QTest::mouseRelease(range, Qt::LeftButton, Qt::NoModifier, QPoint(bar.right(), 10));
        QCOMPARE(range->dragMode(), int(MidiRange::NoDrag));
        QCOMPARE(range->value(true), 0);
        QCOMPARE(range->value(false), 127);
    }

    // Beside the bar a relative drag of the half's end: the pointer hides
    // and comes back where the drag began.
    void relativeDrag()
    {
        MidiRange* range = make(rangeInfo(), 60, 100);
        QVERIFY(showAndActivate(rig->window));
        const QPoint press(2, 2);
        MoveMouse(range->mapToGlobal(press));
        QTest::mousePress(range, Qt::LeftButton, Qt::NoModifier, press);
        QCOMPARE(range->dragMode(), int(MidiRange::DragLow));
        QVERIFY(IsMouseHidden());
        MoveMouse(range->mapToGlobal(press) + QPoint(10, 0));
        QTest::mouseMove(range, press + QPoint(10, 0));
        QCOMPARE(range->value(true), 65);
        QTest::mouseRelease(range, Qt::LeftButton, Qt::NoModifier, press + QPoint(10, 0));
        QVERIFY(!IsMouseHidden());
        QCOMPARE(QCursor::pos(), range->mapToGlobal(press));
        QCOMPARE(range->value(false), 100);
    }

    void sliderRect_data()
    {
        QTest::addColumn<int>("look");
        QTest::addColumn<int>("space");
        QTest::addColumn<int>("width");
        QTest::addColumn<QRect>("rect");
        QTest::newRow("space 23") << int(Bar) << 23 << 108 << QRect(QPoint(24, 5), QPoint(83, 13));
        QTest::newRow("space 0") << int(Bar) << 0 << 108 << QRect(QPoint(30, 5), QPoint(77, 13));
        QTest::newRow("classic") << int(Classic) << 0 << 91 << QRect(QPoint(3, 13), QPoint(87, 15));
        QTest::newRow("keys") << int(Keys) << 0 << 318 << QRect(QPoint(31, 4), QPoint(286, 14));
    }
    void sliderRect()
    {
        QFETCH(int, look);
        QFETCH(int, space);
        QFETCH(int, width);
        QFETCH(QRect, rect);
        RangeInfo info = rangeInfo();
        info.space = space;
        info.classic = look == Classic;
        info.piano = look == Keys;
        MidiRange* range = make(info);
        range->resize(width, 19);
        QCOMPARE(range->sliderRect(), rect);
    }

    void markedKeys_data()
    {
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::addColumn<QList<int>>("marked");
        QList<int> octave;
        for (int k = 36; k <= 48; ++k)
            octave << k;
        QList<int> outside;
        for (int k = 0; k <= 127; ++k) {
            if (k <= 20 || k >= 100)
                outside << k;
        }
        QTest::newRow("36..48") << 36 << 48 << octave;
        QTest::newRow("reversed 100/20") << 100 << 20 << outside;
        QTest::newRow("no high end") << 36 << -1 << QList<int>();
    }
    void markedKeys()
    {
        QFETCH(int, low);
        QFETCH(int, high);
        QFETCH(QList<int>, marked);
        RangeInfo info = rangeInfo();
        info.piano = true;
        MidiRange* range = make(info, low, high);
        range->resize(318, 19);
        const QImage image = rangePicture(*range);
        QList<int> found;
        // The bottom row of the keys: black keys show their lower part there.
        for (int k = 0; k <= 127; ++k) {
            if (image.pixelColor(31 + 2 * k, 14) == QColor(255, 255, 224))
                found << k;
        }
        QCOMPARE(found, marked);
    }
};

ORVANE_TEST_MAIN(TestMidiRange)
#include "tst_midirange.moc"
