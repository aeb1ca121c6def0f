// A command button of an editor window, in the window's colour scheme.
//
// A click posts the button's command id to the widget the button sits on
// (PostCommand), which runs it through its command dispatch after the click
// handler has returned, as a menu entry would. An unbound button (command -1)
// posts nothing; every other id, 0 included, is posted. The face is drawn in
// the scheme's Button Face colour with the text in Button Text, in the
// scheme font, never bold. GUI thread only.
#pragma once

#include "ColorManager.h"
#include "MyCtrl.h"

class ToolButton : public MyButton, public Colored
{
    Q_OBJECT

public:
    // Without parent: setCommand places it on its window. Return does not
    // press it; its face lightens under the mouse.
    ToolButton();
    ~ToolButton() override;

    // Puts the button on window and binds it to the command id.
    void setCommand(QWidget* window, int id);
    int command() const { return m_command; }

    void onClicked() override;
    void paint(QPainter* p, const QRect& r) override;

private:
    int m_command = -1; // -1: none
};
