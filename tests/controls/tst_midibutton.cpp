// The button: the message it sends, the section window it opens, raises and
// replaces, the value control it opens the window of, and its keys.
#include "BusPanelRig.h"
#include "MidiButton.h"
#include "MidiEdit.h"
#include "TestEnvironment.h"

namespace {

ButtonInfo buttonInfo(const QString& title, const QString& section = QString(),
                      const QString& subsection = QString())
{
    ButtonInfo info;
    info.title = title;
    info.section = section;
    info.subsection = subsection;
    return info;
}

// The effect panels of the test layouts, and a section of its own for a
// button, in the rig's device.
void loadSections(BusPanelRig& rig)
{
    QVERIFY(
        rig.device.xml()->loadFile(QStringLiteral(ORVANE_SOURCE_DIR "/tests/panels/layouts/effects.xml")));
    QVERIFY(rig.device.xml()->loadData(
        R"(<section name="Voice:ARP:SF" title="Arpeggio"><edit title="Type" address="300200"/></section>)"));
}

bool press(QWidget* w, int key)
{
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
    return event.isAccepted();
}

} // namespace

class TestMidiButton : public QObject
{
    Q_OBJECT

private slots:
    void sendsItsMessage()
    {
        BusPanelRig rig;
        ButtonInfo info = buttonInfo(QStringLiteral("Init"));
        info.sysex = QStringLiteral("F0 43 10 7F 00 30 01 00 05 F7");
        MidiButton button(rig.panel, info);
        QCOMPARE(button.type(), int(MidiCtrl::ButtonType));
        QCOMPARE(button.text(), QStringLiteral("Init"));
        button.click();
        QCOMPARE(rig.sent(), QStringList{info.sysex});

        // Space presses it; the arrows, Home and End go on to the panel.
        rig.clearSent();
        for (int key : {Qt::Key_Left, Qt::Key_Up, Qt::Key_Right, Qt::Key_Down, Qt::Key_Home, Qt::Key_End})
            QVERIFY(!press(&button, key));
        QVERIFY(rig.sent().isEmpty());
        QTest::keyClick(&button, Qt::Key_Space);
        QCOMPARE(rig.sent(), QStringList{info.sysex});

        rig.clearSent();
        MidiButton silent(rig.panel, buttonInfo(QStringLiteral("Nothing")));
        silent.click();
        QVERIFY(rig.sent().isEmpty());
    }

    // A second click only raises the open window; once the user closed it,
    // the next click replaces it.
    void opensAndRaisesItsWindow()
    {
        BusPanelRig rig;
        loadSections(rig);
        MidiButton button(rig.panel, buttonInfo(QStringLiteral("Types..."), QStringLiteral("Voice:ARP:SF")));
        QVERIFY(!button.linkedEdit());
        button.click();
        QPointer<PanelDlg> first = button.sectionWindow();
        QVERIFY(first);
        QVERIFY(first->isVisible());
        button.click();
        QCOMPARE(button.sectionWindow(), first.data());

        first->hide();
        button.click();
        QVERIFY(!first);
        QVERIFY(button.sectionWindow());
        QVERIFY(button.sectionWindow()->isVisible());
    }

    // An "Edit..." button after a value control opens that control's
    // window, which then follows the control's value.
    void opensTheWindowOfTheControlBeforeIt()
    {
        BusPanelRig rig;
        loadSections(rig);
        EditInfo reverb;
        reverb.title = QStringLiteral("Reverb");
        reverb.section = QStringLiteral("Effects Parameters");
        reverb.subsection = QStringLiteral("hex");
        reverb.param.setAddress(0x300100);
        reverb.param.setSize(2);
        reverb.param.max = 16383;
        reverb.combo = true;
        auto* edit = new MidiEdit(rig.panel, reverb);
        edit->OnSysex(BusPanelRig::parameterChange(0x300100, 0x80, 2).get());
        rig.panel->addControl(edit);
        auto* button = new MidiButton(rig.panel, buttonInfo(QStringLiteral("Edit..."),
                                                            QStringLiteral("Effects Parameters"),
                                                            QStringLiteral("hex")));
        QCOMPARE(button->linkedEdit(), edit);

        button->click();
        QVERIFY(edit->panelDlg());
        QCOMPARE(edit->editInfo().value, QStringLiteral("0100"));
        QCOMPARE(button->sectionWindow(), edit->panelDlg());
        edit->changeValue(0xB0);
        QCOMPARE(edit->panelDlg()->windowTitle(), QStringLiteral("Plate"));
        button->click();
        QCOMPARE(button->sectionWindow(), edit->panelDlg());

        // A button that is the panel's first item opens its own section.
        BusPanelRig other;
        MidiButton alone(other.panel,
                         buttonInfo(QStringLiteral("Edit..."), QStringLiteral("Effects Parameters"),
                                    QStringLiteral("hex")));
        QVERIFY(!alone.linkedEdit());
    }
};

ORVANE_TEST_MAIN(TestMidiButton)
#include "tst_midibutton.moc"
