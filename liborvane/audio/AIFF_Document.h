// Audio Interchange File Format files ("FORM" ... "AIFF", big-endian) read
// straight into a Sample, and a Sample stored back as one.
//
// Reading walks the chunks one after the other: "COMM" gives the format,
// "SSND" the sound, "MARK" the markers, and "INST" the key and velocity zone
// and the sustain loop, whose begin and end markers must come from a "MARK"
// chunk earlier in the file. Other chunks are skipped. A "COMM" chunk longer
// than an AIFF one (an AIFC file, compressed or not) is refused.
//
// The sound is decoded once the walk is over, with the format of the last
// "COMM" chunk, wherever the chunks stood; whole frames only. One or two
// channels of 8 to 32 bits are read, a sample taking whole bytes (12-bit data
// two, 20-bit data three, as the file stores them); other formats are refused
// with a reason. Every chunk is read within the bytes it declares and the file
// still holds, so no count or offset in it reaches beyond.
//
// Writing: "FORM" size "AIFF", "COMM" 18 (channels, frames, bits, rate as an
// 80-bit float), "SSND" 8+n (offset 0, block size 0, frames [pad]); when the
// sample has a loop or a zone other than the defaults, "MARK" (the loop's
// two markers) and "INST" follow, so that the reader gets them back.
#pragma once

#include "Containers.h"
#include "Document.h"
#include "Sample.h"

#include <QString>

struct AIFF_Marker
{
    quint16 id = 0;
    quint32 position = 0; // sample frame
    QString name;
};

class AIFF_Document : public Document
{
public:
    AIFF_Document();

    // False when the file is not "FORM", ends within its header, is AIFC or
    // has a format a wave cannot hold. A file that ends early or has a broken
    // chunk header keeps what was read before it.
    bool loadDocument(Archive& ar) override;
    // False, writing nothing, when the sample's format cannot be stored.
    bool storeDocument(Archive& ar) override;
    // Resets the sample (format kept) and empties the markers.
    void clearDocument() override;

    // The first marker with that id; null if none.
    AIFF_Marker* getMarker(unsigned short id);

    Sample sample;
    Vector<AIFF_Marker> markers;

private:
    void readInstrument(const Buffer& chunk);
};
