// The editors' own layouts at work: the panels each editor window builds
// when it is made (selection and common panels, the rows of its parts tab,
// the drum kit's key panels), built from its layout on the instrument's
// device, with the controls they hold; and one edit buffer of the editor's
// patch type (its initial patch, as the instrument sends it, and the same
// with other values, taking turns) handed to those panels message by
// message, with the parameter look-ups the controls make in it.
#include "BenchMain.h"
#include "EditorLayouts.h"
#include "Panel.h"
#include "TestEnvironment.h"
#include "Vesk.h"
#include "VeskDump.h"
#include "VeskRig.h"
#include "VeskSysex.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

namespace {

// The keys a drum kit window shows at once: one.
const QList<int> WindowKey = {0};

// A message of the instrument that counts the parameter look-ups made in it.
class CountingSysex : public VeskSysex
{
public:
    explicit CountingSysex(const QByteArray& bytes) { setBytes(bytes); }
    int getParameterData(const MidiParam& param) override
    {
        ++calls;
        return VeskSysex::getParameterData(param);
    }
    long long calls = 0;
};

struct Editor
{
    explicit Editor(int index) : layout(editorLayouts().at(index))
    {
        resetVeskTest();
        device = std::make_unique<Vesk>();
        loaded = loadEditorLayout(device.get(), layout);
    }

    const EditorLayout& layout;
    std::unique_ptr<Vesk> device;
    bool loaded = false;
};

void BM_BuildEditorPanels(benchmark::State& state)
{
    Editor editor(int(state.range(0)));
    if (!editor.loaded) {
        state.SkipWithError("layout not read");
        return;
    }
    int controls = 0;
    int panels = 0;
    for (auto _ : state) {
        EditorPanels built(editor.device.get(), editor.layout, WindowKey, true);
        controls = built.controlCount();
        panels = int(built.panels().size());
    }
    state.SetLabel(editor.layout.program.toStdString());
    state.counters["panels"] = panels;
    state.counters["controls"] = controls;
}
BENCHMARK(BM_BuildEditorPanels)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

void BM_EditBufferToEditorPanels(benchmark::State& state)
{
    Editor editor(int(state.range(0)));
    if (!editor.loaded) {
        state.SkipWithError("layout not read");
        return;
    }
    EditorPanels panels(editor.device.get(), editor.layout, WindowKey, true);
    // The initial patch, and the same with every data byte one higher.
    std::vector<std::unique_ptr<CountingSysex>> dumps[2];
    for (const Sysex* message : *editor.device->initDump(editor.layout.dumpType)) {
        dumps[0].push_back(std::make_unique<CountingSysex>(message->bytes()));
        QByteArray other = message->bytes();
        for (int i = 10; i < other.size() - 2; ++i)
            other[i] = char((other.at(i) + 1) & 0x7F);
        dumps[1].push_back(std::make_unique<CountingSysex>(other));
    }
    long long n = 0;
    for (auto _ : state) {
        for (const auto& message : dumps[n & 1])
            panels.OnSysex(message.get(), SourceDev);
        ++n;
    }
    long long calls = 0;
    for (const auto& turn : dumps) {
        for (const auto& message : turn)
            calls += message->calls;
    }
    state.SetLabel(editor.layout.program.toStdString());
    state.counters["messages"] = double(dumps[0].size());
    state.counters["controls"] = panels.controlCount();
    state.counters["lookups/dump"] = double(calls) / double(qMax(1LL, n));
}
BENCHMARK(BM_EditBufferToEditorPanels)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    return BenchMain<QApplication>(argc, argv);
}
