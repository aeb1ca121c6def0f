// The drum kit editor's sub-units against the simulated instrument on the
// virtual bus, Delay 0: a key switch (both key panels re-pointed, their
// values asked for and answered) and the paste of a whole key onto another
// (the key's blocks sent and the key read back). Each reports the messages
// the instrument received per operation.
#include "BenchMain.h"
#include "EditorKinds.h"
#include "EditorWindows.h"
#include "WireRig.h"

#include <QCoreApplication>

namespace {

struct DrumFixture
{
    VirtualMidiBus* bus = VirtualMidiBus::instance();
    EditorRig rig{*bus};
    std::unique_ptr<Probe<VeskDrum>> window;

    DrumFixture()
    {
        Wire::answerFor(*rig.sim, QStringLiteral("drum"));
        window = rig.build<VeskDrum>();
        if (!Wire::showConnected(*window))
            window.reset();
        settle();
    }

    // Everything sent has been answered and the answers handed to the
    // window.
    void settle()
    {
        for (int i = 0; i < 3; ++i) {
            bus->waitIdle();
            QCoreApplication::processEvents();
        }
    }

    int received()
    {
        const int count = int(Wire::take(*bus, *rig.sim).size());
        return count;
    }
};

void BM_DrumKeySwitch(benchmark::State& state)
{
    DrumFixture f;
    if (!f.window) {
        state.SkipWithError("the drum kit editor did not connect");
        return;
    }
    f.received();
    int key = 36;
    qint64 messages = 0;
    for (auto _ : state) {
        key = key == 36 ? 38 : 36;
        // What the key timer does once the key is chosen.
        if (f.window->selectKey(key)) {
            f.window->key().MidiReceive();
            f.window->key2().MidiReceive();
        }
        f.settle();
        state.PauseTiming();
        messages += f.received();
        state.ResumeTiming();
    }
    state.counters["messages"] = benchmark::Counter(double(messages) / double(state.iterations()));
}
BENCHMARK(BM_DrumKeySwitch)->Unit(benchmark::kMillisecond);

void BM_DrumKeyPaste(benchmark::State& state)
{
    DrumFixture f;
    if (!f.window) {
        state.SkipWithError("the drum kit editor did not connect");
        return;
    }
    f.window->selectKey(36);
    f.window->copyKey();
    f.settle();
    f.window->selectKey(38);
    f.settle();
    f.received();
    if (!f.window->hasCopiedKey()) {
        state.SkipWithError("the key was not copied");
        return;
    }
    qint64 messages = 0;
    for (auto _ : state) {
        f.window->pasteKey();
        f.settle();
        state.PauseTiming();
        messages += f.received();
        state.ResumeTiming();
    }
    state.counters["messages"] = benchmark::Counter(double(messages) / double(state.iterations()));
}
BENCHMARK(BM_DrumKeyPaste)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return BenchMain<QApplication>(argc, argv);
}
