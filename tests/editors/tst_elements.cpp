// The voice and drum kit editors' element and key panels against the
// simulated instrument: a "Mem" value switches its unit's wave list and the
// wave number is asked for again; the control sets name their destinations
// after the insertion effects the instrument holds (an include cycle and a
// short table are survived); the drum key follows notes and the selector
// after a quiet spell, and a note outside the kit clears the key panels and
// the key commands.
#include "DeviceTable.h"
#include "EditorKinds.h"
#include "ElementPanels.h"
#include "MidiEdit.h"
#include "Prompts.h"
#include "Waiting.h"
#include "XmlDocument.h"

#include <QAction>
#include <QElapsedTimer>

namespace {

QStringList entries(DeviceTable* table, int first, int count)
{
    QStringList texts;
    for (int i = first; i < first + count && i < int(table->size()); ++i)
        texts.append(table->at(i).text);
    return texts;
}

} // namespace

class TestEditorElements : public QObject
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

    // The items the wave control offers: its table and first entry.
    static QPair<DeviceTable*, int> items(MidiEdit* wave)
    {
        return {wave->editInfo().param.items, wave->editInfo().param.min};
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

    // Element 2's "Mem" from the instrument switches element 2's "Wave" only
    // (not the element LFO's "Wave" further down) and asks for its number.
    void voiceWaveFollowsMem()
    {
        auto window = connected<VeskVoice>(QStringLiteral("voice"));
        QVERIFY(window);
        Vesk& device = *rig->device;
        MidiEdit* waves[4];
        for (int e = 0; e < 4; ++e) {
            waves[e] = window->parts().panel(e)->getEdit(QStringLiteral("Wave"), 0);
            QVERIFY(waves[e]);
        }
        const QPair<DeviceTable*, int> element1 = items(waves[1]);
        QCOMPARE(items(waves[2]), qMakePair(device.getTable(QStringLiteral("WaveList")), 1));

        sim()->editParameter(0x410201, QByteArray(1, 1));
        QTRY_COMPARE(items(waves[2]), qMakePair(device.getTable(QStringLiteral("UserWaveList")), 0));
        QCOMPARE(items(waves[1]), element1);
        QCOMPARE(Wire::take(*bus, sim()), QStringList{"ask 410203"});
        QCOMPARE(waves[2]->editInfo().param.max, 1023);

        sim()->editParameter(0x410201, QByteArray(1, 0));
        QTRY_COMPARE(items(waves[2]), qMakePair(device.getTable(QStringLiteral("WaveList")), 1));
        QCOMPARE(Wire::take(*bus, sim()), QStringList{"ask 410203"});
    }

    // The drum kit's user memory is 2; 1 keeps the list but asks again; a
    // key other than the shown one changes nothing.
    void drumWaveFollowsTheShownKey()
    {
        auto window = connected<VeskDrum>(QStringLiteral("drum"));
        QVERIFY(window);
        QCOMPARE(window->selectedKey(), 36);
        Vesk& device = *rig->device;
        MidiEdit* wave = window->key().getEdit(QStringLiteral("&Wave"), 0);
        QVERIFY(wave);
        sim()->editParameter(0x470C01, QByteArray(1, 2));
        QTRY_VERIFY(items(wave).first &&
                    items(wave).first == device.getTable(QStringLiteral("UserWaveList")));
        DeviceTable* user = device.getTable(QStringLiteral("UserWaveList"));
        QCOMPARE(items(wave).second, 0);
        QCOMPARE(Wire::take(*bus, sim()), QStringList{"ask 470C06"});
        sim()->editParameter(0x470C01, QByteArray(1, 1));
        QTRY_COMPARE(Wire::received(*bus, sim()), QStringList{"ask 470C06"});
        sim()->clearReceived();
        QCOMPARE(items(wave), qMakePair(user, 0));
        sim()->editParameter(0x470D01, QByteArray(1, 0));
        // Waits for the other key's change to reach the window.
        QVERIFY(Waiting::deliverAll(*bus));
        QCOMPARE(Wire::take(*bus, sim()), QStringList());
        QCOMPARE(items(wave), qMakePair(user, 0));
    }

    // Delay LCR in A and Hall 1 in B rename the 32 entries; with the
    // instrument silent they stay; another panel asks nothing.
    void controlSetsTakeTheEffectNames()
    {
        auto window = connected<VeskVoice>(QStringLiteral("voice"));
        QVERIFY(window);
        Panel sets(window.get());
        sets.init(window.get(), QPoint(), false);
        sets.loadSection(QStringLiteral("Voice:Controllers"), -1);
        QCOMPARE(sets.internalName(), QStringLiteral("Voice:Controllers|-1"));
        DeviceTable* dest = rig->device->getTable(QStringLiteral("CTRL_DEST"));
        QVERIFY(dest && dest->size() == 69);
        const QStringList before = entries(dest, 4, 32);
        QCOMPARE(before.first(), QStringLiteral("InsA-P1"));

        Panel other(window.get());
        other.init(window.get(), QPoint(), false);
        other.loadSection(QStringLiteral("Voice:Effects"), -1);
        window->OnLoadPanel(&other);
        QCOMPARE(Wire::take(*bus, sim()), QStringList());

        sim()->editParameter(0x400300, QByteArray::fromHex("0200"));
        sim()->editParameter(0x400400, QByteArray::fromHex("0100"));
        Wire::take(*bus, sim());
        window->OnLoadPanel(&sets);
        QCOMPARE(Wire::take(*bus, sim()), (QStringList{"ask 400300", "ask 400400"}));
        QCOMPARE(
            entries(dest, 4, 16),
            (QStringList{"InsA-Delay:Time L", "InsA-Delay:Time R", "InsA-Delay:Time C",
                         "InsA-Delay:Feedback Time", "InsA-Delay:Feedback Level", "InsA-Delay:Level C",
                         "InsA-Delay:Feedback Hi Damp", "InsA-P8", "InsA-P9", "InsA-Delay:Dry/Wet Balance",
                         "InsA-P11", "InsA-P12", "InsA-Equalizer:Low Freq", "InsA-Equalizer:Low Gain",
                         "InsA-Equalizer:High Freq", "InsA-Equalizer:High Gain"}));
        QCOMPARE(dest->at(20).text, QStringLiteral("InsB-Reverb Time"));
        QCOMPARE(entries(dest, 25, 4), (QStringList{"InsB-P6", "InsB-P7", "InsB-P8", "InsB-P9"}));
        QCOMPARE(dest->at(35).text, QStringLiteral("InsB-P16"));
        const QStringList named = entries(dest, 4, 32);

        sim()->setOnline(false);
        window->OnLoadPanel(&sets);
        QCOMPARE(entries(dest, 4, 32), named);
        sim()->setOnline(true);
        for (int i = 0; i < 32; ++i)
            dest->setItemText(4 + i, before.at(i));
    }

    // A template that includes itself (directly or through another) adds
    // its parameters once; a table shorter than the run is written to its
    // end only.
    void cycleAndShortTable()
    {
        XmlDocument xml;
        QVERIFY(xml.loadData(
            "<effects>"
            "<template name=\"a\"><edit index=\"1\" title=\"One\"/><include template=\"b\"/></template>"
            "<template name=\"b\"><header title=\"B\"/><edit index=\"2\" title=\"Two\"/>"
            "<include template=\"a\"/><include template=\"b\"/></template>"
            "<section value=\"0A40\"><header title=\"Dist\"/><include template=\"a\"/>"
            "<edit index=\"3\" title=\"Drive\"/></section></effects>"));
        QVector<QString> titles(4);
        ElementPanels::loadElementParams(xml, xml.findElement(QStringLiteral("section")), &titles);
        QCOMPARE(titles, (QVector<QString>{"One", "B:Two", "Dist:Drive", ""}));

        auto window = connected<VeskVoice>(QStringLiteral("voice"));
        QVERIFY(window);
        sim()->editParameter(0x400300, QByteArray::fromHex("0200"));
        Wire::take(*bus, sim());
        Panel sets(window.get());
        sets.init(window.get(), QPoint(), false);
        sets.loadSection(QStringLiteral("Voice:Controllers"), -1);
        DeviceTable* dest = rig->device->getTable(QStringLiteral("CTRL_DEST"));
        QVERIFY(dest);
        const int size = int(dest->size());
        ElementPanels::changeTableTexts(rig->device.get(), QStringLiteral("CTRL_DEST"), 0x400300,
                                        QStringLiteral("InsA"), 60, 16);
        QCOMPARE(int(dest->size()), size);
        QCOMPARE(dest->at(60).text, QStringLiteral("InsA-Delay:Time L"));
        QCOMPARE(dest->at(68).text, QStringLiteral("InsA-P9"));
    }

    // Loaded, the kit shows key 36 (C1, index 12); copy is enabled, paste
    // and swap not. A note-on selects its key 350 ms later (the last of a
    // run), and both key panels ask for the key's values.
    void keysFollowNotes()
    {
        auto window = connected<VeskDrum>(QStringLiteral("drum"));
        QVERIFY(window);
        QCOMPARE(window->key2().title(), QStringLiteral("Drum Key C1"));
        QCOMPARE(window->key().iterator(), 12);
        QCOMPARE(window->keyEdit()->value(), 36);
        QVERIFY(window->command(VeskDrum::CopyKeyCommand)->isEnabled());
        QVERIFY(!window->command(VeskDrum::PasteKeyCommand)->isEnabled());

        sim()->playNote(36);
        sim()->playNote(38, 0);
        // Waits for both notes to reach the window and the key timer to run out.
        QVERIFY(Waiting::deliverAll(*bus));
        QTRY_VERIFY_WITH_TIMEOUT(!window->isKeyPending(), Waiting::EventMs);
        QCOMPARE(Wire::take(*bus, sim()), QStringList());

        // A run: the first note holds the timer, so that no stall ends it
        // early; the last restarts it at its own length.
        window->setKeyDelays(Waiting::HoldMs, VeskDrum::AfterSelectorMs);
        sim()->playNote(40);
        QVERIFY(Waiting::deliverAll(*bus));
        QVERIFY(window->isKeyPending());
        QCOMPARE(window->selectedKey(), 36);
        window->setKeyDelays(VeskDrum::AfterNoteMs, VeskDrum::AfterSelectorMs);
        QElapsedTimer clock;
        clock.start();
        sim()->playNote(38);
        // Waits for the restarted timer to select the last key.
        QTRY_COMPARE_WITH_TIMEOUT(window->selectedKey(), 38, Waiting::EventMs);
        QVERIFY2(clock.elapsed() >= VeskDrum::AfterNoteMs - 20, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(window->key2().title(), QStringLiteral("Drum Key D1"));
        QCOMPARE(window->key().iterator(), 14);
        QCOMPARE(window->key2().iterator(), 14);
        const QStringList asked = Wire::take(*bus, sim());
        QVERIFY(asked.size() > 10);
        for (const QString& text : asked) {
            QVERIFY2(text.startsWith(QLatin1String("ask ")) && text.mid(6, 2) == QLatin1String("0E") &&
                         text.mid(4, 2) >= QLatin1String("47") && text.mid(4, 2) <= QLatin1String("4A"),
                     qPrintable(text));
        }
    }

    // Note 100 is no key: caption E6, panels cleared, key commands off, no
    // requests; a later key selects normally, and a copied key enables
    // paste and swap on every selection.
    void noteOutsideTheKit()
    {
        auto window = connected<VeskDrum>(QStringLiteral("drum"));
        QVERIFY(window);
        sim()->playNote(100);
        QTRY_COMPARE(window->selectedKey(), 100);
        QCOMPARE(window->key2().title(), QStringLiteral("Drum Key E6"));
        QCOMPARE(window->key().iterator(), -1);
        QCOMPARE(window->key2().iterator(), -1);
        for (int id : {VeskDrum::CopyKeyCommand, VeskDrum::PasteKeyCommand, VeskDrum::SwapKeyCommand})
            QVERIFY(!window->command(id)->isEnabled());
        // The timer that selected the key would have asked in the same call.
        QCOMPARE(Wire::take(*bus, sim()), QStringList());
        window->onCommand(VeskDrum::CopyKeyCommand);
        window->onCommand(VeskDrum::PasteKeyCommand);
        QCOMPARE(Wire::take(*bus, sim()), QStringList());

        QVERIFY(window->selectKey(40));
        window->copyKey();
        QVERIFY(window->hasCopiedKey());
        QVERIFY(window->selectKey(41));
        QVERIFY(window->command(VeskDrum::PasteKeyCommand)->isEnabled());
        QVERIFY(window->command(VeskDrum::SwapKeyCommand)->isEnabled());
    }
};

ORVANE_TEST_MAIN(TestEditorElements)
#include "tst_elements.moc"
