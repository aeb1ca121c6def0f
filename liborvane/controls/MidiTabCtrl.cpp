#include "MidiTabCtrl.h"

namespace {
// The tab texts keep this size whatever the scheme's font size, so the tabs
// fit the strip's fixed height.
constexpr int TabFontPoints = 11;
} // namespace

MidiTabCtrl::MidiTabCtrl(QWidget* parent) : TabCtrl(parent) {}

MidiTabCtrl::~MidiTabCtrl() = default;

QFont MidiTabCtrl::tabItemFont() const
{
    QFont font = colorManager()->font();
    font.setPointSize(TabFontPoints);
    return font;
}

QColor MidiTabCtrl::tabTextColor() const
{
    return colorManager()->getColor(ButtonTextColor);
}

QColor MidiTabCtrl::backColor() const
{
    return colorManager()->getColor(PanelColor);
}

QColor MidiTabCtrl::tabColor() const
{
    return colorManager()->getColor(ButtonFaceColor);
}
