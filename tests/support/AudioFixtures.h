// What the audio tests share: the committed fixture files, byte builders for
// hand-made RIFF and FORM files, and the outside sound tools (sox,
// sndfile-info) the readers and writers are checked against.
#pragma once

#include "Archive.h"
#include "Buffer.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class AudioWave;

namespace AudioFixtures {

// tests/audio/fixtures/<name> in the source tree.
QString fixturePath(const QString& name);

QByteArray le(quint32 value, int bytes);
QByteArray be(quint32 value, int bytes);
// A chunk: tag, size (little-endian for RIFF, big-endian for FORM), body and
// the pad byte of an odd size.
QByteArray riffChunk(const QByteArray& tag, const QByteArray& body);
QByteArray formChunk(const QByteArray& tag, const QByteArray& body);
// "RIFF" size form chunks..., "FORM" size kind chunks...
QByteArray riffFile(const QByteArray& form, const QByteArray& chunks);
QByteArray formFile(const QByteArray& kind, const QByteArray& chunks);
// A WAVE "fmt " chunk of integer PCM (or another tag).
QByteArray wavFmt(int channels, quint32 rate, int bits, int tag = 1);
// An AIFF "COMM" chunk, the rate as an 80-bit float.
QByteArray aiffComm(int channels, quint32 frames, int bits, double rate);

Buffer bufferOf(const QByteArray& bytes);

// A document loaded from the bytes, or stored into them (null when the
// store is refused).
template <class Doc>
bool loadBytes(Doc& doc, const QByteArray& bytes)
{
    const Buffer data = bufferOf(bytes);
    Archive ar(data);
    return doc.loadDocument(ar);
}

template <class Doc>
QByteArray storeBytes(Doc& doc)
{
    Buffer out;
    Archive ar(out);
    return doc.storeDocument(ar) ? out.bytes() : QByteArray();
}

// The path of an outside tool, or "" after QSKIP (QFAIL under CI=true) in the
// calling test. Use through REQUIRE_TOOL.
QString findTool(const QString& name, QString* why);

// Runs a program; its standard output, or a null array (and the reason in
// error) when it failed.
QByteArray run(const QString& program, const QStringList& args, QString* error);

// Every point of the wave in frame order, channels interleaved.
QList<int> points(const AudioWave& wave);
// Interleaved signed little-endian samples of the given width, as
// "sox FILE -t raw -e signed -b N -L -" writes them.
QList<int> rawPoints(const QByteArray& raw, int bytes);

} // namespace AudioFixtures

// In a test function: the tool's path, or the test ends here (skipped, or
// failed when CI=true says the tools must be there).
#define REQUIRE_TOOL(var, name)                                                                              \
    QString var;                                                                                             \
    do {                                                                                                     \
        QString why_;                                                                                        \
        var = AudioFixtures::findTool(QStringLiteral(name), &why_);                                          \
        if (var.isEmpty()) {                                                                                 \
            if (qEnvironmentVariable("CI") == QLatin1String("true"))                                         \
                QFAIL(qPrintable(why_));                                                                     \
            QSKIP(qPrintable(why_));                                                                         \
        }                                                                                                    \
    } while (false)
