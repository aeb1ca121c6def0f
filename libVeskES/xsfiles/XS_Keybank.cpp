// The keybank record: see XS_Keybank.h.
#include "XS_Keybank.h"

#include "Archive.h"
#include "AudioPort.h"
#include "MidiTypes.h"
#include "Patch.h"
#include "Sample.h"
#include "VarArgs.h"

#include <algorithm>
#include <cmath>

namespace {

const char* const FormatNames[] = {"16bit", "12bit", "8bit", "LPC", "WXC"};
const char* const PlayModeNames[] = {"loop", "one shot", "reverse"};

// The whole-Hz rate the record holds: fraction dropped, kept inside 32 bits.
quint32 wholeRate(double rate)
{
    if (!(rate > 0.0))
        return 0;
    if (rate >= 4294967295.0)
        return 0xFFFFFFFFu;
    return quint32(rate);
}

} // namespace

XS_Keybank::XS_Keybank()
{
    reset();
}

void XS_Keybank::reset()
{
    note_lo = 0;
    note_hi = 127;
    velo_lo = 1;
    velo_hi = 127;
    volume = 127;
    pan = 64;
    pitch_fixed = 0;
    note_center = 60;
    tune_coarse = 64;
    tune_fine = 64;
    loop_tune = 0;
    loop_fraction = 0;
    play_mode = 1;
    LPC_coef = 0;
    pitch_up_limit = 0;
    WXC_wave_loop = 0;
    dummy_FF = 0xFF;
    WXC_z1 = WXC_z2 = WXC_z3 = 0;
    WXC_coef1 = WXC_coef2 = WXC_coef3 = 0;
    sample_start = loop_start = loop_end = sample_length = 0;
    wave_start_L = wave_start_R = reserve_L = reserve_R = 0;
    m_format = Format16Bit;
    left.reset();
    right.reset();
}

bool XS_Keybank::setBits(int depth)
{
    if (!SupportedBits(depth))
        return false;
    bits = depth;
    m_format = depth == 16 ? Format16Bit : Format8Bit;
    return true;
}

void XS_Keybank::setFormat(Format format)
{
    m_format = format;
    bits = format == Format12Bit ? 12 : (format == Format8Bit || format == FormatLPC ? 8 : 16);
}

int XS_Keybank::sampleLength() const
{
    const int frame = frameSize();
    return frame > 0 ? sampleSize() / frame : 0;
}

void XS_Keybank::validateKeybank()
{
    sample_length = quint32(sampleLength());
    if (loop_end == 0)
        loop_end = sample_length;
    wave_start_L = WaveStartL;
    reserve_L = ReserveL;
    if (!right.isEmpty()) {
        const int frame = frameSize();
        wave_start_R = wave_start_L + quint32(frame > 0 ? left.size() / frame : 0);
        reserve_R = reserve_L + 0x20;
    } else {
        wave_start_R = 0;
        reserve_R = 0xFFFFFFFF;
    }
    const quint32 low = 0;
    Limit<quint32>(sample_start, low, sample_length);
    Limit<quint32>(loop_start, low, sample_length);
    Limit<quint32>(loop_end, low, sample_length);
}

// --- the record ------------------------------------------------------------------------

void XS_Keybank::loadWFM(Archive& archive)
{
    note_lo = quint8(archive.readBYTE());
    note_hi = quint8(archive.readBYTE());
    velo_lo = quint8(archive.readBYTE());
    velo_hi = quint8(archive.readBYTE());
    volume = quint8(archive.readBYTE());
    pan = quint8(archive.readBYTE());
    archive.readBYTE(); // reserved
    pitch_fixed = quint8(archive.readBYTE());
    note_center = quint8(archive.readBYTE());
    tune_coarse = quint8(archive.readBYTE());
    tune_fine = quint8(archive.readBYTE());
    channels = archive.readBYTE();
    loop_tune = quint8(archive.readBYTE());
    loop_fraction = quint8(archive.readBYTE());
    setFormat(Format(archive.readBYTE()));
    play_mode = quint8(archive.readBYTE());
    LPC_coef = quint8(archive.readBYTE());
    pitch_up_limit = quint8(archive.readBYTE());
    WXC_wave_loop = quint8(archive.readBYTE());
    dummy_FF = quint8(archive.readBYTE());
    WXC_z1 = archive.readWORD();
    WXC_z2 = archive.readWORD();
    WXC_z3 = archive.readWORD();
    WXC_coef1 = archive.readWORD();
    WXC_coef2 = archive.readWORD();
    WXC_coef3 = archive.readWORD();
    rate = double(archive.readValueR(4));
    sample_start = archive.readValueR(4);
    loop_start = archive.readValueR(4);
    loop_end = archive.readValueR(4);
    sample_length = archive.readValueR(4);
    wave_start_L = archive.readValueR(4);
    wave_start_R = archive.readValueR(4);
    reserve_L = archive.readValueR(4);
    reserve_R = archive.readValueR(4);
}

void XS_Keybank::storeWFM(Archive& archive) const
{
    // The count that tells a reader whether a right block follows: at least
    // 2 over right channel data, as read otherwise.
    const int count = hasRightBlock() ? std::clamp(channels, 2, 255) : std::clamp(channels, 0, 255);
    for (int byte : {int(note_lo), int(note_hi), int(velo_lo), int(velo_hi), int(volume), int(pan), 0,
                     int(pitch_fixed), int(note_center), int(tune_coarse), int(tune_fine), count,
                     int(loop_tune), int(loop_fraction), int(m_format) & 0xFF, int(play_mode), int(LPC_coef),
                     int(pitch_up_limit), int(WXC_wave_loop), int(dummy_FF)})
        archive.writeBYTE(byte);
    for (quint16 word : {WXC_z1, WXC_z2, WXC_z3, WXC_coef1, WXC_coef2, WXC_coef3})
        archive.writeWORD(word);
    archive.writeValueR(wholeRate(rate), 4);
    for (quint32 value : {sample_start, loop_start, loop_end, sample_length, wave_start_L, wave_start_R, reserve_L,
                          reserve_R})
        archive.writeValueR(value, 4);
}

// --- the sample data -------------------------------------------------------------------

bool XS_Keybank::loadWIM(Archive& archive)
{
    if (!archive.readBuffer(left))
        return false;
    if (channels > 1)
        return archive.readBuffer(right);
    return true;
}

void XS_Keybank::storeWIM(Archive& archive) const
{
    archive.writeBuffer(left);
    if (hasRightBlock())
        archive.writeBuffer(right);
}

bool XS_Keybank::fromArchive(Archive& archive)
{
    loadWFM(archive);
    return loadWIM(archive) && archive.ok();
}

void XS_Keybank::toArchive(Archive& archive) const
{
    storeWFM(archive);
    storeWIM(archive);
}

// --- texts -----------------------------------------------------------------------------

bool XS_Keybank::play(AudioDevice* device)
{
    if (!device || isCompressed())
        return false;
    AudioOutPort* out = device->out();
    if (out->isOpened()) {
        out->stop();
        return true;
    }
    if (play_mode == 0)
        return out->play(*this, int(sample_start), int(loop_start), int(loop_end));
    return out->play(*this, 0, -1, -1);
}

QString XS_Keybank::printPlayMode() const
{
    if (play_mode < std::size(PlayModeNames))
        return QLatin1String(PlayModeNames[play_mode]);
    return VarArgs::format(QStringLiteral("%d"), int(play_mode));
}

QString XS_Keybank::printFormat() const
{
    if (m_format >= 0 && m_format < int(std::size(FormatNames)))
        return QLatin1String(FormatNames[m_format]);
    return VarArgs::format(QStringLiteral("%d"), int(m_format));
}

QString XS_Keybank::printMonoStereo() const
{
    if (channels == 1)
        return QStringLiteral("mono");
    if (channels == 2)
        return QStringLiteral("stereo");
    return VarArgs::format(QStringLiteral("%d"), channels);
}

QString XS_Keybank::printType() const
{
    return VarArgs::format(QStringLiteral("%d Hz  %s  %s"), rate, printFormat(), printMonoStereo());
}

QString XS_Keybank::toString() const
{
    QString text = printType() + QLatin1Char('\n');
    text += VarArgs::format(QStringLiteral("frame_size: %d\n"), frameSize());
    text += VarArgs::format(QStringLiteral("sample_start: %d\n"), sample_start);
    text += VarArgs::format(QStringLiteral("loop_start: %d\n"), loop_start);
    text += VarArgs::format(QStringLiteral("loop_end: %d\n"), loop_end);
    text += VarArgs::format(QStringLiteral("L size: %d (%s)\n"), left.size(), left.toString(8));
    text += VarArgs::format(QStringLiteral("R size: %d (%s)\n"), right.size(), right.toString(8));
    text += VarArgs::format(QStringLiteral("sample_length: %d\n"), sample_length);
    text += VarArgs::format(QStringLiteral("calc_sample_length: %d\n"), sampleLength());
    text += VarArgs::format(QStringLiteral("Check: %d\n"), sample_length - quint32(sampleLength()));
    return text;
}

QString XS_Keybank::info() const
{
    QString text = toString() + QStringLiteral("\n\n");
    const auto line = [&text](const char* name, unsigned int value) {
        text += VarArgs::format(QStringLiteral("%s: %d\n"), QString::fromLatin1(name), value);
    };
    const auto address = [&text](const char* name, quint32 value) {
        text += VarArgs::format(QStringLiteral("%s: %d %08X\n"), QString::fromLatin1(name), value, value);
    };
    line("note_lo", note_lo);
    line("note_hi", note_hi);
    line("velo_lo", velo_lo);
    line("velo_hi", velo_hi);
    line("volume", volume);
    line("pan", pan);
    line("pitch_fixed", pitch_fixed);
    text += VarArgs::format(QStringLiteral("note_center: %d %s\n"), unsigned(note_center), Note::name(note_center));
    line("tune_coarse", tune_coarse);
    line("tune_fine", tune_fine);
    line("channels", unsigned(channels));
    line("loop_tune", loop_tune);
    line("loop_fraction", loop_fraction);
    line("format", unsigned(m_format));
    line("play_mode", play_mode);
    line("LPC_coef", LPC_coef);
    line("pitch_up_limit", pitch_up_limit);
    line("WXC_wave_loop", WXC_wave_loop);
    line("dummy_FF", dummy_FF);
    line("WXC_z1", WXC_z1);
    line("WXC_z2", WXC_z2);
    line("WXC_z3", WXC_z3);
    line("WXC_coef1", WXC_coef1);
    line("WXC_coef2", WXC_coef2);
    line("WXC_coef3", WXC_coef3);
    text += VarArgs::format(QStringLiteral("sample_rate: %d\n"), rate);
    line("sample_start", sample_start);
    line("loop_start", loop_start);
    line("loop_end", loop_end);
    line("sample_length", sample_length);
    line("calc_sample_length", unsigned(sampleLength()));
    const int width = bytesPerSample();
    line("## calc_sample_length_L", unsigned(width > 0 ? left.size() / width : 0));
    line("## calc_sample_length_R", unsigned(width > 0 ? right.size() / width : 0));
    address("wave_start_L", wave_start_L);
    address("wave_start_R", wave_start_R);
    address("reserve_L", reserve_L);
    address("reserve_R", reserve_R);
    return text;
}

// --- samples ---------------------------------------------------------------------------

bool XS_Keybank::fromSample(const Sample& sample)
{
    reset();
    if (!SupportedBits(sample.bits))
        return false;
    if (sample.loopMode != Sample::LoopOff) {
        play_mode = 0;
        loop_start = quint32(sample.loopStart);
        loop_end = quint32(sample.loopEnd);
    } else {
        play_mode = 1;
    }
    note_center = quint8(sample.rootKey);
    note_hi = quint8(sample.keyHigh);
    note_lo = quint8(sample.keyLow);
    velo_hi = quint8(sample.velocityHigh);
    velo_lo = quint8(sample.velocityLow) == 0 ? 1 : quint8(sample.velocityLow);
    volume = quint8(sample.volume);
    pan = quint8(sample.pan);
    tune_coarse = quint8(sample.coarseTune);
    tune_fine = quint8(sample.fineTune);
    rate = sample.rate;
    channels = sample.channels;
    setBits(sample.bits);
    left = sample.left;
    right = sample.right;
    validateKeybank();
    return true;
}

void XS_Keybank::toSample(Sample& sample) const
{
    sample.rate = rate;
    sample.bits = bits;
    sample.channels = channels;
    sample.left = left;
    sample.right = right;
    sample.rootKey = note_center;
    sample.keyHigh = note_hi;
    sample.keyLow = note_lo;
    sample.velocityHigh = velo_hi;
    sample.velocityLow = velo_lo;
    sample.volume = volume;
    sample.pan = pan;
    switch (play_mode) {
    case 0:
        sample.loopMode = Sample::LoopForward;
        break;
    case 1:
        sample.loopMode = Sample::LoopOff;
        break;
    case 2:
        sample.loopMode = Sample::LoopKeybank;
        break;
    default:
        break;
    }
    sample.startOffset = int(sample_start);
    sample.loopStart = int(loop_start);
    sample.loopEnd = int(loop_end);
    sample.coarseTune = tune_coarse;
    sample.fineTune = tune_fine;
}

bool XS_Keybank::exportKeybank(const QString& path) const
{
    Sample sample;
    toSample(sample);
    return sample.toFile(path);
}
