#include "core/files/safemove.h"

#include "core/files/filesystem.h"
#include "core/files/filesystem_os.h"
#include "core/files/fserrors.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace platform
{

namespace
{

    // A QString can hold a NUL that the system would take as the end of the name.
    bool holdsNul(const QString &path)
    {
        return path.contains(QChar(u'\0'));
    }

} // namespace

FsResult safeMoveFile(const QString &from, const QString &to, const MoveHooks &hooks)
{
    if (to.isEmpty())
        return failure(FsError::NoDestination);
    if (from.isEmpty() || holdsNul(from) || holdsNul(to))
        return failure(FsError::BadName);
    const QFileInfo source(from);
    if (!source.exists() && !source.isSymLink())
        return failure(FsError::Gone);
    // Someone may have put a folder where the selected file was: that is not ours to move.
    if (source.isDir() && !source.isSymLink())
        return failure(FsError::FolderTookName);
    const QFileInfo target(to);
    if (target.exists() || target.isSymLink())
        return failure(FsError::AlreadyThere);
    if (!QFileInfo(target.absolutePath()).isDir())
        return failure(FsError::NoFolder);
    return os::move(from, to, hooks);
}

bool isPartialCopyName(const QString &name)
{
    // ".ravelin-move-" and six letters or digits (Unix) or up to 16 hex digits (Windows).
    static const QRegularExpression pattern(QStringLiteral("^\\.ravelin-move-[0-9A-Za-z]{1,16}$"));
    return pattern.match(name).hasMatch();
}

FsResult QtFileSystem::moveFile(const QString &from, const QString &to)
{
    return safeMoveFile(from, to);
}

} // namespace platform
