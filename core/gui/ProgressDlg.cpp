#include "ProgressDlg.h"

#include "Prompts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

// The window both kinds of progress show. Closing it, Escape and Cancel all
// ask to stop (when it can stop); none of them closes it: the work does, once
// it has stopped. Only a program that ends closes it at once.
class ProgressWindow : public QDialog
{
public:
    // onCancel: null for work that cannot stop (no Cancel button).
    ProgressWindow(QWidget* parent, const QString& title, int steps, int start, std::function<void()> onCancel)
        : QDialog(parent), m_onCancel(std::move(onCancel))
    {
        setObjectName(QStringLiteral("progress"));
        setWindowTitle(title);
        auto* layout = new QVBoxLayout(this);
        m_label = new QLabel(this);
        m_label->setObjectName(QStringLiteral("progressText"));
        m_label->setMinimumWidth(260);
        m_bar = new QProgressBar(this);
        m_bar->setRange(0, std::max(steps, 1));
        m_bar->setValue(std::clamp(start, 0, m_bar->maximum()));
        layout->addWidget(m_label);
        layout->addWidget(m_bar);
        if (m_onCancel) {
            auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
            m_cancel = buttons->button(QDialogButtonBox::Cancel);
            m_cancel->setObjectName(QStringLiteral("cancel"));
            connect(m_cancel, &QPushButton::clicked, this, [this] { cancel(); });
            layout->addWidget(buttons);
        }
    }

    void setText(const QString& text) { m_label->setText(text); }
    QString text() const { return m_label->text(); }
    void setValue(int value) { m_bar->setValue(std::min(value, m_bar->maximum())); }
    bool isCanceled() const { return m_canceled; }

    // The work holds the GUI thread: paint now, without the event loop.
    void paintNow()
    {
        if (isVisible())
            repaint();
    }

    void reject() override { cancel(); }

protected:
    void closeEvent(QCloseEvent* event) override
    {
        cancel();
        // The user's close waits for the work to stop; the program's (it is
        // asked to end and closes every window) must not hold it up.
        if (event->spontaneous())
            event->ignore();
    }

private:
    void cancel()
    {
        if (!m_onCancel || m_canceled)
            return;
        m_canceled = true;
        m_cancel->setEnabled(false);
        m_onCancel();
    }

    QLabel* m_label = nullptr;
    QProgressBar* m_bar = nullptr;
    QPushButton* m_cancel = nullptr;
    std::function<void()> m_onCancel;
    bool m_canceled = false;
};

namespace {

// Notes that the program was asked to end (the desktop's SIGTERM, the last
// window closed) while the events ran: the loops running then end, but one
// the work would start afterwards (a question) would never end.
class QuitWatch : public QObject
{
public:
    QuitWatch() { qApp->installEventFilter(this); }
    ~QuitWatch() override { qApp->removeEventFilter(this); }
    bool asked = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == qApp && event->type() == QEvent::Quit)
            asked = true;
        return false;
    }
};

} // namespace

// ProgressDlg ------------------------------------------------------------------------

ProgressDlg::ProgressDlg(QWidget* parent, const QString& title, int steps, int start, int options)
    : m_parent(parent), m_title(title), m_done(start), m_options(options)
{
    std::function<void()> onCancel;
    if (options & Cancelable)
        onCancel = [] {}; // the window keeps the flag; wasCanceled() reads it
    m_window = new ProgressWindow(parent, title, steps, start, std::move(onCancel));
    if (options & Cancelable)
        m_window->setWindowModality(Qt::ApplicationModal);
    m_clock.start();
    if (!(options & Delayed))
        m_window->show();
}

ProgressDlg::ProgressDlg(const QString& title, int steps, int start, int options)
    : ProgressDlg(QApplication::activeWindow(), title, steps, start, options)
{
}

ProgressDlg::~ProgressDlg()
{
    delete m_window;
}

void ProgressDlg::update()
{
    if (m_aborted)
        return;
    if (!m_window->isVisible() && m_clock.elapsed() >= ProgressShowDelayMs)
        m_window->show();
    m_window->paintNow();
}

void ProgressDlg::message(const QString& text)
{
    if (m_aborted)
        return;
    m_messages.append(text);
    m_window->setText(text);
    update();
}

void ProgressDlg::step()
{
    if (m_aborted)
        return;
    ++m_done;
    m_window->setValue(m_done);
    update();
}

bool ProgressDlg::wasCanceled()
{
    if (!(m_options & Cancelable) || m_aborted)
        return false;
    update();
    // The window is modal: what runs here is the Cancel button and what the
    // instrument sent meanwhile, not another command. A program asked to
    // end stops its work as if cancelled.
    if (!m_window->isCanceled() && !m_quitting) {
        QuitWatch quit;
        QCoreApplication::processEvents();
        m_quitting = quit.asked;
    }
    return m_window->isCanceled() || m_quitting;
}

void ProgressDlg::abort(const QString& text)
{
    if (m_aborted)
        return;
    m_aborted = true;
    m_window->hide();
    error(m_parent, text, m_title);
}

QString ProgressDlg::text() const
{
    return m_window->text();
}

// TaskDisplay ------------------------------------------------------------------------

TaskDisplay::TaskDisplay()
{
    m_replaced = Task::ui();
    Task::setUi(this);
}

TaskDisplay::~TaskDisplay()
{
    if (Task::ui() == this)
        Task::setUi(m_replaced);
    for (const Shown& shown : std::as_const(m_shown))
        delete shown.window.data();
}

void TaskDisplay::begin(Task* task, const QString& title, int maximum)
{
    // Windows belong to the GUI thread; a job owned elsewhere shows nothing.
    if (!task || QThread::currentThread() != qApp->thread())
        return;
    drop(task);
    QWidget* parent = QApplication::activeWindow();
    // Not over another job's window, which goes when that job ends.
    while (dynamic_cast<ProgressWindow*>(parent))
        parent = parent->parentWidget();
    auto* window = new ProgressWindow(parent, title, maximum, 0, [task] { task->cancel(); });
    // A job that ends within a moment shows no window at all.
    QTimer::singleShot(ProgressShowDelayMs, window, [window] { window->show(); });
    // A job deleted while it runs never ends: its window goes with it.
    QObject::connect(task, &QObject::destroyed, window, [this, task] { drop(task); });
    m_shown.insert(task, {window, parent, title});
}

void TaskDisplay::message(Task* task, const QString& text)
{
    if (ProgressWindow* window = m_shown.value(task).window)
        window->setText(text);
}

void TaskDisplay::step(Task* task, int pos)
{
    if (ProgressWindow* window = m_shown.value(task).window)
        window->setValue(pos);
}

void TaskDisplay::end(Task* task, const QString& text, bool failed)
{
    if (!m_shown.contains(task))
        return;
    const Shown shown = m_shown.value(task);
    drop(task);
    if (text.isEmpty())
        return;
    if (failed)
        error(shown.parent, text, shown.title);
    else
        info(shown.parent, text, shown.title);
}

QWidget* TaskDisplay::window(Task* task) const
{
    return m_shown.value(task).window;
}

void TaskDisplay::drop(Task* task)
{
    const Shown shown = m_shown.take(task);
    if (ProgressWindow* window = shown.window) {
        window->hide();
        window->deleteLater();
    }
}
