// One keybank of a waveform: a sample zone as the XS-family instruments store
// it, a fixed 68-byte record plus the sample data of one or two channels.
//
// The record (the reader loadWFM and the writer storeWFM agree on every
// byte; BE most significant byte first, LE least significant first):
//   0  note_lo      1  note_hi      2  velo_lo      3  velo_hi
//   4  volume       5  pan          6  reserved (written 0)
//   7  pitch_fixed  8  note_center  9  tune_coarse  10 tune_fine
//   11 channels     12 loop_tune    13 loop_fraction
//   14 format       15 play_mode    16 LPC_coef     17 pitch_up_limit
//   18 WXC_wave_loop                19 dummy_FF
//   20 WXC_z1 .. 30 WXC_coef3       six 16-bit BE words
//   32 sample rate, whole Hz        32-bit LE
//   36 sample_start, loop_start, loop_end, sample_length,
//      wave_start_L, wave_start_R, reserve_L, reserve_R   eight 32-bit LE
// The sample data (loadWIM, storeWIM): the left channel as a 32-bit BE byte
// count and the bytes, then for a stereo keybank the right channel the same
// way; the bytes are the channel buffers exactly as held (little-endian
// samples, 8-bit ones unsigned), so a keybank read from a file writes back
// the same bytes.
//
// Readers keep every value as read; only validateKeybank() recomputes the
// derived fields (length, addresses, clamped points). A record says whether a
// right block follows by its channel count, and the writer puts the count it
// writes in step with the block it writes, so a file written here always
// reads back as written.
//
// The instrument plays 16-bit and 8-bit data; 12-bit data (format 1) are kept
// and written back as read but no sample of another depth is taken in
// (setBits and SupportedBits refuse it), since a record whose format byte
// says 16 bits over 24-bit samples is a corrupt file for the instrument.
#pragma once

#include "AudioWave.h"
#include "Buffer.h"

#include <QString>

class Archive;
class AudioDevice;
class Sample;

class XS_Keybank : public AudioWave
{
public:
    // The record's format byte.
    enum Format : int
    {
        Format16Bit = 0,
        Format12Bit = 1,
        Format8Bit = 2,
        FormatLPC = 3, // compressed
        FormatWXC = 4  // compressed
    };
    static constexpr int RecordSize = 68;
    // The addresses that validation gives the sample memory.
    static constexpr quint32 WaveStartL = 0x40000000;
    static constexpr quint32 ReserveL = 0xC00A9A34;

    XS_Keybank();

    // The record, in record order.
    quint8 note_lo;
    quint8 note_hi;
    quint8 velo_lo;
    quint8 velo_hi;
    quint8 volume;
    quint8 pan;
    quint8 pitch_fixed;
    quint8 note_center;
    quint8 tune_coarse;
    quint8 tune_fine;
    quint8 loop_tune;
    quint8 loop_fraction;
    quint8 play_mode; // 0 loop, 1 one shot, 2 reverse
    quint8 LPC_coef;
    quint8 pitch_up_limit;
    quint8 WXC_wave_loop;
    quint8 dummy_FF;
    quint16 WXC_z1;
    quint16 WXC_z2;
    quint16 WXC_z3;
    quint16 WXC_coef1;
    quint16 WXC_coef2;
    quint16 WXC_coef3;
    quint32 sample_start;
    quint32 loop_start;
    quint32 loop_end;
    quint32 sample_length;
    quint32 wave_start_L;
    quint32 wave_start_R;
    quint32 reserve_L;
    quint32 reserve_R;

    // The sample data and its format come from the wave: frames a second,
    // bits a sample (whole bytes of bits / 8 each here), channels, and one
    // buffer a channel (right empty when mono).

    // Every record field to its default, format 16-bit (bits stay), both
    // buffers empty.
    void reset();
    // 16 and 8 bits set the format to match. Any other depth is refused:
    // false, nothing changed.
    bool setBits(int depth);
    // Also sets the bit depth the format stands for.
    void setFormat(Format format);
    Format getFormat() const { return m_format; }
    // Whether samples of that depth can become a keybank.
    static bool SupportedBits(int depth) { return depth == 8 || depth == 16; }
    bool isCompressed() const { return m_format > Format8Bit; }

    int bytesPerSample() const { return bits / 8; }
    int frameSize() const { return bytesPerSample() * channels; }
    // Bytes of sample data of both channels.
    int sampleSize() const { return left.size() + right.size(); }
    // Frames of sample data; 0 when the frame size is 0.
    int sampleLength() const;
    // Whether the sample data hold a right block: a right channel, or a
    // channel count above 1.
    bool hasRightBlock() const { return !right.isEmpty() || channels > 1; }

    // Length, loop end when 0, the four addresses, and the points clamped
    // into the sample.
    void validateKeybank();

    // Becomes the sample's zone: reset, loop or one shot, keys, velocities
    // (a lowest velocity of 0 becomes 1), level, pan, tuning, the format and
    // both buffers, then validateKeybank. The sample's start offset is not
    // taken. A depth other than 8 or 16 bits is refused: false, and the
    // keybank is left reset without data.
    bool fromSample(const Sample& sample);
    // The format, data, zone, loop and tuning into the sample; a play mode
    // other than 0, 1 and 2 leaves its loop mode as it was.
    void toSample(Sample& sample) const;
    // The keybank as a WAV or AIFF file, by the path's extension; false when
    // it was not written.
    bool exportKeybank(const QString& path) const;

    // Starts or stops the keybank on the device's output port. While the
    // port plays (this or anything else) it is stopped and nothing starts:
    // true. Otherwise a loop keybank plays from its start with its loop, any
    // other (one shot, reverse) forwards once through. False for a
    // compressed keybank, which cannot be played, or when the port refuses
    // the wave.
    bool play(AudioDevice* device);

    // Exactly 68 bytes at the archive's position.
    void loadWFM(Archive& archive);
    void storeWFM(Archive& archive) const;
    // False when the archive holds fewer bytes than a count says; the buffer
    // is then empty and the archive failed.
    bool loadWIM(Archive& archive);
    void storeWIM(Archive& archive) const;
    // The record, then the sample data.
    bool fromArchive(Archive& archive);
    void toArchive(Archive& archive) const;

    QString printPlayMode() const;
    QString printFormat() const;
    QString printMonoStereo() const;
    QString printType() const;
    QString toString() const;
    QString info() const;

private:
    Format m_format = Format16Bit;
};
