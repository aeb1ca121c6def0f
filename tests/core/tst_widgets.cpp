// The widget bases the controls build on (custom-painted control and button,
// tab strip, in-place editor), posted messages and commands, the pointer and
// value mapping of sliders and drags, and remembered window positions.
#include "EventMessage.h"
#include "InlineEdit.h"
#include "MyCtrl.h"
#include "Pointer.h"
#include "TabCtrl.h"
#include "TestEnvironment.h"
#include "WindowState.h"

#include <QApplication>
#include <QCursor>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>

#include <memory>

namespace {

struct WidgetMessage
{
    int id;
    QVariant data;
    QVariant source;
};

// A control that records what its hooks were given.
class RecordingCtrl : public MyCtrl
{
public:
    using MyCtrl::MyCtrl;
    QList<QRect> painted;
    QList<WidgetMessage> messages;
    int clicks = 0;

protected:
    void paint(QPainter* p, const QRect& r) override
    {
        painted << r;
        p->fillRect(r, Qt::green);
    }
    void onMessage(int id, const QVariant& data, const QVariant& source) override
    {
        messages << WidgetMessage{id, data, source};
    }
    void onClick() override { ++clicks; }
};

class RecordingButton : public MyButton
{
public:
    using MyButton::MyButton;
    int clicked = 0;
    QList<int> messages;

protected:
    void onClicked() override { ++clicked; }
    void onMessage(int id, const QVariant&, const QVariant&) override { messages << id; }
};

// A window that takes posted commands, as a main window's dispatch does.
class CommandWindow : public QWidget
{
public:
    QList<int> commands;

protected:
    void customEvent(QEvent* event) override
    {
        if (event->type() == CommandEvent::Type())
            commands << static_cast<CommandEvent*>(event)->id();
    }
};

// A tab strip whose looks come from its hooks.
class ColouredTabs : public TabCtrl
{
public:
    using TabCtrl::TabCtrl;

protected:
    QColor backColor() const override { return QColor(10, 20, 30); }
    QColor tabColor() const override { return QColor(200, 100, 50); }
};

// The finished signals of an editor, as the string control receives them.
struct EditResult
{
    bool ok;
    QString text;
    bool keepFocus;
};

class EditWatcher : public QObject
{
public:
    QList<EditResult> results;
    void watch(InlineEdit* edit)
    {
        connect(edit, &InlineEdit::finished, this, [this](bool ok, const QString& text, bool keep) {
            results << EditResult{ok, text, keep};
        });
    }
};

} // namespace

class TestWidgets : public QObject
{
    Q_OBJECT

private slots:
    void ctrlPaintsWholeRectAndKeepsText()
    {
        RecordingCtrl ctrl;
        ctrl.resize(40, 17);
        const QImage image = ctrl.grab().toImage();
        QCOMPARE(ctrl.painted.last(), QRect(0, 0, 40, 17));
        QCOMPARE(image.pixelColor(39, 16), QColor(Qt::green));

        ctrl.setText(QStringLiteral("Volume"));
        QCOMPARE(ctrl.text(), QStringLiteral("Volume"));
    }

    void ctrlGetsPostedMessagesAndClicks()
    {
        RecordingCtrl ctrl;
        ctrl.resize(30, 20);
        int panel = 0;
        PostMessage(&ctrl, 4202, PointerToVar(&panel), 0);
        QVERIFY(ctrl.messages.isEmpty()); // later, not inside the call
        QCoreApplication::processEvents();
        QCOMPARE(ctrl.messages.size(), 1);
        QCOMPARE(ctrl.messages[0].id, 4202);
        QCOMPARE(VarToPointer(ctrl.messages[0].data), static_cast<void*>(&panel));
        QCOMPARE(ctrl.messages[0].source.toInt(), 0);

        QTest::mouseClick(&ctrl, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseClick(&ctrl, Qt::RightButton, {}, QPoint(5, 5));
        QCOMPARE(ctrl.clicks, 1);
        // Released outside the control: no click.
        QTest::mousePress(&ctrl, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(&ctrl, Qt::LeftButton, {}, QPoint(50, 5));
        QCOMPARE(ctrl.clicks, 1);
    }

    void messagesAndCommandsToMissingReceivers()
    {
        // Null receivers take nothing, and a receiver deleted before the
        // event loop runs is never reached (the sanitizers watch this).
        PostMessage(nullptr, 4201, QVariant(), QVariant());
        PostCommand(nullptr, 3);
        auto* ctrl = new RecordingCtrl;
        auto* window = new CommandWindow;
        PostMessage(ctrl, 4203, QVariant(), 0);
        PostCommand(window, 3);
        delete ctrl;
        delete window;
        QCoreApplication::processEvents();

        CommandWindow live;
        PostCommand(&live, 0);
        PostCommand(&live, 17);
        QVERIFY(live.commands.isEmpty());
        QCoreApplication::processEvents();
        QCOMPARE(live.commands, (QList<int>{0, 17}));
    }

    void asyncTipComesAfterTheEvent()
    {
        RecordingCtrl ctrl;
        ctrl.asyncSetTip(QStringLiteral("063/000:001 (A01)"));
        QVERIFY(ctrl.toolTip().isEmpty());
        QCoreApplication::processEvents();
        QCOMPARE(ctrl.toolTip(), QStringLiteral("063/000:001 (A01)"));

        auto* gone = new RecordingCtrl;
        gone->asyncSetTip(QStringLiteral("late"));
        delete gone;
        QCoreApplication::processEvents();
    }

    void buttonClicksAndMessages()
    {
        RecordingButton button;
        button.setText(QStringLiteral("Edit..."));
        button.resize(60, 20);
        QTest::mouseClick(&button, Qt::LeftButton);
        button.click();
        button.setFocus();
        QTest::keyClick(&button, Qt::Key_Space);
        QCOMPARE(button.clicked, 3);

        PostMessage(&button, 7, QVariant(), QVariant());
        QCoreApplication::processEvents();
        QCOMPARE(button.messages, QList<int>{7});
    }

    void buttonOptionsAndIcon()
    {
        MyButton button;
        QVERIFY(button.option(MyButton::DefaultOnEnter));
        QVERIFY(!button.option(MyButton::HoverFace));
        QVERIFY(button.autoDefault());
        button.setOption(MyButton::DefaultOnEnter, false);
        button.setOption(MyButton::HoverFace, true);
        QVERIFY(!button.option(MyButton::DefaultOnEnter));
        QVERIFY(button.option(MyButton::HoverFace));
        QVERIFY(!button.autoDefault());

        button.setIcon(QStringLiteral("core:open.png"));
        QVERIFY(!button.icon().isNull());
        button.setIcon(QStringLiteral("core:no-such-image.png"));
        QVERIFY(button.icon().pixmap(16, 16).isNull());
        // The default look paints without a scheme.
        button.resize(76, 24);
        QVERIFY(!button.grab().isNull());
    }

    void tabStrip()
    {
        ColouredTabs tabs;
        tabs.resize(300, 18);
        QSignalSpy changed(&tabs, &TabCtrl::tabChanged);
        tabs.init(40, false);
        QCOMPARE(tabs.insertTab(0, QStringLiteral("General")), 0);
        QCOMPARE(tabs.insertTab(5, QStringLiteral("Effects")), 1);
        QCOMPARE(tabs.count(), 2);
        QCOMPARE(tabs.selectedTab(), -1);
        QCOMPARE(tabs.tabRect(0).left(), 40);
        QCOMPARE(tabs.tabRect(1).left(), tabs.tabRect(0).right() + 1);

        // Selecting the selected tab again still reports it; no tab, nothing.
        tabs.selectTab(0);
        tabs.selectTab(0);
        tabs.selectTab(2);
        tabs.selectTab(-1);
        QCOMPARE(changed.size(), 2);
        QCOMPARE(tabs.selectedTab(), 0);

        // Inserting before the selection keeps the selected tab.
        tabs.insertTab(0, QStringLiteral("Mixer"));
        QCOMPARE(tabs.tabText(tabs.selectedTab()), QStringLiteral("General"));

        QTest::mouseClick(&tabs, Qt::LeftButton, {}, tabs.tabRect(2).center());
        QCOMPARE(tabs.selectedTab(), 2);
        QCOMPARE(changed.size(), 3);
        QTest::mouseClick(&tabs, Qt::LeftButton, {}, QPoint(10, 9)); // the indent holds no tab
        QCOMPARE(tabs.selectedTab(), 2);

        // The hooks give the looks: the indent shows the back colour.
        const QImage image = tabs.grab().toImage();
        QCOMPARE(image.pixelColor(5, 5), QColor(10, 20, 30));

        tabs.init(0, true);
        QCOMPARE(tabs.count(), 0);
        QCOMPARE(tabs.selectedTab(), -1);
        tabs.insertTab(0, QStringLiteral("A"));
        tabs.insertTab(1, QStringLiteral("B"));
        QCOMPARE(tabs.tabRect(0), QRect(0, 0, 150, 18));
        QCOMPARE(tabs.tabRect(1), QRect(150, 0, 150, 18));
    }

    void inlineEditEndsOnce_data()
    {
        QTest::addColumn<int>(
            "how"); // 0 Return, 1 Escape, 2 stopEditing(true, true), 3 stopEditing(false, false)
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("keepFocus");
        QTest::newRow("Return accepts") << 0 << true << true;
        QTest::newRow("Escape cancels") << 1 << false << true;
        QTest::newRow("stop and accept") << 2 << true << true;
        QTest::newRow("stop and reject") << 3 << false << false;
    }

    void inlineEditEndsOnce()
    {
        QFETCH(int, how);
        QFETCH(bool, ok);
        QFETCH(bool, keepFocus);

        QWidget window;
        window.resize(200, 40);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        EditWatcher watcher;
        QPointer<InlineEdit> edit =
            new InlineEdit(&window, QRect(0, 0, 120, 17), QStringLiteral("Piano"), true, 10);
        watcher.watch(edit);
        QCOMPARE(edit->geometry(), QRect(0, 0, 120, 17));
        QTest::keyClicks(edit, QStringLiteral("Organ"));
        switch (how) {
        case 0:
            QTest::keyClick(edit, Qt::Key_Return);
            break;
        case 1:
            QTest::keyClick(edit, Qt::Key_Escape);
            break;
        case 2:
            edit->stopEditing(true, true);
            break;
        default:
            edit->stopEditing(false, false);
        }
        // Whatever follows ends nothing more.
        if (edit) {
            edit->stopEditing(true, true);
            QTest::keyClick(edit, Qt::Key_Return);
        }
        window.setFocus();
        QTRY_VERIFY(edit.isNull());
        QCOMPARE(watcher.results.size(), 1);
        QCOMPARE(watcher.results[0].ok, ok);
        QCOMPARE(watcher.results[0].text, QStringLiteral("Organ")); // the selected name was replaced
        QCOMPARE(watcher.results[0].keepFocus, keepFocus);
    }

    void inlineEditFocusOutAcceptsAndLimit()
    {
        QWidget window;
        window.resize(200, 40);
        auto* other = new QWidget(&window);
        other->setFocusPolicy(Qt::StrongFocus);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QApplication::setActiveWindow(&window);

        EditWatcher watcher;
        // Started from a typed letter: the cursor follows the text.
        QPointer<InlineEdit> edit =
            new InlineEdit(&window, QRect(0, 0, 80, 17), QStringLiteral("Pi"), false, 4);
        watcher.watch(edit);
        QTRY_VERIFY(edit->hasFocus());
        QTest::keyClicks(edit, QStringLiteral("anoforte"));
        QCOMPARE(edit->text(), QStringLiteral("Pian"));
        other->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(edit.isNull());
        QCOMPARE(watcher.results.size(), 1);
        QVERIFY(watcher.results[0].ok);
        QCOMPARE(watcher.results[0].text, QStringLiteral("Pian"));
        QVERIFY(!watcher.results[0].keepFocus);

        // A longer text than the limit is cut at the start.
        std::unique_ptr<InlineEdit> cut(
            new InlineEdit(nullptr, QRect(0, 0, 80, 17), QStringLiteral("Grand Piano"), true, 5));
        QCOMPARE(cut->text(), QStringLiteral("Grand"));
    }

    void inlineEditNeverOutlivesItsParent()
    {
        // The parent goes while the edit is open and focused: no signal into
        // the half-destroyed parent, no editor left behind.
        auto* window = new QWidget;
        window->resize(200, 40);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QApplication::setActiveWindow(window);
        EditWatcher watcher;
        QPointer<InlineEdit> edit =
            new InlineEdit(window, QRect(0, 0, 80, 17), QStringLiteral("Bass"), true, 10);
        watcher.watch(edit);
        QTRY_VERIFY(edit->hasFocus());
        delete window;
        QVERIFY(edit.isNull());
        QCoreApplication::processEvents();
        QVERIFY(watcher.results.isEmpty());

        // The receiver destroys the parent while it is told of the end.
        auto* host = new QWidget;
        host->resize(200, 40);
        host->show();
        QVERIFY(QTest::qWaitForWindowExposed(host));
        QPointer<InlineEdit> second =
            new InlineEdit(host, QRect(0, 0, 80, 17), QStringLiteral("Lead"), true, 10);
        int ends = 0;
        connect(second, &InlineEdit::finished, host, [&] {
            ++ends;
            delete host;
        });
        QTest::keyClick(second, Qt::Key_Return);
        QVERIFY(second.isNull());
        QCoreApplication::processEvents();
        QCOMPARE(ends, 1);
    }

    void pointToValue_data()
    {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<bool>("horizontal");
        QTest::addColumn<int>("value");
        const QRect strip(QPoint(3, 15), QPoint(130, 18)); // 128 pixels
        QTest::newRow("left edge") << QPoint(3, 16) << strip << 0 << 127 << true << 0;
        QTest::newRow("right edge") << QPoint(130, 16) << strip << 0 << 127 << true << 127;
        QTest::newRow("one pixel a value") << QPoint(67, 16) << strip << 0 << 127 << true << 64;
        QTest::newRow("left of the strip") << QPoint(-40, 16) << strip << 0 << 127 << true << 0;
        QTest::newRow("right of the strip") << QPoint(400, 16) << strip << 0 << 127 << true << 127;
        QTest::newRow("offset range") << QPoint(3, 16) << strip << -64 << 63 << true << -64;
        QTest::newRow("rounds to nearest") << QPoint(4, 0) << QRect(0, 0, 11, 2) << 0 << 3 << true << 1;
        QTest::newRow("vertical: bottom is min")
            << QPoint(0, 99) << QRect(0, 0, 5, 100) << 0 << 99 << false << 0;
        QTest::newRow("vertical: top is max")
            << QPoint(0, 0) << QRect(0, 0, 5, 100) << 0 << 99 << false << 99;
        QTest::newRow("empty range") << QPoint(60, 0) << strip << 5 << 5 << true << 5;
        QTest::newRow("one pixel wide") << QPoint(3, 0) << QRect(3, 0, 1, 1) << 0 << 127 << true << 0;
    }

    void pointToValue()
    {
        QFETCH(QPoint, point);
        QFETCH(QRect, rect);
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(bool, horizontal);
        QFETCH(int, value);
        QCOMPARE(PointToValue(point, rect, min, max, horizontal), value);
    }

    void relativePos_data()
    {
        QTest::addColumn<int>("v");
        QTest::addColumn<int>("lo");
        QTest::addColumn<int>("hi");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("pos");
        QTest::newRow("centre of a bipolar strip") << 64 << 0 << 127 << 127 << 64;
        QTest::newRow("low end") << 0 << 0 << 127 << 100 << 0;
        QTest::newRow("high end") << 127 << 0 << 127 << 100 << 100;
        QTest::newRow("below the scale") << -5 << 0 << 127 << 100 << 0;
        QTest::newRow("above the scale") << 500 << 0 << 127 << 100 << 100;
        QTest::newRow("empty scale") << 3 << 3 << 3 << 100 << 0;
        QTest::newRow("wide scale") << 16383 << 0 << 16383 << 1000 << 1000;
    }

    void relativePos()
    {
        QFETCH(int, v);
        QFETCH(int, lo);
        QFETCH(int, hi);
        QFETCH(int, length);
        QFETCH(int, pos);
        QCOMPARE(GetRelativePos(v, lo, hi, 0, length), pos);
        QCOMPARE(GetRelativePos(v, lo, hi, 3, length), pos + 3);
    }

    void valueChanger_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<bool>("horizontal");
        QTest::addColumn<QList<QPoint>>("travel"); // pointer offsets from the start
        QTest::addColumn<QList<int>>("values");
        QTest::newRow("right for more")
            << 64 << 0 << 127 << true << QList<QPoint>{{2, 0}, {20, 0}, {-20, 0}, {1, 50}}
            << QList<int>{65, 74, 54, 64};
        QTest::newRow("up for more, vertical")
            << 64 << 0 << 127 << false << QList<QPoint>{{0, -10}, {0, 10}, {300, 0}}
            << QList<int>{69, 59, 64};
        QTest::newRow("an end holds, and the way back counts from it")
            << 120 << 0 << 127 << true << QList<QPoint>{{100, 0}, {98, 0}} << QList<int>{127, 126};
        QTest::newRow("no value starts at the default")
            << -1 << 0 << 127 << true << QList<QPoint>{{0, 0}, {4, 0}} << QList<int>{100, 102};
        QTest::newRow("small range takes more pixels")
            << 0 << 0 << 3 << true << QList<QPoint>{{15, 0}, {16, 0}, {40, 0}} << QList<int>{0, 1, 2};
        QTest::newRow("large range takes several steps a pixel")
            << 0 << 0 << 16383 << true << QList<QPoint>{{1, 0}, {10, 0}} << QList<int>{64, 640};
    }

    void valueChanger()
    {
        QFETCH(int, value);
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(bool, horizontal);
        QFETCH(QList<QPoint>, travel);
        QFETCH(QList<int>, values);

        const QPoint start = QCursor::pos();
        ValueChanger changer;
        changer.start(value, min, max, horizontal, 100);
        QList<int> got;
        for (const QPoint& t : travel)
            got << changer.move(start + t);
        QCOMPARE(got, values);
    }

    void valueChangerFollowsThePointer()
    {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        MoveMouse(screen.center());
        QCOMPARE(QCursor::pos(), screen.center());
        ValueChanger changer;
        changer.start(10, 0, 127, true, 0);
        MoveMouse(screen.center() + QPoint(8, 0));
        QCOMPARE(changer.move(), 14);
    }

    void hiddenPointerDoesNotStack()
    {
        QVERIFY(!IsMouseHidden());
        ShowMouse(false);
        ShowMouse(false); // a drag hides it again on every move
        QVERIFY(IsMouseHidden());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::BlankCursor);
        ShowMouse(true);
        QVERIFY(!IsMouseHidden());
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        ShowMouse(true);
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }

    void windowPositions()
    {
        QWidget window;
        window.move(120, 90);
        StoreWindowState(&window, QStringLiteral("Keyboard"));
        window.move(300, 200);
        StoreWindowState(&window, QStringLiteral("Effects/Reverb|0|000130"));

        QWidget other;
        other.move(5, 5);
        LoadWindowState(&other, QStringLiteral("Keyboard"), QPoint(40, 40));
        QCOMPARE(other.pos(), QPoint(120, 90));
        LoadWindowState(&other, QStringLiteral("Effects/Reverb|0|000130"));
        QCOMPARE(other.pos(), QPoint(300, 200));

        // Nothing saved: the default, or where it is for a null default.
        LoadWindowState(&other, QStringLiteral("Never Stored"), QPoint(40, 50));
        QCOMPARE(other.pos(), QPoint(40, 50));
        LoadWindowState(&other, QStringLiteral("Never Stored"), QPoint());
        QCOMPARE(other.pos(), QPoint(40, 50));

        // A position on no screen any more is not used.
        window.move(-50000, -50000);
        StoreWindowState(&window, QStringLiteral("Keyboard"));
        LoadWindowState(&other, QStringLiteral("Keyboard"), QPoint(60, 70));
        QCOMPARE(other.pos(), QPoint(60, 70));

        LoadWindowState(nullptr, QStringLiteral("Keyboard"), QPoint(1, 1));
        StoreWindowState(nullptr, QStringLiteral("Keyboard"));
    }

    // A window put somewhere of its own comes wholly onto the screen's free
    // area, moving as little as it must; a resizable one larger than the area
    // shrinks to it (not below its minimum); a fixed one too large for it
    // keeps its top left corner in view; one the system places stays put.
    void keepOnScreen_data()
    {
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QSize>("fixedSize"); // empty: resizable
        QTest::addColumn<bool>("placed");
        QTest::addColumn<QRect>("expected"); // from the area's top left; x -1 / y -1: at the right / bottom
        QTest::newRow("inside") << QRect(10, 20, 200, 100) << QSize() << true << QRect(10, 20, 200, 100);
        QTest::newRow("below") << QRect(10, 5000, 200, 100) << QSize() << true << QRect(10, -1, 200, 100);
        QTest::newRow("right and left") << QRect(5000, -300, 200, 100) << QSize() << true << QRect(-1, 0, 200, 100);
        QTest::newRow("too large") << QRect(30, 30, 5000, 5000) << QSize() << true << QRect(0, 0, -1, -1);
        QTest::newRow("too large, fixed") << QRect(30, 30, 5000, 5000) << QSize(5000, 5000) << true
                                          << QRect(0, 0, 5000, 5000);
        QTest::newRow("placed by the system") << QRect(0, 0, 200, 100) << QSize() << false << QRect(0, 0, 200, 100);
    }
    void keepOnScreen()
    {
        QFETCH(QRect, geometry);
        QFETCH(QSize, fixedSize);
        QFETCH(bool, placed);
        QFETCH(QRect, expected);
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QWidget window;
        if (fixedSize.isValid())
            window.setFixedSize(fixedSize);
        else
            window.resize(geometry.size());
        if (placed)
            window.move(area.topLeft() + geometry.topLeft());
        KeepOnScreen(&window);
        const QSize size(expected.width() == -1 ? area.width() : expected.width(),
                         expected.height() == -1 ? area.height() : expected.height());
        const QPoint at(expected.x() == -1 ? area.right() + 1 - size.width() : area.left() + expected.x(),
                        expected.y() == -1 ? area.bottom() + 1 - size.height() : area.top() + expected.y());
        QCOMPARE(window.size(), size);
        QCOMPARE(window.pos(), placed ? at : QPoint(0, 0));
        KeepOnScreen(nullptr);
    }

    void windowHelpers()
    {
        QWidget w;
        SetAccessibleText(&w, QStringLiteral("Volume 100"));
        QCOMPARE(w.accessibleName(), QStringLiteral("Volume 100"));
        SetAccessibleText(nullptr, QStringLiteral("x"));
        RemoveWindowFrame(&w);
        QVERIFY(w.windowFlags().testFlag(Qt::FramelessWindowHint));
        RemoveWindowFrame(nullptr);
    }
};

ORVANE_TEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
