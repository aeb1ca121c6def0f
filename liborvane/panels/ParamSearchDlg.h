// The modal search dialog that lists the choices of one thing, narrows them
// as the user types a filter, and applies or returns the row picked.
//
// Here it serves the patch sources: a patch selector's bank set ("Patch
// Browser", with a live preview on the selector) and a bare bank set (no
// control: the caller reads the row picked). Every named patch of the set is
// one row: name, category, program number ("001 (A01)") and bank; its item
// data is the packed patch.
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
// Built on the caller's stack with no parent and run with exec(). GUI thread
// only.
#pragma once

#include "Dialog.h"
#include "Patch.h"

#include <QPointer>
#include <QString>

class BankSet;
class ComboBox;
class MidiDevice;
class MidiPatchEdit;
class QTimer;
class QTreeWidget;

class ParamSearchDlg : public Dialog
{
    Q_OBJECT

public:
    // The pause after the last keystroke before the list is rebuilt.
    static constexpr int TypeAheadMs = 600;
    // Item data of no row.
    static constexpr unsigned int NoValue = 0xFFFFFFFF;

    // The patch browser of a selector, over its bank set, starting at its
    // patch.
    explicit ParamSearchDlg(MidiPatchEdit* control);
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

    unsigned int selectedValue = NoValue; // item data of the row last chosen
    QString selectedGroup;                // its bank name

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
    void setValueFromList();
    void loadBanks(const QString& filter);

    QTimer* m_timer = nullptr;
    const BankSet* m_banks = nullptr;       // not owned
    QPointer<MidiPatchEdit> m_patchControl; // not owned
    unsigned int m_openingValue = NoValue;
    MidiDevice* m_device = nullptr; // not owned
    QTreeWidget* m_list = nullptr;
    ComboBox* m_filter = nullptr;
};
