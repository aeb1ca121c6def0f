// The "Parameter Search" / "Patch Browser" dialog: a table of the choices of
// one thing that narrows as the user types a filter, with the row picked
// applied or returned.
//
// Four sources, one per constructor:
//   - a value control: the values of its items table that the parameter
//     accepts; choosing a row previews it on the control (sent to the
//     instrument), OK keeps it, Cancel puts the opening value back;
//   - a patch selector: the named patches of its bank set, previewed and kept
//     or undone in the same way;
//   - a library's patch groups, and a bank set: the named patches, returned
//     in selectedValue and selectedGroup; nothing is applied.
//
// The filter is rebuilt TypeAheadMs after the last keystroke. Its language:
// text without ':' searches the names (the part after a "Cat:" prefix), text
// before a ':' the categories, "cat:name" both; matching is a substring test
// that ignores case. Callers build the dialog on their stack, run exec() and
// destroy it; the sources, controls and device are theirs and outlive it.
// GUI thread only.
#pragma once

#include "Dialog.h"
#include "Patch.h"

#include <QList>
#include <QString>

class BankSet;
class ComboBox;
class DeviceTable;
class ListCtrl;
class MidiDevice;
class MidiEdit;
class MidiPatchEdit;
class PatchGroup;
class PatchGroupList;
class QTimer;

class ParamSearchDlg : public Dialog
{
    Q_OBJECT

public:
    // The quiet time after the last keystroke before the list is rebuilt.
    static constexpr int TypeAheadMs = 600;
    static constexpr quint32 NoValue = 0xFFFFFFFF;

    explicit ParamSearchDlg(MidiEdit* control);
    explicit ParamSearchDlg(MidiPatchEdit* control);
    ParamSearchDlg(MidiDevice* device, PatchGroupList* groups);
    ParamSearchDlg(MidiDevice* device, BankSet* banks);
    ~ParamSearchDlg() override;

    // The row last chosen as a patch (an unusable value gives the invalid
    // patch).
    Patch patch() const;
    // The item data of the row last chosen: a value's parameter data, a
    // packed patch, or for a row of a library group that is no bank group the
    // row within its group; NoValue when none was chosen.
    quint32 selectedValue = NoValue;
    // The bank or group name of the row last chosen; "" when none.
    QString selectedGroup;
    // In a library: the group of the row last chosen, and its type (3, a bank
    // group: selectedValue is a packed patch; 4, a type group: a row). Null
    // and -1 when none was chosen and in the other sources. A library may mix
    // both kinds, so the result is read by the chosen row's own group.
    PatchGroup* selectedPatchGroup() const;
    int selectedGroupType() const;

    // Splits a filter or an item text at ':'. Without ':' the whole text is
    // the name and category is left as it was; otherwise the category is the
    // text before the first ':' and the name the text up to the second ':'
    // (the rest is dropped).
    static void parseFilters(const QString& text, QString& category, QString& name);
    // The item passes the (lower-case) category and name filters: each is
    // empty or is found in the item's own part, ignoring case.
    static bool match(const QString& item, const QString& category, const QString& name);

    // Refills the list from the source with the filter applied, and adds the
    // filter box's text to its history.
    void loadFiltered(const QString& text);

    ListCtrl* list() const { return m_list; }
    ComboBox* filterBox() const { return m_filter; }
    QTimer* typeAheadTimer() const { return m_timer; }
    quint32 openingValue() const { return m_openingValue; }

public slots:
    void accept() override;
    void reject() override;

    // Restarts the type-ahead pause.
    void startTimer();
    // The pause is over: rebuilds the list from the filter box.
    void load();
    // The selection changed: a row chosen is taken and previewed.
    void onListItemChanged();
    // A double click on a row takes it and accepts.
    void onListDoubleClick();

private:
    void reset();
    void init();
    void setValueFromList();
    void loadParams(const QString& text, const QString& separator);
    void loadBanks(const QString& text);
    void loadGroups(const QString& text);
    // One row: the text's name part first, its category part under "Cat"
    // when the list has that column.
    int addListRow(const QString& text, bool withCategory);

    QTimer* m_timer = nullptr;
    PatchGroupList* m_groups = nullptr;
    BankSet* m_banks = nullptr;
    DeviceTable* m_items = nullptr;
    MidiEdit* m_edit = nullptr;
    MidiPatchEdit* m_patchEdit = nullptr;
    quint32 m_openingValue = NoValue;
    MidiDevice* m_device = nullptr;
    ListCtrl* m_list = nullptr;
    ComboBox* m_filter = nullptr;
    // The index in m_groups of each row's group (library source only).
    QList<int> m_rowGroups;
    int m_selectedGroupIndex = -1;
};
