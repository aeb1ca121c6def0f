// What the voice copier copies and where to: the source voice, the 0-based
// destination part and five options. The performance and mix editors each
// keep the last choice in their own settings, section "VoiceCopier", as ints:
// "voice" (the packed patch, -1 for none), "copyvoice", "part", "copyname",
// "copyarp", "copyfx" and "copyinsfx" (0 or 1).
#pragma once

#include "Patch.h"

class VoiceCopierInfo
{
public:
    // Destination kinds: the performance edit buffer, or the song/pattern mix
    // (the mix editor passes 3; any kind but 1 is a mix).
    static constexpr int Performance = 1;
    static constexpr int Mix = 3;

    // Parts of the destination: 4 in a performance, 16 in a mix.
    static int partCount(int kind) { return kind == Performance ? 4 : 16; }

    Patch voice;           // the source voice; invalid by default
    bool copyvoice = true; // the voice, its part settings and the switch word
    bool copyname = true;  // name and category (performances only)
    bool copyfx = true;    // reverb and chorus
    bool copyarp = true;   // arpeggio settings
    bool copyinsfx = true; // insertion effects, and the A/D input's switch
    int part = 0;          // 0-based destination part

    // Reads the seven keys; an absent "voice" gives defaultVoice, a stored
    // value that is no valid patch the invalid patch, absent flags true and
    // an absent part 0.
    void fromRegistry(Patch defaultVoice);
    // False when the settings could not be written.
    bool toRegistry() const;
};
