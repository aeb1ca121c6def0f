// The mix editor's parts tab as a tabbed panel (16 part rows of 61 controls
// and 3 plug-in part rows of 38 on two column tabs, a header row over them):
// building it, and one tab change across all rows. A section window
// switching between two effect types of 16 parameters each, as it does
// whenever the type control changes.
#include "BenchMain.h"
#include "LayoutRig.h"
#include "MixLayout.h"
#include "PanelDlg.h"
#include "TabPanel.h"
#include "TestEnvironment.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int PartRows = 16;
constexpr int PlgRows = 3;

// A row: a few columns on every tab, then the rest split over two tabs.
QString tabbedRow(const QString& block, int count)
{
    const int shared = 5;
    const int first = (count - shared) / 2;
    return MixRowElements(block + QStringLiteral("0"), shared) + QStringLiteral(R"(<tab title="Voice"/>)") +
           MixRowElements(block + QStringLiteral("1"), first) + QStringLiteral(R"(<tab title="Zone"/>)") +
           MixRowElements(block + QStringLiteral("2"), count - shared - first);
}

QByteArray tabbedPartsLayout()
{
    return QStringLiteral(R"(<section title="MixEditor">
  <section name="Mix:Part" title="xx">%1</section>
  <section name="Mix:PLGPart" title="Pxx">%2</section>
</section>)")
        .arg(tabbedRow(QStringLiteral("3x"), 61), tabbedRow(QStringLiteral("4x"), 38))
        .toUtf8();
}

// The parts tab as the mix editor lays it out.
std::unique_ptr<TabPanel> buildPartsTab(LayoutRig& rig)
{
    auto tabs = std::make_unique<TabPanel>(&rig.client);
    tabs->init(&rig.window, QStringLiteral("Mix Parts"), QPoint(5, 5), 751);
    for (int part = 0; part < PartRows; ++part) {
        tabs->addPanel(QStringLiteral("Mix:Part"), part, 60, 19, 23, QString(), 0);
        tabs->addSep(1);
    }
    tabs->addSep(4);
    for (int part = 0; part < PlgRows; ++part) {
        tabs->addPanel(QStringLiteral("Mix:PLGPart"), part, 60, 19, 23, QString(), 0);
        tabs->addSep(1);
    }
    tabs->fit();
    tabs->selectTab(0);
    return tabs;
}

int controlsOf(const TabPanel& tabs)
{
    int items = 0;
    for (int i = 0; i < tabs.panelCount(); ++i)
        items += tabs.panel(i)->itemCount();
    return items;
}

void BM_MixPartsTabBuild(benchmark::State& state)
{
    LayoutRig rig;
    if (!rig.load(tabbedPartsLayout())) {
        state.SkipWithError("layout not read");
        return;
    }
    int items = 0;
    for (auto _ : state) {
        auto tabs = buildPartsTab(rig);
        items = controlsOf(*tabs);
        state.PauseTiming();
        tabs.reset();
        state.ResumeTiming();
    }
    state.counters["items"] = items;
}
BENCHMARK(BM_MixPartsTabBuild)->Unit(benchmark::kMillisecond);

void BM_MixPartsTabChange(benchmark::State& state)
{
    LayoutRig rig;
    if (!rig.load(tabbedPartsLayout())) {
        state.SkipWithError("layout not read");
        return;
    }
    rig.window.show();
    auto tabs = buildPartsTab(rig);
    int tab = 0;
    for (auto _ : state) {
        tab ^= 1;
        tabs->selectTab(tab);
    }
    state.counters["items"] = controlsOf(*tabs) + tabs->headerPanel()->itemCount();
}
BENCHMARK(BM_MixPartsTabChange)->Unit(benchmark::kMicrosecond);

// Two effect types of 16 indexed parameters each under one scope.
QByteArray effectsLayout()
{
    QString parameters;
    for (int i = 1; i <= 16; ++i)
        parameters += QStringLiteral(R"(<edit title="Param %1" index="%1" size="2"/>)").arg(i);
    return QStringLiteral(R"(<section name="Effects Parameters" title="Effect Types">
  <section value="0130" title="Plate">%1</section>
  <section value="0140" title="White Room">%1</section>
</section>)")
        .arg(parameters)
        .toUtf8();
}

void BM_SectionWindowSwitch(benchmark::State& state)
{
    LayoutRig rig;
    if (!rig.load(effectsLayout())) {
        state.SkipWithError("layout not read");
        return;
    }
    LaunchInfo info;
    info.section = QStringLiteral("Effects Parameters");
    info.subsection = QStringLiteral("hex");
    info.value = QStringLiteral("0130");
    PanelDlg window(&rig.window, &rig.client, info, 0x300100);
    if (!window.isVisible()) {
        state.SkipWithError("window not open");
        return;
    }
    int data = 0xB0; // bytes 01 30
    for (auto _ : state) {
        data = data == 0xB0 ? 0xC0 : 0xB0;
        window.changeSection(data);
    }
    state.counters["controls"] = window.panel()->itemCount();
}
BENCHMARK(BM_SectionWindowSwitch)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    return BenchMain<QApplication>(argc, argv);
}
