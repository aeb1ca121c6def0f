// The voice editor's command set, its menus and its command dispatch.
#include "VeskVoice.h"

#include "EditorCommands.h"

#include <QMenu>

void VeskVoice::createCommands()
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
                     {InitCommand, QStringLiteral("&Initialize Voice"), QKeySequence(tr("Ctrl+I")),
                      QStringLiteral("core:new.png")},
                 });
    createSubUnitRun(this, CopyElementBase, Elements, "Element &%d");
    createEffectPairs(this, {
                                {ReverbCopy, QStringLiteral("&Reverb")},
                                {ChorusCopy, QStringLiteral("&Chorus")},
                                {Insert1Copy, QStringLiteral("Insert Effect 1")},
                                {Insert2Copy, QStringLiteral("Insert Effect 2")},
                                {ControlSetsCopy, QStringLiteral("Control &Sets")},
                            });
    createClosingGroup(this,
                       {SysexToClipboardCommand, SystemSettingsCommand, KeyboardCommand, MidiSetupCommand,
                        AutoconnectCommand, AppearanceCommand, AboutCommand, ManualCommand},
                       {{ReadUserVoicesCommand, QStringLiteral("&Read User Voices..."), {}, {}}});
}

void VeskVoice::createMenu()
{
    updateStyleSheets();
    addCommands(addMenu(QStringLiteral("&Voice")), 0, 8);

    QMenu* edit = addMenu(QStringLiteral("&Edit"));
    addCommands(edit, 9, 10);
    QMenu* copy = addCommands(edit, QStringLiteral("&Copy"), 11, 15);
    addCommands(copy, 61, 66);
    QMenu* paste = addCommands(edit, QStringLiteral("&Paste"), 1011, 1015);
    addCommands(paste, 1061, 1066);
    addCommands(edit, QStringLiteral("&Swap"), 1511, 1515);
    addCommands(edit, 67, 68);

    addCommands(addMenu(QStringLiteral("V&iew")), 69, 70);
    addCommands(addMenu(QStringLiteral("&Setup")), 71, 77);
    addCommands(addMenu(QStringLiteral("&Help")), 78, 79);
}
