#include "Drawing.h"

#include "Colors.h"
#include "PainterState.h"
#include "Pointer.h"

#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include <algorithm>

namespace {

void drawTextFlags(QPainter* p, const QRect& r, const QString& text, int flags)
{
    if (!p || text.isEmpty() || !r.isValid())
        return;
    PainterState state(p);
    p->setClipRect(r, Qt::IntersectClip);
    p->drawText(r, flags | Qt::TextSingleLine, text);
}

int mnemonicFlags(int mnemonic)
{
    return mnemonic & (Qt::TextShowMnemonic | Qt::TextHideMnemonic);
}

} // namespace

// --- Texts -------------------------------------------------------------------------

void DrawText(QPainter* p, const QRect& r, const QString& text, bool centred, int mnemonic)
{
    drawTextFlags(p, r, text,
                  Qt::AlignVCenter | (centred ? Qt::AlignHCenter : Qt::AlignLeft) | mnemonicFlags(mnemonic));
}

void DrawTextR(QPainter* p, const QRect& r, const QString& text, int mnemonic)
{
    drawTextFlags(p, r, text, Qt::AlignVCenter | Qt::AlignRight | mnemonicFlags(mnemonic));
}

void DrawEtchedText(QPainter* p, const QRect& r, const QString& text, const QColor& shade, bool centred,
                    int mnemonic)
{
    if (!p)
        return;
    if (shade.isValid()) {
        PainterState state(p);
        p->setPen(shade);
        DrawText(p, r.translated(0, 1), text, centred, mnemonic);
    }
    DrawText(p, r, text, centred, mnemonic);
}

int GetMnemonic(const QWidget* label)
{
    const auto* l = qobject_cast<const QLabel*>(label);
    return l && l->buddy() ? int(Qt::TextShowMnemonic) : 0;
}

QFont GetFont(const QFont& font, int sizeDelta, bool bold)
{
    QFont f = font;
    if (sizeDelta != 0) {
        if (f.pointSizeF() > 0)
            f.setPointSizeF(std::max(1.0, f.pointSizeF() + sizeDelta));
        else if (f.pixelSize() > 0)
            f.setPixelSize(std::max(1, f.pixelSize() + sizeDelta));
    }
    if (bold)
        f.setWeight(QFont::Bold);
    return f;
}

// --- Boxes and bars ----------------------------------------------------------------

void DrawBox(QPainter* p, const QRect& r, bool focus, bool hover, bool enabled, const QColor& selBorder,
             const QColor& border, const QColor& panel, const QColor& controls)
{
    if (!p || !r.isValid())
        return;
    QColor fill = controls;
    if (!enabled)
        fill = MergeColors(controls, panel, 0.5);
    else if (hover)
        fill = GetColor(controls, 0, 1.06);
    FillRect(p, r, fill);

    if (focus && enabled && selBorder.isValid()) {
        DrawRect(p, r, selBorder);
        DrawRect(p, r.adjusted(1, 1, -1, -1), selBorder);
    } else {
        DrawRect(p, r, enabled ? border : MergeColors(border, panel, 0.5));
    }
    // Rounded off against the panel.
    if (panel.isValid() && r.width() > 2 && r.height() > 2) {
        for (const QPoint& corner : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()})
            FillRect(p, QRect(corner, corner), panel);
    }
}

void DrawCaptionGradient(QPainter* p, const QRect& r, const QColor& c)
{
    if (!p || !c.isValid() || !r.isValid())
        return;
    FillGradient(p, r, GetColor(c, 0, 1.18), GetColor(c, 0, 0.9), true, -1);
    DrawHLine(p, r.bottom(), r.left(), r.right(), GetColor(c, 0, 0.7));
}

void DrawSlider(QPainter* p, const QRect& r, const QColor& c1, const QColor& c2, int lo, int hi, int v,
                bool reversed)
{
    if (!p || !r.isValid())
        return;
    const int length = GetRelativePos(v, lo, hi, 0, r.width());
    if (length <= 0)
        return;
    const QRect bar = reversed ? QRect(r.right() - length + 1, r.top(), length, r.height())
                               : QRect(r.left(), r.top(), length, r.height());
    FillGradient(p, bar, c2, c1, true, -1);
}

void DrawSpot(QPainter* p, const QRect& r, const QColor& c, int lo, int hi, int v, int size)
{
    if (!p || !r.isValid() || v < lo || v > hi)
        return;
    size = std::clamp(size, 1, r.width());
    const int x = r.left() + GetRelativePos(v, lo, hi, 0, r.width() - 1);
    const int left = std::clamp(x - size / 2, r.left(), r.right() - size + 1);
    FillRect(p, QRect(left, r.top(), size, r.height()), c);
}

void DottedFill(QPainter* p, const QRect& r, const QColor& line, const QColor& fill, int min, int max,
                int low, int high, int dotStep, int style)
{
    if (!p || !r.isValid())
        return;
    const int step = std::max(0, dotStep) + 1;
    if (line.isValid()) {
        for (int x = r.left(); x <= r.right(); x += step)
            FillRect(p, QRect(x, r.top() + r.height() / 2, 1, 1), line);
    }
    if (low == -1 || high == -1 || max < min)
        return;

    // The pixel columns of a span of values, both ends included.
    auto span = [&](int a, int b) {
        const int x1 = r.left() + GetRelativePos(a, min, max, 0, r.width() - 1);
        const int x2 = r.left() + GetRelativePos(b, min, max, 0, r.width() - 1);
        return QRect(QPoint(x1, r.top()), QPoint(x2, r.bottom()));
    };
    QList<QRect> parts;
    if (low <= high)
        parts << span(low, high);
    else
        parts << span(min, high) << span(low, max);
    for (const QRect& part : parts) {
        FillRect(p, part, fill);
        if (style == 1)
            DrawRect(p, part, line);
    }
}

// --- Marks -------------------------------------------------------------------------

void DrawArrow(QPainter* p, const QPoint& pt, const QColor& c, bool down)
{
    if (!p || !c.isValid())
        return;
    // Row i from the tip is 2i + 1 pixels wide.
    for (int i = 0; i < 4; ++i) {
        const int y = down ? pt.y() - i : pt.y() + i;
        FillRect(p, QRect(pt.x() - i, y, 2 * i + 1, 1), c);
    }
}

void DrawCheck(QPainter* p, const QRect& box, const QColor& c, int width)
{
    if (!p || !c.isValid() || !box.isValid())
        return;
    PainterState state(p);
    p->setRenderHint(QPainter::Antialiasing, true);
    p->setPen(QPen(c, std::max(1, width), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p->setBrush(Qt::NoBrush);
    const QRectF in = QRectF(box).adjusted(3.5, 3.5, -3.5, -3.5);
    QPainterPath path;
    path.moveTo(in.left(), in.top() + in.height() * 0.55);
    path.lineTo(in.left() + in.width() * 0.38, in.bottom());
    path.lineTo(in.right(), in.top());
    p->drawPath(path);
}

void DrawNiceLine(QPainter* p, const QPoint& a, const QPoint& b, const QColor& c)
{
    if (!p || !c.isValid())
        return;
    PainterState state(p);
    p->setRenderHint(QPainter::Antialiasing, true);
    p->setPen(QPen(c, 1.0));
    p->drawLine(QPointF(a) + QPointF(0.5, 0.5), QPointF(b) + QPointF(0.5, 0.5));
}

void DrawNiceCircle(QPainter* p, const QRect& r, const QColor& fill, const QColor& rim)
{
    if (!p || !r.isValid())
        return;
    PainterState state(p);
    p->setRenderHint(QPainter::Antialiasing, true);
    p->setPen(rim.isValid() ? QPen(rim, 1.0) : QPen(Qt::NoPen));
    p->setBrush(fill.isValid() ? QBrush(fill) : QBrush(Qt::NoBrush));
    p->drawEllipse(QRectF(r).adjusted(0.5, 0.5, 0.5, 0.5));
}

// --- Rectangles --------------------------------------------------------------------

void SplitRect(const QRect& r, int w, bool vertical, QRect& first, QRect& second)
{
    const int size = vertical ? r.height() : r.width();
    w = std::clamp(w, 0, std::max(0, size));
    if (vertical) {
        first = QRect(r.left(), r.top(), r.width(), w);
        second = QRect(r.left(), r.top() + w, r.width(), size - w);
    } else {
        first = QRect(r.left(), r.top(), w, r.height());
        second = QRect(r.left() + w, r.top(), size - w, r.height());
    }
}

// --- Pictures ----------------------------------------------------------------------

QPixmap Icon2Pixmap(const QIcon& icon, int index, int count)
{
    if (icon.isNull() || count < 1 || index < 0 || index >= count)
        return QPixmap();
    const QList<QSize> sizes = icon.availableSizes();
    const QPixmap strip = icon.pixmap(sizes.isEmpty() ? QSize(16 * count, 16) : sizes.first());
    if (strip.isNull())
        return QPixmap();
    // Integer cuts, so the pictures together cover the whole strip.
    const int x1 = strip.width() * index / count;
    const int x2 = strip.width() * (index + 1) / count;
    if (x2 <= x1)
        return QPixmap();
    return strip.copy(x1, 0, x2 - x1, strip.height());
}

int DrawAlteredPixmap(QPainter* p, const QRect& r, const QPixmap& pixmap, const QColor& background,
                      const QColor& color)
{
    if (!p || pixmap.isNull())
        return 0;
    QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    const QRgb clear = background.isValid() ? background.rgb() : 0;
    const QColor ink = color.isValid() ? color : QColor(Qt::black);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb px = line[x];
            if (background.isValid() && (px | 0xFF000000u) == (clear | 0xFF000000u)) {
                line[x] = 0;
                continue;
            }
            // A pixel is as strong as it is dark, and no stronger than it is opaque.
            const int strength = (255 - qGray(px)) * qAlpha(px) / 255;
            line[x] = qRgba(ink.red(), ink.green(), ink.blue(), strength * ink.alpha() / 255);
        }
    }
    const int y = r.top() + (r.height() - image.height()) / 2;
    p->drawImage(QPoint(r.left(), y), image);
    return image.width();
}
