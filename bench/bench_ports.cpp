// Receive throughput of an input port: packets injected on a virtual source,
// assembled by the port and handed to its owner on the bus thread; and the
// assembly alone, without the bus.
#include "BenchMain.h"
#include "MidiPort.h"
#include "PortInfo.h"
#include "VirtualMidiBus.h"

#include <QByteArray>

#include <benchmark/benchmark.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace {

// Counts what the port hands on and lets the benchmark wait for a total.
class CountingOwner : public IMidiPortOwner
{
public:
    void OnShortMessage(MidiInPort*, unsigned int) override { add(); }
    void OnLongMessage(MidiInPort*, unsigned char*, int) override { add(); }

    void reset()
    {
        std::lock_guard lock(m_mutex);
        m_count = 0;
    }
    void waitFor(int total)
    {
        std::unique_lock lock(m_mutex);
        m_done.wait(lock, [&] { return m_count >= total; });
    }

private:
    void add()
    {
        std::lock_guard lock(m_mutex);
        ++m_count;
        m_done.notify_all();
    }
    std::mutex m_mutex;
    std::condition_variable m_done;
    int m_count = 0;
};

QByteArray sysexOf(int size)
{
    QByteArray m(size, '\x15');
    m[0] = char(0xF0);
    m[size - 1] = char(0xF7);
    return m;
}

// One source with an input port on it, for the bus benchmarks.
struct Fixture
{
    VirtualMidiBus* bus = VirtualMidiBus::instance();
    CountingOwner owner;
    MidiInPort port{&owner};
    int source = -1;

    Fixture()
    {
        bus->reset();
        source = bus->addSource(QStringLiteral("Bench Source"));
        InitMidiPorts();
        port.setName(QStringLiteral("Bench Source"));
        port.open();
    }
    ~Fixture() { port.close(); }
};

void BM_BusShortMessages(benchmark::State& state)
{
    Fixture f;
    const int count = int(state.range(0));
    const QList<QByteArray> packets(count, QByteArray::fromHex("903C40"));
    for (auto _ : state) {
        f.owner.reset();
        f.bus->inject(f.source, packets);
        f.owner.waitFor(count);
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_BusShortMessages)->Arg(10000)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_BusSysex(benchmark::State& state)
{
    Fixture f;
    const int count = 1000;
    const int size = int(state.range(0));
    const QList<QByteArray> packets(count, sysexOf(size));
    for (auto _ : state) {
        f.owner.reset();
        f.bus->inject(f.source, packets);
        f.owner.waitFor(count);
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.SetBytesProcessed(state.iterations() * count * size);
}
BENCHMARK(BM_BusSysex)->Arg(113)->Arg(4096)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_AssembleShortMessages(benchmark::State& state)
{
    CountingOwner owner;
    MidiInPort port(&owner);
    // A packet as a busy keyboard sends it: notes with clock bytes between.
    const QByteArray packet = QByteArray::fromHex("903C40F8803C00B00764F8C005");
    const auto* data = reinterpret_cast<const unsigned char*>(packet.constData());
    for (auto _ : state)
        port.ReceiveProc(data, int(packet.size()));
    state.SetBytesProcessed(state.iterations() * packet.size());
}
BENCHMARK(BM_AssembleShortMessages);

void BM_AssembleSysexOverPackets(benchmark::State& state)
{
    CountingOwner owner;
    MidiInPort port(&owner);
    const QByteArray message = sysexOf(int(state.range(0)));
    const int chunk = 256;
    for (auto _ : state) {
        for (int at = 0; at < message.size(); at += chunk) {
            const int n = int(qMin<qsizetype>(chunk, message.size() - at));
            port.ReceiveProc(reinterpret_cast<const unsigned char*>(message.constData()) + at, n);
        }
    }
    state.SetBytesProcessed(state.iterations() * message.size());
}
BENCHMARK(BM_AssembleSysexOverPackets)->Arg(113)->Arg(16384);

} // namespace

int main(int argc, char** argv)
{
    return BenchMain<QCoreApplication>(argc, argv);
}
