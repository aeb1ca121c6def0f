// The header row of a tabbed panel: a horizontal panel of labels naming the
// columns of a row below it.
//
// A row of a tabbed panel builds no caption labels of its own, so the tabbed
// panel fills one extra panel with a label over each item of a chosen row:
// the item's title, at the item's x and width, on the item's tab (so
// selecting a tab shows the headings of that tab's columns beside those of
// the tab-less ones). A header takes nothing else of the item: its labels
// are plain, untipped and never hidden by the item's own flags. It stays out
// of its client's panel list, so it neither hears MIDI nor requests values,
// until a section is loaded into it.
#include "Panel.h"

#include "MidiCtrl.h"

void Panel::loadAsHeader(Panel* owner)
{
    m_header = true;
    clear();
    const int count = owner && owner != this ? owner->itemCount() : 0;
    for (int i = 0; i < count; ++i) {
        const QWidget* column = owner->widgetAt(i);
        if (!column)
            continue;
        const CommonInfo* item = owner->itemAt(i)->gInfo();
        LabelInfo info;
        info.title = item->title;
        info.tab = item->tab;
        const int before = itemCount();
        CreateLabel(info);
        if (itemCount() == before)
            continue;
        // Over the item's column, whatever the header's own cell width; as
        // high as the header's cells, not the row's.
        lastControl()->setGeometry(column->x(), 0, column->width(), m_controlHeight);
    }
    fit();
}
