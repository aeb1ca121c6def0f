// The all-data native file: slots, reading and writing of the records,
// validation and the sample memory size. See X0V_Document.h.
#include "X0V_Document.h"

#include "Archive.h"
#include "Prompts.h"
#include "VarArgs.h"
#include "WaitCursor.h"

#include <QSet>

namespace {

const QString EVCE = QStringLiteral("EVCE");
const QString DVCE = QStringLiteral("DVCE");
const QString EWFM = QStringLiteral("EWFM");
const QString EWIM = QStringLiteral("EWIM");
const QString DWFM = QStringLiteral("DWFM");
const QString DWIM = QStringLiteral("DWIM");

// The first data item of a chunk starts 12 bytes in (tag, size, count).
constexpr quint32 FirstItemOffset = 12;
// Each item is its mark and its 32-bit size before its data.
constexpr quint32 ItemOverhead = 8;

constexpr int DrumKitBank = 0x3F28;
constexpr int FirstVoiceBank = 0x3F08;
constexpr int DrumKits = 32;
constexpr int Programs = 128;

int WaveSlotsOf(const QString& model)
{
    if (model == QLatin1String("Vesk XS"))
        return 1024;
    if (model == QLatin1String("Vesk XF"))
        return 4224;
    return 0;
}

QString countWord(int n, bool withCount, const QString& one, const QString& many)
{
    const QString& word = n == 1 ? one : many;
    return withCount ? VarArgs::format(QStringLiteral("%d %s"), n, word) : word;
}

template <typename Bank, typename List, typename Visit>
void ForEachWithData(const QList<Bank*>& banks, List Bank::*slotsOf, Visit visit)
{
    for (const Bank* bank : banks) {
        for (auto* item : bank->*slotsOf) {
            if (item && item->hasData())
                visit(item);
        }
    }
}

} // namespace

X0V_Document::~X0V_Document()
{
    clearDocument();
    DeleteItems(arps);
}

void X0V_Document::clearDocument()
{
    XS_Document::clearDocument();
    waves.deleteData();
    voices.deleteData();
}

void X0V_Document::initSlots(int type)
{
    setType(type);
    voices.removeBanks();
    const QString m = model();
    const int voiceBanks = XS_Voice::MaxVoiceBanks(m);
    auto addSlot = [this, &m](int bankWord, int program) {
        auto* voice = new XS_Voice(m);
        voice->setPatch(Patch(quint16(bankWord), program));
        // Each slot's id is new: the bank of its word takes it.
        voices.createBank(quint16(bankWord))->voices.append(voice);
    };
    for (int b = 0; b < voiceBanks; ++b) {
        for (int p = 0; p < Programs; ++p)
            addSlot(FirstVoiceBank + b, p);
    }
    for (int k = 0; k < DrumKits; ++k)
        addSlot(DrumKitBank, k);

    waves.removeBanks();
    const int count = WaveSlotsOf(m);
    for (int id = 1; id <= count; ++id) {
        auto* waveform = new XS_Waveform(QString());
        waveform->setId(id);
        waves.createBank(waveform->bank(m))->waves.append(waveform);
    }
}

void X0V_Document::validateDocument()
{
    bool changed = false;
    const QString m = model();
    for (XS_VoiceBank* bank : voices.banks()) {
        for (XS_Voice* voice : std::as_const(bank->voices)) {
            if (voice && voice->hasData())
                changed = voice->removeInvalidWaveforms(m, waves) || changed;
        }
    }
    if (changed)
        warning(nullptr, QStringLiteral("Removed invalid waveform indexes!"), QString());
}

// --- reading ---------------------------------------------------------------------------

bool X0V_Document::loadDocument(Archive& archive)
{
    const bool hadSlots = !voices.banks().isEmpty() || !waves.banks().isEmpty();
    m_voiceItems.clear();
    m_waveItems.clear();
    m_wavesById.clear();
    for (XS_WaveBank* bank : waves.banks()) {
        for (XS_Waveform* w : std::as_const(bank->waves)) {
            if (w && !m_wavesById.contains(w->id()))
                m_wavesById.insert(w->id(), w);
        }
    }
    m_damaged = false;
    bool ok = XS_Document::loadDocument(archive);
    m_voiceItems.clear();
    m_waveItems.clear();
    m_wavesById.clear();
    if (ok && m_damaged) {
        setDocError(QStringLiteral("Illegal file"));
        clearDocument();
        ok = false;
    }
    if (!ok) {
        // The container has emptied the slots; slots the load made go too.
        if (!hadSlots) {
            voices.removeBanks();
            waves.removeBanks();
        }
        return false;
    }
    freeItems({EVCE, DVCE});
    freeItems({EWFM, EWIM, DWFM, DWIM});
    return true;
}

bool X0V_Document::freeItems(const QStringList& tags)
{
    QList<XS_Chunk*> found;
    for (const QString& tag : tags) {
        XS_Chunk* chunk = getChunk(tag);
        if (!chunk)
            return false;
        found.append(chunk);
    }
    for (XS_Chunk* chunk : std::as_const(found))
        chunk->clearItems();
    return true;
}

XS_Voice* X0V_Document::voiceOfItem(int i) const
{
    XS_Voice* voice = m_voiceItems.value(i);
    // A later entry of the same id took the slot over.
    return voice && voice->dataIndex == i + 1 ? voice : nullptr;
}

XS_Waveform* X0V_Document::waveOfItem(int i) const
{
    XS_Waveform* w = m_waveItems.value(i);
    return w && w->wfm.dataIndex == i + 1 ? w : nullptr;
}

void X0V_Document::readRawItem(XS_Chunk* chunk, int i, Archive& archive)
{
    XS_Document::readChunkItem(chunk, i, archive);
}

void X0V_Document::readChunkItem(XS_Chunk* chunk, int i, Archive& archive)
{
    const QString m = model();
    const QString& tag = chunk->tag;
    if (tag == EVCE) {
        auto* voice = new XS_Voice(m);
        voice->XS_Entry::fromArchive(m, archive);
        voice->dataIndex = i + 1;
        XS_Voice* holder = voice;
        if (!voices.addVoice(voice)) {
            holder = voice->id() != 0 ? voices.lookupVoice(voice->id()) : nullptr;
            delete voice;
        }
        if (m_voiceItems.size() <= i)
            m_voiceItems.resize(i + 1);
        m_voiceItems[i] = holder;
    } else if (tag == DVCE) {
        if (XS_Voice* voice = voiceOfItem(i))
            archive.readBuffer(voice->data);
        else
            readRawItem(chunk, i, archive);
    } else if (tag == EWFM) {
        readWaveEntry(i, archive);
    } else if (tag == EWIM) {
        if (XS_Waveform* w = waveOfItem(i)) {
            w->wim.fromArchive(m, archive);
        } else {
            XS_Entry unowned;
            unowned.fromArchive(m, archive);
        }
    } else if (tag == DWFM || tag == DWIM) {
        XS_Waveform* w = waveOfItem(i);
        if (!w) {
            readRawItem(chunk, i, archive);
            return;
        }
        // The item's size says where the next one starts, whatever the
        // table reads of it (sample data before their keybank records are
        // read into none); records that read past it are damage.
        const qint64 start = archive.pos();
        const qint64 end = start + 4 + archive.readUINT();
        if (archive.failed() || end > archive.size() || !archive.seek(start)) {
            m_damaged = true;
            return;
        }
        if (tag == DWFM)
            w->table.readWFM(archive);
        else
            w->table.readWIM(archive);
        if (archive.pos() > end || !archive.seek(end))
            m_damaged = true;
    } else {
        readRawItem(chunk, i, archive);
    }
}

void X0V_Document::readWaveEntry(int i, Archive& archive)
{
    auto* w = new XS_Waveform(QString());
    w->wfm.fromArchive(model(), archive);
    w->wfm.dataIndex = i + 1;
    XS_Waveform* holder = nullptr;
    const int id = w->id();
    if (id == 0) {
        delete w;
    } else if (XS_Waveform* existing = m_wavesById.value(id)) {
        // Placed by id, as addWave places it, with the load's own index.
        *existing = *w;
        delete w;
        holder = existing;
    } else {
        waves.createBank(w->bank(model()))->waves.append(w);
        m_wavesById.insert(id, w);
        holder = w;
    }
    if (m_waveItems.size() <= i)
        m_waveItems.resize(i + 1);
    m_waveItems[i] = holder;
}

// --- writing ---------------------------------------------------------------------------

bool X0V_Document::storeDocument(Archive& archive)
{
    validateVoices();
    validateWaves();
    m_voiceItems.clear();
    m_waveItems.clear();
    ForEachWithData(voices.banks(), &XS_VoiceBank::voices, [this](XS_Voice* v) { m_voiceItems.append(v); });
    ForEachWithData(waves.banks(), &XS_WaveBank::waves, [this](XS_Waveform* w) { m_waveItems.append(w); });
    m_storing = true;
    const bool ok = XS_Document::storeDocument(archive);
    m_storing = false;
    m_voiceItems.clear();
    m_waveItems.clear();
    return ok;
}

void X0V_Document::writeChunkItem(XS_Chunk* chunk, int i, Archive& archive)
{
    const QString m = model();
    const QString& tag = chunk->tag;
    if (tag == EVCE || tag == DVCE) {
        const XS_Voice* voice = m_storing ? m_voiceItems.value(i) : voices.getByIndex(i);
        if (!voice)
            return;
        if (tag == EVCE)
            voice->XS_Entry::toArchive(m, archive);
        else
            archive.writeBuffer(voice->data);
    } else if (tag == EWFM || tag == EWIM || tag == DWFM || tag == DWIM) {
        const XS_Waveform* w = m_storing ? m_waveItems.value(i) : waves.getByIndex(i);
        if (!w)
            return;
        if (tag == EWFM)
            w->wfm.toArchive(m, archive);
        else if (tag == EWIM)
            w->wim.toArchive(m, archive);
        else if (tag == DWFM)
            w->table.writeWFM(archive);
        else
            w->table.writeWIM(archive);
    } else {
        XS_Document::writeChunkItem(chunk, i, archive);
    }
}

QList<XS_Chunk*> X0V_Document::presentChunks(const QStringList& tags) const
{
    QList<XS_Chunk*> chunks;
    for (const QString& tag : tags) {
        if (XS_Chunk* chunk = getChunk(tag))
            chunks.append(chunk);
    }
    return chunks;
}

void X0V_Document::rebuildItems(const QList<XS_Chunk*>& chunks, int count)
{
    for (XS_Chunk* chunk : chunks) {
        chunk->clearItems();
        for (int k = 0; k < count; ++k)
            chunk->items.append(new XS_Item);
        chunk->itemCount = quint32(chunk->items.size());
    }
}

void X0V_Document::validateVoices()
{
    // A chunk the document holds has an item per voice, even when the file
    // it came from lacked the other chunk of the pair: a mark without its
    // item would make the stored file unreadable.
    const QList<XS_Chunk*> chunks = presentChunks({EVCE, DVCE});
    if (chunks.isEmpty())
        return;
    rebuildItems(chunks, voices.count());
    quint32 offset = FirstItemOffset;
    ForEachWithData(voices.banks(), &XS_VoiceBank::voices, [&offset](XS_Voice* voice) {
        const Buffer& d = voice->data;
        voice->data_size = quint32(d.size());
        voice->data_offset = offset;
        offset += voice->data_size + ItemOverhead;
        // Main and sub number as main x 16 + sub, as the instrument lists
        // them.
        voice->content_name = VarArgs::format(QStringLiteral("%d:%d:%s"), d.at(32) * 16 + d.at(33),
                                              d.at(34) * 16 + d.at(35), d.readText(4, 20));
    });
}

void X0V_Document::validateWaves()
{
    // As for voices: every chunk of the four the document holds.
    const QList<XS_Chunk*> chunks = presentChunks({EWFM, DWFM, EWIM, DWIM});
    if (chunks.isEmpty())
        return;
    rebuildItems(chunks, waves.count());
    quint32 tableOffset = FirstItemOffset;
    quint32 sampleOffset = FirstItemOffset;
    ForEachWithData(waves.banks(), &XS_WaveBank::waves, [&](XS_Waveform* w) {
        int tableSize = 0;
        int sampleSize = 0;
        w->table.calcSizes(tableSize, sampleSize);
        w->wfm.data_size = quint32(tableSize);
        w->wfm.data_offset = tableOffset;
        tableOffset += quint32(tableSize) + ItemOverhead;
        w->wim.data_size = quint32(sampleSize);
        w->wim.data_offset = sampleOffset;
        sampleOffset += quint32(sampleSize) + ItemOverhead;
    });
}

// --- sizes, clean-up, words ------------------------------------------------------------

double X0V_Document::estimatedSizeMB() const
{
    qint64 bytes = 0;
    ForEachWithData(waves.banks(), &XS_WaveBank::waves, [&bytes](const XS_Waveform* w) { bytes += w->ridevSize(); });
    return double(bytes) * 0.0009765625 * 0.0009765625;
}

int X0V_Document::removeUnusedWaveforms()
{
    WaitCursor wait;
    const QString m = model();
    QSet<int> used;
    ForEachWithData(voices.banks(), &XS_VoiceBank::voices, [&](const XS_Voice* voice) {
        for (int id : voice->waveforms(m))
            used.insert(id);
    });
    int cleared = 0;
    ForEachWithData(waves.banks(), &XS_WaveBank::waves, [&](XS_Waveform* w) {
        if (!used.contains(w->id())) {
            w->deleteData();
            ++cleared;
        }
    });
    return cleared;
}

QString X0V_Document::strVoices(int n, bool withCount)
{
    return countWord(n, withCount, QStringLiteral("Voice"), QStringLiteral("Voices"));
}

QString X0V_Document::strWaveforms(int n, bool withCount)
{
    return countWord(n, withCount, QStringLiteral("Waveform"), QStringLiteral("Waveforms"));
}

QString X0V_Document::strKeybanks(int n, bool withCount)
{
    return countWord(n, withCount, QStringLiteral("Keybank"), QStringLiteral("Keybanks"));
}
