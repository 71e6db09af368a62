#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <QString>

#include <vector>

// When a picture was taken, as the camera wrote it: EXIF's DateTimeOriginal with its
// SubSecTimeOriginal as milliseconds, from the first bytes of a JPEG (read as the thumbnail
// reader reads them, never past them), and from HEIC and RAW files through their libraries (in
// the decoder worker, with its limits). The camera's clock names no time zone: the time is held
// as UTC, the clock's reading unchanged, so that it is never moved by a zone's rules; compare
// and format it, and do not convert it. Invalid when the file says nothing, or a date of zeros
// or blanks (what cameras write when their clock is unset), or cannot be read.
QDateTime takenTime(const QString &path);

namespace takentime
{

// EXIF's "YYYY:MM:DD HH:MM:SS" (trailing NULs and spaces ignored) with the digits of its
// SubSecTime, the first three as milliseconds ("5" is 500 ms, "21" 210 ms; anything else
// adds nothing), as above; invalid for an unset, damaged or impossible date.
QDateTime fromExif(QByteArrayView date, QByteArrayView subSeconds = {});

// What orders a picture by the time it was taken.
struct Key {
    // Invalid when the file does not say.
    QDateTime taken;
    // Needed only when taken is invalid.
    QDateTime modified;
};

// The positions of the pictures in the order they were taken: those that say when by that
// time (to the millisecond), then the others by their modification time. Pictures that tie
// keep the order they are given in (the folder's name order, as the grid gives them).
std::vector<int> order(const std::vector<Key> &pictures);

} // namespace takentime
