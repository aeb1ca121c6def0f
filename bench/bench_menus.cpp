// Building the pop-up menus: a value menu over a table of 1860 entries in
// sub-menus of their paths, a value menu over the widest range it builds
// (8192 numbers), and a grouped bank menu over twelve full banks.
#include "BenchMain.h"
#include "BankMenu.h"
#include "DeviceBank.h"
#include "DeviceTable.h"
#include "ParamMenu.h"
#include "TestEnvironment.h"
#include "TestSysex.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

void BM_ParamMenuTable(benchmark::State& state)
{
    // A wave list: 16 categories, each entry under its category.
    DeviceTable table;
    for (int i = 0; i < 1860; ++i) {
        TableData d(i, QStringLiteral("Wave %1").arg(i));
        d.path = QStringLiteral("Cat%1").arg(i % 16);
        table.append(d);
    }
    for (auto _ : state) {
        ParamMenu menu;
        menu.init(&table, 900, 0, 1859);
        benchmark::DoNotOptimize(menu.actions().size());
    }
}
BENCHMARK(BM_ParamMenuTable)->Unit(benchmark::kMillisecond);

void BM_ParamMenuRange(benchmark::State& state)
{
    // range(0) numbers; past the cap (a three-byte range) the menu builds the
    // cap's worth around the current value.
    const int count = int(state.range(0));
    for (auto _ : state) {
        ParamMenu menu;
        menu.init(nullptr, count / 2, 0, count - 1);
        benchmark::DoNotOptimize(menu.actions().size());
    }
    state.counters["entries"] = std::min(count, ParamMenu::MaxEntries);
}
BENCHMARK(BM_ParamMenuRange)->Arg(4096)->Arg(8192)->Arg(1 << 21)->Unit(benchmark::kMillisecond);

void BM_BankMenuGrouped(benchmark::State& state)
{
    TestDevice device;
    QString ini = QStringLiteral("[SET]\nRidev=12\n");
    for (int b = 0; b < 12; ++b)
        ini += QStringLiteral("%1=63,%2,B%1\n").arg(b).arg(b, 2, 10, QLatin1Char('0'));
    for (int b = 0; b < 12; ++b) {
        ini += QStringLiteral("[B%1]\nRidev=128\n").arg(b);
        for (int p = 0; p < 128; ++p)
            ini += QStringLiteral("%1=G%2:Voice %1\n").arg(p).arg(p % 16);
    }
    device.ini()->loadText(ini);
    const BankSet set(&device, QStringLiteral("SET"));
    for (auto _ : state) {
        BankMenu menu;
        menu.loadBanks2(Patch(0x3F00, 5), set);
        benchmark::DoNotOptimize(menu.actions().size());
    }
}
BENCHMARK(BM_BankMenuGrouped)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return BenchMain<QApplication>(argc, argv);
}
