// Voice editing of the all-data native file: delete, reorder and paste
// voices (with the waveforms they use), and the choice of a wave bank. See
// X0V_Document.h.
#include "X0V_Document.h"

#include "Prompts.h"

void X0V_Document::fixVoiceIndexes(XS_VoiceBank* bank)
{
    if (!bank)
        return;
    for (qsizetype i = 0; i < bank->voices.size(); ++i) {
        if (XS_Voice* voice = bank->voices.at(i))
            voice->setId(int(Patch(static_cast<unsigned short>(bank->id() & 0xFFFF), int(i)).toUInt()));
    }
}

void X0V_Document::deleteVoices(int bank, const ints& indexes)
{
    XS_VoiceBank* target = voices.getBank(static_cast<unsigned short>(bank));
    if (!target)
        return;
    for (int index : indexes) {
        XS_Voice* voice = target->voices.value(index);
        if (voice && voice->hasData())
            voice->deleteData();
    }
}

bool X0V_Document::reorganizeVoices(int bank, int& position, const ints& indexes)
{
    XS_VoiceBank* target = voices.getBank(static_cast<unsigned short>(bank));
    if (!target || !target->voices.reorganize(position, indexes))
        return false;
    fixVoiceIndexes(target);
    return true;
}

int X0V_Document::pasteVoices(int bank, int start, const QList<XS_Voice*>& pasted, QList<XS_Waveform*> waveforms)
{
    if (pasted.isEmpty() || !pasted.first())
        return 0;
    const int first = start == -1 ? 0 : start;
    const QString m = model();
    if (pasted.first()->model != m) {
        error(nullptr, QStringLiteral("Model mismatch"), QStringLiteral("Paste Voices"));
        return 0;
    }
    if (pasted.first()->bankType() != XS_Voice::BankType(static_cast<unsigned short>(bank))) {
        error(nullptr, QStringLiteral("Type mismatch"), QStringLiteral("Paste Voices"));
        return 0;
    }

    // Waveforms the document already holds are shared, not pasted again.
    ints similar;
    ints oldIds;
    ints newIds;
    for (qsizetype i = 0; i < waveforms.size(); ++i) {
        const XS_Waveform* w = waveforms.at(i);
        if (!w || !w->hasData())
            continue;
        if (const int id = waves.findSimilar(w)) {
            similar.append(int(i));
            oldIds.append(w->id());
            newIds.append(id);
        }
    }
    RemoveItems(waveforms, similar);

    // The first wave bank with room after its last used slot for the rest.
    // Banks are listed in the order they were made, so the bank's own number
    // names it, not its place in the list.
    XS_WaveBank* target = nullptr;
    for (XS_WaveBank* candidate : waves.banks()) {
        if (candidate->id() >= 1 && candidate->lastIndex() + waveforms.size() < candidate->waves.size()) {
            target = candidate;
            break;
        }
    }
    if (!target) {
        warning(nullptr, QStringLiteral("Not available space to paste waveforms"), QStringLiteral("Paste Waveforms"));
        return 0;
    }
    XS_VoiceBank* destination = voices.getBank(static_cast<unsigned short>(bank));
    if (!destination)
        return 0;

    const int last = target->lastIndex();
    int number = last + 2;
    for (const XS_Waveform* w : std::as_const(waveforms)) {
        if (w && w->hasData()) {
            oldIds.append(w->id());
            newIds.append(XS_Waveform::MakeId(target->id(), number, m));
        }
        ++number;
    }
    pasteWaves(target->id(), last + 1, waveforms);

    int count = 0;
    for (qsizetype j = 0; j < pasted.size(); ++j) {
        XS_Voice* slot = destination->voices.value(first + int(j));
        const XS_Voice* source = pasted.at(j);
        if (!slot || !source || first + j < 0)
            continue;
        static_cast<XS_Entry&>(*slot) = *source;
        slot->data = source->data;
        slot->model = source->model;
        slot->remapWaveforms(m, oldIds, newIds);
        ++count;
    }
    fixVoiceIndexes(destination);
    return count;
}

int X0V_Document::choseWaveBank(const QString& text)
{
    const QStringList banks{QStringLiteral("USR"), QStringLiteral("FL1"), QStringLiteral("FL2")};
    const QString answer = ChoseItem(nullptr, text, QStringLiteral("Chose destination bank"), banks, 0);
    return answer.isEmpty() ? 0 : int(banks.indexOf(answer)) + 1;
}
