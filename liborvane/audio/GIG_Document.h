// Downloadable Sounds banks (RIFF form "DLS ", which GigaSampler files use
// too), read into instruments of Sample zones.
//
// The wave pool ("wvpl") becomes one AudioWave per entry in file order,
// whatever its format tag says (every wave is taken as integer PCM; a
// channel count or width a wave cannot hold leaves that entry empty). Each
// instrument of "lins" takes its name from its "INFO"/"INAM" (empty without
// one) and each region of its "lrgn" becomes a Sample: key and velocity
// ranges from "rgnh", root key and the first loop from "wsmp", and the sound
// of the pool entry its "wlnk" names. A region that names no entry, or one
// past the pool, keeps the default format and no sound. Numbers are
// little-endian; a chunk shorter than its fields gives 0 for the missing
// ones.
//
// Nothing is written: storeDocument is the tree's, which writes nothing.
#pragma once

#include "AudioWave.h"
#include "Containers.h"
#include "RIFF_Document.h"
#include "Sample.h"

class GIG_Document : public RIFF_Document
{
public:
    GIG_Document();
    ~GIG_Document() override;

    // Deletes the instruments, empties the pool and the tree.
    void clearDocument() override;
    // False only for a file that is not RIFF.
    bool loadDocument(Archive& ar) override;

    Instruments instruments;     // file order; owned, each with its samples
    Vector<AudioWave> wavePool;  // one per pool entry, file order

private:
    void readWavePool();
    Sample* readRegion(RIFF_Chunk& region) const;
};
