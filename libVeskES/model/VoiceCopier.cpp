#include "VoiceCopier.h"

#include "BulkDump.h"
#include "MidiDevice.h"
#include "MidiParam.h"
#include "Sysex.h"
#include "Vesk.h"
#include "VoiceCopierInfo.h"

#include <algorithm>
#include <array>

namespace {

using Source = VoiceCopier::Source;
using Target = VoiceCopier::Target;
using Step = VoiceCopier::Step;
using Run = VoiceCopier::Run;

// A row (or range of rows) the same for voices and drum kits.
constexpr Run same(Step step, Target target, int offset, int count, int stride, int size, Source source,
                   int argument)
{
    return Run{step,
               target,
               std::uint8_t(offset),
               std::uint8_t(count),
               std::uint8_t(stride),
               std::uint8_t(size),
               source,
               argument,
               source,
               argument};
}

// One row whose value differs for a drum kit.
constexpr Run drum(Step step, Target target, int offset, Source source, int argument, Source drumSource,
                   int drumArgument)
{
    return Run{step, target, std::uint8_t(offset), 1, 1, 1, source, argument, drumSource, drumArgument};
}

constexpr Run one(Step step, Target target, int offset, int size, Source source, int argument)
{
    return same(step, target, offset, 1, 1, size, source, argument);
}

constexpr Step N = Step::Name;
constexpr Step V = Step::Voice;
constexpr Step A = Step::Arpeggio;
constexpr Step F = Step::SystemEffects;
constexpr Step I = Step::InsertionEffects;
constexpr Target Com = Target::Common;
constexpr Target Prt = Target::Part;
constexpr Source K = Source::Constant;
constexpr Source Sc = Source::Common;
constexpr Source Sg = Source::General;

// The rows of one copy, in sending order.
constexpr std::array CopyRuns = {
    // Name: characters and category.
    same(N, Com, 0x00, 10, 1, 1, Sc, 0x00),
    same(N, Com, 0x0C, 2, 1, 1, Sc, 0x0C),

    // Voice: the common block of the destination.
    one(V, Com, 0x34, 1, Sc, 0x34),        // knob function
    one(V, Com, 0x35, 1, K, 0x40),         // pan
    same(V, Com, 0x37, 7, 1, 1, K, 0x40),  // amp and filter envelope offsets
    same(V, Com, 0x47, 11, 1, 1, K, 0x40), // cutoff, resonance, amp attack, release ...
    same(V, Com, 0x40, 5, 1, 1, K, 0x40),  // EQ offsets
    one(V, Com, 0x3E, 1, Sc, 0x3E),        // assign A
    one(V, Com, 0x3F, 1, Sc, 0x3F),        // assign B
    one(V, Com, 0x45, 1, Sc, 0x45),        // assign 1
    one(V, Com, 0x46, 1, Sc, 0x46),        // assign 2
    one(V, Com, 0x52, 1, K, 0x7F),         // volume
    one(V, Com, 0x53, 1, K, 0x40),         // portamento time offset
    one(V, Com, 0x54, 1, K, 1),            // portamento switch
    one(V, Com, 0x55, 1, K, 0x7F),         // reverb level
    one(V, Com, 0x56, 1, K, 0x7F),         // chorus level
    one(V, Com, 0x60, 4, Source::SwitchWord, 0),
    same(V, Target::MasterEq, 0x00, 5, 4, 1, K, 0x40), // the five band gains
    // Voice: the part.
    one(V, Prt, 0x00, 1, Source::BankMsb, 0),
    one(V, Prt, 0x01, 1, Source::BankLsb, 0),
    one(V, Prt, 0x02, 1, Source::Program, 0),
    drum(V, Prt, 0x04, Sg, 0x03, K, 1), // mono/poly
    one(V, Prt, 0x05, 1, K, 1),
    one(V, Prt, 0x06, 1, K, 0x7F),
    one(V, Prt, 0x07, 1, K, 0),             // key range low
    one(V, Prt, 0x08, 1, K, 0x7F),          // key range high
    drum(V, Prt, 0x09, Sg, 0x05, Sg, 0x02), // pitch bend upper
    drum(V, Prt, 0x0A, Sg, 0x06, Sg, 0x03), // pitch bend lower
    one(V, Prt, 0x0B, 1, K, 0x40),          // velocity depth
    one(V, Prt, 0x0C, 1, K, 0x40),          // velocity offset
    one(V, Prt, 0x0D, 1, K, 0x7F),          // volume
    one(V, Prt, 0x0E, 1, Sc, 0x35),         // pan
    drum(V, Prt, 0x12, Sg, 0x0B, Sg, 0x04), // reverb send
    drum(V, Prt, 0x13, Sg, 0x0C, Sg, 0x05), // chorus send
    one(V, Prt, 0x15, 1, K, 0x7F),          // dry level
    one(V, Prt, 0x16, 1, K, 0x40),          // note shift
    one(V, Prt, 0x17, 1, Sc, 0x47),         // cutoff
    one(V, Prt, 0x18, 1, Sc, 0x48),         // resonance
    drum(V, Prt, 0x1A, Sg, 0x08, K, 0),     // portamento switch
    drum(V, Prt, 0x1B, Sg, 0x09, K, 0),     // portamento time
    drum(V, Prt, 0x1C, Sg, 0x07, K, 0),     // portamento mode
    one(V, Prt, 0x1E, 1, K, 0),             // output
    one(V, Prt, 0x1F, 1, Source::ReceiveSwitch, 0),
    one(V, Prt, 0x20, 1, K, 0x7F),         // receive switches
    one(V, Prt, 0x21, 1, K, 0x7F),         // receive switches
    one(V, Prt, 0x24, 1, K, 1),            // use voice pan
    one(V, Prt, 0x22, 1, Sc, 0x38),        // amp sustain
    one(V, Prt, 0x23, 1, Sc, 0x49),        // amp attack
    one(V, Prt, 0x25, 1, Sc, 0x37),        // amp decay
    drum(V, Prt, 0x26, Sc, 0x4A, K, 0x40), // amp release
    one(V, Prt, 0x27, 1, K, 0x40),         // filter sustain
    one(V, Prt, 0x28, 1, Sc, 0x39),        // filter attack
    one(V, Prt, 0x2A, 1, Sc, 0x3A),        // filter decay
    one(V, Prt, 0x2B, 1, Sc, 0x3B),        // filter release
    one(V, Prt, 0x2C, 1, Sc, 0x3D),        // filter envelope depth
    one(V, Prt, 0x2E, 2, K, 54),           // EQ low frequency
    one(V, Prt, 0x30, 1, K, 0x40),         // EQ low gain
    one(V, Prt, 0x32, 2, K, 141),          // EQ mid frequency
    one(V, Prt, 0x34, 1, K, 0x40),         // EQ mid gain
    one(V, Prt, 0x35, 1, K, 0),            // EQ mid Q
    one(V, Prt, 0x36, 2, K, 231),          // EQ high frequency
    one(V, Prt, 0x38, 1, K, 0x40),         // EQ high gain

    // Arpeggio.
    one(A, Com, 0x11, 1, K, 0),             // MIDI out switch
    one(A, Com, 0x12, 1, K, 0),             // MIDI out channel
    one(A, Com, 0x14, 2, Sc, 0x14),         // type
    same(A, Com, 0x16, 12, 1, 1, Sc, 0x16), // switch, hold, unit multiply ... quantize
    same(A, Com, 0x22, 9, 2, 2, Sc, 0x22),  // velocity rate ... ARP5

    // System effects.
    same(F, Target::Reverb, 0x00, 17, 2, 2, Source::Reverb, 0x00),
    same(F, Target::Reverb, 0x22, 2, 1, 1, Source::Reverb, 0x22), // return, pan
    same(F, Target::Chorus, 0x00, 17, 2, 2, Source::Chorus, 0x00),
    same(F, Target::Chorus, 0x22, 3, 1, 1, Source::Chorus, 0x22), // return, pan, send to reverb

    // Insertion effects.
    same(I, Target::InsertionA, 0x00, 17, 2, 2, Source::InsertionA, 0x00),
    same(I, Target::InsertionB, 0x00, 17, 2, 2, Source::InsertionB, 0x00),
};

// Rows per step, checked when the table is compiled: 193 with every option.
constexpr int rowCount(Step step)
{
    int n = 0;
    for (const Run& run : CopyRuns)
        n += run.step == step ? run.count : 0;
    return n;
}
static_assert(rowCount(Step::Name) == 12 && rowCount(Step::Voice) == 84 && rowCount(Step::Arpeggio) == 24 &&
              rowCount(Step::SystemEffects) == 39 && rowCount(Step::InsertionEffects) == 34);

constexpr bool isBlock(Source s)
{
    return s >= Source::Common && s <= Source::InsertionB;
}

constexpr int blockIndex(Source s)
{
    return int(s) - int(Source::Common);
}

// The arpeggio switch, the one source byte of the receive-switch row.
constexpr int ArpeggioSwitch = 0x16;
// Bit 19 of the switch word: the insert-effect switch of the A/D input.
constexpr int AdInputSwitch = 0x80000;

const char* const BlockNames[VoiceCopier::SourceBlockCount] = {
    "common", "general", "reverb", "chorus", "insertion effect A", "insertion effect B"};

QString hex6(unsigned int address)
{
    return QStringLiteral("%1").arg(address, 6, 16, QLatin1Char('0')).toUpper();
}

bool stepChosen(Step step, const VoiceCopierInfo& info, int kind)
{
    switch (step) {
    case Step::Name:
        return kind == VoiceCopierInfo::Performance && info.copyname;
    case Step::Voice:
        return info.copyvoice;
    case Step::Arpeggio:
        return info.copyarp;
    case Step::SystemEffects:
        return info.copyfx;
    case Step::InsertionEffects:
        return info.copyinsfx;
    }
    return false;
}

} // namespace

const QList<VoiceCopier::Run>& VoiceCopier::runs()
{
    static const QList<Run> list(CopyRuns.begin(), CopyRuns.end());
    return list;
}

unsigned int VoiceCopier::targetBase(Target target, int kind, int part)
{
    const bool performance = kind == VoiceCopierInfo::Performance;
    switch (target) {
    case Target::Common:
        return performance ? 0x300000 : 0x360000;
    case Target::Reverb:
        return performance ? 0x300100 : 0x360100;
    case Target::Chorus:
        return performance ? 0x300200 : 0x360200;
    case Target::InsertionA:
        return performance ? 0x300300 : 0x360300;
    case Target::InsertionB:
        return performance ? 0x300400 : 0x360400;
    case Target::MasterEq:
        return performance ? 0x301000 : 0x361000;
    case Target::Part:
        return (performance ? 0x310000 : 0x370000) + unsigned(part) * 0x100;
    }
    return 0;
}

unsigned int VoiceCopier::sourceAddress(Source block, bool drum)
{
    static constexpr unsigned int Voice[SourceBlockCount] = {0x407000, 0x400000, 0x400100,
                                                             0x400200, 0x400300, 0x400400};
    static constexpr unsigned int Drum[SourceBlockCount] = {0x467000, 0x460000, 0x460100,
                                                            0x460200, 0x460300, 0x460400};
    if (!isBlock(block))
        return 0xFFFFFFFF;
    return (drum ? Drum : Voice)[blockIndex(block)];
}

int VoiceCopier::requiredBytes(Source block, bool drum)
{
    int need = 0;
    for (const Run& run : CopyRuns) {
        const Source source = drum ? run.drumSource : run.source;
        const int argument = drum ? run.drumArgument : run.argument;
        if (source == block && isBlock(block))
            need = std::max(need, argument + (run.count - 1) * run.stride + run.size);
    }
    if (block == Source::Common)
        need = std::max(need, ArpeggioSwitch + 1);
    return need;
}

bool VoiceCopier::changes(const BulkDump& dump, const VoiceCopierInfo& info, int kind, bool drum,
                          QList<Change>& out, QString* error)
{
    out.clear();
    auto refuse = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };

    // A part outside the destination's list would address a block past the
    // parts and set a switch bit that belongs to no part.
    const int parts = VoiceCopierInfo::partCount(kind);
    if (info.part < 0 || info.part >= parts)
        return refuse(
            QStringLiteral("The voice cannot be copied: part %1 does not exist (the parts are 1 to %2).")
                .arg(info.part + 1)
                .arg(parts));

    const Sysex* blocks[SourceBlockCount] = {};
    for (int b = 0; b < SourceBlockCount; ++b) {
        const Source block = Source(int(Source::Common) + b);
        const unsigned int address = sourceAddress(block, drum);
        blocks[b] = dump.getSysex(address);
        if (!blocks[b])
            return refuse(QStringLiteral("The voice cannot be copied: its dump lacks the %1 block (%2).")
                              .arg(QLatin1String(BlockNames[b]), hex6(address)));
        // A byte missing from a block would go out as 0x7F.
        const int need = requiredBytes(block, drum);
        if (blocks[b]->dataSize() < need)
            return refuse(
                QStringLiteral("The voice cannot be copied: its %1 block (%2) is short, %3 of %4 bytes.")
                    .arg(QLatin1String(BlockNames[b]), hex6(address))
                    .arg(blocks[b]->dataSize())
                    .arg(need));
    }

    auto byteOf = [&blocks](Source block, int offset) { return blocks[blockIndex(block)]->dataAt(offset); };
    for (const Run& run : CopyRuns) {
        if (!stepChosen(run.step, info, kind))
            continue;
        const Source source = drum ? run.drumSource : run.source;
        const int argument = drum ? run.drumArgument : run.argument;
        const unsigned int base = targetBase(run.target, kind, info.part);
        for (int i = 0; i < run.count; ++i) {
            const int at = argument + i * run.stride;
            int value = 0;
            switch (source) {
            case Source::Constant:
                value = argument;
                break;
            case Source::BankMsb:
                value = info.voice.bank.msb;
                break;
            case Source::BankLsb:
                value = info.voice.bank.lsb;
                break;
            case Source::Program:
                value = info.voice.program;
                break;
            case Source::SwitchWord:
                value = (1 << info.part) | (info.copyinsfx ? AdInputSwitch : 0);
                break;
            case Source::ReceiveSwitch:
                value = (byteOf(Source::Common, ArpeggioSwitch) * 2) | 0x7D;
                break;
            default:
                // The two bytes of a pair travel unchanged, 7 bits each.
                value =
                    run.size == 2 ? byteOf(source, at) * 128 + byteOf(source, at + 1) : byteOf(source, at);
                break;
            }
            out.append(Change{base + run.offset + unsigned(i * run.stride), run.size, value});
        }
    }
    return true;
}

bool VoiceCopier::copy(MidiDevice* device, const BulkDump& dump, const VoiceCopierInfo& info, int kind,
                       bool drum, QString* error)
{
    QList<Change> list;
    if (!device || !changes(dump, info, kind, drum, list, error))
        return false;
    for (const Change& c : list)
        device->paramChange(MidiParam(c.address, c.size, false, false), c.value);
    return true;
}

// --- The instrument's members ------------------------------------------------------

bool Vesk::CopyVoiceES(BulkDump* dump, VoiceCopierInfo* info, int kind, QString* error)
{
    if (!dump || !info)
        return false;
    const bool drum = isDrumBank(info->voice.bank.word());
    return VoiceCopier::copy(this, *dump, *info, kind, drum, error);
}

bool Vesk::CopyDrumES(BulkDump* dump, VoiceCopierInfo* info, int kind, QString* error)
{
    if (!dump || !info)
        return false;
    const bool voice = isVoiceBank(info->voice.bank.word());
    return VoiceCopier::copy(this, *dump, *info, kind, !voice, error);
}
