// The instruments of a multi-sample file: a SoundFont 2 bank, a DLS or
// GigaSampler bank, or a sampler program, chosen by the file's header. The
// instrument library's import turns each instrument into a waveform.
//
// A file that does not load is reported to the user with the document's
// reason and leaves the list as it was (unsorted); otherwise its instruments
// are appended and the list is sorted by name. A file of any other kind adds
// nothing. Runs on the caller's thread.
#pragma once

#include "Sample.h"

#include <QStringList>

class AKP_Document;
class GIG_Document;
class SF2_Document;

class SampleFile : public Instruments
{
public:
    // False when the file was one of the three kinds and did not load.
    bool fromFile(const QString& path);
    // One instrument per instrument of the bank, one sample per zone. A zone
    // whose sample header is missing (past the table, or of rate 0) is
    // passed over.
    void fromSF2(SF2_Document& doc);
    // Copies of the document's instruments and samples.
    void fromGIG(GIG_Document& doc);
    void fromAKP(AKP_Document& doc);

    // "sf2", "gig", "akp", "wav", "aif", "aiff".
    static QStringList SupportedFormats();
    // Samples of all instruments together.
    int ridevSamples() const;
};
