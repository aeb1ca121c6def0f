#include "AudioSetupDlg.h"

#include "AudioPort.h"

#include <QHBoxLayout>

namespace {

const QString NoDevice = QStringLiteral("(none)");

} // namespace

// --- AudioPortCombo ------------------------------------------------------------------

AudioPortCombo::AudioPortCombo(QWidget* parent) : QComboBox(parent)
{
    addItem(NoDevice);
    // The first item added becomes current; until init finds the port's
    // device nothing is selected.
    setCurrentIndex(-1);
}

AudioPortCombo::~AudioPortCombo() = default;

void AudioPortCombo::init(const Vector<PortInfo>& ports, AudioPort* port)
{
    m_port = port;
    if (port && !port->hasName())
        setCurrentIndex(0);
    for (int i = 0; i < ports.size(); ++i) {
        addItem(ports.at(i).name);
        if (port && ports.at(i).name == port->name())
            setCurrentIndex(i + 1);
    }
}

void AudioPortCombo::validate()
{
    if (!m_port)
        return;
    const QString text = currentText();
    if (text.isEmpty())
        return;
    m_port->setName(text);
}

// --- AudioSetupDlg -------------------------------------------------------------------

AudioSetupDlg::AudioSetupDlg(AudioDevice* device)
    : Dialog(nullptr), m_device(device), m_in(new AudioPortCombo(this)), m_out(new AudioPortCombo(this))
{
    setWindowTitle(QStringLiteral("Audio Setup"));
    SetFixedWindow(this);
    m_in->setObjectName(QStringLiteral("AudioIn"));
    m_out->setObjectName(QStringLiteral("AudioOut"));

    InitAudioPorts();
    m_in->init(AudioInPorts, m_device ? m_device->in() : nullptr);
    m_out->init(AudioOutPorts, m_device ? m_device->out() : nullptr);

    auto* form = new DialogForm(QStringLiteral("Audio Setup"), QStringLiteral("core:midi.png"), 9, addHLayout(4));
    form->addRow(QStringLiteral("Audio &In"), m_in, 230);
    form->addRow(QStringLiteral("Audio &Out"), m_out, 230);

    addHButtons(1, false);
}

AudioSetupDlg::~AudioSetupDlg() = default;

void AudioSetupDlg::accept()
{
    m_in->validate();
    m_out->validate();
    Dialog::accept();
}
