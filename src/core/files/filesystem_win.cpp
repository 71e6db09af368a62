#include "core/files/filesystem.h"
#include "core/files/filesystem_os.h"
#include "core/files/fserrors.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <io.h>
#include <windows.h>

namespace platform::os
{

Stamp stampOf(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return {};
    constexpr qint64 nanosecondsPerMillisecond = 1000000;
    return { true, info.isSymLink(), info.isSymLink() ? 0 : info.size(),
        info.lastModified().toMSecsSinceEpoch() * nanosecondsPerMillisecond };
}

bool flushToDisk(QFile &file)
{
    return file.flush()
        && FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()))) != 0;
}

// Windows keeps a folder's names on disk with the files renamed into it.
bool flushFolder(const QString &)
{
    return true;
}

FsResult openOwnFile(QFile &file, QIODevice::OpenMode mode)
{
    const QFileInfo info(file.fileName());
    if (info.isSymLink() || (info.exists() && !info.isFile()))
        return failure(FsError::NotOwnFile);
    if (!file.open(mode))
        return FsResult::failure(file.errorString());
    return {};
}

bool replaceWith(const QString &from, const QString &to)
{
    return MoveFileExW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(from).utf16()),
               reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(to).utf16()),
               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
        != 0;
}

qint64 longestName(const QString &)
{
    return 0;
}

FsResult renameInFolder(const QString &from, const QString &to)
{
    // Without MOVEFILE_REPLACE_EXISTING an existing target (in any letter case) is kept.
    if (MoveFileExW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(from).utf16()),
            reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(to).utf16()), 0))
        return {};
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
        return failure(FsError::AlreadyThere);
    return FsResult::failure(qt_error_string(int(error)));
}

// Qt's own checks are all there is.
QString cannotTrash(const QString &)
{
    return {};
}

} // namespace platform::os

namespace platform
{

// The user's profile, where such caches live, is the user's own.
bool isOwnPrivateFolder(const QString &path)
{
    const QFileInfo info(path);
    return info.isDir() && !info.isSymLink();
}

// The recycle bin keeps no records of this kind.
QString trashTop(const QString &)
{
    return {};
}

} // namespace platform
