#include "core/pictures/picturefile.h"

#include <QFileInfo>

#include <QCoreApplication>
#include <climits>
#include <io.h>

bool PictureFile::openPicture(Links links)
{
    // Opening a file never waits here; only a plain file is read all the same.
    const QFileInfo info(fileName());
    if (!info.isFile() || (links == Links::Refuse && info.isSymLink())) {
        setErrorString(QCoreApplication::translate("PictureFile",
            "This is not a picture file but a device, a pipe or the "
            "like."));
        return false;
    }
    if (!open(QIODevice::ReadOnly))
        return false;
    m_fileSize = size();
    return true;
}

// Windows reads ahead by its own measure.
void PictureFile::setReadAhead(bool) { }

qint64 PictureFile::systemPosition() const
{
    return _lseeki64(handle(), 0, SEEK_CUR);
}

QByteArray PictureFile::bytesAt(qint64 offset, qint64 size)
{
    const qint64 kept = _lseeki64(handle(), 0, SEEK_CUR);
    QByteArray bytes(qMax(size, qint64(0)), Qt::Uninitialized);
    qint64 got = 0;
    if (_lseeki64(handle(), offset, SEEK_SET) == offset) {
        while (got < bytes.size()) {
            const int read = _read(
                handle(), bytes.data() + got, unsigned(qMin(bytes.size() - got, qint64(INT_MAX))));
            if (read <= 0)
                break;
            got += read;
        }
    }
    _lseeki64(handle(), kept, SEEK_SET);
    bytes.truncate(got);
    return bytes;
}
