// A tree of named items, each carrying one pointer of its owner's.
//
// TreeCtrl is a QTreeWidget of one column without header. Its owner builds
// the items with insert() and hangs a pointer on each (setItemData), then
// walks them by position: childAt(item, i) is the i-th child in the order the
// children were inserted. Selecting an item from the program (selectItem)
// emits itemSelectionChanged() exactly as a click does. The pointers are not
// owned. GUI thread only.
#pragma once

#include <QTreeWidget>

class TreeCtrl : public QTreeWidget
{
    Q_OBJECT

public:
    explicit TreeCtrl(QWidget* parent = nullptr);
    ~TreeCtrl() override;

    // Appends an item with the text as the last child of parent (a top-level
    // item when parent is null). icon: an image name such as "core:open.png",
    // "" for none.
    QTreeWidgetItem* insert(QTreeWidgetItem* parent, const QString& text, const QString& icon);
    void setItemData(QTreeWidgetItem* item, void* data);
    // Null for a null item or one without data.
    void* itemData(QTreeWidgetItem* item) const;
    // The first top-level item; null for an empty tree.
    QTreeWidgetItem* root() const;
    // The i-th child of item; null when there is none.
    QTreeWidgetItem* childAt(QTreeWidgetItem* item, int i) const;

    // Makes the item the single selected and current one; null clears the
    // selection.
    void selectItem(QTreeWidgetItem* item);
    // The selected item; null when none.
    QTreeWidgetItem* selectedItem() const;

    // The selected item has a parent.
    bool canGoUp() const;
    // Selects the parent of the selected item and shows it; false when there
    // is none.
    bool selectParent();
    // The same as a user's step up: the parent is selected and, when the
    // tree has the focus, keeps it.
    bool navigateUp();
    // Selects the i-th child of the selected item, expanding the selected
    // item; false when there is none.
    bool selectChild(int i);
};
