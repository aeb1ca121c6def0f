// Path and file helpers, the per-user data folder and program launch.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The path shortened for a message box: the middle folders replaced by "...".
QString GetCompactPath(const QString& path, int width = -1);
// The path with its extension replaced (or added when it has none).
QString ChangeExtension(const QString& path, const QString& ext);
bool CheckExtension(const QString& path, const QString& ext); // case-insensitive
bool CheckExtensions(const QString& path, const QStringList& exts);
// Replaces characters that cannot stand in a file name, in place.
void MakeValidFilename(QString& name);

// The text becomes the file's whole content, written atomically (a temporary
// file renamed over the old one). False when it could not be written; the old
// file is then untouched.
bool StringToFile(const QString& text, const QString& path);
QString FileToString(const QString& path); // decoded as DecodeText does
// The whole file at path into data. False, and data empty, when it cannot be
// read, is a folder, or holds more than maxSize bytes.
bool ReadFileBytes(const QString& path, qint64 maxSize, QByteArray& data);

// The per-user data folder of the suite ($XDG_DATA_HOME/Tamsel), created.
QString GetTamselFolder();
// base joined with sub, every folder of it created. sub is relative; parts that
// would leave base ("..", absolute paths) are dropped.
QString CreatePath(const QString& base, const QString& sub);
// A folder name made safe from untrusted text: no separators, no "..".
QString SafeFolderName(const QString& name);
