#pragma once

#include "core/files/filesystem.h"

#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <optional>

// The real file system (tests check real files in temporary folders) with a hook to make an
// operation fail, or to change the disk as someone else would meanwhile, and a state folder
// of its own.
struct FakeFileSystem : platform::QtFileSystem {
    enum class Op { Rename, Move, Remove, Trash, MakeFolder };
    // Returns a failure to make the operation fail without touching the disk.
    std::function<std::optional<platform::FsResult>(Op, const QString &, const QString &)> fault;
    QString programFolderPath;
    // The state folder: a temporary one of the fake's own unless a test names one, so that
    // no test reads or writes the user's journal.
    QString stateFolderPath;
    std::shared_ptr<QTemporaryDir> ownStateFolder = std::make_shared<QTemporaryDir>();
    // The kind of file system every folder is on, instead of the real one ("exfat").
    std::optional<QString> fileSystem;

    platform::FsResult renameFile(const QString &from, const QString &to) override;
    platform::FsResult moveFile(const QString &from, const QString &to) override;
    platform::FsResult removeFile(const QString &path) override;
    platform::FsResult moveToTrash(const QString &path) override;
    platform::FsResult makeFolder(const QString &path) override;
    QString programFolder() const override;
    QString stateFolder() const override;
    platform::Volume volumeOf(const QString &folder) const override;
};
