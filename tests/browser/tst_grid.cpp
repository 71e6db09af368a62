#include "app/drivelistbox.h"
#include "app/filelistbox.h"
#include "app/folderlistbox.h"
#include "browser/frmmain.h"
#include "browser/imagebox.h"
#include "support/fakeservices.h"
#include "support/picturefolders.h"
#include "support/testpictures.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

using testpictures::write;

// The main window's start, folder navigation and thumbnail grid, driven as a user would.
class TestGrid : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void startsWithSettingsAndNoGrid();
    void secondCopyIsRefused();
    void driveWithoutMediumKeepsFolder();
    void driveChangeOpensItsRoot();
    void automaticAndManualLoading();
    void gridGeometry_data();
    void gridGeometry();
    void rebuildReadsNoFile();
    void sameNamesInTwoFoldersShowTheirOwnPictures();
    void changedFileIsReadAgain();
    void brokenFilesGetCellsAndTheBuildGoesOn();
    void listIsCaseInsensitive();
    void scrollsTheCanvas();
    void moreThanAThousandPictures();
    void exitEndsTheProgram();

private:
    std::unique_ptr<PictureFolders> m_folders;
};

void TestGrid::init()
{
    m_folders = std::make_unique<PictureFolders>();
}

void TestGrid::cleanup()
{
    m_folders.reset();
}

namespace
{
QStringList captions(const frmMain &w)
{
    QStringList result;
    for (int i = 0; i < w.Image1.ubound(); ++i) {
        if (w.Label1(i) != nullptr && !w.Label1(i)->caption().isEmpty())
            result.append(w.Label1(i)->caption());
    }
    return result;
}
} // namespace

void TestGrid::startsWithSettingsAndNoGrid()
{
    const QString folder = m_folders->make(QStringLiteral("start"), { "a.jpg", "C.JPG", "d.gif" });
    write(QDir(folder).filePath(QStringLiteral("notes.png")), Qt::red);
    QVERIFY(testpictures::writeBytes(QDir(folder).filePath(QStringLiteral("b.txt")), "text"));
    QDir::setCurrent(folder);

    FakeServices services;
    CountingLoader loader;
    frmMain w(services, loader);
    QVERIFY(w.Form_Load());
    QCOMPARE(w.ImageFormat, QStringLiteral("*.jpg;*.jpeg;*.bmp;*.gif;*.ico"));
    QVERIFY(w.DeleteRecycle);
    QVERIFY(w.AutoThumbnails);
    QVERIFY(w.ButtonLoadThumbs->isHidden());
    QCOMPARE(w.windowTitle(), QStringLiteral("Ravelin"));
    QCOMPARE(w.centralWidget()->size(), QSize(771, 533));
    // The lists show the folder current at start, but no thumbnails are built yet.
    QCOMPARE(w.Dir1->path(), folder);
    QCOMPARE(w.File1->fileNames(), QStringList({ "a.jpg", "C.JPG", "d.gif" }));
    QVERIFY(w.Label1(0)->caption().isEmpty());
    QCOMPARE(w.Image1.ubound(), 1);
    QCOMPARE(loader.reads(), 0);
    QVERIFY(services.boxesFake.shown.empty());
    // An unload before any build removes nothing.
    w.UnloadThumbnails();
    QCOMPARE(w.Image1.ubound(), 1);
}

void TestGrid::secondCopyIsRefused()
{
    FakeServices services;
    services.instanceFake.anotherRunning = true;
    CountingLoader loader;
    frmMain w(services, loader);
    QVERIFY(!w.Form_Load());
    QCOMPARE(services.boxesFake.shown.size(), 1u);
    QCOMPARE(services.boxesFake.shown[0].text, QStringLiteral("Ravelin is already running!"));
    QCOMPARE(services.boxesFake.shown[0].code, 48);
    QCOMPARE(services.boxesFake.shown[0].title, QStringLiteral("Ravelin"));
    QCOMPARE(services.programFake.ended, 1);
}

void TestGrid::driveWithoutMediumKeepsFolder()
{
    const QString folder = m_folders->make(QStringLiteral("pics"), { "a.jpg", "b.jpg" });
    QDir::setCurrent(folder);
    FakeServices services;
    services.drivesFake.list = { { QStringLiteral("c: [disk]"), folder },
        { QStringLiteral("z: [no disc]"), m_folders->path("gone") } };
    CountingLoader loader;
    frmMain w(services, loader);
    QVERIFY(w.Form_Load());
    w.ButtonLoadThumbs_Click();
    QCOMPARE(captions(w), QStringList({ "a.jpg", "b.jpg" }));

    w.Drive1->setFocus();
    QTest::keyClick(w.Drive1, Qt::Key_Down);
    QCOMPARE(w.Drive1->currentIndex(), 1);
    QCOMPARE(services.boxesFake.shown.size(), 1u);
    QCOMPARE(services.boxesFake.shown[0].text, QStringLiteral("Drive Can not be found."));
    QCOMPARE(services.boxesFake.shown[0].code, 16);
    QCOMPARE(services.boxesFake.shown[0].title, QStringLiteral("Ravelin"));
    QCOMPARE(w.Dir1->path(), folder);
    QCOMPARE(w.File1->path(), folder);
    QCOMPARE(captions(w), QStringList({ "a.jpg", "b.jpg" }));
}

void TestGrid::driveChangeOpensItsRoot()
{
    const QString first = m_folders->make(QStringLiteral("first"), { "a.jpg" });
    const QString second = m_folders->make(QStringLiteral("second"), { "x.jpg", "y.bmp" });
    QDir::setCurrent(first);
    FakeServices services;
    services.drivesFake.list
        = { { QStringLiteral("first"), first }, { QStringLiteral("second"), second } };
    CountingLoader loader;
    frmMain w(services, loader);
    QVERIFY(w.Form_Load());
    QCOMPARE(w.Drive1->currentIndex(), 0);

    w.Drive1->setFocus();
    QTest::keyClick(w.Drive1, Qt::Key_Down);
    QVERIFY(services.boxesFake.shown.empty());
    QCOMPARE(w.Dir1->path(), second);
    QCOMPARE(QDir::toNativeSeparators(QDir::currentPath()), second);
    QCOMPARE(captions(w), QStringList({ "x.jpg", "y.bmp" }));
    QCOMPARE(w.ProgressBar1->value(), 100);
    // The hourglass was shown and the arrow is back.
    QVERIFY(services.mouseFake.hourglasses > 0);
    QCOMPARE(services.mouseFake.depth, 0);
}

void TestGrid::automaticAndManualLoading()
{
    const QString first = m_folders->make(QStringLiteral("first"), { "a.jpg", "b.jpg" });
    const QString second = m_folders->make(QStringLiteral("second"), { "c.jpg", "d.jpg", "e.jpg" });
    QDir::setCurrent(first);
    FakeServices services;
    CountingLoader loader;
    frmMain w(services, loader);
    QVERIFY(w.Form_Load());
    QVERIFY(w.Dir1->setPath(second));
    QCOMPARE(captions(w), QStringList({ "c.jpg", "d.jpg", "e.jpg" }));
    QCOMPARE(w.PreviousFileCount, 3);

    w.setThumbnailsManual(true);
    QVERIFY(w.ButtonLoadThumbs->isVisible() || !w.ButtonLoadThumbs->isHidden());
    loader.reset();
    // Opening the parent folder, then the first one, as the user does in the folder list.
    QVERIFY(w.Dir1->setPath(first));
    QCOMPARE(w.File1->fileNames(), QStringList({ "a.jpg", "b.jpg" }));
    QCOMPARE(QDir::toNativeSeparators(QDir::currentPath()), first);
    QCOMPARE(captions(w), QStringList({ "c.jpg", "d.jpg", "e.jpg" }));
    QCOMPARE(loader.reads(), 0);

    QTest::mouseClick(w.ButtonLoadThumbs, Qt::LeftButton);
    QCOMPARE(captions(w), QStringList({ "a.jpg", "b.jpg" }));
    QCOMPARE(w.PreviousFileCount, 2);
    QCOMPARE(w.Image1.ubound(), 2);

    w.setThumbnailsManual(false);
    QVERIFY(w.ButtonLoadThumbs->isHidden());
    QVERIFY(w.Dir1->setPath(second));
    QCOMPARE(captions(w), QStringList({ "c.jpg", "d.jpg", "e.jpg" }));
}

void TestGrid::gridGeometry_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("empty folder") << 0;
    QTest::newRow("one picture") << 1;
    QTest::newRow("six pictures") << 6;
}

void TestGrid::gridGeometry()
{
    QFETCH(int, count);
    QStringList files;
    for (int i = 0; i < count; ++i)
        files.append(QStringLiteral("p%1.jpg").arg(i));
    const QString folder = m_folders->make(QStringLiteral("grid"), files);
    QDir::setCurrent(m_folders->path());
    FakeServices services;
    CountingLoader loader;
    frmMain w(services, loader);
    QVERIFY(w.Form_Load());
    QVERIFY(w.Dir1->setPath(folder));

    QCOMPARE(w.VBar->maximum(), 30 * count);
    QCOMPARE(w.ProgressBar1->value(), 100);
    QCOMPARE(w.Image1.ubound(), qMax(1, count));
    QCOMPARE(captions(w), files);
    if (count == 0) {
        QVERIFY(w.Image1(0)->picture().isNull());
        QVERIFY(w.Label1(0)->caption().isEmpty());
        return;
    }
    for (int i = 0; i < count; ++i) {
        QCOMPARE(w.Image1(i)->geometry(), QRect(110 * (i % 5), 150 * (i / 5), 100, 100));
        QCOMPARE(w.Label1(i)->geometry(), QRect(110 * (i % 5), 150 * (i / 5) + 100, 101, 33));
        QVERIFY(!w.Image1(i)->picture().isNull());
        QVERIFY(w.Image1(i)->isVisibleTo(w.picInner));
    }
    QCOMPARE(w.picInner->geometry(), QRect(10, 10, 545, 30 * count + 110));
    QCOMPARE(w.picOuter->geometry(), QRect(192, 8, 561, 505));
    QCOMPARE(w.VBar->geometry(), QRect(752, 8, 17, 505));
}

void TestGrid::rebuildReadsNoFile()
{
    const QString folder = m_folders->make(QStringLiteral("pics"), { "a.jpg", "b.jpg", "c.jpg" });
    QDir::setCurrent(folder);
    FakeServices services;
    CountingLoader loader;
    frmMain w(services, loader);
    QVERIFY(w.Form_Load());
    w.setThumbnailsManual(true);
    QTest::mouseClick(w.ButtonLoadThumbs, Qt::LeftButton);
    QCOMPARE(loader.reads(), 3);
    QTest::mouseClick(w.ButtonLoadThumbs, Qt::LeftButton);
    QCOMPARE(loader.reads(), 3);
    QCOMPARE(captions(w), QStringList({ "a.jpg", "b.jpg", "c.jpg" }));
    QVERIFY(!w.Image1(0)->picture().isNull());
}

void TestGrid::sameNamesInTwoFoldersShowTheirOwnPictures()
{
    const QString first = QDir::toNativeSeparators(m_folders->path("first"));
    const QString second = QDir::toNativeSeparators(m_folders->path("second"));
    QDir().mkpath(first);
    QDir().mkpath(second);
    QVERIFY(write(QDir(first).filePath("IMG_0001.JPG"), Qt::red));
    QVERIFY(write(QDir(second).filePath("IMG_0001.JPG"), Qt::blue));
    QDir::setCurrent(first);
    FakeServices services;
    CountingLoader loader;
    frmMain w(services, loader);
    QVERIFY(w.Form_Load());
    QVERIFY(w.Dir1->setPath(second));
    QVERIFY(testpictures::near(testpictures::centre(w.Image1(0)->picture().toImage()), Qt::blue));
    QVERIFY(w.Dir1->setPath(first));
    QVERIFY(testpictures::near(testpictures::centre(w.Image1(0)->picture().toImage()), Qt::red));
}

void TestGrid::changedFileIsReadAgain()
{
    const QString folder = m_folders->make(QStringLiteral("pics"), { "a.jpg", "b.jpg" });
    QDir::setCurrent(folder);
    FakeServices services;
    CountingLoader loader;
    frmMain w(services, loader);
    QVERIFY(w.Form_Load());
    w.ButtonLoadThumbs_Click();
    loader.reset();
    // Replaced by a picture of another size: the cache must not show the old one.
    QVERIFY(write(QDir(folder).filePath("b.jpg"), Qt::green, QSize(80, 80)));
    QFile file(QDir(folder).filePath("b.jpg"));
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(
        QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    file.close();
    w.ButtonLoadThumbs_Click();
    QCOMPARE(loader.paths(), QStringList({ QDir(folder).filePath("b.jpg") }));
    QVERIFY(testpictures::near(testpictures::centre(w.Image1(1)->picture().toImage()), Qt::green));
}

void TestGrid::brokenFilesGetCellsAndTheBuildGoesOn()
{
    const QString folder = m_folders->make(QStringLiteral("mixed"), { "a.jpg", "z.jpg" });
    QVERIFY(QFile::copy(testpictures::data("bad/truncated_jpeg.jpg"), folder + "/b.jpg"));
    QVERIFY(QFile::copy(testpictures::data("bad/empty.jpg"), folder + "/c.jpg"));
    QVERIFY(QFile::copy(testpictures::data("bad/sof-30000x30000-baseline.jpg"), folder + "/d.jpg"));
    QVERIFY(QFile::copy(testpictures::data("bad/readme.bmp"), folder + "/e.bmp"));
    QDir::setCurrent(m_folders->path());
    FakeServices services;
    CountingLoader loader;
    frmMain w(services, loader);
    QVERIFY(w.Form_Load());
    QVERIFY(w.Dir1->setPath(folder));

    QCOMPARE(captions(w), QStringList({ "a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.bmp", "z.jpg" }));
    QVERIFY(services.boxesFake.shown.empty());
    QVERIFY(!w.Image1(0)->isBroken());
    QVERIFY(w.Image1(2)->isBroken());
    QVERIFY(w.Image1(3)->isBroken());
    QVERIFY(w.Image1(3)->toolTip().contains(QStringLiteral("too large")));
    QVERIFY(w.Image1(4)->isBroken());
    QVERIFY(!w.Image1(5)->isBroken());
    QVERIFY(!w.Image1(5)->picture().isNull());
    // A truncated JPEG decodes as far as it goes, or is marked: either way it has a cell.
    QVERIFY(w.Image1(1)->isBroken() || !w.Image1(1)->picture().isNull());
}

void TestGrid::listIsCaseInsensitive()
{
    const QString folder = m_folders->make(QStringLiteral("case"),
        { "b.jpg", "A.jpg", "c.JPG", "a10.jpg", "a2.Jpeg", "DSC00001.JPG", "x.ICO", "y.GIF",
            "z.BMP" });
    QDir::setCurrent(folder);
    FakeServices services;
    CountingLoader loader;
    frmMain w(services, loader);
    QVERIFY(w.Form_Load());
    QCOMPARE(w.File1->fileNames(),
        QStringList({ "A.jpg", "a10.jpg", "a2.Jpeg", "b.jpg", "c.JPG", "DSC00001.JPG", "x.ICO",
            "y.GIF", "z.BMP" }));
}

void TestGrid::scrollsTheCanvas()
{
    QStringList files;
    for (int i = 0; i < 40; ++i)
        files.append(QStringLiteral("p%1.gif").arg(i, 2, 10, QLatin1Char('0')));
    const QString folder = m_folders->make(QStringLiteral("many"), files);
    QDir::setCurrent(m_folders->path());
    FakeServices services;
    CountingLoader loader;
    frmMain w(services, loader);
    QVERIFY(w.Form_Load());
    QVERIFY(w.Dir1->setPath(folder));
    QCOMPARE(w.VBar->maximum(), 1200);
    w.VBar->setValue(300);
    QCOMPARE(w.picInner->y(), 10 - 300);
    w.VBar->setValue(1200);
    QCOMPARE(w.picInner->y(), 10 - 1200);
    // A new grid starts at its top.
    QVERIFY(w.Dir1->setPath(m_folders->path()));
    QVERIFY(w.Dir1->setPath(folder));
    QCOMPARE(w.VBar->value(), 0);
    QCOMPARE(w.picInner->y(), 10);
}

void TestGrid::moreThanAThousandPictures()
{
    const QString folder = QDir::toNativeSeparators(m_folders->path("big"));
    QDir().mkpath(folder);
    QImage tiny(8, 8, QImage::Format_RGB32);
    tiny.fill(Qt::darkCyan);
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        tiny.save(&buffer, "JPG");
    }
    constexpr int count = 1005;
    for (int i = 0; i < count; ++i)
        QVERIFY(testpictures::writeBytes(
            QDir(folder).filePath(QStringLiteral("IMG_%1.JPG").arg(i, 4, 10, QLatin1Char('0'))),
            bytes));
    QDir::setCurrent(m_folders->path());
    FakeServices services;
    CountingLoader loader;
    frmMain w(services, loader);
    QVERIFY(w.Form_Load());
    QVERIFY(w.Dir1->setPath(folder));
    QCOMPARE(w.Image1.ubound(), count);
    QCOMPARE(w.Label1(count - 1)->caption(), QStringLiteral("IMG_1004.JPG"));
    QVERIFY(!w.Image1(count - 1)->picture().isNull());
    QCOMPARE(w.Image1(count - 1)->pos(), QPoint(440, 150 * 200));
    QCOMPARE(w.VBar->maximum(), 30 * count);
    w.UnloadThumbnails();
    QCOMPARE(w.Image1.ubound(), 1);
}

void TestGrid::exitEndsTheProgram()
{
    FakeServices services;
    CountingLoader loader;
    frmMain w(services, loader);
    QVERIFY(w.Form_Load());
    w.show();
    w.mnuFileExit->trigger();
    QCOMPARE(services.programFake.ended, 1);
    QVERIFY(!w.isVisible());
}

QTEST_MAIN(TestGrid)
#include "tst_grid.moc"
