#pragma once

#include "core/files/platform.h"

// The real file system, on top of Qt and, where Qt falls short, the operating system. It
// needs no windows: the program's logic and its tests use it as it is.
namespace platform
{

class QtFileSystem : public FileSystem
{
public:
    FsResult renameFile(const QString &from, const QString &to) override;
    FsResult moveFile(const QString &from, const QString &to) override;
    FsResult removeFile(const QString &path) override;
    FsResult moveToTrash(const QString &path) override;
    FsResult makeFolder(const QString &path) override;
    FsResult removeEmptyFolder(const QString &path) override;
    QString stateFolder() const override;
    FsResult replaceFileDurably(const QString &path, const QByteArray &bytes) override;
    Volume volumeOf(const QString &folder) const override;
    FsResult setCurrentFolder(const QString &path) override;
    QString currentFolder() const override;
    QString programFolder() const override;
};

// Makes a folder and those up to it that are missing; the ones from root down are the
// owner's alone (0700), as private caches are.
[[nodiscard]] bool makePrivateFolders(const QString &root, const QString &folder);
// Whether a folder is a folder (not a link to one), the user's own and writable by nobody
// else: a cache that another user could put files or links in is not to be used.
[[nodiscard]] bool isOwnPrivateFolder(const QString &path);
// Writes a whole small file under a temporary name in its folder and renames it over the
// name, so that a reader sees the old file or the new one, never a part. ownerOnly: 0600.
[[nodiscard]] FsResult replaceFile(const QString &path, const QByteArray &bytes, bool ownerOnly);

// The record the trash keeps of a file in it (the freedesktop.org layout: the file in
// "files", its record in "info"); empty where the trash keeps no such record.
[[nodiscard]] QString trashRecordOf(const QString &inTrash);
// The folder a trash's relative paths start from: the top of the volume for a volume's own
// trash (".Trash-1000" or ".Trash/1000" there); empty for the trash in the home folder.
[[nodiscard]] QString trashTop(const QString &trash);

} // namespace platform
