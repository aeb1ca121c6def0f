#include "AIFF_Document.h"

#include "Archive.h"
#include "PcmCodec.h"
#include "VarArgs.h"

#include <climits>

namespace {

// channels (2), frames (4), bits (2), rate (10): an AIFC "COMM" is longer.
constexpr quint32 CommonSize = 18;
constexpr quint32 SoundHeaderSize = 8; // offset and block size
// The markers the writer gives the sustain loop.
constexpr quint16 LoopBeginMarker = 1;
constexpr quint16 LoopEndMarker = 2;

// A play mode of the "INST" sustain loop as a Sample loop mode, or -1.
int loopModeOf(int playMode)
{
    switch (playMode) {
    case 0:
        return Sample::LoopOff;
    case 1:
        return Sample::LoopForward;
    case 2:
        return Sample::LoopAlternate;
    default:
        return -1;
    }
}

// The reverse: a loop mode the file cannot name loops forward.
int playModeOf(int loopMode)
{
    switch (loopMode) {
    case Sample::LoopOff:
        return 0;
    case Sample::LoopAlternate:
        return 2;
    default:
        return 1;
    }
}

int framePosition(quint32 position)
{
    return position > quint32(INT_MAX) ? INT_MAX : int(position);
}

QString unsupportedFormat(const AudioFormat& format)
{
    return VarArgs::format(QStringLiteral("Unsupported sample format: %d channels, %d bits"), format.channels,
                           format.bits);
}

// True when the zone differs from a new sample's, so the writer keeps it.
bool hasZone(const Sample& s)
{
    const Sample defaults;
    return s.loopMode != Sample::LoopOff || s.rootKey != defaults.rootKey || s.keyLow != defaults.keyLow ||
           s.keyHigh != defaults.keyHigh || s.velocityLow != defaults.velocityLow ||
           s.velocityHigh != defaults.velocityHigh;
}

} // namespace

AIFF_Document::AIFF_Document() = default;

void AIFF_Document::clearDocument()
{
    sample.reset();
    markers.clear();
}

AIFF_Marker* AIFF_Document::getMarker(unsigned short id)
{
    for (AIFF_Marker& marker : markers) {
        if (marker.id == id)
            return &marker;
    }
    return nullptr;
}

void AIFF_Document::readInstrument(const Buffer& chunk)
{
    Archive in(chunk);
    sample.rootKey = in.readBYTE();
    in.readBYTE(); // detune
    sample.keyLow = in.readBYTE();
    sample.keyHigh = in.readBYTE();
    sample.velocityLow = in.readBYTE();
    sample.velocityHigh = in.readBYTE();
    in.readWORD(); // gain
    const int mode = loopModeOf(in.readWORD());
    const quint16 begin = in.readWORD();
    const quint16 end = in.readWORD();
    if (mode >= 0)
        sample.loopMode = mode;
    if (const AIFF_Marker* m = getMarker(begin))
        sample.loopStart = framePosition(m->position);
    if (const AIFF_Marker* m = getMarker(end))
        sample.loopEnd = framePosition(m->position);
}

bool AIFF_Document::loadDocument(Archive& ar)
{
    clearDocument();
    if (ar.readText(4) != QLatin1String("FORM"))
        return false;
    ar.readUINT(); // the form size: chunks are read up to the end of the file
    if (ar.eof())
        return false;
    ar.readText(4); // "AIFF"; its value does not matter
    if (ar.eof())
        return false;

    // The sound waits for the end of the walk, so that it is decoded with the
    // format of "COMM" even when "SSND" comes first.
    qint64 soundAt = -1;
    qint64 soundLength = 0;
    for (;;) {
        const QString id = ar.readText(4);
        if (ar.eof())
            break;
        const quint32 declared = ar.readUINT();
        if (declared & 0x80000000u || ar.eof())
            break;
        const qint64 room = qMin<qint64>(declared, ar.remaining());
        const qint64 chunkEnd = ar.pos() + room;

        if (id == QLatin1String("SSND")) {
            soundAt = chunkEnd;
            soundLength = 0;
            if (room >= SoundHeaderSize) {
                const quint32 offset = ar.readUINT();
                ar.readUINT(); // block size
                soundAt = ar.pos() + qMin<qint64>(offset, chunkEnd - ar.pos());
                soundLength = chunkEnd - soundAt;
            }
        } else if (id == QLatin1String("COMM") || id == QLatin1String("MARK") || id == QLatin1String("INST")) {
            Buffer chunk{int(room)};
            ar >> chunk;
            Archive in(std::as_const(chunk));
            if (id == QLatin1String("COMM")) {
                if (declared > CommonSize)
                    return false; // AIFC
                sample.channels = in.readWORD();
                in.readUINT(); // frame count: the sound's own size decides
                sample.bits = in.readWORD();
                sample.rate = in.readFloat80();
                if (!sample.isSupported()) {
                    setDocError(unsupportedFormat(sample));
                    return false;
                }
            } else if (id == QLatin1String("MARK")) {
                for (int count = in.readWORD(); count > 0 && !in.eof(); --count) {
                    AIFF_Marker marker;
                    marker.id = in.readWORD();
                    marker.position = in.readUINT();
                    marker.name = in.readPString();
                    if (in.failed())
                        break; // a marker cut off by the end of the chunk
                    markers.append(marker);
                }
            } else {
                readInstrument(chunk);
            }
        }

        ar.seek(chunkEnd);
        if (declared % 2 != 0 && !ar.eof())
            ar.skip(1);
        if (ar.eof())
            break;
    }

    if (soundAt >= 0) {
        ar.seek(soundAt);
        if (!PcmCodec::readFrames(ar, soundLength, sample, true)) {
            setDocError(unsupportedFormat(sample));
            return false;
        }
    }
    return true;
}

bool AIFF_Document::storeDocument(Archive& ar)
{
    if (!sample.isSupported()) {
        setDocError(unsupportedFormat(sample));
        return false;
    }
    const qint64 frames = PcmCodec::framesSize(sample);
    if (frames > qint64(UINT_MAX) - 256) {
        setDocError(QStringLiteral("The sound is too long for an AIFF file"));
        return false;
    }

    ar.writeText(QStringLiteral("FORM"));
    ar.willPutSize();
    ar.writeText(QStringLiteral("AIFF"));

    ar.writeText(QStringLiteral("COMM"));
    ar.writeUINT(CommonSize);
    ar.writeWORD(quint16(sample.channels));
    ar.writeUINT(quint32(frames / sample.frameSize()));
    ar.writeWORD(quint16(sample.bits));
    ar.writeFloat80(sample.rate);

    ar.writeText(QStringLiteral("SSND"));
    ar.writeUINT(SoundHeaderSize + quint32(frames));
    ar.writeUINT(0); // offset
    ar.writeUINT(0); // block size
    PcmCodec::writeFrames(ar, sample, true);
    if (frames % 2 != 0)
        ar.writeBYTE(0);

    if (hasZone(sample)) {
        const bool looped = sample.loopMode != Sample::LoopOff;
        if (looped) {
            ar.writeText(QStringLiteral("MARK"));
            ar.willPutSize();
            ar.writeWORD(2);
            ar.writeWORD(LoopBeginMarker);
            ar.writeUINT(quint32(qMax(0, sample.loopStart)));
            ar.writePString(QStringLiteral("loop start"));
            ar.writeWORD(LoopEndMarker);
            ar.writeUINT(quint32(qMax(0, sample.loopEnd)));
            ar.writePString(QStringLiteral("loop end"));
            ar.putSize();
        }
        ar.writeText(QStringLiteral("INST"));
        ar.writeUINT(20);
        ar.writeBYTE(sample.rootKey);
        ar.writeBYTE(0); // detune
        ar.writeBYTE(sample.keyLow);
        ar.writeBYTE(sample.keyHigh);
        ar.writeBYTE(sample.velocityLow);
        ar.writeBYTE(sample.velocityHigh);
        ar.writeWORD(0); // gain
        ar.writeWORD(quint16(looped ? playModeOf(sample.loopMode) : 0));
        ar.writeWORD(looped ? LoopBeginMarker : 0);
        ar.writeWORD(looped ? LoopEndMarker : 0);
        for (int k = 0; k < 3; ++k)
            ar.writeWORD(0); // no release loop
    }

    ar.putSize();
    return true;
}
