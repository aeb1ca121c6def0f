// The voice copier's choices: their settings round trip and the dialog that
// asks for them.
#include "DeviceBank.h"
#include "Dialog.h"
#include "MidiPatchEdit.h"
#include "Profile.h"
#include "Prompts.h"
#include "TestEnvironment.h"
#include "TestSysex.h"
#include "VoiceCopierDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

const char* const CopierVoices = R"(
[VOICES]
Ridev=3
0=63,00,PRE1
1=00,00,GM
2=127,00,DR:GM
)";

const QString CopierSection = QStringLiteral("VoiceCopier");

int storedInt(const char* key)
{
    return Profile::readProfileInt(CopierSection, QString::fromLatin1(key), -12345);
}

QStringList comboTexts(const QComboBox* combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

} // namespace

class TestVoiceCopierInfo : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDevice> m_device;

private slots:
    void initTestCase()
    {
        m_device = std::make_unique<TestDevice>(QStringLiteral("Copier ES"));
        m_device->ini()->loadText(QString::fromUtf8(CopierVoices));
    }

    void cleanupTestCase() { m_device.reset(); }

    void init() { Profile::settings()->remove(CopierSection); }

    void settingsRoundTrip()
    {
        VoiceCopierInfo fresh;
        QVERIFY(!fresh.voice.isValid());
        fresh.fromRegistry(Patch(0x3F00, 0));
        QCOMPARE(fresh.voice.toUInt(), Patch(0x3F00, 0).toUInt());
        QVERIFY(fresh.copyvoice && fresh.copyname && fresh.copyfx && fresh.copyarp && fresh.copyinsfx);
        QCOMPARE(fresh.part, 0);

        VoiceCopierInfo info;
        info.voice = Patch(0x3F00, 0);
        info.copyvoice = false;
        info.copyname = true;
        info.copyfx = false;
        info.copyarp = true;
        info.copyinsfx = false;
        info.part = 11;
        QVERIFY(info.toRegistry());
        QCOMPARE(storedInt("voice"), 4128768);
        QCOMPARE(storedInt("copyvoice"), 0);
        QCOMPARE(storedInt("copyname"), 1);
        QCOMPARE(storedInt("part"), 11);

        VoiceCopierInfo back;
        back.fromRegistry(Patch(0x0000, 5));
        QCOMPARE(back.voice.toUInt(), info.voice.toUInt());
        QCOMPARE(back.copyvoice, false);
        QCOMPARE(back.copyname, true);
        QCOMPARE(back.copyfx, false);
        QCOMPARE(back.copyarp, true);
        QCOMPARE(back.copyinsfx, false);
        QCOMPARE(back.part, 11);
    }

    void storedVoicesThatAreNoPatch_data()
    {
        QTest::addColumn<int>("stored");
        QTest::newRow("none") << -1;
        QTest::newRow("program 128") << int(0x3F0080);
        QTest::newRow("bank LSB 128") << int(0x3F8000);
    }

    void storedVoicesThatAreNoPatch()
    {
        QFETCH(int, stored);
        Profile::writeProfileInt(CopierSection, QStringLiteral("voice"), stored);
        VoiceCopierInfo info;
        info.fromRegistry(Patch(0x3F00, 0));
        QVERIFY(!info.voice.isValid());
        // An invalid voice is saved as -1.
        QVERIFY(info.toRegistry());
        QCOMPARE(storedInt("voice"), -1);
    }

    void dialogPerKind_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("parts");
        QTest::addColumn<bool>("nameShown");
        QTest::newRow("performance") << VoiceCopierInfo::Performance << 4 << true;
        QTest::newRow("mix") << VoiceCopierInfo::Mix << 16 << false;
    }

    void dialogPerKind()
    {
        QFETCH(int, kind);
        QFETCH(int, parts);
        QFETCH(bool, nameShown);
        VoiceCopierDlg dlg(kind, m_device.get());
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Voice Copier"));
        QStringList numbers;
        for (int p = 1; p <= parts; ++p)
            numbers << QString::number(p);
        QCOMPARE(comboTexts(dlg.partList()), numbers);
        QCOMPARE(dlg.partList()->currentIndex(), 0);

        QStringList texts;
        for (const QCheckBox* box : dlg.optionBoxes()) {
            texts << box->text();
            QVERIFY(box->isChecked());
        }
        QCOMPARE(texts, (QStringList{"Copy voice name", "Copy voice", "Copy system effects",
                                     "Copy insert FX to A/D Input", "Copy arpeggios"}));
        QCOMPARE(dlg.optionBoxes().at(0)->isVisibleTo(&dlg), nameShown);
        QVERIFY(dlg.optionBoxes().at(4)->isVisibleTo(&dlg));
        // First run: program 0 of the first bank of the voices.
        QCOMPARE(dlg.sourceVoice().toUInt(), Patch(0x3F00, 0).toUInt());
    }

    void acceptSavesAndTheNextRunShowsIt()
    {
        VoiceCopierInfo info;
        ScriptedPrompts prompts;
        prompts.onDialog([](QDialog* dialog) {
            auto* dlg = qobject_cast<VoiceCopierDlg*>(dialog);
            if (!dlg)
                return;
            dlg->setSourceVoice(Patch(0x7F00, 3));
            dlg->partList()->setCurrentIndex(2);
            dlg->optionBoxes().at(1)->setChecked(false); // voice
            dlg->optionBoxes().at(4)->setChecked(false); // arpeggios
        });
        prompts.script(ScriptedPrompts::Kind::Dialog, int(QDialog::Accepted));
        QVERIFY(GetVoiceCopierInfo(info, VoiceCopierInfo::Performance, m_device.get(), nullptr));
        QCOMPARE(prompts.last(ScriptedPrompts::Kind::Dialog).text, QStringLiteral("VoiceCopierDlg"));
        QCOMPARE(info.voice.toUInt(), Patch(0x7F00, 3).toUInt());
        QCOMPARE(info.part, 2);
        QVERIFY(!info.copyvoice && !info.copyarp);
        QVERIFY(info.copyname && info.copyfx && info.copyinsfx);

        VoiceCopierDlg next(VoiceCopierInfo::Performance, m_device.get());
        QCOMPARE(next.sourceVoice().toUInt(), Patch(0x7F00, 3).toUInt());
        QCOMPARE(next.partList()->currentIndex(), 2);
        QList<bool> checks;
        for (const QCheckBox* box : next.optionBoxes())
            checks << box->isChecked();
        QCOMPARE(checks, (QList<bool>{true, false, true, true, false}));
    }

    // The source voice is picked with the selector over "VOICES": PageDown
    // goes to the same program of the next bank (a drum kit bank included).
    void pickTheVoiceWithTheSelector()
    {
        VoiceCopierInfo info;
        QString shown;
        int banks = 0;
        ScriptedPrompts prompts;
        prompts.onDialog([&](QDialog* dialog) {
            auto* dlg = qobject_cast<VoiceCopierDlg*>(dialog);
            if (!dlg)
                return;
            MidiPatchEdit* selector = dlg->voiceSelector();
            banks = int(selector->bankSet().size());
            QTest::keyClick(selector, Qt::Key_Right);
            QTest::keyClick(selector, Qt::Key_PageDown);
            QTest::keyClick(selector, Qt::Key_PageDown);
            shown = selector->text();
        });
        prompts.script(ScriptedPrompts::Kind::Dialog, int(QDialog::Accepted));
        QVERIFY(GetVoiceCopierInfo(info, VoiceCopierInfo::Mix, m_device.get(), nullptr));
        QCOMPARE(banks, 3);
        QCOMPARE(info.voice.toUInt(), Patch(0x7F00, 1).toUInt());
        QCOMPARE(shown, QStringLiteral("DR:GM:002 (A02)"));
        QCOMPARE(storedInt("voice"), int(Patch(0x7F00, 1).toUInt()));
    }

    void cancelWritesNothing()
    {
        VoiceCopierInfo info;
        info.part = 7;
        ScriptedPrompts prompts;
        prompts.onDialog([](QDialog* dialog) {
            if (auto* dlg = qobject_cast<VoiceCopierDlg*>(dialog))
                dlg->partList()->setCurrentIndex(3);
        });
        prompts.script(ScriptedPrompts::Kind::Dialog, int(QDialog::Rejected));
        QVERIFY(!GetVoiceCopierInfo(info, VoiceCopierInfo::Mix, m_device.get(), nullptr));
        QCOMPARE(prompts.count(ScriptedPrompts::Kind::Dialog), 1);
        QCOMPARE(info.part, 7);
        QVERIFY(!info.voice.isValid());
        QVERIFY(!Profile::settings()->childGroups().contains(CopierSection));
    }

    void savedPartOutsideTheListIsBroughtIn_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("saved");
        QTest::addColumn<int>("shown");
        QTest::newRow("mix part in a performance") << VoiceCopierInfo::Performance << 10 << 3;
        QTest::newRow("beyond the mix") << VoiceCopierInfo::Mix << 99 << 15;
        QTest::newRow("negative") << VoiceCopierInfo::Mix << -1 << 0;
    }

    // The settings form shows the copier's picture, and the picture built in
    // is the one the icon tool paints.
    void settingsPicture()
    {
        VoiceCopierDlg dlg(VoiceCopierInfo::Performance, m_device.get());
        const auto* form = dlg.findChild<DialogForm*>();
        QVERIFY(form);
        QCOMPARE(form->title(), QStringLiteral("Voice Copier Settings"));
        QCOMPARE(form->iconName(), QStringLiteral(":/vesk/images/v2p.png"));
        QVERIFY(form->iconLabel() && !form->iconLabel()->pixmap().isNull());

        QTemporaryDir dir;
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        tool.setProcessEnvironment(env);
        tool.start(QCoreApplication::applicationDirPath() + QStringLiteral("/make_icons"),
                   {QStringLiteral("--instrument"), dir.path()});
        QVERIFY2(tool.waitForFinished(60000), qPrintable(tool.errorString()));
        QVERIFY2(tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0,
                 tool.readAllStandardError().constData());
        const QImage drawn =
            QImage(dir.filePath(QStringLiteral("v2p.png"))).convertToFormat(QImage::Format_ARGB32);
        const QImage built =
            QImage(QStringLiteral(":/vesk/images/v2p.png")).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(built.size(), QSize(32, 32));
        QCOMPARE(drawn.size(), built.size());
        // Anti-aliasing may round a shade differently on another machine.
        for (int y = 0; y < built.height(); ++y) {
            for (int x = 0; x < built.width(); ++x) {
                const QRgb a = drawn.pixel(x, y);
                const QRgb b = built.pixel(x, y);
                const int most = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                           std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
                QVERIFY2(most <= 2, qPrintable(QStringLiteral("pixel %1,%2: redraw it with make_icons "
                                                              "--instrument resources/vesk/images")
                                                   .arg(x)
                                                   .arg(y)));
            }
        }
    }

    void savedPartOutsideTheListIsBroughtIn()
    {
        QFETCH(int, kind);
        QFETCH(int, saved);
        QFETCH(int, shown);
        Profile::writeProfileInt(CopierSection, QStringLiteral("part"), saved);
        VoiceCopierDlg dlg(kind, m_device.get());
        QCOMPARE(dlg.partList()->currentIndex(), shown);
        dlg.accept();
        QCOMPARE(dlg.info().part, shown);
        QCOMPARE(storedInt("part"), shown);
    }
};

ORVANE_TEST_MAIN(TestVoiceCopierInfo)
#include "tst_voicecopierinfo.moc"
