// The audio output port's callback: what one block costs (on the fake
// backend, the callback alone, beside a plain copy of the block), and how
// long the longest callback takes over a 60-second play on a private JACK
// server through RtAudio. And Play on that server: how long it holds the GUI
// thread (the device opens on a worker), beside what the GUI thread used to
// spend in it (listing the devices and opening the stream).
//
// While our callback runs on the audio thread, this program counts every
// call into the allocator (malloc, calloc, realloc, free, the aligned forms)
// and every lock taken (pthread_mutex_lock and trylock, futex system calls,
// which is where a contended QMutex or std::mutex ends up); both must stay 0.
// The functions below replace the C library's for the whole process and hand
// on to it.
#include "AudioPort.h"
#include "BenchMain.h"
#include "FakeAudioBackend.h"
#include "JackServer.h"
#include "RtAudioBackend.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <ctime>
#include <vector>

#include <dlfcn.h>
#include <malloc.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Set on the audio thread while our callback runs.
thread_local bool t_counting = false;
std::atomic<long> g_allocations{0};
std::atomic<long> g_locks{0};

inline void countAllocation()
{
    if (t_counting)
        g_allocations.fetch_add(1, std::memory_order_relaxed);
}

inline void countLock()
{
    if (t_counting)
        g_locks.fetch_add(1, std::memory_order_relaxed);
}

template <typename F>
F next(std::atomic<F>& slot, const char* name)
{
    F f = slot.load(std::memory_order_relaxed);
    if (!f) {
        f = reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
        slot.store(f, std::memory_order_relaxed);
    }
    return f;
}

} // namespace

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);
void* __libc_memalign(size_t, size_t);

void* malloc(size_t n)
{
    countAllocation();
    return __libc_malloc(n);
}
void* calloc(size_t n, size_t size)
{
    countAllocation();
    return __libc_calloc(n, size);
}
void* realloc(void* p, size_t n)
{
    countAllocation();
    return __libc_realloc(p, n);
}
void free(void* p)
{
    if (p)
        countAllocation();
    __libc_free(p);
}
void* memalign(size_t alignment, size_t n)
{
    countAllocation();
    return __libc_memalign(alignment, n);
}
void* aligned_alloc(size_t alignment, size_t n)
{
    countAllocation();
    return __libc_memalign(alignment, n);
}
int posix_memalign(void** out, size_t alignment, size_t n)
{
    countAllocation();
    void* p = __libc_memalign(alignment, n);
    if (!p)
        return ENOMEM;
    *out = p;
    return 0;
}

int pthread_mutex_lock(pthread_mutex_t* m)
{
    static std::atomic<int (*)(pthread_mutex_t*)> real{nullptr};
    countLock();
    return next(real, "pthread_mutex_lock")(m);
}
int pthread_mutex_trylock(pthread_mutex_t* m)
{
    static std::atomic<int (*)(pthread_mutex_t*)> real{nullptr};
    countLock();
    return next(real, "pthread_mutex_trylock")(m);
}
long syscall(long number, ...)
{
    static std::atomic<long (*)(long, ...)> real{nullptr};
    va_list args;
    va_start(args, number);
    long a[6];
    for (long& v : a)
        v = va_arg(args, long);
    va_end(args);
    if (number == SYS_futex)
        countLock();
    return next(real, "syscall")(number, a[0], a[1], a[2], a[3], a[4], a[5]);
}
} // extern "C"

namespace {

constexpr int Rate = 48000;
constexpr int Period = 512; // the 4096 bytes of stereo float frames the port asks for

JackServer& server()
{
    static JackServer instance;
    return instance;
}

// A 16-bit wave of noise-like content (a fixed pseudo-random sequence).
AudioWave makeWave(int frames, int channels)
{
    AudioWave w;
    w.bits = 16;
    w.channels = channels;
    w.rate = Rate;
    w.left.allocate(frames * 2);
    if (channels == 2)
        w.right.allocate(frames * 2);
    quint32 x = 12345;
    for (int i = 0; i < frames; ++i) {
        x = x * 1664525u + 1013904223u;
        w.setPoint(0, i, int(x >> 16) - 32768);
        if (channels == 2)
            w.setPoint(1, i, int(x & 0xFFFF) - 32768);
    }
    return w;
}

// The callback alone, per block, as the device takes it: copy the prepared
// block out, prepare the next one. Args: frames per block, wave channels.
void BM_RenderBlock(benchmark::State& state)
{
    const int frames = int(state.range(0));
    FakeAudioBackend fake;
    fake.addDevice(QStringLiteral("Speakers"), 2, 0, {double(Rate)});
    fake.setAcceptedFrames(frames);
    setAudioBackend(&fake);
    InitAudioPorts();
    const AudioWave wave = makeWave(Rate, int(state.range(1)));
    {
        AudioOutPort port;
        port.setName(QStringLiteral("Speakers"));
        if (!port.play(wave, 0, 0, wave.sampleLength() - 1)) {
            state.SkipWithError("cannot play");
        } else {
            std::vector<float> out(size_t(frames) * 2);
            g_allocations = 0;
            g_locks = 0;
            t_counting = true;
            for (auto _ : state) {
                fake.pumpInto(out.data(), frames);
                benchmark::DoNotOptimize(out.data());
            }
            t_counting = false;
            state.counters["ns_per_frame"] =
                benchmark::Counter(double(state.iterations()) * frames,
                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
            state.counters["allocations"] = double(g_allocations.load());
            state.counters["locks"] = double(g_locks.load());
        }
    }
    setAudioBackend(nullptr);
}

// The floor: copying a block of the same size, and nothing else.
void BM_CopyBlock(benchmark::State& state)
{
    const size_t floats = size_t(state.range(0)) * 2;
    std::vector<float> block(floats, 0.5f);
    std::vector<float> out(floats);
    for (auto _ : state) {
        std::memcpy(out.data(), block.data(), floats * sizeof(float));
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
}

// The system's backend with a stopwatch around the port's callback: every
// call's time and thread CPU time, kept in storage made beforehand.
class TimedBackend : public AudioBackend, private AudioSource
{
public:
    explicit TimedBackend(size_t capacity) : m_wall(capacity), m_cpu(capacity) {}

    QList<AudioDeviceInfo> devices() override { return m_system.devices(); }
    bool opensAtOnce() const override { return m_system.opensAtOnce(); }
    int setNominalRate(int id, double rate) override { return m_system.setNominalRate(id, rate); }
    int open(const QString& name, int channels, double rate, int frames, AudioSource* source,
             std::unique_ptr<AudioStream>& stream) override
    {
        m_source = source;
        return m_system.open(name, channels, rate, frames, this, stream);
    }

    size_t calls() const { return std::min(m_calls.load(), m_wall.size()); }
    const std::vector<double>& wallNs() const { return m_wall; }
    const std::vector<double>& cpuNs() const { return m_cpu; }

private:
    static double ns(clockid_t clock)
    {
        timespec t{};
        clock_gettime(clock, &t);
        return double(t.tv_sec) * 1e9 + double(t.tv_nsec);
    }

    Result render(float* out, int frames) override
    {
        const double wall = ns(CLOCK_MONOTONIC);
        const double cpu = ns(CLOCK_THREAD_CPUTIME_ID);
        t_counting = true;
        const Result r = m_source->render(out, frames);
        t_counting = false;
        const double cpuEnd = ns(CLOCK_THREAD_CPUTIME_ID);
        const double wallEnd = ns(CLOCK_MONOTONIC);
        const size_t i = m_calls.fetch_add(1, std::memory_order_relaxed);
        if (i < m_wall.size()) {
            m_wall[i] = wallEnd - wall;
            m_cpu[i] = cpuEnd - cpu;
        }
        return r;
    }

    RtAudioBackend m_system;
    AudioSource* m_source = nullptr;
    std::vector<double> m_wall;
    std::vector<double> m_cpu;
    std::atomic<size_t> m_calls{0};
};

// A 60-second wave played to its end on the JACK server's own playback
// ports, as the port plays it for a user.
void BM_JackPlay60s(benchmark::State& state)
{
    const int seconds = 60;
    const int frames = seconds * Rate;
    const AudioWave wave = makeWave(frames, 2);
    for (auto _ : state) {
        TimedBackend timed(size_t(frames / 64));
        setAudioBackend(&timed);
        InitAudioPorts();
        {
            AudioOutPort port;
            port.setName(QStringLiteral("system"));
            QEventLoop loop;
            QObject::connect(&port, &AudioOutPort::audioPosChanged, &loop, [&](int position) {
                if (position == -1)
                    loop.quit();
            });
            QTimer::singleShot((seconds + 60) * 1000, &loop, &QEventLoop::quit);
            g_allocations = 0;
            g_locks = 0;
            timespec t0{};
            clock_gettime(CLOCK_MONOTONIC, &t0);
            if (!port.play(wave, 0, -1, -1)) {
                state.SkipWithError("cannot play on the JACK server");
                setAudioBackend(nullptr);
                return;
            }
            loop.exec();
            timespec t1{};
            clock_gettime(CLOCK_MONOTONIC, &t1);
            state.SetIterationTime(double(t1.tv_sec - t0.tv_sec) + double(t1.tv_nsec - t0.tv_nsec) * 1e-9);
            if (port.isOpened())
                state.SkipWithError("the wave did not end");
        }
        setAudioBackend(nullptr);

        const size_t n = timed.calls();
        std::vector<double> wall(timed.wallNs().begin(), timed.wallNs().begin() + long(n));
        std::vector<double> cpu(timed.cpuNs().begin(), timed.cpuNs().begin() + long(n));
        double cpuSum = 0;
        for (double c : cpu)
            cpuSum += c;
        std::sort(wall.begin(), wall.end());
        state.counters["callbacks"] = double(n);
        state.counters["cpu_us_mean"] = n ? cpuSum / double(n) / 1000.0 : 0.0;
        state.counters["wall_us_median"] = n ? wall[n / 2] / 1000.0 : 0.0;
        state.counters["wall_us_p999"] = n ? wall[std::min(n - 1, n * 999 / 1000)] / 1000.0 : 0.0;
        state.counters["wall_us_max"] = n ? wall.back() / 1000.0 : 0.0;
        state.counters["period_us"] = 1e6 * Period / Rate;
        state.counters["allocations"] = double(g_allocations.load());
        state.counters["locks"] = double(g_locks.load());
    }
}

using Clock = std::chrono::steady_clock;

double msBetween(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

// Play as a user starts it, on the JACK server through the system's
// backend: how long play() holds the calling (GUI) thread, and how long
// until the stream runs and the port reports its first position. Medians.
void BM_JackPlayReturns(benchmark::State& state)
{
    const AudioWave wave = makeWave(Rate, 2);
    setAudioBackend(nullptr);
    InitAudioPorts();
    std::vector<double> gui;
    std::vector<double> playing;
    for (auto _ : state) {
        AudioOutPort port;
        port.setName(QStringLiteral("system"));
        QEventLoop loop;
        QObject::connect(&port, &AudioOutPort::audioPosChanged, &loop, [&](int position) {
            if (position >= 0)
                loop.quit();
        });
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        const Clock::time_point t0 = Clock::now();
        const bool started = port.play(wave, 0, 0, wave.sampleLength() - 1);
        const Clock::time_point t1 = Clock::now();
        if (!started) {
            state.SkipWithError("cannot play on the JACK server");
            return;
        }
        loop.exec();
        const Clock::time_point t2 = Clock::now();
        if (!port.isOpened() || port.isStarting()) {
            state.SkipWithError("the stream did not start");
            return;
        }
        gui.push_back(msBetween(t0, t1));
        playing.push_back(msBetween(t0, t2));
        port.stop();
    }
    state.counters["gui_thread_ms"] = MedianOf(gui);
    state.counters["until_playing_ms"] = MedianOf(playing);
}

// What play did on the GUI thread before it opened on a worker: list the
// devices (it did so twice, once itself and once in opening), then open and
// start the stream. Each part timed on its own, medians.
void BM_JackOpenOnCaller(benchmark::State& state)
{
    struct Silence : AudioSource
    {
        Result render(float* out, int frames) override
        {
            std::fill(out, out + size_t(frames) * 2, 0.0f);
            return Continue;
        }
    } silence;
    RtAudioBackend backend;
    std::vector<double> listing;
    std::vector<double> opening;
    for (auto _ : state) {
        const Clock::time_point t0 = Clock::now();
        const QList<AudioDeviceInfo> devices = backend.devices();
        const Clock::time_point t1 = Clock::now();
        std::unique_ptr<AudioStream> stream;
        if (!findAudioDevice(devices, QStringLiteral("system")) ||
            backend.open(QStringLiteral("system"), 2, Rate, Period, &silence, stream) != AudioStatusOk ||
            stream->start() != AudioStatusOk) {
            state.SkipWithError("cannot open the JACK server's playback ports");
            return;
        }
        const Clock::time_point t2 = Clock::now();
        stream.reset();
        listing.push_back(msBetween(t0, t1));
        opening.push_back(msBetween(t1, t2));
    }
    state.counters["list_ms"] = MedianOf(listing);
    state.counters["open_start_ms"] = MedianOf(opening);
    state.counters["old_play_ms"] = 2 * MedianOf(listing) + MedianOf(opening);
}

BENCHMARK(BM_CopyBlock)->Arg(512)->Arg(1024);
BENCHMARK(BM_RenderBlock)->Args({512, 2})->Args({1024, 2})->Args({512, 1});
BENCHMARK(BM_JackPlay60s)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_JackPlayReturns)->Iterations(9)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JackOpenOnCaller)->Iterations(9)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("ORVANE_MIDI_BACKEND", "virtual");
    TestEnvironment env;
    QCoreApplication app(argc, argv);
    server().setPeriod(Period);
    // As real set-ups run: a late client misses its cycle instead of
    // holding the server.
    server().setSynchronous(false);
    // ORVANE_BENCH_JACK_REALTIME=1: JACK's threads scheduled as real set-ups
    // have them (where the machine allows it).
    server().setRealtime(qEnvironmentVariableIntValue("ORVANE_BENCH_JACK_REALTIME") != 0);
    QString error;
    if (!server().start(&error)) {
        std::fprintf(stderr, "No JACK for the benchmark: %s\n", qPrintable(error));
        return 1;
    }
    return RunRegisteredBenchmarks(argc, argv);
}
