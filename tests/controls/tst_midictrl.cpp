// The part every control shares: its panel's colour scheme, focus reports,
// request groups, greyed state, text font, control box and accessible text.
// The label is the control these tests stand on.
#include "EventMessage.h"
#include "MidiLabel.h"
#include "PanelFixture.h"
#include "TestEnvironment.h"

#include <QImage>
#include <QPainter>
#include <QPointer>

#include <type_traits>

namespace {

LabelInfo labelInfo(const QString& title, int request = 0)
{
    LabelInfo info;
    info.title = title;
    info.request = request;
    return info;
}

// A label that takes the focus and counts the focus events that reach it.
class FocusLabel : public MidiLabel
{
public:
    FocusLabel(::Panel* panel, const QString& title) : MidiLabel(panel, labelInfo(title))
    {
        setFocusPolicy(Qt::StrongFocus);
        resize(60, 19);
    }

    int focusIns = 0;
    int focusOuts = 0;

protected:
    void focusInEvent(QFocusEvent* event) override
    {
        ++focusIns;
        MidiLabel::focusInEvent(event);
    }
    void focusOutEvent(QFocusEvent* event) override
    {
        ++focusOuts;
        MidiLabel::focusOutEvent(event);
    }
};

bool showActive(QWidget& window)
{
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return false;
    QApplication::setActiveWindow(&window);
    return QTest::qWaitForWindowActive(&window);
}

QColor boxEdge(MidiCtrl& ctrl)
{
    QImage image(40, 19, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    ctrl.DrawBox(&p, image.rect());
    p.end();
    return image.pixelColor(10, 0);
}

} // namespace

class TestMidiCtrl : public QObject
{
    Q_OBJECT

private slots:
    void receiverDeletesWholeControl()
    {
        static_assert(std::has_virtual_destructor_v<IMidiReceiver>);
        QWidget parent;
        auto* label = new MidiLabel(&parent, labelInfo(QStringLiteral("Gone")));
        const QPointer<QLabel> watch(label);
        IMidiReceiver* receiver = label;
        delete receiver;
        QVERIFY(watch.isNull());
        QVERIFY(parent.children().isEmpty());
    }

    void withoutPanel()
    {
        QWidget parent;
        MidiLabel label(&parent, labelInfo(QStringLiteral("Alone"), 3));
        QVERIFY(!label.panel() && !label.device());
        QCOMPARE(label.widget(), &label);
        QCOMPARE(label.type(), int(MidiCtrl::LabelType));
        const ColorManager basic;
        for (int type = 0; type < ColorManager::ColorCount; ++type)
            QCOMPARE(label.colorManager()->getColor(ColorTypes(type)), basic.getColor(ColorTypes(type)));
        label.requestGroup(); // no panel to ask: nothing happens
        QVERIFY(!label.isGrayed());
        parent.setEnabled(false);
        QVERIFY(label.isGrayed());
    }

    void takesPanelScheme()
    {
        PanelFixture f;
        MidiLabel clientScheme(f.panel, labelInfo(QStringLiteral("A")));
        QCOMPARE(clientScheme.colorManager(), &f.client.colorManager());
        QCOMPARE(clientScheme.device(), &f.device);
        QCOMPARE(clientScheme.parentWidget(), f.panel->frame());

        ColorManager own;
        f.panel->setColorManager(&own);
        MidiLabel ownScheme(f.panel, labelInfo(QStringLiteral("B")));
        QCOMPARE(ownScheme.colorManager(), &own);
    }

    void requestGroup_data()
    {
        QTest::addColumn<int>("request");
        QTest::addColumn<QList<int>>("asked");
        QTest::newRow("none") << 0 << QList<int>();
        QTest::newRow("negative") << -1 << QList<int>();
        QTest::newRow("group 3") << 3 << QList<int>{3};
    }
    void requestGroup()
    {
        QFETCH(int, request);
        QFETCH(QList<int>, asked);
        PanelFixture f;
        MidiLabel label(f.panel, labelInfo(QStringLiteral("Volume"), request));
        label.requestGroup();
        QCOMPARE(f.panel->groupRequests, asked);
    }

    // Focus changes reach the window the panel was placed in as selection
    // messages, and the control still sees every focus event.
    void focusReportsSelection()
    {
        PanelFixture f;
        f.panel->init(&f.window, QPoint(), false);
        f.panel->resize(200, 200);
        auto* a = new FocusLabel(f.panel, QStringLiteral("A"));
        auto* b = new FocusLabel(f.panel, QStringLiteral("B"));
        b->move(0, 20);
        QVERIFY(showActive(f.window));
        b->setFocus();
        QTRY_VERIFY(b->hasFocus());
        PanelFixture::deliver();
        f.window.messages.clear();
        a->focusIns = a->focusOuts = b->focusIns = b->focusOuts = 0;

        a->setFocus();
        QTRY_VERIFY(a->hasFocus());
        b->setFocus();
        QTRY_VERIFY(b->hasFocus());
        PanelFixture::deliver();

        QCOMPARE(a->focusIns, 1);
        QCOMPARE(a->focusOuts, 1);
        QCOMPARE(b->focusIns, 1);
        QCOMPARE(b->focusOuts, 1);
        const QList<bool> selected = {false, true, false, true};
        QCOMPARE(f.window.messages.size(), selected.size());
        for (int i = 0; i < selected.size(); ++i) {
            const PostedMessage& m = f.window.messages[i];
            QCOMPARE(m.id, int(Panel::PanelSelectedMessage));
            QCOMPARE(VarToPointer(m.data), static_cast<void*>(f.panel));
            QCOMPARE(m.source.toBool(), selected[i]);
        }

        // The box shows the focus, and the greyed state.
        const ColorManager& colors = f.client.colorManager();
        QCOMPARE(boxEdge(*b), colors.getColor(SelectedBorderColor));
        QCOMPARE(boxEdge(*a), colors.getColor(BorderColor));
        f.panel->setEnabled(false);
        QVERIFY(boxEdge(*a) != colors.getColor(BorderColor));
    }

    // A panel destroyed while one of its controls has the focus: the controls
    // go with it without reporting to the half-destroyed panel.
    void panelGoesWithFocusedControl()
    {
        PanelFixture f;
        auto* a = new FocusLabel(f.panel, QStringLiteral("A"));
        new FocusLabel(f.panel, QStringLiteral("B"));
        QVERIFY(showActive(f.window));
        a->setFocus();
        QTRY_VERIFY(a->hasFocus());
        delete f.panel;
        f.panel = nullptr;
        PanelFixture::deliver();
    }

    void grayed_data()
    {
        QTest::addColumn<bool>("widgetEnabled");
        QTest::addColumn<bool>("frameEnabled");
        QTest::addColumn<bool>("panelFlag");
        QTest::addColumn<bool>("grayed");
        QTest::newRow("all enabled") << true << true << true << false;
        QTest::newRow("widget disabled") << false << true << true << true;
        QTest::newRow("parent disabled") << true << false << true << true;
        QTest::newRow("panel flag off") << true << true << false << true;
    }
    void grayed()
    {
        QFETCH(bool, widgetEnabled);
        QFETCH(bool, frameEnabled);
        QFETCH(bool, panelFlag);
        QFETCH(bool, grayed);
        PanelFixture f;
        MidiLabel label(f.panel, labelInfo(QStringLiteral("Level")));
        label.QWidget::setEnabled(widgetEnabled);
        f.panel->frame()->QWidget::setEnabled(frameEnabled);
        f.panel->setEnabled(panelFlag);
        QCOMPARE(f.panel->enabled(), panelFlag);
        QCOMPARE(label.isGrayed(), grayed);
    }

    void prepareFont()
    {
        PanelFixture f;
        LabelInfo info = labelInfo(QStringLiteral("Bold"));
        info.bold = true;
        MidiLabel bold(f.panel, info);
        MidiLabel plain(f.panel, labelInfo(QStringLiteral("Plain")));
        f.client.colorManager().setFont(QFont(QStringLiteral("Sans"), 9));
        const ColorManager& colors = f.client.colorManager();

        QImage image(10, 10, QImage::Format_ARGB32);
        QPainter p(&image);
        plain.PrepareFont(&p);
        QVERIFY(!p.font().bold());
        QCOMPARE(p.font().pointSize(), 9);
        QCOMPARE(p.pen().color(), colors.getColor(ControlTextColor));

        f.panel->setEnabled(false);
        bold.PrepareFont(&p);
        QVERIFY(p.font().bold());
        QCOMPARE(p.pen().color(), colors.inactiveColor());
        // The scheme's own font is never changed.
        QVERIFY(!colors.font().bold());
    }

    void accessibleText_data()
    {
        QTest::addColumn<QString>("tip");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("title and value") << ""
                                         << "&Volume"
                                         << "100"
                                         << "Volume 100";
        QTest::newRow("tip alone") << "Mute"
                                   << "M"
                                   << ""
                                   << "Mute";
        QTest::newRow("tip and value") << "Level of the part"
                                       << "Lvl"
                                       << "64"
                                       << "Level of the part 64";
        QTest::newRow("nothing") << ""
                                 << ""
                                 << ""
                                 << "";
    }
    void accessibleText()
    {
        QFETCH(QString, tip);
        QFETCH(QString, title);
        QFETCH(QString, value);
        QFETCH(QString, text);
        LabelInfo info = labelInfo(title);
        info.tip = tip;
        QWidget parent;
        MidiLabel label(&parent, info);
        label.setAccessibleName(QStringLiteral("stale"));
        label.updateAccessibility(value);
        QCOMPARE(label.accessibleName(), text);
    }
};

ORVANE_TEST_MAIN(TestMidiCtrl)
#include "tst_midictrl.moc"
