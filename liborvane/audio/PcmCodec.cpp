#include "PcmCodec.h"

#include "Archive.h"
#include "AudioWave.h"

#include <QByteArray>

#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

namespace {

// One sample of W bytes from a file's byte order into the wave's (or back:
// the conversion is its own inverse).
template <int W, bool BigEndian, bool Flip>
inline void convertSample(const unsigned char* from, unsigned char* to)
{
    unsigned char sample[W];
    std::memcpy(sample, from, W); // from may be to: a mono channel converted in place
    for (int k = 0; k < W; ++k)
        to[k] = sample[BigEndian ? W - 1 - k : k];
    if constexpr (Flip)
        to[0] ^= 0x80;
}

// Interleaved file frames to separate channels.
template <int W, bool BigEndian, bool Flip>
void splitFrames(const unsigned char* src, int frames, int channels, unsigned char* left, unsigned char* right)
{
    if (channels == 1) {
        if constexpr (!BigEndian && !Flip) {
            if (left != src)
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

// Splits frames interleaved frames of src into left and, for two channels,
// right. src may be left for one channel: it is converted in place.
void split(const unsigned char* src, int frames, const PcmCodec::Layout& layout, unsigned char* left,
           unsigned char* right)
{
    dispatch(frames, layout, [&](auto form) {
        using F = decltype(form);
        splitFrames<F::width, F::bigEndian, F::flip>(src, frames, layout.channels, left, right);
    });
}

// The reverse: frames interleaved frames to dst from left and right.
void join(const unsigned char* left, const unsigned char* right, int frames, const PcmCodec::Layout& layout,
          unsigned char* dst)
{
    dispatch(frames, layout, [&](auto form) {
        using F = decltype(form);
        joinFrames<F::width, F::bigEndian, F::flip>(left, right, frames, layout.channels, dst);
    });
}

// Frames are converted through a block of this many bytes at most, small
// enough to stay in the cache.
constexpr int BlockBytes = 256 * 1024;

PcmCodec::Layout layoutOf(const AudioWave& wave, bool aiff)
{
    PcmCodec::Layout layout;
    layout.width = wave.bytes();
    layout.channels = wave.channels;
    layout.bigEndian = aiff;
    layout.flipSign = aiff && layout.width == 1;
    return layout;
}

} // namespace

namespace PcmCodec {

void allocateUnset(Buffer& buffer, int n)
{
    QByteArray bytes(qMax(0, n), Qt::Uninitialized);
#ifdef Q_OS_LINUX
    // A fresh wave is written once from end to end: on huge pages that takes
    // a fraction of the page faults.
    constexpr std::uintptr_t Huge = std::uintptr_t(2) << 20;
    if (n >= int(2 * Huge)) {
        const auto at = reinterpret_cast<std::uintptr_t>(bytes.data());
        const std::uintptr_t first = (at + Huge - 1) & ~(Huge - 1);
        const std::uintptr_t last = (at + std::uintptr_t(n)) & ~(Huge - 1);
        if (last > first)
            madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
#endif
    buffer.setBytes(bytes);
}

bool readFrames(Archive& ar, qint64 length, AudioWave& wave, bool aiff)
{
    wave.reset();
    if (!wave.isSupported())
        return false;
    const int b = wave.bytes();
    const int frameSize = wave.frameSize();
    const qint64 available = qBound<qint64>(0, length, ar.remaining());
    const int frames = int(qMin<qint64>(available / frameSize, INT_MAX / b));
    if (frames == 0)
        return true;
    const Layout layout = layoutOf(wave, aiff);
    allocateUnset(wave.left, frames * b);
    if (wave.channels == 1) {
        unsigned char* left = wave.left.data();
        if (!ar.readRaw(left, qint64(frames) * b)) {
            wave.reset();
            return false;
        }
        if (layout.bigEndian || layout.flipSign)
            split(left, frames, layout, left, nullptr);
        return true;
    }
    allocateUnset(wave.right, frames * b);
    unsigned char* left = wave.left.data();
    unsigned char* right = wave.right.data();
    const int perBlock = qBound(1, BlockBytes / frameSize, frames);
    const std::unique_ptr<unsigned char[]> block(new unsigned char[size_t(perBlock) * size_t(frameSize)]);
    for (int f = 0; f < frames;) {
        const int n = qMin(perBlock, frames - f);
        if (!ar.readRaw(block.get(), qint64(n) * frameSize)) {
            wave.reset();
            return false;
        }
        split(block.get(), n, layout, left + qsizetype(f) * b, right + qsizetype(f) * b);
        f += n;
    }
    return true;
}

qint64 framesSize(const AudioWave& wave)
{
    return wave.isSupported() ? qint64(wave.channelLength(0)) * wave.frameSize() : 0;
}

void writeFrames(Archive& ar, const AudioWave& wave, bool aiff)
{
    if (!wave.isSupported())
        return;
    const int b = wave.bytes();
    const int frameSize = wave.frameSize();
    const int frames = wave.channelLength(0);
    if (frames == 0)
        return;
    const Layout layout = layoutOf(wave, aiff);
    if (wave.channels == 1 && !layout.bigEndian && !layout.flipSign) {
        ar.writeRaw(wave.left.data(), qint64(frames) * b);
        return;
    }
    // A right channel shorter than the left one (only a caller that edited
    // one channel alone makes one) is completed with silence.
    Buffer padded;
    const Buffer* second = &wave.right;
    if (wave.channels == 2 && wave.right.size() < frames * b) {
        padded = wave.right;
        while (padded.size() < frames * b)
            padded.append(b == 1 ? 0x80 : 0);
        second = &padded;
    }
    const unsigned char* left = wave.left.data();
    const unsigned char* right = wave.channels == 2 ? second->data() : nullptr;
    const int perBlock = qBound(1, BlockBytes / frameSize, frames);
    const std::unique_ptr<unsigned char[]> block(new unsigned char[size_t(perBlock) * size_t(frameSize)]);
    for (int f = 0; f < frames;) {
        const int n = qMin(perBlock, frames - f);
        join(left + qsizetype(f) * b, right != nullptr ? right + qsizetype(f) * b : nullptr, n, layout,
             block.get());
        ar.writeRaw(block.get(), qint64(n) * frameSize);
        f += n;
    }
}

} // namespace PcmCodec
