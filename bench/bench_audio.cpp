// Sample files: ten minutes of 44.1 kHz stereo (16- and 24-bit, WAV and
// AIFF, about 106 and 159 MB) loaded into a wave buffer and stored again,
// side by side with sox doing the same on the same files in the same run,
// and with memcpy of as many bytes (the floor). Peak memory is the growth of
// the resident size while one load or store runs; sox's is its own peak.
//
// Large blocks come fresh from the system at every load, so each load pays
// the first-touch page faults of the wave's memory; on a busy virtual machine
// these dominate, and the figures move with the machine's load.
//
// The files are made by sox (and sndfile-convert, for a 24-bit WAV with the
// plain PCM header) in a temporary folder on first use.
#include "AudioWave.h"
#include "ExternalProgram.h"
#include "PeakMemory.h"
#include "Sample.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

enum Kind
{
    Wav16,
    Wav24,
    Aiff16,
    Aiff24
};

const char* const KindNames[] = {"wav16", "wav24", "aiff16", "aiff24"};

QTemporaryDir& folder()
{
    static QTemporaryDir dir;
    return dir;
}

// The file of a kind, made on first use; "" when the tools are missing.
QString fileOf(Kind kind)
{
    static QString paths[4];
    static bool made = false;
    if (!made) {
        made = true;
        const QDir dir(folder().path());
        const QString wav16 = dir.filePath(QStringLiteral("in16.wav"));
        const QString sox24 = dir.filePath(QStringLiteral("sox24.wav"));
        const QString wav24 = dir.filePath(QStringLiteral("in24.wav"));
        const QString aiff16 = dir.filePath(QStringLiteral("in16.aiff"));
        const QString aiff24 = dir.filePath(QStringLiteral("in24.aiff"));
        const bool ok =
            RunProgram({"sox", "-R", "-r", "44100", "-c", "2", "-n", "-b", "16", wav16, "synth", "600",
                         "whitenoise", "sine", "500"}) &&
            RunProgram({"sox", wav16, "-b", "24", sox24}) &&
            // sox gives wider WAV files the extensible header, which the reader refuses.
            RunProgram({"sndfile-convert", "-pcm24", sox24, wav24}) && RunProgram({"sox", wav16, aiff16}) &&
            RunProgram({"sox", wav16, "-b", "24", aiff24});
        QFile::remove(sox24);
        if (ok) {
            paths[Wav16] = wav16;
            paths[Wav24] = wav24;
            paths[Aiff16] = aiff16;
            paths[Aiff24] = aiff24;
        }
    }
    return paths[kind];
}

qint64 fileSize(const QString& path)
{
    return QFileInfo(path).size();
}

void setCounters(benchmark::State& state, const QString& path, qint64 peak)
{
    state.SetBytesProcessed(state.iterations() * fileSize(path));
    state.counters["file_MB"] = double(fileSize(path)) / 1e6;
    state.counters["peak_MB"] = double(peak) / 1e6;
    state.counters["peak_per_file"] = double(peak) / double(fileSize(path));
}

QString outputPath(Kind kind)
{
    return folder().filePath(QStringLiteral("out.") +
                             (kind == Wav16 || kind == Wav24 ? QStringLiteral("wav") : QStringLiteral("aiff")));
}

// The floor: as many bytes copied in memory as the file holds.
void BM_Memcpy(benchmark::State& state)
{
    const QString path = fileOf(Kind(state.range(0)));
    if (path.isEmpty()) {
        state.SkipWithError("sox and sndfile-convert are needed to make the files");
        return;
    }
    const size_t n = size_t(fileSize(path));
    std::vector<char> from(n, 1), to(n, 0);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), n);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * qint64(n));
    state.SetLabel(KindNames[state.range(0)]);
}

void BM_Load(benchmark::State& state)
{
    const QString path = fileOf(Kind(state.range(0)));
    if (path.isEmpty()) {
        state.SkipWithError("sox and sndfile-convert are needed to make the files");
        return;
    }
    const qint64 peak = PeakGrowth([&] {
        AudioWave wave;
        wave.fromFile(path);
    });
    for (auto _ : state) {
        AudioWave wave;
        wave.fromFile(path);
        if (wave.sampleLength() != 600 * 44100)
            state.SkipWithError("the file did not load");
    }
    setCounters(state, path, peak);
    state.SetLabel(KindNames[state.range(0)]);
}

// sox decoding the same file: "sox FILE -t raw /dev/null".
void BM_SoxLoad(benchmark::State& state)
{
    const QString path = fileOf(Kind(state.range(0)));
    if (path.isEmpty()) {
        state.SkipWithError("sox and sndfile-convert are needed to make the files");
        return;
    }
    const QStringList sox{"sox", path, "-t", "raw", "/dev/null"};
    const qint64 peak = PeakOfProgram(sox);
    for (auto _ : state) {
        if (!RunProgram(sox))
            state.SkipWithError("sox failed");
    }
    setCounters(state, path, peak);
    state.SetLabel(KindNames[state.range(0)]);
}

// Storing a loaded sample as a file of the same kind.
void BM_Store(benchmark::State& state)
{
    const Kind kind = Kind(state.range(0));
    const QString path = fileOf(kind);
    if (path.isEmpty()) {
        state.SkipWithError("sox and sndfile-convert are needed to make the files");
        return;
    }
    Sample sample;
    static_cast<AudioWave&>(sample).fromFile(path);
    const QString out = outputPath(kind);
    const qint64 peak = PeakGrowth([&] { sample.toFile(out); });
    for (auto _ : state) {
        if (!sample.toFile(out))
            state.SkipWithError("the file was not stored");
    }
    setCounters(state, path, peak);
    state.SetLabel(KindNames[state.range(0)]);
}

// A file read and written again as the same kind: ours, then sox's "sox IN OUT".
void BM_LoadStore(benchmark::State& state)
{
    const Kind kind = Kind(state.range(0));
    const QString path = fileOf(kind);
    if (path.isEmpty()) {
        state.SkipWithError("sox and sndfile-convert are needed to make the files");
        return;
    }
    const QString out = outputPath(kind);
    auto once = [&] {
        Sample sample;
        static_cast<AudioWave&>(sample).fromFile(path);
        return sample.toFile(out);
    };
    const qint64 peak = PeakGrowth([&] { once(); });
    for (auto _ : state) {
        if (!once())
            state.SkipWithError("the file was not stored");
    }
    setCounters(state, path, peak);
    state.SetLabel(KindNames[state.range(0)]);
}

void BM_SoxLoadStore(benchmark::State& state)
{
    const Kind kind = Kind(state.range(0));
    const QString path = fileOf(kind);
    if (path.isEmpty()) {
        state.SkipWithError("sox and sndfile-convert are needed to make the files");
        return;
    }
    const QStringList sox{"sox", path, outputPath(kind)};
    const qint64 peak = PeakOfProgram(sox);
    for (auto _ : state) {
        if (!RunProgram(sox))
            state.SkipWithError("sox failed");
    }
    setCounters(state, path, peak);
    state.SetLabel(KindNames[state.range(0)]);
}

void kinds(benchmark::internal::Benchmark* b)
{
    b->DenseRange(Wav16, Aiff24)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
}

BENCHMARK(BM_Memcpy)->Apply(kinds);
BENCHMARK(BM_Load)->Apply(kinds);
BENCHMARK(BM_SoxLoad)->Apply(kinds);
BENCHMARK(BM_Store)->Apply(kinds);
BENCHMARK(BM_LoadStore)->Apply(kinds);
BENCHMARK(BM_SoxLoadStore)->Apply(kinds);

} // namespace

BENCHMARK_MAIN();
