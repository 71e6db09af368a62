#include "core/pictures/exifthumbnail.h"

#include "core/pictures/picturefile.h"
#include "core/pictures/takentime.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QTransform>

#include <libexif/exif-data.h>

#include <algorithm>
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
    constexpr uchar jpegEndOfImage = 0xD9;
    constexpr uchar jpegStartOfScan = 0xDA;
    constexpr uchar jpegExifSegment = 0xE1; // APP1
    // Frame headers are C0 to CF, except the Huffman table, the arithmetic coding and the
    // arithmetic conditioning segments among them.
    constexpr uchar firstFrame = 0xC0;
    constexpr uchar lastFrame = 0xCF;
    constexpr uchar huffmanTable = 0xC4;
    constexpr uchar arithmeticCoding = 0xC8;
    constexpr uchar arithmeticConditioning = 0xCC;
    // Marker and length; the length counts its own two bytes.
    constexpr qint64 segmentHead = 4;
    constexpr qint64 lengthBytes = 2;
    // A frame header's precision byte, then the height and the width.
    constexpr qint64 frameFields = 5;
    const QByteArray exifIdentifier("Exif\0\0", 6);
    // The TIFF block: byte order, magic number and the offset of the first directory; each
    // directory holds a count, entries of 12 bytes and the offset of the next directory.
    constexpr qint64 tiffHead = 8;
    constexpr qint64 directoryEntry = 12;
    constexpr quint16 tiffShort = 3;
    constexpr quint16 tagThumbnailOffset = 0x0201; // JPEGInterchangeFormat
    constexpr quint16 tagThumbnailLength = 0x0202; // JPEGInterchangeFormatLength

    bool isJpeg(const QByteArray &bytes)
    {
        return bytes.size() >= 2 && static_cast<uchar>(bytes[0]) == jpegMarker
            && static_cast<uchar>(bytes[1]) == jpegStartOfImage;
    }

    bool isFrame(uchar marker)
    {
        return marker >= firstFrame && marker <= lastFrame && marker != huffmanTable
            && marker != arithmeticCoding && marker != arithmeticConditioning;
    }

    quint16 bigEndian16(const QByteArray &bytes, qsizetype at)
    {
        return quint16((uchar(bytes[at]) << 8) | uchar(bytes[at + 1]));
    }

    // The file as far as it has been read: a start read in one piece, grown as needed, and
    // pieces further in read on their own, so that skipped segments are never read.
    class Source
    {
    public:
        explicit Source(QIODevice &device)
            : m_device(device)
        {
        }

        // Bytes offset to offset + count of the file; fewer at its end, none past
        // maxHeaderBytes.
        QByteArray at(qint64 offset, qint64 count)
        {
            if (offset < 0 || count <= 0)
                return {};
            if (offset <= m_start.size()) {
                growTo(offset + count);
                return m_start.mid(offset, count);
            }
            if (offset + count > maxHeaderBytes || !m_device.seek(offset))
                return {};
            const QByteArray piece = m_device.read(count);
            m_read += piece.size();
            return piece;
        }

        // Reads the start on up to end, within maxHeaderBytes.
        void growTo(qint64 end)
        {
            const qint64 missing = end - m_start.size();
            if (missing <= 0 || end > maxHeaderBytes)
                return;
            if (m_device.pos() != m_start.size() && !m_device.seek(m_start.size()))
                return;
            const QByteArray more = m_device.read(missing);
            m_read += more.size();
            m_start += more;
        }

        const QByteArray &start() const { return m_start; }
        qint64 bytesRead() const { return m_read; }

    private:
        QIODevice &m_device;
        QByteArray m_start;
        qint64 m_read = 0;
    };

    struct Segment {
        uchar marker = 0; // 0: no segment here
        qint64 offset = 0; // of its marker
        qint64 end = 0; // of its data
    };

    Segment segmentAt(Source &source, qint64 offset)
    {
        const QByteArray head = source.at(offset, segmentHead);
        if (head.size() < segmentHead || uchar(head[0]) != jpegMarker)
            return {};
        const uchar marker = uchar(head[1]);
        const qint64 length = bigEndian16(head, lengthBytes);
        if (marker == jpegEndOfImage || marker == jpegStartOfScan || length < lengthBytes)
            return {};
        return { marker, offset, offset + lengthBytes + length };
    }

    // Where the thumbnail a TIFF block's second directory points to ends, and that directory
    // with it; 0 when the block names none within blockEnd.
    qint64 thumbnailEnd(Source &source, qint64 tiff, qint64 blockEnd)
    {
        const QByteArray head = source.at(tiff, tiffHead);
        if (head.size() < tiffHead || (!head.startsWith("II") && !head.startsWith("MM")))
            return 0;
        const bool intel = head.startsWith("II");
        const auto number = [intel](const QByteArray &bytes, qsizetype at, int size) {
            quint32 value = 0;
            for (int i = 0; i < size; ++i)
                value |= quint32(uchar(bytes[at + (intel ? i : size - 1 - i)])) << (8 * i);
            return value;
        };
        const qint64 first = tiff + number(head, 4, 4);
        const QByteArray firstCount = source.at(first, 2);
        if (firstCount.size() < 2)
            return 0;
        const QByteArray link = source.at(first + 2 + directoryEntry * number(firstCount, 0, 2), 4);
        if (link.size() < 4 || number(link, 0, 4) == 0)
            return 0;
        const qint64 second = tiff + number(link, 0, 4);
        const QByteArray secondCount = source.at(second, 2);
        if (secondCount.size() < 2)
            return 0;
        const qint64 entriesEnd = second + 2 + directoryEntry * number(secondCount, 0, 2);
        if (entriesEnd > blockEnd)
            return 0;
        const QByteArray entries = source.at(second + 2, entriesEnd - second - 2);
        qint64 offset = -1;
        qint64 length = -1;
        for (qsizetype at = 0; at + directoryEntry <= entries.size(); at += directoryEntry) {
            const quint32 tag = number(entries, at, 2);
            const quint32 value
                = number(entries, at + 8, number(entries, at + 2, 2) == tiffShort ? 2 : 4);
            if (tag == tagThumbnailOffset)
                offset = value;
            else if (tag == tagThumbnailLength)
                length = value;
        }
        if (offset < 0 || length <= 0 || tiff + offset + length > blockEnd)
            return 0;
        return std::max(tiff + offset + length, entriesEnd);
    }

    // The EXIF block of an APP1 segment, read as far as its thumbnail reaches; empty for
    // another kind of APP1 segment.
    QByteArray exifBlock(Source &source, const Segment &segment)
    {
        const qint64 block = segment.offset + segmentHead;
        if (source.at(block, exifIdentifier.size()) != exifIdentifier)
            return {};
        const qint64 end
            = std::max(thumbnailEnd(source, block + exifIdentifier.size(), segment.end),
                std::min(segment.end, qint64(source.start().size())));
        source.growTo(end);
        return source.start().mid(block, end - block);
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

    QByteArrayView textOf(ExifData *data, ExifTag tag)
    {
        const ExifEntry *entry = exif_content_get_entry(data->ifd[EXIF_IFD_EXIF], tag);
        if (entry == nullptr || entry->format != EXIF_FORMAT_ASCII || entry->data == nullptr)
            return {};
        return QByteArrayView(reinterpret_cast<const char *>(entry->data), entry->size);
    }

    QDateTime takenOf(ExifData *data)
    {
        return takentime::fromExif(textOf(data, EXIF_TAG_DATE_TIME_ORIGINAL),
            textOf(data, EXIF_TAG_SUB_SEC_TIME_ORIGINAL));
    }

    ExifDataPtr parsed(const QByteArray &block)
    {
        ExifDataPtr data(exif_data_new());
        if (data)
            exif_data_load_data(data.get(),
                reinterpret_cast<const unsigned char *>(block.constData()),
                static_cast<unsigned int>(block.size()));
        return data;
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

    void parseExif(const QByteArray &block, Header &header)
    {
        const ExifDataPtr data = parsed(block);
        if (!data)
            return;
        header.orientation = orientationOf(data.get());
        header.taken = takenOf(data.get());
        if (data->data != nullptr && data->size > 0)
            header.thumbnail = decodeThumbnail(data->data, data->size);
    }

} // namespace

Header read(QIODevice &device, qint64 *bytesRead)
{
    Source source(device);
    Header header;
    source.growTo(firstBlock);
    bool exifSeen = false;
    for (qint64 offset = isJpeg(source.start()) ? 2 : -1; offset >= 0;) {
        const Segment segment = segmentAt(source, offset);
        if (segment.marker == 0)
            break;
        if (isFrame(segment.marker)) {
            const QByteArray fields = source.at(segment.offset + segmentHead, frameFields);
            if (fields.size() == frameFields)
                header.pictureSize = QSize(bigEndian16(fields, 3), bigEndian16(fields, 1));
            break;
        }
        if (segment.marker == jpegExifSegment && !exifSeen) {
            const QByteArray block = exifBlock(source, segment);
            exifSeen = !block.isEmpty();
            if (exifSeen) {
                parseExif(block, header);
                // The frame header serves only to check the thumbnail.
                if (header.thumbnail.isNull())
                    break;
            }
        }
        offset = segment.end;
    }

    device.seek(0);
    if (bytesRead != nullptr)
        *bytesRead = source.bytesRead();
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

QDateTime takenIn(const QByteArray &block)
{
    const ExifDataPtr data = parsed(block);
    return data ? takenOf(data.get()) : QDateTime();
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
