// The progress window of a long job that runs on the GUI thread (an import):
// a title, a line of text and a bar of steps. It shows at once and closes
// when it is destroyed. It has no cancel button: the jobs that use it cannot
// stop half-way. GUI thread only.
#pragma once

#include <QString>
#include <QStringList>

class QProgressDialog;

class ProgressDlg
{
public:
    // steps: the bar's length. It belongs to the active window.
    ProgressDlg(const QString& title, int steps, int reserved = 0);
    ~ProgressDlg();
    ProgressDlg(const ProgressDlg&) = delete;
    ProgressDlg& operator=(const ProgressDlg&) = delete;

    // The line of text above the bar.
    void message(const QString& text);
    // One step further.
    void step();

    QString text() const;
    int value() const;
    // Every text shown, in order.
    QStringList messages() const { return m_messages; }

private:
    QProgressDialog* m_dialog;
    QStringList m_messages;
};
