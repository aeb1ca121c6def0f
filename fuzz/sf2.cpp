// SoundFont banks on any bytes: every sample's sound is its own points of the
// pool or nothing, every zone belongs to an instrument of the bank, and the
// import makes no more samples than there are zones, each with a sound of
// the pool.
#include "Archive.h"
#include "FuzzSupport.h"
#include "SF2_Document.h"
#include "SampleFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FUZZ_SETUP();
    Buffer file;
    file.append(data, int(size));
    Archive archive(static_cast<const Buffer&>(file));
    SF2_Document doc;
    if (!doc.loadDocument(archive)) {
        FUZZ_CHECK(doc.samples.isEmpty() && doc.instruments.isEmpty());
        return 0;
    }
    FUZZ_CHECK(doc.sampleData.size() <= int(size));
    int previous = -1;
    for (const SF2_Sample* s : doc.samples) {
        FUZZ_CHECK(s->index > previous);
        previous = s->index;
        FUZZ_CHECK(s->sampleRate != 0);
        FUZZ_CHECK(doc.sampleAt(s->index) == s);
        if (!s->data.isEmpty()) {
            FUZZ_CHECK(qint64(s->data.size()) == 2 * (qint64(s->end) - s->start));
            FUZZ_CHECK(s->data.bytes() == doc.sampleData.bytes().mid(2 * qint64(s->start), s->data.size()));
        }
        FUZZ_CHECK(s->wave.left == s->data && s->wave.right.isEmpty());
        (void)s->toString();
    }
    for (const SF2_Bag& bag : std::as_const(doc.bags))
        FUZZ_CHECK(bag.instrument == 0 || bag.instrument < doc.instruments.size());
    // A keybank takes at least its sample generator.
    FUZZ_CHECK(doc.ridevKeybanks() <= doc.gens.size());

    SampleFile list;
    list.fromSF2(doc);
    FUZZ_CHECK(list.size() == doc.instruments.size());
    FUZZ_CHECK(list.ridevSamples() <= doc.ridevKeybanks());
    for (const Instrument* inst : std::as_const(list)) {
        for (const Sample* s : inst->samples) {
            FUZZ_CHECK(s->channels == 1 && s->bits == 16 && s->rate > 0);
            FUZZ_CHECK(s->left.size() <= doc.sampleData.size() && s->left.size() % 2 == 0);
            FUZZ_CHECK(s->keyLow >= 0 && s->keyHigh <= 255 && s->velocityLow >= 0 && s->velocityHigh <= 255);
            FUZZ_CHECK(s->coarseTune >= 0 && s->coarseTune <= 127);
        }
    }
    for (int oper = -1; oper < 64; oper += 7)
        (void)PrintGenerator(oper);
    return 0;
}
