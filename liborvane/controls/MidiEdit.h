// The value control of edit and combo elements: one parameter shown as a
// number or an item name, in one of three looks (a list with two arrows, a
// small keyboard, or a slider strip under the text), with an optional picture
// before the text and tap tempo for a tempo control.
//
// Two ways in:
//   - a change by the user (keys, mouse, wheel, drop-down list, type-ahead,
//     learning, list selection) goes through changeValue: clamped to the
//     range, shown, written to a bound variable, reported to the panel and
//     sent to the instrument at once, a parameter change followed by a
//     request for the same parameter (or a control change for a parameter
//     bound to a MIDI controller), then the control's request group;
//   - a value from the instrument (dump, parameter change, control change)
//     goes through setValue: shown only, nothing sent, reported or written.
// An unchanged value is neither sent nor reported. -1 is no value, shown
// blank and never sent. A bit field (bit, bits) goes out inside the last
// known data of its byte, which the byte's value controls and check boxes
// share (SharedByte): a change before the byte is known reads it from the
// instrument first, and changes nothing without it.
//
// The drop-down list runs modally; once it closes, a second request within
// DropDownGuardMs is ignored, so the click that closed the list does not
// open it again (DropDownGuard). GUI thread only.
#pragma once

#include "CommonInfo.h"
#include "DropDownGuard.h"
#include "MidiCtrl.h"
#include "MyCtrl.h"
#include "Panel.h"
#include "PanelDlg.h"
#include "Piano.h"
#include "Pointer.h"
#include "SharedByte.h"
#include "Timing.h"

#include <QBasicTimer>
#include <QIcon>
#include <QPointer>

#include <memory>

class MidiMessage;
class Sysex;
struct Part;

class MidiEdit : public MyCtrl, public MidiCtrl
{
    Q_OBJECT

public:
    // Posted to the control itself to open its list after the current event.
    static constexpr int DropDownMessage = 4151;
    // Quiet time after which typed characters are taken as a value.
    static constexpr int TypeAheadMs = 750;
    // Half period of the blinking text while waiting for a played note.
    static constexpr int BlinkMs = 333;
    // Time after a list closed during which it does not open again.
    static constexpr int DropDownGuardMs = DropDownGuard::PauseMs;
    // Taps slower than this many beats per minute restart the measure.
    static constexpr double SlowestTapTempo = 30.0;

    // A control of panel, a child of the panel's frame, talking to the device
    // of the panel's client.
    MidiEdit(Panel* panel, const EditInfo& info);
    // A control outside any panel, with the descriptor's defaults: list mode
    // when combo, the title given, a keyboard of all 128 keys. The caller
    // gives it items (setItems) and a current item (selectTableData).
    MidiEdit(QWidget* parent, MidiDevice* device, bool combo, const QString& title);
    ~MidiEdit() override;

    // --- MidiCtrl and IMidiReceiver ----------------------------------------
    int type() const override { return EditType; }
    CommonInfo* gInfo() override { return &info; }
    void onKey(int) override {}
    // No value, blank.
    void resetValues() override;
    // Asks the instrument for the value, unless no_request is set.
    void MidiReceive() override;
    // Shows the parameter's data when the message holds it.
    void OnSysex(Sysex* message) override;
    // Learning from a note-on; for a controller parameter, the control
    // changes on its channel and Reset All Controllers.
    void OnMidiMessage(const MidiMessage& message) override;

    // --- value ---------------------------------------------------------------
    const EditInfo& editInfo() const { return info; }
    EditInfo& editInfo() { return info; }
    int value() const { return m_value; }
    // Shows v without sending; false when refused (-1, or a variable bound to
    // null) or unchanged.
    bool setValue(int v);
    // A change by the user; see the top of the file.
    void changeValue(int v);
    // changeValue of the value that stands for data; nothing for -1 or for
    // data that no item holds.
    void changeData(long data);
    // With an items table, changeValue of the entry with that text.
    void selectTableData(const QString& text);
    // The data that stands for the value.
    int getData() const;
    // New items (a table name of the device's data, or texts separated by
    // "|") and range; a value outside the new range is dropped.
    void setItems(const QString& items, int min, int max);
    // Mirrors every change by the user into an outside integer of size bytes
    // and shows its value now. A null variable blanks the control, which then
    // refuses values until a real one is bound.
    void setVariable(void* variable, int size);
    // The shown text and the accessible text, from the value.
    void updateDisplay();
    // changeValue of the default value, for a slider only: a list, a
    // keyboard or a tempo has no default to jump to.
    void changeToDefaultValue();
    // Sends the value; see the top of the file.
    void updateSynth();
    // The control now shows another instance: its byte is unknown again.
    void forgetSharedData() { m_byte.forget(); }

    // The mixer record of a part whose volume this control is: the control
    // keeps its volume while the part is not muted, and sends nothing while
    // it is. Not owned.
    void setMixPart(Part* part) { m_mixPart = part; }
    Part* mixPart() const { return m_mixPart; }

    // --- type-ahead -------------------------------------------------------------
    // Typed characters are collecting: the typing has not stopped for
    // TypeAheadMs yet.
    bool isTypingAhead() const { return m_typeAheadTimer.isActive(); }

    // --- learning a played note ----------------------------------------------
    bool isLearnable() const { return info.param.note || info.param.velocity; }
    bool isWaiting() const { return m_waiting; }
    void startWaiting();
    void stopWaiting();
    // The text shows: false during the dark half of a blink.
    bool isTextShown() const { return !m_waiting || m_blinkOn; }

    // --- section window --------------------------------------------------------
    // The window this control opened last, null when none or gone.
    PanelDlg* panelDlg() const { return m_sectionWindow; }
    // Opens a new window on the descriptor's section, the sub-section of the
    // current data when the descriptor names one; null (no window) for a
    // sub-section while the control has no value, or a section that holds
    // no control.
    PanelDlg* showPanelDlg();
    // Activates the section window when it shows; else a closed one is
    // deleted and a new one opened (showPanelDlg).
    void raiseSectionWindow();

    // --- drop-down list --------------------------------------------------------
    // Opens the list under the control and takes the value picked.
    void dropDown();
    // Opens the list after the current event, then closes the control: the
    // in-place editor of a list cell.
    void asyncDropDown();
    bool isDropDownGuarded() const { return m_guard.isActive(); }

    // --- tap tempo -------------------------------------------------------------
    // The clock of the tap timing; tests give one they can turn.
    void setTapClock(const StopWatch::Clock& clock);

    // --- geometry (inclusive rectangles) ------------------------------------------
    QRect sliderRect() const;
    QRect pianoRect() const;
    QRect arrowRect() const;
    bool isList() const { return info.combo; }
    bool isPiano() const { return info.piano && !info.combo; }
    bool isSlider() const { return !info.combo && !info.piano; }

    // --- MyCtrl ----------------------------------------------------------------
    void paint(QPainter* p, const QRect& r) override;
    void onMessage(int id, const QVariant& data, const QVariant& source) override;

protected:
    void timerEvent(QTimerEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    enum DragState
    {
        NoDrag = 0,
        RelativeDrag = 1, // pointer hidden, value follows its travel
        AbsoluteDrag = 2  // value follows the point on the slider or the keys
    };
    enum Arrow
    {
        NoArrow = 0,
        NextArrow = 1, // the lower arrow
        PrevArrow = 2  // the upper arrow
    };

    void init();
    // Applies the typed characters as a value in range, then forgets them.
    void onTextEntry();
    // A left press on a list control: an arrow step, else the list.
    void arrowOrDropDown(const QPoint& p);
    void stopDragging();
    // The next grid point above (up) or below a value, for Page Up/Down;
    // false when the value is already at that end of the range.
    bool gridJump(bool up);
    // Space, Return or Enter on a tempo control.
    void tapTempo();

    void drawSlider(QPainter* p);
    void drawArrows(QPainter* p);
    void drawPiano(QPainter* p);

    EditInfo info;
    int m_value = -1;
    VarPointer m_variable;
    int m_dragState = NoDrag;
    ValueChanger m_dragChanger;
    PointerHold m_pointer; // hidden during a relative drag
    QPoint m_dragStartPos; // global
    int m_pressedArrow = NoArrow;
    DropDownGuard m_guard;
    QIcon m_icon;
    QPointer<PanelDlg> m_sectionWindow; // not owned: a window of its own
    Part* m_mixPart = nullptr;          // not owned: the device's record
    QString m_typedText;
    QBasicTimer m_typeAheadTimer;
    StopWatch m_tapWatch{16};
    // The keyboard of a piano control, made when first drawn or clicked:
    // most value controls never show one. Its keys: 24..96 in a panel, else
    // all.
    Piano& piano();
    std::unique_ptr<Piano> m_piano;
    int m_pianoFirstKey = 24;
    int m_pianoLastKey = 96;
    bool m_waiting = false;
    QBasicTimer m_blinkTimer;
    bool m_blinkOn = false;
    SharedByte m_byte; // the last known data of a bit field's byte
};
