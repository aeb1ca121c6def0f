// Cost of building outgoing system-exclusive messages: the template formatter,
// the analysis of the resulting bytes and the checksum.
#include "TestSysex.h"

#include <benchmark/benchmark.h>

namespace {
void BM_ParameterChange(benchmark::State& state)
{
    const QString templ = QString::fromLatin1(TestSysex::ParameterChangeTemplate);
    const QString model = QStringLiteral("7F 00");
    MidiParam param(0x10000C, 2, false, false);
    TestSysex message;
    int value = 0;
    for (auto _ : state) {
        const QString text = Sysex::FormatSysex(templ, model, param.address(), param.printMidiBytes(value));
        message.fromString(text);
        message.updateChecksum();
        benchmark::DoNotOptimize(message.type());
        value = (value + 1) & 0x3FFF;
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("messages");
}
BENCHMARK(BM_ParameterChange);

void BM_BulkDump128(benchmark::State& state)
{
    const QString templ = QString::fromLatin1(TestSysex::BulkDumpTemplate);
    const QString model = QStringLiteral("7F 00");
    QByteArray bytes(128, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i & 0x7F);
    Buffer data;
    data.copy(reinterpret_cast<const unsigned char*>(bytes.constData()), int(bytes.size()));
    const QString dataText = data.toString(-1);
    TestSysex message;
    for (auto _ : state) {
        const QString text = Sysex::FormatSysex(templ, model, 0x100000u, dataText);
        message.fromString(text);
        message.updateChecksum();
        benchmark::DoNotOptimize(message.dataSize());
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * 140);
}
BENCHMARK(BM_BulkDump128);

// A data write into a bulk dump recomputes the checksum at once.
void BM_SetDataAt128(benchmark::State& state)
{
    TestSysex message;
    message.prepareBulkDump(0x100000, QByteArray(128, '\0'));
    int i = 0;
    for (auto _ : state) {
        message.setDataAt(i & 0x7F, i);
        ++i;
    }
    benchmark::DoNotOptimize(message.at(message.size() - 2));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SetDataAt128);
} // namespace

BENCHMARK_MAIN();
