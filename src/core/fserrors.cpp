#include "core/fserrors.h"

namespace platform
{

QString errorText(FsError error, const QString &path)
{
    switch (error) {
    case FsError::NoNewName:
        return QStringLiteral("No new name was given.");
    case FsError::NoDestination:
        return QStringLiteral("No destination was chosen.");
    case FsError::BadName:
        return QStringLiteral("The name holds characters a file name cannot have.");
    case FsError::NotInFolder:
        return QStringLiteral("The new name must stay in the same folder.");
    case FsError::Gone:
        return QStringLiteral("The file is no longer there.");
    case FsError::FolderTookName:
        return QStringLiteral("A folder now has the file's name.");
    case FsError::AlreadyThere:
        return QStringLiteral("A file of that name is already there.");
    case FsError::NoFolder:
        return QStringLiteral("The destination folder is not there.");
    case FsError::NoPermission:
        return QStringLiteral("No permission to move the file.");
    case FsError::DiskFull:
        return QStringLiteral("The destination disk is full.");
    case FsError::ReadOnly:
        return QStringLiteral("The destination cannot be written to.");
    case FsError::NotPlainFile:
        return QStringLiteral("Only plain files can be moved to another drive.");
    case FsError::ChangedMeanwhile:
        return QStringLiteral("The file changed while it was being moved.");
    case FsError::WrongSize:
        return QStringLiteral("The copy did not come out whole.");
    case FsError::NoTrash:
        return QStringLiteral("There is no Recycle Bin for this drive.");
    case FsError::TrashNotMade:
        return QStringLiteral("The trash folder %1 cannot be made.").arg(path);
    case FsError::TrashNotFolder:
        return QStringLiteral("The trash folder %1 is not a folder.").arg(path);
    case FsError::TrashNotWritable:
        return QStringLiteral("The trash folder %1 cannot be written to.").arg(path);
    case FsError::TooLongForTrash:
        return QStringLiteral("The name is too long for the trash.");
    case FsError::NotAFolderName:
        return QStringLiteral("That is not a folder name.");
    case FsError::FolderNameTaken:
        return QStringLiteral("A file or folder of that name already exists.");
    case FsError::NoParentFolder:
        return QStringLiteral("The folder to create it in does not exist.");
    case FsError::FolderNotMade:
        return QStringLiteral("The folder could not be created.");
    case FsError::FolderNotOpened:
        return QStringLiteral("Cannot open the folder %1.").arg(path);
    case FsError::ChangedSince:
        return QStringLiteral("The file has changed since, so it was left as it is.");
    case FsError::FolderChanged:
        return QStringLiteral("Its folder is no longer the one it was: a link or another folder "
                              "has taken its place.");
    case FsError::OutOfTrash:
        return QStringLiteral("It is no longer in the Recycle Bin: it was emptied or the file was "
                              "taken out.");
    case FsError::TrashRecordChanged:
        return QStringLiteral("Its record in the Recycle Bin no longer names its place.");
    }
    return {};
}

FsResult failure(FsError error, const QString &path)
{
    return FsResult::failure(errorText(error, path));
}

} // namespace platform
