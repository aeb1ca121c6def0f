// The clickable keyboard widget: a Piano over keys 0..127 that turns mouse
// presses, drags and releases into key changes and reports each one with
// keyPressed(key). It plays nothing itself: the owner reads the key's value
// from the piano when the signal comes (above 0: down at that velocity, 0:
// up) and sends the note.
//
// A plain press holds the key while the button is down; a drag glides from
// key to key, each at the velocity of the height where it was entered. With
// multiSelect on, Shift, Control or Alt latch: each press or crossing toggles
// a key and leaves it so. Any mouse button acts the same. The control takes
// no keyboard focus. GUI thread only.
#pragma once

#include "MyCtrl.h"
#include "Piano.h"

#include <QColor>

class PianoCtrl : public MyCtrl
{
    Q_OBJECT

public:
    explicit PianoCtrl(QWidget* parent = nullptr);
    ~PianoCtrl() override;

    // The keyboard model; owners set its sizes and colours and read and
    // clear its keys directly.
    Piano piano{0, 127};

    // The margin between the control's edge and the keyboard.
    void setBorder(int border);
    int border() const { return m_border; }
    void setBkColor(const QColor& color);
    void setMultiSelect(bool on) { m_multiSelect = on; }
    bool multiSelect() const { return m_multiSelect; }
    // The key under a press in progress; -1 when none.
    int currentKey() const { return m_currentKey; }

    // The width at which the keyboard fills the control exactly.
    int calculatedWidth() const;

    void paint(QPainter* p, const QRect& r) override;

signals:
    // The mouse changed the value of key.
    void keyPressed(int key);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QRect hitRect() const;
    int keyAt(const QPoint& p) const;
    bool latches(const QMouseEvent* event) const;

    int m_currentKey = -1;
    bool m_multiSelect = true;
    int m_border = 0;
    QColor m_bkColor{0, 0, 0, 0};
};
