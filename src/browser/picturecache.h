#pragma once

#include "browser/pictureloader.h"

#include <QString>
#include <QThreadPool>
#include <functional>
#include <unordered_map>
#include <vector>

// Thumbnails of the pictures the grid has shown, keyed by the file's full path, size and
// modification time, so that a rebuild of an unchanged folder reads no file while a changed
// or another folder's file of the same name is read again. Misses are decoded on a thread
// pool; the caller gets the results in list order.
class PictureCache
{
public:
    using Progress = std::function<void(int done, int total)>;

    explicit PictureCache(const PictureLoader &loader, QSize thumbnailSize);

    // One entry per path, in order: the thumbnail, or a null image with the reason it could
    // not be read. progress is called on the calling thread as results come in.
    std::vector<LoadedPicture> thumbnails(const QStringList &paths, const Progress &progress = {});

    // Decode on this many threads (1 decodes on the calling thread).
    void setThreadCount(int threads);
    int threadCount() const { return m_threads; }
    // Thumbnails from folders not shown now are dropped past this many bytes.
    void setBudget(qint64 bytes) { m_budget = bytes; }
    int size() const { return static_cast<int>(m_entries.size()); }

private:
    struct Entry {
        qint64 fileSize = -1;
        qint64 modified = 0;
        LoadedPicture picture;
        quint64 lastUse = 0;
    };
    void evict();

    const PictureLoader &m_loader;
    QSize m_size;
    std::unordered_map<QString, Entry> m_entries; // node-based: entries keep their address
    QThreadPool m_pool;
    int m_threads = 1;
    qint64 m_budget;
    quint64 m_generation = 0;
};
