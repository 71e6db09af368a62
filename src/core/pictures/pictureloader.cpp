#include "core/pictures/pictureloader.h"

#include "core/pictures/cameraformats.h"
#include "core/pictures/decodelimits.h"
#include "core/pictures/decoderworkers.h"
#include "core/pictures/exifthumbnail.h"
#include "core/pictures/picturefile.h"
#include "core/pictures/pictureformats.h"
#include "core/pictures/pngchunks.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QMutex>
#include <QWaitCondition>

#include <QCoreApplication>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <vector>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <optional>

using namespace decodelimits;

namespace
{

// A progressive JPEG keeps every coefficient of the whole picture while it decodes, even when
// asked for a small size: about 3 bytes a pixel, so 3 KB of header claiming 15000 x 15000
// took 690 MB. Past this many pixels (some 200 MB) such a picture is refused.
constexpr qint64 maxProgressivePixels = 64LL * 1024 * 1024;
// A JPEG's frame header follows its other header segments; a file with more is not read.
constexpr int maxJpegSegments = 256;
// Blocks of this size and more are mapped apart and given back to the system when freed:
// every picture but a thumbnail.
constexpr int mappedFromBytes = 1024 * 1024;
// An icon file lists its images in a directory; more than this is not a real icon.
constexpr int maxIconImages = 64;

// Icons hold images of up to 256 pixels a side; larger ones are not real icon images.
constexpr int maxIconSide = 1024;

// Memory that whole decodes hold at once, shared by every thread that loads pictures: a
// decode waits until it fits beside the others, and one larger than all of it runs alone.
class DecodeMemory
{
public:
    void acquire(qint64 bytes)
    {
        QMutexLocker lock(&m_mutex);
        while (m_used > 0 && m_used + bytes > decodememory::budgetBytes)
            m_freed.wait(&m_mutex);
        m_used += bytes;
        m_peak = qMax(m_peak, m_used);
    }
    void release(qint64 bytes)
    {
        QMutexLocker lock(&m_mutex);
        m_used -= bytes;
        m_freed.wakeAll();
    }
    qint64 peak()
    {
        QMutexLocker lock(&m_mutex);
        return m_peak;
    }
    void resetPeak()
    {
        QMutexLocker lock(&m_mutex);
        m_peak = m_used;
    }

private:
    QMutex m_mutex;
    QWaitCondition m_freed;
    qint64 m_used = 0;
    qint64 m_peak = 0;
};

DecodeMemory &decodeMemory()
{
    static DecodeMemory memory;
    return memory;
}

bool isRotated(QImageIOHandler::Transformations transformation)
{
    return transformation.testFlag(QImageIOHandler::TransformationRotate90);
}

quint32 littleEndian(const QByteArray &bytes, int at, int size)
{
    quint32 value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | static_cast<uchar>(bytes[at + i]);
    return value;
}

quint32 bigEndian32(const QByteArray &bytes, int at)
{
    quint32 value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<uchar>(bytes[at + i]);
    return value;
}

// Reads size bytes at offset, leaving the file where it was.
QByteArray readAt(QIODevice &file, qint64 offset, qint64 size)
{
    const qint64 kept = file.pos();
    QByteArray bytes;
    if (file.seek(offset))
        bytes = file.read(size);
    file.seek(kept);
    return bytes;
}

// Every JPEG starts with the start-of-image marker, whatever the file's name.
bool isJpeg(QIODevice &file)
{
    return readAt(file, 0, 2) == QByteArray("\xFF\xD8", 2);
}

// Whether a JPEG's frame header is a progressive one (SOF2, SOF6, SOF10 or SOF14), read
// segment by segment from the start of the file. Anything unexpected counts as not.
bool isProgressiveJpeg(QIODevice &file)
{
    const qint64 kept = file.pos();
    const auto progressive = [&file] {
        uchar start[2];
        if (!file.seek(0) || file.read(reinterpret_cast<char *>(start), 2) != 2 || start[0] != 0xFF
            || start[1] != 0xD8)
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
    }();
    file.seek(kept);
    return progressive;
}

// One image of a file that holds several, and the size it will decode to.
struct Candidate {
    int index;
    QSize size;
};

// An icon's images by their own sizes: the directory's sizes are a byte each and say nothing
// of what an image holds (a PNG image under a 256 x 256 entry can be 5600 x 5600). An image
// whose own header cannot be read gets an invalid size.
std::vector<Candidate> iconImages(PictureFile &file)
{
    constexpr int directoryHead = 6;
    constexpr int entrySize = 16;
    constexpr int imageHead = 24;
    const QByteArray head = readAt(file, 0, directoryHead);
    // Reserved, then 1 for an icon or 2 for a cursor.
    if (head.size() < directoryHead || littleEndian(head, 0, 2) != 0
        || (littleEndian(head, 2, 2) != 1 && littleEndian(head, 2, 2) != 2))
        return {};
    const int count = qMin(int(littleEndian(head, 4, 2)), maxIconImages);
    const QByteArray directory = readAt(file, directoryHead, qint64(count) * entrySize);
    std::vector<Candidate> images;
    for (int i = 0; i * entrySize + entrySize <= directory.size(); ++i) {
        const int entry = i * entrySize;
        // A byte each, 0 meaning 256.
        const auto listed = [&directory](int at) {
            const int side = static_cast<uchar>(directory[at]);
            return side == 0 ? 256 : side;
        };
        const int listedWidth = listed(entry);
        const int listedHeight = listed(entry + 1);
        const qint64 offset = littleEndian(directory, entry + 12, 4);
        const QByteArray image = readAt(file, offset, imageHead);
        QSize own;
        if (image.size() == imageHead && image.startsWith("\x89PNG\r\n\x1A\n")) {
            // One whose text or data is out of bounds is skipped like one that cannot be read.
            const QString refused = pngchunks::refusal([&file, offset](qint64 at, qint64 size) {
                return file.bytesAt(offset + at, size);
            });
            if (refused.isEmpty())
                own = QSize(int(qMin(bigEndian32(image, 16), quint32(INT_MAX))),
                    int(qMin(bigEndian32(image, 20), quint32(INT_MAX))));
        } else if (image.size() >= 12) {
            // A bitmap's height counts its colour and its mask rows.
            const auto width = qint32(littleEndian(image, 4, 4));
            const auto height = qint32(littleEndian(image, 8, 4));
            if (width > INT_MIN && height > INT_MIN)
                own = QSize(
                    qMax(std::abs(width), listedWidth), qMax(std::abs(height) / 2, listedHeight));
        }
        images.push_back({ i, own });
    }
    return images;
}

// Files that hold several images: icons hold several sizes, the first often the smallest,
// so the largest that may be decoded is read, or the next largest if it fails. (Animations
// hold frames instead, and show their first.) Each size is checked before any is decoded.
LoadedPicture readLargestImage(QImageReader &reader, std::vector<Candidate> images)
{
    const bool icon = !images.empty();
    if (!icon) {
        for (int i = 0; i < qMin(reader.imageCount(), maxIconImages); ++i) {
            if (reader.jumpToImage(i))
                images.push_back({ i, reader.size() });
        }
    }
    std::stable_sort(images.begin(), images.end(),
        [](const Candidate &a, const Candidate &b) { return pixelsOf(a.size) > pixelsOf(b.size); });
    LoadedPicture result;
    QSize refused;
    for (const Candidate &image : images) {
        const bool oversized = pixelsOf(image.size) > maxWholeDecodePixels
            || (icon && (image.size.width() > maxIconSide || image.size.height() > maxIconSide));
        if (!image.size.isValid() || oversized) {
            if (oversized && !refused.isValid())
                refused = image.size;
            continue;
        }
        if (!reader.jumpToImage(image.index))
            continue;
        const Reservation memory(pixelsOf(image.size) * bytesPerPixel);
        result.image = reader.read();
        if (result.ok())
            return result;
    }
    result.error = refused.isValid() ? refusedSize(refused) : reader.errorString();
    return result;
}

QImage inDisplayFormat(const QImage &image)
{
    if (image.format() == QImage::Format_ARGB32_Premultiplied
        || image.format() == QImage::Format_RGB32)
        return image;
    return image.convertToFormat(
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
}

// The one decode of a file that holds a single image.
LoadedPicture readImage(QImageReader &reader, QIODevice &file, QSize declared, QSize size)
{
    const qint64 pixels = pixelsOf(declared);
    const bool jpeg = isJpeg(file);
    const bool progressive = jpeg && isProgressiveJpeg(file);
    if (progressive && pixels > maxProgressivePixels)
        return { {}, refusedSize(declared) };
    if (reader.supportsOption(QImageIOHandler::ScaledSize) && declared.isValid()) {
        // The scaled size applies before the orientation is.
        reader.setScaledSize(isRotated(reader.transformation()) ? size.transposed() : size);
    } else if (pixels > maxWholeDecodePixels) {
        return { {}, refusedSize(declared) };
    }
    // Only a baseline JPEG is decoded straight to a small size: other formats that read to a
    // scaled size still hold the whole picture on the way, and a progressive JPEG holds the
    // whole picture's coefficients.
    const Reservation reserved(jpeg && !progressive ? 0 : pixels * bytesPerPixel);
    LoadedPicture result;
    result.image = reader.read();
    if (result.image.isNull())
        result.error = reader.errorString();
    return result;
}

// The pictures that the worker processes decode: camera RAW by its name, as the loader reads
// it, and HEIF, TIFF and WebP by their content.
bool decodedApart(const QString &path)
{
    if (pictureformats::isRaw(path))
        return true;
    PictureFile file(path);
    if (!file.openPicture())
        return false;
    const QByteArray start = readAt(file, 0, 12);
    return cameraformats::isHeif(start) || start.startsWith(QByteArray("II*\0", 4))
        || start.startsWith(QByteArray("MM\0*", 4)) || start.startsWith(QByteArray("II+\0", 4))
        || start.startsWith(QByteArray("MM\0+", 4))
        || (start.startsWith("RIFF") && start.mid(8, 4) == "WEBP");
}

} // namespace

namespace decodememory
{
qint64 peakBytes()
{
    return decodeMemory().peak();
}

void resetPeak()
{
    decodeMemory().resetPeak();
}
} // namespace decodememory

namespace decodelimits
{

Reservation::Reservation(qint64 bytes)
    : m_bytes(bytes)
{
    if (m_bytes > 0)
        decodeMemory().acquire(m_bytes);
}

Reservation::~Reservation()
{
    if (m_bytes > 0)
        decodeMemory().release(m_bytes);
}

qint64 pixelsOf(QSize size)
{
    return size.isValid() ? qint64(size.width()) * size.height() : 0;
}

bool tooLarge(QSize size)
{
    return size.isValid() && pixelsOf(size) > maxPicturePixels;
}

QString refusedSize(QSize size)
{
    return QCoreApplication::translate(
        "PictureLoader", "The picture claims to be %1 x %2 pixels, which is too large.")
        .arg(size.width())
        .arg(size.height());
}

QImage fitted(const QImage &image, QSize size)
{
    return inDisplayFormat(image.size() == size
            ? image
            : image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

LoadedPicture decodeEmbedded(const QByteArray &bytes, QSize size)
{
    if (bytes.count(QByteArrayView("\xFF\xDA", 2)) > maxJpegScans) {
        return { {},
            QCoreApplication::translate("PictureLoader",
                "The embedded picture has more than %1 scans, more than any camera writes.")
                .arg(maxJpegScans) };
    }
    if (const QString png = pngchunks::refusal(bytes); !png.isEmpty())
        return { {}, png };
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(false);
    const QSize declared = reader.size();
    if (!declared.isValid())
        return { {}, reader.errorString() };
    if (tooLarge(declared))
        return { {}, refusedSize(declared) };
    return readImage(reader, buffer, declared, size);
}

} // namespace decodelimits

QtPictureLoader::QtPictureLoader(Decoding decoding, WorkerLimits limits)
{
#ifdef __GLIBC__
    // A freed picture goes back to the system. Left to itself, the allocator raises the size
    // it maps apart to that of each large block freed (up to 32 MB), and then keeps pictures
    // up to that size in the heaps of the loading threads, one heap each, resident once freed:
    // the grid and the previews of a folder took 390 MB on 8 threads instead of 194.
    static const bool mapped = ::mallopt(M_MMAP_THRESHOLD, mappedFromBytes) != 0;
    Q_UNUSED(mapped);
#endif
#ifdef Q_OS_UNIX
    if (decoding == Decoding::Apart)
        m_workers = std::make_shared<const DecoderWorkers>(QString(), limits);
#else
    Q_UNUSED(decoding);
    Q_UNUSED(limits);
#endif
}

QtPictureLoader::Decoding QtPictureLoader::standardDecoding()
{
    return qEnvironmentVariableIsSet("RAVELIN_DECODE_IN_PROCESS") ? Decoding::InProcess
                                                                  : Decoding::Apart;
}

LoadedPicture QtPictureLoader::load(const QString &path, QSize size) const
{
#ifdef Q_OS_UNIX
    if (m_workers && decodedApart(path))
        return m_workers->decode(path, size, false);
#endif
    return read(path, [size](QSize) { return size; });
}

LoadedPicture QtPictureLoader::loadFitted(const QString &path, int side) const
{
#ifdef Q_OS_UNIX
    if (m_workers && decodedApart(path))
        return m_workers->decode(path, QSize(side, side), true);
#endif
    return read(path, [side](QSize shape) {
        if (!shape.isValid())
            return QSize(side, side);
        if (shape.width() <= side && shape.height() <= side)
            return shape;
        return shape.scaled(side, side, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    });
}

QDateTime QtPictureLoader::takenTime(const QString &path) const
{
#ifdef Q_OS_UNIX
    if (m_workers && decodedApart(path))
        return m_workers->takenTime(path);
#endif
    PictureFile file(path);
    if (!file.openPicture())
        return {};
    if (cameraformats::isHeif(readAt(file, 0, 12)))
        return cameraformats::heifTakenTime(file);
    if (pictureformats::isRaw(path)) {
        const std::optional<QDateTime> raw = cameraformats::rawTakenTime(file);
        if (raw)
            return *raw;
        file.seek(0);
    }
    file.setByteBudget(file.bytesRead() + headerBudgetBytes);
    return exif::read(file).taken;
}

template <class SizeFor>
LoadedPicture QtPictureLoader::read(const QString &path, const SizeFor &sizeFor) const
{
    // Set before the first read on any thread; a static's first use is thread-safe.
    static const bool limited = [] {
        QImageReader::setAllocationLimit(allocationLimitMb);
        return true;
    }();
    Q_UNUSED(limited);
    PictureFile file(path);
    if (!file.openPicture())
        return { {}, file.errorString() };
    // HEIC and AVIF by their content, RAW files by their name: many RAW files are TIFF files
    // to any other reader, and would show their small first picture.
    // These readers take the box to fill before they know the picture's shape.
    const QSize box = sizeFor(QSize());
    if (cameraformats::isHeif(readAt(file, 0, 12))) {
        file.setReadAhead(true);
        // A HEIF decode is dear: worth keeping in the shared thumbnail cache.
        LoadedPicture heif = cameraformats::loadHeif(file, box);
        heif.decoded = heif.ok();
        return heif;
    }
    if (pictureformats::isRaw(path)) {
        file.setReadAhead(true);
        cameraformats::RawResult raw = cameraformats::loadRaw(file, box);
        if (!raw.notRaw)
            return raw.picture;
        file.seek(0);
        file.setReadAhead(false);
    }
    file.setByteBudget(headerBudgetBytes);
    // A camera's own thumbnail costs a few kilobytes of reading instead of a whole decode.
    // A picture too large to decode is refused even when it carries a thumbnail.
    const exif::Header header = exif::read(file);
    // Orientations 5 to 8 turn the picture a quarter.
    const QSize size
        = sizeFor(header.orientation >= 5 ? header.pictureSize.transposed() : header.pictureSize);
    if (exif::usable(header, size) && !tooLarge(header.pictureSize)) {
        const QImage shown = exif::oriented(header.thumbnail, header.orientation);
        LoadedPicture thumbnail {
            inDisplayFormat(shown.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)), {}
        };
        thumbnail.taken = header.taken;
        return thumbnail;
    }

    // A PNG's text and data are measured before Qt's reader keeps or inflates them.
    const QString png = pngchunks::refusal(
        [&file](qint64 offset, qint64 bytes) { return file.bytesAt(offset, bytes); });
    if (!png.isEmpty())
        return { {}, png };
    file.setReadAhead(true);
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    const QSize declared = reader.size();
    if (!declared.isValid() && file.budgetHit())
        return { {},
            QCoreApplication::translate(
                "PictureLoader", "The picture's header is not near the start of the file.") };
    if (tooLarge(declared))
        return { {}, refusedSize(declared) };
    if (isJpeg(file))
        file.setScanLimit(maxJpegScans);
    file.setByteBudget(
        file.bytesRead() + readBudgetSlackBytes + readBudgetBytesPerPixel * pixelsOf(declared));

    LoadedPicture result;
    std::vector<Candidate> icon = iconImages(file);
    QSize wanted = size;
    if (!icon.empty() || (!reader.supportsAnimation() && reader.imageCount() > 1)) {
        result = readLargestImage(reader, std::move(icon));
        wanted = sizeFor(result.image.size());
    } else {
        wanted = sizeFor(isRotated(reader.transformation()) ? declared.transposed() : declared);
        result = readImage(reader, file, declared, wanted);
    }
    result.decoded = true;
    result.taken = header.taken;
    if (file.scanLimitHit()) {
        return { {},
            QCoreApplication::translate("PictureLoader",
                "The picture has more than %1 scans, more than any camera or "
                "program writes.")
                .arg(maxJpegScans) };
    }
    if (file.budgetHit()) {
        return { {},
            QCoreApplication::translate("PictureLoader",
                "The file holds far more data than a picture of its size needs.") };
    }
    if (!result.ok()) {
        result.readerMissing = reader.error() == QImageReader::UnsupportedFormatError
            && !QImageReader::supportedImageFormats().contains(
                QFileInfo(path).suffix().toLower().toLatin1());
        return result;
    }
    if (result.image.size() != wanted)
        result.image = result.image.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    result.image = inDisplayFormat(result.image);
    return result;
}
