#include "MidiRange.h"

#include "Colors.h"
#include "Drawing.h"
#include "MidiClient.h"
#include "MidiDevice.h"
#include "MidiMessage.h"
#include "MidiTypes.h"
#include "Panel.h"
#include "Piano.h"
#include "Strings.h"
#include "Sysex.h"
#include "ValueSteps.h"
#include "VarArgs.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimerEvent>
#include <QWheelEvent>

MidiRange::MidiRange(::Panel* panel, const RangeInfo& from)
    : MyCtrl(panel ? panel->frame() : nullptr), MidiCtrl(this, panel ? panel->device() : nullptr, panel),
      info(from)
{
    setFocusPolicy(Qt::StrongFocus);
    updateDisplay();
}

MidiRange::~MidiRange() = default;

// --- values ------------------------------------------------------------------

void MidiRange::resetValues()
{
    m_low = -1;
    m_high = -1;
    updateDisplay();
}

bool MidiRange::setLowValue(int v)
{
    if (v == -1 || m_lowVariable.isNull())
        return false;
    stopWaiting();
    if (v == m_low)
        return false;
    m_low = v;
    if (info.no_reverse && v > m_high)
        m_high = v;
    updateDisplay();
    return true;
}

bool MidiRange::setHighValue(int v)
{
    if (v == -1 || m_highVariable.isNull())
        return false;
    stopWaiting();
    if (v == m_high)
        return false;
    m_high = v;
    if (info.no_reverse && v < m_low)
        m_low = v;
    updateDisplay();
    return true;
}

void MidiRange::changeValue(bool low, int v)
{
    const ParamInfo& p = *param(low);
    Limit(v, p.min, p.max);
    const int otherBefore = value(!low);
    if (!setValue(low, v))
        return;
    commit(low);
    // no_reverse pushed the other end along: the instrument must hold it too.
    // An end that had no value yet was only filled in for the display; the
    // instrument's own value of it is not known, so it is left alone.
    if (otherBefore != -1 && value(!low) != otherBefore)
        commit(!low);
}

void MidiRange::commit(bool low)
{
    VarPointer& variable = low ? m_lowVariable : m_highVariable;
    variable = value(low);
    if (Panel* owner = panel())
        owner->onValueChanged(this, int(variable), low ? 0 : 1);
    updateSynth(low);
}

void MidiRange::changeToDefaultValue(bool low)
{
    changeValue(low, low ? info.low.min : info.high.max);
}

void MidiRange::changeToDefaultValues()
{
    changeToDefaultValue(true);
    changeToDefaultValue(false);
}

void MidiRange::setLowVariable(void* address, int size)
{
    m_lowVariable.init(address, size);
    if (m_lowVariable.isNull())
        resetValues();
    else
        setLowValue(int(m_lowVariable));
}

void MidiRange::setHighVariable(void* address, int size)
{
    m_highVariable.init(address, size);
    if (m_highVariable.isNull())
        resetValues();
    else
        setHighValue(int(m_highVariable));
}

void MidiRange::updateSynth(bool low)
{
    MidiDevice* dev = device();
    const int data = value(low);
    if (!dev || data == -1)
        return;
    dev->paramChange(*param(low), data);
    dev->paramRequest(*param(low));
}

void MidiRange::updateDisplay()
{
    const QString text =
        VarArgs::format("%s|%s", info.low.displayValue(m_low), info.high.displayValue(m_high));
    setText(text);
    updateAccessibility(text);
}

// --- requests and incoming messages ------------------------------------------

void MidiRange::MidiReceive()
{
    if (info.no_request)
        return;
    requestParam(info.low);
    requestParam(info.high);
}

void MidiRange::OnSysex(Sysex* message)
{
    if (!message)
        return;
    const int low = message->getParameterData(info.low);
    const int high = message->getParameterData(info.high);
    if (low != -1)
        setLowValue(low);
    if (high != -1)
        setHighValue(high);
}

void MidiRange::OnMidiMessage(const MidiMessage& message)
{
    if ((!m_waitingLow && !m_waitingHigh) || !message.isNoteOn())
        return;
    const int note = message.data1;
    const int velocity = message.data2;
    if (m_waitingLow) {
        if (info.low.note)
            changeLowValue(note);
        if (info.low.velocity)
            changeLowValue(velocity);
    }
    if (m_waitingHigh) {
        if (info.high.note)
            changeHighValue(note);
        if (info.high.velocity)
            changeHighValue(velocity);
    }
}

// --- learning ------------------------------------------------------------------

void MidiRange::startWaiting(bool low)
{
    stopWaiting();
    (low ? m_waitingLow : m_waitingHigh) = true;
    m_blinkTimer.start(BlinkMs, this);
    m_blinkOn = false;
    update();
}

void MidiRange::stopWaiting()
{
    if (!m_waitingLow && !m_waitingHigh)
        return;
    m_blinkTimer.stop();
    m_waitingLow = false;
    m_waitingHigh = false;
    update();
}

void MidiRange::onTextEntry()
{
    if (!m_waitingLow && !m_waitingHigh)
        return;
    const bool low = m_waitingLow;
    const ParamInfo& p = *param(low);
    const int v = p.parseText(m_typedText);
    m_typedText.clear();
    if (v >= p.min && v <= p.max)
        changeValue(low, v);
}

void MidiRange::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_blinkTimer.timerId()) {
        m_blinkOn = !m_blinkOn;
        update();
    }
    if (event->timerId() == m_textTimer.timerId()) {
        m_textTimer.stop();
        onTextEntry();
    }
}

// --- keys, wheel and mouse -------------------------------------------------------

void MidiRange::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool shift = mods & Qt::ShiftModifier;

    // Typed digits or a note name for the end waited for. Only printable
    // characters count, so Escape and the like never spoil the text.
    if (!(mods & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier)) &&
        (m_waitingLow || m_waitingHigh)) {
        const QString text = event->text();
        if (!text.isEmpty() && IsPrintable(text.at(0).unicode())) {
            m_typedText += text;
            m_textTimer.start(TypingMs, this);
        }
    }

    if (canLearn()) {
        if (key == Qt::Key_Escape) {
            stopWaiting();
            event->ignore();
            return;
        }
        if (key == Qt::Key_F2) {
            startWaiting(!m_waitingLow);
            event->accept();
            return;
        }
    }
    if (mods & Qt::ControlModifier) {
        event->ignore();
        return;
    }

    const bool low = !shift;
    const ParamInfo& p = *param(low);
    const int v = value(low);
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Right:
        changeValue(low, v + 1);
        break;
    case Qt::Key_Left:
    case Qt::Key_Down:
        changeValue(low, v - 1);
        break;
    case Qt::Key_Home:
        changeValue(low, p.max);
        break;
    case Qt::Key_End:
        changeValue(low, p.min);
        break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        const bool up = key == Qt::Key_PageUp;
        if (v == (up ? p.max : p.min)) {
            event->ignore();
            return;
        }
        changeValue(low, GridPoint(v, p.min, p.max, up));
        break;
    }
    default:
        event->ignore();
        return;
    }
    event->accept();
}

void MidiRange::wheelEvent(QWheelEvent* event)
{
    setFocus(Qt::OtherFocusReason);
    const int delta = event->angleDelta().y();
    if (delta == 0) {
        event->ignore();
        return;
    }
    const bool low = !(event->modifiers() & Qt::ShiftModifier);
    changeValue(low, value(low) + (delta > 0 ? 1 : -1));
    event->accept();
}

void MidiRange::mousePressEvent(QMouseEvent* event)
{
    stopWaiting();
    if (event->button() == Qt::LeftButton) {
        const QPoint pos = event->position().toPoint();
        if (hitRect().contains(pos)) {
            const bool low = !(event->modifiers() & Qt::ShiftModifier);
            const ParamInfo& p = *param(low);
            changeValue(low, PointToValue(pos, hitRect(), p.min, p.max, true));
            m_dragMode = DragSlider;
        } else {
            const bool low = pos.x() < (width() - 1) / 2;
            const ParamInfo& p = *param(low);
            m_dragMode = low ? DragLow : DragHigh;
            m_dragAnchor = QCursor::pos();
            m_pointer.hide();
            m_changer.start(value(low), p.min, p.max, true, low ? p.min : p.max);
        }
    }
    MyCtrl::mousePressEvent(event);
}

void MidiRange::mouseMoveEvent(QMouseEvent* event)
{
    switch (m_dragMode) {
    case DragSlider:
        // A drag on the bar always moves the high end: press at the low end,
        // drag to the high end.
        changeValue(false,
                    PointToValue(event->position().toPoint(), hitRect(), info.high.min, info.high.max, true));
        break;
    case DragLow:
    case DragHigh:
        m_pointer.hide();
        changeValue(m_dragMode == DragLow, m_changer.move());
        break;
    default:
        break;
    }
}

void MidiRange::mouseReleaseEvent(QMouseEvent*)
{
    stopDragging();
}

void MidiRange::mouseDoubleClickEvent(QMouseEvent*)
{
    changeToDefaultValues();
}

void MidiRange::stopDragging()
{
    if (m_dragMode == DragLow || m_dragMode == DragHigh) {
        m_pointer.show();
        MoveMouse(m_dragAnchor);
    }
    setCursor(Qt::ArrowCursor);
    m_dragMode = NoDrag;
}

void MidiRange::focusOutEvent(QFocusEvent* event)
{
    stopWaiting();
    stopDragging();
    MyCtrl::focusOutEvent(event);
}

void MidiRange::contextMenuEvent(QContextMenuEvent* event)
{
    if (canLearn() && rect().contains(event->pos()))
        startWaiting(event->pos().x() < (width() - 1) / 2);
}

// --- drawing -------------------------------------------------------------------

QRect MidiRange::sliderRect() const
{
    const int w = width();
    const int h = height();
    if (info.piano)
        return QRect(QPoint(31, 4), QPoint(w - 32, h - 5));
    if (info.classic)
        return QRect(QPoint(3, h - 6), QPoint(w - 4, h - 4));
    const int space = info.space != 0 ? info.space : 29;
    return QRect(QPoint(space + 1, 5), QPoint(w - 2 - space, h - 6));
}

void MidiRange::paint(QPainter* p, const QRect& r)
{
    DrawBox(p, r);
    const ColorManager* colors = colorManager();
    const QColor line = colors->lineColor();
    const bool grayed = isGrayed();
    if (info.piano) {
        const QColor marked = grayed ? GetColor(line, 0, 1.15) : QColor(255, 255, 224);
        const QColor markedBlack = grayed ? GetColor(GetColor(line, 0, 0.75), 0, 1.1) : QColor(0, 0, 0);
        const QColor black = GetColor(line, 0, grayed ? 0.75 : 0.65);
        DrawPiano(p, sliderRect(), 2, m_low, m_high, marked, markedBlack, 0, 127, line, black, true);
    } else {
        const QColor fill = grayed ? colors->inactiveColor() : QColor(200, 190, 242);
        DottedFill(p, sliderRect(), line, fill, info.low.min, info.low.max, m_low, m_high, 1,
                   info.classic ? 0 : 1);
    }

    if (m_low == -1 || m_high == -1)
        return;
    // An end's text holding a bar itself cannot be told apart: drawn not at all.
    const QStringList parts = text().split(QLatin1Char('|'));
    if (parts.size() != 2)
        return;
    QRect left;
    QRect right;
    const QRect area = r.adjusted(3, 1, -3, -1);
    SplitRect(area, area.width() / 2, false, left, right);
    PrepareFont(p);
    const QString lowText = m_waitingLow && !m_blinkOn ? QString() : parts.at(0);
    const QString highText = m_waitingHigh && !m_blinkOn ? QString() : parts.at(1);
    ::DrawText(p, left, lowText, false, 0);
    DrawTextR(p, right, highText, 0);
}
