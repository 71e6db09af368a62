#include "browser/picturefile.h"

#include <QFileInfo>

#include <QCoreApplication>
#include <io.h>

bool PictureFile::openPicture()
{
    // Opening a file never waits here; only a plain file is read all the same.
    const QFileInfo info(fileName());
    if (!info.isFile()) {
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
