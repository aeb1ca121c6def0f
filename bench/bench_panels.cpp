// Panels built from panel data: the rows of a mix editor's parts tab (19 rows
// of 61 titled value controls, laid side by side as a tabbed panel does),
// the same rows stacked in vertical panels with a caption label before each
// control, a hostile layout of doubling templates refused at its count, and
// the cost of placing one more item in a row or a column that already holds
// n items, which must not grow with n. Then the same rows on
// the wire: one incoming parameter change and a whole edit buffer reaching
// the panels (with the parameter look-ups the controls make, against a walk
// of every control), the requests of every row, and re-pointing the drum
// kit editor's key panels at another key.
#include "BenchMain.h"
#include "BusPanelRig.h"
#include "LayoutRig.h"
#include "MidiLabel.h"
#include "MixLayout.h"
#include "Panel.h"
#include "TestEnvironment.h"
#include "TestInstrument.h"

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

// A hostile layout of 1.7 KB: twenty templates, each including the next one
// twice, the last an edit, a million cells expanded. The load is refused at
// the cell limit; what it costs is counting up to there, nothing built.
void BM_DoublingTemplatesRefused(benchmark::State& state)
{
    QString text = QStringLiteral(R"(<section><section name="Grow"><include template="T0"/></section>)");
    for (int i = 0; i < 20; ++i)
        text += QStringLiteral(
                    R"(<template name="T%1"><include template="T%2"/><include template="T%2"/></template>)")
                    .arg(i)
                    .arg(i + 1);
    text += QStringLiteral(R"(<template name="T20"><edit title="e"/></template></section>)");
    LayoutRig rig;
    if (!rig.load(text.toUtf8())) {
        state.SkipWithError("layout not read");
        return;
    }
    Panel panel(&rig.client);
    panel.init(&rig.window, QPoint(), true);
    for (auto _ : state) {
        panel.loadSection(QStringLiteral("Grow"), -1);
        if (panel.itemCount() != 0 || panel.loadErrors().isEmpty())
            state.SkipWithError("the layout was not refused");
    }
    state.counters["layout_bytes"] = double(text.size());
}
BENCHMARK(BM_DoublingTemplatesRefused)->Unit(benchmark::kMillisecond);

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

// --- the panels on the wire ----------------------------------------------------------

// A message of the test instrument that counts the parameter look-ups the
// controls make in it.
class CountingSysex : public TestSysex
{
public:
    explicit CountingSysex(const QByteArray& bytes) { fromString(QString::fromLatin1(bytes.toHex())); }
    int getParameterData(const MidiParam& param) override
    {
        ++calls;
        return TestSysex::getParameterData(param);
    }
    long long calls = 0;
};

// The mix editor's parts tab on a client, as the tabbed panel builds it:
// sixteen part rows and three plug-in part rows, side by side, each in the
// client's panel list.
class MixRows
{
public:
    MixRows(MidiClient& client, QWidget& window)
    {
        for (int row = 0; row < 19; ++row) {
            auto panel = std::make_unique<Panel>(&client);
            panel->setOrientation(0);
            panel->setControlSize(60, 19);
            panel->init(&window, QPoint(0, row * 21), true);
            panel->loadSection(row < 16 ? QStringLiteral("Mix:Part") : QStringLiteral("Mix:PLGPart"),
                               row < 16 ? row : row - 16);
            controls += panel->itemCount();
            rows.push_back(std::move(panel));
        }
    }

    std::vector<std::unique_ptr<Panel>> rows;
    int controls = 0;
};

QByteArray bulkBytes(unsigned int address, const QByteArray& data)
{
    return QByteArray::fromHex(TestSysex::bulkDumpText(address, data).toLatin1());
}

// Two parameter changes of the parts tab (a volume of part 6) that take turns,
// so that every message changes what the control shows.
void changeToMixParts(benchmark::State& state, bool walk)
{
    LayoutRig rig;
    if (!rig.load(MixPartsLayout())) {
        state.SkipWithError("layout not read");
        return;
    }
    MixRows mix(rig.client, rig.window);
    CountingSysex changes[2] = {CountingSysex(TestInstrument::parameterChange(0x370502, 30)),
                                CountingSysex(TestInstrument::parameterChange(0x370502, 31))};
    long long n = 0;
    for (auto _ : state) {
        CountingSysex& message = changes[n++ & 1];
        if (!walk) {
            rig.client.OnSysex(&message, SourceDev);
            continue;
        }
        // What every message cost before the routing index: each control of
        // each panel looks the message over.
        for (const auto& row : mix.rows) {
            for (int i = 0; i < row->itemCount(); ++i)
                row->itemAt(i)->OnSysex(&message);
        }
    }
    state.counters["controls"] = mix.controls;
    state.counters["lookups/msg"] = double(changes[0].calls + changes[1].calls) / double(qMax(1LL, n));
}

// One parameter change reaching the panels of the mix parts tab through the
// client, as the device hands it on.
void BM_ParameterChangeToMixParts(benchmark::State& state)
{
    changeToMixParts(state, false);
}
BENCHMARK(BM_ParameterChangeToMixParts)->Unit(benchmark::kMicrosecond);

void BM_ParameterChangeWalkingEveryControl(benchmark::State& state)
{
    changeToMixParts(state, true);
}
BENCHMARK(BM_ParameterChangeWalkingEveryControl)->Unit(benchmark::kMicrosecond);

// The whole edit buffer of the mix as the instrument sends it: a block per
// part (sixteen of 64 bytes, three plug-in parts of 40) and the block of the
// part switches; two dumps with different values take turns.
void BM_EditBufferDumpToMixParts(benchmark::State& state)
{
    LayoutRig rig;
    if (!rig.load(MixPartsLayout())) {
        state.SkipWithError("layout not read");
        return;
    }
    MixRows mix(rig.client, rig.window);
    std::vector<std::unique_ptr<CountingSysex>> dumps[2];
    for (int turn = 0; turn < 2; ++turn) {
        const auto data = [turn](int size) {
            QByteArray bytes(size, '\0');
            for (int i = 0; i < size; ++i)
                bytes[i] = char((i * 3 + turn) & 0x3F);
            return bytes;
        };
        for (int part = 0; part < 16; ++part)
            dumps[turn].push_back(
                std::make_unique<CountingSysex>(bulkBytes(0x370000 + (unsigned(part) << 8), data(64))));
        for (int part = 0; part < 3; ++part)
            dumps[turn].push_back(
                std::make_unique<CountingSysex>(bulkBytes(0x376000 + (unsigned(part) << 8), data(40))));
        dumps[turn].push_back(std::make_unique<CountingSysex>(bulkBytes(0x360000, data(0x70))));
    }
    long long n = 0;
    for (auto _ : state) {
        for (const auto& message : dumps[n & 1])
            rig.client.OnSysex(message.get(), SourceDev);
        ++n;
    }
    long long calls = 0;
    for (const auto& turn : dumps) {
        for (const auto& message : turn)
            calls += message->calls;
    }
    const auto messages = dumps[0].size();
    state.SetItemsProcessed(state.iterations() * qsizetype(messages));
    state.counters["messages"] = double(messages);
    state.counters["controls"] = mix.controls;
    state.counters["lookups/dump"] = double(calls) / double(qMax(1LL, n));
}
BENCHMARK(BM_EditBufferDumpToMixParts)->Unit(benchmark::kMicrosecond);

// Every row of the mix parts tab asks for its values, as the mix editor does
// after it received its edit buffer: the requests go out on the virtual bus
// to a test instrument that does not answer.
void BM_MidiReceiveMixParts(benchmark::State& state)
{
    BusPanelRig rig;
    if (!rig.device.xml()->loadData(MixPartsLayout())) {
        state.SkipWithError("layout not read");
        return;
    }
    MixRows mix(rig.client, rig.window);
    rig.device.setConnected(true);
    qsizetype requests = 0;
    for (auto _ : state) {
        for (const auto& row : mix.rows)
            row->MidiReceive();
        state.PauseTiming();
        requests = rig.sent().size();
        rig.clearSent();
        state.ResumeTiming();
    }
    state.counters["requests"] = double(requests);
    state.counters["controls"] = mix.controls;
}
BENCHMARK(BM_MidiReceiveMixParts)->Unit(benchmark::kMillisecond);

// The drum kit editor selects another key: its two key panels are re-pointed
// at the key and forget what they showed (the requests follow from a timer).
void BM_DrumKeySwitch(benchmark::State& state)
{
    LayoutRig rig;
    const QByteArray layout =
        QStringLiteral(R"(<section title="DrumEditor">
        <section name="Drum:Key" title="Key" type="Key" offset="13">%1</section>
        <section name="Drum:KeyEffects" title="Effects" type="Key" offset="13">%2</section></section>)")
            .arg(MixRowElements(QStringLiteral("47xx"), 40), MixRowElements(QStringLiteral("48xx"), 20))
            .toUtf8();
    if (!rig.load(layout)) {
        state.SkipWithError("layout not read");
        return;
    }
    Panel key(&rig.client);
    Panel effects(&rig.client);
    key.init(&rig.window, QPoint(), true);
    key.loadSection(QStringLiteral("Drum:Key"), 0);
    effects.init(&rig.window, QPoint(300, 0), true);
    effects.loadSection(QStringLiteral("Drum:KeyEffects"), 0);
    int next = 0;
    for (auto _ : state) {
        next = (next + 1) % 73;
        for (Panel* panel : {&key, &effects}) {
            panel->setIter(next);
            panel->resetValues();
        }
    }
    state.counters["items"] = key.itemCount() + effects.itemCount();
    state.counters["addresses"] = key.routingIndex().addressCount() + effects.routingIndex().addressCount();
}
BENCHMARK(BM_DrumKeySwitch)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    return BenchMain<QApplication>(argc, argv);
}
