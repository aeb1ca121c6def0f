// Descriptors of a mix editor's parts tab: the value controls of sixteen part
// rows and three plug-in part rows (1,090 controls) read from their panel
// elements, each record then copied as the control that keeps it would.
//
// The reading is the panel reader's (PanelXml.h): integers absent as 0,
// iterator expressions for addresses, bits and parts, the items table from the
// device's store, and the range settled by loadItems.
#include "BenchMain.h"
#include "CommonInfo.h"
#include "MidiDevice.h"
#include "MixLayout.h"
#include "PanelXml.h"
#include "TestEnvironment.h"
#include "TestSysex.h"
#include "XmlDocument.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

namespace {

constexpr int PartRows = 16;
constexpr int PlugInRows = 3;

// The records the controls of a row keep, one vector per kind.
struct Controls
{
    std::vector<EditInfo> edits;
    std::vector<CheckInfo> checks;
    std::vector<RangeInfo> ranges;
    std::vector<PatchEditInfo> patches;

    int count() const { return int(edits.size() + checks.size() + ranges.size() + patches.size()); }
};

void readRow(const XmlElement& section, MidiDevice* device, int iterator, Controls& out)
{
    for (const XmlElement* child : section.children()) {
        const XmlElement& e = *child;
        const QString& tag = e.tagName();
        const CommonInfo common = ReadCommonInfo(e, iterator, -1);
        const ParamInfo param = ReadParamInfo(e, device, iterator, 0xFFFFFFFF);
        if (tag == QLatin1String("edit") || tag == QLatin1String("combo"))
            out.edits.push_back(ReadEditInfo(e, common, param));
        else if (tag == QLatin1String("patch"))
            out.patches.push_back(ReadPatchEditInfo(e, common, param));
        else if (tag == QLatin1String("range"))
            out.ranges.push_back(ReadRangeInfo(e, common, param, device, iterator));
        else if (tag == QLatin1String("check"))
            out.checks.push_back(ReadCheckInfo(e, common, param, iterator));
    }
}

// Reads the whole tab; the records go as the panel is cleared.
int readTab(const XmlDocument& xml, MidiDevice* device)
{
    const XmlElement* parts = xml.findElement(QString(), QStringLiteral("name"), QStringLiteral("Mix:Part"));
    const XmlElement* plugIns =
        xml.findElement(QString(), QStringLiteral("name"), QStringLiteral("Mix:PLGPart"));
    Controls controls;
    for (int part = 0; part < PartRows; ++part)
        readRow(*parts, device, part, controls);
    for (int part = 0; part < PlugInRows; ++part)
        readRow(*plugIns, device, part, controls);
    return controls.count();
}

void report(benchmark::State& state, int controls)
{
    state.SetItemsProcessed(state.iterations() * controls);
    state.counters["controls"] = controls;
    // Seconds per control; shown in the unit the benchmark is timed in.
    state.counters["per control"] = benchmark::Counter(
        double(state.iterations() * controls), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// A tab loaded again: the device already holds every table the tab names.
void BM_PartsTabDescriptors(benchmark::State& state)
{
    TestDevice device;
    XmlDocument xml;
    if (!xml.loadData(MixPartsLayout())) {
        state.SkipWithError("fixture not read");
        return;
    }
    int controls = readTab(xml, &device);
    for (auto _ : state)
        controls = readTab(xml, &device);
    report(state, controls);
}
BENCHMARK(BM_PartsTabDescriptors)->Unit(benchmark::kMillisecond);

// The first load: every table is built from the device data as it is named.
void BM_PartsTabDescriptorsFirstLoad(benchmark::State& state)
{
    XmlDocument xml;
    if (!xml.loadData(MixPartsLayout())) {
        state.SkipWithError("fixture not read");
        return;
    }
    int controls = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto device = std::make_unique<TestDevice>();
        state.ResumeTiming();
        controls = readTab(xml, device.get());
        state.PauseTiming();
        device.reset();
        state.ResumeTiming();
    }
    report(state, controls);
}
BENCHMARK(BM_PartsTabDescriptorsFirstLoad)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return BenchMain<QCoreApplication>(argc, argv);
}
