// Which patches of a library use which: a performance the voices of its
// parts, a mix those of its parts, a master the program it calls up.
//
// A patch used by another, and lying in one of the instrument's user banks,
// is that patch's child; the other is its parent. Only the bank groups of a
// document count (the patches of type groups have no place in the instrument
// to be named by), so a document of type groups has no dependencies.
//
// The maps describe the document as it stood at the last calculate(). The
// patch list reads them for its colours and tips; a move of rows inside a
// bank group, or an exchange between two, reads them right afterwards to find
// the patches whose references must follow (updateParents), before they are
// calculated again.
//
// Patches are keyed by their packed form (Patch::toUInt). Everything here
// runs on the GUI thread, as the document it reads.
#pragma once

#include "Containers.h"
#include "Patch.h"
#include "PatchList.h"

#include <QString>

class BankPatchGroup;
class Library;
class MidiDevice;

class Dependencies
{
public:
    Dependencies() = default;
    Dependencies(const Dependencies&) = delete;
    Dependencies& operator=(const Dependencies&) = delete;

    // Rebuilds both maps from the bank groups of the library (null: empties
    // them).
    void calculate(Library* library);
    // No patch has children.
    bool isEmpty() const { return m_children.isEmpty(); }

    // The patches this one uses, in the order its dump names them; null when
    // none.
    PatchList* getChildren(Patch patch) const;
    // The patches using this one, in bank and program order; null when none.
    PatchList* getParents(Patch patch) const;
    // Appends to out, each once, every patch reached through the children
    // (or the parents), depth-first: a patch before those it leads to, each
    // where it is first reached. A patch already in out is not followed
    // again, so a patch naming itself or any cycle ends the walk; the start
    // patch itself is listed only when a cycle leads back to it.
    void getAllChildren(Patch patch, PatchList* out) const;
    void getAllParents(Patch patch, PatchList* out) const;

    // The tip of a bank-group row: "Uses:" and every patch it uses at any
    // depth, "Used by:" and every patch using it at any depth, one line per
    // patch with its name in the library; "No dependencies" when it has
    // neither.
    QString tipText(Patch patch, Library* library) const;

    // After rows of one bank group moved (the group's move map tells where
    // each went): every patch that used a moved row is pointed at the row
    // where that patch now stands.
    void updateParents(BankPatchGroup* group, Library* library);
    // After the dumps at rows1 of group1 and rows2 of group2 were exchanged
    // pair by pair: every patch that used one of them is pointed at the row
    // where it went.
    void updateParents(BankPatchGroup* group1, ints* rows1, BankPatchGroup* group2, ints* rows2,
                       Library* library);
    // Before the patch at from is emptied for an exact copy of it at to:
    // every patch that used from is pointed at to.
    void redirect(Patch from, Patch to, Library* library) const;

private:
    using PatchMap = MapEx<unsigned int, PatchList*>;

    static void walk(const PatchMap& map, Patch patch, PatchList* out);
    // Rewrites, in every parent's dump, the references from[k] to to[k]
    // through stand-ins that are no bank of the device, so a reference moved
    // onto a row that itself moves is not moved twice.
    void repoint(Library* library, const PatchList& parents, const QList<Patch>& from,
                 const QList<Patch>& to) const;

    PatchMap m_children; // parent -> the children its dump names
    PatchMap m_parents;  // child -> the parents naming it
};
