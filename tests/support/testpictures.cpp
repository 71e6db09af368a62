#include "support/testpictures.h"

#include <QDir>
#include <QFile>
#include <QImage>

namespace testpictures
{

bool write(const QString &path, QColor color, QSize size)
{
    // Qt writes no GIF: use a real one kept with the tests.
    if (path.endsWith(QLatin1String(".gif"), Qt::CaseInsensitive)) {
        QFile::remove(path);
        return QFile::copy(data(QStringLiteral("formats/video-001.gif")), path);
    }
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image.save(path, nullptr, 95);
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QString data(const QString &relative)
{
    return QDir(QStringLiteral(RAVELIN_TEST_DATA)).filePath(relative);
}

QColor centre(const QImage &image)
{
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

bool near(QColor a, QColor b, int tolerance)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
        && qAbs(a.blue() - b.blue()) <= tolerance;
}

} // namespace testpictures

LoadedPicture CountingLoader::load(const QString &path, QSize size) const
{
    ++m_reads;
    {
        const QMutexLocker lock(&m_mutex);
        m_paths.append(path);
    }
    return m_real.load(path, size);
}

QStringList CountingLoader::paths() const
{
    const QMutexLocker lock(&m_mutex);
    return m_paths;
}

void CountingLoader::reset()
{
    const QMutexLocker lock(&m_mutex);
    m_reads = 0;
    m_paths.clear();
}
