#include "core/pictures/picturefile.h"
#include "core/pictures/pictureloader.h"
#include "support/testpictures.h"

#include <QBuffer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QThreadPool>
#include <QtConcurrent>

#include <QTest>
#include <climits>
#include <functional>

#include <fcntl.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <sys/stat.h>
#include <unistd.h>

// Reading pictures for the grid and the preview: icons, very large and hostile files.
class TestPictureLoader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void absurdSizeIsRefusedBeforeDecoding();
    void pictureBeyondQtsAllocationLimit();
    void specialFilesAreNotWaitedFor_data();
    void specialFilesAreNotWaitedFor();
    void workIsBounded_data();
    void workIsBounded();
    void noScanPastTheLimitIsRead();
    void wholeDecodesShareOneMemoryBudget();
    void workerPastALimitIsEnded_data();
    void workerPastALimitIsEnded();
};

namespace
{
// Bytes this process has read from files and pipes so far; -1 where the system does not say.
qint64 bytesReadSoFar()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : io.readAll().split('\n')) {
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    }
    return -1;
}

// A load on a thread of its own, so that a load that waits for ever fails the test instead of
// hanging it: after the deadline, release() is called (which can open a FIFO's other end).
LoadedPicture loadWithin(const QString &path, QSize size, const std::function<void()> &release)
{
    constexpr int deadlineMs = 20000;
    LoadedPicture picture;
    QThread *thread = QThread::create([&] { picture = QtPictureLoader().load(path, size); });
    thread->start();
    const bool finished = thread->wait(deadlineMs);
    // It may wait again (a second open of the same FIFO): released as long as it waits.
    constexpr int releaseEveryMs = 100;
    while (!thread->wait(finished ? ULONG_MAX : releaseEveryMs))
        release();
    delete thread;
    if (!finished)
        picture = { {}, QStringLiteral("still waiting after %1 ms").arg(deadlineMs) };
    return picture;
}
} // namespace

// The limit is a number of pixels; 200-megapixel cameras must still pass.
void TestPictureLoader::absurdSizeIsRefusedBeforeDecoding()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("claims.jpg");
    for (const QSize size :
        { QSize(16330, 12250), QSize(15811, 15811), QSize(15812, 15812), QSize(49157, 27397) }) {
        const bool refused = qint64(size.width()) * size.height() > maxPicturePixels;
        QCOMPARE(refused, size.height() >= 15812);
        QVERIFY(testpictures::writeBytes(path, testpictures::jpegClaiming(size)));
        const LoadedPicture picture = QtPictureLoader().load(path, QSize(100, 100));
        QCOMPARE(picture.error.contains(QStringLiteral("too large")), refused);
        QVERIFY(!refused || !picture.ok());
    }
}

void TestPictureLoader::pictureBeyondQtsAllocationLimit()
{
    // 40 megapixels: more than Qt's default 128 MB allocation limit when decoded whole.
    QTemporaryDir dir;
    const QString path = dir.filePath("big.jpg");
    {
        QImage big(8000, 5000, QImage::Format_RGB32);
        big.fill(QColor(30, 140, 200));
        QVERIFY(big.save(path, "JPG", 60));
    }
    const LoadedPicture picture = QtPictureLoader().load(path, QSize(100, 100));
    QVERIFY2(picture.ok(), qPrintable(picture.error));
    QVERIFY(testpictures::near(testpictures::centre(picture.image), QColor(30, 140, 200)));
}

void TestPictureLoader::specialFilesAreNotWaitedFor_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("writer");
    QTest::newRow("link to a FIFO") << "fifo" << false;
    QTest::newRow("FIFO fed by another process") << "fifo" << true;
    QTest::newRow("link to the terminal") << "/dev/tty" << false;
    QTest::newRow("link to standard input") << "/proc/self/fd/0" << false;
    QTest::newRow("link to /dev/zero") << "/dev/zero" << false;
}

void TestPictureLoader::specialFilesAreNotWaitedFor()
{
    QFETCH(QString, target);
    QFETCH(bool, writer);
    QTemporaryDir dir;
    const QString fifo = dir.filePath("fifo");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString link = dir.filePath("a.jpg");
    QVERIFY(QFile::link(target == "fifo" ? fifo : target, link));
    // The writer feeds a real picture, slowly, and ends: a second open would find nobody.
    const QString picture = dir.filePath("picture.jpg");
    QVERIFY(testpictures::write(picture, Qt::blue));
    QProcess feeder;
    if (writer) {
        feeder.start(
            "sh", { "-c", QStringLiteral("exec >'%1'; sleep 0.2; cat '%2'").arg(fifo, picture) });
        QVERIFY(feeder.waitForStarted());
    }
    const LoadedPicture loaded = loadWithin(link, QSize(100, 100), [&fifo] {
        const int end = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
        if (end >= 0)
            ::close(end);
    });
    feeder.kill();
    feeder.waitForFinished();
    QVERIFY(!loaded.ok());
    // Where this process has no terminal, opening one fails before its kind is looked at.
    QFile terminal("/dev/tty");
    const QString reason = target == "/dev/tty" && !terminal.open(QIODevice::ReadOnly)
        ? terminal.errorString()
        : "This is not a picture file but a device, a pipe or the like.";
    QCOMPARE(loaded.error, reason);
}

void TestPictureLoader::workIsBounded_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("sparseSize");
    QTest::addColumn<QString>("refused");
    constexpr qint64 twoGigabytes = 2LL * 1024 * 1024 * 1024;
    // A header, then a hole of gigabytes, where the decoder looks for the end of the picture.
    QTest::newRow("sparse after the scan header")
        << testpictures::jpegHeaderOnly() << twoGigabytes << "far more data";
    QTest::newRow("sparse before the frame header")
        << testpictures::jpegHeaderOnly().left(2) << twoGigabytes << "header is not near the start";
    QTest::newRow("600 empty scans")
        << testpictures::scanBomb(QSize(1000, 1000), 600) << 0LL << "more than 500 scans";
    QTest::newRow("400 empty scans") << testpictures::scanBomb(QSize(1000, 1000), 400) << 0LL << "";
    // Past the few megabytes a header may take, a picture is still read whole.
    QByteArray bitmap;
    QBuffer buffer(&bitmap);
    buffer.open(QIODevice::WriteOnly);
    testpictures::filled(QSize(1300, 1300), Qt::blue).save(&buffer, "BMP");
    QTest::newRow("a 5 MB bitmap") << bitmap << 0LL << "";
    // Qt's PNG reader keeps every text inflated, twice, before a size can be checked; and it
    // inflates whatever data follows the picture's last row.
    constexpr qint64 megabytes = 1024 * 1024;
    QTest::newRow("PNG: compressed texts of 4 MB")
        << testpictures::pngWithText(4, 4 * megabytes) << 0LL << "far more text";
    QTest::newRow("PNG: 300 texts") << testpictures::pngWithText(300, 8) << 0LL << "far more text";
    QTest::newRow("PNG: a few texts")
        << testpictures::pngWithText(3, 100 * 1024, Qt::blue) << 0LL << "";
    QTest::newRow("PNG: data past the end of the picture")
        << testpictures::pngWithLongData(QSize(100, 100), megabytes) << 0LL << "far more data";
    // The directory says 256 x 256; what counts is what each image holds.
    const QByteArray huge = testpictures::monoPng(QSize(5600, 5600), Qt::red);
    const QByteArray small = testpictures::monoPng(QSize(32, 32), Qt::blue);
    // An icon shows its largest image, whatever its directory says of the sizes.
    QTest::newRow("icon: the largest image")
        << testpictures::iconOf({ testpictures::monoPng(QSize(16, 16), Qt::red),
               testpictures::monoPng(QSize(48, 48), Qt::blue),
               testpictures::monoPng(QSize(32, 32), Qt::green) })
        << 0LL << "";
    QTest::newRow("icon: huge images and a real one")
        << testpictures::iconOf({ huge, huge, small, huge }) << 0LL << "";
    QTest::newRow("icon: an image of texts and a real one")
        << testpictures::iconOf({ testpictures::pngWithText(8, 4 * megabytes), small }) << 0LL
        << "";
    QTest::newRow("icon: huge images only")
        << testpictures::iconOf({ huge, huge }) << 0LL << "5600 x 5600";
}

void TestPictureLoader::workIsBounded()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, sparseSize);
    QFETCH(QString, refused);
    QTemporaryDir dir;
    const bool icon = QByteArray(QTest::currentDataTag()).startsWith("icon");
    const QString path = dir.filePath(icon ? "c.ico" : "c.jpg");
    QVERIFY(testpictures::writeBytes(path, bytes));
    if (sparseSize > 0)
        QVERIFY(QFile::resize(path, sparseSize));
    const qint64 before = bytesReadSoFar();
    const LoadedPicture picture = QtPictureLoader().load(path, QSize(100, 100));
    if (before >= 0) {
        constexpr qint64 fewMegabytes = 64LL * 1024 * 1024;
        QVERIFY2(bytesReadSoFar() - before < fewMegabytes,
            qPrintable(QString::number(bytesReadSoFar() - before)));
    }
    if (refused.isEmpty()) {
        QVERIFY2(picture.ok(), qPrintable(picture.error));
        if (icon) // the real image, not a huge one or a smaller one
            QVERIFY(testpictures::near(testpictures::centre(picture.image), Qt::blue));
    } else {
        QVERIFY(!picture.ok());
        QVERIFY2(picture.error.contains(refused), qPrintable(picture.error));
    }
}

// The decoder gets the bytes up to the scan past the limit, not the rest of the read that
// found it: each empty scan it gets costs it a pass over the whole picture.
void TestPictureLoader::noScanPastTheLimitIsRead()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("c.jpg");
    QVERIFY(testpictures::writeBytes(path, testpictures::scanBomb(QSize(1000, 1000), 600)));
    PictureFile file(path);
    QVERIFY(file.openPicture());
    file.setScanLimit(500);
    const QByteArray read = file.readAll();
    QVERIFY(file.scanLimitHit());
    QCOMPARE(read.count(QByteArray("\xFF\xDA", 2)), 500);
}

void TestPictureLoader::wholeDecodesShareOneMemoryBudget()
{
    // A PNG named .jpg is decoded whole: 5600 x 5600 is 120 MB, under the limit for one
    // picture, but not for one on each thread.
    QTemporaryDir dir;
    const QString path = dir.filePath("big.jpg");
    QVERIFY(testpictures::writeBytes(path, testpictures::monoPng(QSize(5600, 5600), Qt::red)));
    QThreadPool pool;
    pool.setMaxThreadCount(4);
    decodememory::resetPeak();
    const QList<LoadedPicture> pictures
        = QtConcurrent::blockingMapped<QList<LoadedPicture>>(&pool, QStringList(4, path),
            [](const QString &file) { return QtPictureLoader().load(file, QSize(100, 100)); });
    for (const LoadedPicture &picture : pictures)
        QVERIFY2(picture.ok(), qPrintable(picture.error));
    QVERIFY(decodememory::peakBytes() > 0);
    QVERIFY(decodememory::peakBytes() <= decodememory::budgetBytes);
#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
    // And a freed picture goes back to the system, even one smaller than a picture freed
    // before (which the allocator would otherwise keep in a heap once freed).
    (void)QImage(2000, 1000, QImage::Format_RGB32).bits();
    const size_t mapped = ::mallinfo2().hblkhd;
    const QImage preview(1000, 1000, QImage::Format_RGB32);
    QVERIFY(::mallinfo2().hblkhd >= mapped + size_t(preview.sizeInBytes()));
#endif
}

QTEST_GUILESS_MAIN(TestPictureLoader)
#include "tst_pictureloader.moc"

void TestPictureLoader::workerPastALimitIsEnded_data()
{
    // The worker is made to misbehave through a seam only it honours.
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("stall");
    QTest::addColumn<int>("wallMs");
    QTest::addColumn<QString>("reason");
    const QString camera = QStringLiteral(RAVELIN_TEST_DATA "/camera/");
    // A second: the next picture, decoded for real by a new worker, must come within it on a
    // busy machine too.
    QTest::newRow("RAW, never answers")
        << camera + "FujiFilm.raf" << QByteArray("sleep") << 1000 << "longer than 1 seconds";
    QTest::newRow("HEIC, spins") << camera + "IMG_2927.HEIC" << QByteArray("spin") << 20'000
                                 << "more than 1 seconds of processor time";
    QTest::newRow("TIFF, takes all memory")
        << "tiff" << QByteArray("allocate") << 20'000 << "more than 2048 MB of memory";
    QTest::newRow("WebP, never answers")
        << "webp" << QByteArray("sleep") << 1000 << "longer than 1 seconds";
    QTest::newRow("JPEG, read in process") << "jpg" << QByteArray("sleep") << 300 << "";
}

// A worker past its time, processor time or memory is ended and the picture has none, with
// the reason; the next picture gets a new worker. JPEG is decoded in the program itself.
void TestPictureLoader::workerPastALimitIsEnded()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, stall);
    QFETCH(int, wallMs);
    QFETCH(QString, reason);
#ifdef __SANITIZE_ADDRESS__
    if (stall == "allocate")
        QSKIP("The worker has no limit on addresses under AddressSanitizer");
#endif
    QTemporaryDir dir;
    if (!file.contains('/')) {
        const QString made = dir.filePath("made." + file);
        QImage picture(64, 48, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(made));
        file = made;
    }
    const QtPictureLoader loader(
        QtPictureLoader::Decoding::Apart, { wallMs, 1, 2048LL * 1024 * 1024 });
    qputenv("RAVELIN_DECODER_TEST", stall);
    const LoadedPicture stuck = loader.load(file, QSize(64, 64));
    qunsetenv("RAVELIN_DECODER_TEST");
    QCOMPARE(stuck.ok(), reason.isEmpty());
    QVERIFY2(stuck.error.contains(reason), qPrintable(stuck.error));
    const LoadedPicture next = loader.load(file, QSize(64, 64));
    QVERIFY2(next.ok(), qPrintable(next.error));
}
