// Colour arithmetic and the small painting helpers that the panels, controls
// and editor windows draw with.
//
// Every painting helper takes the painter as a pointer and does nothing when
// it is null or when a colour it needs is invalid (a scheme read from damaged
// settings may hold invalid colours; they paint nothing rather than black).
// Rectangles are inclusive at all four corners, as QRect's right() and
// bottom() are. Helpers leave the painter's pen, brush and hints as they were.
#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRgb>

class QPainter;

// --- Colours -------------------------------------------------------------

// Mixes a and b: f = 0 gives a, f = 1 gives b, between them a straight blend
// of each channel, alpha included. f is clamped to 0..1.
QColor MergeColors(const QColor& a, const QColor& b, double f);

// c with the given opacity, 0 (clear) to 255 (opaque); clamped.
QColor BlendColor(const QColor& c, int alpha);

// A lighter or darker shade: every colour channel multiplied by f and then
// moved by delta, each clamped to 0..255. GetColor(c, 0, 0.8) is c at 80 %
// brightness, GetColor(c, 0, 1.1) a tenth brighter. Alpha is kept.
QColor GetColor(const QColor& c, int delta, double f);

// A shade taken in hue, saturation and value: the saturation multiplied by
// saturation, the value (brightness) by value, each clamped. Hue and alpha
// are kept. GetColor2(c, 1.0, 0.6) is c at 60 % brightness.
QColor GetColor2(const QColor& c, double saturation, double value);

// How far apart two colours stand for the eye: the ratio of their relative
// luminances (each plus 0.05), 1 for equal colours, 21 for black on white.
// Alpha is ignored.
double ContrastRatio(const QColor& a, const QColor& b);

// The contrast that text needs to be read with ease against what it stands
// on.
constexpr double ReadableContrast = 4.5;

// wanted, when it reads on background (ContrastRatio at least
// ReadableContrast); else wanted moved toward black or white, whichever
// reads better, by as little as it takes, so its hue still shows. An
// invalid colour stays invalid.
QColor ReadableOn(const QColor& background, const QColor& wanted);

// Colour words, as the scheme tables keep them, hold red in the low byte, then green, then
// blue (0x00BBGGRR). The top byte of a word is ignored; the RGB value made
// from it is opaque, and the word made from an RGB value drops the alpha.
QRgb colorref2qrgb(uint colorref);
uint qrgb2colorref(QRgb rgb);

// --- Painting ------------------------------------------------------------

// Fills r with c; a translucent c blends over what is there.
void FillRect(QPainter* p, const QRect& r, const QColor& c);

// Fills r with a straight gradient from `from` to `to`: top to bottom when
// vertical is true, left to right when it is false. steps below 2 gives a
// smooth gradient; 2 or more gives that many flat bands of even size.
void FillGradient(QPainter* p, const QRect& r, const QColor& from, const QColor& to, bool vertical = true,
                  int steps = -1);

// Like FillGradient, but the blend eases out: it leaves c1 quickly and
// settles on c2, the look of a shadow cast from the starting edge.
void FillGradient2(QPainter* p, const QRect& r, const QColor& c1, const QColor& c2, bool vertical = true);

// Repeats the image over r, its first copy at r's top-left corner.
void DrawTiled(QPainter* p, const QRect& r, const QImage& image);

// One-pixel lines, both ends included. The points may come in any order.
void DrawHLine(QPainter* p, int y, int x1, int x2, const QColor& c, Qt::PenStyle style = Qt::SolidLine);
void DrawVLine(QPainter* p, int x, int y1, int y2, const QColor& c, Qt::PenStyle style = Qt::SolidLine);
void DrawLine(QPainter* p, const QPoint& a, const QPoint& b, const QColor& c,
              Qt::PenStyle style = Qt::SolidLine);

// A one-pixel frame on the outermost pixels of r.
void DrawRect(QPainter* p, const QRect& r, const QColor& c);
