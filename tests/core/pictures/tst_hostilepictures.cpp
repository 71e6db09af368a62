#include "core/pictures/picturecache.h"
#include "core/pictures/sharedthumbnails.h"
#include "core/state/browserstate.h"
#include "core/state/gridcells.h"
#include "support/testpictures.h"

#include <QDirIterator>
#include <QImageReader>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QTest>

// Every broken, fuzzed, truncated and mislabelled sample picture in one folder, with the
// hostile cases made here (links to a FIFO and to devices, a sparse file, scan and icon bombs,
// a name that looks like markup): the grid gets a cell for each listed file, a preview can be
// read for each, and nothing waits for ever or crashes. (Their peak memory is measured by
// bench_hostile.)
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
    QStringList m_names;
    CountingLoader m_loader;
    std::unique_ptr<PictureCache> m_cache;
    std::unique_ptr<GridCells> m_cells;

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
        m_cache = std::make_unique<PictureCache>(m_loader, QSize(100, 100));
        m_cache->useShared(shared);
        m_cells = std::make_unique<GridCells>(*m_cache);
        // Every cell keeps its thumbnail, near the screen or not.
        m_cells->setMargin(1 << 20);
        m_names = listPictures(
            m_folder, BrowserSettings().imageFormat + ";*.heic;*.avif;*.cr2;*.dng;*.raf;*.rw2");
        m_cells->build(m_folder, m_names);
        QVERIFY(m_cells->waitUntilBuilt());
    }

    void everyListedFileGetsACell()
    {
        QStringList names = m_names;
        names.sort();
        QCOMPARE(names, m_listed);
        QCOMPARE(m_cells->count(), m_listed.size());
        int pictures = 0;
        for (int i = 0; i < m_cells->count(); ++i) {
            const QByteArray name = m_names[i].toUtf8();
            const QString path = m_folder + '/' + m_names[i];
            const GridCells::Cell &cell = m_cells->cell(i);
            // The picture or the "no picture" mark with its reason, never nothing.
            const bool broken = cell.shown == GridCells::Shown::Broken;
            QVERIFY2(broken ? !cell.error.isEmpty()
                            : cell.shown == GridCells::Shown::Picture && !cell.image.isNull(),
                name);
            // What the grid could show, the preview shows too, unless the grid shows the
            // camera's own thumbnail of a picture that cannot be read whole: that stays.
            const LoadedPicture preview = QtPictureLoader().load(path, QSize(577, 505));
            QVERIFY2(preview.ok() ? !preview.image.isNull() : !preview.error.isEmpty(), name);
            const LoadedPicture carried = QtPictureLoader().loadFitted(path, 128);
            QVERIFY2(preview.ok() || broken || (carried.ok() && !carried.decoded), name);
            pictures += broken ? 0 : 1;
        }
        // Many of them still decode to something.
        QVERIFY(pictures > 100);
        // Failed reads are remembered like pictures: a rebuild does not try them again.
        m_loader.reset();
        m_cells->build(m_folder, m_names);
        QVERIFY(m_cells->waitUntilBuilt());
        QVERIFY(m_loader.reads() <= 1);
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
        const GridCells::Cell &cell = m_cells->cell(int(m_names.indexOf(name)));
        QCOMPARE(
            cell.shown, reason.isEmpty() ? GridCells::Shown::Picture : GridCells::Shown::Broken);
        if (reason != "*")
            QCOMPARE(cell.error, reason);
    }
};

QTEST_MAIN(TestHostilePictures)
#include "tst_hostilepictures.moc"
