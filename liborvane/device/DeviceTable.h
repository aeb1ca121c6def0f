// Device tables: named lists of (value, text, menu path) entries that panels,
// value menus, combos and search dialogs show for a parameter.
//
// A table comes either from a section of the device's INI data or from an
// inline list of texts separated by "|" ("off|on"). An INI table section holds
// control keys and numbered lines:
//   Ridev  number of entries; lines 0 .. Ridev-1 are read (missing or < 1: empty)
//   Size   1 or 2, how a line with a comma is read (missing or 0: 1)
//   Name   when not empty, Size is 2 whatever "Size" says (plug-in boards)
//   Hex    non-zero: the numeric fields are hexadecimal
// A numbered line reads "key=text", "key=v,text" (Size 1) or "key=msb,lsb,text"
// (Size 2; a 4-character first field is one hexadecimal 16-bit value instead).
// The text may carry a menu path: "Reverb|Hall 1" is the text "Hall 1" offered
// under the sub-menu "Reverb".
#pragma once

#include "Containers.h"

#include <QString>

class IniFile;
class IniSection;
class MidiDevice;

class TableData
{
public:
    TableData() = default;
    TableData(int v, const QString& t) : value(v), text(t) {}

    operator int() const { return value; }

    // The text with its menu path in front: "path|text", or the text alone.
    QString fullPathName() const;
    // "value = text".
    QString toString() const;

    // Fills this entry from the line keyed index of section. size is 1 or 2
    // (any other size leaves the entry at its defaults); hex non-zero reads the
    // numeric fields as hexadecimal. A missing line (or section) leaves value -1
    // and empty texts.
    void ParseIniLine(IniSection* section, int index, int size, int hex);

    int value = -1;
    QString text;
    QString path;
};

class DeviceTable : public Vector<TableData>
{
public:
    // A section's "Ridev" is clamped to this many entries. No parameter of the
    // instrument carries more than 16 bits, so no real table comes near it; the
    // clamp keeps a damaged file from making the loader run for billions of
    // entries and allocate gigabytes.
    static constexpr int MaxEntries = 65536;

    DeviceTable() = default;
    // A spec containing "|" is a token list, anything else a section name of
    // the device's INI data.
    DeviceTable(MidiDevice* device, const QString& spec);
    ~DeviceTable() override = default;

    // Replaces the entries with those of the table spec describes.
    void init(MidiDevice* device, const QString& spec);

    // The section name of the device's INI data (a null device gives an empty
    // table), or of ini. A missing section gives an empty table.
    void loadTable(MidiDevice* device, const QString& name);
    void loadTable(IniFile* ini, const QString& name);
    // One entry per "|"-separated token (empty tokens kept), entry i valued i.
    void loadTokens(const QString& spec);

    // Index of the first entry with this value, or -1.
    int indexOf(int value) const;
    // Index of the first entry with exactly this text (path not compared), or -1.
    int indexOf(const QString& text) const;
    // Replaces the text of entry index; an index out of range does nothing.
    void setItemText(int index, const QString& text);

    // Each entry's toString() followed by a line feed.
    QString toString() const;
};
