// Every modal question the programs ask the user: message boxes, the save
// prompt, the item chooser, the file prompts, the colour and font choosers,
// the pop-up menus and the programs' own modal dialogs; and the hand-over of
// a document to the desktop's viewer.
//
// They all go through one object, the prompts in force (Prompts::current()).
// By default that is QtPrompts, Qt's standard dialogs. A test installs a
// ScriptedPrompts instead, which shows nothing, records each call and gives
// the answers the test scripted, so no test ever waits on a window.
//
// Every box takes (parent, text, title). An empty title shows the program's
// name. All of it runs on the GUI thread only.
#pragma once

#include <functional>

#include <QColor>
#include <QFont>
#include <QHash>
#include <QList>
#include <QPoint>
#include <QPointer>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <QVariant>

class QAction;
class QDialog;
class QMenu;
class QWidget;

// The answers of promptSave.
enum PromptSaveAnswer
{
    PromptSaveCancel = 0,
    PromptSaveSave = 2,
    PromptSaveDiscard = 3
};

class Prompts
{
public:
    Prompts() = default;
    virtual ~Prompts();
    Prompts(const Prompts&) = delete;
    Prompts& operator=(const Prompts&) = delete;

    virtual void error(QWidget* parent, const QString& text, const QString& title) = 0;
    virtual void warning(QWidget* parent, const QString& text, const QString& title) = 0;
    virtual void info(QWidget* parent, const QString& text, const QString& title) = 0;
    // True for Yes (OK); false for No (Cancel) and when the box is closed.
    virtual bool yesNo(QWidget* parent, const QString& text, const QString& title) = 0;
    virtual bool okCancel(QWidget* parent, const QString& text, const QString& title) = 0;
    // The text of the button pressed; "" when the box is closed.
    virtual QString choice(QWidget* parent, const QString& text, const QString& title, const QString& button1,
                           const QString& button2) = 0;
    // PromptSaveSave, PromptSaveDiscard or PromptSaveCancel; Escape and
    // closing the box cancel.
    virtual int promptSave(QWidget* parent, const QString& path, const QString& title) = 0;
    // The chosen item; "" when cancelled or when there is nothing to choose.
    virtual QString choseItem(QWidget* parent, const QString& title, const QString& prompt,
                              const QStringList& items, int initial) = 0;

    // The file prompts get the filter already in Qt's form (QtFileFilter) and
    // the path to start from (a folder, or a folder and a file name). They
    // give the chosen path(s), or "" / an empty list when cancelled.
    virtual QString fileOpen(QWidget* parent, const QString& filter, const QString& title,
                             const QString& start) = 0;
    virtual QStringList filesOpen(QWidget* parent, const QString& filter, const QString& title,
                                  const QString& start) = 0;
    virtual QString fileSave(QWidget* parent, const QString& filter, const QString& title,
                             const QString& start) = 0;

    // The chosen colour; an invalid colour when cancelled.
    virtual QColor chooseColor(QWidget* parent, const QColor& initial, const QString& title) = 0;
    // True with the chosen font in font; false, font untouched, when cancelled.
    virtual bool chooseFont(QWidget* parent, QFont& font, const QString& title) = 0;
    // Runs a built pop-up menu at pos (global screen coordinates) until the
    // user picks an entry or closes it. The entry picked, null when closed.
    // The menu's parent widget stands for the prompt's parent.
    virtual QAction* popupMenu(QMenu* menu, const QPoint& pos) = 0;
    // Runs a built dialog modally; its result (QDialog::Accepted or
    // Rejected). The dialog stays the caller's.
    virtual int runDialog(QDialog* dialog) = 0;
    // Opens a document file with the desktop's viewer for its type; false
    // when none could be started.
    virtual bool openDocument(const QString& path) = 0;

    // The prompts in force: the installed ones, else Qt's.
    static Prompts* current();
    // Puts p in force (null brings Qt's back) and returns what it replaces.
    // The caller keeps ownership of p.
    static Prompts* install(Prompts* p);
};

// Qt's standard dialogs.
class QtPrompts : public Prompts
{
public:
    void error(QWidget* parent, const QString& text, const QString& title) override;
    void warning(QWidget* parent, const QString& text, const QString& title) override;
    void info(QWidget* parent, const QString& text, const QString& title) override;
    bool yesNo(QWidget* parent, const QString& text, const QString& title) override;
    bool okCancel(QWidget* parent, const QString& text, const QString& title) override;
    QString choice(QWidget* parent, const QString& text, const QString& title, const QString& button1,
                   const QString& button2) override;
    int promptSave(QWidget* parent, const QString& path, const QString& title) override;
    QString choseItem(QWidget* parent, const QString& title, const QString& prompt, const QStringList& items,
                      int initial) override;
    QString fileOpen(QWidget* parent, const QString& filter, const QString& title,
                     const QString& start) override;
    QStringList filesOpen(QWidget* parent, const QString& filter, const QString& title,
                          const QString& start) override;
    QString fileSave(QWidget* parent, const QString& filter, const QString& title,
                     const QString& start) override;
    QColor chooseColor(QWidget* parent, const QColor& initial, const QString& title) override;
    bool chooseFont(QWidget* parent, QFont& font, const QString& title) override;
    QAction* popupMenu(QMenu* menu, const QPoint& pos) override;
    int runDialog(QDialog* dialog) override;
    bool openDocument(const QString& path) override;
};

// Shows nothing: records every call and answers from per-kind queues of
// scripted answers. An empty queue gives the answer of a closed prompt
// (false, 0, "" or an empty list). Constructing one puts it in force;
// destroying it restores the prompts it replaced.
class ScriptedPrompts : public Prompts
{
public:
    enum class Kind
    {
        Error,
        Warning,
        Info,
        YesNo,
        OkCancel,
        Choice,
        Save,
        Item,
        FileOpen,
        FilesOpen,
        FileSave,
        Color,
        Font,
        Popup,
        Dialog,
        Document
    };

    // What one call was given. text: the message, the save prompt's path or
    // the chooser's prompt. items: the choice's two buttons or the chooser's
    // items. filter and start: the file prompts' filter (in Qt's form) and
    // starting path. A dialog's call has its window title and its class name
    // as text; a document's has its path as text.
    struct Call
    {
        Kind kind = Kind::Error;
        QPointer<QWidget> parent;
        QString text;
        QString title;
        QStringList items;
        int initial = -1;
        QString filter;
        QString start;
        QColor color;
        QFont font;
        QPoint pos;
    };

    ScriptedPrompts();
    ~ScriptedPrompts() override;

    // Queues the answer of the next unanswered call of that kind: a bool for
    // YesNo and OkCancel, an int for Save, a text for Choice, Item, FileOpen
    // and FileSave, a QStringList for FilesOpen, a QColor for Color, a QFont
    // for Font, a bool for Document (whether a viewer started). For Dialog,
    // an int: QDialog::Accepted runs the dialog's accept(), so it takes in
    // what it shows as OK would; no answer, or any other, runs its reject().
    // For Popup, the data of the entry to pick: the first enabled
    // entry (sub-menus searched depth-first, in menu order) whose data equals
    // it; none such closes the menu. The boxes without an answer take none.
    void script(Kind kind, const QVariant& answer);

    QList<Call> calls() const { return m_calls; }
    int count(Kind kind) const;
    // The last call of that kind; a default Call when there was none.
    Call last(Kind kind) const;
    // Forgets the calls and the answers not yet given.
    void clear();

    void error(QWidget* parent, const QString& text, const QString& title) override;
    void warning(QWidget* parent, const QString& text, const QString& title) override;
    void info(QWidget* parent, const QString& text, const QString& title) override;
    bool yesNo(QWidget* parent, const QString& text, const QString& title) override;
    bool okCancel(QWidget* parent, const QString& text, const QString& title) override;
    QString choice(QWidget* parent, const QString& text, const QString& title, const QString& button1,
                   const QString& button2) override;
    int promptSave(QWidget* parent, const QString& path, const QString& title) override;
    QString choseItem(QWidget* parent, const QString& title, const QString& prompt, const QStringList& items,
                      int initial) override;
    QString fileOpen(QWidget* parent, const QString& filter, const QString& title,
                     const QString& start) override;
    QStringList filesOpen(QWidget* parent, const QString& filter, const QString& title,
                          const QString& start) override;
    QString fileSave(QWidget* parent, const QString& filter, const QString& title,
                     const QString& start) override;
    QColor chooseColor(QWidget* parent, const QColor& initial, const QString& title) override;
    bool chooseFont(QWidget* parent, QFont& font, const QString& title) override;
    QAction* popupMenu(QMenu* menu, const QPoint& pos) override;
    int runDialog(QDialog* dialog) override;
    bool openDocument(const QString& path) override;

    // Runs on every dialog before its scripted answer, as the user would
    // fill it in before pressing OK; null for none.
    void onDialog(std::function<void(QDialog*)> fill) { m_fillDialog = std::move(fill); }

private:
    Call& record(Kind kind, QWidget* parent, const QString& text, const QString& title);
    QVariant next(Kind kind);

    Prompts* m_replaced = nullptr;
    QList<Call> m_calls;
    QHash<int, QQueue<QVariant>> m_answers;
    std::function<void(QDialog*)> m_fillDialog;
};

// --- The calls the programs make, on the prompts in force ---------------------

void error(QWidget* parent, const QString& text, const QString& title = QString());
void warning(QWidget* parent, const QString& text, const QString& title = QString());
void info(QWidget* parent, const QString& text, const QString& title = QString());
bool yesNo(QWidget* parent, const QString& text, const QString& title = QString());
bool okCancel(QWidget* parent, const QString& text, const QString& title = QString());
QString choice(QWidget* parent, const QString& text, const QString& title, const QString& button1,
               const QString& button2);
int promptSave(QWidget* parent, const QString& path, const QString& title = QString());
// initial: the item selected at first; -1 or out of range selects the first.
QString ChoseItem(QWidget* parent, const QString& title, const QString& prompt, const QStringList& items,
                  int initial = -1);

// The file prompts. filter is in the programs' form, "Voice Files (*.voi);;"
// (see QtFileFilter). folderOrName: where to start, a folder, a file name or
// both. key: when not empty, the folder last chosen under that key is
// remembered in the profile, and it replaces the folder of folderOrName (its
// file name is kept) as long as the folder still exists.
QString PromptFileOpen(QWidget* parent, const QString& filter, const QString& title,
                       const QString& folderOrName = QString(), const QString& key = QString());
QStringList PromptFilesOpen(QWidget* parent, const QString& filter, const QString& title,
                            const QString& folderOrName = QString(), const QString& key = QString());
QString PromptFileSave(QWidget* parent, const QString& filter, const QString& title,
                       const QString& proposedName = QString(), const QString& key = QString());

// The colour and font choosers; see Prompts.
QColor ChooseColor(QWidget* parent, const QColor& initial, const QString& title = QString());
bool ChooseFont(QWidget* parent, QFont& font, const QString& title = QString());
// Runs a pop-up menu through the prompts in force; the entry picked, or null.
QAction* RunPopupMenu(QMenu* menu, const QPoint& pos);
// Runs a menu made with new as the child of a control, then deletes it: the
// data of the entry picked, an invalid value when the menu was closed. The
// control may be deleted while its menu runs (an incoming message that
// reloads its panel) and the menu goes with it; that too gives an invalid
// value, so nothing of either is touched afterwards.
QVariant RunPopupMenuData(QMenu* menu, const QPoint& pos);
// Runs a built dialog modally through the prompts in force; its result.
int RunDialog(QDialog* dialog);

// The programs write a filter as "Native Files (*.w7a;*.w7v);;": filters
// joined by ";;", often with an empty one at the end, and patterns inside
// the parentheses split by ";". Qt wants blanks between patterns. Gives
// "Native Files (*.w7a *.w7v)": patterns split by one blank, empty filters
// dropped.
QString QtFileFilter(const QString& filter);

// The folder remembered under key; "" when none.
QString RememberedFolder(const QString& key);
