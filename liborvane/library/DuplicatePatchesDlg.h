// The "Remove Duplicates" dialog: the groups of identical patches a search
// found (Duplicates.h), one row per patch with a check box, every copy but
// the first of its group ticked. Accepting asks once and empties the dumps
// of the ticked rows; the caller then drops them from type groups
// (removeEmptyPatches) and marks its view modified. A bank group keeps the
// emptied slot.
//
// Patches that other patches use (a user voice a performance plays, a
// performance a master calls up) are not emptied from under their users.
// Given the document's dependencies (setDependencies), the dialog points
// every user of a ticked patch at the copy that stays; a used patch whose
// every copy is ticked stays itself, the users of its other copies are
// pointed at it, and the user is told. Without dependencies (a document of
// type groups, whose patches nothing can name) the ticked rows are emptied
// as they are.
//
// The list and its items refer to slots of the library; nothing here owns a
// dump. Modal, GUI thread only.
#pragma once

#include "Dialog.h"
#include "Duplicates.h"
#include "ListView.h"

class Dependencies;
class Library;
class QPushButton;

class DuplicatePatchesListView : public ListView
{
    Q_OBJECT

public:
    explicit DuplicatePatchesListView(QWidget* parent = nullptr);

    // Builds the table from the search (Duplicates::toTable) and shows it.
    void setData(Duplicates<PatchDumpItem>& table);
    DuplicateItems<PatchDumpItem>& items() { return m_items; }

    int rows() override;
    int columns() override;
    QString headerText(int column) override;
    int headerWidth(int column) override;
    int itemFlags(int row, int column) override;
    // Column 0: the group's name and the slot (a bank group's program as
    // "001 (A01)", another group's row from 1); column 1: the patch's name
    // with its category.
    QString itemText(int row, int column) override;
    // Groups alternate white and light blue, the first white.
    QColor itemBkColor(int row, int column) override;
    int itemIconIndex(int row) override;
    bool isItemChecked(int row, int column) override;
    // Flips the row's tick, whatever value says.
    void setItemChecked(int row, int column, bool value) override;

private:
    DuplicateItems<PatchDumpItem> m_items;
};

class DuplicatePatchesDlg : public Dialog
{
    Q_OBJECT

public:
    explicit DuplicatePatchesDlg(QWidget* parent = nullptr);

    // Shows the search's result. False, after telling the user "No
    // duplicates found", when there is nothing to show: the caller then does
    // not run the dialog.
    bool setData(Duplicates<PatchDumpItem>& table);
    // The document's dependencies as they stand, and the document: users of
    // ticked patches are pointed at the copies that stay. Not owned.
    void setDependencies(const Dependencies* dependencies, Library* document);

    DuplicatePatchesListView* listView() const { return m_list; }

public slots:
    // Ticks every row but the first of each group.
    void selectAll();
    // Unticks every row.
    void selectNone();
    // With rows ticked, asks "Are you sure you want to delete N patches?";
    // on Yes empties their dumps (see the top of the file) and closes with
    // 1, on No stays open. With none ticked it closes with 1 at once.
    void accept() override;

private:
    DuplicatePatchesListView* m_list = nullptr;
    QPushButton* m_selectAll = nullptr;
    QPushButton* m_selectNone = nullptr;
    const Dependencies* m_dependencies = nullptr;
    Library* m_document = nullptr;
};
