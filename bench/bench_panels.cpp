// Panels built from panel data: the rows of a mix editor's parts tab (19 rows
// of 61 titled value controls, laid side by side as a tabbed panel does),
// the same rows stacked in vertical panels with a caption label before each
// control, and the cost of placing one more item in a row or a column that
// already holds n items, which must not grow with n.
#include "LayoutRig.h"
#include "MidiLabel.h"
#include "MixLayout.h"
#include "Panel.h"
#include "TestEnvironment.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

namespace {

constexpr int Rows = 19;
constexpr int RowControls = 61;

QByteArray rowsLayout()
{
    return QStringLiteral(
               R"(<section title="MixEditor"><section name="Mix:Part" title="xx">%1</section></section>)")
        .arg(MixRowElements(QStringLiteral("37xx"), RowControls))
        .toUtf8();
}

void report(benchmark::State& state, int controls, int items)
{
    state.SetItemsProcessed(state.iterations() * controls);
    state.counters["controls"] = controls;
    state.counters["items"] = items;
    state.counters["controls/s"] =
        benchmark::Counter(double(state.iterations() * controls), benchmark::Counter::kIsRate);
}

// Builds every row as the editor does on start: a panel made, initialised
// with a caption and loaded with its part. The panels go untimed.
void buildRows(benchmark::State& state, bool horizontal)
{
    LayoutRig rig;
    if (!rig.load(rowsLayout())) {
        state.SkipWithError("layout not read");
        return;
    }
    int items = 0;
    for (auto _ : state) {
        std::vector<std::unique_ptr<Panel>> panels;
        items = 0;
        for (int part = 0; part < Rows; ++part) {
            auto panel = std::make_unique<Panel>(&rig.client);
            if (horizontal) {
                panel->setOrientation(0);
                panel->setControlSize(60, 19);
            }
            panel->init(&rig.window, QPoint(0, part * 21), true);
            panel->loadSection(QStringLiteral("Mix:Part"), part);
            items += panel->itemCount();
            panels.push_back(std::move(panel));
        }
        state.PauseTiming();
        panels.clear();
        state.ResumeTiming();
    }
    report(state, Rows * RowControls, items);
}

void BM_MixRowsFromXml(benchmark::State& state)
{
    buildRows(state, true);
}
BENCHMARK(BM_MixRowsFromXml)->Unit(benchmark::kMillisecond);

void BM_MixPanelsWithCaptionsFromXml(benchmark::State& state)
{
    buildRows(state, false);
}
BENCHMARK(BM_MixPanelsWithCaptionsFromXml)->Unit(benchmark::kMillisecond);

// Placing the next item of a panel that holds n: the same cost for every n.
void placeNext(benchmark::State& state, bool horizontal)
{
    LayoutRig rig;
    Panel panel(&rig.client);
    if (horizontal)
        panel.setOrientation(0);
    LabelInfo cell;
    cell.title = QStringLiteral("C");
    LabelInfo separator;
    separator.title = QStringLiteral(" ");
    separator.width = 4;
    const int n = int(state.range(0));
    for (int i = 0; i < n; ++i)
        panel.addControl(new MidiLabel(&panel, i % 8 == 7 ? separator : cell));
    for (auto _ : state)
        benchmark::DoNotOptimize(panel.placeControl(cell));
    state.SetComplexityN(n);
}

void BM_PlaceNextInRow(benchmark::State& state)
{
    placeNext(state, true);
}
BENCHMARK(BM_PlaceNextInRow)->RangeMultiplier(4)->Range(64, 4096)->Complexity();

void BM_PlaceNextInColumns(benchmark::State& state)
{
    placeNext(state, false);
}
BENCHMARK(BM_PlaceNextInColumns)->RangeMultiplier(4)->Range(64, 4096)->Complexity();

} // namespace

int main(int argc, char** argv)
{
    qputenv("ORVANE_MIDI_BACKEND", "virtual");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TestEnvironment env;
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
