// The audio format and the wave buffer: sizes, point encodings, editing,
// signal processing and the block conversions from and to file data.
#include "AudioFixtures.h"
#include "AudioWave.h"
#include "Encoding.h"
#include "TestEnvironment.h"

#include <climits>
#include <cmath>

using namespace AudioFixtures;

namespace {

// A wave of the given format whose channel 0 (and 1) hold the points.
AudioWave waveOf(int bits, const QList<int>& left, const QList<int>& right = {})
{
    AudioWave w;
    w.bits = bits;
    w.channels = right.isEmpty() ? 1 : 2;
    w.left.allocate(int(left.size()) * w.bytes());
    w.right.allocate(int(right.size()) * w.bytes());
    for (int i = 0; i < left.size(); ++i)
        w.setPoint(0, i, left[i]);
    for (int i = 0; i < right.size(); ++i)
        w.setPoint(1, i, right[i]);
    return w;
}

QList<int> channelPoints(const AudioWave& w, int ch)
{
    QList<int> out;
    for (int i = 0; i < w.channelLength(ch); ++i)
        out.append(w.getPoint(ch, i));
    return out;
}

// A wave of n points of noise over the whole range of its width (8-bit
// points and the extremes included).
AudioWave noiseWave(int bits, int n)
{
    AudioWave w;
    w.bits = bits;
    w.left.allocate(n * w.bytes());
    int low = 0, high = 0;
    w.getRange(low, high);
    quint64 x = 99;
    for (int i = 0; i < n; ++i) {
        x = x * 6364136223846793005ull + 1442695040888963407ull;
        const qint64 span = qint64(high) - low + 1;
        w.setPoint(0, i, int(low + qint64((x >> 20) % quint64(span))));
    }
    w.setPoint(0, 7, low);
    w.setPoint(0, 8, high);
    return w;
}

// The operations as their definition reads, a point at a time through the
// point calls, for the whole-channel forms to be held against.
void fadeByPoints(AudioWave& w, double hardness, int start, int end, bool rising)
{
    const double n = double(end) - start;
    for (double x = 0; x < n; x += 1.0)
        w.adjustPoint(0, int(start + x), curve(x, n, hardness, rising));
}

void crossfadeByPoints(AudioWave& w, double hardness, double ratio, int loop, int end)
{
    const double n = std::min(loop * ratio, ratio * (end - loop));
    for (double x = 0; x < n; x += 1.0) {
        const int p = int(x + (end - n));
        w.adjustPoint(0, p, curve(x, n, hardness, false));
        const int q = w.getPoint(0, int(x + (loop - n)));
        w.mergePoint(0, p, int(q * curve(x, n, hardness, true)));
    }
}

void normalizeByPoints(AudioWave& w, double ratio)
{
    qint64 peak = 0;
    for (int i = 0; i < w.channelLength(0); ++i)
        peak = std::max(peak, std::abs(qint64(w.getPoint(0, i))));
    const double factor = ratio / (double(peak) / double(MaxInt(w.bytes()) / 2 - 1));
    for (int i = 0; i < w.channelLength(0); ++i)
        w.adjustPoint(0, i, factor);
}

QList<int> range(int from, int to) // [from, to)
{
    QList<int> out;
    for (int i = from; i < to; ++i)
        out.append(i);
    return out;
}

} // namespace

class TestWave : public QObject
{
    Q_OBJECT

private slots:
    void formats_data();
    void formats();
    void sizes();
    void points_data();
    void points();
    void clipping();
    void editing();
    void editingOutOfRange();
    void normalize_data();
    void normalize();
    void fades();
    void crossfade();
    void spansPastTheChannel();
    void wholeChannelsAsPointByPoint_data();
    void wholeChannelsAsPointByPoint();
    void cutAndPasteKeepOtherHolders();
    void conversions_data();
    void conversions();
    void partFramesAndPadBytes();
    void refusedFormats_data();
    void refusedFormats();
    void eightBitEncodings();
};

void TestWave::formats_data()
{
    QTest::addColumn<double>("rate");
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("bytes");
    QTest::addColumn<int>("byteRate");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("supported");

    QTest::newRow("default") << 44100.0 << 16 << 1 << 2 << 88200 << "44.1kHz 16bit mono" << true;
    QTest::newRow("24-bit stereo") << 48000.0 << 24 << 2 << 3 << 288000 << "48.0kHz 24bit stereo" << true;
    // Widths that are not whole bytes take the next whole byte.
    QTest::newRow("12-bit") << 22050.0 << 12 << 1 << 2 << 44100 << "22.1kHz 12bit mono" << true;
    QTest::newRow("20-bit") << 96000.0 << 20 << 2 << 3 << 576000 << "96.0kHz 20bit stereo" << true;
    QTest::newRow("32-bit") << 8000.0 << 32 << 1 << 4 << 32000 << "8.0kHz 32bit mono" << true;
    QTest::newRow("4 channels") << 44100.0 << 16 << 4 << 2 << 352800 << "44.1kHz 16bit 4" << false;
    QTest::newRow("no channels") << 44100.0 << 16 << 0 << 2 << 0 << "44.1kHz 16bit 0" << false;
    QTest::newRow("4 bits") << 44100.0 << 4 << 1 << 1 << 44100 << "44.1kHz 4bit mono" << false;
    QTest::newRow("no bits") << 44100.0 << 0 << 1 << 0 << 0 << "44.1kHz 0bit mono" << false;
}

void TestWave::formats()
{
    QFETCH(double, rate);
    QFETCH(int, bits);
    QFETCH(int, channels);
    AudioFormat f;
    f.rate = rate;
    f.bits = bits;
    f.channels = channels;
    QTEST(f.bytes(), "bytes");
    QTEST(f.byteRate(), "byteRate");
    QTEST(f.toString(), "text");
    QTEST(f.isSupported(), "supported");
}

void TestWave::sizes()
{
    const AudioWave empty;
    QCOMPARE(empty.toString(), QStringLiteral("44.1kHz 16bit mono"));
    QVERIFY(!empty.isValid());
    QCOMPARE(empty.sampleLength(), 0);

    AudioWave w;
    w.channels = 2;
    w.left.allocate(200);
    w.right.allocate(200);
    QCOMPARE(w.ridevSize(), 400);
    QCOMPARE(w.sampleLength(), 100);
    QCOMPARE(w.channelLength(0), 100);
    QVERIFY(w.isPointValid(99));
    QVERIFY(!w.isPointValid(100));

    // Formats that hold no whole sample measure nothing instead of dividing by zero.
    w.channels = 0;
    QCOMPARE(w.sampleLength(), 0);
    w.channels = 2;
    w.bits = 0;
    QCOMPARE(w.sampleLength(), 0);
    QCOMPARE(w.channelLength(0), 0);
    QCOMPARE(w.getPoint(0, 0), 0);
}

void TestWave::points_data()
{
    QTest::addColumn<int>("bits");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("point");
    QTest::addColumn<float>("pointF");

    QTest::newRow("8-bit silence") << 8 << QByteArray("\x80", 1) << 0 << 0.0f;
    QTest::newRow("8-bit lowest") << 8 << QByteArray("\x00", 1) << -128 << float(-128 / 127.5);
    QTest::newRow("8-bit highest") << 8 << QByteArray("\xFF", 1) << 127 << float(127 / 127.5);
    QTest::newRow("16-bit highest") << 16 << QByteArray("\xFF\x7F", 2) << 32767 << float(32767 / 32767.5);
    QTest::newRow("16-bit lowest") << 16 << QByteArray("\x00\x80", 2) << -32768 << float(-32768 / 32767.5);
    QTest::newRow("24-bit -2") << 24 << QByteArray("\xFE\xFF\xFF", 3) << -2 << float(-2 / 8388607.5);
    QTest::newRow("12-bit in two bytes") << 12 << QByteArray("\x10\x80", 2) << -32752
                                         << float(-32752 / 32767.5);
    QTest::newRow("32-bit lowest") << 32 << QByteArray("\x00\x00\x00\x80", 4) << INT_MIN
                                   << float(INT_MIN / 2147483647.5);
}

void TestWave::points()
{
    QFETCH(int, bits);
    QFETCH(QByteArray, stored);
    QFETCH(int, point);
    AudioWave w;
    w.bits = bits;
    w.left = bufferOf(stored);
    QCOMPARE(w.getPoint(0, 0), point);
    QTEST(w.getPointF(0, 0), "pointF");
    // Past the end (and before the start) of the channel there is silence.
    QCOMPARE(w.getPoint(0, 1), 0);
    QCOMPARE(w.getPoint(0, -1), 0);
    QCOMPARE(w.getPointF(0, 1), 0.0f);

    AudioWave written;
    written.bits = bits;
    written.left.allocate(stored.size());
    written.setPoint(0, 0, point);
    QCOMPARE(written.left.bytes(), stored);

    int low = 0, high = 0;
    w.getRange(low, high);
    QCOMPARE(qint64(high) - low + 1, MaxInt(w.bytes()));
}

void TestWave::clipping()
{
    AudioWave w = waveOf(16, {30000, -30000, 100});
    w.adjustPoint(0, 0, 2.0);
    w.adjustPoint(0, 1, 2.0);
    w.mergePoint(0, 2, INT_MAX); // the sum must not wrap around
    QCOMPARE(channelPoints(w, 0), QList<int>({32767, -32768, 32767}));
    w.adjustPoint(0, 0, std::nan(""));
    QCOMPARE(w.getPoint(0, 0), 0);
    // Writes outside the channel are dropped.
    w.setPoint(0, 3, 5);
    w.setPoint(0, -1, 5);
    QCOMPARE(w.left.size(), 6);

    AudioWave wide = waveOf(32, {INT_MAX - 1});
    wide.mergePoint(0, 0, 10);
    QCOMPARE(wide.getPoint(0, 0), INT_MAX);
}

void TestWave::editing()
{
    AudioWave w = waveOf(16, range(0, 30));
    QCOMPARE(w.copy(0, 3, 5).bytes(), QByteArray("\x03\x00\x04\x00", 4));

    // The section [10, 20) followed by itself backwards, then the rest.
    w.pingpong(0, 10, 20);
    QList<int> expected = range(0, 20);
    for (int i = 19; i >= 10; --i)
        expected.append(i);
    expected += range(20, 30);
    QCOMPARE(channelPoints(w, 0), expected);

    w.cut(0, 20, 30);
    QCOMPARE(channelPoints(w, 0), range(0, 20) + range(20, 30));
    w.paste(0, bufferOf(QByteArray("\x63\x00\x64\x00", 4)), 1);
    QCOMPARE(channelPoints(w, 0).mid(0, 4), QList<int>({0, 99, 100, 1}));
    w.reverse(0, 0, 4);
    QCOMPARE(channelPoints(w, 0).mid(0, 4), QList<int>({1, 100, 99, 0}));

    // 24-bit samples move as whole samples, and the other channel stays.
    AudioWave stereo = waveOf(24, {-1, 2, -3}, {7, 8, 9});
    stereo.reverse(0, 0, 3);
    QCOMPARE(channelPoints(stereo, 0), QList<int>({-3, 2, -1}));
    QCOMPARE(channelPoints(stereo, 1), QList<int>({7, 8, 9}));

    QList<int> list{1, 2, 3};
    ReverseList(list);
    QCOMPARE(list, QList<int>({3, 2, 1}));
}

void TestWave::editingOutOfRange()
{
    AudioWave w = waveOf(16, range(0, 5));
    const QByteArray before = w.left.bytes();
    w.paste(0, bufferOf(QByteArray(2, '\x01')), 6); // past the end
    w.paste(0, bufferOf(QByteArray(2, '\x01')), -1);
    w.cut(0, 4, 2);
    w.reverse(0, 3, 3);
    QCOMPARE(w.left.bytes(), before);
    // A section reaching past the end is cut at the end; a stray byte of
    // pasted data is dropped rather than shifting every later sample.
    QCOMPARE(w.copy(0, 3, 99).size(), 4);
    w.paste(0, bufferOf(QByteArray("\x09\x00\x07", 3)), 5);
    QCOMPARE(channelPoints(w, 0), QList<int>({0, 1, 2, 3, 4, 9}));
    w.cut(0, 4, 1000);
    QCOMPARE(channelPoints(w, 0), QList<int>({0, 1, 2, 3}));
}

void TestWave::normalize_data()
{
    QTest::addColumn<int>("bits");
    QTest::addColumn<QList<int>>("points");
    QTest::addColumn<double>("ratio");
    QTest::addColumn<QList<int>>("expected");

    QTest::newRow("full scale") << 16 << QList<int>{16384, -8192, 3} << 1.0
                                << QList<int>{32767, -16383, 5};
    QTest::newRow("98 percent") << 16 << QList<int>{20000, -1} << 0.98 << QList<int>{32111, -1};
    QTest::newRow("silence") << 16 << QList<int>{0, 0} << 1.0 << QList<int>{0, 0};
    QTest::newRow("8-bit") << 8 << QList<int>{-64, 32} << 1.0 << QList<int>{-127, 63};
    // The lowest 32-bit value has no positive counterpart in an int.
    QTest::newRow("32-bit") << 32 << QList<int>{INT_MIN, 1 << 20} << 0.5 << QList<int>{-1073741823, 524287};
}

void TestWave::normalize()
{
    QFETCH(int, bits);
    QFETCH(QList<int>, points);
    QFETCH(double, ratio);
    AudioWave w = waveOf(bits, points);
    w.normalize(0, ratio);
    QTEST(channelPoints(w, 0), "expected");
}

void TestWave::fades()
{
    AudioWave w = waveOf(16, {1000, 1000, 1000, 1000, 1000});
    w.fadeIn(1.0, 0, 0, 4);
    QCOMPARE(channelPoints(w, 0), QList<int>({0, 250, 500, 750, 1000}));
    w = waveOf(16, {1000, 1000, 1000, 1000, 1000});
    w.fadeOut(1.0, 0, 0, 4);
    QCOMPARE(channelPoints(w, 0), QList<int>({1000, 750, 500, 250, 1000}));
    w.fadeOut(1.0, 0, 3, 3); // an empty span changes nothing
    QCOMPARE(channelPoints(w, 0), QList<int>({1000, 750, 500, 250, 1000}));

    QCOMPARE(curve(1, 4, 2.0, true), std::sqrt(0.25));
    QCOMPARE(curve(1, 4, 2.0, false), 1.0 - 1.0 / 16);
}

void TestWave::crossfade()
{
    // ratio 0.5, loop 100, end 300: the 50 points before the end fade out and
    // take the 50 points before the loop faded in.
    QList<int> points;
    for (int i = 0; i < 320; ++i)
        points.append(i < 100 ? 1000 + i : 4000);
    AudioWave w = waveOf(16, points);
    w.crossfade(1.0, 0.5, 0, 100, 300);
    const QList<int> after = channelPoints(w, 0);
    QCOMPARE(after.mid(0, 250), points.mid(0, 250));
    QCOMPARE(after.mid(300), points.mid(300));
    for (int x = 0; x < 50; ++x) {
        const int faded = int(4000 * (1.0 - x / 50.0));
        const int incoming = int((1050 + x) * (x / 50.0));
        QCOMPARE(after[250 + x], faded + incoming);
    }
    // The second channel of a mono wave is empty: nothing happens.
    w.crossfade(1.0, 0.5, 1, 100, 300);
    QVERIFY(w.right.isEmpty());
}

void TestWave::spansPastTheChannel()
{
    // Spans reaching far outside the channel touch only what it holds and
    // return at once instead of walking billions of positions.
    AudioWave w = waveOf(16, {1000, 1000, 1000, 1000});
    w.fadeIn(1.0, 0, -2, 2);
    QCOMPARE(channelPoints(w, 0), QList<int>({500, 750, 1000, 1000}));
    w.fadeOut(1.0, 0, 2, INT_MAX);
    QCOMPARE(channelPoints(w, 0).mid(0, 2), QList<int>({500, 750}));
    w.fadeIn(1.0, 0, INT_MIN, INT_MAX);
    w.crossfade(1.0, 1e12, 0, 2, 4);
    w.crossfade(1.0, 0.5, 0, 1000, 3000);
    QCOMPARE(w.left.size(), 8);
}

// The whole-channel forms of the fades, the crossfade and normalize give the
// points their point-by-point definition gives, bit for bit, on channels long
// enough for the fades to be drawn in straight runs, at every width and over
// the whole range of each.
void TestWave::wholeChannelsAsPointByPoint_data()
{
    QTest::addColumn<int>("bits");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<double>("hardness");
    QTest::addColumn<double>("ratio");

    QTest::newRow("fade in 16") << 16 << "fadeIn" << 1.2 << 0.0;
    QTest::newRow("fade in 24, soft") << 24 << "fadeIn" << 0.35 << 0.0;
    QTest::newRow("fade in 8, straight") << 8 << "fadeIn" << 1.0 << 0.0;
    QTest::newRow("fade out 16") << 16 << "fadeOut" << 1.2 << 0.0;
    QTest::newRow("fade out 32, hard") << 32 << "fadeOut" << 3.0 << 0.0;
    QTest::newRow("crossfade 16") << 16 << "crossfade" << 1.2 << 0.9;
    QTest::newRow("crossfade 32") << 32 << "crossfade" << 0.5 << 1.0;
    // The stretch read overlaps the tail being written.
    QTest::newRow("crossfade 16, overlapping") << 16 << "crossfade" << 2.0 << 1.7;
    QTest::newRow("normalize 16") << 16 << "normalize" << 0.0 << 0.98;
    QTest::newRow("normalize 24") << 24 << "normalize" << 0.0 << 1.0;
    QTest::newRow("normalize 32") << 32 << "normalize" << 0.0 << 0.7;
    QTest::newRow("normalize 8") << 8 << "normalize" << 0.0 << 0.5;
}

void TestWave::wholeChannelsAsPointByPoint()
{
    QFETCH(int, bits);
    QFETCH(QString, operation);
    QFETCH(double, hardness);
    QFETCH(double, ratio);
    const int n = 1 << 19;
    AudioWave ours = noiseWave(bits, n);
    AudioWave theirs = ours;
    if (operation == QLatin1String("fadeIn")) {
        ours.fadeIn(hardness, 0, 3, n - 2);
        fadeByPoints(theirs, hardness, 3, n - 2, true);
    } else if (operation == QLatin1String("fadeOut")) {
        ours.fadeOut(hardness, 0, 1000, n);
        fadeByPoints(theirs, hardness, 1000, n, false);
    } else if (operation == QLatin1String("crossfade")) {
        ours.crossfade(hardness, ratio, 0, n / 3, n - 5);
        crossfadeByPoints(theirs, hardness, ratio, n / 3, n - 5);
    } else {
        ours.normalize(0, ratio);
        normalizeByPoints(theirs, ratio);
    }
    QVERIFY(ours.left.bytes() != noiseWave(bits, n).left.bytes());
    if (ours.left.bytes() != theirs.left.bytes()) {
        int i = 0;
        while (ours.getPoint(0, i) == theirs.getPoint(0, i))
            ++i;
        QFAIL(qPrintable(QStringLiteral("point %1: %2, not %3").arg(i).arg(ours.getPoint(0, i)).arg(theirs.getPoint(0, i))));
    }
}

// Cut and paste change the channel in place, but never the bytes a copy of
// the wave shares; a channel pasted into itself inserts its old self.
void TestWave::cutAndPasteKeepOtherHolders()
{
    AudioWave w = waveOf(16, range(0, 10), range(100, 110));
    const AudioWave copy = w;
    const Buffer section = w.copy(0, 2, 5);
    w.cut(0, 2, 5);
    QCOMPARE(channelPoints(copy, 0), range(0, 10));
    QCOMPARE(channelPoints(w, 0), range(0, 2) + range(5, 10));
    w.paste(0, section, 2);
    QCOMPARE(channelPoints(w, 0), range(0, 10));
    QCOMPARE(channelPoints(w, 1), range(100, 110));

    w.paste(1, w.right, 1);
    QCOMPARE(channelPoints(w, 1), QList<int>{100} + range(100, 110) + range(101, 110));
    QCOMPARE(channelPoints(copy, 1), range(100, 110));
    QCOMPARE(section.bytes(), QByteArray("\x02\x00\x03\x00\x04\x00", 6));
}

void TestWave::conversions_data()
{
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("channels");
    for (int bits : {8, 12, 16, 20, 24, 32}) {
        for (int channels : {1, 2})
            QTest::addRow("%d-bit %d ch", bits, channels) << bits << channels;
    }
}

void TestWave::conversions()
{
    QFETCH(int, bits);
    QFETCH(int, channels);
    AudioFormat format;
    format.bits = bits;
    format.channels = channels;
    const int b = format.bytes();
    const int frames = 7;

    // Distinct bytes everywhere, so a swapped channel, byte or frame shows.
    QByteArray interleaved;
    for (int i = 0; i < frames * format.frameSize(); ++i)
        interleaved.append(char(i * 7 + 3));

    AudioWave pcm;
    static_cast<AudioFormat&>(pcm) = format;
    QVERIFY(pcm.fromPCM(bufferOf(interleaved)));
    QCOMPARE(pcm.channelLength(0), frames);
    QCOMPARE(pcm.right.size(), channels == 2 ? frames * b : 0);
    QCOMPARE(pcm.left.bytes().mid(0, b), interleaved.mid(0, b));
    if (channels == 2)
        QCOMPARE(pcm.right.bytes().mid(b, b), interleaved.mid(3 * b, b));
    QCOMPARE(pcm.toPCM().bytes(), interleaved);

    // The same frames as big-endian two's complement give the same points.
    QByteArray bigEndian;
    const QList<int> expected = AudioFixtures::points(pcm);
    for (int p : expected)
        bigEndian += AudioFixtures::be(EncodeSigned(p, b), b);
    AudioWave aiff;
    static_cast<AudioFormat&>(aiff) = format;
    QVERIFY(aiff.fromAIFF(bufferOf(bigEndian)));
    QCOMPARE(AudioFixtures::points(aiff), expected);
    QCOMPARE(aiff.toAIFFData().bytes(), bigEndian);
    if (channels == 1)
        QCOMPARE(pcm.toPCM().bytes(), pcm.left.bytes());
}

void TestWave::partFramesAndPadBytes()
{
    // A 24-bit mono file of 5 frames has an odd data size; with the pad byte
    // the data is 16 bytes, and only the 5 whole samples may come out.
    AudioWave mono;
    mono.bits = 24;
    QVERIFY(mono.fromPCM(bufferOf(QByteArray(15, '\x11') + QByteArray(1, '\0'))));
    QCOMPARE(mono.left.size(), 15);
    QCOMPARE(mono.sampleLength(), 5);

    // A stereo frame cut short at the end is dropped whole.
    AudioWave stereo;
    stereo.channels = 2;
    QVERIFY(stereo.fromPCM(bufferOf(QByteArray(4 * 3 + 2, '\x22'))));
    QCOMPARE(stereo.left.size(), 6);
    QCOMPARE(stereo.right.size(), 6);

    // Reading mono data into a wave that was stereo leaves no stale right channel.
    stereo.channels = 1;
    QVERIFY(stereo.fromPCM(bufferOf(QByteArray(4, '\x33'))));
    QVERIFY(stereo.right.isEmpty());
    QCOMPARE(stereo.sampleLength(), 2);

    // A stereo wave whose right channel fell short is written with silence there.
    AudioWave ragged = waveOf(8, {1, 2, 3}, {4});
    QCOMPARE(ragged.toPCM().bytes(), QByteArray("\x81\x84\x82\x80\x83\x80", 6));
}

void TestWave::refusedFormats_data()
{
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("channels");
    QTest::newRow("no channels") << 16 << 0;
    QTest::newRow("three channels") << 16 << 3;
    QTest::newRow("negative channels") << 16 << -1;
    QTest::newRow("4 bits") << 4 << 1;
    QTest::newRow("0 bits") << 0 << 2;
    QTest::newRow("48 bits") << 48 << 1;
}

void TestWave::refusedFormats()
{
    QFETCH(int, bits);
    QFETCH(int, channels);
    AudioWave w;
    w.left.allocate(10); // stale data must not survive a refused conversion
    w.bits = bits;
    w.channels = channels;
    QVERIFY(!w.fromPCM(bufferOf(QByteArray(64, '\x01'))));
    QVERIFY(!w.isValid());
    QVERIFY(!w.fromAIFF(bufferOf(QByteArray(64, '\x01'))));
    QVERIFY(w.toPCM().isEmpty());
    QVERIFY(w.toAIFFData().isEmpty());
}

void TestWave::eightBitEncodings()
{
    // AIFF's 8-bit samples are two's complement, the wave's excess-128: 0xFF
    // (-1) is stored as 0x7F, and a WAV file gets 0x7F back.
    AudioWave w;
    w.bits = 8;
    QVERIFY(w.fromAIFF(bufferOf(QByteArray("\xFF\x00\x80\x7F", 4))));
    QCOMPARE(w.left.bytes(), QByteArray("\x7F\x80\x00\xFF", 4));
    QCOMPARE(channelPoints(w, 0), QList<int>({-1, 0, -128, 127}));
    QCOMPARE(w.toPCM().bytes(), QByteArray("\x7F\x80\x00\xFF", 4));
    QCOMPARE(w.toAIFFData().bytes(), QByteArray("\xFF\x00\x80\x7F", 4));
    w.setPoint(0, 0, -1);
    QCOMPARE(w.left[0], 0x7F);
}

ORVANE_TEST_GUILESS_MAIN(TestWave)
#include "tst_wave.moc"
