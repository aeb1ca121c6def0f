// A strip of tabs drawn by the control itself, for panels that show one of
// several groups of columns at a time.
//
// The strip asks four virtual hooks for its looks at every paint, so a
// derived class can take them from a colour scheme: tabItemFont,
// tabTextColor, backColor and tabColor, in that order. A click on a tab, or
// selectTab, makes it the selected tab and emits tabChanged(). The strip
// takes no keyboard focus. GUI thread only.
#pragma once

#include <QColor>
#include <QFont>
#include <QStringList>
#include <QWidget>

class TabCtrl : public QWidget
{
    Q_OBJECT

public:
    explicit TabCtrl(QWidget* parent = nullptr);
    ~TabCtrl() override;

    // Empties the strip: no tab and none selected. The first tab will start
    // x pixels from the left edge. expand: the tabs share the width right of
    // x evenly; otherwise each is as wide as its text needs.
    void init(int x, bool expand);

    // Inserts a tab before index (appends for an index past the end, puts
    // it first for one below 0). The selection stays on the same tab.
    // Returns the tab's index.
    int insertTab(int index, const QString& text);
    int count() const { return int(m_tabs.size()); }
    QString tabText(int index) const { return m_tabs.value(index); }

    // Selects the tab and emits tabChanged(), also when it was selected
    // already, so the owner can follow the selection it sets. An index that
    // is no tab changes nothing and emits nothing.
    void selectTab(int index);
    // The selected tab; -1 when none.
    int selectedTab() const { return m_selected; }

    // The tab's area in the strip; empty for an index that is no tab.
    QRect tabRect(int index) const;
    // The tab under a point of the strip; -1 when none.
    int tabAt(const QPoint& point) const;

signals:
    void tabChanged();

protected:
    // The looks. By default the widget's font and palette.
    virtual QFont tabItemFont() const;
    virtual QColor tabTextColor() const;
    virtual QColor backColor() const;
    virtual QColor tabColor() const;

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QStringList m_tabs;
    int m_indent = 0;
    bool m_expand = false;
    int m_selected = -1;
};
