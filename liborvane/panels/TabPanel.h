// A panel of an editor window that shows a table: one row per instance of a
// section (a zone, a part), a header row naming the columns above them, and
// a strip of column tabs below.
//
// Each row is a horizontal Panel built from one section with its own
// iterator and placed on this panel's frame; the rows, not the tabbed panel,
// register with the window's client, so MIDI reaches each row directly. The
// header row (Panel::loadAsHeader) copies the titles of the row chosen by
// addPanel's headerIndex and stays out of the client's list. The tab strip
// holds the tab names of the first row; choosing a tab shows, in the header
// and in every row, the cells of that tab and the cells that belong to no
// tab, and names the tab in the caption ("<title> - <tab>").
//
// To its window the tabbed panel is one more AbstractPanel: it tells whether
// it holds the focus, takes the Ctrl-key presses (processCtrlKey: digits
// pick a row, Up and Down move between rows keeping the column, Left,
// Right, Home and End move within the focused row) and takes the focus when
// Ctrl+Tab reaches it. Messages of its rows (panel selected, caption clicks)
// go to this panel's frame, which passes them on to the window.
//
// Geometry in frame pixels, from the margins (9, 9, 9, 18 as stored): the
// caption bar is 21 high, the header sits at y 30, the first row at y 51,
// each row takes its control height plus 2, and the frame ends 16 below the
// last row, or 34 with a tab strip (18 high, at the bottom; shown only for
// two tabs or more).
//
// The panel owns its rows (deleted by init and the destructor); the header
// and the strip are members. GUI thread only.
#pragma once

#include "MidiTabCtrl.h"
#include "Panel.h"

class TabPanel : public AbstractPanel
{
    Q_OBJECT

public:
    explicit TabPanel(MidiClient* client, QWidget* parent = nullptr);
    ~TabPanel() override;

    // Puts the frame on parent at pos, width wide, with a caption showing
    // title, the tab strip and the empty header; deletes the rows. The
    // internal name becomes "tab|" and the title.
    void init(QWidget* parent, const QString& title, QPoint pos, int width);
    // Adds a row loaded from section with the iterator and conditions, its
    // cells controlWidth x controlHeight behind a caption captionWidth wide.
    // The row at headerIndex names the header's columns and, through the
    // first row, the tabs. Returns the row.
    Panel* addPanel(const QString& section, int iterator, int controlWidth, int controlHeight,
                    int captionWidth, const QString& conditions, int headerIndex);
    // Leaves pixels more room before the next row.
    void addSep(int pixels);
    // Sizes the frame to its rows and puts the tab strip at its foot, shown
    // for two tabs or more. Nothing without rows.
    // Sizes the frame: as high as its rows and strip need, as wide as given
    // to init or, when more is needed, as wide as the widest tab's cells (and
    // the header's) or the tabs of the strip; rows and header are cut to the
    // frame's inner width.
    void fit();
    // The width that shows every tab's cells and every tab of the strip.
    int contentWidth() const;
    int calcHeight() const;

    // Selects tab index of the strip, which then follows it (onTabChanged);
    // an index that is no tab changes nothing.
    void selectTab(int tab);
    // The first row's tabs; 0 without rows.
    int tabCount() const;
    int panelCount() const { return int(m_rows.size()); }
    // Null out of range.
    Panel* panel(int index) const;
    // The first row holding the application's focus; -1 for none.
    int selectedPanel() const;
    // Focuses row index in the column of the focused control (column 0 when
    // no row has the focus). False out of range or when nothing in the row
    // takes the focus.
    bool selectPanel(int index);
    // The Ctrl-key moves (key: a Qt key code or character code; modifiers:
    // Qt::KeyboardModifiers). True when the key was handled.
    bool processCtrlKey(int key, int modifiers);

    QString panelTitle() const { return m_panelTitle; }
    Panel* headerPanel() { return &m_headerPanel; }
    MidiTabCtrl* tabStrip() { return &m_tabStrip; }
    int nextRowY() const { return m_nextRowY; }
    int rowX() const { return m_rowX; }

    // AbstractPanel
    bool isHorizontal() const override { return false; }
    // The first control from item on in row `row` that takes the focus;
    // -1 for a row out of range.
    int selectFirstItem(int item, int row) override;
    // The header and every row; the strip and the caption stay as they are.
    void setEnabled(bool on) override;
    bool hasFocus() const override { return selectedPanel() != -1; }
    void setFocus(int row) override { selectPanel(row); }

public slots:
    // Follows the strip's selected tab: caption and accessible texts, the
    // tab shown by the header and every row, and the focus back into the
    // focused row (the first row when none has it).
    void onTabChanged();

private:
    void deleteRows();

    MidiTabCtrl m_tabStrip;
    Panel m_headerPanel;
    VectorEx<Panel*> m_rows; // owned
    QString m_panelTitle;
    int m_nextRowY = 0; // y of the next row (or of the header)
    int m_rowX = 0;     // x of the header and of every row
};
