// The mix editor's command set, its menus, its tool bar and its command
// dispatch.
#include "VeskMix.h"

#include "EditorCommands.h"

#include <QMenu>
#include <QToolBar>

void VeskMix::createCommands()
{
    using namespace EditorCommands;
    createTable(this, {
                     {NewCommand, QStringLiteral("&New..."), QKeySequence::New,
                      QStringLiteral("core:gnu/cc-new2.png")},
                     {OpenCommand, QStringLiteral("&Open..."), QKeySequence::Open,
                      QStringLiteral("core:gnu/cc-open2.png")},
                     {SaveCommand, QStringLiteral("&Save"), QKeySequence::Save, QStringLiteral("core:save2.png")},
                     {SaveAsCommand, QStringLiteral("Save &As..."), QKeySequence::SaveAs, {}},
                     {CloseCommand, QStringLiteral("&Close"), {}, {}},
                     {ExitCommand, QStringLiteral("E&xit"), {}, {}},
                     {RefreshCommand, QStringLiteral("Re&fresh"), QKeySequence(Qt::Key_F5),
                      QStringLiteral("core:receive.png")},
                     {ResetMixCommand, QStringLiteral("&Reset Mix"), QKeySequence(tr("Ctrl+I")),
                      QStringLiteral(":/VeskMix/images/reset.png")},
                     {GmResetCommand, QStringLiteral("&GM Reset Mix"), QKeySequence(tr("Ctrl+G")),
                      QStringLiteral(":/VeskMix/images/gm.png")},
                     {VoiceCopierCommand, QStringLiteral("&Voice Copier..."), {}, {}},
                 });
    createSubUnitRun(this, CopyPartBase, Parts, "Part %d");
    createEffectPairs(this, {
                                {ReverbCopy, QStringLiteral("&Reverb")},
                                {ChorusCopy, QStringLiteral("&Chorus")},
                                {MasterEffectCopy, QStringLiteral("&Master")},
                            });
    createClosingGroup(this,
                       {SysexToClipboardCommand, SystemSettingsCommand, KeyboardCommand, MidiSetupCommand,
                        AutoconnectCommand, AppearanceCommand, AboutCommand, ManualCommand},
                       {{ReadUserVoicesCommand, QStringLiteral("Read User &Voices..."), {}, {}},
                        {ReadMultisCommand, QStringLiteral("Read M&ultis..."), {}, {}},
                        {PlgSetupCommand, QStringLiteral("PLG Setup..."), {}, {}}});
}

void VeskMix::createMenu()
{
    updateStyleSheets();
    QMenu* mix = addMenu(QStringLiteral("&Mix"));
    addCommands(mix, 0, 5);
    addMRU(mix, QStringLiteral("Recent Files"));
    addCommands(mix, 6, 7);

    QMenu* edit = addMenu(QStringLiteral("&Edit"));
    addCommands(edit, 8, 14);
    QMenu* copy = addCommands(edit, QStringLiteral("&Copy"), 66, 82);
    addCommands(copy, 166, 168);
    QMenu* paste = addCommands(edit, QStringLiteral("&Paste"), 1066, 1082);
    addCommands(paste, 1166, 1168);
    addCommands(edit, QStringLiteral("&Swap"), 1566, 1582);
    addCommands(edit, 169, 170);

    addCommands(addMenu(QStringLiteral("&View")), 171, 172);

    QMenu* setup = addMenu(QStringLiteral("&Setup"));
    addCommands(setup, 176, 179);
    setup->addSeparator();
    addCommand(setup, ReadUserVoicesCommand);
    addCommand(setup, PlgSetupCommand);

    addCommands(addMenu(QStringLiteral("&Help")), 180, 181);
}

void VeskMix::createToolbar()
{
    QToolBar* bar = addToolBar(QStringLiteral("Main"));
    setMainToolBar(bar);
    bar->setAutoFillBackground(false);
    bar->setFloatable(false);
    bar->setMovable(false);
    setToolBarSize(bar, 19, false);
    addCommand(bar, NewCommand);
    addCommand(bar, OpenCommand);
    addCommand(bar, SaveCommand);
    addSeparator(bar);
    addCommand(bar, ResetMixCommand);
    addCommand(bar, GmResetCommand);
    addSeparator(bar);
    addCommand(bar, RefreshCommand);
    addSeparator(bar);
    addCommand(bar, MidiSetupCommand);
}

void VeskMix::onCommand(int id)
{
    switch (id) {
    case NewCommand:
        newFile();
        break;
    case OpenCommand:
        openFile();
        break;
    case SaveCommand:
        save();
        break;
    case SaveAsCommand:
        saveAs();
        break;
    case CloseCommand:
        closeFile();
        break;
    case ExitCommand:
        close();
        break;
    default:
        // The window's other commands come with their operations; an id of
        // no command of this window is ignored.
        break;
    }
}
