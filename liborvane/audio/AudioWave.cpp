#include "AudioWave.h"

#include "Archive.h"
#include "Encoding.h"
#include "PcmCodec.h"
#include "VarArgs.h"

#include <QByteArray>

#include <climits>
#include <cmath>
#include <cstring>

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
    Buffer& channel = getChannel(ch);
    const QByteArray& old = channel.bytes();
    const int b = bytes();
    QByteArray kept;
    kept.reserve(old.size() - qsizetype(end - start) * b);
    kept.append(old.constData(), qsizetype(start) * b);
    kept.append(old.constData() + qsizetype(end) * b, old.size() - qsizetype(end) * b);
    channel.setBytes(kept);
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
    const QByteArray& old = channel.bytes();
    const qsizetype at = qsizetype(pos) * b;
    QByteArray joined;
    joined.reserve(old.size() + n);
    joined.append(old.constData(), at);
    joined.append(reinterpret_cast<const char*>(data.data()), n);
    joined.append(old.constData() + at, old.size() - at);
    channel.setBytes(joined);
}

void AudioWave::reverse(int ch, int start, int end)
{
    clampSection(start, end, channelLength(ch));
    if (end - start < 2)
        return;
    const int b = bytes();
    unsigned char* first = getChannel(ch).data() + qsizetype(start) * b;
    unsigned char* last = getChannel(ch).data() + qsizetype(end - 1) * b;
    unsigned char tmp[4];
    for (; first < last; first += b, last -= b) {
        std::memcpy(tmp, first, size_t(b));
        std::memcpy(first, last, size_t(b));
        std::memcpy(last, tmp, size_t(b));
    }
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
    const int length = channelLength(ch);
    if (length == 0)
        return;
    const Buffer& channel = getChannel(ch);
    qint64 peak = 0;
    for (int i = 0; i < length; ++i)
        peak = qMax(peak, qAbs(pointAt(channel, qint64(i) * b)));
    if (peak == 0)
        return;
    const double factor = ratio / (double(peak) / double(MaxInt(b) / 2 - 1));
    Buffer& target = getChannel(ch);
    for (int i = 0; i < length; ++i) {
        const qint64 at = qint64(i) * b;
        storePoint(target, at, toPointValue(double(pointAt(target, at)) * factor));
    }
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

} // namespace

void AudioWave::fadeIn(double hardness, int ch, int start, int end)
{
    const double n = double(end) - double(start);
    if (!(n > 0))
        return;
    forEachStep(n, start, channelLength(ch),
                [&](double x) { adjustPoint(ch, int(start + x), curve(x, n, hardness, true)); });
}

void AudioWave::fadeOut(double hardness, int ch, int start, int end)
{
    const double n = double(end) - double(start);
    if (!(n > 0))
        return;
    forEachStep(n, start, channelLength(ch),
                [&](double x) { adjustPoint(ch, int(start + x), curve(x, n, hardness, false)); });
}

void AudioWave::crossfade(double hardness, double ratio, int ch, int loop, int end)
{
    const double n = std::min(loop * ratio, ratio * (double(end) - double(loop)));
    if (!(n > 0))
        return;
    const double tail = double(end) - n;     // first sample of the faded tail
    const double before = double(loop) - n; // first sample of the stretch before the loop
    forEachStep(n, tail, channelLength(ch), [&](double x) {
        const int p = int(toPointValue(x + tail));
        adjustPoint(ch, p, curve(x, n, hardness, false));
        const int q = getPoint(ch, int(toPointValue(x + before)));
        mergePoint(ch, p, int(toPointValue(q * curve(x, n, hardness, true))));
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
