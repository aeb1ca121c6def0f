// The library's transfer jobs: patches between a library document and the
// instrument's banks, patch by patch, over the device's synchronous requests
// and bulk transmissions.
//
//   Task_Receive           the given slots of one bank group, from the instrument
//   Task_Transmit          the given slots of one bank group, to the instrument
//   Task_ReceiveAll        every program of every bank of a set
//   Task_TransmitAll       every slot that holds a patch, of the bank groups of a set
//   Task_ReceiveChildren   the user patches that the chosen patches use
//   Task_TransmitChildren  the same patches, to the instrument
//
// Each is made by its starter (begin, or the group's and library's calls in
// Library.h), deletes itself when it is over and shows a progress counting one
// step per patch: the opening message "Receiving 3 patches..." or
// "Transmitting 3 patches...", then before each patch its location and name
// ("USER1:001 (A01) Pf:Grand"). A receive hands each patch to the GUI thread
// as it comes and tells its owner when it is over (LibraryTask.h); a
// transmission ends with the store-all message. A patch the library has no
// slot for takes a step and is not asked for; a missing or empty dump is not
// sent and takes no step, so the progress may end below its maximum.
#pragma once

#include "DeviceBank.h"
#include "LibraryTask.h"
#include "PatchList.h"

class BankPatchGroup;

class Task_Receive : public LibraryTask
{
    Q_OBJECT

public:
    explicit Task_Receive(TransferOwner* owner);
    // Receives the slots at rows of group, in that order; false (nothing
    // started) without a group or an owner.
    static bool begin(TransferOwner* owner, BankPatchGroup* group, const ints& rows);

    BankPatchGroup* group = nullptr;
    ints rows;

protected:
    void starting() override;
    void run() override;
};

class Task_Transmit : public LibraryTask
{
    Q_OBJECT

public:
    explicit Task_Transmit(TransferOwner* owner);
    // Sends the slots at rows of group; false without a group.
    static bool begin(TransferOwner* owner, BankPatchGroup* group, const ints& rows);

    BankPatchGroup* group = nullptr;
    ints rows;

protected:
    void starting() override;
    void run() override;
};

class Task_ReceiveAll : public LibraryTask
{
    Q_OBJECT

public:
    explicit Task_ReceiveAll(TransferOwner* owner);
    // Receives every program of the banks into the owner's document: a bank
    // with a bank group into its slots, a bank without one appended to the
    // type group of its patch type, a bank with neither not at all. False
    // when the banks hold no program or there is no owner.
    static bool begin(TransferOwner* owner, const BankSet& banks);

    BankSet banks;

protected:
    void starting() override;
    void run() override;
};

// Public, with its fields and run(): a program's own job derives from it,
// fills library and banks, starts it with its own title and keeps run().
class Task_TransmitAll : public LibraryTask
{
    Q_OBJECT

public:
    explicit Task_TransmitAll(TransferOwner* owner = nullptr);
    // Sends every slot that holds a patch, of the bank groups of the banks;
    // banks without a bank group and type groups are left out. False when
    // there is nothing to send.
    static bool begin(Library* library, const BankSet& banks, TransferOwner* owner = nullptr);

    // The job, on the worker: what starting() copied from library and banks.
    void run() override;

    Library* library = nullptr;
    BankSet banks;

protected:
    void starting() override;
};

class Task_ReceiveChildren : public LibraryTask
{
    Q_OBJECT

public:
    explicit Task_ReceiveChildren(TransferOwner* owner);
    // Receives each patch of the list (packed) into its slot of the owner's
    // document; false for an empty list or without an owner.
    static bool begin(TransferOwner* owner, const PatchList& patches);

    PatchList patches;

protected:
    void starting() override;
    void run() override;
};

class Task_TransmitChildren : public LibraryTask
{
    Q_OBJECT

public:
    explicit Task_TransmitChildren(TransferOwner* owner);
    // Sends the owner's dump of each patch of the list; false for an empty
    // list or without an owner.
    static bool begin(TransferOwner* owner, const PatchList& patches);

    PatchList patches;

protected:
    void starting() override;
    void run() override;
};
