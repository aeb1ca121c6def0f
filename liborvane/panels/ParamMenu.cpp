#include "ParamMenu.h"

#include "DeviceTable.h"
#include "Prompts.h"
#include "WaitCursor.h"

#include <QAction>
#include <QHash>

#include <algorithm>

// While init builds a menu, the sub-menu that takes further entries of each
// title, per menu: the last one made of that title, since the earlier ones are
// full. Saves a scan of every action of the menu per entry.
struct ParamMenu::SubMenuIndex
{
    QHash<QMenu*, QHash<QString, QMenu*>> open;
};

ParamMenu::ParamMenu(QWidget* parent) : QMenu(parent) {}

ParamMenu::~ParamMenu() = default;

std::optional<int> ParamMenu::getValue(QWidget* parent, const QPoint& pos, DeviceTable* table, int current,
                                       int min, int max)
{
    if (table && max == -1)
        max = int(table->size()) - 1;
    // On the heap: a parent deleted while the menu runs takes it along.
    auto* menu = new ParamMenu(parent);
    menu->init(table, current, min, max);
    if (menu->isEmpty()) {
        delete menu;
        return std::nullopt;
    }
    const QVariant chosen = RunPopupMenuData(menu, pos);
    if (!chosen.isValid())
        return std::nullopt;
    return chosen.toInt();
}

void ParamMenu::entryWindow(int current, int min, int max, int& first, int& last)
{
    first = min;
    last = max;
    const qint64 count = qint64(max) - min + 1;
    if (count <= MaxEntries)
        return;
    qint64 start = qint64(min);
    if (current >= min && current <= max)
        start = std::clamp<qint64>(qint64(current) - MaxEntries / 2, min, qint64(max) - MaxEntries + 1);
    first = int(start);
    last = int(start + MaxEntries - 1);
}

void ParamMenu::init(DeviceTable* table, int current, int min, int max)
{
    clear();
    if (qint64(max) - min <= 0)
        return;

    int first = 0;
    int last = 0;
    entryWindow(current, min, max, first, last);
    const qint64 count = qint64(last) - first + 1;

    std::optional<WaitCursor> busy;
    if (count > BusyEntries + 1)
        busy.emplace();

    const qsizetype tableSize = table ? table->size() : 0;
    SubMenuIndex index;
    QStringList path;
    for (qint64 v = first; v <= last; ++v) {
        if (v >= 0 && v < tableSize) {
            QString name = table->at(v).fullPathName();
            name.replace(QLatin1Char('&'), QStringLiteral("&&"));
            path = name.split(QLatin1Char('|'), Qt::KeepEmptyParts);
        } else {
            path = QStringList{QString::number(v)};
        }
        append(this, path, int(v), current, &index);
    }
}

void ParamMenu::appendItem(QMenu* menu, QStringList* path, int value, int current)
{
    if (path)
        append(menu, *path, value, current, nullptr);
}

void ParamMenu::append(QMenu* menu, QStringList& path, int value, int current, SubMenuIndex* index)
{
    if (!menu || path.isEmpty())
        return;
    const bool marked = value == current;
    if (path.size() == 1) {
        QAction* leaf = menu->addAction(path.takeFirst());
        leaf->setCheckable(true);
        leaf->setChecked(marked);
        leaf->setData(value);
        return;
    }

    const QString title = path.takeFirst();
    QMenu* sub = nullptr;
    if (index) {
        QMenu* last = index->open.value(menu).value(title);
        if (last && last->actions().size() < MaxSubMenuEntries)
            sub = last;
    } else {
        for (QAction* action : menu->actions()) {
            if (action->menu() && action->text() == title &&
                action->menu()->actions().size() < MaxSubMenuEntries) {
                sub = action->menu();
                break;
            }
        }
    }

    if (!sub) {
        sub = menu->addMenu(title);
        QAction* item = sub->menuAction();
        item->setEnabled(true);
        item->setCheckable(true);
        item->setChecked(marked);
        if (index)
            index->open[menu][title] = sub;
    } else if (marked) {
        // A sub-menu that holds the current value is checked; one that got
        // its check from an earlier value keeps it.
        sub->menuAction()->setChecked(true);
    }
    append(sub, path, value, current, index);
}
