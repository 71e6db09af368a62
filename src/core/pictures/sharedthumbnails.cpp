#include "core/pictures/sharedthumbnails.h"

#include "core/buildinfo.h"
#include "core/files/filesystem.h"
#include "core/pictures/decodelimits.h"
#include "core/pictures/picturefile.h"
#include "core/pictures/pngchunks.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QUrl>

#include <algorithm>
#include <optional>
#include <vector>

namespace
{
const QString software = QStringLiteral("Ravelin " RAVELIN_VERSION);
const QString failFolder = QStringLiteral("fail/ravelin-" RAVELIN_VERSION);
// Qt turns a PNG's quality q into zlib's compression level (100 - q) * 9 / 91.
constexpr int pngQuality = 50;
// Where the reason a file could not be read is kept in a failure entry.
const QString reasonKey = QStringLiteral("Description");
// When the picture was taken, as ISO 8601 in UTC (see takenTime), or none.
const QString takenKey = QStringLiteral("X-Ravelin::Taken");
const QString takenNone = QStringLiteral("none");
// The longest reason read back from a failure entry.
constexpr qsizetype maxReasonLength = 500;

// A modification time in whole seconds; other programs write it with a fraction
// ("1796609337.862549"), which counts by its whole seconds.
std::optional<qint64> secondsOf(const QString &time)
{
    const qsizetype point = time.indexOf(QLatin1Char('.'));
    if (point >= 0) {
        const QStringView fraction = QStringView(time).mid(point + 1);
        if (fraction.isEmpty()
            || !std::all_of(fraction.begin(), fraction.end(), [](QChar c) { return c.isDigit(); }))
            return std::nullopt;
    }
    bool ok = false;
    const qint64 seconds = QStringView(time).left(point < 0 ? time.size() : point).toLongLong(&ok);
    return ok ? std::optional(seconds) : std::nullopt;
}

// The keys are read from the PNG itself: the reader's own text() takes the "::" in their
// names for separators.
bool matches(const QImage &image, const SharedThumbnails::Key &key)
{
    if (image.text(QStringLiteral("Thumb::URI")) != key.uri)
        return false;
    if (secondsOf(image.text(QStringLiteral("Thumb::MTime"))) != key.modified)
        return false;
    // The size is optional; where present it must agree too.
    const QString size = image.text(QStringLiteral("Thumb::Size"));
    return size.isEmpty() || size.toLongLong() == key.size;
}

// An entry's PNG, when neither of its sides is longer than side. The file is opened first, the
// careful way: only a regular file, not through a link, without waiting. (A reader given the
// name of a missing file would try it again with each image suffix after it: thirty-odd opens
// for every entry not there.) Its text, its data and the bytes read are bounded as a picture's.
QImage readEntry(const QString &path, int side)
{
    PictureFile file(path);
    if (!file.openPicture(PictureFile::Links::Refuse))
        return {};
    const QString refused = pngchunks::refusal(
        [&file](qint64 offset, qint64 bytes) { return file.bytesAt(offset, bytes); });
    if (!refused.isEmpty())
        return {};
    // An entry is small and read whole.
    file.setReadAhead(true);
    file.setByteBudget(decodelimits::headerBudgetBytes);
    QImageReader reader(&file, "png");
    const QSize size = reader.size();
    if (!reader.canRead() || size.width() > side || size.height() > side)
        return {};
    file.setByteBudget(file.bytesRead() + decodelimits::readBudgetSlackBytes
        + decodelimits::readBudgetBytesPerPixel * decodelimits::pixelsOf(size));
    QImage image = reader.read();
    return file.budgetHit() ? QImage() : image;
}
} // namespace

SharedThumbnails::SharedThumbnails(const QString &root)
    : m_root(QDir::cleanPath(root))
{
}

QString SharedThumbnails::standardRoot()
{
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (cache.isEmpty() || QDir::isRelativePath(cache))
        cache = QDir::homePath() + QStringLiteral("/.cache");
    return cache + QStringLiteral("/thumbnails");
}

QString SharedThumbnails::uriOf(const QString &path)
{
    // Escaped byte for byte as GLib escapes a file name (g_filename_to_uri), since the URI's
    // MD5 names the entry: besides letters, digits and "-._~", only "!$&'()*+,/:=@" stay.
    return QStringLiteral("file://")
        + QString::fromLatin1(QUrl::toPercentEncoding(
            QFile::encodeName(QFileInfo(path).absoluteFilePath()), "!$&'()*+,/:=@"));
}

QString SharedThumbnails::nameOf(const QString &uri)
{
    return QString::fromLatin1(
               QCryptographicHash::hash(uri.toUtf8(), QCryptographicHash::Md5).toHex())
        + QStringLiteral(".png");
}

SharedThumbnails::Key SharedThumbnails::keyOf(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return {};
    return { uriOf(path), info.lastModified().toSecsSinceEpoch(), info.size() };
}

SharedThumbnails::Flavour SharedThumbnails::flavourFor(QSize wanted)
{
    return std::max(wanted.width(), wanted.height()) > sideOf(Flavour::Normal) ? Flavour::Large
                                                                               : Flavour::Normal;
}

QString SharedThumbnails::entryPath(const QString &uri, Flavour flavour) const
{
    return m_root
        + (flavour == Flavour::Normal ? QStringLiteral("/normal/") : QStringLiteral("/large/"))
        + nameOf(uri);
}

QString SharedThumbnails::failurePath(const QString &uri) const
{
    return m_root + QLatin1Char('/') + failFolder + QLatin1Char('/') + nameOf(uri);
}

bool SharedThumbnails::isInside(const QString &path) const
{
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    return absolute.startsWith(m_root + QLatin1Char('/'));
}

QImage SharedThumbnails::read(const Key &key, Flavour flavour) const
{
    if (key.uri.isEmpty())
        return {};
    // A large entry serves a normal one too.
    std::vector<Flavour> flavours { flavour };
    if (flavour == Flavour::Normal)
        flavours.push_back(Flavour::Large);
    for (const Flavour each : flavours) {
        const QString path = entryPath(key.uri, each);
        if (!isPrivate(path))
            continue;
        // No real entry is larger than its flavour's side.
        const QImage image = readEntry(path, sideOf(each));
        if (!image.isNull() && matches(image, key))
            return image;
    }
    return {};
}

bool SharedThumbnails::write(
    const Key &key, Flavour flavour, const QImage &thumbnail, const QDateTime &taken) const
{
    if (key.uri.isEmpty() || thumbnail.isNull())
        return false;
    const int side = sideOf(flavour);
    QImage fitted = thumbnail;
    if (fitted.width() > side || fitted.height() > side)
        fitted = fitted.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    fitted.setText(takenKey, taken.isValid() ? taken.toString(Qt::ISODateWithMs) : takenNone);
    return store(entryPath(key.uri, flavour), key, fitted, {});
}

std::optional<QDateTime> SharedThumbnails::takenOf(const QImage &entry)
{
    const QString text = entry.text(takenKey);
    if (text == takenNone)
        return QDateTime();
    const QDateTime taken = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!taken.isValid())
        return std::nullopt;
    return taken;
}

bool SharedThumbnails::writeFailure(const Key &key, const QString &why) const
{
    if (key.uri.isEmpty())
        return false;
    QImage mark(1, 1, QImage::Format_ARGB32);
    mark.fill(Qt::transparent);
    return store(failurePath(key.uri), key, mark, why);
}

bool SharedThumbnails::readFailure(const Key &key, QString *why) const
{
    if (key.uri.isEmpty())
        return false;
    const QString path = failurePath(key.uri);
    if (!isPrivate(path))
        return false;
    const QImage mark = readEntry(path, 1);
    if (mark.isNull() || !matches(mark, key))
        return false;
    // Whoever wrote it, the reason is a line of text, not a page.
    if (why != nullptr) {
        const QString reason = mark.text(reasonKey);
        *why = reason.size() <= maxReasonLength ? reason
                                                : reason.left(maxReasonLength - 1) + QChar(0x2026);
    }
    return true;
}

bool SharedThumbnails::isPrivate(const QString &path) const
{
    QString folder = m_root;
    if (!platform::isOwnPrivateFolder(folder))
        return false;
    const QStringList below
        = QFileInfo(path).path().mid(m_root.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &name : below) {
        folder += QLatin1Char('/') + name;
        if (!platform::isOwnPrivateFolder(folder))
            return false;
    }
    return true;
}

bool SharedThumbnails::store(
    const QString &path, const Key &key, QImage image, const QString &why) const
{
    image.setText(QStringLiteral("Thumb::URI"), key.uri);
    image.setText(QStringLiteral("Thumb::MTime"), QString::number(key.modified));
    image.setText(QStringLiteral("Thumb::Size"), QString::number(key.size));
    image.setText(QStringLiteral("Software"), software);
    if (!why.isEmpty())
        image.setText(reasonKey, why);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    // zlib's level 4 rather than its default 6: half the time for a file 3 % larger.
    writer.setQuality(pngQuality);
    if (!writer.write(image))
        return false;
    // The standard keeps thumbnails private: folders 0700, files 0600.
    if (!platform::makePrivateFolders(m_root, QFileInfo(path).path()) || !isPrivate(path))
        return false;
    return platform::replaceFile(path, bytes, true).ok;
}
