// The instrument model's costs: constructing the device against a bare Qt
// widget program's start-up; finding parameters in incoming messages (a
// whole drum kit against a panel's worth of parameters), with the window
// index and with a scan of every window per call as the sub-block table
// lists them; building the six initial patches from their stored form; and a
// drum kit sent to and requested from the instrument over the virtual bus
// without pauses, against copying its bytes.
#include "BenchMain.h"
#include "BulkDump.h"
#include "MidiParam.h"
#include "TestEnvironment.h"
#include "TestInstrument.h"
#include "Vesk.h"
#include "VeskSysex.h"
#include "VirtualMidiBus.h"

#include <QApplication>
#include <QProcess>

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

// The window lookup as the sub-block table reads: every window tested in
// turn until one holds the address.
class ScanSysex : public VeskSysex
{
public:
    void getBulkBaseAndOffset(unsigned int address, unsigned int& base, unsigned int& offset) override
    {
        struct Run
        {
            unsigned int base, length, count;
        };
        static const Run runs[] = {{0x400040, 4, 1}, {0x410020, 30, 4}, {0x440040, 8, 4},
                                   {0x440050, 4, 4}, {0x460040, 4, 1},  {0x470020, 12, 73}};
        for (const Run& run : runs) {
            for (unsigned int k = 0; k < run.count; ++k) {
                const unsigned int b = run.base + k * 0x100;
                if (address - b < run.length) {
                    base = b;
                    offset = (address & 0xFF) - (b & 0xFF);
                    return;
                }
            }
        }
        base = address & 0xFFFF00;
        offset = address & 0xFF;
    }
};

struct Block
{
    unsigned int address;
    int size;
};

// The blocks of a drum kit in sending order: common blocks, then five per key.
std::vector<Block> drumKitBlocks()
{
    std::vector<Block> blocks{{0x467000, 82}, {0x460000, 8},  {0x460040, 4},  {0x460100, 36},
                              {0x460200, 37}, {0x460300, 34}, {0x460400, 34}, {0x460500, 30}};
    for (unsigned int k = 0; k < 73; ++k) {
        const unsigned int o = k << 8;
        blocks.insert(blocks.end(), {{0x470000 + o, 19},
                                     {0x470020 + o, 12},
                                     {0x480000 + o, 3},
                                     {0x490000 + o, 8},
                                     {0x4A0000 + o, 8}});
    }
    return blocks;
}

QString zeros(int n)
{
    QString text;
    for (int i = 0; i < n; ++i)
        text += QStringLiteral("00 ");
    return text.trimmed();
}

// A received drum kit, 375 messages with header and footer, each of class M.
template <typename M>
std::vector<std::unique_ptr<VeskSysex>> drumKitMessages()
{
    std::vector<std::unique_ptr<VeskSysex>> messages;
    auto add = [&messages](unsigned int address, int size) {
        auto m = std::make_unique<M>();
        m->prepareBulkDump(address, zeros(size));
        messages.push_back(std::move(m));
    };
    add(0x0E2F00, 0);
    for (const Block& b : drumKitBlocks())
        add(b.address, b.size);
    add(0x0F2F00, 0);
    return messages;
}

// 1000 one-byte parameters spread evenly over the drum kit's bytes.
std::vector<MidiParam> drumKitParameters()
{
    std::vector<unsigned int> all;
    for (const Block& b : drumKitBlocks()) {
        for (int i = 0; i < b.size; ++i)
            all.push_back(b.address + unsigned(i));
    }
    std::vector<MidiParam> params;
    for (size_t i = 0; i < 1000; ++i)
        params.emplace_back(all[i * all.size() / 1000], 1, false, false);
    return params;
}

template <typename M>
void parameterLookup(benchmark::State& state)
{
    const auto messages = drumKitMessages<M>();
    const auto params = drumKitParameters();
    long found = 0;
    for (auto _ : state) {
        for (const auto& message : messages) {
            for (const MidiParam& param : params) {
                const int pos = message->getParameterPos(param);
                const int value = message->getParameterData(param);
                found += pos >= 0 ? 1 : 0;
                benchmark::DoNotOptimize(value);
            }
        }
    }
    // Every parameter is found in exactly one message of the kit.
    if (found != long(state.iterations()) * long(params.size()))
        state.SkipWithError("a parameter was not found exactly once");
    state.SetItemsProcessed(state.iterations() * long(messages.size() * params.size()));
    state.SetLabel("position + value per message and parameter");
}

void BM_ParameterLookup_Indexed(benchmark::State& state)
{
    parameterLookup<VeskSysex>(state);
}
BENCHMARK(BM_ParameterLookup_Indexed)->Unit(benchmark::kMillisecond);

void BM_ParameterLookup_Scan(benchmark::State& state)
{
    parameterLookup<ScanSysex>(state);
}
BENCHMARK(BM_ParameterLookup_Scan)->Unit(benchmark::kMillisecond);

// The whole construction with the real tables and effect document (the
// destruction, which writes the settings, is left out).
void BM_VeskConstruct(benchmark::State& state)
{
    for (auto _ : state) {
        auto* device = new Vesk;
        benchmark::DoNotOptimize(device);
        state.PauseTiming();
        delete device;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_VeskConstruct)->Unit(benchmark::kMillisecond)->UseRealTime();

// The reference: a program of Qt's widgets alone, from its start until its
// event loop has run once and it has ended.
void BM_BareQtWidgetProgram(benchmark::State& state)
{
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/bare_qt_start");
    for (auto _ : state) {
        QProcess process;
        process.start(program, {});
        if (!process.waitForFinished(10000) || process.exitCode() != 0) {
            state.SkipWithError("the reference program did not run");
            break;
        }
    }
}
BENCHMARK(BM_BareQtWidgetProgram)->Unit(benchmark::kMillisecond)->UseRealTime();

// The six initial patches as the device builds them at construction: each
// split from its stored messages into a dump.
void BM_BuildInitDumps(benchmark::State& state)
{
    Vesk device;
    long messages = 0;
    for (auto _ : state) {
        for (int type = 0; type < VeskDump::TypeCount; ++type) {
            std::unique_ptr<PatchDump> dump(device.createPatchDump(type));
            dump->buildInit(QStringLiteral("Vesk ES"));
            messages += dump->size();
        }
    }
    state.SetItemsProcessed(messages);
    state.SetLabel("messages");
}
BENCHMARK(BM_BuildInitDumps)->Unit(benchmark::kMicrosecond);

// The instrument on the bus holding the initial drum kit, and the device on
// its ports without a pause between messages.
struct BusFixture
{
    VirtualMidiBus* bus = VirtualMidiBus::instance();
    std::unique_ptr<TestInstrument> instrument;
    std::unique_ptr<Vesk> device;
    QList<QByteArray> drumKit; // header, the kit's messages, footer

    BusFixture()
    {
        bus->reset();
        instrument = std::make_unique<TestInstrument>(*bus);
        device = std::make_unique<Vesk>();
        device->setDelay(0);
        device->midiIn()->setName(instrument->name());
        device->midiOut()->setName(instrument->name());
        device->connect(false);
        device->setConnected(true);
        const auto add = [this](const Sysex* message) {
            drumKit.append(QByteArray(reinterpret_cast<const char*>(message->data()), message->size()));
        };
        VeskSysex frame;
        frame.prepareBulkHeader(0x2800);
        add(&frame);
        for (const Sysex* message : *device->initDump(VeskDump::TypeDrum))
            add(message);
        frame.prepareBulkFooter(0x2800);
        add(&frame);
        const QList<QByteArray> kit = drumKit;
        instrument->setBulkScript([kit](unsigned int) { return kit; });
    }
    ~BusFixture()
    {
        device.reset();
        instrument.reset();
        bus->reset();
    }
};

// A drum kit sent to a patch location: header, 373 messages, footer.
void BM_BulkTransmitDrumKit(benchmark::State& state)
{
    BusFixture f;
    DrumDump* kit = static_cast<DrumDump*>(f.device->initDump(VeskDump::TypeDrum));
    for (auto _ : state) {
        f.device->bulkTransmit(0x2800, kit);
        state.PauseTiming();
        f.bus->waitIdle();
        if (f.bus->sentPackets(f.instrument->destination()).size() != kit->size() + 2) {
            state.SkipWithError("the instrument did not receive the whole kit");
            break;
        }
        f.bus->clearSent();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * (kit->size() + 2));
    state.SetLabel("messages sent");
}
BENCHMARK(BM_BulkTransmitDrumKit)->Unit(benchmark::kMillisecond);

// A drum kit requested and received whole (375 messages) into a dump.
void BM_SyncRequestDrumKit(benchmark::State& state)
{
    BusFixture f;
    BulkDump dump;
    for (auto _ : state) {
        if (!f.device->syncPatchRequest(Patch(0x3F28, 0), dump, false) || dump.size() != 375) {
            state.SkipWithError("the drum kit did not come");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * 375);
    state.SetLabel("messages received");
}
BENCHMARK(BM_SyncRequestDrumKit)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor: the same bytes copied once.
void BM_MemcpyDrumKit(benchmark::State& state)
{
    BusFixture f;
    const QByteArray bytes = f.drumKit.join();
    QByteArray target(bytes.size(), '\0');
    for (auto _ : state) {
        std::memcpy(target.data(), bytes.constData(), size_t(bytes.size()));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_MemcpyDrumKit)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    return BenchMain<QApplication>(argc, argv);
}
