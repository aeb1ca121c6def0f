#include "VoiceCopier.h"

#include "BulkDump.h"
#include "EditorWindow.h"
#include "ProgressDlg.h"
#include "Vesk.h"
#include "VoiceCopierDlg.h"
#include "VoiceCopierInfo.h"

namespace VoiceCopier {

namespace {

constexpr int PerformanceType = 3;
constexpr int SaveTimeoutMs = 2000;
constexpr int VoiceMode = 0;
constexpr int PerformanceMode = 1;
const char* const TimeOut = "Time out!";

} // namespace

void run(EditorWindow& window, int kind)
{
    Vesk* device = window.wire().device();
    const bool performance = kind == VoiceCopierInfo::Performance;
    VoiceCopierInfo info;
    if (!GetVoiceCopierInfo(info, kind, device, &window))
        return;

    // Cancel stops the copy before its next request or send; the instrument
    // is back in its performance once the voice was asked for.
    ProgressDlg progress(&window, QStringLiteral("Voice Copier"), performance ? 3 : 2, 0, ProgressDlg::Cancelable);
    BulkDump saved;
    if (performance) {
        progress.message(QStringLiteral("Saving performance..."));
        if (!device->syncEditBufferRequest(PerformanceType, saved, SaveTimeoutMs)) {
            progress.abort(QString::fromLatin1(TimeOut));
            return;
        }
        if (progress.wasCanceled())
            return;
        device->setMode(VoiceMode);
        device->patchChange(info.voice);
        progress.step();
    }

    progress.message(QStringLiteral("Requesting voice..."));
    if (!performance && progress.wasCanceled())
        return;
    BulkDump voice;
    // Only a voice that came whole is copied: a block left out or damaged on
    // the cable would go into the part as the voice.
    const bool received = device->syncPatchRequest(info.voice, voice, false);
    if (performance) {
        // Back to the performance whether or not the voice came: the
        // instrument must not be left playing the source voice.
        device->setMode(PerformanceMode);
        saved.sendToSynth(device);
    }
    if (!received) {
        progress.abort(QString::fromLatin1(TimeOut));
        if (performance)
            window.MidiReceive();
        return;
    }
    if (progress.wasCanceled())
        return;
    progress.step();

    progress.message(QStringLiteral("Copying voice..."));
    if (voice.size() > 0)
        device->CopyVoiceES(&voice, &info, kind);
    window.MidiReceive();
    progress.step();
}

} // namespace VoiceCopier
