#include "ListCtrl.h"

#include "Profile.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QSettings>
#include <QSignalBlocker>
#include <QUrl>

ListCtrl::ListCtrl(QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(0);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    header()->setStretchLastSection(true);
}

ListCtrl::~ListCtrl() = default;

void ListCtrl::addColumn(const QString& title, int width)
{
    const int column = columnCount();
    setColumnCount(column + 1);
    QTreeWidgetItem* head = headerItem();
    head->setText(column, title);
    setColumnWidth(column, width);
}

int ListCtrl::addItem(const QString& text)
{
    auto* item = new QTreeWidgetItem(this);
    item->setText(0, text);
    return topLevelItemCount() - 1;
}

void ListCtrl::setItemText(int row, int column, const QString& text)
{
    QTreeWidgetItem* item = topLevelItem(row);
    if (item && column >= 0 && column < columnCount())
        item->setText(column, text);
}

void ListCtrl::setItemData(int row, quint32 data)
{
    if (QTreeWidgetItem* item = topLevelItem(row))
        item->setData(0, Qt::UserRole, data);
}

QString ListCtrl::itemText(int row, int column) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    if (!item || column < 0 || column >= columnCount())
        return QString();
    return item->text(column);
}

quint32 ListCtrl::itemData(int row) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->data(0, Qt::UserRole).toUInt() : 0;
}

int ListCtrl::curSel() const
{
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : indexOfTopLevelItem(selected.first());
}

void ListCtrl::setCurSel(int row)
{
    QTreeWidgetItem* item = topLevelItem(row);
    if (!item) {
        clearSelection();
        return;
    }
    setCurrentItem(item);
    item->setSelected(true);
    scrollToItem(item);
}

namespace {

const QString HistoryGroup = QStringLiteral("History");

// Keys are window titles and may hold "/", which the settings store would
// read as a group separator.
QString historyKeyOf(const QString& key)
{
    return HistoryGroup + QLatin1Char('/') + QString::fromLatin1(QUrl::toPercentEncoding(key));
}

} // namespace

ComboBox::ComboBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    // The history is kept by addToHistory alone, in its own order.
    setInsertPolicy(QComboBox::NoInsert);
}

ComboBox::~ComboBox() = default;

void ComboBox::loadHistory(const QString& key, int max, const QStringList& defaults)
{
    m_key = key;
    m_max = qMax(1, max);
    QStringList entries = defaults;
    if (!key.isEmpty()) {
        const auto settings = Profile::settings();
        const QString k = historyKeyOf(key);
        if (settings->contains(k))
            entries = settings->value(k).toStringList();
    }
    setHistory(entries.mid(0, m_max));
}

void ComboBox::addToHistory()
{
    const QString text = currentText();
    if (text.isEmpty())
        return;
    QStringList entries = history();
    entries.removeAll(text);
    entries.prepend(text);
    entries = entries.mid(0, m_max);
    setHistory(entries);
    if (!m_key.isEmpty())
        Profile::settings()->setValue(historyKeyOf(m_key), entries);
}

QStringList ComboBox::history() const
{
    QStringList entries;
    for (int i = 0; i < count(); ++i)
        entries.append(itemText(i));
    return entries;
}

void ComboBox::setHistory(const QStringList& entries)
{
    const QSignalBlocker block(this);
    QLineEdit* edit = lineEdit();
    const QSignalBlocker blockEdit(edit);
    const QString text = edit->text();
    const int cursor = edit->cursorPosition();
    clear();
    addItems(entries);
    setCurrentIndex(-1);
    edit->setText(text);
    edit->setCursorPosition(cursor);
}
