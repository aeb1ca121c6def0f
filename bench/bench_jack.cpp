// The receive path over JACK, against the floor of a bare RtMidi receiver in
// the same run.
//
// A private JACK server (dummy driver, asynchronous as real set-ups run, 128
// frames a cycle; real-time scheduling with ORVANE_BENCH_JACK_REALTIME=1)
// carries what a JACK client of our own sends: bursts written
// straight into JACK's port buffer, as many messages per cycle as it holds.
// Two receivers take turns on its output:
//   Floor   an RtMidi input with a callback that only counts (JACK's process
//           thread), nothing of ours in between;
//   Device  our whole road: the JACK backend, input port, receive thread, a
//           device, and a client's handler on the GUI thread.
// Throughput runs send one burst per iteration and wait until all of it came
// (or nothing new came for two seconds), and then for repeats that come late.
// Every message carries its sequence number, and each should arrive exactly
// once and in order: lost counts numbers never seen, duplicates arrivals of a
// number already seen, reordered first arrivals after a higher number; they
// are counted apart, so that repeats cannot hide losses. items_per_second is
// distinct messages delivered per second; cpu_ns_per_msg is the process's CPU
// time (sender included, the same for both) per message.
// Latency runs send one message at a time, at random points of the cycle, and
// report the median and the 99th percentile from the send call to the handler.
#include "BenchMain.h"
#include "JackServer.h"
#include "MidiClient.h"
#include "MidiMessage.h"
#include "PortInfo.h"
#include "Sysex.h"
#include "TestEnvironment.h"
#include "TestInstrument.h"
#include "TestSysex.h"

#include <QApplication>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QThread>
#include <QTimer>

#include <RtMidi.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
#include <memory>
#include <mutex>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int Period = 128;    // frames per cycle at 48 kHz: 2.7 ms
constexpr int StallMs = 2000;  // a run ends when nothing new came for this long
constexpr int SettleMs = 30;   // and then nothing at all for this long
constexpr int SysexSize = 256; // bytes of each system-exclusive message

JackServer& server()
{
    static JackServer instance;
    return instance;
}

JackMidiSender& sender()
{
    static JackMidiSender instance;
    return instance;
}

// Messages carry their sequence number: a note-on in its channel and two data
// bytes (18 bits), a system-exclusive message in its first three data bytes.
QByteArray shortMessage(int seq)
{
    const char bytes[3] = {char(0x90 | ((seq >> 14) & 0x0F)), char((seq >> 7) & 0x7F), char(seq & 0x7F)};
    return QByteArray(bytes, 3);
}

QByteArray sysexMessage(int seq)
{
    QByteArray m(SysexSize, '\x11');
    m[0] = char(0xF0);
    m[1] = char((seq >> 14) & 0x7F);
    m[2] = char((seq >> 7) & 0x7F);
    m[3] = char(seq & 0x7F);
    m[SysexSize - 1] = char(0xF7);
    return m;
}

int sequenceOf(const unsigned char* data, size_t size)
{
    if (size >= 4 && data[0] == 0xF0)
        return (data[1] << 14) | (data[2] << 7) | data[3];
    if (size >= 3 && (data[0] & 0xF0) == 0x90)
        return ((data[0] & 0x0F) << 14) | (data[1] << 7) | data[2];
    return -1;
}

// What a receiver saw of one run, by sequence number: each number of the run
// should arrive exactly once and in order. add() runs on the receiver's thread
// (JACK's for the floor, the GUI thread for the device); the rest on the
// benchmark's.
struct Tally
{
    // Sequence numbers have 18 bits.
    static constexpr int Space = 1 << 18;

    std::unique_ptr<std::atomic<unsigned char>[]> seen{new std::atomic<unsigned char>[Space]};
    int first = 0; // the run's numbers are first .. first + count - 1
    int count = 0;
    std::atomic<int> received{0};   // every arrival, repeats included
    std::atomic<int> distinct{0};   // numbers of the run seen at least once
    std::atomic<int> duplicates{0}; // arrivals of a number already seen, or of none of the run
    std::atomic<int> reordered{0};  // first arrivals after a higher number of the run
    std::atomic<int> highest{-1};
    std::atomic<Clock::rep> lastArrival{0}; // the last first arrival

    void reset(int firstSeq, int n)
    {
        first = firstSeq;
        count = n;
        for (int i = 0; i < n; ++i)
            seen[i].store(0, std::memory_order_relaxed);
        received = 0;
        distinct = 0;
        duplicates = 0;
        reordered = 0;
        highest = -1;
        lastArrival = 0;
    }
    void add(int seq)
    {
        ++received;
        const int i = seq - first;
        if (i < 0 || i >= count || seen[i].exchange(1) != 0) {
            ++duplicates;
            return;
        }
        if (seq < highest)
            ++reordered;
        else
            highest = seq;
        lastArrival = Clock::now().time_since_epoch().count();
        ++distinct;
    }
    int lost() const { return count - distinct; }
};

Tally& tally()
{
    static Tally instance;
    return instance;
}

// The floor: RtMidi's own JACK input, a callback that counts.
class FloorReceiver
{
public:
    FloorReceiver()
    {
        m_in = std::make_unique<RtMidiIn>(RtMidi::UNIX_JACK, "floor");
        m_in->ignoreTypes(false, false, false);
        m_in->setCallback(&FloorReceiver::onMessage, nullptr);
        const std::string wanted = sender().outputName().toStdString();
        for (unsigned i = 0; i < m_in->getPortCount(); ++i) {
            if (m_in->getPortName(i) == wanted)
                m_in->openPort(i, "in");
        }
    }
    ~FloorReceiver()
    {
        m_in->cancelCallback();
        m_in->closePort();
    }
    bool ok() const { return m_in->isPortOpen(); }

private:
    static void onMessage(double, std::vector<unsigned char>* message, void*)
    {
        tally().add(sequenceOf(message->data(), message->size()));
    }
    std::unique_ptr<RtMidiIn> m_in;
};

// The device's client: counts what its handlers get on the GUI thread.
class CountingClient : private ClientWindow, public MidiClient
{
public:
    explicit CountingClient(MidiDevice* device) : MidiClient(QStringLiteral("Bench"), device, &ownWindow) {}

    void OnMidiMessage(const MidiMessage& message, MidiSource) override
    {
        const unsigned char bytes[3] = {message.status, message.data1, message.data2};
        tally().add(sequenceOf(bytes, 3));
    }
    void OnSysex(Sysex* message, MidiSource) override
    {
        tally().add(sequenceOf(message->data(), size_t(message->size())));
    }
};

// Our whole road, from the JACK port to the client.
struct DeviceReceiver
{
    TestDevice device;
    CountingClient client{&device};

    DeviceReceiver()
    {
        InitMidiPorts();
        device.midiIn()->setName(sender().outputName());
        device.connect(false);
    }
    ~DeviceReceiver() { device.disconnect(); }
    bool ok() { return device.midiIn()->isOpened(); }
};

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Runs the GUI thread's event loop until every message of the run came or
// nothing new came for StallMs, then until nothing at all came for SettleMs,
// so that late repeats are counted too; true when all came.
bool waitFor()
{
    QEventLoop loop;
    QTimer poll;
    Clock::time_point progress = Clock::now();
    Clock::time_point quiet = progress;
    int seen = 0;
    int arrivals = 0;
    bool complete = false;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        const Clock::time_point now = Clock::now();
        const int received = tally().received;
        if (received != arrivals) {
            arrivals = received;
            quiet = now;
        }
        const int distinct = tally().distinct;
        if (distinct != seen) {
            seen = distinct;
            progress = now;
        }
        complete = complete || distinct >= tally().count;
        if (complete || now - progress > std::chrono::milliseconds(StallMs)) {
            if (now - quiet > std::chrono::milliseconds(SettleMs))
                loop.quit();
        }
    });
    poll.start(1);
    loop.exec();
    return tally().distinct >= tally().count;
}

template <typename Receiver>
void throughput(benchmark::State& state, bool sysex)
{
    Receiver receiver;
    if (!receiver.ok()) {
        state.SkipWithError("the receiver could not open the sender's port");
        return;
    }
    const int count = int(state.range(0));
    QList<QByteArray> burst;
    burst.reserve(count);
    for (int i = 0; i < count; ++i)
        burst << (sysex ? sysexMessage(i) : shortMessage(i));

    int lost = 0;
    int duplicates = 0;
    int reordered = 0;
    double cpu = 0;
    for (auto _ : state) {
        tally().reset(0, count);
        const double cpuStart = cpuSeconds();
        const Clock::time_point start = Clock::now();
        sender().send(burst);
        waitFor();
        const Clock::time_point end(Clock::duration(tally().lastArrival.load()));
        cpu += cpuSeconds() - cpuStart;
        state.SetIterationTime(std::chrono::duration<double>(std::max(end, start) - start).count());
        lost += tally().lost();
        duplicates += tally().duplicates;
        reordered += tally().reordered;
    }
    // Messages delivered, each once.
    state.SetItemsProcessed(state.iterations() * count - lost);
    state.counters["lost"] = lost;
    state.counters["duplicates"] = duplicates;
    state.counters["reordered"] = reordered;
    state.counters["cpu_ns_per_msg"] = cpu * 1e9 / double(state.iterations() * count);
}

template <typename Receiver>
void latency(benchmark::State& state)
{
    Receiver receiver;
    if (!receiver.ok()) {
        state.SkipWithError("the receiver could not open the sender's port");
        return;
    }
    std::vector<double> samples;
    int seq = 0;
    for (auto _ : state) {
        // A random point of the cycle.
        QThread::usleep(QRandomGenerator::global()->bounded(3000));
        tally().reset(seq, 1);
        const Clock::time_point start = Clock::now();
        sender().send(shortMessage(seq++));
        if (!waitFor()) {
            state.SkipWithError("a message was lost");
            break;
        }
        const Clock::time_point end(Clock::duration(tally().lastArrival.load()));
        const double us = std::chrono::duration<double, std::micro>(end - start).count();
        samples.push_back(us);
        state.SetIterationTime(us * 1e-6);
    }
    if (samples.empty())
        return;
    std::sort(samples.begin(), samples.end());
    state.counters["median_us"] = samples[samples.size() / 2];
    state.counters["p99_us"] = samples[std::min(samples.size() - 1, samples.size() * 99 / 100)];
}

void BM_FloorShort(benchmark::State& state)
{
    throughput<FloorReceiver>(state, false);
}
void BM_DeviceShort(benchmark::State& state)
{
    throughput<DeviceReceiver>(state, false);
}
void BM_FloorSysex256(benchmark::State& state)
{
    throughput<FloorReceiver>(state, true);
}
void BM_DeviceSysex256(benchmark::State& state)
{
    throughput<DeviceReceiver>(state, true);
}
void BM_FloorLatency(benchmark::State& state)
{
    latency<FloorReceiver>(state);
}
void BM_DeviceLatency(benchmark::State& state)
{
    latency<DeviceReceiver>(state);
}

// Side by side: each burst size on the floor, then on the device.
BENCHMARK(BM_FloorShort)->Arg(1000)->Arg(5000)->Arg(20000)->Arg(100000)->Iterations(5)->UseManualTime();
BENCHMARK(BM_DeviceShort)->Arg(1000)->Arg(5000)->Arg(20000)->Arg(100000)->Iterations(5)->UseManualTime();
BENCHMARK(BM_FloorSysex256)->Arg(100)->Arg(1000)->Arg(5000)->Iterations(5)->UseManualTime();
BENCHMARK(BM_DeviceSysex256)->Arg(100)->Arg(1000)->Arg(5000)->Iterations(5)->UseManualTime();
BENCHMARK(BM_FloorLatency)->Iterations(300)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DeviceLatency)->Iterations(300)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    // Before anything opens the MIDI system: this process runs on JACK, on a
    // server of its own, made before the backend and so outliving it.
    qputenv("ORVANE_MIDI_BACKEND", "jack");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TestEnvironment env;
    QApplication app(argc, argv);
    server().setPeriod(Period);
    server().setSynchronous(false);
    // ORVANE_BENCH_JACK_REALTIME=1: JACK's threads scheduled as real set-ups
    // have them (where the machine allows it).
    server().setRealtime(qEnvironmentVariableIntValue("ORVANE_BENCH_JACK_REALTIME") != 0);
    QString error;
    if (!server().start(&error) || !sender().open(QStringLiteral("bench"), &error)) {
        std::fprintf(stderr, "No JACK for the benchmark: %s\n", qPrintable(error));
        return 1;
    }
    const int result = RunRegisteredBenchmarks(argc, argv);
    sender().close();
    return result;
}
