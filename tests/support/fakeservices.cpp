#include "support/fakeservices.h"

platform::Answer FakeBoxes::MsgBox(const QString &text, int code, const QString &title)
{
    shown.push_back({ text, code, title.isEmpty() ? platform::programTitle : title });
    if (onShow)
        onShow(shown.back());
    if (!answers.empty()) {
        const platform::Answer next = answers.front();
        answers.pop_front();
        return next;
    }
    return answer;
}

QStringList FakeBoxes::texts() const
{
    QStringList result;
    for (const Shown &box : shown)
        result.append(box.text);
    return result;
}

namespace
{
template <class Call>
platform::FsResult run(
    const FakeFileSystem &fs, FakeFileSystem::Op op, const QString &a, const QString &b, Call call)
{
    if (fs.fault) {
        if (const auto failure = fs.fault(op, a, b))
            return *failure;
    }
    return call();
}
} // namespace

platform::FsResult FakeFileSystem::renameFile(const QString &from, const QString &to)
{
    const auto result
        = run(*this, Op::Rename, from, to, [&] { return QtFileSystem::renameFile(from, to); });
    if (result)
        renamed.emplace_back(from, to);
    return result;
}

platform::FsResult FakeFileSystem::moveFile(const QString &from, const QString &to)
{
    const auto result
        = run(*this, Op::Move, from, to, [&] { return QtFileSystem::moveFile(from, to); });
    if (result)
        moved.emplace_back(from, to);
    return result;
}

platform::FsResult FakeFileSystem::removeFile(const QString &path)
{
    const auto result
        = run(*this, Op::Remove, path, {}, [&] { return QtFileSystem::removeFile(path); });
    if (result)
        removed.append(path);
    return result;
}

platform::FsResult FakeFileSystem::moveToTrash(const QString &path)
{
    const auto result
        = run(*this, Op::Trash, path, {}, [&] { return QtFileSystem::moveToTrash(path); });
    if (result)
        trashed.append(path);
    return result;
}

platform::FsResult FakeFileSystem::makeFolder(const QString &path)
{
    const auto result
        = run(*this, Op::MakeFolder, path, {}, [&] { return QtFileSystem::makeFolder(path); });
    if (result)
        madeFolders.append(path);
    return result;
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
    if (fileSystem)
        volume.fileSystem = *fileSystem;
    return volume;
}
