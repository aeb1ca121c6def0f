#include "MidiCheckBox.h"

#include "Colors.h"
#include "Drawing.h"
#include "MidiDevice.h"
#include "Panel.h"
#include "Strings.h"
#include "Sysex.h"

#include <QKeyEvent>
#include <QMap>
#include <QPainter>

namespace {

const QColor MuteLetter(255, 255, 0, 255);
const QColor SoloLetter(0, 255, 0, 255);

} // namespace

// The last known data of one byte, held by every bit-field box of it.
struct MidiCheckBox::Shared
{
    const MidiDevice* device = nullptr;
    unsigned int address = 0xFFFFFFFF;
    int data = -1; // -1 until the byte was received or sent
};

namespace {

// The shared records by device and address, for as long as a box holds one.
// GUI thread only.
using SharedKey = QPair<const void*, unsigned int>;
QMap<SharedKey, std::weak_ptr<MidiCheckBox::Shared>>& sharedRecords()
{
    static QMap<SharedKey, std::weak_ptr<MidiCheckBox::Shared>> records;
    return records;
}

void dropSharedRecord(const SharedKey& key)
{
    auto& records = sharedRecords();
    const auto it = records.find(key);
    if (it != records.end() && it->expired())
        records.erase(it);
}

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

MidiCheckBox::~MidiCheckBox()
{
    if (!m_shared)
        return;
    const SharedKey key(m_shared->device, m_shared->address);
    m_shared.reset();
    dropSharedRecord(key);
}

MidiCheckBox::Shared* MidiCheckBox::shared() const
{
    const ParamInfo& param = info.param;
    if (!param.hasBitField() || !param.hasAddress() || !device()) {
        return nullptr;
    }
    // The panel may point its boxes at another iterator's addresses.
    if (m_shared && m_shared->device == device() && m_shared->address == param.address())
        return m_shared.get();
    if (m_shared) {
        const SharedKey old(m_shared->device, m_shared->address);
        m_shared.reset();
        dropSharedRecord(old);
    }
    const SharedKey key(device(), param.address());
    std::weak_ptr<Shared>& slot = sharedRecords()[key];
    m_shared = slot.lock();
    if (!m_shared) {
        m_shared = std::make_shared<Shared>();
        m_shared->device = device();
        m_shared->address = param.address();
        slot = m_shared;
    }
    return m_shared.get();
}

int MidiCheckBox::sharedData() const
{
    const Shared* record = shared();
    return record ? record->data : -1;
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
    if (!info.title.isEmpty())
        panel()->changeEnabling(this);
    return true;
}

bool MidiCheckBox::readWholeData()
{
    Shared* record = shared();
    if (!record || record->data != -1)
        return true;
    // Packing into a byte never received would clear the byte's other bits
    // on the instrument.
    const int data = device()->syncParamRequest(info.param, ReadTimeoutMs);
    if (data == -1)
        return false;
    record->data = data;
    return true;
}

void MidiCheckBox::changeValue(int v)
{
    if (v == -1 || v == m_value || !readWholeData())
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
        Shared* record = shared();
        if (record && record->data != -1)
            info.param.setWholeData(record->data);
        const int data = info.param.valueToData(isChecked() ? 1 : 0);
        // A second box of the byte toggled before the read-back arrives
        // packs into this byte, not into the one before it.
        if (record)
            record->data = data;
        midi->paramChange(info.param, data);
        midi->paramRequest(info.param);
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
    if (!message)
        return;
    const int data = message->getParameterData(info.param);
    if (data == -1)
        return;
    info.param.setWholeData(data);
    if (Shared* record = shared())
        record->data = data;
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
