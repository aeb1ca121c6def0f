// The voice copier: puts a voice (a normal voice or a drum kit) into one part
// of the performance or of the song/pattern mix being edited, as live
// parameter changes, without a bulk dump.
//
// It reads six blocks of the voice's bulk dump (common, general, reverb,
// chorus, insertion A and B) and sends a fixed list of up to 193 parameter
// changes in five steps: name (performances only), voice, arpeggio, system
// effects and insertion effects, each as the VoiceCopierInfo's options say.
// The list is a table (Runs), one line a row or range of rows: a destination
// block and offset, a value size, and where the value comes from (a source
// block byte, a pair of them, or a constant); a few rows differ for drum kits.
//
// Nothing is sent unless the copy can be made whole: the six blocks present,
// each holding every byte the table reads, and the destination part within
// the destination's parts. Otherwise the copy is refused with a message
// saying why. The changes go out back to back through the device's
// paramChange, with no waits of their own. GUI thread.
#pragma once

#include <QList>
#include <QString>

#include <cstdint>

class BulkDump;
class MidiDevice;
class VoiceCopierInfo;

class VoiceCopier
{
public:
    // Where a value comes from.
    enum class Source : std::uint8_t
    {
        Constant, // the row's argument itself
        Common,   // source block bytes at the argument (a size-2 value takes two)
        General,
        Reverb,
        Chorus,
        InsertionA,
        InsertionB,
        BankMsb, // of the info's voice
        BankLsb,
        Program,
        SwitchWord,    // the insert-effect switches: the part's bit, and the A/D input's
        ReceiveSwitch, // the part's receive switches, the arpeggio bit from the voice
    };
    static constexpr int SourceBlockCount = 6; // Common .. InsertionB

    // Where a value goes.
    enum class Target : std::uint8_t
    {
        Common,
        Reverb,
        Chorus,
        InsertionA,
        InsertionB,
        MasterEq,
        Part,
    };

    enum class Step : std::uint8_t
    {
        Name,
        Voice,
        Arpeggio,
        SystemEffects,
        InsertionEffects,
    };

    // count rows: destination offset + i * stride, and for a block source the
    // source offset argument + i * stride. A drum kit takes drumSource and
    // drumArgument instead.
    struct Run
    {
        Step step;
        Target target;
        std::uint8_t offset;
        std::uint8_t count;
        std::uint8_t stride;
        std::uint8_t size;
        Source source;
        int argument;
        Source drumSource;
        int drumArgument;
    };

    // One parameter change: address, value size in bytes, value.
    struct Change
    {
        unsigned int address;
        int size;
        int value;
        bool operator==(const Change&) const = default;
    };

    // Destination kinds (VoiceCopierInfo::Performance; anything else a mix).
    static unsigned int targetBase(Target target, int kind, int part);
    // The address of a source block of a normal voice or a drum kit.
    static unsigned int sourceAddress(Source block, bool drum);
    // The data bytes each source block must hold for every row to read it.
    static int requiredBytes(Source block, bool drum);

    // The changes of one copy in sending order; false, with the reason in
    // error, when the copy cannot be made whole (and no changes).
    static bool changes(const BulkDump& dump, const VoiceCopierInfo& info, int kind, bool drum,
                        QList<Change>& out, QString* error = nullptr);
    // Sends them through device->paramChange. False, with nothing sent, when
    // changes() refuses.
    static bool copy(MidiDevice* device, const BulkDump& dump, const VoiceCopierInfo& info, int kind,
                     bool drum, QString* error = nullptr);

    static const QList<Run>& runs();
};
