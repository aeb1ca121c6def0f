// The patch selector: one patch (bank select MSB, LSB and a program) out of
// a named set of the device's banks, shown as "BANK:name" and picked by keys,
// wheel, step arrows, the bank pop-up menu or the "Patch Browser".
//
// Three kinds of target, chosen by the descriptor's parameter:
//   address  three consecutive parameter bytes in the instrument's memory
//            (MSB, LSB, program; reverse swaps MSB and program; no_banks
//            leaves the bank bytes out of what is sent and requested): sent
//            as three parameter changes and three requests, read from
//            incoming dumps;
//   channel  bank select and program change on that MIDI channel, followed
//            from the same messages coming in;
//   neither  the device's current patch: a patch change on the device's
//            channel, announced to every window of the device. A selector
//            outside any panel sends nothing: its owner reads the patch.
//
// An invalid patch (no value, a reset, an empty bank set) is shown as an
// empty text and never sent: no data byte of -1 ever leaves the control.
//
// The bank menu is followed by a short pause during which the control opens
// no other one (DropDownGuard). GUI thread only.
#pragma once

#include "CommonInfo.h"
#include "DeviceBank.h"
#include "DropDownGuard.h"
#include "MidiCtrl.h"
#include "MyCtrl.h"
#include "Patch.h"

class MidiParam;

class MidiPatchEdit : public MyCtrl, public MidiCtrl
{
    Q_OBJECT

public:
    // The step arrow held down.
    enum Arrow
    {
        NoArrow = 0,
        LowerArrow = 1, // next patch
        UpperArrow = 2  // previous patch
    };
    // Columns of the arrow zone at the right edge.
    static constexpr int ArrowZone = 10;

    // A control of the panel, on its frame, bound to the device of its
    // client; a panel without a client leaves it without a device and with
    // an empty bank set. (QFrame names a frame shape Panel, so the class is
    // spelled ::Panel.)
    MidiPatchEdit(::Panel* panel, const PatchEditInfo& info);
    // A selector outside any panel over the device's bank set of that name.
    MidiPatchEdit(QWidget* parent, MidiDevice* device, const QString& banks);
    ~MidiPatchEdit() override;

    int type() const override { return PatchEditType; }
    CommonInfo* gInfo() override { return &info; }
    void onKey(int) override {}

    // Requests the three bytes (the program byte alone with no_banks) of an
    // addressed selector; nothing for the others.
    void MidiReceive() override;
    // Collects the three bytes from incoming messages; a patch is shown once
    // all three are known.
    void OnSysex(Sysex* message) override;
    // A channel-bound selector follows bank select and program change on its
    // channel; reset all controllers (any channel) blanks it.
    void OnMidiMessage(const MidiMessage& message) override;

    MidiParam msbParam() const;
    MidiParam lsbParam() const;
    MidiParam programParam() const;

    Patch patch() const { return m_patch; }
    const BankSet& bankSet() const { return m_bankSet; }

    // Shows p (also an invalid one, as an empty text) without sending.
    void setPatch(Patch p);
    // setPatch, then sends it (notify: a patch change also tells the device's
    // windows).
    void changePatch(Patch p, bool notify);
    void updateSynth(bool notify);
    void enablePatchChange(bool on) { m_patchChangeEnabled = on; }
    // Replaces the bank set; an empty name reloads the descriptor's.
    void reloadBanks(const QString& name);

    // The shown text: "BANK:name" (the program number in form 3 when the slot
    // has no name), or with no_names "BANK:B02" (with numbers "BANK:018").
    QString printPatch() const;
    void updateDisplay();

    void paint(QPainter* p, const QRect& r) override;
    void drawArrows(QPainter* p);
    QColor arrowColor(bool grayed, bool pressed) const;
    int pressedArrow() const { return m_pressedArrow; }

    // A press in the arrow zone arms an arrow (the step comes on release);
    // elsewhere it opens the bank menu.
    void arrowOrDropDown(const QPoint& pos, bool grouped);
    // The bank menu (grouped: by name prefix), unless one just closed.
    void dropDown(bool grouped);
    bool isDropDownGuarded() const { return m_guard.isActive(); }
    // Runs the "Patch Browser" over the bank set.
    void browse();

    // Steps through the bank set from the current patch (an invalid one, or
    // one outside the set, goes to the set's first patch). With an empty set
    // nothing changes.
    void selectNextPatch();
    void selectPrevPatch();
    void selectFirstPatchOfBank();
    void selectLastPatchOfBank();
    void selectFirstPatch();
    void selectPatchOfNextBank();
    void selectPatchOfPrevBank();

    PatchEditInfo info;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void init();
    // What updateSynth may send: a patch whose bytes are all data (with
    // no_banks only the program byte matters).
    bool isSendable() const;
    // A selection step's result: changed to and sent when it is a patch.
    void select(Patch p);
    QString bankNameOf(unsigned short word) const;

    DropDownGuard m_guard;
    int m_pressedArrow = NoArrow;
    Patch m_patch;
    // Bytes last taken from incoming messages; -1 none yet.
    int m_receivedMsb = -1;
    int m_receivedLsb = -1;
    int m_receivedProgram = -1;
    BankSet m_bankSet;
    bool m_patchChangeEnabled = true;
};
