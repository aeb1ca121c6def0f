// The "PLG Setup" dialog: which plug-in board sits in each of the
// instrument's three slots.
//
// A row per slot shows the installed board's name, with a button that loads a
// board definition file into the slot and one that empties it. The choices
// are written only when the dialog is accepted: each slot is either kept, set
// to a file or emptied, then the three installed copies are reloaded. A file
// that is no usable board is refused when it is picked, with a message saying
// why, so it never becomes a slot's choice. If a copy cannot be written the
// dialog says so and stays open; the slot keeps its old copy.
//
// A button tells its slot by its object name, the slot index as text.
#pragma once

#include "Containers.h"
#include "Dialog.h"

#include <QList>
#include <QString>

class MidiDevice;
class QLabel;
class QPushButton;

class PlgSetupDlg : public Dialog
{
    Q_OBJECT

public:
    PlgSetupDlg(MidiDevice* device, QWidget* parent = nullptr);
    ~PlgSetupDlg() override;

    // The slot's choice: "" (keep the installed board), a file path, or
    // "(none)" (empty the slot).
    QString chosenFile(int slot) const { return m_files.value(slot); }
    QLabel* nameLabel(int slot) const { return m_labels.value(slot, nullptr); }
    QPushButton* deleteButton(int slot) const { return m_deleteButtons.value(slot, nullptr); }

public slots:
    // Installs the choices and reloads the slots; stays open when one could
    // not be installed.
    void accept() override;

protected slots:
    // The load and delete buttons of a slot.
    void loadFile();
    void deleteFile();

private:
    // The slot of the button that sent the click; -1 for anything else.
    int senderSlot() const;
    void showBoard(int slot, const QString& name);

    MidiDevice* m_device = nullptr;
    QList<QString> m_files;
    Vector<QLabel*> m_labels;
    Vector<QPushButton*> m_deleteButtons;
};

// Runs the dialog over the device; true when it was accepted.
bool RunPlgSetup(MidiDevice* device, QWidget* parent);
