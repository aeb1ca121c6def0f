#include "VoiceCopierDlg.h"

#include "Prompts.h"

#include "MidiPatchEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>

#include <algorithm>

VoiceCopierDlg::VoiceCopierDlg(int kind, MidiDevice* device, QWidget* parent)
    : Dialog(parent), m_kind(kind), m_device(device),
      m_voice(new MidiPatchEdit(this, device, QStringLiteral("VOICES"))),
      m_copyName(new QCheckBox(QStringLiteral("Copy voice name"))),
      m_copyVoice(new QCheckBox(QStringLiteral("Copy voice"))),
      m_copyFx(new QCheckBox(QStringLiteral("Copy system effects"))),
      m_copyInsFx(new QCheckBox(QStringLiteral("Copy insert FX to A/D Input"))),
      m_copyArp(new QCheckBox(QStringLiteral("Copy arpeggios"))), m_part(new QComboBox)
{
    setWindowTitle(QStringLiteral("Voice Copier"));
    SetFixedWindow(this);

    auto* form = new DialogForm(QStringLiteral("Voice Copier Settings"),
                                QStringLiteral(":/vesk/images/v2p.png"), 11, addHLayout(4));
    m_voice->setMinimumSize(200, 21);
    form->addRow(QStringLiteral("Source voice:"), m_voice, 200);
    form->addRow(QStringLiteral("Destination part:"), m_part, 200);
    m_part->setMaxVisibleItems(16);
    for (QCheckBox* box : optionBoxes())
        form->addRow(QString(), box, 200);

    const int parts = VoiceCopierInfo::partCount(kind);
    // Only a performance takes the voice's name; the box keeps its state
    // hidden, so a mix copy saves the choice a performance copy made.
    if (kind != VoiceCopierInfo::Performance)
        m_copyName->setVisible(false);
    for (int p = 1; p <= parts; ++p)
        m_part->addItem(QString::number(p));

    addHButtons(1, false);

    m_info.fromRegistry(m_voice->bankSet().firstPatch());
    m_info.part = std::clamp(m_info.part, 0, parts - 1);

    setSourceVoice(m_info.voice);
    m_part->setCurrentIndex(m_info.part);
    m_copyName->setChecked(m_info.copyname);
    m_copyVoice->setChecked(m_info.copyvoice);
    m_copyFx->setChecked(m_info.copyfx);
    m_copyInsFx->setChecked(m_info.copyinsfx);
    m_copyArp->setChecked(m_info.copyarp);
}

VoiceCopierDlg::~VoiceCopierDlg() = default;

Patch VoiceCopierDlg::sourceVoice() const
{
    return m_voice->patch();
}

void VoiceCopierDlg::setSourceVoice(Patch voice)
{
    m_voice->setPatch(voice);
}

QList<QCheckBox*> VoiceCopierDlg::optionBoxes() const
{
    return {m_copyName, m_copyVoice, m_copyFx, m_copyInsFx, m_copyArp};
}

void VoiceCopierDlg::accept()
{
    m_info.voice = m_voice->patch();
    m_info.part = std::max(0, m_part->currentIndex());
    m_info.copyvoice = m_copyVoice->isChecked();
    m_info.copyname = m_copyName->isChecked();
    m_info.copyfx = m_copyFx->isChecked();
    m_info.copyinsfx = m_copyInsFx->isChecked();
    m_info.copyarp = m_copyArp->isChecked();
    m_info.toRegistry();
    QDialog::accept();
}

bool GetVoiceCopierInfo(VoiceCopierInfo& info, int kind, MidiDevice* device, QWidget* parent)
{
    VoiceCopierDlg dialog(kind, device, parent);
    // Through the prompts in force, which a test scripts.
    if (RunDialog(&dialog) != QDialog::Accepted)
        return false;
    info = dialog.info();
    return true;
}
