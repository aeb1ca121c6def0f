// Descriptors of a mix editor's parts tab: the value controls of sixteen part
// rows and three plug-in part rows (1,090 controls) read from their panel
// elements, each record then copied as the control that keeps it would.
//
// The reading follows the panel data's rules for common, parameter and own
// attributes: integers absent as 0, iterator expressions for addresses, bits
// and parts, the items table from the device's store, and the range settled
// by loadItems.
#include "CommonInfo.h"
#include "MidiDevice.h"
#include "Strings.h"
#include "TestEnvironment.h"
#include "TestSysex.h"
#include "XmlDocument.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

namespace {

constexpr int PartRows = 16;
constexpr int PartControls = 61;
constexpr int PlugInRows = 3;
constexpr int PlugInControls = 38;

// One row's elements; the address's "xx" is the row's part.
QString rowElements(const QString& block, int count)
{
    const QStringList kinds = {
        QStringLiteral(R"(<edit title="Pan" address="%1" min="1" items="PAN" offset="-64" width="46"/>)"),
        QStringLiteral(R"(<combo title="Note &amp; Shift" address="%1" items="NOTENAME" note="1"/>)"),
        QStringLiteral(R"(<edit title="Volume" address="%1" default="100" request="2"/>)"),
        QStringLiteral(R"(<edit title="Delay" address="%1" size="2" divide="10" metric="ms" group="2"/>)"),
        QStringLiteral(R"(<combo title="Mode" address="%1" items="off|on|auto" enable="Volume"/>)"),
        QStringLiteral(R"(<check title="Ins" address="360060" size="4" bit="xx" tip="Insertion"/>)"),
        QStringLiteral(
            R"(<range title="Key Range" low="%1" high="%2" items="NOTENAME" note="1" width="91"/>)"),
        QStringLiteral(R"(<patch title="&amp;Voice" address="%1" banks="VOICES" width="72" bold="1"/>)"),
    };
    QString text;
    for (int i = 0; i < count; ++i) {
        const QString address = block + QStringLiteral("%1").arg(i, 2, 16, QLatin1Char('0')).toUpper();
        const QString next = block + QStringLiteral("%1").arg(i + 1, 2, 16, QLatin1Char('0')).toUpper();
        QString element = kinds[i % kinds.size()];
        text += element.replace(QLatin1String("%1"), address).replace(QLatin1String("%2"), next);
    }
    return text;
}

QByteArray partsTab()
{
    return QStringLiteral(R"(<section title="MixEditor">
  <section name="Mix:Part" title="xx">%1</section>
  <section name="Mix:PLGPart" title="Pxx">%2</section>
</section>)")
        .arg(rowElements(QStringLiteral("37xx"), PartControls),
             rowElements(QStringLiteral("376x"), PlugInControls))
        .toUtf8();
}

// --- the panel data's reading rules ----------------------------------------

bool flag(const XmlElement& e, const QString& name)
{
    return e.intAttribute(name) != 0;
}

int iteratorValue(const XmlElement& e, const QString& name, int iterator)
{
    return int(ParseIterator(e.attribute(name), iterator));
}

CommonInfo readCommon(const XmlElement& e, int iterator, int tab)
{
    CommonInfo c;
    c.condition = e.attribute(QStringLiteral("condition"));
    c.key = e.attribute(QStringLiteral("key"));
    c.tab = tab;
    c.width = e.intAttribute(QStringLiteral("width"));
    c.height = e.intAttribute(QStringLiteral("height"));
    c.iterator = iterator;
    c.flag = e.attribute(QStringLiteral("flag"));
    c.address_offset = e.intAttribute(QStringLiteral("address_offset"));
    c.section = e.attribute(QStringLiteral("section"));
    c.subsection = e.attribute(QStringLiteral("subsection"));
    if (const int colwidth = e.intAttribute(QStringLiteral("colwidth")))
        c.colwidth = colwidth;
    c.toolwindow = flag(e, QStringLiteral("toolwindow"));
    c.no_request = flag(e, QStringLiteral("no_request"));
    c.no_title = flag(e, QStringLiteral("no_title"));
    c.cc = e.intAttribute(QStringLiteral("cc"));
    c.request = e.intAttribute(QStringLiteral("request"));
    c.group = e.intAttribute(QStringLiteral("group"));
    c.x = e.intAttribute(QStringLiteral("x"));
    c.y = e.intAttribute(QStringLiteral("y"));
    c.cols = e.intAttribute(QStringLiteral("cols"));
    c.wrap = c.cols != 0 || flag(e, QStringLiteral("wrap"));
    c.hidden = flag(e, QStringLiteral("hidden"));
    c.bold = flag(e, QStringLiteral("bold"));
    c.enable = e.attribute(QStringLiteral("enable"));
    c.enable_values = e.attribute(QStringLiteral("enable_values"));
    if (c.enable_values.isEmpty())
        c.enable_values = QStringLiteral("1");
    c.title = e.attribute(QStringLiteral("title"));
    c.tip = e.attribute(QStringLiteral("tip"));
    return c;
}

ParamInfo readParam(const XmlElement& e, MidiDevice* device, int iterator)
{
    ParamInfo p;
    if (const QString text = e.attribute(QStringLiteral("controller")); !text.isEmpty())
        p.controllerNumber = e.intAttribute(QStringLiteral("controller"));
    if (const QString text = e.attribute(QStringLiteral("channel")); !text.isEmpty())
        p.midiChannel = int(ParseIterator(text, iterator));
    p.nibbles = flag(e, QStringLiteral("nibbles"));
    p.setSize(e.intAttribute(QStringLiteral("size")));
    p.note = flag(e, QStringLiteral("note"));
    p.velocity = flag(e, QStringLiteral("velocity"));
    p.cat_sep = e.attribute(QStringLiteral("cat_sep"));
    p.addressText = e.attribute(QStringLiteral("address"));
    p.parseAddress(device, iterator, 0xFFFFFFFF, e.intAttribute(QStringLiteral("index")));
    p.metric = e.attribute(QStringLiteral("metric"));
    p.numbers = e.intAttribute(QStringLiteral("numbers"));
    p.multi = e.intAttribute(QStringLiteral("multi"));
    p.divide = e.intAttribute(QStringLiteral("divide"));
    p.offset = e.intAttribute(QStringLiteral("offset"));
    p.setBitField(iteratorValue(e, QStringLiteral("bit"), iterator), e.intAttribute(QStringLiteral("bits")));
    const int max = e.attribute(QStringLiteral("max")).isEmpty() ? -1 : e.intAttribute(QStringLiteral("max"));
    if (!e.attribute(QStringLiteral("default")).isEmpty())
        p.defaultVal = e.intAttribute(QStringLiteral("default"));
    p.loadItems(device, e.attribute(QStringLiteral("items")), e.intAttribute(QStringLiteral("min")), max);
    return p;
}

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
        const CommonInfo common = readCommon(e, iterator, -1);
        const ParamInfo param = readParam(e, device, iterator);
        if (tag == QLatin1String("edit") || tag == QLatin1String("combo")) {
            EditInfo info;
            static_cast<CommonInfo&>(info) = common;
            info.param = param;
            info.combo = tag == QLatin1String("combo");
            info.tempo = flag(e, QStringLiteral("tempo"));
            info.piano = flag(e, QStringLiteral("piano"));
            info.image = e.attribute(QStringLiteral("image"));
            out.edits.push_back(info);
        } else if (tag == QLatin1String("patch")) {
            PatchEditInfo info;
            static_cast<CommonInfo&>(info) = common;
            info.param = param;
            info.banks = e.attribute(QStringLiteral("banks"));
            info.no_names = flag(e, QStringLiteral("no_names"));
            info.numbers = flag(e, QStringLiteral("numbers"));
            out.patches.push_back(info);
        } else if (tag == QLatin1String("range")) {
            RangeInfo info;
            static_cast<CommonInfo&>(info) = common;
            info.low = param;
            info.high = param;
            info.low.addressText = e.attribute(QStringLiteral("low"));
            info.low.parseAddress(device, iterator, 0xFFFFFFFF, -1);
            info.high.addressText = e.attribute(QStringLiteral("high"));
            info.high.parseAddress(device, iterator, 0xFFFFFFFF, -1);
            info.piano = flag(e, QStringLiteral("piano"));
            info.space = e.intAttribute(QStringLiteral("space"));
            out.ranges.push_back(info);
        } else if (tag == QLatin1String("check")) {
            CheckInfo info;
            static_cast<CommonInfo&>(info) = common;
            info.param = param;
            info.use = flag(e, QStringLiteral("use"));
            info.solo = flag(e, QStringLiteral("solo"));
            info.mute = !info.solo && flag(e, QStringLiteral("mute"));
            info.part = iteratorValue(e, QStringLiteral("part"), iterator);
            out.checks.push_back(info);
        }
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
    if (!xml.loadData(partsTab())) {
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
    if (!xml.loadData(partsTab())) {
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
    qputenv("ORVANE_MIDI_BACKEND", "virtual");
    TestEnvironment env;
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
