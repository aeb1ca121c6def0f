// A main window over any number of documents, each shown in its own view
// (MdiView) in a multi-document area.
//
// A program registers its document types (addDocTemplate: the filter title,
// the document's name, the extension and the icon) and makes the view of a
// type in its factory, createView, which builds the document too and hands it
// to the view (MdiView::setDocument). The window keeps the document with its
// view and deletes it after the view is gone.
//
// newFile makes an untitled document of a type ("<name> <n>"); openFile
// opens a path as the type of its extension (another extension tries every
// type in turn) and reports a file that cannot be read, opening nothing; a
// path already open brings its view to the front. Closing the window closes
// every view and is cancelled when the user cancels one.
//
// All of it runs on the GUI thread.
#pragma once

#include "Containers.h"
#include "MainWindow.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>

class MdiView;
class QMdiArea;
class QMdiSubWindow;

class MdiParent : public MainWindow
{
    Q_OBJECT

public:
    // size: the window's first size; minimum: the least size it keeps.
    MdiParent(QSize size, QSize minimum, QWidget* parent = nullptr);
    ~MdiParent() override;

    // The colour of the area where no view lies.
    void setBackgroundColor(const QColor& color);
    // One filter of the open prompt that matches the files of several types.
    void addMultiDocTemplate(const ints& types, const QString& filterTitle);
    // A document type: its filter title ("Ridev Library Files"), its name
    // ("Ridev Library"), its extension without the dot ("all") and its icon.
    void addDocTemplate(int type, const QString& filterTitle, const QString& name, const QString& extension,
                        const QString& icon);
    // The type whose extension the path has; -1 when none.
    int typeOfPath(const QString& path) const;
    QString documentName(int type) const;
    QString extension(int type) const;
    // The prompts' filter of one type: "Ridev Library Files (*.all);;".
    QString filter(int type) const;

    // The view in front; null when none is open.
    MdiView* currentView() const;
    QList<MdiView*> views() const;
    QMdiArea* mdiArea() const { return m_area; }

    // A new untitled document of the type, in front; null for a type the
    // factory does not make.
    MdiView* newFile(int type);
    // The open prompt over every template; opens each chosen file.
    void openFile();
    // Opens the file (or brings its view to the front); a file that cannot be
    // read is reported and nothing opens.
    void openFile(const QString& path) override;
    // Reopens the index-th recent file; nothing when there is none.
    void onMRU(int index);
    // Closes every view; false when the user cancelled one.
    bool closeAll();

    // The tool bars' places, kept in the profile under "DockState".
    void loadDockState();
    void saveDockState();

    // --- hooks -------------------------------------------------------------------
    // The factory: the view of a new document of the type; null for a type
    // the program does not know.
    virtual MdiView* createView(int type);
    // Another view came to the front (null: none is left).
    virtual void viewChanged(MdiView* view);
    // The view is closing; its document still exists. Nothing here.
    virtual void viewClosed(MdiView* view);

    // Called by a view whose window closes.
    void notifyViewClosed(MdiView* view);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct DocTemplate
    {
        int type;
        QString filterTitle;
        QString name;
        QString extension;
        QString icon;
    };
    const DocTemplate* findTemplate(int type) const;
    MdiView* makeView(int type);
    void place(MdiView* view);
    MdiView* viewOfPath(const QString& path) const;

    QMdiArea* m_area = nullptr;
    QList<DocTemplate> m_templates;
    QList<QPair<ints, QString>> m_multiTemplates;
    QHash<int, int> m_untitledCount; // by type
};
