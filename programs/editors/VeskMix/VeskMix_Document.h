// The job that sends the user voices of a mix's companion library into the
// instrument's user banks, and what a mix file may hold.
//
// The job copies what it sends when it is made: every non-empty slot of the
// library's groups for the banks given, in bank order and slot order, with
// its patch, its messages and its name. It sends them on its worker thread
// (each to its own bank and program), then asks the instrument to store all
// patches. Once it has ended, finished() stores the names sent in the
// device's user patch names and tells the window, if the window still wants
// to hear of it. So neither the library nor the window is touched from the
// worker, and a window that goes only has to stop the job
// (VeskMix::endTransmission), which it does before its device can go.
//
// Threads: made, started and finished on the GUI thread; run() on its worker.
#pragma once

#include "BulkDump.h"
#include "Patch.h"
#include "Task.h"

#include <QPointer>
#include <QString>

#include <memory>
#include <utility>
#include <vector>

class BankSet;
class Library;
class MidiDevice;
class Sysex;
class VeskMix;

class Task_TransmitUserPatches : public Task
{
    Q_OBJECT

public:
    // Copies the slots to send from library for banks; window hears of the
    // end (may be null).
    Task_TransmitUserPatches(Library* library, const BankSet& banks, VeskMix* window);
    ~Task_TransmitUserPatches() override;

    // The slots copied to send.
    int patchCount() const { return int(m_patches.size()); }
    // Patches sent so far; read once the job has ended.
    int sentCount() const { return m_sent; }
    // The window no longer hears of the end. GUI thread.
    void leaveWindow();

protected:
    void run() override;
    void finished() override;

private:
    struct Item
    {
        Patch patch;
        QString name;
        QString progress; // "USER1:006 (A06) name"
        std::unique_ptr<BulkDump> dump;
    };

    MidiDevice* m_device = nullptr;
    // Written before the start, read by the worker; m_sent is the worker's
    // until the job has ended.
    std::vector<Item> m_patches;
    int m_sent = 0;
    // GUI thread only.
    QPointer<VeskMix> m_window;
};

// The user voices of a mix as the instrument sent them, each with its
// location, for the companion library.
using ReceivedVoices = std::vector<std::pair<Patch, std::unique_ptr<BulkDump>>>;

// What a mix file may hold: the messages of the instrument's answer for its
// mix edit buffer, that is bulk dumps of the mix's blocks (addresses 36xxxx
// to 39xxxx) and the empty header and footer of the mix bulk address.
namespace MixFile {

// The mix edit buffer's bulk address.
constexpr unsigned int BulkAddress = 0x5F00;
// A mix is a few dozen messages of at most a few hundred bytes: a larger
// file is no mix file and is not read whole.
constexpr qint64 MaxSize = 64 * 1024;

// True for a message that belongs in a mix file.
bool isMixMessage(Sysex* message);

} // namespace MixFile
