// The Standard MIDI file reader on any bytes: it ends (no division or length
// makes it loop), keeps no more events than the file has bytes, and what it
// takes stores and reads back to the same events. Loading also seeks and plays
// one period, without a device.
#include "Archive.h"
#include "FuzzSupport.h"
#include "MIDI_Document.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FUZZ_SETUP();
    Buffer file;
    file.append(data, int(size));
    Archive archive(static_cast<const Buffer&>(file));
    MIDI_Document doc;
    if (!doc.loadDocument(archive))
        return 0;
    FUZZ_CHECK(qint64(doc.eventCount()) <= qint64(size));
    FUZZ_CHECK(doc.tpqn() > 0 && doc.ticksPerTimer() > 0);
    // A header may declare 65535 tracks that no chunk fills: they are not
    // made, but a store writes an empty chunk for each, which is slow, not
    // wrong: such files are only loaded.
    if (doc.tracks().size() > 64)
        return 0;
    doc.seek(int(doc.ticksPerTimer() * 100));
    (void)doc.printStatus();
    for (const MidiTrack& t : doc.tracks())
        for (const MidiEvent& e : t.events)
            (void)e.toString();

    Buffer stored;
    {
        Archive out(stored);
        FUZZ_CHECK(doc.storeDocument(out));
    }
    MIDI_Document back;
    Archive in(static_cast<const Buffer&>(stored));
    FUZZ_CHECK(back.loadDocument(in));
    FUZZ_CHECK(back.header() == doc.header());
    // Header counts beyond the tracks stored come back as empty tracks.
    FUZZ_CHECK(back.tracks().size() >= doc.tracks().size());
    for (qsizetype t = 0; t < doc.tracks().size(); ++t) {
        const MidiEvents& a = doc.tracks().at(t).events;
        const MidiEvents& b = back.tracks().at(t).events;
        FUZZ_CHECK(a.size() == b.size());
        for (qsizetype i = 0; i < a.size(); ++i) {
            const MidiEvent x = a.at(i);
            const MidiEvent y = b.at(i);
            FUZZ_CHECK(x.delta == y.delta && a.delta(i) == x.delta && x.status == y.status &&
                       x.metaType == y.metaType && x.data == y.data);
        }
    }
    return 0;
}
