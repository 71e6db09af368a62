#pragma once

#include "core/platform.h"

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
    QString stateFolder() const override;
    FsResult replaceFileDurably(const QString &path, const QByteArray &bytes) override;
    FsResult appendDurably(const QString &path, const QByteArray &bytes) override;
    Volume volumeOf(const QString &folder) const override;
    FsResult setCurrentFolder(const QString &path) override;
    QString currentFolder() const override;
    QString programFolder() const override;
};

} // namespace platform
