// Copy, paste and swap of sub-units and effect blocks, on the simulated
// instrument's memory: the target's blocks equal the source's and nothing
// else changes (the mix parts keep their receive channels), copy 1, paste 2,
// swap 4 exchanges 2 and 4, nothing is sent before a whole copy exists, a
// failed paste leaves the buffer as copied, the insert effects share one
// kept block, and a row caption's context menu offers the row's three
// commands.
#include "EditorKinds.h"
#include "MidiCtrl.h"
#include "EventMessage.h"
#include "Prompts.h"
#include "Waiting.h"

#include <QAction>
#include <QContextMenuEvent>

using Kind = ScriptedPrompts::Kind;

namespace {

// The drum kit editor with its selected key set by the test, as the key
// selection sets it.
class DrumOnKey : public VeskDrum
{
public:
    using VeskDrum::VeskDrum;
    void setKey(int note) { currentKey = note; }
};

const EditorTraits& traitsOf(const QString& editor)
{
    if (editor == QLatin1String("voice"))
        return VeskVoice::traits();
    if (editor == QLatin1String("drum"))
        return VeskDrum::traits();
    if (editor == QLatin1String("perf"))
        return VeskPerf::traits();
    if (editor == QLatin1String("master"))
        return VeskMaster::traits();
    return VeskMix::traits();
}

EditorWire& wireOf(MidiEditorWindow* window, const QString& editor)
{
    if (editor == QLatin1String("voice"))
        return static_cast<VeskVoice*>(window)->wire();
    if (editor == QLatin1String("drum"))
        return static_cast<VeskDrum*>(window)->wire();
    if (editor == QLatin1String("perf"))
        return static_cast<VeskPerf*>(window)->wire();
    if (editor == QLatin1String("master"))
        return static_cast<VeskMaster*>(window)->wire();
    return static_cast<VeskMix*>(window)->wire();
}

} // namespace

class TestEditorBlocks : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;
    std::unique_ptr<EditorRig> rig;
    std::unique_ptr<ScriptedPrompts> prompts;

    Sim::BusSimulator& sim() { return *rig->sim; }

    std::unique_ptr<MidiEditorWindow> connected(const QString& editor)
    {
        Wire::answerFor(sim(), editor);
        std::unique_ptr<MidiEditorWindow> window =
            editor == QLatin1String("drum") ? rig->build<DrumOnKey>() : Wire::build(*rig, editor);
        if (!Wire::showConnected(*window))
            return nullptr;
        Wire::take(*bus, sim());
        return window;
    }

    // Sub-unit commands: the drum kit editor's act on the key selected first.
    void subUnitCommand(MidiEditorWindow* window, const QString& editor, int offset, int unit)
    {
        const EditorTraits::SubUnits& units = traitsOf(editor).subUnits;
        if (units.firstCopyId >= 0) {
            window->onCommand(units.firstCopyId + unit + offset);
            return;
        }
        static_cast<DrumOnKey*>(window)->setKey(24 + unit);
        window->onCommand(offset == 0 ? units.copyId : offset == 1000 ? units.pasteId : units.swapId);
    }

    // Sub-unit i's blocks in the edit buffer, each filled with its own data.
    void fillUnit(const QString& editor, int i, int seed)
    {
        const EditorTraits::SubUnits& units = traitsOf(editor).subUnits;
        const unsigned int editBuffer = Wire::kind(editor).editBuffer;
        for (int j = 0; j < units.blocks; ++j) {
            const unsigned int block = units.block(i, j);
            Wire::setBlockBytes(sim(), editBuffer, block, Wire::pattern(Wire::blockSpan(sim(), block).second, seed + j));
        }
    }

    QByteArray unitBytes(const QString& editor, int i)
    {
        const EditorTraits::SubUnits& units = traitsOf(editor).subUnits;
        QByteArray bytes;
        for (int j = 0; j < units.blocks; ++j)
            bytes += Wire::blockBytes(sim(), Wire::kind(editor).editBuffer, units.block(i, j));
        return bytes;
    }

    // The edit buffer with sub-unit i's blocks replaced by those of bytes (as
    // unitBytes gives them).
    QByteArray withUnit(QByteArray image, const QString& editor, int i, const QByteArray& bytes)
    {
        const EditorTraits::SubUnits& units = traitsOf(editor).subUnits;
        int from = 0;
        for (int j = 0; j < units.blocks; ++j) {
            const QPair<int, int> span = Wire::blockSpan(sim(), units.block(i, j));
            image.replace(span.first, span.second, bytes.mid(from, span.second));
            from += span.second;
        }
        return image;
    }

    // What a paste or swap sends: the mix editor's channel requests first,
    // the request, the whole edit buffer back, and the re-read.
    QStringList pasted(const QString& editor, const QStringList& asks, bool swap = false)
    {
        const Wire::Kind kind = Wire::kind(editor);
        const QString request = Wire::request(kind.editBuffer);
        QStringList texts = swap ? QStringList{request} + asks : asks + QStringList{request};
        return texts + Wire::blockTexts(*rig->device, kind.dumpType, kind.editBuffer) + QStringList{request};
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

    void paste_data()
    {
        QTest::addColumn<QString>("editor");
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("target");
        QTest::newRow("voice: element 1 onto 3") << "voice" << 0 << 2;
        QTest::newRow("drum kit: key C1 onto D1") << "drum" << 12 << 14;
        QTest::newRow("performance: part 1 onto 3") << "perf" << 0 << 2;
        QTest::newRow("master: zone 1 onto 3") << "master" << 0 << 2;
        QTest::newRow("mix: part 1 onto 3") << "mix" << 0 << 2;
    }

    // Copy takes the source's blocks with one request; paste sends the whole
    // edit buffer back with the target's blocks replaced and reads it again.
    // Only the target changes; the mix part keeps its receive channel.
    void paste()
    {
        QFETCH(QString, editor);
        QFETCH(int, source);
        QFETCH(int, target);
        const bool mix = editor == QLatin1String("mix");
        const unsigned int editBuffer = Wire::kind(editor).editBuffer;
        auto window = connected(editor);
        QVERIFY(window);
        fillUnit(editor, source, 11);
        fillUnit(editor, target, 40);
        if (mix) {
            QByteArray part = Wire::blockBytes(sim(), editBuffer, 0x370200);
            part[3] = 9;
            Wire::setBlockBytes(sim(), editBuffer, 0x370200, part);
        }
        const QByteArray copied = unitBytes(editor, source);
        const QByteArray before = sim()->image(editBuffer);

        subUnitCommand(window.get(), editor, 0, source);
        QCOMPARE(Wire::take(*bus, sim()), QStringList{Wire::request(editBuffer)});
        QVERIFY(wireOf(window.get(), editor).hasCopy());

        subUnitCommand(window.get(), editor, 1000, target);
        const QStringList asks = mix ? QStringList{"ask 370203"} : QStringList();
        QCOMPARE(Wire::withoutAsks(Wire::withoutWaveAsks(Wire::take(*bus, sim()))), pasted(editor, asks));
        QByteArray expected = copied;
        if (mix)
            expected[3] = 9;
        QCOMPARE(unitBytes(editor, target), expected);
        QCOMPARE(sim()->image(editBuffer), withUnit(before, editor, target, expected));
        QVERIFY(sim()->refusals().isEmpty());
    }

    void copyPasteSwap_data()
    {
        QTest::addColumn<QString>("editor");
        QTest::newRow("performance") << "perf";
        QTest::newRow("mix") << "mix";
    }

    // Copy part 1, paste onto 2, swap on 4: the buffer names part 2 after the
    // paste, so parts 2 and 4 are exchanged and part 1 stays; mix parts keep
    // their channels.
    void copyPasteSwap()
    {
        QFETCH(QString, editor);
        const bool mix = editor == QLatin1String("mix");
        const unsigned int editBuffer = Wire::kind(editor).editBuffer;
        auto window = connected(editor);
        QVERIFY(window);
        for (int part = 0; part < 4; ++part)
            fillUnit(editor, part, 10 * (part + 1));
        const QByteArray part1 = unitBytes(editor, 0);
        const QByteArray part4 = unitBytes(editor, 3);
        const QByteArray before = sim()->image(editBuffer);

        subUnitCommand(window.get(), editor, 0, 0);
        subUnitCommand(window.get(), editor, 1000, 1);
        Wire::take(*bus, sim());
        const QByteArray part2 = unitBytes(editor, 1);
        subUnitCommand(window.get(), editor, 1500, 3);
        const QStringList asks = mix ? QStringList{"ask 370303", "ask 370103"} : QStringList();
        QCOMPARE(Wire::withoutAsks(Wire::take(*bus, sim())), pasted(editor, asks, true));

        QByteArray toFour = part2, toTwo = part4;
        if (mix) {
            toFour[3] = part4[3];
            toTwo[3] = part2[3];
        } else {
            QCOMPARE(part2, part1);
        }
        QByteArray expected = withUnit(before, editor, 1, toTwo);
        expected = withUnit(expected, editor, 3, toFour);
        if (mix) {
            QByteArray pastedTwo = part1;
            pastedTwo[3] = before.mid(Wire::blockSpan(sim(), 0x370100).first, 4).at(3);
            QCOMPARE(part2, pastedTwo);
        }
        QCOMPARE(sim()->image(editBuffer), expected);
        QCOMPARE(unitBytes(editor, 0), part1);
    }

    void nothingCopied_data()
    {
        QTest::addColumn<QString>("editor");
        QTest::newRow("voice") << "voice";
        QTest::newRow("drum kit") << "drum";
        QTest::newRow("performance") << "perf";
        QTest::newRow("master") << "master";
        QTest::newRow("mix") << "mix";
    }

    // Before a whole copy exists, paste and swap are disabled and send
    // nothing by any route (the mix editor's keys call them directly); a
    // copy whose request failed enables nothing, in the voice editor too.
    void nothingCopied()
    {
        QFETCH(QString, editor);
        const EditorTraits& traits = traitsOf(editor);
        const EditorTraits::SubUnits& units = traits.subUnits;
        auto window = connected(editor);
        QVERIFY(window);
        EditorWire& wire = wireOf(window.get(), editor);
        const int paste = units.firstCopyId >= 0 ? units.firstCopyId + 1000 : units.pasteId;
        const int swap = units.firstCopyId >= 0 ? units.firstCopyId + 1500 : units.swapId;
        QVERIFY(!window->command(paste)->isEnabled());
        QVERIFY(!window->command(swap)->isEnabled());
        wire.pasteSubUnit(1);
        wire.swapSubUnit(1);
        if (editor == QLatin1String("drum")) {
            static_cast<DrumOnKey*>(window.get())->setKey(40);
            window->onCommand(units.pasteId);
            window->onCommand(units.swapId);
        }
        for (const EditorTraits::EffectBlock& block : traits.effects)
            window->onCommand(block.copyId + 1000);
        QCOMPARE(Wire::take(*bus, sim()), QStringList());

        sim()->selectMode(Wire::wrongMode(editor));
        wire.copySubUnit(0);
        QCOMPARE(Wire::take(*bus, sim()), QStringList{Wire::request(Wire::kind(editor).editBuffer)});
        QVERIFY(!window->command(paste)->isEnabled());
        QVERIFY(!wire.hasCopy());
    }

    // A paste whose request failed sends nothing and leaves the buffer naming
    // the part it was copied from: the next swap exchanges with that part.
    void failedPasteKeepsTheCopy()
    {
        const QString editor = QStringLiteral("perf");
        auto window = connected(editor);
        QVERIFY(window);
        for (int part = 0; part < 4; ++part)
            fillUnit(editor, part, 10 * (part + 1));
        const QByteArray part1 = unitBytes(editor, 0);
        const QByteArray part2 = unitBytes(editor, 1);
        const QByteArray part4 = unitBytes(editor, 3);
        window->onCommand(VeskPerf::CopyPartBase + 1);
        sim()->selectMode(Sim::VoiceMode);
        window->onCommand(VeskPerf::CopyPartBase + 2 + 1000);
        QCOMPARE(Wire::take(*bus, sim()), (QStringList{"request 0E4F00", "request 0E4F00"}));
        sim()->selectMode(Sim::PerformanceMode);
        window->onCommand(VeskPerf::CopyPartBase + 4 + 1500);
        QCOMPARE(unitBytes(editor, 0), part4);
        QCOMPARE(unitBytes(editor, 1), part2);
        QCOMPARE(unitBytes(editor, 3), part1);
    }

    // Insert effect 1 copied and pasted as insert effect 2: only 400400
    // changes, to what 400300 held; the one kept message now carries 400400.
    void insertEffectIntoTheOther()
    {
        auto window = connected(QStringLiteral("voice"));
        QVERIFY(window);
        Wire::setBlockBytes(sim(), 0x0F00, 0x400300, Wire::pattern(Wire::blockSpan(sim(), 0x400300).second, 7));
        const QByteArray insert1 = Wire::blockBytes(sim(), 0x0F00, 0x400300);
        const QByteArray before = sim()->image(0x0F00);
        QVERIFY(!window->command(VeskVoice::Insert2Copy + 1000)->isEnabled());
        window->onCommand(VeskVoice::Insert1Copy);
        QCOMPARE(Wire::take(*bus, sim()), QStringList{"request 0E0F00"});
        QVERIFY(window->command(VeskVoice::Insert1Copy + 1000)->isEnabled());
        QVERIFY(window->command(VeskVoice::Insert2Copy + 1000)->isEnabled());
        QVERIFY(!window->command(VeskVoice::ReverbCopy + 1000)->isEnabled());

        window->onCommand(VeskVoice::Insert2Copy + 1000);
        QCOMPARE(Wire::withoutWaveAsks(Wire::take(*bus, sim())), pasted(QStringLiteral("voice"), {}));
        QByteArray expected = before;
        const QPair<int, int> span = Wire::blockSpan(sim(), 0x400400);
        expected.replace(span.first, span.second, insert1);
        QCOMPARE(sim()->image(0x0F00), expected);
    }

    void captionMenu_data()
    {
        QTest::addColumn<QString>("editor");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("copyId"); // -1: no menu
        QTest::newRow("voice element 2") << "voice" << 1 << 12;
        QTest::newRow("master zone 3") << "master" << 2 << 12;
        QTest::newRow("performance part 3") << "perf" << 2 << 14;
        QTest::newRow("mix part 5") << "mix" << 4 << 70;
        QTest::newRow("performance board part") << "perf" << 4 << -1;
    }

    // A row caption's context menu shows the row's copy, paste and swap as
    // "Copy", "Paste" and "Swap" (paste and swap greyed before a copy); the
    // one picked runs, and the menu bar's texts are back afterwards.
    void captionMenu()
    {
        QFETCH(QString, editor);
        QFETCH(int, row);
        QFETCH(int, copyId);
        auto window = connected(editor);
        QVERIFY(window);
        TabPanel* tab = window->findChild<TabPanel*>();
        QVERIFY(tab && tab->panel(row) && tab->panel(row)->caption());
        QString texts[3];
        for (int k = 0; copyId >= 0 && k < 3; ++k)
            texts[k] = window->command(copyId + QList<int>{0, 1000, 1500}.at(k))->text();
        prompts->script(Kind::Popup, copyId);
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), QPoint(2, 2));
        QApplication::sendEvent(tab->panel(row)->caption(), &event);
        if (copyId < 0) {
            // Waits for the caption's posted message to have been handled.
            QVERIFY(Waiting::drainPosted());
            QCOMPARE(prompts->count(Kind::Popup), 0);
            return;
        }
        QTRY_COMPARE(prompts->count(Kind::Popup), 1);
        QCOMPARE(prompts->last(Kind::Popup).items, (QStringList{"Copy", "Paste", "Swap"}));
        QCOMPARE(Wire::take(*bus, sim()), QStringList{Wire::request(Wire::kind(editor).editBuffer)});
        for (int k = 0; k < 3; ++k) {
            QAction* action = window->command(copyId + QList<int>{0, 1000, 1500}.at(k));
            QCOMPARE(action->text(), texts[k]);
            QVERIFY(action->shortcut().isEmpty());
        }
        QVERIFY(window->command(copyId + 1000)->isEnabled());
    }
};

ORVANE_TEST_MAIN(TestEditorBlocks)
#include "tst_blocks.moc"
