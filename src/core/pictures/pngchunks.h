#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// A PNG's chunks, walked before any decoder sees them. Qt's PNG reader keeps every text chunk
// (inflated, in the decoder and again as a string) while it reads the header, before any size
// can be checked; and after the last row the decoder inflates whatever the picture's data
// stream still holds. So a file of a few hundred kilobytes of compressed text took 1.5 GB, and
// 15 MB of data after a small picture's end kept a thread busy for a minute.
namespace pngchunks
{

// Text chunks, and the bytes of text they hold inflated, beyond which a PNG is refused: real
// pictures and thumbnails carry a few keys, a comment, at most a metadata packet.
inline constexpr int maxTextChunks = 256;
inline constexpr qint64 maxTextBytes = 1024 * 1024;
// Compressed picture data allowed beyond what the declared size needs when stored without
// compression: the odd encoder flushes its stream every row, or writes empty blocks.
inline constexpr qint64 dataSlackBytes = 64 * 1024;
inline constexpr qint64 dataSlackBytesPerRow = 16;

// Gives the bytes at an offset of the file (fewer at its end, none past it).
using ReadAt = std::function<QByteArray(qint64 offset, qint64 size)>;

// Why the PNG that starts at offset 0 is refused before decoding; empty when the data is no PNG,
// or a PNG whose text and picture data are within bounds. A PNG broken in other ways is left to
// the decoder.
QString refusal(const ReadAt &readAt);
// The same for a PNG held in memory.
QString refusal(const QByteArray &bytes);

} // namespace pngchunks
