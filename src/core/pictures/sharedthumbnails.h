#pragma once

#include <QDateTime>
#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

// The thumbnail cache that desktop programs share (the freedesktop.org Thumbnail Managing
// Standard): $XDG_CACHE_HOME/thumbnails, with PNGs of at most 128 pixels a side in normal/ and
// 256 in large/, each named by the MD5 of the file's URI and keyed by the file's URI,
// modification time and size; and fail/<program>/ entries for files that could not be read.
// A file manager's thumbnails serve this program and its thumbnails serve them.
class SharedThumbnails
{
public:
    enum class Flavour { Normal, Large };
    // What identifies a file's version: an entry made for another is stale.
    struct Key {
        QString uri;
        qint64 modified = 0; // seconds since the epoch
        qint64 size = -1;
    };

    // The cache under a folder (its "thumbnails" folder).
    explicit SharedThumbnails(const QString &root);
    // $XDG_CACHE_HOME/thumbnails, or ~/.cache/thumbnails.
    static QString standardRoot();

    QString root() const { return m_root; }
    static QString uriOf(const QString &path);
    static QString nameOf(const QString &uri);
    // The key of a file as it is now; an empty URI when it cannot be read.
    static Key keyOf(const QString &path);
    static int sideOf(Flavour flavour) { return flavour == Flavour::Normal ? 128 : 256; }
    // The flavour that holds pictures wanted at a size.
    static Flavour flavourFor(QSize wanted);
    QString entryPath(const QString &uri, Flavour flavour) const;
    QString failurePath(const QString &uri) const;
    // Files of the cache itself get no thumbnails.
    bool isInside(const QString &path) const;

    // The thumbnail stored for this version of the file, in this flavour or the larger; null
    // when there is none or it is stale.
    QImage read(const Key &key, Flavour flavour) const;
    // Stores a thumbnail made of the file (its own shape, at most the flavour's side), with
    // when its picture was taken (invalid: the picture does not say), a key of this program's
    // own beside the standard's.
    bool write(const Key &key, Flavour flavour, const QImage &thumbnail,
        const QDateTime &taken = {}) const;
    // When the picture of an entry read was taken: invalid when the entry says the picture
    // does not say, nothing when the entry does not say (another program wrote it).
    static std::optional<QDateTime> takenOf(const QImage &entry);
    // Notes that this version of the file could not be read, and why; whether it is noted.
    bool writeFailure(const Key &key, const QString &why) const;
    bool readFailure(const Key &key, QString *why) const;

private:
    // Whether the folders from the root down to the one that holds path are the user's own,
    // not links, and writable by nobody else, as the standard asks: in a cache that another
    // user can write in, entries may be planted and links may lead writes elsewhere.
    bool isPrivate(const QString &path) const;
    bool store(const QString &path, const Key &key, QImage image, const QString &why) const;

    QString m_root;
};
