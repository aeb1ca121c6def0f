// The AIFF reader on any bytes: a file it takes gives a sample of whole
// samples in a format it can hold, no more markers than the file has room
// for, and stores and reads back to the same format, sound and zone.
#include "AIFF_Document.h"
#include "Archive.h"
#include "FuzzSupport.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FUZZ_SETUP();
    Buffer file;
    file.append(data, int(size));
    Archive archive(static_cast<const Buffer&>(file));
    AIFF_Document doc;
    if (!doc.loadDocument(archive))
        return 0;
    const Sample& s = doc.sample;
    FUZZ_CHECK(s.isSupported());
    FUZZ_CHECK(s.left.size() % s.bytes() == 0);
    FUZZ_CHECK(s.right.size() == (s.channels == 2 ? s.left.size() : 0));
    FUZZ_CHECK(qint64(s.ridevSize()) <= qint64(size));
    FUZZ_CHECK(qint64(doc.markers.size()) * 8 <= qint64(size));
    FUZZ_CHECK(s.loopStart >= 0 && s.loopEnd >= 0);

    Buffer stored;
    {
        Archive out(stored);
        FUZZ_CHECK(doc.storeDocument(out));
    }
    AIFF_Document back;
    Archive in(static_cast<const Buffer&>(stored));
    FUZZ_CHECK(back.loadDocument(in));
    const Sample& b = back.sample;
    FUZZ_CHECK(b.channels == s.channels && b.bits == s.bits);
    FUZZ_CHECK(b.rate == s.rate || (std::isnan(b.rate) && std::isnan(s.rate)));
    FUZZ_CHECK(b.left == s.left && b.right == s.right);
    FUZZ_CHECK(b.rootKey == s.rootKey && b.keyLow == s.keyLow && b.keyHigh == s.keyHigh);
    FUZZ_CHECK(b.velocityLow == s.velocityLow && b.velocityHigh == s.velocityHigh);
    FUZZ_CHECK(b.loopMode == s.loopMode);
    if (s.loopMode != Sample::LoopOff)
        FUZZ_CHECK(b.loopStart == s.loopStart && b.loopEnd == s.loopEnd);
    return 0;
}
