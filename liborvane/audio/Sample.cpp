#include "Sample.h"

#include "Strings.h"

#include <algorithm>

Sample::Sample()
{
    reset();
}

void Sample::reset()
{
    AudioWave::reset();
    rootKey = 60;
    keyHigh = 127;
    keyLow = 0;
    velocityHigh = 127;
    velocityLow = 0;
    volume = 127;
    pan = 64;
    loopMode = LoopOff;
    startOffset = 0;
    loopStart = 0;
    loopEnd = 0;
    coarseTune = 64;
    fineTune = 64;
}

Instrument::~Instrument()
{
    qDeleteAll(samples);
    samples.clear();
}

Instruments::~Instruments()
{
    qDeleteAll(*this);
    clear();
}

Instruments& Instruments::operator=(const Instruments& other)
{
    if (&other == this)
        return *this;
    for (const Instrument* source : other) {
        auto* copy = new Instrument(source->name);
        for (const Sample* s : source->samples)
            copy->samples.append(new Sample(*s));
        append(copy);
    }
    return *this;
}

bool InstrumentLessThan(Instrument* a, Instrument* b)
{
    return CompareStrings(a->name, b->name) < 0;
}

void Instruments::sort()
{
    if (keepOrder())
        m_extra = *this;
    std::stable_sort(begin(), end(), InstrumentLessThan);
    if (keepOrder() && !m_extra.isEmpty()) {
        m_extraInts.clear();
        for (Instrument* saved : std::as_const(m_extra))
            m_extraInts.append(indexOf(saved));
    }
}
