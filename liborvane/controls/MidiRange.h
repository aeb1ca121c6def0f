// The range control: the low and the high end of a range (key range, note
// limits, velocity range) as two parameters of the instrument, shown side by
// side over a bar or a small keyboard.
//
// Its values are the parameter data themselves: no items mapping, bit field,
// controller or request group. Every change of an end by the user is clamped
// to that end's min..max, reported to the panel (valueChanged, 0 for the low
// end, 1 for the high end) and sent at once as a parameter change followed by
// a request of the same parameter. Values from the instrument are shown as
// they come and never sent back. -1 means no value and is never taken.
//
// With no_reverse the ends never cross: setting one end beyond the other
// pushes the other along. When the user did it, the pushed end is reported
// and sent as well, so the instrument holds what the control shows.
//
// A control whose low parameter is a note or velocity can learn an end (F2,
// or a right click on the end's half): it waits, the end's text blinks, and
// the next note-on, or a value typed within 750 ms pauses, sets that end.
//
// Keys, wheel and a press on the bar act on the low end, or on the high end
// with Shift; a drag starting beside the bar moves the end of the half it
// starts in, relative to the pointer's travel. GUI thread only.
#pragma once

#include "CommonInfo.h"
#include "MidiCtrl.h"
#include "MyCtrl.h"
#include "Pointer.h"
#include "Timing.h"

#include <QBasicTimer>
#include <QPoint>

class MidiRange : public MyCtrl, public MidiCtrl
{
    Q_OBJECT

public:
    // Blink period of the end waited for, and the pause that ends typing.
    static constexpr int BlinkMs = 333;
    static constexpr int TypingMs = 750;

    // Drag states.
    enum DragMode
    {
        NoDrag = 0,
        DragLow = 1,    // relative drag of the low end
        DragSlider = 2, // pressed on the bar: the high end follows the pointer
        DragHigh = 3    // relative drag of the high end
    };

    // A control of the panel, on its frame, bound to the device of its client.
    // (QFrame names a frame shape Panel, so the class is spelled ::Panel.)
    MidiRange(::Panel* panel, const RangeInfo& info);
    ~MidiRange() override;

    int type() const override { return RangeType; }
    CommonInfo* gInfo() override { return &info; }
    void onKey(int) override {}
    // Both ends back to no value.
    void resetValues() override;

    // Requests both ends (nothing with no_request or without a device).
    void MidiReceive() override;
    // Shows the ends the message carries.
    void OnSysex(Sysex* message) override;
    // While waiting: a note-on gives the end its note or velocity.
    void OnMidiMessage(const MidiMessage& message) override;

    int value(bool low) const { return low ? m_low : m_high; }
    // The parameter of an end (the panel re-parses its address through it).
    ParamInfo* param(bool low) { return low ? &info.low : &info.high; }

    // Shows v without sending; false when refused (-1, a null variable) or
    // unchanged. An accepted value ends the waiting.
    bool setLowValue(int v);
    bool setHighValue(int v);
    bool setValue(bool low, int v) { return low ? setLowValue(v) : setHighValue(v); }

    // A change by the user: clamp, show, write the variable, report, send.
    void changeLowValue(int v) { changeValue(true, v); }
    void changeHighValue(int v) { changeValue(false, v); }
    void changeValue(bool low, int v);
    // The low end's default is its min, the high end's its max.
    void changeToDefaultValue(bool low);
    void changeToDefaultLowValue() { changeToDefaultValue(true); }
    void changeToDefaultHighValue() { changeToDefaultValue(false); }
    void changeToDefaultValues();

    // Binds an end to an outside integer of size bytes; a null address blanks
    // both ends and refuses every later value of that end.
    void setLowVariable(void* address, int size);
    void setHighVariable(void* address, int size);

    // Sends one end: its parameter change, then its request.
    void updateSynth(bool low);
    // The text "low|high" of both ends' value texts.
    void updateDisplay();

    void startWaiting(bool low);
    void stopWaiting();
    bool isWaiting(bool low) const { return low ? m_waitingLow : m_waitingHigh; }
    bool blinkOn() const { return m_blinkOn; }
    // Commits the typed text to the end waited for when it lies in its range.
    void onTextEntry();
    // Typed text is collecting: the typing has not stopped for TypingMs yet.
    bool isTyping() const { return m_textTimer.isActive(); }

    int dragMode() const { return m_dragMode; }
    void stopDragging();

    // The bar or keyboard, inclusive edges.
    QRect sliderRect() const;
    void paint(QPainter* p, const QRect& r) override;

    RangeInfo info;

protected:
    void timerEvent(QTimerEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Writes the end's variable, reports it to the panel and sends it.
    void commit(bool low);
    bool canLearn() const { return info.low.note || info.low.velocity; }
    // The bar as the pointer's scale: one pixel more above, two below.
    QRect hitRect() const { return sliderRect().adjusted(0, -1, 0, 2); }

    int m_low = -1;
    int m_high = -1;
    ValueChanger m_changer;
    PointerHold m_pointer; // hidden during a relative drag
    QPoint m_dragAnchor;
    int m_dragMode = NoDrag;
    bool m_waitingLow = false;
    bool m_waitingHigh = false;
    QBasicTimer m_blinkTimer;
    bool m_blinkOn = false;
    VarPointer m_lowVariable;
    VarPointer m_highVariable;
    QString m_typedText;
    QBasicTimer m_textTimer;
};
