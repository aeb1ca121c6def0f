#include "MidiButton.h"

#include "MidiDevice.h"
#include "MidiEdit.h"
#include "Panel.h"
#include "SectionWindow.h"

#include <QKeyEvent>

MidiButton::MidiButton(Panel* panel, const ButtonInfo& descriptor)
    : MyButton(panel ? panel->frame() : nullptr), MidiCtrl(this, panel ? panel->device() : nullptr, panel),
      info(descriptor)
{
    setText(info.title);
    setOption(DefaultOnEnter, false);
    setOption(HoverFace, false);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    // The panel places elements in their order and gives a button no title
    // cell: its last cell is the element written just before the button.
    if (info.hasSubSection() && panel && panel->itemCount() > 0)
        m_linkedEdit = qobject_cast<MidiEdit*>(panel->widgetAt(panel->itemCount() - 1));
}

MidiButton::~MidiButton() = default;

void MidiButton::onClicked()
{
    if (!info.hasSection()) {
        if (!info.sysex.isEmpty() && device())
            device()->sendSysex(info.sysex);
        return;
    }
    if (m_linkedEdit) {
        m_linkedEdit->raiseSectionWindow();
        m_sectionWindow = m_linkedEdit->panelDlg();
        return;
    }
    if (m_sectionWindow && m_sectionWindow->isVisible()) {
        m_sectionWindow->activateWindow();
        return;
    }
    // Closed by the user: a new window loads the section afresh.
    delete m_sectionWindow.data();
    m_sectionWindow = OpenSectionWindow(panel(), info, 0xFFFFFFFF);
}

void MidiButton::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
        event->ignore();
        return;
    default:
        MyButton::keyPressEvent(event);
    }
}

void MidiButton::paint(QPainter* p, const QRect& r)
{
    PrepareFont(p);
    ColorManager* colors = colorManager();
    drawAeroButton(p, r, colors->getColor(ButtonFaceColor));
    drawButtonText(p, r, colors->getColor(ButtonTextColor));
}
