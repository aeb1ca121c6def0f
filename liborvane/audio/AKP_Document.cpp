#include "AKP_Document.h"

#include "Archive.h"

#include <QDir>
#include <QFileInfo>

namespace {

constexpr int SubChunkHeader = 8; // identifier and size
// Bytes of a "kloc" and a "zone" sub-chunk.
constexpr int KeyLowAt = 4;
constexpr int KeyHighAt = 5;
constexpr int NameAt = 2;
constexpr int NameSize = 32;
constexpr int VelocityLowAt = 34;
constexpr int VelocityHighAt = 35;

} // namespace

AKP_Document::AKP_Document() = default;

AKP_Document::~AKP_Document()
{
    clearDocument();
}

void AKP_Document::clearDocument()
{
    RIFF_Document::clearDocument();
    qDeleteAll(instruments);
    instruments.clear();
}

bool AKP_Document::storeDocument(Archive& ar)
{
    Q_UNUSED(ar);
    return true;
}

QString AKP_Document::soundPath(const QString& folder, const QString& name)
{
    // The name comes from the file: one naming another folder ("../x",
    // "/x") must not make the program read files beside it.
    if (folder.isEmpty() || name.contains(QLatin1Char('/')))
        return QString();
    return folder + QLatin1Char('/') + name + QStringLiteral(".wav");
}

bool AKP_Document::loadDocument(Archive& ar)
{
    clearDocument();
    RIFF_Document::loadDocument(ar); // a file that is not RIFF gives no keygroups
    const QFileInfo file(ar.filename());
    // A program read from memory has no folder to take sounds from.
    const QString folder = ar.filename().isEmpty() ? QString() : file.absolutePath();
    auto* instrument = new Instrument(file.baseName());
    instruments.append(instrument);
    for (RIFF_Chunk* chunk : std::as_const(root.list)) {
        if (chunk->id == QLatin1String("kgrp"))
            instrument->samples.append(readKeygroup(chunk->data, folder));
    }
    return true;
}

Sample* AKP_Document::readKeygroup(const Buffer& data, const QString& folder) const
{
    auto* sample = new Sample;
    int keyLow = 0;
    int keyHigh = 0;
    int zones = -1;
    Archive ar(data);
    const qint64 end = data.size();
    // Every sub-chunk moves reading on by its header at least, and none runs
    // past the keygroup, whatever its size says.
    while (end - ar.pos() >= SubChunkHeader) {
        const QString id = ar.readText(4);
        const qint64 size = ar.readValueR(4);
        const qint64 start = ar.pos();
        const qint64 stop = qMin(end, start + size);
        Buffer body;
        body.share(data.bytes(), start, stop - start);
        if (id == QLatin1String("kloc")) {
            keyLow = body.at(KeyLowAt);
            keyHigh = body.at(KeyHighAt);
        } else if (id == QLatin1String("zone") && ++zones == 0) {
            const QString path = soundPath(folder, body.readText(NameAt, NameSize));
            if (!path.isEmpty())
                sample->fromFile(path);
            sample->keyLow = keyLow;
            sample->keyHigh = keyHigh;
            sample->velocityLow = body.at(VelocityLowAt);
            sample->velocityHigh = body.at(VelocityHighAt);
        }
        ar.seek(stop);
    }
    return sample;
}
