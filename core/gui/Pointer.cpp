#include "Pointer.h"

#include <QCursor>
#include <QGuiApplication>

#include <algorithm>

namespace {
// Whether the override cursor of ShowMouse(false) is in force. GUI thread only.
bool g_hidden = false;

// The travel that spans 256 values: the feel of a 0..127 slider.
constexpr int TravelFor256 = 256;
constexpr int MostPixelsPerStep = 16;
} // namespace

void ShowMouse(bool show)
{
    if (show == !g_hidden)
        return;
    if (show)
        QGuiApplication::restoreOverrideCursor();
    else
        QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
    g_hidden = !show;
}

bool IsMouseHidden()
{
    return g_hidden;
}

void MoveMouse(const QPoint& global)
{
    QCursor::setPos(global);
}

void PointerHold::hide()
{
    m_hiding = true;
    ShowMouse(false);
}

void PointerHold::show()
{
    if (!m_hiding)
        return;
    m_hiding = false;
    ShowMouse(true);
}

int PointToValue(const QPoint& p, const QRect& r, int min, int max, bool horizontal)
{
    if (max <= min || !r.isValid())
        return min;
    const int length = (horizontal ? r.width() : r.height()) - 1;
    if (length <= 0)
        return min;
    const int offset = horizontal ? p.x() - r.left() : r.bottom() - p.y();
    const long long span = static_cast<long long>(max) - min;
    // Rounded to the nearest value, so each value owns the pixels around its own.
    const long long v = min + (static_cast<long long>(offset) * span * 2 + length) / (2LL * length);
    return static_cast<int>(std::clamp<long long>(v, min, max));
}

int GetRelativePos(int v, int lo, int hi, int start, int length)
{
    if (hi <= lo || length <= 0)
        return start;
    const long long offset = (static_cast<long long>(v) - lo) * length / (static_cast<long long>(hi) - lo);
    return start + static_cast<int>(std::clamp<long long>(offset, 0, length));
}

void ValueChanger::start(int value, int min, int max, bool horizontal, int defaultValue)
{
    m_min = min;
    m_max = std::max(min, max);
    m_horizontal = horizontal;
    m_startValue = std::clamp(value == -1 ? defaultValue : value, m_min, m_max);
    m_value = m_startValue;
    m_anchor = QCursor::pos();
}

int ValueChanger::pixelsPerStep() const
{
    const long long count = static_cast<long long>(m_max) - m_min + 1;
    if (count > TravelFor256)
        return 0;
    return std::clamp(static_cast<int>(TravelFor256 / count), 1, MostPixelsPerStep);
}

int ValueChanger::move()
{
    return move(QCursor::pos());
}

int ValueChanger::move(const QPoint& global)
{
    const int travel = m_horizontal ? global.x() - m_anchor.x() : m_anchor.y() - global.y();
    const int pps = pixelsPerStep();
    const long long count = static_cast<long long>(m_max) - m_min + 1;
    const long long steps = pps > 0 ? travel / pps : travel * count / TravelFor256;
    const long long v = m_startValue + steps;
    m_value = static_cast<int>(std::clamp<long long>(v, m_min, m_max));
    // Past an end: the end becomes the new start, so the way back counts
    // from here and not from where the pointer went.
    if (v != m_value) {
        m_startValue = m_value;
        m_anchor = global;
    }
    return m_value;
}
