#include "DuplicatePatchesDlg.h"

#include "Dependencies.h"
#include "Library.h"
#include "MidiParam.h"
#include "PatchDump.h"
#include "Prompts.h"
#include "VarArgs.h"
#include "WindowState.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {

const QString Title = QStringLiteral("Remove Duplicates");

// The instrument patch a slot stands for: only a bank group's slots have one.
Patch patchOf(const PatchDumpItem& item)
{
    const auto* bank = item.group && item.group->type() == Library::BankGroup
                           ? static_cast<const BankPatchGroup*>(item.group)
                           : nullptr;
    return bank ? Patch(bank->bank().word(), item.row) : Patch();
}

} // namespace

// DuplicatePatchesListView ---------------------------------------------------------

DuplicatePatchesListView::DuplicatePatchesListView(QWidget* parent) : ListView(parent) {}

void DuplicatePatchesListView::setData(Duplicates<PatchDumpItem>& table)
{
    table.toTable(m_items);
    updateContents(true);
}

int DuplicatePatchesListView::rows()
{
    return int(m_items.size());
}

int DuplicatePatchesListView::columns()
{
    return 2;
}

QString DuplicatePatchesListView::headerText(int column)
{
    switch (column) {
    case 0:
        return QStringLiteral("Patch");
    case 1:
        return QStringLiteral("Name");
    default:
        return QString();
    }
}

int DuplicatePatchesListView::headerWidth(int column)
{
    switch (column) {
    case 0:
        return 150;
    case 1:
        return 200;
    default:
        return 0;
    }
}

int DuplicatePatchesListView::itemFlags(int /*row*/, int column)
{
    const int flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    return column == 0 ? flags | Qt::ItemIsUserCheckable : flags;
}

QString DuplicatePatchesListView::itemText(int row, int column)
{
    if (row < 0 || row >= m_items.size())
        return QString();
    const PatchDumpItem& item = m_items.at(row).item;
    if (column == 0 && item.group) {
        const QString number = item.group->type() == Library::BankGroup
                                   ? Patch::PrintProgram(item.row, Patch::OneBasedGrouped)
                                   : QString::number(item.row + 1);
        return VarArgs::format(QStringLiteral("%s %s"), item.group->name(), number);
    }
    if (column == 1) {
        if (PatchDump* dump = item.dump())
            return dump->name(true);
    }
    return QString();
}

QColor DuplicatePatchesListView::itemBkColor(int row, int /*column*/)
{
    if (row < 0 || row >= m_items.size())
        return QColor();
    return m_items.at(row).group % 2 ? QColor(QStringLiteral("white")) : QColor(232, 240, 249, 255);
}

int DuplicatePatchesListView::itemIconIndex(int /*row*/)
{
    return -1;
}

bool DuplicatePatchesListView::isItemChecked(int row, int /*column*/)
{
    return row >= 0 && row < m_items.size() && m_items.at(row).ticked;
}

void DuplicatePatchesListView::setItemChecked(int row, int /*column*/, bool /*value*/)
{
    if (row < 0 || row >= m_items.size())
        return;
    m_items[row].ticked = !m_items.at(row).ticked;
    updateContents(false);
}

// DuplicatePatchesDlg --------------------------------------------------------------

DuplicatePatchesDlg::DuplicatePatchesDlg(QWidget* parent) : Dialog(parent)
{
    setWindowTitle(Title);
    SetWindowIcon(this, QStringLiteral("core:dup.png"));
    setMargin(12, 0);
    setSpacing(10);

    m_list = new DuplicatePatchesListView(this);
    m_selectAll = new QPushButton(QStringLiteral("Select All Duplicates"), this);
    m_selectNone = new QPushButton(QStringLiteral("Select None"), this);
    connect(m_selectAll, &QPushButton::clicked, this, &DuplicatePatchesDlg::selectAll);
    connect(m_selectNone, &QPushButton::clicked, this, &DuplicatePatchesDlg::selectNone);

    QHBoxLayout* row = addHLayout(4);
    row->addWidget(new QLabel(QStringLiteral("Select duplicate patches to remove:"), this));
    row->addSpacing(40);
    row->addWidget(m_selectAll, 0);
    row->addWidget(m_selectNone, 0);
    addRow(m_list);
    addHButtons(1, false);
    resize(500, 440);
}

bool DuplicatePatchesDlg::setData(Duplicates<PatchDumpItem>& table)
{
    m_list->setData(table);
    if (m_list->rows() > 0)
        return true;
    info(parentWidget(), QStringLiteral("No duplicates found"), Title);
    return false;
}

void DuplicatePatchesDlg::setDependencies(const Dependencies* dependencies, Library* document)
{
    m_dependencies = dependencies;
    m_document = document;
}

void DuplicatePatchesDlg::selectAll()
{
    int previous = -1;
    for (DuplicateItem<PatchDumpItem>& row : m_list->items()) {
        row.ticked = row.group == previous;
        previous = row.group;
    }
    m_list->updateContents(false);
}

void DuplicatePatchesDlg::selectNone()
{
    for (DuplicateItem<PatchDumpItem>& row : m_list->items())
        row.ticked = false;
    m_list->updateContents(false);
}

void DuplicatePatchesDlg::accept()
{
    const DuplicateItems<PatchDumpItem>& items = m_list->items();
    ints ticked;
    for (int i = 0; i < items.size(); ++i) {
        if (items.at(i).ticked)
            ticked.append(i);
    }
    if (ticked.isEmpty()) {
        QDialog::accept();
        return;
    }

    // Which ticked rows go, which users follow which copy, which rows stay.
    struct Redirect
    {
        Patch from;
        Patch to;
    };
    ints emptied;
    ints kept;
    QList<Redirect> redirects;
    QHash<int, Patch> keeperOfGroup; // the copy a group's users are pointed at
    for (int i = 0; i < items.size(); ++i) {
        const DuplicateItem<PatchDumpItem>& row = items.at(i);
        if (!row.ticked && !keeperOfGroup.contains(row.group) && patchOf(row.item).isValid())
            keeperOfGroup.insert(row.group, patchOf(row.item));
    }
    for (int i : std::as_const(ticked)) {
        const DuplicateItem<PatchDumpItem>& row = items.at(i);
        const Patch patch = patchOf(row.item);
        const bool used = m_dependencies && m_document && patch.isValid() && m_dependencies->getParents(patch);
        if (!used) {
            emptied.append(i);
        } else if (keeperOfGroup.contains(row.group)) {
            redirects.append({patch, keeperOfGroup.value(row.group)});
            emptied.append(i);
        } else {
            // Every copy of it is ticked: this one stays for its users, and
            // so do the users of its other copies.
            keeperOfGroup.insert(row.group, patch);
            kept.append(i);
        }
    }

    if (!emptied.isEmpty()) {
        const QString question =
            VarArgs::format(QStringLiteral("Are you sure you want to delete %s?"), strPatches(int(emptied.size()), true));
        if (!yesNo(this, question, QString()))
            return;
        for (const Redirect& r : std::as_const(redirects))
            m_dependencies->redirect(r.from, r.to, m_document);
        for (int i : std::as_const(emptied)) {
            if (PatchDump* dump = items.at(i).item.dump())
                dump->clear();
        }
    }
    if (!kept.isEmpty()) {
        const int n = int(kept.size());
        const QString them = n == 1 ? QStringLiteral("it") : QStringLiteral("them");
        info(this,
             VarArgs::format(QStringLiteral("%s kept: other patches use %s, and every copy of %s was chosen for "
                                            "removal."),
                             strPatches(n, true), them, them),
             Title);
    }
    QDialog::accept();
}
