// SoundFont 2 banks (RIFF form "sfbk"), read at the instrument level: the
// bank's name, its sample headers with their sound cut out of the sample
// pool, and its instruments with each zone flattened into an SF2_Keybank.
// Presets, modulators and every generator a keybank does not keep are passed
// over. The multi-sample import (SampleFile) turns keybanks into Samples.
//
// Every number is little-endian; names are fixed 20-byte texts. Tables are
// read whole records at a time: a trailing part record is dropped. A missing
// chunk leaves what it would give empty; only a file that is not RIFF fails.
//
// Zones are given to instruments, and generators to zones, by the index of
// the first record each one owns: an instrument or zone with none owns none,
// and a table that is missing or shorter than the indexes say gives no zone
// to anyone. The last zone of the generator table counts whether or not a
// terminal record follows it. A keybank's `sample` is the position of its
// header in the file's header table, which `sampleAt` finds even where
// records of rate 0 were left out of `samples`.
//
// The document owns its samples; a sample's data and wave share the pool's
// bytes (no copy) and keep them alive as long as they live.
#pragma once

#include "AudioWave.h"
#include "Containers.h"
#include "RIFF_Document.h"

#include <QString>

// One zone of an instrument, as the multi-sample import takes it.
class SF2_Keybank
{
public:
    // Everything but sample to the values of a zone that sets nothing.
    void reset();

    int sample = 0;         // position of the zone's sample header in the file
    int loop = 0;           // 1 when the zone loops
    int velocityLow = 0;
    int velocityHigh = 127;
    int keyLow = 0;
    int keyHigh = 127;
    int pan = 64;           // 1 .. 127, 64 = centre
    int rootKey = -1;       // -1: the sample's own recorded pitch
    int startOffset = 0;    // in sample points
    int loopStartOffset = 0;
    int loopEndOffset = 0;
    int coarseTune = 64;    // semitones, 64 = none, 0 .. 127
    int fineTune = 64;      // 1 .. 127, 64 = none
};

class SF2_Instrument
{
public:
    QString name;
    int bagIndex = 0; // its first zone in the zone table
    int index = 0;    // its position in the instrument table
    Vector<SF2_Keybank> keybanks;
};

class SF2_Bag
{
public:
    quint16 genIndex = 0; // its first generator in the generator table
    quint16 modIndex = 0; // read, not used
    int instrument = 0;   // position in instruments of its instrument
};

class SF2_Gen
{
public:
    quint16 oper = 0;   // generator number
    quint16 amount = 0; // signed or two range bytes, by generator
    int bag = 0;        // position in bags of its zone
};

class SF2_Sample
{
public:
    // The values of sampleType.
    enum Type
    {
        MonoSample = 1,
        RightSample = 2,
        LeftSample = 4,
        LinkedSample = 8
    };

    static int bytes() { return 2; } // per point

    // data = the pool's bytes of points [start, end) when they lie inside
    // it, else unchanged; wave = data as 16-bit mono points.
    void fillData(const Buffer& pool);
    // ">'name' rate=.. link=.. type=.. size=.. pos=..-.. loop=..-.."
    QString toString() const;

    QString name;
    quint32 start = 0; // first point in the pool
    quint32 end = 0;   // the point after the last
    quint32 loopStart = 0;
    quint32 loopEnd = 0;
    quint32 sampleRate = 0;
    quint8 pitch = 0;          // the key it was recorded at
    qint8 pitchCorrection = 0; // cents
    quint16 sampleLink = 0;
    quint16 sampleType = MonoSample;
    Buffer data;
    AudioWave wave;
    int index = -1; // position of the header in the file's table
};

class SF2_Document : public RIFF_Document
{
public:
    SF2_Document();
    ~SF2_Document() override;

    void clearDocument() override;
    // False only for a file that is not RIFF.
    bool loadDocument(Archive& ar) override;

    // Keybanks of all instruments together.
    int ridevKeybanks() const;
    // The sample whose header stands at that position of the file's table;
    // null when there is none (past the table, or a header of rate 0).
    const SF2_Sample* sampleAt(int headerIndex) const;

    QString name;                       // the bank's name
    Buffer sampleData;                  // the sample pool, 16-bit little-endian points
    Vector<SF2_Instrument> instruments; // file order, without the terminal record
    Vector<SF2_Bag> bags;               // every instrument zone, file order
    Vector<SF2_Gen> gens;               // every instrument generator, file order
    VectorEx<SF2_Sample*> samples;      // file order, headers of rate 0 left out; owned

private:
    void readSamples(const Buffer& table);
    void readInstruments(const Buffer& table);
    void readBags(const Buffer& table);
    void readGens(const Buffer& table);
    void buildKeybanks();
};

// The generator's name as the SoundFont format lists it; the number itself
// for unused, reserved and the two index generators (instrument, sampleID).
QString PrintGenerator(int oper);
