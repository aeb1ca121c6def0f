#include "DeviceTable.h"

#include "IniFile.h"
#include "MidiDevice.h"
#include "MidiParam.h"
#include "Strings.h"
#include "VarArgs.h"

#include <QStringList>

namespace {
const QChar Bar = u'|';
const QChar Comma = u',';

} // namespace

// TableData -----------------------------------------------------------------

QString TableData::fullPathName() const
{
    if (path.isEmpty())
        return text;
    return path + Bar + text;
}

QString TableData::toString() const
{
    return VarArgs::format(QStringLiteral("%d = %s"), value, text);
}

void TableData::ParseIniLine(IniSection* section, int index, int size, int hex)
{
    value = -1;
    text.clear();
    path.clear();

    const IniLine* line = section ? section->findLine(index) : nullptr;
    if (!line)
        return;

    const QString& v = line->value();
    const qsizetype comma = v.indexOf(Comma);
    QString full;
    if (comma <= 0) {
        // No numeric field: the entry's value is its line number. A text that
        // starts with a comma is a text, not an empty number.
        value = StringToInt(line->key(), false, 0);
        full = v;
    } else {
        const QStringList fields = v.split(Comma);
        if (size == 1) {
            value = StringToInt(fields[0], hex != 0, 0) & 0xFF;
            full = TokensTail(fields, 0);
        } else if (size == 2 && fields[0].size() == 4) {
            // Wave numbers and other 16-bit values are written as one
            // 4-digit hexadecimal field, whatever the section's "Hex" says.
            value = StringToInt(fields[0], true, 0) & 0xFFFF;
            full = TokensTail(fields, 0);
        } else if (size == 2) {
            // A comma at position > 0 means at least two fields.
            const int b0 = StringToInt(fields[0], hex != 0, 0) & 0xFF;
            const int b1 = StringToInt(fields[1], hex != 0, 0) & 0xFF;
            value = Data8to7(b0 << 8 | b1);
            full = TokensTail(fields, 1);
        } else {
            return;
        }
    }

    QStringList parts = full.split(Bar);
    text = parts.takeLast();
    path = parts.join(Bar);
}

// DeviceTable ---------------------------------------------------------------

DeviceTable::DeviceTable(MidiDevice* device, const QString& spec)
{
    if (spec.contains(Bar))
        loadTokens(spec);
    else
        loadTable(device, spec);
}

void DeviceTable::init(MidiDevice* device, const QString& spec)
{
    const DeviceTable table(device, spec);
    clear();
    append(table);
}

void DeviceTable::loadTable(MidiDevice* device, const QString& name)
{
    loadTable(device ? device->ini() : nullptr, name);
}

void DeviceTable::loadTable(IniFile* ini, const QString& name)
{
    clear();
    if (name.isEmpty() || !ini)
        return;
    IniSection* section = ini->section(name);
    if (!section)
        return;

    const int total = qMin(section->intValue(QStringLiteral("Ridev")), MaxEntries);
    int size = section->intValue(QStringLiteral("Size"));
    if (!section->value(QStringLiteral("Name")).isEmpty())
        size = 2;
    else if (size == 0)
        size = 1;
    const int hex = section->intValue(QStringLiteral("Hex"));

    if (total < 1)
        return;
    reserve(total);
    for (int i = 0; i < total; ++i) {
        TableData entry;
        entry.ParseIniLine(section, i, size, hex);
        append(entry);
    }
}

void DeviceTable::loadTokens(const QString& spec)
{
    clear();
    if (spec.isEmpty())
        return;
    const QStringList tokens = spec.split(Bar);
    reserve(tokens.size());
    for (qsizetype i = 0; i < tokens.size(); ++i)
        append(TableData(int(i), tokens[i]));
}

int DeviceTable::indexOf(int value) const
{
    for (qsizetype i = 0; i < size(); ++i) {
        if (at(i).value == value)
            return int(i);
    }
    return -1;
}

int DeviceTable::indexOf(const QString& text) const
{
    for (qsizetype i = 0; i < size(); ++i) {
        if (at(i).text == text)
            return int(i);
    }
    return -1;
}

void DeviceTable::setItemText(int index, const QString& text)
{
    if (index >= 0 && index < size())
        (*this)[index].text = text;
}

QString DeviceTable::toString() const
{
    QString result;
    for (const TableData& entry : *this)
        result += VarArgs::format(QStringLiteral("%s\n"), entry.toString());
    return result;
}
