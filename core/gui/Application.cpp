#include "Application.h"

#include <QPixmap>
#include <QPointer>
#include <QSplashScreen>
#include <QStringList>

namespace {

// The splash on screen, owned here; GUI thread only.
QPointer<QSplashScreen>& splash()
{
    static QPointer<QSplashScreen> screen;
    return screen;
}

} // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

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
