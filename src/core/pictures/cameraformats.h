#pragma once

#include "core/pictures/pictureloader.h"

#include <QByteArray>
#include <QDateTime>
#include <QSize>

#include <optional>

class PictureFile;

// The formats that Qt's own readers do not decode: HEIC and AVIF through libheif, camera RAW
// through LibRaw. For a picture both libraries parse the whole file, so it is read into memory
// first, within a limit, and each picture's size is checked before it is decoded; for the time
// taken they read the open file only as far as its tags.
namespace cameraformats
{

// A HEIC or AVIF file is ISO media whose first box names one of the HEIF brands.
bool isHeif(const QByteArray &start);

// The thumbnail the file stores when it is at least size, else the primary picture; either
// turned as the file says, and stretched to size.
LoadedPicture loadHeif(PictureFile &file, QSize size);

// What a RAW file's reading gave; notRaw when LibRaw does not know the file, which is then
// read as any other picture (a JPEG named .nef).
struct RawResult {
    LoadedPicture picture;
    bool notRaw = false;
};

// The picture the camera embedded in a RAW file (never a development of the RAW data),
// turned as the camera was held, and stretched to size.
RawResult loadRaw(PictureFile &file, QSize size);

// When the picture was taken, as the file's EXIF block says (see takenTime); invalid when it
// does not say or cannot be read, and nothing for a file LibRaw does not know. The file is
// read only as far as the library parses its tags, within the header budget.
QDateTime heifTakenTime(PictureFile &file);
std::optional<QDateTime> rawTakenTime(PictureFile &file);

// The same from bytes already in memory (the fuzz targets feed them).
LoadedPicture loadHeifBytes(const QByteArray &bytes, QSize size);
RawResult loadRawBytes(const QByteArray &bytes, QSize size);

} // namespace cameraformats
