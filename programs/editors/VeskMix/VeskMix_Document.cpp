// The mix editor's document: a mix file (the instrument's answer for its mix
// edit buffer, raw, byte for byte) and beside it a companion library (".all",
// a Ridev Library) of the user voices the mix's parts play.
//
// Opening checks the whole file before anything changes: only a file of mix
// messages is sent, and only once the mix has been read from the instrument
// (a path handed over before that waits for it). Saving receives the whole
// mix and every user voice it uses before anything is written: an answer
// that did not come whole (no header, a block missing or damaged, no
// footer) writes neither file and says why. Then the mix is written through
// QSaveFile and the emptied companion, filled with the voices, the same way;
// a file that cannot be written is said, and the document then stays
// modified. One document operation runs at a time: the events let through
// while one runs cannot start another or close the window. GUI thread only,
// but for the transmission's run().
#include "VeskMix_Document.h"

#include "VeskMix.h"

#include "Archive.h"
#include "Buffer.h"
#include "DeviceBank.h"
#include "Library.h"
#include "LibraryTask.h"
#include "Paths.h"
#include "PatchDump.h"
#include "PatchList.h"
#include "Profile.h"
#include "ProgressDlg.h"
#include "Prompts.h"
#include "VarArgs.h"
#include "Vesk.h"
#include "VeskDump.h"
#include "VeskSysex.h"
#include "WaitCursor.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

const QString FolderKey = QStringLiteral("MixFolder");
const QString UserVoiceBanks = QStringLiteral("VOICES_USER_ALL");
constexpr int MixRequestMs = 3000;
constexpr int VoiceMode = 0;

QString shown(const QString& path)
{
    return GetCompactPath(path, -1);
}

// What receiveUserVoices gives back when the user stopped it.
const QString SaveCanceled = QStringLiteral("canceled");

// Pending events run while a document operation waits on the instrument;
// what the user types or clicks meanwhile waits for the operation's end.
void letEventsRun()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// Whether the path can be written: a QSaveFile opened and abandoned, so an
// old file there stays whole.
bool canWrite(const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.cancelWriting();
    return true;
}

// Patches in a user voice bank's slots that hold messages, over the banks.
int countNonEmptyPatches(Library* library, const BankSet& banks)
{
    int count = 0;
    for (int i = 0; i < banks.size(); ++i) {
        DeviceBank* bank = banks.bankAt(i);
        BankPatchGroup* group = bank ? library->getBankPatchGroup(bank->bankWord()) : nullptr;
        if (group)
            count += group->nonEmptyPatchesCount();
    }
    return count;
}

} // namespace

// One document operation at a time; the window is busy while it lives.
class DocumentOperation
{
public:
    explicit DocumentOperation(VeskMix* window) : m_window(window) { m_window->m_documentBusy = true; }
    ~DocumentOperation() { m_window->m_documentBusy = false; }
    DocumentOperation(const DocumentOperation&) = delete;
    DocumentOperation& operator=(const DocumentOperation&) = delete;

private:
    VeskMix* m_window;
};

// --- what a mix file holds ------------------------------------------------------------------

bool MixFile::isMixMessage(Sysex* message)
{
    if (!message || !message->isValid() || message->type() != VeskSysex::KindBulkDump)
        return false;
    const unsigned int address = message->address();
    if (address == BulkAddress + VeskSysex::HeaderOffset || address == BulkAddress + VeskSysex::FooterOffset)
        return true;
    const unsigned int high = address >> 16;
    return high >= 0x36 && high <= 0x39;
}

// --- the transmission of the companion's user voices ------------------------------------------

Task_TransmitUserPatches::Task_TransmitUserPatches(Library* library, const BankSet& banks, VeskMix* window)
    : Task(QStringLiteral("Task_TransmitAll")), m_device(library->device()), m_window(window)
{
    for (int i = 0; i < banks.size(); ++i) {
        DeviceBank* bank = banks.bankAt(i);
        BankPatchGroup* group = bank ? library->getBankPatchGroup(bank->bankWord()) : nullptr;
        if (!group)
            continue;
        for (int row = 0; row < group->itemCount(); ++row) {
            PatchDump* slot = group->patchDumpAt(row);
            if (!slot || slot->isEmpty())
                continue;
            Item item;
            item.patch = Patch(bank->bankWord(), row);
            item.name = slot->name(false);
            item.progress = VarArgs::format("%s %s", m_device->printPatch(item.patch, Patch::OneBasedGrouped),
                                            item.name);
            item.dump = std::make_unique<BulkDump>();
            item.dump->copyDump(slot, m_device);
            m_patches.push_back(std::move(item));
        }
    }
}

Task_TransmitUserPatches::~Task_TransmitUserPatches()
{
    // run() reads the copies held here.
    safeTerminate();
}

void Task_TransmitUserPatches::leaveWindow()
{
    m_window = nullptr;
}

void Task_TransmitUserPatches::run()
{
    message(VarArgs::format("Transmitting %d patches...", int(m_patches.size())));
    for (const Item& item : m_patches) {
        // A cancelled or failed run stops at once and stores nothing: the
        // instrument's user voices stay as they were stored last.
        if (wasCanceled())
            return;
        message(item.progress);
        MidiDevice::clearSendRefusal();
        m_device->patchTransmit(item.patch, item.dump.get(), false);
        if (const QString refusal = MidiDevice::sendRefusal(); !refusal.isEmpty()) {
            abort(TransferFailure(TransmitFailedText, item.progress, refusal));
            return;
        }
        ++m_sent;
        if (wasCanceled())
            return;
        step();
    }
    MidiDevice::clearSendRefusal();
    m_device->storeAllPatches();
    if (const QString refusal = MidiDevice::sendRefusal(); !refusal.isEmpty())
        abort(TransferFailure(TransmitFailedText, QString(), refusal));
}

void Task_TransmitUserPatches::finished()
{
    for (int i = 0; i < m_sent; ++i)
        m_device->updateUserPatchName(m_patches[size_t(i)].patch, m_patches[size_t(i)].name);
    if (m_window)
        m_window->userVoicesSent(this);
}

bool VeskMix::transmitUserVoices(int count)
{
    // One function sends the voices, so the library's own transmission task
    // can take its place.
    auto* task = new Task_TransmitUserPatches(&companionLibrary, BankSet(device, UserVoiceBanks), this);
    task->autoDelete();
    if (!task->start(QStringLiteral("Load User Voices"), count, 0)) {
        delete task;
        return false;
    }
    m_transmission = task;
    return true;
}

void VeskMix::userVoicesSent(Task_TransmitUserPatches* task)
{
    if (m_transmission == task)
        m_transmission = nullptr;
    updatePatchEdits();
    reselectVoices();
    setWindowModified(false);
}

void VeskMix::finishTransmission()
{
    // Wait() ends the job here and then, and finished() reports it.
    if (m_transmission)
        m_transmission->wait();
}

void VeskMix::endTransmission()
{
    if (!m_transmission)
        return;
    Task_TransmitUserPatches* task = m_transmission;
    m_transmission = nullptr;
    task->leaveWindow();
    task->safeTerminate();
}

// --- path and title --------------------------------------------------------------------------

void VeskMix::setFilePath(const QString& path)
{
    filePath = path;
    QString name = path;
    if (docTemplate.isFileValid(path)) {
        storeMRU(path);
        filePath = QFileInfo(path).absoluteFilePath();
        name = QFileInfo(filePath).fileName();
        companionPath = ChangeExtension(filePath, QStringLiteral("all"));
    } else {
        companionPath.clear();
    }
    setWindowModified(false);
    const QString title = Profile::title();
    setWindowTitle(name.isEmpty() ? title : VarArgs::format("%s - [%s[*]]", title, name));
}

bool VeskMix::mayClose()
{
    if (filePath.isEmpty() || !isWindowModified())
        return true;
    switch (promptSave(this, filePath, QString())) {
    case PromptSaveSave:
        return save();
    case PromptSaveDiscard:
        return true;
    default:
        // Cancel, and whatever else closed the prompt: the document stays.
        return false;
    }
}

// --- New, Close --------------------------------------------------------------------------------

void VeskMix::newFile()
{
    if (m_documentBusy || !mayClose())
        return;
    DocumentOperation operation(this);
    finishTransmission();
    {
        WaitCursor wait;
        setFilePath(QString());
        static_cast<Vesk*>(device)->initMix();
    }
    MidiReceive();
    setFilePath(QStringLiteral("Untitled"));
    newLibrary();
}

void VeskMix::closeFile()
{
    if (m_documentBusy || !mayClose())
        return;
    setFilePath(QString());
    // The next document starts without this one's voices.
    newLibrary();
}

void VeskMix::newLibrary()
{
    companionLibrary.clear();
}

// --- Open ---------------------------------------------------------------------------------------

void VeskMix::openFile()
{
    if (m_documentBusy)
        return;
    // Checked before anything is asked or closed: the file could not be
    // sent on top of a mix that was never read.
    if (!partPatch(0).isValid()) {
        error(this, QStringLiteral("The mix has not been read from the instrument yet.\n\n"
                                   "Connect the instrument in Song or Pattern mode and try again."));
        return;
    }
    if (!mayClose())
        return;
    const QString path = docTemplate.openFile(this, FolderKey, QString());
    if (path.isEmpty())
        return;
    openNamed(path, false);
}

void VeskMix::openFile(const QString& path)
{
    openNamed(path, true);
}

void VeskMix::openNamed(const QString& path, bool ask)
{
    if (path.isEmpty() || m_documentBusy)
        return;
    // The file is sent over the mix read from the instrument; until it has
    // been read the path waits (MidiReceive opens it).
    if (!partPatch(0).isValid()) {
        m_pendingOpen = path;
        return;
    }
    m_pendingOpen.clear();
    if (!QFile::exists(path)) {
        error(this, VarArgs::format("File not found\n\n%s", shown(path)));
        removeMRU(path);
        return;
    }
    if (ask && !mayClose())
        return;
    DocumentOperation operation(this);

    // The whole file is read and checked before anything is sent or closed.
    QByteArray bytes;
    if (!ReadFileBytes(path, MixFile::MaxSize, bytes)) {
        const bool tooLarge = QFileInfo(path).size() > MixFile::MaxSize;
        error(this, tooLarge ? VarArgs::format("Illegal file\n\n%s", shown(path))
                             : VarArgs::format("Cannot open file\n\n%s", shown(path)));
        return;
    }
    BulkDump dump;
    dump.fromBlock(bytes, 0, bytes.size(), device, false);
    if (dump.isEmpty()) {
        error(this, VarArgs::format("Illegal file\n\n%s", shown(path)));
        return;
    }
    for (Sysex* message : dump) {
        if (!MixFile::isMixMessage(message)) {
            error(this, VarArgs::format("Illegal file\n\n%s\n\nThe file holds messages that are not part of a mix.",
                                        shown(path)));
            return;
        }
    }

    finishTransmission();
    // While the path is empty, the echoes of what is sent mark nothing.
    setFilePath(QString());
    bool sent = true;
    {
        // No Cancel: a mix stopped half-way would leave the instrument with
        // part of the file.
        ProgressDlg progress(this, QStringLiteral("Load File"), int(dump.size()));
        progress.message(VarArgs::format("Loading %s...", shown(path)));
        static_cast<Vesk*>(device)->resetMixVoices();
        for (Sysex* message : dump) {
            if (device->sendSysex(message) < 0) {
                sent = false;
                break;
            }
            device->waitTransmit();
            progress.step();
            letEventsRun();
        }
    }
    if (!sent) {
        // The instrument holds part of the file: no document is left, and
        // none of the old one's voices either.
        newLibrary();
        MidiReceive();
        error(this, VarArgs::format("Cannot open file\n\n%s\n\nThe mix could not be sent to the instrument.",
                                    shown(path)));
        return;
    }
    MidiReceive();
    setFilePath(path);
    openLibrary();
}

void VeskMix::openLibrary()
{
    // A document never takes over the voices of the one before it.
    newLibrary();
    if (companionPath.isEmpty() || !QFile::exists(companionPath))
        return;
    if (!companionLibrary.loadFile(companionPath)) {
        companionLibrary.clear();
        warning(this, companionLibrary.docError());
        return;
    }
    const int count = countNonEmptyPatches(&companionLibrary, BankSet(device, UserVoiceBanks));
    if (count == 0)
        return;
    const QString text = VarArgs::format("'%s' contains User Voices.\n\nDo you want to load them now?",
                                         QFileInfo(filePath).fileName());
    if (!okCancel(this, text, QStringLiteral("Load User Voices")))
        return;
    transmitUserVoices(count);
}

// --- Save ---------------------------------------------------------------------------------------

bool VeskMix::save()
{
    if (docTemplate.isFileValid(filePath))
        return saveFile(filePath);
    return saveAs();
}

bool VeskMix::saveAs()
{
    if (m_documentBusy)
        return false;
    const QString path = docTemplate.saveFile(this, FolderKey, filePath);
    if (path.isEmpty())
        return false;
    return saveFile(path);
}

bool VeskMix::saveFile(const QString& path)
{
    if (m_documentBusy)
        return false;
    if (!canWrite(path)) {
        error(this, VarArgs::format("Cannot save file\n\n%s", shown(path)));
        return saveAs();
    }
    QString failure;
    {
        DocumentOperation operation(this);
        finishTransmission();
        // Clearing mute and solo is the save's own doing, no edit of the mix.
        cancelSoloMute();
        // Both files are received whole before either is written: a mix
        // whose voices did not all come would be saved beside a companion
        // that lost them, and the old pair on disk, which may still hold
        // them, is worth more than that.
        Vesk* vesk = static_cast<Vesk*>(device);
        MixDump mix(vesk);
        ReceivedVoices voices;
        QString refusal;
        {
            WaitCursor wait;
            if (!vesk->syncEditBufferRequest(VeskDump::TypeMix, mix, MixRequestMs))
                refusal = vesk->transferError();
            else if (docTemplate.isFileValid(path))
                refusal = receiveUserVoices(mix, voices);
        }
        if (refusal == SaveCanceled)
            return false; // the user's own choice: nothing written, nothing to say
        if (!refusal.isEmpty()) {
            error(this, EditorWire::saveRefusal(refusal));
            return false;
        }
        bool written = false;
        {
            WaitCursor wait;
            Archive file;
            Buffer bytes;
            mix.toBuffer(bytes);
            written = file.writeFile(path);
            if (written) {
                file << bytes;
                written = file.close();
            }
        }
        if (!written) {
            error(this, VarArgs::format("Cannot save file\n\n%s", shown(path)));
            return false;
        }
        setFilePath(path);
        failure = saveLibrary(voices);
    }
    if (failure.isEmpty())
        return true;
    // The mix file stands; the document is not saved whole.
    setWindowModified(true);
    error(this, failure);
    return false;
}

QString VeskMix::receiveUserVoices(MixDump& mix, ReceivedVoices& voices)
{
    UserPatchList used;
    mix.getUserPatches(&used);
    Vesk* vesk = static_cast<Vesk*>(device);
    // The instrument hands out its voice locations in Voice mode only: the
    // mix's mode is left for the requests and taken up again after them.
    bool switched = false;
    int before = -1;
    QString refusal;
    // Up to a few dozen requests of up to three seconds each: the user sees
    // them go by and may stop the save, which then writes nothing.
    ProgressDlg progress(this, QStringLiteral("Save"), int(used.size()), 0,
                         ProgressDlg::Cancelable | ProgressDlg::Delayed);
    for (unsigned int packed : std::as_const(used)) {
        const Patch patch(packed);
        // Runs the pending events, the click on Cancel among them.
        if (progress.wasCanceled()) {
            refusal = SaveCanceled;
            break;
        }
        progress.step();
        if (!companionLibrary.getPatchDump(patch))
            continue; // a bank the library keeps no group for (mixing voices)
        progress.message(VarArgs::format("Receiving %s...", vesk->printPatch(patch, Patch::OneBasedGrouped)));
        if (!switched) {
            switched = true;
            before = vesk->syncGetMode(MixRequestMs);
            if (before != VoiceMode)
                vesk->setMode(VoiceMode);
        }
        auto voice = std::make_unique<BulkDump>();
        if (!vesk->syncPatchRequest(patch, *voice, false)) {
            refusal = VarArgs::format("User voice %s: %s", vesk->printPatch(patch, Patch::OneBasedGrouped),
                                      vesk->transferError());
            break;
        }
        vesk->strip(voice.get());
        voices.emplace_back(patch, std::move(voice));
    }
    if (switched && before != VoiceMode) {
        const int back = before >= 0 ? before : mixMode;
        if (back >= 0)
            vesk->setMode(back);
    }
    return refusal;
}

QString VeskMix::saveLibrary(const ReceivedVoices& voices)
{
    if (companionPath.isEmpty())
        return QString();
    WaitCursor wait;
    // The companion holds exactly the voices this mix uses.
    newLibrary();
    for (const auto& [patch, voice] : voices) {
        if (PatchDump* slot = companionLibrary.getPatchDump(patch))
            slot->copyDump(voice.get(), device);
    }
    if (!companionLibrary.storeFile(companionPath))
        return VarArgs::format("Cannot save file\n\n%s", shown(companionPath));
    return QString();
}

// --- closing the window ----------------------------------------------------------------------

void VeskMix::closeEvent(QCloseEvent* event)
{
    if (m_documentBusy || !mayClose()) {
        event->ignore();
        return;
    }
    endTransmission();
    cancelSoloMute();
    event->accept();
}
