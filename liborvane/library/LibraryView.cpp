#include "LibraryView.h"

#include "BanksTreeCtrl.h"
#include "DuplicatePatchesDlg.h"
#include "Duplicates.h"
#include "EventMessage.h"
#include "Library.h"
#include "Prompts.h"
#include "VoicesListView.h"
#include "WaitCursor.h"
#include "WindowState.h"

#include <QGridLayout>

namespace {
// The tree's column; the list takes the rest of the window.
constexpr int TreeWidth = 176;
} // namespace

LibraryView::LibraryView(Library* library, DependencyOptions* options, QWidget* parent) : MdiView(parent)
{
    SetAccessibleText(this, QStringLiteral("Library View"));
    setDocument(library);
    move(200, 200);
    resize(600, 360);

    auto* grid = new QGridLayout(this);
    grid->setSpacing(2);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setColumnMinimumWidth(0, TreeWidth);

    m_banksTree = new BanksTreeCtrl(this);
    m_banksTree->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    m_banksTree->setMaximumWidth(TreeWidth);
    m_banksTree->setLibrary(library);
    grid->addWidget(m_banksTree, 0, 0);

    m_voicesList = new VoicesListView(this, options);
    m_voicesList->setLibrary(library);
    m_voicesList->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    grid->addWidget(m_voicesList, 0, 1);

    connect(m_banksTree, &QTreeWidget::itemSelectionChanged, this, &LibraryView::onFolderChanged);
    connect(m_voicesList, qOverload<>(&ListView::selectionChanged), this, &LibraryView::onVoiceSelectionChanged);
}

LibraryView::~LibraryView()
{
    // No transfer may call back into a view that is going.
    endTransfers();
}

Library* LibraryView::library() const
{
    return dynamic_cast<Library*>(document());
}

Library* LibraryView::selectedLibrary() const
{
    return m_voicesList->library();
}

void LibraryView::updateView(bool resetCaret)
{
    updateDependencies();
    m_voicesList->updateContents(resetCaret);
    if (resetCaret)
        m_voicesList->moveCaret(0, 0);
}

void LibraryView::updateDependencies()
{
    m_dependencies.calculate(library());
}

void LibraryView::updateDependencyParents(BankPatchGroup* group)
{
    m_dependencies.updateParents(group, library());
}

void LibraryView::updateDependencyParents(BankPatchGroup* group1, ints* rows1, BankPatchGroup* group2, ints* rows2)
{
    m_dependencies.updateParents(group1, rows1, group2, rows2, library());
}

void LibraryView::selectPatch(const QString& node, int row)
{
    Library* document = library();
    Library* found = document ? document->getLibrary(node) : nullptr;
    if (!found)
        return;
    document->selectToTree(found, m_banksTree);
    m_voicesList->setLibrary(found);
    m_voicesList->setFocus(Qt::OtherFocusReason);
    m_voicesList->setCurSel(row, 0);
    m_voicesList->viewport()->update();
}

void LibraryView::selectPatch(Patch patch)
{
    Library* document = library();
    BankPatchGroup* group = document ? document->getBankPatchGroup(patch.bank.word()) : nullptr;
    if (!group)
        return;
    document->selectToTree(group, m_banksTree);
    m_voicesList->setLibrary(group);
    m_voicesList->setFocus(Qt::OtherFocusReason);
    m_voicesList->setCurSel(patch.program, 0);
    m_voicesList->viewport()->update();
}

PatchList LibraryView::childPatches() const
{
    PatchList children;
    const ints rows = m_voicesList->selectedItems(false);
    for (int row : rows)
        m_dependencies.getAllChildren(m_voicesList->patchAt(row), &children);
    return children;
}

void LibraryView::removeDuplicates()
{
    Library* document = library();
    if (!document)
        return;
    Duplicates<PatchDumpItem> table;
    {
        WaitCursor wait;
        // The users of a removed copy are pointed at the copy that stays:
        // the dependencies must describe the document as it is now.
        updateDependencies();
        document->calcDuplicates(table);
    }
    DuplicatePatchesDlg dialog(this);
    if (!dialog.setData(table))
        return;
    dialog.setDependencies(&m_dependencies, document);
    if (RunDialog(&dialog) != QDialog::Accepted)
        return;
    document->removeEmptyPatches();
    setWindowModified(true);
    undoCheck();
    const Library* shown = selectedLibrary();
    updateView(shown && shown->type() == Library::TypeGroup);
}

void LibraryView::onFolderChanged()
{
    QTreeWidgetItem* item = m_banksTree->selectedItem();
    if (!item)
        return;
    m_voicesList->setLibrary(static_cast<Library*>(m_banksTree->itemData(item)));
}

void LibraryView::onVoiceSelectionChanged()
{
    PostMessage(mdiParent(), SelectionMessage, int(m_voicesList->selectedItems(false).size()), 0);
}
