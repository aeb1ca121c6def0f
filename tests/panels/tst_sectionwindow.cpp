// The section window: the effect panel that follows its type control, with
// its base address, title and one saved position; F5 and the check boxes'
// keys; windows opened by name; windows whose section holds nothing; and
// closing by Escape.
#include "BusPanelRig.h"
#include "MidiEdit.h"
#include "PanelDlg.h"
#include "Profile.h"
#include "TestEnvironment.h"
#include "WindowState.h"

#include <QContextMenuEvent>
#include <QSettings>
#include <QUrl>

namespace {

const unsigned int ReverbAddress = 0x300100;

// The test instrument's indexed parameters lie 0x100 apart.
unsigned int indexed(int index)
{
    return ReverbAddress + (unsigned(index) << 8);
}

// The rig with the test effect panels and a system section of a mix editor
// in its device, which counts as connected so panels request their values.
class EffectRig : public BusPanelRig
{
public:
    EffectRig()
    {
        QVERIFY(
            device.xml()->loadFile(QStringLiteral(ORVANE_SOURCE_DIR "/tests/panels/layouts/effects.xml")));
        QVERIFY(device.xml()->loadData(R"(<section>
            <section name="Mix:System" title="System">
              <edit title="Tempo" address="300500"/>
              <check title="mLAN Monitor" key="F8" address="300501"/>
            </section>
            <section name="Mix:Nothing" title="Nothing"/>
          </section>)"));
        device.setConnected(true);
        clearSent();
    }

    // The reverb type control of an effect panel, on the rig's panel, set
    // to data (the two 7-bit bytes of the type; -1: none received).
    MidiEdit* reverb(int data)
    {
        EditInfo info;
        info.title = QStringLiteral("Reverb");
        info.section = QStringLiteral("Effects Parameters");
        info.subsection = QStringLiteral("hex");
        info.param.setAddress(ReverbAddress);
        info.param.setSize(2);
        info.param.max = 16383;
        info.combo = true;
        auto* edit = new MidiEdit(panel, info);
        panel->addControl(edit);
        if (data != -1)
            edit->OnSysex(parameterChange(ReverbAddress, data, 2).get());
        return edit;
    }

    // The window the control's context menu raises or opens.
    static PanelDlg* openFrom(MidiEdit* edit)
    {
        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(5, 5));
        QApplication::sendEvent(edit, &menu);
        return edit->panelDlg();
    }
};

QStringList requests(const QList<unsigned int>& addresses)
{
    QStringList list;
    for (unsigned int a : addresses)
        list << BusPanelRig::request(a);
    return list;
}

// The saved window positions whose names hold part.
QStringList savedPositions(const QString& part)
{
    auto settings = Profile::settings();
    settings->beginGroup(QStringLiteral("Windows"));
    QStringList found;
    for (const QString& key : settings->childKeys()) {
        const QString name = QUrl::fromPercentEncoding(key.toLatin1());
        if (name.contains(part))
            found << name + QLatin1Char('=') + settings->value(key).toString();
    }
    return found;
}

// An editor's client that hears of every panel a section window loads.
class LoadingClient : public MidiClient
{
public:
    explicit LoadingClient(BusPanelRig& rig) : MidiClient(QStringLiteral("Loading"), &rig.device, &rig.window)
    {
    }
    void OnLoadPanel(Panel* panel) override { loaded << panel->title(); }
    QStringList loaded;
};

bool inClient(BusPanelRig& rig, PanelDlg* window)
{
    return rig.client.panelList().contains(window->panel());
}

} // namespace

class TestSectionWindow : public QObject
{
    Q_OBJECT

private slots:
    // The window shows the sub-section of the type's data at the control's
    // address, and switches in place as the type changes: one name, one
    // saved position, a new title and the new type's requests.
    void followsTheEffectType()
    {
        EffectRig rig;
        MidiEdit* reverb = rig.reverb(0xB0); // bytes 01 30
        rig.clearSent();
        QPointer<PanelDlg> window = EffectRig::openFrom(reverb);
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("Plate"));
        QCOMPARE(window->panel()->title(), QStringLiteral("Plate"));
        QCOMPARE(window->panel()->internalName(), QStringLiteral("Effects Parameters|-1|300100"));
        QCOMPARE(window->panel()->controlWidth(), 90);
        QVERIFY(inClient(rig, window));
        QCOMPARE(rig.sent(), requests({indexed(1), indexed(3), indexed(16)}));
        QCOMPARE(window->panel()->size(), window->panel()->minimumSize());

        window->move(140, 90);
        rig.clearSent();
        reverb->OnSysex(BusPanelRig::parameterChange(ReverbAddress, 0xC0, 2).get()); // 01 40
        QCOMPARE(window->windowTitle(), QStringLiteral("White Room"));
        QCOMPARE(window->pos(), QPoint(140, 90));
        QCOMPARE(savedPositions(QStringLiteral("Effects Parameters")),
                 QStringList{QStringLiteral("Effects Parameters|-1|300100=140,90")});
        QCOMPARE(rig.sent(), requests({indexed(1), indexed(4), indexed(16)}));
        QCOMPARE(rig.client.panelList().count(window->panel()), 1);

        // A type without parameters closes the window; the control then
        // opens none for it.
        reverb->OnSysex(BusPanelRig::parameterChange(ReverbAddress, 0, 2).get());
        QVERIFY(window);
        QVERIFY(!window->isVisible());
        QVERIFY(!inClient(rig, window));
        QVERIFY(!EffectRig::openFrom(reverb));
        QVERIFY(!window);

        // Back on a type with parameters, a new window opens where the old
        // one was.
        reverb->OnSysex(BusPanelRig::parameterChange(ReverbAddress, 0x80, 2).get()); // 01 00
        PanelDlg* again = EffectRig::openFrom(reverb);
        QVERIFY(again);
        QCOMPARE(again->windowTitle(), QStringLiteral("Hall 1"));
        QCOMPARE(again->pos(), QPoint(140, 90));

        // Closed by the user, it only leaves the client when the type
        // changes, and loads nothing.
        again->close();
        QVERIFY(!inClient(rig, again));
        again->changeSection(0xB0);
        QVERIFY(again->panel()->isEmpty());
        QVERIFY(!again->isVisible());
    }

    // A control without a value does not know the instrument's type: it
    // opens no window, rather than the type of an earlier opening with no
    // addresses.
    void controlWithoutValueOpensNothing()
    {
        EffectRig rig;
        MidiEdit* reverb = rig.reverb(0x80);
        PanelDlg* first = EffectRig::openFrom(reverb);
        QVERIFY(first);
        QCOMPARE(reverb->editInfo().value, QStringLiteral("0100"));
        first->close();
        reverb->resetValues();
        rig.clearSent();
        QVERIFY(!EffectRig::openFrom(reverb));
        QVERIFY(reverb->editInfo().value.isEmpty());
        QVERIFY(rig.sent().isEmpty());
        QVERIFY(rig.window.findChildren<QDialog*>().isEmpty());
    }

    // F5, with or without modifiers, requests every value again; a plain
    // key goes to the check boxes' shortcuts, a shifted one does not.
    void keys()
    {
        EffectRig rig;
        PanelDlg* window = PanelDlg::DoPanel(&rig.window, &rig.client, QStringLiteral("Mix:System"), 114);
        QVERIFY(window);
        const QStringList all = requests({0x300500, 0x300501});
        QCOMPARE(rig.sent(), all);
        for (Qt::KeyboardModifiers modifiers :
             {Qt::KeyboardModifiers(Qt::NoModifier), Qt::ShiftModifier | Qt::ControlModifier}) {
            rig.clearSent();
            QTest::keyClick(window, Qt::Key_F5, modifiers);
            QCOMPARE(rig.sent(), all);
        }

        rig.clearSent();
        QTest::keyClick(window, Qt::Key_F8, Qt::ShiftModifier);
        QVERIFY(rig.sent().isEmpty());
        QTest::keyClick(window, Qt::Key_F8);
        QCOMPARE(rig.sent().value(0), BusPanelRig::change(0x300501, 1));
    }

    // Every DoPanel opens another window with the given control width (0:
    // the default); a closed one goes, with its panel out of the client and its position
    // kept.
    void doPanel()
    {
        EffectRig rig;
        QPointer<PanelDlg> one =
            PanelDlg::DoPanel(&rig.window, &rig.client, QStringLiteral("Mix:System"), 114);
        QPointer<PanelDlg> two =
            PanelDlg::DoPanel(&rig.window, &rig.client, QStringLiteral("Mix:System"), 114);
        QVERIFY(one && two && one != two);
        QVERIFY(one->isVisible() && two->isVisible());
        QCOMPARE(one->windowTitle(), QStringLiteral("System"));
        QCOMPARE(one->panel()->widgetAt(one->panel()->itemCount() - 1)->width(), 114);
        QVERIFY(inClient(rig, one) && inClient(rig, two));
        LoadingClient editor(rig);
        std::unique_ptr<PanelDlg> own(PanelDlg::DoPanel(nullptr, &editor, QStringLiteral("Mix:System"), 0));
        QCOMPARE(editor.loaded, QStringList{QStringLiteral("System")});
        // A width of 0 keeps the default, as the layouts' "colwidth" does.
        QCOMPARE(own->panel()->controlWidth(), 90);
        QCOMPARE(own->panel()->widgetAt(own->panel()->itemCount() - 1)->width(), 90);

        one->move(60, 40);
        Panel* panel = one->panel();
        one->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!one);
        QVERIFY(!rig.client.panelList().contains(panel));
        QCOMPARE(savedPositions(QStringLiteral("Mix:System")),
                 QStringList{QStringLiteral("Mix:System|-1=60,40")});
        delete two.data();
    }

    // A section that yields no control closes the window as it opens; the
    // window goes at once, and the position saved for it stays.
    void emptySectionClosesTheWindow()
    {
        EffectRig rig;
        QWidget saved;
        saved.move(70, 80);
        StoreWindowState(&saved, QStringLiteral("Mix:Nothing|-1"));
        const int panels = rig.client.panelList().count();
        QVERIFY(!PanelDlg::DoPanel(&rig.window, &rig.client, QStringLiteral("Mix:Nothing"), 90));
        QVERIFY(!PanelDlg::DoPanel(nullptr, &rig.client, QStringLiteral("No Such Section"), 90));
        QVERIFY(rig.window.findChildren<QDialog*>().isEmpty());
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY(!dynamic_cast<PanelDlg*>(w));
        QCOMPARE(savedPositions(QStringLiteral("Mix:Nothing")),
                 QStringList{QStringLiteral("Mix:Nothing|-1=70,80")});
        QCOMPARE(rig.client.panelList().count(), panels);

        // A descriptor without a section leaves the window empty and hidden.
        PanelDlg none(&rig.window, &rig.client, LaunchInfo(), PanelDlg::NoBase);
        QVERIFY(none.panel()->isEmpty());
        QVERIFY(!none.isVisible());
    }

    // A switch to a type with more parameters, and back to one with fewer,
    // fits the panel and the window to the new type's cells: none is cut
    // off, no empty room is left.
    void switchFitsTheNewType()
    {
        EffectRig rig;
        MidiEdit* reverb = rig.reverb(0x80); // Hall 1: one parameter
        PanelDlg* window = EffectRig::openFrom(reverb);
        QVERIFY(window);
        Panel* panel = window->panel();
        const QSize hall(panel->calcWidth(), panel->calcHeight());
        QCOMPARE(panel->size(), hall);
        const int hallWindow = window->height();

        reverb->OnSysex(BusPanelRig::parameterChange(ReverbAddress, 0xB0, 2).get()); // Plate: three
        QCOMPARE(window->windowTitle(), QStringLiteral("Plate"));
        const QSize plate(panel->calcWidth(), panel->calcHeight());
        QVERIFY(plate.height() > hall.height());
        QCOMPARE(panel->size(), plate);
        QCOMPARE(panel->size(), panel->minimumSize());
        QTRY_COMPARE(window->height() - hallWindow, plate.height() - hall.height());
        for (int i = 0; i < panel->itemCount(); ++i)
            QVERIFY(panel->rect().contains(panel->widgetAt(i)->geometry()));

        reverb->OnSysex(BusPanelRig::parameterChange(ReverbAddress, 0x80, 2).get());
        QCOMPARE(panel->size(), hall);
        QTRY_COMPARE(window->height(), hallWindow);
    }

    // Escape closes the window as its frame does: the panel leaves the
    // client and the position is kept.
    void escapeCloses()
    {
        EffectRig rig;
        MidiEdit* reverb = rig.reverb(0x80);
        PanelDlg* window = EffectRig::openFrom(reverb);
        QVERIFY(window);
        window->move(30, 20);
        QTest::keyClick(window, Qt::Key_Escape);
        QVERIFY(!window->isVisible());
        QVERIFY(window->panel()->isEmpty());
        QVERIFY(!inClient(rig, window));
        QCOMPARE(savedPositions(QStringLiteral("Effects Parameters")),
                 QStringList{QStringLiteral("Effects Parameters|-1|300100=30,20")});
    }

    // A window without a frame has a black background and a margin of one
    // pixel; a modal one gets a Close button and waits for its opener.
    void framelessAndModal()
    {
        EffectRig rig;
        LaunchInfo info;
        info.section = QStringLiteral("Mix:System");
        info.frameless = true;
        PanelDlg frameless(&rig.window, &rig.client, info, PanelDlg::NoBase);
        QVERIFY(frameless.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(frameless.layout()->contentsMargins().left(), 1);
        QCOMPARE(frameless.grab().toImage().pixelColor(0, frameless.height() - 1), QColor(Qt::black));

        info.frameless = false;
        info.modal = true;
        PanelDlg modal(&rig.window, &rig.client, info, PanelDlg::NoBase);
        QVERIFY(!modal.isVisible());
        QCOMPARE(modal.windowModality(), Qt::ApplicationModal);
        QVERIFY(modal.buttons());
        QCOMPARE(modal.layout()->contentsMargins().left(), 9);
        QVERIFY(modal.grab().toImage().pixelColor(0, modal.height() - 1) != QColor(Qt::black));
    }
};

ORVANE_TEST_MAIN(TestSectionWindow)
#include "tst_sectionwindow.moc"
