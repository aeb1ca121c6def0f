// The part every parameter control of a panel shares.
//
// A control is its widget first (QLabel, MyCtrl or MyButton) and MidiCtrl
// second. Through MidiCtrl a panel sees all its controls alike: the class
// code, the descriptor record the control keeps, its key handler and the
// three receiver operations. MidiCtrl also gives the controls what they draw
// and report with: the colour scheme of their panel, the greyed state, the
// text font and pen, the standard control box, the request group, the
// accessible text, and the focus watcher that tells the panel when one of its
// controls gains or loses the keyboard focus.
//
// A control built outside any panel (a standalone edit, patch selector or
// label) has no panel: it draws with the shared default scheme, is greyed only
// when its widget is disabled, and its panel services do nothing.
//
// GUI thread only.
#pragma once

#include "ColorManager.h"
#include "IMidiReceiver.h"

#include <QObject>
#include <QString>

class CommonInfo;
class MidiDevice;
class MidiParam;
class Panel;
class QPainter;
class QRect;
class QWidget;

// The focus watcher installed on a control's widget: reports focus-in and
// focus-out to the panel and lets every event through.
class MidiCtrl_Proxy : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override;

    Panel* panel = nullptr; // not owned
};

class MidiCtrl : public Colored, public IMidiReceiver
{
public:
    // The class codes of type().
    enum CtrlType
    {
        LabelType = 0,     // MidiLabel: labels, headers, title cells, separators, gaps
        ButtonType = 1,    // MidiButton
        EditType = 2,      // MidiEdit: edit and combo
        RangeType = 3,     // MidiRange
        StringType = 4,    // MidiString
        CheckType = 5,     // MidiCheckBox
        PatchEditType = 6, // MidiPatchEdit
        EgType = 7         // MidiEgCtrl
    };

    // widget: the control's own widget (the object this is a base of);
    // device: the device to talk to, may be null; panel: the owning panel, or
    // null for a control outside any panel. With a panel the control takes the
    // panel's colour scheme and reports its focus changes to it.
    MidiCtrl(QWidget* widget, MidiDevice* device, Panel* panel);
    ~MidiCtrl() override;
    MidiCtrl(const MidiCtrl&) = delete;
    MidiCtrl& operator=(const MidiCtrl&) = delete;

    virtual int type() const = 0;
    // The control's own descriptor record, seen as its common part.
    virtual CommonInfo* gInfo() = 0;
    // A key the panel routes to every control.
    virtual void onKey(int key) = 0;
    // Forget the values shown. Nothing here.
    virtual void resetValues() {}

    QWidget* widget() const { return m_widget; }
    MidiDevice* device() const { return m_device; }
    Panel* panel() const { return m_panel; }

    // After a change went to the instrument: has the panel re-request the
    // request group the descriptor names (request above 0).
    void requestGroup();
    // Asks the instrument for one parameter, then pauses as the device wants
    // between requests; the answer comes back through OnSysex. Nothing
    // without a device.
    void requestParam(const MidiParam& param);
    // Drawn greyed: the widget is disabled (also through a disabled parent),
    // or the panel's enabled flag is off.
    bool isGrayed() const;
    // The font and pen of the control's text: the scheme font, bold when the
    // descriptor says so, in the inactive colour when greyed.
    void PrepareFont(QPainter* p);
    // The standard control box over r, showing focus, hover and greyed state.
    void DrawBox(QPainter* p, const QRect& r) const;
    // The accessible text: the tip, or the title without mnemonic marks, then
    // a blank and the shown value when there is one.
    void updateAccessibility(const QString& value);

private:
    MidiDevice* m_device;
    Panel* m_panel;
    QWidget* m_widget;
    // Goes before the widget part of the control, so the filter never sees
    // the widget's last events.
    MidiCtrl_Proxy m_proxy;
};
