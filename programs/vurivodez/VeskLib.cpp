// The librarian's window: construction (document types, menus, tool bars,
// status bar), the view factory, the first action after start-up, the
// connection status and the selection message.
#include "VeskLib.h"

#include "Application.h"
#include "LibraryView.h"
#include "MidiDevice.h"
#include "VeskAll_Library.h"
#include "VoicesListView.h"

#include <QCloseEvent>
#include <QMenu>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

const QString VeskLib::Title = QStringLiteral("Vesk ES Ridev Vurivodez");

VeskLib::VeskLib(MidiDevice* device)
    : MdiParent(QSize(1020, 760), QSize(810, 550)),
      MidiClient(QCoreApplication::applicationName().isEmpty() ? Title : QCoreApplication::applicationName(),
                 device, this)
{
    setWindowTitle(Title);
    Win_SetIcon(this, 101);
    setAcceptDrops(true);
    setBackgroundColor(QColor(128, 132, 136));

    addMultiDocTemplate({0, 1}, QString::fromLatin1(VeskLibraryFilesFilter));
    for (const VeskLibraryKind& kind : VeskLibraryKinds)
        addDocTemplate(kind.type, QString::fromLatin1(kind.filter), QString::fromLatin1(kind.title),
                       QString::fromLatin1(kind.extension), QString::fromLatin1(kind.icon));

    createCommands();
    createMenu();
    createToolbar();
    createStatusBar();

    // The editors again, for a desktop's menu of the program (none here).
    m_dockMenu = new QMenu(this);
    addCommands(m_dockMenu, cmdVoiceEditor, cmdMasterEditor);

    m_properties.load();
    loadDockState();
    m_editorsBar->setVisible(m_properties.EditorsBar);

    device->connect(true);
}

VeskLib::~VeskLib()
{
    m_properties.store();
    saveDockState();
    // The views go while the clipboard and the device are still here.
    const QList<MdiView*> open = views();
    for (MdiView* view : open)
        m_clipboard.viewClosed(view);
    for (QMdiSubWindow* frame : mdiArea()->subWindowList())
        delete frame;
}

LibraryView* VeskLib::currentLibraryView() const
{
    return qobject_cast<LibraryView*>(currentView());
}

void VeskLib::createMenu()
{
    QMenu* file = addMenu(QStringLiteral("&File"));
    m_newMenu = addCommands(file, QStringLiteral("New"), cmdNewRidevLibrary, cmdNewVoiceLibrary);
    addCommands(file, cmdOpen, 8);
    addCommands(file, 11, 15);
    addMRU(file, QStringLiteral("Recent Files"));
    addCommands(file, 16, cmdExit);

    QMenu* edit = addMenu(QStringLiteral("&Edit"));
    addCommands(edit, cmdUndo, 27);
    addSeparator(edit);
    m_patchMenu = edit->addMenu(QStringLiteral("&Patch"));
    addCommands(m_patchMenu, cmdSendToEditBuffer, 50);
    addCommands(m_patchMenu, QStringLiteral("Sort"), cmdSortByName, cmdSortByComment, &m_sortAction);
    addCommands(m_patchMenu, 54, cmdProperties);
    addCommands(edit, 28, cmdSearch);

    addCommands(addMenu(QStringLiteral("&View")), cmdUpFolder, cmdEditorsToolbar);
    addCommands(addMenu(QStringLiteral("E&ditors")), cmdVoiceEditor, cmdMasterEditor);
    addCommands(addMenu(QStringLiteral("&Setup")), cmdMidiSetup, cmdPreferences);
    addCommands(addMenu(QStringLiteral("&Help")), cmdAbout, cmdManual);
}

void VeskLib::createToolbar()
{
    QToolBar* bar = addToolBar(QStringLiteral("Main"));
    bar->setObjectName(QStringLiteral("Main"));
    bar->setFloatable(true);
    bar->setMovable(true);
    setToolBarSize(bar, 24, true);
    setMainToolBar(bar);
    if (QAction* action = addCommand(bar, cmdNew)) {
        if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action))) {
            button->setMenu(m_newMenu);
            button->setPopupMode(QToolButton::InstantPopup);
        }
    }
    const QList<QList<int>> groups = {{cmdOpen, cmdSave},       {cmdUndo, cmdRedo},  {cmdCopy, cmdPaste},
                                      {cmdSearch},              {cmdUpFolder},       {cmdTransmitAll, cmdReceiveAll},
                                      {cmdMidiSetup, cmdPreferences}};
    for (int g = 0; g < groups.size(); ++g) {
        if (g > 0)
            addSeparator(bar);
        for (int id : groups.at(g))
            addCommand(bar, id);
    }

    addToolBarBreak(Qt::TopToolBarArea);

    m_editorsBar = addToolBar(QStringLiteral("Editors"));
    m_editorsBar->setObjectName(QStringLiteral("Editors"));
    m_editorsBar->setFloatable(true);
    m_editorsBar->setMovable(true);
    setToolBarSize(m_editorsBar, 16, true);
    addCommands(m_editorsBar, cmdVoiceEditor, cmdMasterEditor);
}

void VeskLib::createStatusBar()
{
    statusBar()->addPermanentWidget(&m_statusLabel, 150);
    m_statusLabel.setText(connectionText());
}

void VeskLib::OnConnect()
{
    if (!isVisible())
        return;
    m_statusLabel.setText(connectionText());
    reportMidiSystem();
}

void VeskLib::onLoadWindow()
{
    // A notice of the MIDI system that came before the window showed.
    m_statusLabel.setText(connectionText());
    reportMidiSystem();
    if (!m_startFile.isEmpty()) {
        openFile(m_startFile);
    } else {
        switch (m_properties.OnStart) {
        case VeskLib_Properties::StartRidevLibrary:
            onCommand(cmdNewRidevLibrary);
            break;
        case VeskLib_Properties::StartVoiceLibrary:
            onCommand(cmdNewVoiceLibrary);
            break;
        case VeskLib_Properties::StartLastLibrary:
            onMRU(0);
            break;
        default:
            break;
        }
    }
    autoUpdateUi();
}

void VeskLib::onMessage(int id, const QVariant& data, const QVariant& source)
{
    if (id == LibraryView::SelectionMessage) {
        const int selected = data.toInt();
        setStatusMessage(selected >= 2 ? QStringLiteral("%1 patches selected").arg(selected) : QString());
    }
    MdiParent::onMessage(id, data, source);
}

MdiView* VeskLib::createView(int type)
{
    if (type != 0 && type != 1)
        return nullptr;
    LibraryFolder* library = CreateVeskLibrary(type, midiDevice());
    if (!library)
        return nullptr;
    auto* view = new LibraryView(library, &m_properties.dependencyOptions);
    static const char* const icons[] = {"empty", "voice", "drumkit", "plgvoice", "performance", "mix", "master"};
    for (const char* icon : icons)
        view->voicesList()->addIcon(QStringLiteral("vesklib:tree/%1.png").arg(QLatin1String(icon)));
    return view;
}

void VeskLib::viewClosed(MdiView* view)
{
    m_clipboard.viewClosed(view);
}

void VeskLib::closeEvent(QCloseEvent* event)
{
    MdiParent::closeEvent(event);
}
