#include "AudioFixtures.h"

#include "Archive.h"
#include "AudioWave.h"
#include "Encoding.h"

#include <QProcess>
#include <QStandardPaths>

namespace AudioFixtures {

QString fixturePath(const QString& name)
{
    return QStringLiteral(ORVANE_SOURCE_DIR "/tests/audio/fixtures/") + name;
}

QByteArray le(quint32 value, int bytes)
{
    QByteArray out;
    for (int k = 0; k < bytes; ++k)
        out.append(char(quint64(value) >> (8 * k)));
    return out;
}

QByteArray be(quint32 value, int bytes)
{
    QByteArray out;
    for (int k = bytes - 1; k >= 0; --k)
        out.append(char(quint64(value) >> (8 * k)));
    return out;
}

QByteArray riffChunk(const QByteArray& tag, const QByteArray& body)
{
    return tag + le(quint32(body.size()), 4) + body + (body.size() % 2 ? QByteArray(1, '\0') : QByteArray());
}

QByteArray formChunk(const QByteArray& tag, const QByteArray& body)
{
    return tag + be(quint32(body.size()), 4) + body + (body.size() % 2 ? QByteArray(1, '\0') : QByteArray());
}

QByteArray riffFile(const QByteArray& form, const QByteArray& chunks)
{
    return "RIFF" + le(quint32(4 + chunks.size()), 4) + form + chunks;
}

QByteArray formFile(const QByteArray& kind, const QByteArray& chunks)
{
    return "FORM" + be(quint32(4 + chunks.size()), 4) + kind + chunks;
}

QByteArray wavFmt(int channels, quint32 rate, int bits, int tag)
{
    const int frame = channels * ((bits + 7) / 8);
    return riffChunk("fmt ", le(quint32(tag), 2) + le(quint32(channels), 2) + le(rate, 4) +
                                 le(rate * quint32(frame), 4) + le(quint32(frame), 2) + le(quint32(bits), 2));
}

QByteArray aiffComm(int channels, quint32 frames, int bits, double rate)
{
    Buffer body;
    Archive ar(body);
    ar.writeWORD(quint16(channels));
    ar.writeUINT(frames);
    ar.writeWORD(quint16(bits));
    ar.writeFloat80(rate);
    return formChunk("COMM", body.bytes());
}

Buffer bufferOf(const QByteArray& bytes)
{
    Buffer b;
    b.setBytes(bytes);
    return b;
}

QString findTool(const QString& name, QString* why)
{
    const QString path = QStandardPaths::findExecutable(name);
    if (path.isEmpty())
        *why = QStringLiteral("%1 is not installed (tools/deps installs it)").arg(name);
    return path;
}

QByteArray run(const QString& program, const QStringList& args, QString* error)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        *error = QStringLiteral("%1 %2: %3")
                     .arg(program, args.join(QLatin1Char(' ')), QString::fromLocal8Bit(p.readAllStandardError()));
        return QByteArray();
    }
    QByteArray out = p.readAllStandardOutput();
    if (out.isNull())
        out = QByteArray("");
    return out;
}

QList<int> points(const AudioWave& wave)
{
    QList<int> out;
    const int frames = wave.channelLength(0);
    for (int i = 0; i < frames; ++i) {
        for (int ch = 0; ch < wave.channels; ++ch)
            out.append(wave.getPoint(ch, i));
    }
    return out;
}

QList<int> rawPoints(const QByteArray& raw, int bytes)
{
    QList<int> out;
    const Buffer b = bufferOf(raw);
    for (int at = 0; at + bytes <= b.size(); at += bytes)
        out.append(DecodeSigned(b.readValueR(at, bytes), bytes));
    return out;
}

} // namespace AudioFixtures
