#include "core/names/moverules.h"

namespace rules
{

namespace
{
    // Characters no Windows file name may hold; the colon only after a drive letter.
    const QString windowsForbidden = QStringLiteral("<>:\"|?*");

    // A full Windows path on a drive: "X:\" and on. "X:name" would depend on the drive's
    // current directory, so it names no folder here.
    bool hasDriveLetter(const QString &path)
    {
        return path.size() >= 3 && path.at(0).isLetter() && path.at(1) == QLatin1Char(':')
            && isSeparator(path.at(2), QLatin1Char('\\'));
    }

    bool isFullPath(const QString &path, QChar separator)
    {
        if (separator == QLatin1Char('\\'))
            return hasDriveLetter(path) || (!path.isEmpty() && isSeparator(path.at(0), separator));
        return path.startsWith(separator);
    }

    bool canNameFolder(const QString &typed, QChar separator)
    {
        if (typed.trimmed().isEmpty())
            return false;
        const qsizetype skip
            = separator == QLatin1Char('\\') && hasDriveLetter(typed) ? qsizetype(2) : 0;
        for (qsizetype i = 0; i < typed.size(); ++i) {
            const QChar c = typed.at(i);
            if (c.category() == QChar::Other_Control)
                return false;
            if (separator == QLatin1Char('\\') && i >= skip && windowsForbidden.contains(c))
                return false;
        }
        return true;
    }
} // namespace

QString destinationPath(const QString &folder, const QString &source, QChar separator)
{
    return joinPath(folder, filePart(source, separator), separator);
}

QString newFolderPath(const QString &destination, const QString &typed, QChar separator)
{
    if (!canNameFolder(typed, separator))
        return {};
    if (separator == QLatin1Char('\\') && !hasDriveLetter(typed) && isFullPath(typed, separator)
        && !(typed.size() >= 2 && isSeparator(typed.at(1), separator))) {
        // A path from the root of a drive means the destination's drive.
        if (!hasDriveLetter(destination))
            return {};
        return destination.left(2) + typed;
    }
    if (isFullPath(typed, separator))
        return typed;
    if (destination.isEmpty())
        return {};
    return joinPath(destination, typed, separator);
}

} // namespace rules
