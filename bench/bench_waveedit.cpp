// The wave editor on ten minutes of 44.1 kHz 16-bit stereo (105.8 MB):
// normalize, reverse, cut and paste back, fade in and crossfade of one
// channel, each beside memcpy of one channel (the floor); and painting the
// fitted wave in a 1000-pixel view, first (every sample read) and again from
// the kept columns.
#include "AudioPort.h"
#include "BenchMain.h"
#include "WaveEditor.h"

#include <QImage>

#include <cstring>

namespace {

constexpr int Frames = 44100 * 600;

AudioWave& bigWave()
{
    static AudioWave w = [] {
        AudioWave wave;
        wave.bits = 16;
        wave.channels = 2;
        wave.rate = 44100;
        wave.left.allocate(Frames * 2);
        wave.right.allocate(Frames * 2);
        quint32 x = 3;
        for (int i = 0; i < Frames; ++i) {
            x = x * 1664525u + 1013904223u;
            wave.setPoint(0, i, int(x >> 16) / 2 - 16384);
            wave.setPoint(1, i, int(x & 0xFFFF) / 2 - 16384);
        }
        return wave;
    }();
    return w;
}

void setBytes(benchmark::State& state)
{
    state.SetBytesProcessed(state.iterations() * qint64(Frames) * 2);
}

void BM_MemcpyChannel(benchmark::State& state)
{
    const Buffer& from = bigWave().left;
    std::vector<unsigned char> to(size_t(from.size()));
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), to.size());
        benchmark::ClobberMemory();
    }
    setBytes(state);
}

void BM_Normalize(benchmark::State& state)
{
    AudioWave& w = bigWave();
    for (auto _ : state)
        w.normalize(0, 0.98);
    setBytes(state);
}

void BM_Reverse(benchmark::State& state)
{
    AudioWave& w = bigWave();
    for (auto _ : state)
        w.reverse(0, 0, Frames);
    setBytes(state);
}

// A tenth of the channel cut from the middle and pasted back.
void BM_CutPaste(benchmark::State& state)
{
    AudioWave& w = bigWave();
    const int a = Frames / 2, b = a + Frames / 10;
    for (auto _ : state) {
        const Buffer section = w.copy(0, a, b);
        w.cut(0, a, b);
        w.paste(0, section, a);
    }
    setBytes(state);
}

void BM_FadeIn(benchmark::State& state)
{
    AudioWave& w = bigWave();
    for (auto _ : state)
        w.fadeIn(1.2, 0, 0, Frames);
    setBytes(state);
}

// The loop crossfade over half the wave (loop at a quarter, end at the end).
void BM_Crossfade(benchmark::State& state)
{
    AudioWave& w = bigWave();
    for (auto _ : state)
        w.crossfade(1.2, 1.0, 0, Frames / 4, Frames);
    setBytes(state);
}

void BM_Paint(benchmark::State& state)
{
    const bool cached = state.range(0) != 0;
    AudioDevice device;
    WaveEditor editor(nullptr, &device, true);
    editor.resize(1020, 300); // a 1000-pixel wave area
    QImage image(editor.size(), QImage::Format_ARGB32);
    editor.setWave(&bigWave(), 0, 0, -1);
    editor.render(&image);
    for (auto _ : state) {
        if (!cached) {
            state.PauseTiming();
            editor.setWave(&bigWave(), 0, 0, -1);
            state.ResumeTiming();
        }
        editor.render(&image);
    }
}

BENCHMARK(BM_MemcpyChannel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Normalize)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Reverse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CutPaste)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FadeIn)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Crossfade)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Paint)->Arg(0)->Arg(1)->ArgName("cached")->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    UseVirtualBusOffscreen();
    TestEnvironment env;
    QApplication app(argc, argv);
    return RunRegisteredBenchmarks(argc, argv);
}
