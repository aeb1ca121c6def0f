// The value control: its value, sending and receiving, learning, the section
// window, and drawing. Keys, mouse and the drop-down list are in
// MidiEditInput.cpp.
#include "MidiEdit.h"

#include "Colors.h"
#include "DeviceTable.h"
#include "Drawing.h"
#include "MidiDevice.h"
#include "MidiMessage.h"
#include "MidiPort.h"
#include "MidiTypes.h"
#include "Panel.h"
#include "SectionWindow.h"
#include "Sysex.h"

#include <QPainter>
#include <QTimerEvent>

#include <algorithm>

namespace {

// Bar colours of the slider: first at the bottom, second at the top.
const QColor LowBar1(255, 192, 0);
const QColor LowBar2(255, 248, 64);
const QColor AboveCentre1(224, 0, 0);
const QColor AboveCentre2(255, 80, 80);
const QColor BelowCentre1(0, 208, 0);
const QColor BelowCentre2(64, 255, 64);
const QColor NoteSpot(255, 255, 224);
const QColor PressedWhiteKey(255, 255, 224);
const QColor PressedBlackKey(0, 0, 0);

} // namespace

// --- construction -----------------------------------------------------------------

MidiEdit::MidiEdit(Panel* panel, const EditInfo& descriptor)
    : MyCtrl(panel ? panel->frame() : nullptr), MidiCtrl(this, panel ? panel->device() : nullptr, panel),
      info(descriptor)
{
    init();
    if (!info.image.isEmpty())
        m_icon = QIcon(info.image);
    updateDisplay();
}

MidiEdit::MidiEdit(QWidget* parent, MidiDevice* device, bool combo, const QString& title)
    : MyCtrl(parent), MidiCtrl(this, device, nullptr), m_pianoFirstKey(0), m_pianoLastKey(127)
{
    init();
    info.combo = combo;
    info.title = title;
    updateDisplay();
}

MidiEdit::~MidiEdit() = default;

void MidiEdit::init()
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_MacShowFocusRect, false);
}

// --- value ----------------------------------------------------------------------------

bool MidiEdit::setValue(int v)
{
    if (v == -1 || m_variable.isNull())
        return false;
    stopWaiting();
    if (v == m_value)
        return false;
    m_value = v;
    updateDisplay();
    if (m_mixPart && !m_mixPart->muted)
        m_mixPart->volume = m_value;
    if (panel())
        panel()->changeEnabling(this);
    if (m_sectionWindow)
        m_sectionWindow->changeSection(getData());
    return true;
}

void MidiEdit::changeValue(int v)
{
    Limit<int>(v, info.param.min, info.param.max);
    // A bit field goes out inside its byte's other bits: a byte never seen
    // is read first, and without it nothing changes.
    if (v != -1 && v != m_value && !m_variable.isNull() && !m_byte.readIfUnknown(device(), info.param))
        return;
    if (!setValue(v))
        return;
    m_variable = m_value;
    if (panel())
        panel()->onValueChanged(this, m_value, 0);
    updateSynth();
}

void MidiEdit::changeData(long data)
{
    // Data no item of the table holds maps to no value; clamped, it would
    // turn into the first item and go out as such.
    const int value = data == -1 ? -1 : info.param.dataToValue(int(data));
    if (value != -1)
        changeValue(value);
}

void MidiEdit::selectTableData(const QString& text)
{
    if (!info.param.hasTable())
        return;
    const int index = info.param.items->indexOf(text);
    if (index != -1)
        changeValue(index);
}

int MidiEdit::getData() const
{
    return info.param.valueToData(m_value);
}

void MidiEdit::setItems(const QString& items, int min, int max)
{
    info.param.loadItems(device(), items, min, max);
    if (!info.param.isValueValid(m_value))
        m_value = -1;
    updateDisplay();
}

void MidiEdit::setVariable(void* variable, int size)
{
    m_variable.init(variable, size);
    if (variable)
        setValue(int(m_variable));
    else
        resetValues();
}

void MidiEdit::updateDisplay()
{
    const QString text = info.param.displayValue(m_value);
    setText(text);
    updateAccessibility(text);
}

void MidiEdit::resetValues()
{
    m_value = -1;
    updateDisplay();
}

void MidiEdit::changeToDefaultValue()
{
    if (info.combo || info.tempo || info.piano)
        return;
    changeValue(info.param.defaultValue());
}

// --- sending and receiving ---------------------------------------------------------------

void MidiEdit::updateSynth()
{
    MidiDevice* midi = device();
    if (!midi)
        return;
    const MidiParam& param = info.param;
    if (param.hasChannel()) {
        // A control change carries one 7-bit data byte: the parameter's data
        // (an item's value, not its index), kept within what the byte holds.
        const int data = getData();
        if (data != -1)
            midi->midiOut()->controllerChange(param.controller(), std::clamp(data, 0, 127), param.channel());
    } else if (m_value != -1 && !(m_mixPart && m_mixPart->muted)) {
        // No value is no data: -1 would go out as a data byte; nor is a bit
        // field whose byte is still unknown.
        m_byte.send(midi, info.param, m_value);
    }
    requestGroup();
}

void MidiEdit::MidiReceive()
{
    if (!info.no_request)
        requestParam(info.param);
}

void MidiEdit::OnSysex(Sysex* message)
{
    const int data = m_byte.receive(device(), info.param, message);
    if (data != -1)
        setValue(info.param.dataToValue(data));
}

void MidiEdit::OnMidiMessage(const MidiMessage& message)
{
    if (m_waiting && message.isNoteOn()) {
        if (info.param.note)
            changeValue(message.data1);
        if (info.param.velocity)
            changeValue(message.data2);
    }
    if (!info.param.hasChannel())
        return;
    if (message.isControllerReset()) {
        m_value = -1;
        updateDisplay();
    } else if (info.param.matches(message)) {
        // The byte is the parameter's data, as sent by updateSynth.
        setValue(info.param.dataToValue(message.data2));
    }
}

// --- learning ------------------------------------------------------------------------------

void MidiEdit::startWaiting()
{
    stopWaiting();
    m_waiting = true;
    m_blinkTimer.start(BlinkMs, this);
    m_blinkOn = false;
    update();
}

void MidiEdit::stopWaiting()
{
    if (!m_waiting)
        return;
    m_blinkTimer.stop();
    m_waiting = false;
    update();
}

void MidiEdit::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_typeAheadTimer.timerId()) {
        m_typeAheadTimer.stop();
        onTextEntry();
    } else if (event->timerId() == m_blinkTimer.timerId()) {
        m_blinkOn = !m_blinkOn;
        update();
    } else {
        MyCtrl::timerEvent(event);
    }
}

// --- section window ----------------------------------------------------------------------

PanelDlg* MidiEdit::showPanelDlg()
{
    unsigned int base = 0xFFFFFFFF;
    if (info.hasSubSection()) {
        // Without a value (none received yet, or reset) the control does not
        // know which sub-section is the instrument's: the text of an earlier
        // opening would show another type's parameters, and without a base
        // address they could be neither requested nor sent.
        if (m_value == -1) {
            info.value.clear();
        } else {
            info.setSectionValue(getData());
            base = info.param.address();
        }
    }
    m_sectionWindow = OpenSectionWindow(panel(), info, base);
    return m_sectionWindow;
}

void MidiEdit::raiseSectionWindow()
{
    if (m_sectionWindow && m_sectionWindow->isVisible()) {
        m_sectionWindow->activateWindow();
        return;
    }
    delete m_sectionWindow.data();
    showPanelDlg();
}

// --- drawing ----------------------------------------------------------------------------------

QRect MidiEdit::sliderRect() const
{
    return QRect(QPoint(3, height() - 5), QPoint(width() - 4, height() - 4));
}

QRect MidiEdit::pianoRect() const
{
    return QRect(QPoint(37, 3), QPoint(width() - 4, height() - 4));
}

QRect MidiEdit::arrowRect() const
{
    return QRect(QPoint(width() - 10, 0), QPoint(width() - 1, height() - 1));
}

void MidiEdit::paint(QPainter* p, const QRect& r)
{
    DrawBox(p, r);
    if (isList())
        drawArrows(p);
    else if (isPiano())
        drawPiano(p);
    else
        drawSlider(p);

    int textLeft = r.left();
    if (!m_icon.isNull()) {
        const QPixmap pixmap = Icon2Pixmap(m_icon, m_value, info.param.max - info.param.min + 1);
        const QColor color =
            isGrayed() ? colorManager()->inactiveColor() : colorManager()->getColor(ControlTextColor);
        const int drawn = DrawAlteredPixmap(p, r.adjusted(2, 0, 0, 0), pixmap, Qt::white, color);
        textLeft = r.left() + 2 + drawn;
    }

    PrepareFont(p);
    const QRect textRect(
        QPoint(textLeft + 3, r.top() + 1),
        QPoint(isList() ? r.right() - 9 : r.right() - 2, isSlider() ? r.bottom() - 3 : r.bottom() - 1));
    DrawText(p, textRect, isTextShown() ? text() : QString(), false, 0);
}

void MidiEdit::drawSlider(QPainter* p)
{
    const QRect r = sliderRect();
    ColorManager* colors = colorManager();
    FillRect(p, r, colors->lineColor());
    const ParamInfo& param = info.param;
    if (m_value == -1 || param.max < param.min)
        return;

    const bool bipolar = param.offset < 0;
    const int centre = -param.offset;
    QColor first = LowBar1;
    QColor second = LowBar2;
    if (bipolar && m_value > centre) {
        first = AboveCentre1;
        second = AboveCentre2;
    } else if (bipolar && m_value < centre) {
        first = BelowCentre1;
        second = BelowCentre2;
    }
    if (isGrayed()) {
        first = colors->inactiveColor();
        second = GetColor(first, 0, 1.1);
    }

    if (bipolar) {
        const int stripWidth = r.width();
        const int pos = GetRelativePos(centre, param.min, param.max, 0, stripWidth);
        QRect left = r;
        QRect right = r;
        if (pos < stripWidth) {
            left.setRight(r.left() + pos - 1);
            right.setLeft(r.left() + pos);
        }
        if (m_value < centre)
            DrawSlider(p, left, first, second, param.min, centre, centre - m_value + param.min, true);
        else if (m_value > centre)
            DrawSlider(p, right, first, second, centre, param.max, m_value, false);
        else
            DrawSpot(p, r, MergeColors(first, second, 0.44), param.min, param.max, centre, 2);
    } else if (param.note) {
        DrawSpot(p, r, isGrayed() ? colors->inactiveColor() : NoteSpot, param.min, param.max, m_value, 2);
    } else {
        DrawSlider(p, r, first, second, param.min, param.max, m_value, false);
    }
}

void MidiEdit::drawArrows(QPainter* p)
{
    const bool grayed = isGrayed();
    const ParamInfo& param = info.param;
    const bool upDisabled = grayed || m_value == param.min || m_value == -1;
    const bool downDisabled = grayed || m_value == param.max || param.max == -1;
    ColorManager* colors = colorManager();
    DrawArrow(p, QPoint(width() - 5, 3), colors->arrowColor(upDisabled, m_pressedArrow == PrevArrow), false);
    DrawArrow(p, QPoint(width() - 5, height() - 4),
              colors->arrowColor(downDisabled, m_pressedArrow == NextArrow), true);
}

Piano& MidiEdit::piano()
{
    if (!m_piano)
        m_piano = std::make_unique<Piano>(m_pianoFirstKey, m_pianoLastKey);
    return *m_piano;
}

void MidiEdit::drawPiano(QPainter* p)
{
    const QColor line = colorManager()->lineColor();
    if (isGrayed()) {
        const QColor black = GetColor(line, 0, 0.75);
        piano().setColors(line, black);
        piano().setPressedColors(GetColor(line, 0, 1.15), GetColor(black, 0, 1.1));
    } else {
        piano().setColors(line, GetColor(line, 0, 0.65));
        piano().setPressedColors(PressedWhiteKey, PressedBlackKey);
    }
    piano().selectKey(m_value);
    // The keys past the right edge of a narrow control stay out of its box.
    const QRect area = pianoRect();
    p->save();
    p->setClipRect(area);
    piano().draw(p, area);
    p->restore();
}
