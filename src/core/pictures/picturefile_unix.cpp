#include "core/pictures/picturefile.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool PictureFile::openPicture(Links links)
{
    // Without waiting: a FIFO or a terminal would block the open itself until a writer comes.
    const int fd = ::open(QFile::encodeName(fileName()).constData(),
        O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | (links == Links::Refuse ? O_NOFOLLOW : 0));
    if (fd < 0) {
        setErrorString(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    struct stat info {
    };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        setErrorString(QCoreApplication::translate("PictureFile",
            "This is not a picture file but a device, a pipe or the "
            "like."));
        return false;
    }
    m_fileSize = info.st_size;
    if (!open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    setReadAhead(false);
    return true;
}

void PictureFile::setReadAhead(bool on)
{
    posix_fadvise(handle(), 0, 0, on ? POSIX_FADV_NORMAL : POSIX_FADV_RANDOM);
}

qint64 PictureFile::systemPosition() const
{
    return ::lseek(handle(), 0, SEEK_CUR);
}

QByteArray PictureFile::bytesAt(qint64 offset, qint64 size)
{
    QByteArray bytes(qMax(size, qint64(0)), Qt::Uninitialized);
    qint64 got = 0;
    while (got < bytes.size()) {
        const ssize_t read = ::pread(
            handle(), bytes.data() + got, size_t(bytes.size() - got), off_t(offset + got));
        if (read < 0 && errno == EINTR)
            continue;
        if (read <= 0)
            break;
        got += read;
    }
    bytes.truncate(got);
    return bytes;
}
