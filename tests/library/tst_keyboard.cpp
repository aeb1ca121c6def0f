// The clickable keyboard control, and the "Keyboard" window playing notes on
// the instrument over the virtual bus from the mouse and the computer keys.
#include "KeyboardDlg.h"
#include "MidiMessage.h"
#include "PianoCtrl.h"
#include "Profile.h"
#include "TestBus.h"
#include "TestEnvironment.h"
#include "TestInstrument.h"
#include "VirtualMidiBus.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QMouseEvent>
#include <QSettings>
#include <QSignalSpy>

#include <memory>

namespace {

// Sends a mouse event with the modifiers held, which QTest's moves lack.
void mouse(QWidget* w, QEvent::Type type, const QPoint& pos, Qt::KeyboardModifiers mods = Qt::NoModifier,
           Qt::MouseButton button = Qt::LeftButton)
{
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, pos, w->mapToGlobal(pos), type == QEvent::MouseMove ? Qt::NoButton : button, held,
                      mods);
    QApplication::sendEvent(w, &event);
}

void key(QWidget* w, QEvent::Type type, Qt::Key k, bool autoRepeat = false)
{
    QKeyEvent event(type, k, Qt::NoModifier, QString(), autoRepeat);
    QApplication::sendEvent(w, &event);
}

// The keyboard window's control: keys 0..127 of 10 pixels, 824 x 34.
struct BigKeys
{
    BigKeys()
    {
        ctrl.piano.setSize(10);
        ctrl.resize(ctrl.calculatedWidth(), 34);
    }
    // Where key (a white key) is, at height y.
    QPoint at(int whiteKey, int y = 30) const { return QPoint(ctrl.piano.whitePos(whiteKey) + 5, y); }

    PianoCtrl ctrl;
};

// The values of the keys each keyPressed signal reported, read when it came.
struct KeyLog
{
    explicit KeyLog(PianoCtrl& ctrl)
    {
        QObject::connect(&ctrl, &PianoCtrl::keyPressed,
                         [this, &ctrl](int k) { entries << qMakePair(k, ctrl.piano.keyValue(k)); });
    }
    QList<QPair<int, int>> entries;
};

QStringList hexList(const QList<QByteArray>& packets)
{
    QStringList list;
    for (const QByteArray& p : packets)
        list << QString::fromLatin1(p.toHex(' ').toUpper());
    return list;
}

// A device on the test instrument (channel 3) and a keyboard window on it.
struct Rig
{
    explicit Rig(VirtualMidiBus& bus) : bus(bus), instrument(bus)
    {
        device.attach(instrument);
        device.setChannel(3);
        bus.clearSent();
    }
    QStringList sent()
    {
        bus.waitIdle();
        QStringList list = hexList(bus.sentPackets(instrument.destination()));
        bus.clearSent();
        return list;
    }

    VirtualMidiBus& bus;
    TestInstrument instrument;
    BusDevice device;
    KeyboardDlg dialog{nullptr, &device};
};

} // namespace

class TestKeyboard : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;

private slots:
    void initTestCase()
    {
        bus = testBus();
        QVERIFY2(bus, "the tests run on the virtual MIDI bus (ORVANE_MIDI_BACKEND=virtual)");
    }

    void init() { resetBusAndPorts(); }

    void pressOutsideTheKeys()
    {
        PianoCtrl ctrl;
        ctrl.piano.setSize(10);
        ctrl.setBorder(3);
        QCOMPARE(ctrl.calculatedWidth(), ctrl.piano.pianoWidth() + 6);
        ctrl.resize(ctrl.calculatedWidth(), 40);
        KeyLog log(ctrl);
        for (const QPoint& p : {QPoint(1, 30), QPoint(100, 1), QPoint(ctrl.width() - 2, 30)}) {
            mouse(&ctrl, QEvent::MouseButtonPress, p);
            mouse(&ctrl, QEvent::MouseButtonRelease, p);
        }
        QVERIFY(log.entries.isEmpty());
        QCOMPARE(ctrl.currentKey(), -1);
        // Just inside the border is the first key.
        mouse(&ctrl, QEvent::MouseButtonPress, QPoint(3, 30));
        QCOMPARE(log.entries.size(), 1);
        QCOMPARE(log.entries[0].first, 0);
    }

    void velocityFromHeight()
    {
        BigKeys keys;
        KeyLog log(keys.ctrl);
        mouse(&keys.ctrl, QEvent::MouseButtonPress, keys.at(60, 0));
        mouse(&keys.ctrl, QEvent::MouseButtonRelease, keys.at(60, 0));
        mouse(&keys.ctrl, QEvent::MouseButtonPress, keys.at(64, 23), Qt::NoModifier, Qt::RightButton);
        mouse(&keys.ctrl, QEvent::MouseButtonRelease, keys.at(64, 23), Qt::NoModifier, Qt::RightButton);
        QCOMPARE(log.entries, (QList<QPair<int, int>>{{60, 1}, {60, 0}, {64, 127}, {64, 0}}));
    }

    void dragGlidesFromKeyToKey()
    {
        BigKeys keys;
        KeyLog log(keys.ctrl);
        mouse(&keys.ctrl, QEvent::MouseButtonPress, keys.at(60));
        mouse(&keys.ctrl, QEvent::MouseMove, keys.at(60, 31)); // same key: nothing
        mouse(&keys.ctrl, QEvent::MouseMove, keys.at(62));
        mouse(&keys.ctrl, QEvent::MouseMove, keys.at(64));
        mouse(&keys.ctrl, QEvent::MouseMove, QPoint(400, 50)); // off the keys: 64 goes up
        mouse(&keys.ctrl, QEvent::MouseMove, QPoint(400, 60)); // and again
        mouse(&keys.ctrl, QEvent::MouseButtonRelease, QPoint(400, 60));
        QCOMPARE(log.entries,
                 (QList<QPair<int, int>>{
                     {60, 127}, {60, 0}, {62, 127}, {62, 0}, {64, 127}, {64, 0}, {64, 0}, {64, 0}}));
        for (int k = 0; k < 128; ++k)
            QVERIFY(!keys.ctrl.piano.isKeyOn(k));
        QCOMPARE(keys.ctrl.currentKey(), -1);
        // Without a press, moves do nothing.
        mouse(&keys.ctrl, QEvent::MouseMove, keys.at(60));
        QCOMPARE(log.entries.size(), 8);
    }

    void modifiersLatch()
    {
        BigKeys keys;
        KeyLog log(keys.ctrl);
        mouse(&keys.ctrl, QEvent::MouseButtonPress, keys.at(60), Qt::ShiftModifier);
        mouse(&keys.ctrl, QEvent::MouseMove, keys.at(62), Qt::ControlModifier);
        mouse(&keys.ctrl, QEvent::MouseButtonRelease, keys.at(62), Qt::AltModifier);
        QVERIFY(keys.ctrl.piano.isKeyOn(60));
        QVERIFY(keys.ctrl.piano.isKeyOn(62));
        // A latched key goes up at the next press on it.
        mouse(&keys.ctrl, QEvent::MouseButtonPress, keys.at(60), Qt::ShiftModifier);
        QVERIFY(!keys.ctrl.piano.isKeyOn(60));
        mouse(&keys.ctrl, QEvent::MouseButtonRelease, keys.at(60), Qt::ShiftModifier);
        QCOMPARE(log.entries, (QList<QPair<int, int>>{{60, 127}, {62, 127}, {60, 0}}));

        // Without multiple selection the modifiers change nothing.
        keys.ctrl.piano.allKeysOff();
        keys.ctrl.setMultiSelect(false);
        mouse(&keys.ctrl, QEvent::MouseButtonPress, keys.at(60), Qt::ShiftModifier);
        mouse(&keys.ctrl, QEvent::MouseMove, keys.at(62), Qt::ShiftModifier);
        mouse(&keys.ctrl, QEvent::MouseButtonRelease, keys.at(62), Qt::ShiftModifier);
        for (int k = 0; k < 128; ++k)
            QVERIFY(!keys.ctrl.piano.isKeyOn(k));
    }

    void paintsBackgroundAndKeys()
    {
        PianoCtrl ctrl;
        ctrl.setBorder(2);
        ctrl.setBkColor(QColor(170, 165, 160));
        ctrl.resize(ctrl.calculatedWidth(), 30);
        const QImage image = ctrl.grab().toImage();
        QCOMPARE(image.pixelColor(0, 15), QColor(170, 165, 160));
        QCOMPARE(image.pixelColor(3, 27), QColor(255, 255, 224)); // key 0
    }

    void keyToNote()
    {
        QCOMPARE(KeyToNote(Qt::Key_Z), 36);
        QCOMPARE(KeyToNote(Qt::Key_Slash), 52);
        QCOMPARE(KeyToNote(Qt::Key_Q), 53);
        QCOMPARE(KeyToNote(Qt::Key_T), 60);
        QCOMPARE(KeyToNote(Qt::Key_BracketRight), 72);
        QCOMPARE(KeyToNote(Qt::Key_F), -1);
        QCOMPARE(KeyToNote(Qt::Key_1), -1);
    }

    void windowShape()
    {
        Rig rig(*bus);
        QCOMPARE(rig.dialog.windowTitle(), QStringLiteral("Keyboard"));
        QCOMPARE(rig.dialog.size(), QSize(824, 34));
        QCOMPARE(rig.dialog.pianoCtrl()->geometry(), QRect(0, 0, 824, 34));
        QCOMPARE(rig.dialog.channel(), -1);
        QVERIFY(rig.dialog.pianoCtrl()->focusPolicy() == Qt::NoFocus);
    }

    void computerKeysPlay()
    {
        Rig rig(*bus);
        key(&rig.dialog, QEvent::KeyPress, Qt::Key_Z);
        key(&rig.dialog, QEvent::KeyPress, Qt::Key_Z, true); // held: repeats send nothing
        key(&rig.dialog, QEvent::KeyRelease, Qt::Key_Z, true);
        QVERIFY(rig.dialog.pianoCtrl()->piano.isKeyOn(36));
        key(&rig.dialog, QEvent::KeyRelease, Qt::Key_Z);
        key(&rig.dialog, QEvent::KeyPress, Qt::Key_F);
        key(&rig.dialog, QEvent::KeyRelease, Qt::Key_F);
        QCOMPARE(rig.sent(), (QStringList{"93 24 64", "83 24 00"}));

        // A key already down (shown from the instrument) goes up at the press.
        rig.dialog.pianoCtrl()->piano.setKeyValue(36, 90);
        key(&rig.dialog, QEvent::KeyPress, Qt::Key_Z);
        key(&rig.dialog, QEvent::KeyRelease, Qt::Key_Z);
        QCOMPARE(rig.sent(), (QStringList{"83 24 00", "83 24 00"}));
    }

    void escapeDoesNotClose()
    {
        Rig rig(*bus);
        rig.dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.dialog));
        QTest::keyClick(&rig.dialog, Qt::Key_Escape);
        QTest::keyClick(&rig.dialog, Qt::Key_Return);
        QVERIFY(rig.dialog.isVisible());
    }

    void notesFromTheInstrument()
    {
        Rig rig(*bus);
        rig.dialog.onMidiMessage(MidiMessage(0x90, 60, 90));
        QCOMPARE(rig.dialog.pianoCtrl()->piano.keyValue(60), 90);
        rig.dialog.onMidiMessage(MidiMessage(0xB0, 7, 100));
        QVERIFY(rig.sent().isEmpty());
        rig.dialog.onMidiMessage(MidiMessage(0x90, 60, 0));
        QCOMPARE(rig.dialog.pianoCtrl()->piano.keyValue(60), 0);
        QCOMPARE(rig.sent(), QStringList{"83 3C 00"});
        rig.dialog.setChannel(7);
        rig.dialog.onMidiMessage(MidiMessage(0x91, 61, 50));
        rig.dialog.onMidiMessage(MidiMessage(0x81, 61, 64));
        QCOMPARE(rig.sent(), QStringList{"87 3D 00"});
    }

    void allKeysOff()
    {
        Rig rig(*bus);
        QStringList all;
        for (int ch = 0; ch < 16; ++ch)
            all << QStringLiteral("B%1 7B 00").arg(ch, 0, 16).toUpper()
                << QStringLiteral("B%1 78 00").arg(ch, 0, 16).toUpper();
        rig.dialog.pianoCtrl()->piano.setKeyValue(40, 100);
        rig.dialog.allKeysOff();
        QCOMPARE(rig.sent(), all);
        QVERIFY(!rig.dialog.pianoCtrl()->piano.isKeyOn(40));
        rig.dialog.setChannel(3);
        rig.dialog.allKeysOff();
        QCOMPARE(rig.sent(), (QStringList{"B3 7B 00", "B3 78 00"}));
    }

    void mouseOnAChannel()
    {
        Rig rig(*bus);
        rig.dialog.setChannel(5);
        PianoCtrl* ctrl = rig.dialog.pianoCtrl();
        const QPoint key64(ctrl->piano.whitePos(64) + 5, 17);
        QTest::mousePress(ctrl, Qt::LeftButton, {}, key64);
        QTest::mouseRelease(ctrl, Qt::LeftButton, {}, key64);
        // 17 * 127 / (34 * 0.68 - 1) = 97.6
        QCOMPARE(rig.sent(), (QStringList{"95 40 61", "85 40 00"}));
    }

    void positionIsKept()
    {
        // The windows of the tests before stored their positions.
        Profile::settings()->remove(QStringLiteral("Windows"));
        QWidget parent;
        parent.setGeometry(50, 60, 300, 200);
        auto first = std::make_unique<KeyboardDlg>(&parent, nullptr);
        // Nothing saved yet: just below the parent.
        QCOMPARE(first->pos(), QPoint(50, 60 + 200 - 1 + 16));
        first->move(70, 400);
        first->close();
        QCOMPARE(Profile::readProfileString(QStringLiteral("Windows"), QStringLiteral("Keyboard")),
                 QStringLiteral("70,400"));
        first->move(90, 90);
        first.reset(); // saved again as it goes

        KeyboardDlg second(&parent, nullptr);
        QCOMPARE(second.pos(), QPoint(90, 90));
        // Without a device, playing sends nothing and breaks nothing.
        key(&second, QEvent::KeyPress, Qt::Key_T);
        QVERIFY(second.pianoCtrl()->piano.isKeyOn(60));
        second.allKeysOff();
        QVERIFY(!second.pianoCtrl()->piano.isKeyOn(60));
    }

    // Below a window that reaches the foot of the screen there is no room:
    // the keyboard opens on the screen, as low as it fits, and so does one
    // whose saved place lies past the screen's right edge: moved in by as
    // little as it must (a keyboard wider than the screen keeps its left
    // edge in view).
    void opensOnScreen()
    {
        Profile::settings()->remove(QStringLiteral("Windows"));
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        const auto inside = [&](int x, int width) { return qMax(area.left(), qMin(x, area.right() + 1 - width)); };
        QWidget parent;
        parent.setGeometry(40, area.bottom() - 120, 300, 100);
        KeyboardDlg low(&parent, nullptr);
        low.show();
        QVERIFY(QTest::qWaitForWindowExposed(&low));
        QRect frame = low.frameGeometry();
        QCOMPARE(frame.bottom(), area.bottom());
        QCOMPARE(frame.left(), inside(40, frame.width()));
        low.move(area.right() - 20, 30);
        low.close();

        KeyboardDlg saved(&parent, nullptr);
        saved.show();
        QVERIFY(QTest::qWaitForWindowExposed(&saved));
        frame = saved.frameGeometry();
        QCOMPARE(frame.top(), 30);
        QCOMPARE(frame.left(), inside(area.right() - 20, frame.width()));
    }
};

ORVANE_TEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
