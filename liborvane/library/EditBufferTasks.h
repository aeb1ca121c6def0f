// The two jobs between the library and the instrument's edit buffers (one per
// patch type, beside the patches stored in its banks).
//
//   Task_ReceiveFromEditBuffer  the edit buffer of the shown group's patch
//                               type into the list's current patch, or
//                               appended to a type group when none is current
//   Task_SendToEditBuffer       one patch to the edit buffer of its type
//
// Both are made by their starters, delete themselves when over and count one
// step. The receive hands its patch to the GUI thread like the library's
// receives (LibraryTask.h) and tells its owner when it put one in; its target
// is taken when it starts. A folder shown gives no request and no step; a
// bank group without a current patch has no target: a step, no request. The
// send copies the patch when it starts; a message the MIDI output does not
// take ends it with "Transmit failed!" and the port's reason.
#pragma once

#include "LibraryTask.h"

class Task_ReceiveFromEditBuffer : public LibraryTask
{
    Q_OBJECT

public:
    explicit Task_ReceiveFromEditBuffer(TransferOwner* owner);
    // shown: the node the patch list shows; current: the dump its caret is
    // on (null: none). False without an owner or a node.
    static bool begin(TransferOwner* owner, Library* shown, PatchDump* current);

    Library* shown = nullptr;
    PatchDump* current = nullptr;

protected:
    void starting() override;
    void run() override;
};

class Task_SendToEditBuffer : public LibraryTask
{
    Q_OBJECT

public:
    explicit Task_SendToEditBuffer(TransferOwner* owner);
    // False for a missing or empty dump or without a device.
    static bool begin(TransferOwner* owner, MidiDevice* device, PatchDump* dump);

    MidiDevice* device = nullptr;
    PatchDump* dump = nullptr; // stays in its group; copied when the job starts

protected:
    void starting() override;
    void run() override;
};
