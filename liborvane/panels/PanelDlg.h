// A section window: a small window of its own showing one more panel, built
// from the section a control's descriptor names (an effect type's
// parameters, say) or that an editor opens by name.
//
// The window holds one Panel made for the window's client, so the panel
// sends and receives parameter values like every panel of the editor. A
// window opened with a sub-section ("hex" or "dec") shows the section below
// the descriptor's section whose "value" attribute equals the descriptor's
// value text, and follows the launching control: changeSection loads the
// sub-section of the control's new data in place. All sub-sections opened at
// one base address share one internal name, so the window keeps one saved
// position and stays put when it switches.
//
// Not modal unless the opener asks: init shows a plain window itself, a
// modal one gets a Close button and is left to its opener to show. A section
// that yields no control closes the window at once. Closing (the frame,
// Escape or the Close button alike) clears the panel, which then leaves the
// client, and saves the position under the panel's internal name. F5
// requests every value of the panel again.
//
// Ownership: a QDialog child of its parent widget. A control keeps the one
// window it opened and deletes it only to replace a closed one; DoPanel's
// windows delete themselves when they close. GUI thread only.
#pragma once

#include "CommonInfo.h"
#include "Dialog.h"
#include "Panel.h"

class MidiClient;

class PanelDlg : public Dialog
{
public:
    // No base address: every bit set.
    static constexpr unsigned int NoBase = 0xFFFFFFFF;

    // A window on info's section with base as the base address of its
    // parameters (before info's address_offset); init does the work.
    PanelDlg(QWidget* parent, MidiClient* client, const LaunchInfo& info, unsigned int base);
    // The same without init: the opener calls it, which lets it set window
    // attributes that must hold when the load fails.
    PanelDlg(QWidget* parent, MidiClient* client);
    ~PanelDlg() override;

    // Copies info, sets the window and its panel up and loads the panel;
    // shows a window that is not modal. False when nothing was loaded: a
    // descriptor without a section leaves the window empty and hidden, a
    // section that yields no control closes it.
    bool init(const LaunchInfo& info, unsigned int base);
    // (Re)loads the panel from the descriptor: the sub-section its value
    // picks, or its section. False, with nothing loaded, for an empty
    // panel (and for a sub-section without a value). A loaded panel puts the
    // window at the position saved under its name, titles it, fixes its
    // size, tells the client (OnLoadPanel) and requests its values.
    bool loadPanel();
    // The launching control's data changed: the panel leaves the client at
    // once; a window that shows switches to the sub-section of data and
    // closes when that holds no control.
    void changeSection(int data);
    // Window title and the panel's caption.
    void setTitle(const QString& text);

    // Opens a new window on section with control width width (0: the
    // default 90); every call makes another. The window deletes itself when it closes, also when the
    // section holds no control, in which case the result is null.
    static PanelDlg* DoPanel(QWidget* parent, MidiClient* client, const QString& section, int width);

    Panel* panel() { return &m_sectionPanel; }
    const LaunchInfo& launchInfo() const { return m_launch; }

    // Escape and the Close button close the window as its frame does.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    Panel m_sectionPanel;
    LaunchInfo m_launch;
};
