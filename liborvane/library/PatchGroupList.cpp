#include "PatchGroupList.h"

#include "Library.h"

PatchGroupList::PatchGroupList(Library* root)
{
    load(root);
}

void PatchGroupList::load(Library* node)
{
    if (!node)
        return;
    if (auto* group = dynamic_cast<PatchGroup*>(node)) {
        append(group);
        return;
    }
    for (Library* child : node->children())
        load(child);
}
