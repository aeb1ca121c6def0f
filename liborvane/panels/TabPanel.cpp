#include "TabPanel.h"

#include "MidiClient.h"
#include "MidiCtrl.h"
#include "VarArgs.h"
#include "WindowState.h"

namespace {

constexpr int CaptionHeight = 21;
constexpr int HeaderHeight = 21;
constexpr int TabStripHeight = 18;
// Height of the frame until fit gives it its real one.
constexpr int ProvisionalHeight = 121;
// Space under each row.
constexpr int RowGap = 2;

} // namespace

TabPanel::TabPanel(MidiClient* client, QWidget* parent) : AbstractPanel(client, parent), m_headerPanel(client)
{
    setMargins(9, 8, 9, 16);
}

TabPanel::~TabPanel()
{
    deleteRows();
}

void TabPanel::deleteRows()
{
    // Each row leaves the client's list as it goes.
    const QList<Panel*> rows = m_rows;
    m_rows.clear();
    qDeleteAll(rows);
}

void TabPanel::init(QWidget* parent, const QString& title, QPoint pos, int width)
{
    m_parentWindow = parent;
    m_panelTitle = title;
    m_internalName = QStringLiteral("tab|") + title;
    deleteRows();
    m_rowX = marginLeft();
    m_nextRowY = marginTop() + CaptionHeight;

    if (parent && parentWidget() != parent) {
        setParent(parent);
        show();
    }
    ColorManager* colors = colorManager();
    Colored::setColorManager(colors);
    setGeometry(pos.x(), pos.y(), width, ProvisionalHeight);

    delete m_caption;
    m_caption = new MidiCaptionCtrl(this);
    m_caption->setColorManager(colors);
    m_caption->setGeometry(0, 0, width, CaptionHeight);
    m_caption->setText(m_panelTitle);
    m_caption->show();

    m_tabStrip.setParent(this);
    m_tabStrip.setColorManager(colors);
    m_tabStrip.setGeometry(0, CaptionHeight, width, TabStripHeight);
    m_tabStrip.show();
    connect(&m_tabStrip, &TabCtrl::tabChanged, this, &TabPanel::onTabChanged, Qt::UniqueConnection);

    m_headerPanel.setOrientation(0);
    m_headerPanel.init(this, QPoint(m_rowX, m_nextRowY), true);
    m_nextRowY += HeaderHeight;
}

Panel* TabPanel::addPanel(const QString& section, int iterator, int controlWidth, int controlHeight,
                          int captionWidth, const QString& conditions, int headerIndex)
{
    auto* row = new Panel(liveClient());
    m_rows.append(row);
    row->setOrientation(0);
    row->setControlSize(controlWidth, controlHeight);
    row->setCaptionWidth(captionWidth);
    row->init(this, QPoint(m_rowX, m_nextRowY), true);
    row->loadSection(section, iterator, conditions);

    if (panelCount() == headerIndex + 1) {
        m_headerPanel.loadAsHeader(m_rows.at(headerIndex));
        // The tabs start over the first column that belongs to a tab.
        Panel* first = m_rows.first();
        int indent = 0;
        const int count = first->itemCount();
        for (int i = 0; i < count; ++i) {
            MidiCtrl* item = first->itemAt(i);
            if (item && item->gInfo()->tab != -1 && item->widget()) {
                indent = item->widget()->x() + m_rowX;
                break;
            }
        }
        m_tabStrip.init(indent, false);
        for (int t = 0; t < first->tabCount(); ++t)
            m_tabStrip.insertTab(t, first->tabName(t));
    }
    m_nextRowY += controlHeight + RowGap;
    return row;
}

void TabPanel::addSep(int pixels)
{
    m_nextRowY += pixels;
}

int TabPanel::calcHeight() const
{
    // The gap under the last row goes; a tab strip takes its place and more.
    return m_nextRowY + marginBottom() + (tabCount() >= 2 ? TabStripHeight : 0) - RowGap;
}

namespace {

// Right of the rightmost cell the row can show, on any of its tabs.
int rowRight(const Panel& row)
{
    int right = 0;
    const int count = row.itemCount();
    for (int i = 0; i < count; ++i) {
        MidiCtrl* item = row.itemAt(i);
        const QWidget* w = row.widgetAt(i);
        if (item && w && !item->gInfo()->hidden)
            right = qMax(right, w->x() + w->width());
    }
    return right;
}

} // namespace

int TabPanel::contentWidth() const
{
    int right = rowRight(m_headerPanel);
    for (const Panel* row : m_rows)
        right = qMax(right, rowRight(*row));
    int width = m_rowX + right + marginRight();
    if (tabCount() >= 2 && m_tabStrip.count() > 0)
        width = qMax(width, m_tabStrip.tabRect(m_tabStrip.count() - 1).right() + 1);
    return width;
}

void TabPanel::fit()
{
    if (m_rows.isEmpty())
        return;
    const bool tabs = tabCount() >= 2;
    m_tabStrip.setVisible(tabs);
    setTabHeight(tabs ? TabStripHeight : 0);
    // The width given to init, unless a tab's cells or the tabs themselves
    // need more: a column or a tab past the edge could not be reached.
    resize(qMax(width(), contentWidth()), calcHeight());
    m_tabStrip.setGeometry(0, height() - TabStripHeight, width(), TabStripHeight);
    if (m_caption)
        m_caption->setGeometry(0, 0, width(), CaptionHeight);
    // The rows and the header end at the frame's inner edge: their own
    // width counts every cell of every tab side by side.
    const int rowWidth = width() - m_rowX - marginRight();
    m_headerPanel.resize(rowWidth, m_headerPanel.height());
    for (Panel* row : std::as_const(m_rows))
        row->resize(rowWidth, row->height());
}

void TabPanel::selectTab(int tab)
{
    m_tabStrip.selectTab(tab);
}

int TabPanel::tabCount() const
{
    return m_rows.isEmpty() ? 0 : m_rows.first()->tabCount();
}

Panel* TabPanel::panel(int index) const
{
    return index >= 0 && index < panelCount() ? m_rows.at(index) : nullptr;
}

int TabPanel::selectedPanel() const
{
    const int count = panelCount();
    for (int i = 0; i < count; ++i) {
        if (m_rows.at(i)->selectedItemIndex() != -1)
            return i;
    }
    return -1;
}

bool TabPanel::selectPanel(int index)
{
    Panel* target = panel(index);
    if (!target)
        return false;
    const int focused = selectedPanel();
    const int column = focused == -1 ? 0 : m_rows.at(focused)->selectedItemIndex();
    return target->selectFirstItem(column, 0) != -1;
}

bool TabPanel::processCtrlKey(int key, int modifiers)
{
    const int focused = selectedPanel();
    Panel* row = panel(focused);
    int target = 0;
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        // "1" is the first row, "9" the ninth, "0" the tenth; Shift adds ten.
        target = (key - 0x27) % 10;
        if (modifiers & Qt::ShiftModifier)
            target += 10;
    } else if (key == Qt::Key_Up) {
        target = focused - 1;
    } else if (key == Qt::Key_Down) {
        target = focused + 1;
    } else if (key == Qt::Key_Left || key == Qt::Key_Right) {
        if (!row)
            return false;
        row->nextControl(key == Qt::Key_Right);
        return true;
    } else if (key == Qt::Key_Home) {
        if (!row)
            return false;
        row->selectFirstItem(0, 0);
        return true;
    } else if (key == Qt::Key_End) {
        if (!row)
            return false;
        row->selectLastItem();
        return true;
    } else {
        return false;
    }
    // Up from the first row (or with no row focused) lands on the first row;
    // a row past the last is no row and leaves the key unhandled.
    return selectPanel(qBound(0, target, panelCount()));
}

int TabPanel::selectFirstItem(int item, int row)
{
    Panel* target = panel(row);
    return target ? target->selectFirstItem(item, 0) : -1;
}

void TabPanel::setEnabled(bool on)
{
    m_headerPanel.setEnabled(on);
    for (Panel* row : std::as_const(m_rows))
        row->setEnabled(on);
}

void TabPanel::onTabChanged()
{
    const int tab = m_tabStrip.selectedTab();
    // Taken before the tab's cells are shown: hiding the focused control of
    // the old tab hands Qt's focus on to whichever control follows, often in
    // the next row.
    const int focused = selectedPanel();
    // The strip keeps its tabs across a second init until the header row is
    // added again; without rows it names its own tab, and there is no row to
    // show or to focus.
    const QString name = m_rows.isEmpty() ? m_tabStrip.tabText(tab) : m_rows.first()->tabName(tab);
    const QString text = VarArgs::format(QStringLiteral("%s - %s"), m_panelTitle, name);
    if (m_caption) {
        m_caption->setText(text);
        SetAccessibleText(m_caption, text);
    }
    SetAccessibleText(this, text);
    m_headerPanel.updateAccessibility(text);

    m_headerPanel.selectTab(tab);
    for (Panel* row : std::as_const(m_rows))
        row->selectTab(tab);

    if (m_rows.isEmpty())
        return;
    m_rows.at(focused == -1 ? 0 : focused)->selectFirstItem(0, 0);
}
