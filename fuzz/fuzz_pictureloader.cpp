#include "core/pictures/pictureloader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

// Any bytes, under any of the picture extensions, through the whole loader: EXIF header,
// size checks, icon directory, decoding and scaling to a thumbnail or a preview.

namespace
{
const char *const extensions[] = { "jpg", "jpeg", "bmp", "gif", "ico" };
constexpr QSize sizes[] = { QSize(100, 100), QSize(577, 505) };

// Made once and never destroyed: Qt's own globals are gone by the time an exit handler
// would delete it.
QCoreApplication *application = nullptr;
std::unique_ptr<QTemporaryDir> folder;
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    application = new QCoreApplication(*argc, *argv);
    // In memory where there is a shared-memory file system: the loader reads files.
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
    const QString path
        = folder->filePath(QStringLiteral("picture.%1")
                               .arg(QLatin1String(extensions[choice % std::size(extensions)])));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char *>(data + 1), qint64(size - 1));
    }
    const QSize wanted = sizes[(choice / std::size(extensions)) % std::size(sizes)];
    const LoadedPicture picture = QtPictureLoader().load(path, wanted);
    // A picture comes at exactly the size asked for, or not at all and with a reason.
    if (picture.ok() ? picture.image.size() != wanted : picture.error.isEmpty())
        std::abort();
    QFile::remove(path);
    return 0;
}
