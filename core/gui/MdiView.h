// A view of a document inside a program's main window. Every document window
// of the suite derives from it, first of all its bases, so a pointer to the
// view and to this base are the same address: whoever keeps a view pointer may
// compare it with the MdiView* a closing window reports.
//
// The view shows a document it does not own: the main window keeps each
// document with its view. After every change to the document the view calls
// undoCheck(), which records the document's new state as an undo step and
// tells the main window (documentChanged). Messages for the main window go to
// mdiParent().
//
// Inside a multi-document window (MdiParent) the view also carries its
// document's file: its type, its path (empty while untitled), the modified
// mark (Qt's window-modified flag, shown as "*" in its title), save, save as
// and close (which asks to save a modified document), and undo and redo over
// the document's states (Document::saveState). GUI thread only.
#pragma once

#include <QList>
#include <QString>
#include <QWidget>

#include <memory>

class Document;
class DocumentState;
class MdiParent;

class MdiView : public QWidget
{
    Q_OBJECT

public:
    explicit MdiView(QWidget* parent = nullptr);
    ~MdiView() override;

    // The document's kind and file, as the multi-document window set them.
    int documentType() const { return m_documentType; }
    void setDocumentType(int type) { m_documentType = type; }
    // "" while the document was never saved or loaded.
    QString filePath() const { return m_filePath; }
    // Sets the path and the title (the file's name, "[*]" for the mark).
    void setFilePath(const QString& path);
    // An untitled document's title, and the name its first Save As proposes.
    QString untitledName() const { return m_untitledName; }
    void setUntitledName(const QString& name);

    // Writes the document to its file, or asks where first when it has none.
    // A failed write is reported and keeps the old file. False when nothing
    // was saved.
    bool save();
    // Asks where, then writes; false when cancelled or failed.
    bool saveAs();
    // Closes the view's window (asking to save a modified document first);
    // false when the user cancelled.
    bool closeView();

    // Undo over the states undoCheck recorded (at most UndoDepth back).
    bool canUndo() const { return m_undoIndex > 0; }
    bool canRedo() const { return m_undoIndex + 1 < m_undo.size(); }
    void undo();
    void redo();
    // Forgets the steps and takes the document as it is as the first state.
    void resetUndo();
    static constexpr int UndoDepth = 20;

    Document* document() const { return m_document; }
    void setDocument(Document* document) { m_document = document; }

    // The main window the view lies in: its top-level window.
    QObject* mdiParent() const;

    // The document changed: records its new state as an undo step.
    void undoCheck();
    // Shows the document as it is now; resetCaret puts the view's caret
    // back at its start. Nothing here.
    virtual void updateView(bool resetCaret);

signals:
    void documentChanged();

protected:
    // Asks save, discard or cancel for a modified document.
    void closeEvent(QCloseEvent* event) override;

private:
    MdiParent* parentWindow() const;
    bool storeTo(const QString& path);
    std::shared_ptr<const DocumentState> snapshot() const;
    void restore(int index);

    Document* m_document = nullptr;
    int m_documentType = -1;
    QString m_filePath;
    QString m_untitledName;
    QList<std::shared_ptr<const DocumentState>> m_undo; // document states, oldest first
    int m_undoIndex = -1; // the state the document is in
};
