// The mouse pointer and the mapping between pointer positions and values,
// for sliders and relative drags. GUI thread only.
#pragma once

#include <QPoint>
#include <QRect>

// Hides (false) or shows (true) the pointer over the whole program. Calls do
// not stack: one ShowMouse(true) shows it again however often it was hidden.
void ShowMouse(bool show);
// Whether ShowMouse(false) is in force.
bool IsMouseHidden();
// Puts the pointer at a position on the screen (global coordinates).
void MoveMouse(const QPoint& global);

// A control's hold on the hidden pointer during a relative drag. The pointer
// is hidden for the whole program, so a control deleted in the middle of a
// drag (its panel reloaded, its window closed) must not leave it hidden: the
// hold shows it again when it goes.
class PointerHold
{
public:
    PointerHold() = default;
    ~PointerHold() { show(); }
    PointerHold(const PointerHold&) = delete;
    PointerHold& operator=(const PointerHold&) = delete;

    // Hides the pointer (again: something may have shown it meanwhile).
    void hide();
    // Shows the pointer when this hold hid it; nothing otherwise.
    void show();
    bool isHiding() const { return m_hiding; }

private:
    bool m_hiding = false;
};

// The value under point p of a scale min..max laid over r: along r's width
// from min at the left edge to max at the right edge (horizontal), or along
// its height from min at the bottom to max at the top. Points beyond r give
// the nearer end. min when max <= min.
int PointToValue(const QPoint& p, const QRect& r, int min, int max, bool horizontal);

// Pixels from start that stand for value v on a scale lo..hi of length
// pixels: start + (v - lo) * length / (hi - lo), kept within start..start +
// length. start when hi <= lo.
int GetRelativePos(int v, int lo, int hi, int start, int length);

// Turns the pointer's travel during a relative drag into a value: the value
// moves one step for every few pixels the pointer travels, to the right or
// upward for more (along the chosen axis). Small ranges take more pixels per
// step, so a three-way choice does not flicker; large ones take several
// steps per pixel. Pushing past an end keeps the end, and the first travel
// back moves away from it at once.
class ValueChanger
{
public:
    // Starts a drag at the pointer's current position. value: where the
    // value starts; with no value (-1) the drag starts from defaultValue.
    // Both are kept within min..max. horizontal: the axis that counts.
    void start(int value, int min, int max, bool horizontal, int defaultValue);
    // The value for the pointer's current position.
    int move();
    // The value for a pointer at global.
    int move(const QPoint& global);

    int value() const { return m_value; }
    // Pixels of travel per step, for the range given to start; 0 when one
    // pixel makes more than one step.
    int pixelsPerStep() const;

private:
    int m_min = 0;
    int m_max = 0;
    bool m_horizontal = true;
    int m_startValue = 0; // the value at m_anchor
    int m_value = 0;
    QPoint m_anchor;
};
