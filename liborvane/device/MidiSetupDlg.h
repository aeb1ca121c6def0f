// The "MIDI Setup" dialog of a device: which system endpoints its ports use,
// its device number and the pause it makes during bulk transfers.
//
// The boxes hold the choices until OK; OK writes them into the device and
// reconnects it, Cancel leaves the device exactly as it was. The dialog
// writes no settings: the device keeps its choices in the profile when it is
// destroyed.
//
// The widgets are named after the device's settings keys, so a test (or an
// accessibility tool) finds them: "MidiIn", "MidiOut", "MidiIn2", "MidiOut2",
// "AuxIn" and "AuxOut" for the port boxes, "DeviceId" and "Delay".
#pragma once

#include "Containers.h"
#include "Dialog.h"
#include "PortInfo.h"

#include <QComboBox>

class MidiDevice;
class MidiPort;
class QSpinBox;

// The system's endpoints for one port of a device. Item 0 is "(none)",
// then one item per endpoint in the system's order.
class MidiPortCombo : public QComboBox
{
    Q_OBJECT

public:
    explicit MidiPortCombo(QWidget* parent = nullptr);
    ~MidiPortCombo() override;

    // Fills the box from ports and selects the port's current name: "(none)"
    // for a port without a name, the first endpoint of that name otherwise
    // (the one the port opens). A name that no endpoint has selects nothing,
    // so the box shows an empty text. port may be null; it is not owned.
    void init(const Vector<PortInfo>& ports, MidiPort* port);
    // Renames the port to the selection (which also closes it). Nothing
    // without a port or a selection, so a port whose endpoint is missing
    // today keeps its name.
    void validate();
    MidiPort* port() const { return m_port; }

private:
    MidiPort* m_port = nullptr;
};

class MidiSetupDlg : public Dialog
{
    Q_OBJECT

public:
    // The device is not owned and must outlive the dialog.
    explicit MidiSetupDlg(MidiDevice* device);
    ~MidiSetupDlg() override;

    // Applies the choices to the device and reconnects it. An interval the
    // dialog cannot show (the device's is longer than the box's maximum) is
    // only shortened after the user agrees; otherwise the dialog stays open
    // and nothing is applied.
    void accept() override;

private:
    MidiDevice* m_device = nullptr;
    QSpinBox* m_delay = nullptr;
    QComboBox* m_deviceId = nullptr;
    MidiPortCombo* m_midiIn = nullptr;
    MidiPortCombo* m_midiOut = nullptr;
    MidiPortCombo* m_midiIn2 = nullptr;
    MidiPortCombo* m_midiOut2 = nullptr;
    MidiPortCombo* m_auxIn = nullptr;
    MidiPortCombo* m_auxOut = nullptr;
};
