#include "MidiEditor.h"

#include <QPainter>

MidiEditor::MidiEditor(QWidget* parent, MIDI_Document& document) : QFrame(parent), m_document(document)
{
    setFocusPolicy(Qt::StrongFocus);
    setWindowTitle(QStringLiteral("Wave Editor"));
    setMinimumHeight(58);
    setMinimumWidth(158);
    setFrameStyle(QFrame::Box | QFrame::Sunken);
    setLineWidth(1);
}

void MidiEditor::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    drawFrame(&painter);
    // Lines stay one pixel wide (Qt 6 has no other hints to switch off).
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform,
                           false);
}
