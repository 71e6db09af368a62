#include "core/buildinfo.h"
#include "core/pictures/picturecache.h"
#include "core/pictures/sharedthumbnails.h"
#include "support/faultsupport.h"
#include "support/testpictures.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <atomic>
#include <latch>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{
// The real loader, counting its reads; it can say it used a thumbnail the file carries.
class Loader : public PictureLoader
{
public:
    LoadedPicture load(const QString &path, QSize size) const override
    {
        ++reads;
        return m_real.load(path, size);
    }
    LoadedPicture loadFitted(const QString &path, int side) const override
    {
        ++reads;
        LoadedPicture picture = m_real.loadFitted(path, side);
        picture.decoded = picture.decoded && !embedded;
        return picture;
    }
    QDateTime takenTime(const QString &path) const override
    {
        ++reads;
        return m_real.takenTime(path);
    }
    mutable std::atomic<int> reads { 0 };
    bool embedded = false;

private:
    QtPictureLoader m_real;
};

QString text(const QString &png, const QString &key)
{
    return QImage(png, "png").text(key);
}
} // namespace

// The thumbnail cache shared by desktop programs, as the picture cache reads and fills it.
class TestSharedThumbnails : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A read that waits (a pipe opened the ordinary way) ends the test with a message, long
    // before the test runner's time limit.
    void init()
    {
        m_watchdog.emplace(std::chrono::seconds(15));
        m_home = std::make_unique<QTemporaryDir>();
        m_pictures = std::make_unique<QTemporaryDir>();
        m_loader.reads = 0;
        QVERIFY(m_home->isValid() && m_pictures->isValid());
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_home->path()));
        m_shared = std::make_shared<SharedThumbnails>(SharedThumbnails::standardRoot());
    }

    void cleanup() { m_watchdog.reset(); }

    // The URIs GLib's g_filename_to_uri gives for these names: the entries' names are the
    // MD5s of the URIs, so another program finds an entry only under the same URI.
    void namesAndKeys_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("uri");
        QTest::newRow("plain") << "/home/jens/photos/me.png"
                               << "file:///home/jens/photos/me.png";
        QTest::newRow("space, # and %") << "/tmp/a b#1%.jpg"
                                        << "file:///tmp/a%20b%231%25.jpg";
        QTest::newRow("brackets") << "/p/b[1].jpg"
                                  << "file:///p/b%5B1%5D.jpg";
        QTest::newRow("semicolon") << "/p/s;c.jpg"
                                   << "file:///p/s%3Bc.jpg";
        QTest::newRow("umlaut, accent") << "/p/ü é.jpg"
                                        << "file:///p/%C3%BC%20%C3%A9.jpg";
        QTest::newRow("kept as they are") << "/p/!$&'()*+,-.=@_~:.jpg"
                                          << "file:///p/!$&'()*+,-.=@_~:.jpg";
        QTest::newRow("escaped") << "/p/q?\"<>\\^`{|}.jpg"
                                 << "file:///p/q%3F%22%3C%3E%5C%5E%60%7B%7C%7D.jpg";
        QTest::newRow("control characters") << "/p/tab\there\x7f.jpg"
                                            << "file:///p/tab%09here%7F.jpg";
    }

    void namesAndKeys()
    {
        QFETCH(QString, path);
        QFETCH(QString, uri);
        QCOMPARE(SharedThumbnails::uriOf(path), uri);
        QCOMPARE(SharedThumbnails::nameOf("file:///home/jens/photos/me.png"),
            QStringLiteral("c6ee772d9e49320e97ec29a7eb5b1697.png"));
    }

    // A picture decoded once is stored, private to the user, with its keys; a new run (a new
    // cache) reads it back without decoding, until the file changes.
    void decodedPicturesAreStoredAndServeTheNextRun_data()
    {
        QTest::addColumn<QSize>("thumbnail");
        QTest::addColumn<QString>("flavour");
        QTest::addColumn<QSize>("stored");
        QTest::newRow("normal") << QSize(100, 100) << "normal" << QSize(128, 96);
        QTest::newRow("large, for a dense screen") << QSize(200, 200) << "large" << QSize(256, 192);
    }

    void decodedPicturesAreStoredAndServeTheNextRun()
    {
        QFETCH(QSize, thumbnail);
        QFETCH(QString, flavour);
        QFETCH(QSize, stored);
        const QString picture = m_pictures->filePath("wide picture.jpg");
        QVERIFY(testpictures::writeBytes(picture,
            testpictures::jpegWithExif(
                testpictures::filled(QSize(800, 600), Qt::red), 1, {}, "2021:03:04 05:06:07")));
        const QDateTime taken(QDate(2021, 3, 4), QTime(5, 6, 7), QTimeZone::utc());
        const QString uri = SharedThumbnails::uriOf(picture);
        const QString entry
            = m_home->path() + "/thumbnails/" + flavour + '/' + SharedThumbnails::nameOf(uri);

        const LoadedPicture first = readWith(picture, thumbnail);
        QCOMPARE(first.image.size(), thumbnail);
        QCOMPARE(first.taken, taken);
        QCOMPARE(m_loader.reads.load(), 1);
        QVERIFY(QFileInfo::exists(entry));
        QCOMPARE(QImageReader(entry).size(), stored);
        QCOMPARE(text(entry, "Thumb::URI"), uri);
        QCOMPARE(text(entry, "Thumb::MTime"),
            QString::number(QFileInfo(picture).lastModified().toSecsSinceEpoch()));
        QCOMPARE(text(entry, "Thumb::Size"), QString::number(QFileInfo(picture).size()));
        QCOMPARE(QFileInfo(entry).permissions() & 0x0777, QFileDevice::Permissions(0x0600));
        for (const QString &folder : { m_shared->root(), m_shared->root() + '/' + flavour })
            QCOMPARE(QFileInfo(folder).permissions() & 0x0777, QFileDevice::Permissions(0x0700));
        // Only the entry: no temporary file is left beside it.
        QCOMPARE(QDir(m_shared->root() + '/' + flavour).entryList(QDir::Files).size(), 1);

        const LoadedPicture again = readWith(picture, thumbnail);
        QCOMPARE(m_loader.reads.load(), 1);
        QVERIFY(again.image.size() == thumbnail && again.image.pixelColor(50, 50).red() > 200);
        QCOMPARE(again.taken, taken);

        // Another program's entry does not keep the time taken: asked for, it costs a read of
        // the picture's EXIF block, once.
        QImage foreign(entry);
        foreign.setText("X-Ravelin::Taken", {});
        QVERIFY(foreign.save(entry) && QFile::setPermissions(entry, QFile::ReadOwner));
        PictureCache cache(m_loader, thumbnail);
        cache.useShared(m_shared);
        QVERIFY(!cache.thumbnail(picture).taken.isValid());
        QCOMPARE(m_loader.reads.load(), 1);
        cache.setWithTaken(true);
        QCOMPARE(cache.thumbnail(picture).taken, taken);
        QCOMPARE(cache.thumbnail(picture).taken, taken);
        QCOMPARE(m_loader.reads.load(), 2);
        // An entry of a picture that does not say when it was taken says so.
        foreign.setText("X-Ravelin::Taken", "none");
        QVERIFY(SharedThumbnails::takenOf(foreign) == QDateTime());
    }

    // The decoding threads store their first pictures at the same moment, each making the
    // cache's folders if they are not there yet: every entry is stored all the same.
    void entriesStoredAtOnceIntoAnEmptyCache()
    {
        constexpr int threads = 8;
        QImage image(128, 96, QImage::Format_RGB32);
        image.fill(Qt::red);
        for (int round = 0; round < 20; ++round) {
            const QTemporaryDir root;
            const SharedThumbnails shared(root.path() + "/thumbnails");
            std::latch start(threads);
            std::atomic<int> stored { 0 };
            std::vector<std::thread> writers;
            for (int i = 0; i < threads; ++i) {
                writers.emplace_back([&, i] {
                    const SharedThumbnails::Key key { "file:///p/" + QString::number(i), 1, 2 };
                    start.arrive_and_wait();
                    stored += shared.write(key, SharedThumbnails::Flavour::Normal, image) ? 1 : 0;
                });
            }
            for (std::thread &writer : writers)
                writer.join();
            QCOMPARE(stored.load(), threads);
        }
    }

    // An entry made for another version of the file, or for another file, is not used; one
    // whose time has a fraction of a second, as the desktop's thumbnailer writes it, is.
    void staleEntriesAreReadAgain_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("reads");
        QTest::newRow("newer time") << "time" << 1;
        QTest::newRow("older time, as restored from a backup") << "older" << 1;
        QTest::newRow("another size, the time kept") << "size" << 1;
        QTest::newRow("another file's entry under the name") << "uri" << 1;
        // Opened the ordinary way, a pipe would wait for a writer.
        QTest::newRow("a pipe in the entry's place") << "pipe" << 1;
        QTest::newRow("time with a fraction") << ".862549" << 0;
        QTest::newRow("time with a fraction, not a number") << ".86x" << 1;
        QTest::newRow("time with a point only") << "." << 1;
    }

    void staleEntriesAreReadAgain()
    {
        QFETCH(QString, change);
        QFETCH(int, reads);
        const QString picture = m_pictures->filePath("a.jpg");
        const QDateTime taken(QDate(2021, 3, 4), QTime(5, 6, 7), Qt::UTC);
        QVERIFY(testpictures::write(picture, Qt::red) && testpictures::setModified(picture, taken));
        (void)readWith(picture, QSize(100, 100));
        const QString entry = m_shared->entryPath(
            SharedThumbnails::uriOf(picture), SharedThumbnails::Flavour::Normal);
        if (change == "time" || change == "older") {
            QVERIFY(testpictures::setModified(picture, taken.addSecs(change == "time" ? 1 : -1)));
        } else if (change == "size") {
            QVERIFY(testpictures::write(picture, Qt::blue, QSize(80, 48))
                && testpictures::setModified(picture, taken));
        } else if (change == "pipe") {
            QVERIFY(
                QFile::remove(entry) && ::mkfifo(QFile::encodeName(entry).constData(), 0600) == 0);
        } else if (change.startsWith('.')) {
            QImage image(entry, "png");
            image.setText("Thumb::MTime", QString::number(taken.toSecsSinceEpoch()) + change);
            QVERIFY(image.save(entry, "png"));
        } else {
            const QString other = m_pictures->filePath("b.jpg");
            QVERIFY(
                testpictures::write(other, Qt::green) && testpictures::setModified(other, taken));
            (void)readWith(other, QSize(100, 100));
            QVERIFY(QFile::remove(entry));
            QVERIFY(QFile::copy(m_shared->entryPath(SharedThumbnails::uriOf(other),
                                    SharedThumbnails::Flavour::Normal),
                entry));
        }
        m_loader.reads = 0;
        (void)readWith(picture, QSize(100, 100));
        QCOMPARE(m_loader.reads.load(), reads);
        QCOMPARE(text(entry, "Thumb::URI"), SharedThumbnails::uriOf(picture));
        QCOMPARE(text(entry, "Thumb::MTime"),
            QString::number(QFileInfo(picture).lastModified().toSecsSinceEpoch())
                + (reads == 0 ? change : QString()));
    }

    // A cache that someone else can write in is neither read (entries and failure notes may be
    // planted) nor written (a link may lead the entries into any folder); nor is an entry
    // that is a link, or one whose texts or data go far beyond a thumbnail's.
    void foreignCachesAreNotUsed_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("written");
        QTest::newRow("the cache writable by all") << "writable" << false;
        QTest::newRow("its folders links to another's") << "links" << false;
        QTest::newRow("its folders another user's") << "owner" << false;
        QTest::newRow("a link for the failure note") << "note link" << true;
        QTest::newRow("a note of texts far beyond a thumbnail's") << "texts" << true;
        QTest::newRow("a note of data far beyond its size") << "data" << true;
    }

    void foreignCachesAreNotUsed()
    {
        QFETCH(QString, change);
        QFETCH(bool, written);
        const QString picture = m_pictures->filePath("good.jpg");
        QVERIFY(testpictures::write(picture, Qt::red));
        const SharedThumbnails::Key key = SharedThumbnails::keyOf(picture);
        QVERIFY(m_shared->writeFailure(key, "planted"));
        QVERIFY(QDir().mkpath(m_shared->root() + "/normal"));
        const QString note = m_shared->failurePath(key.uri);
        const QString fail = QFileInfo(note).path();
        const QString elsewhere = m_pictures->filePath("elsewhere");
        QVERIFY(QDir().mkpath(elsewhere));
        if (change == "writable") {
            QVERIFY(QFile::setPermissions(m_shared->root(), QFileDevice::Permissions(0x7777)));
        } else if (change == "links") {
            for (const QString &folder : { m_shared->root() + "/normal", fail }) {
                const QString moved = elsewhere + '/' + QFileInfo(folder).fileName();
                QVERIFY(QDir().rename(folder, moved) && QFile::link(moved, folder));
            }
        } else if (change == "owner") {
            constexpr uid_t nobody = 65534;
            if (::geteuid() != 0)
                QSKIP("Only root can give a folder to another user");
            for (const QString &folder : { m_shared->root() + "/normal", fail })
                QCOMPARE(::chown(QFile::encodeName(folder).constData(), nobody, nobody), 0);
        } else if (change == "note link") {
            QVERIFY(QFile::rename(note, elsewhere + "/note.png"));
            QVERIFY(QFile::link(elsewhere + "/note.png", note));
        } else {
            constexpr qint64 megabytes = 1024 * 1024;
            const QByteArray bytes = testpictures::bytes(note);
            QVERIFY(testpictures::writeBytes(note,
                change == "texts" ? testpictures::pngAddTexts(bytes, 4, 4 * megabytes)
                                  : testpictures::pngAddData(bytes, megabytes)));
        }
        const LoadedPicture read = readWith(picture, QSize(100, 100));
        QVERIFY2(read.ok(), qPrintable(read.error));
        QCOMPARE(m_loader.reads.load(), 1);
        QCOMPARE(QFileInfo::exists(m_shared->entryPath(key.uri, SharedThumbnails::Flavour::Normal)),
            written);
        QCOMPARE(QDir(elsewhere + "/normal").entryList(QDir::Files), QStringList());
    }

    // A file that is no picture is noted under the program's own failure folder, with why;
    // the next run does not try it again until it changes. A kind of file no reader is
    // installed for is not noted: one may be installed before the next run.
    void failuresAreNoted_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("noted");
        QTest::newRow("not a picture") << "broken.jpg" << QByteArray(300, 'x') << true;
        QTest::newRow("no reader of its kind")
            << "picture.jxl" << QByteArray("\xff\x0a") + QByteArray(300, '\0') << false;
    }

    void failuresAreNoted()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, noted);
        if (!noted
            && QImageReader::supportedImageFormats().contains(QFileInfo(name).suffix().toLatin1()))
            QSKIP("A reader of the kind is installed");
        const QString broken = m_pictures->filePath(name);
        QVERIFY(testpictures::writeBytes(broken, bytes));
        const LoadedPicture first = readWith(broken, QSize(100, 100));
        QVERIFY(!first.ok() && !first.error.isEmpty());
        const QString entry = m_shared->failurePath(SharedThumbnails::uriOf(broken));
        QVERIFY(entry.contains("/thumbnails/fail/ravelin-" RAVELIN_VERSION "/"));
        QCOMPARE(QFileInfo::exists(entry), noted);
        if (noted)
            QCOMPARE(QFileInfo(entry).permissions() & 0x0777, QFileDevice::Permissions(0x0600));

        const LoadedPicture again = readWith(broken, QSize(100, 100));
        QCOMPARE(m_loader.reads.load(), noted ? 1 : 2);
        QCOMPARE(again.error, first.error);
        if (!noted)
            return;

        // Replaced by a real picture, with the same time: the note is not its.
        const QDateTime time = QFileInfo(broken).lastModified();
        QVERIFY(testpictures::write(broken, Qt::red) && testpictures::setModified(broken, time));
        QVERIFY(readWith(broken, QSize(100, 100)).ok());
    }

    // A thumbnail the file carries is cheaper than a PNG, and the cache's own files get none.
    void whatIsNotStored()
    {
        const QString carried = m_pictures->filePath("camera.jpg");
        QVERIFY(testpictures::write(carried, Qt::red));
        m_loader.embedded = true;
        QVERIFY(readWith(carried, QSize(100, 100)).ok());
        m_loader.embedded = false;

        const QString inside = m_shared->root() + "/normal/x.jpg";
        QVERIFY(QDir().mkpath(m_shared->root() + "/normal"));
        QVERIFY(testpictures::write(inside, Qt::red));
        QVERIFY(readWith(inside, QSize(100, 100)).ok());
        QCOMPARE(QDir(m_shared->root() + "/normal").entryList(QDir::Files), QStringList("x.jpg"));
    }

private:
    // What one run of the program reads, through a cache of its own.
    LoadedPicture readWith(const QString &path, QSize size)
    {
        PictureCache cache(m_loader, size);
        cache.useShared(m_shared);
        return cache.thumbnail(path);
    }

    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<QTemporaryDir> m_pictures;
    Loader m_loader;
    std::shared_ptr<SharedThumbnails> m_shared;
    std::optional<faults::Watchdog> m_watchdog;
};

QTEST_MAIN(TestSharedThumbnails)
#include "tst_sharedthumbnails.moc"
