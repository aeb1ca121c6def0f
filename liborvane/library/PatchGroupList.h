// Every patch group of a library tree in one flat list, depth-first: a node
// before its children, children in order. The list does not own the groups;
// it is valid while the tree is not changed.
#pragma once

#include "Containers.h"

class Library;
class PatchGroup;

class PatchGroupList : public Vector<PatchGroup*>
{
public:
    PatchGroupList() = default;
    // The groups of the tree under root (null: none).
    explicit PatchGroupList(Library* root);

    // Appends the groups under node: a group itself, or those of each child
    // in order. A null node adds none.
    void load(Library* node);
};
