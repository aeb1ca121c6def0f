#include "MIDI_Document.h"

#include "Archive.h"
#include "MidiDevice.h"
#include "MidiPort.h"
#include "Strings.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// A cursor over the bytes of one track chunk.
struct TrackReader
{
    const uchar* p;
    const uchar* end;

    bool atEnd() const { return p >= end; }

    // A variable-length quantity of at most four bytes; false when the chunk
    // ends inside it.
    bool readVar(quint32& value)
    {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            if (atEnd())
                return false;
            const uchar b = *p++;
            value = (value << 7) | (b & 0x7F);
            if (!(b & 0x80))
                return true;
        }
        return true;
    }
};

// Writes events in the packed form of MidiEvents.
struct Packer
{
    uchar* out;

    void byte(uchar b) { *out++ = b; }
    void var(quint32 v)
    {
        do {
            uchar b = uchar(v & 0x7F);
            v >>= 7;
            if (v)
                b |= 0x80;
            *out++ = b;
        } while (v);
    }
    void bytes(const uchar* from, quint32 n)
    {
        std::memcpy(out, from, n);
        out += n;
    }
};

// Reads the packed form back.
struct Unpacker
{
    const uchar* p;

    quint32 var()
    {
        quint32 v = 0;
        int shift = 0;
        uchar b = 0;
        do {
            b = *p++;
            v |= quint32(b & 0x7F) << shift;
            shift += 7;
        } while (b & 0x80);
        return v;
    }
};

bool hasLength(quint8 status)
{
    return status == 0xFF || status == 0xF0 || status == 0xF7;
}

enum class EventRead
{
    Ok,
    Truncated, // the chunk ends inside the event: the track ends before it
    NoStatus   // a data byte where a status is due and no status to repeat
};

// One event from the file into the packed form. running is the status a
// data byte in status position repeats: the last channel status; system
// common messages cancel it, real-time messages, meta and system-exclusive
// events leave it (writers that carry it across a meta event are read as
// they meant). Packed, an event never takes more than twice its bytes in the
// file (a running-status program change: two bytes in the file, four here),
// so a block of twice the chunk holds every event of it. notesOn gains the
// channel of a note-on.
EventRead readEvent(TrackReader& in, quint8& running, Packer& out, quint16& notesOn)
{
    quint32 delta = 0;
    if (!in.readVar(delta) || in.atEnd())
        return EventRead::Truncated;
    quint8 status = 0;
    if (*in.p < 0x80) {
        if (running == 0)
            return EventRead::NoStatus;
        status = running;
    } else {
        status = *in.p++;
    }
    if (hasLength(status)) {
        quint8 type = 0;
        if (status == 0xFF) {
            if (in.atEnd())
                return EventRead::Truncated;
            type = *in.p++;
        }
        quint32 n = 0;
        if (!in.readVar(n))
            return EventRead::Truncated;
        // Cut to what the chunk still holds.
        n = quint32(std::min<qint64>(n, in.end - in.p));
        out.byte(status);
        if (status == 0xFF)
            out.byte(type);
        out.var(delta);
        out.var(n);
        out.bytes(in.p, n);
        in.p += n;
        return EventRead::Ok;
    }
    if (status < 0xF0)
        running = status;
    else if (status < 0xF8)
        running = 0;
    const int size = MidiMessage(status, 0, 0).size();
    uchar bytes[2] = {0, 0};
    for (int i = 0; i + 1 < size; ++i) {
        if (in.atEnd())
            return EventRead::Truncated;
        bytes[i] = *in.p++;
    }
    if ((status & 0xF0) == 0x90 && bytes[1] != 0)
        notesOn |= quint16(1u << (status & 0x0F));
    out.byte(status);
    out.var(delta);
    out.bytes(bytes, 2);
    return EventRead::Ok;
}

int clampTick(qint64 tick)
{
    return int(std::min<qint64>(tick, std::numeric_limits<int>::max()));
}

} // namespace

// --- MidiEvent ----------------------------------------------------------

void MidiEvent::toArchive(Archive& ar) const
{
    ar.writeVarLength(delta);
    ar.writeBYTE(status);
    if (status == 0xFF || status == 0xF0 || status == 0xF7) {
        if (status == 0xFF)
            ar.writeBYTE(metaType);
        ar.writeVarLength(unsigned(data.size()));
        ar.writeRaw(data.data(), data.size());
        return;
    }
    const int size = MidiMessage(status, 0, 0).size();
    if (size > 1)
        ar.writeBYTE(data.at(0));
    if (size > 2)
        ar.writeBYTE(data.at(1));
}

void MidiEvent::setMessage(const MidiMessage& message)
{
    status = message.status;
    const uchar bytes[2] = {message.data1, message.data2};
    data.copy(bytes, 2);
}

MidiMessage MidiEvent::message() const
{
    if (isMeta() || isSysex() || data.size() < 2)
        return MidiMessage();
    return MidiMessage(status, data[0], data[1]);
}

QString MidiEvent::text() const
{
    return data.readText(0);
}

QString MidiEvent::toString() const
{
    if (status == 0xFF) {
        if (metaType == 0x02 || metaType == 0x03)
            return QString::asprintf("%u: META(%02X)='", delta, metaType) + text() + QLatin1Char('\'');
        return QString::asprintf("%u: META(%02X)=", delta, metaType) + data.toString(-1);
    }
    if (isSysex())
        return QString::asprintf("%u: ", delta) + data.toString(-1);
    return QString::asprintf("%u: ", delta) + message().toString();
}

MidiEvent MidiEvents::at(qsizetype i) const
{
    MidiEvent e;
    if (i < 0 || i >= size())
        return e;
    const auto* base = reinterpret_cast<const uchar*>(m_block.constData());
    Unpacker in{base + m_offsets[size_t(i)]};
    e.status = *in.p++;
    if (e.status == 0xFF)
        e.metaType = *in.p++;
    e.delta = in.var();
    const quint32 n = hasLength(e.status) ? in.var() : 2;
    e.data.share(m_block, in.p - base, n);
    return e;
}

quint32 MidiEvents::delta(qsizetype i) const
{
    if (i < 0 || i >= size())
        return 0;
    Unpacker in{reinterpret_cast<const uchar*>(m_block.constData()) + m_offsets[size_t(i)]};
    in.p += *in.p == 0xFF ? 2 : 1;
    return in.var();
}

void MidiTrack::rewind()
{
    current = 0;
    remaining = events.isEmpty() ? 0.0 : double(events.delta(0));
}

MidiTracks::~MidiTracks()
{
    deleteAll();
}

const MidiTrack& MidiTracks::at(qsizetype i) const
{
    static const MidiTrack empty;
    return i >= 0 && i < qsizetype(m_made.size()) ? *m_made[size_t(i)] : empty;
}

void MidiTracks::deleteAll()
{
    qDeleteAll(m_made);
    m_made.clear();
    m_declared = 0;
}

MidiTrack* MidiTracks::make(qsizetype i)
{
    while (qsizetype(m_made.size()) <= i)
        m_made.push_back(new MidiTrack);
    return m_made[size_t(i)];
}

// --- MIDI_Document: file ------------------------------------------------

MIDI_Document::MIDI_Document(MidiDevice* device) : m_device(device)
{
    clearDocument();
}

MIDI_Document::~MIDI_Document()
{
    stop();
}

void MIDI_Document::clearDocument()
{
    m_path.clear();
    m_playState = 0;
    m_tracks.deleteAll();
    std::fill(std::begin(m_channelUsed), std::end(m_channelUsed), false);
    m_markers.clear();
    m_format = 0;
    m_position = 0;
    m_loopStart = 0.0;
    m_loopEnd = -1.0;
    m_looping = false;
    m_trackName.clear();
    m_noticeText.clear();
    m_tempo = 120.0;
    m_numerator = 4;
    m_denominator = 4;
    m_mpqn = 500000;
    m_tpqn = 96;
    m_header.reset();
}

bool MIDI_Document::loadDocument(Archive& ar)
{
    clearDocument();
    m_path = ar.filename();
    int trackIndex = 0;
    for (;;) {
        if (ar.remaining() < 8) {
            setDocError(QStringLiteral("The MIDI file ends inside a chunk header"));
            return false;
        }
        const QString tag = ar.readText(4);
        const quint32 length = ar.readUINT();
        // A chunk that claims more than the file holds is cut to what is there.
        const qint64 kept = std::min<qint64>(length, ar.remaining());
        if (tag == QLatin1String("MThd") || tag == QLatin1String("MTrk")) {
            QByteArray body(kept, Qt::Uninitialized);
            ar.readRaw(body.data(), kept);
            if (tag == QLatin1String("MThd")) {
                readHeader(body);
            } else if (const QString error = readTrack(body, trackIndex++); !error.isEmpty()) {
                setDocError(error);
                return false;
            }
        } else {
            ar.skip(kept);
        }
        if (ar.eof())
            break;
    }
    init();
    return true;
}

void MIDI_Document::readHeader(const QByteArray& body)
{
    m_header.copy(reinterpret_cast<const uchar*>(body.constData()), int(body.size()));
    // Words a short header lacks read as 0.
    m_format = quint16(m_header.readValue(0, 2));
    m_tracks.deleteAll();
    m_tracks.m_declared = qsizetype(m_header.readValue(2, 2));
    const quint16 division = quint16(m_header.readValue(4, 2));
    const int ticks = (division & 0x8000) ? (division & 0xFF) : division;
    // A division of 0 would make a timer period cover no ticks, so that
    // nothing could ever play or seek; such a file keeps the default.
    if (ticks > 0)
        m_tpqn = ticks;
}

QString MIDI_Document::readTrack(const QByteArray& body, int trackIndex)
{
    // Offsets into a block of twice the chunk must fit 32 bits.
    if (body.size() > 0x7FFFFFF0)
        return QStringLiteral("Track %1 is too large").arg(trackIndex + 1);
    // Track chunks before any header, or beyond the header's count, make
    // tracks of their own: their events are not dropped.
    MidiTrack* track = m_tracks.make(trackIndex);
    MidiEvents& events = track->events;
    QByteArray& block = events.m_block;
    const qsizetype first = block.size();
    block.resize(first + 2 * body.size());
    auto* const start = reinterpret_cast<uchar*>(block.data());
    Packer out{start + first};
    TrackReader in{reinterpret_cast<const uchar*>(body.constData()),
                   reinterpret_cast<const uchar*>(body.constData()) + body.size()};
    // A typical event takes three bytes of the chunk.
    events.m_offsets.reserve(events.m_offsets.size() + size_t(body.size() / 3));
    quint8 running = 0;
    EventRead r = EventRead::Ok;
    while (!in.atEnd()) {
        uchar* const at = out.out;
        r = readEvent(in, running, out, events.m_notesOn);
        if (r != EventRead::Ok) {
            out.out = at;
            break;
        }
        events.m_offsets.push_back(quint32(at - start));
    }
    block.resize(out.out - start);
    block.squeeze();
    events.m_offsets.shrink_to_fit();
    if (r == EventRead::NoStatus)
        return QStringLiteral("Track %1 holds a data byte where a status byte is due").arg(trackIndex + 1);
    track->rewind();
    return QString();
}

bool MIDI_Document::storeDocument(Archive& ar)
{
    ar.writeText(QStringLiteral("MThd"), 4);
    ar.writeUINT(unsigned(m_header.size()));
    ar.writeRaw(m_header.data(), m_header.size());
    for (const MidiTrack& track : m_tracks) {
        ar.writeText(QStringLiteral("MTrk"), 4);
        ar.willPutSize();
        for (const MidiEvent& e : track.events)
            e.toArchive(ar);
        ar.putSize();
    }
    return true;
}

void MIDI_Document::init()
{
    std::fill(std::begin(m_channelUsed), std::end(m_channelUsed), false);
    for (const MidiTrack* track : m_tracks.m_made)
        for (int c = 0; c < 16; ++c)
            if (track->events.m_notesOn & (1u << c))
                m_channelUsed[c] = true;
    m_markers.clear();
    const MidiEvents& events = m_tracks.first().events;
    qint64 tick = 0;
    for (qsizetype i = 0; i < events.size(); ++i) {
        tick += events.delta(i);
        if (events.statusAt(i) != 0xFF)
            continue;
        const quint8 type = events.metaTypeAt(i);
        if (type == 0x06)
            m_markers.append({clampTick(tick), events.at(i).text()});
        else if (type == 0x2F)
            m_markers.append({clampTick(tick), QStringLiteral("End of track")});
    }
    if (m_device) {
        m_device->midiOut()->initGM();
        m_device->resetControllers();
        m_device->localControl(false);
    }
    playTick(0);
}

int MIDI_Document::eventCount() const
{
    qsizetype n = 0;
    for (const MidiTrack* track : m_tracks.m_made)
        n += track->events.size();
    return int(std::min<qsizetype>(n, std::numeric_limits<int>::max()));
}

// --- MIDI_Document: tempo and text --------------------------------------

void MIDI_Document::setMPQN(int value)
{
    if (value <= 0)
        return;
    m_mpqn = value;
    m_tempo = 60000000.0 / value * (m_denominator * 0.25);
}

void MIDI_Document::setSignature(int numerator, int power, int, int)
{
    m_numerator = numerator;
    // 2^30 is the largest power an int holds.
    m_denominator = 1 << std::clamp(power, 0, 30);
}

QString MIDI_Document::printTick(int tick) const
{
    return QString::asprintf("%d (%.2f)", tick, double(tick) / m_tpqn);
}

QString MIDI_Document::printStatus() const
{
    return QString::asprintf("%s  [%s %s]  %.2f  %d/%d  TPQN=%d  MPQN=%d  Tick=%.5fms  TicksPerTimer=%.2f",
                             qUtf8Printable(QFileInfo(m_path).fileName()), qUtf8Printable(m_trackName),
                             qUtf8Printable(m_noticeText), m_tempo, m_numerator, m_denominator, m_tpqn, m_mpqn,
                             tickMs(), ticksPerTimer());
}

// --- MIDI_Document: playing ---------------------------------------------

double MIDI_Document::ticksPerTimer() const
{
    return double(m_timerMs) * 1000.0 * m_tpqn / m_mpqn;
}

double MIDI_Document::tickMs() const
{
    return double(m_mpqn) / m_tpqn / 1000.0;
}

bool MIDI_Document::isChannelUsed(int channel) const
{
    return channel >= 0 && channel < 16 && m_channelUsed[channel];
}

void MIDI_Document::play(int tick, bool loop)
{
    if (!m_device || playing())
        return;
    seek(tick);
    setLooping(loop);
}

void MIDI_Document::play(const QString& markerName, bool loop)
{
    m_loopStart = 0.0;
    m_loopEnd = -1.0;
    for (int i = 0; i < m_markers.size(); ++i) {
        if (m_markers.at(i).text != markerName)
            continue;
        m_loopStart = m_markers.at(i).tick;
        if (i + 1 < m_markers.size())
            m_loopEnd = m_markers.at(i + 1).tick;
        break;
    }
    play(int(m_loopStart), loop);
}

void MIDI_Document::setLooping(bool on)
{
    m_looping = on && m_loopStart >= 0 && m_loopStart + ticksPerTimer() < m_loopEnd;
}

void MIDI_Document::seek(int tick)
{
    // Replaying past the loop end must not jump back, or a seek beyond the
    // loop would never arrive.
    const bool looping = m_looping;
    m_looping = false;
    m_position = 0;
    for (MidiTrack* track : m_tracks.m_made)
        track->rewind();
    while (m_position <= tick - ticksPerTimer()) {
        if (finished()) {
            // Nothing left to dispatch, and so no tempo change: the periods
            // still to run only move the position.
            const double p = ticksPerTimer();
            m_position += (std::floor((tick - p - m_position) / p) + 1.0) * p;
            break;
        }
        playCurrentEvents(false);
    }
    m_looping = looping;
}

bool MIDI_Document::playTick(int tick)
{
    seek(tick);
    return playCurrentEvents(true);
}

bool MIDI_Document::playCurrentEvents(bool send)
{
    // Tracks not made hold no events.
    for (MidiTrack* track : m_tracks.m_made) {
        const int count = int(track->events.size());
        if (track->current >= count - 1)
            continue;
        track->remaining -= ticksPerTimer();
        while (track->remaining <= 0) {
            const MidiEvent e = track->events.at(track->current);
            playEvent(&e, send);
            track->current += 1;
            if (track->current >= count - 1)
                break;
            track->remaining += track->events.delta(track->current);
        }
    }
    m_position += ticksPerTimer();
    if (m_looping && m_position > m_loopEnd - ticksPerTimer())
        seek(int(m_position - m_loopEnd + m_loopStart));
    return !finished();
}

void MIDI_Document::playEvent(const MidiEvent* e, bool send)
{
    if (!m_device || !e)
        return;
    if (e->status == 0xFF) {
        // Events too short for their type are ignored.
        switch (e->metaType) {
        case 0x51:
            if (e->data.size() >= 3)
                setMPQN(int(e->data.readValue(0, 3)));
            break;
        case 0x58:
            if (e->data.size() >= 4)
                setSignature(e->data[0], e->data[1], e->data[2], e->data[3]);
            break;
        case 0x02:
            m_noticeText = trimmed(e->text());
            break;
        case 0x03:
            m_trackName = trimmed(e->text());
            break;
        default:
            break;
        }
        return;
    }
    if (e->isSysex() || !send)
        return;
    MidiMessage m = e->message();
    if (m_processor)
        m_processor->process(m);
    m_device->sendShort(m);
}

bool MIDI_Document::finished() const
{
    for (const MidiTrack* track : m_tracks.m_made)
        if (track->current < int(track->events.size()) - 1)
            return false;
    return true;
}

void MIDI_Document::stop()
{
    if (m_device && playing())
        m_device->midiOut()->allNotesOff();
}
