// A panel's frame (its looks, the messages it passes up) and its caption bar
// (its looks, and the clicks it turns into focus and window messages).
#include "Colors.h"
#include "EventMessage.h"
#include "MidiPanelCtrl.h"
#include "PanelFixture.h"
#include "TestEnvironment.h"

#include <QContextMenuEvent>
#include <QImage>

namespace {

const QColor Unpainted(255, 0, 255);
const QColor CaptionBlue(90, 110, 180);

// Shows what w paints over a background of its own, so rows it leaves alone
// come out in the marker colour.
QImage picture(QWidget* w, const QColor& background = Unpainted)
{
    QPalette palette = w->palette();
    palette.setColor(QPalette::Window, background);
    w->setPalette(palette);
    w->setAutoFillBackground(true);
    return w->grab().toImage();
}

// The colour of every pixel of row y, when they are all the same.
QColor rowColor(const QImage& image, int y)
{
    const QColor first = image.pixelColor(0, y);
    for (int x = 1; x < image.width(); ++x) {
        if (image.pixelColor(x, y) != first)
            return QColor();
    }
    return first;
}

} // namespace

class TestPanelCtrl : public QObject
{
    Q_OBJECT

private slots:
    void frameLooks_data()
    {
        QTest::addColumn<int>("tabHeight");
        QTest::newRow("no tabs") << 0;
        QTest::newRow("tab strip") << 18;
    }
    void frameLooks()
    {
        QFETCH(int, tabHeight);
        MidiPanelCtrl frame;
        frame.resize(60, 80);
        frame.setTabHeight(tabHeight);
        const QColor base = frame.colorManager()->getColor(PanelColor);
        const QImage image = picture(&frame);
        const int bandLast = 79 - tabHeight;

        // The caption's 21 rows and the tab strip are left to others.
        for (int y : {0, 20})
            QCOMPARE(rowColor(image, y), Unpainted);
        QCOMPARE(rowColor(image, 21), GetColor(base, 0, 1.1));
        for (int y : {22, 50, bandLast - 3})
            QCOMPARE(rowColor(image, y), base);
        if (tabHeight > 0)
            QCOMPARE(rowColor(image, 79), Unpainted);

        // The band: lighter above a tab strip, darker closing the panel.
        const QColor top = rowColor(image, bandLast - 2);
        const QColor bottom = rowColor(image, bandLast);
        QVERIFY(nearColor(top, base.darker(tabHeight > 0 ? 105 : 110), 2));
        QVERIFY(nearColor(bottom, base.darker(tabHeight > 0 ? 130 : 135), 2));
        QVERIFY(!nearColor(top, base.darker(tabHeight > 0 ? 110 : 105), 2));
    }

    void flatFrameIsOneFill()
    {
        MidiPanelCtrl frame;
        frame.resize(60, 80);
        frame.setTabHeight(18);
        frame.setFlat(true);
        const QColor base = frame.colorManager()->getColor(PanelColor);
        const QImage image = picture(&frame);
        for (int y = 0; y < image.height(); ++y)
            QCOMPARE(rowColor(image, y), base);
    }

    // Every message posted to a frame goes on to its parent widget, one level
    // per round: a row's frame on a tab panel's frame reaches the window.
    void framePassesMessagesUp()
    {
        MessageWindow window;
        auto* outer = new MidiPanelCtrl;
        outer->setParent(&window);
        auto* row = new MidiPanelCtrl;
        row->setParent(outer);
        int target = 0;
        PostMessage(row, Panel::PanelSelectedMessage, PointerToVar(&target), true);
        PanelFixture::deliver();
        QCOMPARE(window.messages.size(), 1);
        QCOMPARE(window.messages[0].id, int(Panel::PanelSelectedMessage));
        QCOMPARE(VarToPointer(window.messages[0].data), static_cast<void*>(&target));
        QCOMPARE(window.messages[0].source, QVariant(true));

        // A frame on no widget keeps the message to itself.
        MidiPanelCtrl lone;
        PostMessage(&lone, Panel::CaptionMenuMessage, PointerToVar(&target), 0);
        PanelFixture::deliver();
        QCOMPARE(window.messages.size(), 1);
    }

    void captionReportsClicks()
    {
        PanelFixture f;
        auto* caption = new MidiCaptionCtrl(f.panel);
        QCOMPARE(caption->parentWidget(), f.panel->frame());
        QCOMPARE(caption->focusPolicy(), Qt::NoFocus);
        caption->resize(100, 21);

        QTest::mouseClick(caption, Qt::LeftButton);
        QCOMPARE(f.panel->selectCalls, (QList<QPair<int, int>>{{0, 0}}));
        PanelFixture::deliver();
        QVERIFY(f.window.messages.isEmpty());

        QTest::mouseDClick(caption, Qt::LeftButton);
        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(5, 5));
        QCoreApplication::sendEvent(caption, &menu);
        // Posted: the window hears of them after the mouse event returned.
        QVERIFY(f.window.messages.isEmpty());
        PanelFixture::deliver();
        QCOMPARE(f.window.messages.size(), 2);
        const QList<int> ids = {Panel::CaptionDoubleClickMessage, Panel::CaptionMenuMessage};
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(f.window.messages[i].id, ids[i]);
            QCOMPARE(VarToPointer(f.window.messages[i].data), static_cast<void*>(f.panel));
            QCOMPARE(f.window.messages[i].source, QVariant(0));
        }
    }

    // A caption on a plain widget ignores the mouse and draws the gradient bar.
    void captionWithoutPanel()
    {
        MessageWindow window;
        auto* caption = new MidiCaptionCtrl(&window);
        caption->resize(100, 21);
        caption->setText(QStringLiteral("Common"));
        caption->colorManager()->setColor(CaptionColor, CaptionBlue);
        QTest::mouseClick(caption, Qt::LeftButton);
        QTest::mouseDClick(caption, Qt::LeftButton);
        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(5, 5));
        QCoreApplication::sendEvent(caption, &menu);
        PanelFixture::deliver();
        QVERIFY(window.messages.isEmpty());

        const QImage image = picture(caption);
        QVERIFY(image.pixelColor(99, 0) != image.pixelColor(99, 20));
    }

    // A row caption is a flat cell: darker under the mouse, faded while its
    // panel is disabled. A vertical panel's caption ignores the enabled flag.
    void captionLooks()
    {
        PanelFixture f;
        auto* caption = new MidiCaptionCtrl(f.panel);
        f.client.colorManager().setColor(CaptionColor, CaptionBlue);
        caption->setColorManager(&f.client.colorManager());
        caption->resize(23, 19);
        caption->setText(QStringLiteral("1"));
        const QColor captionColor = f.client.colorManager().getColor(CaptionColor);
        const QColor behind(10, 200, 30);
        const auto corner = [&] { return picture(f.panel, behind).pixelColor(0, 0); };

        const QImage vertical = picture(f.panel, behind);
        f.panel->setEnabled(false);
        QCOMPARE(picture(f.panel, behind), vertical);
        f.panel->setEnabled(true);

        f.panel->setOrientation(0);
        QCOMPARE(corner(), GetColor(captionColor, 0, 0.88));
        caption->setAttribute(Qt::WA_UnderMouse, true);
        QCOMPARE(corner(), GetColor(captionColor, 0, 0.77));
        caption->setAttribute(Qt::WA_UnderMouse, false);
        f.panel->setEnabled(false);
        QColor faded = GetColor(captionColor, 0, 0.88);
        faded.setAlpha(204);
        QVERIFY(nearColor(corner(), blendOver(faded, behind), 2));
    }
};

ORVANE_TEST_MAIN(TestPanelCtrl)
#include "tst_panelctrl.moc"
