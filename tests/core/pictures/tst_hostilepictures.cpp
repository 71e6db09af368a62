#include "core/pictures/picturecache.h"
#include "core/pictures/sharedthumbnails.h"
#include "core/state/gridcells.h"
#include "support/picturefolders.h"
#include "ui/main/frmmain.h"
#include "ui/main/imagebox.h"
#include "ui/widgets/filelistbox.h"
#include "ui/widgets/folderlistbox.h"

#include <QDirIterator>
#include <QImageReader>
#include <QLoggingCategory>
#include <QProgressBar>
#include <QTest>

// Every broken, fuzzed, truncated and mislabelled sample picture in one folder, with the
// hostile cases made here (links to a FIFO and to devices, a sparse file, scan and icon bombs,
// a name that looks like markup): the grid gets a cell for each listed file, a preview can be
// read for each, and nothing is shown as a message, waits for ever or crashes. (Their peak
// memory is measured by bench_hostile.)
class TestHostilePictures : public QObject
{
    Q_OBJECT

    static constexpr const char *notedName = "noted.jpg";
    const QString plantedReason
        = "<table><tr><td><b><font color=red>Broken</font></b></td></tr></table>"
        + QString(2000, 'x');

    QTemporaryDir m_dir;
    QString m_folder;
    QStringList m_listed;
    std::optional<MainSession> m_session;

private Q_SLOTS:
    void initTestCase()
    {
        // The decoders' complaints about each broken file would drown the test's own output.
        QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio*=false"));
        m_folder = m_dir.filePath("hostile");
        QVERIFY(QDir().mkpath(m_folder + "/sub"));
        for (const char *kept : { "bad-all", "fuzz", "made", "bad-camera" }) {
            QDirIterator samples(
                testpictures::data(kept), QDir::Files, QDirIterator::Subdirectories);
            while (samples.hasNext()) {
                const QFileInfo sample(samples.next());
                QVERIFY(QFile::copy(sample.filePath(), m_folder + '/' + sample.fileName()));
                // nofileextension and empty.icon are not pictures.
                if (QStringList({ "jpg", "jpeg", "bmp", "gif", "ico", "heic", "avif", "cr2", "dng",
                                    "raf", "rw2" })
                        .contains(sample.suffix().toLower()))
                    m_listed.append(sample.fileName());
            }
        }
        QVERIFY(m_listed.size() > 300);
        const QStringList made = testpictures::writeHostileCases(m_folder);
        QVERIFY(!made.isEmpty());
        m_listed += made;
        // A good picture with a failure note that another program wrote, as a page of markup.
        const QString noted = m_folder + "/" + notedName;
        QVERIFY(testpictures::write(noted, Qt::red));
        m_listed.append(notedName);
        const auto shared = std::make_shared<SharedThumbnails>(m_dir.filePath("thumbnails"));
        QVERIFY(shared->writeFailure(SharedThumbnails::keyOf(noted), plantedReason));
        m_listed.sort();
        m_session.emplace();
        QVERIFY(m_session->w.Form_Load());
        m_session->w.state().setSettings(
            { .imageFormat = m_session->w.ImageFormat + ";*.heic;*.avif;*.cr2;*.dng;*.raf;*.rw2" });
        m_session->w.pictureCache().useShared(shared);
        m_session->w.show();
        // Every cell keeps its thumbnail, near the screen or not.
        m_session->w.gridCells().setMargin(1 << 20);
        QVERIFY(m_session->w.Dir1->setPath(m_folder));
        QVERIFY(m_session->w.gridCells().waitUntilBuilt());
    }
    void cleanupTestCase() { m_session.reset(); }

    void everyListedFileGetsACell()
    {
        frmMain &w = m_session->w;
        QStringList names = w.File1->fileNames();
        names.sort();
        QCOMPARE(names, m_listed);
        QCOMPARE(w.PreviousFileCount, m_listed.size());
        QCOMPARE(w.Image1(w.File1->count()), nullptr);
        QCOMPARE(w.ProgressBar1->value(), 100);
        int pictures = 0;
        for (int i = 0; i < w.File1->count(); ++i) {
            const char *name = qPrintable(w.File1->fileName(i));
            QCOMPARE(w.Label1(i)->caption(), w.File1->fileName(i));
            QVERIFY2(w.picInner->rect().contains(w.Image1(i)->geometry()), name);
            // The picture or the "no picture" mark with its reason, never nothing.
            QVERIFY2(w.Image1(i)->isBroken() ? !w.Image1(i)->toolTip().isEmpty()
                                             : !w.Image1(i)->picture().isNull(),
                name);
            // The name's tooltip shows the name, whatever markup it looks like.
            QCOMPARE(shownTip(w.Label1(i)->toolTip()), w.File1->fileName(i));
            // What the grid could show, the preview shows too.
            const LoadedPicture preview
                = QtPictureLoader().load(m_folder + '/' + w.File1->fileName(i), QSize(577, 505));
            QVERIFY2(preview.ok() ? !preview.image.isNull() : !preview.error.isEmpty(), name);
            QVERIFY2(preview.ok() || w.Image1(i)->isBroken(), name);
            pictures += w.Image1(i)->isBroken() ? 0 : 1;
        }
        // Many of them still decode to something, and none of them is reported in a box.
        QVERIFY(pictures > 100);
        QVERIFY(m_session->services.boxesFake.shown.empty());
        // Failed reads are remembered like pictures: a rebuild does not try them again.
        m_session->loader.reset();
        w.ButtonLoadThumbs_Click();
        QVERIFY(w.gridCells().waitUntilBuilt());
        QVERIFY(m_session->loader.reads() <= 1);
    }

    void refusedFilesSayWhy_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason"); // empty: shown
        const auto row = [](const char *tag, const char *name, const QString &reason) {
            QTest::newRow(tag) << QString(name) << reason;
        };
        const auto claims = [](const char *size) {
            return QStringLiteral("The picture claims to be %1 pixels, which is too large.")
                .arg(size);
        };
        row("JPEG", "sof-60000x60000-progressive.jpg", claims("60000 x 60000"));
        row("fuzzed JPEG", "6903d4538fd33c8fd0ded32cb30d618e.jpg", claims("49157 x 27397"));
        row("GIF", "video-001-claims-60000x60000.gif", claims("60000 x 60000"));
        row("AVIF", "avif-claims-30000x30000.avif", claims("30000 x 30000"));
        row("RAW thumbnail", "raf-thumbnail-claims-30000x30000.raf", claims("30000 x 30000"));
        // Scaled, but a progressive JPEG holds the whole picture's coefficients: 690 MB.
        row("progressive JPEG", "sof-15000x15000-progressive.jpg", claims("15000 x 15000"));
        // No scaled decoding for a BMP: it would be decoded whole, at 183 MB.
        row("BMP", "Bad_unusual_extend_buffer_usage.bmp", claims("2554 x 18803"));
        // 64 images listed as 256 x 256 that hold 5600 x 5600 each: 203 MB and 1.9 s a load.
        row("icon", "icon-64-pngs-of-5600x5600.ico", claims("5600 x 5600"));
        // 55 KB that took 5.5 s a load.
        row("scan bomb", "scan-bomb-4000x4000-5000-scans.jpg",
            "The picture has more than 500 scans, more than any camera or program writes.");
        // 21.5 GB read in 130 s.
        row("sparse", "sparse-20gb.jpg",
            "The file holds far more data than a picture of its size needs.");
        // The allocation limit is one for the whole program: a loader that raised it let this
        // 58-byte file, which Qt probes by decoding, take 915 MB.
        row("GIF probe", "gif-probe-allocates-915mb.gif", "*");
        // 309 KB that took 1.5 GB while the reader kept its texts; 15.6 MB after the end of a
        // small picture that took 55 s to inflate.
        row("PNG texts", "png-40-texts-of-8mb.jpg",
            "The picture carries far more text than any picture needs.");
        row("PNG data", "png-640x480-data-for-15gb.jpg",
            "The file holds far more data than a picture of its size needs.");
        // Decoded straight to the thumbnail's size, a baseline JPEG of that size costs little;
        // a PNG under the limit for a whole decode is decoded whole, one at a time.
        row("large baseline JPEG", "sof-15000x15000-baseline.jpg", "");
        row("large PNG", "png-5600x5600-named.jpg", "");
        // Shown as the text it is, and no longer than a reason needs.
        row("failure note", notedName, plantedReason.left(499) + QChar(0x2026));
    }

    void refusedFilesSayWhy()
    {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        QCOMPARE(QImageReader::allocationLimit(), 128);
        const auto cell = m_session->w.Image1(int(m_session->w.File1->fileNames().indexOf(name)));
        QVERIFY(cell != nullptr);
        QCOMPARE(cell->isBroken(), !reason.isEmpty());
        if (reason != "*")
            QCOMPARE(shownTip(cell->toolTip()), reason);
    }

    void onlyFilesAndFoldersAreListed()
    {
        // Links to a FIFO and to devices are neither pictures nor folders.
        QStringList folders = listTexts(m_session->w.Dir1);
        for (QString &folder : folders)
            folder = folder.trimmed();
        QVERIFY(folders.contains("sub"));
        QVERIFY(!folders.contains("fifo-folder") && !folders.contains("zero-folder"));
    }
};

QTEST_MAIN(TestHostilePictures)
#include "tst_hostilepictures.moc"
