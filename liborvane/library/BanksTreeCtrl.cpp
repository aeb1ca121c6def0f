#include "BanksTreeCtrl.h"

#include "Library.h"

BanksTreeCtrl::BanksTreeCtrl(QWidget* parent) : TreeCtrl(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAttribute(Qt::WA_MacShowFocusRect, false);
}

BanksTreeCtrl::~BanksTreeCtrl() = default;

void BanksTreeCtrl::setLibrary(Library* library)
{
    m_library = library;
    if (!library)
        return;
    QTreeWidgetItem* root = library->addToTree(this, nullptr);
    selectItem(root);
    expandItem(root);
}

Library* BanksTreeCtrl::selectedNode() const
{
    return static_cast<Library*>(itemData(selectedItem()));
}

// The tree walks of Library, kept beside the widget they fill. -------------------

QTreeWidgetItem* Library::addToTree(TreeCtrl* tree, QTreeWidgetItem* parent)
{
    QTreeWidgetItem* item = tree->insert(parent, m_name, QString());
    tree->setItemData(item, this);
    const qsizetype n = m_children.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (Library* child = m_children.at(i))
            child->addToTree(tree, item);
    }
    tree->expandItem(item);
    return item;
}

bool Library::selectToTree(Library* target, TreeCtrl* tree)
{
    return selectToTree(this, target, tree, nullptr);
}

bool Library::selectToTree(Library* node, Library* target, TreeCtrl* tree, QTreeWidgetItem* item)
{
    if (!node || !target || !tree)
        return false;
    if (!item)
        item = tree->root();
    if (!item)
        return false;
    if (node->name() == target->name()) {
        tree->selectItem(item);
        return true;
    }
    const qsizetype n = node->children().size();
    for (qsizetype i = 0; i < n; ++i) {
        QTreeWidgetItem* childItem = tree->childAt(item, int(i));
        if (childItem && selectToTree(node->children().at(i), target, tree, childItem))
            return true;
    }
    return false;
}
