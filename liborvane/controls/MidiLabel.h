// The text cell of a panel: label and header elements, the title cell before
// a titled control, separators (a label titled " ") and the empty cells that
// pad gaps and columns (labels without a title, kept hidden so they hold
// their place unseen).
//
// A label shows fixed text in the panel's colour scheme: plain, etched when
// bold, or etched on a filled band as a header. Plain labels fade while the
// panel is disabled; headers do not. It has no parameter, never talks to the
// instrument and ignores keys. GUI thread only.
#pragma once

#include "CommonInfo.h"
#include "MidiCtrl.h"

#include <QLabel>

class MidiLabel : public QLabel, public MidiCtrl
{
    Q_OBJECT

public:
    // A cell of the panel, on its frame, bound to the device of its client.
    // (QFrame names a frame shape Panel, so the class is spelled ::Panel.)
    MidiLabel(::Panel* panel, const LabelInfo& info);
    // A label outside any panel.
    MidiLabel(QWidget* parent, const LabelInfo& info);
    ~MidiLabel() override;

    int type() const override { return LabelType; }
    CommonInfo* gInfo() override { return &info; }
    void onKey(int) override {}

    void MidiReceive() override {}
    void OnSysex(Sysex*) override {}
    void OnMidiMessage(const MidiMessage&) override {}

    // Draws the label into r.
    void paint(QPainter* p, const QRect& r);

    LabelInfo info;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void init(const LabelInfo& from);
};
