#pragma once

#include "core/names/rules.h"

// The path rules of the move window, free of widgets and of the file system.
namespace rules
{

// Where a file goes when it is moved into a folder: the folder, a separator unless the
// folder already ends in one (a root such as D:\ or /), and the file's name.
QString destinationPath(
    const QString &folder, const QString &source, QChar separator = nativeSeparator());

// The folder to create for a typed name: a full path is taken as it is, anything else is
// taken inside the destination folder. Empty when the text cannot name a folder (nothing
// but blanks, control characters, or with '\\' the characters Windows forbids) or when
// there is no destination folder to create it in.
QString newFolderPath(
    const QString &destination, const QString &typed, QChar separator = nativeSeparator());

} // namespace rules
