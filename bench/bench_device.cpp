// The device's receive path end to end: packets injected on a virtual source,
// assembled by the port, posted by the device and handed to a client on the
// GUI thread; the latency of one message on that road; and a synchronous bulk
// request answered by the test instrument.
#include "BenchMain.h"
#include "BulkDump.h"
#include "MidiClient.h"
#include "MidiMessage.h"
#include "TestEnvironment.h"
#include "TestInstrument.h"
#include "TestSysex.h"
#include "VirtualMidiBus.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

// Counts what reaches the client; it is called on the GUI thread only.
class CountingClient : private ClientWindow, public MidiClient
{
public:
    explicit CountingClient(MidiDevice* device) : MidiClient(QStringLiteral("Bench"), device, &ownWindow) {}

    void OnMidiMessage(const MidiMessage&, MidiSource) override { ++count; }
    void OnSysex(Sysex*, MidiSource) override { ++count; }

    int count = 0;
};

// Runs the GUI thread's event loop until the client has seen total messages.
void deliverUntil(const CountingClient& client, int total)
{
    while (client.count < total)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// A test instrument with a device and a client on it.
struct Fixture
{
    VirtualMidiBus* bus = VirtualMidiBus::instance();
    std::unique_ptr<TestInstrument> instrument;
    std::unique_ptr<BusDevice> device;
    std::unique_ptr<CountingClient> client;

    Fixture()
    {
        bus->reset();
        instrument = std::make_unique<TestInstrument>(*bus);
        device = std::make_unique<BusDevice>();
        device->setDelay(0);
        device->attach(*instrument);
        client = std::make_unique<CountingClient>(device.get());
    }
    ~Fixture()
    {
        client.reset();
        device.reset();
        instrument.reset();
        QCoreApplication::processEvents();
    }
};

// A bulk block of the test instrument of 113 bytes in all.
QByteArray sysex113()
{
    return QByteArray::fromHex(TestSysex::bulkDumpText(0x100000, QByteArray(101, 0x21)).toLatin1());
}

void BM_DeviceShortMessages(benchmark::State& state)
{
    Fixture f;
    const int count = int(state.range(0));
    const QList<QByteArray> packets(count, QByteArray::fromHex("903C40"));
    for (auto _ : state) {
        f.client->count = 0;
        f.bus->inject(f.instrument->source(), packets);
        deliverUntil(*f.client, count);
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_DeviceShortMessages)->Arg(10000)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_DeviceSysexMessages(benchmark::State& state)
{
    Fixture f;
    const int count = int(state.range(0));
    const QList<QByteArray> packets(count, sysex113());
    for (auto _ : state) {
        f.client->count = 0;
        f.bus->inject(f.instrument->source(), packets);
        deliverUntil(*f.client, count);
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.SetBytesProcessed(state.iterations() * count * 113);
}
BENCHMARK(BM_DeviceSysexMessages)->Arg(1000)->UseRealTime()->Unit(benchmark::kMillisecond);

// From injection to the client's handler, one message at a time: 0 a short
// message, 1 a sysex of 113 bytes.
void BM_DeviceLatency(benchmark::State& state)
{
    Fixture f;
    const QByteArray packet = state.range(0) == 0 ? QByteArray::fromHex("903C40") : sysex113();
    for (auto _ : state) {
        f.client->count = 0;
        f.bus->inject(f.instrument->source(), packet);
        deliverUntil(*f.client, 1);
    }
}
BENCHMARK(BM_DeviceLatency)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMicrosecond);

// Request to return of a bulk of header, range(0) blocks and footer, with no
// pause between messages.
void BM_SyncBulkRoundTrip(benchmark::State& state)
{
    Fixture f;
    TestInstrument::BulkReply reply;
    reply.blocks = int(state.range(0));
    reply.blockSize = 101;
    f.instrument->setBulkReply(reply);
    BulkDump dump;
    for (auto _ : state) {
        if (!f.device->syncBulkRequest(0x100000, dump, 3000)) {
            state.SkipWithError("the bulk request failed");
            break;
        }
    }
    state.counters["messages"] = double(dump.size());
}
BENCHMARK(BM_SyncBulkRoundTrip)->Arg(40)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return BenchMain<QApplication>(argc, argv);
}
