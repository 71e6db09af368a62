#include "browser/exifthumbnail.h"

#include "browser/picturefile.h"

#include <QBuffer>
#include <QImageReader>
#include <QTransform>

#include <libexif/exif-data.h>

#include <cmath>
#include <memory>

namespace exif
{

namespace
{

    constexpr int firstOrientation = 1;
    constexpr int lastOrientation = 8;
    // Orientations 5 to 8 turn the picture a quarter, swapping width and height.
    constexpr int firstQuarterTurn = 5;
    constexpr int quarterTurnDegrees = 90;

    struct ExifDataDeleter {
        void operator()(ExifData *data) const { exif_data_unref(data); }
    };
    using ExifDataPtr = std::unique_ptr<ExifData, ExifDataDeleter>;

    // Every JPEG starts with the marker byte and the start-of-image code.
    constexpr uchar jpegMarker = 0xFF;
    constexpr uchar jpegStartOfImage = 0xD8;

    bool isJpeg(const QByteArray &bytes)
    {
        return bytes.size() >= 2 && static_cast<uchar>(bytes[0]) == jpegMarker
            && static_cast<uchar>(bytes[1]) == jpegStartOfImage;
    }

    int orientationOf(ExifData *data)
    {
        const ExifEntry *entry
            = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
        if (entry == nullptr || entry->format != EXIF_FORMAT_SHORT || entry->components < 1
            || entry->data == nullptr)
            return firstOrientation;
        const int value = exif_get_short(entry->data, exif_data_get_byte_order(data));
        return value >= firstOrientation && value <= lastOrientation ? value : firstOrientation;
    }

    // The frame header's size, when the bytes reach that far.
    QSize frameSize(const QByteArray &start)
    {
        QByteArray bytes = start;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, "jpeg");
        return reader.size();
    }

    // The thumbnail's header is checked before it is decoded: a few bytes could claim any size.
    QImage decodeThumbnail(const unsigned char *data, unsigned int size)
    {
        QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
        if (!isJpeg(bytes))
            return {};
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, "jpeg");
        reader.setAutoTransform(false);
        const QSize declared = reader.size();
        if (!declared.isValid() || declared.width() > maxThumbnailSide
            || declared.height() > maxThumbnailSide)
            return {};
        return reader.read();
    }

} // namespace

Header parse(const QByteArray &start)
{
    Header header;
    if (!isJpeg(start))
        return header;
    const ExifDataPtr data(exif_data_new());
    if (!data)
        return header;
    exif_data_load_data(data.get(), reinterpret_cast<const unsigned char *>(start.constData()),
        static_cast<unsigned int>(start.size()));
    header.orientation = orientationOf(data.get());
    if (data->data == nullptr || data->size == 0)
        return header;
    header.thumbnail = decodeThumbnail(data->data, data->size);
    if (!header.thumbnail.isNull())
        header.pictureSize = frameSize(start);
    return header;
}

Header read(const QString &path, qint64 *bytesRead)
{
    PictureFile file(path);
    if (!file.openPicture()) {
        if (bytesRead != nullptr)
            *bytesRead = 0;
        return {};
    }
    return read(file, bytesRead);
}

Header read(QIODevice &file, qint64 *bytesRead)
{
    const QByteArray start = file.read(headerBytes);
    file.seek(0);
    if (bytesRead != nullptr)
        *bytesRead = start.size();
    return parse(start);
}

bool usable(const Header &header, QSize wanted)
{
    const QSize stored = header.thumbnail.size();
    const QSize picture = header.pictureSize;
    if (header.thumbnail.isNull() || picture.isEmpty())
        return false;
    const double thumbnailAspect = double(stored.width()) / stored.height();
    const double pictureAspect = double(picture.width()) / picture.height();
    if (std::abs(thumbnailAspect / pictureAspect - 1.0) > aspectTolerance)
        return false;
    const QSize shown = header.orientation >= firstQuarterTurn ? stored.transposed() : stored;
    return shown.width() >= wanted.width() && shown.height() >= wanted.height();
}

QImage oriented(const QImage &image, int orientation)
{
    // As stored, the picture is mirrored left to right, then upside down, then turned a
    // quarter clockwise, as far as each orientation asks.
    static constexpr struct {
        bool mirror;
        bool flip;
        bool quarter;
    } turns[] = {
        { false, false, false },
        { true, false, false },
        { true, true, false },
        { false, true, false },
        { false, true, true },
        { false, false, true },
        { true, false, true },
        { true, true, true },
    };
    if (orientation < firstOrientation || orientation > lastOrientation)
        return image;
    const auto &turn = turns[orientation - firstOrientation];
    QImage result = turn.mirror || turn.flip ? image.mirrored(turn.mirror, turn.flip) : image;
    if (turn.quarter)
        result = result.transformed(QTransform().rotate(quarterTurnDegrees));
    return result;
}

} // namespace exif
