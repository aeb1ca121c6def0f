// The performance editor's command set, its menus and its command dispatch.
#include "VeskPerf.h"

#include "EditorCommands.h"
#include "Vesk.h"

#include <QMenu>

void VeskPerf::createCommands()
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
                 });
    createSubUnitRun(this, CopyPartBase, Parts, "Part &%d");
    createTable(this, {{InitCommand, QStringLiteral("&Initialize Performance"), QKeySequence(tr("Ctrl+I")),
                   QStringLiteral("core:new.png")},
                  {VoiceCopierCommand, QStringLiteral("&Voice Copier..."), {}, {}}});
    createEffectPairs(this, {
                                {ReverbCopy, QStringLiteral("&Reverb")},
                                {ChorusCopy, QStringLiteral("&Chorus")},
                                {MasterEffectCopy, QStringLiteral("&Master")},
                            });
    createClosingGroup(this,
                       {SysexToClipboardCommand, SystemSettingsCommand, KeyboardCommand, MidiSetupCommand,
                        AutoconnectCommand, AppearanceCommand, AboutCommand, ManualCommand},
                       {{ReadVoicesCommand, QStringLiteral("&Voices"), {}, {}},
                        {ReadPerformancesCommand, QStringLiteral("&Performances"), {}, {}},
                        {PlgSetupCommand, QStringLiteral("PLG Setup..."), {}, {}}});
}

void VeskPerf::createMenu()
{
    updateStyleSheets();
    addCommands(addMenu(QStringLiteral("&Performance")), 0, 8);

    QMenu* edit = addMenu(QStringLiteral("&Edit"));
    addCommands(edit, 9, 11);
    edit->addSeparator();
    QMenu* copy = addCommands(edit, QStringLiteral("&Copy"), 12, 16);
    addCommands(copy, 112, 114);
    QMenu* paste = addCommands(edit, QStringLiteral("&Paste"), 1012, 1016);
    addCommands(paste, 1112, 1114);
    addCommands(edit, QStringLiteral("&Swap"), 1512, 1516);
    addCommands(edit, 115, 116);

    addCommands(addMenu(QStringLiteral("&View")), 117, 118);

    QMenu* setup = addMenu(QStringLiteral("&Setup"));
    addCommands(setup, 122, 125);
    setup->addSeparator();
    addCommands(setup, QStringLiteral("&Read User Banks"), 119, 120);
    addCommand(setup, PlgSetupCommand);

    addCommands(addMenu(QStringLiteral("&Help")), 126, 127);
}

void VeskPerf::onCommand(int id)
{
    // An id of no command of this window is ignored.
    switch (id) {
    case VoiceCopierCommand:
        v2p();
        break;
    case PlgSetupCommand:
        // The rows follow the boards whatever the dialog ended with.
        static_cast<Vesk*>(device)->plgSetup(this);
        updatePLGPanels();
        break;
    default:
        EditorWindow::onCommand(id);
        break;
    }
}
