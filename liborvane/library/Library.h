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
//
// Threads: a tree is changed on the GUI thread only, and has no lock. Work
// done elsewhere (a transfer talking to the instrument on a worker) builds
// each new dump on its own and hands it to the GUI thread by message, which
// puts it in with setPatchDump or addPatchDump; nothing outside the GUI thread
// keeps a pointer into the tree.
//
// Stored form (loadDocument and storeDocument, in LibraryFile.cpp): the
// device's name, then one record per patch group in tree order. A document
// holds groups of one kind only, bank groups or type groups, and so does its
// file.
#pragma once

#include "Containers.h"
#include "Document.h"
#include "Patch.h"

#include <QString>

class Archive;
class BankPatchGroup;
class BankSet;
class LibraryReader;
class PatchDumpItem;
class QTreeWidgetItem;
class TreeCtrl;
template <typename Item>
class Duplicates;
class MidiDevice;
class PatchDump;
class PatchGroup;
class TransferOwner;

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
    // Adds every slot holding a patch under this node to the duplicate
    // search, depth-first and by ascending row (Duplicates.h).
    virtual void calcDuplicates(Duplicates<PatchDumpItem>& table) = 0;

    // The folder tree of a library view (BanksTreeCtrl.cpp). addToTree adds
    // an item for this node under parent (a top-level item for null), named
    // like the node and carrying it, then the items of its whole subtree in
    // child order, every item expanded; it returns this node's item.
    QTreeWidgetItem* addToTree(TreeCtrl* tree, QTreeWidgetItem* parent);
    // Selects the item of the first node, depth-first and each node before
    // its children, whose name equals the target's; false, and the selection
    // left as it was, when none does. The items stand as addToTree made them.
    bool selectToTree(Library* target, TreeCtrl* tree);
    static bool selectToTree(Library* node, Library* target, TreeCtrl* tree, QTreeWidgetItem* item);

    // Fills every group under this node from its record in a checked file
    // (LibraryReader): a group without a record ends up empty. False when a
    // group could not be filled at all.
    virtual bool fromArchive(LibraryReader& file) = 0;
    // Writes the records of the groups under this node, in tree order.
    virtual void toArchive(Archive& ar) = 0;

    // Emptying is each group's own business; the document framework never
    // empties a library.
    void clearDocument() override {}
    // Reads a whole library file. The file is checked whole first: one that is
    // not a library of this tree's kind, or is damaged anywhere (a count or a
    // size beyond what is left, a record cut short, bytes after the last
    // record), is refused with "Cannot open file" and the tree stays as it
    // was. A file of another model is converted after a warning; patches that
    // could not be converted, or held bytes that are no messages, are counted
    // and named in a second warning.
    bool loadDocument(Archive& ar) override;
    // The device's name and every group's record; false when a write failed.
    bool storeDocument(Archive& ar) override;
    // Undo steps: every group's dumps as they are, their bytes shared with
    // the dumps (BulkDump::Content) and their comments. Putting a state back
    // does what reading its stored form would do (a bank group's dumps are
    // refilled in their rows, a type group's made anew), without a prompt;
    // false, and the tree left as it was, when the tree no longer has the
    // groups the state was taken of.
    std::shared_ptr<const DocumentState> saveState() override;
    bool restoreState(const DocumentState& state) override;

    // Writes the instrument definition file of the device's "VOICES" banks:
    // the names of the banks this library holds, the device's names of the
    // others (NameExport.cpp). False when the file could not be written; the
    // file is then left as it was.
    bool generateInsFile(const QString& fileName, const QString& generator);

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

    // Transfers (LibraryTasks.h). The slots that hold a patch in the bank
    // groups of the banks (a bank without a group adds none), and a job that
    // sends them all, then the store-all message; nothing starts (false) when
    // there is none.
    int countNonEmptyPatches(const BankSet& banks);
    bool transmitAll(const BankSet& banks, TransferOwner* owner = nullptr);

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
    // Each child in order.
    void calcDuplicates(Duplicates<PatchDumpItem>& table) override;
    // Each child in order; false as soon as one gives false.
    bool fromArchive(LibraryReader& file) override;
    void toArchive(Archive& ar) override;

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
    // Every row whose dump holds messages, by ascending row, under the hash
    // of its first message.
    void calcDuplicates(Duplicates<PatchDumpItem>& table) override;
    // The group's name listing (NameExport.cpp): its name, an empty line, one
    // line per row holding a patch (number, name, comment, two tabs apart),
    // then an empty line.
    virtual QString printNames() const = 0;

    // Takes ownership of dump; a null dump is replaced by the device's new dump
    // of the group's type (nothing is added when the device makes none). index
    // -1 (or any index outside 0..rows) appends, otherwise the dump is
    // inserted at that row. False when nothing was added.
    bool addPatchDump(PatchDump* dump, int index = -1);
    // The dump at row, or null outside the rows.
    PatchDump* patchDumpAt(int row) const;
    // Hands a dump built elsewhere (received, imported) to the row: the dump
    // already there takes its messages and comment, so the row keeps its
    // object, and dump is deleted. False, and dump deleted all the same, for a
    // row outside the group or a null dump.
    bool setPatchDump(int row, PatchDump* dump);

    // Moves the dumps at rows (in the order given; rows outside the group and
    // repeats are left out) to stand together just before the dump that stood
    // at target (at the end for target = rows); target then tells the row of
    // the first moved dump. With move tracking on, the move map is renewed and
    // the result tells whether any dump changed its row; with it off the
    // result is true.
    bool reorganize(int& target, ints& rows);

    // Move tracking: bank groups keep it on, so that the patches using a
    // moved program can be pointed at its new row; type groups keep it off.
    bool trackMoves() const { return m_trackMoves; }
    void setTrackMoves(bool on) { m_trackMoves = on; }
    // Before a move (reorganize, a sort): notes the order of the rows when
    // tracking is on.
    void rememberOrder();
    // After it: the move map from the noted order. Entry i is the new row of
    // the dump that stood at row i; true when any entry differs from its row.
    // False, and the map left as it was, when no order was noted or tracking
    // is off.
    bool updateMoveMap();
    const QList<PatchDump*>& previousOrder() const { return m_previousOrder; }
    const ints& moveMap() const { return m_moveMap; }

    // Passes over the rest of a record whose header was just read: its count
    // and its dump records. False when the record runs past the end of the
    // data or states a negative count or size.
    static bool skipGroup(Archive& ar);

protected:
    // Deletes every dump and empties the list.
    void deleteDumps();
    // The count and dump records of this group: the row count, then each
    // dump's stored form.
    void writeRecord(Archive& ar);

    int m_patchType;
    VectorEx<PatchDump*> m_dumps;
    bool m_trackMoves = false;
    QList<PatchDump*> m_previousOrder; // the rows before the last move
    ints m_moveMap;                    // old row -> new row of the last move
};

class BankPatchGroup : public PatchGroup
{
public:
    static constexpr int Type = BankGroup;

    // Tracks its moves.
    BankPatchGroup(MidiDevice* device, const QString& name, int patchType, Bank bank);

    // The instrument bank the group mirrors.
    Bank bank() const { return m_bank; }

    int type() const override { return Type; }
    // Numbered by program, "001" right-aligned in 12 characters.
    QString printNames() const override;
    // Empties every slot; the dumps and rows stay.
    void clear() override;
    int nonEmptyPatchesCount() const override;
    // Empties every slot, then fills them from the first record of the
    // group's bank: row i from the record's dump i, as far as both reach.
    bool fromArchive(LibraryReader& file) override;
    // Bank word, row count, the rows.
    void toArchive(Archive& ar) override;
    // The count and dumps of the record the file stands at.
    bool loadGroup(LibraryReader& file);

    // Transfers of the slots at rows (LibraryTasks.h): a job that receives
    // them for owner, or one that sends those holding a patch and then the
    // store-all message. False when nothing was started.
    bool receivePatches(const ints& rows, TransferOwner* owner);
    bool transmitPatches(const ints& rows, TransferOwner* owner = nullptr);

private:
    Bank m_bank;
};

class TypePatchGroup : public PatchGroup
{
public:
    static constexpr int Type = TypeGroup;

    TypePatchGroup(MidiDevice* device, const QString& name, int patchType);

    int type() const override { return Type; }
    // Numbered from 1, right-aligned in 4 characters.
    QString printNames() const override;
    // Deletes every dump.
    void clear() override;
    int nonEmptyPatchesCount() const override;
    void removeEmptyPatches() override;
    // Deletes every dump, then loads the first record named like the group,
    // or named "Voices" when the group is "Normal Voices" (the older name of
    // that group): whichever of the two comes first in the file.
    bool fromArchive(LibraryReader& file) override;
    // Name, row count, the rows.
    void toArchive(Archive& ar) override;
    // Runs when the group's record was found, before its dumps are read.
    virtual void onLoadName() {}
    // Appends a dump per dump record of the record the file stands at.
    virtual bool loadGroup(LibraryReader& file);
};
