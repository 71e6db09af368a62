#include "app/folderlistbox.h"
#include "browser/frmmain.h"
#include "browser/imagebox.h"
#include "browser/picturecache.h"
#include "support/fakeservices.h"
#include "support/testpictures.h"

#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <functional>
#include <memory>
#include <numeric>

namespace
{

constexpr QSize cell(100, 100);
constexpr int pictureCount = 23;

QColor colourOf(int index)
{
    return QColor::fromHsv(index * 360 / pictureCount, 200, 220);
}

QImage filled(QSize size, QColor color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

// A folder as cameras and people fill it: pictures with and without an embedded thumbnail,
// some turned, a few other formats and one file that is no picture.
bool fillFolder(const QString &folder)
{
    const QDir dir(folder);
    bool ok = true;
    for (int i = 0; i < pictureCount; ++i) {
        const QString name = QStringLiteral("IMG_%1").arg(i, 4, 10, QLatin1Char('0'));
        const QImage picture = filled(QSize(400, 300), colourOf(i));
        const int orientation = i % 3 == 0 ? 6 : 1;
        if (i % 7 == 3) {
            ok &= testpictures::write(dir.filePath(name + QStringLiteral(".bmp")), colourOf(i));
        } else if (i % 7 == 5) {
            ok &= testpictures::writeBytes(
                dir.filePath(name + QStringLiteral(".jpg")), QByteArray(500, '\x42'));
        } else {
            const QByteArray thumbnail = i % 2 == 0
                ? testpictures::jpegBytes(filled(QSize(160, 120), colourOf(i)))
                : QByteArray();
            ok &= testpictures::writeBytes(dir.filePath(name + QStringLiteral(".jpg")),
                testpictures::jpegWithExif(picture, orientation, thumbnail));
        }
    }
    return ok;
}

// A loader that does something while it runs, on whatever thread it runs on.
class HookedLoader : public PictureLoader
{
public:
    std::function<void(const QString &)> onLoad;
    LoadedPicture load(const QString &path, QSize size) const override
    {
        if (onLoad)
            onLoad(path);
        return m_real.load(path, size);
    }

private:
    QtPictureLoader m_real;
};

// What a user sees of one cell of the grid.
struct Cell {
    QString caption;
    bool broken = false;
    QImage image;
};

std::vector<Cell> gridOf(const QString &folder, int threads)
{
    FakeServices services;
    CountingLoader loader;
    frmMain w(services, loader);
    w.pictureCache().setThreadCount(threads);
    w.setThumbnailsManual(true);
    if (!w.Form_Load() || !w.Dir1->setPath(folder))
        return {};
    w.show();
    QTest::mouseClick(w.ButtonLoadThumbs, Qt::LeftButton);
    std::vector<Cell> cells;
    for (int i = 0; i < w.Image1.ubound(); ++i) {
        cells.push_back(
            { w.Label1(i)->caption(), w.Image1(i)->isBroken(), w.Image1(i)->picture().toImage() });
    }
    return cells;
}

} // namespace

// The thumbnail cache decodes on several threads but hands results over as one thread would.
class TestPictureCache : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parallelAndSerialBuildsGiveTheSameGrid()
    {
        const QTemporaryDir dir;
        QVERIFY(fillFolder(dir.path()));
        const std::vector<Cell> serial = gridOf(dir.path(), 1);
        const std::vector<Cell> parallel = gridOf(dir.path(), 4);
        QCOMPARE(serial.size(), size_t(pictureCount));
        QCOMPARE(parallel.size(), serial.size());
        int broken = 0;
        for (size_t i = 0; i < serial.size(); ++i) {
            QCOMPARE(parallel[i].caption, serial[i].caption);
            QCOMPARE(parallel[i].broken, serial[i].broken);
            QVERIFY2(parallel[i].image == serial[i].image, qPrintable(serial[i].caption));
            broken += serial[i].broken ? 1 : 0;
        }
        QCOMPARE(broken, 3);
    }

    void resultsKeepListOrderAndProgressCountsEachOnTheCallingThread()
    {
        const QTemporaryDir dir;
        QStringList paths;
        for (int i = 0; i < pictureCount; ++i) {
            paths.append(dir.filePath(QStringLiteral("%1.jpg").arg(i)));
            QVERIFY(testpictures::writeBytes(paths.last(),
                testpictures::jpegWithExif(filled(QSize(400, 300), colourOf(i)), 1,
                    i % 2 == 0 ? testpictures::jpegBytes(filled(QSize(160, 120), colourOf(i)))
                               : QByteArray())));
        }
        const QtPictureLoader loader;
        PictureCache cache(loader, cell);
        cache.setThreadCount(4);
        std::vector<int> reported;
        bool elsewhere = false;
        const auto progress = [&](int done, int total) {
            reported.push_back(done);
            elsewhere |= QThread::currentThread() != thread() || total != pictureCount;
        };

        const std::vector<LoadedPicture> pictures = cache.thumbnails(paths, progress);
        QCOMPARE(pictures.size(), size_t(pictureCount));
        for (int i = 0; i < pictureCount; ++i) {
            QVERIFY2(
                testpictures::near(testpictures::centre(pictures[size_t(i)].image), colourOf(i)),
                qPrintable(paths[i]));
        }
        std::vector<int> everyOne(pictureCount);
        std::iota(everyOne.begin(), everyOne.end(), 1);
        QCOMPARE(reported, everyOne);
        QVERIFY(!elsewhere);

        // Nothing to decode the second time: one report, all done.
        reported.clear();
        (void)cache.thumbnails(paths, progress);
        QCOMPARE(reported, std::vector<int> { pictureCount });
    }

    // A click made while the grid is being built acts once the whole grid is there.
    void clickDuringABuildActsOnTheWholeGrid()
    {
        const QTemporaryDir dir;
        QVERIFY(fillFolder(dir.path()));
        FakeServices services;
        HookedLoader loader;
        frmMain w(services, loader);
        w.setThumbnailsManual(true);
        QVERIFY(w.Form_Load());
        w.show();
        QVERIFY(w.Dir1->setPath(dir.path()));
        ImageBox *first = w.Image1(0);
        const QPoint middle(50, 50);
        // The user's click, made while the first picture is read.
        std::unique_ptr<QMouseEvent> press = std::make_unique<QMouseEvent>(QEvent::MouseButtonPress,
            middle, first->mapToGlobal(middle), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        std::unique_ptr<QMouseEvent> release
            = std::make_unique<QMouseEvent>(QEvent::MouseButtonRelease, middle,
                first->mapToGlobal(middle), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        std::atomic<bool> clicked { false };
        loader.onLoad = [&](const QString &) {
            if (clicked.exchange(true))
                return;
            QCoreApplication::postEvent(first, press.release());
            QCoreApplication::postEvent(first, release.release());
        };
        int cellsAtClick = -1;
        connect(first, &ImageBox::clicked, this, [&] { cellsAtClick = w.Image1.ubound(); });

        QTest::mouseClick(w.ButtonLoadThumbs, Qt::LeftButton);
        QVERIFY(clicked);
        QTRY_COMPARE(cellsAtClick, pictureCount);
        QCOMPARE(w.List1->count(), 1);
        QCOMPARE(w.List1->item(0)->text(), w.PathString(dir.path(), w.gridNames().constFirst()));
    }
};

QTEST_MAIN(TestPictureCache)
#include "tst_picturecache.moc"
