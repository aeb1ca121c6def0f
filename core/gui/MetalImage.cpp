#include "MetalImage.h"

#include <QtGlobal>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// A small fixed pseudo-random sequence (xorshift32); the texture must come
// out the same on every run.
class Noise
{
public:
    explicit Noise(std::uint32_t seed) : m_state(seed ? seed : 0x9E3779B9u) {}
    // A value in -1..1.
    double next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return (m_state & 0xFFFF) / 32767.5 - 1.0;
    }

private:
    std::uint32_t m_state;
};

} // namespace

MetalImage::MetalImage(int width, int height)
    : QImage(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32)
{
    const int w = this->width();
    const int h = this->height();
    Noise noise(0x4D45544Cu);
    std::vector<double> raw(w);
    std::vector<double> row(w);
    // Streak length: each pixel averages this many raw samples along its row,
    // wrapping at the edges so that copies placed side by side join cleanly.
    const int reach = std::min(6, (w - 1) / 2);
    for (int y = 0; y < h; ++y) {
        // Each row gets a shade of its own (the brushing lines) plus fine grain.
        const double rowShade = noise.next() * 7.0;
        for (int x = 0; x < w; ++x)
            raw[x] = noise.next();
        for (int x = 0; x < w; ++x) {
            double sum = 0;
            for (int k = -reach; k <= reach; ++k)
                sum += raw[((x + k) % w + w) % w];
            row[x] = sum / (2 * reach + 1);
        }
        auto* line = reinterpret_cast<QRgb*>(scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int grey = std::clamp(int(196 + rowShade + row[x] * 18.0 + noise.next() * 2.0), 0, 255);
            // A faint cool tint, as of steel under daylight.
            line[x] = qRgb(grey, grey, std::min(grey + 4, 255));
        }
    }
}
