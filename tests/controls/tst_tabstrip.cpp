// The tab strip's looks from the colour scheme, and the tool button: the
// command it posts to its window, and its face in the scheme's colours.
#include "MidiTabCtrl.h"
#include "PanelFixture.h"
#include "TestEnvironment.h"
#include "ToolButton.h"

#include <QImage>

class TestTabStrip : public QObject
{
    Q_OBJECT

private slots:
    // The scheme's font at 11 points and its button and panel colours; a
    // strip never given a scheme paints in the default one.
    void tabLooks()
    {
        MidiTabCtrl plain;
        const ColorManager defaults;
        QCOMPARE(plain.tabItemFont().pointSize(), 11);
        QCOMPARE(plain.tabTextColor(), defaults.getColor(ButtonTextColor));
        QCOMPARE(plain.backColor(), defaults.getColor(PanelColor));
        QCOMPARE(plain.tabColor(), defaults.getColor(ButtonFaceColor));

        ColorManager scheme;
        scheme.loadScheme(2);
        QFont big = scheme.font();
        big.setPointSize(20);
        big.setFamily(QStringLiteral("Serif"));
        scheme.setFont(big);
        MidiTabCtrl tabs;
        tabs.setColorManager(&scheme);
        QCOMPARE(tabs.tabItemFont().pointSize(), 11);
        QCOMPARE(tabs.tabItemFont().family(), QStringLiteral("Serif"));
        QCOMPARE(tabs.tabTextColor(), scheme.getColor(ButtonTextColor));
        QCOMPARE(tabs.backColor(), scheme.getColor(PanelColor));
        QCOMPARE(tabs.tabColor(), scheme.getColor(ButtonFaceColor));
    }

    // A click posts the command to the window the button sits on, after
    // the click; command 0 is a command, an unbound button posts nothing.
    void postsItsCommand()
    {
        MessageWindow window;
        ToolButton unbound;
        unbound.setParent(&window);
        unbound.click();
        QCoreApplication::processEvents();
        QVERIFY(window.commands.isEmpty());

        auto* open = new ToolButton;
        QCOMPARE(open->command(), -1);
        QVERIFY(!open->option(MyButton::DefaultOnEnter));
        QVERIFY(open->option(MyButton::HoverFace));
        open->setCommand(&window, 0);
        QCOMPARE(open->parentWidget(), &window);
        open->click();
        QVERIFY(window.commands.isEmpty());
        QCoreApplication::processEvents();
        QCOMPARE(window.commands, QList<int>{0});

        // Moved to another window, it posts there.
        MessageWindow other;
        open->setParent(&other);
        open->click();
        QCoreApplication::processEvents();
        QCOMPARE(window.commands, QList<int>{0});
        QCOMPARE(other.commands, QList<int>{0});
    }

    // The face takes the scheme's Button Face colour.
    void face()
    {
        ColorManager scheme;
        scheme.setColor(ButtonFaceColor, QColor(200, 0, 0));
        ToolButton button;
        button.setColorManager(&scheme);
        button.setText(QStringLiteral("Open"));
        button.resize(76, 24);
        const QColor middle = button.grab().toImage().pixelColor(3, 12);
        QVERIFY2(middle.red() > 150 && middle.green() < 40 && middle.blue() < 40, qPrintable(middle.name()));
    }
};

ORVANE_TEST_MAIN(TestTabStrip)
#include "tst_tabstrip.moc"
