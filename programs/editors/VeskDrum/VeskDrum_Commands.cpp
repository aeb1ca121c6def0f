// The drum kit editor's command set, its menus and its command dispatch.
#include "VeskDrum.h"

#include "EditorCommands.h"

#include <QMenu>

void VeskDrum::createCommands()
{
    using namespace EditorCommands;
    createTable(this, {
                     {OpenCommand, QStringLiteral("&Open from File..."), QKeySequence::Open,
                      QStringLiteral("core:open.png")},
                     {SaveCommand, QStringLiteral("&Save to File..."), QKeySequence::Save,
                      QStringLiteral("core:save.png")},
                     {ReceiveCommand, QStringLiteral("&Receive from Synth"), QKeySequence(Qt::Key_F5),
                      QStringLiteral("core:receive.png")},
                     {StoreCommand, QStringLiteral("Store"), QKeySequence(Qt::Key_F6),
                      QStringLiteral("core:store.png")},
                     {StoreToCommand, QStringLiteral("Store &to..."), {}, QStringLiteral("core:store.png")},
                     {ExitCommand, QStringLiteral("E&xit"), {}, {}},
                     {InitCommand, QStringLiteral("&Initialize Drum Kit"), {}, QStringLiteral("core:new.png")},
                     {CopyKeyCommand, QStringLiteral("Copy Key"), QKeySequence::Copy, {}},
                     {PasteKeyCommand, QStringLiteral("Paste Key"), QKeySequence::Paste, {}},
                     {SwapKeyCommand, QStringLiteral("Swap Key"), QKeySequence(tr("Ctrl+B")), {}},
                 });
    createEffectPairs(this, {
                                {ReverbCopy, QStringLiteral("&Reverb")},
                                {ChorusCopy, QStringLiteral("&Chorus")},
                                {Insert1Copy, QStringLiteral("Insert Effect &1")},
                                {Insert2Copy, QStringLiteral("Insert Effect &2")},
                                {ControlSetsCopy, QStringLiteral("Control &Sets")},
                            });
    createClosingGroup(this,
                       {SysexToClipboardCommand, SystemSettingsCommand, KeyboardCommand, MidiSetupCommand,
                        AutoconnectCommand, AppearanceCommand, AboutCommand, ManualCommand},
                       {{ReadUserDrumKitsCommand, QStringLiteral("&Read User Drum Kits..."), {}, {}}});
}

void VeskDrum::createMenu()
{
    updateStyleSheets();
    addCommands(addMenu(QStringLiteral("&Drum Kit")), 0, 8);

    QMenu* edit = addMenu(QStringLiteral("&Edit"));
    addCommands(edit, 9, 14);
    addCommands(edit, QStringLiteral("&Copy"), 15, 20);
    addCommands(edit, QStringLiteral("&Paste"), 1015, 1020);
    addCommands(edit, 21, 22);

    addCommands(addMenu(QStringLiteral("&View")), 23, 24);
    addCommands(addMenu(QStringLiteral("&Setup")), 25, 31);
    addCommands(addMenu(QStringLiteral("&Help")), 32, 33);
}

void VeskDrum::onCommand(int id)
{
    // The key commands act on the selected key; an id of no command of this
    // window is ignored.
    switch (id) {
    case CopyKeyCommand:
        copyKey();
        break;
    case PasteKeyCommand:
        pasteKey();
        break;
    case SwapKeyCommand:
        swapKey();
        break;
    default:
        EditorWindow::onCommand(id);
        break;
    }
}
