#include "Application.h"

#include "Prompts.h"

#include <QDir>
#include <QFile>
#include <QIcon>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QSocketNotifier>
#include <QSplashScreen>
#include <QStringList>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The splash on screen, owned here; GUI thread only.
QPointer<QSplashScreen>& splash()
{
    static QPointer<QSplashScreen> screen;
    return screen;
}

QString& programImagePrefix()
{
    static QString prefix;
    return prefix;
}

// The signal handler writes to [0]; the GUI thread reads [1].
int terminationPipe[2] = {-1, -1};

void onTerminationSignal(int)
{
    const char byte = 1;
    // Async-signal-safe; a full pipe already holds a quit.
    [[maybe_unused]] const ssize_t written = ::write(terminationPipe[0], &byte, 1);
}

} // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv)
{
    watchTerminationSignals();
}

void Application::watchTerminationSignals()
{
    if (terminationPipe[0] != -1)
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, terminationPipe) != 0) {
        terminationPipe[0] = terminationPipe[1] = -1;
        return;
    }
    auto* notifier = new QSocketNotifier(terminationPipe[1], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, []() {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(terminationPipe[1], &byte, 1);
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

Application::~Application() = default;

Application* Application::instance()
{
    return qobject_cast<Application*>(QCoreApplication::instance());
}

void Application::readVersion(const QString& title, const QString& organisation, const QString& version)
{
    setIdentity(title, organisation, version);
}

void Application::showSplash(const QString& image)
{
    closeSplash();
    const QPixmap pixmap(image);
    if (pixmap.isNull())
        return;
    splash() = new QSplashScreen(pixmap);
    splash()->setAttribute(Qt::WA_DeleteOnClose);
    splash()->show();
}

void Application::about(const QString& image)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QStringLiteral("About %1").arg(Profile::title()));
    box.setTextFormat(Qt::PlainText);
    box.setText(QStringLiteral("%1\nVersion %2\n%3").arg(Profile::title(), Profile::version(), Profile::organisation()));
    const QPixmap picture(image);
    if (!picture.isNull())
        box.setIconPixmap(picture);
    box.setStandardButtons(QMessageBox::Ok);
    RunDialog(&box);
}

void Application::closeSplash()
{
    if (QSplashScreen* screen = splash())
        screen->close();
    splash() = nullptr;
}

bool Application::isSplashShown()
{
    return splash() && splash()->isVisible();
}

void Application::setImageFolder(const QString& prefix, const QString& folder)
{
    QDir::setSearchPaths(prefix, QStringList{folder});
    programImagePrefix() = prefix;
}

QString Application::imagePrefix()
{
    return programImagePrefix();
}

void Win_SetIcon(QWidget* window, unsigned int id)
{
    const QString prefix = programImagePrefix();
    if (!window || prefix.isEmpty())
        return;
    const QString image = prefix + QStringLiteral(":icon%1.png").arg(id);
    if (QFile::exists(image))
        window->setWindowIcon(QIcon(image));
}

QString Application::arg(int i)
{
    // Index 0 of the list is the program itself.
    const QStringList args = QCoreApplication::arguments();
    if (i < 0 || i + 1 >= args.size())
        return QString();
    return args.at(i + 1);
}

QColor Application::readProfileColor(const QString& section, const QString& key, const QColor& def)
{
    const QString text = readProfileString(section, key).trimmed();
    if (text.isEmpty())
        return def;
    const QColor c = QColor::fromString(text);
    return c.isValid() ? c : def;
}

bool Application::writeProfileColor(const QString& section, const QString& key, const QColor& value)
{
    QString text;
    if (value.isValid())
        text = value.name(value.alpha() == 255 ? QColor::HexRgb : QColor::HexArgb);
    return writeProfileString(section, key, text);
}

QFont Application::readProfileFont(const QString& section, const QString& key, const QFont& def)
{
    const QString text = readProfileString(section, key).trimmed();
    if (text.isEmpty())
        return def;
    QFont f;
    return f.fromString(text) ? f : def;
}

bool Application::writeProfileFont(const QString& section, const QString& key, const QFont& value)
{
    return writeProfileString(section, key, value.toString());
}
