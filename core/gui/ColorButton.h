// Two small chooser widgets of the settings dialogs.
//
// ColorButton shows a colour as a swatch; a click (or Space or Return) opens
// the colour chooser, and a colour chosen there becomes the button's colour.
// Its text (MyCtrl::setText) names what the colour is for and titles the
// chooser. FontCtrl shows a font by name and size in that
// font; a click opens the font chooser, and the chosen font becomes the
// widget's own font. Both ask through the prompts in force (Prompts.h), so a
// test answers them without a window.
#pragma once

#include "MyCtrl.h"

#include <QColor>
#include <QPushButton>
#include <QString>

class ColorButton : public MyCtrl
{
    Q_OBJECT

public:
    explicit ColorButton(QWidget* parent = nullptr);
    ~ColorButton() override;

    QColor color() const { return m_color; }
    // Emits colorChanged() when the colour differs from the one shown.
    void setColor(const QColor& color);

    // Opens the colour chooser; a colour chosen there is set.
    void choose();

    QSize sizeHint() const override;
    void paint(QPainter* p, const QRect& r) override;
    // A click opens the chooser.
    void onClick() override;

signals:
    void colorChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QColor m_color;
};

class FontCtrl : public QPushButton
{
    Q_OBJECT

public:
    explicit FontCtrl(QWidget* parent = nullptr);
    ~FontCtrl() override;

    // "Family, 10pt" for the widget's font.
    static QString describe(const QFont& font);

    // Opens the font chooser; a font chosen there becomes the widget's font.
    void choose();

protected:
    void changeEvent(QEvent* event) override;
};
