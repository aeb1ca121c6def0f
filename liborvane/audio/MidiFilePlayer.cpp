#include "MidiFilePlayer.h"

#include "MIDI_Document.h"

MidiFilePlayer::MidiFilePlayer(MIDI_Document& document, QObject* parent) : QObject(parent), m_document(document)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &MidiFilePlayer::onTimer);
}

MidiFilePlayer::~MidiFilePlayer()
{
    stop();
}

bool MidiFilePlayer::start(int tick, bool loop)
{
    if (!m_document.device() || m_document.playing())
        return false;
    m_document.play(tick, loop);
    return begin();
}

bool MidiFilePlayer::start(const QString& markerName, bool loop)
{
    if (!m_document.device() || m_document.playing())
        return false;
    m_document.play(markerName, loop);
    return begin();
}

bool MidiFilePlayer::begin()
{
    m_document.setPlaying(true);
    m_periods = 0;
    m_clock.start();
    m_timer.start(int(m_document.timerMs()));
    return true;
}

void MidiFilePlayer::stop()
{
    if (!m_document.playing())
        return;
    m_timer.stop();
    m_document.stop();
    m_document.setPlaying(false);
}

bool MidiFilePlayer::isPlaying() const
{
    return m_document.playing() && m_timer.isActive();
}

void MidiFilePlayer::onTimer()
{
    const qint64 due = m_clock.nsecsElapsed() / (qint64(m_document.timerMs()) * 1000000);
    while (m_periods < due) {
        ++m_periods;
        if (!m_document.playCurrentEvents(true)) {
            stop();
            emit finished();
            return;
        }
    }
}
