// The wave editor offscreen: geometry and zoom as tables, points, the column
// cache, mouse, wheel and keys, each command on a known wave against the
// wave's own operations, the two dialogs, the kept settings, the context menu
// and playing through the fake audio backend.
#include "AudioPort.h"
#include "FakeAudioBackend.h"
#include "Profile.h"
#include "Prompts.h"
#include "TestEnvironment.h"
#include "WaveDialogs.h"
#include "WaveEditor.h"

#include <QAction>
#include <QLabel>
#include <QSignalSpy>
#include <QSlider>

namespace {

// A 16-bit wave: a slow ramp on the left, its negative on the right.
AudioWave rampWave(int frames, int channels = 1)
{
    AudioWave w;
    w.bits = 16;
    w.channels = channels;
    w.rate = 44100;
    w.left.allocate(frames * 2);
    if (channels == 2)
        w.right.allocate(frames * 2);
    for (int i = 0; i < frames; ++i) {
        const int v = int((i * 7919LL) % 60000) - 30000;
        w.setPoint(0, i, v);
        if (channels == 2)
            w.setPoint(1, i, -v);
    }
    return w;
}

QImage shot(QWidget& w)
{
    QImage image(w.size(), QImage::Format_ARGB32);
    image.fill(Qt::black);
    w.render(&image);
    return image;
}

// The editor's protected slots, for the tests.
class Editor : public WaveEditor
{
public:
    using WaveEditor::WaveEditor;
    using WaveEditor::fit;
    using WaveEditor::pingpong;
    using WaveEditor::trim;
    using WaveEditor::zoomIn;
    using WaveEditor::zoomOut;
    bool supported = true;
    bool isFormatSupported(const AudioFormat&) override { return supported; }
};

} // namespace

class TestWaveEditor : public QObject
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
        for (const char* key : {"Intens", "Ratio"})
            Profile::writeProfileInt(QStringLiteral("XFade"), QLatin1String(key), key[0] == 'I' ? 120 : 50);
        Profile::writeProfileInt(QStringLiteral("Normalize"), QStringLiteral("Ratio"), 98);
    }

    void cleanup() { m_speakers.reset(); }

    void geometry()
    {
        AudioWave wave = rampWave(1000);
        Editor ed(nullptr, m_device, true);
        ed.setWave(&wave, 0, 0, -1);
        QCOMPARE(ed.viewStart(), 0);
        QCOMPARE(ed.viewEnd(), 999);
        ed.setWaveRect(QRect(QPoint(10, 26), QPoint(409, 125)));
        const QList<QPair<int, int>> packs{{0, 10}, {999, 408}, {1000, 409}};
        for (const auto& [s, x] : packs)
            QCOMPARE(ed.packX(s), x);
        const QList<QPair<int, int>> unpacks{{10, 0}, {209, 499}, {409, 1000}};
        for (const auto& [x, s] : unpacks)
            QCOMPARE(ed.unpackX(x), s);
        QCOMPARE(ed.packY(-32768, 26, 100), 125);
        QCOMPARE(ed.packY(32767, 26, 100), 26);
        QCOMPARE(ed.packY(0, 26, 100), 76);
        QCOMPARE(ed.calcPointHover(409), int(WaveEditor::PointEnd));
        QCOMPARE(ed.calcPointHover(11), int(WaveEditor::PointLoop));
        QCOMPARE(ed.calcPointHover(200), -1);
    }

    void zooming_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("direction");
        QTest::addColumn<int>("newFirst");
        QTest::addColumn<int>("newLast");
        QTest::newRow("in") << 0 << 799 << 1 << 50 << 749;
        QTest::newRow("out, past the wave") << 0 << 799 << -1 << -49 << 848;
        QTest::newRow("in on three samples") << 10 << 12 << 1 << 10 << 12;
        QTest::newRow("in on four samples") << 10 << 13 << 1 << 11 << 12;
    }

    void zooming()
    {
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(int, direction);
        QFETCH(int, newFirst);
        QFETCH(int, newLast);
        AudioWave wave = rampWave(1000);
        Editor ed(nullptr, m_device, true);
        ed.setWave(&wave, 0, 0, -1);
        ed.display(first, last - first + 1);
        direction > 0 ? ed.zoomIn() : ed.zoomOut();
        QCOMPARE(ed.viewStart(), newFirst);
        QCOMPARE(ed.viewEnd(), newLast);
    }

    // Points keep start <= loop <= end, follow into the port and bring
    // themselves into view; the view stays inside the wave when it moves.
    void points()
    {
        AudioWave wave = rampWave(1000);
        Editor ed(nullptr, m_device, true);
        QSignalSpy changed(&ed, &WaveEditor::pointsChanged);
        ed.setWave(&wave, 100, 200, 300);
        QCOMPARE(changed.size(), 3);
        ed.setStartPoint(250);
        QCOMPARE(QList<int>({ed.startPoint(), ed.loopPoint(), ed.endPoint()}), QList<int>({250, 250, 300}));
        ed.setStartPoint(400);
        QCOMPARE(QList<int>({ed.startPoint(), ed.loopPoint(), ed.endPoint()}), QList<int>({400, 400, 400}));
        ed.setEndPoint(-1);
        QCOMPARE(ed.endPoint(), 1000);
        ed.setLoopPoint(5000);
        QCOMPARE(QList<int>({ed.startPoint(), ed.loopPoint(), ed.endPoint()}), QList<int>({400, 1000, 1000}));
        ed.setEndPoint(10);
        QCOMPARE(QList<int>({ed.startPoint(), ed.loopPoint(), ed.endPoint()}), QList<int>({10, 10, 10}));
        QCOMPARE(changed.last(), QVariantList({10, 10, 10}));
        // The port gets all three, so it never holds a loop past its end.
        QCOMPARE(m_device->out()->start(), 10);
        QCOMPARE(m_device->out()->loop(), 10);
        QCOMPARE(m_device->out()->end(), 10);

        // A point out of view brings the view to it, a whole width at a time.
        ed.display(0, 100);
        ed.setLoopPoint(550);
        QCOMPARE(ed.viewStart(), 500);
        ed.setStartPoint(0);
        QCOMPARE(ed.viewStart(), 0);
        // A view wider than the wave always starts at 0.
        ed.display(300, 5000);
        ed.moveTo(200);
        QCOMPARE(ed.viewStart(), 0);
        ed.display(0, 100);
        ed.moveTo(950);
        QCOMPARE(ed.viewStart(), 900);
    }

    // A second paint with the same view and size draws the kept columns: it
    // reads no samples, so samples changed behind its back do not show; a new
    // width reads them again.
    void columnCache()
    {
        AudioWave wave = rampWave(20000, 2);
        Editor ed(nullptr, m_device, true);
        ed.resize(420, 160);
        ed.setWave(&wave, 0, 0, -1);
        const QImage first = shot(ed);
        for (int i = 0; i < wave.sampleLength(); ++i) {
            wave.setPoint(0, i, 0);
            wave.setPoint(1, i, 0);
        }
        QCOMPARE(shot(ed), first);
        ed.resize(421, 160);
        shot(ed);
        ed.resize(420, 160);
        const QImage rescanned = shot(ed);
        QVERIFY(rescanned != first);
        // setWave drops the columns of the old wave.
        AudioWave other = rampWave(20000, 2);
        ed.setWave(&other, 0, 0, -1);
        QCOMPARE(shot(ed), first);
    }

    // Long waves, a one-pixel wave area, views zoomed far out and no wave at
    // all are drawn and handled without overflow or division by zero.
    void extremes()
    {
        // 4 million samples: w x first passes the int range past about
        // 2.1 million (48 s at 44.1 kHz) with a 1000-pixel slider.
        AudioWave longWave = rampWave(4000000);
        Editor ed(nullptr, m_device, true);
        ed.resize(1020, 120);
        ed.setWave(&longWave, 0, 0, -1);
        ed.display(3000000, 1000000);
        shot(ed);
        const QRect thumb = ed.slider().thumb;
        const QRect frame = ed.slider().frame;
        const int w = frame.width() - 2;
        QCOMPARE(thumb.left() - (frame.left() + 1), qRound(w * 0.75));
        QCOMPARE(thumb.right(), frame.right() - 1);

        for (int i = 0; i < 200; ++i)
            ed.zoomOut();
        QVERIFY(ed.viewStart() < 0 && ed.viewEnd() > 4000000);
        shot(ed);

        // A passive editor one pixel wide and one high: the wave area is a
        // single pixel.
        AudioWave wave = rampWave(100);
        Editor tiny(nullptr, m_device, false);
        tiny.setMinimumSize(0, 0);
        tiny.resize(5, 5); // a box frame takes two pixels on each side
        tiny.setWave(&wave, 0, 0, -1);
        shot(tiny);
        QCOMPARE(tiny.waveRect().width(), 1);
        QCOMPARE(tiny.unpackX(tiny.waveRect().left()), 0);
        QTest::keyClick(&tiny, Qt::Key_Right);

        Editor empty(nullptr, m_device, true);
        empty.resize(200, 100);
        shot(empty);
        QCOMPARE(empty.ridevSamples(), 0);
        empty.setEndPoint(50);
        QCOMPARE(empty.endPoint(), 0);
    }

    // Mouse, wheel and keys on a 1000-sample wave over 400 pixels.
    void input()
    {
        AudioWave wave = rampWave(1000);
        Editor ed(nullptr, m_device, true);
        ed.resize(422, 160); // wave area 10 .. 411: 401 pixels
        ed.setWave(&wave, 100, 500, 900);
        shot(ed);
        const int y = ed.waveRect().center().y();
        QSignalSpy dragged(&ed, &WaveEditor::userPointDrag);

        // Dragging the start point.
        QTest::mousePress(&ed, Qt::LeftButton, {}, QPoint(ed.packX(100), y));
        QTest::mouseMove(&ed, QPoint(ed.packX(300), y));
        QTest::mouseRelease(&ed, Qt::LeftButton, {}, QPoint(ed.packX(300), y));
        // A pixel holds about 2.5 samples.
        QVERIFY(std::abs(ed.startPoint() - 300) <= 2);
        QCOMPARE(dragged.size(), 1);

        // Control and drag: the loop point at the press, the end follows.
        QTest::mousePress(&ed, Qt::LeftButton, Qt::ControlModifier, QPoint(ed.packX(400), y));
        QVERIFY(std::abs(ed.loopPoint() - 400) <= 2);
        QTest::mouseMove(&ed, QPoint(ed.packX(600), y));
        QTest::mouseRelease(&ed, Qt::LeftButton, {}, QPoint(ed.packX(600), y));
        QVERIFY(std::abs(ed.endPoint() - 600) <= 2);

        // Dragging the view: the grabbed sample stays under the mouse.
        ed.display(200, 400);
        shot(ed);
        const int grabbed = ed.unpackX(200);
        QTest::mousePress(&ed, Qt::LeftButton, {}, QPoint(200, y));
        QTest::mouseMove(&ed, QPoint(100, y));
        QTest::mouseRelease(&ed, Qt::LeftButton, {}, QPoint(100, y));
        QVERIFY(std::abs(ed.unpackX(100) - grabbed) <= 1);
        QCOMPARE(dragged.size(), 2);

        // Wheel: a notch scrolls an eighth of the view; with Control a turn
        // of less than a notch zooms out.
        ed.display(200, 400);
        auto wheel = [&](int delta, Qt::KeyboardModifiers mods) {
            QWheelEvent e(QPointF(200, y), ed.mapToGlobal(QPointF(200, y)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, mods, Qt::NoScrollPhase, false);
            QApplication::sendEvent(&ed, &e);
        };
        wheel(120, {});
        QCOMPARE(ed.viewStart(), 250);
        wheel(-240, {});
        QCOMPARE(ed.viewStart(), 150);
        const int before = ed.viewSamples();
        wheel(60, Qt::ControlModifier);
        QVERIFY(ed.viewSamples() > before);
        wheel(120, Qt::ControlModifier);
        wheel(120, Qt::ControlModifier);
        QVERIFY(ed.viewSamples() < before);

        // Keys move by whole samples per pixel; less than one per pixel does
        // not move.
        ed.display(100, 800);
        QTest::keyClick(&ed, Qt::Key_Right);
        QCOMPARE(ed.viewStart(), 102);
        ed.display(100, 200);
        QTest::keyClick(&ed, Qt::Key_Left);
        QCOMPARE(ed.viewStart(), 100);

        // Double click fits; on the slider left of the thumb, a page left.
        ed.display(400, 200);
        shot(ed);
        QTest::mouseClick(&ed, Qt::LeftButton, {}, QPoint(ed.slider().thumb.left() - 5, ed.slider().frame.center().y()));
        QCOMPARE(ed.viewStart(), 200);
        QTest::mouseDClick(&ed, Qt::LeftButton, {}, QPoint(200, y));
        QCOMPARE(ed.viewStart(), 0);
        QCOMPARE(ed.viewEnd(), 999);
    }

    void passiveMode()
    {
        Profile::writeProfileInt(QStringLiteral("XFade"), QStringLiteral("Ratio"), 29);
        {
            Editor ed(nullptr, m_device, false);
            QCOMPARE(ed.xfadeRatio(), 0.5);
            QSignalSpy clicks(&ed, &WaveEditor::onDoubleClick);
            QSignalSpy menus(&ed, &WaveEditor::onContextMenu);
            ed.resize(200, 80);
            shot(ed);
            QTest::mouseDClick(&ed, Qt::LeftButton, {}, QPoint(100, 40));
            QCOMPARE(clicks.size(), 1);
            QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(100, 40), ed.mapToGlobal(QPoint(100, 40)));
            QApplication::sendEvent(&ed, &e);
            QCOMPARE(menus.size(), 1);
        }
        QCOMPARE(Profile::readProfileInt(QStringLiteral("XFade"), QStringLiteral("Ratio")), 29);
    }

    // Stored percentages come back as they were: 29 reads as 0.29 and is
    // written as 29 again (cut toward zero it would fall to 28 each run).
    void settings()
    {
        Profile::writeProfileInt(QStringLiteral("XFade"), QStringLiteral("Ratio"), 29);
        Profile::writeProfileInt(QStringLiteral("XFade"), QStringLiteral("Intens"), 157);
        {
            Editor ed(nullptr, m_device, true);
            QCOMPARE(ed.xfadeRatio(), 0.29);
            QCOMPARE(ed.xfadeHardness(), 1.57);
            QCOMPARE(ed.normalizeRatio(), 0.98);
        }
        QCOMPARE(Profile::readProfileInt(QStringLiteral("XFade"), QStringLiteral("Ratio")), 29);
        QCOMPARE(Profile::readProfileInt(QStringLiteral("XFade"), QStringLiteral("Intens")), 157);
        QCOMPARE(Profile::readProfileInt(QStringLiteral("Normalize"), QStringLiteral("Ratio")), 98);
    }

    void dialogs()
    {
        double hardness = 1.5, ratio = 0.29;
        {
            CrossfadeDlg dlg(hardness, ratio);
            QCOMPARE(dlg.windowTitle(), QStringLiteral("Loop Crossfade"));
            QCOMPARE(dlg.ratioSlider()->value(), 29);
            QCOMPARE(dlg.form()->rowLabel(dlg.ratioSlider())->text(), QStringLiteral("Starting Point: 29%"));
            QCOMPARE(dlg.form()->rowLabel(dlg.hardnessSlider())->text(), QStringLiteral("Curve Hardness: 150%"));
            QCOMPARE(dlg.hardnessSlider()->minimum(), 100);
            QCOMPARE(dlg.hardnessSlider()->maximum(), 300);
            dlg.ratioSlider()->setValue(57);
            QCOMPARE(dlg.ratioSlider()->value(), 57);
            emit dlg.defaultLink()->linkActivated(QStringLiteral("default"));
            QCOMPARE(dlg.hardnessSlider()->value(), 120);
            QCOMPARE(dlg.ratioSlider()->value(), 50);
            QVERIFY(!dlg.isHidden() || !dlg.result());
            dlg.reject();
        }
        QCOMPARE(hardness, 1.5);
        QCOMPARE(ratio, 0.29);
        {
            CrossfadeDlg dlg(hardness, ratio);
            dlg.ratioSlider()->setValue(20);
            dlg.accept();
        }
        QCOMPARE(ratio, 0.2);
        QCOMPARE(hardness, 1.5);

        double amount = 0.5;
        NormalizeDlg dlg(amount);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Normalize"));
        QCOMPARE(dlg.form()->rowLabel(dlg.ratioSlider())->text(), QStringLiteral("Normalize Amount: 50%"));
        emit dlg.defaultLink()->linkActivated(QStringLiteral("default"));
        QCOMPARE(dlg.ratioSlider()->value(), 98);
        QCOMPARE(amount, 0.5);
        dlg.accept();
        QCOMPARE(amount, 0.98);
    }

    // Each command on a known wave, against the wave's own operation on a
    // copy, sample by sample.
    void commands()
    {
        // The user sets the crossfade's starting point to 20% and the
        // normalize amount to 50% before the scripted answer.
        ScriptedPrompts prompts;
        prompts.onDialog([](QDialog* dialog) {
            if (auto* xfade = qobject_cast<CrossfadeDlg*>(dialog))
                xfade->ratioSlider()->setValue(20);
            if (auto* normalize = qobject_cast<NormalizeDlg*>(dialog))
                normalize->ratioSlider()->setValue(50);
        });
        // Trim keeps [start, end) and fits.
        {
            AudioWave wave = rampWave(2000, 2);
            const AudioWave before = wave;
            Editor ed(nullptr, m_device, true);
            QSignalSpy changed(&ed, &WaveEditor::waveChanged);
            ed.setWave(&wave, 100, 300, 1100);
            ed.trim();
            QCOMPARE(wave.sampleLength(), 1000);
            QCOMPARE(QList<int>({ed.startPoint(), ed.loopPoint(), ed.endPoint()}), QList<int>({0, 200, 1000}));
            QCOMPARE(ed.viewStart(), 0);
            QCOMPARE(ed.viewEnd(), 999);
            QCOMPARE(wave.left, before.copy(0, 100, 1100));
            QCOMPARE(wave.right, before.copy(1, 100, 1100));
            QCOMPARE(changed.size(), 1);
        }
        // Alternating loop: [loop, end) again, mirrored, after the end.
        {
            AudioWave wave = rampWave(30);
            AudioWave expected = wave;
            expected.pingpong(0, 10, 20);
            Editor ed(nullptr, m_device, true);
            ed.setWave(&wave, 0, 10, 20);
            ed.pingpong();
            QCOMPARE(wave.sampleLength(), 40);
            QCOMPARE(ed.endPoint(), 30);
            QCOMPARE(wave.left, expected.left);
        }
        // Crossfade: the starting-point setting hands on one minus itself;
        // an end at the wave's very end writes nothing past it.
        {
            AudioWave wave = rampWave(5000, 2);
            AudioWave expected = wave;
            expected.crossfade(1.2, 0.8, 0, 1000, 5000);
            expected.crossfade(1.2, 0.8, 1, 1000, 5000);
            Editor ed(nullptr, m_device, true);
            ed.setWave(&wave, 0, 1000, -1);
            prompts.script(ScriptedPrompts::Kind::Dialog, int(QDialog::Accepted));
            ed.crossfade();
            QCOMPARE(prompts.last(ScriptedPrompts::Kind::Dialog).text, QStringLiteral("CrossfadeDlg"));
            QCOMPARE(ed.xfadeRatio(), 0.2);
            QCOMPARE(wave.left, expected.left);
            QCOMPARE(wave.right, expected.right);
        }
        // Normalize through its dialog; cancelled, nothing changes.
        {
            AudioWave wave = rampWave(3000, 2);
            for (int i = 0; i < 3000; ++i)
                wave.setPoint(0, i, wave.getPoint(0, i) / 4);
            AudioWave expected = wave;
            expected.normalize(0, 0.5);
            expected.normalize(1, 0.5);
            Editor ed(nullptr, m_device, true);
            ed.setWave(&wave, 0, 0, -1);
            const AudioWave untouched = wave;
            const double ratio = ed.normalizeRatio();
            prompts.script(ScriptedPrompts::Kind::Dialog, int(QDialog::Rejected));
            ed.normalize();
            QCOMPARE(prompts.last(ScriptedPrompts::Kind::Dialog).text, QStringLiteral("NormalizeDlg"));
            QCOMPARE(wave.left, untouched.left);
            QCOMPARE(ed.normalizeRatio(), ratio);
            prompts.script(ScriptedPrompts::Kind::Dialog, int(QDialog::Accepted));
            ed.normalize();
            QCOMPARE(ed.normalizeRatio(), 0.5);
            QCOMPARE(wave.left, expected.left);
            QCOMPARE(wave.right, expected.right);
        }
        // Without a wave nothing happens (normalize shows no dialog).
        Editor none(nullptr, m_device, true);
        QSignalSpy changed(&none, &WaveEditor::waveChanged);
        none.trim();
        none.normalize();
        none.pingpong();
        none.crossfade(1.2, 0.5);
        QCOMPARE(changed.size(), 0);
        QCOMPARE(prompts.count(ScriptedPrompts::Kind::Dialog), 3);
    }

    void unsupportedFormat()
    {
        ScriptedPrompts prompts;
        AudioWave first = rampWave(100);
        AudioWave second = rampWave(200);
        Editor ed(nullptr, m_device, true);
        ed.setWave(&first, 0, 0, -1);
        ed.supported = false;
        ed.setWave(&second, 0, 0, -1);
        QCOMPARE(prompts.count(ScriptedPrompts::Kind::Error), 1);
        QCOMPARE(prompts.last(ScriptedPrompts::Kind::Error).text,
                 QStringLiteral("Unsupported format\n\n") + second.toString());
        QCOMPARE(ed.wave(), &first);
    }

    // The menu: point entries only over the wave, short texts on the
    // editor's commands, which keep their own texts.
    void contextMenu()
    {
        ScriptedPrompts prompts;
        AudioWave wave = rampWave(1000);
        Editor ed(nullptr, m_device, true);
        ed.resize(422, 160);
        ed.setWave(&wave, 0, 0, -1);
        shot(ed);
        prompts.script(ScriptedPrompts::Kind::Popup, QStringLiteral("Set Loop Point Here"));
        QContextMenuEvent over(QContextMenuEvent::Mouse, QPoint(ed.packX(250), ed.waveRect().center().y()), ed.mapToGlobal(QPoint(ed.packX(250), ed.waveRect().center().y())));
        QApplication::sendEvent(&ed, &over);
        QCOMPARE(prompts.last(ScriptedPrompts::Kind::Popup).items,
                 QStringList({"Set Start Point Here", "Set Loop Point Here", "Set End Point Here", "", "Zoom In",
                              "Zoom Out", "Fit", "", "Normalize...", "Crossfade...", "Alternating Loop", "Trim"}));
        QVERIFY(std::abs(ed.loopPoint() - 250) <= 2);

        prompts.script(ScriptedPrompts::Kind::Popup, QStringLiteral("Zoom In"));
        QContextMenuEvent outside(QContextMenuEvent::Mouse, QPoint(5, 5), ed.mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(&ed, &outside);
        QCOMPARE(prompts.last(ScriptedPrompts::Kind::Popup).items.first(), QStringLiteral("Zoom In"));
        QCOMPARE(ed.viewStart(), 62);
        QCOMPARE(ed.zoomInAction()->text(), QStringLiteral("Zoom In (Ctrl+Wheel Up)"));
        QCOMPARE(ed.normalizeAction()->text(), QStringLiteral("Normalize (N)"));
    }

    // Playing through the port; position reports move the cursor.
    void playing()
    {
        AudioWave wave = rampWave(44100);
        Editor ed(nullptr, m_device, true);
        ed.setWave(&wave, 1000, 2000, 3000);
        QVERIFY(ed.togglePlay());
        QVERIFY(m_device->out()->isPlaying(&wave));
        m_fake->pump(512);
        QTRY_VERIFY(ed.playPos() > 0 || ed.playPos() == 0);
        QVERIFY(!ed.togglePlay());
        QVERIFY(!m_device->out()->isOpened());
        // Edits that change samples stop playback first.
        QVERIFY(ed.togglePlay());
        ed.crossfade(1.2, 0.5);
        QVERIFY(!m_device->out()->isOpened());
    }
};

ORVANE_TEST_MAIN(TestWaveEditor)
#include "tst_waveeditor.moc"
