#include "DependencyOptions.h"

#include "Application.h"

namespace {
const QString Section = QStringLiteral("Dependencies");
}

QColor DependencyOptions::color(bool child, bool parent) const
{
    if (child && parent)
        return Color3;
    if (child)
        return Color1;
    if (parent)
        return Color2;
    return QColor(Qt::black);
}

void DependencyOptions::load()
{
    const DependencyOptions defaults;
    PasteChildren = Application::readProfileInt(Section, QStringLiteral("PasteChildren"), defaults.PasteChildren);
    Colorize = Application::readProfileInt(Section, QStringLiteral("Colorize"), defaults.Colorize ? 1 : 0) != 0;
    Color1 = Application::readProfileColor(Section, QStringLiteral("Color1"), defaults.Color1);
    Color2 = Application::readProfileColor(Section, QStringLiteral("Color2"), defaults.Color2);
    Color3 = Application::readProfileColor(Section, QStringLiteral("Color3"), defaults.Color3);
}

void DependencyOptions::store() const
{
    Application::writeProfileInt(Section, QStringLiteral("PasteChildren"), PasteChildren);
    Application::writeProfileInt(Section, QStringLiteral("Colorize"), Colorize ? 1 : 0);
    Application::writeProfileColor(Section, QStringLiteral("Color1"), Color1);
    Application::writeProfileColor(Section, QStringLiteral("Color2"), Color2);
    Application::writeProfileColor(Section, QStringLiteral("Color3"), Color3);
}
