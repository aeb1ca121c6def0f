// The plug-in boards in the instrument's three slots.
//
// A board is described by a board definition file the user picks (an INI
// text: section "PLG" with "Name", "Ridev" and one bank per numbered key, and
// a section of voice names per bank). Installing it writes the slot's own copy
// into the device's data folder, "<data folder>/plg<n>.ini" (n = slot + 1),
// with the board's symbolic banks ("USER", "PRE1".."PRE3") turned into the
// bank numbers the instrument gives that slot:
//   USER -> 63,24+s,P<n>-USER      PREk -> 63,70+3s+(k-1),P<n>-PREk
// Direct banks ("36,00,036/000") keep their numbers in every slot. Loading the
// three copies into the device's tables gives the bank sets "PLG1".."PLG3"
// and the sections of their voice names.
//
// A board is checked before anything is written: a file that cannot be read,
// that holds no "PLG" section, whose counts are out of range or whose bank
// names a section of the device's own tables (loading the slot would replace
// it) is refused with a message saying why, and the slot keeps its old file.
// A board without a name is installed (the editors then show the slot as
// empty). The copy is replaced atomically, so a failed write leaves the old
// one whole.
//
// Board files and the installed copies are read verbatim (IniFile::Verbatim):
// names and banks are copied as the board file has them, a backslash
// included, never taken for an escape.
//
// Reloading drops the slots' banks from the device's registry only: bank sets
// that controls and menus hold keep their banks, with the names they had,
// until they are rebuilt. GUI thread only.
#pragma once

#include <QByteArray>
#include <QString>

class IniFile;
class MidiDevice;

class PlgBoards
{
public:
    static constexpr int SlotCount = 3;
    // The most banks a board and the most voices a bank may list.
    static constexpr int MaxBanks = 128;
    static constexpr int MaxVoices = 128;
    // The chosen file that installs no board, and the one that leaves a slot
    // as it is.
    static QString noBoard() { return QStringLiteral("(none)"); }

    // "<data folder>/plg<slot + 1>.ini"; the disk is not looked at.
    static QString plgFileName(MidiDevice* device, int slot);
    // The name of the board loaded in the slot: "Name" of the device's
    // section "PLG<slot + 1>"; "" when there is none.
    static QString plgName(MidiDevice* device, int slot);
    // Loads the three installed copies into the device's tables, each after
    // the banks its last loaded copy listed were dropped from the registry. A
    // missing copy leaves what the tables held for that slot.
    static void loadPLG(MidiDevice* device);
    // A bank entry of a board for the slot: the symbolic banks translated,
    // anything else unchanged (comparisons are exact).
    static QString translatePLGBankName(const QString& entry, int slot);

    // Installs the board file at path into the slot. "" leaves the slot as it
    // is; noBoard() installs the empty board. False, with the reason in error
    // (when given) and the old file kept, when the board is refused or the
    // copy cannot be written.
    static bool createPLGFile(MidiDevice* device, int slot, const QString& path, QString* error = nullptr);

    // Reads and checks a board definition: true with the file in board and
    // its name in name; false with the reason in error.
    static bool readBoard(const QString& path, IniFile& board, QString* name, QString* error);
    // The installed copy of a board for the slot (or of the empty board for a
    // null board), Latin-1, each line ended by a line feed.
    static QByteArray installedText(const IniFile* board, int slot);
    // Where the shipped board definitions are, with a trailing "/":
    // "share/vesk/plg" beside the programs' folder, in the build tree and in
    // the installed tree.
    static QString boardFolder();
};
