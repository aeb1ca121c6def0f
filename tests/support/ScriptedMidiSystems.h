// The MIDI systems of the machine as a test scripts them: whether the ALSA
// sequencer opens and whether a JACK server runs are answers the test sets
// (and may change while it runs), and each question asked is counted.
#pragma once

#include "MidiSystems.h"

#include <atomic>

class ScriptedMidiSystems : public MidiSystems
{
public:
    // Puts itself in force; destroying it restores the systems it replaced.
    ScriptedMidiSystems(bool alsaOpens, bool jackRunning) : alsa(alsaOpens), jack(jackRunning)
    {
        m_replaced = MidiSystems::install(this);
    }
    ~ScriptedMidiSystems() override { MidiSystems::install(m_replaced); }

    bool alsaSequencerOpens() override
    {
        ++alsaAsked;
        return alsa;
    }
    bool jackServerRunning() override
    {
        ++jackAsked;
        return jack;
    }

    std::atomic<bool> alsa;
    std::atomic<bool> jack;
    std::atomic<int> alsaAsked{0};
    std::atomic<int> jackAsked{0};

private:
    MidiSystems* m_replaced = nullptr;
};
