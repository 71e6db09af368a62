#include "app/qtplatform.h"
#include "app/safemove.h"

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

    // On a volume that ignores case a new name that differs only in case finds the file
    // itself: that rename replaces nothing.
    int renameOrChangeCase(const QByteArray &from, const QByteArray &to)
    {
        struct stat source = {};
        struct stat target = {};
        if (lstat(from.constData(), &source) == 0 && lstat(to.constData(), &target) == 0
            && source.st_dev == target.st_dev && source.st_ino == target.st_ino)
            return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
        return renameNoReplace(from.constData(), to.constData());
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
    const int error = renameOrChangeCase(QFile::encodeName(from), QFile::encodeName(to));
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
