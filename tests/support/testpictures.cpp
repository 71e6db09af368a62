#include "support/testpictures.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>

#include <libexif/exif-data.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace testpictures
{

bool write(const QString &path, QColor color, QSize size)
{
    // Qt writes no GIF: use a real one kept with the tests.
    if (path.endsWith(QLatin1String(".gif"), Qt::CaseInsensitive)) {
        QFile::remove(path);
        return QFile::copy(data(QStringLiteral("formats/video-001.gif")), path);
    }
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image.save(path, nullptr, 95);
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QString data(const QString &relative)
{
    return QDir(QStringLiteral(RAVELIN_TEST_DATA)).filePath(relative);
}

QColor centre(const QImage &image)
{
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

bool near(QColor a, QColor b, int tolerance)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
        && qAbs(a.blue() - b.blue()) <= tolerance;
}

QByteArray jpegBytes(const QImage &image, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", quality);
    return bytes;
}

QByteArray jpegWithExif(const QImage &picture, int orientation, const QByteArray &thumbnail)
{
    struct Unref {
        void operator()(ExifData *data) const { exif_data_unref(data); }
    };
    const std::unique_ptr<ExifData, Unref> exif(exif_data_new());
    exif_data_set_byte_order(exif.get(), EXIF_BYTE_ORDER_INTEL);
    ExifEntry *entry = exif_entry_new();
    exif_content_add_entry(exif->ifd[EXIF_IFD_0], entry);
    exif_entry_initialize(entry, EXIF_TAG_ORIENTATION);
    exif_set_short(entry->data, EXIF_BYTE_ORDER_INTEL, static_cast<ExifShort>(orientation));
    exif_entry_unref(entry);
    if (!thumbnail.isEmpty()) {
        // The library frees the thumbnail with free().
        exif->data = static_cast<unsigned char *>(std::malloc(size_t(thumbnail.size())));
        std::memcpy(exif->data, thumbnail.constData(), size_t(thumbnail.size()));
        exif->size = static_cast<unsigned int>(thumbnail.size());
    }
    unsigned char *block = nullptr;
    unsigned int length = 0;
    exif_data_save_data(exif.get(), &block, &length);
    QByteArray segment("\xFF\xE1", 2);
    segment.append(char((length + 2) >> 8)).append(char((length + 2) & 0xFF));
    segment.append(reinterpret_cast<const char *>(block), qsizetype(length));
    std::free(block);

    // After the start marker and the JFIF segment Qt writes, where cameras put it.
    const QByteArray jpeg = jpegBytes(picture);
    const bool jfif = uchar(jpeg[2]) == 0xFF && uchar(jpeg[3]) == 0xE0;
    const int insertAt = jfif ? 4 + ((uchar(jpeg[4]) << 8) | uchar(jpeg[5])) : 2;
    return jpeg.left(insertAt) + segment + jpeg.mid(insertAt);
}

} // namespace testpictures

LoadedPicture CountingLoader::load(const QString &path, QSize size) const
{
    ++m_reads;
    {
        const QMutexLocker lock(&m_mutex);
        m_paths.append(path);
    }
    return m_real.load(path, size);
}

QStringList CountingLoader::paths() const
{
    const QMutexLocker lock(&m_mutex);
    return m_paths;
}

void CountingLoader::reset()
{
    const QMutexLocker lock(&m_mutex);
    m_reads = 0;
    m_paths.clear();
}
