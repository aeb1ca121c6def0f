#include "Panel.h"

#include "ControlFactory.h"
#include "MidiCheckBox.h"
#include "MidiClient.h"
#include "MidiCtrl.h"
#include "MidiDevice.h"
#include "MidiEdit.h"
#include "MidiPatchEdit.h"
#include "MidiRange.h"
#include "MidiString.h"
#include "VarArgs.h"
#include "WindowState.h"

#include <QApplication>
#include <QLabel>

namespace {

// Rows of the caption bar across the top of a vertical panel.
constexpr int CaptionBarHeight = 21;
// Gap after each cell of a row (separators have none).
constexpr int RowGap = 2;

} // namespace

// --- AbstractPanel -------------------------------------------------------------------

AbstractPanel::AbstractPanel(MidiClient* client, QWidget* parent)
    : m_client(client), m_clientToken(client ? client->lifetimeToken() : nullptr)
{
    setParent(parent);
    setGeometry(QRect(0, 0, 0, 0));
    // The frame paints with the client's scheme from the start, as the
    // controls made on it do; init is not needed for that.
    if (ColorManager* colors = colorManager())
        Colored::setColorManager(colors);
}

AbstractPanel::~AbstractPanel() = default;

MidiClient* AbstractPanel::liveClient() const
{
    return m_clientToken ? m_client : nullptr;
}

MidiDevice* AbstractPanel::device() const
{
    MidiClient* client = liveClient();
    return client ? client->midiDevice() : nullptr;
}

QWidget* AbstractPanel::panelWindow() const
{
    if (m_parentWindow)
        return m_parentWindow;
    MidiClient* client = liveClient();
    return client ? client->clientWindow() : nullptr;
}

ColorManager* AbstractPanel::colorManager() const
{
    if (m_colors)
        return m_colors;
    MidiClient* client = liveClient();
    return client ? &client->colorManager() : nullptr;
}

void AbstractPanel::setColorManager(ColorManager* manager)
{
    m_colors = manager;
    Colored::setColorManager(colorManager());
}

void AbstractPanel::setMargins(int left, int top, int right, int bottom)
{
    if (left != -1)
        m_marginLeft = left;
    if (top != -1)
        m_marginTop = top + 1;
    if (right != -1)
        m_marginRight = right;
    if (bottom != -1)
        m_marginBottom = bottom + 2;
}

QString AbstractPanel::title() const
{
    return m_caption ? m_caption->text() : QString();
}

// --- Panel: construction and set-up ------------------------------------------------

Panel::Panel(MidiClient* client, QWidget* parent) : AbstractPanel(client, parent)
{
    setMargins(9, 8, 9, 10);
    setPadding(8, 2);
    setControlSize(90, 19);
}

Panel::~Panel()
{
    clear();
}

void Panel::init(QWidget* parent, QPoint pos, bool withCaption)
{
    clear();
    m_parentWindow = parent;
    setColorManager(nullptr);
    if (parent && parentWidget() != parent) {
        setParent(parent);
        show();
    }
    move(pos);
    // With neither an own scheme nor a client, the frame keeps its colours.
    ColorManager* colors = colorManager();
    setFlat(!withCaption);
    if (withCaption) {
        delete m_caption;
        m_caption = new MidiCaptionCtrl(this);
        m_caption->setColorManager(colors);
        m_caption->show();
        m_sectionType.clear();
    }
    fit();
}

void Panel::setPadding(int x, int y)
{
    m_paddingX = x;
    m_paddingY = y;
}

void Panel::setControlSize(int width, int height)
{
    m_controlWidth = width;
    m_controlHeight = height;
}

void Panel::setTitle(const QString& text)
{
    if (m_caption)
        m_caption->setText(text);
    updateAccessibility(text);
}

void Panel::setEnabled(bool on)
{
    if (on == m_enabled)
        return;
    m_enabled = on;
    updateItems();
}

void Panel::updateItems()
{
    if (m_caption)
        m_caption->update();
    const int count = itemCount();
    for (int i = 0; i < count; ++i) {
        if (QWidget* w = widgetAt(i))
            w->update();
    }
}

// --- Panel: grid and layout ----------------------------------------------------------

// Vertical: the cell's column starts right of the earlier columns (each as
// wide as its widest counted item, plus the gap), its row below the earlier
// cells of the column. Horizontal: right of every earlier item that takes
// room in the row: items of earlier tabs and hidden items take none, a
// separator adds its width without the gap. The sums come from what the
// earlier items left in m_placement when they were added, so placing an item
// does not read every item before it again.
QRect Panel::placeControl(const CommonInfo& info)
{
    const int n = itemCount();
    int x = 0;
    int y = 0;
    if (isHorizontal()) {
        x = m_captionWidth + RowGap;
        if (m_tabNames.isEmpty())
            x += m_placement.rowAll;
        else
            x += m_placement.rowByTab.value(-1) + m_placement.rowByTab.value(tabCount() - 1);
    } else {
        x = marginLeft();
        y = marginTop() + (m_caption ? CaptionBarHeight : 0);
        const int col = n / m_rowsPerColumn;
        const int row = n % m_rowsPerColumn;
        // Widths of the columns before col; the one col is about to start
        // has no entry yet.
        const Placement& p = m_placement;
        if (col < p.columnStarts.size())
            x += p.columnStarts.at(col);
        else if (!p.columnStarts.isEmpty())
            x += p.columnStarts.last() + p.columnWidths.last();
        x += col * m_paddingX;
        if (row > 0)
            y += m_placement.columnHeight + row * m_paddingY;
    }

    x += info.x;
    y += info.y;
    int width = info.width ? info.width : m_controlWidth;
    if (info.cols > 1)
        width = (width + m_paddingX) * info.cols - m_paddingX;
    const int height = info.height ? info.height : m_controlHeight;
    return QRect(x, y, width, height);
}

void Panel::notePlaced(MidiCtrl* control, const QRect& rect)
{
    const CommonInfo* info = control->gInfo();
    const int index = itemCount() - 1;
    const int col = index / m_rowsPerColumn;
    while (m_placement.columnWidths.size() <= col) {
        const int k = int(m_placement.columnWidths.size());
        m_placement.columnStarts.append(
            k ? m_placement.columnStarts.at(k - 1) + m_placement.columnWidths.at(k - 1) : 0);
        m_placement.columnWidths.append(0);
    }
    if (!info->wrap)
        m_placement.columnWidths[col] = qMax(m_placement.columnWidths[col], rect.width());
    if (index % m_rowsPerColumn == 0)
        m_placement.columnHeight = 0;
    m_placement.columnHeight += rect.height();

    if (control->widget() && !info->hidden) {
        const int advance = rect.width() + (isSeparator(index) ? 0 : RowGap);
        m_placement.rowAll += advance;
        m_placement.rowByTab[info->tab] += advance;
    }
}

int Panel::columnWidth(int column) const
{
    int widest = 0;
    const int first = column * m_rowsPerColumn;
    for (int i = first; i < first + m_rowsPerColumn && i < itemCount(); ++i) {
        MidiCtrl* item = itemAt(i);
        if (!item || !item->widget() || item->gInfo()->wrap)
            continue;
        widest = qMax(widest, item->widget()->width());
    }
    return widest;
}

int Panel::calcWidth() const
{
    // A row counts every item of every tab at the default width: coarse, but
    // what the tabbed panel sizes its rows by.
    if (isHorizontal())
        return itemCount() * m_controlWidth;
    int left = -1;
    int right = 0;
    const int count = itemCount();
    for (int i = 0; i < count; ++i) {
        const QWidget* w = widgetAt(i);
        if (!w)
            continue;
        const QRect g = w->geometry();
        if (left == -1 || g.x() < left)
            left = g.x();
        right = qMax(right, g.x() + g.width() - 1);
    }
    return right - left + marginLeft() + marginRight();
}

int Panel::calcHeight() const
{
    if (isHorizontal())
        return m_controlHeight;
    int tallest = 0;
    const int columns = columnCount();
    QList<int> heights;
    for (int c = 0; c < columns; ++c) {
        heights.clear();
        for (int r = 0; r < m_rowsPerColumn; ++r) {
            const QWidget* w = widgetAtCell(c, r);
            if (!w)
                break;
            heights.append(w->height() + m_paddingY);
        }
        // Separators at the foot of a column, and their gaps, take no height.
        for (int r = int(heights.size()) - 1; r >= 0 && isSeparator(cellIndex(c, r)); --r)
            heights[r] = 0;
        int sum = 0;
        for (int h : heights)
            sum += h;
        tallest = qMax(tallest, sum - m_paddingY);
    }
    return tallest + marginTop() + marginBottom() + (m_caption ? CaptionBarHeight : 0);
}

void Panel::fit()
{
    // A caption bar wider than the cells widens the panel: its title stays
    // whole.
    int frameWidth = calcWidth();
    if (m_caption && isVertical())
        frameWidth = qMax(frameWidth, m_caption->barWidth());
    resize(frameWidth, calcHeight());
    if (m_caption) {
        if (isVertical())
            m_caption->setGeometry(0, 0, width(), CaptionBarHeight);
        else
            m_caption->setGeometry(0, 0, m_captionWidth, m_controlHeight);
    }
    if (isHorizontal())
        setFlat(true);
    if (m_header) {
        if (m_caption)
            m_caption->hide();
    } else if (MidiClient* client = liveClient()) {
        client->addPanel(this);
    }
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void Panel::setMinimumSize()
{
    setMinimumHeight(height());
    setMinimumWidth(width());
}

// --- Panel: queries ------------------------------------------------------------------

int Panel::columnCount() const
{
    return (itemCount() - 1) / m_rowsPerColumn + 1;
}

int Panel::cellIndex(int column, int row) const
{
    if (column < 0 || column >= columnCount() || row < 0 || row >= m_rowsPerColumn)
        return -1;
    const int index = column * m_rowsPerColumn + row;
    return index < itemCount() ? index : -1;
}

MidiCtrl* Panel::itemAt(int index) const
{
    return index >= 0 && index < itemCount() ? m_items.at(index) : nullptr;
}

QWidget* Panel::widgetAt(int index) const
{
    MidiCtrl* item = itemAt(index);
    return item ? item->widget() : nullptr;
}

MidiCtrl* Panel::itemAtCell(int column, int row) const
{
    return itemAt(cellIndex(column, row));
}

QWidget* Panel::widgetAtCell(int column, int row) const
{
    return widgetAt(cellIndex(column, row));
}

QWidget* Panel::lastControl() const
{
    return widgetAt(itemCount() - 1);
}

MidiCtrl* Panel::getItem(const QString& title, int type, int start) const
{
    if (start < 0)
        return nullptr;
    const int count = itemCount();
    for (int i = start; i < count; ++i) {
        MidiCtrl* item = m_items.at(i);
        if (!item || item->type() == MidiCtrl::LabelType)
            continue;
        if (type != -1 && item->type() != type)
            continue;
        if (item->gInfo()->title == title)
            return item;
    }
    return nullptr;
}

QWidget* Panel::getWidget(const QString& title, int type, int start) const
{
    MidiCtrl* item = getItem(title, type, start);
    return item ? item->widget() : nullptr;
}

MidiEdit* Panel::getEdit(const QString& title, int start) const
{
    return dynamic_cast<MidiEdit*>(getItem(title, MidiCtrl::EditType, start));
}

MidiRange* Panel::getRange(const QString& title, int start) const
{
    return dynamic_cast<MidiRange*>(getItem(title, MidiCtrl::RangeType, start));
}

MidiString* Panel::getStringEdit(const QString& title, int start) const
{
    return dynamic_cast<MidiString*>(getItem(title, MidiCtrl::StringType, start));
}

MidiCheckBox* Panel::getCheckBox(const QString& title, int start) const
{
    return dynamic_cast<MidiCheckBox*>(getItem(title, MidiCtrl::CheckType, start));
}

MidiPatchEdit* Panel::getPatchEdit(const QString& title, int start) const
{
    return dynamic_cast<MidiPatchEdit*>(getItem(title, MidiCtrl::PatchEditType, start));
}

int Panel::selectedItemIndex() const
{
    const QWidget* focus = QApplication::focusWidget();
    if (!focus)
        return -1;
    const int count = itemCount();
    for (int i = 0; i < count; ++i) {
        if (widgetAt(i) == focus)
            return i;
    }
    return -1;
}

bool Panel::isSeparator(int index) const
{
    MidiCtrl* item = itemAt(index);
    if (!item)
        return true;
    if (item->type() != MidiCtrl::LabelType)
        return false;
    const QString& title = item->gInfo()->title;
    return title.isEmpty() || title == QLatin1String(" ");
}

// --- Panel: building -----------------------------------------------------------------

void Panel::CreateLabel(const LabelInfo& info)
{
    // A row of a tabbed panel shows no texts of its own: the header row above
    // it names the columns. Only its separators take room.
    if (isHorizontal() && !m_header && info.title != QLatin1String(" "))
        return;
    addControl(ControlFactory::create(this, QStringLiteral("label"), info));
}

void Panel::addControl(MidiCtrl* control)
{
    if (!control)
        return;
    QWidget* w = control->widget();
    const CommonInfo* info = control->gInfo();
    // Never shown before it is placed.
    w->setVisible(false);
    w->setAttribute(Qt::WA_MacShowFocusRect, false);
    const QRect rect = placeControl(*info);
    w->setGeometry(rect);
    if (info->key.isEmpty())
        w->setToolTip(info->tip);
    else
        w->setToolTip(VarArgs::format(QStringLiteral("%s (%s)"), info->title, info->key));

    m_items.append(control);
    itemsChanged();
    notePlaced(control, rect);
    control->updateAccessibility(QString());

    // A caption such as "&Number" just before the control hands it the
    // keyboard focus; a plain label between the two does not stop that.
    const int index = itemCount() - 1;
    if (control->type() != MidiCtrl::LabelType) {
        for (int i = index - 1; i >= index - 2 && i >= 0; --i) {
            MidiCtrl* before = m_items.at(i);
            if (!before || before->type() != MidiCtrl::LabelType ||
                !before->gInfo()->title.contains(QLatin1Char('&')))
                continue;
            if (auto* label = qobject_cast<QLabel*>(before->widget()))
                label->setBuddy(w);
            break;
        }
    }
    if (!info->hidden)
        w->setVisible(true);
}

// --- Panel: value snapshot and teardown ------------------------------------------

QList<int> Panel::getValues() const
{
    QList<int> values;
    const int count = itemCount();
    for (int i = 0; i < count; ++i) {
        if (MidiCtrl* item = m_items.at(i))
            values += ControlFactory::snapshotValues(item);
    }
    return values;
}

void Panel::checkPoint()
{
    m_checkPointValues = getValues();
}

bool Panel::isModified() const
{
    return getValues() != m_checkPointValues;
}

void Panel::clear()
{
    if (MidiClient* client = liveClient())
        client->removePanel(this);
    deleteItems();
}

void Panel::deleteItems()
{
    // A control's destructor may run code that looks at the list (a focus
    // report, for one): its entry is gone before it is deleted, and the count
    // is read again for every index.
    for (int i = 0; i < m_items.size(); ++i) {
        MidiCtrl* item = m_items.at(i);
        if (!item)
            continue;
        m_items[i] = nullptr;
        delete item;
    }
    m_items.clear();
    m_placement = Placement();
    itemsChanged();
}

// --- Panel: visibility and accessible texts ------------------------------------

void Panel::updateAccessibility(const QString& text)
{
    QString frameText = text;
    if (m_caption) {
        SetAccessibleText(m_caption, text);
        // A row of a tabbed panel is announced by its unit and number, such
        // as "Part 3", its caption by the row's own title.
        if (isHorizontal() && m_iterator != -1)
            frameText = VarArgs::format(QStringLiteral("%s %d"), m_sectionType, m_iterator + 1);
    }
    SetAccessibleText(frame(), frameText);
}

void Panel::showControl(int index, bool show)
{
    MidiCtrl* item = itemAt(index);
    if (!item || !item->widget())
        return;
    const CommonInfo* info = item->gInfo();
    const bool onTab = m_currentTab == -1 || info->tab == -1 || info->tab == m_currentTab;
    item->widget()->setVisible(show && !info->hidden && onTab);
}

void Panel::selectTab(int tab)
{
    m_currentTab = tab;
    const int count = itemCount();
    for (int i = 0; i < count; ++i)
        showControl(i, true);
}

QString Panel::tabName(int index) const
{
    return m_tabNames.value(index);
}

