#pragma once

#include "core/pictures/pictureloader.h"

#include <QMutex>
#include <QString>
#include <QThreadPool>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

// Thumbnails of the pictures the grid has shown, keyed by the file's full path, size and
// modification time and the size decoded to, so that a rebuild of an unchanged folder reads no
// file while a changed or another folder's file of the same name is read again. Past its
// budget it lets go of the thumbnails used longest ago, never of one that is also held
// elsewhere (a cell on screen): the grid and the cache share one copy of each picture.
class SharedThumbnails;

class PictureCache
{
public:
    using Progress = std::function<void(int done, int total)>;

    explicit PictureCache(const PictureLoader &loader, QSize thumbnailSize);

    // The thumbnail of one file at the size set, or a null image with the reason it could not
    // be read. Safe to call from several threads at once.
    LoadedPicture thumbnail(const QString &path) const;
    // One entry per path, in order, decoded on the cache's threads. progress is called on
    // the calling thread as results come in.
    std::vector<LoadedPicture> thumbnails(const QStringList &paths, const Progress &progress = {});

    // Reads and keeps thumbnails in the thumbnail cache desktop programs share as well.
    void useShared(std::shared_ptr<const SharedThumbnails> shared);
    // Every thumbnail comes with the time its picture was taken (LoadedPicture::taken): one
    // found in an entry of the shared cache that another program wrote, which does not keep
    // it, costs a read of the picture's own EXIF block for it (or the decoder worker's reading
    // of a HEIC or RAW file). Off, such a thumbnail comes without it, and nothing more is read.
    void setWithTaken(bool on);

    void setThumbnailSize(QSize size);
    // Thumbnails in their pictures' own proportions, as large as fits in the size set (never
    // enlarged), rather than stretched to it; kept apart from the stretched ones.
    void setKeepProportions(bool keep);
    bool keepsProportions() const;
    // Decode on this many threads (1 decodes on the calling thread).
    void setThreadCount(int threads);
    int threadCount() const { return m_threads; }
    // Thumbnails no cell holds are let go of past this many bytes.
    void setBudget(qint64 bytes);
    // Lets go of what is past the budget now, as the grid let go of its cells.
    void trim();
    int size() const;

private:
    struct Entry {
        qint64 fileSize = -1;
        qint64 modified = 0;
        QSize size;
        bool fitted = false;
        LoadedPicture picture;
        quint64 lastUse = 0;
        // Its picture.taken was looked for: it did not come from another program's entry alone.
        bool dated = true;
    };
    struct FileKey {
        qint64 fileSize = -1;
        qint64 modified = 0;
        bool exists = false;
    };
    static FileKey keyOf(const QString &path);
    // Under the lock.
    // An entry without its time taken counts as none while thumbnails come with it.
    const LoadedPicture *find(const QString &path, const FileKey &key) const;
    void store(
        const QString &path, const FileKey &key, const LoadedPicture &picture, bool dated) const;
    void evict() const;
    // Read from the file, stretched to the size or fitted in it.
    LoadedPicture loaded(const QString &path, QSize size, bool fitted) const;
    // dated is set false for a thumbnail found in an entry that does not say when its picture
    // was taken.
    LoadedPicture throughShared(const QString &path, QSize size, bool fitted, bool &dated) const;

    const PictureLoader &m_loader;
    std::shared_ptr<const SharedThumbnails> m_shared;
    QThreadPool m_pool;
    int m_threads = 1;
    mutable QMutex m_mutex;
    QSize m_size;
    bool m_fitted = false;
    bool m_withTaken = false;
    qint64 m_budget;
    mutable std::unordered_map<QString, Entry> m_entries;
    mutable qint64 m_bytes = 0;
    mutable quint64 m_clock = 0;
};
