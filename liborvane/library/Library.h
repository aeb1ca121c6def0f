// The library tree: the librarian's documents and the patches they hold.
//
// Inner nodes are folders; leaves are patch groups, each an ordered list of
// patch dumps of one patch type. A bank group mirrors one bank of the
// instrument slot for slot (row r is program r; an empty slot is a dump without
// messages). A type group is a list of patches of one type that grows and
// shrinks. The root of a tree is the document a library view shows.
//
// Ownership: a node owns its children and a group owns its dumps; deleting the
// root frees the whole tree. Lookups and patchDumpAt hand out pointers the tree
// keeps owning. Every node of one tree belongs to the same device, which it
// does not own.
#pragma once

#include "Containers.h"
#include "Document.h"
#include "Patch.h"

#include <QString>

class BankPatchGroup;
class MidiDevice;
class PatchDump;
class PatchGroup;

class Library : public Document
{
public:
    // Type codes answered by type().
    enum NodeType
    {
        PlainFolder = 0,     // folder without children, or of folders
        TypeGroupFolder = 1, // folder whose first child is a type group
        BankGroupFolder = 2, // folder whose first child is a bank group
        BankGroup = 3,
        TypeGroup = 4
    };

    Library(MidiDevice* device, const QString& name);
    // Deletes the children in list order.
    ~Library() override;

    MidiDevice* device() const { return m_device; }
    QString name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }
    // The child nodes in display order, owned by this node; the owner of a
    // folder appends its children here directly. Empty in patch groups.
    VectorEx<Library*>& children() { return m_children; }
    const VectorEx<Library*>& children() const { return m_children; }

    virtual int type() const = 0;
    // Children of a folder, rows of a group.
    virtual int itemCount() const = 0;
    // Empties the groups under this node (bank groups keep their slots).
    virtual void clear() = 0;
    // Rows of every group under this node.
    virtual int ridevPatchesCount() const = 0;
    // Rows holding a patch: in bank groups the slots whose dump has messages,
    // in type groups every row.
    virtual int nonEmptyPatchesCount() const = 0;
    // Drops the dumps without messages from the type groups under this node.
    virtual void removeEmptyPatches() {}

    // Emptying is each group's own business; the document framework never
    // empties a library.
    void clearDocument() override {}

    // Depth-first lookups, each node before its children, children in order;
    // the first match wins, null when nothing matches.
    static Library* getLibrary(Library* node, const QString& name);
    Library* getLibrary(const QString& name) { return getLibrary(this, name); }
    static PatchGroup* getTypePatchGroup(Library* node, int patchType);
    PatchGroup* getTypePatchGroup(int patchType) { return getTypePatchGroup(this, patchType); }
    static BankPatchGroup* getBankPatchGroup(Library* node, unsigned short bankWord);
    BankPatchGroup* getBankPatchGroup(unsigned short bankWord) { return getBankPatchGroup(this, bankWord); }
    // The dump of an instrument patch: the first bank group of the patch's bank
    // that has a dump at the patch's program (a group with fewer rows lets the
    // search go on).
    static PatchDump* getPatchDump(Library* node, Patch patch);
    PatchDump* getPatchDump(Patch patch) { return getPatchDump(this, patch); }

protected:
    MidiDevice* m_device;
    VectorEx<Library*> m_children;
    QString m_name;
};

class LibraryFolder : public Library
{
public:
    LibraryFolder(MidiDevice* device, const QString& name);

    // Follows the first child only: 1 for a type group, 2 for a bank group,
    // otherwise (no child, or a folder) 0.
    int type() const override;
    int itemCount() const override;
    void clear() override;
    int ridevPatchesCount() const override;
    int nonEmptyPatchesCount() const override;
    void removeEmptyPatches() override;

    // Appends one bank group per bank of the device's bank set of that name,
    // each named by the device, of the bank's patch type and holding one empty
    // dump per program of the bank. A set the device does not know adds
    // nothing.
    void addBankSet(const QString& bankSet);
};

class PatchGroup : public Library
{
public:
    PatchGroup(MidiDevice* device, const QString& name, int patchType);
    // Deletes the dumps.
    ~PatchGroup() override;

    // The patch type of every dump, in the device's numbering; -1 for a bank
    // the device does not know.
    int patchType() const { return m_patchType; }
    // The dumps in row order, owned by the group.
    VectorEx<PatchDump*>& dumps() { return m_dumps; }
    const VectorEx<PatchDump*>& dumps() const { return m_dumps; }

    int itemCount() const override;
    int ridevPatchesCount() const override;

    // Takes ownership of dump; a null dump is replaced by the device's new dump
    // of the group's type (nothing is added when the device makes none). index
    // -1 (or any index outside 0..rows) appends, otherwise the dump is
    // inserted at that row. False when nothing was added.
    bool addPatchDump(PatchDump* dump, int index = -1);
    // The dump at row, or null outside the rows.
    PatchDump* patchDumpAt(int row) const;

protected:
    // Deletes every dump and empties the list.
    void deleteDumps();

    int m_patchType;
    VectorEx<PatchDump*> m_dumps;
};

class BankPatchGroup : public PatchGroup
{
public:
    static constexpr int Type = BankGroup;

    BankPatchGroup(MidiDevice* device, const QString& name, int patchType, Bank bank);

    // The instrument bank the group mirrors.
    Bank bank() const { return m_bank; }

    int type() const override { return Type; }
    // Empties every slot; the dumps and rows stay.
    void clear() override;
    int nonEmptyPatchesCount() const override;

private:
    Bank m_bank;
};

class TypePatchGroup : public PatchGroup
{
public:
    static constexpr int Type = TypeGroup;

    TypePatchGroup(MidiDevice* device, const QString& name, int patchType);

    int type() const override { return Type; }
    // Deletes every dump.
    void clear() override;
    int nonEmptyPatchesCount() const override;
    void removeEmptyPatches() override;
};
