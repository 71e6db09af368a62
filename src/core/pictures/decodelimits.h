#pragma once

#include "core/pictures/pictureloader.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// What every decoder of the loader keeps to, whatever the format: the largest picture it
// decodes whole, the memory whole decodes share, and how a decoded picture is handed on.
namespace decodelimits
{

// Qt refuses to allocate a decoded picture past this (QImageReader's limit, which is one for
// the whole program). A picture decoded whole counts in full, so one hostile header of a few
// hundred bytes cannot take more memory than all the rest of the program.
inline constexpr int allocationLimitMb = 128;
inline constexpr qint64 maxWholeDecodePixels = qint64(allocationLimitMb) * 1024 * 1024 / 4;
inline constexpr int bytesPerPixel = 4;
// A real picture's header lies within the first few megabytes (camera maker notes, colour
// profiles); past them, a JPEG marker search would read on through a huge file of anything.
inline constexpr qint64 headerBudgetBytes = 4LL * 1024 * 1024;
// Bytes that no picture of a given size needs: generous for uncompressed pixels of 8 bytes
// and for metadata. Beyond, a file is refused rather than read on.
inline constexpr qint64 readBudgetSlackBytes = 16LL * 1024 * 1024;
inline constexpr qint64 readBudgetBytesPerPixel = 8;
// No encoder writes more scans than this (libjpeg-turbo's own tools stop here); each scan,
// even an empty one, costs a pass over the whole picture.
inline constexpr int maxJpegScans = 500;

// Holds its share of the decode memory that all loading threads share for as long as it
// lives: it waits until it fits beside the others, and one larger than all of it runs alone.
class Reservation
{
    Q_DISABLE_COPY_MOVE(Reservation)
public:
    explicit Reservation(qint64 bytes);
    ~Reservation();

private:
    qint64 m_bytes;
};

qint64 pixelsOf(QSize size);
// More pixels than any picture the program shows (maxPicturePixels).
bool tooLarge(QSize size);
QString refusedSize(QSize size);

// The picture stretched to size, in the format the grid paints fastest.
QImage fitted(const QImage &image, QSize size);

// Decodes a JPEG or another picture held in memory (one a container embeds) with the limits
// of a picture file read from disk: its size checked before decoding, its decode memory
// reserved, and a JPEG with more scans than any camera writes refused. A JPEG is decoded
// straight to about size (as stored); the result may be larger. The picture is not turned:
// the container says how it stands.
LoadedPicture decodeEmbedded(const QByteArray &bytes, QSize size);

} // namespace decodelimits
