// The building blocks of the programs' dialogs.
//
// Dialog is a QDialog laid out as a vertical stack of rows, closed by a row
// (or column) of buttons: OK accepts, Cancel, Escape and the window frame
// reject, so exec() gives 1 or 0. DialogForm is a titled group of labelled
// rows, CheckListWidget a list of lines with check boxes.
#pragma once

#include <QDialog>
#include <QGroupBox>
#include <QListWidget>
#include <QString>

class QBoxLayout;
class QDialogButtonBox;
class QFormLayout;
class QHBoxLayout;
class QLabel;
class QLayout;
class QVBoxLayout;

class Dialog : public QDialog
{
    Q_OBJECT

public:
    explicit Dialog(QWidget* parent = nullptr);
    ~Dialog() override;

    // Rows, top to bottom in the order they are added. The dialog takes
    // the widget or layout.
    void addRow(QWidget* widget);
    // A label row; returns the label.
    QLabel* addRow(const QString& text);
    void addRow(QLayout* layout);
    // Empty space of that height.
    void addSpacer(int size);
    // A new horizontal row whose items are spacing pixels apart.
    QHBoxLayout* addHLayout(int spacing);

    // The buttons that end the dialog: OK (the default button, Enter) runs
    // accept(), Cancel runs reject(). Every set the programs ask for holds
    // these two; the number only names the set. line: a separating line
    // above (or beside) the buttons. addHButtons makes a row at the bottom,
    // addVButtons a column at the bottom right.
    QDialogButtonBox* addHButtons(int set, bool line);
    QDialogButtonBox* addVButtons(int set, bool line);
    // A single Close button that rejects; for windows whose changes apply
    // as they are made.
    QDialogButtonBox* addCloseButton(int set);
    // The last button row or column added; null before.
    QDialogButtonBox* buttons() const { return m_buttons; }

    // The margins around the rows: horizontal left and right, vertical top
    // and bottom. Negative numbers count as 0.
    void setMargin(int horizontal, int vertical);
    // The space between rows.
    void setSpacing(int spacing);
    QVBoxLayout* rows() const { return m_rows; }

    // Runs when the dialog is accepted, before it closes. Nothing here.
    virtual void apply();

public slots:
    // apply(), then QDialog::accept().
    void accept() override;

protected:
    // A dialog put at a position of its own (a remembered one, or beside
    // its window) is kept wholly on the screen (KeepOnScreen).
    void showEvent(QShowEvent* event) override;

private:
    QDialogButtonBox* addButtonBox(QDialogButtonBox* box, bool line, bool vertical);

    QVBoxLayout* m_rows = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
};

// A titled group holding a QFormLayout, placed into the layout it is given
// (when that is not null). The group may show an image beside its rows.
class DialogForm : public QGroupBox
{
    Q_OBJECT

public:
    // icon: an image name such as "core:midi.png" ("" for none); margin:
    // the space inside the group around its rows.
    DialogForm(const QString& title, const QString& icon, int margin, QLayout* layout);
    // margin: as above; spacing: the vertical space between rows.
    DialogForm(const QString& title, int margin, int spacing, QLayout* layout);
    ~DialogForm() override;

    // A row: the label (with "&" marking its shortcut letter, which moves the
    // focus to the field) and the field. width: the field's least width, -1
    // for its natural width. Returns the label.
    QLabel* addRow(const QString& label, QWidget* field, int width = -1);
    // Empty space of that height between rows.
    void addSpacer(int size);

    // The row label of a field of this form; null for any other widget.
    QLabel* rowLabel(QWidget* field) const;
    // Replaces the row label of a field; false when the field is no row of
    // this form.
    bool setRowLabel(QWidget* field, const QString& text);

    // The form's layout, for its spacing and row-wrap policy.
    QFormLayout* form() const { return m_form; }
    QString iconName() const { return m_iconName; }
    // The label showing the image; null for a group without one.
    QLabel* iconLabel() const { return m_icon; }

private:
    void build(const QString& icon, int margin, QLayout* layout);

    QFormLayout* m_form = nullptr;
    QLabel* m_icon = nullptr;
    QString m_iconName;
};

// A list of lines, each with a check box.
class CheckListWidget : public QListWidget
{
    Q_OBJECT

public:
    explicit CheckListWidget(QWidget* parent = nullptr);
    ~CheckListWidget() override;

    // Appends a line; returns its index.
    int add(const QString& text, bool checked);
    // Nothing for an index that is no line.
    void setChecked(int index, bool checked);
    // False for an index that is no line.
    bool checked(int index) const;
};

// Makes the window keep the size its contents ask for: the user cannot
// resize it, and it follows rows added later. Nothing for null.
void SetFixedWindow(QWidget* window);
