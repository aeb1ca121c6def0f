// The librarian's own copy buffer for patches (not the system clipboard).
//
// A copy from a library view starts with init(view, group) and adds each
// selected row with add(dump, row): the clipboard keeps its own copies of the
// dumps, with the rows they had in the group, until the next copy. Pasting
// reads the copies, the rows, the source view and the source group.
//
// The source group belongs to the source view's document: when that view
// closes (viewClosed) the clipboard forgets both, and keeps what a paste
// still needs, the copies, their rows and their kind (patchType).
#pragma once

#include "Containers.h"

class LibraryView;
class MdiView;
class PatchDump;
class PatchGroup;

class PatchClipboard
{
public:
    PatchClipboard();
    // Deletes the copies.
    ~PatchClipboard();
    PatchClipboard(const PatchClipboard&) = delete;
    PatchClipboard& operator=(const PatchClipboard&) = delete;

    // Forgets the source and deletes the copies.
    void reset();
    // reset(), then remembers where the following copies come from. Neither
    // is owned.
    void init(LibraryView* view, PatchGroup* group);
    // Appends a copy of dump, made by the source group's device for the
    // group's patch type, and the row it had. Nothing is added (false) for a
    // null dump, a dump without messages, before init() gave a group, or when
    // the device makes no dump of that type: the copies and the rows always
    // stay in step.
    bool add(PatchDump* dump, int row);

    // The copies, in the order of the add calls; the clipboard keeps them.
    VectorEx<PatchDump*>* dumps() { return &m_dumps; }
    const VectorEx<PatchDump*>* dumps() const { return &m_dumps; }
    // The row each copy had in the source group.
    const ints& positions() const { return m_positions; }
    // The source view and group; both null once the view closed.
    LibraryView* view() const { return m_view; }
    PatchGroup* patchGroup() const { return m_group; }
    // The source group's patch type, kept when the view closes; -1 before
    // init().
    int patchType() const { return m_patchType; }

    // A view closes: when it is the source view, the clipboard forgets it
    // and its group, and keeps the copies and their kind.
    void viewClosed(MdiView* view);

private:
    LibraryView* m_view = nullptr;
    PatchGroup* m_group = nullptr;
    int m_patchType = -1;
    ints m_positions;
    VectorEx<PatchDump*> m_dumps;
};
