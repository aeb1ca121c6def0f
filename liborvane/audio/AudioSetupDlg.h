// The "Audio Setup" dialog of an AudioDevice: which devices its input and
// output ports use.
//
// The boxes hold the choices until OK; OK renames the ports (which closes
// them), Cancel leaves them as they were. The dialog writes no settings: the
// device's owner keeps the names (AudioDevice::storePorts).
//
// The boxes are named after the settings keys, "AudioIn" and "AudioOut", so a
// test (or an accessibility tool) finds them.
#pragma once

#include "Containers.h"
#include "Dialog.h"
#include "PortInfo.h"

#include <QComboBox>

class AudioDevice;
class AudioPort;

// The devices for one port: item 0 is "(none)", then one item per device in
// the list's order.
class AudioPortCombo : public QComboBox
{
    Q_OBJECT

public:
    explicit AudioPortCombo(QWidget* parent = nullptr);
    ~AudioPortCombo() override;

    // Fills the box from ports and selects the port's device: "(none)" for
    // a port without a name, else the device of that name (the last, should
    // two share it). A name no device has selects nothing. port may be null;
    // it is not owned.
    void init(const Vector<PortInfo>& ports, AudioPort* port);
    // Renames the port to the selection; "(none)" leaves it without a
    // device. Nothing without a port or a selection, so a port whose device
    // is missing today keeps its name.
    void validate();
    AudioPort* port() const { return m_port; }

private:
    AudioPort* m_port = nullptr;
};

class AudioSetupDlg : public Dialog
{
    Q_OBJECT

public:
    // Reads the machine's devices anew. The device is not owned and must
    // outlive the dialog.
    explicit AudioSetupDlg(AudioDevice* device);
    ~AudioSetupDlg() override;

    // Applies both boxes, input first, then closes the dialog.
    void accept() override;

private:
    AudioDevice* m_device = nullptr;
    AudioPortCombo* m_in = nullptr;
    AudioPortCombo* m_out = nullptr;
};
