// Draws the core's images and writes them as PNG files, with the resource
// list that compiles them into the library.
//
//   make_icons <folder>
//
// writes <folder>/<name>.png for every image (subfolders as the names say)
// and <folder>/coreimages.qrc, which puts them under ":/core/images". The
// build runs it for the core.
//
//   make_icons --instrument <folder>
//
// writes the instrument library's pictures the same way, without a resource
// list: they are committed in resources/vesk/images and listed in vesk.qrc
// (":/vesk/images"), and a test draws them again here and compares.
//
//   make_icons --waves <folder>
//
// writes the wave editor's tool pictures likewise, committed in
// resources/orvane/images and listed in orvane.qrc (":/orvane/images").
//
//   make_icons --program <Program> <folder>
//
// writes a program's images (VeskVoice, VeskDrum, VeskPerf, VeskMaster,
// VeskMix, VeskLib): its splash "splash_es.png", its window icon
// "icon101.png", its about box's picture "<Program>.png", for the mix editor
// its tool-bar images "reset.png" and "gm.png", for the librarian its
// document, editor and patch-type images. They are committed in
// resources/<Program>/images, and a test draws them again and compares.
//
//   make_icons --desktop <Program> <folder>
//
// writes the program's desktop icon in the sizes of the hicolor theme,
// <folder>/<n>x<n>/apps/<Program>.png; the build installs them. Every
// image is painted from lines, shapes and fills, never text, so it does not
// depend on the machine's fonts; nothing is read.
#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>
#include <QSaveFile>
#include <QString>
#include <QTextStream>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

namespace {

constexpr int Size = 32;

using Draw = std::function<void(QPainter&)>;

struct Image
{
    const char* name;
    Draw draw;
    // A strip of pictures side by side (a combo's choices) is wider.
    int width = Size;
    int height = Size;
};

const QColor Ink(40, 44, 52);
const QColor Paper(250, 250, 246);
const QColor Folder(232, 184, 64);
const QColor FolderDark(184, 132, 32);
const QColor Green(56, 160, 72);
const QColor Red(204, 52, 48);
const QColor Blue(48, 100, 192);
const QColor Orange(232, 128, 32);

QPen pen(const QColor& c, double width = 1.5)
{
    QPen p(c, width);
    p.setJoinStyle(Qt::RoundJoin);
    p.setCapStyle(Qt::RoundCap);
    return p;
}

// A sheet of paper with its top right corner folded over.
void page(QPainter& p, const QRectF& r, const QColor& fill = Paper)
{
    const double fold = r.width() * 0.3;
    QPolygonF outline;
    outline << r.topLeft() << QPointF(r.right() - fold, r.top()) << QPointF(r.right(), r.top() + fold)
            << r.bottomRight() << r.bottomLeft();
    p.setPen(pen(Ink, 1.2));
    p.setBrush(fill);
    p.drawPolygon(outline);
    QPolygonF corner;
    corner << QPointF(r.right() - fold, r.top()) << QPointF(r.right() - fold, r.top() + fold)
           << QPointF(r.right(), r.top() + fold);
    p.setBrush(fill.darker(115));
    p.drawPolygon(corner);
}

// Lines of text on a sheet.
void textLines(QPainter& p, const QRectF& r, int lines, const QColor& c = QColor(150, 150, 150))
{
    p.setPen(pen(c, 1.2));
    for (int i = 0; i < lines; ++i) {
        const double y = r.top() + i * r.height() / std::max(1, lines - 1);
        p.drawLine(QPointF(r.left(), y), QPointF(i % 2 ? r.right() - 3 : r.right(), y));
    }
}

void folder(QPainter& p, const QColor& light, const QColor& dark, bool open)
{
    p.setPen(pen(dark.darker(130), 1.2));
    p.setBrush(dark);
    QPolygonF back;
    back << QPointF(3, 8) << QPointF(12, 8) << QPointF(15, 11) << QPointF(29, 11) << QPointF(29, 27)
         << QPointF(3, 27);
    p.drawPolygon(back);
    p.setBrush(light);
    QPolygonF front;
    if (open)
        front << QPointF(7, 15) << QPointF(31, 15) << QPointF(27, 27) << QPointF(3, 27);
    else
        front << QPointF(3, 14) << QPointF(29, 14) << QPointF(29, 27) << QPointF(3, 27);
    p.drawPolygon(front);
}

// A thick arrow from a to b with its head at b.
void arrow(QPainter& p, QPointF a, QPointF b, const QColor& c, double width = 4.0)
{
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    const double len = std::hypot(dx, dy);
    if (len <= 0)
        return;
    const double ux = dx / len;
    const double uy = dy / len;
    const double head = width * 2.2;
    const QPointF base(b.x() - ux * head, b.y() - uy * head);
    p.setPen(pen(c.darker(140), 1.0));
    p.setBrush(c);
    QPolygonF shape;
    const double w = width / 2;
    shape << QPointF(a.x() - uy * w, a.y() + ux * w) << QPointF(base.x() - uy * w, base.y() + ux * w)
          << QPointF(base.x() - uy * head * 0.8, base.y() + ux * head * 0.8) << b
          << QPointF(base.x() + uy * head * 0.8, base.y() - ux * head * 0.8)
          << QPointF(base.x() + uy * w, base.y() - ux * w) << QPointF(a.x() + uy * w, a.y() - ux * w);
    p.drawPolygon(shape);
}

// A curved arrow turning left (counter-clockwise) or right.
void turnArrow(QPainter& p, bool left, const QColor& c)
{
    p.save();
    if (!left) {
        p.translate(Size, 0);
        p.scale(-1, 1);
    }
    QPainterPath path;
    path.moveTo(26, 26);
    path.cubicTo(28, 14, 20, 8, 10, 12);
    p.setPen(pen(c, 4.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.setPen(pen(c.darker(140), 1.0));
    p.setBrush(c);
    QPolygonF head;
    head << QPointF(3, 13) << QPointF(13, 5) << QPointF(14, 19);
    p.drawPolygon(head);
    p.restore();
}

void floppy(QPainter& p, const QColor& body)
{
    p.setPen(pen(body.darker(160), 1.2));
    p.setBrush(body);
    QPolygonF shape;
    shape << QPointF(4, 4) << QPointF(25, 4) << QPointF(28, 7) << QPointF(28, 28) << QPointF(4, 28);
    p.drawPolygon(shape);
    p.setBrush(QColor(210, 214, 220));
    p.drawRect(QRectF(9, 4, 13, 8));
    p.setBrush(body.darker(150));
    p.drawRect(QRectF(17, 5.5, 3, 5));
    p.setBrush(Paper);
    p.drawRect(QRectF(8, 16, 16, 12));
    textLines(p, QRectF(10, 19, 12, 6), 3);
}

void magnifier(QPainter& p, const QPointF& centre, double radius, const QColor& rim)
{
    p.setPen(pen(QColor(90, 64, 40), 4.5));
    const double d = radius * 0.72;
    p.drawLine(QPointF(centre.x() + d, centre.y() + d),
               QPointF(centre.x() + radius * 1.9, centre.y() + radius * 1.9));
    p.setPen(pen(rim, 2.5));
    p.setBrush(QColor(200, 228, 250, 200));
    p.drawEllipse(centre, radius, radius);
}

void badge(QPainter& p, const QPointF& centre, const QColor& c, bool plus)
{
    p.setPen(pen(c.darker(140), 1.0));
    p.setBrush(c);
    p.drawEllipse(centre, 6.5, 6.5);
    p.setPen(pen(Qt::white, 2.2));
    p.drawLine(QPointF(centre.x() - 3.5, centre.y()), QPointF(centre.x() + 3.5, centre.y()));
    if (plus)
        p.drawLine(QPointF(centre.x(), centre.y() - 3.5), QPointF(centre.x(), centre.y() + 3.5));
}

// The round five-pin plug of a MIDI cable, seen from the front.
void midiPlug(QPainter& p, const QColor& body)
{
    const QPointF c(16, 16);
    p.setPen(pen(body.darker(160), 1.5));
    p.setBrush(body);
    p.drawEllipse(c, 13.5, 13.5);
    p.setBrush(body.lighter(150));
    p.drawEllipse(c, 10, 10);
    p.setPen(Qt::NoPen);
    p.setBrush(Ink);
    // Five pins on a half circle, and the key notch at the top.
    for (int i = 0; i < 5; ++i) {
        const double angle = M_PI * (i / 4.0);
        p.drawEllipse(QPointF(c.x() - 6.5 * std::cos(angle), c.y() + 6.5 * std::sin(angle) - 1), 1.6, 1.6);
    }
    p.drawRect(QRectF(14.5, 5.5, 3, 3));
}

void keyboard(QPainter& p)
{
    const QRectF r(2, 8, 28, 17);
    p.setPen(pen(Ink, 1.2));
    p.setBrush(Qt::white);
    p.drawRect(r);
    const double key = r.width() / 7;
    for (int i = 1; i < 7; ++i)
        p.drawLine(QPointF(r.left() + i * key, r.top()), QPointF(r.left() + i * key, r.bottom()));
    p.setBrush(Ink);
    for (int i : {1, 2, 4, 5, 6}) {
        p.drawRect(QRectF(r.left() + i * key - key * 0.3, r.top(), key * 0.6, r.height() * 0.6));
    }
}

void gear(QPainter& p, const QColor& c)
{
    const QPointF centre(16, 16);
    p.setPen(pen(c.darker(150), 1.0));
    p.setBrush(c);
    QPolygonF teeth;
    for (int i = 0; i < 16; ++i) {
        const double a = i * M_PI / 8;
        const double r = (i % 2) ? 10.0 : 14.0;
        teeth << QPointF(centre.x() + r * std::cos(a - 0.15), centre.y() + r * std::sin(a - 0.15))
              << QPointF(centre.x() + r * std::cos(a + 0.15), centre.y() + r * std::sin(a + 0.15));
    }
    p.drawPolygon(teeth);
    p.setBrush(Paper);
    p.drawEllipse(centre, 4.5, 4.5);
}

void triangle(QPainter& p, bool up, const QColor& c)
{
    QPolygonF t;
    if (up)
        t << QPointF(16, 6) << QPointF(28, 25) << QPointF(4, 25);
    else
        t << QPointF(4, 7) << QPointF(28, 7) << QPointF(16, 26);
    p.setPen(pen(c.darker(150), 1.2));
    p.setBrush(c);
    p.drawPolygon(t);
}

// A box standing for the instrument, with a slot on its front.
void box(QPainter& p, const QRectF& r, const QColor& c)
{
    p.setPen(pen(c.darker(170), 1.2));
    p.setBrush(c);
    p.drawRoundedRect(r, 2, 2);
    p.setBrush(c.darker(140));
    p.drawRect(QRectF(r.left() + 3, r.center().y() - 1, r.width() - 6, 2));
}

// The voice copier's picture: a voice (its wave over a few keys) copied into
// one of the parts of a performance or a mix.
void voiceToPart(QPainter& p)
{
    p.setPen(pen(Ink, 1.0));
    p.setBrush(Paper);
    p.drawRoundedRect(QRectF(1.5, 7.5, 12, 17), 2, 2);
    QPainterPath wave;
    wave.moveTo(3.5, 13);
    wave.cubicTo(5, 8, 6, 8, 7.5, 13);
    wave.cubicTo(9, 18, 10, 18, 11.5, 13);
    p.setPen(pen(Blue, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(wave);
    p.setPen(pen(Ink, 0.8));
    p.drawLine(QPointF(1.5, 18.5), QPointF(13.5, 18.5));
    for (double x = 4.5; x < 13; x += 3)
        p.drawLine(QPointF(x, 18.5), QPointF(x, 24.5));
    p.setPen(Qt::NoPen);
    p.setBrush(Ink);
    for (double x = 3.7; x < 13; x += 3)
        p.drawRect(QRectF(x, 18.5, 1.6, 3.5));

    arrow(p, QPointF(13, 16), QPointF(21.5, 16), Orange, 3.0);

    for (int part = 0; part < 4; ++part) {
        p.setPen(pen(Ink, 1.0));
        p.setBrush(part == 2 ? Green : QColor(200, 204, 212));
        p.drawRoundedRect(QRectF(22.5, 5.5 + part * 5.5, 8, 4), 1, 1);
    }
}

// --- the wave editor's tool pictures ----------------------------------------------

// A wave drawn as a sine from x0 to x1 around mid; its height follows
// amplitude(t), t running from 0 to 1 over the span.
QPainterPath wavePath(double x0, double x1, double mid, double cycles, const std::function<double(double)>& amplitude)
{
    QPainterPath path;
    const int steps = 48;
    for (int i = 0; i <= steps; ++i) {
        const double t = double(i) / steps;
        const QPointF point(x0 + (x1 - x0) * t, mid - amplitude(t) * std::sin(t * cycles * 2 * M_PI));
        if (i == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    return path;
}

// The screen every wave picture is drawn on.
void waveScreen(QPainter& p)
{
    p.setPen(pen(Ink, 1.0));
    p.setBrush(Paper);
    p.drawRoundedRect(QRectF(1.5, 4.5, 29, 23), 2.5, 2.5);
}

void drawWave(QPainter& p, const QPainterPath& path, const QColor& c = Blue, double width = 1.4)
{
    p.setPen(pen(c, width));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

// Fit: the whole wave between two brackets that hold it to the view.
void waveFit(QPainter& p)
{
    waveScreen(p);
    drawWave(p, wavePath(8, 24, 16, 3, [](double t) { return 7 * (1 - t * 0.6); }));
    p.setPen(pen(Green, 2.0));
    for (double x : {4.5, 27.5}) {
        const double in = x < 16 ? 2 : -2;
        p.drawLine(QPointF(x + in, 8), QPointF(x, 8));
        p.drawLine(QPointF(x, 8), QPointF(x, 24));
        p.drawLine(QPointF(x, 24), QPointF(x + in, 24));
    }
}

// Trim: the parts outside two cut lines greyed out.
void waveTrim(QPainter& p)
{
    waveScreen(p);
    const QPainterPath wave = wavePath(4, 28, 16, 4, [](double) { return 7.0; });
    p.save();
    p.setClipRect(QRectF(11, 0, 10, Size));
    drawWave(p, wave);
    p.setClipRect(QRectF(0, 0, 11, Size));
    drawWave(p, wave, QColor(185, 188, 196));
    p.setClipRect(QRectF(21, 0, 11, Size));
    drawWave(p, wave, QColor(185, 188, 196));
    p.restore();
    p.setPen(pen(Red, 1.6));
    for (double x : {11.0, 21.0})
        p.drawLine(QPointF(x, 6), QPointF(x, 26));
}

// Normalize: a small wave raised to the full height, arrows up and down.
void waveNorm(QPainter& p)
{
    waveScreen(p);
    p.setPen(pen(QColor(170, 174, 184), 0.8));
    p.drawLine(QPointF(3, 7.5), QPointF(29, 7.5));
    p.drawLine(QPointF(3, 24.5), QPointF(29, 24.5));
    drawWave(p, wavePath(4, 20, 16, 2.5, [](double) { return 7.5; }));
    arrow(p, QPointF(25, 14), QPointF(25, 6.5), Orange, 2.2);
    arrow(p, QPointF(25, 18), QPointF(25, 25.5), Orange, 2.2);
}

// Crossfade: a falling and a rising ramp crossing over the loop.
void waveXfade(QPainter& p)
{
    waveScreen(p);
    drawWave(p, wavePath(4, 28, 16, 5, [](double t) { return 3 + 3 * std::abs(2 * t - 1); }), QColor(150, 170, 210),
             1.0);
    p.setPen(pen(Green, 2.0));
    p.drawLine(QPointF(5, 8), QPointF(27, 24));
    p.setPen(pen(Orange, 2.0));
    p.drawLine(QPointF(5, 24), QPointF(27, 8));
}

// Ping-pong: a wave followed by its mirror, and an arrow each way.
void wavePingPong(QPainter& p)
{
    waveScreen(p);
    drawWave(p, wavePath(4, 16, 18, 1.5, [](double t) { return 2 + 5 * t; }));
    drawWave(p, wavePath(16, 28, 18, 1.5, [](double t) { return -(7 - 5 * t); }), Green);
    arrow(p, QPointF(14, 8.5), QPointF(5, 8.5), Blue, 1.8);
    arrow(p, QPointF(18, 8.5), QPointF(27, 8.5), Green, 1.8);
}

std::vector<Image> waveImages()
{
    return {
        {"wave_fit", waveFit},   {"wave_trim", waveTrim},     {"wave_norm", waveNorm},
        {"wave_xfade", waveXfade}, {"wave_pp", wavePingPong},
    };
}

// --- choice strips -------------------------------------------------------------------
//
// A combo shows the picture of its value beside its text: frame i of a strip
// of equal frames side by side. The control paints a picture as a stencil
// in its text colour (dark lines strong, the clear background clear), so
// these are dark lines on nothing.

constexpr int FrameWidth = 16;
constexpr int FrameHeight = 14;

// Draws each frame with its own origin at the frame's top left.
Draw strip(std::vector<Draw> frames)
{
    return [frames](QPainter& p) {
        for (size_t i = 0; i < frames.size(); ++i) {
            p.save();
            p.translate(double(i) * FrameWidth, 0);
            frames[i](p);
            p.restore();
        }
    };
}

// A curve through points given in a 0..1 square, y up, in the frame's box.
void frameCurve(QPainter& p, const std::vector<QPointF>& points, double width = 1.4)
{
    QPainterPath path;
    for (size_t i = 0; i < points.size(); ++i) {
        const QPointF at(2 + points[i].x() * (FrameWidth - 4), FrameHeight - 2 - points[i].y() * (FrameHeight - 4));
        if (i == 0)
            path.moveTo(at);
        else
            path.lineTo(at);
    }
    p.setPen(pen(Ink, width));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

// The velocity curve y(x) over the velocity axis, with the axes in grey.
Draw velocityCurve(std::function<double(double)> y)
{
    return [y](QPainter& p) {
        p.setPen(pen(QColor(150, 150, 150), 0.8));
        p.drawLine(QPointF(1.5, 1.5), QPointF(1.5, FrameHeight - 1.5));
        p.drawLine(QPointF(1.5, FrameHeight - 1.5), QPointF(FrameWidth - 1.5, FrameHeight - 1.5));
        std::vector<QPointF> points;
        for (int i = 0; i <= 24; ++i)
            points.emplace_back(i / 24.0, y(i / 24.0));
        frameCurve(p, points);
    };
}

// norm, soft, hard, wide, fixed.
void velocityCurves(QPainter& p)
{
    strip({
        velocityCurve([](double x) { return x; }),
        velocityCurve([](double x) { return std::sqrt(x); }),
        velocityCurve([](double x) { return x * x; }),
        velocityCurve([](double x) { return 0.5 + 0.5 * std::tanh(5 * (x - 0.5)) / std::tanh(2.5); }),
        velocityCurve([](double) { return 0.6; }),
    })(p);
}

// One period and a bit of a wave given by its corner points (x over two
// periods, y from 0 to 1).
Draw lfoWave(std::vector<QPointF> points)
{
    return [points](QPainter& p) {
        p.setPen(pen(QColor(150, 150, 150), 0.6));
        p.drawLine(QPointF(1, FrameHeight / 2.0), QPointF(FrameWidth - 1, FrameHeight / 2.0));
        frameCurve(p, points);
    };
}

// A square wave whose high part takes duty of each period.
Draw pulse(double duty)
{
    const double d = duty / 2;
    return lfoWave({{0, 0}, {0, 1}, {d, 1}, {d, 0}, {0.5, 0}, {0.5, 1}, {0.5 + d, 1}, {0.5 + d, 0}, {1, 0}});
}

// tri, tri+, saw up, saw down, four pulses, squ, trapezoid, two
// sample-and-holds and the user wave.
void lfoWaves(QPainter& p)
{
    const Draw triPlus = [](QPainter& q) {
        lfoWave({{0, 0.5}, {0.125, 1}, {0.375, 0}, {0.625, 1}, {0.875, 0}, {1, 0.5}})(q);
        // The plus: a second triangle, its corners held.
        frameCurve(q, {{0.1, 0.95}, {0.15, 0.95}}, 2.2);
        frameCurve(q, {{0.6, 0.95}, {0.65, 0.95}}, 2.2);
    };
    const Draw user = [](QPainter& q) {
        lfoWave({{0, 0.5},  {0.1, 0.9}, {0.2, 0.7}, {0.3, 1},   {0.4, 0.2}, {0.5, 0.5},
                 {0.6, 0.9}, {0.7, 0.7}, {0.8, 1},   {0.9, 0.2}, {1, 0.5}})(q);
        q.setPen(Qt::NoPen);
        q.setBrush(Ink);
        for (double x : {0.3, 0.8})
            q.drawEllipse(QPointF(2 + x * (FrameWidth - 4), 2), 1.1, 1.1);
    };
    strip({
        lfoWave({{0, 0.5}, {0.125, 1}, {0.375, 0}, {0.625, 1}, {0.875, 0}, {1, 0.5}}),
        triPlus,
        lfoWave({{0, 0}, {0.5, 1}, {0.5, 0}, {1, 1}}),
        lfoWave({{0, 1}, {0.5, 0}, {0.5, 1}, {1, 0}}),
        pulse(0.25),
        pulse(1.0 / 3),
        pulse(0.5),
        pulse(2.0 / 3),
        pulse(0.75),
        lfoWave({{0, 0}, {0.1, 1}, {0.25, 1}, {0.35, 0}, {0.5, 0}, {0.6, 1}, {0.75, 1}, {0.85, 0}, {1, 0}}),
        lfoWave({{0, 0.3}, {0.2, 0.3}, {0.2, 0.9}, {0.4, 0.9}, {0.4, 0.1}, {0.6, 0.1}, {0.6, 0.7}, {0.8, 0.7},
                 {0.8, 0.4}, {1, 0.4}}),
        lfoWave({{0, 0.6}, {0.2, 0.2}, {0.4, 0.8}, {0.6, 0.1}, {0.8, 0.9}, {1, 0.4}}),
        user,
    })(p);
}

std::vector<Image> instrumentImages()
{
    return {
        {"v2p", voiceToPart},
        {"velocurves", velocityCurves, 5 * FrameWidth, FrameHeight},
        {"lfowaves", lfoWaves, 13 * FrameWidth, FrameHeight},
    };
}

std::vector<Image> images()
{
    return {
        {"open", [](QPainter& p) { folder(p, Folder, FolderDark, true); }},
        {"save", [](QPainter& p) { floppy(p, Blue); }},
        {"save2",
         [](QPainter& p) {
             floppy(p, QColor(96, 104, 120));
             arrow(p, QPointF(24, 1), QPointF(24, 15), Green, 3.5);
         }},
        {"new",
         [](QPainter& p) {
             page(p, QRectF(6, 3, 20, 26));
             p.setPen(pen(Orange, 2.0));
             for (int i = 0; i < 4; ++i) {
                 const double a = i * M_PI / 4;
                 p.drawLine(QPointF(9 + 5 * std::cos(a), 9 + 5 * std::sin(a)),
                            QPointF(9 - 5 * std::cos(a), 9 - 5 * std::sin(a)));
             }
         }},
        {"receive",
         [](QPainter& p) {
             box(p, QRectF(3, 3, 26, 9), QColor(120, 128, 140));
             arrow(p, QPointF(16, 12), QPointF(16, 30), Green);
         }},
        {"store",
         [](QPainter& p) {
             box(p, QRectF(3, 3, 26, 9), QColor(120, 128, 140));
             arrow(p, QPointF(16, 30), QPointF(16, 12), Red);
         }},
        {"delete",
         [](QPainter& p) {
             p.setPen(pen(Red.darker(130), 6.0));
             p.drawLine(QPointF(7, 7), QPointF(25, 25));
             p.drawLine(QPointF(25, 7), QPointF(7, 25));
             p.setPen(pen(Red.lighter(130), 3.0));
             p.drawLine(QPointF(7, 7), QPointF(25, 25));
             p.drawLine(QPointF(25, 7), QPointF(7, 25));
         }},
        {"dup",
         [](QPainter& p) {
             page(p, QRectF(3, 2, 17, 22), QColor(220, 224, 232));
             page(p, QRectF(11, 8, 17, 22));
             badge(p, QPointF(24, 25), Green, true);
         }},
        {"searchfile",
         [](QPainter& p) {
             page(p, QRectF(3, 2, 20, 26));
             textLines(p, QRectF(6, 10, 12, 14), 5);
             magnifier(p, QPointF(18, 17), 6, Ink);
         }},
        {"midi", [](QPainter& p) { midiPlug(p, QColor(60, 64, 72)); }},
        {"midi2",
         [](QPainter& p) {
             midiPlug(p, Blue);
             p.setPen(pen(Orange, 2.0));
             p.setBrush(Qt::NoBrush);
             p.drawEllipse(QPointF(16, 16), 15, 15);
         }},
        {"piano", [](QPainter& p) { keyboard(p); }},
        {"properties",
         [](QPainter& p) {
             page(p, QRectF(5, 2, 22, 28));
             p.setPen(Qt::NoPen);
             p.setBrush(Blue);
             for (int i = 0; i < 4; ++i)
                 p.drawRect(QRectF(8, 9 + i * 5, 3, 3));
             textLines(p, QRectF(13, 10.5, 10, 15), 4, Ink);
         }},
        {"copy2",
         [](QPainter& p) {
             page(p, QRectF(3, 2, 17, 22));
             textLines(p, QRectF(6, 9, 9, 10), 3);
             page(p, QRectF(12, 8, 17, 22));
             textLines(p, QRectF(15, 15, 9, 10), 3);
         }},
        {"paste2",
         [](QPainter& p) {
             p.setPen(pen(QColor(120, 80, 40), 1.2));
             p.setBrush(QColor(190, 140, 80));
             p.drawRoundedRect(QRectF(4, 4, 20, 26), 2, 2);
             p.setBrush(QColor(170, 174, 180));
             p.drawRect(QRectF(10, 2, 8, 5));
             page(p, QRectF(13, 11, 16, 19));
             textLines(p, QRectF(16, 18, 8, 8), 3);
         }},
        {"from",
         [](QPainter& p) {
             box(p, QRectF(2, 6, 9, 20), QColor(120, 128, 140));
             arrow(p, QPointF(30, 16), QPointF(12, 16), Blue);
         }},
        {"to",
         [](QPainter& p) {
             box(p, QRectF(21, 6, 9, 20), QColor(120, 128, 140));
             arrow(p, QPointF(2, 16), QPointF(20, 16), Blue);
         }},
        {"zoomin",
         [](QPainter& p) {
             magnifier(p, QPointF(13, 13), 9, Ink);
             p.setPen(pen(Ink, 2.5));
             p.drawLine(QPointF(8, 13), QPointF(18, 13));
             p.drawLine(QPointF(13, 8), QPointF(13, 18));
         }},
        {"zoomout",
         [](QPainter& p) {
             magnifier(p, QPointF(13, 13), 9, Ink);
             p.setPen(pen(Ink, 2.5));
             p.drawLine(QPointF(8, 13), QPointF(18, 13));
         }},
        {"misc/up", [](QPainter& p) { triangle(p, true, Blue); }},
        {"misc/down", [](QPainter& p) { triangle(p, false, Blue); }},
        {"sl2/undo", [](QPainter& p) { turnArrow(p, true, Blue); }},
        {"sl2/redo", [](QPainter& p) { turnArrow(p, false, Blue); }},
        {"gnu/cc-new2",
         [](QPainter& p) {
             page(p, QRectF(5, 2, 20, 26));
             badge(p, QPointF(23, 24), Green, true);
         }},
        {"gnu/cc-open2", [](QPainter& p) { folder(p, QColor(120, 160, 220), QColor(72, 112, 176), true); }},
        {"gnu/gn-undo", [](QPainter& p) { turnArrow(p, true, Orange); }},
        {"gnu/nv-find", [](QPainter& p) { magnifier(p, QPointF(12, 12), 8.5, QColor(90, 90, 96)); }},
        {"nuvola/options", [](QPainter& p) { gear(p, QColor(140, 146, 156)); }},
        {"nuvola/pdf",
         [](QPainter& p) {
             page(p, QRectF(5, 2, 22, 28));
             p.setPen(Qt::NoPen);
             p.setBrush(Red);
             p.drawRect(QRectF(5.6, 18, 20.8, 7));
             textLines(p, QRectF(9, 9, 12, 5), 2);
         }},
        {"tango/colors",
         [](QPainter& p) {
             p.setPen(pen(Ink, 1.0));
             p.setBrush(QColor(220, 40, 40, 210));
             p.drawEllipse(QPointF(11, 11), 8, 8);
             p.setBrush(QColor(40, 180, 60, 210));
             p.drawEllipse(QPointF(21, 11), 8, 8);
             p.setBrush(QColor(40, 90, 220, 210));
             p.drawEllipse(QPointF(16, 20), 8, 8);
         }},
    };
}


// --- the editor programs -----------------------------------------------------------

// A program's colour and the emblem on its icon, drawn in a 32 x 32 box.
struct ProgramLook
{
    const char* name;
    QColor colour;
    Draw emblem;
};

// A voice: one wave.
void waveEmblem(QPainter& p)
{
    QPainterPath wave;
    wave.moveTo(6, 16);
    wave.cubicTo(9, 4, 12, 4, 16, 16);
    wave.cubicTo(20, 28, 23, 28, 26, 16);
    p.setPen(pen(Paper, 3.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(wave);
}

// A drum kit: a drum seen from the front, and a stick.
void drumEmblem(QPainter& p)
{
    p.setPen(pen(Paper, 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(7, 9, 18, 6));
    p.drawLine(QPointF(7, 12), QPointF(7, 21));
    p.drawLine(QPointF(25, 12), QPointF(25, 21));
    p.drawArc(QRectF(7, 18, 18, 6), 180 * 16, 180 * 16);
    p.drawLine(QPointF(19, 4), QPointF(27, 9));
}

// A performance: four parts side by side.
void partsEmblem(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Paper);
    const double heights[] = {14, 20, 10, 17};
    for (int i = 0; i < 4; ++i)
        p.drawRoundedRect(QRectF(6 + i * 5.5, 26 - heights[i], 4, heights[i]), 1, 1);
}

// A master: zones over a keyboard's range.
void zonesEmblem(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Paper);
    p.drawRoundedRect(QRectF(5, 8, 12, 4), 1, 1);
    p.drawRoundedRect(QRectF(13, 14, 14, 4), 1, 1);
    p.drawRoundedRect(QRectF(8, 20, 16, 4), 1, 1);
    p.setPen(pen(Paper, 1.2));
    p.drawLine(QPointF(5, 27), QPointF(27, 27));
}

// A mix: three faders.
void fadersEmblem(QPainter& p)
{
    const double knobs[] = {19, 11, 15};
    for (int i = 0; i < 3; ++i) {
        const double x = 9 + i * 7;
        p.setPen(pen(Paper, 1.5));
        p.drawLine(QPointF(x, 6), QPointF(x, 26));
        p.setPen(Qt::NoPen);
        p.setBrush(Paper);
        p.drawRoundedRect(QRectF(x - 3, knobs[i] - 2, 6, 4), 1, 1);
    }
}

// A library: books on a shelf.
void shelfEmblem(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Paper);
    const double heights[] = {16, 19, 14, 18};
    for (int i = 0; i < 4; ++i)
        p.drawRoundedRect(QRectF(6 + i * 5, 25 - heights[i], 4, heights[i]), 1, 1);
    p.save();
    p.translate(26, 25);
    p.rotate(-18);
    p.drawRoundedRect(QRectF(-4, -17, 4, 17), 1, 1);
    p.restore();
    p.setPen(pen(Paper, 1.5));
    p.drawLine(QPointF(5, 27), QPointF(28, 27));
}

const std::vector<ProgramLook>& programLooks()
{
    static const std::vector<ProgramLook> looks = {
        {"VeskVoice", QColor(48, 100, 192), waveEmblem},   {"VeskDrum", QColor(192, 72, 48), drumEmblem},
        {"VeskPerf", QColor(56, 140, 72), partsEmblem},    {"VeskMaster", QColor(120, 72, 168), zonesEmblem},
        {"VeskMix", QColor(200, 128, 32), fadersEmblem},   {"VeskLib", QColor(40, 128, 140), shelfEmblem},
    };
    return looks;
}

const ProgramLook* programLook(const QString& name)
{
    for (const ProgramLook& look : programLooks()) {
        if (name == QLatin1String(look.name))
            return &look;
    }
    return nullptr;
}

// The program's icon: a rounded tile in its colour under its emblem.
void programIcon(QPainter& p, const ProgramLook& look)
{
    QLinearGradient fill(0, 0, 0, 32);
    fill.setColorAt(0, look.colour.lighter(125));
    fill.setColorAt(1, look.colour.darker(125));
    p.setPen(pen(look.colour.darker(160), 1.0));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(1.5, 1.5, 29, 29), 6, 6);
    look.emblem(p);
}

// The splash: the icon large on a band in the program's colour, with a
// row of keys below; no text, so it looks the same on every machine.
QImage programSplash(const ProgramLook& look)
{
    QImage canvas(420, 240, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient band(0, 0, 420, 240);
    band.setColorAt(0, look.colour.darker(170));
    band.setColorAt(1, look.colour.darker(110));
    p.setPen(Qt::NoPen);
    p.setBrush(band);
    p.drawRoundedRect(QRectF(0, 0, 420, 240), 10, 10);
    p.save();
    p.translate(40, 36);
    p.scale(4, 4);
    programIcon(p, look);
    p.restore();
    // The instrument's keys.
    p.setPen(pen(Ink, 1.0));
    for (int i = 0; i < 14; ++i) {
        p.setBrush(Paper);
        p.drawRect(QRectF(190 + i * 15, 150, 15, 60));
    }
    p.setBrush(Ink);
    for (int i = 0; i < 13; ++i) {
        if (i % 7 == 2 || i % 7 == 6)
            continue;
        p.drawRect(QRectF(190 + i * 15 + 10, 150, 10, 36));
    }
    // Level bars over them.
    p.setPen(Qt::NoPen);
    p.setBrush(look.colour.lighter(150));
    for (int i = 0; i < 8; ++i)
        p.drawRoundedRect(QRectF(196 + i * 26, 120 - (i * 37 % 70), 14, 10 + (i * 37 % 70)), 2, 2);
    return canvas;
}

// The mix editor's tool-bar images: Reset Mix (faders back to the middle)
// and GM Reset Mix (a reset with the General MIDI badge).
void resetImage(QPainter& p)
{
    turnArrow(p, true, Orange);
}

void gmResetImage(QPainter& p)
{
    turnArrow(p, true, Green);
    badge(p, QPointF(23, 24), Blue, true);
}

QImage drawn(int size, const Draw& draw)
{
    QImage canvas(size, size, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / double(Size), size / double(Size));
    draw(painter);
    return canvas;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size())
        return false;
    return file.commit();
}

bool writeImage(const QString& path, const QImage& image)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (!image.save(&file, "PNG"))
        return false;
    return file.commit();
}

// Paints every image into out; with qrc, lists each in it.
bool drawAll(const std::vector<Image>& list, const QDir& out, QTextStream* qrc)
{
    for (const Image& image : list) {
        const QString name = QString::fromLatin1(image.name) + QStringLiteral(".png");
        const QString path = out.filePath(name);
        if (!out.mkpath(QFileInfo(name).path())) {
            std::fprintf(stderr, "make_icons: cannot make the folder of %s\n", qPrintable(path));
            return false;
        }
        QImage canvas(image.width, image.height, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        {
            QPainter painter(&canvas);
            painter.setRenderHint(QPainter::Antialiasing);
            image.draw(painter);
        }
        if (!writeImage(path, canvas)) {
            std::fprintf(stderr, "make_icons: cannot write %s\n", qPrintable(path));
            return false;
        }
        if (qrc)
            *qrc << "    <file>" << name << "</file>\n";
    }
    return true;
}

// The librarian's own images: its two document kinds, the editors it starts
// and the patch list's icons of the patch types.
void librarianImages(const ProgramLook& look, std::vector<std::pair<QString, QImage>>& files)
{
    // A document: a page with its corner turned, marked by its kind.
    const auto document = [](QColor colour, bool voices) {
        return [colour, voices](QPainter& p) {
            QPolygonF page;
            page << QPointF(7, 3) << QPointF(20, 3) << QPointF(26, 9) << QPointF(26, 29) << QPointF(7, 29);
            p.setPen(pen(Ink, 1.2));
            p.setBrush(Paper);
            p.drawPolygon(page);
            p.drawLine(QPointF(20, 3), QPointF(20, 9));
            p.drawLine(QPointF(20, 9), QPointF(26, 9));
            p.setPen(Qt::NoPen);
            p.setBrush(colour);
            const int rows = voices ? 2 : 4;
            for (int i = 0; i < rows; ++i)
                p.drawRoundedRect(QRectF(10, 12 + i * 4.5, 13, 3), 1, 1);
        };
    };
    files.emplace_back(QStringLiteral("RidevLibrary.png"), drawn(Size, document(look.colour, false)));
    files.emplace_back(QStringLiteral("VoiceLibrary.png"), drawn(Size, document(QColor(48, 100, 192), true)));
    // The editors, as their own icons, small.
    const char* const editors[][2] = {{"VeskVoice", "VeskVoice-small"}, {"VeskDrum", "VeskDrum-small"},
                                      {"VeskPerf", "VeskPerf"},         {"VeskMix", "VeskMix"},
                                      {"VeskMaster", "VeskMaster"}};
    for (const auto& editor : editors) {
        const ProgramLook* other = programLook(QLatin1String(editor[0]));
        files.emplace_back(QStringLiteral("%1.png").arg(QLatin1String(editor[1])),
                           drawn(16, [other](QPainter& p) { programIcon(p, *other); }));
    }
    // The patch list: an empty slot, then each patch type in its editor's
    // colour (the PLG voices in the voice editor's, lighter).
    files.emplace_back(QStringLiteral("tree/empty.png"), drawn(16, [](QPainter& p) {
                           p.setPen(pen(Ink, 1.5));
                           p.setBrush(Qt::NoBrush);
                           p.drawRoundedRect(QRectF(5, 5, 22, 22), 4, 4);
                       }));
    const std::pair<const char*, const char*> types[] = {{"voice", "VeskVoice"},     {"drumkit", "VeskDrum"},
                                                         {"plgvoice", "VeskVoice"},  {"performance", "VeskPerf"},
                                                         {"mix", "VeskMix"},         {"master", "VeskMaster"}};
    for (const auto& [type, program] : types) {
        ProgramLook shade = *programLook(QLatin1String(program));
        if (std::strcmp(type, "plgvoice") == 0)
            shade.colour = shade.colour.lighter(140);
        files.emplace_back(QStringLiteral("tree/%1.png").arg(QLatin1String(type)),
                           drawn(16, [shade](QPainter& p) { programIcon(p, shade); }));
    }
}

// The program's images (desktop: its icon in the theme's sizes) into out.
bool drawProgram(const QString& name, const QDir& out, bool desktop)
{
    const ProgramLook* look = programLook(name);
    if (!look) {
        std::fprintf(stderr, "make_icons: no program %s\n", qPrintable(name));
        return false;
    }
    const Draw icon = [look](QPainter& p) { programIcon(p, *look); };
    std::vector<std::pair<QString, QImage>> files;
    if (desktop) {
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
            files.emplace_back(QStringLiteral("%1x%1/apps/%2.png").arg(size).arg(name), drawn(size, icon));
    } else {
        files.emplace_back(QStringLiteral("splash_es.png"), programSplash(*look));
        files.emplace_back(QStringLiteral("icon101.png"), drawn(48, icon));
        // The about box's picture.
        files.emplace_back(name + QStringLiteral(".png"), drawn(48, icon));
        if (name == QLatin1String("VeskMix")) {
            files.emplace_back(QStringLiteral("reset.png"), drawn(Size, resetImage));
            files.emplace_back(QStringLiteral("gm.png"), drawn(Size, gmResetImage));
        }
        if (name == QLatin1String("VeskLib"))
            librarianImages(*look, files);
    }
    for (const auto& [file, image] : files) {
        const QString path = out.filePath(file);
        if (!out.mkpath(QFileInfo(file).path()) || !writeImage(path, image)) {
            std::fprintf(stderr, "make_icons: cannot write %s\n", qPrintable(path));
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && (std::strcmp(argv[1], "--program") == 0 || std::strcmp(argv[1], "--desktop") == 0))
        return drawProgram(QString::fromLatin1(argv[2]), QDir(QString::fromLocal8Bit(argv[3])),
                           std::strcmp(argv[1], "--desktop") == 0)
                   ? 0
                   : 1;
    const bool instrument = argc == 3 && std::strcmp(argv[1], "--instrument") == 0;
    const bool waves = argc == 3 && std::strcmp(argv[1], "--waves") == 0;
    if (argc != 2 && !instrument && !waves) {
        std::fprintf(stderr, "usage: make_icons [--instrument | --waves] <folder>\n"
                             "       make_icons --program|--desktop <Program> <folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[argc - 1]));
    if (instrument)
        return drawAll(instrumentImages(), out, nullptr) ? 0 : 1;
    if (waves)
        return drawAll(waveImages(), out, nullptr) ? 0 : 1;

    QString list;
    QTextStream qrc(&list);
    qrc << "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n  <qresource prefix=\"/core/images\">\n";
    if (!drawAll(images(), out, &qrc))
        return 1;
    qrc << "  </qresource>\n</RCC>\n";
    qrc.flush();
    if (!writeFile(out.filePath(QStringLiteral("coreimages.qrc")), list.toUtf8())) {
        std::fprintf(stderr, "make_icons: cannot write the resource list\n");
        return 1;
    }
    return 0;
}
