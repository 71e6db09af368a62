#include "core/files/fserrors.h"

#include <QCoreApplication>

namespace platform
{

QString errorText(FsError error, const QString &path)
{
    switch (error) {
    case FsError::NoNewName:
        return QCoreApplication::translate("platform", "No new name was given.");
    case FsError::NoDestination:
        return QCoreApplication::translate("platform", "No destination was chosen.");
    case FsError::BadName:
        return QCoreApplication::translate(
            "platform", "The name holds characters a file name cannot have.");
    case FsError::NotInFolder:
        return QCoreApplication::translate(
            "platform", "The new name must stay in the same folder.");
    case FsError::Gone:
        return QCoreApplication::translate("platform", "The file is no longer there.");
    case FsError::FolderTookName:
        return QCoreApplication::translate("platform", "A folder now has the file's name.");
    case FsError::AlreadyThere:
        return QCoreApplication::translate("platform", "A file of that name is already there.");
    case FsError::NoFolder:
        return QCoreApplication::translate("platform", "The destination folder is not there.");
    case FsError::NoPermission:
        return QCoreApplication::translate("platform", "No permission to move the file.");
    case FsError::DiskFull:
        return QCoreApplication::translate("platform", "The destination disk is full.");
    case FsError::ReadOnly:
        return QCoreApplication::translate("platform", "The destination cannot be written to.");
    case FsError::NotPlainFile:
        return QCoreApplication::translate(
            "platform", "Only plain files can be moved to another drive.");
    case FsError::ChangedMeanwhile:
        return QCoreApplication::translate(
            "platform", "The file changed while it was being moved.");
    case FsError::WrongSize:
        return QCoreApplication::translate("platform", "The copy did not come out whole.");
    case FsError::NoTrash:
        return QCoreApplication::translate("platform", "There is no Recycle Bin for this drive.");
    case FsError::TrashNotMade:
        return QCoreApplication::translate("platform", "The trash folder %1 cannot be made.")
            .arg(path);
    case FsError::TrashNotFolder:
        return QCoreApplication::translate("platform", "The trash folder %1 is not a folder.")
            .arg(path);
    case FsError::TrashNotWritable:
        return QCoreApplication::translate("platform", "The trash folder %1 cannot be written to.")
            .arg(path);
    case FsError::TooLongForTrash:
        return QCoreApplication::translate("platform", "The name is too long for the trash.");
    case FsError::NotAFolderName:
        return QCoreApplication::translate("platform", "That is not a folder name.");
    case FsError::FolderNameTaken:
        return QCoreApplication::translate(
            "platform", "A file or folder of that name already exists.");
    case FsError::NoParentFolder:
        return QCoreApplication::translate(
            "platform", "The folder to create it in does not exist.");
    case FsError::FolderNotMade:
        return QCoreApplication::translate("platform", "The folder could not be created.");
    case FsError::FolderNotOpened:
        return QCoreApplication::translate("platform", "Cannot open the folder %1.").arg(path);
    case FsError::ChangedSince:
        return QCoreApplication::translate(
            "platform", "The file has changed since, so it was left as it is.");
    case FsError::FolderChanged:
        return QCoreApplication::translate("platform",
            "Its folder is no longer the one it was: a link or another folder "
            "has taken its place.");
    case FsError::OutOfTrash:
        return QCoreApplication::translate("platform",
            "It is no longer in the Recycle Bin: it was emptied or the file was "
            "taken out.");
    case FsError::TrashRecordChanged:
        return QCoreApplication::translate(
            "platform", "Its record in the Recycle Bin no longer names its place.");
    case FsError::NotOwnFile:
        return QCoreApplication::translate("platform", "It is not a plain file of your own.");
    case FsError::TrashFull:
        return QCoreApplication::translate("platform",
            "The disk of the Recycle Bin is full: its record of the picture could not be "
            "written, so the picture stayed where it was, and nothing more was moved there.");
    }
    return {};
}

FsResult failure(FsError error, const QString &path)
{
    return FsResult::failure(errorText(error, path));
}

} // namespace platform
