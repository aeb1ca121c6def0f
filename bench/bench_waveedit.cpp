// The wave editor on ten minutes of 44.1 kHz 16-bit stereo (105.8 MB):
// normalize, reverse, cut and paste back, fade in and crossfade of one
// channel, each beside memcpy of one channel (the floor); the edits a user
// makes in turn (normalize, fade in, cut and paste back) timed in the same
// iteration as the floor, as multiples of it; and painting the fitted wave
// in a 1000-pixel view, first (every sample read) and again from the kept
// columns.
#include "AudioPort.h"
#include "BenchMain.h"
#include "WaveEditor.h"

#include <QImage>


#include <chrono>
#include <cstring>
#include <vector>

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

// Each iteration copies the channel (the floor), then normalizes it, fades
// it in, and cuts a tenth from the middle and pastes it back, each timed on
// its own: on a shared machine floor and work meet the same load. The
// counters are medians over the iterations, in ms and in multiples of the
// floor.
void BM_EditsBesideFloor(benchmark::State& state)
{
    AudioWave& w = bigWave();
    std::vector<unsigned char> to(size_t(w.left.size()));
    using Clock = std::chrono::steady_clock;
    const auto ms = [](Clock::time_point a, Clock::time_point b) {
        return std::chrono::duration<double, std::milli>(b - a).count();
    };
    std::vector<double> floor, normalize, fade, cutPaste;
    const int a = Frames / 2, b = a + Frames / 10;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        std::memcpy(to.data(), w.left.data(), to.size());
        benchmark::ClobberMemory();
        const auto t1 = Clock::now();
        w.normalize(0, 0.98);
        const auto t2 = Clock::now();
        w.fadeIn(1.2, 0, 0, Frames);
        const auto t3 = Clock::now();
        const Buffer section = w.copy(0, a, b);
        w.cut(0, a, b);
        w.paste(0, section, a);
        const auto t4 = Clock::now();
        floor.push_back(ms(t0, t1));
        normalize.push_back(ms(t1, t2));
        fade.push_back(ms(t2, t3));
        cutPaste.push_back(ms(t3, t4));
    }
    const double f = MedianOf(floor);
    state.counters["floor_ms"] = f;
    state.counters["normalize_x"] = MedianOf(normalize) / f;
    state.counters["fadein_x"] = MedianOf(fade) / f;
    state.counters["cutpaste_x"] = MedianOf(cutPaste) / f;
    std::vector<double> all;
    for (size_t i = 0; i < floor.size(); ++i)
        all.push_back((normalize[i] + fade[i] + cutPaste[i]) / floor[i]);
    state.counters["all_three_x"] = MedianOf(all);
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
BENCHMARK(BM_EditsBesideFloor)->Iterations(9)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Paint)->Arg(0)->Arg(1)->ArgName("cached")->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    UseVirtualBusOffscreen();
    TestEnvironment env;
    QApplication app(argc, argv);
    return RunRegisteredBenchmarks(argc, argv);
}
