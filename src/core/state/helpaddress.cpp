#include "core/state/helpaddress.h"

#include "core/buildinfo.h"

#include <QFileInfo>

namespace rules
{

QString helpAddress(const QString &programFolder)
{
    return programFolder + QStringLiteral("/help.html");
}

QString locateHelpPage(const QString &programFolder, const QString &pageName)
{
    QStringList names { QStringLiteral("help.html") };
    // A name with a folder in it would lead elsewhere.
    if (pageName != names.first() && !pageName.contains(QLatin1Char('/'))
        && !pageName.contains(QLatin1Char('\\')))
        names.prepend(pageName);
    for (const QString &name : names) {
        const QString beside = programFolder + QLatin1Char('/') + name;
        if (QFileInfo(beside).isFile())
            return beside;
        const QString installed
            = QDir::toNativeSeparators(QDir::cleanPath(QDir::fromNativeSeparators(
                programFolder + QStringLiteral("/" RAVELIN_DATA_FROM_PROGRAM "/") + name)));
        if (QFileInfo(installed).isFile())
            return installed;
    }
    return helpAddress(programFolder);
}

QUrl helpUrl(const QString &address, QChar separator)
{
    QString path = address;
    if (separator == QLatin1Char('\\'))
        path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    // A Windows share (\\server\share) keeps its two leading separators.
    const bool share = separator == QLatin1Char('\\') && path.startsWith(QStringLiteral("//"));
    QString clean = share ? QStringLiteral("//") : QString();
    for (const QChar c : share ? path.mid(2) : path) {
        if (c == QLatin1Char('/') && clean.endsWith(QLatin1Char('/')))
            continue;
        clean.append(c);
    }
    return QUrl::fromLocalFile(clean);
}

} // namespace rules
