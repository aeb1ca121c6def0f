// Single samples read from and written to WAV and AIFF files (declared in
// Sample.h and AudioWave.h).
#include "AIFF_Document.h"
#include "Paths.h"
#include "Prompts.h"
#include "RIFF_Document.h"
#include "Sample.h"
#include "VarArgs.h"
#include "WAV_Document.h"

#include <climits>

namespace {

const QString TagAIFF = QStringLiteral("FORMAIFF");
const QString TagWAV = QStringLiteral("RIFFWAVE");

void takeWave(AudioWave& to, const AudioWave& from)
{
    to.rate = from.rate;
    to.bits = from.bits;
    to.channels = from.channels;
    to.left = from.left;
    to.right = from.right;
}

// The message names the file, then why the reader refused it.
void reportUnsupported(const QString& format, const QString& path, const QString& reason)
{
    QString text = VarArgs::format(format, GetCompactPath(path));
    if (!reason.isEmpty())
        text += QStringLiteral("\n\n") + reason;
    error(nullptr, text, QString());
}

int loopPoint(quint32 frame)
{
    return frame > quint32(INT_MAX) ? INT_MAX : int(frame);
}

} // namespace

void Sample::fromFile(const QString& path)
{
    const QString tag = ReadRIFFHeader(path);
    if (tag == TagAIFF) {
        AIFF_Document doc;
        if (doc.loadFile(path))
            fromAIFF(&doc);
        else
            reportUnsupported(QStringLiteral("Unsupported AIFF file\n\n%s"), path, doc.docError());
    } else if (tag == TagWAV) {
        WAV_Document doc;
        if (doc.loadFile(path))
            fromWAV(&doc);
        else
            reportUnsupported(QStringLiteral("Unsupported WAV file\n\n%s"), path, doc.docError());
    }
}

void Sample::fromWAV(WAV_Document* doc)
{
    reset();
    takeWave(*this, doc->wave);
    if (!doc->loops.isEmpty()) {
        const WAV_Loop& loop = doc->loops.first();
        loopMode = LoopForward;
        loopStart = loopPoint(loop.start);
        loopEnd = loopPoint(loop.end);
    } else {
        loopMode = LoopOff;
    }
    if (doc->hasInstrument) {
        rootKey = doc->instrument[WAV_Document::InstUnshiftedNote];
        keyHigh = doc->instrument[WAV_Document::InstHighNote];
        keyLow = doc->instrument[WAV_Document::InstLowNote];
        velocityHigh = doc->instrument[WAV_Document::InstHighVelocity];
        velocityLow = doc->instrument[WAV_Document::InstLowVelocity];
    }
}

void Sample::fromAIFF(AIFF_Document* doc)
{
    *this = doc->sample;
}

bool Sample::toFile(const QString& path) const
{
    if (CheckExtension(path, QStringLiteral("wav")))
        return toWAV(path);
    if (CheckExtensions(path, {QStringLiteral("aiff"), QStringLiteral("aif")}))
        return toAIFF(path);
    return false;
}

bool Sample::toWAV(const QString& path) const
{
    WAV_Document doc;
    takeWave(doc.wave, *this);
    doc.loops.clear();
    if (loopMode != LoopOff) {
        WAV_Loop loop;
        loop.start = quint32(qMax(0, loopStart));
        loop.end = quint32(qMax(0, loopEnd));
        doc.loops.append(loop);
    }
    doc.hasInstrument = true;
    doc.instrument[WAV_Document::InstUnshiftedNote] = static_cast<unsigned char>(rootKey);
    doc.instrument[WAV_Document::InstFineTune] = 0;
    doc.instrument[WAV_Document::InstGain] = 0;
    doc.instrument[WAV_Document::InstLowNote] = static_cast<unsigned char>(keyLow);
    doc.instrument[WAV_Document::InstHighNote] = static_cast<unsigned char>(keyHigh);
    doc.instrument[WAV_Document::InstLowVelocity] = static_cast<unsigned char>(velocityLow);
    doc.instrument[WAV_Document::InstHighVelocity] = static_cast<unsigned char>(velocityHigh);
    if (!doc.storeFile(path)) {
        error(nullptr, doc.docError(), QString());
        return false;
    }
    return true;
}

bool Sample::toAIFF(const QString& path) const
{
    AIFF_Document doc;
    doc.sample = *this;
    return doc.storeFile(path);
}

void AudioWave::fromFile(const QString& path)
{
    const QString tag = ReadRIFFHeader(path);
    // A file that does not load leaves a new, empty wave.
    if (tag == TagAIFF) {
        AIFF_Document doc;
        takeWave(*this, doc.loadFile(path) ? static_cast<const AudioWave&>(doc.sample) : AudioWave());
    } else if (tag == TagWAV) {
        WAV_Document doc;
        takeWave(*this, doc.loadFile(path) ? doc.wave : AudioWave());
    }
}
