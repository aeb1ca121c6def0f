// Single samples read from and written to WAV and AIFF files: which reader a
// file gets, what reaches the Sample, what the user is told, and what is
// written for each extension.
#include "AIFF_Document.h"
#include "AudioFixtures.h"
#include "Paths.h"
#include "Prompts.h"
#include "Sample.h"
#include "TestEnvironment.h"
#include "WAV_Document.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace AudioFixtures;

namespace {

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

Sample looped(int bits, int channels)
{
    Sample s;
    s.bits = bits;
    s.channels = channels;
    s.rate = 32000;
    QByteArray frames;
    for (int i = 0; i < 6 * s.frameSize(); ++i)
        frames.append(char(i * 5 + 2));
    s.fromPCM(bufferOf(frames));
    s.loopMode = Sample::LoopAlternate;
    s.loopStart = 1;
    s.loopEnd = 5;
    s.rootKey = 64;
    s.keyLow = 36;
    s.keyHigh = 48;
    s.velocityLow = 2;
    s.velocityHigh = 99;
    return s;
}

} // namespace

class TestSampleFiles : public QObject
{
    Q_OBJECT

private slots:
    void readsWav();
    void readsAiff();
    void unsupportedFilesAreReported();
    void otherFilesChangeNothing();
    void writesByExtension_data();
    void writesByExtension();
    void wavLoopIsForward();
    void plainWave();
};

void TestSampleFiles::readsWav()
{
    ScriptedPrompts prompts;
    Sample s;
    s.fromFile(fixturePath(QStringLiteral("zone.wav")));
    QVERIFY(s.isValid());
    QCOMPARE(s.sampleLength(), 64);
    // The first of the two loops, always forward; the zone from "inst", the
    // root key from its note and not from the smpl unity note.
    QCOMPARE(QList<int>({s.loopMode, s.loopStart, s.loopEnd}), QList<int>({1, 8, 40}));
    QCOMPARE(QList<int>({s.rootKey, s.keyLow, s.keyHigh, s.velocityLow, s.velocityHigh}),
             QList<int>({67, 36, 48, 10, 100}));
    QCOMPARE(QList<int>({s.coarseTune, s.fineTune, s.volume}), QList<int>({64, 64, 127}));

    // Without the chunks the zone keeps its defaults.
    s.fromFile(fixturePath(QStringLiteral("odd8.wav")));
    QCOMPARE(QList<int>({s.loopMode, s.rootKey, s.keyLow, s.keyHigh}), QList<int>({0, 60, 0, 127}));
    QCOMPARE(s.sampleLength(), 7);
    QCOMPARE(prompts.calls().size(), 0);
}

void TestSampleFiles::readsAiff()
{
    ScriptedPrompts prompts;
    Sample s;
    s.fromFile(fixturePath(QStringLiteral("zone.aiff")));
    QCOMPARE(s.toString(), QStringLiteral("32.0kHz 16bit stereo"));
    QCOMPARE(QList<int>({s.loopMode, s.loopStart, s.loopEnd, s.rootKey, s.keyLow, s.keyHigh}),
             QList<int>({3, 10, 90, 62, 40, 70}));
    QCOMPARE(prompts.calls().size(), 0);
}

void TestSampleFiles::unsupportedFilesAreReported()
{
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    Sample s;
    s.fromFile(fixturePath(QStringLiteral("zone.wav")));
    const QByteArray before = s.left.bytes();

    const QString wav = writeFile(dir, QStringLiteral("float.wav"),
                                  riffFile("WAVE", wavFmt(1, 44100, 32, 3) + riffChunk("data", QByteArray(8, 1))));
    s.fromFile(wav);
    QCOMPARE(prompts.count(ScriptedPrompts::Kind::Error), 1);
    // The file, then the reader's reason.
    QCOMPARE(prompts.last(ScriptedPrompts::Kind::Error).text,
             QStringLiteral("Unsupported WAV file\n\n") + GetCompactPath(wav) +
                 QStringLiteral("\n\nUnsupported WAV format 0x0003"));
    QCOMPARE(prompts.last(ScriptedPrompts::Kind::Error).title, QString());

    const QString aiff = writeFile(dir, QStringLiteral("bad.aiff"), formFile("AIFF", aiffComm(0, 1, 16, 44100)));
    s.fromFile(aiff);
    QCOMPARE(prompts.count(ScriptedPrompts::Kind::Error), 2);
    QCOMPARE(prompts.last(ScriptedPrompts::Kind::Error).text,
             QStringLiteral("Unsupported AIFF file\n\n") + GetCompactPath(aiff) +
                 QStringLiteral("\n\nUnsupported sample format: 0 channels, 16 bits"));
    // The sample keeps what it had.
    QCOMPARE(s.left.bytes(), before);
    QCOMPARE(s.rootKey, 67);
}

void TestSampleFiles::otherFilesChangeNothing()
{
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    Sample s;
    s.rootKey = 1;
    for (const QString& path : {writeFile(dir, QStringLiteral("x.txt"), "hello world, not audio"),
                                fixturePath(QStringLiteral("plain.aifc")), dir.filePath(QStringLiteral("none"))}) {
        s.fromFile(path);
        QVERIFY(!s.isValid());
        QCOMPARE(s.rootKey, 1);
    }
    QCOMPARE(prompts.calls().size(), 0);
}

void TestSampleFiles::writesByExtension_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("tag");
    QTest::newRow("wav") << "a.wav" << "RIFFWAVE";
    QTest::newRow("WAV") << "b.WAV" << "RIFFWAVE";
    QTest::newRow("aiff") << "c.aiff" << "FORMAIFF";
    QTest::newRow("aif") << "d.aif" << "FORMAIFF";
    QTest::newRow("txt") << "e.txt" << "";
}

void TestSampleFiles::writesByExtension()
{
    QFETCH(QString, name);
    QFETCH(QString, tag);
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    const QString path = dir.filePath(name);
    const Sample s = looped(24, 2);
    QCOMPARE(s.toFile(path), !tag.isEmpty());
    QCOMPARE(ReadRIFFHeader(path), tag);
    if (tag.isEmpty()) {
        QVERIFY(!QFile::exists(path));
        return;
    }
    // Read back: the same format, sound and zone.
    Sample back;
    back.fromFile(path);
    QCOMPARE(back.toString(), s.toString());
    QCOMPARE(back.left.bytes(), s.left.bytes());
    QCOMPARE(back.right.bytes(), s.right.bytes());
    QCOMPARE(QList<int>({back.loopStart, back.loopEnd, back.rootKey, back.keyLow, back.keyHigh, back.velocityLow,
                         back.velocityHigh}),
             QList<int>({1, 5, 64, 36, 48, 2, 99}));
    QCOMPARE(prompts.calls().size(), 0);
}

void TestSampleFiles::wavLoopIsForward()
{
    // A WAV file names one forward loop, whatever the sample's loop mode.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("loop.wav"));
    QVERIFY(looped(16, 1).toWAV(path));
    WAV_Document doc;
    QVERIFY(doc.loadFile(path));
    QCOMPARE(doc.loops.size(), 1);
    QCOMPARE(doc.loops[0].type, 0u);
    QCOMPARE(doc.loops[0].start, 1u);
    QCOMPARE(doc.loops[0].end, 5u);
    QCOMPARE(int(doc.instrument[WAV_Document::InstFineTune]), 0);

    Sample back;
    back.fromFile(path);
    QCOMPARE(back.loopMode, int(Sample::LoopForward));

    // A failed store is reported, and the file stays as it was.
    ScriptedPrompts prompts;
    Sample bad = looped(16, 1);
    bad.channels = 5;
    QVERIFY(!bad.toWAV(path));
    QCOMPARE(prompts.count(ScriptedPrompts::Kind::Error), 1);
    QVERIFY(doc.loadFile(path));
    QCOMPARE(doc.wave.channels, 1);
}

void TestSampleFiles::plainWave()
{
    AudioWave w;
    w.fromFile(fixturePath(QStringLiteral("20bit.aiff")));
    QCOMPARE(w.toString(), QStringLiteral("96.0kHz 20bit stereo"));
    QCOMPARE(w.sampleLength(), 21);
    w.fromFile(fixturePath(QStringLiteral("odd24.wav")));
    QCOMPARE(w.toString(), QStringLiteral("44.1kHz 24bit mono"));
    QCOMPARE(w.sampleLength(), 5);

    // A file of another kind leaves the wave; one that fails to load empties it.
    w.fromFile(fixturePath(QStringLiteral("plain.aifc")));
    QCOMPARE(w.sampleLength(), 5);
    QTemporaryDir dir;
    w.fromFile(writeFile(dir, QStringLiteral("bad.wav"), riffFile("WAVE", wavFmt(9, 44100, 16))));
    QVERIFY(!w.isValid());
    QCOMPARE(w.toString(), QStringLiteral("44.1kHz 16bit mono"));
}

ORVANE_TEST_GUILESS_MAIN(TestSampleFiles)
#include "tst_samplefiles.moc"
