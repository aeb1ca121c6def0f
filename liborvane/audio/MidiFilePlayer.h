// The driver of a MIDI_Document's playback: a precise timer on the
// document's thread that runs one playback period per timer period until the
// file is over (or, looping, until stopped).
//
// Periods are counted against a clock from the start, not against the
// timer's ticks: a timer that fires late runs the periods it missed at once,
// so the events keep the file's times instead of drifting later with every
// late tick. An event is therefore sent at most one period after its time in
// the file, never before it.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class MIDI_Document;

class MidiFilePlayer : public QObject
{
    Q_OBJECT

public:
    explicit MidiFilePlayer(MIDI_Document& document, QObject* parent = nullptr);
    ~MidiFilePlayer() override;

    // Plays from tick (looping between the document's loop points when loop
    // is set); false without a device or while already playing.
    bool start(int tick, bool loop);
    // Plays the range from the named marker to the next one.
    bool start(const QString& markerName, bool loop);
    // All notes off and the playing mark cleared; nothing when not playing.
    void stop();
    bool isPlaying() const;

signals:
    // The file played to its end (not sent for stop()).
    void finished();

private:
    bool begin();
    void onTimer();

    MIDI_Document& m_document;
    QTimer m_timer{this};
    QElapsedTimer m_clock;
    qint64 m_periods = 0; // periods run since the start
};
