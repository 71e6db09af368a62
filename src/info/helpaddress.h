#pragma once

#include "app/rules.h"

#include <QUrl>

namespace rules
{

// The help page's address: the program's folder followed directly by "/help.html".
QString helpAddress(const QString &programFolder);

// The address as a file URL the viewer can open. Separators of either kind are made one, so
// a root folder ("C:\" or "/") still gives the page in that root.
QUrl helpUrl(const QString &address, QChar separator = nativeSeparator());

} // namespace rules
