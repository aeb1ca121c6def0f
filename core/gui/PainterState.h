// Saves a painter's state and restores it on every way out of a scope; the
// painting helpers use it to leave the painter as they found it.
#pragma once

#include <QPainter>

class PainterState
{
public:
    explicit PainterState(QPainter* p) : m_p(p) { m_p->save(); }
    ~PainterState() { m_p->restore(); }
    PainterState(const PainterState&) = delete;
    PainterState& operator=(const PainterState&) = delete;

private:
    QPainter* m_p;
};
