#include "ParamSearchDlg.h"

#include "ComboBox.h"
#include "DeviceBank.h"
#include "MidiPatchEdit.h"
#include "WaitCursor.h"

#include <QHeaderView>
#include <QIcon>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>

namespace {

enum Column
{
    NameColumn = 0,
    CategoryColumn = 1,
    ProgramColumn = 2,
    BankColumn = 3
};

// Slots that hold no patch.
bool isUnnamed(const QString& name)
{
    return name.isEmpty() || name == QLatin1String("---") || name == QLatin1String("(empty)");
}

} // namespace

ParamSearchDlg::ParamSearchDlg(MidiPatchEdit* control) : Dialog(nullptr), m_patchControl(control)
{
    if (control) {
        m_banks = &control->bankSet();
        m_device = control->device();
        m_openingValue = control->patch().toUInt();
    }
    init();
}

ParamSearchDlg::ParamSearchDlg(MidiDevice* device, const BankSet* banks)
    : Dialog(nullptr), m_banks(banks), m_device(device)
{
    init();
}

ParamSearchDlg::~ParamSearchDlg() = default;

void ParamSearchDlg::init()
{
    setWindowIcon(QIcon(QStringLiteral("core:searchfile.png")));
    setMargin(12, 1);
    setSpacing(8);
    setWindowTitle(QStringLiteral("Patch Browser"));

    m_filter = new ComboBox(this);
    m_list = new QTreeWidget(this);
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setAllColumnsShowFocus(true);
    addRow(QStringLiteral("Enter Name:"));
    addRow(m_filter);
    addSpacer(3);
    addRow(m_list);
    addHButtons(3, false);

    m_filter->loadHistory(QStringLiteral("Patches"), 10, QStringList());
    m_list->setHeaderLabels(
        {QStringLiteral("Name"), QStringLiteral("Cat"), QStringLiteral("Program"), QStringLiteral("Bank")});
    const int widths[] = {145, 55, 80, 10};
    for (int c = 0; c < 4; ++c)
        m_list->setColumnWidth(c, widths[c]);
    m_list->header()->setStretchLastSection(true);
    m_list->setMinimumSize(380, 260);

    loadFiltered(QString());

    m_timer = new QTimer(this);
    connect(m_filter, &QComboBox::editTextChanged, this, &ParamSearchDlg::startTimer);
    connect(m_timer, &QTimer::timeout, this, &ParamSearchDlg::load);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &ParamSearchDlg::onListItemChanged);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &ParamSearchDlg::onListDoubleClick);
}

// --- filter ----------------------------------------------------------------------

void ParamSearchDlg::parseFilters(const QString& text, QString& category, QString& name)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() == 1) {
        name = text;
        return;
    }
    category = parts.at(0);
    name = parts.at(1);
}

bool ParamSearchDlg::match(const QString& item, const QString& category, const QString& name)
{
    QString itemCategory;
    QString itemName;
    parseFilters(item.toLower(), itemCategory, itemName);
    return (category.isEmpty() || itemCategory.contains(category)) &&
           (name.isEmpty() || itemName.contains(name));
}

void ParamSearchDlg::startTimer()
{
    m_timer->stop();
    m_timer->start(TypeAheadMs);
}

void ParamSearchDlg::load()
{
    m_timer->stop();
    loadFiltered(m_filter->lineEdit()->text());
}

void ParamSearchDlg::loadFiltered(const QString& text)
{
    m_filter->addToHistory();
    if (m_banks)
        loadBanks(text);
}

void ParamSearchDlg::loadBanks(const QString& filter)
{
    const WaitCursor busy;
    QString category;
    QString name;
    parseFilters(filter.toLower(), category, name);

    m_list->setUpdatesEnabled(false);
    // Rebuilding clears the selection; that is no choice of the user's.
    const QSignalBlocker blocker(m_list);
    m_list->clear();
    QList<QTreeWidgetItem*> rows;
    for (int b = 0; b < m_banks->size(); ++b) {
        const DeviceBank* bank = m_banks->bankAt(b);
        if (!bank)
            continue;
        const int count = bank->count();
        for (int program = 0; program < count; ++program) {
            const QString text = bank->patchName(program);
            if (isUnnamed(text) || !match(text, category, name))
                continue;
            QString itemCategory;
            QString itemName;
            parseFilters(text, itemCategory, itemName);
            auto* row = new QTreeWidgetItem;
            row->setText(NameColumn, itemName);
            row->setText(CategoryColumn, itemCategory);
            row->setText(ProgramColumn, Patch::PrintProgram(program, Patch::OneBasedGrouped));
            row->setText(BankColumn, bank->name());
            row->setData(NameColumn, Qt::UserRole, Patch(bank->bankWord(), program).toUInt());
            rows.append(row);
        }
    }
    m_list->addTopLevelItems(rows);
    m_list->setUpdatesEnabled(true);
}

// --- choosing ----------------------------------------------------------------------

void ParamSearchDlg::setValueFromList()
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty()) {
        selectedValue = NoValue;
        selectedGroup.clear();
        return;
    }
    selectedValue = selected.first()->data(NameColumn, Qt::UserRole).toUInt();
    selectedGroup = selected.first()->text(BankColumn);
}

void ParamSearchDlg::onListItemChanged()
{
    // An emptied selection keeps the row chosen last.
    if (m_list->selectedItems().isEmpty())
        return;
    setValueFromList();
    if (m_patchControl)
        m_patchControl->changePatch(patch(), false);
}

void ParamSearchDlg::onListDoubleClick()
{
    setValueFromList();
    if (selectedValue != NoValue)
        accept();
}

void ParamSearchDlg::accept()
{
    m_filter->addToHistory();
    if (m_patchControl && selectedValue != NoValue)
        m_patchControl->changePatch(patch(), true);
    Dialog::accept();
}

void ParamSearchDlg::reject()
{
    if (m_patchControl) {
        const Patch opening(m_openingValue);
        // A selector that had no patch has nothing to go back to: the patch
        // previewed last is what the instrument holds now, so it stays.
        m_patchControl->changePatch(opening.isValid() ? opening : m_patchControl->patch(), true);
    }
    Dialog::reject();
}
