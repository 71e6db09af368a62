#pragma once

#include "core/files/platform.h"
#include "core/files/safemove.h"

#include <QFile>
#include <QString>

// What the file system does in its own way on each system: filesystem_unix.cpp and
// safemove_unix.cpp, or their _win twins; the build takes one pair.
namespace platform::os
{

// The longest file name the volume that holds the folder takes; 0 when it does not say.
[[nodiscard]] qint64 longestName(const QString &folder);

// Gives an existing file a new name in its own folder, never replacing another file; a name
// that differs only in letter case on a volume that ignores case is the file itself.
[[nodiscard]] FsResult renameInFolder(const QString &from, const QString &to);

// Why the file cannot be put in the trash, or nothing when nothing stops it.
[[nodiscard]] QString cannotTrash(const QString &path);

// The move itself, once the names have been checked (see safeMoveFile).
[[nodiscard]] FsResult move(const QString &from, const QString &to, const MoveHooks &hooks);

// Gives a file a new name on its own volume, never replacing an existing one, also where
// the volume has no atomic way to refuse one (FAT and exFAT through FUSE): 0 or an errno
// value (EXDEV across volumes). Unix only: renames and moves both go through it.
[[nodiscard]] int placeNoReplace(const char *from, const char *to);

// What the disk holds under a name, without following a link: whether it is there, whether
// it is a link, its size and its modification time in nanoseconds.
struct Stamp {
    bool exists = false;
    bool link = false;
    qint64 size = -1;
    qint64 modified = -1;
    bool operator==(const Stamp &) const = default;
};
[[nodiscard]] Stamp stampOf(const QString &path);

// Flushes what was written to an open file to the disk itself: false when the disk fails.
[[nodiscard]] bool flushToDisk(QFile &file);

// Makes the names in a folder durable (a file renamed into it); false on an input/output
// error only, as some file systems cannot flush a folder at all.
[[nodiscard]] bool flushFolder(const QString &folder);

// Opens a file of the program's own: never through a link, never waiting on a named pipe, and
// only a plain file of the user's; with QIODevice::NewOnly it makes the file, which must not
// be there yet. The reason when it is refused.
[[nodiscard]] FsResult openOwnFile(QFile &file, QIODevice::OpenMode mode);

// Renames a file of the program's own over another one of its own, in one step.
[[nodiscard]] bool replaceWith(const QString &from, const QString &to);

// Removes a partial copy when the move gives up, unless it was put in place.
class PartialCopy
{
public:
    explicit PartialCopy(const QString &path)
        : m_path(path)
    {
    }
    ~PartialCopy()
    {
        if (!m_path.isEmpty())
            QFile::remove(m_path);
    }
    PartialCopy(const PartialCopy &) = delete;
    PartialCopy &operator=(const PartialCopy &) = delete;
    void release() { m_path.clear(); }

private:
    QString m_path;
};

} // namespace platform::os
