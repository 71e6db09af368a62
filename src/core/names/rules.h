#pragma once

#include <QChar>
#include <QDir>
#include <QString>

// Pure path rules, free of widgets. Every function takes the separator of the paths it
// is given, so Windows-style paths follow Windows rules on any system: with '\\' the
// forward slash separates too, as it does on Windows.
namespace rules
{

inline QChar nativeSeparator()
{
    return QDir::separator();
}

bool isSeparator(QChar c, QChar separator = nativeSeparator());

// The folder, a separator unless the folder already ends in one (a root such as C:\ or /),
// then the name.
QString joinPath(const QString &folder, const QString &name, QChar separator = nativeSeparator());

// Everything up to and including the last separator; empty when there is none.
QString folderPart(const QString &path, QChar separator = nativeSeparator());

// Everything after the last separator; the whole path when there is none.
QString filePart(const QString &path, QChar separator = nativeSeparator());

} // namespace rules
