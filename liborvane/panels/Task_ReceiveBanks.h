// The job that refreshes the names of the instrument's user patches: for
// every patch of a set of banks, in the set's order and by ascending program,
// it asks the instrument for the patch's bulk dump, reads the name out of it
// and shows it, and the device's user bank takes the names.
//
// An editor window starts it (receiveBanks below); the window is told when
// the job has ended, however it ended. The job ends early, and says why,
// when the user cancels (no text), when the instrument does not answer in time
// ("Receive timeout!"), when another request of the program is waiting for
// the instrument (only one may wait), when the device cannot address a
// patch, or when it makes no patch dump of a bank's type. Names taken before
// the end are kept whatever the ending.
//
// Threads: run() is the task's worker; it makes the synchronous requests and
// reads names, but changes no bank. The names of each bank go to the GUI
// thread once the bank is done (or the job ends inside it) and are stored
// there with one write of the bank's user bank file. finished() and the
// window's hook run on the GUI thread, after the last names are stored. The
// device must outlive the job; the window may go first, which stops the job
// (waiting for the request under way) and calls it no more.
#pragma once

#include "DeviceBank.h"
#include "Task.h"

#include <QMap>
#include <QMutex>
#include <QPointer>

#include <atomic>
#include <functional>

class MidiClient;
class MidiDevice;

class Task_ReceiveBanks : public Task
{
    Q_OBJECT

public:
    // How the job ended; Running until it has.
    enum Outcome
    {
        Running = 0,
        Completed = 1,     // every patch of the set received
        Canceled = 2,      // the user cancelled
        TimedOut = 3,      // the instrument did not answer in time
        Busy = 4,          // another request was waiting for the instrument
        Unaddressable = 5, // the device has no block for a patch of the set
        NoPatchDump = 6,   // the device makes no dump of a bank's type
        Rejected = 7       // a patch came damaged or incomplete
    };

    // The job's texts.
    static constexpr const char* Title = "Receive Banks";
    static constexpr const char* OpeningText = "Receiving %s...";
    static constexpr const char* TimeoutText = "Receive timeout!";
    static constexpr const char* BusyText = "Receive failed: another request is waiting for the instrument!";
    static constexpr const char* UnaddressableText = "Cannot receive %s!";
    static constexpr const char* NoPatchDumpText = "Cannot read the names of bank %s!";
    // The patch, then what the device found wrong with its reply.
    static constexpr const char* RejectedText = "%s: %s";

    // The window side: starts the job on the device of the window's client
    // for a copy of banks, when they hold at least one patch (null and
    // nothing happens otherwise). switchMode asks the device to switch the
    // instrument to each patch's mode before its request. onReceived runs on
    // the GUI thread once the job has ended and its names are stored, however
    // it ended (completed, cancelled or failed), but not once the window is
    // gone. The job deletes itself when it has ended; the pointer is for
    // watching it (QPointer) until then.
    static Task_ReceiveBanks* receiveBanks(MidiClient* window, const BankSet& banks, bool switchMode,
                                           std::function<void()> onReceived);

    ~Task_ReceiveBanks() override;

    Outcome outcome() const { return Outcome(m_outcome.load()); }

signals:
    // On the GUI thread once the job has ended and its names are stored,
    // before it deletes itself; whatever the ending.
    void ended(int outcome);

protected:
    void run() override;
    void finished() override;

private:
    Task_ReceiveBanks(MidiClient* window, const BankSet& banks, bool switchMode,
                      std::function<void()> onReceived);

    // The job ends; abort with text unless text is empty.
    void fail(Outcome outcome, const QString& text);
    // Worker: hands the names of one bank to the GUI thread.
    void postNames(unsigned short bankWord, const QMap<int, QString>& names);
    // GUI thread: stores every bank's names handed over so far.
    void storeNames();
    // GUI thread: the window went.
    void onWindowGone();

    // Fixed before the job starts, only read by it.
    const BankSet m_banks;
    MidiDevice* const m_device;
    const bool m_switchMode;
    // GUI thread only.
    QPointer<MidiDevice> m_deviceGuard;
    QPointer<QObject> m_window;
    std::function<void()> m_onReceived;
    // Written by the job (and onWindowGone), read on the GUI thread.
    std::atomic<int> m_outcome{Running};
    // Names of finished banks waiting for the GUI thread, in the job's
    // order. Written by the job, taken by the GUI thread; under m_namesLock.
    QList<QPair<unsigned short, QMap<int, QString>>> m_pendingNames;
    QMutex m_namesLock;
};
