#include "ParamSearchDlg.h"

#include "ComboBox.h"
#include "DeviceBank.h"
#include "DeviceTable.h"
#include "Library.h"
#include "MidiEdit.h"
#include "MidiPatchEdit.h"
#include "PatchDump.h"
#include "PatchGroupList.h"
#include "VarArgs.h"
#include "WaitCursor.h"
#include "WindowState.h"

#include <QHeaderView>
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

const QString PatchesHistory = QStringLiteral("Patches");

} // namespace

ParamSearchDlg::ParamSearchDlg(MidiEdit* control) : Dialog(nullptr), m_valueControl(control)
{
    if (control) {
        m_items = control->editInfo().param.items;
        m_device = control->device();
        m_openingValue = unsigned(control->getData());
    }
    init();
}

ParamSearchDlg::ParamSearchDlg(MidiPatchEdit* control) : Dialog(nullptr), m_patchControl(control)
{
    if (control) {
        m_banks = &control->bankSet();
        m_device = control->device();
        m_openingValue = control->patch().toUInt();
    }
    init();
}

ParamSearchDlg::ParamSearchDlg(MidiDevice* device, const PatchGroupList* groups)
    : Dialog(nullptr), m_groups(groups), m_device(device)
{
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
    SetWindowIcon(this, QStringLiteral("core:searchfile.png"));
    setMargin(12, 1);
    setSpacing(8);

    m_filter = new ComboBox(this);
    m_list = new QTreeWidget(this);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setAllColumnsShowFocus(true);
    addRow(QStringLiteral("Enter Name:"));
    addRow(m_filter);
    addSpacer(3);
    addRow(m_list);
    addHButtons(3, false);

    setUpSource();
    m_list->header()->setStretchLastSection(true);
    m_list->setMinimumSize(380, 260);

    loadFiltered(QString());

    m_timer = new QTimer(this);
    connect(m_filter, &QComboBox::editTextChanged, this, &ParamSearchDlg::startTimer);
    connect(m_timer, &QTimer::timeout, this, &ParamSearchDlg::load);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &ParamSearchDlg::onListItemChanged);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &ParamSearchDlg::onListDoubleClick);
}

void ParamSearchDlg::setUpSource()
{
    struct Heading
    {
        const char* title;
        int width;
    };
    QList<Heading> columns;
    QString history;
    if (m_banks || m_groups) {
        setWindowTitle(QStringLiteral("Patch Browser"));
        history = PatchesHistory;
        // A library's columns follow its first group.
        const bool byRow =
            m_groups && !m_groups->isEmpty() && m_groups->first()->type() != Library::BankGroup;
        if (byRow)
            columns = {{"Name", 145}, {"Cat", 55}, {"Program", 55}, {"Group", 10}};
        else
            columns = {{"Name", 145}, {"Cat", 55}, {"Program", 80}, {"Bank", 10}};
    } else {
        const QString title = m_valueControl ? m_valueControl->editInfo().title : QString();
        setWindowTitle(title.isEmpty() ? QStringLiteral("Parameter Search")
                                       : VarArgs::format("%s Parameters", title));
        if (m_items) {
            // Every value search without a title shares one history; a titled
            // control has its own.
            history = windowTitle();
            if (m_valueControl->editInfo().param.cat_sep.isEmpty())
                columns = {{"Parameter", 200}, {"Value", 10}};
            else
                columns = {{"Name", 200}, {"Cat", 55}, {"Value", 10}};
        }
    }
    if (!history.isEmpty())
        m_filter->loadHistory(history, 10, QStringList());
    QStringList titles;
    for (const Heading& column : columns)
        titles.append(QString::fromLatin1(column.title));
    m_list->setColumnCount(int(columns.size()));
    m_list->setHeaderLabels(titles);
    for (int c = 0; c < columns.size(); ++c)
        m_list->setColumnWidth(c, columns.at(c).width);
}

PatchGroup* ParamSearchDlg::selectedPatchGroup() const
{
    if (!m_groups || m_selectedGroupIndex < 0 || m_selectedGroupIndex >= m_groups->size())
        return nullptr;
    return m_groups->at(m_selectedGroupIndex);
}

int ParamSearchDlg::selectedGroupType() const
{
    const PatchGroup* group = selectedPatchGroup();
    return group ? group->type() : -1;
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
    else if (m_groups)
        loadGroups(text);
    else if (m_items && m_valueControl)
        loadParams(text, m_valueControl->editInfo().param.cat_sep);
}

// --- rows --------------------------------------------------------------------------

QTreeWidgetItem* ParamSearchDlg::newRow(const QString& text, bool withCategory)
{
    QString itemCategory;
    QString itemName;
    parseFilters(text, itemCategory, itemName);
    auto* row = new QTreeWidgetItem;
    row->setText(NameColumn, itemName);
    if (withCategory)
        row->setText(CategoryColumn, itemCategory);
    return row;
}

void ParamSearchDlg::setRows(const QList<QTreeWidgetItem*>& rows)
{
    m_list->setUpdatesEnabled(false);
    {
        // Rebuilding clears the selection; that is no choice of the user's.
        const QSignalBlocker blocker(m_list);
        m_list->clear();
        m_list->addTopLevelItems(rows);
    }
    m_list->setUpdatesEnabled(true);
}

void ParamSearchDlg::loadParams(const QString& filter, const QString& separator)
{
    const WaitCursor busy;
    QString category;
    QString name;
    parseFilters(filter.toLower(), category, name);
    const ParamInfo& param = m_valueControl->editInfo().param;
    // The entries are split at ':' whatever the separator; the separator
    // only asks for the category column.
    const bool withCategory = !separator.isEmpty();
    const int valueColumn = withCategory ? 2 : 1;
    QList<QTreeWidgetItem*> rows;
    const int count = int(m_items->size());
    for (int index = 0; index < count; ++index) {
        if (!param.isValueValid(index))
            continue;
        const QString text = m_items->at(index).text;
        if (!match(text, category, name))
            continue;
        const int data = param.valueToData(index);
        QTreeWidgetItem* row = newRow(text, withCategory);
        row->setText(valueColumn, param.printMidiBytes(data));
        row->setData(NameColumn, Qt::UserRole, unsigned(data));
        rows.append(row);
    }
    setRows(rows);
}

void ParamSearchDlg::loadBanks(const QString& filter)
{
    const WaitCursor busy;
    QString category;
    QString name;
    parseFilters(filter.toLower(), category, name);
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
            QTreeWidgetItem* row = newRow(text, true);
            row->setText(ProgramColumn, Patch::PrintProgram(program, Patch::OneBasedGrouped));
            row->setText(BankColumn, bank->name());
            row->setData(NameColumn, Qt::UserRole, Patch(bank->bankWord(), program).toUInt());
            rows.append(row);
        }
    }
    setRows(rows);
}

void ParamSearchDlg::loadGroups(const QString& filter)
{
    const WaitCursor busy;
    QString category;
    QString name;
    parseFilters(filter.toLower(), category, name);
    QList<QTreeWidgetItem*> rows;
    m_rowGroups.clear();
    for (int g = 0; g < m_groups->size(); ++g) {
        const PatchGroup* group = m_groups->at(g);
        if (!group)
            continue;
        const bool bankGroup = group->type() == Library::BankGroup;
        const unsigned short word = bankGroup ? static_cast<const BankPatchGroup*>(group)->bank().word() : 0;
        const int count = group->itemCount();
        for (int r = 0; r < count; ++r) {
            PatchDump* dump = group->patchDumpAt(r);
            const QString text = dump ? dump->name(true) : QString();
            if (isUnnamed(text) || !match(text, category, name))
                continue;
            QTreeWidgetItem* row = newRow(text, true);
            row->setText(ProgramColumn,
                         bankGroup ? Patch::PrintProgram(r, Patch::OneBasedGrouped) : QString::number(r + 1));
            row->setText(BankColumn, group->name());
            row->setData(NameColumn, Qt::UserRole, bankGroup ? Patch(word, r).toUInt() : unsigned(r));
            rows.append(row);
            m_rowGroups.append(g);
        }
    }
    setRows(rows);
}

// --- choosing ----------------------------------------------------------------------

void ParamSearchDlg::setValueFromList()
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty()) {
        selectedValue = NoValue;
        selectedGroup.clear();
        m_selectedGroupIndex = -1;
        return;
    }
    selectedValue = selected.first()->data(NameColumn, Qt::UserRole).toUInt();
    selectedGroup = selected.first()->text(BankColumn);
    const int row = m_list->indexOfTopLevelItem(selected.first());
    m_selectedGroupIndex = m_groups ? m_rowGroups.value(row, -1) : -1;
}

void ParamSearchDlg::onListItemChanged()
{
    // An emptied selection keeps the row chosen last.
    if (m_list->selectedItems().isEmpty())
        return;
    setValueFromList();
    if (m_valueControl)
        m_valueControl->changeData(long(int(selectedValue)));
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
    // A value control already holds the value previewed.
    if (m_patchControl && selectedValue != NoValue)
        m_patchControl->changePatch(patch(), true);
    Dialog::accept();
}

void ParamSearchDlg::reject()
{
    // The value at opening goes back, also when nothing was previewed; a
    // control that had none (-1) is sent nothing.
    if (m_valueControl)
        m_valueControl->changeData(long(int(m_openingValue)));
    if (m_patchControl) {
        const Patch opening(m_openingValue);
        // A selector that had no patch has nothing to go back to: the patch
        // previewed last is what the instrument holds now, so it stays.
        m_patchControl->changePatch(opening.isValid() ? opening : m_patchControl->patch(), true);
    }
    Dialog::reject();
}
