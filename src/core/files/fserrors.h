#pragma once

#include "core/files/platform.h"

// Why a file could not be renamed, moved, deleted or made, as the lists of files that failed
// show it: one text for each reason, whichever operation met it.
namespace platform
{

enum class FsError {
    NoNewName,
    NoDestination,
    BadName,
    NotInFolder,
    Gone,
    FolderTookName,
    AlreadyThere,
    NoFolder,
    NoPermission,
    DiskFull,
    ReadOnly,
    NotPlainFile,
    ChangedMeanwhile,
    WrongSize,
    NoTrash,
    TrashNotMade,
    TrashNotFolder,
    TrashNotWritable,
    TooLongForTrash,
    NotAFolderName,
    FolderNameTaken,
    NoParentFolder,
    FolderNotMade,
    FolderNotOpened,
    ChangedSince,
    FolderChanged,
    OutOfTrash,
    TrashRecordChanged,
    NotOwnFile,
    TrashFull,
};

// The text for a reason; one that names a file or folder gets it in place of %1.
[[nodiscard]] QString errorText(FsError error, const QString &path = {});
[[nodiscard]] FsResult failure(FsError error, const QString &path = {});

} // namespace platform
