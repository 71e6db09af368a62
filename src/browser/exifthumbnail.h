#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <QSize>
#include <QString>

// Reads the small picture that cameras embed in a JPEG's EXIF block, from the first bytes of
// the file only, and decides whether it can stand in for the picture in a thumbnail.
namespace exif
{

// The camera's own thumbnail lies in the EXIF block, which must fit one 64 KiB segment; the
// frame header that gives the picture's size follows soon after.
inline constexpr qint64 headerBytes = 128 * 1024;
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
};

// Parses the first bytes of a JPEG file (up to headerBytes of them).
Header parse(const QByteArray &start);

// Reads at most headerBytes from the start of the file and parses them. bytesRead, when
// given, receives how many bytes were read. Only a regular file is read.
Header read(const QString &path, qint64 *bytesRead = nullptr);
// The same from a file already open, which is left at its start.
Header read(QIODevice &file, qint64 *bytesRead = nullptr);

// True when the thumbnail decodes, has the picture's shape and, turned as the orientation
// says, is at least wanted in both directions.
bool usable(const Header &header, QSize wanted);

// The image turned and mirrored as the EXIF orientation says.
QImage oriented(const QImage &image, int orientation);

} // namespace exif
