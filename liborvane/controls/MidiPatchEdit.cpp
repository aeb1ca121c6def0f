#include "MidiPatchEdit.h"

#include "BankMenu.h"
#include "Drawing.h"
#include "MidiClient.h"
#include "MidiDevice.h"
#include "MidiMessage.h"
#include "Panel.h"
#include "ParamSearchDlg.h"
#include "Prompts.h"
#include "Sysex.h"
#include "VarArgs.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QWheelEvent>

namespace {

bool isDataByte(int v)
{
    return v >= 0 && v <= 127;
}

} // namespace

MidiPatchEdit::MidiPatchEdit(::Panel* panel, const PatchEditInfo& from)
    : MyCtrl(panel ? panel->frame() : nullptr), MidiCtrl(this, panel ? panel->device() : nullptr, panel),
      info(from)
{
    init();
}

MidiPatchEdit::MidiPatchEdit(QWidget* parent, MidiDevice* device, const QString& banks)
    : MyCtrl(parent), MidiCtrl(this, device, nullptr)
{
    info.banks = banks;
    init();
}

MidiPatchEdit::~MidiPatchEdit() = default;

void MidiPatchEdit::init()
{
    setFocusPolicy(Qt::StrongFocus);
    // A channel-bound selector starts from bank 0/0: a program change alone
    // selects in it.
    const int start = info.param.hasChannel() ? 0 : -1;
    m_receivedMsb = m_receivedLsb = m_receivedProgram = start;
    // Without a device (a panel not attached to a window) the set stays empty.
    m_bankSet.load(device(), info.banks);
    updateDisplay();
}

// --- parameters ----------------------------------------------------------------

MidiParam MidiPatchEdit::msbParam() const
{
    return info.reverse ? info.param + 2 : MidiParam(info.param);
}

MidiParam MidiPatchEdit::lsbParam() const
{
    return info.param + 1;
}

MidiParam MidiPatchEdit::programParam() const
{
    return info.reverse ? MidiParam(info.param) : info.param + 2;
}

// --- the patch -------------------------------------------------------------------

void MidiPatchEdit::setPatch(Patch p)
{
    m_patch = p;
    QString tip;
    if (p.isValid()) {
        MidiDevice* dev = device();
        tip = dev ? dev->bankNumber(p.bank.word()) : p.bank.toString();
        if (!tip.isEmpty())
            tip += QLatin1Char(':');
        tip += p.printProgram(Patch::OneBasedGrouped);
    }
    asyncSetTip(tip);
    updateDisplay();
}

void MidiPatchEdit::changePatch(Patch p, bool notify)
{
    setPatch(p);
    updateSynth(notify);
}

bool MidiPatchEdit::isSendable() const
{
    if (info.param.hasAddress() && info.no_banks)
        return isDataByte(m_patch.program);
    return m_patch.isValid();
}

void MidiPatchEdit::updateSynth(bool notify)
{
    MidiDevice* dev = device();
    // Nothing to send for no patch: its -1 bytes are no data.
    if (!dev || !isSendable())
        return;
    // The windows told of a patch change may rebuild their panels, this
    // control with them.
    const QPointer<MidiPatchEdit> self(this);
    if (info.param.hasAddress()) {
        if (info.no_banks) {
            dev->paramChange(programParam(), m_patch.program);
            dev->paramRequest(programParam());
        } else {
            dev->paramChange(msbParam(), m_patch.bank.msb);
            dev->paramChange(lsbParam(), m_patch.bank.lsb);
            dev->paramChange(programParam(), m_patch.program);
            dev->paramRequest(msbParam());
            dev->paramRequest(lsbParam());
            dev->paramRequest(programParam());
        }
    } else if (info.param.hasChannel()) {
        dev->patchChange(m_patch, info.param.channel());
        if (notify)
            dev->OnPatchChange(m_patch, SourceGUI);
    } else if (panel()) {
        if (m_patchChangeEnabled)
            dev->patchChange(m_patch);
        if (notify)
            dev->OnPatchChange(m_patch, SourceGUI);
    }
    if (self)
        requestGroup();
}

void MidiPatchEdit::reloadBanks(const QString& name)
{
    m_bankSet.load(device(), name.isEmpty() ? info.banks : name);
    updateDisplay();
}

// --- requests and incoming messages ------------------------------------------

void MidiPatchEdit::MidiReceive()
{
    MidiDevice* dev = device();
    if (!dev || !info.param.hasAddress())
        return;
    if (!info.no_banks) {
        dev->paramRequest(msbParam());
        dev->paramRequest(lsbParam());
    }
    dev->paramRequest(programParam());
}

void MidiPatchEdit::OnSysex(Sysex* message)
{
    if (!message || !info.param.hasAddress())
        return;
    const int msb = message->getParameterData(msbParam());
    const int lsb = message->getParameterData(lsbParam());
    const int program = message->getParameterData(programParam());
    if (msb != -1)
        m_receivedMsb = msb;
    if (lsb != -1)
        m_receivedLsb = lsb;
    if (program != -1)
        m_receivedProgram = program;
    if (m_receivedMsb == -1 || m_receivedLsb == -1 || m_receivedProgram == -1)
        return;
    setPatch(Patch(m_receivedMsb, m_receivedLsb, m_receivedProgram));
    // Without change_on_byte the next patch again takes all three bytes.
    if (!info.change_on_byte)
        m_receivedMsb = m_receivedLsb = m_receivedProgram = -1;
}

void MidiPatchEdit::OnMidiMessage(const MidiMessage& message)
{
    if (!info.param.hasChannel())
        return;
    if (message.isControllerReset()) {
        m_patch = Patch();
        updateDisplay();
        return;
    }
    if (message.channel() != info.param.channel())
        return;
    if (message.isController() && message.data1 == 0)
        m_receivedMsb = message.data2;
    else if (message.isController() && message.data1 == 32)
        m_receivedLsb = message.data2;
    else if (message.isProgramChange())
        m_receivedProgram = message.data1;
    else
        return;
    if (m_receivedMsb != -1 && m_receivedLsb != -1 && m_receivedProgram != -1)
        setPatch(Patch(m_receivedMsb, m_receivedLsb, m_receivedProgram));
}

// --- text and drawing ------------------------------------------------------------

QString MidiPatchEdit::bankNameOf(unsigned short word) const
{
    MidiDevice* dev = device();
    return dev ? dev->bankName(word) : Bank(word).toString();
}

QString MidiPatchEdit::printPatch() const
{
    if (!m_patch.isValid())
        return QString();
    QString name;
    if (!info.no_names) {
        name = m_bankSet.patchName(m_patch);
        if (name.isEmpty())
            name = m_patch.printProgram(Patch::OneBasedGrouped);
    } else {
        name = m_patch.printProgram(info.numbers ? Patch::OneBased : Patch::Grouped);
    }
    return VarArgs::format("%s:%s", bankNameOf(m_patch.bank.word()), name);
}

void MidiPatchEdit::updateDisplay()
{
    const QString text = printPatch();
    setText(text);
    updateAccessibility(text);
}

QColor MidiPatchEdit::arrowColor(bool grayed, bool pressed) const
{
    return colorManager()->arrowColor(grayed, pressed);
}

void MidiPatchEdit::drawArrows(QPainter* p)
{
    const bool grayed = isGrayed();
    DrawArrow(p, QPoint(width() - 5, 3), arrowColor(grayed, m_pressedArrow == UpperArrow), false);
    DrawArrow(p, QPoint(width() - 5, height() - 4), arrowColor(grayed, m_pressedArrow == LowerArrow), true);
}

void MidiPatchEdit::paint(QPainter* p, const QRect& r)
{
    DrawBox(p, r);
    drawArrows(p);
    PrepareFont(p);
    ::DrawText(p, r.adjusted(3, 1, -8, -1), text(), false, 0);
}

// --- keys, wheel and mouse -------------------------------------------------------

void MidiPatchEdit::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers();
    if ((mods & Qt::AltModifier) && key == Qt::Key_Down) {
        dropDown(mods & Qt::ShiftModifier);
        event->accept();
        return;
    }
    if (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier)) {
        event->ignore();
        return;
    }
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        browse();
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_Plus:
        selectNextPatch();
        break;
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Minus:
        selectPrevPatch();
        break;
    case Qt::Key_Home:
        selectFirstPatchOfBank();
        break;
    case Qt::Key_End:
        selectLastPatchOfBank();
        break;
    case Qt::Key_PageDown:
        selectPatchOfNextBank();
        break;
    case Qt::Key_PageUp:
        selectPatchOfPrevBank();
        break;
    default:
        event->ignore();
        return;
    }
    event->accept();
}

void MidiPatchEdit::wheelEvent(QWheelEvent* event)
{
    setFocus(Qt::OtherFocusReason);
    const int delta = event->angleDelta().y();
    if (delta < 0)
        selectNextPatch();
    else if (delta > 0)
        selectPrevPatch();
    else
        event->ignore();
}

void MidiPatchEdit::mousePressEvent(QMouseEvent* event)
{
    switch (event->button()) {
    case Qt::LeftButton:
        arrowOrDropDown(event->position().toPoint(), event->modifiers() & Qt::ShiftModifier);
        break;
    case Qt::BackButton:
        selectPrevPatch();
        break;
    case Qt::ForwardButton:
        selectNextPatch();
        break;
    default:
        break;
    }
}

void MidiPatchEdit::mouseReleaseEvent(QMouseEvent*)
{
    // Released first: the step tells the device's windows, which may delete
    // the control.
    const int arrow = m_pressedArrow;
    m_pressedArrow = NoArrow;
    update();
    if (arrow == LowerArrow)
        selectNextPatch();
    else if (arrow == UpperArrow)
        selectPrevPatch();
}

void MidiPatchEdit::contextMenuEvent(QContextMenuEvent*)
{
    browse();
}

void MidiPatchEdit::arrowOrDropDown(const QPoint& pos, bool grouped)
{
    if (pos.x() >= width() - ArrowZone && pos.x() < width() && pos.y() >= 0 && pos.y() < height()) {
        m_pressedArrow = pos.y() <= height() / 2 ? UpperArrow : LowerArrow;
        update();
        return;
    }
    dropDown(grouped);
}

void MidiPatchEdit::dropDown(bool grouped)
{
    if (m_guard.isActive())
        return;
    const QPointer<MidiPatchEdit> self(this);
    const Patch picked = BankMenu::getPatch(this, m_bankSet, m_patch, grouped);
    // The menu ran its own event loop: the control may have gone meanwhile.
    if (!self)
        return;
    if (picked.isValid())
        changePatch(picked, true);
    if (self)
        m_guard.arm();
}

void MidiPatchEdit::browse()
{
    ParamSearchDlg dialog(this);
    RunDialog(&dialog);
}

// --- selection -------------------------------------------------------------------

void MidiPatchEdit::select(Patch p)
{
    // An empty bank set has no patch to step to; the shown one stays.
    if (p.isValid())
        changePatch(p, true);
}

void MidiPatchEdit::selectNextPatch()
{
    select(m_bankSet.nextPatch(m_patch));
}

void MidiPatchEdit::selectPrevPatch()
{
    select(m_bankSet.prevPatch(m_patch));
}

void MidiPatchEdit::selectFirstPatchOfBank()
{
    select(m_bankSet.firstPatchOfBank(m_patch.bank.word()));
}

void MidiPatchEdit::selectLastPatchOfBank()
{
    select(m_bankSet.lastPatchOfBank(m_patch.bank.word()));
}

void MidiPatchEdit::selectFirstPatch()
{
    select(m_bankSet.firstPatch());
}

void MidiPatchEdit::selectPatchOfNextBank()
{
    select(m_bankSet.patchOfNextBank(m_patch));
}

void MidiPatchEdit::selectPatchOfPrevBank()
{
    select(m_bankSet.patchOfPrevBank(m_patch));
}
