// The value control, the name control and a bit-field check box on the
// instrument's own device against the simulated instrument: what they ask
// for comes back and shows, what the user changes lands in the instrument's
// voice edit buffer and is read back, and the instrument's own edits show
// without being sent back.
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

constexpr int ValueAnswerMs = 3000;
// The voice edit buffer's first block: the name at data 0 to 9.
constexpr unsigned int ValueVoiceCommon = 0x407000;
constexpr unsigned int ValueVoiceBuffer = 0x0F00;
constexpr int ValueLevelOffset = 0x10;
constexpr int SwitchesOffset = 0x11;

struct ClientWindowHolder
{
    QWidget editorWindow;
};

// The editor's part of the road: every message the device hands its client
// goes to the controls, as the client's panels pass it on; the program's own
// sends are left out, as panels ignore them.
class ControlsClient : private ClientWindowHolder, public MidiClient
{
public:
    explicit ControlsClient(MidiDevice* device)
        : MidiClient(QStringLiteral("Sim Editor"), device, &editorWindow),
          panel(new Panel(this, &editorWindow))
    {
    }
    ~ControlsClient() override { delete panel; }

    void OnSysex(Sysex* message, MidiSource source) override
    {
        if (source == SourceGUI)
            return;
        for (IMidiReceiver* receiver : std::as_const(receivers))
            receiver->OnSysex(message);
    }

    Panel* panel;
    QList<IMidiReceiver*> receivers;
};

} // namespace

class TestSimValueControls : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;
    std::unique_ptr<Sim::BusSimulator> sim;
    std::unique_ptr<Vesk> device;
    std::unique_ptr<ControlsClient> client;

    unsigned char bufferByte(int offset) { return quint8((*sim)->image(ValueVoiceBuffer).at(offset)); }

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
        device->connect(false);
        client = std::make_unique<ControlsClient>(device.get());
    }

    void cleanup()
    {
        client.reset();
        device.reset();
        sim.reset();
    }

    // The name is read character by character; an accepted edit lands in
    // the edit buffer blank-padded, 7-bit, and reads back as shown.
    void nameRoundTrip()
    {
        StringInfo info;
        info.title = QStringLiteral("Name");
        info.param.setAddress(ValueVoiceCommon);
        info.chars = 10;
        auto* name = new MidiString(client->panel, info);
        client->receivers << name;

        name->MidiReceive();
        QTRY_COMPARE_WITH_TIMEOUT(name->text(), QStringLiteral("SimV 0F00"), ValueAnswerMs);

        name->changeText(QStringLiteral("Café Noir"));
        QCOMPARE(name->text(), QStringLiteral("Cafe Noir"));
        QVERIFY(bus->waitIdle(ValueAnswerMs));
        QTRY_COMPARE_WITH_TIMEOUT((*sim)->name(ValueVoiceBuffer), QStringLiteral("Cafe Noir "), ValueAnswerMs);
        // Waits for the read-back's answers to reach the control.
        QVERIFY(Waiting::deliverAll(*bus));
        QCOMPARE(name->text(), QStringLiteral("Cafe Noir"));
    }

    // A value read, changed by the user and stored by the instrument; an
    // edit on the instrument's panel shows and is not sent back.
    void valueRoundTrip()
    {
        EditInfo info;
        info.title = QStringLiteral("Level");
        info.param.setAddress(ValueVoiceCommon + ValueLevelOffset);
        info.param.min = 0;
        info.param.max = 127;
        auto* level = new MidiEdit(client->panel, info);
        client->receivers << level;

        level->MidiReceive();
        const int initial = bufferByte(ValueLevelOffset);
        QTRY_COMPARE_WITH_TIMEOUT(level->value(), initial, ValueAnswerMs);

        const int wanted = initial == 100 ? 101 : 100;
        level->changeValue(wanted);
        QTRY_COMPARE_WITH_TIMEOUT(int(bufferByte(ValueLevelOffset)), wanted, ValueAnswerMs);
        QVERIFY(bus->waitIdle(ValueAnswerMs));
        QCOMPARE(level->value(), wanted);

        const int changes = (*sim)->counters().parameterChanges;
        (*sim)->editParameter(ValueVoiceCommon + ValueLevelOffset, QByteArray(1, 0x22));
        QTRY_COMPARE_WITH_TIMEOUT(level->value(), 0x22, ValueAnswerMs);
        QVERIFY(bus->waitIdle(ValueAnswerMs));
        QCOMPARE((*sim)->counters().parameterChanges, changes);
    }

    // A bit-field box or value control changed before its byte arrived reads
    // the byte first and leaves the instrument's other bits as they are.
    void bitFieldKeepsOtherBits_data()
    {
        QTest::addColumn<bool>("edit");
        QTest::newRow("check box") << false;
        QTest::newRow("value control") << true;
    }
    void bitFieldKeepsOtherBits()
    {
        QFETCH(bool, edit);
        device->paramChange(MidiParam(ValueVoiceCommon + SwitchesOffset, 1, false, false), 0x41);
        QTRY_COMPARE_WITH_TIMEOUT(int(bufferByte(SwitchesOffset)), 0x41, ValueAnswerMs);
        if (edit) {
            EditInfo info;
            info.title = QStringLiteral("Mode");
            info.param.setAddress(ValueVoiceCommon + SwitchesOffset);
            info.param.setBitField(4, 2);
            info.param.max = 3;
            auto* control = new MidiEdit(client->panel, info);
            client->receivers << control;
            control->changeValue(2);
            QCOMPARE(control->value(), 2);
        } else {
            CheckInfo info;
            info.title = QStringLiteral("Mono");
            info.param.setAddress(ValueVoiceCommon + SwitchesOffset);
            info.param.setBitField(5, 1);
            info.param.max = 1;
            auto* box = new MidiCheckBox(client->panel, info);
            client->receivers << box;
            box->click();
            QCOMPARE(box->value(), 1);
        }
        QTRY_COMPARE_WITH_TIMEOUT(int(bufferByte(SwitchesOffset)), 0x61, ValueAnswerMs);
    }
};

ORVANE_TEST_MAIN(TestSimValueControls)
#include "tst_valuecontrols.moc"
