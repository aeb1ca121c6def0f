// The framed view of a MIDI_Document: a sunken box that draws its frame and
// nothing else, for a host to place where a file's view belongs.
#pragma once

#include <QFrame>

class MIDI_Document;

class MidiEditor : public QFrame
{
    Q_OBJECT

public:
    MidiEditor(QWidget* parent, MIDI_Document& document);

    MIDI_Document& document() const { return m_document; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    MIDI_Document& m_document;
};
