// The XS-family all-data document at its fullest: a "Vesk XF" document whose
// 4,224 waveform slots all hold a waveform (one keybank of 256 16-bit
// frames) and whose 544 voice slots all hold a voice. Stored into memory and
// loaded back into a document with slots, as the librarian does. The
// argument is the number of filled waveform slots: the time per waveform
// should stay flat as it grows (no walk of all slots per item).
#include "Archive.h"
#include "Buffer.h"
#include "X0V_Document.h"

#include <benchmark/benchmark.h>

namespace {

const QString XF = QStringLiteral("Vesk XF");

void fill(X0V_Document& doc, int waveforms)
{
    doc.newDocument(6);
    doc.initSlots(6);
    int n = 0;
    for (const XS_WaveBank* bank : doc.waves.banks()) {
        for (XS_Waveform* w : bank->waves) {
            if (n++ >= waveforms)
                break;
            auto* k = new XS_Keybank;
            k->left = Buffer(512);
            k->validateKeybank();
            w->setName(QStringLiteral("Wave %1").arg(n));
            w->addKeybank(k);
        }
    }
    for (const XS_VoiceBank* bank : doc.voices.banks()) {
        for (XS_Voice* v : bank->voices) {
            v->initVoice();
            v->setElementWaveform(XF, 0, 1 + v->id() % 4224);
        }
    }
}

Buffer stored(X0V_Document& doc)
{
    Buffer out;
    Archive archive(out);
    doc.storeDocument(archive);
    return out;
}

void BM_XsStore(benchmark::State& state)
{
    X0V_Document doc;
    fill(doc, int(state.range(0)));
    qint64 bytes = 0;
    for (auto _ : state) {
        const Buffer out = stored(doc);
        bytes = out.size();
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["file_MB"] = double(bytes) / 1e6;
}

void BM_XsLoad(benchmark::State& state)
{
    X0V_Document source;
    fill(source, int(state.range(0)));
    const Buffer file = stored(source);
    X0V_Document doc;
    doc.newDocument(6);
    doc.initSlots(6);
    for (auto _ : state) {
        Archive archive(file);
        if (!doc.loadDocument(archive) || doc.waves.count() != state.range(0))
            state.SkipWithError("the document did not load");
    }
    state.SetBytesProcessed(state.iterations() * file.size());
    state.counters["file_MB"] = double(file.size()) / 1e6;
}

BENCHMARK(BM_XsStore)->Arg(1056)->Arg(2112)->Arg(4224)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_XsLoad)->Arg(1056)->Arg(2112)->Arg(4224)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
