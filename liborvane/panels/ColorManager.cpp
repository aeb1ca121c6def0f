#include "ColorManager.h"

#include "Application.h"
#include "ColorManager_SetupDlg.h"
#include "Prompts.h"
#include "Colors.h"
#include "Prompts.h"

#include <QPainter>
#include <QRect>
#include <QStringList>

namespace {

const char* const colorLabels[ColorManager::ColorCount] = {
    "Workspace",    "Caption", "Caption Text",    "Panel",       "Label Text",  "Controls",
    "Control Text", "Border",  "Selected Border", "Button Face", "Button Text",
};

struct Scheme
{
    const char* name;
    // Colour words with red in the low byte: 0x00BBGGRR.
    uint colors[ColorManager::ColorCount];
};

// By type: Workspace, Caption, Caption Text, Panel, Label Text, Controls,
// Control Text, Border, Selected Border, Button Face, Button Text.
const Scheme schemes[ColorManager::SchemeCount] = {
    {"Green",
     {0xE1E2DF, 0x575B4A, 0xE0FFFF, 0xAEB1A9, 0xE0FFFF, 0x50554A, 0xFFFFF8, 0x2C3C2B, 0x00FFFF, 0xE9EBE7,
      0x000000}},
    {"Sage Green",
     {0xDBE0D8, 0x60533C, 0xB0FFED, 0xB3AD9F, 0xDEFEFE, 0x574A39, 0xFFFFFF, 0x2B241C, 0x80FFFF, 0xEDF1F1,
      0x000000}},
    {"Blue",
     {0xE3DBD9, 0x7A5041, 0xAAEFF4, 0xD1AC9C, 0xF0FFFF, 0xB38D80, 0xFFFFF8, 0x936657, 0x2BFFCB, 0xF0EAE9,
      0x000000}},
    {"Deep Blue",
     {0xDCD1CC, 0x504239, 0xCAF9FB, 0xA79085, 0xDEFEFE, 0x493E38, 0xEBFDFE, 0x1F1A17, 0x80FFFF, 0xF1EAE9,
      0x000000}},
    {"Cyan",
     {0xE2E0D7, 0x4E3B26, 0xEFEBD6, 0xB7A797, 0xF9F8EE, 0x444031, 0xEFEBD6, 0x1D1A17, 0xFFFFD5, 0xF0ECE8,
      0x000000}},
    {"Rose",
     {0xDCDCE8, 0x323358, 0xACE8FF, 0xABADBA, 0xFBFFFF, 0x2F3450, 0xFFFFFF, 0x282828, 0x00FFFF, 0xE9EDF5,
      0x000000}},
    {"Brown",
     {0xD5DADC, 0x3E4A56, 0xA1F1FF, 0xB0B7BA, 0xE2FFFF, 0x3E494F, 0xEEF8FF, 0x1E2327, 0x34FFC8, 0xF0F7F7,
      0x000000}},
    {"Gray",
     {0xD4C8C4, 0x50403C, 0xAAEFF4, 0xA49993, 0xEBEBEB, 0x514742, 0xEDFCF8, 0x191514, 0x34FFC8, 0xF0EEEE,
      0x000000}},
    {"Light Gray",
     {0xDFDEDC, 0x544B45, 0xB4EFEF, 0xB5AAA3, 0xE9F4F4, 0x625650, 0xF7FDFA, 0x382E2C, 0x34FFC8, 0xF0EEEE,
      0x000000}},
    {"Basic",
     {0x000000, 0x000000, 0xFFFFFF, 0xFFFFFF, 0x000000, 0xFFFFFF, 0x000000, 0x808080, 0x000000, 0xFFFFFF,
      0x000000}},
    {"Red & Blue",
     {0x2020B9, 0x593C37, 0xCCFBFF, 0xBDBEBA, 0xDEFEFD, 0x3CB786, 0xDDF7EC, 0x355533, 0x00FFFF, 0xB3D0CE,
      0x000000}},
};

const QString settingsSection = QStringLiteral("ColorManager");

bool inRange(int n, int count)
{
    return n >= 0 && n < count;
}

QString colorKey(int type)
{
    return QStringLiteral("color%1").arg(type, 2, 10, QLatin1Char('0'));
}

} // namespace

const MetalImage ColorManager::m_metalImage;

ColorManager::ColorManager() : m_font(defaultFont())
{
    loadScheme(BasicScheme);
}

void ColorManager::loadScheme(int scheme)
{
    if (!inRange(scheme, SchemeCount))
        return;
    for (int k = 0; k < ColorCount; ++k)
        m_colors[k] = GetSchemeColor(scheme, ColorTypes(k));
}

void ColorManager::setColor(int type, const QColor& color)
{
    if (inRange(type, ColorCount))
        m_colors[type] = color;
}

QColor ColorManager::getColor(ColorTypes type) const
{
    return inRange(type, ColorCount) ? m_colors[type] : QColor();
}

QFont ColorManager::defaultFont()
{
    return QApplication::font("QWidget");
}

QColor ColorManager::GetSchemeColor(int scheme, ColorTypes type)
{
    if (!inRange(scheme, SchemeCount) || !inRange(type, ColorCount))
        return QColor();
    return QColor::fromRgb(colorref2qrgb(schemes[scheme].colors[type]));
}

QString ColorManager::GetSchemeName(int scheme)
{
    return inRange(scheme, SchemeCount) ? QString::fromLatin1(schemes[scheme].name) : QString();
}

QString ColorManager::GetColorLabel(ColorTypes type)
{
    return inRange(type, ColorCount) ? QString::fromLatin1(colorLabels[type]) : QString();
}

QColor ColorManager::lineColor() const
{
    return MergeColors(m_colors[ControlsColor], m_colors[ControlTextColor], 0.2);
}

QColor ColorManager::inactiveColor() const
{
    return MergeColors(m_colors[ControlsColor], m_colors[ControlTextColor], 0.3);
}

QColor ColorManager::arrowColor(bool disabled, bool pressed) const
{
    if (disabled)
        return lineColor();
    if (pressed)
        return MergeColors(m_colors[ControlTextColor], m_colors[ControlsColor], 0.46);
    return m_colors[ControlTextColor];
}

void ColorManager::drawBackground(QPainter* p, const QRect& r, int band) const
{
    if (!p || !r.isValid())
        return;
    const QColor workspace = m_colors[WorkspaceColor];
    DrawTiled(p, r, m_metalImage);
    FillRect(p, r, BlendColor(workspace, 128));
    if (band > 0) {
        const QColor shade = GetColor2(workspace, 1.0, 0.6);
        const QRect top(r.left(), r.top(), r.width(), std::min(band, r.height()));
        FillGradient2(p, top, BlendColor(shade, 250), BlendColor(shade, 0), true);
    }
}

bool ColorManager::setup(QWidget* parent)
{
    ColorManager_SetupDlg dialog(this, parent);
    return RunDialog(&dialog) == QDialog::Accepted;
}

void ColorManager::fromRegistry(int defaultScheme)
{
    for (int k = 0; k < ColorCount; ++k)
        m_colors[k] = Application::readProfileColor(settingsSection, colorKey(k),
                                                    GetSchemeColor(defaultScheme, ColorTypes(k)));
    m_font = Application::readProfileFont(settingsSection, QStringLiteral("font"), defaultFont());
}

bool ColorManager::toRegistry() const
{
    bool ok = true;
    for (int k = 0; k < ColorCount; ++k)
        ok = Application::writeProfileColor(settingsSection, colorKey(k), m_colors[k]) && ok;
    return Application::writeProfileFont(settingsSection, QStringLiteral("font"), m_font) && ok;
}

QString ColorManager::toString() const
{
    QStringList words;
    for (const QColor& c : m_colors) {
        const QString hex = QString::number(qrgb2colorref(c.rgb()), 16).rightJustified(6, QLatin1Char('0'));
        words << QStringLiteral("0x") + hex.toUpper();
    }
    return words.join(QLatin1Char(','));
}

Colored::Colored() = default;

Colored::~Colored() = default;

void Colored::setColorManager(ColorManager* manager)
{
    if (manager)
        m_colorManager = manager;
}

ColorManager* Colored::colorManager() const
{
    if (!m_colorManager) {
        m_privateManager = std::make_unique<ColorManager>();
        m_colorManager = m_privateManager.get();
    }
    return m_colorManager;
}
