#include "Instance.h"

#include "MainWindow.h"
#include "Profile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QtEndian>

#include <unistd.h>

namespace {

constexpr int ConnectMs = 1000;
constexpr int WriteMs = 3000;
constexpr int LockMs = 5000;
// A probe of a local socket: it answers at once or not at all.
constexpr int ProbeMs = 100;
// A file path is far shorter; a peer that announces more is not one of ours.
constexpr quint32 MaxText = 1 << 20;

QByteArray frame(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    QByteArray bytes(4, '\0');
    qToBigEndian(quint32(utf8.size()), bytes.data());
    return bytes + utf8;
}

// The instance's listening end, a child of the application object. Lives on
// the GUI thread.
class InstanceServer : public QObject
{
public:
    explicit InstanceServer(QObject* parent) : QObject(parent)
    {
        QObject::connect(&m_server, &QLocalServer::newConnection, this, [this]() { accept(); });
    }

    bool listen(const QString& name)
    {
        m_server.setSocketOptions(QLocalServer::UserAccessOption);
        return m_server.listen(name);
    }

    void attach(MainWindow* window)
    {
        if (!m_window)
            m_window = window;
        deliverPending();
    }

    void detach(MainWindow* window)
    {
        if (m_window == window)
            m_window = nullptr;
    }

    int waiting() const { return int(m_pending.size()); }

private:
    void accept()
    {
        while (QLocalSocket* socket = m_server.nextPendingConnection()) {
            socket->setParent(this);
            QObject::connect(socket, &QLocalSocket::readyRead, this, [this, socket]() { read(socket); });
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            read(socket);
        }
    }

    void read(QLocalSocket* socket)
    {
        QByteArray buffer = socket->property("orvaneBuffer").toByteArray() + socket->readAll();
        while (buffer.size() >= 4) {
            const quint32 size = qFromBigEndian<quint32>(buffer.constData());
            if (size > MaxText) {
                socket->abort();
                return;
            }
            if (quint32(buffer.size() - 4) < size)
                break;
            m_pending.append(QString::fromUtf8(buffer.mid(4, size)));
            buffer.remove(0, 4 + qsizetype(size));
        }
        socket->setProperty("orvaneBuffer", buffer);
        deliverPending();
    }

    // From the event loop: the window may open a file, which may ask the
    // user something, and the socket's handler should be done by then.
    void deliverPending()
    {
        if (!m_window || m_pending.isEmpty())
            return;
        QTimer::singleShot(0, this, [this]() {
            while (m_window && !m_pending.isEmpty())
                m_window->onInstanceData(m_pending.takeFirst());
        });
    }

    QLocalServer m_server;
    QPointer<MainWindow> m_window;
    QStringList m_pending;
};

QPointer<InstanceServer>& server()
{
    static QPointer<InstanceServer> instance;
    return instance;
}

// The connection a later start made to the running instance; kept from the
// test to the hand-over.
QLocalSocket*& handOver()
{
    static QLocalSocket* socket = nullptr;
    return socket;
}

QString safeName(const QString& text)
{
    QString out;
    for (const QChar c : text)
        out += (c.isLetterOrNumber() && c.unicode() < 128) || c == QLatin1Char('.') || c == QLatin1Char('-')
                   ? c
                   : QLatin1Char('_');
    return out;
}

} // namespace

QString Instance::socketName()
{
    return socketName(Profile::organisation(), Profile::title());
}

QString Instance::socketName(const QString& organisation, const QString& title)
{
    const QString base = safeName(organisation + QLatin1Char('-') + title);
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime + QLatin1Char('/') + base + QStringLiteral(".instance");
    return QDir::tempPath() + QLatin1Char('/') + base + QLatin1Char('-') + QString::number(getuid()) +
           QStringLiteral(".instance");
}

bool Instance::isRunning(const QString& organisation, const QString& title)
{
    // A connection that closes before a whole text came hands nothing over.
    QLocalSocket probe;
    probe.connectToServer(socketName(organisation, title));
    const bool answered = probe.waitForConnected(ProbeMs);
    probe.abort();
    return answered;
}

bool Instance::isListening()
{
    return !server().isNull();
}

int Instance::waitingTexts()
{
    return server() ? server()->waiting() : 0;
}

bool IsApplicationRunning()
{
    if (server())
        return false;
    const QString name = Instance::socketName();
    // Finding no instance and claiming the name is one step: two starts at
    // once would otherwise both take the name.
    QLockFile lock(name + QStringLiteral(".lock"));
    lock.tryLock(LockMs);

    auto* socket = new QLocalSocket;
    socket->connectToServer(name);
    if (socket->waitForConnected(ConnectMs)) {
        delete handOver();
        handOver() = socket;
        return true;
    }
    delete socket;

    // Nobody answers: a name left by an instance that ended without closing
    // it goes first.
    QLocalServer::removeServer(name);
    auto* listening = new InstanceServer(QCoreApplication::instance());
    if (!listening->listen(name)) {
        // The program runs anyway, only without the hand-over.
        delete listening;
        return false;
    }
    server() = listening;
    return false;
}

bool Instance::passText(const QString& text)
{
    QString handed = text;
    const QFileInfo file(text);
    if (!text.isEmpty() && file.isRelative() && file.exists())
        handed = file.absoluteFilePath();

    QLocalSocket* socket = handOver();
    handOver() = nullptr;
    if (!socket) {
        socket = new QLocalSocket;
        socket->connectToServer(socketName());
        if (!socket->waitForConnected(ConnectMs)) {
            delete socket;
            return false;
        }
    }
    const QByteArray bytes = frame(handed);
    bool sent = socket->write(bytes) == bytes.size();
    while (sent && socket->bytesToWrite() > 0)
        sent = socket->waitForBytesWritten(WriteMs);
    socket->disconnectFromServer();
    if (socket->state() != QLocalSocket::UnconnectedState)
        socket->waitForDisconnected(WriteMs);
    delete socket;
    return sent;
}

void Instance::attachWindow(MainWindow* window)
{
    if (server())
        server()->attach(window);
}

void Instance::detachWindow(MainWindow* window)
{
    if (server())
        server()->detach(window);
}
