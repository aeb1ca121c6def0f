#include "Prompts.h"

#include "Profile.h"

#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QUrl>

namespace {

Prompts* g_installed = nullptr;

QtPrompts& qtPrompts()
{
    static QtPrompts prompts;
    return prompts;
}

// The remembered folders live in their own group of the profile.
const QString FoldersSection = QStringLiteral("Folders");

QString boxTitle(const QString& title)
{
    if (!title.isEmpty())
        return title;
    const QString name = QGuiApplication::applicationDisplayName();
    return name.isEmpty() ? QCoreApplication::applicationName() : name;
}

int messageBox(QWidget* parent, QMessageBox::Icon icon, const QString& text, const QString& title,
               QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton,
               QMessageBox::StandardButton escapeButton)
{
    QMessageBox box(icon, boxTitle(title), text, buttons, parent);
    box.setDefaultButton(defaultButton);
    box.setEscapeButton(escapeButton);
    const int result = box.exec();
    // A box closed by its window frame answers with its escape button; make
    // sure nothing but a real click counts as the other answers.
    return box.clickedButton() ? result : int(escapeButton);
}

// folderOrName split into the folder to start in and the file name to offer.
void splitStart(const QString& folderOrName, QString& folder, QString& name)
{
    folder.clear();
    name.clear();
    if (folderOrName.isEmpty())
        return;
    const QFileInfo info(folderOrName);
    if (folderOrName.endsWith(QLatin1Char('/')) || folderOrName.endsWith(QLatin1Char('\\')) || info.isDir()) {
        folder = folderOrName;
        return;
    }
    name = info.fileName();
    const int slash = folderOrName.lastIndexOf(QRegularExpression(QStringLiteral("[/\\\\]")));
    if (slash >= 0)
        folder = folderOrName.left(slash + 1);
}

QString startPath(const QString& folderOrName, const QString& key)
{
    QString folder;
    QString name;
    splitStart(folderOrName, folder, name);
    const QString remembered = RememberedFolder(key);
    if (!remembered.isEmpty())
        folder = remembered;
    if (name.isEmpty())
        return folder;
    if (folder.isEmpty())
        return name;
    return QDir(folder).filePath(name);
}

void rememberFolder(const QString& key, const QString& path)
{
    if (key.isEmpty() || path.isEmpty())
        return;
    Profile::writeProfileString(FoldersSection, key, QFileInfo(path).absolutePath());
}

// The first pattern "*.ext" of the filter, as the suffix a typed name without
// one gets ("voi" for "Voice Files (*.voi)").
QString defaultSuffix(const QString& qtFilter)
{
    static const QRegularExpression pattern(QStringLiteral("\\(\\*\\.([A-Za-z0-9_]+)[ )]"));
    const QRegularExpressionMatch m = pattern.match(qtFilter);
    return m.hasMatch() ? m.captured(1) : QString();
}

QStringList runFileDialog(QWidget* parent, const QString& filter, const QString& title, const QString& start,
                          QFileDialog::FileMode mode, QFileDialog::AcceptMode accept)
{
    QFileDialog dialog(parent, boxTitle(title), start, filter);
    dialog.setFileMode(mode);
    dialog.setAcceptMode(accept);
    if (accept == QFileDialog::AcceptSave)
        dialog.setDefaultSuffix(defaultSuffix(filter));
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

} // namespace

// --- Prompts -------------------------------------------------------------------

Prompts::~Prompts() = default;

Prompts* Prompts::current()
{
    return g_installed ? g_installed : &qtPrompts();
}

Prompts* Prompts::install(Prompts* p)
{
    Prompts* previous = g_installed;
    g_installed = p;
    return previous;
}

// --- QtPrompts -----------------------------------------------------------------

void QtPrompts::error(QWidget* parent, const QString& text, const QString& title)
{
    messageBox(parent, QMessageBox::Critical, text, title, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok);
}

void QtPrompts::warning(QWidget* parent, const QString& text, const QString& title)
{
    messageBox(parent, QMessageBox::Warning, text, title, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok);
}

void QtPrompts::info(QWidget* parent, const QString& text, const QString& title)
{
    messageBox(parent, QMessageBox::Information, text, title, QMessageBox::Ok, QMessageBox::Ok,
               QMessageBox::Ok);
}

bool QtPrompts::yesNo(QWidget* parent, const QString& text, const QString& title)
{
    return messageBox(parent, QMessageBox::Question, text, title, QMessageBox::Yes | QMessageBox::No,
                      QMessageBox::Yes, QMessageBox::No) == QMessageBox::Yes;
}

bool QtPrompts::okCancel(QWidget* parent, const QString& text, const QString& title)
{
    return messageBox(parent, QMessageBox::Question, text, title, QMessageBox::Ok | QMessageBox::Cancel,
                      QMessageBox::Ok, QMessageBox::Cancel) == QMessageBox::Ok;
}

QString QtPrompts::choice(QWidget* parent, const QString& text, const QString& title, const QString& button1,
                          const QString& button2)
{
    QMessageBox box(QMessageBox::Question, boxTitle(title), text, QMessageBox::NoButton, parent);
    QPushButton* first = box.addButton(button1, QMessageBox::AcceptRole);
    QPushButton* second = box.addButton(button2, QMessageBox::AcceptRole);
    // Without a cancelling button the box could be neither escaped nor closed.
    box.setEscapeButton(box.addButton(QMessageBox::Cancel));
    box.setDefaultButton(first);
    box.exec();
    if (box.clickedButton() == first)
        return button1;
    if (box.clickedButton() == second)
        return button2;
    return QString();
}

int QtPrompts::promptSave(QWidget* parent, const QString& path, const QString& title)
{
    const QString name = path.isEmpty() ? QStringLiteral("Untitled") : QDir::toNativeSeparators(path);
    const QString text =
        QStringLiteral("The document \"%1\" has been modified.\nDo you want to save your changes?").arg(name);
    switch (messageBox(parent, QMessageBox::Warning, text, title,
                       QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save,
                       QMessageBox::Cancel)) {
    case QMessageBox::Save:
        return PromptSaveSave;
    case QMessageBox::Discard:
        return PromptSaveDiscard;
    default:
        return PromptSaveCancel;
    }
}

QString QtPrompts::choseItem(QWidget* parent, const QString& title, const QString& prompt,
                             const QStringList& items, int initial)
{
    if (items.isEmpty())
        return QString();
    QInputDialog dialog(parent);
    dialog.setWindowTitle(boxTitle(title));
    dialog.setLabelText(prompt);
    dialog.setComboBoxItems(items);
    dialog.setComboBoxEditable(false);
    dialog.setTextValue(items.at(initial >= 0 && initial < items.size() ? initial : 0));
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.textValue();
}

QString QtPrompts::fileOpen(QWidget* parent, const QString& filter, const QString& title,
                            const QString& start)
{
    return runFileDialog(parent, filter, title, start, QFileDialog::ExistingFile, QFileDialog::AcceptOpen)
        .value(0);
}

QStringList QtPrompts::filesOpen(QWidget* parent, const QString& filter, const QString& title,
                                 const QString& start)
{
    return runFileDialog(parent, filter, title, start, QFileDialog::ExistingFiles, QFileDialog::AcceptOpen);
}

QString QtPrompts::fileSave(QWidget* parent, const QString& filter, const QString& title,
                            const QString& start)
{
    return runFileDialog(parent, filter, title, start, QFileDialog::AnyFile, QFileDialog::AcceptSave)
        .value(0);
}

QColor QtPrompts::chooseColor(QWidget* parent, const QColor& initial, const QString& title)
{
    return QColorDialog::getColor(initial, parent, boxTitle(title));
}

bool QtPrompts::chooseFont(QWidget* parent, QFont& font, const QString& title)
{
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, font, parent, boxTitle(title));
    if (ok)
        font = chosen;
    return ok;
}

QAction* QtPrompts::popupMenu(QMenu* menu, const QPoint& pos)
{
    return menu ? menu->exec(pos) : nullptr;
}

int QtPrompts::runDialog(QDialog* dialog)
{
    return dialog ? dialog->exec() : int(QDialog::Rejected);
}

bool QtPrompts::openDocument(const QString& path)
{
    if (!QFileInfo::exists(path))
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

// --- ScriptedPrompts -------------------------------------------------------------

ScriptedPrompts::ScriptedPrompts() : m_replaced(Prompts::install(this)) {}

ScriptedPrompts::~ScriptedPrompts()
{
    // Only undo our own installation: another one made later stays.
    if (Prompts::current() == this)
        Prompts::install(m_replaced);
}

void ScriptedPrompts::script(Kind kind, const QVariant& answer)
{
    m_answers[int(kind)].enqueue(answer);
}

int ScriptedPrompts::count(Kind kind) const
{
    int n = 0;
    for (const Call& c : m_calls) {
        if (c.kind == kind)
            ++n;
    }
    return n;
}

ScriptedPrompts::Call ScriptedPrompts::last(Kind kind) const
{
    for (auto it = m_calls.crbegin(); it != m_calls.crend(); ++it) {
        if (it->kind == kind)
            return *it;
    }
    return Call();
}

void ScriptedPrompts::clear()
{
    m_calls.clear();
    m_answers.clear();
}

ScriptedPrompts::Call& ScriptedPrompts::record(Kind kind, QWidget* parent, const QString& text,
                                               const QString& title)
{
    Call c;
    c.kind = kind;
    c.parent = parent;
    c.text = text;
    c.title = title;
    m_calls.append(c);
    return m_calls.last();
}

QVariant ScriptedPrompts::next(Kind kind)
{
    auto it = m_answers.find(int(kind));
    if (it == m_answers.end() || it->isEmpty())
        return QVariant();
    return it->dequeue();
}

void ScriptedPrompts::error(QWidget* parent, const QString& text, const QString& title)
{
    record(Kind::Error, parent, text, title);
}

void ScriptedPrompts::warning(QWidget* parent, const QString& text, const QString& title)
{
    record(Kind::Warning, parent, text, title);
}

void ScriptedPrompts::info(QWidget* parent, const QString& text, const QString& title)
{
    record(Kind::Info, parent, text, title);
}

bool ScriptedPrompts::yesNo(QWidget* parent, const QString& text, const QString& title)
{
    record(Kind::YesNo, parent, text, title);
    return next(Kind::YesNo).toBool();
}

bool ScriptedPrompts::okCancel(QWidget* parent, const QString& text, const QString& title)
{
    record(Kind::OkCancel, parent, text, title);
    return next(Kind::OkCancel).toBool();
}

QString ScriptedPrompts::choice(QWidget* parent, const QString& text, const QString& title,
                                const QString& button1, const QString& button2)
{
    record(Kind::Choice, parent, text, title).items = QStringList{button1, button2};
    return next(Kind::Choice).toString();
}

int ScriptedPrompts::promptSave(QWidget* parent, const QString& path, const QString& title)
{
    record(Kind::Save, parent, path, title);
    return next(Kind::Save).toInt();
}

QString ScriptedPrompts::choseItem(QWidget* parent, const QString& title, const QString& prompt,
                                   const QStringList& items, int initial)
{
    Call& c = record(Kind::Item, parent, prompt, title);
    c.items = items;
    c.initial = initial;
    return next(Kind::Item).toString();
}

QString ScriptedPrompts::fileOpen(QWidget* parent, const QString& filter, const QString& title,
                                  const QString& start)
{
    Call& c = record(Kind::FileOpen, parent, QString(), title);
    c.filter = filter;
    c.start = start;
    return next(Kind::FileOpen).toString();
}

QStringList ScriptedPrompts::filesOpen(QWidget* parent, const QString& filter, const QString& title,
                                       const QString& start)
{
    Call& c = record(Kind::FilesOpen, parent, QString(), title);
    c.filter = filter;
    c.start = start;
    return next(Kind::FilesOpen).toStringList();
}

QString ScriptedPrompts::fileSave(QWidget* parent, const QString& filter, const QString& title,
                                  const QString& start)
{
    Call& c = record(Kind::FileSave, parent, QString(), title);
    c.filter = filter;
    c.start = start;
    return next(Kind::FileSave).toString();
}

QColor ScriptedPrompts::chooseColor(QWidget* parent, const QColor& initial, const QString& title)
{
    record(Kind::Color, parent, QString(), title).color = initial;
    return next(Kind::Color).value<QColor>();
}

bool ScriptedPrompts::chooseFont(QWidget* parent, QFont& font, const QString& title)
{
    record(Kind::Font, parent, QString(), title).font = font;
    const QVariant answer = next(Kind::Font);
    if (answer.typeId() != QMetaType::QFont)
        return false;
    font = answer.value<QFont>();
    return true;
}

namespace {

// The first enabled entry of menu, or of its sub-menus depth-first, whose data
// equals data; null when there is none.
QAction* findEntry(const QMenu* menu, const QVariant& data)
{
    for (QAction* action : menu->actions()) {
        if (!action->isEnabled() || action->isSeparator())
            continue;
        if (const QMenu* sub = action->menu()) {
            if (QAction* found = findEntry(sub, data))
                return found;
        } else if (action->data() == data) {
            return action;
        }
    }
    return nullptr;
}

} // namespace

QAction* ScriptedPrompts::popupMenu(QMenu* menu, const QPoint& pos)
{
    Call& c = record(Kind::Popup, menu ? menu->parentWidget() : nullptr, QString(),
                     menu ? menu->title() : QString());
    c.pos = pos;
    if (!menu)
        return nullptr;
    for (const QAction* action : menu->actions())
        c.items << action->text();
    const QVariant answer = next(Kind::Popup);
    return answer.isValid() ? findEntry(menu, answer) : nullptr;
}

int ScriptedPrompts::runDialog(QDialog* dialog)
{
    record(Kind::Dialog, dialog ? dialog->parentWidget() : nullptr,
           dialog ? QString::fromLatin1(dialog->metaObject()->className()) : QString(),
           dialog ? dialog->windowTitle() : QString());
    if (!dialog)
        return QDialog::Rejected;
    if (m_fillDialog)
        m_fillDialog(dialog);
    // The dialog's own accept() and reject() run, as its buttons would run
    // them: a dialog that collects its answer on OK collects it here too.
    if (next(Kind::Dialog) == QVariant(int(QDialog::Accepted)))
        dialog->accept();
    else
        dialog->reject();
    return dialog->result();
}

bool ScriptedPrompts::openDocument(const QString& path)
{
    record(Kind::Document, nullptr, path, QString());
    return next(Kind::Document).toBool();
}

// --- The calls --------------------------------------------------------------------

void error(QWidget* parent, const QString& text, const QString& title)
{
    Prompts::current()->error(parent, text, title);
}

void warning(QWidget* parent, const QString& text, const QString& title)
{
    Prompts::current()->warning(parent, text, title);
}

void info(QWidget* parent, const QString& text, const QString& title)
{
    Prompts::current()->info(parent, text, title);
}

bool yesNo(QWidget* parent, const QString& text, const QString& title)
{
    return Prompts::current()->yesNo(parent, text, title);
}

bool okCancel(QWidget* parent, const QString& text, const QString& title)
{
    return Prompts::current()->okCancel(parent, text, title);
}

QString choice(QWidget* parent, const QString& text, const QString& title, const QString& button1,
               const QString& button2)
{
    return Prompts::current()->choice(parent, text, title, button1, button2);
}

int promptSave(QWidget* parent, const QString& path, const QString& title)
{
    return Prompts::current()->promptSave(parent, path, title);
}

QString ChoseItem(QWidget* parent, const QString& title, const QString& prompt, const QStringList& items,
                  int initial)
{
    return Prompts::current()->choseItem(parent, title, prompt, items, initial);
}

QString PromptFileOpen(QWidget* parent, const QString& filter, const QString& title,
                       const QString& folderOrName, const QString& key)
{
    const QString path =
        Prompts::current()->fileOpen(parent, QtFileFilter(filter), title, startPath(folderOrName, key));
    rememberFolder(key, path);
    return path;
}

QStringList PromptFilesOpen(QWidget* parent, const QString& filter, const QString& title,
                            const QString& folderOrName, const QString& key)
{
    const QStringList paths =
        Prompts::current()->filesOpen(parent, QtFileFilter(filter), title, startPath(folderOrName, key));
    if (!paths.isEmpty())
        rememberFolder(key, paths.first());
    return paths;
}

QString PromptFileSave(QWidget* parent, const QString& filter, const QString& title,
                       const QString& proposedName, const QString& key)
{
    const QString path =
        Prompts::current()->fileSave(parent, QtFileFilter(filter), title, startPath(proposedName, key));
    rememberFolder(key, path);
    return path;
}

QColor ChooseColor(QWidget* parent, const QColor& initial, const QString& title)
{
    return Prompts::current()->chooseColor(parent, initial, title);
}

bool ChooseFont(QWidget* parent, QFont& font, const QString& title)
{
    return Prompts::current()->chooseFont(parent, font, title);
}

QAction* RunPopupMenu(QMenu* menu, const QPoint& pos)
{
    return Prompts::current()->popupMenu(menu, pos);
}

QVariant RunPopupMenuData(QMenu* menu, const QPoint& pos)
{
    const QPointer<QMenu> alive(menu);
    const QAction* chosen = RunPopupMenu(menu, pos);
    QVariant data;
    if (alive && chosen)
        data = chosen->data();
    delete alive.data();
    return data;
}

int RunDialog(QDialog* dialog)
{
    return Prompts::current()->runDialog(dialog);
}

QString QtFileFilter(const QString& filter)
{
    QStringList filters;
    QString current;
    int depth = 0;
    for (qsizetype i = 0; i < filter.size(); ++i) {
        const QChar c = filter.at(i);
        if (c == QLatin1Char('(')) {
            ++depth;
        } else if (c == QLatin1Char(')')) {
            depth = depth > 0 ? depth - 1 : 0;
        } else if (c == QLatin1Char(';')) {
            if (depth == 0 && i + 1 < filter.size() && filter.at(i + 1) == QLatin1Char(';')) {
                filters << current;
                current.clear();
                ++i;
                continue;
            }
            // A pattern separator, inside the parentheses or in a bare list
            // of patterns.
            current += QLatin1Char(' ');
            continue;
        }
        current += c;
    }
    filters << current;

    QStringList result;
    for (QString f : filters) {
        f = f.simplified();
        f.replace(QStringLiteral("( "), QStringLiteral("("));
        f.replace(QStringLiteral(" )"), QStringLiteral(")"));
        if (!f.isEmpty())
            result << f;
    }
    return result.join(QStringLiteral(";;"));
}

QString RememberedFolder(const QString& key)
{
    if (key.isEmpty())
        return QString();
    const QString folder = Profile::readProfileString(FoldersSection, key);
    // A folder that was removed since is no better than none.
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return QString();
    return folder;
}
