#include "MdiView.h"

#include "Archive.h"
#include "Document.h"
#include "MdiParent.h"
#include "Prompts.h"
#include "WaitCursor.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QMdiSubWindow>

MdiView::MdiView(QWidget* parent) : QWidget(parent) {}

MdiView::~MdiView() = default;

QObject* MdiView::mdiParent() const
{
    return window();
}

MdiParent* MdiView::parentWindow() const
{
    return qobject_cast<MdiParent*>(window());
}

void MdiView::setFilePath(const QString& path)
{
    m_filePath = path;
    const QString name = path.isEmpty() ? m_untitledName : QFileInfo(path).fileName();
    setWindowTitle(name + QStringLiteral("[*]"));
}

void MdiView::setUntitledName(const QString& name)
{
    m_untitledName = name;
    if (m_filePath.isEmpty())
        setFilePath(QString());
}

bool MdiView::storeTo(const QString& path)
{
    if (!m_document)
        return false;
    bool stored = false;
    {
        WaitCursor wait;
        stored = m_document->storeFile(path);
    }
    if (!stored) {
        error(this, m_document->docError());
        return false;
    }
    setFilePath(path);
    setWindowModified(false);
    if (MdiParent* parent = parentWindow())
        parent->storeMRU(path);
    return true;
}

bool MdiView::save()
{
    if (m_filePath.isEmpty())
        return saveAs();
    return storeTo(m_filePath);
}

bool MdiView::saveAs()
{
    MdiParent* parent = parentWindow();
    const QString ext = parent ? parent->extension(m_documentType) : QString();
    QString proposed = m_filePath.isEmpty() ? m_untitledName : m_filePath;
    if (!ext.isEmpty() && !proposed.isEmpty() && QFileInfo(proposed).suffix() != ext)
        proposed += QLatin1Char('.') + ext;
    QString path = PromptFileSave(this, parent ? parent->filter(m_documentType) : QString(),
                                  QStringLiteral("Save As"), proposed);
    if (path.isEmpty())
        return false;
    if (!ext.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += QLatin1Char('.') + ext;
    return storeTo(path);
}

bool MdiView::closeView()
{
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        return frame->close();
    return close();
}

void MdiView::closeEvent(QCloseEvent* event)
{
    if (isWindowModified()) {
        const QString name = m_filePath.isEmpty() ? m_untitledName : m_filePath;
        switch (promptSave(this, name)) {
        case PromptSaveSave:
            if (!save()) {
                event->ignore();
                return;
            }
            break;
        case PromptSaveDiscard:
            break;
        default:
            event->ignore();
            return;
        }
    }
    event->accept();
    if (MdiParent* parent = parentWindow())
        parent->notifyViewClosed(this);
}

std::shared_ptr<const DocumentState> MdiView::snapshot() const
{
    return m_document ? m_document->saveState() : nullptr;
}

void MdiView::resetUndo()
{
    m_undo.clear();
    m_undo.append(snapshot());
    m_undoIndex = 0;
}

void MdiView::undoCheck()
{
    // Undo is kept from the moment the window took the document over
    // (resetUndo); a view on its own records nothing.
    if (m_document && m_undoIndex >= 0) {
        // A step made after undoing drops the states that were undone.
        while (m_undo.size() > m_undoIndex + 1)
            m_undo.removeLast();
        m_undo.append(snapshot());
        while (m_undo.size() > UndoDepth + 1)
            m_undo.removeFirst();
        m_undoIndex = int(m_undo.size()) - 1;
    }
    emit documentChanged();
}

void MdiView::restore(int index)
{
    if (!m_document || index < 0 || index >= m_undo.size())
        return;
    {
        WaitCursor wait;
        const std::shared_ptr<const DocumentState>& state = m_undo.at(index);
        if (!state || !m_document->restoreState(*state))
            return;
    }
    m_undoIndex = index;
    setWindowModified(true);
    updateView(true);
    emit documentChanged();
}

void MdiView::undo()
{
    if (canUndo())
        restore(m_undoIndex - 1);
}

void MdiView::redo()
{
    if (canRedo())
        restore(m_undoIndex + 1);
}

void MdiView::updateView(bool /*resetCaret*/) {}
