// An editor window on the instrument's own device against the simulated
// instrument, the way a program starts: the window connects from the saved
// ports, builds its panel from a small layout, reads the voice edit buffer
// when the connection is reported and its controls show it, and a change the
// user makes in a control lands in the instrument's edit buffer.
#include "BulkDump.h"
#include "MidiEdit.h"
#include "MidiEditorWindow.h"
#include "MidiString.h"
#include "Panel.h"
#include "Profile.h"
#include "Simulator.h"
#include "Sysex.h"
#include "TestBus.h"
#include "TestEnvironment.h"
#include "Vesk.h"
#include "VirtualMidiBus.h"

#include <QLabel>

#include <memory>

namespace {

constexpr int AnswerMs = 5000;
// The voice edit buffer: its block, and the address of its first message.
constexpr unsigned int VoiceBuffer = 0x0F00;
constexpr unsigned int VoiceCommon = 0x407000;
constexpr int LevelOffset = 0x10;

const char* const SimLayout = R"(
<section title="SimEditor">
  <section name="Sim:Voice" title="Voice">
    <string title="Name" address="407000" chars="10"/>
    <edit title="Level" address="407010"/>
  </section>
</section>
)";

// A voice editor in miniature: one panel from the layout, the voice edit
// buffer read on every connection and handed to the panels.
class SimVoiceEditor : public MidiEditorWindow
{
public:
    explicit SimVoiceEditor(Vesk* vesk) : MidiEditorWindow(vesk)
    {
        createStatusBar();
        panel = new Panel(this, this);
        panel->loadSection(QStringLiteral("Sim:Voice"), -1);
        editorPanels.append(panel);
        setCentralWidget(panel);
    }

    MidiPatchEdit* patchEdit() override { return nullptr; }

    void MidiReceive() override
    {
        MidiEditorWindow::MidiReceive();
        BulkDump dump;
        if (!device->syncEditBufferRequest(0, dump, AnswerMs))
            return;
        received = dump.count();
        if (Sysex* first = dump.getSysex(VoiceCommon))
            firstData = first->dataToString();
        for (Sysex* message : dump)
            MidiClient::OnSysex(message, SourceDev);
    }

    Panel* panel;
    int received = 0;
    QString firstData;
};

} // namespace

class TestSimEditorWindow : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;
    std::unique_ptr<Sim::BusSimulator> sim;
    std::unique_ptr<Vesk> device;
    std::unique_ptr<SimVoiceEditor> window;

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
        // The ports a program finds in its settings.
        Profile::writeProfileString(QString(), QStringLiteral("MidiIn"), sim->name());
        Profile::writeProfileString(QString(), QStringLiteral("MidiOut"), sim->name());
        Profile::writeProfileInt(QString(), QStringLiteral("Delay"), 0);
        device = std::make_unique<Vesk>();
        QVERIFY(device->xml()->loadData(SimLayout));
    }

    void cleanup()
    {
        window.reset();
        device.reset();
        sim.reset();
    }

    void connectsReadsAndWrites()
    {
        window = std::make_unique<SimVoiceEditor>(device.get());
        QVERIFY(window->panel->getEdit(QStringLiteral("Level"), 0));
        window->show();
        QTRY_VERIFY_WITH_TIMEOUT(window->isConnectedOnce(), AnswerMs);
        QVERIFY(window->connectionLabel()->text().endsWith(QStringLiteral(" connected")));

        // The edit buffer as the instrument holds it, shown by the controls.
        QVERIFY(window->received > 2);
        const QByteArray image = (*sim)->image(VoiceBuffer);
        QVERIFY(window->firstData.startsWith(QString::fromLatin1(image.left(10).toHex(' ').toUpper())));
        QCOMPARE(window->panel->getStringEdit(QStringLiteral("Name"), 0)->text(),
                 QStringLiteral("SimV 0F00"));
        QCOMPARE(window->panel->getEdit(QStringLiteral("Level"), 0)->value(),
                 int(quint8(image.at(LevelOffset))));

        // A change by the user reaches the instrument's memory.
        MidiEdit* level = window->panel->getEdit(QStringLiteral("Level"), 0);
        const int wanted = quint8(image.at(LevelOffset)) == 100 ? 101 : 100;
        level->changeValue(wanted);
        QTRY_COMPARE_WITH_TIMEOUT(int(quint8((*sim)->image(VoiceBuffer).at(LevelOffset))), wanted, AnswerMs);
        // And it shows in the monitor.
        QVERIFY(!window->lastSysexText().isEmpty());
        QVERIFY(window->lastSysexText().startsWith(QStringLiteral("F0 43 10 7F 00 40 70 10")));
    }
};

ORVANE_TEST_MAIN(TestSimEditorWindow)
#include "tst_editorwindow.moc"
