// The part rows of the performance, master and mix editors and the mix
// window against the simulated instrument: plug-in part rows captioned by
// their boards (and never opening the part menu), the master's zones
// following "Enable Zones", the mix window's current part and Ctrl+C, the
// modified mark, the solo and mute reset, and the voice copier, whose
// performance is put back on the instrument when the voice request fails.
#include "EditorKinds.h"
#include "EventMessage.h"
#include "MidiCheckBox.h"
#include "MidiEdit.h"
#include "MidiPatchEdit.h"
#include "ProgressWindows.h"
#include "Prompts.h"
#include "Waiting.h"
#include "VoiceCopierInfo.h"

#include <QContextMenuEvent>
#include <QDialog>

using Kind = ScriptedPrompts::Kind;

namespace {

// The mix window with a mix file open, as the mix document sets it.
class MixWithFile : public VeskMix
{
public:
    using VeskMix::VeskMix;
    void setPath(const QString& path) { filePath = path; }
};

} // namespace

class TestEditorParts : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;
    std::unique_ptr<EditorRig> rig;
    std::unique_ptr<ScriptedPrompts> prompts;

    Sim::BusSimulator& sim() { return *rig->sim; }

    template <class Window>
    std::unique_ptr<Probe<Window>> connected(const QString& editor)
    {
        Wire::answerFor(sim(), editor);
        auto window = rig->build<Window>();
        if (!Wire::showConnected(*window))
            return nullptr;
        Wire::take(*bus, sim());
        return window;
    }

    void activate(MidiEditorWindow& window, Panel* row, bool on)
    {
        window.onMessage(AbstractPanel::PanelSelectedMessage, PointerToVar(static_cast<AbstractPanel*>(row)),
                         on);
    }

private slots:
    void initTestCase()
    {
        bus = testBus();
        QVERIFY2(bus, "the tests run on the virtual MIDI bus (ORVANE_MIDI_BACKEND=virtual)");
    }

    void init()
    {
        prompts = std::make_unique<ScriptedPrompts>();
        rig = std::make_unique<EditorRig>(*bus);
        QVERIFY2(rig->sim->isLoaded(), qPrintable(rig->sim->error()));
    }

    void cleanup()
    {
        rig.reset();
        prompts.reset();
    }

    // A board in slot 2 only: rows "--", "AN", "--", each selector on its
    // slot's banks; a board row captioned with digits opens no part menu.
    void boardRows()
    {
        auto window = rig->build<VeskMix>();
        Vesk& device = *rig->device;
        QString why;
        QVERIFY2(device.createPLGFile(1, QStringLiteral(":/vesk/data/VER150-AN.ini"), &why), qPrintable(why));
        window->updatePLGPanels();
        TabPanel& tab = window->parts();
        QCOMPARE(tab.panel(16)->title(), QStringLiteral("--"));
        QCOMPARE(tab.panel(17)->title(), QStringLiteral("AN"));
        QCOMPARE(tab.panel(18)->title(), QStringLiteral("--"));
        QVERIFY(tab.panel(17)->enabled());
        QVERIFY(tab.panel(17)->getPatchEdit(QStringLiteral("Voice"), 0)->bankSet().size() > 0);

        QVERIFY(Wire::showConnected(*window));
        tab.panel(16)->setTitle(QStringLiteral("12"));
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), QPoint(2, 2));
        QApplication::sendEvent(tab.panel(16)->caption(), &event);
        // Waits for the caption's posted message to have been handled.
        QVERIFY(Waiting::drainPosted());
        QCOMPARE(prompts->count(Kind::Popup), 0);
    }

    // "Enable Zones" 0 disables the zone tab, 1 enables it; a message that
    // does not carry it changes nothing.
    void zones()
    {
        auto window = connected<VeskMaster>(QStringLiteral("master"));
        QVERIFY(window);
        TabPanel& tab = window->parts();
        const auto zonesOn = [&tab] {
            bool all = true;
            for (int i = 0; i < tab.panelCount(); ++i)
                all = all && tab.panel(i)->enabled();
            return all;
        };
        QCOMPARE(tab.panelCount(), 4);
        sim()->editParameter(0x330011, QByteArray(1, 0));
        QTRY_VERIFY(!tab.panel(0)->enabled());
        QVERIFY(!tab.panel(3)->enabled());
        sim()->editParameter(0x330010, QByteArray(1, 1));
        // Waits for the change to reach the window.
        QVERIFY(Waiting::deliverAll(*bus));
        QVERIFY(!tab.panel(0)->enabled());
        sim()->editParameter(0x330011, QByteArray(1, 1));
        QTRY_VERIFY(zonesOn());
    }

    // Part 5 activated is the current part: Ctrl+C copies it (one request);
    // deactivating it, or activating a board row, keeps it.
    void currentPart()
    {
        auto window = connected<VeskMix>(QStringLiteral("mix"));
        QVERIFY(window);
        TabPanel& tab = window->parts();
        activate(*window, tab.panel(4), true);
        QCOMPARE(window->selectedPart(), 4);
        activate(*window, tab.panel(4), false);
        activate(*window, tab.panel(16), true);
        QCOMPARE(window->selectedPart(), 4);
        // Nothing copied yet: the keys' paste and swap send nothing.
        QTest::keyClick(window.get(), Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(window.get(), Qt::Key_B, Qt::ControlModifier);
        QCOMPARE(Wire::take(*bus, sim()), QStringList());
        QTest::keyClick(window.get(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(Wire::withoutAsks(Wire::take(*bus, sim())), QStringList{"request 0E5F00"});
    }

    // The user's own edit of a mix block marks an open file modified; with
    // no file, or a system parameter, it does not.
    void modifiedMark()
    {
        Wire::answerFor(sim(), QStringLiteral("mix"));
        auto window = rig->build<MixWithFile>();
        QVERIFY(Wire::showConnected(*window));
        MidiEdit* volume = window->parts().panel(0)->getEdit(QStringLiteral("Volume"), 0);
        QVERIFY(volume);
        volume->changeValue(volume->value() == 50 ? 51 : 50);
        QVERIFY(!window->isWindowModified());
        window->setPath(QStringLiteral("/tmp/song.mix"));
        MidiEdit* system = nullptr;
        for (int i = 0; !system && i < 40; ++i) {
            if (auto* edit = qobject_cast<MidiEdit*>(window->system().widgetAt(i)))
                system = edit;
        }
        QVERIFY(system);
        system->changeValue(system->value() == 1 ? 2 : 1);
        QVERIFY(!window->isWindowModified());
        volume->changeValue(volume->value() == 60 ? 61 : 60);
        QVERIFY(window->isWindowModified());
    }

    // Solo and mute are cleared in the records, on the instrument (volume
    // changes 37pp0D) and on screen.
    void soloMuteReset()
    {
        auto window = connected<VeskMix>(QStringLiteral("mix"));
        QVERIFY(window);
        TabPanel& tab = window->parts();
        tab.panel(1)->getCheckBox(QStringLiteral("S"), 0)->click();
        tab.panel(3)->getCheckBox(QStringLiteral("M"), 0)->click();
        QVERIFY(rig->device->mixPart(1)->solo && rig->device->mixPart(3)->mute);
        Wire::take(*bus, sim());
        window->cancelSoloMute();
        const QStringList sent = Wire::take(*bus, sim());
        QVERIFY(!sent.isEmpty());
        for (const QString& text : sent)
            QVERIFY2(text.startsWith(QLatin1String("set 37")) && text.mid(8, 2) == QLatin1String("0D"),
                     qPrintable(text));
        for (int i = 0; i < 19; ++i)
            QVERIFY(!rig->device->mixPart(i)->solo && !rig->device->mixPart(i)->mute);
        for (int i = 0; i < tab.panelCount(); ++i) {
            QCOMPARE(tab.panel(i)->getCheckBox(QStringLiteral("S"), 0)->value(), 0);
            QCOMPARE(tab.panel(i)->getCheckBox(QStringLiteral("M"), 0)->value(), 0);
        }
    }

    // USER1:005 into part 2: the performance is read, the voice fetched in
    // Voice mode, the performance sent back, the copy written into part 2,
    // and the edit buffer read again.
    void voiceCopierPerformance()
    {
        auto window = connected<VeskPerf>(QStringLiteral("perf"));
        QVERIFY(window);
        VoiceCopierInfo info;
        info.voice = Patch(0x3F08, 4);
        info.part = 1;
        QVERIFY(info.toRegistry());
        prompts->script(Kind::Dialog, int(QDialog::Accepted));
        window->onCommand(VeskPerf::VoiceCopierCommand);
        const QStringList sent = Wire::take(*bus, sim());
        QVERIFY(sent.size() > 8);
        QCOMPARE(sent.first(), QStringLiteral("request 0E4F00"));
        QCOMPARE(sent.at(1), Wire::setMode(0));
        const qsizetype voice = sent.indexOf(QStringLiteral("request 0E0804"));
        QVERIFY(voice > 1);
        QCOMPARE(sent.at(voice + 1), Wire::setMode(1));
        QCOMPARE(sent.at(voice + 2), QStringLiteral("dump 0E4F00"));
        QVERIFY(
            std::any_of(sent.begin(), sent.end(), [](const QString& t) { return t.startsWith("set 3101"); }));
        QCOMPARE(sent.last(), QStringLiteral("request 0E4F00"));
        QCOMPARE(sim()->mode(), int(Sim::PerformanceMode));
        QVERIFY(prompts->count(Kind::Error) == 0);
    }

    // Cancel pressed while the copier waited for the performance: nothing
    // more is asked or sent, and nothing is reported.
    void voiceCopierCancelled()
    {
        auto window = connected<VeskPerf>(QStringLiteral("perf"));
        QVERIFY(window);
        VoiceCopierInfo info;
        info.voice = Patch(0x3F08, 4);
        info.part = 1;
        QVERIFY(info.toRegistry());
        prompts->script(Kind::Dialog, int(QDialog::Accepted));
        auto seen = cancelWhenShown();
        window->onCommand(VeskPerf::VoiceCopierCommand);
        QVERIFY(seen->found && seen->canceled);
        QCOMPARE(seen->title, QStringLiteral("Voice Copier"));
        QCOMPARE(seen->text, QStringLiteral("Saving performance..."));
        QVERIFY(!shownProgress());
        QVERIFY(bus->waitIdle());
        QCOMPARE(Wire::take(*bus, sim()), QStringList{"request 0E4F00"});
        QCOMPARE(sim()->mode(), int(Sim::PerformanceMode));
        QCOMPARE(prompts->count(Kind::Error), 0);
    }

    // A voice with no block: "Time out!", and the instrument is back in
    // Performance mode with its performance sent back, then read again.
    void voiceCopierFailureRestores()
    {
        auto window = connected<VeskPerf>(QStringLiteral("perf"));
        QVERIFY(window);
        const QByteArray before = sim()->image(0x4F00);
        VoiceCopierInfo info;
        info.voice = Patch(Vesk::MixVoiceBank, 0);
        QVERIFY(info.toRegistry());
        prompts->script(Kind::Dialog, int(QDialog::Accepted));
        window->onCommand(VeskPerf::VoiceCopierCommand);
        QCOMPARE(prompts->last(Kind::Error).text, QStringLiteral("Time out!"));
        const QStringList sent = Wire::take(*bus, sim());
        QCOMPARE(sent.first(), QStringLiteral("request 0E4F00"));
        QCOMPARE(sent.at(1), Wire::setMode(0));
        const qsizetype back = sent.indexOf(Wire::setMode(1));
        QVERIFY(back > 1);
        QCOMPARE(sent.mid(back + 1, 1), QStringList{"dump 0E4F00"});
        QVERIFY(
            !std::any_of(sent.begin(), sent.end(), [](const QString& t) { return t.startsWith("set 31"); }));
        QCOMPARE(sent.last(), QStringLiteral("request 0E4F00"));
        QCOMPARE(sim()->mode(), int(Sim::PerformanceMode));
        QCOMPARE(sim()->image(0x4F00), before);

        // Cancel: nothing is sent.
        window->onCommand(VeskPerf::VoiceCopierCommand);
        QCOMPARE(Wire::take(*bus, sim()), QStringList());
    }

    void voiceCopierTakesWholeAnswersOnly_data()
    {
        QTest::addColumn<int>("fault"); // in Wire::answerFaults()
        QTest::addColumn<bool>("voice"); // the answer hit: the performance's, or the voice's
        const QList<Wire::AnswerFault> faults = Wire::answerFaults();
        for (int i = 0; i < faults.size(); ++i) {
            QTest::addRow("performance: %s", faults[i].name) << i << false;
            QTest::addRow("voice: %s", faults[i].name) << i << true;
        }
    }

    // The performance kept over the copy, and the voice copied, are taken
    // only whole: a performance that came in part is not the one to put
    // back, so nothing is done at all; a voice that came in part is not
    // copied, and the performance is put back as it was.
    void voiceCopierTakesWholeAnswersOnly()
    {
        QFETCH(int, fault);
        QFETCH(bool, voice);
        auto window = connected<VeskPerf>(QStringLiteral("perf"));
        QVERIFY(window);
        const QByteArray before = sim()->image(0x4F00);
        VoiceCopierInfo info;
        info.voice = Patch(0x3F08, 4);
        info.part = 1;
        QVERIFY(info.toRegistry());
        const Wire::AnswerFault hit = Wire::answerFaults().at(fault);
        const QList<QByteArray> answer = Wire::answerOf(sim().sim(), voice ? 0x0804 : 0x4F00);
        sim()->setFault(Sim::BulkReply, hit.fault, hit.value(answer), 1, voice ? 1 : 0);
        prompts->script(Kind::Dialog, int(QDialog::Accepted));
        window->onCommand(VeskPerf::VoiceCopierCommand);
        QCOMPARE(prompts->last(Kind::Error).text, QStringLiteral("Time out!"));
        QVERIFY(bus->waitIdle(5000));
        const QStringList sent = Wire::take(*bus, sim());
        if (!voice)
            QCOMPARE(sent, QStringList{"request 0E4F00"});
        else
            QCOMPARE(sent.mid(sent.indexOf(QStringLiteral("request 0E0804")) + 1, 2),
                     (QStringList{Wire::setMode(1), "dump 0E4F00"}));
        QVERIFY(
            !std::any_of(sent.begin(), sent.end(), [](const QString& t) { return t.startsWith("set 31"); }));
        QCOMPARE(sim()->mode(), int(Sim::PerformanceMode));
        QCOMPARE(sim()->image(0x4F00), before);
    }
};

ORVANE_TEST_MAIN(TestEditorParts)
#include "tst_parts.moc"
