// The frame a panel is drawn on, and the caption bar at its top.
//
// MidiPanelCtrl is the widget every control and the caption of a panel are
// children of. A framed panel (vertical, with a caption) leaves the top 21
// rows to its caption, draws a separating line under them, the body in the
// Panel colour, and a short shaded band above the tab strip a tabbed panel
// keeps at its bottom (tabHeight rows, left unpainted). A flat panel (no
// caption, or horizontal) is one plain fill. Every message posted to a frame
// travels on to its parent widget, so messages from the rows of a tabbed
// panel reach the window.
//
// MidiCaptionCtrl shows the panel's title (its MyCtrl text). A click gives the
// panel's first control the keyboard focus; a double click and a context-menu
// request are reported to the panel's window (Panel::CaptionDoubleClickMessage,
// Panel::CaptionMenuMessage). On a vertical panel it is a gradient bar with
// etched text; on a horizontal one, where it heads a row, a flat cell that
// darkens under the mouse and fades while the panel is disabled.
//
// Neither takes the keyboard focus. GUI thread only.
#pragma once

#include "ColorManager.h"
#include "MyCtrl.h"

class AbstractPanel;

class MidiPanelCtrl : public MyCtrl, public Colored
{
    Q_OBJECT

public:
    // Without parent: the panel places it.
    MidiPanelCtrl();
    ~MidiPanelCtrl() override;

    int tabHeight() const { return m_tabHeight; }
    bool isFlat() const { return m_flat; }
    double opacity() const { return m_opacity; }
    // Each stores the value and repaints.
    void setTabHeight(int height);
    void setFlat(bool flat);
    void setOpacity(double opacity);

    void paint(QPainter* p, const QRect& r) override;
    // Posts the message on to the parent widget (none: nowhere), then handles
    // it as any control does.
    void onMessage(int id, const QVariant& data, const QVariant& source) override;

private:
    int m_tabHeight = 0; // rows of the tab strip at the bottom
    bool m_flat = false;
    double m_opacity = 1.0;
};

class MidiCaptionCtrl : public MyCtrl, public Colored
{
    Q_OBJECT

public:
    // A caption of the panel (a grid panel or a tabbed one), on the
    // panel's frame.
    explicit MidiCaptionCtrl(AbstractPanel* panel);
    // A caption on a plain widget: it has no panel and ignores the mouse.
    explicit MidiCaptionCtrl(QWidget* parent);
    ~MidiCaptionCtrl() override;

    AbstractPanel* panel() const { return m_panel; }

    // The width a caption bar across the top of a panel needs to show its
    // whole text: the indent, the text in the scheme's bold font, and as
    // much room again on the right as a panel leaves beside its cells.
    int barWidth() const;

    void paint(QPainter* p, const QRect& r) override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Posts a caption message to the panel's window.
    void report(int id);

    AbstractPanel* m_panel; // not owned; null on a plain widget
};
