#include "core/pictures/picturecache.h"

#include "core/pictures/sharedthumbnails.h"

#include <QFileInfo>
#include <QSemaphore>

#include <algorithm>

namespace
{
constexpr qint64 defaultBudgetBytes = 64LL * 1024 * 1024;

qint64 bytesOf(const LoadedPicture &picture)
{
    return picture.image.sizeInBytes() + 64;
}
} // namespace

PictureCache::PictureCache(const PictureLoader &loader, QSize thumbnailSize)
    : m_loader(loader)
    , m_size(thumbnailSize)
    , m_budget(defaultBudgetBytes)
{
    setThreadCount(QThread::idealThreadCount());
}

void PictureCache::setThreadCount(int threads)
{
    m_threads = qMax(1, threads);
    m_pool.setMaxThreadCount(m_threads);
}

void PictureCache::useShared(std::shared_ptr<const SharedThumbnails> shared)
{
    m_shared = std::move(shared);
}

void PictureCache::setWithTaken(bool on)
{
    const QMutexLocker lock(&m_mutex);
    m_withTaken = on;
}

LoadedPicture PictureCache::throughShared(
    const QString &path, QSize size, bool fitted, bool &dated) const
{
    const SharedThumbnails::Key key = SharedThumbnails::keyOf(path);
    // The cache's own files get no thumbnails of their own.
    if (key.uri.isEmpty() || m_shared->isInside(path))
        return loaded(path, size, fitted);
    const auto shaped = [size, fitted](const QImage &image) {
        if (fitted) {
            return image.width() <= size.width() && image.height() <= size.height()
                ? image
                : image.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        }
        return image.size() == size
            ? image
            : image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    };
    const SharedThumbnails::Flavour flavour = SharedThumbnails::flavourFor(size);
    const QImage stored = m_shared->read(key, flavour);
    if (!stored.isNull()) {
        LoadedPicture found { shaped(stored.convertToFormat(stored.hasAlphaChannel()
                                      ? QImage::Format_ARGB32_Premultiplied
                                      : QImage::Format_RGB32)),
            {} };
        // Another program's entry does not say when its picture was taken.
        const std::optional<QDateTime> taken = SharedThumbnails::takenOf(stored);
        dated = taken.has_value();
        found.taken = taken.value_or(QDateTime());
        return found;
    }
    QString why;
    if (m_shared->readFailure(key, &why))
        return { {}, why };

    LoadedPicture picture = m_loader.loadFitted(path, SharedThumbnails::sideOf(flavour));
    if (picture.ok()) {
        // A thumbnail the file carries is cheaper to read again than a PNG.
        if (picture.decoded)
            (void)m_shared->write(key, flavour, picture.image, picture.taken);
        picture.image = shaped(picture.image);
    } else if (QFileInfo(path).isReadable() && !picture.error.isEmpty() && !picture.readerMissing) {
        // A file that cannot be opened now may open later, and one of a kind without a reader
        // once a reader is installed; one that cannot be read as a picture stays so until it
        // changes.
        (void)m_shared->writeFailure(key, picture.error);
    }
    return picture;
}

void PictureCache::setThumbnailSize(QSize size)
{
    const QMutexLocker lock(&m_mutex);
    m_size = size;
}

void PictureCache::setKeepProportions(bool keep)
{
    const QMutexLocker lock(&m_mutex);
    m_fitted = keep;
}

bool PictureCache::keepsProportions() const
{
    const QMutexLocker lock(&m_mutex);
    return m_fitted;
}

LoadedPicture PictureCache::loaded(const QString &path, QSize size, bool fitted) const
{
    if (!fitted)
        return m_loader.load(path, size);
    // As large as fits: a square of the longer side, brought into the size when it is not one.
    LoadedPicture picture = m_loader.loadFitted(path, std::max(size.width(), size.height()));
    if (picture.ok()
        && (picture.image.width() > size.width() || picture.image.height() > size.height()))
        picture.image = picture.image.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return picture;
}

void PictureCache::setBudget(qint64 bytes)
{
    const QMutexLocker lock(&m_mutex);
    m_budget = bytes;
    evict();
}

void PictureCache::trim()
{
    const QMutexLocker lock(&m_mutex);
    if (m_bytes > m_budget)
        evict();
}

int PictureCache::size() const
{
    const QMutexLocker lock(&m_mutex);
    return static_cast<int>(m_entries.size());
}

PictureCache::FileKey PictureCache::keyOf(const QString &path)
{
    const QFileInfo info(path);
    return { info.size(), info.lastModified().toMSecsSinceEpoch(), info.exists() };
}

const LoadedPicture *PictureCache::find(const QString &path, const FileKey &key) const
{
    const auto it = m_entries.find(path);
    if (it == m_entries.end() || !key.exists || it->second.fileSize != key.fileSize
        || it->second.modified != key.modified || it->second.size != m_size
        || it->second.fitted != m_fitted || (m_withTaken && !it->second.dated))
        return nullptr;
    it->second.lastUse = ++m_clock;
    return &it->second.picture;
}

void PictureCache::store(
    const QString &path, const FileKey &key, const LoadedPicture &picture, bool dated) const
{
    Entry &entry = m_entries[path];
    m_bytes -= entry.fileSize >= 0 ? bytesOf(entry.picture) : 0;
    entry = { key.fileSize, key.modified, m_size, m_fitted, picture, ++m_clock, dated };
    m_bytes += bytesOf(picture);
    if (m_bytes > m_budget)
        evict();
}

LoadedPicture PictureCache::thumbnail(const QString &path) const
{
    const FileKey key = keyOf(path);
    QSize size;
    bool fitted = false;
    bool withTaken = false;
    {
        const QMutexLocker lock(&m_mutex);
        if (const LoadedPicture *known = find(path, key))
            return *known;
        size = m_size;
        fitted = m_fitted;
        withTaken = m_withTaken;
    }
    bool dated = true;
    LoadedPicture picture
        = m_shared ? throughShared(path, size, fitted, dated) : loaded(path, size, fitted);
    if (!dated && withTaken) {
        picture.taken = m_loader.takenTime(path);
        dated = true;
    }
    const QMutexLocker lock(&m_mutex);
    // Set for another size or shape meanwhile: this one is not kept.
    if (size == m_size && fitted == m_fitted)
        store(path, key, picture, dated);
    return picture;
}

std::vector<LoadedPicture> PictureCache::thumbnails(
    const QStringList &paths, const Progress &progress)
{
    const int total = static_cast<int>(paths.size());
    std::vector<LoadedPicture> result(static_cast<size_t>(total));
    std::vector<int> misses;
    {
        const QMutexLocker lock(&m_mutex);
        for (int i = 0; i < total; ++i) {
            if (const LoadedPicture *known = find(paths[i], keyOf(paths[i])))
                result[static_cast<size_t>(i)] = *known;
            else
                misses.push_back(i);
        }
    }
    int done = total - static_cast<int>(misses.size());
    if (progress && done > 0)
        progress(done, total);

    if (m_threads <= 1) {
        for (const int i : misses) {
            result[static_cast<size_t>(i)] = thumbnail(paths[i]);
            if (progress)
                progress(++done, total);
        }
        return result;
    }
    // Workers fill their own slots and count each one done; this thread reports progress in
    // the order the results come in and returns only when every worker is done.
    QSemaphore finished;
    for (const int i : misses) {
        LoadedPicture *slot = &result[static_cast<size_t>(i)];
        const QString path = paths[i];
        m_pool.start([this, &finished, slot, path] {
            *slot = thumbnail(path);
            finished.release();
        });
    }
    for (size_t k = 0; k < misses.size(); ++k) {
        finished.acquire();
        if (progress)
            progress(++done, total);
    }
    return result;
}

void PictureCache::evict() const
{
    // Down to three quarters of the budget, so that a full cache is not sorted at every store.
    const qint64 target = m_budget - m_budget / 4;
    std::vector<std::pair<quint64, const QString *>> byAge;
    for (const auto &[path, entry] : m_entries) {
        // A thumbnail held elsewhere costs nothing more here.
        if (entry.picture.image.isNull() || entry.picture.image.isDetached())
            byAge.emplace_back(entry.lastUse, &path);
    }
    std::sort(byAge.begin(), byAge.end());
    for (const auto &[use, path] : byAge) {
        if (m_bytes <= target)
            break;
        const auto it = m_entries.find(*path);
        m_bytes -= bytesOf(it->second.picture);
        m_entries.erase(it);
    }
}
