// The descriptor records of panel elements.
//
// The panel reader fills one record per element of the panel data and hands
// it to the control it builds; the control keeps its own copy for its whole
// life and reads its layout, behaviour and parameter from it. Every record is
// a plain value: no virtual operations, nothing owned but its own texts, and
// copying is memberwise (assigning a CommonInfo to the CommonInfo part of an
// element record replaces every field of that part, texts included).
//
// The defaults below are those of a record built in code. A record filled
// from panel data ends with different ones where the data leaves an attribute
// out: integers read as 0, so cols, ParamInfo::multi and ParamInfo::divide
// are 0 there, and all three mean "none" at 0 as they do at 1.
#pragma once

#include "ParamInfo.h"

#include <QString>

// What opening a secondary section window from an element takes.
class LaunchInfo
{
public:
    int iterator = -1;      // the panel's iterator when the element was read; the window uses it
    int address_offset = 0; // added to the base address handed to the window
    QString value;          // the value text that picks the window's sub-section
    QString section;        // section to open; empty: the element opens nothing
    QString subsection;     // "hex" or "dec": value follows the control's data in that form
    QString flag;           // conditions text for the window's section loader
    int colwidth = 90;      // control width of the window's panel (panel data: only non-zero replaces 90)
    bool toolwindow = false;
    bool modal = false;     // set by code opening a window itself: application-modal
    bool frameless = false; // set by code opening a window itself: no frame

    bool hasSection() const { return !section.isEmpty(); }
    bool hasSubSection() const { return hasSection() && !subsection.isEmpty(); }
    // Points value at the sub-section of the launching control's data: its
    // two 7-bit bytes as one word (data 128 is the bytes 01 00), "%d" for
    // "dec" and "%04X" for "hex"; any other subsection keeps value.
    void setSectionValue(int data)
    {
        const int word = Data7to8(data);
        if (subsection == QLatin1String("dec"))
            value = QString::number(word);
        else if (subsection == QLatin1String("hex"))
            value = QString::asprintf("%04X", unsigned(word));
    }
};

// What every element of the panel data has.
class CommonInfo : public LaunchInfo
{
public:
    int tab = -1; // tab the element belongs to; -1 shown on every tab
    int width = 0;
    int height = 0;
    int x = 0;
    int y = 0;
    int cols = 1;
    QString condition;     // built only when the panel's conditions contain it
    bool wrap = false;     // panel data: any non-zero cols sets it
    QString key;           // key name ("F6") by which the panel triggers the control
    QString enable;        // title of the control whose value enables this one
    QString enable_values; // values of that control that do, separated by "|"
    bool no_request = false;
    bool no_title = false; // no title cell before the control
    int request = 0;       // group re-requested after the control changed the device; > 0 only
    int group = 0;         // group the control belongs to; 0 none
    bool hidden = false;
    bool bold = false;
    QString title; // caption text, and the name "enable" refers to
    QString tip;
    int cc = 0; // carried for the control
};

// Labels, headers, and the title cells, separators and gaps a panel adds.
class LabelInfo : public CommonInfo
{
public:
    bool header = false;
};

// "edit" and "combo".
class EditInfo : public CommonInfo
{
public:
    ParamInfo param;
    bool combo = false; // the element was a combo: list mode
    bool tempo = false; // tap-tempo control
    bool piano = false; // keyboard display
    QString image;      // picture strip of the choices
};

// "range": two parameters that share range, default, scaling and items and
// differ only in address.
class RangeInfo : public CommonInfo
{
public:
    ParamInfo low;
    ParamInfo high;
    int space = 0;
    bool piano = false;
    bool classic = false;
    bool no_reverse = false;
};

// "check".
class CheckInfo : public CommonInfo
{
public:
    ParamInfo param;
    bool use = false;
    bool solo = false;
    bool mute = false;
    int part = -1; // mixer part whose solo or mute flag the box sets; -1 none
    // "part" as written, an iterator expression ("xx", "1x") that a panel
    // re-pointed at another part resolves again; empty: part stays.
    QString partExpression;
};

// "patch".
class PatchEditInfo : public CommonInfo
{
public:
    ParamInfo param;
    bool no_names = false;
    bool numbers = false;
    bool no_banks = false;
    bool reverse = false;
    bool change_on_byte = false;
    QString banks; // bank set name
};

// "string".
class StringInfo : public CommonInfo
{
public:
    ParamInfo param;
    int chars = 10; // number of characters
    bool bulk = false;
};

// "button".
class ButtonInfo : public CommonInfo
{
public:
    QString sysex; // hex text of the message the button sends
};

// "eg".
class EgInfo : public CommonInfo
{
public:
    bool small = false;
    QString nodes; // the node list of the envelope
};
