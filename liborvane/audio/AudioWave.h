// Linear PCM in memory: the format (rate, sample width, channel count) and a
// wave of at most two channels, each in its own byte buffer.
//
// Layout every operation relies on: channels are stored separately, never
// interleaved; sample i of a channel takes bytes [i * bytes(), (i + 1) *
// bytes()) of its buffer, little-endian; 8-bit samples are excess-128 (silence
// is 0x80), wider ones two's complement. A point value (getPoint, setPoint) is
// always signed, in [-MaxInt(bytes()) / 2, MaxInt(bytes()) / 2 - 1].
//
// A sample takes whole bytes: 12-bit data is held in two bytes and 20-bit data
// in three, left-justified as the files store it, so bytes() rounds up. The
// formats a wave can hold are one or two channels of 8 to 32 bits
// (isSupported()); the readers refuse anything else instead of guessing.
//
// Editing and signal processing work on one channel at a time. Positions out
// of range never touch memory outside the buffers: reads there give 0, writes
// are dropped. Out-of-range values are clipped to the sample range. Runs on
// the caller's thread; nothing here throws.
#pragma once

#include "Buffer.h"

#include <QString>

#include <algorithm>

class AudioFormat
{
public:
    AudioFormat() = default;

    double rate = 44100.0; // frames per second
    int bits = 16;         // bits per sample
    int channels = 1;      // 1 = mono, 2 = stereo

    // Bytes per sample: bits rounded up to whole bytes; 0 for no bits.
    int bytes() const { return bits > 0 ? (bits + 7) / 8 : 0; }
    int frameSize() const { return bytes() * channels; }
    int byteRate() const;
    // True except for 8-bit data, which is stored excess-128.
    bool isSigned() const { return bytes() != 1; }
    // One or two channels of 8 to 32 bits: what a wave can hold and the
    // writers can store.
    bool isSupported() const;

    QString printMonoStereo() const; // "mono", "stereo" or the channel count
    QString toString() const;        // "44.1kHz 16bit mono"
};

class AudioWave : public AudioFormat
{
public:
    AudioWave() = default;

    Buffer left;  // channel 0
    Buffer right; // channel 1: empty for mono, as long as left for stereo

    // Empties both channels; the format stays.
    void reset();

    Buffer& getChannel(int ch) { return ch == 0 ? left : right; }
    const Buffer& getChannel(int ch) const { return ch == 0 ? left : right; }

    int ridevSize() const { return left.size() + right.size(); }
    int sampleLength() const;      // frames
    int channelLength(int ch) const; // samples of one channel
    bool isValid() const { return !left.isEmpty(); }
    bool isMono() const { return channels == 1; }
    bool isPointValid(int i) const { return i >= 0 && i < sampleLength(); }

    // Point access. getPoint gives 0 for a sample not wholly inside the
    // channel; setPoint drops a write outside it and clips the value.
    int getPoint(int ch, int i) const;
    float getPointF(int ch, int i) const; // full scale just inside +-1.0
    void setPoint(int ch, int i, int v);
    void adjustPoint(int ch, int i, double factor); // product truncated toward zero
    void mergePoint(int ch, int i, int v);          // adds v
    void getRange(int& low, int& high) const;

    // Edit operations, positions in samples of one channel.
    Buffer copy(int ch, int start, int end) const; // bytes of samples [start, end)
    void cut(int ch, int start, int end);          // removes [start, end)
    void paste(int ch, const Buffer& data, int pos); // inserts data before sample pos
    void reverse(int ch, int start, int end);        // [start, end) plays backwards
    void pingpong(int ch, int start, int end);       // appends [start, end) mirrored after it

    // Signal processing.
    void normalize(int ch, double ratio);
    void fadeIn(double hardness, int ch, int start, int end);
    void fadeOut(double hardness, int ch, int start, int end);
    void crossfade(double hardness, double ratio, int ch, int loop, int end);

    // Conversions from interleaved file data in the format set beforehand:
    // little-endian as stored (fromPCM, fromSF2) or big-endian two's
    // complement (fromAIFF). Only whole frames are taken: a trailing part
    // frame is dropped. False, and the wave emptied, when the format is not
    // supported.
    bool fromPCM(const Buffer& pcm);
    bool fromAIFF(const Buffer& data);
    bool fromSF2(const Buffer& data) { return fromPCM(data); }
    // Interleaved little-endian frames, 8-bit data excess-128, as a WAV file
    // holds them; empty when the format is not supported.
    Buffer toPCM() const;
    // Interleaved big-endian two's complement frames, as an AIFF file holds
    // them; empty when the format is not supported.
    Buffer toAIFFData() const;

    // Loads a WAV or AIFF file (by its header, not its name). Any other file
    // leaves the wave as it was; one that fails to load leaves an empty wave.
    void fromFile(const QString& path);

private:
    // The point stored at byte offset at of the channel; 0 when it is not
    // wholly inside.
    qint64 pointAt(const Buffer& channel, qint64 at) const;
    void storePoint(Buffer& channel, qint64 at, qint64 value);
};

// The fade shape at x of [0, length): rising from 0 toward 1, or falling from
// 1 toward 0; hardness 1 gives a straight line.
double curve(double x, double length, double hardness, bool rising);

// Reverses a list in place.
template <class List>
void ReverseList(List& list)
{
    std::reverse(list.begin(), list.end());
}
