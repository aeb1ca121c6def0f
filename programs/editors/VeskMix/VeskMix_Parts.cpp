// The mix editor's reading of the mix and the parts' voices: the whole mix
// edit buffer into the panels, the voice each part shows, mute and solo
// cleared, and the modified mark of the program's own edits.
#include "VeskMix.h"

#include "MidiCheckBox.h"
#include "MidiPatchEdit.h"
#include "MixParts.h"
#include "Vesk.h"
#include "VeskDump.h"
#include "VeskMix_Document.h"
#include "VeskSysex.h"
#include "WaitCursor.h"

#include <QThread>

namespace {

constexpr int MixRequestMs = 3000;

MidiPatchEdit* voiceEdit(TabPanel& parts, int part)
{
    Panel* panel = part >= 0 && part < VeskMix::Parts ? parts.panel(part) : nullptr;
    return panel ? panel->getPatchEdit(QStringLiteral("Voice"), 0) : nullptr;
}

} // namespace

void VeskMix::MidiReceive()
{
    MidiEditorWindow::MidiReceive();
    if (!device->isConnected())
        return;
    MixDump dump(static_cast<Vesk*>(device));
    bool received;
    {
        WaitCursor wait;
        received = device->syncBulkRequest(MixFile::BulkAddress, dump, MixRequestMs);
    }
    if (received) {
        device->strip(&dump);
        // As if the instrument had sent them: the controls take the values
        // and send nothing back.
        for (Sysex* message : dump)
            OnSysex(message, SourceDev);
    }
    // A file handed over before the mix was read is opened now, once the
    // caller (a connection notice, a document operation) is done.
    if (!m_pendingOpen.isEmpty() && partPatch(0).isValid()) {
        QMetaObject::invokeMethod(
            this,
            [this]() {
                const QString path = m_pendingOpen;
                if (!path.isEmpty())
                    openFile(path);
            },
            Qt::QueuedConnection);
    }
}

void VeskMix::OnSysex(Sysex* message, MidiSource source)
{
    MidiEditorWindow::OnSysex(message, source);
    // The program's own edits of the mix (its parameters lie at 36xxxx to
    // 39xxxx) modify the document; a worker's sends are no edits.
    if (source != SourceGUI || !message || QThread::currentThread() != thread() || !marksEdits())
        return;
    // Requests change nothing.
    const int kind = message->type();
    if (kind != VeskSysex::KindParameterChange && kind != VeskSysex::KindBulkDump)
        return;
    const unsigned int high = message->address() >> 16;
    if (high >= 0x36 && high <= 0x39)
        setWindowModified(true);
}

Patch VeskMix::partPatch(int part)
{
    MidiPatchEdit* edit = voiceEdit(partsTab, part);
    return edit ? edit->patch() : Patch();
}

void VeskMix::cancelSoloMute()
{
    for (int part = 0; part < Parts; ++part) {
        if (Part* record = device->mixPart(part))
            record->solo = false;
    }
    device->cancelSoloMute();
    for (int part = 0; part < Parts; ++part) {
        Panel* panel = partsTab.panel(part);
        if (!panel)
            continue;
        for (const QString& title : {QStringLiteral("M"), QStringLiteral("S")}) {
            if (MidiCheckBox* box = panel->getCheckBox(title, 0))
                box->setValue(0);
        }
    }
}

void VeskMix::updatePatchEdits()
{
    for (int part = 0; part < Parts; ++part) {
        if (MidiPatchEdit* edit = voiceEdit(partsTab, part))
            edit->updateDisplay();
    }
}

void VeskMix::reselectVoices()
{
    for (int part = 0; part < Parts; ++part) {
        MidiPatchEdit* edit = voiceEdit(partsTab, part);
        if (edit && edit->patch().isValid())
            edit->changePatch(edit->patch(), false);
    }
}
