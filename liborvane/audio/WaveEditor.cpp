// The wave editor's view: geometry, painting, mouse, wheel and keys. The edit
// commands, the context menu and the settings are in WaveEditorCommands.cpp.
#include "WaveEditor.h"

#include "AudioPort.h"
#include "Colors.h"
#include "Drawing.h"
#include "Profile.h"
#include "Prompts.h"

#include <QAction>
#include <QCursor>
#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

// Views and positions are kept well inside the int range, so that sums of
// two of them never overflow however far the user zooms out.
constexpr double Reach = double(1 << 30);

int toInt(double v)
{
    return int(std::trunc(std::clamp(v, -Reach, Reach)));
}

void limit(int& v, int low, int high)
{
    v = std::min(std::max(v, low), high);
}

} // namespace

// --- MinMax, MySlider ----------------------------------------------------

void MinMax::add(int v)
{
    if (!valid) {
        valid = true;
        min = max = v;
    } else if (v < min) {
        min = v;
    } else if (v > max) {
        max = v;
    }
}

void MinMax::connectTo(const MinMax& next)
{
    if (!valid || !next.valid)
        return;
    if (next.min > max)
        max = next.min;
    if (next.max < min)
        min = next.max;
}

QString MinMax::toString() const
{
    return QStringLiteral("%1 %2 %3").arg(min).arg(max).arg(valid ? QStringLiteral("true") : QStringLiteral("false"));
}

void MySlider::draw(QPainter* painter, const QColor& colour, int total, int first, int last)
{
    DrawRect(painter, frame.adjusted(-1, -1, 1, 1), colour);
    if (total <= 0)
        return;
    const int top = frame.top() + 1;
    const int bottom = frame.bottom() - 1;
    const int left = frame.left() + 1;
    const int right = frame.right() - 1;
    const int w = right - left + 1;
    // In double: w x first overflows int for waves past a few million samples.
    int a = toInt(double(w) * first / total + 0.5);
    int b = toInt(double(w) * (double(total) - last - 1) / total + 0.5);
    limit(a, 0, std::max(w, 0));
    limit(b, 0, std::max(w, 0));
    if (a + b >= w) {
        if (a > w / 2)
            a -= 1;
        else
            b -= 1;
    }
    thumb = QRect(QPoint(left + a, top), QPoint(right - b, bottom)).normalized();
    FillRect(painter, thumb, colour);
}

// --- WaveEditor: construction --------------------------------------------

WaveEditor::WaveEditor(QWidget* parent, AudioDevice* device, bool interactive)
    : QFrame(parent), m_device(device), m_interactive(interactive)
{
    m_fitAction = makeAction(QStringLiteral("Fit (Double Click)"), QStringLiteral(":/orvane/images/wave_fit.png"),
                             &WaveEditor::fit);
    m_trimAction = makeAction(QStringLiteral("Trim"), QStringLiteral(":/orvane/images/wave_trim.png"), &WaveEditor::trim);
    m_normalizeAction = makeAction(QStringLiteral("Normalize (N)"), QStringLiteral(":/orvane/images/wave_norm.png"),
                                   &WaveEditor::normalize);
    m_crossfadeAction = makeAction(QStringLiteral("Crossfade (X)"), QStringLiteral(":/orvane/images/wave_xfade.png"),
                                   qOverload<>(&WaveEditor::crossfade));
    m_pingpongAction = makeAction(QStringLiteral("Alternating Loop"), QStringLiteral(":/orvane/images/wave_pp.png"),
                                  &WaveEditor::pingpong);
    m_zoomInAction = makeAction(QStringLiteral("Zoom In (Ctrl+Wheel Up)"), QStringLiteral("core:zoomin.png"),
                                &WaveEditor::zoomIn);
    m_zoomOutAction = makeAction(QStringLiteral("Zoom Out (Ctrl+Wheel Down)"), QStringLiteral("core:zoomout.png"),
                                 &WaveEditor::zoomOut);
    if (interactive)
        setFocusPolicy(Qt::StrongFocus);
    setWindowTitle(QStringLiteral("Wave Editor"));
    setMinimumHeight(58);
    setFrameStyle(QFrame::Box | QFrame::Sunken);
    setLineWidth(1);
    setAttribute(Qt::WA_MouseTracking, interactive);
    if (interactive) {
        m_xfadeHardness = Profile::readProfileInt(QStringLiteral("XFade"), QStringLiteral("Intens"), 120) / 100.0;
        m_xfadeRatio = Profile::readProfileInt(QStringLiteral("XFade"), QStringLiteral("Ratio"), 50) / 100.0;
        m_normalizeRatio = Profile::readProfileInt(QStringLiteral("Normalize"), QStringLiteral("Ratio"), 98) / 100.0;
    }
    if (m_device)
        connect(m_device->out(), &AudioOutPort::audioPosChanged, this, &WaveEditor::onAudioPosChanged);
    m_waveInside = QColor(255, 192, 0);
    m_waveOutside = QColor(168, 168, 168);
    m_grid = QColor(152, 152, 152);
    m_backTop = QColor(128, 128, 128).darker(190);
    m_backBottom = QColor(128, 128, 128).darker(140);
    m_startLine = QColor(255, 0, 0);
    m_loopLine = QColor(128, 192, 255);
    m_endLine = QColor(0, 255, 0);
    m_cursorLine = QColor(255, 255, 255);
}

WaveEditor::~WaveEditor()
{
    // Rounded: cut toward zero, a stored 29 (0.29) would come back as 28
    // and drift down a step with every run.
    if (m_interactive) {
        Profile::writeProfileInt(QStringLiteral("XFade"), QStringLiteral("Intens"), qRound(m_xfadeHardness * 100.0));
        Profile::writeProfileInt(QStringLiteral("XFade"), QStringLiteral("Ratio"), qRound(m_xfadeRatio * 100.0));
        Profile::writeProfileInt(QStringLiteral("Normalize"), QStringLiteral("Ratio"), qRound(m_normalizeRatio * 100.0));
    }
}

QAction* WaveEditor::makeAction(const QString& text, const QString& icon, void (WaveEditor::*slot)())
{
    auto* action = new QAction(QIcon(icon), text, this);
    connect(action, &QAction::triggered, this, slot);
    return action;
}

void WaveEditor::setWave(AudioWave* wave, int start, int loop, int end)
{
    if (wave && !isFormatSupported(*wave)) {
        Prompts::current()->error(nullptr, QStringLiteral("Unsupported format\n\n%1").arg(wave->toString()),
                                  QString());
        return;
    }
    clearCache();
    stopPort();
    m_playPos = 0;
    m_wave = wave;
    if (m_wave)
        m_wave->getRange(m_rangeLow, m_rangeHigh);
    fit();
    setPoint(PointStart, start);
    setPoint(PointLoop, loop);
    setPoint(PointEnd, end);
}

// --- points ----------------------------------------------------------------

void WaveEditor::setPoint(Points p, int v)
{
    const int total = ridevSamples();
    if (v == -1)
        v = total;
    limit(v, 0, total);
    int& start = m_points[PointStart];
    int& loop = m_points[PointLoop];
    int& end = m_points[PointEnd];
    switch (p) {
    case PointStart:
        limit(loop, v, total);
        limit(end, v, total);
        break;
    case PointLoop:
        limit(start, 0, v);
        limit(end, v, total);
        break;
    case PointEnd:
        limit(start, 0, v);
        limit(loop, 0, v);
        break;
    }
    m_points[p] = v;
    // All three go to the port, played or not: one moved alone would leave
    // the port a loop past its end when this point pushed the others.
    if (m_device) {
        AudioOutPort* out = m_device->out();
        out->setStart(start);
        out->setLoop(loop);
        out->setEnd(end);
    }
    emit pointsChanged(start, loop, end);
    showPoint(p);
    update();
}

void WaveEditor::showPoint(Points p)
{
    const int v = m_points[p];
    // The view moves by whole widths; it stops where moveTo holds it.
    if (v >= m_viewStart) {
        while (m_viewEnd + 1 < v) {
            const int before = m_viewStart;
            moveRight(1.0);
            if (m_viewStart == before)
                break;
        }
    } else {
        while (v < m_viewStart) {
            const int before = m_viewStart;
            moveLeft(1.0);
            if (m_viewStart == before)
                break;
        }
    }
}

// --- view ------------------------------------------------------------------

int WaveEditor::viewSamples() const
{
    return toInt(double(m_viewEnd) - m_viewStart + 1);
}

int WaveEditor::ridevSamples() const
{
    return m_wave ? m_wave->sampleLength() : 0;
}

void WaveEditor::display(int first, int count)
{
    m_viewStart = first;
    m_viewEnd = toInt(double(first) + count - 1);
    update();
}

void WaveEditor::moveTo(int s)
{
    const int count = viewSamples();
    const int most = ridevSamples() - count;
    s = s > most ? std::max(most, 0) : std::max(s, 0);
    display(s, count);
}

void WaveEditor::moveRight(double factor, bool)
{
    moveTo(toInt(m_viewStart + viewSamples() * factor));
}

void WaveEditor::moveLeft(double factor, bool)
{
    moveTo(toInt(m_viewStart - viewSamples() * factor));
}

void WaveEditor::fit()
{
    display(0, ridevSamples());
}

void WaveEditor::zoom(int direction, int centre)
{
    int a = toInt((double(centre) - m_viewStart) * direction * 0.125 + 0.5);
    int b = toInt((double(m_viewEnd) - centre) * direction * 0.125 + 0.5);
    if (a == 0 && b == 0)
        a = b = direction;
    m_viewStart = toInt(double(m_viewStart) + a);
    m_viewEnd = toInt(double(m_viewEnd) - b);
    if (m_viewEnd <= m_viewStart) {
        m_viewStart -= 1;
        m_viewEnd += 1;
    }
    update();
}

void WaveEditor::zoomIn()
{
    zoom(+1, (m_viewStart + m_viewEnd) / 2);
}

void WaveEditor::zoomOut()
{
    zoom(-1, (m_viewStart + m_viewEnd) / 2);
}

// --- geometry ----------------------------------------------------------------

int WaveEditor::span() const
{
    return std::max(1, m_waveRect.right() - m_waveRect.left());
}

int WaveEditor::packX(int s) const
{
    const int n = viewSamples();
    if (n < 1)
        return m_waveRect.left();
    return m_waveRect.left() + toInt((double(s) - m_viewStart) * (m_waveRect.right() - m_waveRect.left()) / n);
}

int WaveEditor::unpackX(int x) const
{
    return toInt(m_viewStart + double(x - m_waveRect.left()) * viewSamples() / span() + 0.5);
}

int WaveEditor::packY(int v, int top, int height) const
{
    const double range = double(m_rangeHigh) - m_rangeLow;
    // A flat range has no scale: its values sit on the middle row.
    if (range == 0)
        return top + height - 1 - (height - 1) / 2;
    return top + height - 1 - toInt((double(v) - m_rangeLow) * (height - 1) / range);
}

int WaveEditor::calcPointHover(int x) const
{
    for (int p : {PointEnd, PointLoop, PointStart}) {
        const int px = packX(m_points[p]);
        if (px - 2 <= x && x <= px + 2)
            return p;
    }
    return -1;
}

bool WaveEditor::inWaveArea(const QPoint& pos) const
{
    return m_waveRect.adjusted(-2, 0, 2, 0).contains(pos);
}

// --- play position ---------------------------------------------------------

void WaveEditor::onAudioPosChanged(int v)
{
    if (m_device && m_device->out()->isPlaying(m_wave))
        setPos(v);
}

void WaveEditor::setPos(int v)
{
    m_playPos = v;
    QWidget* window = parentWidget() ? parentWidget() : this;
    if (window->isActiveWindow())
        update();
}

// --- painting --------------------------------------------------------------

void WaveEditor::clearCache()
{
    m_cacheWidth = 0;
    m_columnCache[0].clear();
    m_columnCache[1].clear();
}

void WaveEditor::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    drawFrame(&painter);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform,
                           false);
    const QRect cr = contentsRect();
    const int T = cr.top(), L = cr.left(), B = cr.bottom(), R = cr.right();
    if (m_interactive) {
        FillRect(&painter, cr, m_backTop.darker(115));
        painter.setPen(m_grid.lighter(125));
        if (m_wave)
            DrawText(&painter, QRect(QPoint(L + 10, T + 4), QPoint(R, T + 19)),
                     QStringLiteral("Sample Length: %1   Format: %2").arg(m_wave->sampleLength()).arg(m_wave->toString()),
                     false, 0);
        m_waveRect = QRect(QPoint(L + 10, T + 26), QPoint(R - 10, B - 28));
        DrawRect(&painter, m_waveRect.adjusted(-1, -1, 1, 1), m_grid);
        m_slider.frame = QRect(QPoint(L + 10, B - 19), QPoint(R - 10, B - 10));
        m_slider.draw(&painter, m_waveOutside, ridevSamples(), m_viewStart, m_viewEnd);
    } else {
        m_waveRect = cr;
    }
    if (m_wave && !m_wave->isMono()) {
        const int h = (m_waveRect.bottom() - m_waveRect.top() + 1) / 2;
        drawWave(&painter, QRect(QPoint(m_waveRect.left(), m_waveRect.top()),
                                 QPoint(m_waveRect.right(), m_waveRect.bottom() - h)),
                 0);
        drawWave(&painter, QRect(QPoint(m_waveRect.left(), m_waveRect.top() + h), m_waveRect.bottomRight()), 1);
    } else {
        drawWave(&painter, m_waveRect, 0);
    }
}

void WaveEditor::drawHLine(QPainter* painter, const QRect& r, int y, const QColor& colour)
{
    if (r.top() <= y && y <= r.bottom())
        DrawHLine(painter, y, m_waveRect.left(), m_waveRect.right(), colour, Qt::SolidLine);
}

void WaveEditor::drawVLine(QPainter* painter, const QRect& r, int x, const QColor& colour)
{
    if (r.left() <= x && x <= r.right())
        DrawVLine(painter, x, r.top(), r.bottom(), colour, Qt::SolidLine);
}

void WaveEditor::drawColumn(QPainter* painter, const QRect& r, const PointInfo& cur, const PointInfo* prev, int xs,
                            int xe)
{
    const int x = cur.x;
    const QColor& colour = m_interactive && (x <= xs || x > xe) ? m_waveOutside : m_waveInside;
    const int h = r.bottom() - r.top() + 1;
    auto y = [&](int v) { return packY(v, r.top(), h); };
    if (prev && prev->minmax.valid) {
        const int lastX = prev->x;
        if (x - lastX <= 1) {
            MinMax joined = prev->minmax;
            joined.connectTo(cur.minmax);
            DrawVLine(painter, lastX, y(joined.min), y(joined.max), colour);
        } else {
            DrawHLine(painter, y(prev->minmax.min), lastX, x, colour);
            if (cur.minmax.valid)
                DrawVLine(painter, x, y(prev->minmax.min), y(cur.minmax.max), colour);
        }
    }
    if (cur.minmax.valid)
        DrawVLine(painter, x, y(cur.minmax.min), y(cur.minmax.max), colour);
}

void WaveEditor::drawWave(QPainter* painter, const QRect& r, int ch)
{
    const int width = r.right() - r.left() + 1;
    if (m_cacheWidth != width || m_cacheViewStart != m_viewStart || m_cacheViewEnd != m_viewEnd)
        clearCache();
    FillGradient(painter, r, m_backTop, m_backBottom, true, -1);
    painter->setPen(QColor(Qt::white));

    const int xs = packX(startPoint()), xl = packX(loopPoint()), xe = packX(endPoint());
    const int h = r.bottom() - r.top() + 1;
    auto level = [&](int k) {
        return packY(toInt(m_rangeLow + (double(k) * (double(m_rangeHigh) - m_rangeLow) + k) * 0.25), r.top(), h);
    };
    if (m_interactive) {
        drawHLine(painter, r, level(3), BlendColor(m_grid, 64));
        drawHLine(painter, r, level(1), BlendColor(m_grid, 64));
    }
    drawHLine(painter, r, level(2), BlendColor(m_grid, 128));

    if (m_wave) {
        Vector<PointInfo>& columns = m_columnCache[ch];
        if (!columns.isEmpty()) {
            for (qsizetype i = 0; i < columns.size(); ++i)
                drawColumn(painter, r, columns.at(i), i > 0 ? &columns.at(i - 1) : nullptr, xs, xe);
        } else {
            m_cacheWidth = width;
            m_cacheViewStart = m_viewStart;
            m_cacheViewEnd = m_viewEnd;
            const int step = viewSamples() / span();
            const qint64 limitS = qint64(step) + m_viewEnd + 1;
            const qint64 length = m_wave->sampleLength();
            // Columns before the wave or after the first one past its end
            // hold nothing and draw nothing: they are not walked, or a view
            // zoomed far out would visit billions of them.
            qint64 s = std::max(m_viewStart, 0);
            MinMax cur;
            PointInfo prevInfo;
            const PointInfo* prev = nullptr;
            while (s <= limitS) {
                const int x = packX(int(s));
                if (s < length)
                    cur.add(m_wave->getPoint(ch, int(s)));
                ++s;
                if (packX(int(s)) == x)
                    continue; // the column goes on; one still open past the limit is dropped
                const PointInfo info{cur, x};
                drawColumn(painter, r, info, prev, xs, xe);
                columns.append(info);
                prevInfo = info;
                prev = &prevInfo;
                cur.reset();
                if (s >= length && !info.minmax.valid)
                    break;
            }
        }
    }
    drawHLine(painter, r, level(2), BlendColor(m_grid, 64));
    if (m_interactive) {
        drawVLine(painter, r, xs, BlendColor(m_startLine, 192));
        drawVLine(painter, r, xl, BlendColor(m_loopLine, 192));
        drawVLine(painter, r, xe, BlendColor(m_endLine, 192));
    }
    if (m_device && m_device->out()->isOpened())
        drawVLine(painter, r, packX(m_playPos), BlendColor(m_cursorLine, 192));
}

// --- mouse, wheel, keys ----------------------------------------------------

void WaveEditor::mousePressEvent(QMouseEvent* event)
{
    if (!m_interactive || event->button() != Qt::LeftButton)
        return;
    const QPoint pos = event->position().toPoint();
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (mods & Qt::ControlModifier) {
        // Draws a loop range out from the press: the loop point here, the end
        // point follows the drag.
        setPoint(PointLoop, unpackX(pos.x()));
        m_dragMode = PointEnd;
        return;
    }
    if (mods & (Qt::AltModifier | Qt::ShiftModifier))
        return;
    if (m_dragMode == DragNone && inWaveArea(pos)) {
        const int p = calcPointHover(pos.x());
        if (p >= 0) {
            m_dragMode = p;
        } else {
            m_dragMode = DragView;
            setCursor(Qt::ClosedHandCursor);
            m_dragAnchor = unpackX(pos.x());
        }
    }
    if (m_slider.frame.contains(pos))
        onSliderClick(pos);
}

void WaveEditor::onSliderClick(const QPoint& pos)
{
    if (!m_interactive)
        return;
    if (pos.x() < m_slider.thumb.left() - 1) {
        moveLeft(1.0);
    } else if (pos.x() > m_slider.thumb.right() + 1) {
        moveRight(1.0);
    } else {
        m_dragMode = DragThumb;
        setCursor(Qt::ClosedHandCursor);
        m_dragAnchor = pos.x() - m_slider.thumb.left();
    }
}

void WaveEditor::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_interactive)
        return;
    const QPoint pos = event->position().toPoint();
    const int x = pos.x();
    switch (m_dragMode) {
    case DragView:
        moveTo(toInt(double(m_dragAnchor) - unpackX(x) + m_viewStart));
        break;
    case PointStart:
    case PointLoop:
    case PointEnd: {
        setCursor(Qt::SizeHorCursor);
        const int before = m_viewStart;
        setPoint(Points(m_dragMode), unpackX(x));
        if (m_viewStart != before)
            QCursor::setPos(mapToGlobal(QPoint(packX(m_points[m_dragMode]), pos.y())));
        break;
    }
    case DragThumb: {
        const int d = x - (m_slider.frame.left() + 1) - m_dragAnchor;
        const int w = std::max(1, m_slider.innerWidth());
        moveTo(toInt(double(d) * ridevSamples() / w));
        break;
    }
    default:
        if (!inWaveArea(pos))
            setCursor(Qt::ArrowCursor);
        else if (calcPointHover(x) != -1)
            setCursor(Qt::SizeHorCursor);
        else
            setCursor(Qt::ArrowCursor);
        break;
    }
}

void WaveEditor::mouseReleaseEvent(QMouseEvent*)
{
    if (m_dragMode <= PointEnd)
        emit userPointDrag();
    m_dragMode = DragNone;
    setCursor(Qt::ArrowCursor);
}

void WaveEditor::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (m_slider.frame.contains(pos))
        onSliderClick(pos);
    if (m_waveRect.contains(pos)) {
        if (m_interactive)
            fit();
        else
            emit onDoubleClick();
    }
}

void WaveEditor::wheelEvent(QWheelEvent* event)
{
    if (!m_interactive)
        return;
    const int steps = event->angleDelta().y() / 120;
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (mods & Qt::ControlModifier)
        zoom(steps > 0 ? +1 : -1, unpackX(event->position().toPoint().x()));
    else if (!(mods & (Qt::AltModifier | Qt::ShiftModifier)))
        moveTo(toInt(double(viewSamples()) * steps * 0.125 + m_viewStart));
}

void WaveEditor::keyPressEvent(QKeyEvent* event)
{
    // Whole samples per pixel: the view moves by one pixel's worth.
    const int step = viewSamples() / span();
    if (event->key() == Qt::Key_Left)
        moveTo(m_viewStart - step);
    else if (event->key() == Qt::Key_Right)
        moveTo(m_viewStart + step);
    event->ignore();
}
