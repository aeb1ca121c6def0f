// What the library's transfer jobs share: the owner they work for, the work
// they copy out of the library before they start, and the hand-over of each
// received patch to the GUI thread.
//
// Threads. A transfer's run() talks to the instrument on its worker and
// touches no library object. What it sends is copied on the GUI thread when
// the job starts (Task::starting); each patch it receives is built on the
// worker as a dump of its own and handed to the GUI thread, which puts it into
// its slot and tells the owner. Groups, their dumps and the owner are touched
// on the GUI thread only.
//
// Lifetime. The owner (the library view) ends its transfers before it goes,
// or before its document does (TransferOwner::endTransfers): each is cancelled
// and waited for (at most the request or pause under way), patches received
// but not yet put in are dropped, and no transfer calls the owner again. The
// groups a transfer fills live as long as their document: a document's groups
// are made with it and never removed.
//
// Failures. A receive that gets no whole answer ends with "Receive timeout!",
// the patch and the reason, and leaves the slot as it was, as it does for an
// answer that holds no patch (header and footer only). A transmission whose
// message the MIDI output does not take ends with "Transmit failed!", the
// patch and the port's reason. A cancelled or failed transmission sends no
// store-all message. Nothing here throws.
#pragma once

#include "Patch.h"
#include "PatchDump.h"
#include "Task.h"

#include <QList>
#include <QMap>
#include <QMutex>
#include <QString>

#include <memory>
#include <vector>

class Library;
class LibraryTask;

// The end text of a transmission whose message the MIDI output refused.
inline const QString TransmitFailedText = QStringLiteral("Transmit failed!");
// A failed transfer's end text: "heading\n\nwhat: reason", leaving out what
// is empty and the heading where the reason repeats it.
QString TransferFailure(const QString& heading, const QString& what, QString reason);
class MidiDevice;
class PatchGroup;

// What a transfer needs from the view that starts it. Every call comes on the
// GUI thread.
class TransferOwner
{
public:
    TransferOwner() = default;
    TransferOwner(const TransferOwner&) = delete;
    TransferOwner& operator=(const TransferOwner&) = delete;

    // The document whose groups the transfers fill and send.
    virtual Library* transferLibrary() = 0;
    // A received patch has gone into row of group: into its slot, or as the
    // group's new last row (appended).
    virtual void patchReceived(PatchGroup* group, int row, bool appended);
    // A receive that put at least one patch in is over: the document is
    // modified, an undo step is due and the view shows the new content;
    // with appended, the list is rebuilt with the caret on its first row.
    virtual void transferEnded(bool appended) = 0;

    // Cancels every transfer started for this owner and waits until each has
    // stopped; none calls back afterwards. Call it first thing in the
    // owner's destructor, and before its document goes.
    void endTransfers();
    bool isTransferring() const { return !m_transfers.isEmpty(); }

protected:
    // Ends the transfers as a last resort; by now the derived owner is gone,
    // so a derived destructor calls endTransfers() itself.
    virtual ~TransferOwner();

private:
    friend class LibraryTask;
    QList<LibraryTask*> m_transfers; // the running transfers; GUI thread only
};

// The base of the transfer jobs. A job copies its work into a plan in
// starting() and runs it in run(): a list of patches to receive, or of dumps
// to send.
class LibraryTask : public Task
{
    Q_OBJECT

public:
    // The job works for owner (may be null: a transmission then runs on its
    // own; a receive needs an owner to hand its patches to).
    LibraryTask(const QString& name, TransferOwner* owner);
    // Stops the job, then leaves the owner.
    ~LibraryTask() override;

    TransferOwner* owner() const { return m_owner; }
    // Patches put into the library so far, and whether one was appended.
    // GUI thread.
    int storedCount() const { return m_stored; }
    bool appended() const { return m_appended; }

    // Sets task auto-deleting and starts it; deletes it, false, when it did
    // not start. For the starters.
    static bool launch(LibraryTask* task, const QString& title, int maximum);

protected:
    // Where a received patch goes. The pointers are the GUI thread's; the
    // worker only carries them.
    struct Target
    {
        PatchGroup* group = nullptr; // null: the patch has no slot (skipped)
        int row = -1;                // the slot; -1 appends to a type group
        // When set, the slot is wherever this dump stands when the patch
        // arrives; gone from a type group, the patch is appended.
        PatchDump* slot = nullptr;
    };
    struct ReceiveItem
    {
        Patch patch; // invalid for an edit buffer
        int type = -1;
        Target target;
    };
    struct TransmitItem
    {
        Patch patch; // invalid for an edit buffer
        std::unique_ptr<PatchDump> dump; // a copy, the job's own
        QString name;                    // with its category
    };

    // GUI thread, in starting(): the device and the plan, afresh.
    void resetPlan(MidiDevice* device);
    void planReceive(Patch patch, int type, const Target& target);
    // Leaves out a missing or empty dump.
    void planTransmit(Patch patch, PatchDump* dump);

    // Worker: the plans as the library tasks run them. A receive asks for
    // each patch in turn and hands it over; a patch without a slot takes a
    // step and no request. A transmission sends each dump, then the
    // store-all message once all went out.
    void runReceive();
    void runTransmit();
    void receiveItems();
    void transmitItems();
    // Worker: a slot's new name for the device's bank table, stored with the
    // other names of its bank when the job moves to another bank or ends.
    void nameSlot(Patch patch, const QString& name);
    void storeNames();

    // Worker: the instrument's answer for item, stripped of its frame, as a
    // dump of the item's type; null, with the job aborted, when no whole
    // answer came or it held nothing.
    std::unique_ptr<PatchDump> receivePatch(const ReceiveItem& item);
    // Worker: the stripped edit buffer of the item's type; null as above.
    std::unique_ptr<PatchDump> receiveEditBuffer(const ReceiveItem& item);
    // Worker: gives the dump to the GUI thread, for target.
    void handOver(const Target& target, PatchDump* dump);
    // Worker: the patch message and the send; false, with the job aborted,
    // when the MIDI output refused a message. An edit buffer item goes to the
    // edit buffer of its dump's type.
    bool transmit(const TransmitItem& item);
    bool storeAll();
    // Worker: "Receive timeout!" with what failed and why.
    void failReceive(const QString& what, const QString& reason);

    // "bank:001 (A01)" of a patch as the device prints it.
    QString printPatch(Patch patch) const;

    // GUI thread: puts in what the worker handed over and tells the owner.
    void takeHandOvers();
    // Takes what is left, then tells the owner of a receive that put patches
    // in. Derived jobs that override it call it first.
    void finished() override;

    // Worker only: names waiting for storeNames(), all of bank m_namesBank.
    QMap<int, QString> m_names;
    unsigned short m_namesBank = 0;

    // Set in starting(), read by the job.
    MidiDevice* m_device = nullptr;
    std::vector<ReceiveItem> m_receives;
    std::vector<TransmitItem> m_transmits;

private:
    friend class TransferOwner;
    // GUI thread: the owner goes; nothing is handed to it any more.
    void leaveOwner();

    struct HandOver
    {
        Target target;
        PatchDump* dump; // owned until put in
    };

    TransferOwner* m_owner = nullptr; // GUI thread only
    int m_stored = 0;                 // GUI thread only
    bool m_appended = false;          // GUI thread only
    // Written by the worker, taken by the GUI thread; under m_handOverLock.
    std::vector<HandOver> m_handOvers;
    QMutex m_handOverLock;
};
