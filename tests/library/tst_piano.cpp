// The piano keyboard model: geometry, key state, the hit test and velocity,
// and the pixels of the keyboard and of the strip keyboard.
#include "Piano.h"
#include "TestEnvironment.h"

#include <QPainter>

namespace {

const QColor Back(10, 10, 10);
const QColor White(255, 255, 224);
const QColor Black(0, 0, 0);
const QColor PressedWhite(240, 192, 128);
const QColor PressedBlack(200, 0, 200);

QImage canvas(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(Back);
    return image;
}

// A small-style keyboard (size 4, space 1) of keys 0..23 drawn at (2, 1).
QImage drawSmall(Piano& piano)
{
    piano.setColors(White, Black);
    piano.setPressedColors(PressedWhite, PressedBlack);
    QImage image = canvas(80, 22);
    QPainter p(&image);
    piano.draw(&p, QRect(2, 1, 70, 20));
    return image;
}

QList<int> keysOn(const Piano& piano)
{
    QList<int> keys;
    for (int k = 0; k < 128; ++k) {
        if (piano.isKeyOn(k))
            keys << k;
    }
    return keys;
}

} // namespace

class TestPiano : public QObject
{
    Q_OBJECT

private slots:
    void whiteKeyNumbers()
    {
        // Every white key goes to its number and back; black keys map to the
        // white key below them.
        int whites = 0;
        for (int key = 0; key < 128; ++key) {
            if (Piano::isWhite(key)) {
                QCOMPARE(Piano::keyToWhiteKey(key), whites);
                QCOMPARE(Piano::whiteKeyToKey(whites), key);
                ++whites;
            } else {
                QVERIFY(Piano::isBlack(key));
                QCOMPARE(Piano::keyToWhiteKey(key), Piano::keyToWhiteKey(key - 1));
            }
        }
        QCOMPARE(whites, 75);
        QCOMPARE(Piano::whiteKeyToKey(74), 127);
        QCOMPARE(Piano::whiteKeyToKey(75), -1);
        QCOMPARE(Piano::whiteKeyToKey(-1), -1);
        QCOMPARE(Piano::keyIndex(-3), -1);
        QVERIFY(!Piano::isWhite(128) && !Piano::isBlack(-1));
        QCOMPARE(Piano::blackKeyOffset(61), -1);
        QCOMPARE(Piano::blackKeyOffset(63), 1);
        QCOMPARE(Piano::blackKeyOffset(64), 0);
    }

    void widths()
    {
        Piano full(0, 127);
        full.setSize(9);
        QCOMPARE(full.pianoWidth(), 749);
        full.setSize(10);
        QCOMPARE(full.pianoWidth(), 824);
        QCOMPARE(full.blackWidth(), 7);
        QCOMPARE(full.whitePos(61), 385);
        QCOMPARE(Piano(60, 59).pianoWidth(), -1);
        Piano panel(24, 96); // 43 white keys at the default size 4
        QCOMPARE(panel.pianoWidth(), 43 * 5 - 1);
        QCOMPARE(panel.whitePos(24), 0);
    }

    void keyState()
    {
        Piano piano(0, 127);
        QCOMPARE(piano.keyValue(128), -1);
        QCOMPARE(piano.keyValue(-1), -1);
        piano.setKeyValue(200, 5);
        QVERIFY(keysOn(piano).isEmpty());

        piano.toggleKey(60, 90);
        QCOMPARE(piano.keyValue(60), 90);
        piano.toggleKey(60, 100); // on goes off, whatever the value
        QCOMPARE(piano.keyValue(60), 0);

        piano.selectRange(60, 64);
        QCOMPARE(keysOn(piano), (QList<int>{60, 61, 62, 63, 64}));
        QCOMPARE(piano.keyValue(62), 127);
        piano.selectRange(64, 60);
        QVERIFY(keysOn(piano).isEmpty());

        piano.setKeyValue(10, 50);
        piano.selectKey(36);
        QCOMPARE(keysOn(piano), QList<int>{36});

        piano.setKeyData(36, 2, 9);
        piano.allKeysOff();
        QVERIFY(keysOn(piano).isEmpty());
        QCOMPARE(piano.keyData(36, 2), 9); // the layers stay
        piano.resetKeyData(2);
        QCOMPARE(piano.keyData(36, 2), 0);
    }

    void hitTest_data()
    {
        // Size 10, space 1, keys 0..127 in (0, 0, 824, 34): the black-key
        // zone is rows 0..23 (34 * 0.68 = 23.12).
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<int>("key");
        QTest::newRow("low zone, C") << QPoint(5, 30) << 0;
        QTest::newRow("low zone, D left edge") << QPoint(11, 30) << 2;
        QTest::newRow("low zone under a black key") << QPoint(10, 24) << 0;
        QTest::newRow("D's left 3 pixels: C#") << QPoint(11, 5) << 1;
        QTest::newRow("D's third pixel: C#") << QPoint(13, 5) << 1;
        QTest::newRow("D's middle") << QPoint(14, 5) << 2;
        QTest::newRow("D's last middle pixel") << QPoint(17, 5) << 2;
        QTest::newRow("D's right 4 pixels: D#") << QPoint(18, 5) << 3;
        QTest::newRow("D's last pixel: D#") << QPoint(21, 5) << 3;
        QTest::newRow("E's right: no black key above") << QPoint(31, 5) << 4;
        QTest::newRow("F's left: no black key below") << QPoint(33, 5) << 5;
        QTest::newRow("top key") << QPoint(820, 30) << 127;
        // A point left of the keyboard rounded into key 0 before.
        QTest::newRow("left of the keyboard") << QPoint(-1, 30) << -1;
        QTest::newRow("far left") << QPoint(-9, 5) << -1;
        QTest::newRow("right of the keyboard") << QPoint(824, 30) << -1;
        QTest::newRow("below") << QPoint(100, 34) << -1;
        QTest::newRow("above") << QPoint(100, -1) << -1;
    }

    void hitTest()
    {
        QFETCH(QPoint, point);
        QFETCH(int, key);
        Piano piano(0, 127);
        piano.setSize(10);
        QCOMPARE(piano.hitTest(QRect(0, 0, 824, 34), point), key);
    }

    void hitTestOffsetAndPanelRange()
    {
        // A keyboard from key 24 in a shifted area: key numbers start at 24,
        // and a point past the last valid key gives no key (not one below
        // the first).
        Piano piano(24, 96);
        const QRect area(37, 3, 400, 11);
        QCOMPARE(piano.hitTest(area, QPoint(37, 12)), 24);
        QCOMPARE(piano.hitTest(area, QPoint(36, 12)), -1);
        QCOMPARE(piano.hitTest(area, QPoint(37 + 5 * 7, 12)), 36);
        // Inside the area but beyond the last key shown: the key as it is,
        // for the caller to limit.
        QCOMPARE(piano.hitTest(area, QPoint(37 + 43 * 5 + 2, 12)), 98);
        Piano high(48, 127);
        QCOMPARE(high.hitTest(QRect(0, 0, 800, 20), QPoint(700, 19)), -1);
    }

    void velocity_data()
    {
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("velocity");
        QTest::newRow("top") << 0 << 34 << 1;
        QTest::newRow("y 11") << 11 << 34 << 63;
        QTest::newRow("bottom of the black keys") << 23 << 34 << 127;
        QTest::newRow("lower") << 30 << 34 << 127;
        QTest::newRow("above the control") << -5 << 34 << 1;
        QTest::newRow("no height") << 1 << 0 << 127;
    }

    void velocity()
    {
        QFETCH(int, y);
        QFETCH(int, height);
        QFETCH(int, velocity);
        QCOMPARE(Piano(0, 127).calcVelocity(60, y, height), velocity);
    }

    void drawLargeKeys()
    {
        // The keyboard window's look: size 10, space 1, no border.
        Piano piano(0, 127);
        piano.setSize(10);
        piano.setColors(White, Black);
        QImage image = canvas(824, 34);
        {
            QPainter p(&image);
            piano.draw(&p, QRect(0, 0, 824, 34));
        }
        // Black key 61 spans x 392..398 and rows 0..22.
        QCOMPARE(image.pixelColor(392, 22), Black); // its rim
        QCOMPARE(image.pixelColor(398, 10), Black);
        QVERIFY(image.pixelColor(395, 10) != Black); // lit inside
        QCOMPARE(image.pixelColor(391, 10), White);
        QCOMPARE(image.pixelColor(399, 10), White);
        QCOMPARE(image.pixelColor(393, 23), White);
        QCOMPARE(image.pixelColor(395, 21), Black); // the foot
        // The gap between two white keys and the shadow on top.
        QCOMPARE(image.pixelColor(10, 30), Back);
        QVERIFY(image.pixelColor(5, 0) != White);
        QCOMPARE(image.pixelColor(5, 5), White);

        piano.setPressedColors(PressedWhite, PressedWhite);
        piano.setKeyValue(60, 100);
        image = canvas(824, 34);
        {
            QPainter p(&image);
            piano.draw(&p, QRect(0, 0, 824, 34));
        }
        const QColor down = image.pixelColor(390, 30);
        QVERIFY(down != White);
        QVERIFY(down.red() > down.blue()); // tinted toward the pressed colour
        QCOMPARE(image.pixelColor(401, 30), White);
    }

    void drawSmallKeysAndLayers()
    {
        Piano piano(0, 23);
        QImage image = drawSmall(piano);
        // White key n of the octave lies at 2 + 5n; black C# at 2 + 4 + (1 - 3 - 1) / 2 = 5.
        QCOMPARE(image.pixelColor(3, 18), White);
        QCOMPARE(image.pixelColor(6, 18), Back);
        QCOMPARE(image.pixelColor(5, 3), Black);
        QCOMPARE(image.pixelColor(3, 0), Back); // nothing above the area

        piano.selectKey(2);
        piano.setKeyValue(3, 127);
        image = drawSmall(piano);
        QCOMPARE(image.pixelColor(8, 18), PressedWhite);
        QCOMPARE(image.pixelColor(10, 3), PressedBlack);

        // A layer shows only while its value is above 0 and it has colours.
        piano.allKeysOff();
        piano.setKeyData(0, 1, 5);
        piano.setKeyData(2, 1, 0);
        piano.setKeyData(4, 7, 5); // no colours for layer 7
        piano.setDataColors(1, Qt::blue, Qt::red);
        piano.setKeyData(1, 1, 3);
        image = drawSmall(piano);
        QCOMPARE(image.pixelColor(3, 18), QColor(Qt::blue));
        QCOMPARE(image.pixelColor(8, 18), White);
        QCOMPARE(image.pixelColor(13, 18), White);
        QCOMPARE(image.pixelColor(5, 3), QColor(Qt::red));
        // A later layer paints over an earlier one.
        piano.setDataColors(4, Qt::green, Qt::green);
        piano.setKeyData(0, 4, 1);
        image = drawSmall(piano);
        QCOMPARE(image.pixelColor(3, 18), QColor(Qt::green));
    }

    void stripKeyboard_data()
    {
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::addColumn<QList<int>>("marked");
        auto keys = [](int a, int b) {
            QList<int> list;
            for (int k = a; k <= b; ++k)
                list << k;
            return list;
        };
        QTest::newRow("36 to 48: 13 keys") << 36 << 48 << keys(36, 48);
        QTest::newRow("wrapping 120 to 5") << 120 << 5 << (keys(0, 5) + keys(120, 127));
        QTest::newRow("reversed 100 and 20") << 100 << 20 << (keys(0, 20) + keys(100, 127));
        QTest::newRow("no low") << -1 << 20 << QList<int>{};
        QTest::newRow("no high") << 20 << -1 << QList<int>{};
    }

    void stripKeyboard()
    {
        QFETCH(int, low);
        QFETCH(int, high);
        QFETCH(QList<int>, marked);
        // The range control's keyboard: 2 pixels a key, keys 0..127 from x 31.
        QImage image = canvas(300, 8);
        {
            QPainter p(&image);
            DrawPiano(&p, QRect(31, 2, 256, 4), 2, low, high, PressedWhite, PressedBlack, 0, 127, White,
                      Black, true);
        }
        QList<int> got;
        for (int k = 0; k < 128; ++k) {
            const int x = 31 + 2 * k;
            // The bottom row is the key's own colour for white and black keys.
            if (image.pixelColor(x, 5) == PressedWhite && image.pixelColor(x + 1, 5) == PressedWhite)
                got << k;
        }
        QCOMPARE(got, marked);
        // Black keys over the upper 65 % (2 of 4 rows), the slot below it.
        const QColor blackTop = marked.contains(1) ? PressedBlack : Black;
        QCOMPARE(image.pixelColor(33, 2), blackTop);
        QCOMPARE(image.pixelColor(33, 3), blackTop);
        QCOMPARE(image.pixelColor(33, 4), marked.contains(1) ? PressedWhite : White);
        QCOMPARE(image.pixelColor(30, 4), Back);
        QCOMPARE(image.pixelColor(287, 4), Back);
    }

    void stripKeyboardEdges()
    {
        QImage image = canvas(40, 40);
        {
            QPainter p(&image);
            DrawPiano(&p, QRect(0, 0, 40, 40), 2, -1, -1, Qt::red, Qt::red, 5, 4, White, Black, true);
        }
        QCOMPARE(image.pixelColor(0, 0), Back); // first above last: nothing

        // Keys running down: key 1 is black over the left 65 % of the width.
        {
            QPainter p(&image);
            DrawPiano(&p, QRect(0, 0, 20, 40), 3, -1, -1, Qt::red, Qt::red, 0, 11, White, Black, false);
        }
        QCOMPARE(image.pixelColor(5, 1), White);
        QCOMPARE(image.pixelColor(5, 4), Black);
        QCOMPARE(image.pixelColor(12, 4), Black);
        QCOMPARE(image.pixelColor(13, 4), White);
        QCOMPARE(image.pixelColor(5, 34), White); // key 11
        QCOMPARE(image.pixelColor(5, 31), Black); // key 10
        QCOMPARE(image.pixelColor(5, 36), Back);
    }
};

ORVANE_TEST_MAIN(TestPiano)
#include "tst_piano.moc"
