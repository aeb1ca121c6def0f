#include "VoicesListView.h"

#include "DependencyOptions.h"
#include "Library.h"
#include "LibraryView.h"
#include "MidiDevice.h"
#include "PatchDump.h"
#include "PatchSorter.h"

#include <algorithm>

namespace {

// The columns of each kind of node: header, width. A kind shows only the
// columns it lists; the others have no header, no width and no text.
struct ColumnSpec
{
    const char* header;
    int width;
};

constexpr ColumnSpec GroupColumns[] = {{"Patch", 180}, {"Number", 85}, {"Category", 117}, {"Comments", 72}};
constexpr ColumnSpec BankFolderColumns[] = {{"Bank", 180}, {"MSB/LSB", 100}, {"Patches", 60}};
constexpr ColumnSpec TypeFolderColumns[] = {{"Folder", 180}, {"Patches", 60}};
constexpr ColumnSpec FolderColumns[] = {{"Folder", 180}};

constexpr int ColumnCount = 4;

const QColor EmptyColor(160, 160, 160);

bool isGroup(int type)
{
    return type == Library::BankGroup || type == Library::TypeGroup;
}

template <size_t N>
const ColumnSpec* columnOf(const ColumnSpec (&specs)[N], int column)
{
    return column >= 0 && size_t(column) < N ? &specs[column] : nullptr;
}

const ColumnSpec* columnSpec(const Library* node, int column)
{
    if (!node)
        return nullptr;
    switch (node->type()) {
    case Library::BankGroup:
    case Library::TypeGroup:
        return columnOf(GroupColumns, column);
    case Library::BankGroupFolder:
        return columnOf(BankFolderColumns, column);
    case Library::TypeGroupFolder:
        return columnOf(TypeFolderColumns, column);
    default:
        return columnOf(FolderColumns, column);
    }
}

bool filled(const PatchDump* dump)
{
    return dump && !dump->isEmpty();
}

} // namespace

VoicesListView::VoicesListView(QWidget* parent, DependencyOptions* options) : ListView(parent), m_options(options)
{
    setDragDropMode(QAbstractItemView::DragDrop);
}

VoicesListView::~VoicesListView() = default;

void VoicesListView::setLibrary(Library* library)
{
    m_library = library;
    setDropIndicatorShown(library && isGroup(library->type()));
    updateContents(true);
    moveCaret(0, 0);
}

BankPatchGroup* VoicesListView::bankPatchGroup() const
{
    return m_library && m_library->type() == Library::BankGroup ? static_cast<BankPatchGroup*>(m_library)
                                                                 : nullptr;
}

TypePatchGroup* VoicesListView::typePatchGroup() const
{
    return m_library && m_library->type() == Library::TypeGroup ? static_cast<TypePatchGroup*>(m_library)
                                                                 : nullptr;
}

PatchGroup* VoicesListView::patchGroup() const
{
    return m_library && isGroup(m_library->type()) ? static_cast<PatchGroup*>(m_library) : nullptr;
}

LibraryView* VoicesListView::view() const
{
    return qobject_cast<LibraryView*>(parentWidget());
}

MidiDevice* VoicesListView::device() const
{
    return m_library ? m_library->device() : nullptr;
}

PatchDump* VoicesListView::patchDumpAt(int row) const
{
    const PatchGroup* group = patchGroup();
    return group ? group->patchDumpAt(row) : nullptr;
}

PatchDump* VoicesListView::currentDump() const
{
    const int row = curSel();
    return row < 0 ? nullptr : patchDumpAt(row);
}

Patch VoicesListView::patchAt(int row) const
{
    const BankPatchGroup* group = bankPatchGroup();
    return group ? Patch(group->bank().word(), row) : Patch();
}

bool VoicesListView::forEachSelectedRow(const std::function<bool(int)>& visit) const
{
    // The selection as the view reports it (selectedIndexes), without
    // building an index per cell: only the name column's cells can be
    // selected (itemFlags), so each selected row is its name cell, in the
    // order of the selection's ranges and down each range.
    const QItemSelectionModel* model = selectionModel();
    if (!model || isColumnHidden(NameColumn))
        return true;
    const QItemSelection selection = model->selection();
    for (const QItemSelectionRange& range : selection) {
        if (range.left() > NameColumn || range.right() < NameColumn)
            continue;
        for (int row = range.top(); row <= range.bottom(); ++row) {
            if (!isRowHidden(row) && !visit(row))
                return false;
        }
    }
    return true;
}

ints VoicesListView::selectedItems(bool all) const
{
    ints rows;
    forEachSelectedRow([&](int row) {
        const PatchDump* dump = patchDumpAt(row);
        if (dump && (all || !dump->isEmpty()))
            rows.append(row);
        return true;
    });
    return rows;
}

Vector<PatchDump*> VoicesListView::selectedPatchDumps(bool all) const
{
    Vector<PatchDump*> dumps;
    const ints rows = selectedItems(all);
    for (int row : rows)
        dumps.append(patchDumpAt(row));
    return dumps;
}

bool VoicesListView::validPatchSelected() const
{
    return !forEachSelectedRow([this](int row) { return !filled(patchDumpAt(row)); });
}

bool VoicesListView::validPatchesSelected() const
{
    int n = 0;
    return !forEachSelectedRow([&](int row) { return !(filled(patchDumpAt(row)) && ++n > 1); });
}

// The table's hooks ---------------------------------------------------------------

int VoicesListView::rows()
{
    return m_library ? m_library->itemCount() : 0;
}

int VoicesListView::columns()
{
    return ColumnCount;
}

QString VoicesListView::headerText(int column)
{
    const ColumnSpec* spec = columnSpec(m_library, column);
    return spec ? QString::fromLatin1(spec->header) : QString();
}

int VoicesListView::headerWidth(int column)
{
    const ColumnSpec* spec = columnSpec(m_library, column);
    return spec ? spec->width : 0;
}

int VoicesListView::itemFlags(int row, int column)
{
    if (!m_library)
        return 0;
    if (!isGroup(m_library->type()))
        return column == 0 ? int(Qt::ItemIsSelectable | Qt::ItemIsEnabled) : 0;
    PatchDump* dump = patchDumpAt(row);
    const bool isFilled = filled(dump);
    switch (column) {
    case NameColumn:
        return Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsEnabled | (isFilled ? Qt::ItemIsEditable : 0);
    case CategoryColumn:
        return Qt::ItemIsEnabled | (isFilled && dump->hasCategory() ? Qt::ItemIsEditable : 0);
    case CommentColumn:
        return Qt::ItemIsEnabled | Qt::ItemIsEditable;
    default:
        return 0;
    }
}

QString VoicesListView::itemText(int row, int column)
{
    if (!m_library || !columnSpec(m_library, column))
        return QString();
    const int type = m_library->type();
    if (isGroup(type)) {
        if (column == NumberColumn) {
            if (type == Library::BankGroup)
                return Patch::PrintProgram(row, Patch::OneBasedGrouped);
            return QString::number(row + 1);
        }
        PatchDump* dump = patchDumpAt(row);
        if (!dump)
            return QString();
        switch (column) {
        case NameColumn:
            return dump->name(false);
        case CategoryColumn:
            return dump->printCategory(true);
        case CommentColumn:
            return dump->comment();
        default:
            return QString();
        }
    }
    const Library* child = m_library->children().value(row);
    if (!child)
        return QString();
    if (type == Library::BankGroupFolder) {
        const auto* bank = child->type() == Library::BankGroup ? static_cast<const BankPatchGroup*>(child) : nullptr;
        MidiDevice* dev = child->device();
        switch (column) {
        case 0:
            return bank && dev ? dev->bankName(bank->bank().word()) : child->name();
        case 1:
            return bank && dev ? dev->bankNumber(bank->bank().word()) : QString();
        default:
            return QString::number(child->itemCount());
        }
    }
    if (column == 0)
        return child->name();
    return QString::number(child->itemCount());
}

// A row in no colour of its own takes the list's text colour (an invalid
// colour): black on a light desktop, light on a dark one, where black could
// not be read.
QColor VoicesListView::itemColor(int row, int /*column*/)
{
    if (!m_library || !isGroup(m_library->type()))
        return QColor();
    const PatchDump* dump = patchDumpAt(row);
    if (dump && dump->isEmpty())
        return EmptyColor;
    const LibraryView* libraryView = view();
    if (m_library->type() == Library::BankGroup && m_options && m_options->Colorize && libraryView) {
        const Patch patch = patchAt(row);
        const QColor color = m_options->color(libraryView->getParents(patch) != nullptr,
                                              libraryView->getChildren(patch) != nullptr);
        return color == QColor(Qt::black) ? QColor() : color;
    }
    return QColor();
}

QString VoicesListView::itemTip(int row)
{
    const LibraryView* libraryView = view();
    if (!libraryView || !bankPatchGroup())
        return QString();
    return libraryView->dependencies().tipText(patchAt(row), libraryView->library());
}

int VoicesListView::itemIconIndex(int row)
{
    if (!m_library || !isGroup(m_library->type()))
        return 0;
    PatchDump* dump = patchDumpAt(row);
    return dump ? dump->iconIndex() : 1;
}

bool VoicesListView::enableSort(int column)
{
    return patchGroup() && column != NumberColumn;
}

// Sorting ------------------------------------------------------------------------

void VoicesListView::sort(int column, bool ascending)
{
    PatchGroup* group = patchGroup();
    if (!group)
        return;
    QList<PatchDump*> order = group->dumps();
    PatchSorter(column, ascending).sort(order);
    applyOrder(group, order);
}

void VoicesListView::sortSelected(int column)
{
    PatchGroup* group = patchGroup();
    if (!group)
        return;
    ints rows = selectedItems(true);
    if (rows.isEmpty())
        return;
    // The rows keep their places in the list: the sorted patches fill them
    // top to bottom, however the selection was made.
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QList<PatchDump*> selected;
    selected.reserve(rows.size());
    for (int row : std::as_const(rows))
        selected.append(group->dumps().at(row));
    PatchSorter(column, true).sort(selected);
    QList<PatchDump*> order = group->dumps();
    for (qsizetype i = 0; i < rows.size(); ++i)
        order[rows.at(i)] = selected.at(i);
    applyOrder(group, order);
}

void VoicesListView::applyOrder(PatchGroup* group, const QList<PatchDump*>& order)
{
    group->rememberOrder();
    static_cast<QList<PatchDump*>&>(group->dumps()) = order;
    group->updateMoveMap();
    LibraryView* libraryView = view();
    if (libraryView && group->type() == Library::BankGroup)
        libraryView->updateDependencyParents(static_cast<BankPatchGroup*>(group));
    finishEdit(false);
}
