// The WAV reader on any bytes: a file it refuses has a reason, a file it
// takes gives a wave of whole samples in a format it can hold, no more loops
// than the file has room for, and stores and reads back to the same sound,
// loops and zone.
#include "Archive.h"
#include "FuzzSupport.h"
#include "WAV_Document.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FUZZ_SETUP();
    Buffer file;
    file.append(data, int(size));
    Archive archive(static_cast<const Buffer&>(file));
    WAV_Document doc;
    if (!doc.loadDocument(archive)) {
        // Every refusal says why.
        FUZZ_CHECK(!doc.wave.isValid() && doc.loops.isEmpty() && !doc.docError().isEmpty());
        return 0;
    }
    // Plain and extensible PCM alike are held, and stored, as tag 1.
    FUZZ_CHECK(doc.formatTag == 1);
    const AudioWave& w = doc.wave;
    FUZZ_CHECK(w.isSupported());
    FUZZ_CHECK(w.left.size() % w.bytes() == 0);
    FUZZ_CHECK(w.right.size() == (w.channels == 2 ? w.left.size() : 0));
    FUZZ_CHECK(qint64(w.ridevSize()) <= qint64(size));
    FUZZ_CHECK(qint64(doc.loops.size()) * 24 <= qint64(size));
    (void)doc.toString();

    Buffer stored;
    {
        Archive out(stored);
        FUZZ_CHECK(doc.storeDocument(out));
    }
    WAV_Document back;
    Archive in(static_cast<const Buffer&>(stored));
    FUZZ_CHECK(back.loadDocument(in));
    FUZZ_CHECK(back.wave.channels == w.channels && back.wave.bits == w.bits);
    FUZZ_CHECK(back.wave.rate == double(quint32(w.rate)));
    FUZZ_CHECK(back.wave.left == w.left && back.wave.right == w.right);
    FUZZ_CHECK(back.loops.size() == doc.loops.size());
    for (qsizetype i = 0; i < doc.loops.size(); ++i)
        FUZZ_CHECK(std::memcmp(&back.loops[i], &doc.loops[i], sizeof(WAV_Loop)) == 0);
    FUZZ_CHECK(back.hasInstrument == doc.hasInstrument);
    FUZZ_CHECK(std::memcmp(back.instrument, doc.instrument, sizeof doc.instrument) == 0 || !doc.hasInstrument);
    return 0;
}
