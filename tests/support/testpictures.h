#pragma once

#include "browser/pictureloader.h"

#include <QColor>
#include <QMutex>
#include <QSize>
#include <QString>
#include <QStringList>
#include <atomic>

// Helpers that make real picture files for tests, and a loader that counts what it reads.
namespace testpictures
{

// Writes a picture of one colour; the format follows the file's extension (a GIF is a
// fixed real one, whatever the colour).
bool write(const QString &path, QColor color, QSize size = QSize(64, 48));
// Writes bytes as they are (a broken or fake picture).
bool writeBytes(const QString &path, const QByteArray &bytes);
// The path of a file kept with the tests.
QString data(const QString &relative);
// The colour in the middle of an image.
QColor centre(const QImage &image);
// True when two colours are within a JPEG's rounding of each other.
bool near(QColor a, QColor b, int tolerance = 24);
// A JPEG of the picture with an EXIF block as cameras write it: the orientation tag and,
// unless thumbnail is empty, those bytes as the embedded thumbnail.
QByteArray jpegWithExif(const QImage &picture, int orientation, const QByteArray &thumbnail = {});
// The image as JPEG bytes.
QByteArray jpegBytes(const QImage &image, int quality = 90);

} // namespace testpictures

// A picture loader that counts and records every file it reads.
class CountingLoader : public PictureLoader
{
public:
    LoadedPicture load(const QString &path, QSize size) const override;
    int reads() const { return m_reads.load(); }
    QStringList paths() const;
    void reset();

private:
    QtPictureLoader m_real;
    mutable std::atomic<int> m_reads { 0 };
    mutable QMutex m_mutex;
    mutable QStringList m_paths;
};
