#include "app/folderlistbox.h"
#include "browser/exifthumbnail.h"
#include "browser/imagebox.h"
#include "browser/pictureloader.h"
#include "support/picturefolders.h"

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

QImage filled(QSize size, QColor color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

// Four coloured quarters, red green over blue yellow, so that every turn and mirror shows.
QImage quarters(QSize size)
{
    QImage image = filled(size, red);
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

// A JPEG of blue with an embedded thumbnail of red, so the colour shows which one a cell got.
QByteArray blueWithRedThumbnail(QSize size = QSize(400, 300))
{
    return testpictures::jpegWithExif(
        filled(size, blue), 1, testpictures::jpegBytes(filled(QSize(160, 120), red)));
}

// Patches the frame header at that offset to claim more pixels than any camera makes:
// 30000 x 30000, or 20000 x 15000 where the shape has to stay 4:3.
void claimHuge(QByteArray &jpeg, qsizetype frame, bool fourByThree = false)
{
    jpeg.replace(frame + 5, 4,
        fourByThree ? QByteArray("\x3A\x98\x4E\x20", 4) : QByteArray("\x75\x30\x75\x30", 4));
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
    }

    void unsoundThumbnailFallsBackToDecode_data()
    {
        QTest::addColumn<QByteArray>("thumbnail");
        QTest::addColumn<QSize>("pictureSize");
        QTest::addColumn<QColor>("shown");
        const QByteArray sound = testpictures::jpegBytes(filled(QSize(160, 120), red));
        const QByteArray broken = sound.left(40) + QByteArray(400, '\x5A');
        QByteArray huge = sound;
        claimHuge(huge, huge.indexOf(QByteArray("\xFF\xC0", 2)));
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        filled(QSize(160, 120), red).save(&buffer, "PNG");

        QTest::newRow("sound") << sound << QSize(400, 300) << red;
        QTest::newRow("corrupt") << broken << QSize(400, 300) << blue;
        QTest::newRow("square for a 4:3 picture")
            << testpictures::jpegBytes(filled(QSize(160, 160), red)) << QSize(400, 300) << blue;
        QTest::newRow("4:3 for a 3:2 picture") << sound << QSize(450, 300) << blue;
        QTest::newRow("smaller than the cell")
            << testpictures::jpegBytes(filled(QSize(80, 60), red)) << QSize(400, 300) << blue;
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
        QVERIFY(testpictures::writeBytes(
            path, testpictures::jpegWithExif(filled(pictureSize, blue), 1, thumbnail)));
        const QColor centre = testpictures::centre(QtPictureLoader().load(path, cell).image);
        QVERIFY2(testpictures::near(centre, shown), qPrintable(centre.name()));
    }

    // A picture that claims more pixels than any camera makes is refused, thumbnail or not.
    void tooLargePictureIsRefusedDespiteItsThumbnail()
    {
        const QTemporaryDir dir;
        QByteArray bytes = blueWithRedThumbnail();
        // The picture's own frame header comes after the thumbnail's. It keeps the
        // thumbnail's shape, so that only its size can refuse the thumbnail.
        claimHuge(bytes, bytes.lastIndexOf(QByteArray("\xFF\xC0", 2)), true);
        const QString path = dir.filePath(QStringLiteral("huge.jpg"));
        QVERIFY(testpictures::writeBytes(path, bytes));
        const LoadedPicture loaded = QtPictureLoader().load(path, cell);
        QVERIFY(!loaded.ok());
        QVERIFY(!loaded.error.isEmpty());
    }

    // Nothing past the start of the file is needed: the rest may as well be zeros.
    void readsOnlyTheStartOfTheFile()
    {
        const QTemporaryDir dir;
        QImage noise(2400, 1800, QImage::Format_RGB32);
        QRandomGenerator(1).fillRange(
            reinterpret_cast<quint32 *>(noise.bits()), noise.sizeInBytes() / sizeof(quint32));
        QByteArray bytes = testpictures::jpegWithExif(
            noise, 6, testpictures::jpegBytes(filled(QSize(160, 120), red)));
        QVERIFY(bytes.size() > 4 * exif::headerBytes);
        bytes.replace(exif::headerBytes, bytes.size() - exif::headerBytes,
            QByteArray(bytes.size() - exif::headerBytes, '\0'));
        const QString path = dir.filePath(QStringLiteral("big.jpg"));
        QVERIFY(testpictures::writeBytes(path, bytes));

        qint64 bytesRead = 0;
        const exif::Header header = exif::read(path, &bytesRead);
        QCOMPARE(bytesRead, exif::headerBytes);
        QCOMPARE(header.orientation, 6);
        QCOMPARE(header.pictureSize, QSize(2400, 1800));
        const LoadedPicture loaded = QtPictureLoader().load(path, cell);
        QVERIFY(testpictures::near(testpictures::centre(loaded.image), red));
    }

    // A file that is no picture at all keeps its cell, marked, beside good pictures.
    void corruptFileGetsNoPictureCell()
    {
        PictureFolders pics;
        const QByteArray good = blueWithRedThumbnail();
        const QString folder = pics.make("pics", {});
        QVERIFY(testpictures::writeBytes(pics.path("pics/a.jpg"), good));
        QVERIFY(testpictures::writeBytes(
            pics.path("pics/b.jpg"), good.left(300) + QByteArray(2000, '\x33')));
        QVERIFY(testpictures::writeBytes(pics.path("pics/c.jpg"), QByteArray()));
        MainSession s;
        QVERIFY(pics.open(s.w, folder));
        QCOMPARE(s.w.gridNames(), QStringList({ "a.jpg", "b.jpg", "c.jpg" }));
        QVERIFY(testpictures::near(testpictures::centre(s.w.Image1(0)->picture().toImage()), red));
        QVERIFY(!s.w.Image1(0)->isBroken());
        QVERIFY(s.w.Image1(1)->isBroken() && s.w.Image1(2)->isBroken());
        QVERIFY(s.w.Image1(2)->picture().isNull());
        QCOMPARE(s.w.Label1(2)->caption(), QStringLiteral("c.jpg"));
        QVERIFY(s.services.boxesFake.shown.empty());
    }
};

QTEST_MAIN(TestExifThumbnail)
#include "tst_exifthumbnail.moc"
