// The value control's keys, mouse, wheel, context menu and drop-down list.
// Every change goes through changeValue; a key the control does not use is
// left unaccepted, so the panel and the window see it too.
#include "MidiEdit.h"

#include "EventMessage.h"
#include "MidiDevice.h"
#include "ParamMenu.h"
#include "ParamSearchDlg.h"
#include "Prompts.h"
#include "Strings.h"
#include "ValueSteps.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QWheelEvent>

#include <cmath>

namespace {

constexpr Qt::KeyboardModifiers StepModifiers = Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier;

} // namespace

// --- keys ----------------------------------------------------------------------------

void MidiEdit::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    const QString typed = event->text();
    const Qt::KeyboardModifiers mods = event->modifiers() & StepModifiers;
    event->ignore();

    // Characters collect while they come quickly; the value they spell is
    // taken once the typing stops. Keys without a character of their own
    // (Return, Escape, Backspace) spell nothing.
    if (!mods && !typed.isEmpty() && IsPrintable(typed.at(0).unicode())) {
        m_typedText += typed;
        m_typeAheadTimer.start(TypeAheadMs, this);
    }

    if (isLearnable()) {
        if (key == Qt::Key_Escape) {
            // The window also sees the Escape.
            stopWaiting();
            return;
        }
        if (key == Qt::Key_F2) {
            startWaiting();
            event->accept();
            return;
        }
    }
    if (key == Qt::Key_Down && mods == Qt::AltModifier) {
        event->accept();
        dropDown();
        return;
    }
    if (mods)
        return;

    // In a list the first item is at the top: Up, Home and Page Up go toward
    // it.
    const bool list = isList();
    const ParamInfo& param = info.param;
    switch (key) {
    case Qt::Key_Up:
        event->accept();
        changeValue(list ? m_value - 1 : m_value + 1);
        return;
    case Qt::Key_Down:
        event->accept();
        changeValue(list ? m_value + 1 : m_value - 1);
        return;
    case Qt::Key_Right:
        event->accept();
        changeValue(m_value + 1);
        return;
    case Qt::Key_Left:
        event->accept();
        changeValue(m_value - 1);
        return;
    case Qt::Key_Home:
        event->accept();
        changeValue(list ? param.min : param.max);
        return;
    case Qt::Key_End:
        event->accept();
        changeValue(list ? param.max : param.min);
        return;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (gridJump((key == Qt::Key_PageUp) != list)) {
            event->accept();
            return;
        }
        break;
    default:
        break;
    }

    if (!info.tempo)
        return;
    if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)
        tapTempo();
    else
        m_tapWatch.reset();
}

bool MidiEdit::gridJump(bool up)
{
    const ParamInfo& param = info.param;
    if (m_value == (up ? param.max : param.min))
        return false;
    changeValue(GridPoint(m_value, param.min, param.max, up));
    return true;
}

void MidiEdit::tapTempo()
{
    const long lap = m_tapWatch.lap();
    if (TimeToTempo(lap) >= SlowestTapTempo) {
        changeValue(int(std::lround(TimeToTempo(m_tapWatch.ms()))));
        return;
    }
    // Too slow for a beat: this tap starts a new measure.
    if (lap != -1) {
        m_tapWatch.reset();
        m_tapWatch.lap();
    }
    m_value = -1;
    updateDisplay();
}

void MidiEdit::setTapClock(const StopWatch::Clock& clock)
{
    m_tapWatch = StopWatch(16, clock);
}

void MidiEdit::onTextEntry()
{
    const int v = info.param.parseText(m_typedText);
    m_typedText.clear();
    if (v != -1 && info.param.isValueValid(v))
        changeValue(v);
}

// --- mouse ---------------------------------------------------------------------------

void MidiEdit::mousePressEvent(QMouseEvent* event)
{
    stopWaiting();
    const Qt::MouseButtons held = event->buttons();
    if ((held & Qt::LeftButton && held & Qt::RightButton) || held & Qt::MiddleButton) {
        changeToDefaultValue();
        return;
    }
    const Qt::MouseButton button = event->button();
    if (button == Qt::BackButton) {
        changeValue(m_value - 1);
        return;
    }
    if (button == Qt::ForwardButton) {
        changeValue(m_value + 1);
        return;
    }
    if (button != Qt::LeftButton) {
        MyCtrl::mousePressEvent(event);
        return;
    }

    const QPoint pos = event->position().toPoint();
    const ParamInfo& param = info.param;
    QPointer<MidiEdit> self(this);
    if (isList()) {
        arrowOrDropDown(pos);
    } else if (isPiano() && pianoRect().contains(pos)) {
        m_dragState = AbsoluteDrag;
        const int key = piano().hitTest(pianoRect(), pos);
        if (key != -1)
            changeValue(key);
    } else if (isSlider() && sliderRect().adjusted(0, 0, 0, 2).contains(pos)) {
        m_dragState = AbsoluteDrag;
        changeValue(PointToValue(pos, sliderRect().adjusted(0, 0, 0, 2), param.min, param.max, true));
    } else {
        m_dragState = RelativeDrag;
        m_dragStartPos = event->globalPosition().toPoint();
        m_pointer.hide();
        m_dragChanger.start(m_value, param.min, param.max, true, param.defaultValue());
    }
    // The list opened above ran modally; the control may be gone since.
    if (self)
        MyCtrl::mousePressEvent(event);
}

void MidiEdit::arrowOrDropDown(const QPoint& p)
{
    if (arrowRect().contains(p)) {
        if (p.y() > height() / 2) {
            m_pressedArrow = NextArrow;
            changeValue(m_value + 1);
        } else {
            m_pressedArrow = PrevArrow;
            if (m_value != -1)
                changeValue(m_value - 1);
        }
        update();
        return;
    }
    dropDown();
}

void MidiEdit::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    const ParamInfo& param = info.param;
    if (m_dragState == AbsoluteDrag && isPiano()) {
        const int key = piano().hitTest(pianoRect(), pos);
        if (key != -1)
            changeValue(key);
    } else if (m_dragState == AbsoluteDrag) {
        changeValue(PointToValue(pos, sliderRect().adjusted(0, -1, 0, 2), param.min, param.max, true));
    } else if (m_dragState == RelativeDrag) {
        m_pointer.hide();
        changeValue(m_dragChanger.move(event->globalPosition().toPoint()));
    }
}

void MidiEdit::mouseReleaseEvent(QMouseEvent* event)
{
    if (isList()) {
        m_pressedArrow = NoArrow;
        update();
    } else {
        stopDragging();
    }
    MyCtrl::mouseReleaseEvent(event);
}

void MidiEdit::stopDragging()
{
    if (m_dragState == RelativeDrag) {
        m_pointer.show();
        MoveMouse(m_dragStartPos);
    }
    if (m_dragState != NoDrag)
        unsetCursor();
    m_dragState = NoDrag;
}

void MidiEdit::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::BackButton) {
        changeValue(m_value - 1);
        return;
    }
    if (event->button() == Qt::ForwardButton) {
        changeValue(m_value + 1);
        return;
    }
    // A double click on an arrow steps twice.
    if (isList()) {
        mousePressEvent(event);
        return;
    }
    changeToDefaultValue();
}

void MidiEdit::wheelEvent(QWheelEvent* event)
{
    setFocus(Qt::OtherFocusReason);
    int delta = event->angleDelta().y();
    if (delta == 0) {
        event->ignore();
        return;
    }
    if (isList())
        delta = -delta;
    event->accept();
    changeValue(delta > 0 ? m_value + 1 : m_value - 1);
}

void MidiEdit::focusOutEvent(QFocusEvent* event)
{
    stopWaiting();
    stopDragging();
    MyCtrl::focusOutEvent(event);
}

void MidiEdit::contextMenuEvent(QContextMenuEvent* event)
{
    event->accept();
    if (isLearnable()) {
        startWaiting();
    } else if (info.hasSection()) {
        raiseSectionWindow();
    } else if (isList() && info.param.hasTable()) {
        // The value search previews, keeps or undoes the value itself.
        ParamSearchDlg dialog(this);
        RunDialog(&dialog);
    }
}

// --- drop-down list --------------------------------------------------------------------

void MidiEdit::dropDown()
{
    if (m_guard.isActive())
        return;
    const ParamInfo& param = info.param;
    QPointer<MidiEdit> self(this);
    const std::optional<int> picked = ParamMenu::getValue(this, mapToGlobal(QPoint(0, height())), param.items,
                                                          m_value, param.min, param.max);
    // The list ran its own event loop: the panel may have deleted the
    // control meanwhile.
    if (!self)
        return;
    if (picked && *picked != -1)
        changeValue(*picked);
    if (!self)
        return;
    m_guard.arm();
}

void MidiEdit::asyncDropDown()
{
    PostMessage(this, DropDownMessage);
}

void MidiEdit::onMessage(int id, const QVariant& data, const QVariant& source)
{
    if (id == DropDownMessage) {
        QPointer<MidiEdit> self(this);
        dropDown();
        if (!self)
            return;
        close();
        if (QWidget* parent = parentWidget())
            parent->setFocus(Qt::OtherFocusReason);
    }
    MyCtrl::onMessage(id, data, source);
}
