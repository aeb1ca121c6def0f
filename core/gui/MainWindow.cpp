#include "MainWindow.h"

#include "EventMessage.h"
#include "Instance.h"
#include "Profile.h"
#include "WindowState.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSettings>
#include <QShowEvent>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

MainWindow::MainWindow(QSize size, QWidget* parent) : QMainWindow(parent)
{
    if (size.isValid())
        resize(size);
    m_statusWidget = new QLabel(this);
    statusBar()->addWidget(m_statusWidget, 1);
    Instance::attachWindow(this);
}

MainWindow::~MainWindow()
{
    Instance::detachWindow(this);
}

bool MainWindow::PassToInstance(const QString& text)
{
    return Instance::passText(text);
}

void MainWindow::updateStyleSheets() {}

void MainWindow::onLoadWindow() {}

void MainWindow::onUpdateUi() {}

void MainWindow::openFile(const QString&) {}

void MainWindow::onCommand(int) {}

void MainWindow::onMessage(int, const QVariant&, const QVariant&) {}

void MainWindow::onInstanceData(const QString& data)
{
    if (!data.isEmpty())
        openFile(data);
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

QAction* MainWindow::createCommand(int id, const QString& text, const QKeySequence& shortcut,
                                   const QString& icon)
{
    if (QAction* existing = m_commands.value(id))
        return existing;
    auto* action = new QAction(text, this);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    if (!icon.isEmpty())
        action->setIcon(QIcon(icon));
    // A command's shortcut works wherever the focus is in the window, also
    // when the command is on no menu the window shows.
    addAction(action);
    connect(action, &QAction::triggered, this, [this, id]() {
        onCommand(id);
        autoUpdateUi();
    });
    m_commands.insert(id, action);
    return action;
}

QAction* MainWindow::command(int id) const
{
    return m_commands.value(id);
}

void MainWindow::enableCommand(int id, bool enable)
{
    if (QAction* action = command(id))
        action->setEnabled(enable);
}

void MainWindow::checkCommand(int id, bool check)
{
    if (QAction* action = command(id)) {
        action->setCheckable(true);
        action->setChecked(check);
    }
}

void MainWindow::showCommand(int id, bool show)
{
    if (QAction* action = command(id))
        action->setVisible(show);
}

void MainWindow::hideCommand(int id, bool hide)
{
    showCommand(id, !hide);
}

void MainWindow::addCommands(QMenu* menu, int first, int last)
{
    if (!menu)
        return;
    hookMenu(menu);
    int next = first; // the id after the last one appended
    for (auto it = m_commands.lowerBound(first); it != m_commands.end() && it.key() <= last; ++it) {
        if (it.key() > next)
            menu->addSeparator();
        menu->addAction(it.value());
        next = it.key() + 1;
    }
    if (next <= last)
        menu->addSeparator();
}

void MainWindow::addCommands(QToolBar* bar, int first, int last)
{
    if (!bar)
        return;
    for (auto it = m_commands.lowerBound(first); it != m_commands.end() && it.key() <= last; ++it)
        bar->addAction(it.value());
}

QMenu* MainWindow::addCommands(QMenu* menu, const QString& title, int first, int last, QAction** out)
{
    if (!menu)
        return nullptr;
    QMenu* sub = menu->addMenu(title);
    addCommands(sub, first, last);
    if (out)
        *out = sub->menuAction();
    return sub;
}

QAction* MainWindow::addCommand(QMenu* menu, int id)
{
    QAction* action = command(id);
    if (menu && action) {
        hookMenu(menu);
        menu->addAction(action);
    }
    return action;
}

QAction* MainWindow::addCommand(QToolBar* bar, int id)
{
    QAction* action = command(id);
    if (bar && action)
        bar->addAction(action);
    return action;
}

void MainWindow::addSeparator(QMenu* menu)
{
    if (menu)
        menu->addSeparator();
}

void MainWindow::addSeparator(QToolBar* bar)
{
    if (bar)
        bar->addSeparator();
}

QMenu* MainWindow::addMenu(const QString& title)
{
    QMenu* menu = menuBar()->addMenu(title);
    hookMenu(menu);
    return menu;
}

QMenu* MainWindow::addMRU(QMenu* menu, const QString& title)
{
    if (!menu)
        return nullptr;
    delete m_recentMenu;
    m_recentMenu = menu->addMenu(title);
    fillRecentMenu();
    return m_recentMenu;
}

namespace {

const QString RecentFilesKey = QStringLiteral("RecentFiles");

} // namespace

QStringList MainWindow::recentFiles() const
{
    return Profile::settings()->value(RecentFilesKey).toStringList();
}

void MainWindow::storeMRU(const QString& path)
{
    if (path.isEmpty())
        return;
    QStringList files = recentFiles();
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > MaxRecentFiles)
        files.removeLast();
    Profile::settings()->setValue(RecentFilesKey, files);
    fillRecentMenu();
}

void MainWindow::removeMRU(const QString& path)
{
    QStringList files = recentFiles();
    if (files.removeAll(path) == 0)
        return;
    Profile::settings()->setValue(RecentFilesKey, files);
    fillRecentMenu();
}

void MainWindow::fillRecentMenu()
{
    if (!m_recentMenu)
        return;
    m_recentMenu->clear();
    const QStringList files = recentFiles();
    for (const QString& file : files) {
        QAction* action = m_recentMenu->addAction(file);
        connect(action, &QAction::triggered, this, [this, file]() { openFile(file); });
    }
    m_recentMenu->setEnabled(!files.isEmpty());
}

void MainWindow::setToolBarSize(QToolBar* bar, int size, bool textBeside)
{
    if (!bar)
        return;
    bar->setIconSize(QSize(size, size));
    bar->setToolButtonStyle(textBeside ? Qt::ToolButtonTextBesideIcon : Qt::ToolButtonIconOnly);
}

int MainWindow::toolBarHeight(QToolBar* bar) const
{
    if (!bar)
        return 0;
    // Before the window is laid out the bar has no height of its own yet.
    return bar->isVisible() && bar->height() > 1 ? bar->height() : bar->sizeHint().height();
}

QRect MainWindow::clientRect() const
{
    // The menu bar stands inside the window here; before the window is laid
    // out its height is the one it asks for.
    int top = 0;
    if (QWidget* bar = menuWidget())
        top = bar->isVisible() && bar->height() > 1 ? bar->height() : bar->sizeHint().height();
    int bottom = height();
    if (QStatusBar* status = findChild<QStatusBar*>(QString(), Qt::FindDirectChildrenOnly))
        bottom -= status->isVisible() && status->height() > 1 ? status->height() : status->sizeHint().height();
    return QRect(0, top, width(), qMax(0, bottom - top));
}

void MainWindow::hookMenu(QMenu* menu)
{
    // Once per menu: the states are fresh whenever the menu opens.
    if (menu->property("orvaneHooked").toBool())
        return;
    menu->setProperty("orvaneHooked", true);
    connect(menu, &QMenu::aboutToShow, this, &MainWindow::runUpdateUi);
}

void MainWindow::autoUpdateUi()
{
    if (m_updatePosted)
        return;
    m_updatePosted = true;
    QTimer::singleShot(0, this, [this]() {
        m_updatePosted = false;
        runUpdateUi();
    });
}

void MainWindow::runUpdateUi()
{
    onUpdateUi();
}

void MainWindow::setStatusMessage(const QString& text)
{
    m_statusWidget->setText(text);
}

void MainWindow::customEvent(QEvent* event)
{
    if (event->type() == CommandEvent::Type()) {
        onCommand(static_cast<CommandEvent*>(event)->id());
        autoUpdateUi();
        return;
    }
    if (event->type() == EventMessage::Type()) {
        auto* message = static_cast<EventMessage*>(event);
        onMessage(message->id(), message->data(), message->source());
        return;
    }
    QMainWindow::customEvent(event);
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_loadPosted)
        return;
    // A window made larger than a small screen's free area fits it.
    KeepOnScreen(this);
    // After the window has appeared, from the event loop: the program's
    // window is complete by then and may open further windows over it.
    m_loadPosted = true;
    QTimer::singleShot(0, this, &MainWindow::loadWindow);
}

void MainWindow::loadWindow()
{
    m_loaded = true;
    onLoadWindow();
    runUpdateUi();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        QMainWindow::dragEnterEvent(event);
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    bool any = false;
    for (const QUrl& url : urls) {
        if (url.isLocalFile()) {
            openFile(url.toLocalFile());
            any = true;
        }
    }
    if (any)
        event->acceptProposedAction();
    else
        QMainWindow::dropEvent(event);
}
