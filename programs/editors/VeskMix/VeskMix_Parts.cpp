// The mix editor's window behaviour over its parts: the current part (the
// last mix part row activated) and what follows from it, the part
// shortcuts, the modified mark of an open mix file, the solo and mute reset,
// the parts' voice selectors, the plug-in part rows and panel stepping.
#include "VeskMix.h"

#include "EditorCommands.h"
#include "MidiCheckBox.h"
#include "MidiEdit.h"
#include "MidiPatchEdit.h"
#include "PartPanels.h"
#include "Vesk.h"
#include "VoiceCopier.h"
#include "VoiceCopierInfo.h"

#include <QKeyEvent>
#include <QThread>

namespace {

const QString PartSection = QStringLiteral("Mix:Part");

} // namespace

int VeskMix::partOfRow(const QVariant& panel) const
{
    // The plug-in part rows post the same message with their slot number as
    // iterator; they are no mix part and leave the current part alone.
    const auto* row = dynamic_cast<const Panel*>(knownPanel(panel));
    if (!row || row->internalName().section(u'|', 0, 0) != PartSection)
        return -1;
    const int part = row->iterator();
    return part >= 0 && part < Parts && part < partsTab.panelCount() ? part : -1;
}

void VeskMix::onMessage(int id, const QVariant& data, const QVariant& source)
{
    if (id == AbstractPanel::PanelSelectedMessage) {
        const int part = partOfRow(data);
        if (part >= 0 && source.toBool()) {
            currentPart = part;
            setKeyboardChannel(part);
            const MidiEdit* channel = partsTab.panel(part)->getEdit(QStringLiteral("Channel"), 0);
            const int value = channel ? channel->value() : -1;
            device->setAuxChannel(value >= 0 && value < 16 ? value : -1);
        } else if (part >= 0) {
            device->setAuxChannel(-1);
        }
    }
    EditorWindow::onMessage(id, data, source);
}

void VeskMix::keyPressEvent(QKeyEvent* event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        switch (event->key()) {
        case Qt::Key_C:
            copyPart(currentPart);
            return;
        case Qt::Key_V:
            pastePart(currentPart);
            return;
        case Qt::Key_B:
            swapPart(currentPart);
            return;
        default:
            break;
        }
    }
    EditorWindow::keyPressEvent(event);
}

void VeskMix::OnSysex(Sysex* message, MidiSource source)
{
    if (source == SourceGUI)
        checkWindowModified(message);
    EditorWindow::OnSysex(message, source);
}

void VeskMix::checkWindowModified(Sysex* message)
{
    // Only the user's own edits count: not a worker's sends, and not what a
    // document operation sends itself (the save's solo/mute reset).
    if (!message || !message->hasData() || !marksEdits() || QThread::currentThread() != thread())
        return;
    const unsigned int high = (message->address() >> 16) & 0x7F;
    if (high >= 0x36 && high <= 0x39)
        setWindowModified(true);
}

void VeskMix::MidiReceive()
{
    EditorWindow::MidiReceive();
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

void VeskMix::cancelSoloMute()
{
    for (int i = 0;; ++i) {
        Part* part = device->mixPart(i);
        if (!part)
            break;
        part->solo = false;
        part->mute = false;
    }
    device->cancelSoloMute();
    for (int i = 0; i < partsTab.panelCount(); ++i) {
        for (const QString& title : {QStringLiteral("M"), QStringLiteral("S")}) {
            if (MidiCheckBox* box = partsTab.panel(i)->getCheckBox(title, 0))
                box->setValue(0);
        }
    }
}

void VeskMix::updatePatchEdits()
{
    for (int i = 0; i < partsTab.panelCount(); ++i) {
        if (MidiPatchEdit* voice = partsTab.panel(i)->getPatchEdit(QStringLiteral("Voice"), 0))
            voice->updateDisplay();
    }
}

void VeskMix::reselectVoices()
{
    for (int i = 0; i < partsTab.panelCount(); ++i) {
        if (MidiPatchEdit* voice = partsTab.panel(i)->getPatchEdit(QStringLiteral("Voice"), 0))
            voice->changePatch(voice->patch(), false);
    }
}

Patch VeskMix::partPatch(int part) const
{
    const Panel* row = part >= 0 && part < partsTab.panelCount() ? partsTab.panel(part) : nullptr;
    const MidiPatchEdit* voice = row ? row->getPatchEdit(QStringLiteral("Voice"), 0) : nullptr;
    return voice ? voice->patch() : Patch();
}

void VeskMix::updatePLGPanels()
{
    PartPanels::updatePlgRows(*m_wire.device(), partsTab, Parts);
}

int VeskMix::nextPanel(bool back)
{
    const int index = EditorWindow::nextPanel(back);
    if (index >= 0)
        editorPanels.at(index)->setFocus(currentPart);
    return index;
}

void VeskMix::v2p()
{
    // Solo and mute are cleared first, even when the copy is then cancelled:
    // the copied part must be heard as the others are.
    cancelSoloMute();
    VoiceCopier::run(*this, VoiceCopierInfo::Mix);
}
