#include "EditorWindow.h"

#include "Panel.h"

EditorWindow::EditorWindow(MidiDevice* device, const EditorTraits& traits)
    : MidiEditorWindow(device), m_wire(this, traits)
{
}

EditorWindow::~EditorWindow() = default;

void EditorWindow::initDevice()
{
    m_wire.initDevice();
}

void EditorWindow::MidiReceive()
{
    MidiEditorWindow::MidiReceive();
    m_wire.receive();
}

void EditorWindow::OnPatchChange(Patch patch, MidiSource source)
{
    MidiEditorWindow::OnPatchChange(patch, source);
    m_wire.onPatchChange(patch, source);
}

QString EditorWindow::patchFileError(const QByteArray& bytes)
{
    return m_wire.patchFileError(bytes);
}

void EditorWindow::onCommand(int id)
{
    m_wire.dispatch(id);
}

void EditorWindow::onMessage(int id, const QVariant& data, const QVariant& source)
{
    // A caption that names no sub-unit by its iterator goes no further.
    if (id == AbstractPanel::CaptionMenuMessage && !m_wire.captionMenu(data))
        return;
    MidiEditorWindow::onMessage(id, data, source);
}
