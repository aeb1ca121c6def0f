// Cost of splitting, storing and reading back a library-sized dump, beside a
// plain memory copy of the same size on this machine.
#include "BenchMain.h"
#include "Archive.h"
#include "BulkDump.h"
#include "TestEnvironment.h"
#include "TestSysex.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {
constexpr int StreamBytes = 10 * 1024 * 1024;

TestDevice* device = nullptr;

// Bulk blocks of 128 data bytes back to back, the way a received or stored
// library holds them: 10 MB.
const Buffer& stream()
{
    static const Buffer bytes = [] {
        Buffer out;
        out.reserve(StreamBytes + 256);
        QByteArray data(128, '\0');
        for (int i = 0; i < data.size(); ++i)
            data[i] = char(i & 0x7F);
        TestSysex msg;
        for (unsigned int block = 0; out.size() < StreamBytes; ++block) {
            msg.prepareBulkDump(0x100000 + ((block & 0xFFF) << 8), data);
            out.append(msg);
        }
        return out;
    }();
    return bytes;
}

void BM_FromBuffer(benchmark::State& state)
{
    const Buffer& bytes = stream();
    BulkDump dump;
    for (auto _ : state) {
        dump.fromBuffer(&bytes, device, false);
        benchmark::DoNotOptimize(dump.size());
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
    state.counters["messages"] = double(dump.size());
}
BENCHMARK(BM_FromBuffer)->Unit(benchmark::kMillisecond);

void BM_ArchiveRoundTrip(benchmark::State& state)
{
    BulkDump dump;
    dump.fromBuffer(&stream(), device, false);
    BulkDump back;
    for (auto _ : state) {
        Buffer stored;
        stored.reserve(dump.getRidevSize() + 4);
        {
            Archive out(stored);
            dump.toArchive(out);
        }
        Archive in(static_cast<const Buffer&>(stored));
        back.fromArchive(in, device);
        benchmark::DoNotOptimize(back.size());
    }
    state.SetBytesProcessed(state.iterations() * dump.getRidevSize());
}
BENCHMARK(BM_ArchiveRoundTrip)->Unit(benchmark::kMillisecond);

void BM_Memcpy(benchmark::State& state)
{
    std::vector<char> from(StreamBytes, 'x');
    std::vector<char> to(StreamBytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), StreamBytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * qint64(StreamBytes));
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    // The device needs an application and must not touch the user's profile.
    UseVirtualBusOffscreen();
    TestEnvironment env;
    QCoreApplication app(argc, argv);
    TestDevice dev;
    device = &dev;
    return RunRegisteredBenchmarks(argc, argv);
}
