#include "BankSelectDlg.h"

#include "Prompts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSizePolicy>

BankSet BankSelectDlg::getBanks(const BankSet& banks, const QString& title, const QString& prompt,
                                QWidget* parent)
{
    BankSelectDlg dlg(banks, title, prompt, parent);
    // Through the prompts, so a test answers it without a window.
    RunDialog(&dlg);
    return dlg.chosen();
}

BankSelectDlg::BankSelectDlg(const BankSet& banks, const QString& title, const QString& prompt,
                             QWidget* parent)
    : Dialog(parent), m_offered(&banks)
{
    setWindowTitle(title);
    SetFixedWindow(this);
    setMargin(10, 1);
    setSpacing(10);

    // Line i stands for bank i of the offered set, both ways.
    m_list = new CheckListWidget(this);
    m_list->setMinimumSize(200, 150);
    for (const auto& bank : banks)
        m_list->add(bank ? bank->name() : QString(), true);

    auto* promptLabel = new QLabel(prompt, this);
    promptLabel->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* all = new QLabel(QStringLiteral("<a href='all'>All</a>"), this);
    auto* none = new QLabel(QStringLiteral("<a href='none'>None</a>"), this);
    QObject::connect(all, &QLabel::linkActivated, this, &BankSelectDlg::onLink);
    QObject::connect(none, &QLabel::linkActivated, this, &BankSelectDlg::onLink);

    QHBoxLayout* row = addHLayout(10);
    row->addWidget(promptLabel);
    row->addWidget(all);
    row->addWidget(none);
    addRow(m_list);
    addHButtons(0, false);
}

BankSelectDlg::~BankSelectDlg() = default;

void BankSelectDlg::onLink(const QString& target)
{
    const bool tick = target == QLatin1String("all");
    for (int i = 0; i < m_offered->size(); ++i)
        m_list->setChecked(i, tick);
}

void BankSelectDlg::accept()
{
    // The offered order, whatever order the lines were ticked in.
    m_chosen.clear();
    for (int i = 0; i < m_offered->size(); ++i) {
        if (m_list->checked(i))
            m_chosen.append(m_offered->at(i));
    }
    QDialog::done(1);
}
