// Standard MIDI files ("MThd" and "MTrk" chunks): read into tracks of events,
// written back, and played through a MidiDevice in fixed timer periods.
//
// Reading: the header body is kept raw and written back as it was read.
// Tracks are made as track chunks fill them, whatever count the header
// declares; each keeps its events packed in one block.
// Events are read as the file format defines them: a data byte where a status
// is due repeats the last channel status (running status), 0xF7 starts an
// escape with a length, meta and system-exclusive lengths are cut to what the
// track chunk holds. Chunks with other tags are skipped. A file that ends
// inside a chunk header is refused; nothing read before that is undone.
//
// Writing: every status byte is written (no running status), each track
// chunk's length patched once its events are out.
//
// Playing: a driver sets the timer period (setTimerMs, 10 ms until then),
// positions with play(), marks the document playing and calls
// playCurrentEvents(true) every period while it returns true; MidiFilePlayer
// is that driver. Each period dispatches, track by track, the events due in
// the ticks the period covers; the last event of a track (its end-of-track
// event) is never dispatched. Seeking replays the file silently from tick 0.
// Everything runs on the caller's thread; nothing here takes a lock.
#pragma once

#include "Buffer.h"
#include "Containers.h"
#include "Document.h"
#include "MidiMessage.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <iterator>
#include <type_traits>
#include <vector>

class Archive;
class MidiDevice;

// One event as a track holds it. Tracks keep their events packed (below), so
// an event is a value made when it is asked for; its data shares the track's
// bytes and costs no allocation.
class MidiEvent
{
public:
    quint32 delta = 0;   // ticks since the previous event of the track
    quint8 status = 0;   // 0xFF meta, 0xF0 system exclusive, 0xF7 escape, else a message
    quint8 metaType = 0; // meaningful for status 0xFF only
    // Meta, system-exclusive and escape events: the bytes after the length.
    // Every other event: data1 and data2 (0 for a byte the message lacks).
    Buffer data;

    void toArchive(Archive& ar) const;
    void setMessage(const MidiMessage& message);
    // The zero message for meta, system-exclusive and escape events.
    MidiMessage message() const;
    QString text() const;
    QString toString() const;

    bool isMeta() const { return status == 0xFF; }
    bool isSysex() const { return status == 0xF0 || status == 0xF7; }
};

// Walks a container that makes its items on demand by index (at(i)),
// giving each as Reference: a value made for the walk, or a reference.
template <class Container, class Reference>
class IndexIterator
{
public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = std::remove_cvref_t<Reference>;
    using difference_type = qsizetype;
    using pointer = void;
    using reference = Reference;

    IndexIterator(const Container* items, qsizetype i) : m_items(items), m_i(i) {}
    Reference operator*() const { return m_items->at(m_i); }
    IndexIterator& operator++()
    {
        ++m_i;
        return *this;
    }
    bool operator==(const IndexIterator& other) const { return m_i == other.m_i; }
    bool operator!=(const IndexIterator& other) const { return m_i != other.m_i; }

private:
    const Container* m_items;
    qsizetype m_i;
};

// The events of one track, in file order, packed into one block of bytes
// with the offset of each event beside it: a few bytes an event instead of
// an object each (a file of a million events is common). In the block an
// event is its status, its meta type (meta events only), its delta as a
// variable-length number (low seven bits first), then for meta,
// system-exclusive and escape events the data's length the same way and the
// data, for every other event its two data bytes.
class MidiEvents
{
public:
    MidiEvents() = default;
    MidiEvents(const MidiEvents&) = delete;
    MidiEvents& operator=(const MidiEvents&) = delete;

    qsizetype size() const { return qsizetype(m_offsets.size()); }
    bool isEmpty() const { return m_offsets.empty(); }
    // The event at i, 0 <= i < size().
    MidiEvent at(qsizetype i) const;
    MidiEvent first() const { return at(0); }
    // The delta of the event at i, without making the event.
    quint32 delta(qsizetype i) const;

    // Walks the events, giving each as a value.
    using const_iterator = IndexIterator<MidiEvents, MidiEvent>;
    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, size()); }

private:
    friend class MIDI_Document;

    // The status byte and the meta type of the event at i.
    quint8 statusAt(qsizetype i) const { return quint8(m_block.at(m_offsets[size_t(i)])); }
    quint8 metaTypeAt(qsizetype i) const { return quint8(m_block.at(m_offsets[size_t(i)] + 1)); }

    QByteArray m_block;             // the events, packed as above
    std::vector<quint32> m_offsets; // where each event starts in m_block
    quint16 m_notesOn = 0;          // bit c: a note-on of the track plays on channel c
};

struct MidiTrack
{
    double remaining = 0; // ticks until the event at current is due
    MidiEvents events;    // in file order
    int current = 0;      // index of the next event to dispatch

    // current 0, remaining the first event's delta.
    void rewind();
};

// The tracks of a file: as many as its header declares, or as its track
// chunks fill if they are more. A track is only made when a track chunk
// fills it (or one after it): a header may declare 65,535 tracks in a file
// of a few bytes. The tracks not made read as empty ones.
class MidiTracks
{
public:
    MidiTracks() = default;
    MidiTracks(const MidiTracks&) = delete;
    MidiTracks& operator=(const MidiTracks&) = delete;
    ~MidiTracks();

    qsizetype size() const { return std::max(m_declared, qsizetype(m_made.size())); }
    bool isEmpty() const { return size() == 0; }
    // The track at i, 0 <= i < size(); an empty track for one not made.
    const MidiTrack& at(qsizetype i) const;
    const MidiTrack& first() const { return at(0); }

    using const_iterator = IndexIterator<MidiTracks, const MidiTrack&>;
    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, size()); }

private:
    friend class MIDI_Document;

    // Deletes every track made and forgets the declared count.
    void deleteAll();
    // The track at i, made (with the empty ones before it) when it is not.
    MidiTrack* make(qsizetype i);

    std::vector<MidiTrack*> m_made; // owned; the tracks 0 .. made - 1
    qsizetype m_declared = 0;       // the header's count
};

struct MidiMarker
{
    int tick = 0; // counted from the start of the first track
    QString text;
};

// Changes a short message just before it is sent; not owned by the document.
class IMidiProcessor
{
public:
    virtual ~IMidiProcessor() = default;
    virtual void process(MidiMessage& message) = 0;
};

class MIDI_Document : public Document
{
public:
    static constexpr unsigned DefaultTimerMs = 10;

    explicit MIDI_Document(MidiDevice* device = nullptr);
    ~MIDI_Document() override;

    void clearDocument() override;
    // False with an error text when the file ends inside a chunk header or
    // an event cannot be read (a data byte with no status before it).
    bool loadDocument(Archive& ar) override;
    bool storeDocument(Archive& ar) override;

    void setDevice(MidiDevice* device) { m_device = device; }
    MidiDevice* device() const { return m_device; }
    void setProcessor(IMidiProcessor* processor) { m_processor = processor; }

    // --- playing -------------------------------------------------------
    // Periods of less than 1 ms are taken as 1 ms.
    void setTimerMs(unsigned ms) { m_timerMs = ms > 0 ? ms : 1; }
    unsigned timerMs() const { return m_timerMs; }
    double ticksPerTimer() const;
    double tickMs() const;

    bool playing() const { return m_playState != 0; }
    // The driver's mark; stop() leaves it alone.
    void setPlaying(bool on) { m_playState = on ? 1 : 0; }
    bool isChannelUsed(int channel) const;

    // With a device and not playing: seek(tick), then setLooping(loop).
    void play(int tick, bool loop);
    // Loops from the marker of that name to the marker after it.
    void play(const QString& markerName, bool loop);
    void setLooping(bool on);
    bool isLooping() const { return m_looping; }
    // Replays silently from tick 0 to the last whole period not past tick;
    // looping does not act while it replays.
    void seek(int tick);
    bool playTick(int tick);
    // One timer period; true while some track has events left to dispatch.
    bool playCurrentEvents(bool send);
    void playEvent(const MidiEvent* event, bool send);
    bool finished() const;
    // With a device and while playing: all notes off on its output port.
    void stop();

    // --- contents ------------------------------------------------------
    const MidiTracks& tracks() const { return m_tracks; }
    const Vector<MidiMarker>& markers() const { return m_markers; }
    const Buffer& header() const { return m_header; }
    QString path() const { return m_path; }
    int format() const { return m_format; }
    int tpqn() const { return m_tpqn; }
    int mpqn() const { return m_mpqn; }
    double tempo() const { return m_tempo; }
    int numerator() const { return m_numerator; }
    int denominator() const { return m_denominator; }
    double position() const { return m_position; }
    double loopStart() const { return m_loopStart; }
    double loopEnd() const { return m_loopEnd; }
    QString trackName() const { return m_trackName; }
    QString noticeText() const { return m_noticeText; }
    int eventCount() const;

    void setMPQN(int value);
    void setSignature(int numerator, int power, int clocks, int notated);
    QString printTick(int tick) const;
    QString printStatus() const;

private:
    void readHeader(const QByteArray& body);
    // An error text, empty when the track was read.
    QString readTrack(const QByteArray& body, int trackIndex);
    void init();

    MidiDevice* m_device = nullptr; // not owned
    QString m_path;
    int m_playState = 0;
    unsigned m_timerMs = DefaultTimerMs;
    MidiTracks m_tracks;
    bool m_channelUsed[16] = {};
    Vector<MidiMarker> m_markers;
    quint16 m_format = 0;
    double m_position = 0;
    double m_loopStart = 0.0;
    double m_loopEnd = -1.0;
    bool m_looping = false;
    QString m_trackName;
    QString m_noticeText;
    double m_tempo = 120.0;
    int m_numerator = 4;
    int m_denominator = 4;
    int m_mpqn = 500000;
    int m_tpqn = 96;
    IMidiProcessor* m_processor = nullptr; // not owned
    Buffer m_header;
};
