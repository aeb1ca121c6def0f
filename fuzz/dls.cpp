// DLS banks on any bytes: the pool holds whole samples of formats a wave can
// hold (or nothing), every region's sound is a pool entry's or nothing, and
// the import copies every instrument and sample.
#include "Archive.h"
#include "FuzzSupport.h"
#include "GIG_Document.h"
#include "SampleFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FUZZ_SETUP();
    Buffer file;
    file.append(data, int(size));
    Archive archive(static_cast<const Buffer&>(file));
    GIG_Document doc;
    if (!doc.loadDocument(archive)) {
        FUZZ_CHECK(doc.instruments.isEmpty() && doc.wavePool.isEmpty());
        return 0;
    }
    qint64 held = 0;
    for (const AudioWave& w : std::as_const(doc.wavePool)) {
        FUZZ_CHECK(w.left.isEmpty() || (w.isSupported() && w.left.size() % w.bytes() == 0));
        FUZZ_CHECK(w.right.size() == (w.channels == 2 ? w.left.size() : 0) || w.left.isEmpty());
        held += w.ridevSize();
    }
    FUZZ_CHECK(held <= qint64(size));
    int samples = 0;
    for (const Instrument* inst : std::as_const(doc.instruments)) {
        for (const Sample* s : inst->samples) {
            ++samples;
            if (!s->left.isEmpty()) {
                bool fromPool = false;
                for (const AudioWave& w : std::as_const(doc.wavePool))
                    fromPool = fromPool || (w.left == s->left && w.right == s->right && w.bits == s->bits);
                FUZZ_CHECK(fromPool);
            }
        }
    }
    SampleFile list;
    list.fromGIG(doc);
    FUZZ_CHECK(list.size() == doc.instruments.size() && list.ridevSamples() == samples);
    return 0;
}
