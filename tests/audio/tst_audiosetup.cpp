// The "Audio Setup" dialog over the fake backend's devices, and the device
// names an AudioDevice keeps in the settings.
#include "AudioPort.h"
#include "AudioSetupDlg.h"
#include "Dialog.h"
#include "FakeAudioBackend.h"
#include "Profile.h"
#include "TestEnvironment.h"

#include <QFormLayout>
#include <QLabel>
#include <QSignalSpy>

namespace {

QStringList items(const QComboBox* box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

} // namespace

class TestAudioSetup : public QObject
{
    Q_OBJECT

    FakeAudioBackend* m_fake = nullptr;

    AudioPortCombo* box(AudioSetupDlg& dlg, const char* name)
    {
        return dlg.findChild<AudioPortCombo*>(QLatin1String(name));
    }

private slots:
    void init()
    {
        m_fake = new FakeAudioBackend;
        m_fake->addDevice(QStringLiteral("Speakers"), 2, 2);
        m_fake->addDevice(QStringLiteral("Headphones"), 2, 0);
        m_fake->addDevice(QStringLiteral("Microphone"), 0, 1);
        setAudioBackend(m_fake);
        Profile::writeProfileString(QString(), QStringLiteral("AudioIn"), QString());
        Profile::writeProfileString(QString(), QStringLiteral("AudioOut"), QString());
    }

    void cleanup()
    {
        setAudioBackend(nullptr);
        delete m_fake;
        m_fake = nullptr;
    }

    void layout()
    {
        AudioDevice device;
        AudioSetupDlg dlg(&device);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Audio Setup"));
        AudioPortCombo* in = box(dlg, "AudioIn");
        AudioPortCombo* out = box(dlg, "AudioOut");
        QVERIFY(in && out);
        QCOMPARE(items(in), QStringList({"(none)", "Speakers", "Microphone"}));
        QCOMPARE(items(out), QStringList({"(none)", "Speakers", "Headphones"}));
        auto* form = dlg.findChild<DialogForm*>();
        QVERIFY(form);
        QCOMPARE(form->title(), QStringLiteral("Audio Setup"));
        QCOMPARE(form->iconName(), QStringLiteral("core:midi.png"));
        QCOMPARE(form->rowLabel(in)->text(), QStringLiteral("Audio &In"));
        QCOMPARE(form->rowLabel(out)->text(), QStringLiteral("Audio &Out"));
        QVERIFY(dlg.buttons());

        // The dialog lists the devices of the moment.
        m_fake->clearDevices();
        AudioSetupDlg empty(&device);
        QCOMPARE(items(box(empty, "AudioIn")), QStringList({"(none)"}));
        QCOMPARE(items(box(empty, "AudioOut")), QStringList({"(none)"}));
    }

    // Which item a port's name selects.
    void selection_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("current");
        QTest::newRow("no name") << QString() << 0;
        QTest::newRow("(none)") << QStringLiteral("(none)") << 0;
        QTest::newRow("listed") << QStringLiteral("Headphones") << 2;
        QTest::newRow("two of that name: the last") << QStringLiteral("Speakers") << 3;
        QTest::newRow("not listed") << QStringLiteral("Gone") << -1;
    }

    void selection()
    {
        QFETCH(QString, name);
        QFETCH(int, current);
        Vector<PortInfo> list;
        list.append(PortInfo(1, QStringLiteral("Speakers")));
        list.append(PortInfo(2, QStringLiteral("Headphones")));
        list.append(PortInfo(3, QStringLiteral("Speakers")));
        AudioOutPort port;
        port.setName(name);
        AudioPortCombo combo;
        QCOMPARE(combo.currentIndex(), -1);
        combo.init(list, &port);
        QCOMPARE(combo.count(), 4);
        QCOMPARE(combo.currentIndex(), current);
        // Accepting what is shown keeps the port's device.
        combo.validate();
        QCOMPARE(port.name(), current == 0 && name.isEmpty() ? QStringLiteral("(none)") : name);
    }

    void acceptAndCancel()
    {
        AudioDevice device;
        device.out()->setName(QStringLiteral("Headphones"));
        device.in()->setName(QStringLiteral("Gone"));
        const AudioWave wave = [] {
            AudioWave w;
            w.left.allocate(200);
            return w;
        }();
        QVERIFY(device.out()->play(wave, 0, 0, 50));

        {
            // Cancel changes no port, and the playback goes on.
            AudioSetupDlg dlg(&device);
            box(dlg, "AudioOut")->setCurrentIndex(0);
            dlg.reject();
            QCOMPARE(device.out()->name(), QStringLiteral("Headphones"));
            QVERIFY(device.out()->isOpened());
            QVERIFY(m_fake->isOpen());
        }
        {
            // "(none)" closes the playing port and leaves it without a
            // device; a device missing today keeps its name.
            AudioSetupDlg dlg(&device);
            QCOMPARE(box(dlg, "AudioIn")->currentIndex(), -1);
            QCOMPARE(box(dlg, "AudioOut")->currentText(), QStringLiteral("Headphones"));
            box(dlg, "AudioOut")->setCurrentIndex(0);
            dlg.accept();
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
            QCOMPARE(device.out()->name(), QStringLiteral("(none)"));
            QVERIFY(!device.out()->hasName());
            QVERIFY(!device.out()->isOpened());
            QVERIFY(!m_fake->isOpen());
            QCOMPARE(device.in()->name(), QStringLiteral("Gone"));
        }
        {
            AudioSetupDlg dlg(&device);
            QCOMPARE(box(dlg, "AudioOut")->currentIndex(), 0);
            box(dlg, "AudioIn")->setCurrentIndex(2);
            box(dlg, "AudioOut")->setCurrentIndex(1);
            dlg.accept();
            QCOMPARE(device.in()->name(), QStringLiteral("Microphone"));
            QCOMPARE(device.out()->name(), QStringLiteral("Speakers"));
        }
    }

    // The owner stores the choices; the next device reads them back.
    void storedAndRestored()
    {
        {
            AudioDevice device;
            device.readPorts();
            QVERIFY(!device.in()->hasName());
            QVERIFY(!device.out()->hasName());
            AudioSetupDlg dlg(&device);
            box(dlg, "AudioIn")->setCurrentIndex(1);
            box(dlg, "AudioOut")->setCurrentIndex(2);
            dlg.accept();
            device.storePorts();
        }
        QCOMPARE(Profile::readProfileString(QString(), QStringLiteral("AudioIn")), QStringLiteral("Speakers"));
        QCOMPARE(Profile::readProfileString(QString(), QStringLiteral("AudioOut")), QStringLiteral("Headphones"));
        AudioDevice device;
        device.readPorts();
        QCOMPARE(device.in()->name(), QStringLiteral("Speakers"));
        QCOMPARE(device.out()->name(), QStringLiteral("Headphones"));
        AudioSetupDlg dlg(&device);
        QCOMPARE(box(dlg, "AudioIn")->currentText(), QStringLiteral("Speakers"));
        QCOMPARE(box(dlg, "AudioOut")->currentText(), QStringLiteral("Headphones"));
    }
};

ORVANE_TEST_MAIN(TestAudioSetup)
#include "tst_audiosetup.moc"
