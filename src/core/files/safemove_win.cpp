#include "core/files/filesystem_os.h"
#include "core/files/fserrors.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <QCoreApplication>
#include <windows.h>

namespace platform::os
{

namespace
{

    LPCWSTR wide(const QString &path)
    {
        return reinterpret_cast<LPCWSTR>(path.utf16());
    }

    QString reason(DWORD error)
    {
        switch (error) {
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return errorText(FsError::AlreadyThere);
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return errorText(FsError::NoPermission);
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return errorText(FsError::DiskFull);
        case ERROR_WRITE_PROTECT:
            return errorText(FsError::ReadOnly);
        case ERROR_FILE_NOT_FOUND:
            return errorText(FsError::Gone);
        case ERROR_PATH_NOT_FOUND:
            return errorText(FsError::NoFolder);
        default:
            return QCoreApplication::translate(
                "platform", "The file could not be moved (error %1).")
                .arg(error);
        }
    }

    FsResult copyAcross(const QString &source, const QString &dest, const MoveHooks &hooks)
    {
        const QString temp = QDir::toNativeSeparators(QFileInfo(dest).absolutePath()
            + QStringLiteral("/.ravelin-move-")
            + QString::number(QRandomGenerator::global()->generate64(), 16));
        // CopyFileEx keeps the modification time and refuses to replace a file.
        if (!CopyFileExW(
                wide(source), wide(temp), nullptr, nullptr, nullptr, COPY_FILE_FAIL_IF_EXISTS)) {
            const DWORD error = GetLastError();
            if (error != ERROR_FILE_EXISTS)
                DeleteFileW(wide(temp));
            return FsResult::failure(reason(error));
        }
        PartialCopy partial(temp);
        if (QFileInfo(temp).size() != QFileInfo(source).size())
            return failure(FsError::WrongSize);
        const HANDLE file = CreateFileW(
            wide(temp), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return FsResult::failure(reason(GetLastError()));
        const bool flushed = FlushFileBuffers(file);
        const DWORD flushError = GetLastError();
        CloseHandle(file);
        if (!flushed)
            return FsResult::failure(reason(flushError));

        if (hooks.beforePlace)
            hooks.beforePlace();
        if (!MoveFileExW(wide(temp), wide(dest), MOVEFILE_WRITE_THROUGH))
            return FsResult::failure(reason(GetLastError()));
        partial.release();
        if (!DeleteFileW(wide(source))) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_NOT_FOUND)
                return {};
            DeleteFileW(wide(dest));
            return FsResult::failure(reason(error));
        }
        return {};
    }

} // namespace

FsResult move(const QString &from, const QString &to, const MoveHooks &hooks)
{
    const QString nativeFrom = QDir::toNativeSeparators(from);
    const QString nativeTo = QDir::toNativeSeparators(to);
    if (!hooks.alwaysCopy) {
        // Without MOVEFILE_REPLACE_EXISTING an existing target is kept.
        if (MoveFileExW(wide(nativeFrom), wide(nativeTo), 0))
            return {};
        const DWORD error = GetLastError();
        if (error != ERROR_NOT_SAME_DEVICE)
            return FsResult::failure(reason(error));
    }
    return copyAcross(nativeFrom, nativeTo, hooks);
}

} // namespace platform::os
