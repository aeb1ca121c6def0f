#include "Colors.h"
#include "PainterState.h"

#include <QBrush>
#include <QLinearGradient>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace {

int clampChannel(double v)
{
    return std::clamp(static_cast<int>(std::lround(v)), 0, 255);
}

// The gradient line through the pixel centres of the first and last row (or
// column), so that they take the two end colours exactly.
QLinearGradient gradientOver(const QRect& r, bool vertical)
{
    if (vertical)
        return QLinearGradient(QPointF(r.left(), r.top() + 0.5), QPointF(r.left(), r.bottom() + 0.5));
    return QLinearGradient(QPointF(r.left() + 0.5, r.top()), QPointF(r.right() + 0.5, r.top()));
}

} // namespace

QColor MergeColors(const QColor& a, const QColor& b, double f)
{
    if (!a.isValid() || !b.isValid())
        return QColor();
    f = std::clamp(f, 0.0, 1.0);
    const QColor x = a.toRgb();
    const QColor y = b.toRgb();
    auto mix = [f](int u, int v) { return clampChannel(u + (v - u) * f); };
    return QColor(mix(x.red(), y.red()), mix(x.green(), y.green()), mix(x.blue(), y.blue()),
                  mix(x.alpha(), y.alpha()));
}

namespace {

double relativeLuminance(const QColor& c)
{
    const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    const QColor rgb = c.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) + 0.0722 * channel(rgb.blueF());
}

} // namespace

double ContrastRatio(const QColor& a, const QColor& b)
{
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadableOn(const QColor& background, const QColor& wanted)
{
    if (!wanted.isValid() || !background.isValid() || ContrastRatio(background, wanted) >= ReadableContrast)
        return wanted;
    // Toward the end of the scale that stands further from the background.
    const QColor end = ContrastRatio(background, Qt::black) >= ContrastRatio(background, Qt::white)
                           ? QColor(Qt::black)
                           : QColor(Qt::white);
    QColor moved = wanted;
    for (int step = 1; step <= 20 && ContrastRatio(background, moved) < ReadableContrast; ++step)
        moved = MergeColors(wanted, end, step / 20.0);
    moved.setAlpha(wanted.alpha());
    return moved;
}

QColor BlendColor(const QColor& c, int alpha)
{
    QColor result = c;
    if (result.isValid())
        result.setAlpha(std::clamp(alpha, 0, 255));
    return result;
}

QColor GetColor(const QColor& c, int delta, double f)
{
    if (!c.isValid())
        return QColor();
    const QColor x = c.toRgb();
    return QColor(clampChannel(x.red() * f + delta), clampChannel(x.green() * f + delta),
                  clampChannel(x.blue() * f + delta), x.alpha());
}

QColor GetColor2(const QColor& c, double saturation, double value)
{
    if (!c.isValid())
        return QColor();
    float h = 0, s = 0, v = 0, a = 0;
    c.toHsv().getHsvF(&h, &s, &v, &a);
    s = std::clamp(static_cast<float>(s * saturation), 0.0f, 1.0f);
    v = std::clamp(static_cast<float>(v * value), 0.0f, 1.0f);
    return QColor::fromHsvF(h, s, v, a).toRgb();
}

QRgb colorref2qrgb(uint colorref)
{
    return qRgb(colorref & 0xFF, (colorref >> 8) & 0xFF, (colorref >> 16) & 0xFF);
}

uint qrgb2colorref(QRgb rgb)
{
    return uint(qRed(rgb)) | (uint(qGreen(rgb)) << 8) | (uint(qBlue(rgb)) << 16);
}

void FillRect(QPainter* p, const QRect& r, const QColor& c)
{
    if (!p || !c.isValid() || !r.isValid())
        return;
    p->fillRect(r, c);
}

void FillGradient(QPainter* p, const QRect& r, const QColor& from, const QColor& to, bool vertical, int steps)
{
    if (!p || !from.isValid() || !to.isValid() || !r.isValid())
        return;
    const int length = vertical ? r.height() : r.width();
    if (length == 1) {
        FillRect(p, r, from);
        return;
    }
    if (steps >= 2) {
        // Band i covers [i * length / steps, (i + 1) * length / steps); a
        // band that rounds to nothing is skipped.
        steps = std::min(steps, length);
        for (int i = 0; i < steps; ++i) {
            const int a = i * length / steps;
            const int b = (i + 1) * length / steps;
            const QColor c = MergeColors(from, to, double(i) / (steps - 1));
            if (vertical)
                FillRect(p, QRect(r.left(), r.top() + a, r.width(), b - a), c);
            else
                FillRect(p, QRect(r.left() + a, r.top(), b - a, r.height()), c);
        }
        return;
    }
    QLinearGradient g = gradientOver(r, vertical);
    g.setColorAt(0, from);
    g.setColorAt(1, to);
    p->fillRect(r, QBrush(g));
}

void FillGradient2(QPainter* p, const QRect& r, const QColor& c1, const QColor& c2, bool vertical)
{
    if (!p || !c1.isValid() || !c2.isValid() || !r.isValid())
        return;
    const int length = vertical ? r.height() : r.width();
    if (length == 1) {
        FillRect(p, r, c1);
        return;
    }
    QLinearGradient g = gradientOver(r, vertical);
    g.setColorAt(0, c1);
    g.setColorAt(0.35, MergeColors(c1, c2, 0.7));
    g.setColorAt(1, c2);
    p->fillRect(r, QBrush(g));
}

void DrawTiled(QPainter* p, const QRect& r, const QImage& image)
{
    if (!p || image.isNull() || !r.isValid())
        return;
    PainterState state(p);
    p->setBrushOrigin(r.topLeft());
    p->fillRect(r, QBrush(image));
}

void DrawLine(QPainter* p, const QPoint& a, const QPoint& b, const QColor& c, Qt::PenStyle style)
{
    if (!p || !c.isValid() || style == Qt::NoPen)
        return;
    // A plain solid line along an axis is a one-pixel fill, exact at both ends.
    if (style == Qt::SolidLine && (a.x() == b.x() || a.y() == b.y())) {
        FillRect(p,
                 QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                       QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y()))),
                 c);
        return;
    }
    PainterState state(p);
    p->setRenderHint(QPainter::Antialiasing, false);
    QPen pen(c, 1, style, Qt::SquareCap);
    p->setPen(pen);
    p->drawLine(a, b);
}

void DrawHLine(QPainter* p, int y, int x1, int x2, const QColor& c, Qt::PenStyle style)
{
    DrawLine(p, QPoint(x1, y), QPoint(x2, y), c, style);
}

void DrawVLine(QPainter* p, int x, int y1, int y2, const QColor& c, Qt::PenStyle style)
{
    DrawLine(p, QPoint(x, y1), QPoint(x, y2), c, style);
}

void DrawRect(QPainter* p, const QRect& r, const QColor& c)
{
    if (!p || !c.isValid() || !r.isValid())
        return;
    // Each pixel of the frame is painted once, so a translucent colour stays
    // even at the corners.
    FillRect(p, QRect(r.left(), r.top(), r.width(), 1), c);
    if (r.height() > 1)
        FillRect(p, QRect(r.left(), r.bottom(), r.width(), 1), c);
    if (r.height() > 2) {
        FillRect(p, QRect(r.left(), r.top() + 1, 1, r.height() - 2), c);
        if (r.width() > 1)
            FillRect(p, QRect(r.right(), r.top() + 1, 1, r.height() - 2), c);
    }
}
