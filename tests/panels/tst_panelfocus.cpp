// The focus inside a panel: the first and last usable item, the next and
// previous control, the keys every control hears, and the selection message
// when the focus moves from one panel to another.
#include "EventMessage.h"
#include "LayoutRig.h"
#include "MidiCheckBox.h"
#include "Panel.h"
#include "PanelFixture.h"
#include "TestEnvironment.h"

#include <QApplication>

namespace {

const char* const Layout = R"(<section title="T">
  <section name="Eight">
    <label title="a"/><label title="b"/>
    <edit title="E" no_title="1" address="300000"/>
    <edit title="H" no_title="1" hidden="1"/>
    <label title="c"/>
    <edit title="D" no_title="1"/>
    <sep/>
    <check title="Hc" hidden="1"/>
  </section>
  <section name="Tabs">
    <edit title="A" no_title="1"/><label title="x"/>
    <tab title="T0"/><edit title="B" no_title="1"/>
    <tab title="T1"/><edit title="C" no_title="1"/><edit title="D" no_title="1"/><edit title="E" no_title="1"/>
  </section>
  <section name="Keys">
    <check title="mLAN Monitor" key="F8"/><check title="Local Control" key="F7"/>
  </section>
  <section name="Empty"/>
</section>)";

bool showActive(QWidget& window)
{
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return false;
    QApplication::setActiveWindow(&window);
    return QTest::qWaitForWindowActive(&window);
}

class Panels
{
public:
    Panels()
    {
        QVERIFY(rig.load(Layout));
        window.resize(600, 400);
    }
    // A new panel on the window loaded with section, a vertical one at x.
    Panel& add(const QString& section, int x = 0)
    {
        auto* panel = new Panel(&rig.client, &window);
        panel->init(&window, QPoint(x, 0), true);
        panel->loadSection(section, -1);
        return *panel;
    }

    LayoutRig rig;
    MessageWindow window;
};

} // namespace

class TestPanelFocus : public QObject
{
    Q_OBJECT

private slots:
    // Of eight items only item 2 takes the focus: every start finds it,
    // wrapping round the panel, a start past the last item too; once it is
    // hidden as well every walk ends with -1.
    void firstAndLastItem()
    {
        Panels p;
        Panel& panel = p.add(QStringLiteral("Eight"));
        QCOMPARE(panel.itemCount(), 8);
        panel.widgetAt(5)->setEnabled(false);
        QVERIFY(showActive(p.window));

        for (int start : {5, 0, 2, 7, 8, 100, -3}) {
            QCOMPARE(panel.selectFirstItem(start, 0), 2);
            QCOMPARE(panel.selectedItemIndex(), 2);
        }
        QCOMPARE(panel.selectLastItem(), 2);

        panel.widgetAt(2)->hide();
        for (int start : {0, 5, 8, 9, 100})
            QCOMPARE(panel.selectFirstItem(start, 0), -1);
        QCOMPARE(panel.selectLastItem(), -1);
        panel.setFocus(0);

        panel.widgetAt(5)->setEnabled(true);
        QCOMPARE(panel.selectLastItem(), 5);
        QCOMPARE(panel.selectFirstItem(6, 0), 5);
    }

    // Next and previous go by item order over shown, enabled controls and
    // stop at the ends; labels and other tabs' controls are passed over.
    void nextControl()
    {
        Panels p;
        Panel& panel = p.add(QStringLiteral("Tabs"));
        panel.selectTab(1);
        panel.getWidget(QStringLiteral("D"), -1, 0)->setEnabled(false);
        QVERIFY(showActive(p.window));

        if (QWidget* focus = QApplication::focusWidget())
            focus->clearFocus();
        panel.nextControl(true); // no control of the panel has the focus
        QCOMPARE(panel.selectedItemIndex(), -1);

        const auto at = [&](const char* title) { return panel.getWidget(QLatin1String(title), -1, 0); };
        at("A")->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), at("A"));
        QList<QWidget*> path;
        for (int i = 0; i < 3; ++i) {
            panel.nextControl(true);
            path << QApplication::focusWidget();
        }
        QCOMPARE(path, (QList<QWidget*>{at("C"), at("E"), at("E")}));
        path.clear();
        for (int i = 0; i < 3; ++i) {
            panel.nextControl(false);
            path << QApplication::focusWidget();
        }
        QCOMPARE(path, (QList<QWidget*>{at("C"), at("A"), at("A")}));
    }

    // Every control hears the key; check boxes of any panel toggle on theirs.
    void keys()
    {
        Panels p;
        Panel& first = p.add(QStringLiteral("Keys"));
        Panel& second = p.add(QStringLiteral("Keys"), 200);
        const auto box = [](Panel& panel, const char* title) {
            return panel.getCheckBox(QLatin1String(title), 0);
        };
        for (Panel* panel : {&first, &second})
            panel->onKey(Qt::Key_F8);
        QCOMPARE(box(first, "mLAN Monitor")->value(), 1);
        QCOMPARE(box(second, "mLAN Monitor")->value(), 1);
        QCOMPARE(box(first, "Local Control")->value(), -1);
        first.onKey(Qt::Key_F8);
        QCOMPARE(box(first, "mLAN Monitor")->value(), 0);
        first.onKey(Qt::Key_F6);
        QCOMPARE(box(first, "mLAN Monitor")->value(), 0);
    }

    void emptyPanel()
    {
        Panels p;
        Panel& panel = p.add(QStringLiteral("Empty"));
        QVERIFY(showActive(p.window));
        QCOMPARE(panel.selectFirstItem(0, 0), -1);
        QCOMPARE(panel.selectFirstItem(3, 0), -1);
        QCOMPARE(panel.selectLastItem(), -1);
        panel.nextControl(true);
        panel.onKey(Qt::Key_F8);
        panel.selectTab(2);
        QCOMPARE(panel.currentTab(), 2);
    }

    // A move from a control of one panel to one of another: the window hears
    // of the first panel losing the selection, then of the second gaining it.
    void selectionAcrossPanels()
    {
        Panels p;
        Panel& a = p.add(QStringLiteral("Eight"));
        Panel& b = p.add(QStringLiteral("Eight"), 200);
        QVERIFY(showActive(p.window));
        QCOMPARE(a.selectFirstItem(0, 0), 2);
        QTRY_COMPARE(a.selectedItemIndex(), 2);
        PanelFixture::deliver();
        p.window.messages.clear();

        QCOMPARE(b.selectFirstItem(0, 0), 2);
        QTRY_COMPARE(b.selectedItemIndex(), 2);
        PanelFixture::deliver();
        QCOMPARE(p.window.messages.size(), 2);
        QCOMPARE(VarToPointer(p.window.messages[0].data), static_cast<void*>(&a));
        QCOMPARE(p.window.messages[0].source.toBool(), false);
        QCOMPARE(VarToPointer(p.window.messages[1].data), static_cast<void*>(&b));
        QCOMPARE(p.window.messages[1].source.toBool(), true);
        QVERIFY(!a.hasFocus() && b.hasFocus());
    }
};

ORVANE_TEST_MAIN(TestPanelFocus)
#include "tst_panelfocus.moc"
