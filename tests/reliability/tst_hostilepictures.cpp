#include "app/filelistbox.h"
#include "app/folderlistbox.h"
#include "browser/frmmain.h"
#include "browser/imagebox.h"
#include "support/fakeservices.h"
#include "support/testpictures.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QListWidget>
#include <QLoggingCategory>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>

// Every broken, fuzzed, truncated and mislabelled sample picture in one folder: the grid
// gets a cell for each listed file, a preview opens and closes for each, and nothing is
// shown as a message or crashes. (Their peak memory is measured by bench_hostile.)
class TestHostilePictures : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void everyListedFileGetsACell();
    void absurdSizesAreRefusedUnread_data();
    void absurdSizesAreRefusedUnread();
    void largeBaselineJpegIsStillShown();
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

void doubleClick(QWidget *widget)
{
    const QPoint at(50, 50);
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
    QCOMPARE(QImageReader::allocationLimit(), qtDefaultLimitMb);

    m_window = std::make_unique<frmMain>(m_services, m_loader);
    QVERIFY(m_window->Form_Load());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QVERIFY(m_window->Dir1->setPath(m_folder));
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
        QVERIFY2(w.Image1(i)->isVisibleTo(w.picInner), qPrintable(w.File1->fileName(i)));
        // A cell shows the picture or the "no picture" mark, never nothing.
        QVERIFY2(!w.Image1(i)->picture().isNull() || w.Image1(i)->isBroken(),
            qPrintable(w.File1->fileName(i)));
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

void TestHostilePictures::absurdSizesAreRefusedUnread_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("size");
    QTest::newRow("JPEG") << "sof-60000x60000-progressive.jpg"
                          << "60000 x 60000";
    QTest::newRow("fuzzed JPEG") << "6903d4538fd33c8fd0ded32cb30d618e.jpg"
                                 << "49157 x 27397";
    QTest::newRow("GIF") << "video-001-claims-60000x60000.gif"
                         << "60000 x 60000";
    // Scaled, but a progressive JPEG holds the whole picture's coefficients: 690 MB.
    QTest::newRow("progressive JPEG") << "sof-15000x15000-progressive.jpg"
                                      << "15000 x 15000";
    // No scaled decoding for a BMP: it would be decoded whole, at 183 MB.
    QTest::newRow("BMP") << "Bad_unusual_extend_buffer_usage.bmp"
                         << "2554 x 18803";
}

void TestHostilePictures::absurdSizesAreRefusedUnread()
{
    QFETCH(QString, name);
    QFETCH(QString, size);
    const int index = m_window->File1->fileNames().indexOf(name);
    QVERIFY(index >= 0);
    QVERIFY(m_window->Image1(index)->isBroken());
    QCOMPARE(m_window->Image1(index)->toolTip(),
        QStringLiteral("The picture claims to be %1 pixels, which is too large.").arg(size));
}

void TestHostilePictures::largeBaselineJpegIsStillShown()
{
    // Decoded straight to the thumbnail's size, a baseline JPEG of that size costs little.
    const int index = m_window->File1->fileNames().indexOf("sof-15000x15000-baseline.jpg");
    QVERIFY(index >= 0);
    QVERIFY(!m_window->Image1(index)->isBroken());
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
    doubleClick(w.Image1(index));
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
    QTest::mouseClick(w.Image1(index), Qt::LeftButton, {}, QPoint(50, 50));
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
