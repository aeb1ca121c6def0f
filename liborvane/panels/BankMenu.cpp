#include "BankMenu.h"

#include "DeviceBank.h"
#include "Prompts.h"

#include <QAction>
#include <QCursor>
#include <QHash>

namespace {

QString escapeAmpersands(QString text)
{
    text.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return text;
}

QAction* addEntry(QMenu* menu, const QString& text, bool checked, const QVariant& data)
{
    QAction* action = menu->addAction(text);
    action->setCheckable(true);
    action->setChecked(checked);
    action->setData(data);
    return action;
}

QMenu* addSubMenu(QMenu* menu, const QString& title, bool checked)
{
    QMenu* sub = menu->addMenu(title);
    QAction* item = sub->menuAction();
    item->setEnabled(true);
    item->setCheckable(true);
    item->setChecked(checked);
    return sub;
}

// The group of a name: the text before its first ":", "" when there is none or
// the name starts with it.
QString groupOf(const QString& name)
{
    const qsizetype colon = name.indexOf(QLatin1Char(':'));
    return colon > 0 ? name.left(colon) : QString();
}

} // namespace

BankMenu::BankMenu(QWidget* parent) : QMenu(parent) {}

BankMenu::~BankMenu() = default;

Patch BankMenu::getPatch(QWidget* parent, const BankSet& banks, Patch current, bool grouped)
{
    // On the heap: a parent deleted while the menu runs takes it along.
    auto* menu = new BankMenu(parent);
    if (grouped)
        menu->loadBanks2(current, banks);
    else
        menu->loadBanks(current, banks);
    if (menu->isEmpty()) {
        delete menu;
        return Patch();
    }
    const QPoint pos = parent ? parent->mapToGlobal(QPoint(0, parent->height())) : QCursor::pos();
    const QVariant chosen = RunPopupMenuData(menu, pos);
    if (!chosen.isValid())
        return Patch();
    return Patch(chosen.toUInt());
}

void BankMenu::loadBanks(Patch current, const BankSet& banks)
{
    clear();
    const int currentBank = banks.indexOf(current.bank.word());
    const bool single = banks.size() == 1;
    for (int i = 0; i < banks.size(); ++i) {
        const DeviceBank* bank = banks.bankAt(i);
        if (!bank)
            continue;
        const bool isCurrentBank = i == currentBank;
        QMenu* target = single ? this : addSubMenu(this, bank->name(), isCurrentBank && current.isValid());
        const int count = bank->count();
        for (int p = 0; p < count; ++p) {
            const QString text =
                Patch::PrintProgram(p, Patch::OneBased) + QStringLiteral("  ") + bank->patchName(p);
            addEntry(target, escapeAmpersands(text), isCurrentBank && p == current.program,
                     Patch(bank->bankWord(), p).toUInt());
        }
    }
}

void BankMenu::loadBanks2(Patch current, const BankSet& banks)
{
    QString currentGroup;
    if (current.isValid()) {
        if (const DeviceBank* bank = banks.find(current.bank.word()))
            currentGroup = groupOf(escapeAmpersands(bank->patchName(current.program)));
    }
    const unsigned int currentPacked = current.toUInt();

    // The group sub-menus by title; the first one of a title is the one used.
    QHash<QString, QMenu*> groups;
    for (int i = 0; i < banks.size(); ++i) {
        const DeviceBank* bank = banks.bankAt(i);
        if (!bank)
            continue;
        const int count = bank->count();
        for (int p = 0; p < count; ++p) {
            const QString name = escapeAmpersands(bank->patchName(p));
            const QString group = groupOf(name);
            // The bank's grouped names end at its first name without a group.
            if (group.isEmpty())
                break;
            QMenu*& sub = groups[group];
            if (!sub)
                sub = addSubMenu(this, group, group == currentGroup);
            const unsigned int packed = Patch(bank->bankWord(), p).toUInt();
            addEntry(sub, bank->name() + QLatin1Char(':') + name, packed == currentPacked, packed);
        }
    }
}
