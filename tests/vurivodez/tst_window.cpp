// The librarian's window as its program builds it, against the simulated
// instrument: title, connection status, the menus and tool bars against the
// command table, the rules that enable and show the commands, the first
// action after start-up, the selection message, the editors tool bar and
// the preferences.
#include "LibrarianRig.h"
#include "PreferencesDlg.h"

#include "ColorButton.h"
#include "EventMessage.h"
#include "Library.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolBar>

namespace {

// "text [shortcut] (off)" for a shown entry, "-" between groups, "title{...}"
// for a sub-menu; hidden entries left out, entries joined by "; ".
QString menuText(const QMenu* menu)
{
    QStringList entries;
    for (QAction* action : menu->actions()) {
        if (!action->isVisible())
            continue;
        if (action->isSeparator()) {
            // As a menu shows them: never first, last or twice in a row.
            if (!entries.isEmpty() && entries.last() != QLatin1String("-"))
                entries << QStringLiteral("-");
            continue;
        }
        QString entry;
        if (QMenu* sub = action->menu())
            entry = sub->title() + QLatin1Char('{') + menuText(sub) + QLatin1Char('}');
        else
            entry = action->text();
        if (!action->shortcut().isEmpty())
            entry += QStringLiteral(" [%1]").arg(action->shortcut().toString());
        if (!action->isEnabled() || (action->menu() && !action->menu()->isEnabled()))
            entry += QStringLiteral(" (off)");
        entries << entry;
    }
    if (!entries.isEmpty() && entries.last() == QLatin1String("-"))
        entries.removeLast();
    return entries.join(QStringLiteral("; "));
}

QString menuOf(QMainWindow& window, const QString& title)
{
    for (QAction* action : window.menuBar()->actions()) {
        if (action->menu() && action->menu()->title() == title)
            return menuText(action->menu());
    }
    return QStringLiteral("(no menu %1)").arg(title);
}

QString withKeys(QString text)
{
    const QList<QPair<const char*, QKeySequence::StandardKey>> keys = {
        {"%Open%", QKeySequence::Open},     {"%Save%", QKeySequence::Save},   {"%New%", QKeySequence::New},
        {"%SaveAs%", QKeySequence::SaveAs}, {"%Copy%", QKeySequence::Copy},   {"%Paste%", QKeySequence::Paste},
        {"%Help%", QKeySequence::HelpContents}, {"%Undo%", QKeySequence::Undo}, {"%Redo%", QKeySequence::Redo},
        {"%All%", QKeySequence::SelectAll}, {"%Delete%", QKeySequence::Delete},
    };
    for (const auto& [token, key] : keys)
        text.replace(QLatin1String(token), QKeySequence(key).toString());
    return text.replace(QStringLiteral(" []"), QString());
}

QString toolBarText(QToolBar* bar)
{
    QStringList entries;
    for (QAction* action : bar->actions())
        entries << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return entries.join(QStringLiteral("; "));
}

} // namespace

class TestLibrarianWindow : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;

private slots:
    void initTestCase()
    {
        bus = testBus();
        QVERIFY(bus);
    }

    void startUpAndStatus()
    {
        LibrarianRig rig(*bus);
        auto window = rig.build();
        QCOMPARE(window->windowTitle(), QStringLiteral("Vesk ES Ridev Vurivodez"));
        QVERIFY(!window->windowIcon().isNull());
        // Before the instrument answers.
        QCOMPARE(window->statusLabel()->text(), QStringLiteral("Not connected"));
        QVERIFY(showLoaded(*window));
        QVERIFY(waitConnected(*window));
        QVERIFY(QTest::qWaitFor([&] { return window->statusLabel()->text() != QLatin1String("Not connected"); },
                                5000));
        QCOMPARE(window->statusLabel()->text(), window->midiDevice()->connectionStatus());
        // OnStart 0: an empty environment.
        QVERIFY(window->views().isEmpty());
        QCOMPARE(window->currentLibraryView(), nullptr);
    }

    void menusAgainstTheCommandTable()
    {
        LibrarianRig rig(*bus);
        auto window = rig.build();
        QVERIFY(showLoaded(*window));
        window->onUpdateUi();

        // No document: the view's commands and the patch menu are hidden,
        // Save is off.
        QCOMPARE(menuOf(*window, QStringLiteral("&File")),
                 withKeys(QStringLiteral("New{New &Ridev Library; New &Voice Library}; &Open... [%Open%]; "
                                         "&Save [%Save%] (off); -; Recent Files{} (off); -; E&xit")));
        QCOMPARE(menuOf(*window, QStringLiteral("&Edit")),
                 withKeys(QStringLiteral("&Undo [%Undo%] (off); &Redo [%Redo%] (off); -; &Transmit All... (off); "
                                         "Recei&ve All... (off); -; Remove &Duplicates... (off); -; "
                                         "Select &All [%All%] (off); &Invert Selection (off); -; "
                                         "&Search... [F3] (off)")));
        QCOMPARE(menuOf(*window, QStringLiteral("&View")), QStringLiteral("&Up Folder (off); -; &Editors Toolbar"));
        QCOMPARE(menuOf(*window, QStringLiteral("E&ditors")),
                 QStringLiteral("&Voice Editor; &Drum Kit Editor; &Performance Editor; &Mix Editor; Ma&ster Editor"));
        QCOMPARE(menuOf(*window, QStringLiteral("&Setup")),
                 QStringLiteral("&MIDI Setup... [Ctrl+M]; Auto&connect; -; &Preferences..."));
        QCOMPARE(menuOf(*window, QStringLiteral("&Help")), withKeys(QStringLiteral("&About; &Manual [%Help%]")));
        QVERIFY(window->command(VeskLib::cmdEditorsToolbar)->isCheckable());
        QVERIFY(window->command(VeskLib::cmdEditorsToolbar)->isChecked());

        // A Ridev Library.
        window->onCommand(VeskLib::cmdNewRidevLibrary);
        QVERIFY(window->currentLibraryView());
        window->onUpdateUi();
        QCOMPARE(menuOf(*window, QStringLiteral("&File")),
                 withKeys(QStringLiteral("New{New &Ridev Library; New &Voice Library}; &Open... [%Open%]; "
                                         "&Save [%Save%]; Save &As... [%SaveAs%]; &Close; Close All; -; "
                                         "Import Native File...; Export Patches Names...; "
                                         "Export Instrument Definition File...; -; Recent Files{} (off); -; E&xit")));
        const QString patchMenu = menuText(window->patchMenu());
        // The new library's caret stands on its first row, an empty slot.
        QCOMPARE(patchMenu, QStringLiteral("Send to &Edit Buffer [Enter] (off); Receive &from Edit Buffer; Edit (off); "
                                           "-; &Transmit [Ctrl+Right] (off); &Receive [Ctrl+Left]; -; "
                                           "Transmit Child Patches (off); Receive Child Patches; -; "
                                           "&Copy [%1] (off); &Paste [%2] (off); &Swap [Ctrl+B] (off); -; "
                                           "&Initialize [Ctrl+I]; Rena&me (off); &Delete [%3] (off); -; "
                                           "Send Pro&gram Change [F8]; Remove D&uplicates... (off); "
                                           "Sort{Sort by Name (off); Sort by Category (off); Sort by Comment (off)} "
                                           "(off); -; Pr&operties (off)")
                                .arg(QKeySequence(QKeySequence::Copy).toString(),
                                     QKeySequence(QKeySequence::Paste).toString(),
                                     QKeySequence(QKeySequence::Delete).toString()));
        QVERIFY(menuOf(*window, QStringLiteral("&Edit")).startsWith(withKeys(
            QStringLiteral("&Undo [%Undo%] (off); &Redo [%Redo%] (off); -; &Transmit All...; Recei&ve All...;"))));

        // A Voice Library without a current row: the row's operations are
        // hidden, New Patch shows once a group is selected, and the library
        // never shows the instrument's transfers of single patches.
        window->onCommand(VeskLib::cmdNewVoiceLibrary);
        LibraryView* voices = window->currentLibraryView();
        QCOMPARE(voices->documentType(), 1);
        window->onUpdateUi();
        QVERIFY(!window->command(VeskLib::cmdTransmitAll)->isEnabled());
        QVERIFY(menuOf(*window, QStringLiteral("&Edit")).contains(QLatin1String("&Transmit All... (off)")));
        voices->selectPatch(QStringLiteral("Normal Voices"), -1);
        window->onUpdateUi();
        const QString voiceMenu = menuText(window->patchMenu());
        for (const char* hidden : {"&Transmit", "&Receive", "&Swap", "Send Pro&gram Change", "Edit;", "Rena&me"})
            QVERIFY2(!voiceMenu.contains(QLatin1String(hidden)), qPrintable(voiceMenu + " / " + hidden));
        QVERIFY2(voiceMenu.contains(QLatin1String("&New Patch")), qPrintable(voiceMenu));
        QVERIFY(window->command(VeskLib::cmdReceiveFromEditBuffer)->isEnabled());

        // The tool bars.
        QCOMPARE(toolBarText(window->mainToolBar()),
                 QStringLiteral("&New...; &Open...; &Save; -; &Undo; &Redo; -; &Copy; &Paste; -; &Search...; -; "
                                "&Up Folder; -; &Transmit All...; Recei&ve All...; -; &MIDI Setup...; "
                                "&Preferences..."));
        QCOMPARE(toolBarText(window->editorsBar()),
                 QStringLiteral("&Voice Editor; &Drum Kit Editor; &Performance Editor; &Mix Editor; Ma&ster Editor"));
        QCOMPARE(window->editorsBar()->objectName(), QStringLiteral("Editors"));
        QCOMPARE(window->mainToolBar()->objectName(), QStringLiteral("Main"));
    }

    void firstActionAfterStart_data()
    {
        QTest::addColumn<int>("onStart");
        QTest::addColumn<int>("type"); // of the view opened; -1 for none
        QTest::newRow("empty environment") << 0 << -1;
        QTest::newRow("new Ridev Library") << 1 << 0;
        QTest::newRow("new Voice Library") << 2 << 1;
        QTest::newRow("last library") << 3 << 1;
        QTest::newRow("unknown value") << 7 << -1;
    }

    void firstActionAfterStart()
    {
        QFETCH(int, onStart);
        QFETCH(int, type);
        QTemporaryDir dir;
        const QString recent = dir.filePath(QStringLiteral("recent.vlib"));
        {
            // A Voice Library saved earlier is the most recent file.
            LibrarianRig rig(*bus);
            auto window = rig.build();
            ScriptedPrompts prompts;
            prompts.script(ScriptedPrompts::Kind::FileSave, recent);
            window->newFile(1);
            QVERIFY(window->currentLibraryView()->saveAs());
        }
        LibrarianRig rig(*bus);
        auto window = rig.build([&] {
            Profile::writeProfileInt(QString(), QStringLiteral("OnStart"), onStart);
            Profile::settings()->setValue(QStringLiteral("RecentFiles"), QStringList{recent});
        });
        QVERIFY(showLoaded(*window));
        if (type < 0) {
            QVERIFY(window->views().isEmpty());
            return;
        }
        QCOMPARE(window->views().size(), 1);
        QCOMPARE(window->currentLibraryView()->documentType(), type);
        QCOMPARE(window->currentLibraryView()->filePath().isEmpty(), onStart != 3);
    }

    void selectionMessage()
    {
        LibrarianRig rig(*bus);
        auto window = rig.build();
        QVERIFY(showLoaded(*window));
        PostMessage(window.get(), LibraryView::SelectionMessage, 5, 0);
        QVERIFY(QTest::qWaitFor([&] { return window->statusWidget()->text() == QLatin1String("5 patches selected"); },
                                Waiting::EventMs));
        PostMessage(window.get(), LibraryView::SelectionMessage, 1, 0);
        QVERIFY(QTest::qWaitFor([&] { return window->statusWidget()->text().isEmpty(); },
                                Waiting::EventMs));
    }

    void editorsToolbarIsRemembered()
    {
        LibrarianRig rig(*bus);
        {
            auto window = rig.build();
            QVERIFY(showLoaded(*window));
            QVERIFY(window->editorsBar()->isVisible());
            window->onCommand(VeskLib::cmdEditorsToolbar);
            QVERIFY(!window->editorsBar()->isVisible());
            window->onUpdateUi();
            QVERIFY(!window->command(VeskLib::cmdEditorsToolbar)->isChecked());
        }
        QCOMPARE(Profile::readProfileInt(QString(), QStringLiteral("EditorsBar"), 1), 0);
        // The next start keeps the settings written by the last.
        Profile::setIdentity(VeskLib::Title, QStringLiteral("Tamsel"), QStringLiteral("2.8.0"));
        VeskLib again(rig.device.get());
        QVERIFY(showLoaded(again));
        QVERIFY(!again.editorsBar()->isVisible());
    }

    void preferences()
    {
        VeskLib_Properties properties;
        properties.OnStart = 1;
        properties.dependencyOptions.PasteChildren = 1;
        properties.EditorsBar = false;
        const VeskLib_Properties before = properties;
        const auto same = [](const VeskLib_Properties& a, const VeskLib_Properties& b) {
            const DependencyOptions& x = a.dependencyOptions;
            const DependencyOptions& y = b.dependencyOptions;
            return a.OnStart == b.OnStart && a.EditorsBar == b.EditorsBar && x.PasteChildren == y.PasteChildren &&
                   x.Colorize == y.Colorize && x.Color1 == y.Color1 && x.Color2 == y.Color2 && x.Color3 == y.Color3;
        };
        {
            PreferencesDlg dialog(properties);
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Preferences"));
            QCOMPARE(dialog.startList()->currentText(), QStringLiteral("Create empty Ridev Library"));
            QCOMPARE(dialog.pasteList()->currentText(), QStringLiteral("Prompt"));
            QCOMPARE(dialog.colorButton(2)->text(), QStringLiteral("Parent/Child"));
            dialog.pasteList()->setCurrentIndex(2);
            dialog.reject();
            QVERIFY(same(properties, before));
        }
        {
            PreferencesDlg dialog(properties);
            dialog.accept();
            QVERIFY(same(properties, before));
        }
        PreferencesDlg dialog(properties);
        dialog.pasteList()->setCurrentIndex(2);
        dialog.startList()->setCurrentIndex(3);
        dialog.colorizeBox()->setChecked(false);
        dialog.colorButton(0)->setColor(QColor(1, 2, 3));
        dialog.accept();
        QCOMPARE(properties.dependencyOptions.PasteChildren, 2);
        QCOMPARE(properties.OnStart, 3);
        QVERIFY(!properties.dependencyOptions.Colorize);
        QCOMPARE(properties.dependencyOptions.Color1, QColor(1, 2, 3));
        QVERIFY(!properties.EditorsBar);

        // Through the command: the window's own record, which every view reads.
        LibrarianRig rig(*bus);
        auto window = rig.build();
        window->newFile(0);
        ScriptedPrompts prompts;
        prompts.onDialog([](QDialog* d) {
            if (auto* preferences = qobject_cast<PreferencesDlg*>(d))
                preferences->pasteList()->setCurrentIndex(2);
        });
        prompts.script(ScriptedPrompts::Kind::Dialog, int(QDialog::Accepted));
        window->onCommand(VeskLib::cmdPreferences);
        QCOMPARE(prompts.last(ScriptedPrompts::Kind::Dialog).text, QStringLiteral("PreferencesDlg"));
        QCOMPARE(window->properties().dependencyOptions.PasteChildren, 2);
        QCOMPARE(window->currentLibraryView()->voicesList()->dependencyOptions()->PasteChildren, 2);
    }

    // MIDI Setup from the menu: what the user sets reaches the device on OK
    // only.
    void midiSetup()
    {
        LibrarianRig rig(*bus);
        auto window = rig.build();
        ScriptedPrompts prompts;
        prompts.onDialog([](QDialog* d) {
            if (auto* delay = d->findChild<QSpinBox*>(QStringLiteral("Delay")))
                delay->setValue(7);
        });
        prompts.script(ScriptedPrompts::Kind::Dialog, int(QDialog::Rejected));
        window->onCommand(VeskLib::cmdMidiSetup);
        QCOMPARE(prompts.last(ScriptedPrompts::Kind::Dialog).text, QStringLiteral("MidiSetupDlg"));
        QCOMPARE(window->midiDevice()->delay(), 0);
        prompts.script(ScriptedPrompts::Kind::Dialog, int(QDialog::Accepted));
        window->onCommand(VeskLib::cmdMidiSetup);
        QCOMPARE(prompts.count(ScriptedPrompts::Kind::Dialog), 2);
        QCOMPARE(window->midiDevice()->delay(), 7);
    }

    // The about box: title, version and the librarian's picture.
    void aboutBox()
    {
        LibrarianRig rig(*bus);
        auto window = rig.build();
        ScriptedPrompts prompts;
        QString text;
        bool pictured = false;
        prompts.onDialog([&](QDialog* d) {
            auto* box = qobject_cast<QMessageBox*>(d);
            pictured = box && !box->iconPixmap().isNull();
            text = box ? box->text() : QString();
        });
        window->onCommand(VeskLib::cmdAbout);
        QCOMPARE(prompts.last(ScriptedPrompts::Kind::Dialog).title, QStringLiteral("About Vesk ES Ridev Vurivodez"));
        QVERIFY2(text.contains(QStringLiteral("Version 2.8.0")), qPrintable(text));
        QVERIFY(pictured);
    }
};

ORVANE_TEST_MAIN(TestLibrarianWindow)
#include "tst_window.moc"
