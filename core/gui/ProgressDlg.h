// A small window that shows the progress of an operation run on the GUI
// thread (an import, the voice copier): a title, the current action and a
// bar of a fixed number of steps. It is shown (without blocking) from
// construction to destruction and has no cancel button: the operations that
// use it cannot stop half-way. abort ends it with a reason, shown to the user
// through the prompts in force (Prompts.h), so that an operation that fails
// part-way says why.
//
// GUI thread only.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QDialog;
class QLabel;
class QProgressBar;
class QWidget;

class ProgressDlg
{
public:
    // start: the steps already done.
    ProgressDlg(QWidget* parent, const QString& title, int steps, int start = 0);
    // The same, belonging to the active window.
    ProgressDlg(const QString& title, int steps, int start = 0);
    ~ProgressDlg();
    ProgressDlg(const ProgressDlg&) = delete;
    ProgressDlg& operator=(const ProgressDlg&) = delete;

    // The line of text above the bar.
    void message(const QString& text);
    // One step further.
    void step();
    // Closes the window and shows text as the reason; later calls do nothing.
    void abort(const QString& text);

    QString text() const;
    int value() const { return m_done; }
    int stepsDone() const { return m_done; }
    bool isAborted() const { return m_aborted; }
    // Every text shown, in order.
    QStringList messages() const { return m_messages; }

private:
    QWidget* m_parent;
    QString m_title;
    std::unique_ptr<QDialog> m_window;
    QLabel* m_label = nullptr;
    QProgressBar* m_bar = nullptr;
    QStringList m_messages;
    int m_done = 0;
    bool m_aborted = false;
};
