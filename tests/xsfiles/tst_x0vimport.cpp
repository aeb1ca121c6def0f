// Sampled sound into the all-data document: keybanks from samples and back,
// WAV and AIFF files made by sox as keybanks and waveforms, and the
// instruments of SoundFont banks (the hand-made one and Debian's
// TimGM6mb.sf2) as waveforms whose samples are the bank's own.
#include "AudioFixtures.h"
#include "Prompts.h"
#include "Sample.h"
#include "SampleFile.h"
#include "TestEnvironment.h"
#include "X0V_Document.h"
#include "XsDocuments.h"

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QtTest>

using namespace AudioFixtures;

namespace {

const char* const TimGM6mb = "/usr/share/sounds/sf2/TimGM6mb.sf2";

QString bank(const QString& name)
{
    return fixturePath(QStringLiteral("instruments/sf2/") + name);
}

// Watches the import's progress window: each step of its bar with the text
// above the bar at that moment.
class ImportProgressWatch : public QObject
{
public:
    ImportProgressWatch() { qApp->installEventFilter(this); }
    ~ImportProgressWatch() override { qApp->removeEventFilter(this); }

    int maximum = -1;
    QStringList steps; // "value: text"

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (event->type() != QEvent::Show || !dialog || dialog->windowTitle() != QLatin1String("Import Waveforms"))
            return false;
        auto* bar = dialog->findChild<QProgressBar*>();
        auto* label = dialog->findChild<QLabel*>();
        if (bar && label) {
            maximum = bar->maximum();
            connect(bar, &QProgressBar::valueChanged, this, [this, label](int value) {
                steps.append(QStringLiteral("%1: %2").arg(value).arg(label->text()));
            });
        }
        return false;
    }
};

void make(X0V_Document& doc, int type)
{
    doc.newDocument(type);
    doc.initSlots(type);
}

// A sample of frames 16-bit points, stereo or mono.
Sample sampleOf(int frames, bool stereo)
{
    Sample s;
    s.channels = stereo ? 2 : 1;
    s.bits = 16;
    s.rate = 32000;
    for (int i = 0; i < frames; ++i) {
        s.left.append(i & 0xFF);
        s.left.append(0x10);
        if (stereo) {
            s.right.append(0x20);
            s.right.append(i & 0xFF);
        }
    }
    return s;
}

} // namespace

class TestX0vImport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void keybankFromSample();
    void keybankToSample_data();
    void keybankToSample();
    void exportKeybank();
    void soxFiles_data();
    void soxFiles();
    void instrumentFile();
    void instrumentsPastTheBank();
    void timGM6mb();

private:
    QTemporaryDir m_dir;
    QString m_sox;
};

void TestX0vImport::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TestX0vImport::keybankFromSample()
{
    Sample mono = sampleOf(1000, false);
    mono.velocityLow = 0;
    mono.startOffset = 9;
    XS_Keybank k;
    QVERIFY(k.fromSample(mono));
    QCOMPARE(QList<quint32>({k.sample_length, k.loop_end, k.sample_start, k.wave_start_L, k.wave_start_R,
                             k.reserve_L, k.reserve_R}),
             QList<quint32>({1000, 1000, 0, 0x40000000, 0, 0xC00A9A34, 0xFFFFFFFF}));
    QCOMPARE(QList<int>({k.play_mode, k.velo_lo, k.velo_hi, k.note_center}), QList<int>({1, 1, 127, 60}));
    QCOMPARE(k.left, mono.left);

    Sample stereo = sampleOf(1000, true);
    stereo.loopMode = Sample::LoopForward;
    stereo.loopStart = 100;
    stereo.loopEnd = 2000; // past the end: clamped
    stereo.keyLow = 36;
    stereo.keyHigh = 300; // cut to its low byte
    QVERIFY(k.fromSample(stereo));
    QCOMPARE(k.left.size(), 2000);
    QCOMPARE(k.frameSize(), 4);
    QCOMPARE(k.wave_start_R, 0x40000000u + 500);
    QCOMPARE(k.reserve_R, 0xC00A9A34u + 0x20);
    QCOMPARE(QList<int>({k.play_mode, int(k.loop_start), int(k.loop_end), k.note_lo, k.note_hi}),
             QList<int>({0, 100, 1000, 36, 44}));
    QCOMPARE(k.rate, 32000.0);

    // A depth the instrument cannot play is refused, not mislabelled.
    Sample wide = sampleOf(10, false);
    wide.bits = 24;
    QVERIFY(!k.fromSample(wide));
    QVERIFY(k.left.isEmpty());
    QCOMPARE(k.getFormat(), XS_Keybank::Format16Bit);
}

void TestX0vImport::keybankToSample_data()
{
    QTest::addColumn<int>("playMode");
    QTest::addColumn<int>("loopMode");
    QTest::newRow("loop") << 0 << int(Sample::LoopForward);
    QTest::newRow("one shot") << 1 << int(Sample::LoopOff);
    QTest::newRow("reverse") << 2 << int(Sample::LoopKeybank);
    QTest::newRow("other: kept") << 7 << int(Sample::LoopAlternate);
}

void TestX0vImport::keybankToSample()
{
    QFETCH(int, playMode);
    XS_Keybank k;
    QVERIFY(k.fromSample(sampleOf(50, true)));
    k.play_mode = quint8(playMode);
    k.sample_start = 3;
    k.loop_start = 5;
    k.loop_end = 40;
    k.tune_coarse = 70;
    Sample s;
    s.loopMode = Sample::LoopAlternate;
    k.toSample(s);
    QTEST(s.loopMode, "loopMode");
    QCOMPARE(QList<int>({s.startOffset, s.loopStart, s.loopEnd, s.coarseTune, s.channels, s.bits}),
             QList<int>({3, 5, 40, 70, 2, 16}));
    QCOMPARE(s.right, k.right);
}

void TestX0vImport::exportKeybank()
{
    ScriptedPrompts prompts;
    XS_Keybank k;
    Sample source = sampleOf(64, true);
    QVERIFY(k.fromSample(source));
    const QString path = m_dir.filePath(QStringLiteral("export.wav"));
    QVERIFY(k.exportKeybank(path));
    Sample back;
    back.fromFile(path);
    QCOMPARE(back.left, source.left);
    QCOMPARE(back.right, source.right);
    QVERIFY(!k.exportKeybank(m_dir.filePath(QStringLiteral("missing/folder/export.wav"))));
}

void TestX0vImport::soxFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("format");
    QTest::addColumn<bool>("taken");
    QTest::newRow("mono WAV") << "Soft Pad.v2.wav" << QStringList{"-b", "16", "-c", "1"} << true;
    QTest::newRow("stereo AIFF") << "Wide.aiff" << QStringList{"-b", "16", "-c", "2"} << true;
    QTest::newRow("8-bit WAV") << "Lofi.wav" << QStringList{"-b", "8", "-c", "1"} << true;
    QTest::newRow("24-bit AIFF") << "Deep.aiff" << QStringList{"-b", "24", "-c", "1"} << false;
}

void TestX0vImport::soxFiles()
{
    REQUIRE_TOOL(sox, "sox");
    ScriptedPrompts prompts;
    QFETCH(QString, file);
    QFETCH(QStringList, format);
    QFETCH(bool, taken);
    const QString path = m_dir.filePath(file);
    QString error;
    QVERIFY2(!run(sox, QStringList{"-R", "-r", "22050", "-n"} + format + QStringList{path, "synth", "0.05", "sine",
                                                                                      "440"},
                  &error)
                  .isNull(),
             qPrintable(error));
    Sample source;
    source.fromFile(path);
    QVERIFY(source.isValid());

    X0V_Document doc;
    make(doc, 1);
    QCOMPARE(doc.importWaveform(1, 0, path), taken ? 1 : 0);
    XS_Waveform* w = doc.waves.lookupWave(1);
    QCOMPARE(w->hasData(), taken);
    if (taken) {
        // Named after the file without any extension.
        QCOMPARE(w->name(), QFileInfo(path).baseName());
        QCOMPARE(w->keybanks().size(), 1);
        QCOMPARE(w->keybanks().first()->left, source.left);
        QCOMPARE(w->keybanks().first()->right, source.right);
        QCOMPARE(w->keybanks().first()->rate, 22050.0);
    }

    XS_Waveform other(QStringLiteral("Other"));
    XS_Keybank* k = doc.importKeybank(other, path);
    QCOMPARE(k != nullptr, taken);
    QCOMPARE(other.keybanks().size(), taken ? 1 : 0);
    // Neither a sample nor an instrument file.
    QVERIFY(!doc.importKeybank(other, fixturePath(QStringLiteral("instruments/sf2/bank.sf2"))));
    QCOMPARE(other.keybanks().size(), taken ? 1 : 0);
    QCOMPARE(doc.importWaveform(1, 1, m_dir.filePath(QStringLiteral("missing.wav"))), 0);
}

void TestX0vImport::instrumentFile()
{
    // Empty (no zones: takes no slot), Piano (2 zones), Strings (2 zones),
    // in name order.
    ScriptedPrompts prompts;
    ImportProgressWatch progress;
    X0V_Document doc;
    make(doc, 6);
    QCOMPARE(doc.importWaveform(2, 0, bank(QStringLiteral("bank.sf2"))), 2);
    // A step per instrument, the one without zones too; the window is gone.
    QCOMPARE(progress.maximum, 3);
    QCOMPARE(progress.steps, QStringList({"1: Importing 'Empty'...", "2: Importing 'Piano'...",
                                          "3: Importing 'Strings'..."}));
    for (QWidget* w : QApplication::topLevelWidgets())
        QVERIFY(w->windowTitle() != QLatin1String("Import Waveforms") || !w->isVisible());
    QCOMPARE(doc.waves.lookupWave(129)->name(), QStringLiteral("Piano"));
    QCOMPARE(doc.waves.lookupWave(130)->name(), QStringLiteral("Strings"));
    QVERIFY(!doc.waves.lookupWave(131)->hasData());
    QCOMPARE(doc.waves.lookupWave(129)->keybanks().size(), 2);
    QCOMPARE(prompts.calls().size(), 0);
}

void TestX0vImport::instrumentsPastTheBank()
{
    ScriptedPrompts prompts;
    X0V_Document doc;
    make(doc, 1);
    QCOMPARE(doc.importWaveform(1, 1023, bank(QStringLiteral("bank.sf2"))), 1);
    QCOMPARE(doc.waves.lookupWave(1024)->name(), QStringLiteral("Piano"));
    QCOMPARE(doc.waves.count(), 1);
    QCOMPARE(prompts.count(ScriptedPrompts::Kind::Warning), 0);
}

void TestX0vImport::timGM6mb()
{
    if (!QFileInfo::exists(QString::fromLatin1(TimGM6mb))) {
        const QString why = QStringLiteral("TimGM6mb.sf2 is missing (tools/deps installs timgm6mb-soundfont)");
        if (qEnvironmentVariable("CI") == QLatin1String("true"))
            QFAIL(qPrintable(why));
        QSKIP(qPrintable(why));
    }
    const QString path = QString::fromLatin1(TimGM6mb);
    SampleFile list;
    QVERIFY(list.fromFile(path));
    X0V_Document doc;
    make(doc, 6);
    const int imported = doc.importWaveform(2, 0, path);
    QVERIFY(imported > 100);
    // Every instrument with samples, in name order, from id 129 on; each
    // keybank holds its sample's points.
    int id = 129;
    for (const Instrument* inst : std::as_const(list)) {
        if (inst->samples.isEmpty())
            continue;
        const XS_Waveform* w = doc.waves.lookupWave(id++);
        QCOMPARE(w->name(), inst->name.isEmpty() ? QStringLiteral("New Waveform") : inst->name);
        QCOMPARE(w->keybanks().size(), inst->samples.size());
        for (qsizetype k = 0; k < inst->samples.size(); ++k) {
            const XS_Keybank* kb = w->keybanks().at(k);
            const Sample* s = inst->samples.at(k);
            QCOMPARE(kb->left, s->left);
            QCOMPARE(int(kb->note_lo), s->keyLow & 0xFF);
            QCOMPARE(int(kb->note_hi), s->keyHigh & 0xFF);
            QCOMPARE(kb->rate, s->rate);
        }
    }
    QCOMPARE(imported, id - 129);
}

ORVANE_TEST_MAIN(TestX0vImport)
#include "tst_x0vimport.moc"
