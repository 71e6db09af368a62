#include "browser/pictureloader.h"

#include "browser/exifthumbnail.h"

#include <QFile>
#include <QImageReader>

namespace
{

// Qt refuses to allocate a decoded picture past this (QImageReader's limit, which is one for
// the whole program, so it is set once and never raised for one read). A scaled read counts
// only its small result; a picture decoded whole first counts in full, so one hostile header
// of a few hundred bytes (a BMP claiming 2554 x 18803, a GIF whose header Qt probes by
// decoding) cannot take more memory than all the rest of the program.
constexpr int allocationLimitMb = 128;
constexpr qint64 maxWholeDecodePixels = qint64(allocationLimitMb) * 1024 * 1024 / 4;
// A progressive JPEG keeps every coefficient of the whole picture while it decodes, even when
// asked for a small size: about 3 bytes a pixel, so 3 KB of header claiming 15000 x 15000
// took 690 MB. Past this many pixels (some 200 MB) such a picture is refused.
constexpr qint64 maxProgressivePixels = 64LL * 1024 * 1024;
// A JPEG's frame header follows its other header segments; a file with more is not read.
constexpr int maxJpegSegments = 256;
// An icon file lists its images in a directory; more than this is not a real icon.
constexpr int maxIconImages = 64;

bool isRotated(QImageIOHandler::Transformations transformation)
{
    return transformation.testFlag(QImageIOHandler::TransformationRotate90);
}

QString refusedSize(QSize size)
{
    return QStringLiteral("The picture claims to be %1 x %2 pixels, which is too large.")
        .arg(size.width())
        .arg(size.height());
}

// Whether a JPEG's frame header is a progressive one (SOF2, SOF6, SOF10 or SOF14), read
// segment by segment from the start of the file. Anything unexpected counts as not.
bool isProgressiveJpeg(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    uchar start[2];
    if (file.read(reinterpret_cast<char *>(start), 2) != 2 || start[0] != 0xFF || start[1] != 0xD8)
        return false;
    for (int segment = 0; segment < maxJpegSegments; ++segment) {
        uchar head[4];
        if (file.read(reinterpret_cast<char *>(head), 4) != 4 || head[0] != 0xFF)
            return false;
        const uchar type = head[1];
        if (type == 0xC2 || type == 0xC6 || type == 0xCA || type == 0xCE)
            return true;
        // Any other frame header (0xC4, 0xC8 and 0xCC are tables, not frames).
        if (type >= 0xC0 && type <= 0xCF && type != 0xC4 && type != 0xC8 && type != 0xCC)
            return false;
        const int length = (head[2] << 8) | head[3];
        if (length < 2 || !file.seek(file.pos() + length - 2))
            return false;
    }
    return false;
}

bool tooLarge(QSize size)
{
    return size.isValid() && qint64(size.width()) * size.height() > maxPicturePixels;
}

// Icons hold several sizes, the first often the smallest: take the largest. (Animations
// hold frames instead, and show their first.)
LoadedPicture readLargestIcon(QImageReader &reader)
{
    LoadedPicture best;
    const int count = qMin(reader.imageCount(), maxIconImages);
    for (int i = 0; i < count; ++i) {
        if (!reader.jumpToImage(i))
            break;
        if (tooLarge(reader.size()))
            continue;
        const QImage image = reader.read();
        if (!image.isNull()
            && qint64(image.width()) * image.height()
                > qint64(best.image.width()) * best.image.height())
            best.image = image;
    }
    if (best.image.isNull())
        best.error = reader.errorString();
    return best;
}

QImage inDisplayFormat(const QImage &image)
{
    if (image.format() == QImage::Format_ARGB32_Premultiplied
        || image.format() == QImage::Format_RGB32)
        return image;
    return image.convertToFormat(
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
}

} // namespace

LoadedPicture QtPictureLoader::load(const QString &path, QSize size) const
{
    // Set before the first read on any thread; a static's first use is thread-safe.
    static const bool limited = [] {
        QImageReader::setAllocationLimit(allocationLimitMb);
        return true;
    }();
    Q_UNUSED(limited);
    // A camera's own thumbnail costs a few kilobytes of reading instead of a whole decode.
    // A picture too large to decode is refused even when it carries a thumbnail.
    const exif::Header header = exif::read(path);
    if (exif::usable(header, size) && !tooLarge(header.pictureSize)) {
        const QImage shown = exif::oriented(header.thumbnail, header.orientation);
        return {
            inDisplayFormat(shown.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)), {}
        };
    }

    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize declared = reader.size();
    if (tooLarge(declared))
        return { {}, refusedSize(declared) };

    LoadedPicture result;
    if (!reader.supportsAnimation() && reader.imageCount() > 1) {
        result = readLargestIcon(reader);
    } else {
        const qint64 pixels = declared.isValid() ? qint64(declared.width()) * declared.height() : 0;
        if (reader.format() == "jpeg" && pixels > maxProgressivePixels && isProgressiveJpeg(path))
            return { {}, refusedSize(declared) };
        if (reader.supportsOption(QImageIOHandler::ScaledSize) && declared.isValid()) {
            // The scaled size applies before the orientation is.
            reader.setScaledSize(isRotated(reader.transformation()) ? size.transposed() : size);
        } else if (pixels > maxWholeDecodePixels) {
            return { {}, refusedSize(declared) };
        }
        result.image = reader.read();
        if (result.image.isNull())
            result.error = reader.errorString();
    }
    if (!result.ok())
        return result;
    if (result.image.size() != size)
        result.image = result.image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    result.image = inDisplayFormat(result.image);
    return result;
}
