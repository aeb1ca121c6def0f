// The device's modes, its program change, what it makes of incoming messages,
// and the few system settings it reads or writes.
#include "Vesk.h"

#include "DeviceBank.h"
#include "MidiMessage.h"
#include "Timing.h"
#include "VeskSysex.h"

#include <iterator>

namespace {

const char* const ModeNames[] = {"Voice", "Performance", "Pattern", "Song", "Master"};

enum Mode
{
    ModeVoice = 0,
    ModePerformance = 1,
    ModeSong = 3,
    ModeMaster = 4
};

// The instrument needs this long to switch modes before it answers requests
// for a patch of the new mode.
constexpr int ModeSwitchMs = 350;
constexpr int ReceiveChannelTimeoutMs = 500;

// Mixing part volume: byte 0x0D of the part's block; PLG parts 16-18 have
// their blocks at 0x376000-0x376200.
constexpr unsigned int PartVolumeBase = 0x37000D;
constexpr unsigned int PlgPartVolumeBase = 0x37500D;

MidiParam oneByte(unsigned int address)
{
    return MidiParam(address, 1, false, false);
}

} // namespace

// --- modes ---------------------------------------------------------------------------

QString Vesk::modeName(int mode)
{
    if (mode < 0 || mode >= int(std::size(ModeNames)))
        return QString();
    return QString::fromLatin1(ModeNames[mode]);
}

bool Vesk::isMixMode(int mode)
{
    return mode == 2 || mode == 3 || mode == 5;
}

void Vesk::setMode(int mode)
{
    m_mode = mode;
    paramChange(oneByte(ModeAddress), mode);
    Sleep(ModeSwitchMs);
}

int Vesk::syncGetMode(int timeoutMs)
{
    return syncParamRequest(oneByte(ModeAddress), timeoutMs);
}

void Vesk::setModeByType(int bankType)
{
    int target = -1;
    switch (bankType) {
    case VeskDump::TypeVoice:
    case VeskDump::TypeDrum:
    case VeskDump::TypePLG:
        target = ModeVoice;
        break;
    case VeskDump::TypePerformance:
        target = ModePerformance;
        break;
    case VeskDump::TypeMix:
        target = ModeSong;
        break;
    case VeskDump::TypeMaster:
        target = ModeMaster;
        break;
    default:
        return;
    }
    if (target != m_mode.load())
        setMode(target);
}

void Vesk::setModeByBank(unsigned short bank)
{
    // Mixing voices belong to a song's mix: song mode is sent even when the
    // instrument is in it already.
    if (isMixVoiceBank(bank)) {
        setMode(ModeSong);
        return;
    }
    setModeByType(bankType(bank));
}

// --- program change --------------------------------------------------------------------

void Vesk::patchChange(Patch patch, int channel)
{
    const unsigned short bank = patch.bank.word();
    if (bank == MasterBank) {
        if (!patch.isValid())
            return;
        // Straight to the port, so with device number 0 whatever number is
        // configured, unseen by the never-send list and not echoed: this is
        // how the instrument takes a master selection.
        VeskSysex message;
        message.prepareParameterChange(oneByte(MasterSelectAddress), patch.program);
        m_midiOut.sendSysex(&message);
        return;
    }
    if (bank == MultiBank) {
        if (patch.isValid())
            m_midiOut.songSelect(patch.program);
        return;
    }
    MidiDevice::patchChange(patch, channel);
}

void Vesk::patchChangeByType(int type)
{
    QString set;
    if (type == VeskDump::TypeVoice)
        set = QStringLiteral("VOICES_USER");
    else if (type == VeskDump::TypeDrum)
        set = QStringLiteral("DRUMS_USER");
    else
        return;
    patchChange(BankSet(this, set).firstPatch());
}

// --- incoming messages -------------------------------------------------------------------

void Vesk::OnSysex(Sysex* message, MidiSource source)
{
    if (!message)
        return;
    // An empty bulk dump at these addresses carries no value to take.
    if (message->hasData() && message->dataSize() > 0) {
        if (message->address() == ModeAddress)
            m_mode = message->dataAt(0);
        else if (message->address() == MasterSelectAddress)
            OnPatchChange(Patch(MasterBank, message->dataAt(0)), source);
    }
    // The auxiliary input is another player's keyboard or controller: its
    // parameter changes edit the instrument, its dumps are none of ours.
    if (source == SourceAux && message->type() != VeskSysex::KindParameterChange)
        return;
    MidiDevice::OnSysex(message, source);
}

void Vesk::OnMidiMessage(const MidiMessage& message, MidiSource source)
{
    if (message.isSongSelect() && source != SourceAux)
        OnPatchChange(Patch(MultiBank, int(message.data1)), source);
    MidiDevice::OnMidiMessage(message, source);
}

void Vesk::OnPatchChange(Patch patch, MidiSource source)
{
    MidiDevice::OnPatchChange(patch, source);
}

// --- system settings ---------------------------------------------------------------------

void Vesk::updateRcvChannel()
{
    const int answer = syncParamRequest(oneByte(ReceiveChannelAddress), ReceiveChannelTimeoutMs);
    // No answer (-1) and values above 15 give channel 0.
    m_channel = unsigned(answer) > 15 ? 0 : answer;
}

void Vesk::setLocalOn(bool on)
{
    paramChange(oneByte(LocalControlAddress), on ? 1 : 0);
}

void Vesk::setPartVolume(int part, int volume)
{
    if (volume == -1 || part < 0 || part >= m_parts.size())
        return;
    const unsigned int base = part < 16 ? PartVolumeBase : PlgPartVolumeBase;
    paramChange(oneByte(base + (unsigned(part) << 8)), volume);
}

void Vesk::resetMixVoices()
{
    for (int program = 0; program < 16; ++program)
        updateUserPatchName(Patch(MixVoiceBank, program), QStringLiteral("--"));
}
