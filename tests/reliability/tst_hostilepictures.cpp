#include "browser/frmmain.h"
#include "browser/gridcells.h"
#include "browser/imagebox.h"
#include "support/fakeservices.h"
#include "support/picturefolders.h"
#include "support/testpictures.h"
#include "widgets/filelistbox.h"
#include "widgets/folderlistbox.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QListWidget>
#include <QLoggingCategory>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>

// Every broken, fuzzed, truncated and mislabelled sample picture in one folder, with the
// hostile cases made here (links to a FIFO and to devices, a sparse file, scan and icon bombs,
// a name that looks like markup): the grid gets a cell for each listed file, a preview opens
// and closes for each, and nothing is shown as a message, waits for ever or crashes. (Their
// peak memory is measured by bench_hostile.)
class TestHostilePictures : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void everyListedFileGetsACell();
    void refusedFilesSayWhy_data();
    void refusedFilesSayWhy();
    void largePicturesAreStillShown();
    void onlyFilesAndFoldersAreListed();
    void loaderKeepsQtsAllocationLimit();
    void previewOfEach_data();
    void previewOfEach();
    void rebuildReadsOnlyTheFirstAgain();

private:
    QTemporaryDir m_dir;
    QString m_folder;
    QStringList m_listed;
    QString m_startFolder;
    FakeServices m_services;
    CountingLoader m_loader;
    std::unique_ptr<frmMain> m_window;
};

namespace
{
constexpr int qtDefaultLimitMb = 128;
const QStringList pictureSuffixes = { "jpg", "jpeg", "bmp", "gif", "ico" };

void doubleClick(QWidget *widget, QPoint at)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}
} // namespace

void TestHostilePictures::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // The decoders' complaints about each broken file would drown the test's own output.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio*=false"));
    m_startFolder = QDir::currentPath();
    m_folder = QDir::toNativeSeparators(m_dir.filePath("hostile"));
    QVERIFY(QDir().mkpath(m_folder));
    int copied = 0;
    for (const char *kept : { "bad-all", "fuzz", "made" }) {
        QDirIterator samples(testpictures::data(kept), QDir::Files, QDirIterator::Subdirectories);
        while (samples.hasNext()) {
            const QFileInfo sample(samples.next());
            QVERIFY2(QFile::copy(sample.filePath(), QDir(m_folder).filePath(sample.fileName())),
                qPrintable(sample.filePath()));
            ++copied;
            if (pictureSuffixes.contains(sample.suffix().toLower()))
                m_listed.append(sample.fileName());
        }
    }
    QVERIFY(copied > 300);
    QCOMPARE(m_listed.size(), copied - 2); // nofileextension and empty.icon are not pictures
    const QStringList made = testpictures::writeHostileCases(m_folder);
    QVERIFY(!made.isEmpty());
    m_listed += made;
    QVERIFY(QDir(m_folder).mkdir("sub"));
    QCOMPARE(QImageReader::allocationLimit(), qtDefaultLimitMb);

    m_window = std::make_unique<frmMain>(m_services, m_loader);
    QVERIFY(m_window->Form_Load());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    // Every cell keeps its thumbnail, near the screen or not.
    m_window->gridCells().setMargin(1 << 20);
    QVERIFY(m_window->Dir1->setPath(m_folder));
    QVERIFY(m_window->gridCells().waitUntilBuilt());
}

void TestHostilePictures::cleanupTestCase()
{
    m_window.reset();
    QDir::setCurrent(m_startFolder);
}

void TestHostilePictures::everyListedFileGetsACell()
{
    frmMain &w = *m_window;
    QStringList shown;
    int pictures = 0;
    for (int i = 0; i < w.File1->count(); ++i) {
        QVERIFY(w.Image1(i) != nullptr && w.Label1(i) != nullptr);
        QCOMPARE(w.Label1(i)->caption(), w.File1->fileName(i));
        QVERIFY2(
            w.picInner->rect().contains(w.Image1(i)->geometry()), qPrintable(w.File1->fileName(i)));
        // A cell shows the picture or the "no picture" mark, never nothing.
        QVERIFY2(!w.Image1(i)->picture().isNull() || w.Image1(i)->isBroken(),
            qPrintable(w.File1->fileName(i)));
        // The name's tooltip shows the name, whatever markup it looks like.
        QCOMPARE(shownTip(w.Label1(i)->toolTip()), w.File1->fileName(i));
        if (w.Image1(i)->isBroken())
            QVERIFY2(!w.Image1(i)->toolTip().isEmpty(), qPrintable(w.File1->fileName(i)));
        else
            ++pictures;
        shown.append(w.Label1(i)->caption());
    }
    QCOMPARE(w.Image1(w.File1->count()), nullptr);
    shown.sort();
    QStringList expected = m_listed;
    expected.sort();
    QCOMPARE(shown, expected);
    QCOMPARE(w.PreviousFileCount, expected.size());
    QCOMPARE(w.ProgressBar1->value(), 100);
    // Many of them still decode to something, and none of them is reported in a box.
    QVERIFY(pictures > 100);
    QVERIFY(m_services.boxesFake.shown.empty());
}

void TestHostilePictures::refusedFilesSayWhy_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    const auto claims = [](const char *size) {
        return QStringLiteral("The picture claims to be %1 pixels, which is too large.").arg(size);
    };
    QTest::newRow("JPEG") << "sof-60000x60000-progressive.jpg" << claims("60000 x 60000");
    QTest::newRow("fuzzed JPEG") << "6903d4538fd33c8fd0ded32cb30d618e.jpg"
                                 << claims("49157 x 27397");
    QTest::newRow("GIF") << "video-001-claims-60000x60000.gif" << claims("60000 x 60000");
    // Scaled, but a progressive JPEG holds the whole picture's coefficients: 690 MB.
    QTest::newRow("progressive JPEG")
        << "sof-15000x15000-progressive.jpg" << claims("15000 x 15000");
    // No scaled decoding for a BMP: it would be decoded whole, at 183 MB.
    QTest::newRow("BMP") << "Bad_unusual_extend_buffer_usage.bmp" << claims("2554 x 18803");
    // 64 images listed as 256 x 256 that hold 5600 x 5600 each: 203 MB and 1.9 s a load.
    QTest::newRow("icon") << "icon-64-pngs-of-5600x5600.ico" << claims("5600 x 5600");
    // 55 KB that took 5.5 s a load.
    QTest::newRow("scan bomb") << "scan-bomb-4000x4000-5000-scans.jpg"
                               << "The picture has more than 500 scans, more than any camera "
                                  "or program writes.";
    // 21.5 GB read in 130 s.
    QTest::newRow("sparse") << "sparse-20gb.jpg"
                            << "The file holds far more data than a picture of its size needs.";
}

void TestHostilePictures::refusedFilesSayWhy()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    const int index = m_window->File1->fileNames().indexOf(name);
    QVERIFY(index >= 0);
    QVERIFY(m_window->Image1(index)->isBroken());
    QCOMPARE(m_window->Image1(index)->toolTip(), reason);
}

void TestHostilePictures::largePicturesAreStillShown()
{
    // Decoded straight to the thumbnail's size, a baseline JPEG of that size costs little; a
    // PNG under the limit for a whole decode is decoded whole, one at a time.
    for (const char *name : { "sof-15000x15000-baseline.jpg", "png-5600x5600-named.jpg" }) {
        const int index = m_window->File1->fileNames().indexOf(name);
        QVERIFY(index >= 0);
        QVERIFY2(!m_window->Image1(index)->isBroken(), name);
    }
}

void TestHostilePictures::onlyFilesAndFoldersAreListed()
{
    // Links to a FIFO and to devices are neither pictures nor folders.
    const QStringList files = m_window->File1->fileNames();
    for (const char *link : { "fifo-link.jpg", "zero.jpg", "tty.ico", "stdin.gif" })
        QVERIFY2(!files.contains(link), link);
    QStringList folders = listTexts(m_window->Dir1);
    for (QString &folder : folders)
        folder = folder.trimmed();
    QVERIFY(folders.contains("sub"));
    QVERIFY(!folders.contains("fifo-folder"));
    QVERIFY(!folders.contains("zero-folder"));
}

void TestHostilePictures::loaderKeepsQtsAllocationLimit()
{
    // The limit is one for the whole program: a loader that raised it let a 58-byte file
    // found by fuzzing, which Qt probes by decoding, take 915 MB.
    QCOMPARE(QImageReader::allocationLimit(), qtDefaultLimitMb);
    const int index = m_window->File1->fileNames().indexOf("gif-probe-allocates-915mb.gif");
    QVERIFY(index >= 0);
    QVERIFY(m_window->Image1(index)->isBroken());
}

void TestHostilePictures::previewOfEach_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < m_window->File1->count(); ++i)
        QTest::newRow(qPrintable(m_window->File1->fileName(i))) << i;
}

void TestHostilePictures::previewOfEach()
{
    QFETCH(int, index);
    frmMain &w = *m_window;
    doubleClick(w.picInner, w.Image1(index)->geometry().center());
    QVERIFY(w.isPreviewShown());
    QVERIFY(w.Image4->isVisible());
    QVERIFY(!w.Image4->picture().isNull() || w.Image4->isBroken());
    // What the grid could show, the preview shows too.
    if (!w.Image1(index)->isBroken())
        QVERIFY(!w.Image4->picture().isNull());
    QTest::mouseClick(w.Image4, Qt::LeftButton, {}, QPoint(100, 100));
    QVERIFY(!w.isPreviewShown());
    QVERIFY(w.picOuter->isVisible());
    // The double-click's first click selected the file; a second click puts it back.
    QCOMPARE(w.List1->count(), 1);
    clickThumbnail(w, index);
    QCOMPARE(w.List1->count(), 0);
    QVERIFY(m_services.boxesFake.shown.empty());
}

void TestHostilePictures::rebuildReadsOnlyTheFirstAgain()
{
    // Failed reads are remembered like pictures: a rebuild does not try every broken file again.
    m_loader.reset();
    m_window->ButtonLoadThumbs_Click();
    QVERIFY(m_loader.reads() <= 1);
    QCOMPARE(m_window->Label1(m_listed.size() - 1)->caption(),
        m_window->File1->fileName(m_listed.size() - 1));
}

QTEST_MAIN(TestHostilePictures)
#include "tst_hostilepictures.moc"
