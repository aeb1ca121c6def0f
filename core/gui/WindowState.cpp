#include "WindowState.h"

#include "Profile.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QUrl>
#include <QWidget>

namespace {

const QString WindowsSection = QStringLiteral("Windows");

// Window names hold "|" and may hold "/", which the settings store reads as
// a group separator; the key keeps every name apart.
QString keyOf(const QString& name)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(name));
}

bool onSomeScreen(const QPoint& p)
{
    return QGuiApplication::screenAt(p) != nullptr;
}

} // namespace

void LoadWindowState(QWidget* window, const QString& name, const QPoint& defaultPos)
{
    if (!window)
        return;
    const QString saved = Profile::readProfileString(WindowsSection, keyOf(name));
    const QStringList xy = saved.split(QLatin1Char(','));
    bool okX = false;
    bool okY = false;
    if (!name.isEmpty() && xy.size() == 2) {
        const QPoint p(xy[0].toInt(&okX), xy[1].toInt(&okY));
        if (okX && okY && onSomeScreen(p)) {
            window->move(p);
            return;
        }
    }
    if (!defaultPos.isNull())
        window->move(defaultPos);
}

void StoreWindowState(QWidget* window, const QString& name)
{
    if (!window || name.isEmpty())
        return;
    const QPoint p = window->pos();
    Profile::writeProfileString(WindowsSection, keyOf(name), QStringLiteral("%1,%2").arg(p.x()).arg(p.y()));
}

void RemoveWindowFrame(QWidget* window)
{
    if (window)
        window->setWindowFlag(Qt::FramelessWindowHint, true);
}

void SetAccessibleText(QWidget* widget, const QString& text)
{
    if (widget)
        widget->setAccessibleName(text);
}

void SetWindowIcon(QWidget* window, const QString& image)
{
    if (window)
        window->setWindowIcon(QIcon(image));
}

void CopyToClipboard(const QString& text)
{
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(text);
}
