#include "browser/pictureloader.h"
#include "support/testpictures.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

// Reading pictures for the grid and the preview: orientation, icons, very large and
// hostile files.
class TestPictureLoader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void orientationIsApplied_data();
    void orientationIsApplied();
    void iconShowsItsLargestImage();
    void absurdSizeIsRefusedBeforeDecoding_data();
    void absurdSizeIsRefusedBeforeDecoding();
    void pictureBeyondQtsAllocationLimit();
    void brokenFilesSayWhy_data();
    void brokenFilesSayWhy();
};

namespace
{
// Mean difference per channel between two images of one size.
double difference(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    qint64 sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row);
            const QRgb q = y.pixel(col, row);
            sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q))
                + qAbs(qAlpha(p) - qAlpha(q));
        }
    }
    return double(sum) / (4.0 * x.width() * x.height());
}

// A small JPEG whose frame header claims another size.
QByteArray jpegClaiming(int width, int height)
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    const qsizetype sof = bytes.indexOf(QByteArray("\xFF\xC0", 2));
    Q_ASSERT(sof > 0);
    bytes[sof + 5] = char(height >> 8);
    bytes[sof + 6] = char(height & 0xFF);
    bytes[sof + 7] = char(width >> 8);
    bytes[sof + 8] = char(width & 0xFF);
    return bytes;
}
} // namespace

void TestPictureLoader::orientationIsApplied_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("size");
    QTest::newRow("upside down, thumbnail") << "orientation/Landscape_3.jpg" << QSize(100, 100);
    QTest::newRow("turned right, thumbnail") << "orientation/Landscape_6.jpg" << QSize(100, 100);
    QTest::newRow("turned left, thumbnail") << "orientation/Landscape_8.jpg" << QSize(100, 100);
    QTest::newRow("turned right, preview") << "orientation/Landscape_6.jpg" << QSize(577, 505);
    QTest::newRow("turned left, wide box") << "orientation/Landscape_8.jpg" << QSize(90, 30);
}

void TestPictureLoader::orientationIsApplied()
{
    QFETCH(QString, file);
    QFETCH(QSize, size);
    const QtPictureLoader loader;
    const LoadedPicture upright
        = loader.load(testpictures::data("orientation/Landscape_1.jpg"), size);
    const LoadedPicture turned = loader.load(testpictures::data(file), size);
    QVERIFY(upright.ok());
    QVERIFY2(turned.ok(), qPrintable(turned.error));
    QCOMPARE(turned.image.size(), size);
    // Rotated back, the picture looks like the upright one; left as stored it would not.
    QVERIFY2(difference(upright.image, turned.image) < 12,
        qPrintable(QString::number(difference(upright.image, turned.image))));
}

void TestPictureLoader::iconShowsItsLargestImage()
{
    const QString path = testpictures::data("icons/python.ico");
    QImageReader reader(path);
    QCOMPARE(reader.imageCount(), 3);
    QImage largest;
    for (int i = 0; i < reader.imageCount(); ++i) {
        QVERIFY(reader.jumpToImage(i));
        const QImage image = reader.read();
        if (image.width() > largest.width())
            largest = image;
    }
    QCOMPARE(largest.size(), QSize(48, 48));
    const LoadedPicture picture = QtPictureLoader().load(path, QSize(48, 48));
    QVERIFY(picture.ok());
    QVERIFY(difference(picture.image, largest) < 1.0);
}

void TestPictureLoader::absurdSizeIsRefusedBeforeDecoding_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("refused");
    // The limit is a number of pixels; 200-megapixel cameras must still pass.
    QTest::newRow("200 megapixels") << 16330 << 12250 << false;
    QTest::newRow("just under the limit") << 15811 << 15811 << false;
    QTest::newRow("just over the limit") << 15812 << 15812 << true;
    QTest::newRow("49157 x 27397") << 49157 << 27397 << true;
}

void TestPictureLoader::absurdSizeIsRefusedBeforeDecoding()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(bool, refused);
    QCOMPARE(qint64(width) * height > maxPicturePixels, refused);
    QTemporaryDir dir;
    const QString path = dir.filePath("claims.jpg");
    QVERIFY(testpictures::writeBytes(path, jpegClaiming(width, height)));
    const LoadedPicture picture = QtPictureLoader().load(path, QSize(100, 100));
    QCOMPARE(picture.error.contains(QStringLiteral("too large")), refused);
    if (refused)
        QVERIFY(!picture.ok());
}

void TestPictureLoader::pictureBeyondQtsAllocationLimit()
{
    // 40 megapixels: more than Qt's default 128 MB allocation limit when decoded whole.
    QTemporaryDir dir;
    const QString path = dir.filePath("big.jpg");
    {
        QImage big(8000, 5000, QImage::Format_RGB32);
        big.fill(QColor(30, 140, 200));
        QVERIFY(big.save(path, "JPG", 60));
    }
    const LoadedPicture picture = QtPictureLoader().load(path, QSize(100, 100));
    QVERIFY2(picture.ok(), qPrintable(picture.error));
    QVERIFY(testpictures::near(testpictures::centre(picture.image), QColor(30, 140, 200)));
}

void TestPictureLoader::brokenFilesSayWhy_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("zero bytes") << "bad/empty.jpg";
    QTest::newRow("text named .bmp") << "bad/readme.bmp";
    QTest::newRow("claims 30000 x 30000") << "bad/sof-30000x30000-baseline.jpg";
    QTest::newRow("missing file") << "bad/no-such-file.jpg";
}

void TestPictureLoader::brokenFilesSayWhy()
{
    QFETCH(QString, file);
    const LoadedPicture picture = QtPictureLoader().load(testpictures::data(file), QSize(100, 100));
    QVERIFY(!picture.ok());
    QVERIFY(!picture.error.isEmpty());
}

QTEST_GUILESS_MAIN(TestPictureLoader)
#include "tst_pictureloader.moc"
