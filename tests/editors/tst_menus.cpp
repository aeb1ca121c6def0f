// The menu bar of each editor window as its user sees it right after the
// window was built: every menu, sub-menu, entry text, shortcut and enabled
// state, and the separators where a group of commands ends; the mix
// editor's tool bar; and the shortcuts no command takes.
#include "EditorWindows.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace {

// "text [shortcut] (off)" for an entry, "-" for a separator, "title{...}"
// for a sub-menu; entries joined by "; ".
QString menuText(const QMenu* menu)
{
    QStringList entries;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            entries << QStringLiteral("-");
            continue;
        }
        if (QMenu* sub = action->menu()) {
            entries << sub->title() + QLatin1Char('{') + menuText(sub) + QLatin1Char('}') +
                           (sub->isEnabled() ? QString() : QStringLiteral(" (off)"));
            continue;
        }
        QString entry = action->text();
        if (!action->shortcut().isEmpty())
            entry += QStringLiteral(" [%1]").arg(action->shortcut().toString());
        if (!action->isEnabled())
            entry += QStringLiteral(" (off)");
        entries << entry;
    }
    return entries.join(QStringLiteral("; "));
}

QStringList menuBarText(QMainWindow& window)
{
    QStringList menus;
    for (QAction* action : window.menuBar()->actions())
        menus << action->menu()->title() + QStringLiteral(": ") + menuText(action->menu());
    return menus;
}

// Standard keys as this platform writes them.
QString withKeys(QString text)
{
    const QList<QPair<const char*, QKeySequence::StandardKey>> keys = {
        {"%Open%", QKeySequence::Open},     {"%Save%", QKeySequence::Save},   {"%New%", QKeySequence::New},
        {"%SaveAs%", QKeySequence::SaveAs}, {"%Copy%", QKeySequence::Copy},   {"%Paste%", QKeySequence::Paste},
        {"%Help%", QKeySequence::HelpContents},
    };
    for (const auto& [token, key] : keys)
        text.replace(QLatin1String(token), QKeySequence(key).toString());
    // A standard key this platform binds to no key shows none.
    return text.replace(QStringLiteral(" []"), QString());
}

// Sub-unit entries 1..count from the pattern, each marked off when asked.
QString units(const QString& pattern, int count, bool off)
{
    QStringList list;
    for (int n = 1; n <= count; ++n)
        list << pattern.arg(n) + (off ? QStringLiteral(" (off)") : QString());
    return list.join(QStringLiteral("; "));
}

QString offAll(const QStringList& texts)
{
    QStringList list;
    for (const QString& t : texts)
        list << t + QStringLiteral(" (off)");
    return list.join(QStringLiteral("; "));
}

const QString PatchFileMenu = QStringLiteral("&Open from File... [%Open%]; &Save to File... [%Save%]; -; "
                                             "&Receive from Synth [F5]; -; Store [F6]; Store &to...; -; E&xit");
const QString ViewMenu = QStringLiteral("&System Settings...; &Keyboard");
const QString HelpMenu = QStringLiteral("&About; &Manual [%Help%]");

} // namespace

class TestEditorMenus : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;
    std::unique_ptr<EditorRig> rig;

    template <class Window>
    void verifyMenus(const QStringList& expected)
    {
        auto w = rig->build<Window>();
        const QStringList actual = menuBarText(*w);
        QCOMPARE(actual.size(), expected.size());
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(actual.at(i), withKeys(expected.at(i)));
    }

private slots:
    void initTestCase()
    {
        bus = testBus();
        QVERIFY2(bus, "the tests run on the virtual MIDI bus (ORVANE_MIDI_BACKEND=virtual)");
    }

    void init()
    {
        rig = std::make_unique<EditorRig>(*bus);
        QVERIFY2(rig->sim->isLoaded(), qPrintable(rig->sim->error()));
    }

    void cleanup() { rig.reset(); }

    void voice()
    {
        const QStringList effects = {"&Reverb", "&Chorus", "Insert Effect 1", "Insert Effect 2"};
        verifyMenus<VeskVoice>({
            "&Voice: " + PatchFileMenu,
            "&Edit: &Initialize Voice [Ctrl+I]; -; &Copy{" + units("Element &%1", 4, false) + "; -; " +
                effects.join("; ") + "; -; Control &Sets}; &Paste{" + units("Element &%1", 4, true) + "; -; " +
                offAll(effects) + "; -; Control &Sets (off)}; &Swap{" + units("Element &%1", 4, true) +
                "; -}; -; Copy Sysex &Message to Clipboard",
            "V&iew: " + ViewMenu,
            "&Setup: &MIDI Setup... [Ctrl+M]; Auto&connect; -; &Appearance...; -; &Read User Voices...; -",
            "&Help: " + HelpMenu,
        });
    }

    void drumKit()
    {
        const QStringList effects = {"&Reverb", "&Chorus", "Insert Effect &1", "Insert Effect &2"};
        verifyMenus<VeskDrum>({
            "&Drum Kit: " + PatchFileMenu,
            // No key is copied yet: Paste Key and Swap Key wait for one.
            "&Edit: &Initialize Drum Kit; -; Copy Key [%Copy%]; Paste Key [%Paste%] (off); "
            "Swap Key [Ctrl+B] (off); -; &Copy{" +
                effects.join("; ") + "; -; Control &Sets}; &Paste{" + offAll(effects) +
                "; -; Control &Sets (off)}; -; Copy Sysex &Message to Clipboard",
            "&View: " + ViewMenu,
            "&Setup: &MIDI Setup... [Ctrl+M]; Auto&connect; -; &Appearance...; -; &Read User Drum Kits...; -",
            "&Help: " + HelpMenu,
        });
    }

    void performance()
    {
        const QStringList effects = {"&Reverb", "&Chorus", "&Master"};
        verifyMenus<VeskPerf>({
            "&Performance: " + PatchFileMenu,
            "&Edit: &Initialize Performance [Ctrl+I]; -; &Voice Copier...; -; &Copy{" +
                units("Part &%1", 4, false) + "; -; " + effects.join("; ") + "}; &Paste{" +
                units("Part &%1", 4, true) + "; -; " + offAll(effects) + "}; &Swap{" + units("Part &%1", 4, true) +
                "; -}; -; Copy Sysex &Message to Clipboard",
            "&View: " + ViewMenu,
            "&Setup: &MIDI Setup... [Ctrl+M]; Auto&connect; -; &Appearance...; -; "
            "&Read User Banks{&Voices; &Performances}; PLG Setup...",
            "&Help: " + HelpMenu,
        });
    }

    void master()
    {
        verifyMenus<VeskMaster>({
            "&Master: " + PatchFileMenu,
            "&Edit: &Initialize Master [Ctrl+I]; -; &Copy{" + units("Zone &%1", 4, false) + "; -}; &Paste{" +
                units("Zone &%1", 4, true) + "; -}; &Swap{" + units("Zone &%1", 4, true) +
                "; -}; -; Copy Sysex &Message to Clipboard",
            "&View: " + ViewMenu,
            "&Setup: &MIDI Setup... [Ctrl+M]; Auto&connect; -; &Appearance...; -; &Read User Banks...",
            "&Help: " + HelpMenu,
        });
    }

    void mix()
    {
        const QStringList effects = {"&Reverb", "&Chorus", "&Master"};
        verifyMenus<VeskMix>({
            "&Mix: &New... [%New%]; &Open... [%Open%]; &Save [%Save%]; Save &As... [%SaveAs%]; &Close; -; "
            "Recent Files{} (off); -; E&xit",
            "&Edit: Re&fresh [F5]; -; &Reset Mix [Ctrl+I]; &GM Reset Mix [Ctrl+G]; -; &Voice Copier...; -; &Copy{" +
                units("Part %1", 16, false) + "; -; " + effects.join("; ") + "}; &Paste{" +
                units("Part %1", 16, true) + "; -; " + offAll(effects) + "}; &Swap{" + units("Part %1", 16, true) +
                "; -}; -; Copy Sysex &Message to Clipboard",
            "&View: " + ViewMenu,
            "&Setup: &MIDI Setup... [Ctrl+M]; Auto&connect; -; &Appearance...; -; Read User &Voices...; "
            "PLG Setup...",
            "&Help: " + HelpMenu,
        });
    }

    // Seven buttons in four groups; the bar stays where it is.
    void mixToolBar()
    {
        auto w = rig->build<VeskMix>();
        QToolBar* bar = w->mainToolBar();
        QVERIFY(bar);
        QCOMPARE(bar->windowTitle(), QStringLiteral("Main"));
        QStringList texts;
        for (QAction* action : bar->actions()) {
            texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
            if (!action->isSeparator())
                QVERIFY2(!action->icon().isNull(), qPrintable(action->text()));
        }
        QCOMPARE(texts.join("; "), QStringLiteral("&New...; &Open...; &Save; -; &Reset Mix; &GM Reset Mix; -; "
                                                  "Re&fresh; -; &MIDI Setup..."));
        QVERIFY(!bar->isFloatable());
        QVERIFY(!bar->isMovable());
        QCOMPARE(bar->iconSize(), QSize(19, 19));
        QCOMPARE(bar->toolButtonStyle(), Qt::ToolButtonIconOnly);
        // Read Multis is a command, reached from no menu entry.
        QVERIFY(w->command(VeskMix::ReadMultisCommand));
    }

    // Ctrl+I initialises in three patch editors and resets the mix; the drum
    // kit editor binds it to nothing. F6 exists in the patch editors only.
    void shortcutsTakenOnce()
    {
        const auto owners = [](MainWindow& w, const QKeySequence& key) {
            QList<int> ids;
            for (int id = 0; id < 2000; ++id) {
                if (QAction* a = w.command(id); a && a->shortcut() == key)
                    ids << id;
            }
            return ids;
        };
        const QKeySequence ctrlI(QStringLiteral("Ctrl+I"));
        const QKeySequence f6(Qt::Key_F6);
        {
            auto w = rig->build<VeskVoice>();
            QCOMPARE(owners(*w, ctrlI), QList<int>({9}));
            QCOMPARE(owners(*w, f6), QList<int>({5}));
        }
        {
            auto w = rig->build<VeskDrum>();
            QCOMPARE(owners(*w, ctrlI), QList<int>());
        }
        {
            auto w = rig->build<VeskMix>();
            QCOMPARE(owners(*w, ctrlI), QList<int>({10}));
            QCOMPARE(owners(*w, QKeySequence(Qt::Key_F5)), QList<int>({8}));
            QCOMPARE(owners(*w, f6), QList<int>());
        }
    }
};

ORVANE_TEST_MAIN(TestEditorMenus)
#include "tst_menus.moc"
