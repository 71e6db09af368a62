#include "core/flows/deleteflow.h"
#include "core/flows/jobs.h"
#include "core/flows/moveflow.h"
#include "core/flows/renameflow.h"
#include "core/pictures/takentime.h"
#include "core/state/browserstate.h"
#include "support/fakefilesystem.h"
#include "support/testpictures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// RAW and JPEG pairs kept together: one cell for the pair, and every job on it moves, renames
// or deletes the pair and its sidecar whole, or none of it.
namespace
{
using Op = FakeFileSystem::Op;

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
}

const QStringList shoot { "IMG_0001.JPG", "IMG_0001.CR2", "IMG_0001.xmp", "img_0002.jpg",
    "IMG_0002.nef", "IMG_0003.CR2", "IMG_0003.XMP", "IMG_0004.png", "IMG_0004.dng" };
const QString everyFormat = QStringLiteral("*.jpg;*.png;*.cr2;*.nef;*.dng");
} // namespace

class TestPairs : public QObject
{
    Q_OBJECT

private slots:
    void listingShowsOneCellForAPair_data()
    {
        QTest::addColumn<bool>("keep");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("apart") << false
                               << QStringList { "IMG_0001.CR2", "IMG_0001.JPG", "img_0002.jpg",
                                      "IMG_0002.nef", "IMG_0003.CR2", "IMG_0004.dng",
                                      "IMG_0004.png" };
        // A RAW file without a JPEG, or beside a PNG, keeps its own cell.
        QTest::newRow("together") << true
                                  << QStringList { "IMG_0001.JPG", "img_0002.jpg", "IMG_0003.CR2",
                                         "IMG_0004.dng", "IMG_0004.png" };
    }
    void listingShowsOneCellForAPair()
    {
        QFETCH(bool, keep);
        QFETCH(QStringList, listed);
        QTemporaryDir dir;
        QVERIFY(testpictures::writeOwnPaths(dir.path(), shoot));
        BrowserState state;
        state.setSettings({ .imageFormat = everyFormat, .keepPairs = keep });
        state.showFolder(dir.path());
        QCOMPARE(state.fileNames(), listed);

        // A job on the selection takes each picture's RAW file and sidecar after it.
        state.select({ dir.filePath("img_0002.jpg"), dir.filePath("IMG_0003.CR2") });
        const QStringList expected = keep
            ? QStringList { "img_0002.jpg", "IMG_0002.nef", "IMG_0003.CR2", "IMG_0003.XMP" }
            : QStringList { "img_0002.jpg", "IMG_0003.CR2" };
        QStringList names;
        for (const QString &path : state.jobFiles())
            names.append(QFileInfo(path).fileName());
        QCOMPARE(names, expected);
    }

    void plans_data()
    {
        QTest::addColumn<bool>("keep");
        QTest::addColumn<QStringList>("pictures");
        QTest::addColumn<QString>("destination"); // "" none, "." the pictures' own folder
        QTest::addColumn<int>("problem");
        QTest::addColumn<QStringList>("moved");
        using Problem = flows::MovePlan::Problem;
        const QStringList two { "img_0002.jpg", "IMG_0003.CR2" };
        QTest::newRow("apart") << false << two << "to" << int(Problem::None) << two;
        QTest::newRow("together") << true << two << "to" << int(Problem::None)
                                  << QStringList { "img_0002.jpg", "IMG_0002.nef", "IMG_0003.CR2",
                                         "IMG_0003.XMP" };
        QTest::newRow("no destination")
            << true << two << "" << int(Problem::NoDestination) << QStringList {};
        QTest::newRow("already there")
            << true << two << "." << int(Problem::NothingToMove) << QStringList {};
        QTest::newRow("nothing chosen")
            << true << QStringList {} << "to" << int(Problem::NothingToMove) << QStringList {};
        // Without a destination: deleted for good.
        QTest::newRow("delete apart") << false << two << "" << -1 << two;
        QTest::newRow("delete together")
            << true << two << "" << -1
            << QStringList { "img_0002.jpg", "IMG_0002.nef", "IMG_0003.CR2", "IMG_0003.XMP" };
    }
    void plans()
    {
        // The one move both the move window and a drop run, and the one delete, on the shoot.
        QFETCH(bool, keep);
        QFETCH(QStringList, pictures);
        QFETCH(QString, destination);
        QFETCH(int, problem);
        QFETCH(QStringList, moved);
        QTemporaryDir dir;
        QVERIFY(testpictures::writeOwnPaths(dir.path(), shoot));
        QVERIFY(QDir(dir.path()).mkdir("to"));
        QStringList paths;
        for (const QString &name : pictures)
            paths.append(dir.filePath(name));
        const jobs::Pairs pairs = keep ? jobs::Pairs::Together : jobs::Pairs::Apart;
        FakeFileSystem fs;
        if (problem < 0) {
            const jobs::JobReport report
                = flows::deletePictures(flows::deletePlan(paths, pairs, false), fs);
            QVERIFY(report.failed.isEmpty());
            QStringList deleted;
            for (const QString &path : report.done)
                deleted.append(QFileInfo(path).fileName());
            QCOMPARE(deleted, moved);
            QCOMPARE(filesIn(dir.path()).size() + moved.size(), shoot.size());
            return;
        }
        const QString folder = destination.isEmpty() ? QString() : dir.filePath(destination);
        const flows::MovePlan plan = flows::movePlan(paths, QDir::cleanPath(folder), pairs);
        QCOMPARE(int(plan.problem), problem);
        const jobs::JobReport report = flows::move(plan, fs);
        QVERIFY(report.failed.isEmpty());
        QCOMPARE(filesIn(dir.filePath("to")), moved);
        QCOMPARE(filesIn(dir.path()).size() + moved.size(), shoot.size());
    }

    // New names by the date taken, and numbers in the order taken, on pictures whose EXIF the
    // test writes: a pair takes its picture's date and place, a picture without a date its
    // file's (ties by name), and a file kept apart its own.
    void datesTaken_data()
    {
        QTest::addColumn<bool>("keep");
        QTest::addColumn<bool>("ordered");
        QTest::addColumn<bool>("dated");
        QTest::addColumn<QStringList>("renamed"); // "old>new", in the plan's order
        QTest::newRow("in order taken, dated")
            << true << true << true
            << QStringList { "img_0002.jpg>2024-06-01 Trip 001.jpg",
                   "IMG_0002.nef>2024-06-01 Trip 001.nef", "IMG_0001.JPG>2024-06-01 Trip 002.JPG",
                   "IMG_0001.CR2>2024-06-01 Trip 002.CR2", "IMG_0001.xmp>2024-06-01 Trip 002.xmp",
                   "IMG_0004.dng>2023-05-03 Trip 003.dng", "IMG_0004.png>2023-05-03 Trip 004.png",
                   "IMG_0003.CR2>2023-05-04 Trip 005.CR2", "IMG_0003.XMP>2023-05-04 Trip 005.XMP" };
        QTest::newRow("in order taken")
            << true << true << false
            << QStringList { "img_0002.jpg>Trip 001.jpg", "IMG_0002.nef>Trip 001.nef",
                   "IMG_0001.JPG>Trip 002.JPG", "IMG_0001.CR2>Trip 002.CR2",
                   "IMG_0001.xmp>Trip 002.xmp", "IMG_0004.dng>Trip 003.dng",
                   "IMG_0004.png>Trip 004.png", "IMG_0003.CR2>Trip 005.CR2",
                   "IMG_0003.XMP>Trip 005.XMP" };
        QTest::newRow("dated apart")
            << false << false << true
            << QStringList { "IMG_0001.JPG>2024-06-01 Trip 001.JPG",
                   "IMG_0001.CR2>2023-05-01 Trip 002.CR2", "IMG_0001.xmp>2023-05-01 Trip 003.xmp",
                   "img_0002.jpg>2024-06-01 Trip 004.jpg", "IMG_0002.nef>2023-05-02 Trip 005.nef",
                   "IMG_0003.CR2>2023-05-04 Trip 006.CR2", "IMG_0003.XMP>2023-05-04 Trip 007.XMP",
                   "IMG_0004.png>2023-05-03 Trip 008.png", "IMG_0004.dng>2023-05-03 Trip 009.dng" };
    }
    void datesTaken()
    {
        QFETCH(bool, keep);
        QFETCH(bool, ordered);
        QFETCH(bool, dated);
        QFETCH(QStringList, renamed);
        QTemporaryDir dir;
        QVERIFY(testpictures::writeOwnPaths(dir.path(), shoot));
        // Two taken in one second, the later name first; the others say nothing.
        const QImage picture = testpictures::filled(QSize(8, 8), Qt::red);
        QVERIFY(testpictures::writeBytes(dir.filePath("IMG_0001.JPG"),
            testpictures::jpegWithExif(picture, 1, {}, "2024:06:01 12:00:00", "5")));
        QVERIFY(testpictures::writeBytes(dir.filePath("img_0002.jpg"),
            testpictures::jpegWithExif(picture, 1, {}, "2024:06:01 12:00:00", "25")));
        const QStringList days { "2023-05-01", "2023-05-02", "2023-05-04", "2023-05-03" };
        QStringList paths;
        for (const QString &name : shoot) {
            paths.append(dir.filePath(name));
            const QString day = days[name.mid(7, 1).toInt() - 1];
            QVERIFY(testpictures::setModified(
                paths.last(), QDateTime::fromString(day + "T10:00:00", Qt::ISODate)));
        }
        const jobs::Pairs pairs = keep ? jobs::Pairs::Together : jobs::Pairs::Apart;
        if (ordered)
            paths = flows::inTakenOrder(paths, pairs, takenTime);
        FakeFileSystem fs;
        const flows::RenamePlan plan
            = flows::renamePlan(paths, "Trip", "1", pairs, fs, dated ? takenTime : nullptr);
        QStringList names;
        for (const jobs::Target &file : plan.files)
            names.append(QFileInfo(file.from).fileName() + '>' + QFileInfo(file.to).fileName());
        QCOMPARE(names, renamed);
    }

    void aPairIsNeverSplit_data()
    {
        QTest::addColumn<bool>("move");
        QTest::addColumn<QString>("failing"); // the file whose step fails
        QTest::addColumn<QStringList>("changed"); // the files that end renamed or moved
        const QStringList first { "IMG_0001.JPG", "IMG_0001.CR2", "IMG_0001.xmp" };
        // A rename stops at the failing pair; a move goes on with the others.
        QTest::newRow("rename: RAW of the first pair") << false << "IMG_0001.CR2" << QStringList {};
        QTest::newRow("rename: sidecar of the first pair")
            << false << "IMG_0001.xmp" << QStringList {};
        QTest::newRow("rename: JPEG of the second pair") << false << "img_0002.jpg" << first;
        QTest::newRow("move: RAW of the first pair")
            << true << "IMG_0001.CR2" << QStringList { "img_0002.jpg", "IMG_0002.nef" };
        QTest::newRow("move: RAW of the second pair") << true << "IMG_0002.nef" << first;
        // Its name is taken at the destination: the pair is checked whole before any of it
        // moves.
        QTest::newRow("move: RAW of the first pair taken")
            << true << "taken IMG_0001.CR2" << QStringList { "img_0002.jpg", "IMG_0002.nef" };
    }
    void aPairIsNeverSplit()
    {
        QFETCH(bool, move);
        QFETCH(QString, failing);
        QFETCH(QStringList, changed);
        QTemporaryDir dir;
        QVERIFY(testpictures::writeOwnPaths(dir.path(), shoot));
        const QString to = dir.filePath("to");
        QVERIFY(QDir().mkpath(to));
        const bool taken = failing.startsWith("taken ");
        failing.remove("taken ");
        if (taken)
            QVERIFY(testpictures::writeBytes(QDir(to).filePath(failing), "kept"));
        FakeFileSystem fs;
        fs.fault
            = [&](Op, const QString &from, const QString &) -> std::optional<platform::FsResult> {
            if (!taken && QFileInfo(from).fileName() == failing)
                return platform::FsResult::failure(QStringLiteral("injected"));
            return std::nullopt;
        };
        QList<jobs::Target> files;
        const QStringList names { "IMG_0001.JPG", "IMG_0001.CR2", "IMG_0001.xmp", "img_0002.jpg",
            "IMG_0002.nef" };
        const auto target = [&](const QString &name) {
            return move ? QDir(to).filePath(name) : dir.filePath("new " + name);
        };
        for (const QString &name : names)
            files.append({ dir.filePath(name), target(name) });
        const jobs::JobReport report = move ? jobs::moveFiles(files, fs, jobs::Pairs::Together)
                                            : jobs::renameFiles(files, fs, jobs::Pairs::Together);
        QVERIFY(!report.failed.isEmpty());
        QCOMPARE(report.failed.first().path, dir.filePath(taken ? "IMG_0001.JPG" : failing));
        for (const QString &name : names) {
            const bool wasChanged = changed.contains(name);
            QVERIFY2(QFile::exists(dir.filePath(name)) != wasChanged, qPrintable(name));
            if (!taken || name != failing)
                QCOMPARE(QFile::exists(target(name)), wasChanged);
        }
        QCOMPARE(report.done.size(), changed.size());
        QVERIFY(!taken || testpictures::bytes(target(failing)) == "kept");
    }
};

QTEST_MAIN(TestPairs)
#include "tst_pairs.moc"
