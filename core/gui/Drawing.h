// The drawing functions of the controls: boxes, texts, captions, sliders,
// spots, arrows, check marks, smooth lines and circles, range bars, and the
// picture strips of list controls.
//
// The same rules as Colors.h: the painter comes as a pointer, and a null
// painter or an invalid colour that a step needs paints nothing of that step;
// rectangles are inclusive at all four corners; every function leaves the
// painter's pen, brush, font and hints as it found them. Text functions draw
// with the painter's font and pen, which the caller sets first.
#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QString>

class QPainter;
class QWidget;

// --- Texts -------------------------------------------------------------------

// One line of text in r, vertically centred; horizontally centred when
// centred is set, else from the left. mnemonic: Qt text flags for the "&"
// marks (Qt::TextShowMnemonic, Qt::TextHideMnemonic), 0 to draw "&" as it is.
// Text wider than r is clipped at r.
void DrawText(QPainter* p, const QRect& r, const QString& text, bool centred, int mnemonic);
// The same, aligned to the right of r.
void DrawTextR(QPainter* p, const QRect& r, const QString& text, int mnemonic);
// Text with an engraved look: the text in shade one pixel lower, then the
// text in the painter's pen over it.
void DrawEtchedText(QPainter* p, const QRect& r, const QString& text, const QColor& shade, bool centred,
                    int mnemonic);
// The mnemonic flags for a label's text: Qt::TextShowMnemonic when the label
// gives the focus to a buddy (its "&" letter works), else 0. 0 for null.
int GetMnemonic(const QWidget* label);
// A copy of font, sizeDelta points larger (smaller when negative, never
// below 1 point), made bold when bold is set.
QFont GetFont(const QFont& font, int sizeDelta, bool bold);

// --- Boxes and bars ------------------------------------------------------------

// A control's box over r: filled with controls, framed in border, or in
// selBorder (two pixels wide) when focus is set; lighter under the mouse
// (hover); when not enabled the fill fades toward panel and the frame is
// drawn lighter. The four corner pixels take the panel colour, which rounds
// the box off against the panel behind it.
void DrawBox(QPainter* p, const QRect& r, bool focus, bool hover, bool enabled, const QColor& selBorder,
             const QColor& border, const QColor& panel, const QColor& controls);
// The caption bar of a panel over r: a gradient from a lighter to a darker
// shade of c, with a darker last row.
void DrawCaptionGradient(QPainter* p, const QRect& r, const QColor& c);

// A bar in r for value v on the scale lo..hi: from the left edge to the
// pixel of v (GetRelativePos of Pointer.h over r's width), or from the right edge
// leftward when reversed; a gradient from c2 at the top to c1 at the bottom.
// Nothing for v <= lo.
void DrawSlider(QPainter* p, const QRect& r, const QColor& c1, const QColor& c2, int lo, int hi, int v,
                bool reversed);
// A mark size pixels wide at the pixel of v on the scale lo..hi, over r's
// full height, kept inside r. Nothing for v outside lo..hi.
void DrawSpot(QPainter* p, const QRect& r, const QColor& c, int lo, int hi, int v, int size);
// A range bar over r on the scale min..max: the background dotted in line,
// one dot every dotStep + 1 pixels (dotStep 0: a full line), and the span
// from low to high filled with fill. low above high marks the two ends that
// wrap around: min..high and low..max. Nothing is filled when either is
// -1. style 1 also frames the filled span in line; style 0 does not.
void DottedFill(QPainter* p, const QRect& r, const QColor& line, const QColor& fill, int min, int max,
                int low, int high, int dotStep, int style);

// --- Marks ---------------------------------------------------------------------

// A small solid triangle, 7 pixels wide and 4 high, with its tip at pt:
// pointing down (tip at the bottom) or up.
void DrawArrow(QPainter* p, const QPoint& pt, const QColor& c, bool down);
// A check mark inside box, in lines width pixels wide.
void DrawCheck(QPainter* p, const QRect& box, const QColor& c, int width);
// A smooth (antialiased) line from a to b, one pixel wide.
void DrawNiceLine(QPainter* p, const QPoint& a, const QPoint& b, const QColor& c);
// A smooth circle filling r: its inside in fill, its rim in rim.
void DrawNiceCircle(QPainter* p, const QRect& r, const QColor& fill, const QColor& rim);

// --- Rectangles ----------------------------------------------------------------

// Cuts r in two at w pixels from its left edge (from its top when vertical):
// first gets those w pixels, second the rest. w is kept within 0..the
// size of r; a part of no pixels is an empty rectangle.
void SplitRect(const QRect& r, int w, bool vertical, QRect& first, QRect& second);

// --- Pictures ------------------------------------------------------------------

// Picture index of a strip of count pictures side by side in the icon's
// image: the strip is cut into count equal parts. A null pixmap for a null
// icon, count below 1, or index outside 0..count - 1.
QPixmap Icon2Pixmap(const QIcon& icon, int index, int count);
// Draws the picture at the left of r, vertically centred, as a stencil:
// pixels of the colour background stay clear and every other pixel takes
// color, as strong as it is dark. Returns the width drawn, 0 for a null
// pixmap.
int DrawAlteredPixmap(QPainter* p, const QRect& r, const QPixmap& pixmap, const QColor& background,
                      const QColor& color);
