// The pop-up menu from which the user picks one value of a parameter.
//
// Every value of the range becomes a checkable entry whose data is the value;
// the current value is checked, and so is every sub-menu on the way to it.
// With a device table, value v stands for table entry v (its index, not its
// value field), shown as the entry's text under the sub-menus its menu path
// names ("Reverb|Hall 1"); values outside the table show as numbers at the top
// level. A sub-menu takes at most 256 entries: the next entry with that path
// opens a second sub-menu of the same title after it. Every "&" of a text is
// doubled, so no character becomes a keyboard mnemonic.
//
// A range builds at most MaxEntries entries (see there). The menu runs through
// the prompts in force (RunPopupMenu), so a test answers it without a window.
// GUI thread only.
#pragma once

#include <QMenu>
#include <QPoint>
#include <QStringList>

#include <optional>

class DeviceTable;

class ParamMenu : public QMenu
{
public:
    // Entries of one sub-menu before a second one of the same title starts.
    static constexpr int MaxSubMenuEntries = 256;
    // Above this many entries the busy cursor shows while the menu is built.
    static constexpr int BusyEntries = 5000;
    // The most entries one menu builds: 8192, more than any table of the
    // instrument holds (the longest lists about 2000 entries) and than any
    // range its parameters offer as numbers. Wider ranges (a 3-byte parameter
    // spans two million values) show the 8192 values around the current one;
    // the parameter search dialog reaches the rest. Qt checks every action
    // added against those already in the menu, so building grows with the
    // square of the count: 8192 entries take about 75 ms, 16384 four times
    // as long, millions would take hours.
    static constexpr int MaxEntries = 8192;

    explicit ParamMenu(QWidget* parent = nullptr);
    ~ParamMenu() override;

    // Builds the menu for table (may be null), current, min and max, runs it at
    // pos (global coordinates) and gives the value picked. With a table, a max
    // of -1 means up to the table's last entry. Nothing when the user closed
    // the menu without a choice or the menu was empty: a value of -1 picked
    // from the range is a value like any other.
    static std::optional<int> getValue(QWidget* parent, const QPoint& pos, DeviceTable* table, int current,
                                       int min, int max);

    // Clears the menu and fills it with the values min to max (both included;
    // nothing when max <= min), at most MaxEntries of them.
    void init(DeviceTable* table, int current, int min, int max);

    // Adds value under menu along path (consumed: the elements are taken off
    // as the sub-menus are entered). Nothing for a null or empty path.
    static void appendItem(QMenu* menu, QStringList* path, int value, int current);

    // The range init builds for min..max around current: all of it when it
    // holds at most MaxEntries values, else the MaxEntries values around
    // current (from min when current is outside the range).
    static void entryWindow(int current, int min, int max, int& first, int& last);

private:
    struct SubMenuIndex;
    static void append(QMenu* menu, QStringList& path, int value, int current, SubMenuIndex* index);
};
