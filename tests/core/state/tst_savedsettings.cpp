#include "core/state/savedsettings.h"
#include "support/testpictures.h"

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// The choices kept for the next start, on real files: what a file gives back, whatever it
// holds, and what writing it keeps.
class TestSavedSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void load_data();
    void load();
    void save_data();
    void save();
};

namespace
{
// The settings in one line, so a failure shows every choice.
QString shown(const BrowserSettings &s)
{
    return QStringLiteral("%1 trash=%2 manual=%3 pairs=%4 proportions=%5 remember=%6 taken=%7")
        .arg(s.imageFormat)
        .arg(s.deleteRecycle)
        .arg(s.thumbManual)
        .arg(s.keepPairs)
        .arg(s.keepProportions)
        .arg(s.rememberChoices)
        .arg(s.orderByTaken);
}

const QString start = shown(BrowserSettings {});

BrowserSettings kept(
    const QString &formats, bool trash, bool manual, bool pairs, bool proportions = false)
{
    BrowserSettings settings;
    settings.imageFormat = formats;
    settings.deleteRecycle = trash;
    settings.thumbManual = manual;
    settings.keepPairs = pairs;
    settings.keepProportions = proportions;
    settings.rememberChoices = true;
    return settings;
}

QByteArray file(const QByteArray &lines)
{
    return "[General]\nversion=1\nremember=true\n" + lines;
}
} // namespace

void TestSavedSettings::load_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("loaded");
    const QByteArray all = "formats=\"*.png;*.nef\"\ndeleteToTrash=false\n"
                           "loadThumbnailsManually=true\nkeepPairs=true\norderByTimeTaken=true\n"
                           "keepProportions=true\n";
    BrowserSettings every = kept("*.png;*.nef", false, true, true, true);
    every.orderByTaken = true;
    QTest::newRow("every choice") << file(all) << shown(every);
    QTest::newRow("a choice not named has its start value") << file(
        "keepPairs=true\n") << shown(kept(BrowserSettings {}.imageFormat, true, false, true));
    QTest::newRow("no file") << QByteArray() << start;
    QTest::newRow("choices not kept")
        << QByteArray("[General]\nversion=1\nremember=false\n" + all) << start;
    QTest::newRow("another program's")
        << QByteArray("[General]\ngeometry=@Rect(0 0 9 9)\n") << start;
    QTest::newRow("another version")
        << QByteArray("[General]\nversion=2\nremember=true\n" + all) << start;
    QTest::newRow("a format not shown") << file("formats=\"*.png;*.exe\"\n") << start;
    QTest::newRow("a format twice") << file("formats=\"*.png;*.png\"\n") << start;
    QTest::newRow("no format") << file("formats=\n") << start;
    QTest::newRow("a list for a text") << file("formats=*.png, *.gif\n") << start;
    QTest::newRow("a flag that is not one") << file("keepPairs=1\n") << start;
    QTest::newRow("an order that is not a flag") << file("orderByTimeTaken=yes\n") << start;
    QTest::newRow("another flag that is not one") << file("keepProportions=yes\n") << start;
    QTest::newRow("binary") << QByteArray("\x00\xff[General\x00\nversion=\x01\n", 23) << start;
    QTest::newRow("too large") << file(all + '#' + QByteArray(70 * 1024, 'x') + '\n') << start;
}

void TestSavedSettings::load()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, loaded);
    QTemporaryDir dir;
    const QString path = dir.filePath("ravelin.conf");
    QVERIFY(bytes.isEmpty() || testpictures::writeBytes(path, bytes));
    QCOMPARE(shown(savedsettings::load(path)), loaded);
}

void TestSavedSettings::save_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<BrowserSettings>("settings");
    QTest::addColumn<bool>("kept");
    BrowserSettings choices = kept("*.heic;*.jpg", false, true, true, true);
    choices.orderByTaken = true;
    BrowserSettings forgotten = choices;
    forgotten.rememberChoices = false;
    QTest::newRow("into a new folder") << QByteArray() << choices << true;
    QTest::newRow("over a damaged file")
        << QByteArray("\x00\xff[General\x00\nversion=\x01\n", 23) << choices << true;
    QTest::newRow("every choice at its start value")
        << QByteArray() << kept(BrowserSettings {}.imageFormat, true, false, false) << true;
    QTest::newRow("not kept any more: nothing is left of them")
        << file("formats=*.png\nkeepPairs=true\n") << forgotten << false;
}

void TestSavedSettings::save()
{
    QFETCH(QByteArray, before);
    QFETCH(BrowserSettings, settings);
    QFETCH(bool, kept);
    QTemporaryDir dir;
    const QString path = dir.filePath("config/ravelin/ravelin.conf");
    QVERIFY(before.isEmpty()
        || (QDir().mkpath(dir.filePath("config/ravelin"))
            && testpictures::writeBytes(path, before)));
    QVERIFY(savedsettings::save(path, settings));
    QCOMPARE(shown(savedsettings::load(path)), kept ? shown(settings) : start);
    QCOMPARE(QSettings(path, QSettings::IniFormat).allKeys().size(), kept ? 8 : 2);
    // A file that cannot be made says so.
    QVERIFY(!savedsettings::save(dir.filePath("config/ravelin/ravelin.conf/x.conf"), settings));
}

QTEST_GUILESS_MAIN(TestSavedSettings)
#include "tst_savedsettings.moc"
