#include "DocTemplate.h"

#include "Paths.h"
#include "Prompts.h"

#include <QFileInfo>

DocTemplate::DocTemplate(const QString& filterTitle, const QString& typeName, const QString& extension)
    : m_filterTitle(filterTitle), m_typeName(typeName), m_extension(extension)
{
}

QString DocTemplate::filter() const
{
    return QStringLiteral("%1 (*.%2);;").arg(m_filterTitle, m_extension);
}

bool DocTemplate::isFileValid(const QString& path) const
{
    if (path.isEmpty() || !CheckExtension(path, m_extension))
        return false;
    // A name before the extension: ".mix" alone names no document.
    return QFileInfo(path).fileName().size() > m_extension.size() + 1;
}

QString DocTemplate::openFile(QWidget* parent, const QString& key, const QString& def) const
{
    return PromptFileOpen(parent, filter(), QStringLiteral("Open %1").arg(m_typeName), def, key);
}

QString DocTemplate::saveFile(QWidget* parent, const QString& key, const QString& def) const
{
    QString path = PromptFileSave(parent, filter(), QStringLiteral("Save %1").arg(m_typeName), def, key);
    if (!path.isEmpty() && !CheckExtension(path, m_extension))
        path += QLatin1Char('.') + m_extension;
    return path;
}
