// Lets the user tick which banks of a set take part in an operation, for
// instance which user banks to receive from the instrument.
#pragma once

#include "DeviceBank.h"
#include "Dialog.h"

#include <QString>

class BankSelectDlg : public Dialog
{
    Q_OBJECT

public:
    // Shows the dialog modally and gives the ticked banks in the order of
    // banks (the same bank objects); an empty set after Cancel.
    static BankSet getBanks(const BankSet& banks, const QString& title, const QString& prompt,
                            QWidget* parent);

    // One line per bank of banks, all ticked, under the prompt with the
    // links "All" and "None". banks is not copied: it must outlive the dialog.
    BankSelectDlg(const BankSet& banks, const QString& title, const QString& prompt, QWidget* parent);
    ~BankSelectDlg() override;

    // Collects the ticked banks and closes the dialog with result 1.
    void accept() override;

    // The banks OK collected; empty before OK.
    const BankSet& chosen() const { return m_chosen; }
    CheckListWidget* checkList() const { return m_list; }

public slots:
    // "all" ticks every line, any other target unticks every line.
    void onLink(const QString& target);

private:
    CheckListWidget* m_list = nullptr;
    const BankSet* m_offered = nullptr;
    BankSet m_chosen;
};
