#include "browser/picturefile.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool PictureFile::openPicture()
{
    // Without waiting: a FIFO or a terminal would block the open itself until a writer comes.
    const int fd = ::open(
        QFile::encodeName(fileName()).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
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
