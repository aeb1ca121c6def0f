// The drawing functions of the controls, checked by the pixels they leave in
// an image: where bars, spots, marks and boxes fall, what they leave alone.
#include "Colors.h"
#include "Drawing.h"
#include "TestEnvironment.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>

namespace {

const QColor Paper(250, 250, 250);
const QColor Ink(200, 0, 0);

QImage paper(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(Paper);
    return image;
}

// The columns of row y that are no longer paper.
QList<int> inkedColumns(const QImage& image, int y)
{
    QList<int> xs;
    for (int x = 0; x < image.width(); ++x) {
        if (image.pixelColor(x, y) != Paper)
            xs << x;
    }
    return xs;
}

QList<int> range(int from, int to)
{
    QList<int> xs;
    for (int x = from; x <= to; ++x)
        xs << x;
    return xs;
}

bool inkOutside(const QImage& image, const QRect& r)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (!r.contains(x, y) && image.pixelColor(x, y) != Paper)
                return true;
        }
    }
    return false;
}

} // namespace

class TestDrawing : public QObject
{
    Q_OBJECT

private slots:
    void box()
    {
        const QColor sel(0, 0, 255), border(90, 90, 90), panel(160, 160, 160), controls(255, 255, 255);
        QImage image = paper(20, 12);
        {
            QPainter p(&image);
            DrawBox(&p, QRect(2, 2, 10, 8), true, false, true, sel, border, panel, controls);
        }
        QCOMPARE(image.pixelColor(2, 2), panel); // rounded corner
        QCOMPARE(image.pixelColor(5, 2), sel);   // focus frame, two pixels
        QCOMPARE(image.pixelColor(5, 3), sel);
        QCOMPARE(image.pixelColor(6, 6), controls);
        QCOMPARE(image.pixelColor(1, 1), Paper); // nothing outside

        image = paper(20, 12);
        {
            QPainter p(&image);
            DrawBox(&p, QRect(2, 2, 10, 8), false, false, false, sel, border, panel, controls);
        }
        QCOMPARE(image.pixelColor(5, 2), MergeColors(border, panel, 0.5));
        QCOMPARE(image.pixelColor(6, 6), MergeColors(controls, panel, 0.5));
    }

    void slider_data()
    {
        QTest::addColumn<int>("v");
        QTest::addColumn<bool>("reversed");
        QTest::addColumn<QList<int>>("columns");
        // A strip of 10 pixels from x 3 on the scale 0..10.
        QTest::newRow("low end: no bar") << 0 << false << QList<int>{};
        QTest::newRow("half") << 5 << false << range(3, 7);
        QTest::newRow("full") << 10 << false << range(3, 12);
        QTest::newRow("beyond the scale stays in the strip") << 99 << false << range(3, 12);
        QTest::newRow("reversed grows from the right") << 3 << true << range(10, 12);
    }

    void slider()
    {
        QFETCH(int, v);
        QFETCH(bool, reversed);
        QFETCH(QList<int>, columns);
        QImage image = paper(16, 4);
        {
            QPainter p(&image);
            DrawSlider(&p, QRect(3, 1, 10, 2), Ink, Ink, 0, 10, v, reversed);
        }
        QCOMPARE(inkedColumns(image, 1), columns);
        QCOMPARE(inkedColumns(image, 2), columns);
        QVERIFY(inkedColumns(image, 0).isEmpty());
    }

    void spot_data()
    {
        QTest::addColumn<int>("v");
        QTest::addColumn<QList<int>>("columns");
        // 11 pixels from x 2 on the scale 0..10: value v sits at x 2 + v.
        QTest::newRow("middle") << 5 << QList<int>{6, 7};
        QTest::newRow("kept inside at the low end") << 0 << QList<int>{2, 3};
        QTest::newRow("kept inside at the high end") << 10 << QList<int>{11, 12};
        QTest::newRow("outside the scale: none") << 11 << QList<int>{};
        QTest::newRow("no value: none") << -1 << QList<int>{};
    }

    void spot()
    {
        QFETCH(int, v);
        QFETCH(QList<int>, columns);
        QImage image = paper(16, 3);
        {
            QPainter p(&image);
            DrawSpot(&p, QRect(2, 0, 11, 3), Ink, 0, 10, v, 2);
        }
        QCOMPARE(inkedColumns(image, 1), columns);
    }

    void rangeBar_data()
    {
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::addColumn<QList<int>>("filled");
        // 11 pixels on the scale 0..10, no dots (colour invalid).
        QTest::newRow("span") << 2 << 5 << range(2, 5);
        QTest::newRow("wraps around") << 8 << 1 << (range(0, 1) + range(8, 10));
        QTest::newRow("no low") << -1 << 5 << QList<int>{};
        QTest::newRow("no high") << 3 << -1 << QList<int>{};
    }

    void rangeBar()
    {
        QFETCH(int, low);
        QFETCH(int, high);
        QFETCH(QList<int>, filled);
        QImage image = paper(11, 3);
        {
            QPainter p(&image);
            DottedFill(&p, QRect(0, 0, 11, 3), QColor(), Ink, 0, 10, low, high, 1, 0);
        }
        QCOMPARE(inkedColumns(image, 0), filled);

        // The dotted background: every other pixel of the middle row.
        image = paper(11, 3);
        {
            QPainter p(&image);
            DottedFill(&p, QRect(0, 0, 11, 3), Ink, QColor(), 0, 10, -1, -1, 1, 1);
        }
        QCOMPARE(inkedColumns(image, 1), (QList<int>{0, 2, 4, 6, 8, 10}));
        QVERIFY(inkedColumns(image, 0).isEmpty());
    }

    void arrows()
    {
        QImage image = paper(9, 10);
        {
            QPainter p(&image);
            DrawArrow(&p, QPoint(4, 1), Ink, false); // up: the tip on top
            DrawArrow(&p, QPoint(4, 8), Ink, true);  // down: the tip at the bottom
        }
        QCOMPARE(inkedColumns(image, 1), QList<int>{4});
        QCOMPARE(inkedColumns(image, 4), range(1, 7));
        QCOMPARE(inkedColumns(image, 8), QList<int>{4});
        QCOMPARE(inkedColumns(image, 5), range(1, 7));
        QVERIFY(inkedColumns(image, 0).isEmpty());
        QVERIFY(inkedColumns(image, 9).isEmpty());
    }

    void checkAndCirclesStayInside()
    {
        QImage image = paper(30, 30);
        {
            QPainter p(&image);
            DrawCheck(&p, QRect(3, 3, 14, 14), Ink, 2);
            DrawNiceCircle(&p, QRect(20, 20, 6, 6), Ink, Qt::black);
        }
        QVERIFY(!inkOutside(image, QRect(3, 3, 14, 14).united(QRect(20, 20, 7, 7))));
        QVERIFY(image.pixelColor(10, 10) != Paper || image.pixelColor(9, 13) != Paper);
        QCOMPARE(image.pixelColor(23, 23), Ink);
    }

    void splitRect_data()
    {
        QTest::addColumn<int>("w");
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<QRect>("first");
        QTest::addColumn<QRect>("second");
        const QRect r(3, 1, 102, 14);
        QTest::newRow("halves side by side") << 51 << false << QRect(3, 1, 51, 14) << QRect(54, 1, 51, 14);
        QTest::newRow("top and bottom") << 4 << true << QRect(3, 1, 102, 4) << QRect(3, 5, 102, 10);
        QTest::newRow("too wide") << 500 << false << r << QRect(105, 1, 0, 14);
        QTest::newRow("negative") << -3 << false << QRect(3, 1, 0, 14) << r;
    }

    void splitRect()
    {
        QFETCH(int, w);
        QFETCH(bool, vertical);
        QFETCH(QRect, first);
        QFETCH(QRect, second);
        QRect a, b;
        SplitRect(QRect(3, 1, 102, 14), w, vertical, a, b);
        QCOMPARE(a, first);
        QCOMPARE(b, second);
    }

    void textsStayInTheirRectangle()
    {
        const QRect r(10, 2, 30, 14);
        for (int kind = 0; kind < 3; ++kind) {
            QImage image = paper(80, 20);
            {
                QPainter p(&image);
                p.setPen(Qt::black);
                const QString text = QStringLiteral("A name much too long");
                if (kind == 0)
                    DrawText(&p, r, text, false, 0);
                else if (kind == 1)
                    DrawTextR(&p, r, text, 0);
                else
                    DrawEtchedText(&p, r, text, Ink, true, 0);
            }
            QVERIFY2(!inkOutside(image, r), qPrintable(QString::number(kind)));
            QVERIFY(!inkedColumns(image, 9).isEmpty() || !inkedColumns(image, 10).isEmpty());
        }

        // Left and right alignment put a short text at the two sides.
        QImage left = paper(80, 20), right = paper(80, 20);
        {
            QPainter p(&left);
            p.setPen(Qt::black);
            DrawText(&p, QRect(0, 0, 80, 20), QStringLiteral("64"), false, 0);
            QPainter q(&right);
            q.setPen(Qt::black);
            DrawTextR(&q, QRect(0, 0, 80, 20), QStringLiteral("64"), 0);
        }
        auto columns = [](const QImage& image) {
            QList<int> xs;
            for (int y = 0; y < image.height(); ++y)
                xs += inkedColumns(image, y);
            std::sort(xs.begin(), xs.end());
            return xs;
        };
        QVERIFY(columns(left).first() < 10);
        QVERIFY(columns(right).last() > 69);
    }

    void fontsAndMnemonics()
    {
        QFont f(QStringLiteral("Sans"), 11);
        const QFont bold = GetFont(f, 0, true);
        QCOMPARE(bold.weight(), QFont::Bold);
        QCOMPARE(bold.pointSize(), 11);
        QCOMPARE(GetFont(f, 2, false).pointSize(), 13);
        QCOMPARE(GetFont(f, -40, false).pointSize(), 1);

        QLabel label(QStringLiteral("&Volume"));
        QCOMPARE(GetMnemonic(&label), 0);
        QLineEdit buddy;
        label.setBuddy(&buddy);
        QCOMPARE(GetMnemonic(&label), int(Qt::TextShowMnemonic));
        QCOMPARE(GetMnemonic(nullptr), 0);
    }

    void pictureStrip()
    {
        // Five pictures of 4 x 3 pixels: picture i has i + 1 black columns on white.
        QImage strip(20, 3, QImage::Format_ARGB32);
        strip.fill(Qt::white);
        for (int i = 0; i < 5; ++i) {
            for (int x = 0; x <= i && x < 4; ++x) {
                for (int y = 0; y < 3; ++y)
                    strip.setPixelColor(i * 4 + x, y, Qt::black);
            }
        }
        const QIcon icon(QPixmap::fromImage(strip));
        const QPixmap second = Icon2Pixmap(icon, 1, 5);
        QCOMPARE(second.size(), QSize(4, 3));
        QVERIFY(Icon2Pixmap(icon, 5, 5).isNull());
        QVERIFY(Icon2Pixmap(icon, -1, 5).isNull());
        QVERIFY(Icon2Pixmap(QIcon(), 0, 5).isNull());
        QVERIFY(Icon2Pixmap(icon, 0, 0).isNull());

        // White stays clear, black takes the colour; the width is returned.
        QImage image = paper(12, 7);
        {
            QPainter p(&image);
            QCOMPARE(DrawAlteredPixmap(&p, QRect(2, 0, 10, 7), second, Qt::white, Ink), 4);
            QCOMPARE(DrawAlteredPixmap(&p, QRect(2, 0, 10, 7), QPixmap(), Qt::white, Ink), 0);
        }
        QCOMPARE(inkedColumns(image, 3), (QList<int>{2, 3})); // centred: rows 2..4
        QCOMPARE(image.pixelColor(2, 3), Ink);
        QVERIFY(inkedColumns(image, 1).isEmpty());
    }
};

ORVANE_TEST_MAIN(TestDrawing)
#include "tst_drawing.moc"
