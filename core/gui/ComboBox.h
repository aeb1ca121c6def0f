// An editable combo box that remembers what was entered in it: its list is
// the history of the texts the program added, newest first, kept in the
// per-user settings under a name of the caller's choosing. Dialogs with the
// same history name share one history. GUI thread only.
#pragma once

#include <QComboBox>
#include <QStringList>

class ComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit ComboBox(QWidget* parent = nullptr);
    ~ComboBox() override;

    // Fills the list from the history kept under key, at most max texts;
    // defaults when none is kept. The edit text starts empty.
    void loadHistory(const QString& key, int max, const QStringList& defaults);
    // Puts the edit text at the top of the history (once only) and stores the
    // history; an empty text, or a box without history name, stores nothing.
    // The edit text stays as it is.
    void addToHistory();
    QStringList history() const;

private:
    QString m_key;
    int m_max = 10;
};
