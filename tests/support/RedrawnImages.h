// Checks committed pictures against what tools/make_icons draws now.
#pragma once

#include <QString>
#include <QStringList>

// Runs make_icons (beside the test executable) with mode ("--waves",
// "--instrument") into a temporary folder and compares each named picture
// with the resource prefix + name + ".png", allowing a shade of 2 for
// anti-aliasing that rounds differently elsewhere. "" when all agree, else
// what differs first.
QString comparePaintedImages(const QString& mode, const QString& resourcePrefix, const QStringList& names);
