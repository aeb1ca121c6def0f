// The colour schemes the editor windows draw their panels, captions, controls
// and buttons with.
//
// A ColorManager holds one set: eleven colours, one per ColorTypes value, and
// the font of captions, buttons and tab strips. Each editor window keeps one;
// every drawing widget reaches it through its Colored part and reads it at
// each paint, so a change shows at the next repaint. Eleven built-in schemes
// can be loaded, and the set is kept in the per-user settings under
// "ColorManager".
#pragma once

#include "MetalImage.h"

#include <QColor>
#include <QFont>
#include <QString>

#include <memory>

class QPainter;
class QRect;
class QWidget;

// The eleven colours of a scheme, in the order of the settings keys
// "color00" to "color10".
enum ColorTypes : int
{
    WorkspaceColor = 0,
    CaptionColor = 1,
    CaptionTextColor = 2,
    PanelColor = 3,
    LabelTextColor = 4,
    ControlsColor = 5,
    ControlTextColor = 6,
    BorderColor = 7,
    SelectedBorderColor = 8,
    ButtonFaceColor = 9,
    ButtonTextColor = 10,
};

class ColorManager
{
public:
    static constexpr int ColorCount = 11;
    static constexpr int SchemeCount = 11;
    // The scheme of a new manager, and of a widget that was given none.
    static constexpr int BasicScheme = 9;

    // Scheme 9 ("Basic") and the application's default font.
    ColorManager();

    // Takes all eleven colours from a built-in scheme; the font stays. A
    // number outside 0 to 10 leaves the colours as they are.
    void loadScheme(int scheme);

    // A type outside 0 to 10 is ignored.
    void setColor(int type, const QColor& color);
    // An invalid colour for a type outside 0 to 10.
    QColor getColor(ColorTypes type) const;

    const QFont& font() const { return m_font; }
    void setFont(const QFont& font) { m_font = font; }
    // The application's font for plain widgets.
    static QFont defaultFont();

    // Invalid colour, or "", outside 0 to 10.
    static QColor GetSchemeColor(int scheme, ColorTypes type);
    static QString GetSchemeName(int scheme);
    static QString GetColorLabel(ColorTypes type);

    // Lines and marks on controls.
    QColor lineColor() const;
    // Text and bars of greyed controls.
    QColor inactiveColor() const;
    // A control's step arrow: greyed when disabled (which wins), darkened
    // toward the control while pressed, else the control text colour.
    QColor arrowColor(bool disabled, bool pressed) const;

    // The window background over r: the metal texture, the Workspace colour
    // half transparent over it, and when band > 0 a shadow fading down from
    // the top edge over the first band rows.
    void drawBackground(QPainter* p, const QRect& r, int band) const;

    // Lets the user edit the colours and the font in the "Appearance" dialog,
    // modal over parent. True when the dialog was accepted; cancelled, the
    // manager is as it was.
    bool setup(QWidget* parent);

    // Reads the colours and the font from the settings; a missing colour
    // takes defaultScheme's (an invalid colour when that number is out of
    // range), a missing font the default font.
    void fromRegistry(int defaultScheme);
    // False when the settings could not be written.
    bool toRegistry() const;

    // The colours as 0x00BBGGRR words, "0x%06X" each, joined by commas.
    QString toString() const;

    static const MetalImage m_metalImage;

private:
    QColor m_colors[ColorCount];
    QFont m_font;
};

// Mixed into every drawing widget of the framework: the colour scheme the
// widget paints with. The manager is not owned; a widget that was never given
// one makes its own scheme-9 manager the first time it asks, and keeps it.
class Colored
{
public:
    Colored();
    virtual ~Colored();
    Colored(const Colored&) = delete;
    Colored& operator=(const Colored&) = delete;

    // A null manager is ignored: the widget keeps the one it had.
    void setColorManager(ColorManager* manager);
    // Never null.
    ColorManager* colorManager() const;

private:
    mutable ColorManager* m_colorManager = nullptr;
    mutable std::unique_ptr<ColorManager> m_privateManager;
};
