#include "core/files/filesystem.h"

#include "core/files/filesystem_os.h"
#include "core/files/fserrors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTemporaryFile>
#include <QUrl>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace platform
{

namespace
{
    // A record in the trash is a few lines; anything much larger is not one.
    constexpr qint64 largestTrashRecord = 64 * 1024;

    // Qt writes the original place into the record as it is; other programs read it escaped
    // as in a URL, and relative to the volume's top in a volume's own trash. The record is
    // written again that way; where that fails, it stays as Qt wrote it.
    void writeTrashRecordPath(const QString &inTrash, const QString &original)
    {
        const QString record = trashRecordOf(inTrash);
        QFile file(record);
        if (record.isEmpty() || QFileInfo(record).isSymLink() || file.size() > largestTrashRecord
            || !file.open(QIODevice::ReadOnly))
            return;
        QList<QByteArray> lines = file.readAll().split('\n');
        file.close();
        const auto path = std::find_if(lines.begin(), lines.end(),
            [](const QByteArray &line) { return line.startsWith("Path="); });
        if (path == lines.end())
            return;
        const QString top = trashTop(QFileInfo(inTrash).dir().filePath(QStringLiteral("..")));
        const QString wanted = QDir::cleanPath(original);
        const QString named = !top.isEmpty() && wanted.startsWith(top + QLatin1Char('/'))
            ? wanted.mid(top.size() + 1)
            : wanted;
        *path = "Path=" + QUrl::toPercentEncoding(QFile::encodeName(named), "/");
        const FsResult written = replaceFile(record, lines.join('\n'), true);
        Q_UNUSED(written);
    }
} // namespace

QString trashRecordOf(const QString &inTrash)
{
    const QFileInfo file(inTrash);
    QDir trash = file.dir();
    if (trash.dirName() != QLatin1String("files") || !trash.cdUp())
        return {};
    return trash.filePath(QStringLiteral("info/%1.trashinfo").arg(file.fileName()));
}

FsResult QtFileSystem::setCurrentFolder(const QString &path)
{
    if (!QDir::setCurrent(path))
        return failure(FsError::FolderNotOpened, path);
    return {};
}

QString QtFileSystem::currentFolder() const
{
    return QDir::toNativeSeparators(QDir::currentPath());
}

QString QtFileSystem::programFolder() const
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

Volume QtFileSystem::volumeOf(const QString &folder) const
{
    Volume volume;
    const QStorageInfo storage(folder);
    // The type as the mount table gives it: a FUSE driver that names its kind shows as
    // "fuseblk.exfat", one that does not (ntfs-3g, exfat-fuse) only as "fuseblk".
    if (storage.isValid())
        volume.fileSystem = QString::fromLatin1(storage.fileSystemType());
    if (const qint64 longest = os::longestName(folder))
        volume.maxNameLength = longest;
    return volume;
}

FsResult QtFileSystem::renameFile(const QString &from, const QString &to)
{
    if (to.isEmpty())
        return failure(FsError::NoNewName);
    const QFileInfo target(to);
    if (QFileInfo(from).absoluteDir() != target.absoluteDir())
        return failure(FsError::NotInFolder);
    if (!QFileInfo::exists(from))
        return failure(FsError::Gone);
    // Someone may have put a folder where the selected file was: that is not ours to rename.
    if (QFileInfo(from).isDir() && !QFileInfo(from).isSymLink())
        return failure(FsError::FolderTookName);
    return os::renameInFolder(from, to);
}

FsResult QtFileSystem::removeFile(const QString &path)
{
    QFile file(path);
    if (QFileInfo(path).isDir() && !QFileInfo(path).isSymLink())
        return failure(FsError::FolderTookName);
    if (!QFileInfo(path).isFile() && !QFileInfo(path).isSymLink())
        return failure(FsError::Gone);
    if (!file.remove())
        return FsResult::failure(file.errorString());
    return {};
}

FsResult QtFileSystem::moveToTrash(const QString &path)
{
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return failure(FsError::Gone);
    if (QFileInfo(path).isDir() && !QFileInfo(path).isSymLink())
        return failure(FsError::FolderTookName);
    const QString problem = os::cannotTrash(path);
    if (!problem.isEmpty())
        return FsResult::failure(problem);
    QString inTrash;
    const bool moved = QFile::moveToTrash(path, &inTrash);
    const QFileInfo inTrashInfo(inTrash);
    if (moved && !QFileInfo::exists(path) && inTrashInfo.isAbsolute()) {
        // A full disk leaves the trash's record of the file empty, which the system's call
        // does not tell: the file goes back, and the empty record away.
        const QString record = inTrashInfo.dir().filePath(
            QStringLiteral("../info/%1.trashinfo").arg(inTrashInfo.fileName()));
        const QFileInfo written(record);
        if (written.exists() && !written.isSymLink() && written.size() == 0
            && QFile::rename(inTrash, path)) {
            QFile::remove(record);
            return failure(FsError::TrashFull);
        }
        writeTrashRecordPath(inTrash, QFileInfo(path).absoluteFilePath());
        FsResult trashed;
        trashed.placedAt = inTrash;
        return trashed;
    }
    // The file went somewhere that is not a trash: put it back where it was, and remove the
    // record made for it and the folders made for both when nothing else is in them.
    if (moved && !inTrash.isEmpty() && QFileInfo::exists(inTrash) && !QFileInfo::exists(path)
        && QFile::rename(inTrash, path)) {
        const QFileInfo placed(inTrash);
        QDir trash = placed.dir();
        trash.cdUp();
        QFile::remove(trash.filePath(QStringLiteral("info/%1.trashinfo").arg(placed.fileName())));
        trash.rmdir(QStringLiteral("info"));
        trash.rmdir(QStringLiteral("files"));
    }
    return failure(FsError::NoTrash);
}

FsResult QtFileSystem::makeFolder(const QString &path)
{
    // The system would take a NUL as the end of the name and make another folder.
    if (path.isEmpty() || path.contains(QChar(u'\0')))
        return failure(FsError::NotAFolderName);
    const QFileInfo info(path);
    if (info.exists())
        return failure(FsError::FolderNameTaken);
    if (!QFileInfo(info.absolutePath()).isDir())
        return failure(FsError::NoParentFolder);
    if (!QDir().mkdir(path))
        return failure(FsError::FolderNotMade);
    return {};
}

FsResult QtFileSystem::removeEmptyFolder(const QString &path)
{
    // rmdir refuses a folder that holds anything.
    if (path.isEmpty() || !QDir().rmdir(path))
        return FsResult::failure(
            QCoreApplication::translate("platform", "The folder is not empty or is gone."));
    return {};
}

QString QtFileSystem::stateFolder() const
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 7, 0)
    return QStandardPaths::writableLocation(QStandardPaths::StateLocation);
#else
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
#endif
}

FsResult QtFileSystem::replaceFileDurably(const QString &path, const QByteArray &bytes)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return failure(FsError::FolderNotMade);
    const QString fresh = path + QStringLiteral(".new");
    // What a stopped write left, or anything else in the way: a new file is always made.
    if (QFileInfo(fresh).isSymLink() || !QFileInfo(fresh).isDir())
        QFile::remove(fresh);
    QFile file(fresh);
    if (const FsResult opened = os::openOwnFile(file, QIODevice::WriteOnly | QIODevice::NewOnly);
        !opened)
        return opened;
    if (file.write(bytes) != bytes.size() || !os::flushToDisk(file)) {
        const QString why = file.errorString();
        file.close();
        file.remove();
        return FsResult::failure(why);
    }
    file.close();
    if (!os::replaceWith(fresh, path)) {
        QFile::remove(fresh);
        return failure(FsError::NoPermission);
    }
    if (!os::flushFolder(folder))
        return FsResult::failure(
            QCoreApplication::translate("platform", "The disk reported an input/output error."));
    return {};
}

bool makePrivateFolders(const QString &root, const QString &folder)
{
    if (QFileInfo(folder).isDir())
        return true;
    const QString cleanRoot = QDir::cleanPath(root);
    const QString cleanFolder = QDir::cleanPath(folder);
    if (cleanFolder != cleanRoot && !cleanFolder.startsWith(cleanRoot + QLatin1Char('/')))
        return false;
    if (!QDir().mkpath(QFileInfo(cleanRoot).path()))
        return false;
    constexpr QFileDevice::Permissions ownerOnly
        = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    QString path = cleanRoot;
    const QStringList below
        = cleanFolder.mid(cleanRoot.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (qsizetype i = -1; i < below.size(); ++i) {
        if (i >= 0)
            path += QLatin1Char('/') + below[i];
        // Another thread may make the same folder at the same moment: there it is all the same.
        if (!QFileInfo(path).isDir() && !QDir().mkdir(path, ownerOnly) && !QFileInfo(path).isDir())
            return false;
    }
    return true;
}

FsResult replaceFile(const QString &path, const QByteArray &bytes, bool ownerOnly)
{
    // Made owner-only; the name is free and in the same folder, so the rename is one step.
    QTemporaryFile file(path + QStringLiteral(".XXXXXX"));
    file.setAutoRemove(true);
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush())
        return FsResult::failure(file.errorString());
    if (!ownerOnly)
        file.setPermissions(file.permissions() | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    file.close();
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(QFile::encodeName(file.fileName()).toStdString()),
        std::filesystem::path(QFile::encodeName(path).toStdString()), error);
    if (error)
        return FsResult::failure(QString::fromStdString(error.message()));
    file.setAutoRemove(false);
    return {};
}

} // namespace platform
