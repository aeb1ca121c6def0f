#include "PianoCtrl.h"

#include "Colors.h"

#include <QMouseEvent>

PianoCtrl::PianoCtrl(QWidget* parent) : MyCtrl(parent)
{
    piano.setSize(9);
    piano.setSpace(1);
    setFocusPolicy(Qt::NoFocus);
}

PianoCtrl::~PianoCtrl() = default;

void PianoCtrl::setBorder(int border)
{
    m_border = border;
    update();
}

void PianoCtrl::setBkColor(const QColor& color)
{
    m_bkColor = color;
    update();
}

int PianoCtrl::calculatedWidth() const
{
    return piano.pianoWidth() + 2 * m_border;
}

void PianoCtrl::paint(QPainter* p, const QRect& r)
{
    FillRect(p, r, m_bkColor);
    piano.draw(p, r.adjusted(m_border, m_border, -m_border, -m_border));
}

QRect PianoCtrl::hitRect() const
{
    return QRect(QPoint(m_border, m_border), QPoint(width() - 1 - m_border, height() - 1 - m_border));
}

int PianoCtrl::keyAt(const QPoint& p) const
{
    return piano.hitTest(hitRect(), p);
}

bool PianoCtrl::latches(const QMouseEvent* event) const
{
    return m_multiSelect &&
           (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) != 0;
}

void PianoCtrl::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    const int key = keyAt(pos);
    if (!Piano::isValid(key))
        return;
    m_currentKey = key;
    piano.toggleKey(key, piano.calcVelocity(key, pos.y(), height()));
    emit keyPressed(key);
    update();
}

void PianoCtrl::mouseMoveEvent(QMouseEvent* event)
{
    if (m_currentKey == -1)
        return;
    const QPoint pos = event->position().toPoint();
    const int key = keyAt(pos);
    if (key == m_currentKey)
        return;
    const bool latch = latches(event);
    if (!latch) {
        piano.setKeyValue(m_currentKey, 0);
        emit keyPressed(m_currentKey);
    }
    if (Piano::isValid(key)) {
        m_currentKey = key;
        const int velocity = piano.calcVelocity(key, pos.y(), height());
        if (latch)
            piano.toggleKey(key, velocity);
        else
            piano.setKeyValue(key, velocity);
        emit keyPressed(key);
    }
    update();
}

void PianoCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_currentKey == -1)
        return;
    if (latches(event)) {
        m_currentKey = -1;
        return;
    }
    const int key = m_currentKey;
    piano.setKeyValue(key, 0);
    update();
    emit keyPressed(key);
    m_currentKey = -1;
}
