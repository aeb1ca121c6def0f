#include "MdiParent.h"

#include "Document.h"
#include "MdiView.h"
#include "Profile.h"
#include "Prompts.h"
#include "WaitCursor.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QIcon>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSettings>

namespace {
const QString DockStateKey = QStringLiteral("DockState");
}

MdiParent::MdiParent(QSize size, QSize minimum, QWidget* parent) : MainWindow(size, parent)
{
    m_area = new QMdiArea(this);
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_area);
    if (minimum.isValid())
        setMinimumSize(minimum.boundedTo(size.isValid() ? size : minimum));
    connect(m_area, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* frame) {
        viewChanged(frame ? qobject_cast<MdiView*>(frame->widget()) : nullptr);
        autoUpdateUi();
    });
}

MdiParent::~MdiParent()
{
    // The views go first, each taking its document with it, while the
    // window's own parts still exist.
    const QList<QMdiSubWindow*> frames = m_area->subWindowList();
    for (QMdiSubWindow* frame : frames)
        delete frame;
}

void MdiParent::setBackgroundColor(const QColor& color)
{
    m_area->setBackground(color);
}

void MdiParent::addMultiDocTemplate(const ints& types, const QString& filterTitle)
{
    m_multiTemplates.append({types, filterTitle});
}

void MdiParent::addDocTemplate(int type, const QString& filterTitle, const QString& name, const QString& extension,
                               const QString& icon)
{
    m_templates.append({type, filterTitle, name, extension, icon});
}

const MdiParent::DocTemplate* MdiParent::findTemplate(int type) const
{
    for (const DocTemplate& t : m_templates) {
        if (t.type == type)
            return &t;
    }
    return nullptr;
}

int MdiParent::typeOfPath(const QString& path) const
{
    const QString suffix = QFileInfo(path).suffix();
    for (const DocTemplate& t : m_templates) {
        if (suffix.compare(t.extension, Qt::CaseInsensitive) == 0)
            return t.type;
    }
    return -1;
}

QString MdiParent::documentName(int type) const
{
    const DocTemplate* t = findTemplate(type);
    return t ? t->name : QString();
}

QString MdiParent::extension(int type) const
{
    const DocTemplate* t = findTemplate(type);
    return t ? t->extension : QString();
}

QString MdiParent::filter(int type) const
{
    const DocTemplate* t = findTemplate(type);
    if (!t)
        return QString();
    return QStringLiteral("%1 (*.%2);;").arg(t->filterTitle, t->extension);
}

MdiView* MdiParent::currentView() const
{
    QMdiSubWindow* frame = m_area->currentSubWindow();
    if (!frame)
        frame = m_area->activeSubWindow();
    return frame ? qobject_cast<MdiView*>(frame->widget()) : nullptr;
}

QList<MdiView*> MdiParent::views() const
{
    QList<MdiView*> list;
    const QList<QMdiSubWindow*> frames = m_area->subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow* frame : frames) {
        if (auto* view = qobject_cast<MdiView*>(frame->widget()))
            list.append(view);
    }
    return list;
}

MdiView* MdiParent::makeView(int type)
{
    MdiView* view = createView(type);
    if (!view)
        return nullptr;
    view->setDocumentType(type);
    // The document lives as long as its view.
    if (Document* document = view->document())
        connect(view, &QObject::destroyed, this, [document]() { delete document; });
    return view;
}

void MdiParent::place(MdiView* view)
{
    QMdiSubWindow* frame = m_area->addSubWindow(view);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    if (const DocTemplate* t = findTemplate(view->documentType()); t && !t->icon.isEmpty())
        frame->setWindowIcon(QIcon(t->icon));
    view->show();
    frame->show();
    m_area->setActiveSubWindow(frame);
    view->resetUndo();
    view->updateView(true);
    autoUpdateUi();
}

MdiView* MdiParent::newFile(int type)
{
    MdiView* view = makeView(type);
    if (!view)
        return nullptr;
    const int n = ++m_untitledCount[type];
    view->setUntitledName(QStringLiteral("%1 %2").arg(documentName(type)).arg(n));
    place(view);
    return view;
}

void MdiParent::openFile()
{
    QString all;
    for (const auto& [types, title] : m_multiTemplates) {
        QStringList patterns;
        for (int type : types) {
            if (const DocTemplate* t = findTemplate(type))
                patterns << QStringLiteral("*.") + t->extension;
        }
        all += QStringLiteral("%1 (%2);;").arg(title, patterns.join(QLatin1Char(';')));
    }
    for (const DocTemplate& t : m_templates)
        all += filter(t.type);
    const QStringList paths = PromptFilesOpen(this, all, QStringLiteral("Open"));
    for (const QString& path : paths)
        openFile(path);
}

MdiView* MdiParent::viewOfPath(const QString& path) const
{
    const QString wanted = QFileInfo(path).absoluteFilePath();
    const QList<MdiView*> list = views();
    for (MdiView* view : list) {
        if (!view->filePath().isEmpty() && QFileInfo(view->filePath()).absoluteFilePath() == wanted)
            return view;
    }
    return nullptr;
}

void MdiParent::openFile(const QString& path)
{
    if (path.isEmpty())
        return;
    if (MdiView* open = viewOfPath(path)) {
        m_area->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(open->parentWidget()));
        return;
    }
    // The type of the extension; a file of another name may still be either.
    QList<int> types;
    if (const int type = typeOfPath(path); type >= 0)
        types << type;
    else
        for (const DocTemplate& t : m_templates)
            types << t.type;

    QString failure = QStringLiteral("Cannot open file\n\n%1").arg(path);
    for (int type : types) {
        MdiView* view = makeView(type);
        if (!view || !view->document()) {
            delete view;
            continue;
        }
        bool loaded = false;
        {
            WaitCursor wait;
            loaded = view->document()->loadFile(path);
        }
        if (!loaded) {
            if (!view->document()->docError().isEmpty())
                failure = view->document()->docError();
            delete view;
            continue;
        }
        view->setFilePath(QFileInfo(path).absoluteFilePath());
        place(view);
        storeMRU(view->filePath());
        return;
    }
    error(this, failure);
}

void MdiParent::onMRU(int index)
{
    const QStringList files = recentFiles();
    if (index >= 0 && index < files.size())
        openFile(files.at(index));
}

bool MdiParent::closeAll()
{
    const QList<QMdiSubWindow*> frames = m_area->subWindowList();
    for (QMdiSubWindow* frame : frames) {
        if (!frame->close())
            return false;
    }
    return true;
}

void MdiParent::loadDockState()
{
    restoreState(Profile::settings()->value(DockStateKey).toByteArray());
}

void MdiParent::saveDockState()
{
    Profile::settings()->setValue(DockStateKey, saveState());
}

MdiView* MdiParent::createView(int /*type*/)
{
    return nullptr;
}

void MdiParent::viewChanged(MdiView* /*view*/) {}

void MdiParent::viewClosed(MdiView* /*view*/) {}

void MdiParent::notifyViewClosed(MdiView* view)
{
    viewClosed(view);
    autoUpdateUi();
}

void MdiParent::closeEvent(QCloseEvent* event)
{
    if (!closeAll()) {
        event->ignore();
        return;
    }
    MainWindow::closeEvent(event);
}
