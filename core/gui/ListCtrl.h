// The list and combo widgets of the programs' dialogs.
//
// ListCtrl is a flat table of rows: titled columns, each row a text per
// column and one unsigned 32-bit value kept with it, at most one row
// selected. ComboBox is an editable combo box whose drop-down list is the
// texts entered before, kept in the profile under a key, newest first.
// GUI thread only.
#pragma once

#include <QComboBox>
#include <QString>
#include <QStringList>
#include <QTreeWidget>

class ListCtrl : public QTreeWidget
{
    Q_OBJECT

public:
    explicit ListCtrl(QWidget* parent = nullptr);
    ~ListCtrl() override;

    // Appends a column; width in pixels (the last column also takes the
    // space left over).
    void addColumn(const QString& title, int width);
    // Appends a row with text in its first column; its index.
    int addItem(const QString& text);
    int count() const { return topLevelItemCount(); }
    // Each does nothing for a row or column that does not exist.
    void setItemText(int row, int column, const QString& text);
    void setItemData(int row, quint32 data);
    // "" and 0 for a row or column that does not exist.
    QString itemText(int row, int column) const;
    quint32 itemData(int row) const;
    // The selected row; -1 when none.
    int curSel() const;
    // Selects the row and makes it current; -1 or a row that does not exist
    // clears the selection.
    void setCurSel(int row);
};

class ComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit ComboBox(QWidget* parent = nullptr);
    ~ComboBox() override;

    // Fills the list from the history kept under key, keeping at most max
    // entries; defaults stand in for a history never kept. The edit text
    // stays as it was. An empty key keeps no history.
    void loadHistory(const QString& key, int max, const QStringList& defaults = QStringList());
    // Puts the edit text at the front of the history (an earlier copy of it
    // goes), drops entries past the maximum and stores the history. An empty
    // text is not kept. The edit text stays, and no signal of an edit fires.
    void addToHistory();
    QStringList history() const;
    QString historyKey() const { return m_key; }

private:
    void setHistory(const QStringList& entries);

    QString m_key;
    int m_max = 10;
};
