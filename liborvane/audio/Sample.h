// Sampler zones and instruments.
//
// A Sample is one playable zone: a wave plus the keys and velocities it
// answers, its root key, level, pan, loop and tuning. An Instrument is a named
// list of samples and owns them; Instruments is an owning list of instruments
// kept sorted by name. The public sampler formats fill them, and the
// instrument library's import turns them into keybanks.
//
// Sample files: fromFile reads one WAV or AIFF file (chosen by its header),
// toFile writes one (chosen by the path's extension). A file that cannot be
// read is reported to the user and leaves the sample as it was, so a caller
// tests isValid() afterwards. Everything runs on the caller's thread.
#pragma once

#include "AudioWave.h"
#include "Containers.h"

#include <QString>

class AIFF_Document;
class WAV_Document;

class Sample : public AudioWave
{
public:
    // The values of loopMode.
    enum LoopMode
    {
        LoopOff = 0,       // no loop
        LoopForward = 1,   // loopStart .. loopEnd over and over
        LoopKeybank = 2,   // the keybank record's third play mode, kept as it is
        LoopAlternate = 3  // forward, then backward
    };

    Sample();
    // Empties both channels (the format stays) and sets the zone to its defaults.
    void reset();

    // The zone; note the order: high before low in both ranges.
    int rootKey = 60;       // the note that plays the sample at its own pitch
    int keyHigh = 127;      // highest note of the zone
    int keyLow = 0;         // lowest note of the zone
    int velocityHigh = 127; // highest velocity of the zone
    int velocityLow = 0;    // lowest velocity of the zone
    int volume = 127;       // level of the zone
    int pan = 64;           // 64 = centre
    int loopMode = LoopOff;
    int startOffset = 0;    // first sample to play
    int loopStart = 0;      // in samples from the beginning of the wave
    int loopEnd = 0;        // in samples from the beginning of the wave
    int coarseTune = 64;    // semitones, 64 = none
    int fineTune = 64;      // 64 = none

    // Reads a WAV or AIFF file; a file of another kind changes nothing.
    void fromFile(const QString& path);
    void fromWAV(WAV_Document* doc);
    void fromAIFF(AIFF_Document* doc);
    using AudioWave::fromAIFF; // the sound data of a file
    // Writes by the path's extension: "wav", "aiff" or "aif"; false, and
    // nothing written, for any other. toWAV reports a failure to the user.
    bool toFile(const QString& path) const;
    bool toWAV(const QString& path) const;
    bool toAIFF(const QString& path) const;
};

class Instrument
{
public:
    explicit Instrument(const QString& name = QString()) : name(name) {}
    ~Instrument(); // deletes its samples
    Instrument(const Instrument&) = delete;
    Instrument& operator=(const Instrument&) = delete;

    QString name;
    VectorEx<Sample*> samples; // owned
};

// An owning list of instruments. With keepOrder set, sort() saves the items
// before it sorts and then fills the order map: for each old position, the
// new position of the instrument that stood there.
class Instruments : public VectorEx<Instrument*>
{
public:
    Instruments() = default;
    ~Instruments() override; // deletes its instruments
    Instruments(const Instruments&) = delete;
    // Appends a deep copy of every instrument of other, in its order; this
    // list is not emptied first.
    Instruments& operator=(const Instruments& other);

    // Stable sort by name (CompareStrings): equal names keep their order.
    void sort();

    bool keepOrder() const { return m_extraWord != 0; }
    void setKeepOrder(bool on) { m_extraWord = on ? 1 : 0; }
    const QList<Instrument*>& savedItems() const { return m_extra; }
    const QList<int>& orderMap() const { return m_extraInts; }
};

// True when a's name sorts before b's (CompareStrings negative).
bool InstrumentLessThan(Instrument* a, Instrument* b);
