#include "ProgressDlg.h"

#include <QApplication>
#include <QProgressDialog>

ProgressDlg::ProgressDlg(const QString& title, int steps, int /*reserved*/)
    : m_dialog(new QProgressDialog(QApplication::activeWindow()))
{
    m_dialog->setWindowTitle(title);
    m_dialog->setCancelButton(nullptr);
    m_dialog->setRange(0, steps > 0 ? steps : 1);
    m_dialog->setMinimumDuration(0);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setValue(0);
    m_dialog->show();
}

ProgressDlg::~ProgressDlg()
{
    delete m_dialog;
}

void ProgressDlg::message(const QString& text)
{
    m_messages.append(text);
    m_dialog->setLabelText(text);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ProgressDlg::step()
{
    m_dialog->setValue(std::min(m_dialog->value() + 1, m_dialog->maximum()));
}

QString ProgressDlg::text() const
{
    return m_dialog->labelText();
}

int ProgressDlg::value() const
{
    return m_dialog->value();
}
