// One device parameter as a control sees it: where it lives (its MidiParam
// base), which values are valid, how a received data value becomes the value a
// control shows and back, and how that value reads as text.
//
// A control holds a value, the device holds data:
//   - without an items table the value is the data itself, or the bits of
//     the data that a bit field (bit, bits) selects;
//   - with an items table the value is an entry index and the entry's value
//     is the data; a bit field applies on top.
// -1 means "no value" and "no data" alike and passes through every mapping
// unchanged; it is shown blank and never sent.
//
// The display fields (offset, divide, multi, metric, numbers) shape only the
// text; they take no part in the data mapping.
//
// A plain value record, copied memberwise by every control that is built from
// it. The items table is not owned: it belongs to the device's table store,
// which hands one table to every parameter naming the same items text, so a
// text changed through one parameter shows in all of them.
#pragma once

#include "MidiParam.h"

#include <QString>

class DeviceTable;
class MidiDevice;

class ParamInfo : public MidiParam
{
public:
    bool note = false;     // the value is a note number (a learning control takes it from a note-on)
    bool velocity = false; // the value is a velocity (the same, for the note-on's velocity)
    QString cat_sep;       // category separator in the items' texts (":" in "Seq:UpOct1")
    int min = 0;
    int max = -1;                 // -1 until loadItems settles it: no value is valid then
    int defaultVal = -1;          // -1: the middle of the range
    int offset = 0;               // added to the value before it is shown
    int divide = 1;               // below 2: no divisor; 2 or more shows one decimal place
    int multi = 1;                // 0: no multiplier
    QString metric;               // unit put after the shown number, no blank between
    int numbers = 0;              // digits of a zero-padded number put before the text; 0 none
    int bit = -1;                 // lowest bit of a bit field inside the data; -1 whole data
    int bits = 0;                 // width of the bit field
    DeviceTable* items = nullptr; // not owned; shared with every parameter of the same items text
    int wholeData = 0;            // last whole data received; the bit field is packed into it
    // The "bit", "bits" and "channel" of the panel data as written. "bit"
    // and "channel" are iterator expressions ("xx": the bit or channel of
    // the panel's element, part or key), kept so that a panel re-pointed at
    // another one resolves them again; empty for a record built in code.
    QString bitExpression;
    int bitWidth = 0;
    QString channelExpression;

    // Sets the bit field the way the panel data describes one: a bit below 0
    // (an absent or unreadable "bit") means no bit field whatever the width,
    // so a width given without a bit is ignored; a bit with a width of 0 or
    // less is one bit wide. Data values are never negative, so a field
    // starting at bit 31 or above is no bit field either, and one reaching
    // past bit 30 is cut there.
    void setBitField(int bit, int bits);
    // True when the value lives in a bit field of the data. A width without a
    // bit position (which setBitField never leaves, but a record may be
    // filled by hand) counts as no bit field.
    bool hasBitField() const;
    // The bit field and the channel of the iterator, from the expressions
    // written for them; a field without one keeps its value.
    void resolveIterator(int iterator);

    // --- value mapping ------------------------------------------------------
    bool isValueValid(int value) const { return value >= min && value <= max; }
    // An items table with at least one entry is attached; an attached empty
    // table counts as none.
    bool hasTable() const;
    int tableSize() const;
    // The bit field of data, or data itself without a bit field.
    int extractPartial(int data) const;
    // value put into the bit field of wholeData; value itself without a bit
    // field. The value is not masked to the field's width: the range keeps it
    // inside.
    int packPartial(int value) const;
    void setWholeData(int data) { wholeData = data; }
    // The control value for received data: -1 for -1, and with a table -1 when
    // no entry holds the data (the first entry holding it wins).
    int dataToValue(int data) const;
    // The data to send for a control value: -1 for -1. With a table, an index
    // past either end of the table (a "max" beyond the table's last entry
    // lets a control reach one) is taken as the nearest entry, so only data
    // the table names is ever sent. wholeData is not changed.
    int valueToData(int value) const;
    // The default control value: defaultVal, or min + (max - min + 1) / 2.
    int defaultValue() const;
    // Attaches the device's table for a non-empty items text (an empty text
    // leaves a table attached before in place) and sets the range: min as
    // given, max as given unless -1, else the table's last index, or without
    // items text the largest data value of the parameter's size. Reads size
    // and nibbles, so set them first. A null device attaches no table.
    void loadItems(MidiDevice* device, const QString& itemsText, int min, int max);

    // --- value text -----------------------------------------------------------
    // The text a control shows for the value: empty for an invalid value or a
    // table index with no entry; otherwise the entry's text or the scaled
    // number, then the unit, with "+" before a positive number of a parameter
    // shown with a negative offset, and with numbers > 0 the zero-padded entry
    // data (or the raw value without a table) in front.
    QString displayValue(int value) const;
    // The control value for typed text, -1 when it gives none. With a table:
    // the first entry whose text, lower-cased and without blanks, equals the
    // lower-cased text, else the first that begins with it. Without: the
    // number read back through multi, divide and offset; text holding a letter
    // or no digit gives -1. The result is not checked against the range.
    int parseText(const QString& text) const;
    // Renames the table entry of a valid value; every parameter sharing the
    // table shows the new text.
    void setValueText(int value, const QString& text);
};
