#include "core/pictures/pngchunks.h"

#include <QCoreApplication>

#include <zlib.h>

#include <algorithm>

namespace
{
const QByteArray signature("\x89PNG\r\n\x1A\n", 8);
// Each chunk: its length and type, its data, and a check sum.
constexpr qint64 chunkHead = 8;
constexpr qint64 chunkTail = 4;
constexpr quint32 maxChunkLength = 0x7FFFFFFF;
constexpr int headerLength = 13;
// A keyword is at most 79 bytes; a compressed text this much larger than the text left to
// allow cannot inflate to less.
constexpr qint64 compressedSlackBytes = 1024;
// More chunks than a file of this many data bytes needs, beyond a few of every other kind:
// encoders write chunks of 8 KiB and more.
constexpr qint64 fewChunks = 4096;
constexpr qint64 dataBytesPerChunk = 1024;

quint32 bigEndian32(const QByteArray &bytes, qsizetype at)
{
    quint32 value = 0;
    for (qsizetype i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<uchar>(bytes[at + i]);
    return value;
}

// The compressed picture data that the header's size can need, with slack; -1 for a header
// the decoder will refuse anyway.
qint64 dataAllowed(const QByteArray &header)
{
    const quint32 width = bigEndian32(header, 0);
    const quint32 height = bigEndian32(header, 4);
    const int depth = static_cast<uchar>(header[8]);
    const int colourType = static_cast<uchar>(header[9]);
    const bool interlaced = header[12] != 0;
    int channels = 0;
    switch (colourType) {
    case 0: // grey
    case 3: // palette
        channels = 1;
        break;
    case 4: // grey and alpha
        channels = 2;
        break;
    case 2: // red, green, blue
        channels = 3;
        break;
    case 6: // and alpha
        channels = 4;
        break;
    default:
        return -1;
    }
    if (width == 0 || height == 0 || width > maxChunkLength || height > maxChunkLength || depth == 0
        || depth > 16)
        return -1;
    const qint64 rowBytes = (qint64(width) * channels * depth + 7) / 8;
    // A filter byte a row; interlaced, up to seven passes each start their rows anew.
    const qint64 rowOverhead = interlaced ? 14 : 1;
    const double stored = double(height) * double(rowBytes + rowOverhead);
    const double allowed = stored + stored / 64 + double(height) * pngchunks::dataSlackBytesPerRow
        + pngchunks::dataSlackBytes;
    return qint64(std::min(allowed, 1e18));
}

// The bytes a zlib stream inflates to, counted up to limit + 1 at most.
qint64 inflatedSize(const QByteArray &compressed, qint64 limit)
{
    z_stream stream {};
    if (inflateInit(&stream) != Z_OK)
        return limit + 1;
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(compressed.constData()));
    stream.avail_in = uInt(compressed.size());
    char scratch[16 * 1024];
    qint64 total = 0;
    int status = Z_OK;
    while (status == Z_OK && total <= limit) {
        stream.next_out = reinterpret_cast<Bytef *>(scratch);
        stream.avail_out = sizeof scratch;
        status = inflate(&stream, Z_NO_FLUSH);
        total += qint64(sizeof scratch - stream.avail_out);
    }
    inflateEnd(&stream);
    return total;
}

// The bytes of text a compressed text chunk holds once inflated, counted up to limit + 1.
qint64 textSize(const QByteArray &type, const QByteArray &data, qint64 limit)
{
    const qsizetype keywordEnd = data.indexOf('\0');
    if (keywordEnd < 0)
        return data.size();
    qsizetype textStart = keywordEnd + 2; // after the compression method
    if (type == "iTXt") {
        if (keywordEnd + 1 >= data.size() || data[keywordEnd + 1] == 0) // not compressed
            return data.size();
        const qsizetype languageEnd = data.indexOf('\0', keywordEnd + 3);
        const qsizetype translatedEnd = languageEnd < 0 ? -1 : data.indexOf('\0', languageEnd + 1);
        if (translatedEnd < 0)
            return data.size();
        textStart = translatedEnd + 1;
    }
    return textStart + inflatedSize(data.mid(textStart), limit);
}

QString tooMuchText()
{
    return QCoreApplication::translate(
        "PictureLoader", "The picture carries far more text than any picture needs.");
}

QString tooMuchData()
{
    return QCoreApplication::translate(
        "PictureLoader", "The file holds far more data than a picture of its size needs.");
}
} // namespace

namespace pngchunks
{

QString refusal(const ReadAt &readAt)
{
    if (readAt(0, signature.size()) != signature)
        return {};
    qint64 offset = signature.size();
    qint64 allowed = -1;
    qint64 data = 0;
    qint64 chunks = 0;
    int texts = 0;
    qint64 textBytes = 0;
    for (;;) {
        const QByteArray head = readAt(offset, chunkHead);
        if (head.size() < chunkHead)
            return {};
        const quint32 length = bigEndian32(head, 0);
        const QByteArray type = head.mid(4);
        if (length > maxChunkLength)
            return {};
        if (allowed < 0) {
            const QByteArray header = readAt(offset + chunkHead, headerLength);
            if (type != "IHDR" || length != headerLength || header.size() < headerLength)
                return {};
            allowed = dataAllowed(header);
            if (allowed < 0)
                return {};
        } else if (type == "IDAT") {
            data += length;
            if (data > allowed)
                return tooMuchData();
        } else if (type == "tEXt" || type == "zTXt" || type == "iTXt") {
            if (++texts > maxTextChunks)
                return tooMuchText();
            const qint64 left = maxTextBytes - textBytes;
            qint64 size = length;
            if (type != "tEXt" && length <= left + compressedSlackBytes)
                size = textSize(type, readAt(offset + chunkHead, length), left);
            textBytes += size;
            if (textBytes > maxTextBytes)
                return tooMuchText();
        } else if (type == "IEND") {
            return {};
        }
        if (++chunks > fewChunks + allowed / dataBytesPerChunk)
            return tooMuchData();
        offset += chunkHead + length + chunkTail;
    }
}

QString refusal(const QByteArray &bytes)
{
    return refusal([&bytes](qint64 offset, qint64 size) {
        return offset < bytes.size() ? bytes.mid(offset, size) : QByteArray();
    });
}

} // namespace pngchunks
