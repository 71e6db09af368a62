#include "core/pictures/picturecache.h"
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
};

QTEST_MAIN(TestPictureCache)
#include "tst_picturecache.moc"
