#include "JackServer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <rtmidi/rtmidi_c.h>

#include <vector>

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

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
    const QList<QByteArray> args{jackd.toLocal8Bit(),
                                 "--no-realtime",
                                 "-n",
                                 m_name.toLocal8Bit(),
                                 "-d",
                                 "dummy",
                                 "-r",
                                 "48000",
                                 "-p",
                                 "1024"};
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
        if (jackWait.isEmpty()) {
            QThread::msleep(1000);
            return true;
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
