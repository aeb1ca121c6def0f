// The envelope control: an envelope of the instrument (amplitude, filter,
// pitch) drawn as a chain of nodes joined by lines, each node placed right of
// the one before by its time and at the height of its level, with a legend of
// the named nodes' values below (none in the small look).
//
// The user drags a node (its time horizontally, its level vertically) or
// selects one with Space and steps it with the arrow keys. A drag sends each
// value that changed as a parameter change, without request, and asks for
// every value again when it ends; keys and paste send with a request. A drag
// starts only once every adjustable value has been received, so no value is
// ever derived from a missing one.
//
// Copy and Paste (context menu) go through an envelope clipboard shared by
// every envelope control of the program, apart from the system clipboard: one
// line "SHORT time level" per node with a short name; pasting matches the
// lines to nodes by short name and clamps each value into the node's own
// range. A value that was missing when copied (-1) is left as it is.
//
// Ranges the graph cannot be drawn with (a time max of 0, a first level range
// of less than two steps) are refused when the control is built: it then
// draws no graph and takes no drags, and says so once on the debug output.
// GUI thread only.
#pragma once

#include "CommonInfo.h"
#include "EgNode.h"
#include "MidiCtrl.h"
#include "MyCtrl.h"
#include "Pointer.h"

#include <QColor>

class MidiEgCtrl : public MyCtrl, public MidiCtrl
{
    Q_OBJECT

public:
    // Ids of the context menu's entries.
    enum MenuEntry
    {
        CopyEntry = 1,
        PasteEntry = 2
    };

    // A control of the panel, on its frame, bound to the device of its
    // client; its nodes are read with the iterator the element was read with.
    // (QFrame names a frame shape Panel, so the class is spelled ::Panel.)
    MidiEgCtrl(::Panel* panel, const EgInfo& info);
    ~MidiEgCtrl() override;

    int type() const override { return EgType; }
    CommonInfo* gInfo() override { return &info; }
    void onKey(int) override {}
    // Every value missing again.
    void resetValues() override;

    // Requests every value that has an address, one pause after each.
    void MidiReceive() override;
    // Takes every value the message carries (clamped).
    void OnSysex(Sysex* message) override;
    void OnMidiMessage(const MidiMessage&) override {}

    // Sends one value of node index (nothing without address, for a missing
    // value, or outside the list); with request it is requested back.
    void onTimeChanged(int index, int data, bool request);
    void onLevelChanged(int index, int data, bool request);

    void copy();
    void paste();
    void pasteNode(const QString& shortName, int time, int level);
    static QString clipboard() { return m_clipboard; }
    static void setClipboard(const QString& text) { m_clipboard = text; }

    // Where node index is drawn, in the control's coordinates.
    QPoint getDrawPoint(int index) const;
    // The node under p that can be dragged; -1 for none, and -1 for all while
    // a value is missing.
    int nodeOver(const QPoint& p);
    void stopDragging();
    bool isDragging() const { return m_dragging; }
    int selected() const { return m_selected; }
    // Whether the descriptor's ranges could be drawn (see above).
    bool isDrawable() const { return m_drawable; }

    void fixValues() { m_nodes.fixValues(); }
    bool allValid() const { return m_nodes.allValid(); }
    EgNodeList& nodes() { return m_nodes; }

    void paint(QPainter* p, const QRect& r) override;

    EgInfo info;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // The margins of the look: left (and top), horizontal, bottom band.
    int marginL() const { return info.small ? 3 : 6; }
    int marginR() const { return info.small ? 6 : 12; }
    int marginB() const { return info.small ? 4 : 51; }
    int segment() const;
    int graphBottom() const { return height() - marginB(); }
    int graphRight() const;
    // The y of a level value on the first level's scale.
    int levelY(int value, int min) const;

    void computeColors();
    void drawGraph(QPainter* p, const QRect& r);
    void drawLine(QPainter* p, int i);
    void drawNode(QPainter* p, int i);
    void drawIndex(QPainter* p, int i);
    void drawLegend(QPainter* p);
    void sendValue(const EgValue& value, int data, bool request);

    static QString m_clipboard;

    QColor m_textColor;
    QColor m_gridColor;
    QColor m_legendColor;
    QColor m_guideColor;
    QColor m_nodeColor;
    QColor m_panelColor;
    QColor m_selectColor;
    EgNodeList m_nodes;
    bool m_drawable = true;
    bool m_dragging = false;
    int m_selected = -1;
    ValueChanger m_timeChanger;
    ValueChanger m_levelChanger;
    PointerHold m_pointer; // hidden while a node is dragged
};
