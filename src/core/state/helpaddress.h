#pragma once

#include "core/names/rules.h"

#include <QUrl>

namespace rules
{

// The help page's address: the program's folder followed directly by "/help.html".
QString helpAddress(const QString &programFolder);

// The help page beside the program when it is there (a build tree, or a copy kept together);
// else the one in the installed data folder when that is there; else the address beside the
// program, which the viewer then reports as not found. A page in the user's language
// ("help.de.html") is looked for first in both places, where it is not the English one.
QString locateHelpPage(
    const QString &programFolder, const QString &pageName = QStringLiteral("help.html"));

// The address as a file URL the viewer can open. Separators of either kind are made one, so
// a root folder ("C:\" or "/") still gives the page in that root.
QUrl helpUrl(const QString &address, QChar separator = nativeSeparator());

} // namespace rules
