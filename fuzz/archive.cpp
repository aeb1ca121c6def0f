// Archive reads over memory and over a file, driven by the same script: both
// must give the same values, positions and failures, and no read may leave
// the stream.
//
// Input: a script length byte, the script (each step a read kind and an
// argument byte), then the stream's bytes.
#include "Archive.h"
#include "FuzzSupport.h"

#include <QStringList>

#include <cmath>
#include <cstring>

namespace {

// One step of the script on one archive; the value it gave as text.
QString step(Archive& ar, int kind, int arg)
{
    switch (kind % 17) {
    case 0:
        return QString::number(ar.readBYTE());
    case 1:
        return QString::number(ar.readWORD());
    case 2:
        return QString::number(ar.readUINT());
    case 3:
        return QString::number(ar.readInt());
    case 4:
        return QString::number(ar.readValueR(arg % 9));
    case 5: {
        const double v = ar.readFloat80();
        return std::isnan(v) ? QStringLiteral("nan") : QString::number(v, 'g', 17);
    }
    case 6:
        return ar.readPString();
    case 7:
        return ar.readText(arg - 1);
    case 8:
        return QString::number(ar.readVarLength());
    case 9: {
        Buffer b;
        const bool ok = ar.readBuffer(b);
        return QString::number(ok) + b.toString();
    }
    case 10: {
        QByteArray raw(arg, '\0');
        const bool ok = ar.readRaw(raw.data(), arg);
        return QString::number(ok) + QString::fromLatin1(raw.toHex());
    }
    case 11: {
        QString text;
        ar >> text;
        return text;
    }
    case 12: {
        Buffer b(arg);
        ar >> b;
        return b.toString();
    }
    case 13:
        return QString::number(ar.seek(arg * 3 - 20));
    case 14:
        return QString::number(ar.skip(arg - 128));
    case 15:
        return QString::number(ar.eof()) + QString::number(ar.reached(arg));
    default: {
        unsigned short w = 0;
        unsigned char c = 0;
        unsigned int u = 0;
        ar >> w >> c >> u;
        return QStringLiteral("%1 %2 %3").arg(w).arg(c).arg(u);
    }
    }
}

QStringList run(Archive& ar, const uint8_t* script, size_t steps)
{
    QStringList results;
    for (size_t i = 0; i + 1 < steps; i += 2) {
        const bool wasFailed = ar.failed();
        results << step(ar, script[i], script[i + 1]);
        results << QStringLiteral("%1/%2/%3").arg(ar.pos()).arg(ar.failed()).arg(ar.remaining());
        // The read position never leaves the stream, failure sticks, and a
        // failed read leaves the stream at its end.
        FUZZ_CHECK(ar.pos() >= 0 && ar.pos() <= ar.size());
        FUZZ_CHECK(ar.remaining() == ar.size() - ar.pos());
        FUZZ_CHECK(!wasFailed || ar.failed());
    }
    return results;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FUZZ_SETUP();
    if (size < 1)
        return 0;
    const size_t steps = qMin<size_t>(data[0], size - 1);
    const uint8_t* script = data + 1;
    Buffer stream;
    stream.append(script + steps, int(size - 1 - steps));

    Archive memory(static_cast<const Buffer&>(stream));
    const QStringList fromMemory = run(memory, script, steps);

    Archive file;
    FUZZ_CHECK(file.readFile(Fuzz::writeTempFile(QStringLiteral("archive.bin"), stream.bytes())));
    FUZZ_CHECK(file.size() == stream.size());
    const QStringList fromFile = run(file, script, steps);
    FUZZ_CHECK(fromMemory == fromFile);
    return 0;
}
