#include "ProgressDlg.h"

#include "Prompts.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include <algorithm>

ProgressDlg::ProgressDlg(QWidget* parent, const QString& title, int steps, int start)
    : m_parent(parent), m_title(title), m_window(std::make_unique<QDialog>(parent)), m_done(start)
{
    m_window->setWindowTitle(title);
    auto* layout = new QVBoxLayout(m_window.get());
    m_label = new QLabel(m_window.get());
    m_label->setMinimumWidth(260);
    m_bar = new QProgressBar(m_window.get());
    m_bar->setRange(0, std::max(steps, 1));
    m_bar->setValue(std::min(start, m_bar->maximum()));
    layout->addWidget(m_label);
    layout->addWidget(m_bar);
    m_window->show();
}

ProgressDlg::ProgressDlg(const QString& title, int steps, int start)
    : ProgressDlg(QApplication::activeWindow(), title, steps, start)
{
}

ProgressDlg::~ProgressDlg() = default;

void ProgressDlg::message(const QString& text)
{
    if (m_aborted)
        return;
    m_messages.append(text);
    m_label->setText(text);
    // The operation holds the GUI thread: paint now, without running the
    // event loop (which could start another operation in the middle).
    m_label->repaint();
}

void ProgressDlg::step()
{
    if (m_aborted)
        return;
    ++m_done;
    m_bar->setValue(std::min(m_done, m_bar->maximum()));
    m_bar->repaint();
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
    return m_label->text();
}
