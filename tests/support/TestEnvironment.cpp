#include "TestEnvironment.h"

#include <QDir>

TestEnvironment::TestEnvironment()
{
    const QString base = m_dir.path();
    QDir(base).mkpath(QStringLiteral("config"));
    QDir(base).mkpath(QStringLiteral("data"));
    QDir(base).mkpath(QStringLiteral("runtime"));
    QFile::setPermissions(base + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("HOME", base.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", configHome().toLocal8Bit());
    qputenv("XDG_DATA_HOME", dataHome().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", (base + QStringLiteral("/runtime")).toLocal8Bit());
}

QString TestEnvironment::dataHome() const
{
    return m_dir.path() + QStringLiteral("/data");
}

QString TestEnvironment::configHome() const
{
    return m_dir.path() + QStringLiteral("/config");
}
