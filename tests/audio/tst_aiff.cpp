// AIFF documents: the chunk walk into a Sample (format, sound, markers, the
// zone and its sustain loop), widths that are not whole bytes, damaged sizes,
// AIFC refusal, and what the writer stores.
#include "AIFF_Document.h"
#include "Archive.h"
#include "AudioFixtures.h"
#include "Encoding.h"
#include "TestEnvironment.h"

using namespace AudioFixtures;

namespace {

QByteArray ssnd(const QByteArray& frames, quint32 offset = 0)
{
    return formChunk("SSND", be(offset, 4) + be(0, 4) + QByteArray(int(offset), '\xEE') + frames);
}

QByteArray pstring(const QByteArray& text)
{
    QByteArray s = char(text.size()) + text;
    return s.size() % 2 ? s + '\0' : s;
}

QByteArray markChunk(const QList<QPair<int, quint32>>& markers)
{
    QByteArray body = be(quint32(markers.size()), 2);
    for (const auto& m : markers)
        body += be(quint32(m.first), 2) + be(m.second, 4) + pstring("m");
    return formChunk("MARK", body);
}

QByteArray instChunk(int playMode, int begin, int end)
{
    return formChunk("INST", QByteArray("\x3E\x00\x28\x46\x05\x78", 6) + be(0, 2) + be(quint32(playMode), 2) +
                                 be(quint32(begin), 2) + be(quint32(end), 2) + QByteArray(6, '\0'));
}

// The points the fixture script writes: each channel steps through the range.
int rampPoint(int frame, int channel, int lo, int hi)
{
    return lo + (frame * (37 + 54 * channel) + 11 * channel) % (hi - lo + 1);
}

} // namespace

class TestAiff : public QObject
{
    Q_OBJECT

private slots:
    void readsZone();
    void loopModes_data();
    void loopModes();
    void markerOrder();
    void soundBeforeFormat();
    void widthsBetweenBytes_data();
    void widthsBetweenBytes();
    void refusals_data();
    void refusals();
    void damagedSizes();
    void roundTrip_data();
    void roundTrip();
    void writesExactLayout();
};

void TestAiff::readsZone()
{
    AIFF_Document doc;
    QVERIFY(doc.loadFile(fixturePath(QStringLiteral("zone.aiff"))));
    const Sample& s = doc.sample;
    QCOMPARE(s.toString(), QStringLiteral("32.0kHz 16bit stereo"));
    QCOMPARE(s.sampleLength(), 100);
    QCOMPARE(s.getPoint(1, 7), rampPoint(7, 1, -32768, 32767));
    // The odd-sized chunk before MARK was skipped with its pad byte.
    QCOMPARE(doc.markers.size(), 3);
    QCOMPARE(doc.markers[1].name, QStringLiteral("end"));
    QCOMPARE(doc.getMarker(2)->position, 90u);
    QVERIFY(doc.getMarker(3) == nullptr);
    // Play mode 2 is forward and backward; of two markers with one id the first counts.
    QCOMPARE(QList<int>({s.rootKey, s.keyLow, s.keyHigh, s.velocityLow, s.velocityHigh}),
             QList<int>({62, 40, 70, 5, 120}));
    QCOMPARE(s.loopMode, int(Sample::LoopAlternate));
    QCOMPARE(s.loopStart, 10);
    QCOMPARE(s.loopEnd, 90);
    // What INST does not name keeps its default.
    QCOMPARE(QList<int>({s.volume, s.pan, s.coarseTune, s.fineTune}), QList<int>({127, 64, 64, 64}));

    // A file without INST keeps the whole zone at the defaults.
    QVERIFY(loadBytes(doc, formFile("AIFF", aiffComm(1, 1, 16, 44100) + ssnd(QByteArray(2, '\x01')))));
    QCOMPARE(QList<int>({doc.sample.rootKey, doc.sample.keyLow, doc.sample.keyHigh, doc.sample.loopMode}),
             QList<int>({60, 0, 127, 0}));
    QVERIFY(doc.markers.isEmpty());
}

void TestAiff::loopModes_data()
{
    QTest::addColumn<int>("playMode");
    QTest::addColumn<int>("loopMode");
    QTest::newRow("none") << 0 << int(Sample::LoopOff);
    QTest::newRow("forward") << 1 << int(Sample::LoopForward);
    QTest::newRow("forward and backward") << 2 << int(Sample::LoopAlternate);
    QTest::newRow("unknown keeps the mode") << 7 << int(Sample::LoopOff);
}

void TestAiff::loopModes()
{
    QFETCH(int, playMode);
    AIFF_Document doc;
    QVERIFY(loadBytes(doc, formFile("AIFF", aiffComm(1, 1000, 16, 44100) + markChunk({{1, 100}, {2, 900}}) +
                                           instChunk(playMode, 1, 2))));
    QTEST(doc.sample.loopMode, "loopMode");
    QCOMPARE(doc.sample.loopStart, 100);
    QCOMPARE(doc.sample.loopEnd, 900);
}

void TestAiff::markerOrder()
{
    // INST before MARK: the markers are not known yet, so the loop points stay
    // 0 while the mode is set.
    AIFF_Document doc;
    QVERIFY(doc.loadFile(fixturePath(QStringLiteral("inst-first.aiff"))));
    QCOMPARE(doc.sample.loopMode, int(Sample::LoopForward));
    QCOMPARE(doc.sample.loopStart, 0);
    QCOMPARE(doc.sample.loopEnd, 0);
    QCOMPARE(doc.markers.size(), 2);
    // Markers that do not exist leave the points as they were.
    QVERIFY(loadBytes(doc, formFile("AIFF", markChunk({{1, 5}}) + instChunk(1, 1, 9))));
    QCOMPARE(doc.sample.loopStart, 5);
    QCOMPARE(doc.sample.loopEnd, 0);
}

void TestAiff::soundBeforeFormat()
{
    // SSND first (with an offset of four bytes to skip), COMM after it: the
    // sound is decoded with the format COMM gives, not with the one the
    // sample had when SSND was met.
    AIFF_Document doc;
    QVERIFY(doc.loadFile(fixturePath(QStringLiteral("sound-first.aiff"))));
    QCOMPARE(doc.sample.toString(), QStringLiteral("48.0kHz 24bit stereo"));
    QCOMPARE(doc.sample.sampleLength(), 33);
    for (int f : {0, 1, 32}) {
        for (int ch : {0, 1})
            QCOMPARE(doc.sample.getPoint(ch, f), rampPoint(f, ch, -8388608, 8388607));
    }
}

void TestAiff::widthsBetweenBytes_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("bytes");
    QTest::addColumn<int>("lo");
    QTest::addColumn<int>("hi");
    QTest::newRow("12-bit") << "12bit.aiff" << 41 << 1 << 2 << -2048 << 2047;
    QTest::newRow("20-bit") << "20bit.aiff" << 21 << 2 << 3 << -524288 << 524287;
}

void TestAiff::widthsBetweenBytes()
{
    // 12- and 20-bit samples fill two and three bytes, left-justified: each
    // point is the file's value shifted up by four bits.
    QFETCH(QString, file);
    QFETCH(int, frames);
    QFETCH(int, channels);
    QFETCH(int, lo);
    QFETCH(int, hi);
    AIFF_Document doc;
    QVERIFY(doc.loadFile(fixturePath(file)));
    QFETCH(int, bytes);
    QCOMPARE(doc.sample.bytes(), bytes);
    QCOMPARE(doc.sample.sampleLength(), frames);
    for (int f = 0; f < frames; ++f) {
        for (int ch = 0; ch < channels; ++ch)
            QCOMPARE(doc.sample.getPoint(ch, f), rampPoint(f, ch, lo, hi) * 16);
    }
}

void TestAiff::refusals_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("not FORM") << riffFile("AIFF", "");
    QTest::newRow("ends after the size") << QByteArray("FORM\0\0\0\0", 8);
    QTest::newRow("ends after the form type") << formFile("AIFF", "");
    QTest::newRow("AIFC") << formFile("AIFC", formChunk("COMM", QByteArray(22, '\0')));
    QTest::newRow("no channels") << formFile("AIFF", aiffComm(0, 1, 16, 44100));
    QTest::newRow("3 channels") << formFile("AIFF", aiffComm(3, 1, 16, 44100));
    QTest::newRow("4 bits") << formFile("AIFF", aiffComm(1, 1, 4, 44100));
    QTest::newRow("40 bits") << formFile("AIFF", aiffComm(1, 1, 40, 44100));
}

void TestAiff::refusals()
{
    QFETCH(QByteArray, file);
    AIFF_Document doc;
    QVERIFY(!loadBytes(doc, file));
    QVERIFY(!doc.sample.isValid());

    // The committed AIFC file (uncompressed) is refused as well.
    QVERIFY(!doc.loadFile(fixturePath(QStringLiteral("plain.aifc"))));
}

void TestAiff::damagedSizes()
{
    AIFF_Document doc;
    // An SSND offset past the chunk gives no sound instead of a negative length.
    QVERIFY(loadBytes(doc, formFile("AIFF", aiffComm(1, 2, 16, 44100) +
                                           formChunk("SSND", be(0xFFFFFFF0u, 4) + be(0, 4) + "\1\2\3\4"))));
    QVERIFY(!doc.sample.isValid());
    // A chunk that claims more than the file holds reads what is there.
    QByteArray cut = formFile("AIFF", aiffComm(1, 2, 16, 44100) + QByteArray("SSND") + be(0x7FFFFFF0u, 4) +
                                          be(0, 4) + be(0, 4) + "\1\2\3\4");
    QVERIFY(loadBytes(doc, cut));
    QCOMPARE(doc.sample.sampleLength(), 2);
    // A marker count beyond the chunk gives the markers it holds.
    QVERIFY(loadBytes(doc, formFile("AIFF", formChunk("MARK", be(60000, 2) + be(1, 2) + be(5, 4) + pstring("a")))));
    QCOMPARE(doc.markers.size(), 1);
    // A size with the top bit set ends the walk with what was read.
    QVERIFY(loadBytes(doc, formFile("AIFF", aiffComm(1, 1, 8, 8000) + QByteArray("junk") + be(0x80000000u, 4))));
    QCOMPARE(doc.sample.bits, 8);
}

void TestAiff::roundTrip_data()
{
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("frames");
    for (int bits : {8, 12, 16, 24, 32}) {
        for (int channels : {1, 2})
            QTest::addRow("%d-bit %d ch", bits, channels) << bits << channels << 5;
    }
}

void TestAiff::roundTrip()
{
    QFETCH(int, bits);
    QFETCH(int, channels);
    QFETCH(int, frames);
    AIFF_Document doc;
    Sample& s = doc.sample;
    s.rate = 22050;
    s.bits = bits;
    s.channels = channels;
    QByteArray interleaved;
    for (int i = 0; i < frames * s.frameSize(); ++i)
        interleaved.append(char(i * 13 + 1));
    QVERIFY(s.fromPCM(bufferOf(interleaved)));
    s.loopMode = Sample::LoopAlternate;
    s.loopStart = 1;
    s.loopEnd = 4;
    s.rootKey = 50;
    s.keyLow = 20;
    s.velocityHigh = 90;
    const QByteArray bytes = storeBytes(doc);

    AIFF_Document back;
    QVERIFY(loadBytes(back, bytes));
    QCOMPARE(back.sample.toString(), s.toString());
    QCOMPARE(back.sample.left.bytes(), s.left.bytes());
    QCOMPARE(back.sample.right.bytes(), s.right.bytes());
    QCOMPARE(QList<int>({back.sample.loopMode, back.sample.loopStart, back.sample.loopEnd, back.sample.rootKey,
                         back.sample.keyLow, back.sample.keyHigh, back.sample.velocityLow,
                         back.sample.velocityHigh}),
             QList<int>({3, 1, 4, 50, 20, 127, 0, 90}));
}

void TestAiff::writesExactLayout()
{
    // A sample without a zone writes exactly COMM and SSND; the 8-bit points
    // go out as two's complement, and an odd size gets its pad byte.
    AIFF_Document doc;
    doc.sample.bits = 8;
    doc.sample.rate = 44100;
    doc.sample.left = bufferOf("\x7F\x80\x81");
    const QByteArray expected = formFile("AIFF", aiffComm(1, 3, 8, 44100) + ssnd(QByteArray("\xFF\x00\x01", 3)));
    QCOMPARE(storeBytes(doc), expected);
    QCOMPARE(expected.mid(28, 10), QByteArray("\x40\x0E\xAC\x44\0\0\0\0\0\0", 10));
}

ORVANE_TEST_GUILESS_MAIN(TestAiff)
#include "tst_aiff.moc"
