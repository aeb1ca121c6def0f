// Library files of 100,000 patches (a Voice Library of voices and drum kits,
// FillVoiceLibrary): saving, and loading beside the floor of reading the
// same file and splitting it at every F7 (each load beside a floor run just
// before it), with the peak memory of a load against the file's size. Then the dependencies of the most tangled Ridev
// Library: calculating them, and the tips of every row.
#include "BenchMain.h"
#include "Dependencies.h"
#include "DeviceBank.h"
#include "LibraryGenerator.h"
#include "PeakMemory.h"
#include "Vesk.h"
#include "VeskAll_Library.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int Patches = 100000;

Vesk* device = nullptr;

QTemporaryDir& folder()
{
    static QTemporaryDir dir;
    return dir;
}

// Made once, and dropped once the file is written and timed.
std::unique_ptr<VeskVLib_Library>& generated()
{
    static std::unique_ptr<VeskVLib_Library> library;
    static GeneratedLibrary made;
    static bool done = false;
    if (!done) {
        done = true;
        library = std::make_unique<VeskVLib_Library>(device);
        made = FillVoiceLibrary(*library, Patches);
        std::printf("generated: %d voices, %d drum kits, %d copies\n", made.voices, made.drumKits, made.copies);
    }
    return library;
}

const QString& libraryFile()
{
    static const QString path = [] {
        const QString file = folder().filePath(QStringLiteral("large.vlib"));
        if (!generated() || !generated()->storeFile(file))
            return QString();
        return file;
    }();
    return path;
}

qint64 fileSize(const QString& path)
{
    return QFileInfo(path).size();
}

void BM_VoiceLibrarySave(benchmark::State& state)
{
    const QString& path = libraryFile();
    if (path.isEmpty()) {
        state.SkipWithError("the library could not be written");
        return;
    }
    const QString copy = folder().filePath(QStringLiteral("saved.vlib"));
    for (auto _ : state) {
        if (!generated()->storeFile(copy))
            state.SkipWithError("the library could not be written");
    }
    state.SetBytesProcessed(state.iterations() * fileSize(copy));
    state.counters["file_MB"] = double(fileSize(copy)) / (1 << 20);
    state.counters["patches"] = Patches;
    // The loads below need no more than the file.
    generated().reset();
    QFile::remove(copy);
}
BENCHMARK(BM_VoiceLibrarySave)->Unit(benchmark::kMillisecond)->Iterations(3);

// The floor: the file read whole, then split at every F7. Gives the number
// of messages.
qsizetype readAndSplit(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = file.readAll();
    const char* p = bytes.constData();
    const char* const end = p + bytes.size();
    qsizetype messages = 0;
    while (const void* f7 = std::memchr(p, 0xF7, size_t(end - p))) {
        p = static_cast<const char*>(f7) + 1;
        ++messages;
    }
    return messages;
}

void BM_VoiceLibraryReadAndSplit(benchmark::State& state)
{
    const QString& path = libraryFile();
    qsizetype messages = 0;
    for (auto _ : state) {
        messages = readAndSplit(path);
        if (messages < 0)
            state.SkipWithError("cannot read");
        benchmark::DoNotOptimize(messages);
    }
    state.SetBytesProcessed(state.iterations() * fileSize(path));
    state.counters["messages"] = double(messages);
}
BENCHMARK(BM_VoiceLibraryReadAndSplit)->Unit(benchmark::kMillisecond);

// The load, each iteration beside the floor run just before it (not in the
// benchmark's time): the counters give the medians of both and their ratio,
// and the peak memory of a load against the file's size.
void BM_VoiceLibraryLoad(benchmark::State& state)
{
    const QString& path = libraryFile();
    int loaded = 0;
    const qint64 peak = PeakGrowth([&] {
        VeskVLib_Library library(device);
        library.loadFile(path);
        loaded = library.ridevPatchesCount();
    });
    if (loaded != Patches)
        state.SkipWithError("the library did not load");
    std::vector<double> floors;
    std::vector<double> loads;
    QElapsedTimer timer;
    for (auto _ : state) {
        state.PauseTiming();
        timer.start();
        benchmark::DoNotOptimize(readAndSplit(path));
        floors.push_back(timer.nsecsElapsed() / 1e6);
        auto library = std::make_unique<VeskVLib_Library>(device);
        state.ResumeTiming();

        timer.start();
        if (!library->loadFile(path))
            state.SkipWithError("the library did not load");
        loads.push_back(timer.nsecsElapsed() / 1e6);

        state.PauseTiming();
        library.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * fileSize(path));
    state.counters["file_MB"] = double(fileSize(path)) / (1 << 20);
    state.counters["peak_MB"] = double(peak) / (1 << 20);
    state.counters["peak_per_file"] = double(peak) / double(fileSize(path));
    state.counters["floor_ms"] = MedianOf(floors);
    state.counters["load_ms"] = MedianOf(loads);
    state.counters["per_floor"] = MedianOf(loads) / MedianOf(floors);
}
BENCHMARK(BM_VoiceLibraryLoad)->Unit(benchmark::kMillisecond);

VeskAll_Library& tangled()
{
    static VeskAll_Library* library = [] {
        auto* made = new VeskAll_Library(device);
        TangleRidevLibrary(*made);
        return made;
    }();
    return *library;
}

void BM_DependenciesCalculate(benchmark::State& state)
{
    Dependencies deps;
    for (auto _ : state) {
        deps.calculate(&tangled());
        benchmark::DoNotOptimize(deps.isEmpty());
    }
}
BENCHMARK(BM_DependenciesCalculate)->Unit(benchmark::kMicrosecond);

// The tip of every row of every bank group, as hovering the whole library
// would ask for them.
void BM_DependencyTipsOfEveryRow(benchmark::State& state)
{
    Dependencies deps;
    deps.calculate(&tangled());
    const BankSet banks(&tangled());
    qsizetype chars = 0;
    int rows = 0;
    for (auto _ : state) {
        chars = 0;
        rows = 0;
        for (const auto& bank : banks) {
            for (int program = 0; program < bank->count(); ++program, ++rows)
                chars += deps.tipText(Patch(bank->bankWord(), program), &tangled()).size();
        }
        benchmark::DoNotOptimize(chars);
    }
    state.counters["rows"] = rows;
    state.counters["s_per_row"] =
        benchmark::Counter(double(rows), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_DependencyTipsOfEveryRow)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    UseVirtualBusOffscreen();
    TestEnvironment env;
    QCoreApplication app(argc, argv);
    Vesk vesk;
    device = &vesk;
    return RunRegisteredBenchmarks(argc, argv);
}
