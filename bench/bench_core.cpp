// Throughput of the byte layer: hex text of buffers and archives over memory.
#include "Archive.h"
#include "Buffer.h"

#include <benchmark/benchmark.h>

namespace {

Buffer patternBuffer(int n)
{
    QByteArray bytes(n, Qt::Uninitialized);
    for (int i = 0; i < n; ++i)
        bytes[i] = char((i * 37 + 11) & 0xFF);
    Buffer b;
    b.setBytes(bytes);
    return b;
}

// 1 MB through toString(-1) and back through fromString, as received sysex
// crosses from the receive thread to the GUI thread.
void BM_BufferHexRoundTrip(benchmark::State& state)
{
    const Buffer source = patternBuffer(1 << 20);
    Buffer back;
    for (auto _ : state) {
        const QString text = source.toString(-1);
        if (!back.fromString(text) || back.size() != source.size())
            state.SkipWithError("hex round trip lost bytes");
        benchmark::DoNotOptimize(back.data());
    }
    state.SetBytesProcessed(state.iterations() * source.size());
}
BENCHMARK(BM_BufferHexRoundTrip)->Unit(benchmark::kMillisecond);

// A library-sized document: ~10 MB of 4 KB dumps, each with its size, a word
// and a comment, written into a Buffer and read back.
void BM_ArchiveRoundTrip(benchmark::State& state)
{
    const Buffer dump = patternBuffer(4096);
    const QString comment = QStringLiteral("Grand Piano layered with strings");
    const int records = (10 << 20) / 4096;
    qint64 bytes = 0;
    for (auto _ : state) {
        Buffer storage;
        {
            Archive out(storage);
            out << records;
            for (int r = 0; r < records; ++r)
                out << dump.size() << static_cast<unsigned short>(r) << dump << comment;
        }
        Archive in(storage);
        int count = 0;
        in >> count;
        Buffer read;
        QString text;
        for (int r = 0; r < count; ++r) {
            int size = 0;
            unsigned short word = 0;
            in >> size >> word;
            if (size < 0 || size > in.remaining())
                break;
            read.allocate(size);
            in >> read >> text;
        }
        if (!in.ok() || !in.eof() || read != dump)
            state.SkipWithError("archive round trip failed");
        bytes += storage.size();
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_ArchiveRoundTrip)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
