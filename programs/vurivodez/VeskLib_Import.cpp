// The import of the instrument's own all-data files (of this model or of its
// sibling "V90 ES"): a Ridev Library takes the user patches into its user
// banks slot by slot, a Voice Library appends the voices and drum kits to
// its two groups.
//
// Each entry of a file's chunk holds the raw parameter data of one patch.
// It is spread over a copy of the file model's initial patch, then converted
// to this instrument's layout when the file is of the other model. An entry
// shorter than the patch's data fills what it holds; the rest keeps the
// initial patch's values.
//
// An imported library has no file of its own: it stays untitled, named after
// the native file, and its first Save asks where to write it.
#include "VeskLib.h"

#include "DeviceBank.h"
#include "ES_Document.h"
#include "Library.h"
#include "LibraryView.h"
#include "MidiDevice.h"
#include "PatchDump.h"
#include "ProgressDlg.h"
#include "Prompts.h"
#include "VoicesListView.h"
#include "WaitCursor.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <memory>

namespace {

const QString NativeFilter = QStringLiteral("Native Files (*.w7a;*.w7v;*.w7e;*.s7a;*.s7v;*.s7e;*.m7a);;");
const QString NativeFolderKey = QStringLiteral("NativeFolder");

struct Section
{
    const char* message;
    const char* bankSet; // of a Ridev Library
    const char* tag;
    int patchType;
    bool voiceLibrary; // imported into a Voice Library too
};

const Section Sections[] = {
    {"Importing Normal Voices...", "VOICES_USER", "DNVC", 0, true},
    {"Importing Drum Kits...", "DRUMS_USER", "DDVC", 1, true},
    {"Importing PLG Voices...", "PLG_USER", "DPVC", 2, false},
    {"Importing Performances...", "PERFORMANCES", "DPFM", 3, false},
    {"Importing Masters...", "MASTERS", "DMST", 5, false},
};

} // namespace

void VeskLib::ImportNativeFile()
{
    LibraryView* view = currentLibraryView();
    if (!view)
        return;
    if (view->documentType() == 0) {
        ImportNativeFile(PromptFileOpen(this, NativeFilter, QStringLiteral("Import Native File"), QString(),
                                        NativeFolderKey));
        return;
    }
    const QStringList paths =
        PromptFilesOpen(this, NativeFilter, QStringLiteral("Import Native Files"), QString(), NativeFolderKey);
    for (const QString& path : paths)
        ImportNativeFile(path);
}

void VeskLib::ImportNativeFile(const QString& path)
{
    if (path.isEmpty())
        return;
    // The file prompt is gone before the work starts.
    QCoreApplication::processEvents();
    ImportNativeFile_ES(path);
}

bool VeskLib::ImportNativeFile_ES(const QString& path)
{
    LibraryView* view = currentLibraryView();
    if (!view || !view->library())
        return false;
    ES_Document doc;
    if (!doc.loadFile(path)) {
        error(this, doc.docError());
        return false;
    }
    const QString model = doc.model();
    const bool ridev = view->documentType() == 0;
    int imported = 0;
    {
        // One step per section of the file the library takes.
        int steps = 0;
        for (const Section& section : Sections)
            steps += ridev || section.voiceLibrary ? 1 : 0;
        ProgressDlg progress(QStringLiteral("Import Native File"), steps, 0);
        for (const Section& section : Sections) {
            if (!ridev && !section.voiceLibrary)
                continue;
            progress.message(QString::fromLatin1(section.message));
            std::unique_ptr<PatchDump> templ(midiDevice()->createPatchDump(section.patchType));
            std::unique_ptr<PatchDump> work(midiDevice()->createPatchDump(section.patchType));
            if (!templ || !work) {
                progress.step();
                continue;
            }
            const QString tag = QString::fromLatin1(section.tag);
            if (ridev)
                imported += ImportNativeBanks_ES(doc, model, tag, QString::fromLatin1(section.bankSet), templ.get(),
                                                 work.get());
            else
                imported += ImportNativeType_ES(doc, model, tag, section.patchType, templ.get(), work.get());
            progress.step();
        }
    }
    if (imported == 0) {
        // Nothing changed: the library keeps its name and its state.
        warning(this, QStringLiteral("Nothing was imported from\n\n%1").arg(path),
                QStringLiteral("Import Native File"));
        return false;
    }
    // The library is the native file's content now, but not that file: it
    // is saved only where the user says.
    view->setFilePath(QString());
    view->setUntitledName(QFileInfo(path).baseName());
    view->setWindowModified(true);
    view->undoCheck();
    view->updateView(!ridev);
    autoUpdateUi();
    return true;
}

// One entry into the work dump: the template's data, overwritten by as many
// bytes as the entry holds, converted when the file is of the other model.
bool VeskLib::adaptEntry(const Buffer& entry, const QString& fileModel, PatchDump* templ, PatchDump* work)
{
    work->copyDump(templ, midiDevice());
    Buffer data;
    work->toDataBuffer(data);
    const int n = std::min(entry.size(), data.size());
    for (int i = 0; i < n; ++i)
        data.setAt(i, entry.at(i));
    if (!work->fromDataBuffer(&data))
        return false;
    work->setComment(QString());
    if (fileModel != midiDevice()->name())
        return work->translateDump(midiDevice(), nullptr);
    return true;
}

int VeskLib::ImportNativeBanks_ES(ES_Document& doc, const QString& fileModel, const QString& tag,
                                  const QString& bankSet, PatchDump* templ, PatchDump* work)
{
    LibraryView* view = currentLibraryView();
    if (!view || !view->library())
        return 0;
    WaitCursor wait;
    ES_Chunk* chunk = doc.getChunk(tag);
    if (!chunk)
        return 0;
    const BankSet banks(midiDevice(), bankSet);
    templ->buildInit(fileModel);
    int imported = 0;
    Patch patch;
    for (int i = 0; i < chunk->entryCount() && i < banks.ridevPatchesCount(); ++i) {
        patch = banks.nextPatch(patch);
        BankPatchGroup* group = view->library()->getBankPatchGroup(patch.bank.word());
        PatchDump* slot = group ? group->patchDumpAt(patch.program) : nullptr;
        if (!slot || !adaptEntry(chunk->entryBuffer(i), fileModel, templ, work))
            continue;
        slot->copyPatchDump(work, midiDevice());
        ++imported;
    }
    view->voicesList()->viewport()->update();
    return imported;
}

int VeskLib::ImportNativeType_ES(ES_Document& doc, const QString& fileModel, const QString& tag, int patchType,
                                 PatchDump* templ, PatchDump* work)
{
    LibraryView* view = currentLibraryView();
    if (!view || !view->library())
        return 0;
    PatchGroup* group = Library::getTypePatchGroup(view->library(), patchType);
    if (!group) {
        view->voicesList()->viewport()->update();
        return 0;
    }
    WaitCursor wait;
    ES_Chunk* chunk = doc.getChunk(tag);
    if (!chunk)
        return 0;
    templ->buildInit(fileModel);
    int imported = 0;
    for (int i = 0; i < chunk->entryCount(); ++i) {
        if (!adaptEntry(chunk->entryBuffer(i), fileModel, templ, work))
            continue;
        PatchDump* dump = midiDevice()->createPatchDump(group->patchType());
        if (!dump)
            continue;
        dump->copyDump(work, midiDevice());
        if (group->addPatchDump(dump, -1))
            ++imported;
    }
    view->voicesList()->viewport()->update();
    return imported;
}
