// Library files read into a tree of bank groups or of type groups.
//
// Input: a mode byte (even: a tree of two bank groups, odd: one of two type
// groups), then the file. A file the tree refuses must leave it exactly as it
// was, with "Cannot open file" to say why; a file it takes must save back to
// bytes that load into an empty tree of the same shape and save back the same.
// The patches it takes keep their bytes stored: making their messages must
// change nothing they answered, nor the bytes they save to.
#include "Archive.h"
#include "FuzzSupport.h"
#include "Library.h"
#include "PatchDump.h"
#include "PatchGroupList.h"
#include "TestSysex.h"

#include <memory>

namespace {

// Two bank groups of 8 and 4 empty slots, or two empty type groups.
std::unique_ptr<LibraryFolder> makeTree(bool banks)
{
    TestDevice* dev = Fuzz::device();
    auto tree = std::make_unique<LibraryFolder>(dev, QStringLiteral("root"));
    if (banks) {
        auto* user = new BankPatchGroup(dev, QStringLiteral("USER1"), TestPatchDump::Voice, Bank(0x3F08));
        auto* drums = new BankPatchGroup(dev, QStringLiteral("DR:USR"), TestPatchDump::Plain, Bank(0x3F28));
        tree->children().append(user);
        tree->children().append(drums);
        for (int row = 0; row < 8; ++row)
            user->addPatchDump(nullptr);
        for (int row = 0; row < 4; ++row)
            drums->addPatchDump(nullptr);
    } else {
        tree->children().append(new TypePatchGroup(dev, QStringLiteral("Normal Voices"), TestPatchDump::Voice));
        tree->children().append(new TypePatchGroup(dev, QStringLiteral("Drum Kits"), TestPatchDump::Plain));
    }
    return tree;
}

// Patches in every other row, with comments: what a refused file must leave.
void fill(Library& tree)
{
    for (PatchGroup* group : PatchGroupList(&tree)) {
        const int rows = group->type() == Library::BankGroup ? group->itemCount() : 3;
        for (int row = 0; row < rows; row += 2) {
            auto* dump = new TestPatchDump(Fuzz::device(), group->patchType());
            dump->init();
            dump->setComment(QStringLiteral("before"));
            if (group->type() == Library::BankGroup)
                group->setPatchDump(row, dump);
            else
                group->addPatchDump(dump);
        }
    }
}

QByteArray save(Library& tree)
{
    Buffer bytes;
    Archive ar(bytes);
    FUZZ_CHECK(tree.storeDocument(ar));
    return bytes.bytes();
}

bool load(Library& tree, const QByteArray& file)
{
    Buffer data;
    data.setBytes(file);
    Archive ar(static_cast<const Buffer&>(data));
    return tree.loadDocument(ar);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FUZZ_SETUP();
    if (size < 1)
        return 0;
    const bool banks = data[0] % 2 == 0;
    const QByteArray file = Fuzz::bytes(data + 1, size - 1);

    // The filled trees are made once, as files: loading one is quicker than
    // building its patches again.
    static const QByteArray filled[2] = {[] {
                                             auto tree = makeTree(true);
                                             fill(*tree);
                                             return save(*tree);
                                         }(),
                                         [] {
                                             auto tree = makeTree(false);
                                             fill(*tree);
                                             return save(*tree);
                                         }()};
    auto tree = makeTree(banks);
    FUZZ_CHECK(load(*tree, filled[banks ? 0 : 1]));
    const int rows = tree->ridevPatchesCount();
    const QByteArray before = save(*tree);
    if (!load(*tree, file)) {
        FUZZ_CHECK(save(*tree) == before);
        FUZZ_CHECK(tree->docError().startsWith(QStringLiteral("Cannot open file")));
        return 0;
    }
    // Bank groups keep their slots whatever the file held.
    if (banks)
        FUZZ_CHECK(tree->ridevPatchesCount() == rows);
    const QByteArray saved = save(*tree);
    for (PatchGroup* group : PatchGroupList(tree.get())) {
        for (PatchDump* dump : group->dumps()) {
            const qsizetype count = dump->size();
            const QString name = dump->name(false);
            Buffer before;
            dump->toBuffer(before);
            (void)dump->list();
            FUZZ_CHECK(!dump->isStored());
            FUZZ_CHECK(dump->size() == count && dump->name(false) == name);
            Buffer after;
            dump->toBuffer(after);
            FUZZ_CHECK(after == before);
        }
    }
    FUZZ_CHECK(save(*tree) == saved);
    auto again = makeTree(banks);
    FUZZ_CHECK(load(*again, saved));
    FUZZ_CHECK(save(*again) == saved);
    return 0;
}
