// The window of one library document: its folder tree on the left, the
// patch list of the selected node on the right, and the document's
// dependencies (which patches use which).
//
// Every operation that changes the document ends in setWindowModified(true),
// undoCheck() and updateView(), which rebuilds the dependencies and refreshes
// the list. The list's selection is reported to the main window as message
// SelectionMessage (the number of selected rows holding a patch, and 0).
//
// The whole-library commands enter here: receive and transmit of whole bank
// sets and of the patches the selection uses, duplicate removal, and the
// selection of one patch from outside (search results).
//
// MdiView is its first base, so the two pointers are equal. The document is
// not owned (the main window keeps it with its view); the dependency options
// are the librarian's, handed to the list and never freed. GUI thread only.
#pragma once

#include "Dependencies.h"
#include "LibraryTask.h"
#include "MdiView.h"

class BankPatchGroup;
class BankSet;
class BanksTreeCtrl;
class Library;
class VoicesListView;
struct DependencyOptions;

class LibraryView : public MdiView, public TransferOwner
{
    Q_OBJECT

public:
    // The message that reports the selection to the main window.
    static constexpr int SelectionMessage = 145;

    // A view of library (null: an empty view) at (200, 200), 600 x 360.
    explicit LibraryView(Library* library = nullptr, DependencyOptions* options = nullptr,
                         QWidget* parent = nullptr);
    ~LibraryView() override;

    // The document; null when there is none.
    Library* library() const;
    // The node the patch list shows.
    Library* selectedLibrary() const;
    BanksTreeCtrl* banksTree() const { return m_banksTree; }
    VoicesListView* voicesList() const { return m_voicesList; }

    // Rebuilds the dependencies and refreshes the list; resetCaret moves
    // the list's caret to its first row.
    void updateView(bool resetCaret) override;
    void updateDependencies();
    // Points the users of programs moved inside the group at their new rows
    // (the group's move map).
    void updateDependencyParents(BankPatchGroup* group);
    // The same after the rows of two groups were exchanged pair by pair.
    void updateDependencyParents(BankPatchGroup* group1, ints* rows1, BankPatchGroup* group2, ints* rows2);
    const Dependencies& dependencies() const { return m_dependencies; }
    PatchList* getChildren(Patch patch) const { return m_dependencies.getChildren(patch); }
    PatchList* getParents(Patch patch) const { return m_dependencies.getParents(patch); }
    void getAllChildren(Patch patch, PatchList* out) const { m_dependencies.getAllChildren(patch, out); }
    void getAllParents(Patch patch, PatchList* out) const { m_dependencies.getAllParents(patch, out); }

    // Shows the first node of that name and makes its row current; nothing
    // when no node has the name.
    void selectPatch(const QString& node, int row);
    // Shows the bank group of the patch and makes its program current;
    // nothing when the document has no group of its bank.
    void selectPatch(Patch patch);

    // Transfers with the instrument, each a job with its progress; nothing
    // happens when there is nothing to move.
    void receiveAll(const BankSet& banks);
    // The transfers' owner: the document they fill, a patch put in (its row
    // repainted), a receive over (modified, an undo step, the view shown
    // afresh).
    Library* transferLibrary() override { return library(); }
    void patchReceived(PatchGroup* group, int row, bool appended) override;
    void transferEnded(bool appended) override;
    void transmitAll(const BankSet& banks);
    void receiveChildren();
    void transmitChildren();
    // The patches the selected patches use, through every level, each once.
    PatchList childPatches() const;

    // Searches the whole document for identical patches and lets the user
    // remove copies (DuplicatePatchesDlg).
    void removeDuplicates();

public slots:
    // Shows the tree's selected node in the list.
    void onFolderChanged();
    // Reports the selection to the main window.
    void onVoiceSelectionChanged();

private:
    BanksTreeCtrl* m_banksTree = nullptr;
    VoicesListView* m_voicesList = nullptr;
    Dependencies m_dependencies;
};
