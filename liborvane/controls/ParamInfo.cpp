#include "ParamInfo.h"

#include "DeviceTable.h"
#include "MidiDevice.h"
#include "Strings.h"
#include "VarArgs.h"

#include <QtNumeric>

#include <cmath>
#include <limits>

namespace {

// The highest bit a field may use: data values are non-negative ints.
constexpr int TopBit = 30;

// The field's mask, not yet shifted to its position.
unsigned int fieldMask(int width)
{
    return width >= 32 ? 0xFFFFFFFFu : (1u << width) - 1;
}

} // namespace

// --- bit field ----------------------------------------------------------------

void ParamInfo::setBitField(int newBit, int newBits)
{
    if (newBit < 0 || newBit > TopBit) {
        bit = -1;
        bits = 0;
        return;
    }
    bit = newBit;
    bits = qBound(1, newBits, TopBit + 1 - newBit);
}

bool ParamInfo::hasBitField() const
{
    return bit >= 0 && bit <= TopBit && bits > 0;
}

void ParamInfo::resolveIterator(int iterator)
{
    if (!bitExpression.isEmpty())
        setBitField(int(ParseIterator(bitExpression, iterator)), bitWidth);
    if (!channelExpression.isEmpty())
        midiChannel = int(ParseIterator(channelExpression, iterator));
}

int ParamInfo::extractPartial(int data) const
{
    if (!hasBitField())
        return data;
    const unsigned int mask = fieldMask(qMin(bits, TopBit + 1 - bit));
    return int((unsigned(data) >> bit) & mask);
}

int ParamInfo::packPartial(int value) const
{
    if (!hasBitField())
        return value;
    const unsigned int mask = fieldMask(qMin(bits, TopBit + 1 - bit)) << bit;
    return int((unsigned(value) << bit) | (unsigned(wholeData) & ~mask));
}

// --- value mapping --------------------------------------------------------------

bool ParamInfo::hasTable() const
{
    return items && !items->isEmpty();
}

int ParamInfo::tableSize() const
{
    return items ? int(items->size()) : 0;
}

int ParamInfo::dataToValue(int data) const
{
    if (data == -1)
        return -1;
    const int field = extractPartial(data);
    return hasTable() ? items->indexOf(field) : field;
}

int ParamInfo::valueToData(int value) const
{
    if (value == -1)
        return -1;
    int data = value;
    if (hasTable())
        data = items->at(qBound(0, value, tableSize() - 1)).value;
    return packPartial(data);
}

int ParamInfo::defaultValue() const
{
    if (defaultVal != -1)
        return defaultVal;
    return min + (max - min + 1) / 2;
}

void ParamInfo::loadItems(MidiDevice* device, const QString& itemsText, int newMin, int newMax)
{
    min = newMin;
    if (itemsText.isEmpty()) {
        // Sizes of four 7-bit bytes or more would not fit an int value.
        const unsigned int largest = calculateMaximum();
        max = newMax != -1 ? newMax : int(qMin<unsigned int>(largest, std::numeric_limits<int>::max()));
        return;
    }
    // Without a device there is no table store: the parameter behaves as if
    // its table were empty.
    items = device ? device->createTable(itemsText) : nullptr;
    max = newMax != -1 ? newMax : tableSize() - 1;
}

// --- value text ---------------------------------------------------------------

QString ParamInfo::displayValue(int value) const
{
    if (!isValueValid(value))
        return QString();

    const bool table = hasTable();
    const bool inTable = table && value >= 0 && value < tableSize();
    QString text;
    if (table) {
        if (inTable)
            text = VarArgs::format(QStringLiteral("%s%s"), items->at(value).text, metric);
    } else if (divide < 2) {
        // Wider than int: a range read from the data times a multiplier must
        // not overflow.
        qint64 n = qint64(value) + offset;
        if (multi != 0)
            n *= multi;
        text = VarArgs::format(QStringLiteral("%d%s"), n, metric);
        if (offset < 0 && n > 0)
            text.prepend(QLatin1Char('+'));
    } else {
        double r = double(qint64(value) + offset) / divide;
        if (multi != 0)
            r *= multi;
        text = VarArgs::format(QStringLiteral("%.1f%s"), r, metric);
        if (offset < 0 && r > 0.0)
            text.prepend(QLatin1Char('+'));
    }

    if (numbers > 0 && (!table || inTable)) {
        const QString pattern = VarArgs::format(QStringLiteral("%%0%dd %%s"), numbers);
        text = VarArgs::format(pattern, inTable ? items->at(value).value : value, text);
    }
    return text;
}

int ParamInfo::parseText(const QString& text) const
{
    if (hasTable()) {
        const QString typed = text.toLower();
        int prefixMatch = -1;
        for (int i = 0; i < tableSize(); ++i) {
            // Only the entry's blanks go: "ApGrndStSw1" finds "Ap GrndStSw1",
            // "ap grnd" does not.
            const QString entry = items->at(i).text.toLower().remove(QLatin1Char(' '));
            if (entry == typed)
                return i;
            if (prefixMatch == -1 && entry.startsWith(typed))
                prefixMatch = i;
        }
        return prefixMatch;
    }

    if (HasLetter(text) || !HasDigit(text))
        return -1;
    // Text with digits that still is no number ("1.2.3") gives no value
    // rather than the value of 0.
    double r = StringToDouble(text, qQNaN());
    if (qIsNaN(r))
        return -1;
    if (multi != 0)
        r /= multi;
    if (divide != 0)
        r *= divide;
    r = std::trunc(r) - offset;
    // A typed number far outside any range is limited by the control; it
    // must not overflow on the way there.
    constexpr double lowest = std::numeric_limits<int>::min();
    constexpr double highest = std::numeric_limits<int>::max();
    return int(qBound(lowest, r, highest));
}

void ParamInfo::setValueText(int value, const QString& text)
{
    if (isValueValid(value) && hasTable() && value >= 0 && value < tableSize())
        items->setItemText(value, text);
}
