#include "core/names/rules.h"

namespace rules
{

bool isSeparator(QChar c, QChar separator)
{
    return c == separator || (separator == QLatin1Char('\\') && c == QLatin1Char('/'));
}

namespace
{
    qsizetype lastSeparator(const QString &path, QChar separator)
    {
        for (qsizetype i = path.size() - 1; i >= 0; --i) {
            if (isSeparator(path.at(i), separator))
                return i;
        }
        return -1;
    }
} // namespace

QString joinPath(const QString &folder, const QString &name, QChar separator)
{
    if (!folder.isEmpty() && isSeparator(folder.back(), separator))
        return folder + name;
    return folder + separator + name;
}

QString folderPart(const QString &path, QChar separator)
{
    return path.left(lastSeparator(path, separator) + 1);
}

QString filePart(const QString &path, QChar separator)
{
    return path.mid(lastSeparator(path, separator) + 1);
}

} // namespace rules
