#include "EgNode.h"

#include "MidiTypes.h"
#include "Strings.h"

// --- EgValue -------------------------------------------------------------------

void EgValue::copyCommon(const EgValue& from)
{
    setSize(from.size);
    min = from.min;
    max = from.max;
    offset = from.offset;
    defaultValue = from.defaultValue;
}

void EgValue::setValue(int v)
{
    Limit(v, min, max);
    value = v;
}

void EgValue::parseAddress(const QString& spec, int iterator)
{
    adjust = false;
    watch = 0;
    baseAddress = 0xFFFFFFFF;
    for (const QString& item : spec.split(QLatin1Char(' '))) {
        const QStringList pair = item.split(QLatin1Char('='));
        if (pair.size() != 2)
            continue;
        const QString& key = pair.at(0);
        const QString& text = pair.at(1);
        const int number = StringToInt(text, false, 0);
        if (key == QLatin1String("address")) {
            addressText = text;
            baseAddress = ParseIterator(text, iterator);
            adjust = true;
            watch = 0;
        } else if (key == QLatin1String("size")) {
            setSize(number);
        } else if (key == QLatin1String("min")) {
            min = number;
        } else if (key == QLatin1String("max")) {
            max = number;
        } else if (key == QLatin1String("offset")) {
            offset = number;
            // A signed value rests at its zero.
            if (number < 0)
                defaultValue = min - number;
        } else if (key == QLatin1String("default")) {
            defaultValue = number;
            watch = 0;
        } else if (key == QLatin1String("adjust")) {
            adjust = number != 0;
            watch = 0;
        } else if (key == QLatin1String("watch")) {
            watch = number;
        }
    }
}

QString EgValue::toString() const
{
    if (!adjust)
        return QStringLiteral("--");
    if (value == -1)
        return QStringLiteral("??");
    const int shown = value + offset;
    if (offset < 0 && shown > 0)
        return QLatin1Char('+') + QString::number(shown);
    return QString::number(shown);
}

// --- EgNode ----------------------------------------------------------------------

void EgNode::fromString(const QString& text, int iterator)
{
    name.clear();
    shortName.clear();
    const QStringList fields = text.split(QLatin1Char(';'));
    for (int i = 0; i < fields.size() && i < 4; ++i) {
        const QString field = fields.at(i).trimmed();
        if (field.isEmpty())
            continue;
        switch (i) {
        case 0:
            name = field;
            break;
        case 1:
            shortName = field;
            break;
        case 2:
            time.parseAddress(field, iterator);
            break;
        default:
            level.parseAddress(field, iterator);
            break;
        }
    }
}

// --- EgNodeList --------------------------------------------------------------------

void EgNodeList::fromString(const QString& nodes, int iterator)
{
    clear();
    for (const QString& piece : nodes.split(QLatin1Char('|'))) {
        EgNode node;
        if (!isEmpty()) {
            node.time.copyCommon(first().time);
            node.level.copyCommon(first().level);
        }
        node.fromString(piece, iterator);
        append(node);
    }
}

int EgNodeList::countNodes() const
{
    int count = 0;
    for (const EgNode& node : *this)
        count += node.hasName() ? 1 : 0;
    return count;
}

bool EgNodeList::isDrawable() const
{
    if (isEmpty())
        return false;
    for (const EgNode& node : *this) {
        if (node.time.max <= 0)
            return false;
    }
    const EgValue& level = first().level;
    return level.max - level.min - 1 > 0;
}

void EgNodeList::fixValues()
{
    for (EgNode& node : *this) {
        if (!node.time.adjust && node.time.value == -1)
            node.time.setDefault();
        if (!node.level.adjust && node.level.value == -1)
            node.level.setDefault();
    }
    const int n = size();
    for (int i = 0; i < n; ++i) {
        EgNode& node = (*this)[i];
        // Forward pass: a copy from the node before sees what it got in this
        // pass, one from the node after what it had before.
        if (node.time.watch == -1 && i > 0)
            node.time.setValue(at(i - 1).time.value);
        else if (node.time.watch == 1 && i + 1 < n)
            node.time.setValue(at(i + 1).time.value);
        if (node.level.watch == -1 && i > 0)
            node.level.setValue(at(i - 1).level.value);
        else if (node.level.watch == 1 && i + 1 < n)
            node.level.setValue(at(i + 1).level.value);
    }
}

bool EgNodeList::allValid() const
{
    for (const EgNode& node : *this) {
        if ((node.time.adjust && node.time.value == -1) || (node.level.adjust && node.level.value == -1))
            return false;
    }
    return true;
}
