#include "support/testpictures.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QThread>

#include <libexif/exif-data.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <utility>

namespace testpictures
{

QImage filled(QSize size, QColor color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

bool write(const QString &path, QColor color, QSize size)
{
    // Qt writes no GIF: use a real one kept with the tests.
    if (path.endsWith(QLatin1String(".gif"), Qt::CaseInsensitive)) {
        QFile::remove(path);
        return QFile::copy(data(QStringLiteral("formats/video-001.gif")), path);
    }
    return filled(size, color).save(path, nullptr, 95);
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool writeOwnPaths(const QString &folder, const QStringList &files)
{
    for (const QString &file : files) {
        const QString path = QDir(folder).filePath(file);
        if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !writeBytes(path, file.toUtf8()))
            return false;
    }
    return true;
}

bool setModified(const QString &path, const QDateTime &time)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite)
        && file.setFileTime(time, QFileDevice::FileModificationTime);
}

QByteArray bytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

QByteArray jpegWithExif(const QImage &picture, int orientation, const QByteArray &thumbnail,
    const QByteArray &taken, const QByteArray &subSeconds)
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
    // Text tags of the Exif directory, with their closing NUL; the library frees them with free().
    for (const auto &[tag, text] : { std::pair { EXIF_TAG_DATE_TIME_ORIGINAL, taken },
             std::pair { EXIF_TAG_SUB_SEC_TIME_ORIGINAL, subSeconds } }) {
        if (text.isEmpty())
            continue;
        ExifEntry *ascii = exif_entry_new();
        exif_content_add_entry(exif->ifd[EXIF_IFD_EXIF], ascii);
        ascii->tag = tag;
        ascii->format = EXIF_FORMAT_ASCII;
        ascii->components = static_cast<unsigned long>(text.size() + 1);
        ascii->size = static_cast<unsigned int>(text.size() + 1);
        ascii->data = static_cast<unsigned char *>(std::calloc(size_t(text.size() + 1), 1));
        std::memcpy(ascii->data, text.constData(), size_t(text.size()));
        exif_entry_unref(ascii);
    }
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

QByteArray jpegClaiming(QSize claimed, bool progressive)
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    const qsizetype frame
        = bytes.indexOf(progressive ? QByteArray("\xFF\xC2", 2) : QByteArray("\xFF\xC0", 2));
    Q_ASSERT(frame > 0);
    bytes[frame + 5] = char(claimed.height() >> 8);
    bytes[frame + 6] = char(claimed.height() & 0xFF);
    bytes[frame + 7] = char(claimed.width() >> 8);
    bytes[frame + 8] = char(claimed.width() & 0xFF);
    return bytes;
}

QByteArray scanBomb(QSize claimed, int scans)
{
    // Everything before the first scan: tables and the progressive frame header.
    const QByteArray jpeg = jpegClaiming(claimed, true);
    const QByteArray bytes = jpeg.left(jpeg.indexOf(QByteArray("\xFF\xDA", 2)));
    const qsizetype frame = bytes.indexOf(QByteArray("\xFF\xC2", 2));
    // A first DC scan of the first component, over and over, with no data.
    const char component = bytes[frame + 10];
    const QByteArray scan
        = QByteArray("\xFF\xDA\x00\x08\x01", 5) + component + QByteArray("\x00\x00\x00\x00", 4);
    return bytes + scan.repeated(scans) + QByteArray("\xFF\xD9", 2);
}

QByteArray monoPng(QSize size, QColor color)
{
    QImage image(size, QImage::Format_Mono);
    image.setColorTable({ color.rgb(), color.rgb() });
    image.fill(0);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

namespace
{
    QByteArray bigEndian32(quint32 value)
    {
        QByteArray bytes;
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes.append(char((value >> shift) & 0xFF));
        return bytes;
    }

    QByteArray pngChunk(const QByteArray &type, const QByteArray &data)
    {
        uLong check = crc32(0, reinterpret_cast<const Bytef *>(type.constData()), 4);
        check = crc32(check, reinterpret_cast<const Bytef *>(data.constData()), uInt(data.size()));
        return bigEndian32(quint32(data.size())) + type + data + bigEndian32(quint32(check));
    }
} // namespace

QByteArray pngAddTexts(QByteArray png, int chunks, qint64 textBytes)
{
    // qCompress puts the length before a zlib stream; a keyword, its end and the method 0 before.
    const QByteArray text = pngChunk(
        "zTXt", QByteArray("Comment\0\0", 9) + qCompress(QByteArray(textBytes, 'a'), 9).mid(4));
    constexpr int afterHeader = 8 + 25;
    QByteArray texts;
    for (int i = 0; i < chunks; ++i)
        texts += text;
    return png.insert(afterHeader, texts);
}

QByteArray pngAddData(QByteArray png, qint64 bytes)
{
    constexpr int end = 12;
    return png.insert(png.size() - end, pngChunk("IDAT", QByteArray(bytes, '\0')));
}

QByteArray pngWithText(int chunks, qint64 textBytes, QColor color)
{
    return pngAddTexts(monoPng(QSize(64, 48), color), chunks, textBytes);
}

QByteArray pngWithLongData(QSize size, qint64 compressedBytes)
{
    // Grey, 8 bits, no interlacing: the rows inflate to zeros, and so does the rest.
    const QByteArray header = bigEndian32(quint32(size.width()))
        + bigEndian32(quint32(size.height())) + QByteArray("\x08\0\0\0\0", 5);
    z_stream stream {};
    deflateInit(&stream, Z_BEST_COMPRESSION);
    QByteArray zeros(1024 * 1024, '\0');
    const auto compressed = [&](int flush) {
        QByteArray out(int(deflateBound(&stream, uLong(zeros.size()))) + 64, '\0');
        stream.next_in = reinterpret_cast<Bytef *>(zeros.data());
        stream.avail_in = flush == Z_FINISH ? 0 : uInt(zeros.size());
        stream.next_out = reinterpret_cast<Bytef *>(out.data());
        stream.avail_out = uInt(out.size());
        deflate(&stream, flush);
        out.truncate(out.size() - qsizetype(stream.avail_out));
        return out;
    };
    // After the first, a megabyte of zeros compresses to a block that refers back to zeros
    // alone and ends on a byte: repeated, the stream stays whole.
    QByteArray data = compressed(Z_SYNC_FLUSH);
    const QByteArray block = compressed(Z_SYNC_FLUSH);
    while (data.size() + block.size() < compressedBytes)
        data += block;
    data += compressed(Z_FINISH);
    deflateEnd(&stream);
    QByteArray png = QByteArray("\x89PNG\r\n\x1A\n", 8) + pngChunk("IHDR", header);
    constexpr qsizetype chunkSize = 64 * 1024;
    for (qsizetype at = 0; at < data.size(); at += chunkSize)
        png += pngChunk("IDAT", data.mid(at, chunkSize));
    return png + pngChunk("IEND", {});
}

QByteArray iconOf(const QByteArrayList &images)
{
    constexpr int directoryHead = 6;
    constexpr int entrySize = 16;
    const auto little = [](quint32 value, int size) {
        QByteArray bytes;
        for (int i = 0; i < size; ++i)
            bytes.append(char((value >> (8 * i)) & 0xFF));
        return bytes;
    };
    QByteArray directory = little(0, 2) + little(1, 2) + little(quint32(images.size()), 2);
    QByteArray data;
    quint32 offset = quint32(directoryHead + entrySize * images.size());
    for (const QByteArray &image : images) {
        // 0 x 0 means 256 x 256; no palette, one plane, 32 bits a pixel.
        directory += little(0, 4) + little(1, 2) + little(32, 2) + little(quint32(image.size()), 4)
            + little(offset, 4);
        data += image;
        offset += quint32(image.size());
    }
    return directory + data;
}

QByteArray jpegHeaderOnly()
{
    const QByteArray jpeg = jpegBytes(QImage(64, 48, QImage::Format_RGB32));
    const qsizetype scan = jpeg.indexOf(QByteArray("\xFF\xDA", 2));
    return jpeg.left(scan + 2 + ((uchar(jpeg[scan + 2]) << 8) | uchar(jpeg[scan + 3])));
}

QStringList writeHostileCases(const QString &folder)
{
    const QDir dir(folder);
    const QByteArray huge = monoPng(QSize(5600, 5600), Qt::red);
    const QList<std::pair<QString, QByteArray>> pictures = {
        { QStringLiteral("scan-bomb-4000x4000-5000-scans.jpg"), scanBomb(QSize(4000, 4000), 5000) },
        { QStringLiteral("png-5600x5600-named.jpg"), huge },
        { QStringLiteral("icon-64-pngs-of-5600x5600.ico"), iconOf(QByteArrayList(64, huge)) },
        { QStringLiteral("sparse-20gb.jpg"), jpegHeaderOnly() },
        // 309 KB that took 1.5 GB, and 15.6 MB that took 55 s of processor time a decode.
        { QStringLiteral("png-40-texts-of-8mb.jpg"), pngWithText(40, 7'900'000) },
        { QStringLiteral("png-640x480-data-for-15gb.jpg"),
            pngWithLongData(QSize(640, 480), 15'600'000) },
        { markupName, jpegBytes(QImage(64, 48, QImage::Format_RGB32)) },
    };
    QStringList names;
    for (const auto &[name, bytes] : pictures) {
        if (!writeBytes(dir.filePath(name), bytes))
            return {};
        names.append(name);
    }
    constexpr qint64 twentyGigabytes = 20LL * 1024 * 1024 * 1024;
    if (!QFile::resize(dir.filePath(QStringLiteral("sparse-20gb.jpg")), twentyGigabytes))
        return {};
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    if (::mkfifo(QFile::encodeName(fifo).constData(), 0600) != 0)
        return {};
    const QList<std::pair<QString, QString>> links = {
        { QStringLiteral("fifo-link.jpg"), fifo },
        { QStringLiteral("zero.jpg"), QStringLiteral("/dev/zero") },
        { QStringLiteral("tty.ico"), QStringLiteral("/dev/tty") },
        { QStringLiteral("stdin.gif"), QStringLiteral("/proc/self/fd/0") },
        { QStringLiteral("fifo-folder"), fifo },
        { QStringLiteral("zero-folder"), QStringLiteral("/dev/zero") },
    };
    for (const auto &[name, target] : links) {
        if (!QFile::link(target, dir.filePath(name)))
            return {};
    }
    return names;
}

} // namespace testpictures

QString TestFolders::path(const QString &relative) const
{
    return QDir::toNativeSeparators(relative.isEmpty() ? m_dir.path() : m_dir.filePath(relative));
}

QStringList TestFolders::paths(const QStringList &relative) const
{
    QStringList result;
    for (const QString &file : relative)
        result.append(path(file));
    return result;
}

QString TestFolders::make(const QString &name, const QStringList &files, QSize size)
{
    // Hues far apart on the wheel, so that each picture is told from its neighbours.
    constexpr int hueStep = 47;
    const QString folder = path(name);
    QDir().mkpath(folder);
    for (const QString &file : files) {
        testpictures::write(QDir(folder).filePath(file), QColor::fromHsv(m_hue, 200, 220), size);
        m_hue = (m_hue + hueStep) % 360;
    }
    return folder;
}

QStringList TestFolders::files() const
{
    QStringList result;
    QDirIterator it(
        m_dir.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        result.append(QDir(m_dir.path()).relativeFilePath(it.next()));
    result.sort();
    return result;
}

QByteArrayList TestFolders::bytes(const QStringList &files) const
{
    QByteArrayList result;
    for (const QString &relative : files)
        result.append(testpictures::bytes(m_dir.filePath(relative)));
    return result;
}

void CountingLoader::count(const QString &path) const
{
    ++m_reads;
    if (QThread::currentThread() == QCoreApplication::instance()->thread())
        m_onWindowThread = true;
    bool held = false;
    {
        const QMutexLocker lock(&m_mutex);
        m_paths.append(path);
        held = !m_held.isEmpty() && QFileInfo(path).fileName() == m_held;
    }
    if (held)
        m_heldReads.acquire();
}

LoadedPicture CountingLoader::load(const QString &path, QSize size) const
{
    count(path);
    return m_real.load(path, size);
}

LoadedPicture CountingLoader::loadFitted(const QString &path, int side) const
{
    count(path);
    return m_real.loadFitted(path, side);
}

QDateTime CountingLoader::takenTime(const QString &path) const
{
    count(path);
    return m_real.takenTime(path);
}

QStringList CountingLoader::paths() const
{
    const QMutexLocker lock(&m_mutex);
    return m_paths;
}

void CountingLoader::hold(const QString &name)
{
    const QMutexLocker lock(&m_mutex);
    m_held = name;
    m_heldReads.tryAcquire(m_heldReads.available());
}

void CountingLoader::letGo()
{
    const QMutexLocker lock(&m_mutex);
    m_held.clear();
    m_heldReads.release(1 << 20);
}

void CountingLoader::reset()
{
    const QMutexLocker lock(&m_mutex);
    m_reads = 0;
    m_onWindowThread = false;
    m_paths.clear();
}

OwnTrash::OwnTrash(const QString &home)
    : m_home(qgetenv("HOME"))
    , m_dataHome(qgetenv("XDG_DATA_HOME"))
{
    QDir().mkpath(home + "/.local/share");
    qputenv("HOME", QFile::encodeName(home));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home + "/.local/share"));
}

OwnTrash::~OwnTrash()
{
    qputenv("HOME", m_home);
    if (m_dataHome.isEmpty())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", m_dataHome);
}
