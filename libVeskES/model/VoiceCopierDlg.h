// The "Voice Copier" dialog: the source voice, the destination part and the
// five options of one copy, kept in a VoiceCopierInfo and saved in the
// settings when the user accepts.
//
// The source voice is picked with a patch selector over the device's bank
// set "VOICES" (voices and drum kits); it starts at the voice the settings
// name (program 0 of the set's first bank on a first run). The selector
// belongs to no panel: it sends nothing, the dialog reads its patch.
//
// A part saved outside the destination's list (settings edited by hand, or
// kept from a mix by a performance) is brought into the list, so the part
// handed back always lies within it.
#pragma once

#include "Dialog.h"
#include "VoiceCopierInfo.h"

class MidiDevice;
class QCheckBox;
class MidiPatchEdit;
class QComboBox;

class VoiceCopierDlg : public Dialog
{
    Q_OBJECT

public:
    // kind: VoiceCopierInfo::Performance (4 parts, the name option shown) or
    // VoiceCopierInfo::Mix (16 parts, no name option).
    VoiceCopierDlg(int kind, MidiDevice* device, QWidget* parent = nullptr);
    ~VoiceCopierDlg() override;

    const VoiceCopierInfo& info() const { return m_info; }

    // The voice the patch selector shows.
    Patch sourceVoice() const;
    void setSourceVoice(Patch voice);
    MidiPatchEdit* voiceSelector() const { return m_voice; }

    QComboBox* partList() const { return m_part; }
    // The option boxes in the order shown: name, voice, system effects,
    // insert effects, arpeggios.
    QList<QCheckBox*> optionBoxes() const;

public slots:
    // Takes the choices into the record, saves it, and closes accepted.
    void accept() override;

private:
    VoiceCopierInfo m_info;
    int m_kind = VoiceCopierInfo::Performance;
    MidiDevice* m_device = nullptr;
    MidiPatchEdit* m_voice = nullptr;
    QCheckBox* m_copyName = nullptr;
    QCheckBox* m_copyVoice = nullptr;
    QCheckBox* m_copyFx = nullptr;
    QCheckBox* m_copyInsFx = nullptr;
    QCheckBox* m_copyArp = nullptr;
    QComboBox* m_part = nullptr;
};

// Runs the dialog for kind; when accepted, info receives the choices and the
// result is true. Cancelled: false, info untouched, nothing saved.
bool GetVoiceCopierInfo(VoiceCopierInfo& info, int kind, MidiDevice* device, QWidget* parent);
