// What the voice and drum kit editors' element and key panels do beyond the
// panel XML:
//
//   - a unit's wave control offers the list of the memory its "Mem"
//     parameter names: when a message carries that "Mem" value, the wave
//     control's items switch (before the panels see the message) and the
//     wave number is asked for again;
//   - the control sets' destinations "InsA-P1".."InsB-P16" of the shared
//     table "CTRL_DEST" are renamed after the parameters of the insertion
//     effects the instrument holds, looked up in the effect templates.
//
// The two editors differ only in the constants of WaveLists and the type
// addresses they pass. GUI thread only; the type requests block it up to
// 500 ms each.
#pragma once

#include <QSet>
#include <QString>
#include <QVector>

class MidiDevice;
class Panel;
class Sysex;
class XmlDocument;
class XmlElement;

namespace ElementPanels {

struct WaveLists
{
    const char* waveTitle;   // "Wave" (voice), "&Wave" (drum kit)
    int presetValue;         // "Mem" value of the preset list
    const char* presetTable; // offered from entry 1: entry 0 is a test wave
    int userValue;           // "Mem" value of the user list (1 voice, 2 drum kit)
    const char* userTable;   // offered whole
};

// When message carries the one-byte "Mem" at memAddress: switches the items
// of panel's first control titled lists.waveTitle (another "Mem" value
// keeps them) and asks for its value again. False when the message does not
// carry it or the panel has no such control.
bool followWaveMemory(Sysex* message, unsigned int memAddress, Panel* panel, const WaveLists& lists);

// Renames entries first..first+count-1 of the device's table after the
// effect whose 2-byte type is at address on the instrument (asked with
// 500 ms): "<prefix>-<title>", or "<prefix>-P<n>" for a parameter the
// effect does not name. No answer, an unknown type or a missing table
// renames nothing; entries past the table's end are not written.
void changeTableTexts(MidiDevice* device, const QString& table, unsigned int address, const QString& prefix,
                      int first, int count);

// Fills titles (index attribute 1..size) from an effect section or
// template and the templates it includes, a header's title before the
// parameters after it in the same element ("Delay:Time L"); later elements
// win. A template that includes itself, directly or through others, adds
// nothing the second time.
void loadElementParams(const XmlDocument& xml, const XmlElement* element, QVector<QString>* titles);

} // namespace ElementPanels
