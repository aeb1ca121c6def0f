// Records for the all-data document tests: voices that use given waveforms,
// waveforms of keybanks with recognisable sample data, and the document's
// bytes.
#pragma once

#include "Archive.h"
#include "Buffer.h"
#include "X0V_Document.h"

#include <QByteArray>
#include <QList>

namespace XsDocs {

// A keybank of frames 16-bit samples counting up from seed; stereo gives a
// right channel counting down.
inline XS_Keybank* keybank(int frames, int seed, bool stereo = false)
{
    auto* k = new XS_Keybank;
    k->channels = stereo ? 2 : 1;
    k->setBits(16);
    for (int i = 0; i < frames; ++i) {
        k->left.append((seed + i) & 0xFF);
        k->left.append(((seed + i) >> 8) & 0xFF);
        if (stereo) {
            k->right.append((seed - i) & 0xFF);
            k->right.append(((seed - i) >> 8) & 0xFF);
        }
    }
    k->validateKeybank();
    return k;
}

// A named waveform with that id and one keybank a frame count.
inline XS_Waveform* waveform(const QString& name, int id, const QList<int>& frames = {16})
{
    auto* w = new XS_Waveform(name);
    int seed = id * 100;
    for (int n : frames)
        w->addKeybank(keybank(n, seed++));
    w->setId(id);
    return w;
}

// A voice of the model's default data, named, playing the waveform ids from
// its first elements.
inline XS_Voice* voice(const QString& model, const QString& name, const QList<int>& waveIds = {})
{
    auto* v = new XS_Voice(model);
    v->initVoice();
    v->setName(name);
    for (int e = 0; e < v->elementCount(model); ++e) {
        const int id = e < waveIds.size() ? waveIds.at(e) : 0;
        v->setElementUsed(e, id > 0);
        v->setElementWaveform(model, e, id);
    }
    return v;
}

// The voice in the slot of (bank word, program) becomes a copy of v (then
// deleted), with that slot's id.
inline XS_Voice* putVoice(X0V_Document& doc, int bankWord, int program, XS_Voice* v)
{
    XS_Voice* slot = doc.voices.lookupVoice(int(Patch(static_cast<unsigned short>(bankWord), program).toUInt()));
    const int id = slot->id();
    *slot = *v;
    slot->setId(id);
    delete v;
    return slot;
}

inline XS_Waveform* putWave(X0V_Document& doc, XS_Waveform* w)
{
    const int id = w->id();
    if (doc.waves.lookupWave(id) != w && doc.waves.lookupWave(id)) {
        doc.addWave(w);
        delete w;
    } else {
        doc.addWave(w);
    }
    return doc.waves.lookupWave(id);
}

inline QByteArray stored(X0V_Document& doc)
{
    Buffer out;
    {
        Archive archive(out);
        if (!doc.storeDocument(archive))
            return QByteArray();
    }
    return out.bytes();
}

inline bool load(X0V_Document& doc, const QByteArray& bytes)
{
    Buffer in;
    in.setBytes(bytes);
    Archive archive(static_cast<const Buffer&>(in));
    return doc.loadDocument(archive);
}

// The waveform ids of a voice's elements, in element order, 0 for none.
inline QList<int> elementIds(const XS_Voice* v)
{
    QList<int> ids;
    for (int e = 0; e < v->elementCount(v->model); ++e)
        ids.append(v->elementWaveform(v->model, e));
    return ids;
}

} // namespace XsDocs
