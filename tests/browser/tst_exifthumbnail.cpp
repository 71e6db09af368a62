#include "app/folderlistbox.h"
#include "browser/exifthumbnail.h"
#include "browser/frmmain.h"
#include "browser/imagebox.h"
#include "browser/pictureloader.h"
#include "support/fakeservices.h"
#include "support/testpictures.h"

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
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
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    const int w = size.width() / 2;
    const int h = size.height() / 2;
    painter.fillRect(0, 0, w, h, red);
    painter.fillRect(w, 0, size.width() - w, h, green);
    painter.fillRect(0, h, w, size.height() - h, blue);
    painter.fillRect(w, h, size.width() - w, size.height() - h, yellow);
    return image;
}

QImage filled(QSize size, QColor color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

// The colours in the middle of the four quarters of a cell, in reading order.
QList<QColor> quarterColours(const QImage &image)
{
    const int w = image.width();
    const int h = image.height();
    return { image.pixelColor(w / 4, h / 4), image.pixelColor(3 * w / 4, h / 4),
        image.pixelColor(w / 4, 3 * h / 4), image.pixelColor(3 * w / 4, 3 * h / 4) };
}

bool nearAll(const QList<QColor> &actual, const QList<QColor> &expected)
{
    for (qsizetype i = 0; i < expected.size(); ++i) {
        if (!testpictures::near(actual[i], expected[i], 40))
            return false;
    }
    return true;
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
        QVERIFY(!exif::usable(exif::read(decoded), cell));

        const QtPictureLoader loader;
        const LoadedPicture fromThumbnail = loader.load(embedded, cell);
        const LoadedPicture fromDecode = loader.load(decoded, cell);
        QVERIFY(fromThumbnail.ok());
        QVERIFY(fromDecode.ok());
        QCOMPARE(fromThumbnail.image.size(), cell);
        QVERIFY2(nearAll(quarterColours(fromThumbnail.image), shown), "embedded thumbnail");
        QVERIFY2(nearAll(quarterColours(fromDecode.image), shown), "decoded picture");
    }

    // The thumbnail is red, the picture blue: the colour shows which one the cell got.
    void unsoundThumbnailFallsBackToDecode_data()
    {
        QTest::addColumn<QByteArray>("thumbnail");
        QTest::addColumn<QSize>("pictureSize");
        QTest::addColumn<QColor>("shown");
        const QByteArray sound = testpictures::jpegBytes(filled(QSize(160, 120), red));
        QByteArray broken = sound;
        broken.truncate(40);
        broken.append(QByteArray(400, '\x5A'));
        // The frame header's height and width, patched to claim 30000 x 30000.
        QByteArray huge = sound;
        const qsizetype frame = huge.indexOf(QByteArray("\xFF\xC0", 2));
        QVERIFY(frame > 0);
        huge[frame + 5] = char(0x75);
        huge[frame + 6] = char(0x30);
        huge[frame + 7] = char(0x75);
        huge[frame + 8] = char(0x30);
        QImage png(160, 120, QImage::Format_RGB32);
        png.fill(red);
        QByteArray pngBytes;
        QBuffer buffer(&pngBytes);
        buffer.open(QIODevice::WriteOnly);
        png.save(&buffer, "PNG");

        QTest::newRow("sound") << sound << QSize(400, 300) << red;
        QTest::newRow("corrupt") << broken << QSize(400, 300) << blue;
        QTest::newRow("square for a 4:3 picture")
            << testpictures::jpegBytes(filled(QSize(160, 160), red)) << QSize(400, 300) << blue;
        QTest::newRow("4:3 for a 3:2 picture") << sound << QSize(450, 300) << blue;
        QTest::newRow("smaller than the cell")
            << testpictures::jpegBytes(filled(QSize(80, 60), red)) << QSize(400, 300) << blue;
        QTest::newRow("claims 30000 x 30000") << huge << QSize(400, 300) << blue;
        QTest::newRow("not a JPEG") << pngBytes << QSize(400, 300) << blue;
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
        const LoadedPicture loaded = QtPictureLoader().load(path, cell);
        QVERIFY(loaded.ok());
        QVERIFY2(testpictures::near(testpictures::centre(loaded.image), shown),
            qPrintable(testpictures::centre(loaded.image).name()));
    }

    // A picture that claims more pixels than any camera makes is refused, thumbnail or not.
    void tooLargePictureIsRefusedDespiteItsThumbnail()
    {
        const QTemporaryDir dir;
        QByteArray bytes = testpictures::jpegWithExif(filled(QSize(400, 300), blue), 1,
            testpictures::jpegBytes(filled(QSize(160, 120), red)));
        // The picture's own frame header comes after the thumbnail's.
        const qsizetype frame = bytes.lastIndexOf(QByteArray("\xFF\xC0", 2));
        QVERIFY(frame > bytes.indexOf(QByteArray("\xFF\xC0", 2)));
        bytes[frame + 5] = char(0x75);
        bytes[frame + 6] = char(0x30);
        bytes[frame + 7] = char(0x75);
        bytes[frame + 8] = char(0x30);
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
        quint32 seed = 1;
        for (int y = 0; y < noise.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(noise.scanLine(y));
            for (int x = 0; x < noise.width(); ++x) {
                seed = seed * 1664525u + 1013904223u;
                line[x] = 0xFF000000u | (seed >> 8);
            }
        }
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
        const QTemporaryDir dir;
        const QByteArray good = testpictures::jpegWithExif(filled(QSize(400, 300), blue), 1,
            testpictures::jpegBytes(filled(QSize(160, 120), red)));
        QVERIFY(testpictures::writeBytes(dir.filePath(QStringLiteral("a.jpg")), good));
        QByteArray corrupt = good.left(300);
        corrupt.append(QByteArray(2000, '\x33'));
        QVERIFY(testpictures::writeBytes(dir.filePath(QStringLiteral("b.jpg")), corrupt));
        QVERIFY(testpictures::writeBytes(dir.filePath(QStringLiteral("c.jpg")), QByteArray()));

        FakeServices services;
        CountingLoader loader;
        frmMain w(services, loader);
        QVERIFY(w.Form_Load());
        QVERIFY(w.Dir1->setPath(dir.path()));
        QCOMPARE(w.gridNames(),
            QStringList(
                { QStringLiteral("a.jpg"), QStringLiteral("b.jpg"), QStringLiteral("c.jpg") }));
        QVERIFY(!w.Image1(0)->isBroken());
        QVERIFY(testpictures::near(testpictures::centre(w.Image1(0)->picture().toImage()), red));
        for (int i : { 1, 2 }) {
            QVERIFY(w.Image1(i)->isBroken());
            QVERIFY(w.Image1(i)->picture().isNull());
        }
        QCOMPARE(w.Label1(2)->caption(), QStringLiteral("c.jpg"));
        QVERIFY(services.boxesFake.shown.empty());
    }
};

QTEST_MAIN(TestExifThumbnail)
#include "tst_exifthumbnail.moc"
