// Waveform editing of the all-data native file: paste, delete, move and
// reorder within the wave banks, with the voices' references following.
// See X0V_Document.h.
#include "X0V_Document.h"

#include "Prompts.h"
#include "VarArgs.h"
#include "WaitCursor.h"

#include <QDebug>

#include <new>

namespace {

// Every voice with data refers to the new ids instead of the old ones.
void RemapVoices(const XS_Voices& voices, const QString& model, const ints& from, const ints& to)
{
    if (from.isEmpty())
        return;
    for (XS_VoiceBank* bank : voices.banks()) {
        for (XS_Voice* voice : std::as_const(bank->voices)) {
            if (voice && voice->hasData())
                voice->remapWaveforms(model, from, to);
        }
    }
}

} // namespace

void X0V_Document::fixWaveIndexes(XS_WaveBank* bank)
{
    if (!bank)
        return;
    const QString m = model();
    ints oldIds;
    ints newIds;
    for (qsizetype n = 0; n < bank->waves.size(); ++n) {
        XS_Waveform* w = bank->waves.at(n);
        oldIds.append(w->id());
        const int id = XS_Waveform::MakeId(bank->id(), int(n) + 1, m);
        w->setId(id);
        newIds.append(id);
    }
    RemapVoices(voices, m, oldIds, newIds);
}

int X0V_Document::pasteWaves(int bank, int start, const QList<XS_Waveform*>& waveforms)
{
    if (waveforms.isEmpty())
        return 0;
    const int first = start == -1 ? 0 : start;
    XS_WaveBank* target = waves.getBank(bank);
    if (!target || first < 0)
        return 0;
    WaitCursor wait;
    const QString m = model();
    int count = 0;
    try {
        for (const XS_Waveform* source : waveforms) {
            const int slot = first + count;
            const int id = XS_Waveform::MakeId(bank, slot + 1, m);
            // The bank of a loaded document may hold fewer slots than its
            // model has ids.
            if (id == 0 || slot >= target->waves.size() || !source)
                continue;
            XS_Waveform* w = target->waves.at(slot);
            *w = *source;
            w->setId(id);
            ++count;
        }
    } catch (const std::bad_alloc&) {
        qDebug().noquote() << VarArgs::format(QStringLiteral("Out of memory (%s)"), QStringLiteral("pasteWaveforms"));
    }
    return count;
}

void X0V_Document::deleteWaves(int bank, const ints& indexes)
{
    XS_WaveBank* source = waves.getBank(bank);
    if (!source)
        return;
    ints deleted;
    for (int index : indexes) {
        XS_Waveform* w = source->waves.value(index);
        if (w && w->hasData() && !deleted.contains(w->id()))
            deleted.append(w->id());
    }
    ints oldIds;
    ints newIds;
    for (int id : std::as_const(deleted)) {
        XS_Waveform* w = waves.lookupWave(id);
        if (!w || !w->hasData())
            continue;
        if (const int similar = waves.findSimilar(w, &deleted)) {
            oldIds.append(id);
            newIds.append(similar);
        }
        w->deleteData();
    }
    RemapVoices(voices, model(), oldIds, newIds);
}

bool X0V_Document::moveWaves(const ints& indexes, int from, int to)
{
    XS_WaveBank* source = waves.getBank(from);
    XS_WaveBank* destination = waves.getBank(to);
    if (!source || !destination || source == destination || !ValidIndexes(indexes, source->waves.size()))
        return false;
    const int firstFree = destination->lastIndex() + 1;
    if (firstFree + indexes.size() > destination->waves.size()) {
        error(nullptr, QStringLiteral("Not available space in destination bank"), QStringLiteral("Move Waveforms"));
        return false;
    }
    for (qsizetype p = 0; p < indexes.size(); ++p) {
        const int target = firstFree + int(p);
        std::swap(source->waves[indexes.at(p)], destination->waves[target]);
        source->waves.at(indexes.at(p))->deleteData();
    }
    fixWaveIndexes(source);
    fixWaveIndexes(destination);
    return true;
}

bool X0V_Document::reorganizeWaves(int bank, int& position, const ints& indexes)
{
    XS_WaveBank* target = waves.getBank(bank);
    if (!target || !target->waves.reorganize(position, indexes))
        return false;
    fixWaveIndexes(target);
    return true;
}
