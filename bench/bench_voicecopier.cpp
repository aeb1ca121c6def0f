// The voice copier: building the 193 parameter changes of a full copy, and a
// full copy of the initial voice by the instrument's device to the virtual
// bus, each change echoed to a client that makes the monitor text of it as
// an editor window does, until the bus has delivered the last one.
#include "BenchMain.h"
#include "BulkDump.h"
#include "MidiClient.h"
#include "TestEnvironment.h"
#include "TestInstrument.h"
#include "TestSysex.h"
#include "Vesk.h"
#include "VirtualMidiBus.h"
#include "VoiceCopier.h"
#include "VoiceCopierInfo.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

// Counts the echoes and makes their monitor text; called on the sending
// (GUI) thread.
class EchoCounter : private ClientWindow, public MidiClient
{
public:
    explicit EchoCounter(MidiDevice* device) : MidiClient(QStringLiteral("Bench"), device, &ownWindow) {}
    void OnSysex(Sysex* message, MidiSource) override
    {
        text = midiDevice()->displaySysex(message);
        ++count;
    }
    int count = 0;
    QString text;
};

// A voice dump of the six blocks the copier reads.
void fillVoice(BulkDump& dump, MidiDevice* device)
{
    const QList<QPair<unsigned int, int>> blocks = {{0x407000, 82}, {0x400000, 17}, {0x400100, 36},
                                                    {0x400200, 37}, {0x400300, 34}, {0x400400, 34}};
    QStringList hex;
    for (const auto& [address, size] : blocks) {
        QByteArray data;
        for (int n = 0; n < size; ++n)
            data.append(char((n * 5 + 3) & 0x7F));
        hex << TestSysex::bulkDumpText(address, data);
    }
    dump.fromString(hex.join(u' '), device);
}

VoiceCopierInfo fullCopy()
{
    VoiceCopierInfo info;
    info.voice = Patch(0x3F00, 0);
    info.part = 1;
    return info;
}

void BM_VoiceCopierChanges(benchmark::State& state)
{
    TestDevice device;
    BulkDump dump;
    fillVoice(dump, &device);
    const VoiceCopierInfo info = fullCopy();
    QList<VoiceCopier::Change> changes;
    for (auto _ : state) {
        VoiceCopier::changes(dump, info, VoiceCopierInfo::Performance, false, changes);
        benchmark::DoNotOptimize(changes.data());
    }
    state.counters["changes"] = double(changes.size());
}
BENCHMARK(BM_VoiceCopierChanges)->Unit(benchmark::kMicrosecond);

void BM_VoiceCopierToBus(benchmark::State& state)
{
    VirtualMidiBus* bus = VirtualMidiBus::instance();
    bus->reset();
    auto instrument = std::make_unique<TestInstrument>(*bus);
    auto device = std::make_unique<Vesk>();
    device->setDelay(0);
    device->midiIn()->setName(instrument->name());
    device->midiOut()->setName(instrument->name());
    device->connect(false);
    EchoCounter client(device.get());
    BulkDump dump;
    dump.fromFile(QStringLiteral(ORVANE_SOURCE_DIR "/resources/vesk/data/init/voice.syx"), device.get());
    VoiceCopierInfo info = fullCopy();

    for (auto _ : state) {
        client.count = 0;
        if (!device->CopyVoiceES(&dump, &info, VoiceCopierInfo::Performance) || !bus->waitIdle() ||
            client.count != 193) {
            state.SkipWithError("the copy did not go out whole");
            break;
        }
        bus->clearSent();
    }
    state.counters["messages"] = 193;
    state.SetItemsProcessed(state.iterations() * 193);
}
BENCHMARK(BM_VoiceCopierToBus)->UseRealTime()->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    return BenchMain<QApplication>(argc, argv);
}
