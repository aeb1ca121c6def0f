// Instrument files: Debian's TimGM6mb.sf2 (about 6 MB) loaded into a bank of
// samples and zones, and on into instruments of samples, side by side with
// sf2dump (gigtools) reading and printing the same file in the same run. Peak
// memory is the growth of the resident size while one load runs; sf2dump's
// is its own peak.
#include "ExternalProgram.h"
#include "PeakMemory.h"
#include "SF2_Document.h"
#include "SampleFile.h"

#include <QFileInfo>

#include <benchmark/benchmark.h>

namespace {

const QString TimGM6mb = QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2");

void setCounters(benchmark::State& state, qint64 peak)
{
    const qint64 size = QFileInfo(TimGM6mb).size();
    state.SetBytesProcessed(state.iterations() * size);
    state.counters["file_MB"] = double(size) / 1e6;
    state.counters["peak_MB"] = double(peak) / 1e6;
}

bool present(benchmark::State& state)
{
    if (QFileInfo::exists(TimGM6mb))
        return true;
    state.SkipWithError("timgm6mb-soundfont is needed (tools/deps)");
    return false;
}

// The bank read into its samples and instruments' zones.
void BM_SF2Load(benchmark::State& state)
{
    if (!present(state))
        return;
    const qint64 peak = PeakGrowth([] {
        SF2_Document doc;
        doc.loadFile(TimGM6mb);
    });
    for (auto _ : state) {
        SF2_Document doc;
        if (!doc.loadFile(TimGM6mb) || doc.samples.isEmpty())
            state.SkipWithError("the bank did not load");
    }
    setCounters(state, peak);
}

// The bank read, then every zone made a sample of its own instrument.
void BM_SF2LoadInstruments(benchmark::State& state)
{
    if (!present(state))
        return;
    auto once = [] {
        SF2_Document doc;
        SampleFile list;
        if (!doc.loadFile(TimGM6mb))
            return false;
        list.fromSF2(doc);
        return !list.isEmpty();
    };
    const qint64 peak = PeakGrowth([&] { once(); });
    for (auto _ : state) {
        if (!once())
            state.SkipWithError("the bank did not load");
    }
    setCounters(state, peak);
}

// sf2dump on the same file, its listing thrown away.
void BM_Sf2dump(benchmark::State& state)
{
    if (!present(state))
        return;
    const QStringList sf2dump{QStringLiteral("sf2dump"), TimGM6mb};
    const qint64 peak = PeakOfProgram(sf2dump);
    for (auto _ : state) {
        if (!RunProgram(sf2dump))
            state.SkipWithError("sf2dump failed (gigtools, through tools/deps)");
    }
    setCounters(state, peak);
}

BENCHMARK(BM_SF2Load)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(BM_SF2LoadInstruments)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(BM_Sf2dump)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

} // namespace

BENCHMARK_MAIN();
