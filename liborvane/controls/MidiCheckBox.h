// The check box of check elements: one on/off value, in three kinds.
//   - A plain box drives one parameter, or one bit field of it (bit, bits).
//   - A use box also greys or ungreys the whole panel it sits in.
//   - A mixer-strip box (solo or mute, with part) sets that flag of one of
//     the device's mixer parts and has the device apply solo and mute; it
//     needs no address.
// A change by the user goes through changeValue: shown, reported to the
// panel, sent, and read back with a request. A value from the instrument goes
// through setValue: shown only. -1 is no value (an empty box); any value but
// 1 shows unchecked.
//
// Bit-field boxes and value controls of one byte share the byte's last known
// data (SharedByte), so each packs its bit into what the instrument holds and
// not into a byte it never saw: a box toggled before any value of its byte
// arrived asks the instrument for the byte first and changes nothing when no
// answer comes. GUI thread only.
#pragma once

#include "CommonInfo.h"
#include "MidiCtrl.h"
#include "MyCtrl.h"
#include "SharedByte.h"

class MidiMessage;
class Sysex;

class MidiCheckBox : public MyButton, public MidiCtrl
{
    Q_OBJECT

public:
    MidiCheckBox(Panel* panel, const CheckInfo& info);
    ~MidiCheckBox() override;

    // --- MidiCtrl and IMidiReceiver ----------------------------------------
    int type() const override { return CheckType; }
    CommonInfo* gInfo() override { return &info; }
    // Toggles when key is the key the descriptor names.
    void onKey(int key) override;
    // No value: an empty box. The panel's enabled state and the mixer flags
    // stay as they are.
    void resetValues() override;
    void MidiReceive() override;
    void OnSysex(Sysex* message) override;
    void OnMidiMessage(const MidiMessage&) override {}

    // --- value ---------------------------------------------------------------
    const CheckInfo& checkInfo() const { return info; }
    int value() const { return m_value; }
    bool isNormal() const { return !info.solo && !info.mute; }
    // Shows v without sending it; false for -1 or an unchanged value.
    bool setValue(int v);
    // A change by the user.
    void changeValue(int v);
    // Sends the state: mixer flags, parameter change and request, request
    // group; nothing without a value.
    void updateSynth();
    // The byte's last known data as the controls of the byte share it; -1
    // when unknown or when the box has no bit field.
    int sharedData() const;
    // The box now shows another instance: its byte is unknown again.
    void forgetSharedData() { m_byte.forget(); }

    // --- MyButton ------------------------------------------------------------
    // Toggles: on from off or no value, else off.
    void onClicked() override;
    void paint(QPainter* p, const QRect& r) override;
    // The 14 x 14 box within r.
    QRect boxRect(const QRect& r) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // The checked state follows the value alone: a click asks for the change
    // and setValue shows it.
    void nextCheckState() override {}

private:
    CheckInfo info;
    int m_value = -1;
    SharedByte m_byte;
};
