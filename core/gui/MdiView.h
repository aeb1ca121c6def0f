// A view of a document inside a program's main window. Every document window
// of the suite derives from it, first of all its bases, so a pointer to the
// view and to this base are the same address: whoever keeps a view pointer may
// compare it with the MdiView* a closing window reports.
//
// The view shows a document it does not own: the main window keeps each
// document with its view. After every change to the document the view calls
// undoCheck(), which tells the main window (documentChanged) so that it can
// record the new state as an undo step. Messages for the main window go to
// mdiParent(). GUI thread only.
#pragma once

#include <QWidget>

class Document;

class MdiView : public QWidget
{
    Q_OBJECT

public:
    explicit MdiView(QWidget* parent = nullptr);
    ~MdiView() override;

    Document* document() const { return m_document; }
    void setDocument(Document* document) { m_document = document; }

    // The main window the view lies in: its top-level window.
    QObject* mdiParent() const;

    // The document changed: records its new state as an undo step.
    void undoCheck();

signals:
    void documentChanged();

private:
    Document* m_document = nullptr;
};
