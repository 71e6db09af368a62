#pragma once

#include <QDateTime>
#include <QIODevice>
#include <QImage>
#include <QSize>
#include <QString>

class QIODevice;

// Reads the small picture that cameras embed in a JPEG's EXIF block, reading only the bytes it
// needs, and decides whether it can stand in for the picture in a thumbnail.
namespace exif
{

// A camera's EXIF block and frame header usually end within the first few KiB: this much is
// read at once, and more only where a segment's own length says it is needed.
inline constexpr qint64 firstBlock = 16 * 1024;
// Reading stops here: a frame header further in is no camera's, and the picture is decoded.
inline constexpr qint64 maxHeaderBytes = 256 * 1024;
// An embedded thumbnail larger than this is not a real one: it is not decoded.
inline constexpr int maxThumbnailSide = 1024;
// Thumbnails and pictures whose width-to-height ratios differ by more than this fraction are
// different shapes (a letterboxed or cropped thumbnail).
inline constexpr double aspectTolerance = 0.03;

// What the start of a JPEG file says about the picture.
struct Header {
    // The embedded thumbnail as stored, before the orientation is applied; null if none.
    QImage thumbnail;
    // EXIF orientation, 1 (as stored) to 8.
    int orientation = 1;
    // The picture's size as stored, before the orientation is applied; invalid if unknown.
    QSize pictureSize;
    // When it was taken (see takenTime), from the block as far as it was read; invalid if
    // the block does not say.
    QDateTime taken {};
};

// Reads the EXIF block from an open JPEG file, from its start up to the end of the embedded
// thumbnail and no further, and then the frame header (when there is a thumbnail), skipping
// the segments between, and leaves the file at its start. Best unbuffered: reads are then
// exactly the bytes asked for. bytesRead, when given, receives how many bytes were read.
Header read(QIODevice &device, qint64 *bytesRead = nullptr);

// The same for a file by name; only a regular file is read.
Header read(const QString &path, qint64 *bytesRead = nullptr);

// When the picture was taken, from an EXIF block as it starts in a file ("Exif\0\0", then
// the TIFF block); invalid if it does not say.
QDateTime takenIn(const QByteArray &block);

// True when the thumbnail decodes, has the picture's shape and, turned as the orientation
// says, is at least wanted in both directions.
bool usable(const Header &header, QSize wanted);

// The image turned and mirrored as the EXIF orientation says.
QImage oriented(const QImage &image, int orientation);

} // namespace exif
