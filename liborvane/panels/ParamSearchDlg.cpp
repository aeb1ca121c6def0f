#include "ParamSearchDlg.h"

#include "DeviceBank.h"
#include "DeviceTable.h"
#include "Library.h"
#include "ListCtrl.h"
#include "PatchDump.h"
#include "PatchGroupList.h"
#include "VarArgs.h"
#include "WaitCursor.h"
#include "WindowState.h"

#include <QLineEdit>
#include <QTimer>

namespace {

const QString PatchesHistory = QStringLiteral("Patches");
const QChar Colon = QLatin1Char(':');

// Slots without a patch in them.
bool isUnnamed(const QString& name)
{
    return name.isEmpty() || name == QLatin1String("---") || name == QLatin1String("(empty)");
}

// The list switched to one rebuild: no repaint per row, and the busy cursor.
class Rebuild
{
public:
    explicit Rebuild(ListCtrl* list) : m_list(list)
    {
        m_list->setUpdatesEnabled(false);
        m_list->clear();
    }
    ~Rebuild() { m_list->setUpdatesEnabled(true); }

private:
    WaitCursor m_cursor;
    ListCtrl* m_list;
};

} // namespace

ParamSearchDlg::ParamSearchDlg(MidiDevice* device, PatchGroupList* groups)
{
    reset();
    m_device = device;
    m_groups = groups;
    init();
}

ParamSearchDlg::ParamSearchDlg(MidiDevice* device, BankSet* banks)
{
    reset();
    m_device = device;
    m_banks = banks;
    init();
}

ParamSearchDlg::~ParamSearchDlg() = default;

void ParamSearchDlg::reset()
{
    m_groups = nullptr;
    m_banks = nullptr;
    m_items = nullptr;
    m_edit = nullptr;
    m_patchEdit = nullptr;
    m_device = nullptr;
    m_openingValue = NoValue;
    selectedValue = NoValue;
    selectedGroup.clear();
    m_selectedGroupIndex = -1;
}

Patch ParamSearchDlg::patch() const
{
    return Patch(selectedValue);
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

// --- window --------------------------------------------------------------------

void ParamSearchDlg::init()
{
    SetWindowIcon(this, QStringLiteral("core:searchfile.png"));
    setMargin(12, 1);
    setSpacing(8);

    QString title = QStringLiteral("Parameter Search");
    if (m_banks || m_groups)
        title = QStringLiteral("Patch Browser");
    setWindowTitle(title);

    m_filter = new ComboBox(this);
    m_list = new ListCtrl(this);
    addRow(QStringLiteral("Enter Name:"));
    addRow(m_filter);
    addSpacer(3);
    addRow(m_list);
    addHButtons(3, false);

    const bool libraryOfBanks =
        m_groups && !m_groups->isEmpty() && m_groups->first()->type() == Library::BankGroup;
    if (m_banks || libraryOfBanks) {
        m_filter->loadHistory(PatchesHistory, 10);
        m_list->addColumn(QStringLiteral("Name"), 145);
        m_list->addColumn(QStringLiteral("Cat"), 55);
        m_list->addColumn(QStringLiteral("Program"), 80);
        m_list->addColumn(QStringLiteral("Bank"), 10);
    } else if (m_groups) {
        m_filter->loadHistory(PatchesHistory, 10);
        m_list->addColumn(QStringLiteral("Name"), 145);
        m_list->addColumn(QStringLiteral("Cat"), 55);
        m_list->addColumn(QStringLiteral("Program"), 55);
        m_list->addColumn(QStringLiteral("Group"), 10);
    }
    m_list->setMinimumSize(380, 260);

    loadFiltered(QString());

    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    connect(m_filter, &QComboBox::editTextChanged, this, &ParamSearchDlg::startTimer);
    connect(m_timer, &QTimer::timeout, this, &ParamSearchDlg::load);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &ParamSearchDlg::onListItemChanged);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &ParamSearchDlg::onListDoubleClick);
}

// --- type-ahead ------------------------------------------------------------------

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
}

// --- filter language ---------------------------------------------------------------

void ParamSearchDlg::parseFilters(const QString& text, QString& category, QString& name)
{
    const qsizetype first = text.indexOf(Colon);
    if (first < 0) {
        name = text;
        return;
    }
    category = text.left(first);
    const qsizetype second = text.indexOf(Colon, first + 1);
    name = second < 0 ? text.mid(first + 1) : text.mid(first + 1, second - first - 1);
}

bool ParamSearchDlg::match(const QString& item, const QString& category, const QString& name)
{
    QString itemCategory;
    QString itemName;
    parseFilters(item.toLower(), itemCategory, itemName);
    return (category.isEmpty() || itemCategory.contains(category)) &&
           (name.isEmpty() || itemName.contains(name));
}

// --- loading ---------------------------------------------------------------------------

int ParamSearchDlg::addListRow(const QString& text, bool withCategory)
{
    QString category;
    QString name;
    parseFilters(text, category, name);
    const int row = m_list->addItem(name);
    if (withCategory)
        m_list->setItemText(row, 1, category);
    return row;
}

void ParamSearchDlg::loadBanks(const QString& text)
{
    QString category;
    QString name;
    parseFilters(text.toLower(), category, name);
    const Rebuild rebuild(m_list);
    for (int b = 0; b < m_banks->size(); ++b) {
        const DeviceBank* bank = m_banks->bankAt(b);
        if (!bank)
            continue;
        const unsigned short word = bank->bank();
        for (int p = 0; p < bank->count(); ++p) {
            const QString patchName = bank->patchName(p);
            if (isUnnamed(patchName) || !match(patchName, category, name))
                continue;
            const int row = addListRow(patchName, true);
            m_list->setItemText(row, 2, Patch::PrintProgram(p, Patch::OneBasedGrouped));
            m_list->setItemText(row, 3, bank->name());
            m_list->setItemData(row, quint32(Patch(word, p)));
        }
    }
}

void ParamSearchDlg::loadGroups(const QString& text)
{
    QString category;
    QString name;
    parseFilters(text.toLower(), category, name);
    const Rebuild rebuild(m_list);
    m_rowGroups.clear();
    for (int g = 0; g < m_groups->size(); ++g) {
        PatchGroup* group = m_groups->at(g);
        if (!group)
            continue;
        const bool bankGroup = group->type() == Library::BankGroup;
        const unsigned short word = bankGroup ? static_cast<BankPatchGroup*>(group)->bank() : 0;
        for (int r = 0; r < group->itemCount(); ++r) {
            PatchDump* dump = group->patchDumpAt(r);
            const QString patchName = dump ? dump->name(true) : QString();
            if (isUnnamed(patchName) || !match(patchName, category, name))
                continue;
            const int row = addListRow(patchName, true);
            m_list->setItemText(
                row, 2, bankGroup ? Patch::PrintProgram(r, Patch::OneBasedGrouped) : QString::number(r + 1));
            m_list->setItemText(row, 3, group->name());
            m_list->setItemData(row, bankGroup ? quint32(Patch(word, r)) : quint32(r));
            m_rowGroups.append(g);
        }
    }
}

// --- choosing --------------------------------------------------------------------------

void ParamSearchDlg::setValueFromList()
{
    const int row = m_list->curSel();
    if (row < 0) {
        selectedValue = NoValue;
        selectedGroup.clear();
        m_selectedGroupIndex = -1;
        return;
    }
    selectedValue = m_list->itemData(row);
    selectedGroup = m_list->itemText(row, 3);
    m_selectedGroupIndex = m_groups && row < m_rowGroups.size() ? m_rowGroups.at(row) : -1;
}

void ParamSearchDlg::onListItemChanged()
{
    if (m_list->curSel() < 0)
        return;
    setValueFromList();
}

void ParamSearchDlg::onListDoubleClick()
{
    setValueFromList();
    if (m_list->curSel() >= 0)
        accept();
}

void ParamSearchDlg::accept()
{
    m_filter->addToHistory();
    Dialog::accept();
}

void ParamSearchDlg::reject()
{
    Dialog::reject();
}
