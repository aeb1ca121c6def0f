#include "Application.h"
#include "ColorManager.h"
#include "Colors.h"
#include "TestEnvironment.h"

#include <QPainter>
#include <QRegularExpression>
#include <QSettings>

namespace {

QList<QColor> colorsOf(const ColorManager& m)
{
    QList<QColor> list;
    for (int k = 0; k < ColorManager::ColorCount; ++k)
        list << m.getColor(ColorTypes(k));
    return list;
}

QList<QColor> schemeColors(int scheme)
{
    QList<QColor> list;
    for (int k = 0; k < ColorManager::ColorCount; ++k)
        list << ColorManager::GetSchemeColor(scheme, ColorTypes(k));
    return list;
}

} // namespace

class TestColorManager : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        // Every test starts without saved colours.
        Profile::settings()->remove(QStringLiteral("ColorManager"));
    }

    void newManagerHasBasicScheme()
    {
        const ColorManager m;
        QCOMPARE(colorsOf(m), schemeColors(9));
        QCOMPARE(m.getColor(WorkspaceColor), QColor(Qt::black));
        QCOMPARE(m.getColor(PanelColor), QColor(Qt::white));
        QCOMPARE(m.getColor(BorderColor), QColor(0x80, 0x80, 0x80));
        QCOMPARE(m.font(), QApplication::font("QWidget"));
        QVERIFY(!m.getColor(ColorTypes(11)).isValid());
    }

    void schemeTable()
    {
        QCOMPARE(ColorManager::GetSchemeColor(6, CaptionColor), QColor(0x56, 0x4A, 0x3E));
        QCOMPARE(ColorManager::GetSchemeColor(10, WorkspaceColor), QColor(0xB9, 0x20, 0x20));
        QCOMPARE(ColorManager::GetSchemeColor(2, SelectedBorderColor), QColor(0xCB, 0xFF, 0x2B));
        for (int s = 0; s < ColorManager::SchemeCount; ++s) {
            QCOMPARE(ColorManager::GetSchemeColor(s, ButtonTextColor), QColor(Qt::black));
            QVERIFY(!ColorManager::GetSchemeName(s).isEmpty());
        }
        QCOMPARE(ColorManager::GetSchemeName(0), QStringLiteral("Green"));
        QCOMPARE(ColorManager::GetSchemeName(9), QStringLiteral("Basic"));
        QCOMPARE(ColorManager::GetSchemeName(10), QStringLiteral("Red & Blue"));
        QCOMPARE(ColorManager::GetColorLabel(WorkspaceColor), QStringLiteral("Workspace"));
        QCOMPARE(ColorManager::GetColorLabel(SelectedBorderColor), QStringLiteral("Selected Border"));
        QCOMPARE(ColorManager::GetColorLabel(ButtonTextColor), QStringLiteral("Button Text"));

        // Out of range: invalid colour, empty text.
        QVERIFY(!ColorManager::GetSchemeColor(-1, WorkspaceColor).isValid());
        QVERIFY(!ColorManager::GetSchemeColor(11, WorkspaceColor).isValid());
        QVERIFY(!ColorManager::GetSchemeColor(0, ColorTypes(-1)).isValid());
        QVERIFY(!ColorManager::GetSchemeColor(0, ColorTypes(11)).isValid());
        QVERIFY(ColorManager::GetSchemeName(-1).isEmpty());
        QVERIFY(ColorManager::GetSchemeName(11).isEmpty());
        QVERIFY(ColorManager::GetColorLabel(ColorTypes(-1)).isEmpty());
        QVERIFY(ColorManager::GetColorLabel(ColorTypes(11)).isEmpty());
    }

    void loadAndSetColors()
    {
        ColorManager m;
        const QFont font(QStringLiteral("Kept Face"), 21);
        m.setFont(font);
        m.loadScheme(3);
        QCOMPARE(colorsOf(m), schemeColors(3));
        QCOMPARE(m.font(), font);

        m.setColor(ControlsColor, QColor(1, 2, 3));
        QCOMPARE(m.getColor(ControlsColor), QColor(1, 2, 3));

        const QList<QColor> before = colorsOf(m);
        for (int type : {-1, 11, 1000})
            m.setColor(type, Qt::red);
        m.loadScheme(11);
        m.loadScheme(-1);
        QCOMPARE(colorsOf(m), before);
    }

    void derivedColors()
    {
        // Basic: white controls with black text.
        ColorManager m;
        QCOMPARE(m.lineColor(), QColor(0xCC, 0xCC, 0xCC));
        QCOMPARE(m.inactiveColor(), QColor(0xB3, 0xB3, 0xB3));
        QCOMPARE(m.arrowColor(false, false), QColor(Qt::black));
        QCOMPARE(m.arrowColor(false, true), QColor(0x75, 0x75, 0x75));
        QCOMPARE(m.arrowColor(true, false), m.lineColor());
        QCOMPARE(m.arrowColor(true, true), m.lineColor()); // disabled wins

        // They follow the manager's current colours.
        m.setColor(ControlsColor, QColor(0, 0, 0));
        m.setColor(ControlTextColor, QColor(250, 100, 0));
        QCOMPARE(m.lineColor(), QColor(50, 20, 0));
        QCOMPARE(m.arrowColor(false, false), QColor(250, 100, 0));
    }

    void toStringWords()
    {
        ColorManager m;
        m.loadScheme(6);
        const QString text = m.toString();
        QCOMPARE(text.count(QLatin1Char(',')), 10);
        const QStringList words = text.split(QLatin1Char(','));
        QCOMPARE(words.size(), 11);
        const QRegularExpression word(QStringLiteral("^0x[0-9A-F]{6}$"));
        for (const QString& w : words)
            QVERIFY2(word.match(w).hasMatch(), qPrintable(w));
        QCOMPARE(words.at(CaptionColor), QStringLiteral("0x3E4A56")); // #564A3E, red in the low byte
        QCOMPARE(words.at(WorkspaceColor), QStringLiteral("0xD5DADC"));
        QVERIFY(text.endsWith(QStringLiteral("0x000000")));
    }

    void fromRegistryWithoutSavedKeys_data()
    {
        QTest::addColumn<int>("scheme");
        QTest::newRow("mix editor") << 2;
        QTest::newRow("drum kit editor") << 6;
        QTest::newRow("performance editor") << 0;
        QTest::newRow("above the table") << 11;
        QTest::newRow("below the table") << -1;
    }

    void fromRegistryWithoutSavedKeys()
    {
        QFETCH(int, scheme);
        ColorManager m;
        m.setFont(QFont(QStringLiteral("Replaced Face"), 30));
        m.fromRegistry(scheme);
        QCOMPARE(m.font(), ColorManager::defaultFont());
        if (scheme >= 0 && scheme < ColorManager::SchemeCount) {
            QCOMPARE(colorsOf(m), schemeColors(scheme));
        } else {
            for (const QColor& c : colorsOf(m))
                QVERIFY(!c.isValid());
        }
    }

    void registryRoundTrip()
    {
        ColorManager m;
        m.loadScheme(4);
        m.setColor(ControlsColor, QColor(1, 2, 3));
        m.setColor(ButtonTextColor, QColor(0xFE, 0xDC, 0xBA));
        QFont font(QStringLiteral("Round Trip Face"), 15);
        font.setBold(true);
        m.setFont(font);
        QVERIFY(m.toRegistry());

        // The keys other programs of the suite read.
        QCOMPARE(Application::readProfileString("ColorManager", "color05"), QStringLiteral("#010203"));
        QCOMPARE(Application::readProfileString("ColorManager", "color10"), QStringLiteral("#fedcba"));
        QVERIFY(!Application::readProfileString("ColorManager", "font").isEmpty());

        ColorManager n;
        n.fromRegistry(7);
        QCOMPARE(colorsOf(n), colorsOf(m));
        QCOMPARE(n.font().family(), font.family());
        QCOMPARE(n.font().pointSize(), 15);
        QVERIFY(n.font().bold());

        // A partly saved set: the missing colours come from the default scheme.
        Profile::settings()->remove(QStringLiteral("ColorManager/color00"));
        ColorManager k;
        k.fromRegistry(7);
        QCOMPARE(k.getColor(WorkspaceColor), ColorManager::GetSchemeColor(7, WorkspaceColor));
        QCOMPARE(k.getColor(ControlsColor), QColor(1, 2, 3));
    }

    void coloredWidgetDefaults()
    {
        Colored widget;
        ColorManager* own = widget.colorManager();
        QVERIFY(own);
        QCOMPARE(colorsOf(*own), schemeColors(9));
        QCOMPARE(widget.colorManager(), own); // the same private manager every time

        ColorManager window;
        window.loadScheme(1);
        widget.setColorManager(&window);
        QCOMPARE(widget.colorManager(), &window);
        widget.setColorManager(nullptr);
        QCOMPARE(widget.colorManager(), &window);

        Colored fresh;
        fresh.setColorManager(nullptr);
        QVERIFY(fresh.colorManager());
        QCOMPARE(colorsOf(*fresh.colorManager()), schemeColors(9));
    }

    void drawBackground()
    {
        const QColor outside(255, 0, 255);
        const QRect r(5, 4, 30, 20);
        ColorManager m;
        m.loadScheme(10);
        auto paint = [&](int band) {
            QImage image(40, 30, QImage::Format_ARGB32);
            image.fill(outside);
            QPainter p(&image);
            m.drawBackground(&p, r, band);
            return image;
        };
        const QImage plain = paint(0);
        const QImage banded = paint(6);

        for (int y = 0; y < plain.height(); ++y) {
            for (int x = 0; x < plain.width(); ++x) {
                if (!r.contains(x, y)) {
                    QCOMPARE(plain.pixelColor(x, y), outside);
                    QCOMPARE(banded.pixelColor(x, y), outside);
                } else if (y >= r.top() + 6) {
                    QCOMPARE(banded.pixelColor(x, y), plain.pixelColor(x, y)); // below the band
                }
            }
        }
        // The top row is shaded darker across the full width.
        for (int x = r.left(); x <= r.right(); ++x)
            QVERIFY(qGray(banded.pixel(x, r.top())) < qGray(plain.pixel(x, r.top())));
        // The red Workspace colour of "Red & Blue" tints the grey texture.
        const QColor c = plain.pixelColor(r.center());
        QVERIFY(c.red() > c.blue() + 40);

        // A band taller than the rectangle stays inside it; invalid colours paint only the texture.
        ColorManager broken;
        broken.fromRegistry(-1);
        QImage image(40, 30, QImage::Format_ARGB32);
        image.fill(outside);
        QPainter p(&image);
        broken.drawBackground(&p, r, 100);
        m.drawBackground(nullptr, r, 6);
        p.end();
        QCOMPARE(image.pixelColor(r.left(), r.bottom() + 1), outside);
        QVERIFY(image.pixelColor(r.center()) != outside);
    }
};

ORVANE_TEST_MAIN(TestColorManager)
#include "tst_colormanager.moc"
