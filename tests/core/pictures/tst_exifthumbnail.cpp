#include "core/pictures/cameraformats.h"
#include "core/pictures/exifthumbnail.h"
#include "core/pictures/picturefile.h"
#include "core/pictures/pictureformats.h"
#include "core/pictures/pictureloader.h"
#include "core/pictures/takentime.h"
#include "support/testpictures.h"

#include <QBuffer>
#include <QPainter>
#include <QRandomGenerator>
#include <QtTest>

namespace
{

constexpr QSize cell(100, 100);
const QColor red(220, 30, 30);
const QColor green(30, 200, 30);
const QColor blue(30, 30, 220);
const QColor yellow(230, 220, 30);

// Four coloured quarters, red green over blue yellow, so that every turn and mirror shows.
QImage quarters(QSize size)
{
    QImage image = testpictures::filled(size, red);
    QPainter painter(&image);
    const int w = size.width() / 2;
    const int h = size.height() / 2;
    painter.fillRect(w, 0, size.width() - w, h, green);
    painter.fillRect(0, h, w, size.height() - h, blue);
    painter.fillRect(w, h, size.width() - w, size.height() - h, yellow);
    return image;
}

// Whether the middles of an image's four quarters, in reading order, have these colours.
bool showsQuarters(const QImage &image, const QList<QColor> &expected)
{
    const int w = image.width();
    const int h = image.height();
    const QList<QColor> actual
        = { image.pixelColor(w / 4, h / 4), image.pixelColor(3 * w / 4, h / 4),
              image.pixelColor(w / 4, 3 * h / 4), image.pixelColor(3 * w / 4, 3 * h / 4) };
    for (qsizetype i = 0; i < expected.size(); ++i) {
        if (!testpictures::near(actual[i], expected[i], 40))
            return false;
    }
    return true;
}

// Patches the frame header at that offset to claim more pixels than any camera makes:
// 30000 x 30000, or 20000 x 15000 where the shape has to stay 4:3.
void claimHuge(QByteArray &jpeg, qsizetype frame, bool fourByThree = false)
{
    jpeg.replace(frame + 5, 4,
        fourByThree ? QByteArray("\x3A\x98\x4E\x20", 4) : QByteArray("\x75\x30\x75\x30", 4));
}

// A picture of that colour with random noise in its bottom rows, so that it compresses no better
// than a photograph there.
QImage noisyBottom(QSize size, QColor color, int rows)
{
    QImage image = testpictures::filled(size, color);
    QRandomGenerator random(1);
    for (int y = size.height() - rows; y < size.height(); ++y) {
        auto *line = reinterpret_cast<quint32 *>(image.scanLine(y));
        random.fillRange(line, size.width());
    }
    return image;
}

// A 320 x 240 red thumbnail; noise in its bottom rows makes it larger.
QByteArray thumbnail(int noisyRows)
{
    return testpictures::jpegBytes(noisyBottom(QSize(320, 240), red, noisyRows));
}

// Where the EXIF segment ends; the thumbnail is the last thing in it.
qint64 exifEnd(const QByteArray &jpeg)
{
    const qsizetype start = jpeg.indexOf(QByteArray("\xFF\xE1", 2));
    return start + 2 + ((uchar(jpeg[start + 2]) << 8) | uchar(jpeg[start + 3]));
}

// Segments of 60,000 bytes of other data, inserted at the given offset.
QByteArray withSegments(QByteArray jpeg, qint64 at, int segments)
{
    constexpr int length = 60000;
    const QByteArray segment = QByteArray("\xFF\xE2", 2) + char(length >> 8) + char(length & 0xFF)
        + QByteArray(length - 2, '\x5A');
    jpeg.insert(at, segment.repeated(segments));
    return jpeg;
}

} // namespace

// The camera's embedded thumbnail stands in for a decode only when it is sound, and looks the
// same as the decode would.
class TestExifThumbnail : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void embeddedAndDecodedAgreeOnOrientation_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QList<QColor>>("shown");
        QTest::newRow("1 as stored") << 1 << QList<QColor> { red, green, blue, yellow };
        QTest::newRow("2 mirrored") << 2 << QList<QColor> { green, red, yellow, blue };
        QTest::newRow("3 half turn") << 3 << QList<QColor> { yellow, blue, green, red };
        QTest::newRow("4 upside down") << 4 << QList<QColor> { blue, yellow, red, green };
        QTest::newRow("5 transposed") << 5 << QList<QColor> { red, blue, green, yellow };
        QTest::newRow("6 quarter clockwise") << 6 << QList<QColor> { blue, red, yellow, green };
        QTest::newRow("7 transversed") << 7 << QList<QColor> { yellow, green, blue, red };
        QTest::newRow("8 quarter anticlockwise") << 8 << QList<QColor> { green, yellow, red, blue };
    }

    void embeddedAndDecodedAgreeOnOrientation()
    {
        const QTemporaryDir dir;
        QFETCH(int, orientation);
        QFETCH(QList<QColor>, shown);
        const QImage picture = quarters(QSize(400, 300));
        const QString embedded = dir.filePath(QStringLiteral("embedded.jpg"));
        const QString decoded = dir.filePath(QStringLiteral("decoded.jpg"));
        QVERIFY(testpictures::writeBytes(embedded,
            testpictures::jpegWithExif(
                picture, orientation, testpictures::jpegBytes(quarters(QSize(160, 120))))));
        QVERIFY(
            testpictures::writeBytes(decoded, testpictures::jpegWithExif(picture, orientation)));
        QVERIFY(exif::usable(exif::read(embedded), cell));

        const LoadedPicture fromThumbnail = QtPictureLoader().load(embedded, cell);
        QCOMPARE(fromThumbnail.image.size(), cell);
        QVERIFY2(showsQuarters(fromThumbnail.image, shown), "embedded thumbnail");
        QVERIFY2(showsQuarters(QtPictureLoader().load(decoded, cell).image, shown), "decoded");
        // The box's shape is the shown picture's, turned or not.
        const LoadedPicture wide = QtPictureLoader().load(decoded, QSize(90, 30));
        QCOMPARE(wide.image.size(), QSize(90, 30));
        QVERIFY2(showsQuarters(wide.image, shown), "decoded into a wide box");
    }

    void unsoundThumbnailFallsBackToDecode_data()
    {
        QTest::addColumn<QByteArray>("thumbnail");
        QTest::addColumn<QSize>("pictureSize");
        QTest::addColumn<QColor>("shown");
        const QByteArray sound
            = testpictures::jpegBytes(testpictures::filled(QSize(160, 120), red));
        const QByteArray broken = sound.left(40) + QByteArray(400, '\x5A');
        QByteArray huge = sound;
        claimHuge(huge, huge.indexOf(QByteArray("\xFF\xC0", 2)));
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        testpictures::filled(QSize(160, 120), red).save(&buffer, "PNG");

        QTest::newRow("sound") << sound << QSize(400, 300) << red;
        QTest::newRow("corrupt") << broken << QSize(400, 300) << blue;
        QTest::newRow("square for a 4:3 picture")
            << testpictures::jpegBytes(testpictures::filled(QSize(160, 160), red))
            << QSize(400, 300) << blue;
        QTest::newRow("4:3 for a 3:2 picture") << sound << QSize(450, 300) << blue;
        QTest::newRow("smaller than the cell")
            << testpictures::jpegBytes(testpictures::filled(QSize(80, 60), red)) << QSize(400, 300)
            << blue;
        QTest::newRow("claims 30000 x 30000") << huge << QSize(400, 300) << blue;
        QTest::newRow("not a JPEG") << png << QSize(400, 300) << blue;
    }

    void unsoundThumbnailFallsBackToDecode()
    {
        const QTemporaryDir dir;
        QFETCH(QByteArray, thumbnail);
        QFETCH(QSize, pictureSize);
        QFETCH(QColor, shown);
        const QString path = dir.filePath(QStringLiteral("picture.jpg"));
        QVERIFY(testpictures::writeBytes(path,
            testpictures::jpegWithExif(testpictures::filled(pictureSize, blue), 1, thumbnail)));
        const QColor centre = testpictures::centre(QtPictureLoader().load(path, cell).image);
        QVERIFY2(testpictures::near(centre, shown), qPrintable(centre.name()));
    }

    // A picture that claims more pixels than any camera makes is refused, thumbnail or not.
    void tooLargePictureIsRefusedDespiteItsThumbnail()
    {
        const QTemporaryDir dir;
        QByteArray bytes = testpictures::jpegWithExif(testpictures::filled(QSize(400, 300), blue),
            1, testpictures::jpegBytes(testpictures::filled(QSize(160, 120), red)));
        // The picture's own frame header comes after the thumbnail's. It keeps the
        // thumbnail's shape, so that only its size can refuse the thumbnail.
        claimHuge(bytes, bytes.lastIndexOf(QByteArray("\xFF\xC0", 2)), true);
        const QString path = dir.filePath(QStringLiteral("huge.jpg"));
        QVERIFY(testpictures::writeBytes(path, bytes));
        const LoadedPicture loaded = QtPictureLoader().load(path, cell);
        QVERIFY(!loaded.ok());
        QVERIFY(!loaded.error.isEmpty());
    }

    void readsOnlyWhatTheThumbnailNeeds_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<qint64>("least");
        QTest::addColumn<qint64>("most");
        QTest::addColumn<QColor>("shown");
        // The thumbnail ends its segment, as cameras write it; the picture is 170 KB.
        const QImage picture = noisyBottom(QSize(800, 600), blue, 100);
        const QByteArray small = testpictures::jpegWithExif(picture, 6, thumbnail(0));
        const QByteArray large = testpictures::jpegWithExif(picture, 6, thumbnail(100));
        const qint64 smallEnd = exifEnd(small);
        const qint64 largeEnd = exifEnd(large);
        QVERIFY2(smallEnd < 4096 && largeEnd > exif::firstBlock && largeEnd < 48 * 1024,
            qPrintable(QStringLiteral("%1 %2").arg(smallEnd).arg(largeEnd)));
        // Marker, length and frame fields of the few segments between the EXIF block and the
        // frame header.
        constexpr qint64 walk = 64;
        const qint64 first = exif::firstBlock;

        QTest::newRow("EXIF block in the first block") << small << first << first << red;
        QTest::newRow("thumbnail past the first block")
            << large << largeEnd << largeEnd + walk << red;
        QTest::newRow("frame header past the reading limit")
            << withSegments(small, smallEnd, 5) << first << exif::maxHeaderBytes << blue;
        // Other segments first: the EXIF block begins within the limit and ends past it.
        QTest::newRow("EXIF block across the reading limit")
            << withSegments(large, 2, 4) << first << exif::maxHeaderBytes << blue;
        QByteArray farThumbnail = small;
        const qsizetype offsetTag = farThumbnail.indexOf(QByteArray("\x01\x02\x04\0\x01\0\0\0", 8));
        QVERIFY(offsetTag > 0);
        farThumbnail.replace(offsetTag + 8, 4, QByteArray("\0\0\xF0\0", 4));
        QTest::newRow("thumbnail outside its block") << farThumbnail << first << first << blue;
    }

    // A picture from a memory card costs the card's time per byte: only the EXIF block up to
    // the thumbnail's end and the frame header are read, and nothing far into the file.
    void readsOnlyWhatTheThumbnailNeeds()
    {
        const QTemporaryDir dir;
        QFETCH(QByteArray, file);
        QFETCH(qint64, least);
        QFETCH(qint64, most);
        QFETCH(QColor, shown);
        const QString path = dir.filePath(QStringLiteral("picture.jpg"));
        QVERIFY(testpictures::writeBytes(path, file));
        qint64 bytesRead = -1;
        const exif::Header header = exif::read(path, &bytesRead);
        QVERIFY2(bytesRead >= least && bytesRead <= most, qPrintable(QString::number(bytesRead)));
        if (shown == red) {
            QCOMPARE(header.orientation, 6);
            QCOMPARE(header.pictureSize, QSize(800, 600));
        }
        const QColor centre = testpictures::centre(QtPictureLoader().load(path, cell).image);
        QVERIFY2(testpictures::near(centre, shown), qPrintable(centre.name()));
    }

    void timeTaken_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("sample");
        QTest::addColumn<QDateTime>("taken");
        const QImage picture = testpictures::filled(QSize(64, 48), blue);
        const QByteArray stamp("2024:05:01 10:20:30");
        const auto at = [](int ms) {
            return QDateTime(QDate(2024, 5, 1), QTime(10, 20, 30, ms), QTimeZone::utc());
        };
        const auto jpeg = [&picture](const QByteArray &taken, const QByteArray &subSeconds = {}) {
            return testpictures::jpegWithExif(picture, 1, {}, taken, subSeconds);
        };
        const QByteArray dated = jpeg(stamp, "21");
        QByteArray pointingOut = dated;
        // The Exif directory's pointer (tag 8769, a long) sent past the block.
        const qsizetype pointer = pointingOut.indexOf(QByteArray("\x69\x87\x04\0\x01\0\0\0", 8));
        QVERIFY(pointer > 0);
        pointingOut.replace(pointer + 8, 4, QByteArray("\0\xF0\0\0", 4));

        QTest::newRow("no EXIF") << testpictures::jpegBytes(picture) << QString() << QDateTime();
        QTest::newRow("EXIF without the tag") << jpeg({}) << QString() << QDateTime();
        QTest::newRow("seconds") << jpeg(stamp) << QString() << at(0);
        QTest::newRow("hundredths") << dated << QString() << at(210);
        QTest::newRow("beside a thumbnail")
            << testpictures::jpegWithExif(testpictures::filled(QSize(400, 300), blue), 1,
                   testpictures::jpegBytes(testpictures::filled(QSize(160, 120), red)), stamp)
            << QString() << at(0);
        QTest::newRow("tenths") << jpeg(stamp, "5") << QString() << at(500);
        QTest::newRow("four digits") << jpeg(stamp, "1234") << QString() << at(123);
        QTest::newRow("subseconds not digits") << jpeg(stamp, "-5") << QString() << at(0);
        QTest::newRow("clock unset") << jpeg("0000:00:00 00:00:00") << QString() << QDateTime();
        QTest::newRow("blank") << jpeg("    :  :     :  :  ") << QString() << QDateTime();
        QTest::newRow("no such day") << jpeg("2023:02:29 10:20:30") << QString() << QDateTime();
        QTest::newRow("file cut in the date")
            << dated.left(dated.indexOf(stamp) + 8) << QString() << QDateTime();
        QTest::newRow("directory past the block") << pointingOut << QString() << QDateTime();
        QTest::newRow("HEIC with thousandths")
            << QByteArray() << QStringLiteral("IMG_2927.HEIC")
            << QDateTime(QDate(2020, 5, 4), QTime(18, 39, 11, 644), QTimeZone::utc());
        QTest::newRow("AVIF without EXIF")
            << QByteArray() << QStringLiteral("rot0mir0.avif") << QDateTime();
        QTest::newRow("CR3 with hundredths")
            << QByteArray() << QStringLiteral("CanonRaw.cr3")
            << QDateTime(QDate(2018, 2, 21), QTime(12, 8, 56, 210), QTimeZone::utc());
        // Its first directory's DateTime (changed later) is not the time taken.
        QTest::newRow("NEF") << QByteArray() << QStringLiteral("Nikon.nef")
                             << QDateTime(QDate(2004, 6, 9), QTime(16, 2, 35), QTimeZone::utc());
        QTest::newRow("RW2") << QByteArray() << QStringLiteral("Panasonic.rw2")
                             << QDateTime(QDate(2008, 8, 6), QTime(15, 21, 56), QTimeZone::utc());
    }

    // When a picture was taken, from the same bytes its thumbnail's read reads, or from the
    // camera formats' libraries in the decoder worker; the read for the grid carries it too.
    void timeTaken()
    {
        const QTemporaryDir dir;
        QFETCH(QByteArray, file);
        QFETCH(QString, sample);
        QFETCH(QDateTime, taken);
        QString path = dir.filePath(QStringLiteral("picture.jpg"));
        if (sample.isEmpty())
            QVERIFY(testpictures::writeBytes(path, file));
        else
            path = testpictures::data(QStringLiteral("camera/") + sample);
        QCOMPARE(takenTime(path), taken);
        QCOMPARE(QtPictureLoader().load(path, cell).taken, taken);
        // A file of a real camera's size (ISO media grown by a box the readers skip): its tags
        // are read, not its picture data.
        if (sample.isEmpty() || !taken.isValid())
            return;
        const QString large = dir.filePath(sample);
        QVERIFY(QFile::copy(path, large));
        QFile grown(large);
        const bool boxes = sample.endsWith(QLatin1String(".cr3")) || sample.endsWith("HEIC");
        QVERIFY(grown.open(QIODevice::Append)
            && (!boxes || grown.write(QByteArray::fromHex("04000000") + "free") == 8)
            && grown.flush() && grown.resize(QFileInfo(path).size() + (qint64(64) << 20)));
        grown.close();
        PictureFile raw(large);
        QVERIFY(raw.openPicture());
        QCOMPARE(pictureformats::isRaw(path) ? cameraformats::rawTakenTime(raw)
                                             : std::optional(cameraformats::heifTakenTime(raw)),
            std::optional(taken));
        QVERIFY2(raw.bytesRead() < qint64(2) << 20, qPrintable(QString::number(raw.bytesRead())));
    }

    void takenOrder_data()
    {
        QTest::addColumn<QList<QDateTime>>("taken");
        QTest::addColumn<QList<int>>("modifiedMinutes");
        QTest::addColumn<QList<int>>("order");
        const auto at = [](int second, int ms = 0) {
            return QDateTime(QDate(2024, 5, 1), QTime(10, 0, second, ms), QTimeZone::utc());
        };
        const QDateTime none;
        // In name order: camera A's pictures, then camera B's.
        QTest::newRow("two cameras interleave") << QList { at(1), at(3), at(5), at(2),
            at(4) } << QList { 0, 0, 0, 0, 0 } << QList { 0, 3, 1, 4, 2 };
        QTest::newRow("a second shared: by its fraction") << QList { at(7, 900), at(7, 100),
            at(7, 500) } << QList { 0, 0, 0 } << QList { 1, 2, 0 };
        QTest::newRow("the same time: name order")
            << QList { at(7, 5), at(6), at(7, 5) } << QList { 0, 0, 0 } << QList { 1, 0, 2 };
        QTest::newRow("without a time: after, by modification time, then name") << QList { none,
            at(9), none, none, at(8) } << QList { 30, 50, 10, 30, 0 } << QList { 4, 1, 2, 0, 3 };
        QTest::newRow("no times at all")
            << QList { none, none, none } << QList { 3, 1, 2 } << QList { 1, 2, 0 };
        QTest::newRow("nothing") << QList<QDateTime>() << QList<int>() << QList<int>();
    }

    void takenOrder()
    {
        QFETCH(QList<QDateTime>, taken);
        QFETCH(QList<int>, modifiedMinutes);
        QFETCH(QList<int>, order);
        std::vector<takentime::Key> keys;
        for (qsizetype i = 0; i < taken.size(); ++i)
            keys.push_back({ taken[i],
                QDateTime(QDate(2020, 1, 1), QTime(0, 0), QTimeZone::utc())
                    .addSecs(60 * modifiedMinutes[i]) });
        const std::vector<int> ordered = takentime::order(keys);
        QCOMPARE(QList<int>(ordered.begin(), ordered.end()), order);
    }
};

QTEST_MAIN(TestExifThumbnail)
#include "tst_exifthumbnail.moc"
