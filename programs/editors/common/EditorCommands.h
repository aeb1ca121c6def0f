// Building blocks of the editors' command sets: a table of commands, the
// copy / paste / swap runs of a patch's sub-units, the copy / paste pairs of
// its effect blocks, and the set-up and help group every editor ends with.
// Each window calls them from its createCommands in its own order and with
// its own ids; the menus then take the commands by id ranges
// (MainWindow::addCommands).
//
// Id conventions: a sub-unit's copy command is c, its paste c + 1000, its
// swap c + 1500; an effect block's copy is c and its paste c + 1000.
#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>

class MainWindow;

namespace EditorCommands {

constexpr int PasteOffset = 1000;
constexpr int SwapOffset = 1500;

struct Command
{
    int id;
    QString text;
    QKeySequence shortcut; // empty: none
    QString icon;          // "core:open.png"; empty: none
};

void createTable(MainWindow* window, const QList<Command>& commands);

// Sub-units 1..count: copy base + n, paste and swap, all three titled by
// pattern (printf style, one %d) formatted with n; created unit by unit,
// each action carrying its id as data.
void createSubUnitRun(MainWindow* window, int base, int count, const char* pattern);

// Effect blocks: copy c and paste c + 1000, both titled text.
struct EffectBlock
{
    int copyId;
    QString text;
};
void createEffectPairs(MainWindow* window, const QList<EffectBlock>& blocks);

// The ids of the closing group of one editor.
struct ClosingIds
{
    int sysexToClipboard;
    int systemSettings;
    int keyboard;
    int midiSetup;
    int autoconnect;
    int appearance;
    int about;
    int manual;
};
// "Copy Sysex &Message to Clipboard", "&System Settings...", "&Keyboard",
// then middle (the editor's bank reads and board set-up), "&MIDI Setup...",
// "Auto&connect", "&Appearance...", then afterAppearance, "&Manual" and
// "&About".
void createClosingGroup(MainWindow* window, const ClosingIds& ids, const QList<Command>& middle,
                        const QList<Command>& afterAppearance = {});

// Sets the enabled state of the commands first..last that exist.
void enableRange(MainWindow* window, int first, int last, bool enable);
void enableIds(MainWindow* window, const QList<int>& ids, bool enable);

} // namespace EditorCommands
