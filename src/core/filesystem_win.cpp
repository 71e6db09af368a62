#include "core/filesystem_os.h"
#include "core/fserrors.h"

#include <QDir>

#include <windows.h>

namespace platform::os
{

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
