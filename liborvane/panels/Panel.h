// A panel of parameter controls in an editor window, built from a section of
// the device's panel data.
//
// AbstractPanel is what every panel of a window shares (this grid panel and
// the tabbed panel of rows): the link to the window's client, the window that
// hears about selection and caption clicks, the colour scheme, the caption
// bar, the margins and the name the loaded section goes by. A panel is its
// own frame: the widget that is the panel on screen, on which the caption and
// every control are drawn.
//
// Panel lays its items (labels, separators and value controls, in cell
// order) out on a grid. A vertical panel (the default) stacks them in columns
// of rowsPerColumn cells; a horizontal one (a row of a tabbed panel) puts them
// side by side behind a caption at its left. Each item gets its rectangle when
// it is added and keeps it. The panel owns its items; clear() and the
// destructor delete them.
//
// Where the parts of a panel live: construction, grid, placement, sizes,
// queries, snapshot, teardown and visibility in Panel.cpp; reading a section
// of the panel data (the walk, captions, templates) in PanelXml.cpp; which
// class each control element builds in ControlFactory.cpp; MIDI routing,
// request groups, the iterator and the enabling rules in PanelWire.cpp;
// focus, keyboard navigation and keys in PanelFocus.cpp. Header rows build on
// these.
//
// Look-ups out of range give null or -1; nothing here reports an error but
// the section loader, which keeps what it refused (loadErrors). GUI thread
// only; no locks.
#pragma once

#include "CommonInfo.h"
#include "Containers.h"
#include "IMidiReceiver.h"
#include "MidiPanelCtrl.h"
#include "PanelIndex.h"

#include <QHash>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QStringList>

class ColorManager;
class MidiCheckBox;
class MidiClient;
class MidiCtrl;
class MidiDevice;
class MidiEdit;
class MidiPatchEdit;
class MidiRange;
class MidiString;
class MidiMessage;
class Sysex;
class XmlElement;

class AbstractPanel : public MidiPanelCtrl
{
    Q_OBJECT

public:
    // Messages posted to the panel's window, each with the panel as its first
    // value (PointerToVar).
    enum PanelMessage
    {
        PanelSelectedMessage = 4201,      // a control gained (true) or lost (false) the focus
        CaptionDoubleClickMessage = 4202, // the caption was double-clicked; second value 0
        CaptionMenuMessage = 4203         // a context menu was asked for on the caption; second value 0
    };

    // A null client marks a panel that is not attached to a client. The
    // frame starts as the empty rectangle at (0, 0).
    explicit AbstractPanel(MidiClient* client, QWidget* parent = nullptr);
    ~AbstractPanel() override;

    MidiClient* client() const { return m_client; }
    // The client while it exists, else null.
    MidiClient* liveClient() const;
    // The client's device; null without a client.
    MidiDevice* device() const;

    // 0: one row of cells (a row of a tabbed panel); 1: vertical, the default.
    virtual bool isHorizontal() const = 0;
    // Gives the focus to the first control from item on that takes it; its
    // index, or -1 when none does.
    virtual int selectFirstItem(int item, int second) = 0;
    // The panel-wide enabled flag (it greys; it disables no widget).
    virtual void setEnabled(bool on) = 0;
    // One of the panel's controls has the keyboard focus.
    virtual bool hasFocus() const = 0;
    virtual void setFocus(int panelIndex) = 0;
    using QWidget::setFocus;

    // The widget the panel's controls and caption are children of.
    QWidget* frame() { return this; }
    // The window that hears about selection and caption clicks: the parent
    // given to init, else the client's window; null for neither.
    QWidget* panelWindow() const;
    QWidget* parentWindow() const { return m_parentWindow; }
    MidiCaptionCtrl* caption() const { return m_caption; }

    // The panel's own colour scheme when it was given one, else its client's;
    // null for neither. The manager is not owned.
    ColorManager* colorManager() const;
    // A scheme of the panel's own (null: the client's again); the frame
    // paints with it at once, the controls made afterwards take it.
    void setColorManager(ColorManager* manager);

    // An argument of -1 leaves that margin; the top is stored one larger and
    // the bottom two larger than given.
    void setMargins(int left, int top, int right, int bottom);
    int marginLeft() const { return m_marginLeft; }
    int marginTop() const { return m_marginTop; }
    int marginRight() const { return m_marginRight; }
    int marginBottom() const { return m_marginBottom; }

    // The caption's text; "" without a caption.
    QString title() const;
    // The loaded section's key: "section|iterator", or with a base address
    // "scope|iterator|address" (six hex digits). A section window keeps its
    // window state under it.
    QString internalName() const { return m_internalName; }

protected:
    QWidget* m_parentWindow = nullptr;
    MidiCaptionCtrl* m_caption = nullptr; // a child of the frame
    QString m_internalName;

private:
    MidiClient* m_client;
    // Goes null when the client is destroyed, which may be before this panel.
    QPointer<QObject> m_clientToken;
    ColorManager* m_colors = nullptr;
    int m_marginLeft = 0;
    int m_marginTop = 0;
    int m_marginRight = 0;
    int m_marginBottom = 0;
};

class Panel : public AbstractPanel, public IMidiReceiver
{
    Q_OBJECT

public:
    // Defaults: vertical, cells of 90 x 19, margins (9, 8, 9, 10) as given to
    // setMargins, padding 8 x 2, caption width 23, no base address, no
    // iterator. The panel is not in its client's list until it is fitted.
    explicit Panel(MidiClient* client, QWidget* parent = nullptr);
    ~Panel() override;

    // Clears the panel, puts it on parent at pos, gives it the effective
    // colour scheme, a caption bar when asked (flat without), and fits it.
    void init(QWidget* parent, QPoint pos, bool withCaption);

    // --- settings (each stores its arguments; sizes act on the items placed
    //     afterwards and at the next fit) --------------------------------------
    void setPadding(int x, int y);
    void setControlSize(int width, int height);
    void setControlWidth(int width) { m_controlWidth = width; }
    void setControlHeight(int height) { m_controlHeight = height; }
    void setCaptionWidth(int width) { m_captionWidth = width; }
    void setBaseAddress(unsigned int address) { m_baseAddress = address; }
    // Set before init: a tabbed panel makes its rows horizontal (0).
    void setOrientation(int orientation) { m_orientation = orientation; }
    // The caption's text (when there is a caption), then the accessible texts.
    void setTitle(const QString& text);

    int controlWidth() const { return m_controlWidth; }
    int controlHeight() const { return m_controlHeight; }
    int captionWidth() const { return m_captionWidth; }
    int rowsPerColumn() const { return m_rowsPerColumn; }
    int paddingX() const { return m_paddingX; }
    int paddingY() const { return m_paddingY; }
    unsigned int baseAddress() const { return m_baseAddress; }
    int iterator() const { return m_iterator; }
    int currentTab() const { return m_currentTab; }
    bool isHeader() const { return m_header; }
    const Vector<QString>& tabNames() const { return m_tabNames; }

    // --- enabled flag ----------------------------------------------------------------
    // The enabled flag greys the panel's controls (MidiCtrl::isGrayed) and a
    // row's caption without disabling any widget: they still take the focus
    // and keys. A new state repaints the caption and every item; the same
    // state does nothing. (It stands in front of QWidget::setEnabled, which
    // still disables the panel's widget when called as such.)
    bool enabled() const { return m_enabled; }
    void setEnabled(bool on) override;
    // Schedules a repaint of the caption and of every item.
    void updateItems();

    // --- grid and layout --------------------------------------------------------------
    bool isVertical() const { return m_orientation == 1; }
    bool isHorizontal() const override { return m_orientation == 0; }
    // The rectangle of the item about to be appended, from the info's size,
    // span and offsets and the items before it (see Panel.cpp).
    QRect placeControl(const CommonInfo& info);
    // Sizes the frame, places the caption, and registers the panel with its
    // client (a header row never registers).
    void fit();
    int calcWidth() const;
    int calcHeight() const;
    // The widest item of column k (items that wrap left out); 0 for none.
    int columnWidth(int column) const;
    // Fixes the frame's minimum size at its current size.
    void setMinimumSize();
    using QWidget::setMinimumSize;

    // --- queries ------------------------------------------------------------------------
    int itemCount() const { return int(m_items.size()); }
    bool isEmpty() const { return m_items.isEmpty(); }
    int tabCount() const { return int(m_tabNames.size()); }
    // (itemCount - 1) / rowsPerColumn + 1: an empty panel has one column.
    int columnCount() const;
    // -1 outside the grid or past the last item.
    int cellIndex(int column, int row) const;
    MidiCtrl* itemAt(int index) const;
    QWidget* widgetAt(int index) const;
    MidiCtrl* itemAtCell(int column, int row) const;
    QWidget* widgetAtCell(int column, int row) const;
    // The last item's widget; null for an empty panel.
    QWidget* lastControl() const;
    // The first item from start on that is not a label, whose type is type
    // (-1: any) and whose title is title exactly ("&" marks included). Null
    // when none, and for a negative start.
    MidiCtrl* getItem(const QString& title, int type, int start) const;
    // The widget of getItem(title, type, start); the typed look-ups by which
    // the editors find their special controls, each from index start on.
    QWidget* getWidget(const QString& title, int type, int start) const;
    MidiEdit* getEdit(const QString& title, int start) const;
    MidiRange* getRange(const QString& title, int start) const;
    MidiString* getStringEdit(const QString& title, int start) const;
    MidiCheckBox* getCheckBox(const QString& title, int start) const;
    MidiPatchEdit* getPatchEdit(const QString& title, int start) const;
    // The index of the item whose widget has the application's focus; -1.
    int selectedItemIndex() const;
    bool hasFocus() const override { return selectedItemIndex() != -1; }
    // True for an index outside the items and for a label titled "" or " "
    // (the fillers and separators of the panel data).
    bool isSeparator(int index) const;

    // --- building ---------------------------------------------------------------------
    // Builds a label, except in a horizontal panel that is not a header row:
    // there only a separator (a label titled " ") is built.
    void CreateLabel(const LabelInfo& info);
    // Places and registers a newly built control, which the panel owns from
    // now on; a null control is ignored.
    void addControl(MidiCtrl* control);

    // --- the panel data (PanelXml.cpp) ---------------------------------------------
    // Clears the panel, loads the section named section with the iterator and
    // conditions, and fits the panel.
    void loadSection(const QString& section, int iterator, const QString& conditions = QString());
    // The same for the section below scope (a section named, else titled,
    // scope) whose attribute equals value. A scope the document lacks loads
    // nothing.
    void loadSubSection(const QString& scope, const QString& attribute, const QString& value, int iterator,
                        const QString& conditions = QString());
    // Resets the panel and loads the section found by scope, attribute and
    // value; nothing without a client, device or document.
    void loadXmlSection(const QString& scope, const QString& attribute, const QString& value, int iterator,
                        const QString& conditions);
    // Adds the cells of element and of its children (null: nothing). The
    // walk is counted first: past one of the limits below, it builds nothing
    // and removes every cell and tab instead.
    void loadXmlElement(const XmlElement* element, const QString& conditions);
    // What the last load refused, one text each (an include cycle, includes
    // nested too deep, a section past the limits below); empty after a clean
    // load.
    const QStringList& loadErrors() const { return m_loadErrors; }
    // A section whose walk, templates expanded, passes more elements than
    // this, nests them deeper or builds more cells builds nothing: no layout
    // comes near any of them, and templates including another one twice at
    // every level would grow without end. The count comes before any cell is
    // built, so such a section costs no more than walking to the limit.
    static constexpr int MaxSectionElements = 100000;
    static constexpr int MaxSectionDepth = 2000;
    static constexpr int MaxSectionCells = 20000;

    // --- value snapshot and teardown ---------------------------------------------
    // The values of the value controls in cell order (an edit or check one,
    // a range its high then its low value; -1 for none).
    QList<int> getValues() const;
    void checkPoint();
    bool isModified() const;
    const QList<int>& checkPointValues() const { return m_checkPointValues; }
    // Leaves the client's list and deletes every item. Client, iterator, tab
    // names, current tab and checkpoint stay.
    void clear();

    // --- visibility and accessible texts ------------------------------------------
    // Gives the caption the text, and the frame the text, or for a row of a
    // tabbed panel (horizontal, with iterator and caption) "<type> <n>" of the
    // section type and iterator + 1.
    void updateAccessibility(const QString& text);
    // Shows item index exactly when show is set, the item is not hidden and
    // it belongs to no tab, to every tab, or to the current one. index must
    // be valid.
    void showControl(int index, bool show);
    // Stores tab as the current tab (no range check) and applies the rule
    // above to every item. The focus does not move.
    void selectTab(int tab);
    // The name of tab index; "" out of range.
    QString tabName(int index) const;

    // --- MIDI traffic, request groups, iterator (PanelWire.cpp) ----------------------
    // Incoming system-exclusive messages reach the controls whose parameters
    // they can hold (an index from address to controls, see PanelIndex.h),
    // in cell order; short messages reach every control. Requests go out only
    // while the device is connected.
    //
    // A change the user made in an edit, check box or range (or a note an
    // edit or range learnt): valueChanged, before the change is sent. Values
    // taken from the instrument are not reported.
    void onValueChanged(MidiCtrl* ctrl, int value, int data);
    // Switches on or off every item of this panel whose "enable" names the
    // driver's title, by the driver's value (edits and check boxes only; a
    // driver without a title or a value changes nothing). A piece of the
    // item's "enable_values" that is no number matches no value.
    void changeEnabling(MidiCtrl* driver);
    // Has every control of the request group ask the instrument for its
    // values: -1 every control, 0 none, n the controls whose group is n.
    // Nothing without a client or while the device is not connected.
    virtual void requestGroup(int group);
    // Re-points the panel at another instance of its repeated block (an
    // element, key or part; -1 none): every control's iterator, and what
    // the panel data wrote with "xx" (addresses, bit fields, channels, a
    // check box's mixer part), of every kind of control. A parameter
    // addressed by its index under the panel's base address keeps its
    // address, which no iterator changes. Sends, requests and redraws
    // nothing: the caller asks for the new values.
    void setIter(int iterator);
    // Every control forgets the values it shows (edits, check boxes, ranges
    // and envelopes; names and patches keep theirs).
    void resetValues();
    // Gives the edit controls whose parameter is at address (base plus
    // offset) a new items table; other kinds keep theirs.
    virtual void setAddressItems(unsigned int address, const QString& items);
    // What the routing looks up, built on first use after the items or
    // their addresses changed.
    const PanelIndex& routingIndex() const;
    // The items or their addresses changed (loading, clear and setIter say
    // so themselves; code that re-addresses a control by hand must): the
    // index is rebuilt on its next use, and a pass over the items that is
    // under way stops.
    void itemsChanged();

    // --- focus and keys (PanelFocus.cpp) -------------------------------------------------
    // A control of the panel gained or lost the keyboard focus: tells the
    // window given to init (PanelSelectedMessage), after the current event;
    // nothing without one.
    void onPanelSelected(bool selected);
    // Focuses the first focusable item (shown, enabled, taking the focus)
    // from start on, wrapping once round the panel: its index, or -1 after
    // every item was examined once. A start past the last item begins the
    // walk after it, wrapped. The second argument names a row of a tabbed
    // panel; a panel ignores it.
    int selectFirstItem(int start, int second) override;
    // The first focusable item from the top.
    void setFocus(int panelIndex) override;
    // Focuses the last focusable item: its index, or -1.
    int selectLastItem();
    // Moves the focus to the next (forward) or previous control after the
    // focused one that is shown and enabled, labels left out; no wrap. Does
    // nothing when no control of the panel has the focus.
    void nextControl(bool forward);
    // Hands a key (a Qt key code without modifiers) to every control; check
    // boxes toggle on the key they name.
    void onKey(int key);
    // Fills this panel as the header of another; a header never registers.
    void loadAsHeader(Panel* owner);

    // IMidiReceiver
    // requestGroup(-1).
    void MidiReceive() override;
    void OnSysex(Sysex* message) override;
    void OnMidiMessage(const MidiMessage& message) override;

signals:
    void valueChanged(MidiCtrl* ctrl, int value, int data);

private:
    // The placement state the items added so far leave behind, so that
    // placing the next item does not walk the items before it again.
    struct Placement
    {
        QList<int> columnWidths;  // widest counted item of each column
        QList<int> columnStarts;  // sum of the widths of the columns before each
        int columnHeight = 0;     // heights of the current column's cells
        int rowAll = 0;           // a row's advance over every counted item
        QHash<int, int> rowByTab; // the same per tab of the items
    };

    void deleteItems();
    // The item is shown, enabled and takes the focus / is a shown, enabled
    // control that is not a label.
    bool isFocusable(int index) const;
    bool isNavigable(int index) const;
    void notePlaced(MidiCtrl* control, const QRect& rect);
    // The common step, caption label and kind of one element that passed its
    // condition (PanelXml.cpp).
    void loadCells(const XmlElement& element);
    // Adds to m_countedCells the cells loadCells would build for element,
    // building nothing.
    void countCells(const XmlElement& element);
    // One element of a walk and its children, depth elements below the
    // walk's start; nothing once the walk was stopped.
    void walkElement(const XmlElement* element, const QString& conditions, int depth);
    void loadInclude(const XmlElement& element, const QString& conditions, int depth);
    // Ends the walk with the reason; the walk then builds nothing.
    void stopLoad(const QString& reason);
    void loadCaption(const XmlElement& element, const CommonInfo& common);

    int m_controlWidth = 90;
    int m_controlHeight = 19;
    int m_orientation = 1;
    bool m_header = false;
    unsigned int m_baseAddress = 0xFFFFFFFF;
    int m_iterator = -1;
    int m_currentTab = -1;
    VectorEx<MidiCtrl*> m_items; // owned
    Vector<QString> m_tabNames;
    bool m_enabled = true;
    int m_captionWidth = 23;
    int m_rowsPerColumn = 24;
    int m_paddingX = 8;
    int m_paddingY = 2;
    QList<int> m_checkPointValues;
    Placement m_placement;
    // The section type of the last section read ("Part" when it names none);
    // only a panel with a caption keeps one.
    QString m_sectionType;
    QStringList m_loadErrors;
    // Templates being expanded, innermost last: an include of one of them
    // would expand without end.
    QList<const XmlElement*> m_includes;
    // Elements the current walk has passed, and whether a limit stopped it.
    int m_walkedElements = 0;
    bool m_loadStopped = false;
    // Set while the first walk of a load counts (and builds nothing); the
    // cells it has counted, those of the panel before the load included.
    bool m_walkCounting = false;
    int m_countedCells = 0;
    // Built by routingIndex() when m_indexed is false.
    mutable PanelIndex m_index;
    mutable bool m_indexed = false;
    // Counts changes of the items; a pass that calls into controls stops
    // when one of them changed the panel under it.
    quint64 m_itemsGeneration = 0;
};
