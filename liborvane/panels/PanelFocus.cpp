// The panel's selection, which is Qt's keyboard focus on one of its control
// widgets: moves of the focus in item order (down a column, then the next
// column; left to right in a row), the keys every control hears, and the
// message that tells the window which panel holds the focus.
//
// Every move gives the focus with Qt::OtherFocusReason. Hidden (by the tab
// rule or "hidden") and disabled (by the enabling rules) controls are passed
// over; labels never take the focus.
#include "EventMessage.h"
#include "MidiCtrl.h"
#include "Panel.h"

#include <QWidget>

bool Panel::isFocusable(int index) const
{
    const QWidget* w = widgetAt(index);
    return w && w->isVisible() && w->isEnabled() && w->focusPolicy() != Qt::NoFocus;
}

bool Panel::isNavigable(int index) const
{
    const MidiCtrl* item = itemAt(index);
    if (!item || item->type() == MidiCtrl::LabelType)
        return false;
    const QWidget* w = item->widget();
    return w && w->isVisible() && w->isEnabled();
}

int Panel::selectFirstItem(int start, int)
{
    const int count = itemCount();
    if (count == 0)
        return -1;
    // The walk counts the items it examines rather than waiting to come back
    // to where it began: a start past the last item (a tabbed panel moving
    // the focus from a longer row to a shorter one) never comes round again.
    int i = start < 0 ? 0 : start;
    if (i >= count)
        i = (i + 1) % count;
    for (int examined = 0; examined < count; ++examined, i = (i + 1) % count) {
        if (isFocusable(i)) {
            widgetAt(i)->setFocus(Qt::OtherFocusReason);
            return i;
        }
    }
    return -1;
}

void Panel::setFocus(int panelIndex)
{
    selectFirstItem(0, panelIndex);
}

int Panel::selectLastItem()
{
    for (int i = itemCount() - 1; i >= 0; --i) {
        if (isFocusable(i)) {
            widgetAt(i)->setFocus(Qt::OtherFocusReason);
            return i;
        }
    }
    return -1;
}

void Panel::nextControl(bool forward)
{
    const int current = selectedItemIndex();
    if (current == -1)
        return;
    const int step = forward ? 1 : -1;
    for (int i = current + step; i >= 0 && i < itemCount(); i += step) {
        if (isNavigable(i)) {
            widgetAt(i)->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

void Panel::onKey(int key)
{
    const int count = itemCount();
    const quint64 generation = m_itemsGeneration;
    for (int i = 0; i < count && m_itemsGeneration == generation; ++i) {
        if (MidiCtrl* item = itemAt(i))
            item->onKey(key);
    }
}

void Panel::onPanelSelected(bool selected)
{
    // Only the window the panel was placed in by init hears of it (a row of
    // a tabbed panel: the tabbed panel's frame, which passes it on); a panel
    // never placed posts nothing.
    if (m_parentWindow)
        PostMessage(m_parentWindow, PanelSelectedMessage, PointerToVar(this), selected);
}
