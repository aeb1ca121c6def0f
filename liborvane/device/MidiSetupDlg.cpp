#include "MidiSetupDlg.h"

#include "MidiDevice.h"
#include "MidiPort.h"
#include "Prompts.h"
#include "VarArgs.h"

#include <QHBoxLayout>
#include <QSpinBox>

#include <initializer_list>

namespace {

// The longest bulk dump interval the dialog offers, in milliseconds.
constexpr int MaxDelay = 100;

const QString NoPort = QStringLiteral("(none)");

} // namespace

// --- MidiPortCombo -------------------------------------------------------------------

MidiPortCombo::MidiPortCombo(QWidget* parent) : QComboBox(parent)
{
    setMaxVisibleItems(24);
    addItem(NoPort);
    // The first item added becomes current; until init finds the port's
    // endpoint nothing is selected.
    setCurrentIndex(-1);
}

MidiPortCombo::~MidiPortCombo() = default;

void MidiPortCombo::init(const Vector<PortInfo>& ports, MidiPort* port)
{
    m_port = port;
    if (port && !port->hasName())
        setCurrentIndex(0);
    bool found = false;
    for (int i = 0; i < ports.size(); ++i) {
        addItem(ports.at(i).name);
        // Of several endpoints with the same name the port opens the first,
        // so the box shows that one.
        if (port && !found && port->hasName() && ports.at(i).name == port->name()) {
            setCurrentIndex(i + 1);
            found = true;
        }
    }
}

void MidiPortCombo::validate()
{
    if (!m_port)
        return;
    const QString text = currentText();
    if (text.isEmpty())
        return;
    m_port->setName(text);
}

// --- MidiSetupDlg ----------------------------------------------------------------------

MidiSetupDlg::MidiSetupDlg(MidiDevice* device)
    : Dialog(nullptr), m_device(device), m_delay(new QSpinBox(this)), m_deviceId(new QComboBox(this)),
      m_midiIn(new MidiPortCombo(this)), m_midiOut(new MidiPortCombo(this)),
      m_midiIn2(new MidiPortCombo(this)), m_midiOut2(new MidiPortCombo(this)),
      m_auxIn(new MidiPortCombo(this)), m_auxOut(new MidiPortCombo(this))
{
    setWindowTitle(QStringLiteral("MIDI Setup"));
    SetFixedWindow(this);

    m_delay->setObjectName(QStringLiteral("Delay"));
    m_deviceId->setObjectName(QStringLiteral("DeviceId"));
    m_midiIn->setObjectName(QStringLiteral("MidiIn"));
    m_midiOut->setObjectName(QStringLiteral("MidiOut"));
    m_midiIn2->setObjectName(QStringLiteral("MidiIn2"));
    m_midiOut2->setObjectName(QStringLiteral("MidiOut2"));
    m_auxIn->setObjectName(QStringLiteral("AuxIn"));
    m_auxOut->setObjectName(QStringLiteral("AuxOut"));
    // Boxes that the device has no use for are never placed; they must not
    // show up in a corner of the dialog either. Each box is shown when it
    // gets its row.
    for (QWidget* w : std::initializer_list<QWidget*>{m_delay, m_deviceId, m_midiIn, m_midiOut, m_midiIn2,
                                                      m_midiOut2, m_auxIn, m_auxOut})
        w->hide();

    if (!m_device)
        return;

    InitMidiPorts();

    m_midiIn->init(MidiInPorts, m_device->midiIn());
    m_midiOut->init(MidiOutPorts, m_device->midiOut());
    const bool secondary = m_device->hasSecondaryPorts();
    const bool keyboard = m_device->hasKeyboard();
    const bool deviceId = m_device->hasDeviceId();
    if (secondary) {
        m_midiIn2->init(MidiInPorts, m_device->midiIn2());
        m_midiOut2->init(MidiOutPorts, m_device->midiOut2());
    }
    m_auxIn->init(MidiInPorts, m_device->auxIn());
    if (keyboard)
        m_auxOut->init(MidiOutPorts, m_device->auxOut());

    m_delay->setRange(0, MaxDelay);
    m_delay->setValue(m_device->delay());
    m_delay->setSuffix(QStringLiteral(" msec"));

    if (deviceId) {
        m_deviceId->setMaxVisibleItems(16);
        for (int i = 1; i <= 16; ++i)
            m_deviceId->addItem(VarArgs::format("%d", i));
        m_deviceId->setCurrentIndex(m_device->deviceId());
    }

    setMargin(8, 3);
    setSpacing(4);

    auto* main = new DialogForm(VarArgs::format("%s Setup", m_device->name()),
                                QStringLiteral("core:midi.png"), 7, addHLayout(4));
    main->addRow(QStringLiteral("MIDI &In"), m_midiIn, 230);
    main->addRow(QStringLiteral("MIDI &Out"), m_midiOut, 230);
    m_midiIn->show();
    m_midiOut->show();
    if (deviceId) {
        main->addRow(QStringLiteral("Device Id"), m_deviceId, 184);
        m_deviceId->show();
    }
    main->addRow(QStringLiteral("Bulk Dump Interval"), m_delay, 184);
    m_delay->show();

    if (secondary) {
        auto* second = new DialogForm(VarArgs::format("%s Secondary Ports", m_device->name()),
                                      QStringLiteral("core:midi.png"), 7, addHLayout(4));
        second->addRow(QStringLiteral("MIDI In"), m_midiIn2, 230);
        second->addRow(QStringLiteral("MIDI Out"), m_midiOut2, 230);
        m_midiIn2->show();
        m_midiOut2->show();
    }

    auto* aux =
        new DialogForm(QStringLiteral("Auxiliary Ports"), QStringLiteral("core:piano.png"), 7, addHLayout(4));
    aux->addRow(QStringLiteral("MIDI In"), m_auxIn, 230);
    m_auxIn->show();
    if (keyboard) {
        aux->addRow(QStringLiteral("MIDI Out"), m_auxOut, 230);
        m_auxOut->show();
    }

    addHButtons(5, false);
}

MidiSetupDlg::~MidiSetupDlg() = default;

void MidiSetupDlg::accept()
{
    if (!m_device) {
        QDialog::accept();
        return;
    }

    // A stored interval above what the box can show reads as the maximum;
    // taking it over unasked would shorten the device's pauses behind the
    // user's back.
    const int stored = m_device->delay();
    if (stored > m_delay->maximum() && m_delay->value() == m_delay->maximum()) {
        const QString text =
            VarArgs::format("The bulk dump interval of %s is %d msec, longer than the %d msec "
                            "this dialog can set.\n\nShorten it to %d msec?",
                            m_device->name(), stored, m_delay->maximum(), m_delay->maximum());
        if (!okCancel(this, text, windowTitle()))
            return;
    }

    m_device->setDelay(m_delay->value());
    if (m_device->hasDeviceId())
        m_device->setDeviceId(m_deviceId->currentIndex());

    m_midiIn->validate();
    m_midiOut->validate();
    if (m_device->hasSecondaryPorts()) {
        m_midiIn2->validate();
        m_midiOut2->validate();
    }
    m_auxIn->validate();
    if (m_device->hasKeyboard())
        m_auxOut->validate();

    m_device->connect(true);
    QDialog::accept();
}
