#include "GIG_Document.h"

#include "Archive.h"

#include <climits>

namespace {

int clippedInt(qint64 value)
{
    return int(qBound(qint64(INT_MIN), value, qint64(INT_MAX)));
}

} // namespace

GIG_Document::GIG_Document() = default;

GIG_Document::~GIG_Document()
{
    clearDocument();
}

void GIG_Document::clearDocument()
{
    qDeleteAll(instruments);
    instruments.clear();
    wavePool.clear();
    RIFF_Document::clearDocument();
}

bool GIG_Document::loadDocument(Archive& ar)
{
    clearDocument();
    if (!RIFF_Document::loadDocument(ar))
        return false;
    readWavePool();

    RIFF_List* lins = root.getList(QStringLiteral("lins"));
    if (lins == nullptr)
        return true;
    for (RIFF_Chunk* ins : std::as_const(*lins)) {
        // An instrument without a name chunk gets an empty name.
        RIFF_Chunk* inam = ins->getChunk(QStringLiteral("INFO"), QStringLiteral("INAM"));
        auto* instrument = new Instrument(inam != nullptr ? inam->text() : QString());
        if (RIFF_List* regions = ins->getList(QStringLiteral("lrgn"))) {
            for (RIFF_Chunk* region : std::as_const(*regions))
                instrument->samples.append(readRegion(*region));
        }
        instruments.append(instrument);
    }
    return true;
}

void GIG_Document::readWavePool()
{
    RIFF_List* pool = root.getList(QStringLiteral("wvpl"));
    if (pool == nullptr)
        return;
    wavePool.reserve(pool->size());
    for (RIFF_Chunk* entry : std::as_const(*pool)) {
        // Positions in the pool are those of the entries, empty ones too.
        AudioWave wave;
        if (RIFF_Chunk* fmt = entry->getChunk(QStringLiteral("fmt "))) {
            Archive ar(std::as_const(fmt->data));
            ar.readValueR(2); // format tag: every wave is taken as PCM
            wave.channels = int(ar.readValueR(2));
            wave.rate = double(ar.readValueR(4));
            ar.readValueR(4); // byte rate
            ar.readValueR(2); // block alignment
            wave.bits = int(ar.readValueR(2));
        }
        if (RIFF_Chunk* data = entry->getChunk(QStringLiteral("data")))
            wave.fromPCM(data->data);
        wavePool.append(wave);
    }
}

Sample* GIG_Document::readRegion(RIFF_Chunk& region) const
{
    auto* sample = new Sample;
    if (RIFF_Chunk* rgnh = region.getChunk(QStringLiteral("rgnh"))) {
        Archive ar(std::as_const(rgnh->data));
        sample->keyLow = int(ar.readValueR(2));
        sample->keyHigh = int(ar.readValueR(2));
        sample->velocityLow = int(ar.readValueR(2));
        sample->velocityHigh = int(ar.readValueR(2));
    }
    if (RIFF_Chunk* wsmp = region.getChunk(QStringLiteral("wsmp"))) {
        Archive ar(std::as_const(wsmp->data));
        ar.readValueR(4); // structure size
        sample->rootKey = int(ar.readValueR(2));
        ar.readValueR(2); // fine tune
        ar.readValueR(4); // gain
        ar.readValueR(4); // options
        const int loops = int(ar.readValueR(4));
        if (loops >= 1) {
            // Only the first loop is kept, so no more is read, whatever the
            // count says.
            sample->loopMode = Sample::LoopForward;
            ar.readValueR(4); // loop record size
            ar.readValueR(4); // loop type
            const quint32 start = ar.readValueR(4);
            const quint32 length = ar.readValueR(4);
            sample->loopStart = clippedInt(start);
            sample->loopEnd = clippedInt(qint64(start) + length);
        } else {
            sample->loopMode = Sample::LoopOff;
        }
    }
    if (RIFF_Chunk* wlnk = region.getChunk(QStringLiteral("wlnk"))) {
        Archive ar(std::as_const(wlnk->data));
        ar.readValueR(2); // options
        ar.readValueR(2); // phase group
        ar.readValueR(4); // channel
        const quint32 index = ar.readValueR(4);
        // A link past the pool leaves the region without sound.
        if (index < quint32(wavePool.size())) {
            const AudioWave& wave = wavePool.at(qsizetype(index));
            sample->rate = wave.rate;
            sample->bits = wave.bits;
            sample->channels = wave.channels;
            sample->left = wave.left;
            sample->right = wave.right;
        }
    }
    return sample;
}
