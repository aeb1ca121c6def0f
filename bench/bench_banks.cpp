// User bank names: what renaming costs when a whole user bank is received
// (every rename re-reads the bank's file, merges one line and replaces the
// file atomically), and how fast the patch menus walk a bank set.
#include "BenchMain.h"
#include "DeviceBank.h"
#include "TestEnvironment.h"
#include "TestSysex.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

// Sixteen banks of 128 programs, the last eight of them user banks.
QString fixture()
{
    QString text = QStringLiteral("[VOICES]\nRidev=16\n");
    for (int i = 0; i < 16; ++i)
        text += QStringLiteral("%1=63,%2,%3%4\n").arg(i).arg(i).arg(i < 8 ? "PRE" : "USER").arg(i % 8 + 1);
    return text;
}

class UserBankDevice : public TestDevice
{
public:
    UserBankDevice() : TestDevice(QStringLiteral("Bench ES")) { ini()->loadText(fixture()); }
    bool isUserBank(unsigned short bank) override { return (bank & 0xFF) >= 8; }
};

// Made in main, after the application object and before the benchmarks.
UserBankDevice* g_device = nullptr;

UserBankDevice& device()
{
    return *g_device;
}

// Receiving a user bank: all 128 programs renamed, one file written each.
void BM_RenameWholeUserBank(benchmark::State& state)
{
    UserBankDevice& dev = device();
    dev.loadBankSet(QStringLiteral("VOICES"));
    const unsigned short user1 = 0x3F08;
    int round = 0;
    for (auto _ : state) {
        ++round;
        for (int program = 0; program < 128; ++program) {
            if (!dev.updateUserPatchName(Patch(user1, program),
                                         QStringLiteral("Voice %1.%2").arg(round).arg(program)))
                state.SkipWithError("rename not written");
        }
    }
    state.SetItemsProcessed(state.iterations() * 128);
    state.counters["files/s"] =
        benchmark::Counter(double(state.iterations() * 128), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RenameWholeUserBank)->Unit(benchmark::kMillisecond)->UseRealTime();

// Stepping through every program of a 16-bank set, as holding the "next
// patch" key does.
void BM_WalkBankSet(benchmark::State& state)
{
    const BankSet set(&device(), QStringLiteral("VOICES"));
    const int total = set.ridevPatchesCount();
    for (auto _ : state) {
        Patch patch = set.firstPatch();
        for (int i = 0; i < total; ++i)
            patch = set.nextPatch(patch);
        benchmark::DoNotOptimize(patch);
    }
    state.SetItemsProcessed(state.iterations() * total);
}
BENCHMARK(BM_WalkBankSet);

} // namespace

int main(int argc, char** argv)
{
    UseVirtualBusOffscreen();
    TestEnvironment env;
    QCoreApplication app(argc, argv);
    auto dev = std::make_unique<UserBankDevice>();
    g_device = dev.get();
    const int result = RunRegisteredBenchmarks(argc, argv);
    g_device = nullptr;
    return result;
}
