#include "WAV_Document.h"

#include "Archive.h"
#include "PcmCodec.h"
#include "VarArgs.h"

#include <climits>
#include <cstring>

namespace {

constexpr int FormatPCM = 1;
// The extensible form: the same sixteen bytes, then (from byte 16) the size
// of the extension, the valid bits, the speaker mask and a 16-byte GUID of
// the sub-format, whose first four bytes are the sub-format's own tag and
// whose last twelve are the same for every sub-format.
constexpr int FormatExtensible = 0xFFFE;
constexpr int ExtensibleSize = 40;
constexpr int SubFormatAt = 24;
const char SubFormatTail[] = "\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71";
// A "smpl" chunk: seven words of sampler data, the loop count and the size
// of the sampler-specific data, then 24 bytes a loop.
constexpr int SamplerHeaderSize = 36;
constexpr int LoopSize = 24;

// A format tag as the registry of tags writes it: "0x0003".
QString hexTag(int tag)
{
    return QStringLiteral("0x") + QStringLiteral("%1").arg(tag, 4, 16, QLatin1Char('0')).toUpper();
}

QString unsupportedTag(int tag)
{
    return QStringLiteral("Unsupported WAV format ") + hexTag(tag);
}

QString unsupportedFormat(const AudioFormat& format)
{
    return VarArgs::format(QStringLiteral("Unsupported sample format: %d channels, %d bits"), format.channels,
                           format.bits);
}

// The rate as the header's unsigned integer, truncated.
quint32 headerRate(double rate)
{
    if (!(rate > 0))
        return 0;
    return rate >= double(UINT_MAX) ? UINT_MAX : quint32(rate);
}

} // namespace

WAV_Document::WAV_Document() = default;

void WAV_Document::clearDocument()
{
    RIFF_Document::clearDocument();
    wave.reset();
    loops.clear();
    hasInstrument = false;
}

bool WAV_Document::loadDocument(Archive& ar)
{
    clearDocument();
    RIFF_Document::loadDocument(ar); // a file that is not RIFF leaves no chunks, caught below
    RIFF_Chunk* fmt = root.getChunk(QStringLiteral("fmt "));
    RIFF_Chunk* data = root.getChunk(QStringLiteral("data"));
    if (fmt == nullptr || data == nullptr) {
        setDocError(QStringLiteral("File does not contain data"));
        return false;
    }

    Archive format(std::as_const(fmt->data));
    formatTag = int(format.readValueR(2));
    if (formatTag == FormatExtensible) {
        // Integer PCM in the longer header (every 24-bit file of most
        // recording programs) is read as plain PCM, and held and stored as
        // such.
        const Buffer& header = fmt->data;
        if (header.size() < ExtensibleSize) {
            setDocError(unsupportedTag(formatTag) + QStringLiteral(" without its sub-format"));
            return false;
        }
        const int subFormat = int(header.readValueR(SubFormatAt, 4));
        if (header.bytes().mid(SubFormatAt + 4, 12) != QByteArrayView(SubFormatTail, 12)) {
            setDocError(unsupportedTag(formatTag) + QStringLiteral(" of an unknown sub-format"));
            return false;
        }
        if (subFormat != FormatPCM) {
            setDocError(unsupportedTag(formatTag) + QStringLiteral(", sub-format ") + hexTag(subFormat));
            return false;
        }
        formatTag = FormatPCM;
    } else if (formatTag != FormatPCM) {
        setDocError(unsupportedTag(formatTag));
        return false;
    }
    wave.channels = int(format.readValueR(2));
    wave.rate = double(format.readValueR(4));
    format.skip(4 + 2); // byte rate and block alignment follow from the rest
    wave.bits = int(format.readValueR(2));
    if (!wave.isSupported()) {
        setDocError(unsupportedFormat(wave));
        return false;
    }
    // The chunk's own size, without the pad byte, bounds the sound.
    ar.seek(data->offset - 4);
    const qint64 declared = ar.readValueR(4);
    ar.seek(data->offset);
    PcmCodec::readFrames(ar, qMin<qint64>(declared, data->size), wave, false);

    if (RIFF_Chunk* smpl = root.getChunk(QStringLiteral("smpl"))) {
        Archive sampler(std::as_const(smpl->data));
        sampler.skip(7 * 4); // manufacturer .. SMPTE offset
        const qint64 count = qint32(sampler.readValueR(4));
        sampler.skip(4);
        const qint64 room = qMax(0, smpl->data.size() - SamplerHeaderSize) / LoopSize;
        for (qint64 n = qMin(count, room); n > 0; --n) {
            WAV_Loop loop;
            loop.identifier = sampler.readValueR(4);
            loop.type = sampler.readValueR(4);
            loop.start = sampler.readValueR(4);
            loop.end = sampler.readValueR(4);
            loop.fraction = sampler.readValueR(4);
            loop.playCount = sampler.readValueR(4);
            loops.append(loop);
        }
    }

    if (RIFF_Chunk* inst = root.getChunk(QStringLiteral("inst"))) {
        hasInstrument = true;
        for (int k = 0; k < InstSize; ++k)
            instrument[k] = static_cast<unsigned char>(inst->data.at(k));
    }
    return true;
}

bool WAV_Document::readsData(const RIFF_Chunk& chunk) const
{
    return !(chunk.parent == &root && chunk.id == QLatin1String("data"));
}

bool WAV_Document::storeDocument(Archive& ar)
{
    if (!wave.isSupported()) {
        setDocError(unsupportedFormat(wave));
        return false;
    }
    const qint64 frames = PcmCodec::framesSize(wave);
    if (frames > qint64(UINT_MAX) - 64) {
        setDocError(QStringLiteral("The sound is too long for a WAV file"));
        return false;
    }

    ar.writeText(QStringLiteral("RIFF"));
    ar.willPutSize();
    ar.writeText(QStringLiteral("WAVE"));

    ar.writeText(QStringLiteral("fmt "));
    ar.writeValueR(16, 4);
    ar.writeValueR(quint32(formatTag), 2);
    ar.writeValueR(quint32(wave.channels), 2);
    ar.writeValueR(headerRate(wave.rate), 4);
    ar.writeValueR(quint32(wave.byteRate()), 4);
    ar.writeValueR(quint32(wave.frameSize()), 2);
    ar.writeValueR(quint32(wave.bits), 2);

    ar.writeText(QStringLiteral("data"));
    ar.writeValueR(quint32(frames), 4);
    PcmCodec::writeFrames(ar, wave, false);
    if (frames % 2 != 0)
        ar.writeBYTE(0);

    if (!loops.isEmpty()) {
        ar.writeText(QStringLiteral("smpl"));
        ar.willPutSize();
        for (int k = 0; k < 7; ++k)
            ar.writeValueR(0, 4);
        ar.writeValueR(quint32(loops.size()), 4);
        ar.writeValueR(0, 4); // no sampler-specific data
        for (const WAV_Loop& loop : std::as_const(loops)) {
            ar.writeValueR(loop.identifier, 4);
            ar.writeValueR(loop.type, 4);
            ar.writeValueR(loop.start, 4);
            ar.writeValueR(loop.end, 4);
            ar.writeValueR(loop.fraction, 4);
            ar.writeValueR(loop.playCount, 4);
        }
        ar.putSizeR();
    }

    if (hasInstrument) {
        ar.writeText(QStringLiteral("inst"));
        ar.writeValueR(InstSize, 4);
        ar.writeRaw(instrument, InstSize);
        ar.writeBYTE(0);
    }

    ar.putSizeR();
    return true;
}

QString WAV_Document::toString() const
{
    return VarArgs::format(QStringLiteral("WaveFormat=%d %s Size=%d\nLeft=%s"), formatTag, wave.toString(),
                           wave.left.size(), wave.left.toString(1024));
}
