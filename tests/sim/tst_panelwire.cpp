// Panels built from panel data on the instrument's own device against the
// simulated instrument: a panel asks for its parameters and shows what the
// instrument holds, edits made on the instrument's front panel show in the
// controls, an element panel re-pointed at another element shows that one,
// and a whole edit buffer sent by the instrument reaches every panel.
#include "MidiCheckBox.h"
#include "MidiClient.h"
#include "MidiEdit.h"
#include "MidiString.h"
#include "Panel.h"
#include "Simulator.h"
#include "TestBus.h"
#include "TestEnvironment.h"
#include "Vesk.h"
#include "VeskOnSim.h"
#include "VirtualMidiBus.h"
#include "Waiting.h"

#include <memory>

namespace {

constexpr int WireAnswerMs = 3000;
constexpr unsigned int WireVoiceBuffer = 0x0F00;

// The voice editor in miniature: the common block (name, level, a switch
// byte) and an element's note shift (its first block), level (a sub-block
// window) and pan (another window).
const char* const Layout = R"(<section title="VoiceEditor">
  <section name="Voice:Common" title="Common">
    <string title="Name" address="407000" chars="10"/>
    <edit title="Level" address="407010"/>
    <check title="Mono" address="407011" bit="5" max="1"/>
  </section>
  <section name="Voice:Elem" title="Element" type="Element">
    <edit title="Shift" address="41xx05"/>
    <edit title="Level" address="41xx22"/>
    <edit title="Pan" address="44xx43"/>
  </section>
</section>)";

struct EditorWindowHolder
{
    QWidget editorWindow;
};

class Editor : private EditorWindowHolder, public MidiClient
{
public:
    explicit Editor(MidiDevice* device)
        : MidiClient(QStringLiteral("Sim Voice Editor"), device, &editorWindow), common(this), element(this)
    {
        editorWindow.resize(600, 700);
        common.init(&editorWindow, QPoint(0, 0), true);
        common.loadSection(QStringLiteral("Voice:Common"), -1);
        element.init(&editorWindow, QPoint(200, 0), true);
        element.loadSection(QStringLiteral("Voice:Elem"), 0);
    }

    int value(Panel& panel, const char* title) { return panel.getEdit(QLatin1String(title), 0)->value(); }

    Panel common;
    Panel element;
};

} // namespace

class TestSimPanelWire : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;
    std::unique_ptr<Sim::BusSimulator> sim;
    std::unique_ptr<Vesk> device;
    std::unique_ptr<Editor> editor;

    int bufferByte(unsigned int address)
    {
        return (*sim)->inspect([address](const Sim::Instrument& instrument) {
            const QByteArray image = instrument.image(WireVoiceBuffer);
            const Sim::Layout& layout = instrument.memory().layout(Sim::Voice);
            const int block = layout.blockAt(address & 0xFFFF00);
            if (block < 0)
                return -1;
            return int(quint8(image.at(layout.blocks[size_t(block)].offset + int(address & 0xFF))));
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
        sim = std::make_unique<Sim::BusSimulator>(*bus, QStringLiteral("Vesk Sim"));
        QVERIFY2(sim->isLoaded(), qPrintable(sim->error()));
        device = SimVesk::deviceOn(*sim);
        QVERIFY(device->xml()->loadData(Layout));
        device->connect(true);
        QTRY_VERIFY_WITH_TIMEOUT(device->isConnected(), 10000);
        editor = std::make_unique<Editor>(device.get());
    }

    void cleanup()
    {
        editor.reset();
        device.reset();
        sim.reset();
    }

    // Every parameter of the panel is asked for once and shows what the
    // instrument holds; an edit on its front panel shows without being sent
    // back.
    void requestsAndShows()
    {
        const int before = (*sim)->counters().parameterRequests;
        editor->common.MidiReceive();
        QTRY_COMPARE_WITH_TIMEOUT(editor->common.getStringEdit(QStringLiteral("Name"), 0)->text(),
                                  QStringLiteral("SimV 0F00"), WireAnswerMs);
        QTRY_COMPARE_WITH_TIMEOUT(editor->value(editor->common, "Level"), bufferByte(0x407010), WireAnswerMs);
        const int mono = (bufferByte(0x407011) >> 5) & 1;
        QTRY_COMPARE_WITH_TIMEOUT(editor->common.getCheckBox(QStringLiteral("Mono"), 0)->value(), mono,
                                  WireAnswerMs);
        QCOMPARE((*sim)->counters().parameterRequests - before, 10 + 1 + 1);
        // The element panel was not asked and took nothing.
        QCOMPARE(editor->value(editor->element, "Level"), -1);

        const int changes = (*sim)->counters().parameterChanges;
        const int level = bufferByte(0x407010) == 0x22 ? 0x23 : 0x22;
        (*sim)->editParameter(0x407010, QByteArray(1, char(level)));
        QTRY_COMPARE_WITH_TIMEOUT(editor->value(editor->common, "Level"), level, WireAnswerMs);
        (*sim)->editParameter(0x407011, QByteArray(1, char(mono ? 0x00 : 0x20)));
        QTRY_COMPARE_WITH_TIMEOUT(editor->common.getCheckBox(QStringLiteral("Mono"), 0)->value(),
                                  mono ? 0 : 1, WireAnswerMs);
        QVERIFY(bus->waitIdle(WireAnswerMs));
        QCOMPARE((*sim)->counters().parameterChanges, changes);
    }

    // The element panel re-pointed at element 3 asks for and shows element
    // 3, sub-block windows included; a whole edit buffer from the
    // instrument's panel then reaches both panels.
    void anotherElement()
    {
        (*sim)->editParameter(0x410022, QByteArray(1, 0x11));
        (*sim)->editParameter(0x410222, QByteArray(1, 0x55));
        (*sim)->editParameter(0x440243, QByteArray(1, 0x33));
        QTRY_COMPARE_WITH_TIMEOUT(editor->value(editor->element, "Level"), 0x11, WireAnswerMs);
        QVERIFY(bus->waitIdle(WireAnswerMs));

        editor->element.setIter(2);
        editor->element.resetValues();
        editor->element.MidiReceive();
        QTRY_COMPARE_WITH_TIMEOUT(editor->value(editor->element, "Level"), 0x55, WireAnswerMs);
        QTRY_COMPARE_WITH_TIMEOUT(editor->value(editor->element, "Pan"), 0x33, WireAnswerMs);
        QTRY_COMPARE_WITH_TIMEOUT(editor->value(editor->element, "Shift"), bufferByte(0x410205), WireAnswerMs);

        // Element 1 reports no longer reach the re-pointed panel.
        (*sim)->editParameter(0x410022, QByteArray(1, 0x12));
        // Waits for the report to reach the panel.
        QVERIFY(Waiting::deliverAll(*bus));
        QCOMPARE(editor->value(editor->element, "Level"), 0x55);

        editor->element.resetValues();
        editor->common.resetValues();
        QVERIFY((*sim)->sendBlock(WireVoiceBuffer));
        QTRY_COMPARE_WITH_TIMEOUT(editor->value(editor->element, "Pan"), 0x33, WireAnswerMs);
        QTRY_COMPARE_WITH_TIMEOUT(editor->value(editor->element, "Level"), 0x55, WireAnswerMs);
        QTRY_COMPARE_WITH_TIMEOUT(editor->value(editor->common, "Level"), bufferByte(0x407010), WireAnswerMs);
    }
};

ORVANE_TEST_MAIN(TestSimPanelWire)
#include "tst_panelwire.moc"
