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

// The compile-time form of a layout's width and byte order.
template <int W, bool BigEndian, bool Flip>
struct Form
{
    static constexpr int width = W;
    static constexpr bool bigEndian = BigEndian;
    static constexpr bool flip = Flip;
};

template <int W, class Visit>
void withOrder(const PcmCodec::Layout& l, Visit&& visit)
{
    if constexpr (W == 1) {
        if (l.flipSign) {
            if (l.bigEndian)
                visit(Form<W, true, true>{});
            else
                visit(Form<W, false, true>{});
            return;
        }
    }
    if (l.bigEndian)
        visit(Form<W, true, false>{});
    else
        visit(Form<W, false, false>{});
}

// Calls visit with the Form of the layout; nothing for a layout that is not
// one or two channels of 1 to 4 bytes, or for no frames.
template <class Visit>
void dispatch(int frames, const PcmCodec::Layout& l, Visit&& visit)
{
    if (frames <= 0 || (l.channels != 1 && l.channels != 2))
        return;
    switch (l.width) {
    case 1:
        withOrder<1>(l, visit);
        break;
    case 2:
        withOrder<2>(l, visit);
        break;
    case 3:
        withOrder<3>(l, visit);
        break;
    case 4:
        withOrder<4>(l, visit);
        break;
    default:
        break;
    }
}

} // namespace

namespace PcmCodec {

void split(const unsigned char* src, int frames, const Layout& layout, unsigned char* left, unsigned char* right)
{
    dispatch(frames, layout, [&](auto form) {
        using F = decltype(form);
        splitFrames<F::width, F::bigEndian, F::flip>(src, frames, layout.channels, left, right);
    });
}

void join(const unsigned char* left, const unsigned char* right, int frames, const Layout& layout,
          unsigned char* dst)
{
    dispatch(frames, layout, [&](auto form) {
        using F = decltype(form);
        joinFrames<F::width, F::bigEndian, F::flip>(left, right, frames, layout.channels, dst);
    });
}

} // namespace PcmCodec
