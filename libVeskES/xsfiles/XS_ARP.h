// User arpeggios of the XS-family files: the record (a catalogue entry plus
// the arpeggio's data, whose bytes 4-23 hold its name) and one event of an
// arpeggio's event stream.
//
// An event: the delta time as a variable-length quantity, a status byte, and
//   0xFF  type byte, variable-length count n, n data bytes (meta event)
//   0xF0  variable-length count n, n data bytes (system exclusive)
//   0x91  note number, velocity
//   0x81  note number (a note-off carries no velocity)
//   other nothing
// Counts come from files: one larger than what is left fails the read.
#pragma once

#include "Buffer.h"
#include "MidiMessage.h"
#include "XS_Entry.h"

#include <QString>

class Archive;

class XS_ARP : public XS_Entry
{
public:
    static constexpr int NameOffset = 4;
    static constexpr int NameSize = 20;

    Buffer data;

    int id() const { return int(content_number); }
    // Also the file name, "%06X-Voice.vce".
    void setId(int id);
    // A data size or offset, or data bytes.
    bool hasData() const { return data_size != 0 || data_offset != 0 || !data.isEmpty(); }
    void deleteData();
    // The name field of the data; "" without data.
    QString name() const;
    // With data, the name cut to 20 characters becomes the listed name and
    // the data's name field; data too short for the field grow to hold it.
    // Without data nothing changes.
    void setName(const QString& name);
    QString info() const;
};

class ARPEvent
{
public:
    quint32 delta = 0;   // ticks since the previous event
    quint8 status = 0;
    quint8 metaType = 0; // with status 0xFF
    Buffer data;         // meta and exclusive bytes; note and velocity; else empty

    // Status and the two data bytes.
    void setMessage(const MidiMessage& message);
    // The zero message for meta and exclusive events and short data.
    MidiMessage message() const;
    QString text() const { return data.readText(0); }

    // False when the archive ended inside the event.
    bool fromArchive(Archive& archive);
    void toArchive(Archive& archive) const;
    QString toString() const;
};
