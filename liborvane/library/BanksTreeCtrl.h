// The folder tree of a library view: one item per node of the library
// document, folders and patch groups alike, named like the node and carrying
// it (TreeCtrl::itemData). The items stand in the nodes' own order, so the
// i-th child item of an item is the i-th child of its node; the patch list
// opens the folder of its row i by selecting child item i.
//
// The tree is built once, when the view is made, and opens fully expanded
// with the root selected: a document's folders and groups are fixed when it
// is created, only the patches inside groups change. The library is not
// owned. GUI thread only.
#pragma once

#include "TreeCtrl.h"

class Library;

class BanksTreeCtrl : public TreeCtrl
{
    Q_OBJECT

public:
    explicit BanksTreeCtrl(QWidget* parent = nullptr);
    ~BanksTreeCtrl() override;

    // Builds the items of the library's tree (Library::addToTree) and
    // selects and expands the root's item. Meant for an empty tree; null
    // leaves the tree empty.
    void setLibrary(Library* library);
    Library* library() const { return m_library; }

    // The node of the selected item; null when none is selected.
    Library* selectedNode() const;

private:
    Library* m_library = nullptr;
};
