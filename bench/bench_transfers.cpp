// What the library's transfer jobs add to each patch on the virtual bus, with
// the device's Delay at 0: a bank of 128 user voices received by Task_Receive
// and sent by Task_Transmit, against the device's bare request round trip
// and its bare block transmission of the same patches. The instrument's fixed
// pauses are left out: the mode is set before the timing starts, and the
// store-all message goes without the 2.5 s the instrument is given to write.
#include "BenchMain.h"
#include "LibraryTasks.h"
#include "Simulator.h"
#include "TransferRig.h"
#include "Vesk.h"
#include "VeskAll_Library.h"
#include "VirtualMidiBus.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

#include <benchmark/benchmark.h>

namespace {

constexpr unsigned short User1 = 0x3F08;
constexpr int Patches = 128;
constexpr unsigned int StoreAllAddress = 0x110000;

// The store-all message without the instrument's writing pause.
class NoPauseVesk : public Vesk
{
public:
    void storeAllPatches() override { sendBulkBuffer(StoreAllAddress, nullptr); }
};

struct TransferFixture
{
    VirtualMidiBus* bus = VirtualMidiBus::instance();
    std::unique_ptr<Sim::BusSimulator> sim;
    std::unique_ptr<NoPauseVesk> device;
    std::unique_ptr<LibraryFolder> library;
    std::unique_ptr<TestTransferOwner> owner;
    TaskRecorder display;
    ints rows;

    TransferFixture()
    {
        bus->reset();
        sim = std::make_unique<Sim::BusSimulator>(*bus);
        device = std::make_unique<NoPauseVesk>();
        device->setDelay(0);
        device->midiIn()->setName(sim->name());
        device->midiOut()->setName(sim->name());
        device->connect(false);
        library.reset(CreateVeskLibrary(0, device.get()));
        owner = std::make_unique<TestTransferOwner>(library.get());
        for (int row = 0; row < Patches; ++row)
            rows << row;
        // The mode switch and its pause, before any timing.
        BulkDump dump;
        device->syncPatchRequest(Patch(User1, 0), dump, true);
    }
    ~TransferFixture()
    {
        owner.reset();
        library.reset();
        device.reset();
    }

    BankPatchGroup* group() { return library->getBankPatchGroup(User1); }

    // Runs the event loop until the job that began last has ended.
    bool runToEnd()
    {
        QEventLoop loop;
        while (!display.allEnded())
            loop.processEvents(QEventLoop::WaitForMoreEvents, 50);
        return !display.last().failed;
    }

    void waitWrites(int writes)
    {
        while ((*sim)->counters().writes < writes)
            QThread::yieldCurrentThread();
    }
};

// The device's own request of each patch, answer checked.
void BM_BareReceive(benchmark::State& state)
{
    TransferFixture f;
    BulkDump dump;
    for (auto _ : state) {
        for (int row = 0; row < Patches; ++row) {
            if (!f.device->syncPatchRequest(Patch(User1, row), dump, true)) {
                state.SkipWithError(qPrintable(f.device->transferError()));
                return;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * Patches);
}
BENCHMARK(BM_BareReceive)->UseRealTime()->Unit(benchmark::kMillisecond);

// The same patches through Task_Receive, until each is in its slot.
void BM_TaskReceive(benchmark::State& state)
{
    TransferFixture f;
    for (auto _ : state) {
        if (!f.group()->receivePatches(f.rows, f.owner.get()) || !f.runToEnd()) {
            state.SkipWithError(qPrintable(f.display.last().endText));
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * Patches);
}
BENCHMARK(BM_TaskReceive)->UseRealTime()->Unit(benchmark::kMillisecond);

// The device's own transmission of each patch, until the instrument wrote it.
void BM_BareTransmit(benchmark::State& state)
{
    TransferFixture f;
    if (!f.group()->receivePatches(f.rows, f.owner.get()) || !f.runToEnd()) {
        state.SkipWithError("nothing to send");
        return;
    }
    int writes = 0;
    for (auto _ : state) {
        for (int row = 0; row < Patches; ++row)
            f.device->patchTransmit(Patch(User1, row), f.group()->patchDumpAt(row), true);
        f.device->storeAllPatches();
        writes += Patches;
        f.waitWrites(writes);
    }
    state.SetItemsProcessed(state.iterations() * Patches);
}
BENCHMARK(BM_BareTransmit)->UseRealTime()->Unit(benchmark::kMillisecond);

// The same through Task_Transmit.
void BM_TaskTransmit(benchmark::State& state)
{
    TransferFixture f;
    if (!f.group()->receivePatches(f.rows, f.owner.get()) || !f.runToEnd()) {
        state.SkipWithError("nothing to send");
        return;
    }
    int writes = 0;
    for (auto _ : state) {
        if (!f.group()->transmitPatches(f.rows, f.owner.get()) || !f.runToEnd()) {
            state.SkipWithError(qPrintable(f.display.last().endText));
            return;
        }
        writes += Patches;
        f.waitWrites(writes);
    }
    state.SetItemsProcessed(state.iterations() * Patches);
}
BENCHMARK(BM_TaskTransmit)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return BenchMain<QCoreApplication>(argc, argv);
}
