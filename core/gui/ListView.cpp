#include "ListView.h"

#include <QAbstractTableModel>
#include <QHeaderView>

// The model of a ListView: row and column counts taken at the last
// updateContents(), everything else asked of the view's hooks on demand.
class ListViewModel : public QAbstractTableModel
{
public:
    explicit ListViewModel(ListView* view) : QAbstractTableModel(view), m_view(view) {}

    int rowCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : m_rows; }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : m_columns;
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid())
            return QVariant();
        const int row = index.row();
        const int column = index.column();
        switch (role) {
        case Qt::DisplayRole:
            return m_view->itemText(row, column);
        case Qt::ForegroundRole: {
            const QColor c = m_view->itemColor(row, column);
            return c.isValid() ? QVariant(c) : QVariant();
        }
        case Qt::BackgroundRole: {
            const QColor c = m_view->itemBkColor(row, column);
            return c.isValid() ? QVariant(c) : QVariant();
        }
        case Qt::ToolTipRole: {
            const QString tip = m_view->itemTip(row);
            return tip.isEmpty() ? QVariant() : QVariant(tip);
        }
        case Qt::DecorationRole: {
            if (column != 0)
                return QVariant();
            const int icon = m_view->itemIconIndex(row);
            return icon < 0 ? QVariant() : QVariant(m_view->icon(icon));
        }
        case Qt::CheckStateRole:
            if (!(m_view->itemFlags(row, column) & Qt::ItemIsUserCheckable))
                return QVariant();
            return m_view->isItemChecked(row, column) ? Qt::Checked : Qt::Unchecked;
        default:
            return QVariant();
        }
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (!index.isValid() || role != Qt::CheckStateRole)
            return false;
        m_view->setItemChecked(index.row(), index.column(), value.toInt() == Qt::Checked);
        return true;
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        if (!index.isValid())
            return Qt::NoItemFlags;
        return Qt::ItemFlags(m_view->itemFlags(index.row(), index.column()));
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return m_view->headerText(section);
        return QVariant();
    }

    // New counts from the hooks; see ListView::updateContents.
    void refresh(bool reset)
    {
        const int rows = qMax(0, m_view->rows());
        const int columns = qMax(0, m_view->columns());
        if (reset || columns != m_columns) {
            beginResetModel();
            m_rows = rows;
            m_columns = columns;
            endResetModel();
            return;
        }
        if (rows < m_rows) {
            beginRemoveRows(QModelIndex(), rows, m_rows - 1);
            m_rows = rows;
            endRemoveRows();
        } else if (rows > m_rows) {
            beginInsertRows(QModelIndex(), m_rows, rows - 1);
            m_rows = rows;
            endInsertRows();
        }
        if (m_rows > 0 && m_columns > 0)
            emit dataChanged(index(0, 0), index(m_rows - 1, m_columns - 1));
        emit headerDataChanged(Qt::Horizontal, 0, qMax(0, m_columns - 1));
    }

private:
    ListView* m_view;
    int m_rows = 0;
    int m_columns = 0;
};

ListView::ListView(QWidget* parent) : QTableView(parent), m_model(new ListViewModel(this))
{
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setShowGrid(false);
    setWordWrap(false);
    setAlternatingRowColors(false);
    verticalHeader()->hide();
    // Fixed rows: nothing asks every row for its size.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(false);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &ListView::onHeaderClicked);

    m_icons.append(QIcon(QStringLiteral("core:open.png")));
    m_icons.append(QIcon());
}

ListView::~ListView() = default;

int ListView::rowHeight()
{
    return fontMetrics().height() + 4;
}

void ListView::updateContents(bool reset)
{
    m_model->refresh(reset);
    if (reset) {
        verticalHeader()->setDefaultSectionSize(rowHeight());
        applyHeaderWidths();
        m_sortColumn = -1;
        horizontalHeader()->setSortIndicatorShown(false);
    }
    viewport()->update();
}

void ListView::applyHeaderWidths()
{
    const int n = m_model->columnCount();
    for (int column = 0; column < n; ++column) {
        const int width = headerWidth(column);
        setColumnHidden(column, width <= 0);
        if (width > 0)
            setColumnWidth(column, width);
    }
}

int ListView::curSel() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void ListView::setCurSel(int row, int column)
{
    const QModelIndex cell = m_model->index(row, column);
    if (!cell.isValid())
        return;
    selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(cell);
}

void ListView::moveCaret(int row, int column)
{
    const QModelIndex cell = m_model->index(row, column);
    if (!cell.isValid())
        return;
    selectionModel()->setCurrentIndex(cell, QItemSelectionModel::NoUpdate);
    scrollTo(cell);
}

void ListView::setRowSelected(int row, bool selected)
{
    const QModelIndex cell = m_model->index(row, 0);
    if (!cell.isValid())
        return;
    selectionModel()->select(cell, (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                                       QItemSelectionModel::Rows);
}

void ListView::addIcon(const QString& image)
{
    m_icons.append(QIcon(image));
}

QIcon ListView::icon(int index) const
{
    return m_icons.value(index);
}

void ListView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    QTableView::selectionChanged(selected, deselected);
    emit selectionChanged();
}

void ListView::onHeaderClicked(int column)
{
    if (!enableSort(column))
        return;
    m_sortAscending = column == m_sortColumn ? !m_sortAscending : true;
    m_sortColumn = column;
    horizontalHeader()->setSortIndicator(column, m_sortAscending ? Qt::AscendingOrder : Qt::DescendingOrder);
    horizontalHeader()->setSortIndicatorShown(true);
    sort(column, m_sortAscending);
}
