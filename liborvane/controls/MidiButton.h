// The push button of button elements. It holds no value. A click opens (or
// brings to the front) the section window its descriptor names, or, without a
// section, sends the descriptor's system-exclusive text to the instrument.
//
// A button naming a sub-section that follows a value control in its panel
// opens that control's window (the parameters of the effect type the control
// shows), so the control keeps switching the window as its value changes.
// GUI thread only.
#pragma once

#include "CommonInfo.h"
#include "MidiCtrl.h"
#include "MyCtrl.h"
#include "Panel.h"
#include "PanelDlg.h"

#include <QPointer>

class MidiEdit;
class MidiMessage;
class Sysex;

class MidiButton : public MyButton, public MidiCtrl
{
    Q_OBJECT

public:
    MidiButton(Panel* panel, const ButtonInfo& info);
    ~MidiButton() override;

    int type() const override { return ButtonType; }
    CommonInfo* gInfo() override { return &info; }
    void onKey(int) override {}
    void MidiReceive() override {}
    void OnSysex(Sysex*) override {}
    void OnMidiMessage(const MidiMessage&) override {}

    const ButtonInfo& buttonInfo() const { return info; }
    // The value control whose window the button opens; null for none.
    MidiEdit* linkedEdit() const { return m_linkedEdit; }
    // The window the button opened last; null when none or gone.
    PanelDlg* sectionWindow() const { return m_sectionWindow; }

    void onClicked() override;
    void paint(QPainter* p, const QRect& r) override;

protected:
    // The arrows, Home and End move the panel's focus instead of pressing.
    void keyPressEvent(QKeyEvent* event) override;

private:
    ButtonInfo info;
    QPointer<MidiEdit> m_linkedEdit;    // not owned: a control of the same panel
    QPointer<PanelDlg> m_sectionWindow; // not owned: a window of its own
};
