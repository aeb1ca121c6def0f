#include "VeskLib_Properties.h"

#include "Application.h"

void VeskLib_Properties::load()
{
    const VeskLib_Properties defaults;
    OnStart = Application::readProfileInt(QString(), QStringLiteral("OnStart"), defaults.OnStart);
    EditorsBar = Application::readProfileInt(QString(), QStringLiteral("EditorsBar"), defaults.EditorsBar ? 1 : 0) != 0;
    dependencyOptions.load();
}

void VeskLib_Properties::store() const
{
    Application::writeProfileInt(QString(), QStringLiteral("OnStart"), OnStart);
    Application::writeProfileInt(QString(), QStringLiteral("EditorsBar"), EditorsBar ? 1 : 0);
    dependencyOptions.store();
}
