#include "TabCtrl.h"

#include "Colors.h"
#include "Drawing.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {
// Room left and right of a tab's text.
constexpr int TabPadding = 10;
} // namespace

TabCtrl::TabCtrl(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

TabCtrl::~TabCtrl() = default;

void TabCtrl::init(int x, bool expand)
{
    m_tabs.clear();
    m_indent = std::max(0, x);
    m_expand = expand;
    m_selected = -1;
    update();
}

int TabCtrl::insertTab(int index, const QString& text)
{
    index = std::clamp(index, 0, count());
    m_tabs.insert(index, text);
    if (m_selected >= index)
        ++m_selected;
    update();
    return index;
}

void TabCtrl::selectTab(int index)
{
    if (index < 0 || index >= count())
        return;
    m_selected = index;
    update();
    emit tabChanged();
}

QRect TabCtrl::tabRect(int index) const
{
    if (index < 0 || index >= count())
        return QRect();
    int x = m_indent;
    if (m_expand) {
        const int room = std::max(0, width() - m_indent);
        const int left = m_indent + room * index / count();
        const int right = m_indent + room * (index + 1) / count();
        return QRect(left, 0, right - left, height());
    }
    const QFontMetrics metrics(tabItemFont());
    for (int i = 0;; ++i) {
        const int w = metrics.horizontalAdvance(m_tabs[i]) + 2 * TabPadding;
        if (i == index)
            return QRect(x, 0, w, height());
        x += w;
    }
}

int TabCtrl::tabAt(const QPoint& point) const
{
    for (int i = 0; i < count(); ++i) {
        if (tabRect(i).contains(point))
            return i;
    }
    return -1;
}

QFont TabCtrl::tabItemFont() const
{
    return font();
}

QColor TabCtrl::tabTextColor() const
{
    return palette().color(QPalette::ButtonText);
}

QColor TabCtrl::backColor() const
{
    return palette().color(QPalette::Window);
}

QColor TabCtrl::tabColor() const
{
    return palette().color(QPalette::Button);
}

void TabCtrl::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QColor back = backColor();
    const QColor face = tabColor();
    FillRect(&p, rect(), back);
    p.setFont(tabItemFont());
    const QColor line = GetColor(face, 0, 0.6);
    for (int i = 0; i < count(); ++i) {
        const QRect r = tabRect(i).adjusted(0, 0, -1, -1);
        const bool selected = i == m_selected;
        // The selected tab joins the strip's top edge; the others sit lower
        // and darker, behind it.
        const QRect tab = selected ? r : r.adjusted(0, 0, 0, -2);
        FillGradient(&p, tab, selected ? face : MergeColors(face, back, 0.45),
                     GetColor(selected ? face : MergeColors(face, back, 0.45), 0, 0.9), true, -1);
        DrawVLine(&p, tab.left(), tab.top(), tab.bottom() - 1, line);
        DrawVLine(&p, tab.right(), tab.top(), tab.bottom() - 1, line);
        DrawHLine(&p, tab.bottom(), tab.left() + 1, tab.right() - 1, line);
        p.setPen(selected ? tabTextColor() : MergeColors(tabTextColor(), back, 0.35));
        DrawText(&p, tab.adjusted(2, 0, -2, 0), m_tabs[i], true, 0);
    }
}

void TabCtrl::mousePressEvent(QMouseEvent* event)
{
    const int tab = tabAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && tab >= 0 && tab != m_selected)
        selectTab(tab);
    QWidget::mousePressEvent(event);
}
