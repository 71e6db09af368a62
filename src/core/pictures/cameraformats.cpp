#include "core/pictures/cameraformats.h"

#include "core/pictures/decodelimits.h"
#include "core/pictures/exifthumbnail.h"
#include "core/pictures/picturefile.h"
#include "core/pictures/takentime.h"

#include <QCoreApplication>

#include <libheif/heif.h>
#include <libraw/libraw.h>

#include <array>
#include <cctype>
#include <cstdio>
#include <memory>

namespace cameraformats
{

using namespace decodelimits;

namespace
{

    // No phone or camera writes a HEIC or AVIF file near this size; it is refused unread.
    constexpr qint64 maxHeifFileBytes = 128LL * 1024 * 1024;
    // The largest RAW files (medium format) stay well below this.
    constexpr qint64 maxRawFileBytes = 512LL * 1024 * 1024;
    // libheif refuses pictures wider or higher than this before it decodes them.
    constexpr int maxHeifSide = 32768;
    // A decode in libheif holds the coded planes and the interleaved result.
    constexpr int heifBytesPerPixel = 6;
    // An ISO media file starts with the size of its first box, then its type "ftyp" and the
    // major brand.
    constexpr int brandOffset = 8;
    constexpr int brandBytes = 4;

    // Reads the whole file, within a limit: libheif and LibRaw parse the file from memory.
    QByteArray readWhole(PictureFile &file, qint64 limit, QString &error)
    {
        const qint64 size = file.size();
        if (size > limit) {
            error = QCoreApplication::translate(
                "PictureLoader", "The file is %1 MB, more than any camera writes.")
                        .arg(size / (1024 * 1024));
            return {};
        }
        file.setByteBudget(file.bytesRead() + size);
        if (!file.seek(0)) {
            error = file.errorString();
            return {};
        }
        QByteArray bytes = file.read(size);
        if (bytes.size() != size) {
            error
                = QCoreApplication::translate("PictureLoader", "The file could not be read whole.");
            return {};
        }
        return bytes;
    }

    struct HeifDeleter {
        void operator()(heif_context *context) const { heif_context_free(context); }
        void operator()(heif_image_handle *handle) const { heif_image_handle_release(handle); }
        void operator()(heif_image *image) const { heif_image_release(image); }
    };
    template <class T>
    using HeifPtr = std::unique_ptr<T, HeifDeleter>;

    QString heifError(const heif_error &error)
    {
        return QCoreApplication::translate("PictureLoader", "The HEIF file cannot be read: %1.")
            .arg(QString::fromUtf8(error.message != nullptr ? error.message : "unknown error"));
    }

    QSize sizeOf(const heif_image_handle *handle)
    {
        return { heif_image_handle_get_width(handle), heif_image_handle_get_height(handle) };
    }

    // An open HEIF file and its primary picture; the bytes must outlive it.
    struct HeifFile {
        HeifPtr<heif_context> context;
        HeifPtr<heif_image_handle> primary;
        QString error;
    };

    // libheif reading an open file as it asks for its parts.
    const heif_reader fileReader {
        1,
        [](void *file) -> int64_t { return static_cast<QIODevice *>(file)->pos(); },
        [](void *data, size_t size, void *file) {
            return static_cast<QIODevice *>(file)->read(static_cast<char *>(data), qint64(size))
                    == qint64(size)
                ? 0
                : -1;
        },
        [](int64_t position, void *file) {
            return static_cast<QIODevice *>(file)->seek(position) ? 0 : -1;
        },
        [](int64_t size, void *file) {
            return size <= static_cast<QIODevice *>(file)->size()
                ? heif_reader_grow_status_size_reached
                : heif_reader_grow_status_size_beyond_eof;
        },
    };

    // The file from its bytes in memory or, given none, from the open file as libheif asks.
    HeifFile openHeif(const QByteArray &bytes, QIODevice *device = nullptr)
    {
        static const bool initialised = [] {
            heif_init(nullptr);
            return true;
        }();
        Q_UNUSED(initialised);
        HeifFile file;
        file.context.reset(heif_context_alloc());
        if (file.context == nullptr) {
            file.error
                = QCoreApplication::translate("PictureLoader", "The HEIF reader could not start.");
            return file;
        }
        heif_context_set_maximum_image_size_limit(file.context.get(), maxHeifSide);
        heif_error error = device != nullptr
            ? heif_context_read_from_reader(file.context.get(), &fileReader, device, nullptr)
            : heif_context_read_from_memory_without_copy(
                file.context.get(), bytes.constData(), static_cast<size_t>(bytes.size()), nullptr);
        heif_image_handle *primary = nullptr;
        if (error.code == heif_error_Ok)
            error = heif_context_get_primary_image_handle(file.context.get(), &primary);
        file.primary.reset(primary);
        if (error.code != heif_error_Ok)
            file.error = heifError(error);
        return file;
    }

    // The time taken in the primary picture's EXIF block: four bytes that say how far on the
    // TIFF block starts, then the block as a JPEG's APP1 segment holds it.
    QDateTime heifTaken(const heif_image_handle *primary)
    {
        constexpr size_t maxExifBytes = 1024 * 1024;
        constexpr qsizetype offsetBytes = 4;
        heif_item_id id = 0;
        if (heif_image_handle_get_list_of_metadata_block_IDs(primary, "Exif", &id, 1) < 1)
            return {};
        const size_t size = heif_image_handle_get_metadata_size(primary, id);
        if (size <= size_t(offsetBytes) || size > maxExifBytes)
            return {};
        QByteArray block(qsizetype(size), Qt::Uninitialized);
        if (heif_image_handle_get_metadata(primary, id, block.data()).code != heif_error_Ok)
            return {};
        quint32 offset = 0;
        for (qsizetype i = 0; i < offsetBytes; ++i)
            offset = (offset << 8) | uchar(block[i]);
        if (offset > size - offsetBytes)
            return {};
        return exif::takenIn(QByteArray("Exif\0\0", 6) + block.mid(offsetBytes + offset));
    }

    // The smallest stored thumbnail that covers size; none when none does.
    HeifPtr<heif_image_handle> coveringThumbnail(const heif_image_handle *primary, QSize size)
    {
        constexpr int maxThumbnails = 16;
        std::array<heif_item_id, maxThumbnails> ids {};
        const int count
            = heif_image_handle_get_list_of_thumbnail_IDs(primary, ids.data(), maxThumbnails);
        HeifPtr<heif_image_handle> best;
        for (int i = 0; i < count; ++i) {
            heif_image_handle *thumbnail = nullptr;
            if (heif_image_handle_get_thumbnail(primary, ids[static_cast<size_t>(i)], &thumbnail)
                    .code
                != heif_error_Ok)
                continue;
            HeifPtr<heif_image_handle> candidate(thumbnail);
            const QSize own = sizeOf(thumbnail);
            if (own.width() < size.width() || own.height() < size.height())
                continue;
            if (best == nullptr || pixelsOf(own) < pixelsOf(sizeOf(best.get())))
                best = std::move(candidate);
        }
        return best;
    }

    // LibRaw's turn of a picture (dcraw's "flip") as the EXIF orientation of the same turn.
    int orientationOfFlip(int flip)
    {
        static constexpr std::array<int, 8> orientations { 1, 2, 4, 3, 5, 8, 6, 7 };
        return flip >= 0 && flip < int(orientations.size())
            ? orientations[static_cast<size_t>(flip)]
            : 1;
    }

    bool quarterTurned(int orientation)
    {
        constexpr int firstQuarterTurn = 5;
        return orientation >= firstQuarterTurn;
    }

    // A thumbnail LibRaw hands over as pixels: 8 or 16 bits a channel, three channels.
    QImage bitmapThumbnail(const libraw_thumbnail_t &thumbnail, bool sixteenBits)
    {
        const int width = thumbnail.twidth;
        const int height = thumbnail.theight;
        const qint64 channelBytes = sixteenBits ? 2 : 1;
        const qint64 needed = qint64(width) * height * 3 * channelBytes;
        if (width <= 0 || height <= 0 || needed > thumbnail.tlength || thumbnail.thumb == nullptr)
            return {};
        if (!sixteenBits) {
            return QImage(reinterpret_cast<const uchar *>(thumbnail.thumb), width, height,
                width * 3, QImage::Format_RGB888)
                .copy();
        }
        QImage image(width, height, QImage::Format_RGB888);
        if (image.isNull())
            return {};
        const auto *samples = reinterpret_cast<const quint16 *>(thumbnail.thumb);
        for (int y = 0; y < height; ++y) {
            uchar *line = image.scanLine(y);
            for (qint64 x = 0; x < qint64(width) * 3; ++x)
                line[x] = static_cast<uchar>(samples[qint64(y) * width * 3 + x] >> 8);
        }
        return image;
    }

    // The embedded picture of a RAW file as LibRaw finds it: the bytes of a JPEG, or pixels.
    struct Embedded {
        QByteArray jpeg;
        QImage bitmap;
        QSize declared;
        int orientation = 1;
        QDateTime taken;
        QString error;
        bool notRaw = false;
    };

    // The time taken as LibRaw meets its tags while it opens a file: the first of each.
    struct TakenTags {
        static constexpr int dateTimeOriginal = 0x9003;
        static constexpr int subSecTimeOriginal = 0x9291;
        static constexpr int maxBytes = 32;
        QByteArray date;
        QByteArray subSeconds;

        static void met(void *context, int tag, int type, int length, unsigned int order,
            void *stream, INT64 base)
        {
            Q_UNUSED(type);
            Q_UNUSED(order);
            Q_UNUSED(base);
            auto *tags = static_cast<TakenTags *>(context);
            // Tags of other directories come with the directory's number above the tag.
            const int own = tag & 0xFFFF;
            QByteArray *text = own == dateTimeOriginal ? &tags->date
                : own == subSecTimeOriginal            ? &tags->subSeconds
                                                       : nullptr;
            if (text == nullptr || !text->isEmpty() || length <= 0)
                return;
            text->resize(qMin(length, maxBytes));
            const int got = static_cast<LibRaw_abstract_datastream *>(stream)->read(
                text->data(), 1, size_t(text->size()));
            text->resize(qMax(got, 0));
        }
    };

    // An open file as LibRaw reads its input, so that it reads only the parts it parses: the
    // tags of a RAW file lie in its first few hundred KiB, its picture data in tens of MB.
    class FileStream : public LibRaw_abstract_datastream
    {
    public:
        explicit FileStream(QIODevice &file)
            : m_file(file)
        {
        }
        int valid() override { return m_file.isOpen() ? 1 : 0; }
        int read(void *data, size_t size, size_t count) override
        {
            if (size == 0 || count == 0)
                return 0;
            const qint64 got = m_file.read(static_cast<char *>(data), qint64(size * count));
            return got > 0 ? int(size_t(got) / size) : 0;
        }
        int seek(INT64 offset, int whence) override
        {
            const qint64 from = whence == SEEK_CUR ? m_file.pos()
                : whence == SEEK_END               ? m_file.size()
                                                   : 0;
            return from + offset >= 0 && m_file.seek(from + offset) ? 0 : -1;
        }
        INT64 tell() override { return m_file.pos(); }
        INT64 size() override { return m_file.size(); }
        int get_char() override
        {
            char c = 0;
            return m_file.getChar(&c) ? static_cast<unsigned char>(c) : -1;
        }
        char *gets(char *text, int size) override
        {
            return size > 1 && m_file.readLine(text, size) > 0 ? text : nullptr;
        }
        // A number read as text, as the parsers of a few old formats read it.
        int scanf_one(const char *format, void *value) override
        {
            constexpr int longest = 24;
            const QByteArray word = m_file.peek(longest);
            const int found = std::sscanf(word.constData(), format, value);
            qsizetype used = 0;
            while (found > 0 && used < word.size() && !std::isspace(uchar(word[used]))
                && word[used] != 0)
                ++used;
            m_file.skip(used);
            return found;
        }
        int eof() override { return m_file.atEnd() ? 1 : 0; }
        void *make_jas_stream() override { return nullptr; }

    private:
        QIODevice &m_file;
    };

    // Opens a RAW file, with the time it was taken.
    int openRaw(LibRaw &raw, const QByteArray &bytes, QDateTime &taken)
    {
        TakenTags tags;
        raw.set_exifparser_handler(&TakenTags::met, &tags);
        const int code = raw.open_buffer(
            const_cast<char *>(bytes.constData()), static_cast<size_t>(bytes.size()));
        raw.set_exifparser_handler(nullptr, nullptr);
        taken = takentime::fromExif(tags.date, tags.subSeconds);
        return code;
    }
    int openRaw(LibRaw &raw, FileStream &stream, QDateTime &taken)
    {
        TakenTags tags;
        raw.set_exifparser_handler(&TakenTags::met, &tags);
        const int code = raw.open_datastream(&stream);
        raw.set_exifparser_handler(nullptr, nullptr);
        taken = takentime::fromExif(tags.date, tags.subSeconds);
        return code;
    }

    Embedded embeddedPicture(const QByteArray &bytes)
    {
        Embedded result;
        // The LibRaw object is large; it lives on the heap, and only while the file is read.
        auto raw = std::make_unique<LibRaw>(LIBRAW_OPTIONS_NONE);
        int code = openRaw(*raw, bytes, result.taken);
        if (code == LIBRAW_FILE_UNSUPPORTED) {
            result.notRaw = true;
            return result;
        }
        if (code != LIBRAW_SUCCESS) {
            result.error
                = QCoreApplication::translate("PictureLoader", "The RAW file cannot be read: %1.")
                      .arg(QString::fromUtf8(libraw_strerror(code)));
            return result;
        }
        result.orientation = orientationOfFlip(raw->imgdata.sizes.flip);
        const libraw_thumbnail_t &thumbnail = raw->imgdata.thumbnail;
        result.declared = QSize(thumbnail.twidth, thumbnail.theight);
        // The embedded picture lies inside the file: a length beyond it is a false one, and
        // nothing is allocated for it.
        if (thumbnail.tlength == 0 || qint64(thumbnail.tlength) > bytes.size()) {
            result.error = QCoreApplication::translate("PictureLoader",
                "The RAW file holds no picture that can be shown without "
                "developing it.");
            return result;
        }
        if (tooLarge(result.declared)) {
            result.error = refusedSize(result.declared);
            return result;
        }
        code = raw->unpack_thumb();
        if (code != LIBRAW_SUCCESS) {
            result.error = QCoreApplication::translate(
                "PictureLoader", "The RAW file's embedded picture cannot be read: %1.")
                               .arg(QString::fromUtf8(libraw_strerror(code)));
            return result;
        }
        const libraw_thumbnail_t &unpacked = raw->imgdata.thumbnail;
        switch (unpacked.tformat) {
        case LIBRAW_THUMBNAIL_JPEG:
            result.jpeg = QByteArray(unpacked.thumb, unpacked.tlength);
            break;
        case LIBRAW_THUMBNAIL_BITMAP:
        case LIBRAW_THUMBNAIL_BITMAP16:
            result.bitmap
                = bitmapThumbnail(unpacked, unpacked.tformat == LIBRAW_THUMBNAIL_BITMAP16);
            if (result.bitmap.isNull())
                result.error = QCoreApplication::translate(
                    "PictureLoader", "The RAW file's embedded picture is damaged.");
            break;
        default:
            result.error = QCoreApplication::translate("PictureLoader",
                "The RAW file's embedded picture is in a form that "
                "cannot be shown.");
            break;
        }
        return result;
    }

    // The embedded picture decoded, turned and stretched to size.
    RawResult shown(const Embedded &embedded, QSize size)
    {
        RawResult result;
        result.picture.taken = embedded.taken;
        if (embedded.notRaw) {
            result.notRaw = true;
            return result;
        }
        if (!embedded.error.isEmpty()) {
            result.picture.error = embedded.error;
            return result;
        }
        QImage image = embedded.bitmap;
        if (!embedded.jpeg.isEmpty()) {
            const QSize stored = quarterTurned(embedded.orientation) ? size.transposed() : size;
            const LoadedPicture decoded = decodeEmbedded(embedded.jpeg, stored);
            if (!decoded.ok()) {
                result.picture.error = QCoreApplication::translate(
                    "PictureLoader", "The RAW file's embedded picture cannot be shown: %1")
                                           .arg(decoded.error);
                return result;
            }
            image = decoded.image;
        }
        result.picture.image = fitted(exif::oriented(image, embedded.orientation), size);
        return result;
    }

} // namespace

bool isHeif(const QByteArray &start)
{
    static const std::array<QByteArrayView, 11> brands { "heic", "heix", "heim", "heis", "hevc",
        "hevx", "hevm", "hevs", "mif1", "avif", "avis" };
    if (start.size() < brandOffset + brandBytes || start.mid(4, 4) != "ftyp")
        return false;
    const QByteArray brand = start.mid(brandOffset, brandBytes);
    for (QByteArrayView known : brands) {
        if (brand == known)
            return true;
    }
    return false;
}

LoadedPicture loadHeifBytes(const QByteArray &bytes, QSize size)
{
    const HeifFile file = openHeif(bytes);
    if (!file.error.isEmpty())
        return { {}, file.error };
    const HeifPtr<heif_image_handle> &primary = file.primary;
    // Sizes as shown: the handle's size already has the file's turn applied, as the decode
    // applies it.
    const QSize pictureSize = sizeOf(primary.get());
    if (tooLarge(pictureSize))
        return { {}, refusedSize(pictureSize) };
    HeifPtr<heif_image_handle> thumbnail = coveringThumbnail(primary.get(), size);
    const heif_image_handle *chosen = thumbnail != nullptr ? thumbnail.get() : primary.get();
    const QSize decoded = sizeOf(chosen);
    if (!decoded.isValid() || decoded.isEmpty())
        return { {},
            QCoreApplication::translate(
                "PictureLoader", "The HEIF file holds a picture without a size.") };
    if (pixelsOf(decoded) > maxWholeDecodePixels)
        return { {}, refusedSize(decoded) };

    // libheif reads from the bytes until the decode ends, so they count with its memory.
    const Reservation memory(bytes.size() + pixelsOf(decoded) * heifBytesPerPixel);
    heif_image *imageHandle = nullptr;
    heif_error error = heif_decode_image(
        chosen, &imageHandle, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, nullptr);
    if (error.code != heif_error_Ok)
        return { {}, heifError(error) };
    HeifPtr<heif_image> image(imageHandle);
    int stride = 0;
    const uint8_t *plane
        = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
    if (plane == nullptr || width <= 0 || height <= 0 || stride < width * bytesPerPixel)
        return { {},
            QCoreApplication::translate(
                "PictureLoader", "The HEIF file's picture could not be decoded.") };
    const QImage pixels(plane, width, height, stride, QImage::Format_RGBA8888);
    LoadedPicture result { fitted(pixels, size), {} };
    result.taken = heifTaken(primary.get());
    return result;
}

QDateTime heifTakenTime(PictureFile &file)
{
    if (file.size() > maxHeifFileBytes || !file.seek(0))
        return {};
    file.setByteBudget(file.bytesRead() + headerBudgetBytes);
    const HeifFile heif = openHeif({}, &file);
    return heif.error.isEmpty() ? heifTaken(heif.primary.get()) : QDateTime();
}

std::optional<QDateTime> rawTakenTime(PictureFile &file)
{
    if (file.size() > maxRawFileBytes || !file.seek(0))
        return QDateTime();
    file.setByteBudget(file.bytesRead() + headerBudgetBytes);
    FileStream stream(file);
    auto raw = std::make_unique<LibRaw>(LIBRAW_OPTIONS_NONE);
    QDateTime taken {};
    if (openRaw(*raw, stream, taken) == LIBRAW_FILE_UNSUPPORTED)
        return std::nullopt;
    return taken;
}

LoadedPicture loadHeif(PictureFile &file, QSize size)
{
    LoadedPicture result;
    const QByteArray bytes = readWhole(file, maxHeifFileBytes, result.error);
    if (bytes.isEmpty()) {
        if (result.error.isEmpty())
            result.error = QCoreApplication::translate("PictureLoader", "The file is empty.");
        return result;
    }
    return loadHeifBytes(bytes, size);
}

RawResult loadRawBytes(const QByteArray &bytes, QSize size)
{
    return shown(embeddedPicture(bytes), size);
}

RawResult loadRaw(PictureFile &file, QSize size)
{
    Embedded embedded;
    {
        // The file's bytes count with the decode memory while they are held; they are let go
        // before the embedded picture is decoded, which reserves memory of its own.
        const Reservation held(qMin(file.size(), maxRawFileBytes));
        QString error;
        const QByteArray bytes = readWhole(file, maxRawFileBytes, error);
        if (bytes.isEmpty())
            return { { {},
                error.isEmpty() ? QCoreApplication::translate("PictureLoader", "The file is empty.")
                                : error } };
        embedded = embeddedPicture(bytes);
    }
    return shown(embedded, size);
}

} // namespace cameraformats
