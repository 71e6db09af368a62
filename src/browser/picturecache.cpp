#include "browser/picturecache.h"

#include <QFileInfo>
#include <QSemaphore>

#include <algorithm>

namespace
{
constexpr qint64 defaultBudgetBytes = 96LL * 1024 * 1024;

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

std::vector<LoadedPicture> PictureCache::thumbnails(
    const QStringList &paths, const Progress &progress)
{
    ++m_generation;
    const int total = static_cast<int>(paths.size());
    std::vector<LoadedPicture> result(static_cast<size_t>(total));
    std::vector<Entry *> entries(static_cast<size_t>(total), nullptr);
    std::vector<int> misses;

    for (int i = 0; i < total; ++i) {
        const QFileInfo info(paths[i]);
        const qint64 fileSize = info.size();
        const qint64 modified = info.lastModified().toMSecsSinceEpoch();
        Entry &entry = m_entries[paths[i]];
        entry.lastUse = m_generation;
        entries[static_cast<size_t>(i)] = &entry;
        if (entry.fileSize != fileSize || entry.modified != modified || !info.exists()) {
            entry.fileSize = fileSize;
            entry.modified = modified;
            misses.push_back(i);
        }
    }

    int done = total - static_cast<int>(misses.size());
    if (progress && done > 0)
        progress(done, total);

    const QSize size = m_size;
    const PictureLoader &loader = m_loader;
    if (m_threads <= 1) {
        for (const int i : misses) {
            entries[static_cast<size_t>(i)]->picture = loader.load(paths[i], size);
            if (progress)
                progress(++done, total);
        }
    } else {
        // Workers fill their own slots and count each one done; this thread reports progress
        // in the order the results come in and returns only when every worker is done.
        std::vector<LoadedPicture> loaded(misses.size());
        QSemaphore finished;
        for (size_t k = 0; k < misses.size(); ++k) {
            LoadedPicture *slot = &loaded[k];
            const QString path = paths[misses[k]];
            m_pool.start([&loader, &finished, slot, path, size] {
                *slot = loader.load(path, size);
                finished.release();
            });
        }
        for (size_t k = 0; k < misses.size(); ++k) {
            finished.acquire();
            if (progress)
                progress(++done, total);
        }
        for (size_t k = 0; k < misses.size(); ++k)
            entries[static_cast<size_t>(misses[k])]->picture = std::move(loaded[k]);
    }

    for (int i = 0; i < total; ++i)
        result[static_cast<size_t>(i)] = entries[static_cast<size_t>(i)]->picture;
    evict();
    return result;
}

void PictureCache::evict()
{
    qint64 bytes = 0;
    for (const auto &[path, entry] : m_entries)
        bytes += bytesOf(entry.picture);
    if (bytes <= m_budget)
        return;
    // Oldest first; what the last build showed always stays.
    std::vector<std::pair<quint64, QString>> byAge;
    for (const auto &[path, entry] : m_entries) {
        if (entry.lastUse != m_generation)
            byAge.emplace_back(entry.lastUse, path);
    }
    std::sort(byAge.begin(), byAge.end());
    for (const auto &[use, path] : byAge) {
        if (bytes <= m_budget)
            break;
        const auto it = m_entries.find(path);
        bytes -= bytesOf(it->second.picture);
        m_entries.erase(it);
    }
}
