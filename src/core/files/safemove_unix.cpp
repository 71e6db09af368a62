#include "core/files/filesystem_os.h"
#include "core/files/fserrors.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace platform::os
{

namespace
{

    constexpr size_t copyBlockBytes = size_t(1) << 20;
    constexpr unsigned renameNoReplaceFlag = 1;
    constexpr mode_t permissionBits = 0777;
    const QByteArray tempPattern = QByteArrayLiteral("/.ravelin-move-XXXXXX");

    QString reason(int error)
    {
        switch (error) {
        case EEXIST:
        case ENOTEMPTY:
            return errorText(FsError::AlreadyThere);
        case EACCES:
        case EPERM:
            return errorText(FsError::NoPermission);
        case ENOSPC:
        case EDQUOT:
            return errorText(FsError::DiskFull);
        case EROFS:
            return errorText(FsError::ReadOnly);
        default:
            return QString::fromLocal8Bit(std::strerror(error));
        }
    }

    // A file descriptor that is closed when it goes out of scope.
    class Fd
    {
    public:
        explicit Fd(int fd)
            : m_fd(fd)
        {
        }
        ~Fd()
        {
            if (m_fd >= 0)
                ::close(m_fd);
        }
        Fd(const Fd &) = delete;
        Fd &operator=(const Fd &) = delete;
        int get() const { return m_fd; }
        // Closing reports late write errors on some file systems: 0 or an errno value.
        int close()
        {
            const int fd = m_fd;
            m_fd = -1;
            return ::close(fd) == 0 ? 0 : errno;
        }

    private:
        int m_fd;
    };

    // Writes a whole block, carrying on after short writes: 0 or an errno value.
    int writeBlock(int fd, const char *data, qint64 length, qint64 offset, const MoveHooks &hooks)
    {
        while (length > 0) {
            qint64 chunk = length;
            if (hooks.writeFault) {
                if (const int error = hooks.writeFault(offset, chunk))
                    return error;
                chunk = qBound(qint64(1), chunk, length);
            }
            const ssize_t written = ::write(fd, data, static_cast<size_t>(chunk));
            if (written < 0 && errno == EINTR)
                continue;
            if (written < 0)
                return errno;
            if (written == 0)
                return ENOSPC;
            data += written;
            length -= written;
            offset += written;
        }
        return 0;
    }

    bool sameTime(const timespec &a, const timespec &b)
    {
        return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
    }

    // The same file, unchanged: its identity, size, and modification and change times.
    bool sameVersion(const struct stat &a, const struct stat &b)
    {
        return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size
            && sameTime(a.st_mtim, b.st_mtim) && sameTime(a.st_ctim, b.st_ctim);
    }

    FsResult copyAcross(const QString &from, const QString &to, const MoveHooks &hooks)
    {
        const QByteArray source = QFile::encodeName(from);
        const QByteArray dest = QFile::encodeName(to);
        // Not blocking: opening a named pipe would otherwise wait for a writer.
        const auto called = [&hooks](const char *call) {
            if (hooks.afterCall)
                hooks.afterCall(call);
        };
        const Fd in(open(source.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
        called("open");
        if (in.get() < 0 && errno == ELOOP)
            return failure(FsError::NotPlainFile);
        if (in.get() < 0)
            return FsResult::failure(errno == ENOENT ? errorText(FsError::Gone) : reason(errno));
        struct stat original {
        };
        if (fstat(in.get(), &original) != 0)
            return FsResult::failure(reason(errno));
        called("fstat");
        if (!S_ISREG(original.st_mode))
            return failure(FsError::NotPlainFile);

        const QByteArray folder = QFile::encodeName(QFileInfo(to).absolutePath());
        QByteArray temp = folder + tempPattern;
        Fd out(mkostemp(temp.data(), O_CLOEXEC));
        called("mkostemp");
        if (out.get() < 0)
            return FsResult::failure(reason(errno));
        PartialCopy partial(QFile::decodeName(temp));

        // The copy keeps the source's owner where that is allowed, and its permissions.
        if (fchown(out.get(), original.st_uid, original.st_gid) != 0) {
            // Not allowed for an ordinary user: the mover owns the copy.
        }
        called("fchown");
        if (fchmod(out.get(), original.st_mode & permissionBits) != 0)
            return FsResult::failure(reason(errno));
        called("fchmod");

        std::vector<char> buffer(copyBlockBytes);
        qint64 copied = 0;
        for (;;) {
            const ssize_t got = ::read(in.get(), buffer.data(), buffer.size());
            called("read");
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                return FsResult::failure(reason(errno));
            if (got == 0)
                break;
            if (const int error = writeBlock(out.get(), buffer.data(), got, copied, hooks))
                return FsResult::failure(reason(error));
            called("write");
            copied += got;
        }
        if (copied != original.st_size)
            return failure(FsError::ChangedMeanwhile);
        struct stat written {
        };
        if (fstat(out.get(), &written) != 0)
            return FsResult::failure(reason(errno));
        called("fstat");
        if (written.st_size != copied)
            return failure(FsError::WrongSize);
        const timespec times[2] = { original.st_atim, original.st_mtim };
        if (futimens(out.get(), times) != 0)
            return FsResult::failure(reason(errno));
        called("futimens");
        if (fsync(out.get()) != 0)
            return FsResult::failure(reason(errno));
        called("fsync");
        if (const int error = out.close())
            return FsResult::failure(reason(error));
        called("close");

        if (hooks.beforePlace)
            hooks.beforePlace();
        if (const int error = placeNoReplace(temp.constData(), dest.constData()))
            return FsResult::failure(reason(error));
        partial.release();
        called("rename");

        // The copy must be safely on disk under its new name before the source goes.
        if (!flushFolder(QFile::decodeName(folder))) {
            unlink(dest.constData());
            return FsResult::failure(reason(EIO));
        }
        called("fsync folder");
        // An edit made while the copy was read, even one that keeps the size, or another
        // file put in the source's place: the source stays, as it is now the newer one.
        struct stat now {
        };
        int error = lstat(source.constData(), &now) == 0 ? 0 : errno;
        called("lstat");
        if (error == 0 && !sameVersion(original, now)) {
            unlink(dest.constData());
            return failure(FsError::ChangedMeanwhile);
        }
        if (error == 0 && unlink(source.constData()) != 0)
            error = errno;
        // Someone else removed the source meanwhile: the copy is now the only one.
        if (error == 0 || error == ENOENT)
            return {};
        unlink(dest.constData());
        return FsResult::failure(reason(error));
    }

} // namespace

int placeNoReplace(const char *from, const char *to)
{
#if defined(SYS_renameat2)
    if (syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, renameNoReplaceFlag) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
#endif
    // Without an atomic no-replace rename, a hard link refuses an existing name too.
    if (link(from, to) == 0) {
        if (unlink(from) == 0)
            return 0;
        const int error = errno;
        unlink(to);
        return error;
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOTSUP)
        return errno;
    // No hard links either: claim the name with an empty file of our own, then rename
    // over that claim.
    const int claim = open(to, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (claim < 0)
        return errno;
    ::close(claim);
    if (::rename(from, to) == 0)
        return 0;
    const int error = errno;
    unlink(to);
    return error;
}

FsResult move(const QString &from, const QString &to, const MoveHooks &hooks)
{
    if (!hooks.alwaysCopy) {
        const int error = placeNoReplace(
            QFile::encodeName(from).constData(), QFile::encodeName(to).constData());
        if (error == 0)
            return {};
        if (error != EXDEV)
            return FsResult::failure(reason(error));
    }
    return copyAcross(from, to, hooks);
}

} // namespace platform::os
