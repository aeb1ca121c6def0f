// The WAV and AIFF readers and writers against independent tools: sox writes
// files of every width (WAV files above 16 bits in the extensible form),
// channel count and several rates, and our reader must decode the samples sox
// itself decodes; a float file is refused with its reason; what we write, sox and sndfile-info
// must read with the same format, samples, loops and zone. Also checks that
// the committed fixtures are what their script writes.
//
// The tools come from tools/deps; without them these tests skip, and fail
// under CI=true.
#include "AIFF_Document.h"
#include "AudioFixtures.h"
#include "Paths.h"
#include "Prompts.h"
#include "Sample.h"
#include "TestEnvironment.h"
#include "WAV_Document.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace AudioFixtures;

namespace {

// "sox FILE -t raw -e signed -b N -L -": the file's points as sox decodes them.
QList<int> soxPoints(const QString& sox, const QString& path, int bytes, QString* error)
{
    const QByteArray raw = run(sox, {path, QStringLiteral("-t"), QStringLiteral("raw"), QStringLiteral("-e"),
                                     QStringLiteral("signed"), QStringLiteral("-b"), QString::number(8 * bytes),
                                     QStringLiteral("-L"), QStringLiteral("-")},
                               error);
    return raw.isNull() ? QList<int>{INT_MIN} : rawPoints(raw, bytes);
}

// The summary fields of sndfile-info: rate, frames, channels, format code.
struct FileInfo
{
    int rate = -1;
    int frames = -1;
    int channels = -1;
    int format = -1;
};

FileInfo sndfileInfo(const QString& tool, const QString& path, QString* text, QString* error)
{
    *text = QString::fromLocal8Bit(run(tool, {path}, error));
    FileInfo info;
    const QString summary = text->section(QStringLiteral("----------------------------------------"), 1);
    auto field = [&](const char* name, int base) {
        const QRegularExpression re(QStringLiteral("^%1\\s*:\\s*(?:0x)?([0-9A-Fa-f]+)").arg(QLatin1String(name)),
                                    QRegularExpression::MultilineOption);
        const QRegularExpressionMatch m = re.match(summary);
        return m.hasMatch() ? m.captured(1).toInt(nullptr, base) : -1;
    };
    info.rate = field("Sample Rate", 10);
    info.frames = field("Frames", 10);
    info.channels = field("Channels", 10);
    info.format = field("Format", 16);
    return info;
}

// libsndfile's format code: major type (WAV 1, AIFF 2) and sample encoding.
int sndfileFormat(bool aiff, int bits)
{
    int sub = 0;
    switch ((bits + 7) / 8) {
    case 1:
        sub = aiff ? 0x0001 : 0x0005; // AIFF: signed 8-bit; WAV: unsigned
        break;
    case 2:
        sub = 0x0002;
        break;
    case 3:
        sub = 0x0003;
        break;
    default:
        sub = 0x0004;
    }
    return (aiff ? 0x00020000 : 0x00010000) | sub;
}

} // namespace

class TestSoundTools : public QObject
{
    Q_OBJECT

private slots:
    void fixturesRegenerate();
    void agreesWithTheTools_data();
    void agreesWithTheTools();
    void floatWavIsRefused();
    void fixturesAgreeWithSox();
    void zonesReadByTheTools();
};

void TestSoundTools::fixturesRegenerate()
{
    REQUIRE_TOOL(python, "python3");
    QTemporaryDir dir;
    QString error;
    QVERIFY2(!run(python, {QStringLiteral(ORVANE_SOURCE_DIR "/tools/gen_audio_fixtures.py"), dir.path()}, &error)
                  .isNull(),
             qPrintable(error));
    const QStringList names = QDir(fixturePath(QString())).entryList(QDir::Files);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), names);
    for (const QString& name : names) {
        QFile committed(fixturePath(name));
        QFile generated(dir.filePath(name));
        QVERIFY(committed.open(QIODevice::ReadOnly) && generated.open(QIODevice::ReadOnly));
        QVERIFY2(committed.readAll() == generated.readAll(), qPrintable(name + QStringLiteral(" differs")));
    }
}

void TestSoundTools::agreesWithTheTools_data()
{
    QTest::addColumn<bool>("aiff");
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("rate");
    const int rates[] = {8000, 11025, 22050, 32000, 44100, 48000, 88200, 96000};
    int next = 0;
    for (bool aiff : {false, true}) {
        for (int bits : {8, 16, 24, 32}) {
            for (int channels : {1, 2}) {
                const int rate = rates[next++ % 8];
                QTest::addRow("%s %d-bit %d ch %d Hz", aiff ? "AIFF" : "WAV", bits, channels, rate)
                    << aiff << bits << channels << rate;
            }
        }
    }
}

void TestSoundTools::agreesWithTheTools()
{
    REQUIRE_TOOL(sox, "sox");
    REQUIRE_TOOL(info, "sndfile-info");
    QFETCH(bool, aiff);
    QFETCH(int, bits);
    QFETCH(int, channels);
    QFETCH(int, rate);
    QTemporaryDir dir;
    QString error;

    // An odd number of frames, so the 8- and 24-bit mono files have odd data
    // sizes and a pad byte; noise over the full range in one channel, a tone
    // in the other.
    const QString ext = aiff ? QStringLiteral("aiff") : QStringLiteral("wav");
    QString made = dir.filePath(QStringLiteral("sox.") + ext);
    QStringList args{QStringLiteral("-R"), QStringLiteral("-r"), QString::number(rate), QStringLiteral("-c"),
                     QString::number(channels), QStringLiteral("-n"), QStringLiteral("-b"),
                     QString::number(bits), made, QStringLiteral("synth"), QStringLiteral("1001s"),
                     QStringLiteral("whitenoise")};
    if (channels == 2)
        args << QStringLiteral("sine") << QStringLiteral("500");
    QVERIFY2(!run(sox, args, &error).isNull(), qPrintable(error));
    if (!aiff) {
        // sox writes WAV files wider than 16 bits in the extensible form,
        // integer PCM as the sub-format.
        QFile file(made);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray header = file.read(64);
        QCOMPARE(header.mid(20, 2), bits > 16 ? le(0xFFFE, 2) : le(1, 2));
        if (bits > 16)
            QCOMPARE(header.mid(44, 4), le(1, 4));
    }

    // Our reader decodes what sox decodes.
    AudioWave wave;
    wave.fromFile(made);
    QVERIFY(wave.isValid());
    QCOMPARE(wave.bits, bits);
    QCOMPARE(wave.channels, channels);
    QCOMPARE(wave.rate, double(rate));
    QCOMPARE(wave.sampleLength(), 1001);
    const QList<int> expected = soxPoints(sox, made, wave.bytes(), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(points(wave), expected);

    // What we write, sox and sndfile-info read back the same.
    Sample sample;
    static_cast<AudioWave&>(sample) = wave;
    const QString ours = dir.filePath(QStringLiteral("ours.") + ext);
    QVERIFY(sample.toFile(ours));
    QCOMPARE(soxPoints(sox, ours, wave.bytes(), &error), expected);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QString text;
    const FileInfo fi = sndfileInfo(info, ours, &text, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(fi.rate, rate);
    QCOMPARE(fi.frames, 1001);
    QCOMPARE(fi.channels, channels);
    QCOMPARE(fi.format, sndfileFormat(aiff, bits));
}

// A float WAV file from sox (plain or extensible, as sox chooses) is
// refused with its format, and the user is told so.
void TestSoundTools::floatWavIsRefused()
{
    REQUIRE_TOOL(sox, "sox");
    QTemporaryDir dir;
    QString error;
    const QString path = dir.filePath(QStringLiteral("float.wav"));
    QVERIFY2(!run(sox, {QStringLiteral("-r"), QStringLiteral("44100"), QStringLiteral("-n"), QStringLiteral("-e"),
                        QStringLiteral("floating-point"), QStringLiteral("-b"), QStringLiteral("32"), path,
                        QStringLiteral("synth"), QStringLiteral("11s"), QStringLiteral("sine"), QStringLiteral("440")},
                  &error)
                  .isNull(),
             qPrintable(error));
    WAV_Document doc;
    QVERIFY(!doc.loadFile(path));
    QVERIFY2(doc.docError() == QLatin1String("Unsupported WAV format 0x0003") ||
                 doc.docError() == QLatin1String("Unsupported WAV format 0xFFFE, sub-format 0x0003"),
             qPrintable(doc.docError()));
    QVERIFY(!doc.wave.isValid());

    ScriptedPrompts prompts;
    Sample sample;
    sample.fromFile(path);
    QVERIFY(!sample.isValid());
    QCOMPARE(prompts.count(ScriptedPrompts::Kind::Error), 1);
    QCOMPARE(prompts.last(ScriptedPrompts::Kind::Error).text,
             QStringLiteral("Unsupported WAV file\n\n") + GetCompactPath(path) + QStringLiteral("\n\n") + doc.docError());
}

void TestSoundTools::fixturesAgreeWithSox()
{
    // The script-made files, odd sizes and 12/20-bit AIFF among them, decode
    // as sox decodes them (sox reports the narrower widths in whole bytes too).
    REQUIRE_TOOL(sox, "sox");
    for (const char* name : {"zone.wav", "zone.aiff", "odd8.wav", "odd24.wav", "12bit.aiff", "20bit.aiff",
                             "inst-first.aiff"}) {
        AudioWave wave;
        wave.fromFile(fixturePath(QLatin1String(name)));
        QVERIFY2(wave.isValid(), name);
        QString error;
        const QList<int> expected = soxPoints(sox, fixturePath(QLatin1String(name)), wave.bytes(), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY2(points(wave) == expected, name);
    }
}

void TestSoundTools::zonesReadByTheTools()
{
    REQUIRE_TOOL(info, "sndfile-info");
    QTemporaryDir dir;
    QString error;
    QString text;
    Sample s;
    s.rate = 22050;
    s.fromPCM(bufferOf(QByteArray(2 * 300, '\x10')));
    s.loopMode = Sample::LoopAlternate;
    s.loopStart = 12;
    s.loopEnd = 280;
    s.rootKey = 57;
    s.keyLow = 33;
    s.keyHigh = 81;
    s.velocityLow = 9;
    s.velocityHigh = 110;

    const QString wav = dir.filePath(QStringLiteral("zone.wav"));
    QVERIFY(s.toWAV(wav));
    QCOMPARE(sndfileInfo(info, wav, &text, &error).frames, 300);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY2(text.contains(QStringLiteral("Loop Count   : 1")), qPrintable(text));
    QVERIFY2(text.contains(QRegularExpression(QStringLiteral("Type :  0  Start :\\s+12  End :\\s+280"))),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("inst : 7")), qPrintable(text));

    const QString aiff = dir.filePath(QStringLiteral("zone.aiff"));
    QVERIFY(s.toAIFF(aiff));
    QCOMPARE(sndfileInfo(info, aiff, &text, &error).frames, 300);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    for (const char* line : {"Position : 12", "Position : 280", "Base Note : 57", "Low  Note : 33",
                             "High Note : 81", "Low  Vel. : 9", "High Vel. : 110", "mode  : 802", "begin : 1",
                             "end   : 2"})
        QVERIFY2(text.contains(QLatin1String(line)), qPrintable(QLatin1String(line) + QLatin1Char('\n') + text));
}

ORVANE_TEST_GUILESS_MAIN(TestSoundTools)
#include "tst_soundtools.moc"
