#include "core/pictures/cameraformats.h"
#include "core/pictures/pictureformats.h"
#include "core/pictures/pictureloader.h"
#include "core/state/commandline.h"
#include "support/testpictures.h"

#include <QFile>
#include <QMimeDatabase>
#include <QTemporaryDir>
#include <QtTest>

// PNG, WebP, TIFF, HEIC, AVIF and camera RAW files: offered in the options window, and read
// by the loader within the limits every picture keeps.
namespace
{
const QSize cell(96, 72);

// The mean difference of two pictures of one size, per channel, 0 to 255.
double difference(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    qint64 sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row);
            const QRgb q = y.pixel(col, row);
            sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q))
                + qAbs(qBlue(p) - qBlue(q));
        }
    }
    return double(sum) / (3.0 * x.width() * x.height());
}

// Overwrites ISO media bytes from each box of a type on (its type included).
QByteArray patchBox(QByteArray bytes, const QByteArray &type, const QByteArray &payload)
{
    for (qsizetype at = bytes.indexOf(type); at >= 0; at = bytes.indexOf(type, at + 1))
        bytes.replace(at, payload.size(), payload);
    return bytes;
}

QByteArray bigEndian32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}
} // namespace

class TestFormats : public QObject
{
    Q_OBJECT

private slots:
    void newFormatsLoad_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("error"); // empty: the picture shows
        const auto row = [](const char *tag, const char *file, const char *error = "") {
            QTest::newRow(tag) << QString(file) << QString(error);
        };
        row("phone HEIC", "camera/IMG_2927.HEIC");
        row("small HEIF", "camera/hopper.heif");
        row("AVIF", "camera/32Bit-72dpi-sRGB-800x600.avif");
        row("Fujifilm RAF: JPEG thumbnail", "camera/FujiFilm.raf");
        row("Panasonic RW2: 8 x 8 JPEG thumbnail", "camera/Panasonic.rw2");
        // Sample files whose embedded pictures were stripped: the cell says why.
        row("Nikon NEF without a picture", "camera/Nikon.nef", "RAW file");
        row("Canon CR3 without a picture", "camera/CanonRaw.cr3", "RAW file");
        row("DNG without a picture", "camera/DNG.dng", "RAW file");
    }
    void newFormatsLoad()
    {
        QFETCH(QString, file);
        QFETCH(QString, error);
        const LoadedPicture picture = QtPictureLoader().load(testpictures::data(file), cell);
        if (error.isEmpty()) {
            QVERIFY2(picture.ok(), qPrintable(picture.error));
            QCOMPARE(picture.image.size(), cell);
        } else {
            QVERIFY(!picture.ok());
            QVERIFY2(picture.error.contains(error), qPrintable(picture.error));
        }
    }

    void otherKindsByTheirContent()
    {
        // A JPEG named as a RAW file, and PNG, WebP and TIFF files named as they are.
        QTemporaryDir dir;
        QImage picture(64, 48, QImage::Format_RGB32);
        picture.fill(Qt::darkGreen);
        for (const char *name : { "IMG_0001.nef", "p.png", "w.webp", "t.tif" }) {
            const QString path = dir.filePath(QString::fromLatin1(name));
            if (QString::fromLatin1(name).endsWith(QLatin1String(".nef")))
                QVERIFY(testpictures::writeBytes(path, testpictures::jpegBytes(picture)));
            else
                QVERIFY(testpictures::write(path, Qt::red));
            const LoadedPicture loaded = QtPictureLoader().load(path, cell);
            QVERIFY2(loaded.ok(), qPrintable(QString::fromLatin1(name) + loaded.error));
        }
    }

    void turnsAreApplied()
    {
        // One labelled photo stored plain, and stored turned a quarter (irot) and mirrored
        // (imir): each shown as its file says, the two look alike.
        const QSize size(64, 43);
        QtPictureLoader loader;
        const LoadedPicture plain = loader.load(testpictures::data("camera/rot0mir0.avif"), size);
        const LoadedPicture turned = loader.load(testpictures::data("camera/rot1mir0.avif"), size);
        QVERIFY2(plain.ok() && turned.ok(), qPrintable(plain.error + turned.error));
        QCOMPARE(turned.image.size(), plain.image.size());
        QVERIFY(difference(plain.image, turned.image) < 4);

        // A RAW file's orientation tag: 6 turns its picture a quarter clockwise, 8 the other
        // way.
        const QByteArray raf = testpictures::bytes(testpictures::data("camera/FujiFilm.raf"));
        const qsizetype tag = raf.indexOf(QByteArray("\x12\x01\x03\0\x01\0\0\0\x01\0", 10));
        QVERIFY(tag > 0);
        const auto shownAs = [&](char orientation, QSize shape) {
            QByteArray bytes = raf;
            bytes[tag + 8] = orientation;
            return cameraformats::loadRawBytes(bytes, shape).picture.image;
        };
        const QImage upright = shownAs(1, QSize(64, 48));
        for (const int turn : { 6, 8 }) {
            const QImage expected = upright.transformed(QTransform().rotate(turn == 6 ? 90 : -90));
            QVERIFY2(difference(shownAs(char(turn), QSize(48, 64)), expected) < 4,
                qPrintable(QString::number(turn)));
        }
    }

    void sizesAreCheckedBeforeDecoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("name");
        const QByteArray avif = testpictures::bytes(testpictures::data("camera/rot0mir0.avif"));
        // The image spatial extent box: version and flags, then width and height.
        const auto claiming = [&avif](quint32 width, quint32 height) {
            return patchBox(avif, "ispe",
                QByteArray("ispe") + QByteArray(4, '\0') + bigEndian32(width)
                    + bigEndian32(height));
        };
        // Past the largest picture shown at all, and past the largest decoded whole.
        QTest::newRow("AVIF claiming 30000 x 30000") << claiming(30000, 30000) << "a.avif";
        QTest::newRow("AVIF claiming 12000 x 12000") << claiming(12000, 12000) << "b.avif";
        // A RAW file whose embedded JPEG's frame header claims 30000 x 30000.
        QByteArray raf = testpictures::bytes(testpictures::data("camera/FujiFilm.raf"));
        const qsizetype frame = raf.indexOf(QByteArray("\xFF\xC0", 2), raf.indexOf("\xFF\xD8"));
        raf.replace(frame + 5, 4, QByteArray("\x75\x30\x75\x30", 4));
        QTest::newRow("RAF thumbnail claiming 30000 x 30000") << raf << "c.raf";
    }
    void sizesAreCheckedBeforeDecoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QVERIFY(testpictures::writeBytes(path, bytes));
        decodememory::resetPeak();
        const LoadedPicture picture = QtPictureLoader().load(path, cell);
        QVERIFY(!picture.ok());
        QVERIFY2(picture.error.contains(QLatin1String("too large")), qPrintable(picture.error));
        // Nothing was held for a decode that did not happen: at most the file's own bytes.
        QVERIFY(decodememory::peakBytes() <= bytes.size());
    }

    void hostileBytesDoNotCrash()
    {
        // Every sample cut short and with bytes flipped, from memory: each read ends with a
        // picture or a reason.
        for (const QString &file : QDir(testpictures::data("camera")).entryList(QDir::Files)) {
            const QByteArray whole = testpictures::bytes(testpictures::data("camera/" + file));
            for (const qsizetype cut : { whole.size() / 3, whole.size() / 2, whole.size() - 7 }) {
                QByteArray bytes = whole.left(cut);
                for (qsizetype i = 64; i < bytes.size(); i += 997)
                    bytes[i] = char(bytes[i] ^ 0x5A);
                const LoadedPicture heif = cameraformats::loadHeifBytes(bytes, cell);
                const cameraformats::RawResult raw = cameraformats::loadRawBytes(bytes, cell);
                QVERIFY(heif.ok() || !heif.error.isEmpty());
                QVERIFY(raw.notRaw || raw.picture.ok() || !raw.picture.error.isEmpty());
            }
        }
    }

    // The command line and the desktop's launcher know every kind of file the program can
    // show: the launcher offers it for those files and for folders.
    void everyPlaceKnowsTheFormats()
    {
        const QStringList known = pictureformats::pictureExtensions();
        QTemporaryDir dir;
        QSet<QString> types { "inode/directory" };
        for (const QString &extension : known) {
            const QString file = dir.filePath("IMG_0001." + extension.toUpper());
            QVERIFY(testpictures::writeBytes(file, "x"));
            const StartRequest start = readCommandLine({ "ravelin", file });
            QVERIFY2(start.run, qPrintable(start.message));
            const QMimeType type
                = QMimeDatabase().mimeTypeForFile(file, QMimeDatabase::MatchExtension);
            if (!type.isDefault())
                types.insert(type.name());
        }
        const QByteArray launcher = testpictures::bytes(
            RAVELIN_TEST_DATA "/../../dist/io.github.ravelin.Ravelin.desktop");
        const qsizetype line = launcher.indexOf("\nMimeType=") + 10;
        const QStringList listed
            = QString::fromUtf8(launcher.mid(line, launcher.indexOf('\n', line) - line))
                  .split(';', Qt::SkipEmptyParts);
        QCOMPARE(QSet<QString>(listed.begin(), listed.end()), types);
    }
};

QTEST_MAIN(TestFormats)
#include "tst_formats.moc"
