// The audio output port on the fake backend: what each block holds (loops,
// channels, the frames the device asks for), the end of a wave, failures to
// play, opening on a worker, the device lists and the rate picker.
#include "AudioPort.h"
#include "EventMessage.h"
#include "FakeAudioBackend.h"
#include "TestEnvironment.h"

#include <QSignalSpy>

#include <atomic>
#include <thread>

Q_DECLARE_METATYPE(std::vector<int>)

namespace {

// A 16-bit wave whose left frame i holds i + 1 and right frame i holds
// -(i + 1), so every value played tells which frame it came from.
AudioWave numberedPortWave(int frames, int channels = 1)
{
    AudioWave w;
    w.bits = 16;
    w.channels = channels;
    w.left.allocate(frames * 2);
    if (channels == 2)
        w.right.allocate(frames * 2);
    for (int i = 0; i < frames; ++i) {
        w.setPoint(0, i, i + 1);
        if (channels == 2)
            w.setPoint(1, i, -(i + 1));
    }
    return w;
}

// The wave frame a played value came from; -1 for silence.
int frameOf(float value)
{
    return std::abs(qRound(value * 32768.0f)) - 1;
}

// The frames of channel ch in pumped output of channels channels.
std::vector<int> framesOf(const std::vector<float>& out, int channels, int ch = 0)
{
    std::vector<int> frames;
    for (size_t i = size_t(ch); i < out.size(); i += size_t(channels))
        frames.push_back(frameOf(out[i]));
    return frames;
}

std::vector<int> run(int from, int to) // [from, to)
{
    std::vector<int> v;
    for (int i = from; i < to; ++i)
        v.push_back(i);
    return v;
}

std::vector<int> operator+(std::vector<int> a, const std::vector<int>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

class TestAudioPort : public QObject
{
    Q_OBJECT

    FakeAudioBackend* m_fake = nullptr;

    // A port on "Speakers" playing wave.
    bool startPlaying(AudioOutPort& port, const AudioWave& wave, int start, int loop, int end)
    {
        port.setName(QStringLiteral("Speakers"));
        return port.play(wave, start, loop, end);
    }

private slots:
    void init()
    {
        m_fake = new FakeAudioBackend;
        m_fake->addDevice(QStringLiteral("Speakers"), 2, 0, {44100.0, 48000.0});
        m_fake->addDevice(QStringLiteral("Mono"), 1, 0);
        m_fake->addDevice(QStringLiteral("Surround"), 4, 2);
        m_fake->addDevice(QStringLiteral("Microphone"), 0, 1);
        setAudioBackend(m_fake);
        QVERIFY(InitAudioPorts());
    }

    void cleanup()
    {
        setAudioBackend(nullptr);
        delete m_fake;
        m_fake = nullptr;
    }

    void deviceLists()
    {
        const auto names = [](const Vector<PortInfo>& ports) {
            QStringList n;
            for (const PortInfo& p : ports)
                n << QStringLiteral("%1:%2").arg(p.id).arg(p.name);
            return n;
        };
        QCOMPARE(names(AudioOutPorts), QStringList({"1:Speakers", "2:Mono", "3:Surround"}));
        QCOMPARE(names(AudioInPorts), QStringList({"3:Surround", "4:Microphone"}));

        m_fake->clearDevices();
        m_fake->addDevice(QStringLiteral("Microphone"), 0, 1);
        QVERIFY(!InitAudioPorts());
        QVERIFY(AudioOutPorts.isEmpty());
        QCOMPARE(AudioInPorts.size(), 1);
    }

    void ports_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("hasName");
        QTest::addColumn<int>("outId");
        QTest::addColumn<int>("inId");
        QTest::newRow("empty") << QString() << false << -1 << -1;
        QTest::newRow("(none)") << QStringLiteral("(none)") << false << -1 << -1;
        QTest::newRow("output only") << QStringLiteral("Mono") << true << 2 << -1;
        QTest::newRow("both") << QStringLiteral("Surround") << true << 3 << 3;
        QTest::newRow("not listed") << QStringLiteral("Gone") << true << -1 << -1;
    }

    void ports()
    {
        QFETCH(QString, name);
        QFETCH(bool, hasName);
        QFETCH(int, outId);
        QFETCH(int, inId);
        AudioOutPort out;
        AudioInPort in;
        out.setName(name);
        in.setName(name);
        QCOMPARE(out.hasName(), hasName);
        QCOMPARE(out.id(), outId);
        QCOMPARE(in.id(), inId);
        QCOMPARE(out.open(AudioFormat()), outId != -1);
        QCOMPARE(out.isOpened(), outId != -1);
        QCOMPARE(in.open(), inId != -1);
        // The input port records nothing and counts as open without a device.
        QVERIFY(in.isOpened());
        QVERIFY(!in.equals(&in));
        QCOMPARE(out.close(), outId != -1);
        QVERIFY(!out.isOpened());
    }

    // What each block holds, as frame numbers of the wave (-1 is silence):
    // loops, the points, and devices that ask for other amounts than a block.
    void blocks_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("loop");
        QTest::addColumn<int>("end");
        QTest::addColumn<int>("blockFrames");
        QTest::addColumn<QList<int>>("pumps");
        QTest::addColumn<std::vector<int>>("played");

        QTest::newRow("whole wave, then silence")
            << 10 << 0 << -1 << -1 << 4 << QList<int>{4, 4, 4} << run(0, 10) + std::vector<int>{-1, -1};
        QTest::newRow("from a start") << 10 << 6 << -1 << -1 << 4 << QList<int>{4} << run(6, 10);
        QTest::newRow("loop wraps inside blocks")
            << 20 << 2 << 5 << 9 << 4 << QList<int>{4, 4, 4, 4}
            << run(2, 9) + run(5, 9) + run(5, 9) + std::vector<int>{5};
        QTest::newRow("start after the loop's end")
            << 20 << 12 << 5 << 9 << 4 << QList<int>{4, 4} << run(5, 9) + run(5, 9);
        QTest::newRow("end -1 is the last frame")
            << 6 << 0 << 2 << -1 << 4 << QList<int>{4, 4, 4} << run(0, 5) + run(2, 5) + run(2, 5) + run(2, 3);
        QTest::newRow("loop equal to end plays no loop")
            << 6 << 0 << 4 << 4 << 4 << QList<int>{4, 4} << run(0, 6) + std::vector<int>{-1, -1};
        QTest::newRow("loop after end plays no loop")
            << 6 << 0 << 5 << 3 << 4 << QList<int>{4, 4} << run(0, 6) + std::vector<int>{-1, -1};
        QTest::newRow("device asks less and more than a block")
            << 40 << 0 << -1 << -1 << 4 << QList<int>{3, 5, 1, 7, 9, 2} << run(0, 27);
        QTest::newRow("device asks odd amounts across a loop")
            << 40 << 0 << 3 << 8 << 4 << QList<int>{3, 6, 1, 5}
            << run(0, 8) + run(3, 8) + run(3, 5);
    }

    void blocks()
    {
        QFETCH(int, length);
        QFETCH(int, start);
        QFETCH(int, loop);
        QFETCH(int, end);
        QFETCH(int, blockFrames);
        QFETCH(QList<int>, pumps);
        QFETCH(std::vector<int>, played);

        m_fake->setAcceptedFrames(blockFrames);
        const AudioWave wave = numberedPortWave(length);
        AudioOutPort port;
        QVERIFY(startPlaying(port, wave, start, loop, end));
        std::vector<int> got;
        for (int frames : pumps) {
            const std::vector<float> out = m_fake->pump(frames);
            // Exactly the frames asked, every sample of them written (the
            // fake fills its buffer with -9 before the call).
            QCOMPARE(out.size(), size_t(frames) * 2);
            const std::vector<int> left = framesOf(out, 2);
            QCOMPARE(framesOf(out, 2, 1), left); // mono on both channels
            got.insert(got.end(), left.begin(), left.end());
        }
        QCOMPARE(got, played);
        port.stop();
    }

    // The points move during playback: the block prepared already plays as it
    // was, the next one takes them.
    void pointsMoveDuringPlayback()
    {
        m_fake->setAcceptedFrames(4);
        const AudioWave wave = numberedPortWave(30);
        AudioOutPort port;
        QVERIFY(startPlaying(port, wave, 0, -1, -1));
        QCOMPARE(port.end(), 29);
        m_fake->pump(4);
        port.setLoop(10);
        port.setEnd(14);
        QCOMPARE(framesOf(m_fake->pump(12), 2), run(4, 14) + run(10, 12));
        port.setLoop(-1);
        port.setEnd(29);
        QCOMPARE(framesOf(m_fake->pump(8), 2), std::vector<int>({12, 13, 10, 11, 12, 13, 14, 15}));
    }

    // The wave editor moves the points on the GUI thread while the audio
    // thread prepares blocks: every frame played stays inside what some
    // setting of the points allows.
    void pointsMoveFromAnotherThread()
    {
        m_fake->setAcceptedFrames(16);
        const AudioWave wave = numberedPortWave(4000);
        AudioOutPort port;
        QVERIFY(startPlaying(port, wave, 0, 100, 200));
        std::atomic<bool> done{false};
        std::vector<int> played;
        std::thread audio([&] {
            for (int i = 0; i < 3000; ++i) {
                const std::vector<int> f = framesOf(m_fake->pump(16), 2);
                played.insert(played.end(), f.begin(), f.end());
            }
            done = true;
        });
        // Every pair of points, old or new, makes a loop inside [100, 400).
        for (int i = 0; !done; ++i) {
            port.setLoop(i % 3 ? 100 : 150);
            port.setEnd(i % 2 ? 200 : 400);
        }
        audio.join();
        QCOMPARE(played.size(), size_t(3000 * 16));
        QVERIFY(!m_fake->drained());
        for (int f : played)
            QVERIFY2(f >= 0 && f < 400, qPrintable(QString::number(f)));
        port.stop();
    }

    void channels_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<int>("waveChannels");
        QTest::addColumn<int>("deviceChannels");
        QTest::addColumn<int>("askedFrames");
        QTest::addColumn<QList<int>>("sources"); // the wave channel each device channel plays
        QTest::newRow("mono on mono") << QStringLiteral("Mono") << 1 << 1 << 1024 << QList<int>{0};
        QTest::newRow("mono on stereo") << QStringLiteral("Speakers") << 1 << 2 << 512 << QList<int>{0, 0};
        QTest::newRow("mono on four") << QStringLiteral("Surround") << 1 << 4 << 256 << QList<int>{0, 0, 0, 0};
        QTest::newRow("stereo on mono") << QStringLiteral("Mono") << 2 << 1 << 1024 << QList<int>{0};
        QTest::newRow("stereo on stereo") << QStringLiteral("Speakers") << 2 << 2 << 512 << QList<int>{0, 1};
        QTest::newRow("stereo on four") << QStringLiteral("Surround") << 2 << 4 << 256 << QList<int>{0, 1, 1, 1};
    }

    void channels()
    {
        QFETCH(QString, device);
        QFETCH(int, waveChannels);
        QFETCH(int, deviceChannels);
        QFETCH(int, askedFrames);
        QFETCH(QList<int>, sources);

        const AudioWave wave = numberedPortWave(50, waveChannels);
        AudioOutPort port;
        port.setName(device);
        QVERIFY(port.play(wave, 0, -1, -1));
        // The device's own channels and rate, and a 4096-byte buffer.
        QCOMPARE(m_fake->lastOpen().channels, deviceChannels);
        QCOMPARE(m_fake->lastOpen().frames, askedFrames);
        QCOMPARE(m_fake->lastOpen().rate, 44100.0);
        const std::vector<float> out = m_fake->pump(8);
        for (int k = 0; k < deviceChannels; ++k) {
            for (int f = 0; f < 8; ++f) {
                const float expected = wave.getPointF(sources[k], f);
                QCOMPARE(out[size_t(f * deviceChannels + k)], expected);
            }
        }
        port.stop();
    }

    // Without a loop the port stops by itself after the block in which the
    // position passes the wave's end, and reports -1; the stop runs on the
    // port's thread, never inside the audio callback.
    void endOfWave()
    {
        m_fake->setAcceptedFrames(4);
        const AudioWave wave = numberedPortWave(10);
        AudioOutPort port;
        QSignalSpy positions(&port, &AudioOutPort::audioPosChanged);
        QVERIFY(startPlaying(port, wave, 0, -1, -1));
        QVERIFY(port.isPlaying(&wave));

        m_fake->pump(4);
        QTRY_COMPARE(positions.size(), 1);
        QCOMPARE(positions.last().at(0).toInt(), 4);
        m_fake->pump(4);
        QVERIFY(!m_fake->drained());
        m_fake->pump(4); // frames 8, 9 and two of silence: past the end
        QVERIFY(m_fake->drained());
        QCOMPARE(m_fake->stopsInsideRender(), 0);
        QVERIFY(m_fake->isOpen());
        QVERIFY(port.isOpened());
        // A drained stream plays silence until the port stops it.
        QCOMPARE(m_fake->pump(2), std::vector<float>(4, 0.0f));

        QTRY_VERIFY(!port.isOpened());
        QVERIFY(!m_fake->isOpen());
        QCOMPARE(m_fake->stopsInsideRender(), 0);
        QVERIFY(!port.isPlaying(&wave));
        QList<int> reported;
        for (const QList<QVariant>& s : positions)
            reported << s.at(0).toInt();
        QCOMPARE(reported.last(), -1);
        QVERIFY(reported.size() >= 2);
        QCOMPARE(reported.at(reported.size() - 2), 12);
        QVERIFY(std::is_sorted(reported.begin(), reported.end() - 1));
    }

    void loopPlaysUntilStopped()
    {
        m_fake->setAcceptedFrames(64);
        const AudioWave wave = numberedPortWave(300);
        AudioOutPort port;
        QSignalSpy positions(&port, &AudioOutPort::audioPosChanged);
        QVERIFY(startPlaying(port, wave, 0, 100, 200));
        for (int i = 0; i < 50; ++i)
            m_fake->pump(64);
        QVERIFY(!m_fake->drained());
        QTRY_VERIFY(!positions.isEmpty());
        const int last = positions.last().at(0).toInt();
        QVERIFY(last >= 100 && last < 200);
        port.stop();
        QCOMPARE(positions.last().at(0).toInt(), -1);
        QVERIFY(!m_fake->isOpen());
        QVERIFY(!port.isOpened());
    }

    void playFailures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("frames");
        QTest::addColumn<bool>("refuseOpen");
        QTest::addColumn<bool>("refuseStart");
        QTest::addColumn<int>("error");
        QTest::newRow("empty wave") << QStringLiteral("Speakers") << 0 << false << false << 0;
        QTest::newRow("no device") << QStringLiteral("(none)") << 10 << false << false << 0;
        QTest::newRow("device not listed") << QStringLiteral("Gone") << 10 << false << false << 0;
        QTest::newRow("input only") << QStringLiteral("Microphone") << 10 << false << false << 0;
        QTest::newRow("device refuses float frames")
            << QStringLiteral("Speakers") << 10 << true << false << int(AudioStatusOpenFailed);
        QTest::newRow("device does not start")
            << QStringLiteral("Speakers") << 10 << false << true << int(AudioStatusStartFailed);
    }

    // Every failure reports false and leaves the port closed, with no stream.
    void playFailures()
    {
        QFETCH(QString, name);
        QFETCH(int, frames);
        QFETCH(bool, refuseOpen);
        QFETCH(bool, refuseStart);
        QFETCH(int, error);
        m_fake->setRefuseOpen(refuseOpen);
        m_fake->setRefuseStart(refuseStart);
        const AudioWave wave = numberedPortWave(frames);
        AudioOutPort port;
        port.setName(name);
        QVERIFY(!port.play(wave, 0, -1, -1));
        QVERIFY(!port.isOpened());
        QVERIFY(!port.isPlaying(&wave));
        QVERIFY(!m_fake->isOpen());
        QCOMPARE(port.error(), error);
        QCOMPARE(port.checkError(), error != 0);
    }

    // Whatever closes a playing port ends its stream: renaming it, playing
    // another wave, destroying it.
    void closingEndsPlayback()
    {
        const AudioWave wave = numberedPortWave(100);
        const AudioWave other = numberedPortWave(50);
        {
            AudioOutPort port;
            QSignalSpy positions(&port, &AudioOutPort::audioPosChanged);
            QVERIFY(startPlaying(port, wave, 0, 10, 20));
            port.setName(QStringLiteral("Mono"));
            QVERIFY(!m_fake->isOpen());
            QVERIFY(!port.isOpened());
            QCOMPARE(positions.last().at(0).toInt(), -1);

            QVERIFY(port.play(wave, 0, 10, 20));
            QVERIFY(port.play(other, 0, -1, -1));
            QCOMPARE(positions.last().at(0).toInt(), -1);
            QVERIFY(port.isPlaying(&other));
            QVERIFY(!port.isPlaying(&wave));
            QCOMPARE(m_fake->lastOpen().name, QStringLiteral("Mono"));
            QCOMPARE(framesOf(m_fake->pump(3), 1), run(0, 3));
        }
        QVERIFY(!m_fake->isOpen());
    }

    // With a backend whose opening takes time (as the system's does), play
    // returns while the device is still opening, and the stream plays once
    // it is open; a device that fails then ends the playback with -1 and the
    // reason; a stop, or the port's end, while it opens closes what it opened.
    void opensOnAWorker()
    {
        m_fake->setSlowOpens(true);
        m_fake->setAcceptedFrames(4);
        const AudioWave wave = numberedPortWave(10);
        AudioOutPort port;
        QSignalSpy positions(&port, &AudioOutPort::audioPosChanged);
        m_fake->holdOpens(true);
        QVERIFY(startPlaying(port, wave, 2, -1, -1));
        QTRY_COMPARE(m_fake->heldOpens(), 1);
        QVERIFY(port.isOpened());
        QVERIFY(port.isStarting());
        QVERIFY(port.isPlaying(&wave));
        QVERIFY(!m_fake->isOpen());
        m_fake->holdOpens(false);
        QTRY_VERIFY(!port.isStarting());
        QVERIFY(m_fake->isRunning());
        QCOMPARE(framesOf(m_fake->pump(4), 2), run(2, 6));
        QTRY_VERIFY(!positions.isEmpty());
        QCOMPARE(positions.last().at(0).toInt(), 6);
        port.stop();
        QVERIFY(!m_fake->isOpen());

        m_fake->setRefuseStart(true);
        positions.clear();
        QVERIFY(startPlaying(port, wave, 0, -1, -1));
        QTRY_VERIFY(!port.isOpened());
        QCOMPARE(port.error(), int(AudioStatusStartFailed));
        QVERIFY(!port.isPlaying(&wave));
        QCOMPARE(positions.size(), 1);
        QCOMPARE(positions.last().at(0).toInt(), -1);
        QVERIFY(!m_fake->isOpen());

        // Playing again on hearing of the failure plays.
        bool again = true;
        connect(&port, &AudioOutPort::audioPosChanged, &port, [&](int position) {
            if (position == -1 && again) {
                again = false;
                m_fake->setRefuseStart(false);
                QVERIFY(startPlaying(port, wave, 0, -1, -1));
            }
        });
        QVERIFY(startPlaying(port, wave, 0, -1, -1));
        QTRY_VERIFY(m_fake->isRunning());
        QVERIFY(!again);
        port.stop();

        positions.clear();
        m_fake->holdOpens(true);
        QVERIFY(startPlaying(port, wave, 0, -1, -1));
        QTRY_COMPARE(m_fake->heldOpens(), 1);
        m_fake->holdOpens(false);
        port.stop();
        QVERIFY(!port.isOpened());
        QVERIFY(!port.isStarting());
        QVERIFY(!m_fake->isOpen());
        QCOMPARE(positions.size(), 1);
        QCOMPARE(positions.last().at(0).toInt(), -1);

        {
            AudioOutPort other;
            m_fake->holdOpens(true);
            QVERIFY(startPlaying(other, wave, 0, -1, -1));
            QTRY_COMPARE(m_fake->heldOpens(), 1);
            m_fake->holdOpens(false);
        }
        QVERIFY(!m_fake->isOpen());
    }

    // The port's own messages, as another thread posts them.
    void messages()
    {
        const AudioWave wave = numberedPortWave(100);
        AudioOutPort port;
        QSignalSpy positions(&port, &AudioOutPort::audioPosChanged);
        PostMessage(&port, AudioOutPort::MsgPosition, 5);
        QCoreApplication::sendPostedEvents(&port);
        QVERIFY(positions.isEmpty()); // closed: ignored

        QVERIFY(startPlaying(port, wave, 0, 10, 20));
        PostMessage(&port, AudioOutPort::MsgPosition, 77);
        PostMessage(&port, 99, 1);
        QCoreApplication::sendPostedEvents(&port);
        QCOMPARE(positions.size(), 1);
        QCOMPARE(positions.last().at(0).toInt(), 77);
        PostMessage(&port, AudioOutPort::MsgStop);
        QCoreApplication::sendPostedEvents(&port);
        QVERIFY(!port.isOpened());
        QVERIFY(!m_fake->isOpen());
        QCOMPARE(positions.last().at(0).toInt(), -1);
    }

    void ratePicker_data()
    {
        QTest::addColumn<QList<double>>("rates");
        QTest::addColumn<double>("wanted");
        QTest::addColumn<bool>("result");
        QTest::addColumn<double>("chosen");
        QTest::newRow("the next rate above") << QList<double>{44100, 48000} << 44100.0 << true << 48000.0;
        QTest::newRow("only the wanted rate") << QList<double>{44100} << 44100.0 << true << 44100.0;
        QTest::newRow("lowest above") << QList<double>{96000, 22050, 48000, 44100} << 47000.0 << true << 48000.0;
        QTest::newRow("none above: the highest")
            << QList<double>{22050, 44100, 96000} << 192000.0 << true << 96000.0;
        QTest::newRow("no rates") << QList<double>{} << 44100.0 << false << 0.0;
    }

    void ratePicker()
    {
        QFETCH(QList<double>, rates);
        QFETCH(double, wanted);
        QFETCH(bool, result);
        QFETCH(double, chosen);
        m_fake->clearDevices();
        m_fake->addDevice(QStringLiteral("Card"), 2, 2, rates);
        QCOMPARE(setBestSampleRateForDevice(1, true, false, wanted), result);
        QCOMPARE(m_fake->nominalRate(QStringLiteral("Card")), result ? chosen : (rates.isEmpty() ? 0.0 : rates.first()));
        QVERIFY(!setBestSampleRateForDevice(2, true, false, wanted)); // not listed
        if (!result)
            return;
        // The next playback runs at the chosen rate.
        InitAudioPorts();
        const AudioWave wave = numberedPortWave(10);
        AudioOutPort port;
        port.setName(QStringLiteral("Card"));
        QVERIFY(port.play(wave, 0, -1, -1));
        QCOMPARE(m_fake->lastOpen().rate, chosen);
        port.stop();
    }
};

ORVANE_TEST_GUILESS_MAIN(TestAudioPort)
#include "tst_audioport.moc"
