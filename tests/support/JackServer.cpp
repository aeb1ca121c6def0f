#include "JackServer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <jack/jack.h>
#include <jack/midiport.h>
#include <rtmidi/rtmidi_c.h>

#include <algorithm>
#include <vector>

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// Whether the default server takes a client now.
bool serverAnswers();
} // namespace

// JackServer

JackServer::JackServer()
{
    static int counter = 0;
    m_name = QStringLiteral("orvane-test-%1-%2").arg(QCoreApplication::applicationPid()).arg(++counter);
    m_log = QDir::temp().filePath(m_name + QStringLiteral(".log"));
}

JackServer::~JackServer()
{
    stop();
}

QString JackServer::log() const
{
    QFile file(m_log);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLocal8Bit(file.readAll()).trimmed();
}

bool JackServer::start(QString* error, int timeoutMs)
{
    const QString jackd = QStandardPaths::findExecutable(QStringLiteral("jackd"));
    if (jackd.isEmpty()) {
        *error = QStringLiteral("jackd is not installed");
        return false;
    }
    qputenv("JACK_DEFAULT_SERVER", m_name.toLocal8Bit());
    qputenv("JACK_NO_START_SERVER", "1");
    // Dummy driver: no sound hardware and no device reservation needed.
    qputenv("JACK_NO_AUDIO_RESERVATION", "1");

    // Everything the child needs is made before fork: after it, only calls
    // that are safe in the child of a threaded process.
    QList<QByteArray> args{jackd.toLocal8Bit(), m_realtime ? "--realtime" : "--no-realtime", "-n",
                           m_name.toLocal8Bit()};
    if (m_synchronous)
        args += QList<QByteArray>{"-S", "-t", QByteArray::number(SynchronousTimeoutMs)};
    args += QList<QByteArray>{"-d", "dummy", "-r", "48000", "-p", QByteArray::number(m_period)};
    std::vector<char*> argv;
    for (const QByteArray& a : args)
        argv.push_back(const_cast<char*>(a.constData()));
    argv.push_back(nullptr);
    const QByteArray logPath = m_log.toLocal8Bit();
    const pid_t parent = getpid();

    m_pid = fork();
    if (m_pid < 0) {
        *error = QStringLiteral("cannot start jackd");
        m_pid = -1;
        return false;
    }
    if (m_pid == 0) {
        // The server must not outlive a test that crashes.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(1);
        const int fd = ::open(logPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd >= 0) {
            dup2(fd, 1);
            dup2(fd, 2);
            ::close(fd);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }

    // Ask the server itself whether it is up; jack_wait comes with jackd.
    const QString jackWait = QStandardPaths::findExecutable(QStringLiteral("jack_wait"));
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            *error = QStringLiteral("jackd stopped: %1").arg(log());
            return false;
        }
        // Without jack_wait, the server is up once it takes a client.
        if (jackWait.isEmpty()) {
            if (serverAnswers())
                return true;
            QThread::msleep(100);
            continue;
        }
        QProcess check;
        check.start(jackWait, {QStringLiteral("-c"), QStringLiteral("-s"), m_name});
        check.waitForFinished(5000);
        // "running" or "not running"; both with exit code 0.
        if (check.readAllStandardOutput().trimmed() == "running")
            return true;
        QThread::msleep(100);
    }
    *error = QStringLiteral("jackd did not come up: %1").arg(log());
    stop();
    return false;
}

void JackServer::stop()
{
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        int status = 0;
        const QDeadlineTimer deadline(5000);
        while (waitpid(m_pid, &status, WNOHANG) == 0) {
            if (deadline.hasExpired()) {
                kill(m_pid, SIGKILL);
                waitpid(m_pid, &status, 0);
                break;
            }
            QThread::msleep(20);
        }
        m_pid = -1;
    }
    QFile::remove(m_log);
}

// JackMidiPeer

namespace {

// RtMidi's C interface, looked up in the RtMidi library that our MIDI layer
// already loaded; the tests do not link RtMidi themselves.
struct RtMidiC
{
    decltype(&rtmidi_in_create) inCreate = nullptr;
    decltype(&rtmidi_in_free) inFree = nullptr;
    decltype(&rtmidi_in_ignore_types) inIgnoreTypes = nullptr;
    decltype(&rtmidi_in_set_callback) inSetCallback = nullptr;
    decltype(&rtmidi_in_cancel_callback) inCancelCallback = nullptr;
    decltype(&rtmidi_out_create) outCreate = nullptr;
    decltype(&rtmidi_out_free) outFree = nullptr;
    decltype(&rtmidi_out_send_message) outSend = nullptr;
    decltype(&rtmidi_open_virtual_port) openVirtual = nullptr;
    decltype(&rtmidi_close_port) closePort = nullptr;

    bool ok() const
    {
        return inCreate && inFree && inIgnoreTypes && inSetCallback && inCancelCallback && outCreate &&
               outFree && outSend && openVirtual && closePort;
    }
};

template <typename F>
void resolve(void* lib, F& fn, const char* name)
{
    fn = reinterpret_cast<F>(dlsym(lib, name));
}

const RtMidiC& rtmidi()
{
    static const RtMidiC api = [] {
        RtMidiC c;
        void* lib = dlopen("librtmidi.so.6", RTLD_NOW | RTLD_NOLOAD);
        if (!lib)
            lib = dlopen("librtmidi.so", RTLD_NOW);
        if (!lib)
            return c;
        resolve(lib, c.inCreate, "rtmidi_in_create");
        resolve(lib, c.inFree, "rtmidi_in_free");
        resolve(lib, c.inIgnoreTypes, "rtmidi_in_ignore_types");
        resolve(lib, c.inSetCallback, "rtmidi_in_set_callback");
        resolve(lib, c.inCancelCallback, "rtmidi_in_cancel_callback");
        resolve(lib, c.outCreate, "rtmidi_out_create");
        resolve(lib, c.outFree, "rtmidi_out_free");
        resolve(lib, c.outSend, "rtmidi_out_send_message");
        resolve(lib, c.openVirtual, "rtmidi_open_virtual_port");
        resolve(lib, c.closePort, "rtmidi_close_port");
        return c;
    }();
    return api;
}

} // namespace

JackMidiPeer::~JackMidiPeer()
{
    close();
}

bool JackMidiPeer::open(const QString& inClient, const QString& outClient, QString* error)
{
    close();
    const RtMidiC& api = rtmidi();
    if (!api.ok()) {
        *error = QStringLiteral("RtMidi's C interface is not available");
        return false;
    }
    m_inClient = inClient;
    m_outClient = outClient;

    m_in = api.inCreate(RTMIDI_API_UNIX_JACK, inClient.toUtf8().constData(), 1000);
    if (!m_in || !m_in->ok) {
        *error = QStringLiteral("no JACK input client");
        close();
        return false;
    }
    api.inIgnoreTypes(m_in, false, false, false);
    api.inSetCallback(m_in, &JackMidiPeer::onMessage, this);
    api.openVirtual(m_in, "in");
    if (!m_in->ok) {
        *error = QStringLiteral("no JACK input port");
        close();
        return false;
    }

    m_out = api.outCreate(RTMIDI_API_UNIX_JACK, outClient.toUtf8().constData());
    if (!m_out || !m_out->ok) {
        *error = QStringLiteral("no JACK output client");
        close();
        return false;
    }
    api.openVirtual(m_out, "out");
    if (!m_out->ok) {
        *error = QStringLiteral("no JACK output port");
        close();
        return false;
    }
    return true;
}

void JackMidiPeer::close()
{
    const RtMidiC& api = rtmidi();
    if (m_in) {
        api.inCancelCallback(m_in);
        api.closePort(m_in);
        api.inFree(m_in);
        m_in = nullptr;
    }
    if (m_out) {
        api.closePort(m_out);
        api.outFree(m_out);
        m_out = nullptr;
    }
}

bool JackMidiPeer::send(const QByteArray& message)
{
    if (!m_out)
        return false;
    rtmidi().outSend(m_out, reinterpret_cast<const unsigned char*>(message.constData()), int(message.size()));
    return m_out->ok;
}

QList<QByteArray> JackMidiPeer::received() const
{
    QMutexLocker lock(&m_mutex);
    return m_received;
}

void JackMidiPeer::onMessage(double, const unsigned char* message, size_t size, void* userData)
{
    auto* peer = static_cast<JackMidiPeer*>(userData);
    QMutexLocker lock(&peer->m_mutex);
    peer->m_received.append(QByteArray(reinterpret_cast<const char*>(message), qsizetype(size)));
}

// JackMidiSender

namespace {

// The JACK calls of the sender, looked up in the JACK library that RtMidi
// (and so our MIDI layer) already loaded, as for RtMidi's C interface above.
struct JackC
{
    decltype(&jack_client_open) clientOpen = nullptr;
    decltype(&jack_client_close) clientClose = nullptr;
    decltype(&jack_port_register) portRegister = nullptr;
    decltype(&jack_set_process_callback) setProcessCallback = nullptr;
    decltype(&jack_activate) activate = nullptr;
    decltype(&jack_deactivate) deactivate = nullptr;
    decltype(&jack_port_get_buffer) portGetBuffer = nullptr;
    decltype(&jack_midi_clear_buffer) midiClearBuffer = nullptr;
    decltype(&jack_midi_max_event_size) midiMaxEventSize = nullptr;
    decltype(&jack_midi_event_reserve) midiEventReserve = nullptr;
    decltype(&jack_get_uuid_for_client_name) uuidForClientName = nullptr;
    decltype(&jack_free) free = nullptr;

    bool ok() const
    {
        return clientOpen && clientClose && portRegister && setProcessCallback && activate && deactivate &&
               portGetBuffer && midiClearBuffer && midiMaxEventSize && midiEventReserve && uuidForClientName &&
               free;
    }
};

const JackC& jack()
{
    static const JackC api = [] {
        JackC c;
        void* lib = dlopen("libjack.so.0", RTLD_NOW);
        if (!lib)
            return c;
        resolve(lib, c.clientOpen, "jack_client_open");
        resolve(lib, c.clientClose, "jack_client_close");
        resolve(lib, c.portRegister, "jack_port_register");
        resolve(lib, c.setProcessCallback, "jack_set_process_callback");
        resolve(lib, c.activate, "jack_activate");
        resolve(lib, c.deactivate, "jack_deactivate");
        resolve(lib, c.portGetBuffer, "jack_port_get_buffer");
        resolve(lib, c.midiClearBuffer, "jack_midi_clear_buffer");
        resolve(lib, c.midiMaxEventSize, "jack_midi_max_event_size");
        resolve(lib, c.midiEventReserve, "jack_midi_event_reserve");
        resolve(lib, c.uuidForClientName, "jack_get_uuid_for_client_name");
        resolve(lib, c.free, "jack_free");
        return c;
    }();
    return api;
}

bool serverAnswers()
{
    const JackC& api = jack();
    if (!api.ok())
        return false;
    jack_client_t* probe = api.clientOpen("probe", JackNoStartServer, nullptr);
    if (!probe)
        return false;
    api.clientClose(probe);
    return true;
}

} // namespace

bool JackServer::hasClient(const QString& client)
{
    const JackC& api = jack();
    if (!api.ok())
        return false;
    jack_client_t* probe = api.clientOpen("probe", JackNoStartServer, nullptr);
    if (!probe)
        return false;
    char* uuid = api.uuidForClientName(probe, client.toUtf8().constData());
    if (uuid)
        api.free(uuid);
    api.clientClose(probe);
    return uuid != nullptr;
}

JackMidiSender::~JackMidiSender()
{
    close();
}

bool JackMidiSender::open(const QString& client, QString* error)
{
    close();
    const JackC& api = jack();
    if (!api.ok()) {
        *error = QStringLiteral("the JACK library is not available");
        return false;
    }
    m_client = client;
    m_jack = api.clientOpen(client.toUtf8().constData(), JackNoStartServer, nullptr);
    if (!m_jack) {
        *error = QStringLiteral("no JACK client %1").arg(client);
        return false;
    }
    m_port = api.portRegister(m_jack, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    if (!m_port || api.setProcessCallback(m_jack, &JackMidiSender::onProcess, this) != 0 ||
        api.activate(m_jack) != 0) {
        *error = QStringLiteral("cannot start the JACK client %1").arg(client);
        close();
        return false;
    }
    return true;
}

void JackMidiSender::close()
{
    if (m_jack) {
        jack().deactivate(m_jack);
        jack().clientClose(m_jack);
        m_jack = nullptr;
        m_port = nullptr;
    }
    std::lock_guard lock(m_queueMutex);
    m_bytes.clear();
    m_messages.clear();
    m_next = 0;
}

bool JackMidiSender::send(const QList<QByteArray>& messages)
{
    if (!m_jack)
        return false;
    std::lock_guard lock(m_queueMutex);
    for (const QByteArray& m : messages) {
        m_messages.emplace_back(int(m_bytes.size()), int(m.size()));
        m_bytes.insert(m_bytes.end(), m.cbegin(), m.cend());
    }
    return true;
}

bool JackMidiSender::allSent() const
{
    std::lock_guard lock(m_queueMutex);
    return m_next == m_messages.size();
}

int JackMidiSender::onProcess(unsigned int frames, void* self)
{
    static_cast<JackMidiSender*>(self)->process(frames);
    return 0;
}

void JackMidiSender::process(unsigned int frames)
{
    ++m_cycles;
    const JackC& api = jack();
    void* buffer = api.portGetBuffer(m_port, frames);
    api.midiClearBuffer(buffer);
    // The JACK thread must not wait: what cannot be taken now goes next cycle.
    std::unique_lock lock(m_queueMutex, std::try_to_lock);
    if (!lock.owns_lock())
        return;
    const size_t whole = api.midiMaxEventSize(buffer);
    while (m_next < m_messages.size()) {
        const auto [offset, size] = m_messages[m_next];
        if (size_t(size) > api.midiMaxEventSize(buffer)) {
            // Larger than an empty buffer holds: it can never go.
            if (size_t(size) > whole) {
                ++m_dropped;
                ++m_next;
                continue;
            }
            break; // the buffer is full for this cycle
        }
        jack_midi_data_t* event = api.midiEventReserve(buffer, 0, size_t(size));
        if (!event)
            break;
        std::copy_n(m_bytes.data() + offset, size, event);
        ++m_next;
    }
    if (m_next == m_messages.size()) {
        m_messages.clear();
        m_bytes.clear();
        m_next = 0;
    }
}
