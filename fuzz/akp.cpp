// Sampler programs on any bytes, read from a file in a folder of their own:
// loading ends and always gives one instrument with a sample per keygroup,
// and no zone name reaches a sound outside the program's folder.
#include "AKP_Document.h"
#include "Archive.h"
#include "FuzzSupport.h"
#include "RIFF_Document.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QByteArray le(quint32 value, int bytes)
{
    QByteArray out;
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
    return out;
}

// A mono 16-bit WAV of the given points.
QByteArray wav(const QList<int>& points)
{
    QByteArray pcm;
    for (int p : points)
        pcm += le(quint32(p), 2);
    const QByteArray fmt = le(1, 2) + le(1, 2) + le(8000, 4) + le(16000, 4) + le(2, 2) + le(16, 2);
    const QByteArray body = "WAVE" + QByteArray("fmt ") + le(16, 4) + fmt + "data" + le(pcm.size(), 4) + pcm;
    return "RIFF" + le(body.size(), 4) + body;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FUZZ_SETUP();
    // The sounds a program may name: one beside it, one in the folder above.
    static const QString outside = Fuzz::writeTempFile(QStringLiteral("outside.wav"), wav({7, 7, 7, 7}));
    static const QString folder = QFileInfo(outside).path() + QStringLiteral("/program");
    static const bool inside = [] {
        QFile f(folder + QStringLiteral("/Violin C3.wav"));
        if (!QDir().mkpath(folder))
            return false;
        const QByteArray bytes = wav({1, 2, 3, 4, 5});
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    }();
    FUZZ_CHECK(inside);

    const QString path = folder + QStringLiteral("/Fuzz.akp");
    {
        QFile f(path);
        FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(f.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
    }
    AKP_Document doc;
    FUZZ_CHECK(doc.loadFile(path));
    FUZZ_CHECK(doc.instruments.size() == 1);
    FUZZ_CHECK(doc.instruments[0]->name == QLatin1String("Fuzz"));
    int keygroups = 0;
    for (const RIFF_Chunk* chunk : std::as_const(doc.root.list))
        keygroups += chunk->id == QLatin1String("kgrp") ? 1 : 0;
    FUZZ_CHECK(doc.instruments[0]->samples.size() == keygroups);
    for (const Sample* s : doc.instruments[0]->samples) {
        FUZZ_CHECK(s->keyLow >= 0 && s->keyLow <= 255 && s->keyHigh >= 0 && s->keyHigh <= 255);
        FUZZ_CHECK(s->velocityLow >= 0 && s->velocityLow <= 255);
        // The sound outside the folder is never read.
        FUZZ_CHECK(s->left.size() != 8 || s->left.at(0) != 7);
    }
    return 0;
}
