// Block conversions between the interleaved PCM frames of a file and the
// separate little-endian channel arrays of a wave.
//
// Files hold frames of one or two samples side by side, each sample 1 to 4
// bytes wide, little-endian (WAV) or big-endian (AIFF); 8-bit samples are
// excess-128 in a WAV file and two's complement in an AIFF file. A wave keeps
// one array per channel, little-endian, 8-bit samples excess-128. Whole frames
// are converted in one pass: the caller has already cut the data to whole
// frames, so nothing here reads or writes past the arrays it is given.
#pragma once

namespace PcmCodec {

struct Layout
{
    int width = 2;           // bytes per sample, 1..4
    int channels = 1;        // 1 or 2
    bool bigEndian = false;  // the file's samples are big-endian
    bool flipSign = false;   // 8-bit only: the file's samples are two's complement
};

// Splits frames interleaved frames of src into left and, for two channels,
// right; each receives frames * width bytes.
void split(const unsigned char* src, int frames, const Layout& layout, unsigned char* left,
           unsigned char* right);

// The reverse of split: writes frames interleaved frames to dst from left and,
// for two channels, right.
void join(const unsigned char* left, const unsigned char* right, int frames, const Layout& layout,
          unsigned char* dst);

} // namespace PcmCodec
