#include "Profile.h"

#include <QCoreApplication>
#include <QMutex>
#include <QMutexLocker>
#include <QSettings>

namespace {

struct Identity
{
    bool set = false;
    QString title;
    QString organisation;
    QString version;
};

// Written by setIdentity (normally once, on the GUI thread at start); read by
// every profile call on any thread.
QMutex identityMutex;
Identity identity;

Identity currentIdentity()
{
    QMutexLocker lock(&identityMutex);
    if (identity.set)
        return identity;
    return {false, QCoreApplication::applicationName(), QString::fromLatin1(Profile::DefaultOrganisation),
            QCoreApplication::applicationVersion()};
}

// The section's key path: "" is the top level of the store.
QString keyPath(const QString& section, const QString& key)
{
    return section.isEmpty() ? key : section + QLatin1Char('/') + key;
}

// Stores the value and writes the store out at once, so that another program
// of the suite reading it by name sees the change. A value the store already
// holds (as another program may have left it) is not written again: a window
// saving its state rewrote the whole file, flushed to the disk, once per key.
bool writeValue(const QString& section, const QString& key, const QVariant& value)
{
    if (key.isEmpty())
        return false;
    auto s = Profile::settings();
    const QString path = keyPath(section, key);
    // A new settings object has just read what the file holds now.
    const QVariant stored = s->value(path);
    if (s->status() == QSettings::NoError && stored.isValid() && stored.toString() == value.toString())
        return true;
    s->setValue(path, value);
    s->sync();
    return s->status() == QSettings::NoError;
}

} // namespace

void Profile::setIdentity(const QString& title, const QString& organisation, const QString& version)
{
    const QString org = organisation.isEmpty() ? QString::fromLatin1(DefaultOrganisation) : organisation;
    {
        QMutexLocker lock(&identityMutex);
        identity = {true, title, org, version};
    }
    QCoreApplication::setOrganizationName(org);
    QCoreApplication::setApplicationName(title);
    if (!version.isEmpty())
        QCoreApplication::setApplicationVersion(version);
}

QString Profile::title()
{
    return currentIdentity().title;
}

QString Profile::organisation()
{
    return currentIdentity().organisation;
}

QString Profile::version()
{
    return currentIdentity().version;
}

std::unique_ptr<QSettings> Profile::settings()
{
    const Identity id = currentIdentity();
    return std::make_unique<QSettings>(id.organisation, id.title);
}

QString Profile::readProfileString(const QString& section, const QString& key, const QString& def)
{
    if (key.isEmpty())
        return def;
    const QVariant v = settings()->value(keyPath(section, key));
    return v.isValid() ? v.toString() : def;
}

int Profile::readProfileInt(const QString& section, const QString& key, int def)
{
    if (key.isEmpty())
        return def;
    const QVariant v = settings()->value(keyPath(section, key));
    if (!v.isValid())
        return def;
    const QString text = v.toString().trimmed();
    bool ok = false;
    const int n = text.toInt(&ok);
    if (ok)
        return n;
    // Another program may have stored a bool as text.
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return 1;
    if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return 0;
    return def;
}

bool Profile::writeProfileString(const QString& section, const QString& key, const QString& value)
{
    return writeValue(section, key, value);
}

bool Profile::writeProfileInt(const QString& section, const QString& key, int value)
{
    return writeValue(section, key, value);
}
