#include "ListView.h"

#include "Colors.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QStyledItemDelegate>

namespace {

// What a drag from a ListView carries: the list it left. Rows are not
// written out: the drop asks the source list for its selection.
class ListViewMimeData : public QMimeData
{
public:
    static QString type() { return QStringLiteral("application/x-orvane-list-rows"); }

    explicit ListViewMimeData(ListView* source) : m_source(source) { setData(type(), QByteArray()); }
    ListView* source() const { return m_source; }

private:
    QPointer<ListView> m_source;
};

} // namespace

// The editors of a ListView's cells come from its createEditor hook; their
// text goes back through the view's commitData, never into the model.
class ListViewDelegate : public QStyledItemDelegate
{
public:
    explicit ListViewDelegate(ListView* view) : QStyledItemDelegate(view), m_view(view) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        return m_view->openEditor(parent, index);
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            line->setText(index.data(Qt::DisplayRole).toString());
            line->selectAll();
        }
    }
    void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}

private:
    ListView* m_view;
};

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
            if (!c.isValid())
                return QVariant();
            // A row's own colour, moved just far enough to read on the
            // list's ground, a dark desktop's as well as a light one's.
            const QColor own = m_view->itemBkColor(row, column);
            const QPalette& palette = m_view->palette();
            QColor text = ReadableOn(own.isValid() ? own : palette.color(QPalette::Base), c);
            if (!own.isValid() && m_view->alternatingRowColors())
                text = ReadableOn(palette.color(QPalette::AlternateBase), text);
            return text;
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
        // Drops are taken anywhere the view accepts them; which row they
        // land on is the view's business (ListView::dropRow).
        if (!index.isValid())
            return Qt::ItemIsDropEnabled;
        return Qt::ItemFlags(m_view->itemFlags(index.row(), index.column())) | Qt::ItemIsDropEnabled;
    }

    QStringList mimeTypes() const override { return {ListViewMimeData::type()}; }
    QMimeData* mimeData(const QModelIndexList&) const override { return new ListViewMimeData(m_view); }
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction | Qt::MoveAction; }
    Qt::DropActions supportedDropActions() const override { return Qt::CopyAction | Qt::MoveAction; }
    bool canDropMimeData(const QMimeData* data, Qt::DropAction, int, int, const QModelIndex&) const override
    {
        return data && data->hasFormat(ListViewMimeData::type());
    }
    // The view handles the drop itself (ListView::dropEvent).
    bool dropMimeData(const QMimeData*, Qt::DropAction, int, int, const QModelIndex&) override { return false; }

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
            m_headers = headerTexts();
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
        // A header repaints only when its texts changed: painting it asks
        // the selection whether each column is selected, which with every
        // row of a large list selected walks every row.
        QStringList headers = headerTexts();
        if (headers != m_headers) {
            m_headers = std::move(headers);
            emit headerDataChanged(Qt::Horizontal, 0, qMax(0, m_columns - 1));
        }
    }

private:
    QStringList headerTexts() const
    {
        QStringList texts;
        for (int column = 0; column < m_columns; ++column)
            texts.append(m_view->headerText(column));
        return texts;
    }

    ListView* m_view;
    int m_rows = 0;
    int m_columns = 0;
    QStringList m_headers; // the texts the header last showed
};

ListView::ListView(QWidget* parent) : QTableView(parent), m_model(new ListViewModel(this))
{
    setModel(m_model);
    setItemDelegate(new ListViewDelegate(this));
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    setDefaultDropAction(Qt::MoveAction);
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

QWidget* ListView::createEditor(QWidget* parent, int /*column*/)
{
    auto* line = new QLineEdit(parent);
    line->setFrame(false);
    return line;
}

QWidget* ListView::openEditor(QWidget* parent, const QModelIndex& index)
{
    m_edited = index;
    QWidget* editor = createEditor(parent, index.column());
    if (editor)
        editor->installEventFilter(this);
    return editor;
}

bool ListView::eventFilter(QObject* object, QEvent* event)
{
    // The view hides an editor it closes after taking it off its cell; an
    // editor still on its cell and hidden has closed itself.
    if (event->type() == QEvent::Hide && m_edited.isValid() && object == indexWidget(m_edited)) {
        auto* editor = static_cast<QWidget*>(object);
        // Qt hands the focus of a hidden editor on as a Tab would, which
        // moves the caret: the list takes it back first.
        QWidget* focus = QApplication::focusWidget();
        if (focus && (focus == editor || editor->isAncestorOf(focus)))
            setFocus(Qt::OtherFocusReason);
        QPointer<QWidget> guard(editor);
        QMetaObject::invokeMethod(
            this,
            [this, guard]() {
                if (guard && m_edited.isValid() && guard == indexWidget(m_edited)) {
                    commitData(guard);
                    closeEditor(guard, QAbstractItemDelegate::NoHint);
                }
            },
            Qt::QueuedConnection);
    }
    return QTableView::eventFilter(object, event);
}

void ListView::editSelectedItem(int column)
{
    const QModelIndex cell = m_model->index(curSel(), column);
    if (!cell.isValid() || !(m_model->flags(cell) & Qt::ItemIsEditable))
        return;
    setCurrentIndex(cell);
    edit(cell);
}

void ListView::keyPressEvent(QKeyEvent* event)
{
    if (state() != EditingState && event->modifiers() == Qt::NoModifier) {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            onEnter();
            return;
        case Qt::Key_Backspace:
            onBack();
            return;
        default:
            break;
        }
    }
    QTableView::keyPressEvent(event);
}

int ListView::dropRow(const QPoint& pos) const
{
    const QModelIndex index = indexAt(pos);
    return index.isValid() ? index.row() : m_model->rowCount();
}

void ListView::startDrag(Qt::DropActions supportedActions)
{
    QModelIndexList dragged;
    const QModelIndexList selected = selectedIndexes();
    for (const QModelIndex& index : selected) {
        if (m_model->flags(index) & Qt::ItemIsDragEnabled)
            dragged.append(index);
    }
    if (dragged.isEmpty())
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(m_model->mimeData(dragged));
    // Whatever the drop did, the drag itself removes nothing here.
    drag->exec(supportedActions, defaultDropAction());
}

void ListView::dropEvent(QDropEvent* event)
{
    const auto* data = dynamic_cast<const ListViewMimeData*>(event->mimeData());
    if (!data) {
        QTableView::dropEvent(event);
        return;
    }
    const int row = dropRow(event->position().toPoint());
    QPointer<ListView> source = data->source();
    const bool move = source == this && event->dropAction() == Qt::MoveAction;
    // Ends the drag's own state and auto-scroll; the model takes nothing.
    QTableView::dropEvent(event);
    event->setDropAction(Qt::CopyAction);
    event->accept();
    // The hook runs once the drop is over: it may ask the user, which a
    // drop in progress must not wait for.
    QPointer<ListView> self(this);
    QMetaObject::invokeMethod(
        this,
        [self, source, row, move]() {
            if (!self)
                return;
            if (move)
                self->onDropMove(row);
            else
                self->onDropCopy(row, source.data());
        },
        Qt::QueuedConnection);
}
