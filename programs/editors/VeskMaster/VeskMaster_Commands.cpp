// The master editor's command set, its menus and its command dispatch.
#include "VeskMaster.h"

#include "EditorCommands.h"

#include <QMenu>

void VeskMaster::createCommands()
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
                     {InitCommand, QStringLiteral("&Initialize Master"), QKeySequence(tr("Ctrl+I")),
                      QStringLiteral("core:new.png")},
                 });
    createSubUnitRun(this, CopyZoneBase, Zones, "Zone &%d");
    createClosingGroup(this,
                       {SysexToClipboardCommand, SystemSettingsCommand, KeyboardCommand, MidiSetupCommand,
                        AutoconnectCommand, AppearanceCommand, AboutCommand, ManualCommand},
                       {}, {{ReadUserBanksCommand, QStringLiteral("&Read User Banks..."), {}, {}}});
}

void VeskMaster::createMenu()
{
    updateStyleSheets();
    addCommands(addMenu(QStringLiteral("&Master")), 0, 8);

    QMenu* edit = addMenu(QStringLiteral("&Edit"));
    addCommand(edit, InitCommand);
    edit->addSeparator();
    addCommands(edit, QStringLiteral("&Copy"), 10, 14);
    addCommands(edit, QStringLiteral("&Paste"), 1010, 1014);
    addCommands(edit, QStringLiteral("&Swap"), 1510, 1514);
    addCommands(edit, 62, 63);

    addCommands(addMenu(QStringLiteral("&View")), 60, 61);
    addCommands(addMenu(QStringLiteral("&Setup")), 64, 69);
    addCommands(addMenu(QStringLiteral("&Help")), 70, 71);
}
