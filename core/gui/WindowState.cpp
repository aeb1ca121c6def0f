#include "WindowState.h"

#include "Profile.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QUrl>
#include <QWidget>

#include <algorithm>

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

void KeepOnScreen(QWidget* window)
{
    if (!window)
        return;
    QScreen* screen = QGuiApplication::screenAt(window->frameGeometry().center());
    if (!screen)
        screen = window->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QRect inner = window->geometry();
    const QRect outer = window->frameGeometry();
    const QSize frame(outer.width() - inner.width(), outer.height() - inner.height());
    if (window->minimumSize() != window->maximumSize()) {
        const QSize room = area.size() - frame;
        if (inner.width() > room.width() || inner.height() > room.height())
            window->resize(inner.size().boundedTo(room).expandedTo(window->minimumSize()));
    }
    if (!window->testAttribute(Qt::WA_Moved))
        return;
    const QSize size = window->size() + frame;
    // Right and bottom edges first, so that a window larger than the area
    // keeps its top left corner in view.
    int x = std::min(outer.left(), area.left() + area.width() - size.width());
    int y = std::min(outer.top(), area.top() + area.height() - size.height());
    x = std::max(x, area.left());
    y = std::max(y, area.top());
    if (QPoint(x, y) != outer.topLeft())
        window->move(x, y);
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
