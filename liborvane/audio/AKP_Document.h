// Sampler programs (RIFF form "APRG"), read into one instrument named after
// the program file, with one Sample zone per keygroup ("kgrp").
//
// A keygroup's data is a run of sub-chunks (identifier, little-endian size,
// bytes). "kloc" gives the key range (bytes 4 and 5); the first "zone" names
// the sound, loaded from <name>.wav in the program's own folder, and gives
// the velocity range (bytes 34 and 35); later zones are passed over. The key
// range is the one of the last "kloc" before that zone (0 .. 0 before any).
// Everything else of the sample is what the sound file holds. A keygroup
// always gives its sample, with or without a sound.
//
// Nothing in the file is trusted: a sub-chunk ends where its size says or at
// the keygroup's end, whichever comes first, and reading always moves on; a
// name that would leave the program's folder loads nothing. Loading never
// fails.
#pragma once

#include "RIFF_Document.h"
#include "Sample.h"

class AKP_Document : public RIFF_Document
{
public:
    AKP_Document();
    ~AKP_Document() override;

    // Empties the tree, then deletes the instrument.
    void clearDocument() override;
    // Always true; a file that is not RIFF gives an instrument without zones.
    bool loadDocument(Archive& ar) override;
    // Writes nothing.
    bool storeDocument(Archive& ar) override;

    Instruments instruments; // after loading, exactly one; owned

    // The sound file a zone's name stands for: <folder>/<name>.wav, or "" when
    // the name would reach outside the folder.
    static QString soundPath(const QString& folder, const QString& name);

private:
    Sample* readKeygroup(const Buffer& data, const QString& folder) const;
};
