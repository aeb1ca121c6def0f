// Committed pictures against a fresh drawing: see RedrawnImages.h.
#include "RedrawnImages.h"

#include <QCoreApplication>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>

QString comparePaintedImages(const QString& mode, const QString& resourcePrefix, const QStringList& names)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return QStringLiteral("no temporary folder");
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    tool.setProcessEnvironment(env);
    tool.start(QCoreApplication::applicationDirPath() + QStringLiteral("/make_icons"), {mode, dir.path()});
    if (!tool.waitForFinished(60000))
        return tool.errorString();
    if (tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
        return QString::fromLocal8Bit(tool.readAllStandardError());
    for (const QString& name : names) {
        const QImage drawn = QImage(dir.filePath(name + QStringLiteral(".png"))).convertToFormat(QImage::Format_ARGB32);
        const QImage built = QImage(resourcePrefix + name + QStringLiteral(".png")).convertToFormat(QImage::Format_ARGB32);
        if (built.isNull() || drawn.size() != built.size())
            return name + QStringLiteral(": missing or of another size");
        for (int y = 0; y < built.height(); ++y) {
            for (int x = 0; x < built.width(); ++x) {
                const QRgb a = drawn.pixel(x, y);
                const QRgb b = built.pixel(x, y);
                const int most = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                           std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
                if (most > 2)
                    return QStringLiteral("%1: pixel %2,%3 differs; draw it again with make_icons %4")
                        .arg(name)
                        .arg(x)
                        .arg(y)
                        .arg(mode);
            }
        }
    }
    return QString();
}
