// RIFF "WAVE" files of uncompressed PCM: the sound, the sampler loops of a
// "smpl" chunk and the key and velocity zone of an "inst" chunk.
//
// Reading goes through the chunk tree; "fmt ", "data", "smpl" and "inst" are
// looked up among the top-level chunks only. The sound is read from the file
// into the wave directly, so the tree's "data" chunk holds no bytes. Integer
// PCM is read: format tag 1, and the extensible tag 0xFFFE whose sub-format
// is integer PCM (the document then holds tag 1, as it stores the sound).
// Compressed and floating-point files, and extensible ones of any other
// sub-format, are refused with "Unsupported WAV format" and the tag. One or
// two channels of 8 to 32 bits are read; other layouts are refused with a
// reason. The sound is cut to
// whole frames, and no count in the file makes the reader take more than its
// chunk holds.
//
// Writing produces the file directly, all numbers little-endian:
//   "RIFF" size "WAVE", "fmt " 16 (tag, channels, rate, byte rate, block
//   alignment, bits), "data" size frames [pad], then "smpl" when there are
//   loops and "inst" when an instrument zone is set.
#pragma once

#include "AudioWave.h"
#include "Containers.h"
#include "RIFF_Document.h"

#include <QString>

// One sampler loop, the six 32-bit fields of a "smpl" loop record in order.
struct WAV_Loop
{
    quint32 identifier = 0; // cue point identifier
    quint32 type = 0;       // 0 forward, 1 alternating, 2 backward
    quint32 start = 0;      // first frame of the loop
    quint32 end = 0;        // last frame of the loop
    quint32 fraction = 0;
    quint32 playCount = 0;  // 0 = endless
};

class WAV_Document : public RIFF_Document
{
public:
    // The bytes of an "inst" chunk, in file order.
    enum InstrumentByte
    {
        InstUnshiftedNote = 0, // the note the sample plays at its own pitch
        InstFineTune = 1,      // signed, cents
        InstGain = 2,          // signed, dB
        InstLowNote = 3,
        InstHighNote = 4,
        InstLowVelocity = 5,
        InstHighVelocity = 6,
        InstSize = 7
    };

    WAV_Document();

    // False with "File does not contain data" without top-level "fmt " and
    // "data"; false with "Unsupported WAV format 0x0003" (the tag, and for
    // the extensible tag its sub-format) for anything but integer PCM; false
    // with a reason for a channel count or width a wave cannot hold.
    bool loadDocument(Archive& ar) override;
    // False, writing nothing, when the wave's format cannot be stored.
    bool storeDocument(Archive& ar) override;
    // Empties the tree, the wave, the loops and the instrument zone.
    void clearDocument() override;
    // The sound goes from the file straight into the wave: the top-level
    // "data" chunk keeps no copy of it.
    bool readsData(const RIFF_Chunk& chunk) const override;

    // "WaveFormat=1 44.1kHz 16bit mono Size=<bytes>\nLeft=<hex>"
    QString toString() const;

    int formatTag = 1; // 1 once a file is read: its sound is integer PCM
    AudioWave wave;
    Vector<WAV_Loop> loops;
    bool hasInstrument = false;
    unsigned char instrument[InstSize] = {};
};
