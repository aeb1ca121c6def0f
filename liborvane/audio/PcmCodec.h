// Conversions between the interleaved PCM frames of a file and the separate
// little-endian channels of a wave, straight from and to an Archive.
//
// Files hold frames of one or two samples side by side, each sample 1 to 4
// bytes wide, little-endian (WAV) or big-endian two's complement (AIFF); 8-bit
// samples are excess-128 in a WAV file and two's complement in an AIFF file.
// A wave keeps one buffer per channel, little-endian, 8-bit samples
// excess-128.
//
// Frames pass through a small block, never through a second copy of the whole
// sound: reading touches the memory of the wave alone, and writing needs no
// memory beyond the block. Only whole frames are read or written.
#pragma once

#include <QtGlobal>

class Archive;
class AudioWave;
class Buffer;

namespace PcmCodec {

struct Layout
{
    int width = 2;          // bytes per sample, 1..4
    int channels = 1;       // 1 or 2
    bool bigEndian = false; // the file's samples are big-endian
    bool flipSign = false;  // 8-bit only: the file's samples are two's complement
};

// Reads the whole frames of the next length bytes of ar (no more than it has
// left) into the wave's channels, in the wave's format: AIFF frames when aiff
// is set, WAV frames otherwise. False, with the wave emptied, when the format
// cannot be held or the archive fails.
bool readFrames(Archive& ar, qint64 length, AudioWave& wave, bool aiff);

// The byte count writeFrames writes: every frame of channel 0, or 0 for a
// format that cannot be stored.
qint64 framesSize(const AudioWave& wave);

// Writes the wave's frames interleaved, AIFF or WAV; a right channel shorter
// than the left is completed with silence.
void writeFrames(Archive& ar, const AudioWave& wave, bool aiff);

// Makes buffer n bytes long without clearing them, for a caller that writes
// every byte; large buffers ask the system for huge pages.
void allocateUnset(Buffer& buffer, int n);

} // namespace PcmCodec
