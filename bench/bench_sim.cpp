// The instrument simulator without pacing: a whole drum kit (header, 373
// blocks, footer) asked for by the framework's device and by the instrument's
// own device (which checks the kit before it takes it) and received over the
// virtual bus; the same kit written to a user location; and the simulator's
// own share, building the kit's reply with no transport.
#include "BenchMain.h"
#include "../tests/sim/ProbeDevice.h"
#include "BulkDump.h"
#include "Simulator.h"
#include "TestEnvironment.h"
#include "Vesk.h"
#include "VirtualMidiBus.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

namespace {

constexpr unsigned int KitBlock = 0x2800;
constexpr int KitMessages = 375;

struct SimFixture
{
    VirtualMidiBus* bus = VirtualMidiBus::instance();
    std::unique_ptr<Sim::BusSimulator> sim;
    std::unique_ptr<SimProbe::ProbeDevice> device;

    SimFixture()
    {
        bus->reset();
        sim = std::make_unique<Sim::BusSimulator>(*bus);
        device = std::make_unique<SimProbe::ProbeDevice>();
        device->attach(sim->name(), sim->name(), false);
    }
};

// Request to footer of one kit, messages per second.
void BM_SimKitRoundTrip(benchmark::State& state)
{
    SimFixture f;
    BulkDump dump;
    for (auto _ : state) {
        if (!f.device->syncBulkRequest(KitBlock, dump, 3500) || dump.count() != KitMessages) {
            state.SkipWithError("the kit did not arrive whole");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * KitMessages);
}
BENCHMARK(BM_SimKitRoundTrip)->UseRealTime()->Unit(benchmark::kMillisecond);

// Request to footer of one kit through the instrument's device, the kit
// checked whole, messages per second.
void BM_SimVeskKitRequest(benchmark::State& state)
{
    VirtualMidiBus* bus = VirtualMidiBus::instance();
    bus->reset();
    Sim::BusSimulator sim(*bus);
    Vesk device;
    device.setDelay(0);
    device.midiIn()->setName(sim.name());
    device.midiOut()->setName(sim.name());
    device.connect(false);
    BulkDump dump;
    for (auto _ : state) {
        if (!device.syncPatchRequest(Patch(0x3F28, 0), dump, false) || dump.count() != KitMessages) {
            state.SkipWithError(qPrintable(device.transferError()));
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * KitMessages);
}
BENCHMARK(BM_SimVeskKitRequest)->UseRealTime()->Unit(benchmark::kMillisecond);

// The kit sent to a user location until the simulator has committed it.
void BM_SimKitWrite(benchmark::State& state)
{
    SimFixture f;
    BulkDump dump;
    if (!f.device->syncBulkRequest(KitBlock, dump, 3500)) {
        state.SkipWithError("no kit to write");
        return;
    }
    dump.at(0)->setAddress(0x0E2801);
    dump.at(dump.count() - 1)->setAddress(0x0F2801);
    int writes = 0;
    for (auto _ : state) {
        for (int i = 0; i < dump.count(); ++i)
            f.device->sendSysex(dump.at(i));
        ++writes;
        while ((*f.sim)->counters().writes < writes)
            QThread::yieldCurrentThread();
    }
    state.SetItemsProcessed(state.iterations() * KitMessages);
}
BENCHMARK(BM_SimKitWrite)->UseRealTime()->Unit(benchmark::kMillisecond);

// The simulator's reply to a kit request, with no transport.
void BM_SimKitReply(benchmark::State& state)
{
    Sim::Instrument instrument;
    QString error;
    if (!instrument.load(Sim::Options(), &error)) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    const QByteArray request = Sim::bulkRequest(KitBlock);
    QList<Sim::Reply> replies;
    for (auto _ : state) {
        replies.clear();
        instrument.receive(request, replies);
        benchmark::DoNotOptimize(replies);
    }
    state.SetItemsProcessed(state.iterations() * KitMessages);
}
BENCHMARK(BM_SimKitReply)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    return BenchMain<QCoreApplication>(argc, argv);
}
