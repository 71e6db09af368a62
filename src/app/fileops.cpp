#include "app/qtplatform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace platform
{

namespace
{

    QString notAFile()
    {
        return QStringLiteral("A folder now has the file's name.");
    }

#ifndef Q_OS_WIN
    QString errnoText(int error)
    {
        return QString::fromLocal8Bit(std::strerror(error));
    }

    // For a volume with neither a no-replace rename nor hard links (FAT and exFAT through
    // FUSE): look, then rename. Only a file made in between could be replaced. A change of
    // case on such a volume finds the file itself, and is allowed.
    int renameIfFree(const QByteArray &from, const QByteArray &to)
    {
        struct stat source = {};
        struct stat target = {};
        if (lstat(to.constData(), &target) == 0) {
            if (lstat(from.constData(), &source) != 0 || source.st_dev != target.st_dev
                || source.st_ino != target.st_ino)
                return EEXIST;
        } else if (errno != ENOENT) {
            return errno;
        }
        return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
    }

    int renameNoReplace(const QByteArray &from, const QByteArray &to)
    {
#if defined(SYS_renameat2)
#ifndef RENAME_NOREPLACE
        constexpr unsigned RENAME_NOREPLACE = 1;
#endif
        if (syscall(SYS_renameat2, AT_FDCWD, from.constData(), AT_FDCWD, to.constData(),
                RENAME_NOREPLACE)
            == 0)
            return 0;
        if (errno != EINVAL && errno != ENOSYS)
            return errno;
#endif
        // No atomic no-replace rename on this file system: a hard link fails when the target
        // exists, so it never replaces one either.
        if (link(from.constData(), to.constData()) != 0) {
            if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOTSUP)
                return errno;
            return renameIfFree(from, to);
        }
        if (unlink(from.constData()) != 0) {
            const int error = errno;
            unlink(to.constData());
            return error;
        }
        return 0;
    }
#endif

} // namespace

FsResult QtFileSystem::renameFile(const QString &from, const QString &to)
{
    if (to.isEmpty())
        return FsResult::failure(QStringLiteral("No new name was given."));
    const QFileInfo target(to);
    if (QFileInfo(from).absoluteDir() != target.absoluteDir())
        return FsResult::failure(QStringLiteral("The new name must stay in the same folder."));
    if (!QFileInfo::exists(from))
        return FsResult::failure(QStringLiteral("The file is no longer there."));
    // Someone may have put a folder where the selected file was: that is not ours to rename.
    if (QFileInfo(from).isDir() && !QFileInfo(from).isSymLink())
        return FsResult::failure(notAFile());
#ifdef Q_OS_WIN
    // Without MOVEFILE_REPLACE_EXISTING an existing target (in any letter case) is kept.
    if (!MoveFileExW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(from).utf16()),
            reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(to).utf16()), 0))
        return FsResult::failure(QStringLiteral("A file of that name may already exist."));
    return {};
#else
    // On a case-insensitive volume "a.jpg" and "A.JPG" are one file: renaming one to the
    // other is a change of case, anything else that already exists is refused.
    const QFileInfo source(from);
    if (target.exists()
        && !(source.canonicalFilePath() == target.canonicalFilePath()
            && source.fileName() != target.fileName()))
        return FsResult::failure(QStringLiteral("A file of that name already exists."));
    const int error = renameNoReplace(QFile::encodeName(from), QFile::encodeName(to));
    if (error == EEXIST)
        return FsResult::failure(QStringLiteral("A file of that name already exists."));
    if (error != 0)
        return FsResult::failure(errnoText(error));
    return {};
#endif
}

FsResult QtFileSystem::removeFile(const QString &path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() && !QFileInfo(path).isSymLink())
        return FsResult::failure(QStringLiteral("The file is no longer there."));
    if (!file.remove())
        return FsResult::failure(file.errorString());
    return {};
}

FsResult QtFileSystem::moveToTrash(const QString &path)
{
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return FsResult::failure(QStringLiteral("The file is no longer there."));
    if (QFileInfo(path).isDir() && !QFileInfo(path).isSymLink())
        return FsResult::failure(notAFile());
    // Qt puts the trash under the user's data folder; when that folder is missing it would
    // make a "files" folder in the current directory instead, so make sure it is there.
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!dataHome.isEmpty())
        QDir().mkpath(dataHome);
    QString inTrash;
    const bool moved = QFile::moveToTrash(path, &inTrash);
    if (moved && !QFileInfo::exists(path) && QFileInfo(inTrash).isAbsolute())
        return {};
    if (moved) {
        // The file went somewhere that is not a trash: put it back where it was.
        if (!inTrash.isEmpty() && QFileInfo::exists(inTrash) && !QFileInfo::exists(path))
            QFile::rename(inTrash, path);
    }
    return FsResult::failure(QStringLiteral("There is no Recycle Bin for this drive."));
}

FsResult QtFileSystem::makeFolder(const QString &path)
{
    // The system would take a NUL as the end of the name and make another folder.
    if (path.isEmpty() || path.contains(QChar(u'\0')))
        return FsResult::failure(QStringLiteral("That is not a folder name."));
    const QFileInfo info(path);
    if (info.exists())
        return FsResult::failure(QStringLiteral("A file or folder of that name already exists."));
    if (!QFileInfo(info.absolutePath()).isDir())
        return FsResult::failure(QStringLiteral("The folder to create it in does not exist."));
    if (!QDir().mkdir(path))
        return FsResult::failure(QStringLiteral("The folder could not be created."));
    return {};
}

} // namespace platform
