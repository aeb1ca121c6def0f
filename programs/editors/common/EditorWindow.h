// The window the five editors derive from: an editor window whose dealings
// with the instrument are the shared operations (EditorWire.h), driven by
// the editor's table. It reads the edit buffer, follows program changes,
// checks patch files, runs the table's commands and the row captions'
// context menu; an editor overrides a hook only for what it does besides.
//
// GUI thread only.
#pragma once

#include "EditorTraits.h"
#include "EditorWire.h"
#include "MidiEditorWindow.h"

class EditorWindow : public MidiEditorWindow
{
    Q_OBJECT

public:
    // traits: the editor's table, which outlives the window.
    EditorWindow(MidiDevice* device, const EditorTraits& traits);
    ~EditorWindow() override;

    void initDevice() override;
    // The base's, then the edit buffer into the panels.
    void MidiReceive() override;
    void OnPatchChange(Patch patch, MidiSource source) override;
    QString patchFileError(const QByteArray& bytes) override;
    // The table's commands; any other id is ignored.
    void onCommand(int id) override;
    // 4203: the context menu of a sub-unit row's caption.
    void onMessage(int id, const QVariant& data, const QVariant& source) override;

    EditorWire& wire() { return m_wire; }

protected:
    EditorWire m_wire;
};
