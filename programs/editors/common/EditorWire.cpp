// The edit buffer, program changes, the shared commands, patch files, store,
// initialise and the patch name. Sub-units and effect blocks are in
// EditorWire_Blocks.cpp.
#include "EditorWire.h"

#include "Application.h"
#include "BankMenu.h"
#include "BankSelectDlg.h"
#include "Buffer.h"
#include "BulkDump.h"
#include "DeviceBank.h"
#include "MidiEdit.h"
#include "MidiEditorWindow.h"
#include "MidiPatchEdit.h"
#include "MidiSetupDlg.h"
#include "MidiString.h"
#include "Panel.h"
#include "PanelDlg.h"
#include "TabPanel.h"
#include "Paths.h"
#include "ProgressDlg.h"
#include "Launcher.h"
#include "Prompts.h"
#include "Timing.h"
#include "VarArgs.h"
#include "Vesk.h"
#include "VeskSysex.h"
#include "WaitCursor.h"

#include <QCoreApplication>

#include <optional>

namespace {

// The control width of the system settings window.
constexpr int SystemSettingsWidth = 114;
// The pause after the mix editor has asked for its system panel's values.
constexpr int MixRereadPauseMs = 500;
// The instrument's pause after a bank-name receive, before its mode is set.
constexpr int AfterBankNamesMs = 3000;

} // namespace

EditorWire::EditorWire(MidiEditorWindow* window, const EditorTraits& traits) : m_window(window), m_traits(traits)
{
}

void EditorWire::setBuffers(VeskSysex* copy, VeskSysex* swap, VeskSysex* effects)
{
    m_copy = copy;
    m_swap = swap;
    m_effects = effects;
}

Vesk* EditorWire::device() const
{
    return static_cast<Vesk*>(m_window->midiDevice());
}

bool EditorWire::requestEditBuffer(BulkDump& dump, int timeoutMs) const
{
    // Only a block that came whole counts: what the panels show, what is
    // saved, stored or sent back is the whole edit buffer.
    return device()->syncEditBufferRequest(m_traits.dumpType, dump, timeoutMs);
}

// --- the edit buffer ----------------------------------------------------------------

void EditorWire::receive()
{
    Vesk* dev = device();
    if (!dev->isConnected())
        return;
    // A read asked for while this one takes in a click on its Cancel (an
    // incoming program change, a connection report) would start in the
    // middle of it: this read is that read.
    if (m_takingClicks)
        return;
    // Shown only when the instrument is slow to answer: a mode switch, a
    // read that times out.
    std::optional<ProgressDlg> progress(std::in_place, m_window, QStringLiteral("Receive"), 2, 0,
                                        ProgressDlg::Cancelable | ProgressDlg::Delayed);
    progress->message(QStringLiteral("Receiving edit buffer..."));
    BulkDump dump;
    bool received;
    {
        WaitCursor wait;
        received = requestEditBuffer(dump, m_traits.receiveTimeoutMs);
    }
    if (!received) {
        if (canceled(*progress) || !askToSwitch())
            return;
        progress->step();
        // Pressed while the mode was set: the second request is not sent.
        if (canceled(*progress))
            return;
        {
            WaitCursor wait;
            received = requestEditBuffer(dump, m_traits.receiveTimeoutMs);
        }
        if (!received && canceled(*progress))
            return;
        if (!received && m_traits.fallbackBank) {
            // The fall-back's own read shows its own progress.
            progress.reset();
            fallBack();
            return;
        }
        if (!received && !m_rereadPanel)
            return;
    }
    progress->step();
    if (received) {
        dev->strip(&dump);
        // As if the instrument had sent them: the controls take the values
        // and send nothing back.
        for (Sysex* message : dump.list())
            m_window->OnSysex(message, SourceDev);
    }
    if (m_rereadPanel) {
        WaitCursor wait;
        m_rereadPanel->MidiReceive();
        Sleep(MixRereadPauseMs);
    }
}

bool EditorWire::canceled(ProgressDlg& progress)
{
    m_takingClicks = true;
    const bool canceled = progress.wasCanceled();
    m_takingClicks = false;
    return canceled;
}

void EditorWire::fallBack()
{
    // The echo of the selection reads again at once, from inside this call.
    // While the instrument stays silent (and before the first connection has
    // ended nobody is asked) that read would fall back again without end:
    // one fall-back per read.
    if (m_fallingBack)
        return;
    m_fallingBack = true;
    device()->setMode(0);
    if (MidiPatchEdit* selector = m_window->patchEdit())
        selector->changePatch(Patch(m_traits.fallbackBank, 0), true);
    m_fallingBack = false;
}

bool EditorWire::askToSwitch()
{
    Vesk* dev = device();
    if (m_traits.mode >= 0) {
        if (m_window->isConnectedOnce() &&
            !yesNo(m_window, QString::fromLatin1(m_traits.switchQuestion), QString()))
            return false;
        dev->setMode(m_traits.mode);
        return true;
    }
    if (!m_mixMode)
        return false;
    if (*m_mixMode == -1) {
        if (!chooseMixMode())
            return false;
    } else if (m_window->isConnectedOnce() &&
               !yesNo(m_window, VarArgs::format("Do you want to switch to %s mode?", Vesk::modeName(*m_mixMode)),
                      QString())) {
        return false;
    }
    dev->setMode(*m_mixMode);
    return true;
}

bool EditorWire::chooseMixMode()
{
    if (!m_mixMode)
        return false;
    const QString song = QStringLiteral("Song");
    const QString pattern = QStringLiteral("Pattern");
    const QString chosen = choice(m_window, QStringLiteral("Select which mode you want to work with."),
                                  QStringLiteral("Mix Mode Needed"), song, pattern);
    if (chosen == song)
        *m_mixMode = 3;
    else if (chosen == pattern)
        *m_mixMode = 2;
    return *m_mixMode != -1;
}

void EditorWire::initDevice()
{
    if (m_traits.readsReceiveChannel)
        device()->updateRcvChannel();
}

void EditorWire::onPatchChange(Patch patch, MidiSource source)
{
    if (!m_traits.isOwnBank)
        return;
    const bool ownBank = m_traits.isOwnBank(patch.bank.word());
    if (m_traits.selectorReadsAnyBank) {
        if (source == SourceGUI)
            m_window->MidiReceive();
        else if (ownBank || !patch.isValid())
            m_window->selectPatch(patch);
        return;
    }
    if (patch.isValid() && !ownBank)
        return;
    if (source == SourceGUI) {
        m_window->MidiReceive();
        return;
    }
    if (m_traits.ignoresSamePatch &&
        (!patch.isValid() || patch.toUInt() == m_window->selectedPatch().toUInt()))
        return;
    m_window->selectPatch(patch);
}

void EditorWire::banksReceived(const QList<Panel*>& panels, const QStringList& titles, int mode)
{
    for (Panel* panel : panels) {
        for (const QString& title : titles) {
            if (MidiPatchEdit* selector = panel ? panel->getPatchEdit(title, 0) : nullptr)
                selector->updateDisplay();
        }
    }
    if (mode < 0)
        return;
    WaitCursor wait;
    Sleep(AfterBankNamesMs);
    device()->setMode(mode);
}

QList<Panel*> EditorWire::rowsOf(const TabPanel& tab)
{
    QList<Panel*> rows;
    for (int i = 0; i < tab.panelCount(); ++i)
        rows.append(tab.panel(i));
    return rows;
}

// --- commands ---------------------------------------------------------------------------

bool EditorWire::dispatch(int id)
{
    if (id < 0)
        return false;
    const EditorTraits::Ids& ids = m_traits.ids;
    Vesk* dev = device();
    if (id == ids.open) {
        openFromFile();
    } else if (id == ids.save) {
        saveToFile();
    } else if (id == ids.receive) {
        m_window->MidiReceive();
    } else if (id == ids.store) {
        store(m_window->selectedPatch());
    } else if (id == ids.storeTo) {
        store(Patch());
    } else if (id == ids.exit) {
        m_window->close();
    } else if (id == ids.initialise) {
        initialise();
    } else if (id == ids.gmReset) {
        if (!dev->isConnected())
            return true;
        {
            WaitCursor wait;
            dev->midiOut()->initGM();
        }
        m_window->MidiReceive();
    } else if (id == ids.sysexToClipboard) {
        m_window->copySysexToClipboard();
    } else if (id == ids.systemSettings) {
        PanelDlg::DoPanel(m_window, m_window, QString::fromLatin1(m_traits.systemSection), SystemSettingsWidth);
    } else if (id == ids.keyboard) {
        m_window->showKeyboard();
    } else if (id == ids.midiSetup) {
        MidiSetupDlg dialog(dev);
        RunDialog(&dialog);
    } else if (id == ids.autoconnect) {
        dev->autoConnect();
    } else if (id == ids.appearance) {
        m_window->colorManager().setup(nullptr);
        m_window->updateStyleSheets();
    } else if (id == ids.about) {
        Application::about(QString::fromLatin1(m_traits.aboutImage));
    } else if (id == ids.manual) {
        ShellOpen(VarArgs::format(m_traits.manualPattern, QCoreApplication::applicationDirPath()));
    } else {
        for (const EditorTraits::BankRead& read : m_traits.bankReads) {
            if (read.id == id) {
                readBanks(read);
                return true;
            }
        }
        if (effectCommand(id))
            return true;
        const EditorTraits::SubUnits& units = m_traits.subUnits;
        if (units.firstCopyId < 0)
            return false;
        const int copy = id - units.firstCopyId;
        const int paste = copy - 1000;
        const int swap = copy - 1500;
        if (copy >= 0 && copy < units.count)
            copySubUnit(copy);
        else if (paste >= 0 && paste < units.count)
            pasteSubUnit(paste);
        else if (swap >= 0 && swap < units.count)
            swapSubUnit(swap);
        else
            return false;
    }
    return true;
}

void EditorWire::readBanks(const EditorTraits::BankRead& read)
{
    const BankSet offered(device(), QString::fromLatin1(read.bankSet));
    const BankSet chosen = BankSelectDlg::getBanks(offered, QString::fromLatin1(read.title),
                                                   QString::fromLatin1(read.prompt), m_window);
    m_window->receiveBanks(chosen, read.switchesMode);
}

// --- patch files ---------------------------------------------------------------------------

QString EditorWire::patchFileError(const QByteArray& bytes) const
{
    Vesk* dev = device();
    Buffer buffer;
    buffer.copy(reinterpret_cast<const unsigned char*>(bytes.constData()), int(bytes.size()));
    BulkDump dump;
    dump.fromBuffer(&buffer, dev, true);
    if (dump.isEmpty())
        return QStringLiteral("The file holds no message.");
    for (qsizetype i = 0; i < dump.size(); ++i) {
        Sysex* message = dump.at(i);
        if (!message->isValid() || static_cast<VeskSysex*>(message)->type() != VeskSysex::KindBulkDump)
            return VarArgs::format("Message %d of the file is no bulk dump of this instrument.", int(i + 1));
    }
    // Exactly the edit buffer's answer: the header and footer of this
    // editor's edit buffer and its blocks between them, nothing else (no
    // other patch type, no user location, no store-all).
    const QString kind = QString::fromLatin1(m_traits.patchKind);
    const unsigned int editBuffer = unsigned(Vesk::getEditBuffer(m_traits.dumpType));
    const unsigned int header = dump.first()->address();
    if (header != editBuffer + VeskSysex::HeaderOffset) {
        if ((header & 0xFF0000) != VeskSysex::HeaderOffset)
            return VarArgs::format("The file does not start with the header of the %s edit buffer.", kind);
        return VarArgs::format("The file is addressed to block 0x%04X, not to the %s edit buffer 0x%04X.",
                               int(header - VeskSysex::HeaderOffset), kind, int(editBuffer));
    }
    if (dump.last()->address() != editBuffer + VeskSysex::FooterOffset)
        return VarArgs::format("The file does not end with the footer of the %s edit buffer.", kind);
    const QString why = dev->checkBlock(editBuffer, dump);
    if (!why.isEmpty())
        return VarArgs::format("The file is no %s of this instrument: %s.", kind, why);
    return QString();
}

void EditorWire::openFromFile()
{
    if (!device()->isConnected())
        return;
    const QString path = PromptFileOpen(m_window, QString::fromLatin1(m_traits.fileFilter),
                                        QString::fromLatin1(m_traits.openTitle));
    m_window->openFile(path);
}

void EditorWire::saveToFile()
{
    if (!device()->isConnected())
        return;
    QString name = patchName().trimmed();
    MakeValidFilename(name);
    const QString path = PromptFileSave(m_window, QString::fromLatin1(m_traits.fileFilter),
                                        QString::fromLatin1(m_traits.saveTitle), name);
    if (path.isEmpty())
        return;
    // Only the whole edit buffer is written: a partial answer would stand in
    // the file for the patch, and the old file stays as it was.
    BulkDump dump;
    if (!requestEditBuffer(dump, m_traits.receiveTimeoutMs)) {
        error(m_window, saveRefusal(device()->transferError()));
        return;
    }
    // Written whole or not at all: an old file stays as it was.
    if (!dump.toFile(path))
        error(m_window, VarArgs::format("Cannot save file\n\n%s", GetCompactPath(path, -1)));
}

QString EditorWire::saveRefusal(const QString& reason)
{
    const QString text = QStringLiteral("Could not receive data to save");
    return reason.isEmpty() ? text : text + QStringLiteral("\n\n") + reason;
}

// --- patch name, store, initialise -------------------------------------------------------

QString EditorWire::patchName() const
{
    if (!m_selection)
        return QString();
    const MidiString* nameEdit = m_selection->getStringEdit(QStringLiteral("Name"), 0);
    const QString name = nameEdit ? nameEdit->text().trimmed() : QString();
    if (!m_traits.nameHasCategory)
        return name;
    const MidiEdit* category = m_selection->getEdit(QStringLiteral("Cat"), 0);
    return VarArgs::format("%s:%s", category ? category->text() : QString(), name);
}

void EditorWire::store(Patch target)
{
    Vesk* dev = device();
    const BankSet userBanks(dev, QString::fromLatin1(m_traits.storeBankSet));
    if (!target.isValid()) {
        target = BankMenu::getPatch(nullptr, userBanks, m_window->selectedPatch(), false);
        if (!target.isValid())
            return;
    }
    // A preset, or a bank the instrument keeps no block for, would take
    // nothing, and selecting it afterwards would replace the edits in the
    // edit buffer by the unchanged target.
    if (userBanks.indexOf(target.bank.word()) < 0 || !dev->isUserBank(target.bank.word()) ||
        dev->getBulkControl(target) == Vesk::NoBulkAddress) {
        error(m_window, VarArgs::format("Cannot store to %s\n\nA %s is stored to a program of the user banks only.",
                                        dev->printPatch(target, Patch::OneBasedGrouped),
                                        QString::fromLatin1(m_traits.patchKind)));
        return;
    }
    const QString where = dev->printPatch(target, Patch::OneBasedGrouped);
    if (!yesNo(m_window, VarArgs::format("Overwrite %s?", where), QString()))
        return;
    ProgressDlg progress(m_window, QStringLiteral("Store"), 2, 0, ProgressDlg::Cancelable | ProgressDlg::Delayed);
    progress.message(QStringLiteral("Receiving edit buffer..."));
    BulkDump dump;
    bool received;
    {
        WaitCursor wait;
        received = requestEditBuffer(dump, m_traits.receiveTimeoutMs);
    }
    // Nothing is stored from an edit buffer that did not come whole; the user
    // learns that the store did not happen.
    if (!received) {
        progress.abort(VarArgs::format("Receive timeout!\n\nNothing was stored to %s.", where));
        return;
    }
    // Cancelled before the send: the program keeps what it held.
    if (canceled(progress))
        return;
    progress.step();
    progress.message(VarArgs::format("Storing to %s...", where));
    WaitCursor wait;
    dev->updateUserPatchName(target, patchName());
    dev->setBulkControls(dump, target);
    dump.sendToSynth(dev);
    dev->storeAllPatches();
    progress.step();
    if (MidiPatchEdit* selector = m_window->patchEdit())
        selector->changePatch(target, false);
}

void EditorWire::initialise()
{
    Vesk* dev = device();
    if (!dev->isConnected() || !m_traits.initialise)
        return;
    {
        WaitCursor wait;
        m_traits.initialise(*dev);
    }
    m_window->MidiReceive();
}
