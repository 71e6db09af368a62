#include "core/pictures/picturecache.h"
#include "core/pictures/takentime.h"
#include "core/state/gridcells.h"
#include "support/testpictures.h"

#include <QDateTime>
#include <QThread>
#include <QtTest>

#include <numeric>

namespace
{

constexpr int pictureCount = 23;

// A folder as cameras and people fill it: pictures with and without an embedded thumbnail,
// some turned, a few other formats and one file that is no picture. Returns the paths.
QStringList fillFolder(const QString &folder)
{
    QStringList paths;
    for (int i = 0; i < pictureCount; ++i) {
        const QColor colour = QColor::fromHsv(i * 360 / pictureCount, 200, 220);
        paths.append(QDir(folder).filePath(QStringLiteral("IMG_%1.%2")
                                               .arg(i, 4, 10, QLatin1Char('0'))
                                               .arg(i % 7 == 3 ? "bmp" : "jpg")));
        const QString &path = paths.last();
        bool ok = true;
        if (i % 7 == 3)
            ok = testpictures::write(path, colour);
        else if (i % 7 == 5)
            ok = testpictures::writeBytes(path, QByteArray(500, '\x42'));
        else
            ok = testpictures::writeBytes(path,
                testpictures::jpegWithExif(testpictures::filled(QSize(400, 300), colour),
                    i % 3 == 0 ? 6 : 1,
                    i % 2 == 0
                        ? testpictures::jpegBytes(testpictures::filled(QSize(160, 120), colour))
                        : QByteArray()));
        if (!ok)
            return {};
    }
    return paths;
}

} // namespace

// The thumbnail cache decodes on several threads but hands results over as one thread would.
class TestPictureCache : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parallelAndSerialBuildsAgree()
    {
        const QTemporaryDir dir;
        const QStringList paths = fillFolder(dir.path());
        const QtPictureLoader loader;
        std::vector<QImage> built[2];
        for (const int threads : { 1, 4 }) {
            PictureCache cache(loader, QSize(100, 100));
            cache.setThreadCount(threads);
            // Progress is told for each picture, in order, on the calling thread.
            std::vector<int> reported;
            bool elsewhere = false;
            const auto progress = [&](int done, int total) {
                reported.push_back(done);
                elsewhere |= QThread::currentThread() != thread() || total != pictureCount;
            };
            for (const LoadedPicture &picture : cache.thumbnails(paths, progress))
                built[threads / 4].push_back(picture.image);
            std::vector<int> everyOne(pictureCount);
            std::iota(everyOne.begin(), everyOne.end(), 1);
            QCOMPARE(reported, everyOne);
            QVERIFY(!elsewhere);
        }
        QCOMPARE(built[0].size(), size_t(pictureCount));
        QVERIFY(built[0] == built[1]);
        QCOMPARE(std::count(built[0].begin(), built[0].end(), QImage()), 3);
    }

    // A rebuild reads again exactly the pictures that changed, whichever of size and time
    // the change left as it was, and never drops the folder on screen to stay in budget;
    // asked to keep the pictures' proportions, it reads them all again in their own shape.
    void rebuildReadsOnlyWhatChanged_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("nothing") << QString();
        // An edit in place that keeps the size.
        QTest::newRow("same size, newer time") << QStringLiteral("newer");
        // Written back with its old time, as tools that keep the time do.
        QTest::newRow("larger, old time kept") << QStringLiteral("larger");
        QTest::newRow("proportions kept") << QStringLiteral("proportions");
    }

    void rebuildReadsOnlyWhatChanged()
    {
        QFETCH(QString, change);
        const QTemporaryDir dir;
        const QDateTime taken(QDate(2020, 5, 6), QTime(7, 8, 9), Qt::UTC);
        QStringList paths;
        for (const QColor colour : { Qt::red, Qt::green, Qt::blue }) {
            paths.append(dir.filePath(QStringLiteral("%1.bmp").arg(paths.size())));
            QVERIFY(testpictures::write(paths.last(), colour));
        }
        QVERIFY(testpictures::setModified(paths.first(), taken));
        CountingLoader loader;
        PictureCache cache(loader, QSize(100, 100));
        cache.setThreadCount(1);
        cache.setBudget(1);
        (void)cache.thumbnails(paths);
        QCOMPARE(loader.reads(), 3);
        loader.reset();

        const bool proportions = change == "proportions";
        cache.setKeepProportions(proportions);
        if (!change.isEmpty() && !proportions) {
            const QSize size = change == "larger" ? QSize(80, 60) : QSize(64, 48);
            QVERIFY(testpictures::write(paths.first(), Qt::yellow, size));
            QVERIFY(testpictures::setModified(
                paths.first(), change == "larger" ? taken : taken.addSecs(60)));
        }
        const std::vector<LoadedPicture> again = cache.thumbnails(paths);
        QCOMPARE(loader.paths(),
            proportions            ? paths
                : change.isEmpty() ? QStringList()
                                   : QStringList(paths.first()));
        QVERIFY(testpictures::near(testpictures::centre(again.front().image),
            change.isEmpty() || proportions ? QColor(Qt::red) : QColor(Qt::yellow)));
        QCOMPARE(again.front().image.size(), proportions ? QSize(64, 48) : QSize(100, 100));
    }

    void gridFollowsTheTimeTaken_data()
    {
        QTest::addColumn<bool>("byTaken");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("off: name order")
            << false
            << QStringList { "A_0001.jpg", "A_0002.jpg", "B_0001.jpg", "B_0002.jpg", "B_0003.jpg",
                   "broken.jpg", "no date.jpg", "zeros.jpg" };
        // B_0002 and A_0002 were taken in the same second; the file that is no picture and
        // those without a date follow by their modification times.
        QTest::newRow("on: the time taken")
            << true
            << QStringList { "B_0001.jpg", "A_0001.jpg", "B_0002.jpg", "A_0002.jpg", "B_0003.jpg",
                   "zeros.jpg", "broken.jpg", "no date.jpg" };
    }

    // Pictures of two cameras taken by turns, on real files: once read, the grid follows the
    // time each was taken, for no read more than its thumbnails.
    void gridFollowsTheTimeTaken()
    {
        QFETCH(bool, byTaken);
        QFETCH(QStringList, shown);
        const QTemporaryDir dir;
        const QImage picture = testpictures::filled(QSize(64, 48), Qt::blue);
        const struct {
            const char *name;
            QByteArray taken;
            QByteArray subSeconds;
        } files[] = { { "A_0001.jpg", "2023:07:08 09:10:11", {} },
            { "A_0002.jpg", "2023:07:08 09:10:13", "75" },
            { "B_0001.jpg", "2023:07:08 09:09:59", {} },
            { "B_0002.jpg", "2023:07:08 09:10:13", "5" },
            { "B_0003.jpg", "2023:07:08 09:10:14", {} }, { "no date.jpg", {}, {} },
            { "zeros.jpg", "0000:00:00 00:00:00", {} } };
        for (const auto &file : files)
            QVERIFY(testpictures::writeBytes(dir.filePath(file.name),
                testpictures::jpegWithExif(picture, 1, {}, file.taken, file.subSeconds)));
        QVERIFY(testpictures::writeBytes(dir.filePath("broken.jpg"), QByteArray(300, 'x')));
        const QDateTime modified(QDate(2023, 7, 9), QTime(12, 0), QTimeZone::utc());
        QVERIFY(testpictures::setModified(dir.filePath("zeros.jpg"), modified));
        QVERIFY(testpictures::setModified(dir.filePath("broken.jpg"), modified.addSecs(60)));
        QVERIFY(testpictures::setModified(dir.filePath("no date.jpg"), modified.addSecs(120)));

        CountingLoader loader;
        PictureCache cache(loader, QSize(100, 100));
        GridCells cells(cache);
        cells.setOrderByTaken(byTaken);
        QSignalSpy reordered(&cells, &GridCells::reordered);
        const QStringList names = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
        cells.build(dir.path(), names);
        QVERIFY(cells.waitUntilBuilt());
        QCOMPARE(cells.names(), shown);
        QCOMPARE(cells.listedNames(), names);
        QCOMPARE(reordered.size(), byTaken ? 1 : 0);
        QCOMPARE(loader.reads(), names.size());
        // Each cell is its own file's.
        QCOMPARE(cells.cell(1).taken, takenTime(cells.path(1)));
        QCOMPARE(cells.path(1), dir.filePath(shown[1]));
        QCOMPARE(cells.cell(shown.indexOf("broken.jpg")).shown, GridCells::Shown::Broken);
    }
};

QTEST_MAIN(TestPictureCache)
#include "tst_picturecache.moc"
