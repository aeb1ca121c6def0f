// Reading the edit buffer, as the simulated instrument sees it: each editor
// at its first connection, in the right mode and in a wrong one (switched
// without a question during the first connection, with one afterwards), a
// declined switch and the mix editor's mode chooser; none of it before the
// window's first paint. The fall-back after a second failure, and program
// changes: tst_patchchange.
#include "EditorKinds.h"
#include "MidiPatchEdit.h"
#include "MidiString.h"
#include "ProgressWindows.h"
#include "Prompts.h"

#include <functional>

using Kind = ScriptedPrompts::Kind;

namespace {

// Runs a check at a window's first paint and keeps its answer.
class PaintWitness : public QObject
{
public:
    PaintWitness(QWidget& window, std::function<bool()> check) : m_check(std::move(check))
    {
        window.installEventFilter(this);
    }
    bool painted = false;
    bool held = false; // what the check said then

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !painted) {
            painted = true;
            held = m_check();
            watched->removeEventFilter(this);
        }
        return false;
    }

private:
    std::function<bool()> m_check;
};

} // namespace

class TestEditorReceive : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;
    std::unique_ptr<EditorRig> rig;
    std::unique_ptr<ScriptedPrompts> prompts;

    Sim::BusSimulator& sim() { return *rig->sim; }

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

    void connect_data()
    {
        QTest::addColumn<QString>("editor");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("voice") << "voice" << QStringList{"ask 00000A", "request 0E0F00"};
        QTest::newRow("drum kit") << "drum" << QStringList{"ask 00000A", "request 0E2F00"};
        QTest::newRow("performance") << "perf" << QStringList{"request 0E4F00"};
        QTest::newRow("master") << "master" << QStringList{"request 0E7F00"};
        QTest::newRow("mix") << "mix" << QStringList{"request 0E5F00"};
    }

    // In the right mode: the receive channel (voice and drum kit), one
    // request, and the panels show what came; the mix editor then asks for
    // its system panel's values.
    void connect()
    {
        QFETCH(QString, editor);
        QFETCH(QStringList, expected);
        Wire::answerFor(sim(), editor);
        auto window = Wire::build(*rig, editor);
        QVERIFY(Wire::showConnected(*window));
        const QStringList texts = Wire::received(*bus, sim());
        QCOMPARE(Wire::withoutAsks(texts), expected);
        if (editor == QLatin1String("mix"))
            QVERIFY(texts.size() > expected.size());
        else
            QCOMPARE(Wire::shownName(*window), sim()->name(Wire::kind(editor).editBuffer).trimmed());
        QCOMPARE(prompts->count(Kind::YesNo) + prompts->count(Kind::Choice), 0);
    }

    void paintsBeforeAsking_data() { connect_data(); }

    // The window appears before anything waits on the instrument: at its
    // first paint it has neither connected nor asked for anything; right
    // after, it reads its edit buffer as at any connection.
    void paintsBeforeAsking()
    {
        QFETCH(QString, editor);
        QFETCH(QStringList, expected);
        Wire::answerFor(sim(), editor);
        auto window = Wire::build(*rig, editor);
        // The instrument has answered before the window shows, as a quick
        // one does while a program builds its window: its notice waits.
        QVERIFY(QTest::qWaitFor([&] { return rig->device->isConnected(); }, 30000));
        PaintWitness witness(*window, [&] {
            return !window->isConnectedOnce() && Wire::received(*bus, sim()).isEmpty();
        });
        // What was posted goes before the window system's expose, as it may
        // in a program's first turn of its event loop.
        window->show();
        QCoreApplication::sendPostedEvents();
        QVERIFY(Wire::showConnected(*window));
        QVERIFY(witness.painted);
        QVERIFY2(witness.held, "the window asked the instrument before it painted");
        QCOMPARE(Wire::withoutAsks(Wire::received(*bus, sim())), expected);
    }

    // A read the instrument does not answer, after the first connection:
    // its progress shows once it waits, and Cancel pressed meanwhile ends it
    // there, with no question, no mode switch and no second request.
    void cancelledReadAsksNoMore()
    {
        const QString request = Wire::request(Wire::kind(QStringLiteral("perf")).editBuffer);
        Wire::answerFor(sim(), QStringLiteral("perf"));
        auto window = Wire::build(*rig, QStringLiteral("perf"));
        QVERIFY(Wire::showConnected(*window));
        Wire::take(*bus, sim());
        sim()->setFault(Sim::BulkReply, Sim::Fault::Drop);
        auto seen = cancelWhenShown();
        window->MidiReceive();
        QVERIFY(seen->found && seen->canceled);
        QCOMPARE(seen->title, QStringLiteral("Receive"));
        QCOMPARE(seen->text, QStringLiteral("Receiving edit buffer..."));
        QVERIFY(!shownProgress());
        QVERIFY(bus->waitIdle());
        QCOMPARE(Wire::take(*bus, sim()), QStringList{request});
        QCOMPARE(prompts->count(Kind::YesNo), 0);
    }

    void wrongMode_data()
    {
        QTest::addColumn<QString>("editor");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("question");
        QTest::newRow("voice") << "voice" << 0 << "Do you want to switch to Voice mode?";
        QTest::newRow("drum kit") << "drum" << 0 << "Do you want to switch to Voice mode?";
        QTest::newRow("performance") << "perf" << 1 << "Do you want to switch to Performance mode?";
        QTest::newRow("master") << "master" << 4 << "Do you want to switch to Master mode?";
        QTest::newRow("mix, Song chosen") << "mix" << 3 << "Do you want to switch to Song mode?";
    }

    // A request that fails switches the mode and asks again: without a
    // question during the first connection (the mix editor has its mode
    // chosen first), with the editor's question afterwards.
    void wrongMode()
    {
        QFETCH(QString, editor);
        QFETCH(int, mode);
        QFETCH(QString, question);
        const QString request = Wire::request(Wire::kind(editor).editBuffer);
        const QStringList channel =
            editor == QLatin1String("voice") || editor == QLatin1String("drum") ? QStringList{"ask 00000A"}
                                                                                 : QStringList();
        Wire::answerFor(sim(), editor);
        sim()->selectMode(Wire::wrongMode(editor));
        prompts->script(Kind::Choice, QStringLiteral("Song"));
        auto window = Wire::build(*rig, editor);
        QVERIFY(Wire::showConnected(*window));
        const QStringList expected = channel + QStringList{request, Wire::setMode(mode), request};
        QCOMPARE(Wire::withoutAsks(Wire::take(*bus, sim())), expected);
        QCOMPARE(prompts->count(Kind::YesNo), 0);
        if (editor == QLatin1String("mix")) {
            const ScriptedPrompts::Call chooser = prompts->last(Kind::Choice);
            QCOMPARE(chooser.text, QStringLiteral("Select which mode you want to work with."));
            QCOMPARE(chooser.title, QStringLiteral("Mix Mode Needed"));
            QCOMPARE(chooser.items, (QStringList{"Song", "Pattern"}));
        }
        QCOMPARE(sim()->mode(), mode);

        sim()->selectMode(Wire::wrongMode(editor));
        prompts->script(Kind::YesNo, true);
        window->MidiReceive();
        QCOMPARE(Wire::withoutAsks(Wire::take(*bus, sim())), (QStringList{request, Wire::setMode(mode), request}));
        QCOMPARE(prompts->count(Kind::YesNo), 1);
        QCOMPARE(prompts->last(Kind::YesNo).text, question);
        QCOMPARE(prompts->last(Kind::YesNo).title, QString());
        QCOMPARE(prompts->count(Kind::Choice), editor == QLatin1String("mix") ? 1 : 0);
    }

    // A no to the question, or a mix chooser closed without a choice: the
    // one request, nothing else, and the panels as they were.
    void declined_data()
    {
        QTest::addColumn<QString>("editor");
        QTest::newRow("voice, after the first connection") << "voice";
        QTest::newRow("mix chooser closed") << "mix";
    }

    void declined()
    {
        QFETCH(QString, editor);
        const QString request = Wire::request(Wire::kind(editor).editBuffer);
        auto window = Wire::build(*rig, editor);
        if (editor == QLatin1String("mix")) {
            // The chooser shows during the first connection already.
            QVERIFY(Wire::showConnected(*window));
            QCOMPARE(Wire::received(*bus, sim()), QStringList{request});
            QCOMPARE(prompts->count(Kind::Choice), 1);
            QCOMPARE(static_cast<VeskMix*>(window.get())->mode(), -1);
            return;
        }
        QVERIFY(Wire::showConnected(*window));
        const QString name = Wire::shownName(*window);
        sim()->clearReceived();
        sim()->selectMode(Sim::PerformanceMode);
        window->MidiReceive();
        // The first read's wave number requests may still come in.
        QCOMPARE(Wire::withoutWaveAsks(Wire::received(*bus, sim())), QStringList{request});
        QCOMPARE(prompts->count(Kind::YesNo), 1);
        QCOMPARE(Wire::shownName(*window), name);
        QCOMPARE(sim()->mode(), int(Sim::PerformanceMode));
    }
};

ORVANE_TEST_MAIN(TestEditorReceive)
#include "tst_receive.moc"
