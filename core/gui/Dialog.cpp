#include "Dialog.h"

#include "WindowState.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

// --- Dialog ------------------------------------------------------------------------

Dialog::Dialog(QWidget* parent) : QDialog(parent), m_rows(new QVBoxLayout(this)) {}

Dialog::~Dialog() = default;

void Dialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    KeepOnScreen(this);
}

void Dialog::addRow(QWidget* widget)
{
    if (widget)
        m_rows->addWidget(widget);
}

QLabel* Dialog::addRow(const QString& text)
{
    auto* label = new QLabel(text, this);
    m_rows->addWidget(label);
    return label;
}

void Dialog::addRow(QLayout* layout)
{
    if (layout)
        m_rows->addLayout(layout);
}

void Dialog::addSpacer(int size)
{
    m_rows->addSpacing(std::max(0, size));
}

QHBoxLayout* Dialog::addHLayout(int spacing)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(std::max(0, spacing));
    m_rows->addLayout(row);
    return row;
}

QDialogButtonBox* Dialog::addButtonBox(QDialogButtonBox* box, bool line, bool vertical)
{
    if (line) {
        auto* rule = new QFrame(this);
        rule->setFrameShape(QFrame::HLine);
        rule->setFrameShadow(QFrame::Sunken);
        m_rows->addWidget(rule);
    }
    if (vertical)
        m_rows->addWidget(box, 0, Qt::AlignRight);
    else
        m_rows->addWidget(box);
    m_buttons = box;
    return box;
}

QDialogButtonBox* Dialog::addHButtons(int /*set*/, bool line)
{
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Horizontal, this);
    box->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(box, &QDialogButtonBox::accepted, this, &Dialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &Dialog::reject);
    return addButtonBox(box, line, false);
}

QDialogButtonBox* Dialog::addVButtons(int /*set*/, bool line)
{
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical, this);
    box->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(box, &QDialogButtonBox::accepted, this, &Dialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &Dialog::reject);
    return addButtonBox(box, line, true);
}

QDialogButtonBox* Dialog::addCloseButton(int /*set*/)
{
    auto* box = new QDialogButtonBox(QDialogButtonBox::Close, Qt::Horizontal, this);
    connect(box, &QDialogButtonBox::rejected, this, &Dialog::reject);
    return addButtonBox(box, false, false);
}

void Dialog::setMargin(int horizontal, int vertical)
{
    const int h = std::max(0, horizontal);
    const int v = std::max(0, vertical);
    m_rows->setContentsMargins(h, v, h, v);
}

void Dialog::setSpacing(int spacing)
{
    m_rows->setSpacing(std::max(0, spacing));
}

void Dialog::apply() {}

void Dialog::accept()
{
    apply();
    QDialog::accept();
}

// --- DialogForm --------------------------------------------------------------------

DialogForm::DialogForm(const QString& title, const QString& icon, int margin, QLayout* layout)
    : QGroupBox(title)
{
    build(icon, margin, layout);
}

DialogForm::DialogForm(const QString& title, int margin, int spacing, QLayout* layout) : QGroupBox(title)
{
    build(QString(), margin, layout);
    m_form->setVerticalSpacing(std::max(0, spacing));
}

DialogForm::~DialogForm() = default;

void DialogForm::build(const QString& icon, int margin, QLayout* layout)
{
    const int m = std::max(0, margin);
    m_iconName = icon;
    m_form = new QFormLayout;
    // A field keeps the width its row asked for rather than stretching to
    // the widest row of the group.
    m_form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    if (icon.isEmpty()) {
        setLayout(m_form);
        m_form->setContentsMargins(m, m, m, m);
    } else {
        // The image stands at the top left, the rows beside it.
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(m, m, m, m);
        row->setSpacing(std::max(m, 6));
        m_icon = new QLabel(this);
        m_icon->setPixmap(QPixmap(icon));
        m_icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        row->addWidget(m_icon, 0, Qt::AlignTop);
        row->addLayout(m_form, 1);
    }
    if (layout)
        layout->addWidget(this);
}

QLabel* DialogForm::addRow(const QString& label, QWidget* field, int width)
{
    if (!field)
        return nullptr;
    auto* text = new QLabel(label, this);
    text->setBuddy(field);
    if (width >= 0)
        field->setMinimumWidth(width);
    m_form->addRow(text, field);
    return text;
}

void DialogForm::addSpacer(int size)
{
    auto* space = new QWidget(this);
    space->setFixedHeight(std::max(0, size));
    m_form->addRow(space);
}

QLabel* DialogForm::rowLabel(QWidget* field) const
{
    if (!field || m_form->indexOf(field) < 0)
        return nullptr;
    return qobject_cast<QLabel*>(m_form->labelForField(field));
}

bool DialogForm::setRowLabel(QWidget* field, const QString& text)
{
    QLabel* label = rowLabel(field);
    if (!label)
        return false;
    label->setText(text);
    return true;
}

// --- CheckListWidget ---------------------------------------------------------------

CheckListWidget::CheckListWidget(QWidget* parent) : QListWidget(parent) {}

CheckListWidget::~CheckListWidget() = default;

int CheckListWidget::add(const QString& text, bool checked)
{
    auto* line = new QListWidgetItem(text, this);
    line->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    line->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    return count() - 1;
}

void CheckListWidget::setChecked(int index, bool checked)
{
    if (QListWidgetItem* line = item(index))
        line->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

bool CheckListWidget::checked(int index) const
{
    const QListWidgetItem* line = item(index);
    return line && line->checkState() == Qt::Checked;
}

// --- Windows -----------------------------------------------------------------------

void SetFixedWindow(QWidget* window)
{
    if (!window)
        return;
    window->setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, true);
    if (auto* dialog = qobject_cast<QDialog*>(window))
        dialog->setSizeGripEnabled(false);
    if (QLayout* layout = window->layout())
        layout->setSizeConstraint(QLayout::SetFixedSize);
    else
        window->setFixedSize(window->sizeHint());
}
