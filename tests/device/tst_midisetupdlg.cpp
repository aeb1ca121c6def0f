// The MIDI set-up dialog on the virtual bus: what it shows for devices with
// and without a device number, secondary ports and a keyboard, which
// endpoint each port box selects, and what OK and Cancel leave in the device
// and in the profile.
#include "Dialog.h"
#include "MidiDevice.h"
#include "MidiSetupDlg.h"
#include "Profile.h"
#include "Prompts.h"
#include "TestEnvironment.h"
#include "VirtualMidiBus.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>

#include <memory>

namespace {

// A device whose hooks say which parts of the dialog it needs, as an
// instrument's own device class does.
class SetupDevice : public MidiDevice
{
public:
    SetupDevice(bool deviceId, bool secondary, bool keyboard)
        : MidiDevice(QStringLiteral("Vesk ES"), 10), m_deviceId(deviceId), m_secondary(secondary),
          m_keyboard(keyboard)
    {
    }
    bool hasDeviceId() override { return m_deviceId; }
    bool hasSecondaryPorts() override { return m_secondary; }
    bool hasKeyboard() override { return m_keyboard; }

private:
    bool m_deviceId;
    bool m_secondary;
    bool m_keyboard;
};

MidiPortCombo* box(const MidiSetupDlg& dlg, const char* key)
{
    return dlg.findChild<MidiPortCombo*>(QString::fromLatin1(key));
}

QStringList items(const QComboBox* combo)
{
    QStringList list;
    for (int i = 0; i < combo->count(); ++i)
        list << combo->itemText(i);
    return list;
}

QStringList groupTitles(const MidiSetupDlg& dlg)
{
    QStringList titles;
    for (const DialogForm* form : dlg.findChildren<DialogForm*>())
        titles << form->title();
    return titles;
}

QStringList rowLabels(const DialogForm* form)
{
    QStringList labels;
    for (int r = 0; r < form->form()->rowCount(); ++r) {
        if (QLayoutItem* item = form->form()->itemAt(r, QFormLayout::LabelRole))
            labels << qobject_cast<QLabel*>(item->widget())->text();
    }
    return labels;
}

QString profilePort(const char* key)
{
    return Profile::readProfileString(QString(), QString::fromLatin1(key));
}

void clickOk(MidiSetupDlg& dlg)
{
    dlg.buttons()->button(QDialogButtonBox::Ok)->click();
}

} // namespace

class TestMidiSetupDlg : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;

private slots:
    void initTestCase()
    {
        bus = VirtualMidiBus::instance();
        QVERIFY2(bus, "the tests run on the virtual MIDI bus (ORVANE_MIDI_BACKEND=virtual)");
    }

    void init()
    {
        bus->reset();
        // Every device starts from an empty profile; the devices of earlier
        // tests stored their choices when they went.
        Profile::settings()->clear();
        bus->addSource(QStringLiteral("Synth In"));
        bus->addSource(QStringLiteral("Keys In"));
        bus->addSource(QStringLiteral("Twin"));
        bus->addSource(QStringLiteral("Twin"));
        bus->addDestination(QStringLiteral("Synth Out"));
        bus->addDestination(QStringLiteral("Keys Out"));
        bus->addDestination(QStringLiteral("Twin"));
        bus->addDestination(QStringLiteral("Twin"));
    }

    void layout_data()
    {
        QTest::addColumn<bool>("deviceId");
        QTest::addColumn<bool>("secondary");
        QTest::addColumn<bool>("keyboard");
        QTest::newRow("everything") << true << true << true;
        QTest::newRow("plain device") << false << false << false;
        QTest::newRow("device number only") << true << false << false;
        QTest::newRow("secondary ports and keyboard") << false << true << true;
    }

    void layout()
    {
        QFETCH(bool, deviceId);
        QFETCH(bool, secondary);
        QFETCH(bool, keyboard);
        SetupDevice device(deviceId, secondary, keyboard);
        MidiSetupDlg dlg(&device);

        QCOMPARE(dlg.windowTitle(), QStringLiteral("MIDI Setup"));
        QVERIFY(!dlg.parentWidget());

        QStringList titles{QStringLiteral("Vesk ES Setup")};
        if (secondary)
            titles << QStringLiteral("Vesk ES Secondary Ports");
        titles << QStringLiteral("Auxiliary Ports");
        QCOMPARE(groupTitles(dlg), titles);

        const QList<DialogForm*> forms = dlg.findChildren<DialogForm*>();
        QStringList mainRows{QStringLiteral("MIDI &In"), QStringLiteral("MIDI &Out")};
        if (deviceId)
            mainRows << QStringLiteral("Device Id");
        mainRows << QStringLiteral("Bulk Dump Interval");
        QCOMPARE(rowLabels(forms.first()), mainRows);
        QStringList auxRows{QStringLiteral("MIDI In")};
        if (keyboard)
            auxRows << QStringLiteral("MIDI Out");
        QCOMPARE(rowLabels(forms.last()), auxRows);
        if (secondary)
            QCOMPARE(rowLabels(forms.at(1)),
                     (QStringList{QStringLiteral("MIDI In"), QStringLiteral("MIDI Out")}));

        for (const DialogForm* form : forms) {
            QVERIFY(form->iconLabel());
            QVERIFY(!form->iconLabel()->pixmap().isNull());
        }
        QCOMPARE(forms.first()->iconName(), QStringLiteral("core:midi.png"));
        QCOMPARE(forms.last()->iconName(), QStringLiteral("core:piano.png"));

        // Boxes without a row stay out of sight.
        QVERIFY(box(dlg, "MidiIn")->isVisibleTo(&dlg));
        QVERIFY(box(dlg, "AuxIn")->isVisibleTo(&dlg));
        QCOMPARE(box(dlg, "MidiIn2")->isVisibleTo(&dlg), secondary);
        QCOMPARE(box(dlg, "MidiOut2")->isVisibleTo(&dlg), secondary);
        QCOMPARE(box(dlg, "AuxOut")->isVisibleTo(&dlg), keyboard);
        QCOMPARE(dlg.findChild<QComboBox*>(QStringLiteral("DeviceId"))->isVisibleTo(&dlg), deviceId);
        QVERIFY(dlg.buttons());
    }

    void portLists()
    {
        SetupDevice device(true, true, true);
        MidiSetupDlg dlg(&device);
        const QStringList ins{QStringLiteral("(none)"), QStringLiteral("Synth In"), QStringLiteral("Keys In"),
                              QStringLiteral("Twin"), QStringLiteral("Twin")};
        const QStringList outs{QStringLiteral("(none)"), QStringLiteral("Synth Out"),
                               QStringLiteral("Keys Out"), QStringLiteral("Twin"), QStringLiteral("Twin")};
        for (const char* key : {"MidiIn", "MidiIn2", "AuxIn"})
            QCOMPARE(items(box(dlg, key)), ins);
        for (const char* key : {"MidiOut", "MidiOut2", "AuxOut"})
            QCOMPARE(items(box(dlg, key)), outs);
        QVERIFY(box(dlg, "MidiIn")->maxVisibleItems() >= 24);

        // The dialog reads the endpoints afresh: one plugged in since shows up.
        bus->addSource(QStringLiteral("Late In"));
        MidiSetupDlg later(&device);
        QCOMPARE(items(box(later, "MidiIn")).last(), QStringLiteral("Late In"));
    }

    void intervalAndDeviceNumber()
    {
        SetupDevice device(true, false, false);
        device.setDelay(35);
        device.setDeviceId(0);
        MidiSetupDlg dlg(&device);
        auto* delay = dlg.findChild<QSpinBox*>(QStringLiteral("Delay"));
        QCOMPARE(delay->minimum(), 0);
        QCOMPARE(delay->maximum(), 100);
        QCOMPARE(delay->suffix(), QStringLiteral(" msec"));
        QCOMPARE(delay->value(), 35);

        auto* id = dlg.findChild<QComboBox*>(QStringLiteral("DeviceId"));
        QStringList numbers;
        for (int i = 1; i <= 16; ++i)
            numbers << QString::number(i);
        QCOMPARE(items(id), numbers);
        QCOMPARE(id->currentText(), QStringLiteral("1"));

        delay->setValue(0);
        id->setCurrentIndex(id->findText(QStringLiteral("16")));
        clickOk(dlg);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(device.delay(), 0);
        QCOMPARE(device.deviceId(), 15);

        device.setDeviceId(6);
        MidiSetupDlg again(&device);
        QCOMPARE(again.findChild<QComboBox*>(QStringLiteral("DeviceId"))->currentText(), QStringLiteral("7"));
    }

    void selection_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("afterOk");
        QTest::newRow("listed endpoint") << "Keys In" << 2 << "Keys In"
                                         << "Keys In";
        QTest::newRow("no name") << "" << 0 << "(none)"
                                 << "(none)";
        QTest::newRow("(none)") << "(none)" << 0 << "(none)"
                                << "(none)";
        // An interface unplugged today: the name survives for a later run.
        QTest::newRow("missing endpoint") << "Gone In" << -1 << ""
                                          << "Gone In";
        // The port opens the first endpoint of a name, so that is the one shown.
        QTest::newRow("shared name") << "Twin" << 3 << "Twin"
                                     << "Twin";
        QTest::newRow("case differs") << "synth in" << -1 << ""
                                      << "synth in";
    }

    void selection()
    {
        QFETCH(QString, stored);
        QFETCH(int, index);
        QFETCH(QString, shown);
        QFETCH(QString, afterOk);
        SetupDevice device(false, false, true);
        device.midiIn()->setName(stored);
        MidiSetupDlg dlg(&device);
        MidiPortCombo* in = box(dlg, "MidiIn");
        QCOMPARE(in->port(), static_cast<MidiPort*>(device.midiIn()));
        QCOMPARE(in->currentIndex(), index);
        QCOMPARE(in->currentText(), shown);
        clickOk(dlg);
        QCOMPARE(device.midiIn()->name(), afterOk);
    }

    void okAppliesEverythingButWritesNoSettings()
    {
        auto device = std::make_unique<SetupDevice>(true, true, true);
        device->setDelay(20);
        MidiSetupDlg dlg(device.get());
        const QList<QPair<const char*, QString>> choices = {
            {"MidiIn", QStringLiteral("Synth In")}, {"MidiOut", QStringLiteral("Synth Out")},
            {"MidiIn2", QStringLiteral("Keys In")}, {"MidiOut2", QStringLiteral("Keys Out")},
            {"AuxIn", QStringLiteral("Twin")},      {"AuxOut", QStringLiteral("(none)")},
        };
        for (const auto& c : choices) {
            MidiPortCombo* combo = box(dlg, c.first);
            combo->setCurrentIndex(combo->findText(c.second));
        }
        dlg.findChild<QSpinBox*>(QStringLiteral("Delay"))->setValue(60);
        auto* id = dlg.findChild<QComboBox*>(QStringLiteral("DeviceId"));
        id->setCurrentIndex(4);

        clickOk(dlg);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(device->delay(), 60);
        QCOMPARE(device->deviceId(), 4);
        QCOMPARE(device->midiIn()->name(), QStringLiteral("Synth In"));
        QCOMPARE(device->midiOut()->name(), QStringLiteral("Synth Out"));
        QCOMPARE(device->midiIn2()->name(), QStringLiteral("Keys In"));
        QCOMPARE(device->midiOut2()->name(), QStringLiteral("Keys Out"));
        QCOMPARE(device->auxIn()->name(), QStringLiteral("Twin"));
        QCOMPARE(device->auxOut()->name(), QStringLiteral("(none)"));

        // The device was reconnected on the chosen endpoints; of the two
        // sources named "Twin" the auxiliary input took the first, the one
        // its box showed.
        QVERIFY(device->midiIn()->isOpened());
        QVERIFY(device->midiOut()->isOpened());
        QCOMPARE(bus->openPortCount(MidiEndpointKind::Source, 0), 1);
        QCOMPARE(bus->openPortCount(MidiEndpointKind::Destination, 0), 1);
        QCOMPARE(bus->openPortCount(MidiEndpointKind::Source, 2), 1);
        QCOMPARE(bus->openPortCount(MidiEndpointKind::Source, 3), 0);
        QVERIFY(!device->auxOut()->isOpened());

        // The device stores its choices when it goes, not the dialog.
        QCOMPARE(profilePort("MidiIn"), QString());
        QVERIFY(!Profile::settings()->contains(QStringLiteral("Delay")));
        device.reset();
        QCOMPARE(profilePort("MidiIn"), QStringLiteral("Synth In"));
        QCOMPARE(profilePort("MidiOut2"), QStringLiteral("Keys Out"));
        QCOMPARE(Profile::readProfileInt(QString(), QStringLiteral("Delay"), -1), 60);
        QCOMPARE(Profile::readProfileInt(QString(), QStringLiteral("DeviceId"), -1), 4);
    }

    // Ports, the device number and the boxes of a device without those parts
    // are left alone, whatever the hidden boxes hold.
    void absentPartsUntouched()
    {
        SetupDevice device(false, false, false);
        device.setDeviceId(7);
        device.midiIn2()->setName(QStringLiteral("Keys In"));
        device.midiOut2()->setName(QStringLiteral("Keys Out"));
        device.auxOut()->setName(QStringLiteral("Synth Out"));
        MidiSetupDlg dlg(&device);
        for (const char* key : {"MidiIn2", "MidiOut2", "AuxOut"}) {
            MidiPortCombo* combo = box(dlg, key);
            QVERIFY(!combo->port());
            combo->setCurrentIndex(0);
        }
        dlg.findChild<QComboBox*>(QStringLiteral("DeviceId"))->setCurrentIndex(0);
        clickOk(dlg);
        QCOMPARE(device.deviceId(), 7);
        QCOMPARE(device.midiIn2()->name(), QStringLiteral("Keys In"));
        QCOMPARE(device.midiOut2()->name(), QStringLiteral("Keys Out"));
        QCOMPARE(device.auxOut()->name(), QStringLiteral("Synth Out"));
    }

    void cancelChangesNothing()
    {
        SetupDevice device(true, true, true);
        device.setDelay(15);
        device.setDeviceId(2);
        device.midiIn()->setName(QStringLiteral("Synth In"));
        device.midiOut()->setName(QStringLiteral("Synth Out"));
        QVERIFY(device.midiIn()->open());
        QVERIFY(device.midiOut()->open());

        MidiSetupDlg dlg(&device);
        for (const char* key : {"MidiIn", "MidiOut", "MidiIn2", "MidiOut2", "AuxIn", "AuxOut"})
            box(dlg, key)->setCurrentIndex(4);
        dlg.findChild<QSpinBox*>(QStringLiteral("Delay"))->setValue(99);
        dlg.findChild<QComboBox*>(QStringLiteral("DeviceId"))->setCurrentIndex(9);
        dlg.buttons()->button(QDialogButtonBox::Cancel)->click();

        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(device.delay(), 15);
        QCOMPARE(device.deviceId(), 2);
        QCOMPARE(device.midiIn()->name(), QStringLiteral("Synth In"));
        QCOMPARE(device.midiOut()->name(), QStringLiteral("Synth Out"));
        QCOMPARE(device.midiIn2()->name(), QString());
        QCOMPARE(device.auxOut()->name(), QString());
        QVERIFY(device.midiIn()->isOpened());
        QVERIFY(device.midiOut()->isOpened());
    }

    // An interval above the box's range is not cut short without asking.
    void longStoredInterval()
    {
        ScriptedPrompts prompts;
        SetupDevice device(false, false, true);
        device.setDelay(150);
        device.midiIn()->setName(QStringLiteral("Synth In"));
        QVERIFY(device.midiIn()->open());
        MidiSetupDlg dlg(&device);
        auto* delay = dlg.findChild<QSpinBox*>(QStringLiteral("Delay"));
        QCOMPARE(delay->value(), 100);

        // Refused: the dialog stays open and nothing is applied.
        dlg.show();
        box(dlg, "MidiIn")->setCurrentIndex(2);
        prompts.script(ScriptedPrompts::Kind::OkCancel, false);
        clickOk(dlg);
        QCOMPARE(prompts.count(ScriptedPrompts::Kind::OkCancel), 1);
        const ScriptedPrompts::Call ask = prompts.last(ScriptedPrompts::Kind::OkCancel);
        QCOMPARE(ask.parent.data(), static_cast<QWidget*>(&dlg));
        QVERIFY(ask.text.contains(QStringLiteral("150 msec")));
        QVERIFY(dlg.isVisible());
        QCOMPARE(device.delay(), 150);
        QCOMPARE(device.midiIn()->name(), QStringLiteral("Synth In"));
        QVERIFY(device.midiIn()->isOpened());

        // Agreed: the maximum is taken.
        prompts.script(ScriptedPrompts::Kind::OkCancel, true);
        clickOk(dlg);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(device.delay(), 100);
        QCOMPARE(device.midiIn()->name(), QStringLiteral("Keys In"));

        // A value the user picked himself needs no question.
        device.setDelay(400);
        MidiSetupDlg lowered(&device);
        lowered.findChild<QSpinBox*>(QStringLiteral("Delay"))->setValue(40);
        clickOk(lowered);
        QCOMPARE(prompts.count(ScriptedPrompts::Kind::OkCancel), 2);
        QCOMPARE(device.delay(), 40);
    }

    void portComboAlone()
    {
        MidiPortCombo combo;
        QCOMPARE(items(&combo), QStringList{QStringLiteral("(none)")});
        QCOMPARE(combo.currentIndex(), -1);
        combo.validate(); // no port: nothing to do

        Vector<PortInfo> ports;
        ports.append(PortInfo(0, QStringLiteral("A")));
        ports.append(PortInfo(3, QStringLiteral("B")));
        combo.init(ports, nullptr);
        QCOMPARE(items(&combo),
                 (QStringList{QStringLiteral("(none)"), QStringLiteral("A"), QStringLiteral("B")}));
        QCOMPARE(combo.currentIndex(), -1);
        QVERIFY(!combo.port());
    }
};

ORVANE_TEST_MAIN(TestMidiSetupDlg)
#include "tst_midisetupdlg.moc"
