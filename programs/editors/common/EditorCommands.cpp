#include "EditorCommands.h"

#include "MainWindow.h"
#include "VarArgs.h"

#include <QAction>

namespace EditorCommands {

void createTable(MainWindow* window, const QList<Command>& commands)
{
    for (const Command& c : commands)
        window->createCommand(c.id, c.text, c.shortcut, c.icon);
}

void createSubUnitRun(MainWindow* window, int base, int count, const char* pattern)
{
    for (int n = 1; n <= count; ++n) {
        const QString text = VarArgs::format(QString::fromLatin1(pattern), n);
        const int copy = base + n;
        // The id as data, by which a menu answered without a window (the
        // caption's context menu) names the entry.
        for (int id : {copy, copy + PasteOffset, copy + SwapOffset})
            window->createCommand(id, text)->setData(id);
    }
}

void createEffectPairs(MainWindow* window, const QList<EffectBlock>& blocks)
{
    for (const EffectBlock& block : blocks) {
        window->createCommand(block.copyId, block.text);
        window->createCommand(block.copyId + PasteOffset, block.text);
    }
}

void createClosingGroup(MainWindow* window, const ClosingIds& ids, const QList<Command>& middle,
                        const QList<Command>& afterAppearance)
{
    createTable(window, {
                       {ids.sysexToClipboard, QStringLiteral("Copy Sysex &Message to Clipboard"), {}, {}},
                       {ids.systemSettings, QStringLiteral("&System Settings..."), {}, {}},
                       {ids.keyboard, QStringLiteral("&Keyboard"), {}, {}},
                   });
    createTable(window, middle);
    createTable(window, {
                       {ids.midiSetup, QStringLiteral("&MIDI Setup..."), QKeySequence(QObject::tr("Ctrl+M")),
                        QStringLiteral("core:midi.png")},
                       {ids.autoconnect, QStringLiteral("Auto&connect"), {}, {}},
                       {ids.appearance, QStringLiteral("&Appearance..."), {}, QStringLiteral("core:tango/colors.png")},
                   });
    createTable(window, afterAppearance);
    createTable(window, {
                       {ids.manual, QStringLiteral("&Manual"), QKeySequence(QKeySequence::HelpContents),
                        QStringLiteral("core:nuvola/pdf.png")},
                       {ids.about, QStringLiteral("&About"), {}, {}},
                   });
}

void enableRange(MainWindow* window, int first, int last, bool enable)
{
    for (int id = first; id <= last; ++id)
        window->enableCommand(id, enable);
}

void enableIds(MainWindow* window, const QList<int>& ids, bool enable)
{
    for (int id : ids)
        window->enableCommand(id, enable);
}

} // namespace EditorCommands
