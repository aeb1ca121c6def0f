// The "Keyboard" tool window: a full keyboard of MIDI keys 0..127 that plays
// notes on the instrument, from the mouse (PianoCtrl) or from two rows of the
// computer keyboard (KeyToNote), and that also shows the notes arriving from
// the instrument. Notes go out through the device on the chosen channel.
//
// The editor window owns it: it forwards the short messages that did not come
// from the program itself to onMidiMessage, calls allKeysOff on a patch
// change and when every value is requested again, and sets the channel.
// Key events never reach the base dialog, so no key (Escape included) closes
// the window. Its position is kept under "Keyboard". GUI thread only.
#pragma once

#include "Dialog.h"

class MidiDevice;
class MidiMessage;
class PianoCtrl;

// The note a computer key plays: the lower letter row gives 36..52 (Z is
// 36) with the row above it as black keys, the upper letter row 53..72 (Q is
// 53) with the digit row as black keys. -1 for every other key.
int KeyToNote(int qtKey);

class KeyboardDlg : public Dialog
{
    Q_OBJECT

public:
    // device: where the notes go; not owned, may be null (nothing is sent).
    KeyboardDlg(QWidget* parent, MidiDevice* device);
    ~KeyboardDlg() override;

    // The MIDI channel of the notes, 0..15; -1 (the start) is the device's
    // own channel for notes and all 16 channels for allKeysOff.
    void setChannel(int channel) { m_channel = channel; }
    int channel() const { return m_channel; }

    PianoCtrl* pianoCtrl() const { return m_pianoCtrl; }

    // Shows an incoming note: a note on puts the key down at its velocity; a
    // note off puts it up and sends a note off for it on the window's
    // channel. Other messages change nothing.
    void onMidiMessage(const MidiMessage& message);
    // Notes off (controllers 123 and 120) on the channel, or on all 16 with
    // channel -1; then every key up.
    void allKeysOff();

public slots:
    // Plays the key's state: a note on at the key's value when it is down,
    // else a note off.
    void onKeyPressed(int key);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    PianoCtrl* m_pianoCtrl = nullptr;
    MidiDevice* m_device = nullptr;
    int m_channel = -1;
};
