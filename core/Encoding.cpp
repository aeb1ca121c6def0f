#include "Encoding.h"

namespace {

// Sample widths run from one to four bytes; other widths are treated as the nearest.
int sampleWidth(int bytes)
{
    return qBound(1, bytes, 4);
}

qint64 clipSigned(qint64 value, int bytes)
{
    const qint64 half = MaxInt(bytes) / 2;
    return qBound(-half, value, half - 1);
}

quint32 lowBits(quint32 stored, int bytes)
{
    return bytes >= 4 ? stored : stored & quint32(MaxInt(bytes) - 1);
}

} // namespace

qint64 MaxInt(int bytes)
{
    return qint64(1) << (8 * qBound(0, bytes, 7));
}

quint32 EncodeSigned(qint64 value, int bytes)
{
    const int n = sampleWidth(bytes);
    return lowBits(quint32(quint64(clipSigned(value, n))), n);
}

int DecodeSigned(quint32 stored, int bytes)
{
    const int n = sampleWidth(bytes);
    const qint64 v = lowBits(stored, n);
    const qint64 half = MaxInt(n) / 2;
    return int(v >= half ? v - MaxInt(n) : v);
}

quint32 EncodeUnsigned(qint64 value, int bytes)
{
    const int n = sampleWidth(bytes);
    return quint32(clipSigned(value, n) + MaxInt(n) / 2);
}

int DecodeUnsigned(quint32 stored, int bytes)
{
    const int n = sampleWidth(bytes);
    return int(qint64(lowBits(stored, n)) - MaxInt(n) / 2);
}
