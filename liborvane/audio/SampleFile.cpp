#include "SampleFile.h"

#include "AKP_Document.h"
#include "Archive.h"
#include "GIG_Document.h"
#include "Prompts.h"
#include "SF2_Document.h"

#include <climits>

namespace {

int clippedInt(qint64 value)
{
    return int(qBound(qint64(INT_MIN), value, qint64(INT_MAX)));
}

// Loads the document; a failure is shown to the user.
template <class Doc>
bool load(Doc& doc, const QString& path)
{
    if (doc.loadFile(path))
        return true;
    error(nullptr, doc.docError(), QString());
    return false;
}

} // namespace

bool SampleFile::fromFile(const QString& path)
{
    const QString tag = ReadRIFFHeader(path);
    if (tag == QLatin1String("RIFFsfbk")) {
        SF2_Document doc;
        if (!load(doc, path))
            return false;
        fromSF2(doc);
    } else if (tag == QLatin1String("RIFFDLS ")) {
        GIG_Document doc;
        if (!load(doc, path))
            return false;
        fromGIG(doc);
    } else if (tag == QLatin1String("RIFFAPRG")) {
        AKP_Document doc;
        if (!load(doc, path))
            return false;
        fromAKP(doc);
    } else if (tag == QLatin1String("CcnKFPCh")) {
        // Recognised, but it holds no instruments that can be read.
    }
    // Any other kind (a single sample file among them) adds nothing.
    sort();
    return true;
}

void SampleFile::fromSF2(SF2_Document& doc)
{
    for (const SF2_Instrument& source : std::as_const(doc.instruments)) {
        auto* instrument = new Instrument(source.name);
        for (const SF2_Keybank& zone : source.keybanks) {
            const SF2_Sample* s = doc.sampleAt(zone.sample);
            if (s == nullptr)
                continue;
            auto* sample = new Sample;
            sample->rate = double(s->sampleRate);
            sample->left = s->wave.left;
            sample->right = s->wave.right;
            sample->rootKey = zone.rootKey != -1 ? zone.rootKey : int(s->pitch);
            sample->keyHigh = zone.keyHigh;
            sample->keyLow = zone.keyLow;
            sample->velocityHigh = zone.velocityHigh;
            sample->velocityLow = zone.velocityLow;
            sample->volume = 127;
            sample->pan = zone.pan;
            sample->loopMode = zone.loop;
            sample->startOffset = zone.startOffset;
            // Loop points count from the sample's own first point.
            sample->loopStart = clippedInt(qint64(s->loopStart) - s->start + zone.loopStartOffset);
            sample->loopEnd = clippedInt(qint64(s->loopEnd) - s->start + zone.loopEndOffset);
            sample->coarseTune = zone.coarseTune;
            sample->fineTune = zone.fineTune;
            instrument->samples.append(sample);
        }
        append(instrument);
    }
}

void SampleFile::fromGIG(GIG_Document& doc)
{
    Instruments::operator=(doc.instruments);
}

void SampleFile::fromAKP(AKP_Document& doc)
{
    Instruments::operator=(doc.instruments);
}

QStringList SampleFile::SupportedFormats()
{
    return {QStringLiteral("sf2"), QStringLiteral("gig"), QStringLiteral("akp"),
            QStringLiteral("wav"), QStringLiteral("aif"), QStringLiteral("aiff")};
}

int SampleFile::ridevSamples() const
{
    int count = 0;
    for (const Instrument* instrument : *this)
        count += instrument->samples.size();
    return count;
}
