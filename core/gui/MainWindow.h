// The main window base of the programs.
//
// A program's window is driven through integer command ids. Each command is
// created once, with its text, shortcut and icon, as a QAction the window
// keeps; menus and tool bars are filled from ranges of ids; triggering any of
// them, or posting the id to the window (PostCommand), reaches the one
// dispatch onCommand(int). The enabled and checked states are recomputed in
// onUpdateUi, which runs when the window has loaded, before a menu built here
// opens, after each command, and whenever autoUpdateUi asks for it.
//
// Messages posted to the window (PostMessage) reach onMessage after the
// window's event filters have seen them. Files dropped on a window that
// accepts drops are handed to openFile one by one.
//
// The hooks, in the order a program overrides them: updateStyleSheets,
// onLoadWindow, onUpdateUi, openFile, onCommand, onMessage, onInstanceData.
// The first MainWindow a program makes is its instance window: a second
// start of the program hands it its file argument (Instance.h).
//
// All of it runs on the GUI thread.
#pragma once

#include <QKeySequence>
#include <QMainWindow>
#include <QMap>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVariant>

class QAction;
class QLabel;
class QMenu;
class QToolBar;

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // An invalid size leaves the window at Qt's default size.
    explicit MainWindow(QSize size = QSize(), QWidget* parent = nullptr);
    ~MainWindow() override;

    // --- hooks ---------------------------------------------------------------
    // Rebuilds the window's style sheets from its current colours and font.
    // Nothing here.
    virtual void updateStyleSheets();
    // Runs once, after the window was first shown, from the event loop.
    // Nothing here.
    virtual void onLoadWindow();
    // Recomputes the enabled and checked states of the commands. Nothing here.
    virtual void onUpdateUi();
    // Opens the file at path. Nothing here.
    virtual void openFile(const QString& path);
    // Carries out command id. Nothing here.
    virtual void onCommand(int id);
    // A message posted to the window. Nothing here; an override passes the
    // ids it does not handle on to its base.
    virtual void onMessage(int id, const QVariant& data, const QVariant& source);
    // The text a second start of the program handed over (its file
    // argument): opens it unless it is empty, then raises the window.
    virtual void onInstanceData(const QString& data);

    // --- commands --------------------------------------------------------------
    // Creates the command, or gives the one already created under id (which
    // keeps its text, shortcut and icon). icon: an image name such as
    // "core:save.png"; "" for none.
    QAction* createCommand(int id, const QString& text, const QKeySequence& shortcut = QKeySequence(),
                           const QString& icon = QString());
    // Null for an id never created.
    QAction* command(int id) const;
    // Nothing for an id never created.
    void enableCommand(int id, bool enable);
    void checkCommand(int id, bool check);
    // The two take opposite senses: showCommand(id, false) hides,
    // hideCommand(id, false) shows.
    void showCommand(int id, bool show);
    void hideCommand(int id, bool hide);

    // --- the running instance ---------------------------------------------------
    // Hands text (a second start's file argument, "" for none) to the
    // program's running instance, whose instance window gets it in
    // onInstanceData. False when no instance took it.
    static bool PassToInstance(const QString& text);

    // --- menus and tool bars ---------------------------------------------------
    // Appends the created commands whose ids lie in first..last, in id order.
    // In a menu, each run of ids without a command (a gap) shows as one
    // separator, wherever it lies in the range: the ids of a command set
    // leave gaps where one group of entries ends and the next begins. (A
    // menu hides separators at its ends and runs of them.) A tool bar gets
    // the commands alone.
    void addCommands(QMenu* menu, int first, int last);
    void addCommands(QToolBar* bar, int first, int last);
    // A sub-menu titled title, appended to menu and filled from the range; out,
    // when not null, receives the sub-menu's action in menu.
    QMenu* addCommands(QMenu* menu, const QString& title, int first, int last, QAction** out = nullptr);
    // The command's action once appended; null for an id never created.
    QAction* addCommand(QMenu* menu, int id);
    QAction* addCommand(QToolBar* bar, int id);
    void addSeparator(QMenu* menu);
    void addSeparator(QToolBar* bar);
    // A menu of the menu bar, titled title, that recomputes the states before
    // it opens.
    QMenu* addMenu(const QString& title);
    // The recent-files sub-menu, titled title, appended to menu: the files of
    // the list storeMRU keeps, newest first, each opened through openFile
    // when chosen; disabled while the list is empty. One per window.
    QMenu* addMRU(QMenu* menu, const QString& title);
    // Puts path at the head of the recent files (kept in the settings, at
    // most MaxRecentFiles) / takes it out.
    void storeMRU(const QString& path);
    void removeMRU(const QString& path);
    QStringList recentFiles() const;
    static constexpr int MaxRecentFiles = 8;

    // The window's main tool bar, null until setMainToolBar.
    QToolBar* mainToolBar() const { return m_mainToolBar; }
    void setMainToolBar(QToolBar* bar) { m_mainToolBar = bar; }
    // Icons of size x size pixels; textBeside shows each command's text
    // beside its icon, else the icon alone.
    void setToolBarSize(QToolBar* bar, int size, bool textBeside);
    // The height the bar takes in the window; 0 for null.
    int toolBarHeight(QToolBar* bar) const;
    // The window's area below the menu bar and above the status bar, in the
    // window's coordinates. Its edges anchor a window laid out by hand:
    // valid before the window is shown, once its menus are built.
    QRect clientRect() const;

    // --- state -------------------------------------------------------------------
    // Runs onUpdateUi once after the current event (calls in between merge).
    void autoUpdateUi();
    // The window's own message line in the status bar; a program that shows
    // its own status widgets takes it out of the bar.
    QLabel* statusWidget() const { return m_statusWidget; }
    void setStatusMessage(const QString& text);
    // onLoadWindow has run.
    bool isLoaded() const { return m_loaded; }

protected:
    void customEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void loadWindow();
    void runUpdateUi();
    void hookMenu(QMenu* menu);
    void fillRecentMenu();

    QMap<int, QAction*> m_commands; // children of the window
    QLabel* m_statusWidget = nullptr;
    QToolBar* m_mainToolBar = nullptr;
    QMenu* m_recentMenu = nullptr; // a child of its menu
    bool m_loadPosted = false;
    bool m_loaded = false;
    bool m_updatePosted = false;
};
