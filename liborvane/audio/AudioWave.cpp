#include "AudioWave.h"

#include "Archive.h"
#include "Encoding.h"
#include "PcmCodec.h"
#include "VarArgs.h"

#include <QByteArray>
#include <QtEndian>

#include <climits>
#include <cmath>
#include <cstring>
#include <type_traits>
#include <utility>

namespace {

// A product or sum of points as the int the point operations take: NaN
// becomes 0, anything else is clipped to the int range and truncated
// toward zero.
qint64 toPointValue(double v)
{
    if (std::isnan(v))
        return 0;
    if (v <= double(INT_MIN))
        return INT_MIN;
    if (v >= double(INT_MAX))
        return INT_MAX;
    return qint64(v);
}

// [start, end) cut to [0, length] with start <= end.
void clampSection(int& start, int& end, int length)
{
    start = qBound(0, start, length);
    end = qBound(start, end, length);
}

// A channel's points as a plain array of W-byte little-endian samples, 8-bit
// ones excess-128: the whole-channel operations decode and encode here, in
// one loop over the bytes, instead of a call per point.
template <int W>
struct Samples
{
    static constexpr qint64 Half = qint64(1) << (8 * W - 1);

    static qint64 load(const unsigned char* s)
    {
        if constexpr (W == 1) {
            return qint64(s[0]) - 128;
        } else if constexpr (W == 2) {
            qint16 v;
            std::memcpy(&v, s, 2);
            return qFromLittleEndian(v);
        }
        quint32 v = 0;
        for (int k = W - 1; k >= 0; --k)
            v = (v << 8) | s[k];
        if constexpr (W < 4)
            return v >= quint32(Half) ? qint64(v) - 2 * Half : qint64(v);
        else
            return qint64(qint32(v));
    }

    // Clipped to the sample range.
    static void store(unsigned char* s, qint64 value) { storeInRange(s, qBound(-Half, value, Half - 1)); }

    // A value already in the sample range.
    static void storeInRange(unsigned char* s, qint64 value)
    {
        if constexpr (W == 1) {
            s[0] = static_cast<unsigned char>(value + 128);
        } else if constexpr (W == 2) {
            const qint16 v = qToLittleEndian(qint16(value));
            std::memcpy(s, &v, 2);
        } else {
            quint32 v = quint32(quint64(value));
            for (int k = 0; k < W; ++k, v >>= 8)
                s[k] = static_cast<unsigned char>(v);
        }
    }
};

// Runs f with the sample width as a compile-time constant; false for a width
// no wave holds (nothing is done then).
template <class F>
bool withWidth(int bytes, F&& f)
{
    switch (bytes) {
    case 1: f(std::integral_constant<int, 1>()); return true;
    case 2: f(std::integral_constant<int, 2>()); return true;
    case 3: f(std::integral_constant<int, 3>()); return true;
    case 4: f(std::integral_constant<int, 4>()); return true;
    default: return false;
    }
}

// What a fade makes of a point, toPointValue(point * curve(x, ...)), for x
// rising from one call to the next, bit for bit as the point-by-point form:
// a power per point is what made a fade of a long wave slow. Within a run of
// Run points the curve is taken as the straight line between its values at
// the run's ends, where the line is known to stay so close to the curve that
// no point can come out different; a result that lies too near a whole
// number to tell, and runs where the curve bends too much (near its zero),
// are computed point by point with curve() itself.
class FadeScale
{
public:
    FadeScale(double length, double hardness, bool rising)
        : m_length(length), m_hardness(hardness), m_rising(rising), m_power(rising ? 1.0 / hardness : hardness)
    {
        m_scale = std::pow(length, m_power);
        m_lines = std::isfinite(m_power) && m_power > 0 && std::isfinite(length) && length > 0 &&
                  std::isnormal(m_scale);
    }

    qint64 operator()(double x, qint64 point)
    {
        if (!(x <= m_to))
            startRun(x);
        if (m_runOk) {
            const double g = m_g0 + (x - m_from) * m_slope;
            const double v = double(point) * (m_rising ? g : 1.0 - g);
            const double margin = (std::abs(double(point)) + 1.0) * m_error;
            // Conversions truncate toward zero, as toPointValue does; the
            // values stay far inside the range of qint64.
            const qint64 t = qint64(v);
            if (qint64(v - margin) == t && qint64(v + margin) == t)
                return t;
        }
        return toPointValue(double(point) * curve(x, m_length, m_hardness, m_rising));
    }

    // The fade of count points from s on, the first at x: each point
    // becomes what operator() makes of it, a run at a time.
    template <int W>
    void apply(unsigned char* s, double x, qsizetype count)
    {
        using S = Samples<W>;
        while (count > 0) {
            if (!(x <= m_to))
                startRun(x);
            const qsizetype n = std::min(count, qsizetype(m_to - x) + 1);
            qsizetype exact[qsizetype(Run) + 1];
            qsizetype left = 0;
            if (m_runOk) {
                // Copies of the members: the points are written through a
                // char pointer, which the compiler must assume could change
                // any of them. The falling curve, 1 minus the line, is a
                // line too.
                const double g0 = m_g0 + (x - m_from) * m_slope;
                const double c0 = m_rising ? g0 : 1.0 - g0;
                const double slope = m_rising ? m_slope : -m_slope;
                const double error = m_error;
                // Products below 4 times a point: an int holds them up to
                // 24-bit points.
                using Whole = std::conditional_t<(W < 4), int, qint64>;
                for (qsizetype k = 0; k < n; ++k) {
                    unsigned char* at = s + k * W;
                    const double point = double(S::load(at));
                    const double v = point * (c0 + double(k) * slope);
                    const double margin = (std::abs(point) + 1.0) * error;
                    const Whole low = Whole(v - margin);
                    if (low == Whole(v + margin))
                        S::store(at, low);
                    else
                        exact[left++] = k;
                }
            } else {
                for (qsizetype k = 0; k < n; ++k)
                    exact[left++] = k;
            }
            for (qsizetype i = 0; i < left; ++i) {
                unsigned char* at = s + exact[i] * W;
                S::store(at, toPointValue(double(S::load(at)) * curve(x + double(exact[i]), m_length, m_hardness,
                                                                      m_rising)));
            }
            s += n * W;
            x += double(n);
            count -= n;
        }
    }

private:
    static constexpr double Run = 256;

    // x to the power, over the length to the power: the rising curve, and
    // what the falling one takes from 1.
    double ratio(double x) const { return std::pow(x, m_power) / m_scale; }

    void startRun(double x)
    {
        m_from = x;
        m_to = x + Run;
        m_runOk = false;
        if (!m_lines || !(x > 0) || !std::isfinite(m_to))
            return;
        m_g0 = ratio(x);
        const double g1 = ratio(m_to);
        if (!(m_g0 <= 4 && g1 <= 4))
            return;
        m_slope = (g1 - m_g0) / Run;
        // A line between two points of f(x) = (x / length)^power departs
        // from it by at most Run^2 / 8 times the largest |f''| between them;
        // |f''| = |power (power - 1)| f(x) / x^2 changes monotonically, so
        // the larger end gives it. The fixed part covers the rounding of the
        // powers, of curve() and of the line (a few units in the last place
        // of values below 4).
        const double bend = std::abs(m_power * (m_power - 1.0)) * std::max(m_g0 / (x * x), g1 / (m_to * m_to));
        m_error = bend * (Run * Run / 8.0) * 1.001 + 1e-12;
        // Where the line is that far off, nearly every point would be
        // computed again: do so at once.
        m_runOk = m_error < 1e-7;
    }

    const double m_length;
    const double m_hardness;
    const bool m_rising;
    const double m_power;
    double m_scale = 0;
    bool m_lines = false;
    // The run in use: x from m_from to m_to.
    double m_from = 0;
    double m_to = -1;
    bool m_runOk = false;
    double m_g0 = 0;
    double m_slope = 0;
    double m_error = 0;
};

} // namespace

// --- AudioFormat -----------------------------------------------------------

int AudioFormat::byteRate() const
{
    const double r = double(frameSize()) * rate;
    if (!(r > 0))
        return 0;
    return r >= double(INT_MAX) ? INT_MAX : int(r);
}

bool AudioFormat::isSupported() const
{
    return (channels == 1 || channels == 2) && bits >= 8 && bits <= 32;
}

QString AudioFormat::printMonoStereo() const
{
    if (channels == 1)
        return QStringLiteral("mono");
    if (channels == 2)
        return QStringLiteral("stereo");
    return VarArgs::format(QStringLiteral("%d"), channels);
}

QString AudioFormat::toString() const
{
    return VarArgs::format(QStringLiteral("%.1fkHz %dbit %s"), rate / 1000.0, bits, printMonoStereo());
}

// --- AudioWave: sizes and points ------------------------------------------

void AudioWave::reset()
{
    left.reset();
    right.reset();
}

int AudioWave::sampleLength() const
{
    const int frame = frameSize();
    return frame > 0 ? ridevSize() / frame : 0;
}

int AudioWave::channelLength(int ch) const
{
    const int b = bytes();
    return b > 0 ? getChannel(ch).size() / b : 0;
}

qint64 AudioWave::pointAt(const Buffer& channel, qint64 at) const
{
    const int b = bytes();
    if (b < 1 || b > 4 || at < 0 || at + b > channel.size())
        return 0;
    const unsigned char* p = channel.data() + at;
    quint32 stored = 0;
    for (int k = b - 1; k >= 0; --k)
        stored = (stored << 8) | p[k];
    return b == 1 ? DecodeUnsigned(stored, 1) : DecodeSigned(stored, b);
}

void AudioWave::storePoint(Buffer& channel, qint64 at, qint64 value)
{
    const int b = bytes();
    if (b < 1 || b > 4 || at < 0 || at + b > channel.size())
        return;
    quint32 stored = b == 1 ? EncodeUnsigned(value, 1) : EncodeSigned(value, b);
    unsigned char* p = channel.data() + at;
    for (int k = 0; k < b; ++k, stored >>= 8)
        p[k] = static_cast<unsigned char>(stored);
}

int AudioWave::getPoint(int ch, int i) const
{
    return int(pointAt(getChannel(ch), qint64(i) * bytes()));
}

float AudioWave::getPointF(int ch, int i) const
{
    const int b = bytes();
    if (b < 1)
        return 0.0f;
    const double scale = double(MaxInt(b) / 2) - 0.5;
    return float(double(getPoint(ch, i)) / scale);
}

void AudioWave::setPoint(int ch, int i, int v)
{
    storePoint(getChannel(ch), qint64(i) * bytes(), v);
}

void AudioWave::adjustPoint(int ch, int i, double factor)
{
    setPoint(ch, i, int(toPointValue(double(getPoint(ch, i)) * factor)));
}

void AudioWave::mergePoint(int ch, int i, int v)
{
    storePoint(getChannel(ch), qint64(i) * bytes(), qint64(getPoint(ch, i)) + v);
}

void AudioWave::getRange(int& low, int& high) const
{
    const qint64 half = MaxInt(bytes()) / 2;
    low = int(-half);
    high = int(half - 1);
}

// --- AudioWave: editing ---------------------------------------------------

Buffer AudioWave::copy(int ch, int start, int end) const
{
    clampSection(start, end, channelLength(ch));
    Buffer section;
    const int b = bytes();
    section.copy(&getChannel(ch), start * b, (end - start) * b);
    return section;
}

void AudioWave::cut(int ch, int start, int end)
{
    clampSection(start, end, channelLength(ch));
    if (start == end)
        return;
    const int b = bytes();
    // Taken out of the channel, the bytes are ours alone unless someone else
    // holds them too: the rest moves down in place instead of into a new
    // copy of the channel.
    Buffer& channel = getChannel(ch);
    QByteArray points = channel.bytes();
    channel.reset();
    points.remove(qsizetype(start) * b, qsizetype(end - start) * b);
    channel.setBytes(points);
}

void AudioWave::paste(int ch, const Buffer& data, int pos)
{
    const int b = bytes();
    Buffer& channel = getChannel(ch);
    if (b < 1 || pos < 0 || qint64(pos) * b > channel.size())
        return;
    // Only whole samples: a stray byte would shift every later sample.
    const int n = data.size() - data.size() % b;
    if (n == 0)
        return;
    // As in cut: the channel grows in place when its storage has the room
    // (a section cut before leaves it). The data's bytes are held first, as
    // data may be this very channel.
    const QByteArray source = data.bytes();
    QByteArray points = channel.bytes();
    channel.reset();
    points.insert(qsizetype(pos) * b, QByteArrayView(source.constData(), n));
    channel.setBytes(points);
}

void AudioWave::reverse(int ch, int start, int end)
{
    clampSection(start, end, channelLength(ch));
    if (end - start < 2)
        return;
    withWidth(bytes(), [&](auto width) {
        constexpr int W = decltype(width)::value;
        unsigned char* first = getChannel(ch).data() + qsizetype(start) * W;
        unsigned char* last = getChannel(ch).data() + qsizetype(end - 1) * W;
        unsigned char tmp[W];
        for (; first < last; first += W, last -= W) {
            std::memcpy(tmp, first, W);
            std::memcpy(first, last, W);
            std::memcpy(last, tmp, W);
        }
    });
}

void AudioWave::pingpong(int ch, int start, int end)
{
    clampSection(start, end, channelLength(ch));
    const Buffer section = copy(ch, start, end);
    paste(ch, section, end);
    reverse(ch, end, 2 * end - start);
}

// --- AudioWave: signal processing -----------------------------------------

double curve(double x, double length, double hardness, bool rising)
{
    if (rising)
        return std::pow(x, 1.0 / hardness) / std::pow(length, 1.0 / hardness);
    return 1.0 - std::pow(x, hardness) / std::pow(length, hardness);
}

void AudioWave::normalize(int ch, double ratio)
{
    const int b = bytes();
    const qsizetype length = channelLength(ch);
    if (length == 0)
        return;
    withWidth(b, [&](auto width) {
        using S = Samples<decltype(width)::value>;
        constexpr int W = decltype(width)::value;
        const unsigned char* from = std::as_const(getChannel(ch)).data();
        // In an int up to 24-bit points (the loop then runs several at a
        // time); the lowest 32-bit point has no positive int.
        using Whole = std::conditional_t<(W < 4), int, qint64>;
        Whole most = 0;
        for (qsizetype i = 0; i < length; ++i)
            most = std::max(most, std::abs(Whole(S::load(from + i * W))));
        const qint64 peak = most;
        if (peak == 0)
            return;
        const double factor = ratio / (double(peak) / double(MaxInt(b) / 2 - 1));
        unsigned char* to = getChannel(ch).data();
        if (!std::isfinite(factor)) {
            for (qsizetype i = 0; i < length; ++i, to += W)
                S::store(to, toPointValue(double(S::load(to)) * factor));
            return;
        }
        // Clipping the product to the sample range before truncating it
        // gives what truncating and then clipping gives, in a loop the
        // compiler can run several points at a time.
        const double low = double(-S::Half);
        const double high = double(S::Half - 1);
        for (qsizetype i = 0; i < length; ++i, to += W)
            S::storeInRange(to, qint64(std::min(std::max(double(S::load(to)) * factor, low), high)));
    });
}

namespace {

// Runs step(x) for x = 0, 1, ... while x < n, skipping the leading steps
// whose position first + x lies before 0 and stopping at limit: their writes
// would be dropped anyway, and a huge span must not spin.
template <class Step>
void forEachStep(double n, double first, int limit, Step step)
{
    double x = first < 0 ? std::floor(-first) : 0.0;
    const double stop = std::min(n, double(limit) - first);
    for (; x < stop; x += 1.0)
        step(x);
}

// Each point start + x of the channel, for x in [0, end - start), times the
// fade curve at x.
void fade(AudioWave& wave, double hardness, int ch, int start, int end, bool rising)
{
    const double n = double(end) - double(start);
    if (!(n > 0))
        return;
    const int limit = wave.channelLength(ch);
    withWidth(wave.bytes(), [&](auto width) {
        constexpr int W = decltype(width)::value;
        // The steps forEachStep would take: x from first while x < stop,
        // every point start + x inside [0, limit).
        const double first = start < 0 ? std::floor(-double(start)) : 0.0;
        const double stop = std::min(n, double(limit) - start);
        if (!(stop > first))
            return;
        unsigned char* points = wave.getChannel(ch).data();
        FadeScale scale(n, hardness, rising);
        scale.apply<W>(points + qsizetype(start + first) * W, first, qsizetype(std::ceil(stop - first)));
    });
}

} // namespace

void AudioWave::fadeIn(double hardness, int ch, int start, int end)
{
    fade(*this, hardness, ch, start, end, true);
}

void AudioWave::fadeOut(double hardness, int ch, int start, int end)
{
    fade(*this, hardness, ch, start, end, false);
}

void AudioWave::crossfade(double hardness, double ratio, int ch, int loop, int end)
{
    const double n = std::min(loop * ratio, ratio * (double(end) - double(loop)));
    if (!(n > 0))
        return;
    const double tail = double(end) - n;     // first sample of the faded tail
    const double before = double(loop) - n; // first sample of the stretch before the loop
    const qsizetype length = channelLength(ch);
    withWidth(bytes(), [&](auto width) {
        using S = Samples<decltype(width)::value>;
        constexpr int W = decltype(width)::value;
        unsigned char* points = getChannel(ch).data();
        const auto inside = [&](qint64 i) { return i >= 0 && i < length; };
        FadeScale out(n, hardness, false);
        FadeScale in(n, hardness, true);
        // In order, point by point: with a ratio above 1 the stretch read
        // overlaps the tail, and reads what was written there already (the
        // point itself too, once faded out).
        forEachStep(n, tail, int(length), [&](double x) {
            const qint64 p = int(toPointValue(x + tail));
            if (!inside(p))
                return;
            unsigned char* s = points + p * W;
            S::store(s, int(out(x, S::load(s))));
            const qint64 q = int(toPointValue(x + before));
            const qint64 incoming = inside(q) ? S::load(points + q * W) : 0;
            S::store(s, S::load(s) + int(in(x, incoming)));
        });
    });
}

// --- AudioWave: conversions ---------------------------------------------

bool AudioWave::fromPCM(const Buffer& pcm)
{
    // Mono data needs no conversion: the wave shares the bytes.
    if (isSupported() && channels == 1 && pcm.size() % bytes() == 0) {
        reset();
        left = pcm;
        return true;
    }
    Archive ar(pcm);
    return PcmCodec::readFrames(ar, pcm.size(), *this, false);
}

bool AudioWave::fromAIFF(const Buffer& data)
{
    Archive ar(data);
    return PcmCodec::readFrames(ar, data.size(), *this, true);
}

namespace {

Buffer interleaved(const AudioWave& wave, bool aiff)
{
    Buffer out;
    const qint64 size = PcmCodec::framesSize(wave);
    if (size == 0 || size > INT_MAX)
        return out;
    out.reserve(int(size));
    Archive ar(out);
    PcmCodec::writeFrames(ar, wave, aiff);
    return out;
}

} // namespace

Buffer AudioWave::toPCM() const
{
    return interleaved(*this, false);
}

Buffer AudioWave::toAIFFData() const
{
    return interleaved(*this, true);
}
