#include "SF2_Document.h"

#include "Archive.h"
#include "MidiTypes.h"
#include "VarArgs.h"

#include <algorithm>

namespace {

constexpr int NameSize = 20;
constexpr int SampleRecordSize = 46;
constexpr int PresetRecordSize = 38;
constexpr int InstrumentRecordSize = 22;
constexpr int BagRecordSize = 4;
constexpr int GenRecordSize = 4;

// The generators a keybank keeps.
enum Generator
{
    StartAddrsOffset = 0,
    StartloopAddrsOffset = 2,
    EndloopAddrsOffset = 3,
    Pan = 17,
    KeyRange = 43,
    VelRange = 44,
    CoarseTune = 51,
    FineTune = 52,
    SampleID = 53,
    SampleModes = 54,
    OverridingRootKey = 58
};

constexpr int LoopContinuously = 1; // the sample mode that loops

// Every generator name of the format by number; null for the numbers that
// print as numbers.
const char* const GeneratorNames[] = {
    "startAddrsOffset", "endAddrsOffset", "startloopAddrsOffset", "endloopAddrsOffset",
    "startAddrsCoarseOffset", "modLfoToPitch", "vibLfoToPitch", "modEnvToPitch", "initialFilterFc",
    "initialFilterQ", "modLfoToFilterFc", "modEnvToFilterFc", "endAddrsCoarseOffset", "modLfoToVolume",
    nullptr, // 14 unused1
    "chorusEffectsSend", "reverbEffectsSend", "pan",
    nullptr, nullptr, nullptr, // 18 .. 20 unused2 .. unused4
    "delayModLFO", "freqModLFO", "delayVibLFO", "freqVibLFO", "delayModEnv", "attackModEnv", "holdModEnv",
    "decayModEnv", "sustainModEnv", "releaseModEnv", "keynumToModEnvHold", "keynumToModEnvDecay",
    "delayVolEnv", "attackVolEnv", "holdVolEnv", "decayVolEnv", "sustainVolEnv", "releaseVolEnv",
    "keynumToVolEnvHold", "keynumToVolEnvDecay",
    nullptr, nullptr, // 41 instrument, 42 reserved1
    "keyRange", "velRange", "startloopAddrsCoarseOffset", "keynum", "velocity", "initialAttenuation",
    nullptr, // 49 reserved2
    "endloopAddrsCoarseOffset", "coarseTune", "fineTune",
    nullptr, // 53 sampleID
    "sampleModes",
    nullptr, // 55 reserved3
    "scaleTuning", "exclusiveClass", "overridingRootKey"};

constexpr int GeneratorCount = int(sizeof GeneratorNames / sizeof GeneratorNames[0]);

void applyGenerator(const SF2_Gen& gen, SF2_Keybank& k, int& sample)
{
    const int a = qint16(gen.amount);
    const int low = gen.amount & 0xFF;
    const int high = gen.amount >> 8;
    switch (gen.oper) {
    case StartAddrsOffset:
        if (a != 0)
            k.startOffset = a;
        break;
    case StartloopAddrsOffset:
        if (a != 0)
            k.loopStartOffset = a;
        break;
    case EndloopAddrsOffset:
        if (a != 0)
            k.loopEndOffset = a;
        break;
    case Pan:
        k.pan = (a * 126 + 63000) / 1000 + 1;
        break;
    case KeyRange:
        k.keyLow = low;
        k.keyHigh = high;
        break;
    case VelRange:
        k.velocityLow = low;
        k.velocityHigh = high;
        break;
    case CoarseTune:
        k.coarseTune = a + 64;
        Limit<int>(k.coarseTune, 0, 127);
        break;
    case FineTune:
        k.fineTune = (a * 126 + 12474) / 198 + 1;
        break;
    case SampleID:
        sample = gen.amount;
        break;
    case SampleModes:
        if (gen.amount == LoopContinuously)
            k.loop = 1;
        break;
    case OverridingRootKey:
        // -1 (and anything past the last key) means the sample's own pitch.
        k.rootKey = gen.amount <= 127 ? int(gen.amount) : -1;
        break;
    default:
        break;
    }
}

// The owner of record j: the last of the owners whose first record is at or
// before j. Owners without records are passed over; records before the first
// owner's go to it.
template <class Owners, class FirstOf>
int advance(int current, int j, const Owners& owners, FirstOf first)
{
    while (current + 1 < owners.size() && first(owners[current + 1]) <= j)
        ++current;
    return current;
}

} // namespace

void SF2_Keybank::reset()
{
    loop = 0;
    velocityLow = 0;
    velocityHigh = 127;
    keyLow = 0;
    keyHigh = 127;
    pan = 64;
    rootKey = -1;
    startOffset = 0;
    loopStartOffset = 0;
    loopEndOffset = 0;
    coarseTune = 64;
    fineTune = 64;
}

void SF2_Sample::fillData(const Buffer& pool)
{
    // Byte offsets of 32-bit point numbers need 33 bits.
    const qint64 b = qint64(bytes()) * start;
    const qint64 e = qint64(bytes()) * end;
    if (b < e && e <= pool.size())
        data.share(pool.bytes(), b, e - b);
    wave.fromSF2(data);
}

QString SF2_Sample::toString() const
{
    QString type;
    switch (sampleType) {
    case MonoSample:
        type = QStringLiteral("monoSample");
        break;
    case RightSample:
        type = QStringLiteral("rightSample");
        break;
    case LeftSample:
        type = QStringLiteral("leftSample");
        break;
    case LinkedSample:
        type = QStringLiteral("linkedSample");
        break;
    default:
        type = VarArgs::format(QStringLiteral("%d"), int(sampleType));
    }
    return VarArgs::format(QStringLiteral(">'%s' rate=%d link=%d type=%s size=%d pos=%d-%d loop=%d-%d"), name,
                           sampleRate, int(sampleLink), type, qint64(end) - qint64(start), start, end, loopStart,
                           loopEnd);
}

SF2_Document::SF2_Document() = default;

SF2_Document::~SF2_Document()
{
    clearDocument();
}

void SF2_Document::clearDocument()
{
    RIFF_Document::clearDocument();
    name.clear();
    sampleData.reset();
    instruments.clear();
    bags.clear();
    gens.clear();
    qDeleteAll(samples);
    samples.clear();
}

bool SF2_Document::loadDocument(Archive& ar)
{
    clearDocument();
    if (!RIFF_Document::loadDocument(ar))
        return false;

    if (RIFF_Chunk* info = root.getChunk(QStringLiteral("INFO"))) {
        // "ifil" holds the format version; nothing here depends on it.
        if (RIFF_Chunk* inam = info->getChunk(QStringLiteral("INAM")))
            name = inam->text();
    }
    if (RIFF_Chunk* pool = root.getChunk(QStringLiteral("sdta"), QStringLiteral("smpl")))
        sampleData = pool->data;
    if (RIFF_Chunk* pdta = root.getChunk(QStringLiteral("pdta"))) {
        // Presets ("phdr", "pbag", "pgen") and modulators are not needed.
        if (RIFF_Chunk* shdr = pdta->getChunk(QStringLiteral("shdr")))
            readSamples(shdr->data);
        if (RIFF_Chunk* inst = pdta->getChunk(QStringLiteral("inst")))
            readInstruments(inst->data);
        if (RIFF_Chunk* ibag = pdta->getChunk(QStringLiteral("ibag")))
            readBags(ibag->data);
        if (RIFF_Chunk* igen = pdta->getChunk(QStringLiteral("igen")))
            readGens(igen->data);
    }
    buildKeybanks();
    return true;
}

void SF2_Document::readSamples(const Buffer& table)
{
    Archive ar(table);
    const int count = table.size() / SampleRecordSize;
    for (int i = 0; i < count; ++i) {
        auto* s = new SF2_Sample;
        s->index = i;
        s->name = ar.readText(NameSize);
        s->start = ar.readValueR(4);
        s->end = ar.readValueR(4);
        s->loopStart = ar.readValueR(4);
        s->loopEnd = ar.readValueR(4);
        s->sampleRate = ar.readValueR(4);
        s->pitch = quint8(ar.readValueR(1));
        s->pitchCorrection = qint8(ar.readValueR(1));
        s->sampleLink = quint16(ar.readValueR(2));
        s->sampleType = quint16(ar.readValueR(2));
        // A rate of 0 marks the terminal record (and any other header
        // without a sound).
        if (s->sampleRate == 0) {
            delete s;
            continue;
        }
        s->fillData(sampleData);
        samples.append(s);
    }
}

void SF2_Document::readInstruments(const Buffer& table)
{
    Archive ar(table);
    const int count = table.size() / InstrumentRecordSize;
    for (int i = 0; i < count; ++i) {
        SF2_Instrument inst;
        inst.name = ar.readText(NameSize);
        inst.bagIndex = int(ar.readValueR(2));
        inst.index = i;
        if (inst.name != QLatin1String("EOI"))
            instruments.append(inst);
    }
}

void SF2_Document::readBags(const Buffer& table)
{
    Archive ar(table);
    const int count = table.size() / BagRecordSize;
    bags.reserve(count);
    int c = 0;
    for (int j = 0; j < count; ++j) {
        SF2_Bag bag;
        bag.genIndex = quint16(ar.readValueR(2));
        bag.modIndex = quint16(ar.readValueR(2));
        c = advance(c, j, instruments, [](const SF2_Instrument& i) { return i.bagIndex; });
        bag.instrument = c;
        bags.append(bag);
    }
}

void SF2_Document::readGens(const Buffer& table)
{
    Archive ar(table);
    const int count = table.size() / GenRecordSize;
    gens.reserve(count);
    int c = 0;
    for (int k = 0; k < count; ++k) {
        SF2_Gen gen;
        gen.oper = quint16(ar.readValueR(2));
        gen.amount = quint16(ar.readValueR(2));
        c = advance(c, k, bags, [](const SF2_Bag& b) { return int(b.genIndex); });
        gen.bag = c;
        gens.append(gen);
    }
}

void SF2_Document::buildKeybanks()
{
    SF2_Keybank k;
    k.reset();
    int zone = -1;
    int sample = -1;
    // A zone that names a sample becomes a keybank of its instrument; one
    // without (an instrument's global zone) gives none.
    auto close = [&]() {
        if (zone < 0 || sample < 0 || zone >= bags.size())
            return;
        const int owner = bags[zone].instrument;
        if (owner < 0 || owner >= instruments.size())
            return;
        k.sample = sample;
        instruments[owner].keybanks.append(k);
    };
    for (const SF2_Gen& gen : std::as_const(gens)) {
        if (gen.bag != zone) {
            close();
            k.reset();
            sample = -1;
            zone = gen.bag;
        }
        applyGenerator(gen, k, sample);
    }
    close();
}

int SF2_Document::ridevKeybanks() const
{
    int count = 0;
    for (const SF2_Instrument& inst : instruments)
        count += inst.keybanks.size();
    return count;
}

const SF2_Sample* SF2_Document::sampleAt(int headerIndex) const
{
    const auto it = std::lower_bound(samples.cbegin(), samples.cend(), headerIndex,
                                     [](const SF2_Sample* s, int index) { return s->index < index; });
    return it != samples.cend() && (*it)->index == headerIndex ? *it : nullptr;
}

QString PrintGenerator(int oper)
{
    if (oper >= 0 && oper < GeneratorCount && GeneratorNames[oper] != nullptr)
        return QString::fromLatin1(GeneratorNames[oper]);
    return VarArgs::format(QStringLiteral("%d"), oper);
}
