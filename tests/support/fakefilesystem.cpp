#include "support/fakefilesystem.h"

namespace
{
template <class Call>
platform::FsResult run(
    const FakeFileSystem &fs, FakeFileSystem::Op op, const QString &a, const QString &b, Call call)
{
    const auto failure = fs.fault ? fs.fault(op, a, b) : std::nullopt;
    return failure ? *failure : call();
}
} // namespace

platform::FsResult FakeFileSystem::renameFile(const QString &from, const QString &to)
{
    return run(*this, Op::Rename, from, to, [&] { return QtFileSystem::renameFile(from, to); });
}

platform::FsResult FakeFileSystem::moveFile(const QString &from, const QString &to)
{
    return run(*this, Op::Move, from, to, [&] { return QtFileSystem::moveFile(from, to); });
}

platform::FsResult FakeFileSystem::removeFile(const QString &path)
{
    return run(*this, Op::Remove, path, {}, [&] { return QtFileSystem::removeFile(path); });
}

platform::FsResult FakeFileSystem::moveToTrash(const QString &path)
{
    return run(*this, Op::Trash, path, {}, [&] { return QtFileSystem::moveToTrash(path); });
}

platform::FsResult FakeFileSystem::makeFolder(const QString &path)
{
    return run(*this, Op::MakeFolder, path, {}, [&] { return QtFileSystem::makeFolder(path); });
}

QString FakeFileSystem::programFolder() const
{
    return programFolderPath.isEmpty() ? QtFileSystem::programFolder() : programFolderPath;
}

QString FakeFileSystem::stateFolder() const
{
    return stateFolderPath.isEmpty() ? ownStateFolder->path() : stateFolderPath;
}

platform::Volume FakeFileSystem::volumeOf(const QString &folder) const
{
    platform::Volume volume = QtFileSystem::volumeOf(folder);
    volume.fileSystem = fileSystem.value_or(volume.fileSystem);
    return volume;
}
