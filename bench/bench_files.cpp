// Reading files from disk: a 10 MB XML document and a native all-data file of
// 5 data chunks x 4,000 entries, each against reading the same file raw (the
// floor), with the peak memory of the native load and the time a damaged file
// of the same size takes to fail; and the peak memory of a native file of a
// million one-byte entries. peak_MB is the rise of the resident size; for the
// heap alone, run the benchmark under heaptrack:
//   heaptrack bench_files --benchmark_filter=OneByte
#include "ES_Document.h"
#include "PeakMemory.h"
#include "XmlDocument.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QTemporaryDir& folder()
{
    static QTemporaryDir dir;
    return dir;
}

QString writeFile(const QString& name, const QByteArray& bytes)
{
    const QString path = folder().filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}

// A panel-like document: nested sections of controls with attributes, some
// with a bare "&" in their titles, and a little text.
const QString& xmlFile()
{
    static const QString path = [] {
        QByteArray xml = "<?xml version=\"1.0\"?>\n<panels>\n";
        int n = 0;
        while (xml.size() < 10 * 1024 * 1024) {
            xml += "  <section name=\"S" + QByteArray::number(n) + "\" title=\"Edit &Voice\">\n";
            for (int i = 0; i < 20; ++i, ++n)
                xml += "    <edit param=\"0x" + QByteArray::number(0x300000 + n, 16) +
                       "\" title=\"Level &amp; Pan " + QByteArray::number(i) +
                       "\" min=\"0\" max=\"127\" items=\"off|on\">text</edit>\n";
            xml += "  </section>\n";
        }
        xml += "</panels>\n";
        return writeFile(QStringLiteral("panels.xml"), xml);
    }();
    return path;
}

void putUint(QByteArray& bytes, qsizetype at, quint32 value)
{
    for (int k = 0; k < 4; ++k)
        bytes[at + k] = char(value >> (24 - 8 * k));
}

constexpr int Entries = 4000;

// Five data chunks of 4,000 entries each, with their count chunks. damaged:
// the last count is more than its chunk can hold.
QByteArray nativeBytes(bool damaged)
{
    const struct
    {
        const char* data;
        const char* count;
        int entrySize;
    } kinds[] = {{"DNVC", "ENVC", 512},
                 {"DDVC", "EDVC", 1024},
                 {"DPVC", "EPVC", 256},
                 {"DPFM", "EPFM", 384},
                 {"DMST", "EMST", 128}};
    QByteArray bytes(ES_Document::CatalogueEnd, '\0');
    bytes.replace(0, 5, "A0745");
    int listed = 0;
    auto chunk = [&](const char* tag, quint32 size, qsizetype length) {
        const qsizetype offset = bytes.size();
        const int at = ES_Document::CatalogueOffset + listed++ * ES_Document::CatalogueEntrySize;
        bytes.replace(at, 4, tag);
        putUint(bytes, at + 4, quint32(offset));
        QByteArray body(length, '\0');
        for (qsizetype i = 8; i < length; ++i)
            body[i] = char(i * 13);
        body.replace(0, 4, tag);
        bytes += body;
        putUint(bytes, offset + 4, size);
        return offset;
    };
    for (const auto& kind : kinds) {
        const bool last = &kind == &kinds[4];
        chunk(kind.count, 32 + 32 * (damaged && last ? Entries * 1000 : Entries), 8);
        const quint32 size = 48 + quint32(Entries) * kind.entrySize;
        const qsizetype offset = chunk(kind.data, size, size);
        putUint(bytes, offset + 40, 48);
    }
    return bytes;
}

// One data chunk of a million one-byte entries: the file whose entries cost
// the most bookkeeping per byte. Written piece by piece, so that making it
// leaves no megabyte on the heap beside the load's.
const QString& oneByteEntryFile()
{
    static const QString path = [] {
        constexpr quint32 Count = 1000000;
        QByteArray head(ES_Document::CatalogueEnd, '\0');
        head.replace(0, 5, "A0745");
        const auto list = [&](int index, const char* tag, qsizetype offset) {
            const int at = ES_Document::CatalogueOffset + index * ES_Document::CatalogueEntrySize;
            head.replace(at, 4, tag);
            putUint(head, at + 4, quint32(offset));
        };
        list(0, "ENVC", head.size());
        head += QByteArray("ENVC\0\0\0\0", 8);
        putUint(head, head.size() - 4, 32 + 32 * Count);
        const qsizetype offset = head.size();
        list(1, "DNVC", offset);
        head += QByteArray(48, '\0');
        head.replace(offset, 4, "DNVC");
        putUint(head, offset + 4, 48 + Count);
        putUint(head, offset + 40, 48);

        const QString name = folder().filePath(QStringLiteral("onebyte.w7a"));
        QFile file(name);
        if (!file.open(QIODevice::WriteOnly) || file.write(head) != head.size())
            return QString();
        QByteArray piece(64 * 1024, '\0');
        for (quint32 done = 0; done < Count;) {
            const quint32 n = qMin<quint32>(Count - done, quint32(piece.size()));
            for (quint32 i = 0; i < n; ++i)
                piece[i] = char((48 + done + i) * 13);
            if (file.write(piece.constData(), n) != n)
                return QString();
            done += n;
        }
        return name;
    }();
    return path;
}

const QString& nativeFile(bool damaged)
{
    static const QString good = writeFile(QStringLiteral("all.w7a"), nativeBytes(false));
    static const QString bad = writeFile(QStringLiteral("damaged.w7a"), nativeBytes(true));
    return damaged ? bad : good;
}

qint64 fileSize(const QString& path)
{
    return QFileInfo(path).size();
}

// The floor: the file's bytes read into memory and nothing else.
void readRaw(benchmark::State& state, const QString& path)
{
    for (auto _ : state) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            state.SkipWithError("cannot read");
        benchmark::DoNotOptimize(file.readAll());
    }
    state.SetBytesProcessed(state.iterations() * fileSize(path));
    state.counters["file_MB"] = double(fileSize(path)) / (1 << 20);
}

void BM_XmlReadRaw10MB(benchmark::State& state)
{
    readRaw(state, xmlFile());
}
BENCHMARK(BM_XmlReadRaw10MB)->Unit(benchmark::kMillisecond);

void BM_XmlLoad10MB(benchmark::State& state)
{
    const QString& path = xmlFile();
    for (auto _ : state) {
        XmlDocument doc;
        if (!doc.loadFile(path))
            state.SkipWithError("the document did not load");
        benchmark::DoNotOptimize(doc.root());
    }
    state.SetBytesProcessed(state.iterations() * fileSize(path));
}
BENCHMARK(BM_XmlLoad10MB)->Unit(benchmark::kMillisecond);

void BM_NativeReadRaw(benchmark::State& state)
{
    readRaw(state, nativeFile(false));
}
BENCHMARK(BM_NativeReadRaw)->Unit(benchmark::kMillisecond);

void BM_NativeLoad(benchmark::State& state)
{
    const QString& path = nativeFile(false);
    const qint64 peak = PeakGrowth([&] {
        ES_Document doc;
        doc.loadFile(path);
    });
    for (auto _ : state) {
        ES_Document doc;
        if (!doc.loadFile(path) || doc.getChunk(QStringLiteral("DMST"))->entryCount() != Entries)
            state.SkipWithError("the file did not load");
    }
    state.SetBytesProcessed(state.iterations() * fileSize(path));
    state.counters["peak_MB"] = double(peak) / (1 << 20);
    state.counters["peak_per_file"] = double(peak) / double(fileSize(path));
}
BENCHMARK(BM_NativeLoad)->Unit(benchmark::kMillisecond);

// Peak memory of a load against the file's size when every entry is one
// byte long (run it under heaptrack for the heap alone: see the header).
void BM_NativeLoadOneByteEntries(benchmark::State& state)
{
    const QString& path = oneByteEntryFile();
    const qint64 peak = PeakGrowth([&] {
        ES_Document doc;
        doc.loadFile(path);
    });
    for (auto _ : state) {
        ES_Document doc;
        if (!doc.loadFile(path) || doc.getChunk(QStringLiteral("DNVC"))->entryCount() != 1000000)
            state.SkipWithError("the file did not load");
    }
    state.SetBytesProcessed(state.iterations() * fileSize(path));
    state.counters["file_MB"] = double(fileSize(path)) / (1 << 20);
    state.counters["peak_MB"] = double(peak) / (1 << 20);
    state.counters["peak_per_file"] = double(peak) / double(fileSize(path));
}
BENCHMARK(BM_NativeLoadOneByteEntries)->Unit(benchmark::kMillisecond);

void BM_NativeLoadDamaged(benchmark::State& state)
{
    const QString& path = nativeFile(true);
    for (auto _ : state) {
        ES_Document doc;
        if (doc.loadFile(path))
            state.SkipWithError("the damaged file loaded");
    }
    state.SetBytesProcessed(state.iterations() * fileSize(path));
}
BENCHMARK(BM_NativeLoadDamaged)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
