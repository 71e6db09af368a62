#pragma once

#include <QDateTime>
#include <QImage>
#include <QSize>
#include <QString>
#include <memory>

// Header sizes beyond this are refused before decoding, like a corrupt file: no camera comes
// near it, while a few hundred bytes of hostile header could otherwise ask for gigabytes.
inline constexpr qint64 maxPicturePixels = 250'000'000;

// Memory that whole decodes may hold at once, shared by every thread that loads pictures
// (a decode larger than all of it runs alone).
namespace decodememory
{
inline constexpr qint64 budgetBytes = 128LL * 1024 * 1024;
// The most that decodes have held at once since the last reset.
qint64 peakBytes();
void resetPeak();
} // namespace decodememory

// What a read gave: the picture, or why there is none.
struct LoadedPicture {
    QImage image;
    QString error;
    // Decoded from the picture itself rather than taken from a thumbnail the file carries.
    bool decoded = false;
    // Not read only because no reader of its kind is installed (Qt's plugins): one installed
    // later may read it.
    bool readerMissing = false;
    // When the picture was taken, as the file says where the read met it (see takenTime);
    // invalid otherwise.
    QDateTime taken {};
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
    // The picture in its own shape, at most side pixels across and down (never enlarged).
    virtual LoadedPicture loadFitted(const QString &path, int side) const
    {
        return load(path, QSize(side, side));
    }
    // When the picture was taken, as its file says (see takenTime); invalid when it does not.
    virtual QDateTime takenTime(const QString &path) const
    {
        Q_UNUSED(path);
        return {};
    }
};

// What a worker process that decodes pictures may take: the time it may take for one
// picture, the processor time, and its memory (counted as addresses).
struct WorkerLimits {
    int wallMs = 20'000;
    int cpuSeconds = 10;
    qint64 memoryBytes = 2048LL * 1024 * 1024;
};

class DecoderWorkers;

// The loader on top of QImageReader. Camera RAW, HEIF, TIFF and WebP pictures, whose decoders
// are large parsers that cannot be bounded from inside, are decoded in worker processes with
// limits (see DecoderWorkers), unless RAVELIN_DECODE_IN_PROCESS is set.
class QtPictureLoader : public PictureLoader
{
public:
    enum class Decoding { Apart, InProcess };
    explicit QtPictureLoader(Decoding decoding = standardDecoding(), WorkerLimits limits = {});
    static Decoding standardDecoding();

    LoadedPicture load(const QString &path, QSize size) const override;
    LoadedPicture loadFitted(const QString &path, int side) const override;
    QDateTime takenTime(const QString &path) const override;

private:
    // sizeFor gives the size to read to from the picture's size, turned as it is shown.
    template <class SizeFor>
    LoadedPicture read(const QString &path, const SizeFor &sizeFor) const;

    std::shared_ptr<const DecoderWorkers> m_workers;
};
