#include "core/files/filesystem.h"
#include "core/files/filesystem_os.h"
#include "core/files/fserrors.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::os
{

namespace
{

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
        return placeNoReplace(from.constData(), to.constData());
    }

    // Makes a trash folder, for this user alone, unless it is there already.
    void makeTrashFolder(const QString &path)
    {
        ::mkdir(QFile::encodeName(path).constData(), S_IRWXU);
    }

    // Why a trash folder cannot take a file, or nothing when it can; made when missing.
    QString trashFolderProblem(const QString &path)
    {
        makeTrashFolder(path);
        const QByteArray name = QFile::encodeName(path);
        struct stat status {
        };
        if (::stat(name.constData(), &status) != 0)
            return errorText(FsError::TrashNotMade, path);
        if (!S_ISDIR(status.st_mode))
            return errorText(FsError::TrashNotFolder, path);
        if (::access(name.constData(), W_OK | X_OK) != 0)
            return errorText(FsError::TrashNotWritable, path);
        return {};
    }

    struct TrashFolder {
        QString path;
        QString problem;
    };

    // The trash that Qt takes for a file, found or made the way it looks for one: on another
    // volume than the home folder that volume's own trash, else the one in the user's data
    // folder. Qt would fall back to folders in the current directory, which may be the
    // picture folder itself: that is refused here.
    TrashFolder trashFor(const QString &file)
    {
        const QStorageInfo volume(file);
        if (volume != QStorageInfo(QDir::home())) {
            const QDir top(volume.rootPath());
            const QString user = QString::number(::getuid());
            struct stat shared {
            };
            if (::lstat(QFile::encodeName(top.filePath(".Trash")).constData(), &shared) == 0
                && S_ISDIR(shared.st_mode) && (shared.st_mode & S_ISVTX) != 0) {
                const QString own = top.filePath(QStringLiteral(".Trash/") + user);
                makeTrashFolder(own);
                if (QFileInfo(own).isDir())
                    return { own, {} };
            }
            const QString own = top.filePath(QStringLiteral(".Trash-") + user);
            makeTrashFolder(own);
            if (QFileInfo(own).isDir())
                return { own, {} };
        }
        const QString dataHome
            = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        if (dataHome.isEmpty() || QDir::isRelativePath(dataHome))
            return { {}, errorText(FsError::NoTrash) };
        // A fresh account may have no data folder yet.
        QDir().mkpath(dataHome);
        const QString home = QDir(dataHome).filePath(QStringLiteral("Trash"));
        makeTrashFolder(home);
        if (!QFileInfo(home).isDir())
            return { {}, errorText(FsError::TrashNotMade, home) };
        return { home, {} };
    }

} // namespace

Stamp stampOf(const QString &path)
{
    struct stat status {
    };
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    constexpr qint64 nanoseconds = 1000000000;
    return { true, S_ISLNK(status.st_mode), qint64(status.st_size),
        qint64(status.st_mtim.tv_sec) * nanoseconds + status.st_mtim.tv_nsec };
}

bool flushToDisk(QFile &file)
{
    return file.flush() && ::fsync(file.handle()) == 0;
}

bool flushFolder(const QString &folder)
{
    const int dir
        = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return true;
    const bool failed = ::fsync(dir) != 0 && errno == EIO;
    ::close(dir);
    return !failed;
}

bool replaceWith(const QString &from, const QString &to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

FsResult openOwnFile(QFile &file, QIODevice::OpenMode mode)
{
    int flags = O_CLOEXEC | O_NOFOLLOW;
    if (mode.testFlag(QIODevice::WriteOnly))
        flags |= mode.testFlag(QIODevice::ReadOnly) ? O_RDWR : O_WRONLY;
    if (mode.testFlag(QIODevice::Append))
        flags |= O_APPEND;
    if (mode.testFlag(QIODevice::NewOnly))
        flags |= O_CREAT | O_EXCL;
    const int fd = ::open(
        QFile::encodeName(file.fileName()).constData(), flags | O_NONBLOCK, S_IRUSR | S_IWUSR);
    if (fd < 0)
        return FsResult::failure(
            errno == ELOOP || errno == ENXIO ? errorText(FsError::NotOwnFile) : errnoText(errno));
    struct stat info {
    };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()
        || ::fcntl(fd, F_SETFL, flags & ~(O_CREAT | O_EXCL | O_CLOEXEC)) != 0) {
        ::close(fd);
        return failure(FsError::NotOwnFile);
    }
    if (!file.open(fd, mode & ~QIODevice::NewOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return FsResult::failure(file.errorString());
    }
    return {};
}

qint64 longestName(const QString &folder)
{
    const long longest = pathconf(QFile::encodeName(folder).constData(), _PC_NAME_MAX);
    return longest > 0 ? longest : 0;
}

FsResult renameInFolder(const QString &from, const QString &to)
{
    // On a case-insensitive volume "a.jpg" and "A.JPG" are one file: renaming one to the
    // other is a change of case, anything else that already exists is refused.
    const QFileInfo source(from);
    const QFileInfo target(to);
    if (target.exists()
        && !(source.canonicalFilePath() == target.canonicalFilePath()
            && source.fileName() != target.fileName()))
        return failure(FsError::AlreadyThere);
    const int error = renameOrChangeCase(QFile::encodeName(from), QFile::encodeName(to));
    if (error == EEXIST)
        return failure(FsError::AlreadyThere);
    if (error != 0)
        return FsResult::failure(errnoText(error));
    return {};
}

// Qt waits for ever for a record it cannot create, so whatever would stop it is looked
// at first: the trash, its two folders, and the length of the record's name.
QString cannotTrash(const QString &path)
{
    const TrashFolder trash = trashFor(QFileInfo(path).absoluteFilePath());
    if (!trash.problem.isEmpty())
        return trash.problem;
    const QDir dir(trash.path);
    for (const char *folder : { "files", "info" }) {
        const QString problem = trashFolderProblem(dir.filePath(QLatin1String(folder)));
        if (!problem.isEmpty())
            return problem;
    }
    // The record is the name with ".trashinfo" added, and "-0001" or the like before
    // that when the trash holds a file of that name already.
    const QString name = QFileInfo(path).fileName();
    const auto there = [&](const QString &relative) {
        const QFileInfo info(dir.filePath(relative));
        return info.exists() || info.isSymLink();
    };
    const bool taken = there(QStringLiteral("files/") + name)
        || there(QStringLiteral("info/%1.trashinfo").arg(name));
    const qsizetype recordBytes = QFile::encodeName(name).size()
        + qsizetype(std::strlen(taken ? "-0001.trashinfo" : ".trashinfo"));
    const long limit
        = ::pathconf(QFile::encodeName(dir.filePath("info")).constData(), _PC_NAME_MAX);
    if (limit > 0 && recordBytes > limit)
        return errorText(FsError::TooLongForTrash);
    return {};
}

} // namespace platform::os

namespace platform
{

bool isOwnPrivateFolder(const QString &path)
{
    struct stat status {
    };
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISDIR(status.st_mode)
        && status.st_uid == ::geteuid() && (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

QString trashTop(const QString &trash)
{
    const QFileInfo folder(QDir::cleanPath(trash));
    const QString user = QString::number(::getuid());
    if (folder.fileName() == QStringLiteral(".Trash-") + user)
        return folder.path();
    if (folder.fileName() == user && QFileInfo(folder.path()).fileName() == QLatin1String(".Trash"))
        return QFileInfo(folder.path()).path();
    return {};
}

} // namespace platform
