#include "PcmCodec.h"

#include <cstring>

namespace {

// One sample of W bytes from a file's byte order into the wave's (or back:
// the conversion is its own inverse).
template <int W, bool BigEndian, bool Flip>
inline void convertSample(const unsigned char* from, unsigned char* to)
{
    for (int k = 0; k < W; ++k)
        to[k] = from[BigEndian ? W - 1 - k : k];
    if constexpr (Flip)
        to[0] ^= 0x80;
}

// Interleaved file frames to separate channels.
template <int W, bool BigEndian, bool Flip>
void splitFrames(const unsigned char* src, int frames, int channels, unsigned char* left, unsigned char* right)
{
    if (channels == 1) {
        if constexpr (!BigEndian && !Flip) {
            std::memcpy(left, src, size_t(frames) * W);
        } else {
            for (int f = 0; f < frames; ++f, src += W, left += W)
                convertSample<W, BigEndian, Flip>(src, left);
        }
        return;
    }
    for (int f = 0; f < frames; ++f, src += 2 * W, left += W, right += W) {
        convertSample<W, BigEndian, Flip>(src, left);
        convertSample<W, BigEndian, Flip>(src + W, right);
    }
}

// Separate channels to interleaved file frames.
template <int W, bool BigEndian, bool Flip>
void joinFrames(const unsigned char* left, const unsigned char* right, int frames, int channels,
                unsigned char* dst)
{
    if (channels == 1) {
        if constexpr (!BigEndian && !Flip) {
            std::memcpy(dst, left, size_t(frames) * W);
        } else {
            for (int f = 0; f < frames; ++f, dst += W, left += W)
                convertSample<W, BigEndian, Flip>(left, dst);
        }
        return;
    }
    for (int f = 0; f < frames; ++f, dst += 2 * W, left += W, right += W) {
        convertSample<W, BigEndian, Flip>(left, dst);
        convertSample<W, BigEndian, Flip>(right, dst + W);
    }
}

using SplitFn = void (*)(const unsigned char*, int, int, unsigned char*, unsigned char*);
using JoinFn = void (*)(const unsigned char*, const unsigned char*, int, int, unsigned char*);

template <int W>
SplitFn splitFor(const PcmCodec::Layout& l)
{
    if (W == 1 && l.flipSign)
        return l.bigEndian ? splitFrames<W, true, true> : splitFrames<W, false, true>;
    return l.bigEndian ? splitFrames<W, true, false> : splitFrames<W, false, false>;
}

template <int W>
JoinFn joinFor(const PcmCodec::Layout& l)
{
    if (W == 1 && l.flipSign)
        return l.bigEndian ? joinFrames<W, true, true> : joinFrames<W, false, true>;
    return l.bigEndian ? joinFrames<W, true, false> : joinFrames<W, false, false>;
}

bool usable(int frames, const PcmCodec::Layout& l)
{
    return frames > 0 && l.width >= 1 && l.width <= 4 && (l.channels == 1 || l.channels == 2);
}

} // namespace

namespace PcmCodec {

void split(const unsigned char* src, int frames, const Layout& layout, unsigned char* left, unsigned char* right)
{
    if (!usable(frames, layout))
        return;
    SplitFn fn = nullptr;
    switch (layout.width) {
    case 1:
        fn = splitFor<1>(layout);
        break;
    case 2:
        fn = splitFor<2>(layout);
        break;
    case 3:
        fn = splitFor<3>(layout);
        break;
    default:
        fn = splitFor<4>(layout);
        break;
    }
    fn(src, frames, layout.channels, left, right);
}

void join(const unsigned char* left, const unsigned char* right, int frames, const Layout& layout,
          unsigned char* dst)
{
    if (!usable(frames, layout))
        return;
    JoinFn fn = nullptr;
    switch (layout.width) {
    case 1:
        fn = joinFor<1>(layout);
        break;
    case 2:
        fn = joinFor<2>(layout);
        break;
    case 3:
        fn = joinFor<3>(layout);
        break;
    default:
        fn = joinFor<4>(layout);
        break;
    }
    fn(left, right, frames, layout.channels, dst);
}

} // namespace PcmCodec
