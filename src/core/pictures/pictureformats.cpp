#include "core/pictures/pictureformats.h"

#include "core/names/rules.h"

#include <QDir>
#include <QHash>
#include <QSet>

namespace pictureformats
{

const QStringList &rawExtensions()
{
    static const QStringList extensions { QStringLiteral("3fr"), QStringLiteral("arw"),
        QStringLiteral("cr2"), QStringLiteral("cr3"), QStringLiteral("crw"), QStringLiteral("dcr"),
        QStringLiteral("dng"), QStringLiteral("erf"), QStringLiteral("iiq"), QStringLiteral("kdc"),
        QStringLiteral("mrw"), QStringLiteral("nef"), QStringLiteral("nrw"), QStringLiteral("orf"),
        QStringLiteral("pef"), QStringLiteral("raf"), QStringLiteral("rw2"), QStringLiteral("rwl"),
        QStringLiteral("sr2"), QStringLiteral("srf"), QStringLiteral("srw"),
        QStringLiteral("x3f") };
    return extensions;
}

const QStringList &pictureExtensions()
{
    static const QStringList extensions = QStringList { QStringLiteral("jpg"),
        QStringLiteral("jpeg"), QStringLiteral("bmp"), QStringLiteral("gif"), QStringLiteral("ico"),
        QStringLiteral("icon"), QStringLiteral("png"), QStringLiteral("webp"),
        QStringLiteral("tif"), QStringLiteral("tiff"), QStringLiteral("heic"),
        QStringLiteral("heif"), QStringLiteral("avif") }
        + rawExtensions();
    return extensions;
}

QString rawPattern()
{
    QStringList wildcards;
    for (const QString &extension : rawExtensions())
        wildcards.append(QStringLiteral("*.") + extension);
    return wildcards.join(QLatin1Char(';'));
}

namespace
{
    QString extensionOf(const QString &name)
    {
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        return dot < 0 ? QString() : name.mid(dot + 1).toLower();
    }
} // namespace

bool isRaw(const QString &name)
{
    return rawExtensions().contains(extensionOf(name));
}

bool isJpegName(const QString &name)
{
    const QString extension = extensionOf(name);
    return extension == QLatin1String("jpg") || extension == QLatin1String("jpeg");
}

bool isSidecar(const QString &name)
{
    return extensionOf(name) == QLatin1String("xmp");
}

bool isPictureOrCompanion(const QString &name)
{
    static const QSet<QString> listed { QStringLiteral("jpg"), QStringLiteral("jpeg"),
        QStringLiteral("bmp"), QStringLiteral("gif"), QStringLiteral("ico"), QStringLiteral("icon"),
        QStringLiteral("png"), QStringLiteral("webp"), QStringLiteral("tif"),
        QStringLiteral("tiff"), QStringLiteral("heic"), QStringLiteral("heif"),
        QStringLiteral("avif"), QStringLiteral("xmp") };
    const QString extension = extensionOf(name);
    return listed.contains(extension) || rawExtensions().contains(extension);
}

QString baseName(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

QStringList withoutPairedRaws(const QStringList &names)
{
    QSet<QString> jpegs;
    for (const QString &name : names) {
        if (isJpegName(name))
            jpegs.insert(baseName(name).toCaseFolded());
    }
    QStringList kept;
    for (const QString &name : names) {
        if (!isRaw(name) || !jpegs.contains(baseName(name).toCaseFolded()))
            kept.append(name);
    }
    return kept;
}

bool isCompanion(const QString &main, const QString &other)
{
    const QString mainName = rules::filePart(main);
    const QString otherName = rules::filePart(other);
    if (rules::folderPart(main) != rules::folderPart(other) || mainName == otherName
        || baseName(mainName).compare(baseName(otherName), Qt::CaseInsensitive) != 0)
        return false;
    return isSidecar(otherName) || (isJpegName(mainName) && isRaw(otherName));
}

namespace
{
    // The names of a folder's files, sorted; a name that holds wildcard characters is matched
    // as it is, so the folder is listed whole.
    QStringList fileNamesIn(const QString &folder)
    {
        if (folder.isEmpty())
            return {};
        QDir dir(QDir::fromNativeSeparators(folder));
        return dir.entryList(QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
    }

    QStringList companionsIn(const QString &path, const QStringList &names)
    {
        const QString folder = rules::folderPart(path);
        QStringList found;
        for (const QString &name : names) {
            const QString other = rules::joinPath(folder, name);
            if (isCompanion(path, other))
                found.append(other);
        }
        return found;
    }
} // namespace

QStringList companionsOf(const QString &path)
{
    return companionsIn(path, fileNamesIn(rules::folderPart(path)));
}

QStringList withCompanions(const QStringList &paths)
{
    const QSet<QString> listed(paths.begin(), paths.end());
    QHash<QString, QStringList> folders;
    QSet<QString> taken;
    QStringList all;
    for (const QString &path : paths) {
        if (taken.contains(path))
            continue;
        taken.insert(path);
        all.append(path);
        const QString folder = rules::folderPart(path);
        auto names = folders.find(folder);
        if (names == folders.end())
            names = folders.insert(folder, fileNamesIn(folder));
        for (const QString &companion : companionsIn(path, *names)) {
            // A file selected on its own stays where the selection has it.
            if (!listed.contains(companion) && !taken.contains(companion)) {
                taken.insert(companion);
                all.append(companion);
            }
        }
    }
    return all;
}

QList<qsizetype> shotsOf(const QStringList &paths, bool keepPairs)
{
    QList<qsizetype> shots;
    qsizetype shot = -1;
    QString main;
    for (const QString &path : paths) {
        if (!keepPairs || shot < 0 || !isCompanion(main, path)) {
            ++shot;
            main = path;
        }
        shots.append(shot);
    }
    return shots;
}

} // namespace pictureformats
