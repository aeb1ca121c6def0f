#include "Application.h"
#include "Colors.h"
#include "MetalImage.h"
#include "TestEnvironment.h"
#include "VarArgs.h"

#include <QPainter>

namespace {

QImage filled(int w, int h, const QColor& c)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(c);
    return image;
}

QColor at(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y);
}

} // namespace

class TestColors : public QObject
{
    Q_OBJECT

private slots:
    void colorWords_data()
    {
        QTest::addColumn<uint>("word");
        QTest::addColumn<QColor>("color");
        // Red sits in the low byte of the instruments' colour words.
        QTest::newRow("red") << 0x0000FFu << QColor(255, 0, 0);
        QTest::newRow("blue") << 0xFF0000u << QColor(0, 0, 255);
        QTest::newRow("mixed") << 0x3E4A56u << QColor(0x56, 0x4A, 0x3E);
        QTest::newRow("black") << 0u << QColor(0, 0, 0);
    }

    void colorWords()
    {
        QFETCH(uint, word);
        QFETCH(QColor, color);
        QCOMPARE(colorref2qrgb(word), color.rgb());
        QCOMPARE(qrgb2colorref(color.rgb()), word);
        // The top byte of a word and the alpha of a colour are not part of the other form.
        QCOMPARE(colorref2qrgb(word | 0x7F000000u), color.rgb());
        QCOMPARE(qAlpha(colorref2qrgb(word)), 255);
        QCOMPARE(qrgb2colorref(qRgba(color.red(), color.green(), color.blue(), 0x40)), word);
    }

    void mergeColors_data()
    {
        QTest::addColumn<double>("f");
        QTest::addColumn<QColor>("expected");
        const QColor a(200, 100, 0, 255);
        const QColor b(0, 100, 200, 55);
        QTest::newRow("f=0 gives the first") << 0.0 << a;
        QTest::newRow("f=1 gives the second") << 1.0 << b;
        QTest::newRow("half way") << 0.5 << QColor(100, 100, 100, 155);
        QTest::newRow("below 0 clamps") << -3.0 << a;
        QTest::newRow("above 1 clamps") << 7.0 << b;
    }

    void mergeColors()
    {
        QFETCH(double, f);
        QFETCH(QColor, expected);
        QCOMPARE(MergeColors(QColor(200, 100, 0, 255), QColor(0, 100, 200, 55), f), expected);
    }

    void derivedColors()
    {
        const QColor c(100, 150, 200, 90);
        QCOMPARE(BlendColor(c, 128), QColor(100, 150, 200, 128));
        QCOMPARE(BlendColor(c, 300).alpha(), 255);
        QCOMPARE(BlendColor(c, -5).alpha(), 0);
        QVERIFY(!BlendColor(QColor(), 10).isValid());
        QVERIFY(!MergeColors(QColor(), c, 0.5).isValid());

        QCOMPARE(GetColor(c, 0, 1.0), c);
        QCOMPARE(GetColor(c, 0, 0.5), QColor(50, 75, 100, 90));
        QCOMPARE(GetColor(c, 0, 2.0), QColor(200, 255, 255, 90)); // channels stop at 255
        QCOMPARE(GetColor(c, -120, 1.0), QColor(0, 30, 80, 90));

        // Value scaled, hue kept.
        const QColor dark = GetColor2(QColor(200, 100, 50), 1.0, 0.5);
        QCOMPARE(dark, QColor(100, 50, 25));
        QCOMPARE(GetColor2(c, 1.0, 1.0), c);
        QCOMPARE(GetColor2(QColor(200, 100, 50), 0.0, 1.0), QColor(200, 200, 200));
    }

    void fillRectIsInclusiveAndBlends()
    {
        QImage image = filled(10, 10, Qt::white);
        QPainter p(&image);
        FillRect(&p, QRect(QPoint(2, 3), QPoint(5, 6)), BlendColor(Qt::black, 128));
        p.end();
        const QColor inside = at(image, 5, 6);
        QVERIFY(inside.red() > 100 && inside.red() < 155);
        QCOMPARE(at(image, 2, 3), inside);
        QCOMPARE(at(image, 6, 6), QColor(Qt::white));
        QCOMPARE(at(image, 5, 7), QColor(Qt::white));
        QCOMPARE(at(image, 1, 3), QColor(Qt::white));
    }

    void linesIncludeBothEnds()
    {
        QImage image = filled(12, 12, Qt::white);
        QPainter p(&image);
        DrawHLine(&p, 1, 8, 3, Qt::red); // ends given right to left
        DrawVLine(&p, 10, 2, 6, Qt::blue);
        DrawLine(&p, QPoint(0, 11), QPoint(11, 11), Qt::green, Qt::DotLine);
        p.end();
        for (int x = 0; x < 12; ++x)
            QCOMPARE(at(image, x, 1), x >= 3 && x <= 8 ? QColor(Qt::red) : QColor(Qt::white));
        for (int y = 0; y < 11; ++y)
            QCOMPARE(at(image, 10, y), y >= 2 && y <= 6 ? QColor(Qt::blue) : QColor(Qt::white));
        // A dotted line leaves gaps but stays on its row.
        int dots = 0;
        for (int x = 0; x < 12; ++x)
            dots += at(image, x, 11) == QColor(Qt::green);
        QVERIFY(dots > 2 && dots < 12);
        QCOMPARE(at(image, 5, 10), QColor(Qt::white));
    }

    void rectFramePaintsEachPixelOnce()
    {
        QImage image = filled(10, 10, Qt::white);
        QPainter p(&image);
        DrawRect(&p, QRect(QPoint(1, 1), QPoint(6, 5)), BlendColor(Qt::black, 128));
        p.end();
        const QColor edge = at(image, 3, 1);
        QVERIFY(edge != QColor(Qt::white));
        // Corners are not darker than the edges (no double blend).
        for (const QPoint pt : {QPoint(1, 1), QPoint(6, 1), QPoint(1, 5), QPoint(6, 5), QPoint(1, 3),
                                QPoint(6, 3), QPoint(3, 5)})
            QCOMPARE(at(image, pt.x(), pt.y()), edge);
        QCOMPARE(at(image, 3, 3), QColor(Qt::white));
        QCOMPARE(at(image, 7, 3), QColor(Qt::white));
        QCOMPARE(at(image, 3, 6), QColor(Qt::white));
    }

    void gradients()
    {
        const QColor from(200, 0, 0);
        const QColor to(0, 0, 200);
        QImage image = filled(8, 10, Qt::white);
        QPainter p(&image);
        FillGradient(&p, QRect(0, 0, 4, 10), from, to, true, -1);
        FillGradient2(&p, QRect(4, 0, 4, 10), from, to, true);
        p.end();
        for (int x : {0, 4}) {
            QCOMPARE(at(image, x, 0), from);
            QCOMPARE(at(image, x, 9), to);
            // Red falls from the top to the bottom.
            for (int y = 1; y < 10; ++y)
                QVERIFY(at(image, x, y).red() <= at(image, x, y - 1).red());
        }
        // The eased gradient leaves the first colour sooner.
        QVERIFY(at(image, 4, 3).red() < at(image, 0, 3).red());

        // Horizontal, in three flat bands.
        QImage bands = filled(9, 2, Qt::white);
        QPainter q(&bands);
        FillGradient(&q, QRect(0, 0, 9, 2), from, to, false, 3);
        q.end();
        const QColor mid = MergeColors(from, to, 0.5);
        const QList<QColor> expected{from, from, from, mid, mid, mid, to, to, to};
        for (int x = 0; x < 9; ++x) {
            QCOMPARE(at(bands, x, 0), expected.at(x));
            QCOMPARE(at(bands, x, 1), expected.at(x));
        }
    }

    void tiledImageRepeatsFromTheCorner()
    {
        QImage tile(3, 2, QImage::Format_RGB32);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                tile.setPixelColor(x, y, QColor(x * 80, y * 200, 7));
        QImage image = filled(16, 12, Qt::white);
        QPainter p(&image);
        const QRect r(5, 3, 8, 7);
        DrawTiled(&p, r, tile);
        p.end();
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor expected = r.contains(x, y)
                                            ? tile.pixelColor((x - r.left()) % 3, (y - r.top()) % 2)
                                            : QColor(Qt::white);
                QCOMPARE(at(image, x, y), expected);
            }
        }
    }

    void helpersTolerateNullPainterAndInvalidColours()
    {
        FillRect(nullptr, QRect(0, 0, 4, 4), Qt::red);
        FillGradient(nullptr, QRect(0, 0, 4, 4), Qt::red, Qt::blue, true, -1);
        FillGradient2(nullptr, QRect(0, 0, 4, 4), Qt::red, Qt::blue, true);
        DrawTiled(nullptr, QRect(0, 0, 4, 4), MetalImage(8, 8));
        DrawHLine(nullptr, 0, 0, 3, Qt::red);
        DrawRect(nullptr, QRect(0, 0, 4, 4), Qt::red);

        QImage image = filled(4, 4, Qt::white);
        QPainter p(&image);
        FillRect(&p, QRect(0, 0, 4, 4), QColor());
        FillGradient(&p, QRect(0, 0, 4, 4), QColor(), Qt::blue, true, -1);
        DrawRect(&p, QRect(0, 0, 4, 4), QColor());
        DrawTiled(&p, QRect(0, 0, 4, 4), QImage());
        p.end();
        QCOMPARE(image, filled(4, 4, Qt::white));
    }

    void metalImage()
    {
        const MetalImage a;
        const MetalImage b;
        QVERIFY(!a.isNull());
        QCOMPARE(static_cast<const QImage&>(a), static_cast<const QImage&>(b)); // the same on every run
        QCOMPARE(MetalImage(40, 3).size(), QSize(40, 3));
        QCOMPARE(MetalImage(0, -4).size(), QSize(1, 1));

        // A texture, not a flat fill, and a light one (the scheme colour goes over it).
        int lo = 255, hi = 0;
        qint64 sum = 0;
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                const int g = qGray(a.pixel(x, y));
                lo = qMin(lo, g);
                hi = qMax(hi, g);
                sum += g;
            }
        }
        QVERIFY(hi - lo >= 8);
        QVERIFY(sum / (a.width() * a.height()) > 150);
    }

    void profileColours()
    {
        const QString section = QStringLiteral("Look");
        QCOMPARE(Application::readProfileColor(section, "absent", QColor(1, 2, 3)), QColor(1, 2, 3));

        QVERIFY(Application::writeProfileColor(section, "opaque", QColor(0x12, 0xAB, 0xEF)));
        QCOMPARE(Application::readProfileString(section, "opaque"), QStringLiteral("#12abef"));
        QCOMPARE(Application::readProfileColor(section, "opaque"), QColor(0x12, 0xAB, 0xEF));

        QVERIFY(Application::writeProfileColor(section, "translucent", QColor(10, 20, 30, 40)));
        QCOMPARE(Application::readProfileColor(section, "translucent"), QColor(10, 20, 30, 40));

        // Damaged or empty entries give the default.
        QVERIFY(Application::writeProfileString(section, "garbage", "not a colour"));
        QCOMPARE(Application::readProfileColor(section, "garbage", Qt::cyan), QColor(Qt::cyan));
        QVERIFY(Application::writeProfileColor(section, "invalid", QColor()));
        QCOMPARE(Application::readProfileColor(section, "invalid", Qt::cyan), QColor(Qt::cyan));

        // Style sheets are built from colours formatted as text.
        QCOMPARE(VarArgs::format("%s", QColor(0x12, 0xAB, 0xEF)), QStringLiteral("#12abef"));
    }

    void profileFonts()
    {
        const QString section = QStringLiteral("Look");
        QFont def(QStringLiteral("Fallback Face"), 9);
        QCOMPARE(Application::readProfileFont(section, "absent", def), def);

        QFont f(QStringLiteral("Serif Test Face"), 17);
        f.setBold(true);
        f.setItalic(true);
        QVERIFY(Application::writeProfileFont(section, "font", f));
        const QFont back = Application::readProfileFont(section, "font", def);
        QCOMPARE(back.family(), f.family());
        QCOMPARE(back.pointSize(), 17);
        QVERIFY(back.bold());
        QVERIFY(back.italic());

        QVERIFY(Application::writeProfileString(section, "broken", "A,1,2,3"));
        QCOMPARE(Application::readProfileFont(section, "broken", def), def);
    }
};

ORVANE_TEST_MAIN(TestColors)
#include "tst_colors.moc"
