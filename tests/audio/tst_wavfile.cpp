// WAV documents: what is read from fmt, data, smpl and inst, what is
// refused, and the exact bytes the writer produces.
#include "Archive.h"
#include "AudioFixtures.h"
#include "TestEnvironment.h"
#include "WAV_Document.h"

#include <QTemporaryDir>

using namespace AudioFixtures;

namespace {

QByteArray smplBody(quint32 count, const QList<QList<quint32>>& loops)
{
    QByteArray body;
    for (quint32 w : {0u, 0u, 22675u, 72u, 0u, 0u, 0u})
        body += le(w, 4);
    body += le(count, 4) + le(0, 4);
    for (const QList<quint32>& loop : loops) {
        for (quint32 w : loop)
            body += le(w, 4);
    }
    return body;
}

// The "fmt " chunk of the extensible form: the plain sixteen bytes, then the
// extension (22 bytes: valid bits, speaker mask, sub-format GUID).
QByteArray extensibleFmt(int channels, int bits, quint32 subFormat, const char* guidTail = "000010008000 00AA00389B71")
{
    QByteArray body = wavFmt(channels, 48000, bits, 0xFFFE).mid(8);
    body += le(22, 2) + le(quint32(bits), 2) + le(channels == 2 ? 3 : 4, 4) + le(subFormat, 4) +
            QByteArray::fromHex(guidTail);
    return riffChunk("fmt ", body);
}

} // namespace

class TestWavFile : public QObject
{
    Q_OBJECT

private slots:
    void readsFixture();
    void refusals_data();
    void refusals();
    void readsExtensiblePcm();
    void oddDataSizes();
    void loopCountsBeyondTheChunk();
    void writesExactLayout();
    void writesLoopsAndInstrument();
    void refusesToWriteWhatItCannotHold();
};

void TestWavFile::readsFixture()
{
    WAV_Document doc;
    QVERIFY(doc.loadFile(fixturePath(QStringLiteral("zone.wav"))));
    QCOMPARE(doc.formatTag, 1);
    QCOMPARE(doc.wave.toString(), QStringLiteral("22.1kHz 16bit mono"));
    QCOMPARE(doc.wave.sampleLength(), 64);
    QCOMPARE(doc.wave.getPoint(0, 0), -30000);
    // The sound went from the file into the wave; the tree keeps no copy.
    const RIFF_Chunk* data = doc.root.getChunk(QStringLiteral("data"));
    QCOMPARE(data->size, 128);
    QCOMPARE(data->offset, qint64(44));
    QVERIFY(data->data.isEmpty());
    QCOMPARE(doc.loops.size(), 2);
    QCOMPARE(doc.loops[0].start, 8u);
    QCOMPARE(doc.loops[0].end, 40u);
    QCOMPARE(doc.loops[1].type, 1u);
    QCOMPARE(doc.loops[1].playCount, 3u);
    QVERIFY(doc.hasInstrument);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(doc.instrument), 7),
             QByteArray("\x43\xFB\x03\x24\x30\x0A\x64", 7));
    QVERIFY(doc.toString().startsWith(QStringLiteral("WaveFormat=1 22.1kHz 16bit mono Size=128\nLeft=D0 8A")));

    // Loading again forgets the loops and the zone of the last file.
    QVERIFY(loadBytes(doc, riffFile("WAVE", wavFmt(1, 8000, 8) + riffChunk("data", "\x80"))));
    QVERIFY(doc.loops.isEmpty());
    QVERIFY(!doc.hasInstrument);
}

void TestWavFile::refusals_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("error");

    const QByteArray data = riffChunk("data", QByteArray(8, '\x01'));
    QTest::newRow("not RIFF") << QByteArray("FORM\0\0\0\4AIFF", 12) << "File does not contain data";
    QTest::newRow("no data") << riffFile("WAVE", wavFmt(1, 44100, 16)) << "File does not contain data";
    // Both chunks are looked for at the top level only.
    QTest::newRow("inside a list") << riffFile("WAVE", riffChunk("LIST", "wrap" + wavFmt(1, 44100, 16) + data))
                                   << "File does not contain data";
    // Other encodings are refused with their tag; the extensible form with
    // its sub-format's.
    QTest::newRow("float") << riffFile("WAVE", wavFmt(1, 44100, 32, 3) + data) << "Unsupported WAV format 0x0003";
    QTest::newRow("compressed") << riffFile("WAVE", wavFmt(1, 44100, 4, 0x11) + data)
                                << "Unsupported WAV format 0x0011";
    QTest::newRow("extensible float") << riffFile("WAVE", extensibleFmt(2, 32, 3) + data)
                                      << "Unsupported WAV format 0xFFFE, sub-format 0x0003";
    QTest::newRow("extensible, foreign GUID")
        << riffFile("WAVE", extensibleFmt(2, 16, 1, "000010008000 00AA00389B72") + data)
        << "Unsupported WAV format 0xFFFE of an unknown sub-format";
    QTest::newRow("extensible, no extension") << riffFile("WAVE", wavFmt(2, 44100, 24, 0xFFFE) + data)
                                              << "Unsupported WAV format 0xFFFE without its sub-format";
    // Layouts a wave cannot hold are refused with the reason instead of
    // dividing by zero, spinning, or splitting frames wrongly.
    QTest::newRow("no channels") << riffFile("WAVE", wavFmt(0, 44100, 16) + data)
                                 << "Unsupported sample format: 0 channels, 16 bits";
    QTest::newRow("six channels") << riffFile("WAVE", wavFmt(6, 44100, 16) + data)
                                  << "Unsupported sample format: 6 channels, 16 bits";
    QTest::newRow("4 bits") << riffFile("WAVE", wavFmt(1, 44100, 4) + data)
                            << "Unsupported sample format: 1 channels, 4 bits";
    QTest::newRow("short fmt") << riffFile("WAVE", riffChunk("fmt ", le(1, 2)) + data)
                               << "Unsupported sample format: 0 channels, 0 bits";
}

void TestWavFile::refusals()
{
    QFETCH(QByteArray, file);
    WAV_Document doc;
    QVERIFY(!loadBytes(doc, file));
    QTEST(doc.docError(), "error");
    QVERIFY(!doc.wave.isValid());
}

// Integer PCM in the extensible form reads as plain PCM, and is stored as
// plain PCM (tag 1, the sixteen-byte "fmt "), which reads back the same.
void TestWavFile::readsExtensiblePcm()
{
    WAV_Document doc;
    QVERIFY2(loadBytes(doc, riffFile("WAVE", extensibleFmt(2, 24, 1) +
                                                 riffChunk("data", QByteArray::fromHex("010000FFFFFF FFFF7F000080")))),
             qPrintable(doc.docError()));
    QCOMPARE(doc.formatTag, 1);
    QCOMPARE(doc.wave.toString(), QStringLiteral("48.0kHz 24bit stereo"));
    QCOMPARE(QList<int>({doc.wave.getPoint(0, 0), doc.wave.getPoint(1, 0), doc.wave.getPoint(0, 1),
                         doc.wave.getPoint(1, 1)}),
             QList<int>({1, -1, 8388607, -8388608}));
    const QByteArray stored = storeBytes(doc);
    QCOMPARE(stored.mid(16, 6), le(16, 4) + le(1, 2));
    WAV_Document back;
    QVERIFY(loadBytes(back, stored));
    QCOMPARE(back.wave.left, doc.wave.left);
    QCOMPARE(back.wave.right, doc.wave.right);
}

void TestWavFile::oddDataSizes()
{
    // 7 frames of 8-bit mono: the pad byte after them is no eighth sample.
    WAV_Document doc;
    QVERIFY(doc.loadFile(fixturePath(QStringLiteral("odd8.wav"))));
    QCOMPARE(doc.wave.sampleLength(), 7);
    // 5 frames of 24-bit mono: 15 bytes and a pad, read as 5 whole samples.
    QVERIFY(doc.loadFile(fixturePath(QStringLiteral("odd24.wav"))));
    QCOMPARE(doc.wave.left.size(), 15);
    QCOMPARE(doc.wave.getPoint(0, 0), -8388608);
    // A data chunk that ends inside a stereo frame keeps the whole frames.
    QVERIFY(loadBytes(doc, riffFile("WAVE", wavFmt(2, 44100, 16) + riffChunk("data", QByteArray(11, '\x05')))));
    QCOMPARE(doc.wave.sampleLength(), 2);
}

void TestWavFile::loopCountsBeyondTheChunk()
{
    // A loop count of two billion in a chunk that holds one loop gives one
    // loop; a negative count gives none.
    const QByteArray base = wavFmt(1, 44100, 16) + riffChunk("data", QByteArray(4, '\0'));
    WAV_Document doc;
    QVERIFY(loadBytes(doc, riffFile("WAVE", base + riffChunk("smpl", smplBody(0x7FFFFFFF, {{1, 0, 5, 9, 0, 0}})))));
    QCOMPARE(doc.loops.size(), 1);
    QCOMPARE(doc.loops[0].end, 9u);
    QVERIFY(loadBytes(doc, riffFile("WAVE", base + riffChunk("smpl", smplBody(0xFFFFFFFF, {{1, 0, 5, 9, 0, 0}})))));
    QVERIFY(doc.loops.isEmpty());
    // A short inst chunk reads as far as it goes.
    QVERIFY(loadBytes(doc, riffFile("WAVE", base + riffChunk("inst", QByteArray("\x3C\x00\x00", 3)))));
    QVERIFY(doc.hasInstrument);
    QCOMPARE(int(doc.instrument[0]), 60);
    QCOMPARE(int(doc.instrument[6]), 0);
}

void TestWavFile::writesExactLayout()
{
    WAV_Document doc;
    doc.wave.rate = 44100.9;
    doc.wave.bits = 8;
    doc.wave.left = bufferOf("\x01\x02\x03");
    const QByteArray bytes = storeBytes(doc);
    const QByteArray expected = QByteArray("RIFF") + le(36 + 3 + 1, 4) + "WAVE" + "fmt " + le(16, 4) + le(1, 2) +
                                le(1, 2) + le(44100, 4) + le(44100, 4) + le(1, 2) + le(8, 2) + "data" + le(3, 4) +
                                "\x01\x02\x03" + QByteArray(1, '\0');
    QCOMPARE(bytes, expected);

    WAV_Document back;
    QVERIFY(loadBytes(back, bytes));
    QCOMPARE(back.wave.left.bytes(), QByteArray("\x01\x02\x03"));

    // A wave without sound ends the file with an empty data chunk, which
    // reads back as such.
    WAV_Document empty;
    const QByteArray none = storeBytes(empty);
    QCOMPARE(none.size(), 44);
    QVERIFY(loadBytes(back, none));
    QVERIFY(!back.wave.isValid());
}

void TestWavFile::writesLoopsAndInstrument()
{
    WAV_Document doc;
    doc.wave.channels = 2;
    doc.wave.bits = 24;
    doc.wave.left = bufferOf("\x01\x02\x03");
    doc.wave.right = bufferOf("\x04\x05\x06");
    WAV_Loop loop;
    loop.identifier = 7;
    loop.start = 1;
    loop.end = 2;
    loop.playCount = 4;
    doc.loops.append(loop);
    doc.hasInstrument = true;
    const unsigned char zone[7] = {60, 0xFB, 2, 36, 48, 1, 127};
    std::copy(zone, zone + 7, doc.instrument);
    const QByteArray bytes = storeBytes(doc);

    // No sampler data of its own: seven zero words, the count, no extra bytes.
    QByteArray smpl = "smpl" + le(36 + 24, 4) + QByteArray(28, '\0') + le(1, 4) + le(0, 4);
    for (quint32 w : {7u, 0u, 1u, 2u, 0u, 4u})
        smpl += le(w, 4);
    const QByteArray inst = QByteArray("inst") + le(7, 4) + QByteArray(reinterpret_cast<const char*>(zone), 7) +
                            QByteArray(1, '\0');
    QCOMPARE(bytes.mid(36, 8 + 6), QByteArray("data") + le(6, 4) + "\x01\x02\x03\x04\x05\x06");
    QCOMPARE(bytes.mid(50), smpl + inst);
    QCOMPARE(bytes.mid(4, 4), le(quint32(bytes.size() - 8), 4));

    WAV_Document back;
    QVERIFY(loadBytes(back, bytes));
    QCOMPARE(back.loops.size(), 1);
    QCOMPARE(back.loops[0].identifier, 7u);
    QCOMPARE(back.loops[0].playCount, 4u);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(back.instrument), 7),
             QByteArray(reinterpret_cast<const char*>(zone), 7));
    QCOMPARE(back.wave.right.bytes(), QByteArray("\x04\x05\x06"));
}

void TestWavFile::refusesToWriteWhatItCannotHold()
{
    // Six channels cannot be stored from two buffers: nothing is written, and
    // an existing file stays as it was.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("keep.wav"));
    WAV_Document good;
    good.wave.left = bufferOf(QByteArray("\x01\x00", 2));
    QVERIFY(good.storeFile(path));
    WAV_Document bad;
    bad.wave.channels = 6;
    bad.wave.left = bufferOf(QByteArray("\x01\x00", 2));
    QVERIFY(!bad.storeFile(path));
    QCOMPARE(bad.docError(), QStringLiteral("Unsupported sample format: 6 channels, 16 bits"));
    WAV_Document back;
    QVERIFY(back.loadFile(path));
    QCOMPARE(back.wave.left.bytes(), QByteArray("\x01\x00", 2));
}

ORVANE_TEST_GUILESS_MAIN(TestWavFile)
#include "tst_wavfile.moc"
