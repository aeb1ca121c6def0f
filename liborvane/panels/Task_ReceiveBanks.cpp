#include "Task_ReceiveBanks.h"

#include "BulkDump.h"
#include "MidiClient.h"
#include "MidiDevice.h"
#include "PatchDump.h"
#include "VarArgs.h"

#include <memory>

Task_ReceiveBanks* Task_ReceiveBanks::receiveBanks(MidiClient* window, const BankSet& banks, bool switchMode,
                                                   std::function<void()> onReceived)
{
    if (!window || !window->midiDevice())
        return nullptr;
    const int total = banks.ridevPatchesCount();
    if (total <= 0)
        return nullptr;
    auto* task = new Task_ReceiveBanks(window, banks, switchMode, std::move(onReceived));
    task->autoDelete();
    if (!task->start(QString::fromLatin1(Title), total, 0)) {
        delete task;
        return nullptr;
    }
    return task;
}

Task_ReceiveBanks::Task_ReceiveBanks(MidiClient* window, const BankSet& banks, bool switchMode,
                                     std::function<void()> onReceived)
    : Task(QStringLiteral("Task_ReceiveBanks")), m_banks(banks), m_device(window->midiDevice()),
      m_switchMode(switchMode), m_deviceGuard(m_device), m_window(window->lifetimeToken()),
      m_onReceived(std::move(onReceived))
{
    connect(m_window.data(), &QObject::destroyed, this, &Task_ReceiveBanks::onWindowGone);
}

Task_ReceiveBanks::~Task_ReceiveBanks()
{
    // run() reads the members: it must be over before they go.
    safeTerminate();
}

void Task_ReceiveBanks::onWindowGone()
{
    m_window = nullptr;
    m_onReceived = nullptr;
    // The request under way ends by its answer or its time-out; the job
    // returns at its next look at the cancel flag.
    safeTerminate();
}

void Task_ReceiveBanks::fail(Outcome outcome, const QString& text)
{
    m_outcome.store(outcome);
    if (!text.isEmpty())
        abort(text);
}

void Task_ReceiveBanks::run()
{
    MidiDevice* dev = m_device;
    message(VarArgs::format(QString::fromLatin1(OpeningText), strPatches(maximum(), true)));
    for (int b = 0; b < m_banks.size(); ++b) {
        const DeviceBank* bank = m_banks.bankAt(b);
        if (!bank)
            continue;
        const unsigned short word = bank->bankWord();
        const int count = bank->count();
        if (count <= 0)
            continue;
        // Every patch of the bank is read by a dump of the bank's type.
        std::unique_ptr<PatchDump> reader(dev->createPatchDump(dev->bankType(word)));
        if (!reader) {
            fail(NoPatchDump, VarArgs::format(QString::fromLatin1(NoPatchDumpText), dev->bankName(word)));
            return;
        }
        QMap<int, QString> names;
        // Whatever ends the bank early, the names taken so far go to the
        // device.
        const auto endBank = [&] {
            if (!names.isEmpty())
                postNames(word, names);
        };
        for (int program = 0; program < count; ++program) {
            if (wasCanceled()) {
                fail(Canceled, QString());
                return endBank();
            }
            const Patch patch(word, program);
            BulkDump dump;
            MidiDevice::clearSyncOutcome();
            if (!dev->syncPatchRequest(patch, dump, m_switchMode)) {
                // Each failure for what it is; a request that was never made
                // names a patch the device has no block for.
                switch (MidiDevice::lastSyncOutcome()) {
                case MidiDevice::SyncTimedOut:
                    fail(TimedOut, QString::fromLatin1(TimeoutText));
                    break;
                case MidiDevice::SyncBusy:
                    fail(Busy, QString::fromLatin1(BusyText));
                    break;
                case MidiDevice::SyncRejected:
                    fail(Rejected, VarArgs::format(QString::fromLatin1(RejectedText),
                                                   dev->printPatch(patch, Patch::OneBasedGrouped),
                                                   dev->syncReplyError()));
                    break;
                default:
                    fail(Unaddressable, VarArgs::format(QString::fromLatin1(UnaddressableText),
                                                        dev->printPatch(patch, Patch::OneBasedGrouped)));
                    break;
                }
                return endBank();
            }
            if (wasCanceled()) {
                fail(Canceled, QString());
                return endBank();
            }
            dev->strip(&dump);
            reader->copyDump(&dump, dev);
            const QString name = reader->name(true);
            message(VarArgs::format(QStringLiteral("%s %s"), dev->printPatch(patch, Patch::OneBasedGrouped),
                                    name));
            names.insert(program, name);
            if (wasCanceled()) {
                fail(Canceled, QString());
                return endBank();
            }
            step();
        }
        endBank();
    }
    m_outcome.store(Completed);
}

void Task_ReceiveBanks::postNames(unsigned short bankWord, const QMap<int, QString>& names)
{
    {
        QMutexLocker lock(&m_namesLock);
        m_pendingNames.append({bankWord, names});
    }
    QMetaObject::invokeMethod(this, &Task_ReceiveBanks::storeNames, Qt::QueuedConnection);
}

void Task_ReceiveBanks::storeNames()
{
    QList<QPair<unsigned short, QMap<int, QString>>> pending;
    {
        QMutexLocker lock(&m_namesLock);
        pending.swap(m_pendingNames);
    }
    if (!m_deviceGuard)
        return;
    // The device refuses the names of banks that are not user banks, and
    // the placeholders of empty slots.
    for (const auto& [word, names] : std::as_const(pending))
        m_deviceGuard->updateUserPatchNames(word, names);
}

void Task_ReceiveBanks::finished()
{
    // The last bank's names may still be on their way.
    storeNames();
    // However the job ended: the names taken before a cancel or a failure
    // are stored too, and the window shows them.
    const Outcome end = outcome();
    if (m_window && m_onReceived)
        m_onReceived();
    emit ended(end);
}
