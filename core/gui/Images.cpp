#include "Images.h"

#include <QDir>
#include <QDirIterator>
#include <QtGlobal>

// The resource compiled from the images the build draws (coreimages.qrc).
extern int qInitResources_coreimages();

namespace {

const char* const ImageFolder = ":/core/images";

void registerImages()
{
    qInitResources_coreimages();
    const QString folder = QString::fromLatin1(ImageFolder);
    if (!QDir::searchPaths(QStringLiteral("core")).contains(folder))
        QDir::addSearchPath(QStringLiteral("core"), folder);
}

} // namespace

// Window constructors read "core:" images, and a program may build its first
// window before it gets round to registering anything.
Q_CONSTRUCTOR_FUNCTION(registerImages)

int qInitResources_core()
{
    registerImages();
    return 1;
}

QStringList CoreImageNames()
{
    QStringList names;
    const QString folder = QString::fromLatin1(ImageFolder);
    QDirIterator it(folder, QStringList{QStringLiteral("*.png")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        names << it.next().mid(folder.size() + 1);
    names.sort();
    return names;
}
