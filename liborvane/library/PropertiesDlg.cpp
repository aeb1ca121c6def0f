#include "PropertiesDlg.h"

#include "MidiEdit.h"
#include "PatchDump.h"

#include <QHBoxLayout>
#include <QLineEdit>

const QString PropertiesDlg::Keep = QStringLiteral("<keep>");

PropertiesDlg::PropertiesDlg(MidiDevice* device, Vector<PatchDump*>* dumps, QWidget* parent)
    : Dialog(parent), m_device(device), m_dumps(dumps)
{
    const QString title = QStringLiteral("Patch Properties");
    setWindowTitle(title);

    m_name = new QLineEdit(this);
    m_category = new MidiEdit(this, device, true, QStringLiteral("Category"));
    m_category->setMinimumHeight(19);
    m_comment = new QLineEdit(this);

    QHBoxLayout* row = addHLayout(4);
    auto* form = new DialogForm(title, 20, 12, row);
    form->addRow(QStringLiteral("Name:"), m_name, 190);
    form->addRow(QStringLiteral("Category:"), m_category, 100);
    form->addRow(QStringLiteral("Comments:"), m_comment, 190);
    addHButtons(1, false);
    SetFixedWindow(this);

    PatchDump* first = dumps && !dumps->isEmpty() ? dumps->first() : nullptr;
    if (!first)
        return;
    // The list takes the choice in m_categoryIndex; -1 shows none.
    m_category->setVariable(&m_categoryIndex, sizeof m_categoryIndex);
    if (first->hasCategory())
        m_category->setItems(first->categorySection(), 0, -1);
    else
        m_category->setEnabled(false);

    if (dumps->size() == 1) {
        m_name->setText(first->name(false));
        m_category->selectTableData(first->printCategory(true));
        m_comment->setText(first->comment());
    } else {
        m_name->setText(Keep);
        m_category->setText(Keep);
        m_comment->setText(Keep);
    }
    m_name->setMaxLength(first->maxNameSize());
    m_name->selectAll();
    m_name->setFocus();
}

PropertiesDlg::~PropertiesDlg() = default;

QString PropertiesDlg::name() const
{
    return m_name->text();
}

QString PropertiesDlg::category() const
{
    return m_category->text();
}

QString PropertiesDlg::comment() const
{
    return m_comment->text();
}
