// What the five editor windows do with the instrument, told once and driven
// by each editor's table (EditorTraits.h):
//
//   - reading the edit buffer, switching the instrument's mode when it does
//     not answer (asking first once the window has connected), the voice and
//     drum kit editors' fall-back to the first user program, the mix
//     editor's panel re-request; following program changes;
//   - the command dispatch shared by all five: patch files, receive,
//     initialise, GM reset, store, the bank-name reads, the settings and
//     help commands, the effect blocks and the sub-units;
//   - the patch name, store and initialise of the patch editors;
//   - copy, paste and swap of sub-units and effect blocks, and the context
//     menu of a sub-unit row's caption (EditorWire_Blocks.cpp).
//
// Each window owns one, made in its constructor, and hands it the panels and
// message buffers the operations need. The window keeps its own hooks
// (MidiReceive, OnPatchChange, onCommand, onMessage) and calls in here.
//
// Every operation runs on the GUI thread and blocks it while it waits for
// the instrument (at most the table's timeouts), under a wait cursor; a read
// or store that takes longer than a moment shows its progress, and its
// Cancel stops it before the next request or send. Failures of a read are
// silent unless said otherwise (a failed store is told); nothing is sent
// from a buffer or block that is not whole.
#pragma once

#include "EditorTraits.h"
#include "MidiTypes.h"
#include "Patch.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

class BulkDump;
class MidiEditorWindow;
class Panel;
class ProgressDlg;
class TabPanel;
class Vesk;
class VeskSysex;

class EditorWire
{
public:
    // window: the editor's window, on the instrument's device; traits: its
    // table, which must outlive this.
    EditorWire(MidiEditorWindow* window, const EditorTraits& traits);

    // --- what the window hands over ----------------------------------------------
    // The panel holding "Cat" and "Name" (the patch name).
    void setSelectionPanel(Panel* panel) { m_selection = panel; }
    // The panel whose controls are requested after every read (mix).
    void setRereadPanel(Panel* panel) { m_rereadPanel = panel; }
    // The window's chosen mix mode (-1 none, 2 Pattern, 3 Song); mix only.
    void setMixMode(int* mode) { m_mixMode = mode; }
    // The window's copy and swap buffers (traits.subUnits.blocks messages
    // each) and its kept effect messages (one per kept index).
    void setBuffers(VeskSysex* copy, VeskSysex* swap, VeskSysex* effects);

    Vesk* device() const;
    const EditorTraits& traits() const { return m_traits; }

    // --- the edit buffer -------------------------------------------------------------
    // Reads the edit buffer into the panels (the window's MidiReceive, after
    // the base's). See the top of the file.
    void receive();
    // Puts the instrument into the editor's mode; once the window has
    // connected it asks first. False when the user declined (or chose no mix
    // mode).
    bool askToSwitch();
    // The mix mode chooser ("Mix Mode Needed"): true when a mix mode is now
    // known.
    bool chooseMixMode();
    // Before the first read of every connection: the receive channel.
    void initDevice();
    // A program change, after the base window's handling.
    void onPatchChange(Patch patch, MidiSource source);
    // A bank-name receive has ended: the patch selectors of those titles on
    // the panels show the new names; then, after the instrument's pause,
    // mode is set again (the receive may have switched it); -1: not.
    void banksReceived(const QList<Panel*>& panels, const QStringList& titles, int mode);
    // The rows of a tab panel.
    static QList<Panel*> rowsOf(const TabPanel& tab);

    // --- commands ------------------------------------------------------------------------
    // Runs a command of the table; false for an id the table does not know.
    bool dispatch(int id);
    // Why a file of whole system-exclusive messages is not this editor's
    // patch file: it must be exactly the edit buffer's block of this
    // instrument, header to footer. "" when it is.
    QString patchFileError(const QByteArray& bytes) const;
    void openFromFile();
    void saveToFile();
    // What a save that did not get the whole answer it asked for says,
    // reason being why the answer was refused (the instrument's
    // transferError()).
    static QString saveRefusal(const QString& reason);

    // --- patch name, store, initialise -------------------------------------------------
    // "Cat:Name" of the selection panel, or the name alone; trimmed.
    QString patchName() const;
    // Stores the edit buffer to target (invalid: asks with the bank menu).
    // Only a program of the editor's user banks takes it; any other target
    // is refused with a message and nothing is sent.
    void store(Patch target);
    void initialise();

    // --- sub-units (EditorWire_Blocks.cpp) ------------------------------------------------
    void copySubUnit(int i);
    void pasteSubUnit(int i);
    void swapSubUnit(int i);
    // The copy buffer holds a whole sub-unit: every block, of one sub-unit,
    // at the addresses of that sub-unit's blocks.
    bool hasCopy() const;
    // Pastes a buffer of traits.subUnits.blocks messages onto sub-unit i;
    // whether the edit buffer came and went back. The buffer keeps its
    // addresses.
    bool pasteBuffers(const VeskSysex* buffer, int i);

    // --- effect blocks ---------------------------------------------------------------------
    // The copy or paste command of an effect block; false for another id.
    bool effectCommand(int id);

    // --- the caption context menu ------------------------------------------------------------
    // Message 4203 of a row's caption: shows Copy, Paste and Swap of the
    // row's sub-unit. False when the message is not to go on to the base
    // window (a row without an iterator, where the iterator names it).
    bool captionMenu(const QVariant& panel);

private:
    bool requestEditBuffer(BulkDump& dump, int timeoutMs) const;
    void fallBack();
    // Whether the user cancelled progress; the clicks it takes in start no
    // read of their own.
    bool canceled(ProgressDlg& progress);
    void readBanks(const EditorTraits::BankRead& read);
    void enablePastes(bool enable);
    // The blocks of sub-unit i of dump, or false when one is missing.
    bool takeBlocks(const BulkDump& dump, int i, VeskSysex* into) const;
    // The sub-unit a whole buffer holds; -1 when it holds none.
    int bufferUnit(const VeskSysex* buffer) const;
    int readChannel(int part) const;

    MidiEditorWindow* m_window;
    const EditorTraits& m_traits;
    Panel* m_selection = nullptr;
    Panel* m_rereadPanel = nullptr;
    int* m_mixMode = nullptr;
    VeskSysex* m_copy = nullptr;
    VeskSysex* m_swap = nullptr;
    VeskSysex* m_effects = nullptr;
    // A fall-back's echo is reading again: it falls back no further.
    bool m_fallingBack = false;
    // True while a read or store lets its progress take a click on Cancel.
    bool m_takingClicks = false;
};
