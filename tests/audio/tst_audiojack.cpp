// The output port on the system's backend over a real transport: a private
// JACK server with its dummy driver, and a JACK client of our own at the far
// end that records what arrives.
#include "AudioPort.h"
#include "JackAudioTap.h"
#include "JackServer.h"
#include "TestEnvironment.h"

#include <algorithm>
#include <limits>

namespace {

JackServer& server()
{
    static JackServer s;
    return s;
}

// A 24-bit stereo wave whose left frame i holds i + 1 and right frame i
// holds -(i + 1): every value is a float exactly, and tells its frame.
AudioWave numberedWave(int frames)
{
    AudioWave w;
    w.bits = 24;
    w.channels = 2;
    w.rate = 48000;
    w.left.allocate(frames * 3);
    w.right.allocate(frames * 3);
    for (int i = 0; i < frames; ++i) {
        w.setPoint(0, i, i + 1);
        w.setPoint(1, i, -(i + 1));
    }
    return w;
}

} // namespace

class TestAudioJack : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QString error;
        if (!server().start(&error)) {
            if (qEnvironmentVariable("CI") == QLatin1String("true"))
                QFAIL(qPrintable(error));
            QSKIP(qPrintable(QStringLiteral("no JACK server for this test: %1").arg(error)));
        }
        setAudioBackend(nullptr);
    }

    void cleanupTestCase() { server().stop(); }

    // Play returns before the stream is open; the wave reaches the far end
    // sample for sample on both channels, the port reports positions as the
    // server runs frames through, and stops by itself after the wave.
    void playsSampleForSample()
    {
        const int length = 2 * 48000 + 321;
        JackAudioTap tap;
        QString error;
        QVERIFY2(tap.open(QStringLiteral("orvane-tap"), 2, length + 20 * 48000, &error), qPrintable(error));
        const int period = tap.period();
        QCOMPARE(tap.rate(), 48000);

        QVERIFY(InitAudioPorts());
        const QList<AudioDeviceInfo> devices = audioBackend()->devices();
        const AudioDeviceInfo* device = findAudioDevice(devices, QStringLiteral("orvane-tap"));
        QVERIFY(device);
        QCOMPARE(device->outputChannels, 2);
        QCOMPARE(device->nominalRate, 48000.0);
        // The server's rate is the only one: the picker keeps it.
        QVERIFY(setBestSampleRateForDevice(device->id, true, false, 44100));

        const AudioWave wave = numberedWave(length);
        AudioOutPort port;
        QList<QPair<int, qint64>> reports; // position, frames the server ran through the tap
        connect(&port, &AudioOutPort::audioPosChanged, &port,
                [&](int position) { reports.append({position, tap.frames()}); });
        port.setName(QStringLiteral("orvane-tap"));
        QVERIFY(port.play(wave, 0, -1, -1));
        // Play returned without waiting for the server: the stream opens on
        // a worker and reaches this thread only through its event loop.
        QVERIFY(port.isStarting());
        QTRY_VERIFY_WITH_TIMEOUT(!port.isStarting(), 30000);
        QVERIFY(port.isOpened());
        // Our own stream is no device to offer.
        InitAudioPorts();
        for (const PortInfo& p : AudioInPorts)
            QVERIFY2(!p.name.startsWith(QStringLiteral("ORVANE")), qPrintable(p.name));

        QTRY_VERIFY_WITH_TIMEOUT(!reports.isEmpty() && reports.last().first == -1, 60000);
        QVERIFY(!port.isOpened());
        // The cycle that carried the last frames has reached the tap.
        const qint64 seen = tap.frames();
        QTRY_VERIFY_WITH_TIMEOUT(tap.frames() > seen + 2 * period, 30000);

        const std::vector<float> left = tap.recorded(0);
        const std::vector<float> right = tap.recorded(1);
        // Frames that went out before JACK connected our ports never
        // arrived: the recording starts at some frame of the wave.
        const auto first = std::find_if(left.begin(), left.end(), [](float v) { return v != 0.0f; });
        QVERIFY(first != left.end());
        const size_t at = size_t(first - left.begin());
        const int from = qRound(*first * 8388608.0f) - 1;
        QVERIFY2(from >= 0 && from % period == 0 && from < length / 2, qPrintable(QString::number(from)));
        QVERIFY(at + size_t(length - from) <= left.size());
        for (int i = from; i < length; ++i) {
            const size_t r = at + size_t(i - from);
            if (left[r] != wave.getPointF(0, i) || right[r] != wave.getPointF(1, i))
                QFAIL(qPrintable(QStringLiteral("frame %1: %2 %3").arg(i).arg(left[r]).arg(right[r])));
        }
        // Then silence.
        for (size_t r = at + size_t(length - from); r < left.size(); ++r)
            QVERIFY(left[r] == 0.0f && right[r] == 0.0f);

        // Positions rise with the frames the server runs, one for one: the
        // server is ahead of the reported position by the same count all
        // along. A report the GUI thread handles late sees the server further
        // ahead, so each half of the play is judged by its least lead.
        const int count = int(reports.size()) - 1; // the last is -1
        QVERIFY(count >= 6);
        QVERIFY(reports.at(count - 1).first > length);
        for (int i = 1; i < count; ++i)
            QVERIFY(reports.at(i).first > reports.at(i - 1).first);
        const auto leastLead = [&](int from, int to) {
            qint64 lead = std::numeric_limits<qint64>::max();
            for (int i = from; i < to; ++i)
                lead = std::min(lead, reports.at(i).second - reports.at(i).first);
            return lead;
        };
        const qint64 early = leastLead(0, count / 2);
        const qint64 late = leastLead(count / 2, count);
        QVERIFY2(std::abs(late - early) <= period,
                 qPrintable(QStringLiteral("lead %1 early, %2 late").arg(early).arg(late)));
    }
};

ORVANE_TEST_MAIN(TestAudioJack)
#include "tst_audiojack.moc"
