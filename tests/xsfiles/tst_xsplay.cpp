// Keybanks and slices on the audio output port, through the fake backend:
// what starts, what stops, and which points reach the device in which order.
#include "AudioPort.h"
#include "FakeAudioBackend.h"
#include "TestEnvironment.h"
#include "XS_Waveform.h"

#include <QTest>

namespace {

// Little-endian 16-bit points.
QByteArray points16(const QList<int>& values)
{
    QByteArray bytes;
    for (int v : values) {
        bytes.append(char(v & 0xFF));
        bytes.append(char((v >> 8) & 0xFF));
    }
    return bytes;
}

XS_Keybank* sliceAt(int note, const QList<int>& left)
{
    auto* kb = new XS_Keybank;
    kb->note_lo = kb->note_hi = kb->note_center = quint8(note);
    kb->setBits(16);
    kb->channels = 1;
    kb->left.setBytes(points16(left));
    return kb;
}

// The points of one side of pumped stereo output, up to the first silence.
QList<int> playedSide(const std::vector<float>& out, int side)
{
    QList<int> values;
    for (size_t i = size_t(side); i < out.size(); i += 2) {
        const int v = qRound(out[i] * 32768.0f);
        if (v == 0)
            break;
        values.append(v);
    }
    return values;
}

} // namespace

class TestXsPlay : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeSpeakers> m_speakers;
    FakeAudioBackend* m_fake = nullptr;
    AudioDevice* m_device = nullptr;

private slots:
    void init()
    {
        m_speakers = std::make_unique<FakeSpeakers>();
        m_fake = &m_speakers->fake;
        m_device = m_speakers->device();
    }

    void cleanup() { m_speakers.reset(); }

    // A loop keybank plays from its start with its loop, anything else from
    // the first frame once through; a second call stops the sound.
    void keybankStartsAndStops_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("loop");
        QTest::newRow("loop") << 0 << 2 << 4;
        QTest::newRow("one shot") << 1 << 0 << -1;
        QTest::newRow("reverse") << 2 << 0 << -1;
    }

    void keybankStartsAndStops()
    {
        QFETCH(int, mode);
        QFETCH(int, start);
        QFETCH(int, loop);
        std::unique_ptr<XS_Keybank> kb(sliceAt(60, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
        kb->play_mode = quint8(mode);
        kb->sample_start = 2;
        kb->loop_start = 4;
        kb->loop_end = 8;
        AudioOutPort* out = m_device->out();

        QVERIFY(kb->play(m_device));
        QVERIFY(out->isPlaying(kb.get()));
        QVERIFY(m_fake->isRunning());
        QCOMPARE(out->start(), start);
        QCOMPARE(out->loop(), loop);
        QCOMPARE(playedSide(m_fake->pump(1), 0), QList<int>{start + 1});

        QVERIFY(kb->play(m_device));
        QVERIFY(!out->isOpened());
        QVERIFY(!m_fake->isRunning());
    }

    void compressedKeybankIsNotPlayed()
    {
        std::unique_ptr<XS_Keybank> kb(sliceAt(60, {1, 2, 3, 4}));
        kb->setFormat(XS_Keybank::FormatLPC);
        QVERIFY(!kb->play(m_device));
        QVERIFY(!m_device->out()->isOpened());
        QVERIFY(!kb->play(nullptr));
    }

    // Falling notes play from the last keybank; the wave is 16-bit and
    // stereo as soon as one slice is, whatever each slice holds.
    void slicesInNoteOrder()
    {
        XS_Waveform falling(QStringLiteral("Falling"));
        falling.addKeybank(sliceAt(64, {1, 2}));
        falling.addKeybank(sliceAt(63, {3}));
        falling.addKeybank(sliceAt(62, {4, 5}));
        QVERIFY(falling.playSlices(m_device));
        const std::vector<float> out = m_fake->pump(8);
        QCOMPARE(playedSide(out, 0), QList<int>({4, 5, 3, 1, 2}));
        QCOMPARE(playedSide(out, 1), QList<int>({4, 5, 3, 1, 2}));
        m_device->out()->stop();

        XS_Waveform mixed(QStringLiteral("Mixed"));
        auto* eightBit = new XS_Keybank;
        eightBit->note_lo = eightBit->note_hi = eightBit->note_center = 60;
        eightBit->setBits(8);
        eightBit->channels = 2;
        eightBit->left.setBytes(QByteArray("\x81\x82", 2));  // +1, +2
        eightBit->right.setBytes(QByteArray("\x7F\x7E", 2)); // -1, -2
        mixed.addKeybank(eightBit);
        mixed.addKeybank(sliceAt(61, {7}));
        QVERIFY(mixed.playSlices(m_device));
        const std::vector<float> stereo = m_fake->pump(4);
        QCOMPARE(playedSide(stereo, 0), QList<int>({256, 512, 7}));
        QCOMPARE(playedSide(stereo, 1), QList<int>({-256, -512, 7}));
    }

    void noSlicesPlayNothing()
    {
        XS_Waveform wide(QStringLiteral("Wide"));
        wide.addKeybank(sliceAt(60, {1}));
        QVERIFY(!wide.playSlices(m_device)); // one keybank is no slicing
        wide.addKeybank(sliceAt(64, {2}));
        QVERIFY(!wide.playSlices(m_device)); // not a step apart
        QVERIFY(!m_device->out()->isOpened());
    }
};

ORVANE_TEST_MAIN(TestXsPlay)
#include "tst_xsplay.moc"
