#include "core/rules.h"

#include <QTest>

// The path rules behind full paths, the selection and the rename and move previews.
class TestRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void joinPath_data();
    void joinPath();
    void splitPath_data();
    void splitPath();
};

void TestRules::joinPath_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char *tag, const char *folder, const char *name, char separator,
                         const char *expected) {
        QTest::newRow(tag) << QString(folder) << QString(name) << QChar(separator)
                           << QString(expected);
    };
    row("windows folder", "C:\\Pictures", "a.jpg", '\\', "C:\\Pictures\\a.jpg");
    row("windows drive root", "C:\\", "a.jpg", '\\', "C:\\a.jpg");
    row("windows root with slash", "D:/", "a.jpg", '\\', "D:/a.jpg");
    row("posix folder", "/home/me/Pics", "a.jpg", '/', "/home/me/Pics/a.jpg");
    row("posix root", "/", "a.jpg", '/', "/a.jpg");
    row("backslash is a name character on posix", "/p/a\\", "x.jpg", '/', "/p/a\\/x.jpg");
}

void TestRules::joinPath()
{
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(QChar, separator);
    QFETCH(QString, expected);
    QCOMPARE(rules::joinPath(folder, name, separator), expected);
}

void TestRules::splitPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("file");
    const auto row = [](const char *tag, const char *path, char separator, const char *folder,
                         const char *file) {
        QTest::newRow(tag) << QString(path) << QChar(separator) << QString(folder) << QString(file);
    };
    row("windows", "C:\\Pics\\DSC01234.JPG", '\\', "C:\\Pics\\", "DSC01234.JPG");
    row("windows root", "C:\\a.jpg", '\\', "C:\\", "a.jpg");
    row("dot in folder", "C:\\my.pics\\IMG", '\\', "C:\\my.pics\\", "IMG");
    row("two dots", "/p/a.b.icon", '/', "/p/", "a.b.icon");
    row("hidden file", "/p/.hidden", '/', "/p/", ".hidden");
    row("no separator", "a.gif", '/', "", "a.gif");
}

void TestRules::splitPath()
{
    QFETCH(QString, path);
    QFETCH(QChar, separator);
    QFETCH(QString, folder);
    QFETCH(QString, file);
    QCOMPARE(rules::folderPart(path, separator), folder);
    QCOMPARE(rules::filePart(path, separator), file);
}

QTEST_APPLESS_MAIN(TestRules)
#include "tst_rules.moc"
