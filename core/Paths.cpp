#include "Paths.h"
#include "Strings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// Width of a compacted path when the caller leaves it to us: what fits a
// message box line.
constexpr int DefaultCompactWidth = 60;

// The extension of the last path component, without its dot; -1 when none.
qsizetype extensionDot(const QString& path)
{
    const qsizetype slash = qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    // A leading dot names a hidden file, not an extension.
    if (dot <= slash + 1)
        return -1;
    return dot;
}

QString bareExtension(const QString& ext)
{
    return ext.startsWith(QLatin1Char('.')) ? ext.mid(1) : ext;
}

} // namespace

QString GetCompactPath(const QString& path, int width)
{
    const int max = width > 0 ? width : DefaultCompactWidth;
    if (path.size() <= max)
        return path;
    const QString ellipsis = QStringLiteral("...");
    QStringList parts = path.split(QLatin1Char('/'));
    if (parts.size() < 3)
        return path;
    // Keep the root and first folder, then as many trailing components as fit.
    const QString head = parts.at(0).isEmpty() ? QLatin1Char('/') + parts.at(1) : parts.at(0);
    const int headParts = parts.at(0).isEmpty() ? 2 : 1;
    QString tail = parts.last();
    for (qsizetype i = parts.size() - 2; i >= headParts; --i) {
        const QString candidate = parts.at(i) + QLatin1Char('/') + tail;
        if (head.size() + ellipsis.size() + candidate.size() + 2 > max)
            break;
        tail = candidate;
    }
    const QString compact = head + QLatin1Char('/') + ellipsis + QLatin1Char('/') + tail;
    return compact.size() < path.size() ? compact : path;
}

QString ChangeExtension(const QString& path, const QString& ext)
{
    const QString bare = bareExtension(ext);
    // A document never saved still proposes a usable name.
    QString base = path.isEmpty() ? QStringLiteral("Untitled") : path;
    const qsizetype dot = extensionDot(base);
    if (dot >= 0)
        base.truncate(dot);
    if (bare.isEmpty())
        return base;
    return base + QLatin1Char('.') + bare;
}

bool CheckExtension(const QString& path, const QString& ext)
{
    const qsizetype dot = extensionDot(path);
    if (dot < 0)
        return bareExtension(ext).isEmpty();
    return QStringView(path).mid(dot + 1).compare(bareExtension(ext), Qt::CaseInsensitive) == 0;
}

bool CheckExtensions(const QString& path, const QStringList& exts)
{
    for (const QString& ext : exts) {
        if (CheckExtension(path, ext))
            return true;
    }
    return false;
}

void MakeValidFilename(QString& name)
{
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    for (QChar& c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || forbidden.contains(c))
            c = QLatin1Char('_');
    }
    name = name.trimmed();
    // Trailing dots and blanks are dropped by some file systems and confuse others.
    while (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
        name.chop(1);
    if (name.size() > 200)
        name.truncate(200);
    if (name.isEmpty())
        name = QStringLiteral("_");
}

bool StringToFile(const QString& text, const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size())
        return false; // not committed: the old file stays
    return file.commit();
}

QString FileToString(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    // Files we wrote are UTF-8; older ones may be Latin-1.
    return DecodeText(file.readAll());
}

bool ReadFileBytes(const QString& path, qint64 maxSize, QByteArray& data)
{
    data.clear();
    if (path.isEmpty() || QFileInfo(path).isDir())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > maxSize)
        return false;
    // One byte more than allowed tells a file that grew, or a device without a size, from one that fits.
    data = file.read(file.isSequential() ? maxSize + 1 : file.size() + 1);
    if (data.size() > maxSize || file.error() != QFileDevice::NoError) {
        data.clear();
        return false;
    }
    return true;
}

QString GetTamselFolder()
{
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Tamsel");
    QDir().mkpath(folder);
    return folder;
}

QString CreatePath(const QString& base, const QString& sub)
{
    QString path = base;
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    const QStringList parts =
        QString(sub).replace(QLatin1Char('\\'), QLatin1Char('/')).split(QLatin1Char('/'));
    for (const QString& part : parts) {
        // Untrusted parts never lead out of base.
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
            continue;
        if (!path.endsWith(QLatin1Char('/')))
            path += QLatin1Char('/');
        path += part;
    }
    QDir().mkpath(path);
    return path;
}

QString SafeFolderName(const QString& name)
{
    QString safe;
    safe.reserve(name.size());
    for (QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20)
            continue;
        safe += c;
    }
    safe.replace(QStringLiteral(".."), QString());
    safe = safe.trimmed();
    if (safe.isEmpty() || safe == QLatin1String("."))
        safe = QStringLiteral("_");
    return safe;
}
