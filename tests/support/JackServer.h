// A private JACK server for tests that need a real MIDI transport, and a JACK
// peer that plays the other end of the cable.
#pragma once

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QString>

#include <sys/types.h>

#include <atomic>
#include <mutex>
#include <vector>

struct RtMidiWrapper;
struct _jack_client;
struct _jack_port;

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

    // Frames per cycle, 1024 unless set before start.
    void setPeriod(int frames) { m_period = frames; }
    // In synchronous mode (the default) every cycle waits for all clients to
    // finish it, however long a loaded machine keeps them from running, so
    // the transport itself never loses a message and tests stay reliable. In
    // the asynchronous mode of real set-ups a client that is late misses
    // data: benchmarks run that way.
    void setSynchronous(bool on) { m_synchronous = on; }
    // Real-time scheduling for the server's and its clients' process threads,
    // as real set-ups run (off unless set before start; a machine that does
    // not allow it runs them without).
    void setRealtime(bool on) { m_realtime = on; }

    // False, with the reason in error, when jackd is missing or did not come
    // up within timeoutMs.
    bool start(QString* error, int timeoutMs = 10000);
    void stop();
    QString name() const { return m_name; }
    // What the server printed.
    QString log() const;
    // Whether the running server has a client of that name.
    static bool hasClient(const QString& client);

private:
    // How long a synchronous cycle waits for a client before giving up on it.
    static constexpr int SynchronousTimeoutMs = 10000;

    QString m_name;
    QString m_log;
    pid_t m_pid = -1;
    int m_period = 1024;
    bool m_synchronous = true;
    bool m_realtime = false;
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

// A JACK client of our own with one MIDI output "<client>:out" that writes what
// it is given straight into JACK's port buffer, as many messages per cycle as
// the buffer holds (some thousands of short messages): a burst as a
// sequencer or a busy controller sends it, with no pacing in between.
class JackMidiSender
{
public:
    JackMidiSender() = default;
    ~JackMidiSender();
    JackMidiSender(const JackMidiSender&) = delete;
    JackMidiSender& operator=(const JackMidiSender&) = delete;

    bool open(const QString& client, QString* error);
    void close();
    QString outputName() const { return m_client + QStringLiteral(":out"); }

    // Queues the messages (each whole, F0..F7 for system exclusive); the next
    // cycles send them in this order. False when the sender is not open.
    bool send(const QList<QByteArray>& messages);
    bool send(const QByteArray& message) { return send(QList<QByteArray>{message}); }
    // Whether everything queued has gone into JACK's buffers.
    bool allSent() const;
    // Messages dropped because they are larger than a whole port buffer.
    int dropped() const { return m_dropped.load(); }
    // The cycles the sender has run: a test waits for a few more to know
    // that what was on its way has passed.
    int cycles() const { return m_cycles.load(); }

private:
    static int onProcess(unsigned int frames, void* self);
    void process(unsigned int frames);

    QString m_client;
    _jack_client* m_jack = nullptr;
    _jack_port* m_port = nullptr;

    // The queue: the test thread appends, the JACK thread takes from the front
    // (trying the lock, never waiting on it). Both under m_queueMutex.
    mutable std::mutex m_queueMutex;
    std::vector<unsigned char> m_bytes;
    std::vector<std::pair<int, int>> m_messages; // offset and size in m_bytes
    size_t m_next = 0;                           // the first message not yet sent
    std::atomic<int> m_dropped{0};
    std::atomic<int> m_cycles{0}; // written by the JACK thread, read by the test
};
