#include "TreeCtrl.h"

#include <QHeaderView>

namespace {
constexpr int DataRole = Qt::UserRole + 1;
}

TreeCtrl::TreeCtrl(QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(1);
    setHeaderHidden(true);
    setUniformRowHeights(true);
}

TreeCtrl::~TreeCtrl() = default;

QTreeWidgetItem* TreeCtrl::insert(QTreeWidgetItem* parent, const QString& text, const QString& icon)
{
    auto* item = new QTreeWidgetItem(QStringList(text));
    if (!icon.isEmpty())
        item->setIcon(0, QIcon(icon));
    if (parent)
        parent->addChild(item);
    else
        addTopLevelItem(item);
    return item;
}

void TreeCtrl::setItemData(QTreeWidgetItem* item, void* data)
{
    if (item)
        item->setData(0, DataRole, QVariant::fromValue(reinterpret_cast<quintptr>(data)));
}

void* TreeCtrl::itemData(QTreeWidgetItem* item) const
{
    return item ? reinterpret_cast<void*>(item->data(0, DataRole).value<quintptr>()) : nullptr;
}

QTreeWidgetItem* TreeCtrl::root() const
{
    return topLevelItem(0);
}

QTreeWidgetItem* TreeCtrl::childAt(QTreeWidgetItem* item, int i) const
{
    return item ? item->child(i) : nullptr;
}

void TreeCtrl::selectItem(QTreeWidgetItem* item)
{
    if (!item) {
        clearSelection();
        return;
    }
    setCurrentItem(item, 0, QItemSelectionModel::ClearAndSelect);
    scrollToItem(item);
}

QTreeWidgetItem* TreeCtrl::selectedItem() const
{
    const QList<QTreeWidgetItem*> items = selectedItems();
    return items.isEmpty() ? nullptr : items.first();
}

bool TreeCtrl::canGoUp() const
{
    const QTreeWidgetItem* item = selectedItem();
    return item && item->parent();
}

bool TreeCtrl::selectParent()
{
    QTreeWidgetItem* item = selectedItem();
    if (!item || !item->parent())
        return false;
    selectItem(item->parent());
    return true;
}

bool TreeCtrl::navigateUp()
{
    const bool focused = hasFocus();
    if (!selectParent())
        return false;
    if (focused)
        setFocus(Qt::OtherFocusReason);
    return true;
}

bool TreeCtrl::selectChild(int i)
{
    QTreeWidgetItem* item = selectedItem();
    QTreeWidgetItem* child = childAt(item, i);
    if (!child)
        return false;
    expandItem(item);
    selectItem(child);
    return true;
}
