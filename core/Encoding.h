// Sample value encodings of audio data, n bytes wide.
#pragma once

#include <QtGlobal>

// The number of distinct values of a sample n bytes wide, 2^(8n): 256 for one
// byte, 65536 for two, 2^32 for four. n is clamped to 0..7.
qint64 MaxInt(int bytes);

// Two's complement. EncodeSigned clips value to the width's signed range
// [-MaxInt/2, MaxInt/2 - 1] and gives the stored bit pattern; DecodeSigned
// reads the low 8n bits of a stored pattern back as a signed value.
quint32 EncodeSigned(qint64 value, int bytes);
int DecodeSigned(quint32 stored, int bytes);

// Excess 2^(8n-1), as 8-bit audio stores its samples. EncodeUnsigned clips
// value to the signed range and adds half the range; DecodeUnsigned subtracts it
// from the low 8n bits. A raw two's complement byte must be decoded with
// DecodeSigned first: 0xFF is -1, not 255.
quint32 EncodeUnsigned(qint64 value, int bytes);
int DecodeUnsigned(quint32 stored, int bytes);
