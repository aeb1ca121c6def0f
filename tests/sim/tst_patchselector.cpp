// A mix part's voice selector on the instrument's device against the
// simulated instrument: it reads the part's voice, writes a new one into the
// instrument's edit buffer, and follows the instrument's own edits.
#include "MidiClient.h"
#include "MidiPatchEdit.h"
#include "Panel.h"
#include "Simulator.h"
#include "TestBus.h"
#include "TestEnvironment.h"
#include "Vesk.h"
#include "VeskOnSim.h"
#include "VirtualMidiBus.h"

#include <memory>

namespace {

constexpr unsigned int PartVoice = 0x370200; // mix part 3: bank MSB, LSB, program
constexpr int SelectorAnswerMs = 3000;

// Hands the instrument's messages to one control, as its panel will.
class SelectorClient : public MidiClient
{
public:
    SelectorClient(MidiDevice* device, QWidget* window) : MidiClient(QStringLiteral("Mix"), device, window) {}

    void OnSysex(Sysex* message, MidiSource source) override
    {
        if (source != SourceGUI && control)
            control->OnSysex(message);
    }

    MidiCtrl* control = nullptr;
};

} // namespace

class TestSimPatchSelector : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;
    std::unique_ptr<Sim::BusSimulator> sim;
    std::unique_ptr<Vesk> device;
    std::unique_ptr<QWidget> window;
    std::unique_ptr<SelectorClient> client;
    std::unique_ptr<Panel> panel;
    MidiPatchEdit* selector = nullptr;

    // The voice bytes of the part in the simulator's mix edit buffer.
    QByteArray heldVoice()
    {
        return (*sim)->inspect([](const Sim::Instrument& instrument) {
            const unsigned int buffer = Sim::editBuffer(Sim::Mix);
            const Sim::Layout& layout = instrument.memory().layout(Sim::Mix);
            const int block = layout.blockAt(PartVoice);
            if (block < 0)
                return QByteArray();
            return instrument.image(buffer).mid(layout.blocks[size_t(block)].offset, 3);
        });
    }

private slots:
    void initTestCase()
    {
        bus = testBus();
        QVERIFY2(bus, "the tests run on the virtual MIDI bus (ORVANE_MIDI_BACKEND=virtual)");
    }

    void init()
    {
        resetBusAndPorts();
        sim = std::make_unique<Sim::BusSimulator>(*bus);
        QVERIFY2(sim->isLoaded(), qPrintable(sim->error()));
        device = SimVesk::deviceOn(*sim);
        device->connect(false);
        window = std::make_unique<QWidget>();
        client = std::make_unique<SelectorClient>(device.get(), window.get());
        panel = std::make_unique<Panel>(client.get(), window.get());
        PatchEditInfo info;
        info.title = QStringLiteral("Voice");
        info.banks = QStringLiteral("VOICES");
        info.param.setAddress(PartVoice);
        info.change_on_byte = true;
        selector = new MidiPatchEdit(panel.get(), info);
        client->control = selector;
    }

    void cleanup()
    {
        client.reset();
        panel.reset();
        window.reset();
        device.reset();
        sim.reset();
    }

    void readsThePartsVoice()
    {
        const QByteArray held = heldVoice();
        QCOMPARE(held.size(), 3);
        selector->MidiReceive();
        QTRY_VERIFY_WITH_TIMEOUT(selector->patch().isValid(), SelectorAnswerMs);
        QCOMPARE(selector->patch(), Patch(held.at(0), held.at(1), held.at(2)));
        QVERIFY(!selector->text().isEmpty());
    }

    // The new voice lands in the instrument's edit buffer, and the answers
    // to the requests that follow it show it again.
    void writesANewVoice()
    {
        const Patch chosen(63, 1, 20);
        selector->changePatch(chosen, true);
        QVERIFY(bus->waitIdle(SelectorAnswerMs));
        QTRY_COMPARE_WITH_TIMEOUT(heldVoice(), QByteArray::fromHex("3F0114"), SelectorAnswerMs);
        QTRY_COMPARE_WITH_TIMEOUT((*sim)->counters().parameterRequests, 3, SelectorAnswerMs);
        QCOMPARE(selector->patch(), chosen);
        QCOMPARE(selector->text().left(5), QStringLiteral("PRE2:"));
        QVERIFY2((*sim)->refusals().isEmpty(), qPrintable((*sim)->refusals().join(QLatin1Char('\n'))));

        // No patch: nothing reaches the instrument.
        const int changes = (*sim)->counters().parameterChanges;
        selector->changePatch(Patch(), true);
        QVERIFY(bus->waitIdle(SelectorAnswerMs));
        QCOMPARE((*sim)->counters().parameterChanges, changes);
        QCOMPARE(heldVoice(), QByteArray::fromHex("3F0114"));
    }

    // An edit of the part's voice number on the instrument's own panel is
    // followed at once (change_on_byte) once the selector holds a patch.
    void followsTheInstrumentsEdit()
    {
        selector->MidiReceive();
        QTRY_VERIFY_WITH_TIMEOUT(selector->patch().isValid(), SelectorAnswerMs);
        const Patch before = selector->patch();
        (*sim)->editParameter(PartVoice + 2, QByteArray(1, 9));
        QTRY_COMPARE_WITH_TIMEOUT(selector->patch().program, 9, SelectorAnswerMs);
        QCOMPARE(selector->patch().bank.word(), before.bank.word());
    }
};

ORVANE_TEST_MAIN(TestSimPatchSelector)
#include "tst_patchselector.moc"
