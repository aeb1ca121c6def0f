// A private JACK server for tests that need a real MIDI transport, and a JACK
// peer that plays the other end of the cable.
#pragma once

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QString>

#include <sys/types.h>

struct RtMidiWrapper;

// Runs "jackd -d dummy" (no sound hardware, no realtime scheduling) under a
// server name of its own, so parallel test processes and a user's server never
// meet. start() also points this process's JACK clients at it
// (JACK_DEFAULT_SERVER): call it before the first JACK client opens. A server
// that is to outlive the MIDI backend's own clients (which close at process
// exit) must be made before the backend is first used and destroyed after it.
class JackServer
{
public:
    JackServer();
    ~JackServer(); // stops the server
    JackServer(const JackServer&) = delete;
    JackServer& operator=(const JackServer&) = delete;

    // False, with the reason in error, when jackd is missing or did not come
    // up within timeoutMs.
    bool start(QString* error, int timeoutMs = 10000);
    void stop();
    QString name() const { return m_name; }
    // What the server printed.
    QString log() const;

private:
    QString m_name;
    QString m_log;
    pid_t m_pid = -1;
};

// A JACK client pair made through RtMidi directly (not through our ports):
// a MIDI input "<inClient>:in" that records every message it gets, and a
// MIDI output "<outClient>:out" that sends what the test asks for. Our ports
// see them as a destination and a source.
class JackMidiPeer
{
public:
    JackMidiPeer() = default;
    ~JackMidiPeer();
    JackMidiPeer(const JackMidiPeer&) = delete;
    JackMidiPeer& operator=(const JackMidiPeer&) = delete;

    bool open(const QString& inClient, const QString& outClient, QString* error);
    void close();
    QString inputName() const { return m_inClient + QStringLiteral(":in"); }
    QString outputName() const { return m_outClient + QStringLiteral(":out"); }

    bool send(const QByteArray& message);
    // Every message received so far, one entry each.
    QList<QByteArray> received() const;

private:
    static void onMessage(double timeStamp, const unsigned char* message, size_t size, void* userData);

    QString m_inClient;
    QString m_outClient;
    RtMidiWrapper* m_in = nullptr;
    RtMidiWrapper* m_out = nullptr;
    mutable QMutex m_mutex;
    QList<QByteArray> m_received; // appended by the JACK thread, read by the test
};
