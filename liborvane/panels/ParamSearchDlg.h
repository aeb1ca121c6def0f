// The modal search dialog that lists the choices of one thing, narrows them
// as the user types a filter, and applies or returns the row picked.
//
// Four sources, one per constructor:
//   - a value control's items table ("Parameter Search", or "<title>
//     Parameters"): one row per table value the parameter accepts, its text
//     split into name and, when the control names a category separator,
//     category, and the value as the MIDI bytes sent; its item data is the
//     parameter data. Moving through the list sets the value on the control
//     (sent to the instrument); OK keeps it; Cancel sets the value the
//     control had at opening again (none: nothing is sent).
//   - a patch selector's bank set ("Patch Browser", with a live preview on the
//     selector) and a bare bank set (no control: the caller reads the row
//     picked). Every named patch of the set is one row: name, category,
//     program number ("001 (A01)") and bank; its item data is the packed
//     patch.
//   - a library's patch groups ("Patch Browser", no control): every named
//     patch of every group, with its program number ("001 (A01)" in a bank
//     group, "1" in a type group) and group. Its item data is the packed
//     patch in a bank group, the row in any other group; a library may hold
//     both kinds, so the caller reads the value by the chosen row's own group
//     (selectedGroupType).
//
// The filter: text before a ':' searches the category part of the names
// (before their first ':'), text after it (up to a second ':') the name part;
// without ':' only the names are searched. Matching is a case-blind substring
// test; an empty filter or a lone ':' lists everything. The list is rebuilt
// 600 ms after the last keystroke.
//
// With a selector, moving through the list shows each patch on it and sends
// it without telling the device's windows; OK sends the chosen patch once
// more and tells them; Cancel goes back to the patch the selector had when
// the dialog opened and sends that. When it had none, there is nothing to go
// back to: the patch shown last stands and is confirmed like OK would. A
// patch that is no patch is never sent (the selector refuses it).
//
// Built on the caller's stack with no parent and run with RunDialog. The
// sources, controls and device are the caller's and outlive the dialog. GUI
// thread only.
#pragma once

#include "Dialog.h"
#include "Patch.h"

#include <QList>
#include <QPointer>
#include <QString>

class BankSet;
class ComboBox;
class DeviceTable;
class MidiDevice;
class MidiEdit;
class MidiPatchEdit;
class PatchGroup;
class PatchGroupList;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

class ParamSearchDlg : public Dialog
{
    Q_OBJECT

public:
    // The pause after the last keystroke before the list is rebuilt.
    static constexpr int TypeAheadMs = 600;
    // Item data of no row.
    static constexpr unsigned int NoValue = 0xFFFFFFFF;

    // The value search of a control, over its items table, starting at its
    // value.
    explicit ParamSearchDlg(MidiEdit* control);
    // The patch browser of a selector, over its bank set, starting at its
    // patch.
    explicit ParamSearchDlg(MidiPatchEdit* control);
    // A browser of a library's groups with no control; the caller reads
    // selectedValue, selectedGroup and selectedGroupType.
    ParamSearchDlg(MidiDevice* device, const PatchGroupList* groups);
    // A browser of a bank set with no control; the caller reads patch().
    ParamSearchDlg(MidiDevice* device, const BankSet* banks);
    ~ParamSearchDlg() override;

    // The patch of the row last chosen; the invalid patch for none.
    Patch patch() const { return Patch(selectedValue); }

    // Splits a filter or an item text at ':': one part gives the name only
    // (category left as it is); two or more give the category (before the
    // first ':') and the name (up to the second).
    static void parseFilters(const QString& text, QString& category, QString& name);
    // Whether item passes the lower-case filters.
    static bool match(const QString& item, const QString& category, const QString& name);

    // Rebuilds the list for a filter text.
    void loadFiltered(const QString& text);

    QTreeWidget* list() const { return m_list; }
    ComboBox* filterBox() const { return m_filter; }
    // What the control held at opening (parameter data or packed patch).
    unsigned int openingValue() const { return m_openingValue; }

    unsigned int selectedValue = NoValue; // item data of the row last chosen
    QString selectedGroup;                // its bank or group name

    // In a library: the group of the row last chosen and its type (3, a bank
    // group: selectedValue is a packed patch; 4, a type group: it is the row
    // in the group). Null and -1 when no row was chosen and for the other
    // sources.
    PatchGroup* selectedPatchGroup() const;
    int selectedGroupType() const;

public slots:
    void accept() override;
    void reject() override;

private slots:
    void startTimer();
    void load();
    void onListItemChanged();
    void onListDoubleClick();

private:
    void init();
    // The title, history and columns of the source.
    void setUpSource();
    void setValueFromList();
    void loadParams(const QString& filter, const QString& separator);
    void loadBanks(const QString& filter);
    void loadGroups(const QString& filter);
    // A row for text (its name part first, its category part under "Cat"
    // when withCategory), not yet in the list.
    static QTreeWidgetItem* newRow(const QString& text, bool withCategory);
    // Replaces the rows: updates off and the selection's signals held while
    // the list changes, under the busy cursor.
    void setRows(const QList<QTreeWidgetItem*>& rows);

    QTimer* m_timer = nullptr;
    const PatchGroupList* m_groups = nullptr; // not owned
    const BankSet* m_banks = nullptr;         // not owned
    DeviceTable* m_items = nullptr;           // not owned: the device's
    QPointer<MidiEdit> m_valueControl;        // not owned
    QPointer<MidiPatchEdit> m_patchControl;   // not owned
    unsigned int m_openingValue = NoValue;
    MidiDevice* m_device = nullptr; // not owned
    QTreeWidget* m_list = nullptr;
    ComboBox* m_filter = nullptr;
    // The index in m_groups of each row's group (library only).
    QList<int> m_rowGroups;
    int m_selectedGroupIndex = -1;
};
