#include "core/pictures/cameraformats.h"
#include "core/pictures/pictureloader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

// Any bytes through the parts of the loader that hand a file to libheif and LibRaw: from
// memory straight to each, and as a file named as a HEIC, an AVIF or a RAW file through the
// whole loader.

namespace
{
const char *const extensions[] = { "heic", "avif", "cr2", "nef", "dng", "raf" };
constexpr QSize sizes[] = { QSize(100, 100), QSize(577, 505) };

QCoreApplication *application = nullptr;
std::unique_ptr<QTemporaryDir> folder;

void check(const LoadedPicture &picture, QSize wanted)
{
    // A picture comes at exactly the size asked for, or not at all and with a reason.
    if (picture.ok() ? picture.image.size() != wanted : picture.error.isEmpty())
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    application = new QCoreApplication(*argc, *argv);
    const QString base
        = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    folder = std::make_unique<QTemporaryDir>(base + QStringLiteral("/ravelin-fuzz-XXXXXX"));
    if (!folder->isValid())
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    // The first byte picks the extension and the size asked for; the rest is the file.
    const std::uint8_t choice = data[0];
    const QSize wanted = sizes[(choice / std::size(extensions)) % std::size(sizes)];
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    check(cameraformats::loadHeifBytes(bytes, wanted), wanted);
    const cameraformats::RawResult raw = cameraformats::loadRawBytes(bytes, wanted);
    if (!raw.notRaw)
        check(raw.picture, wanted);

    const QString path
        = folder->filePath(QStringLiteral("picture.%1")
                               .arg(QLatin1String(extensions[choice % std::size(extensions)])));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(bytes);
    }
    check(QtPictureLoader().load(path, wanted), wanted);
    QFile::remove(path);
    return 0;
}
