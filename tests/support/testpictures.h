#pragma once

#include "core/pictures/pictureloader.h"

#include <QByteArrayList>
#include <QColor>
#include <QDateTime>
#include <QMutex>
#include <QSemaphore>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <atomic>

// Helpers that make real picture files for tests, and a loader that counts what it reads.
namespace testpictures
{

// Writes a picture of one colour; the format follows the file's extension (a GIF is a
// fixed real one, whatever the colour).
bool write(const QString &path, QColor color, QSize size = QSize(64, 48));
// Writes bytes as they are (a broken or fake picture).
bool writeBytes(const QString &path, const QByteArray &bytes);
// Writes each file (a path under the folder, its folders made as needed) with that path
// as its content, so that where each one ends up, and whole, can be told.
bool writeOwnPaths(const QString &folder, const QStringList &files);
// Sets a file's modification time.
bool setModified(const QString &path, const QDateTime &time);
// The bytes of a file; empty for a file that is not there.
QByteArray bytes(const QString &path);
// The path of a file kept with the tests.
QString data(const QString &relative);
// An image of one colour.
QImage filled(QSize size, QColor color);
// The colour in the middle of an image.
QColor centre(const QImage &image);
// True when two colours are within a JPEG's rounding of each other.
bool near(QColor a, QColor b, int tolerance = 24);
// A JPEG of the picture with an EXIF block as cameras write it: the orientation tag and,
// unless thumbnail is empty, those bytes as the embedded thumbnail; unless empty, taken as the
// time taken (DateTimeOriginal, "YYYY:MM:DD HH:MM:SS") and subSeconds as its SubSecTimeOriginal.
QByteArray jpegWithExif(const QImage &picture, int orientation, const QByteArray &thumbnail = {},
    const QByteArray &taken = {}, const QByteArray &subSeconds = {});
// The image as JPEG bytes.
QByteArray jpegBytes(const QImage &image, int quality = 90);

// A small grey JPEG whose frame header claims another size.
QByteArray jpegClaiming(QSize claimed, bool progressive = false);
// Hostile files as they were met. A progressive JPEG whose frame claims a size, followed by
// that many empty scans (a header each, no data: each still costs a pass over the picture).
QByteArray scanBomb(QSize claimed, int scans);
// A PNG of one colour and that size, a bit a pixel: a few kilobytes that decode to a picture
// of 4 bytes a pixel.
QByteArray monoPng(QSize size, QColor color);
// The PNG with that many compressed text chunks after its header, that each inflate to
// textBytes: the reader keeps every text whole while it reads the header.
QByteArray pngAddTexts(QByteArray png, int chunks, qint64 textBytes);
// The PNG with a chunk of that many bytes of picture data more before its end.
QByteArray pngAddData(QByteArray png, qint64 bytes);
// A PNG of one colour, 64 x 48, with text chunks as pngAddTexts puts them.
QByteArray pngWithText(int chunks, qint64 textBytes, QColor color = Qt::red);
// A black PNG of that size whose data stream goes on after the picture's end, for about
// compressedBytes in all (some thousand times that inflated): a decoder inflates all of it.
QByteArray pngWithLongData(QSize size, qint64 compressedBytes);
// A small JPEG cut right after its scan header: a decoder looks through whatever follows
// for the picture's data and its end.
QByteArray jpegHeaderOnly();
// An icon whose directory lists every image as 256 x 256, whatever each one holds.
QByteArray iconOf(const QByteArrayList &images);
// Puts into a folder the hostile cases made here rather than kept as files: the pictures
// above (PNG text and data bombs too), a 20 GB sparse file behind a JPEG header, a picture whose
// name looks like markup, and links to a FIFO and to devices, as files and as folders. Returns the
// names of the files that are pictures to list (the links are not).
QStringList writeHostileCases(const QString &folder);
inline const QString markupName = QStringLiteral("<font color=red size=6>BIG RED.jpg");

} // namespace testpictures

// Folders of real pictures under one temporary folder, each picture of its own colour.
class TestFolders
{
public:
    // The temporary folder, or a path inside it, with native separators.
    QString path(const QString &relative = {}) const;
    QStringList paths(const QStringList &relative) const;
    // Makes the folder with the named pictures in it; returns its path.
    QString make(const QString &name, const QStringList &files, QSize size = QSize(64, 48));
    // Every file under the temporary folder, hidden ones too, by relative path in name order.
    QStringList files() const;
    // The contents of the files, by relative path; empty for a file that is not there.
    QByteArrayList bytes(const QStringList &files) const;

private:
    QTemporaryDir m_dir;
    int m_hue = 0;
};

// A trash of the test's own while it lives: HOME and XDG_DATA_HOME point into the folder
// given, which gets the data folder .local/share.
class OwnTrash
{
public:
    explicit OwnTrash(const QString &home);
    ~OwnTrash();
    OwnTrash(const OwnTrash &) = delete;
    OwnTrash &operator=(const OwnTrash &) = delete;

private:
    QByteArray m_home;
    QByteArray m_dataHome;
};

// A picture loader that counts and records every file it reads, and can hold some reads.
class CountingLoader : public PictureLoader
{
public:
    LoadedPicture load(const QString &path, QSize size) const override;
    LoadedPicture loadFitted(const QString &path, int side) const override;
    // Counted as a read of the file as well.
    QDateTime takenTime(const QString &path) const override;
    int reads() const { return m_reads.load(); }
    QStringList paths() const;
    // Whether a read since the last reset ran on the thread of the windows.
    bool readOnWindowThread() const { return m_onWindowThread.load(); }
    void reset();
    // Reads of files of that name wait until they are let go.
    void hold(const QString &name);
    void letGo();

private:
    void count(const QString &path) const;

    QtPictureLoader m_real;
    mutable std::atomic<int> m_reads { 0 };
    mutable std::atomic<bool> m_onWindowThread { false };
    mutable QMutex m_mutex;
    mutable QStringList m_paths;
    QString m_held;
    mutable QSemaphore m_heldReads;
};
