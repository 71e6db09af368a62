#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// Header sizes beyond this are refused before decoding, like a corrupt file: no camera comes
// near it, while a few hundred bytes of hostile header could otherwise ask for gigabytes.
inline constexpr qint64 maxPicturePixels = 250'000'000;

// What a read gave: the picture, or why there is none.
struct LoadedPicture {
    QImage image;
    QString error;
    bool ok() const { return !image.isNull(); }
};

// Reads pictures from disk. Must be safe to call from several threads at once.
class PictureLoader
{
public:
    virtual ~PictureLoader() = default;
    // The picture stretched to exactly size (aspect ratio not kept), its orientation applied,
    // decoded straight to that size where the format allows.
    virtual LoadedPicture load(const QString &path, QSize size) const = 0;
};

// The loader on top of QImageReader.
class QtPictureLoader : public PictureLoader
{
public:
    LoadedPicture load(const QString &path, QSize size) const override;
};
