// The bases of the custom-painted widgets: MyCtrl, a plain control that draws
// itself, and MyButton, a push button that draws itself.
//
// Both route painting through the virtual paint(QPainter*, QRect), with the
// painter already open on the widget and the whole widget rectangle, and both
// hand every message posted to them (PostMessage, EventMessage.h) to the
// virtual onMessage(id, data, source) on the GUI thread. The derived class
// draws everything, with the painting helpers of Colors.h and Drawing.h;
// nothing here paints a look of its own but MyButton's default face.
//
// Both repaint when the mouse enters or leaves them, so a paint may show the
// hover state (testAttribute(Qt::WA_UnderMouse)). GUI thread only.
#pragma once

#include <QIcon>
#include <QPushButton>
#include <QString>
#include <QVariant>
#include <QWidget>

class QPainter;

class MyCtrl : public QWidget
{
    Q_OBJECT

public:
    explicit MyCtrl(QWidget* parent = nullptr);
    ~MyCtrl() override;

    // The control's text: stored, then the control repaints when it
    // changed. What the text means and where it shows is the derived
    // class's.
    QString text() const { return m_text; }
    void setText(const QString& text);

    // Sets the tool tip after the current event has been handled, so a
    // control may change it from inside its own paint or event handlers.
    // Nothing happens when the control is gone by then.
    void asyncSetTip(const QString& tip);

    // Draws the control into r, the whole widget rectangle. Nothing here.
    virtual void paint(QPainter* p, const QRect& r);
    // A message posted to the control (EventMessage). Nothing here.
    virtual void onMessage(int id, const QVariant& data, const QVariant& source);
    // A click: the left button pressed and released over the control.
    // Nothing here.
    virtual void onClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void customEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString m_text;
    bool m_pressed = false; // the left button went down over the control
};

class MyButton : public QPushButton
{
    Q_OBJECT

public:
    // The two options of a button. Both can be set and cleared at will.
    enum Option
    {
        // Return or Enter in the button's dialog presses it when no other
        // button has the focus (QPushButton's auto-default). Set at first.
        DefaultOnEnter = 0x1,
        // The face brightens while the mouse is over the button. Clear at
        // first.
        HoverFace = 0x2
    };

    explicit MyButton(QWidget* parent = nullptr);
    ~MyButton() override;

    void setOption(Option option, bool on);
    bool option(Option option) const { return (m_options & option) != 0; }

    // The image shown before the text: an image name such as
    // "core:open.png" or a resource path. A name that loads nothing shows
    // no image.
    void setIcon(const QString& image);
    using QPushButton::setIcon;

    // The button's face over r in the given colour, drawn pressed while the
    // button is down, lighter under the mouse (HoverFace) and faded when
    // disabled, with a frame that marks the keyboard focus.
    void drawAeroButton(QPainter* p, const QRect& r, const QColor& face);
    // The icon and the text (with its "&" mnemonic) centred in r, in the
    // painter's font and the given colour; faded when disabled.
    void drawButtonText(QPainter* p, const QRect& r, const QColor& color);

    // Draws the button into r, the whole widget rectangle. By default the
    // face and the text in the palette's button colours.
    virtual void paint(QPainter* p, const QRect& r);
    // Runs after every click, whichever way it came (mouse, Space,
    // click()). Nothing here.
    virtual void onClicked();
    // A message posted to the button (EventMessage). Nothing here.
    virtual void onMessage(int id, const QVariant& data, const QVariant& source);

protected:
    void paintEvent(QPaintEvent* event) override;
    void customEvent(QEvent* event) override;

private:
    int m_options = DefaultOnEnter;
};
