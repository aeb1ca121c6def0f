#include "MidiCheckBox.h"

#include "Colors.h"
#include "Drawing.h"
#include "MidiDevice.h"
#include "Panel.h"
#include "Strings.h"
#include "Sysex.h"

#include <QKeyEvent>
#include <QPainter>

namespace {

const QColor MuteLetter(255, 255, 0, 255);
const QColor SoloLetter(0, 255, 0, 255);

} // namespace

MidiCheckBox::MidiCheckBox(Panel* panel, const CheckInfo& descriptor)
    : MyButton(panel ? panel->frame() : nullptr), MidiCtrl(this, panel ? panel->device() : nullptr, panel),
      info(descriptor)
{
    setOption(DefaultOnEnter, false);
    setOption(HoverFace, false);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    setText(info.title);
    setCheckable(true);
}

MidiCheckBox::~MidiCheckBox() = default;

int MidiCheckBox::sharedData() const
{
    return m_byte.data(device(), info.param);
}

// --- value ---------------------------------------------------------------------------

bool MidiCheckBox::setValue(int v)
{
    if (v == -1 || v == m_value)
        return false;
    m_value = v;
    setChecked(v == 1);
    update();
    if (!panel())
        return true;
    if (info.use)
        panel()->setEnabled(v == 1);
    panel()->changeEnabling(this);
    return true;
}

void MidiCheckBox::changeValue(int v)
{
    if (v == -1 || v == m_value || !m_byte.readIfUnknown(device(), info.param))
        return;
    if (!setValue(v))
        return;
    if (panel())
        panel()->onValueChanged(this, m_value, 0);
    updateSynth();
}

void MidiCheckBox::updateSynth()
{
    // A box without a value is neither on nor off: nothing to set or send.
    if (m_value == -1)
        return;
    MidiDevice* midi = device();
    if (info.part != -1 && (info.solo || info.mute)) {
        // A part the device has no record of (a plug-in board part on a
        // device without boards) has no flags to set.
        if (Part* record = midi ? midi->mixPart(info.part) : nullptr) {
            if (info.solo)
                record->solo = m_value == 1;
            if (info.mute)
                record->mute = m_value == 1;
            midi->applySoloMute();
        }
    }
    if (midi && info.param.hasAddress()) {
        m_byte.send(midi, info.param, isChecked() ? 1 : 0);
    }
    requestGroup();
}

void MidiCheckBox::MidiReceive()
{
    if (!info.no_request)
        requestParam(info.param);
}

void MidiCheckBox::OnSysex(Sysex* message)
{
    const int data = m_byte.receive(device(), info.param, message);
    if (data != -1)
        setValue(info.param.dataToValue(data));
}

void MidiCheckBox::resetValues()
{
    m_value = -1;
    setChecked(false);
    update();
}

// --- toggling -------------------------------------------------------------------------

void MidiCheckBox::onClicked()
{
    changeValue(m_value != 1 ? 1 : 0);
}

void MidiCheckBox::onKey(int key)
{
    if (!info.key.isEmpty() && key == GetKeyFromString(info.key))
        onClicked();
}

void MidiCheckBox::keyPressEvent(QKeyEvent* event)
{
    if (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) {
        event->ignore();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        onClicked();
        return;
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Plus:
        event->accept();
        changeValue(1);
        return;
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Minus:
        event->accept();
        changeValue(0);
        return;
    default:
        event->ignore();
        return;
    }
}

// --- drawing ----------------------------------------------------------------------------

QRect MidiCheckBox::boxRect(const QRect& r) const
{
    if (panel() && panel()->isVertical())
        return QRect(QPoint(r.left(), r.top() + 3), QPoint(r.left() + 13, r.top() + 16));
    return QRect(QPoint(r.left() + 3, r.top() + 2), QPoint(r.left() + 16, r.top() + 15));
}

void MidiCheckBox::paint(QPainter* p, const QRect& r)
{
    const QRect box = boxRect(r);
    DrawBox(p, box);
    ColorManager* colors = colorManager();
    if (m_value == 1) {
        if (isNormal()) {
            DrawCheck(p, box, isGrayed() ? colors->inactiveColor() : colors->getColor(ControlTextColor), 2);
        } else {
            p->save();
            QFont font(QStringLiteral("Lucida Grande"), 9);
            font.setWeight(QFont::Bold);
            p->setFont(font);
            p->setPen(info.mute ? MuteLetter : SoloLetter);
            DrawText(p, box, info.mute ? QStringLiteral("M") : QStringLiteral("S"), true, 0);
            p->restore();
        }
    }
    if (!(panel() && panel()->isVertical()))
        return;
    PrepareFont(p);
    QColor label = colors->getColor(LabelTextColor);
    if (isGrayed())
        label.setAlpha(96);
    p->setPen(label);
    DrawText(p, QRect(QPoint(r.left() + 19, r.top() + 1), r.bottomRight()), text(), false, 0);
}
